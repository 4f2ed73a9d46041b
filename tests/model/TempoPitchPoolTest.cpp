// The ready processors of a project: how many can sound at once, and the
// pool that lends them to starting snippets.
#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "SnippetFixtures.h"
#include "TempFolder.h"
#include "TempoPitchPool.h"

using namespace tessiro::test;

TEST(TempoPitchPool, TheMostSnippetsOneWindowCanHoldAreCountedPerChannelCount) {
  struct Case {
    std::vector<std::pair<uint32_t, uint32_t>> stereo, mono;  // [start, end)
    uint32_t window;
    uint32_t stereoAtOnce, monoAtOnce;
  };
  const Case cases[] = {
      {{{0, 50}, {60, 100}}, {}, 100, 2, 0},
      {{{0, 50}, {200, 300}}, {}, 100, 1, 0},
      // Half-open spans: a window [49, 149) holds the first and misses the second.
      {{{0, 50}, {149, 200}}, {}, 100, 1, 0},
      {{{0, 50}, {148, 200}}, {}, 100, 2, 0},
      {{{0, 1000}, {400, 600}, {450, 470}}, {{300, 301}}, 1, 3, 1},
      {{{0, 10}}, {{0, 10}, {5, 20}, {30, 40}}, 11, 1, 2},
      {{{0, 10}}, {{0, 10}, {5, 20}, {30, 40}}, 21, 1, 2},
      {{{0, 10}}, {{0, 10}, {5, 20}, {30, 40}}, 22, 1, 3},
      {{}, {}, 8192, 0, 0},
  };
  CTempFolder folder;
  const auto stereoSource = MakeSegment(folder.Path(), 2, 16, HashSignal);
  const auto monoSource = MakeSegment(folder.Path(), 1, 16, HashSignal);
  for (const Case& c : cases) {
    CAudioSnippetList list;
    for (const auto& [span, source] :
         {std::pair{&c.stereo, stereoSource}, std::pair{&c.mono, monoSource}}) {
      for (const auto& [start, end] : *span) {
        auto s = MakeExtended(source, start);
        s->end = end;
        s->length = end - start;
        list.AddSnippet(s);
      }
    }
    uint32_t counts[2] = {0, 0};
    list.CountPlayableAtOnce(c.window, counts);
    EXPECT_EQ(counts[1], c.stereoAtOnce) << "window " << c.window;
    EXPECT_EQ(counts[0], c.monoAtOnce) << "window " << c.window;
  }
}

TEST(TempoPitchPool, LendsWhatFitsCountsMissesAndTakesEverySlotBack) {
  CTempoPitchPool pool;
  ASSERT_TRUE(pool.Prepare(2, 2, 16384, 24576));
  EXPECT_EQ(pool.GetFreeSlots(2), 2u);
  EXPECT_EQ(pool.GetFreeSlots(1), 0u);
  // Mono sources have processors of their own kind.
  EXPECT_EQ(pool.Take(1, 8192, 8192), nullptr);
  // Too long a range, or too large a read, is not served.
  EXPECT_EQ(pool.Take(2, 16385, 0), nullptr);
  EXPECT_EQ(pool.Take(2, 8192, 24577), nullptr);
  EXPECT_EQ(pool.GetMisses(), 3u);

  auto a = pool.Take(2, 16384, 24576);
  auto b = pool.Take(2, 100, 100);
  ASSERT_TRUE(a && b);
  EXPECT_TRUE(a->pooled);
  EXPECT_EQ(a->channels, 2);
  EXPECT_GE(a->workFrames, 24576u);
  EXPECT_EQ(pool.Take(2, 100, 100), nullptr);
  pool.Give(std::move(a));
  pool.Give(std::move(b));
  EXPECT_EQ(pool.GetFreeSlots(2), 2u);

  // Preparing for more, or for larger ranges, makes what is missing.
  ASSERT_TRUE(pool.Prepare(2, 3, 32768, 24576));
  EXPECT_EQ(pool.GetFreeSlots(2), 3u);
  auto c = pool.Take(2, 32768, 0);
  ASSERT_TRUE(c);
  EXPECT_EQ(c->rangeFrames, 32768u);
  pool.Give(std::move(c));
}
