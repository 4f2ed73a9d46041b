// The tempo stage's splices, checked against windows built so that the best
// fit and every piece of the output are known in advance.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "ReportRecorder.h"
#include "TarvexProbe.h"

using tessiro::test::Reports;
using namespace tarvex_test;

namespace {

constexpr int64_t kWindow = 3616;
constexpr int64_t kOverlap = 529;
constexpr int64_t kSeek = 617;

// Copies frames [from, from + n) of w over frames [to, to + n).
void Plant(std::vector<int16_t>& w, int channels, int64_t from, int64_t to, int64_t n) {
  std::copy(w.begin() + from * channels, w.begin() + (from + n) * channels, w.begin() + to * channels);
}

std::vector<int16_t> Frames(const std::vector<int16_t>& w, int channels, int64_t from, int64_t n) {
  return std::vector<int16_t>(w.begin() + from * channels, w.begin() + (from + n) * channels);
}

// Feeds one window's worth of frames and returns what the tempo stage made of it.
std::vector<int16_t> OneWindow(CTarvex& t, const std::vector<int16_t>& w, int channels) {
  std::vector<int16_t> out(20000 * channels);
  uint32_t got = 0;
  t.ProcessAudio(w.data(), static_cast<uint32_t>(w.size() / channels), out.data(), 20000, &got);
  out.resize(static_cast<size_t>(got) * channels);
  return out;
}

CTarvex& Prepared(CTarvex& t, int channels, float tempo) {
  t.SetChannels(static_cast<int16_t>(channels));
  t.SetTempo(tempo);
  t.Init();
  return t;
}

}  // namespace

TEST(BestFit, EarliestExactMatchWins) {
  for (int channels : {1, 2}) {
    CTarvex t;
    Prepared(t, channels, 1.5f);
    const std::vector<int16_t> overlap = Noise(kOverlap, channels, 1);
    std::vector<int16_t> region = Noise(kSeek + kOverlap, channels, 2);
    std::copy(overlap.begin(), overlap.end(), region.begin() + 600 * channels);
    std::copy(overlap.begin(), overlap.end(), region.begin() + 60 * channels);
    EXPECT_EQ(TarvexProbe(t).BestFit(overlap, region.data()), 60u) << channels;
  }
}

TEST(BestFit, EarlyStopIsAtOrBelowForMonoAndBelowForStereo) {
  // Offset 0 differs by one step in every sample; the limit makes that exactly
  // the threshold, which stops a mono search but not a stereo one.
  for (int channels : {1, 2}) {
    CTarvex t;
    Prepared(t, channels, 1.5f);
    t.bestFitCorrLimit = 1.0f / 65536;
    const std::vector<int16_t> overlap = Noise(kOverlap, channels, 3);
    std::vector<int16_t> region = Noise(kSeek + kOverlap, channels, 4);
    for (size_t i = 0; i < overlap.size(); ++i) region[i] = static_cast<int16_t>(overlap[i] + 1);
    std::copy(overlap.begin(), overlap.end(), region.begin() + 580 * channels);
    EXPECT_EQ(TarvexProbe(t).BestFit(overlap, region.data()), channels == 1 ? 0u : 580u);
  }
}

TEST(BestFit, ShaveLeavesOutTheEnds) {
  for (int channels : {1, 2}) {
    CTarvex t;
    Prepared(t, channels, 1.5f);
    const std::vector<int16_t> overlap = Noise(kOverlap, channels, 5);
    std::vector<int16_t> region = Noise(kSeek + kOverlap, channels, 6);
    // At 20 a near match over the whole overlap; at 580 an exact one except in
    // the 21 frames at each end that a shave of 0.08 leaves out.
    for (size_t i = 0; i < overlap.size(); ++i) {
      const size_t frame = i / channels;
      region[20 * channels + i] = static_cast<int16_t>(overlap[i] + (frame >= 21 && frame < 508 ? 1 : 0));
      if (frame >= 21 && frame < 508) region[580 * channels + i] = overlap[i];
    }
    TarvexProbe x(t);
    EXPECT_EQ(x.BestFit(overlap, region.data()), 20u) << channels;
    t.bestFitShave = 0.08f;
    EXPECT_EQ(x.BestFit(overlap, region.data()), 580u) << channels;
  }
}

TEST(BestFit, SkipComparesEveryOtherFrame) {
  for (int channels : {1, 2}) {
    CTarvex t;
    Prepared(t, channels, 1.5f);
    const std::vector<int16_t> overlap = Noise(kOverlap, channels, 7);
    std::vector<int16_t> region = Noise(kSeek + kOverlap, channels, 8);
    for (size_t i = 0; i < overlap.size(); ++i) {
      region[20 * channels + i] = static_cast<int16_t>(overlap[i] + 1);
      if ((i / channels) % 2 == 0) region[580 * channels + i] = overlap[i];
    }
    TarvexProbe x(t);
    EXPECT_EQ(x.BestFit(overlap, region.data()), 20u) << channels;
    t.bestFitSkip = 2;
    EXPECT_EQ(x.BestFit(overlap, region.data()), 580u) << channels;
  }
}

// The search as its definition reads: every offset, every compared sample.
uint32_t PlainBestFit(const std::vector<int16_t>& overlap, const std::vector<int16_t>& region, int channels,
                      float shave, uint32_t skip, float limit) {
  const int64_t samples = kOverlap * channels;
  const int64_t s = channels == 1 ? static_cast<int64_t>(264.5f * shave + 0.5) : static_cast<int64_t>(529.0f * shave + 0.5);
  const int64_t threshold = static_cast<int64_t>(static_cast<float>(samples * 65536) * limit);
  int64_t best = -1;
  uint32_t index = 0;
  for (uint32_t i = 0; i < kSeek; ++i) {
    if (best >= 0 && (channels == 1 ? best <= threshold : best < threshold)) break;
    int64_t sum = 0;
    for (int64_t k = s; k < samples - s; k += skip * channels) {
      for (int g = 0; g < channels; ++g) sum += std::abs(overlap[k + g] - region[i * channels + k + g]);
    }
    if (best < 0 || sum < best) best = sum, index = i;
  }
  return index;
}

TEST(BestFit, AgreesWithAPlainSearch) {
  int cases = 0, stoppedEarly = 0;
  for (int channels : {1, 2}) {
    for (uint32_t skip : {1u, 2u, 3u, 5u, 8u, 11u}) {
      for (float shave : {0.0f, 0.08f, 0.13f, 0.3f}) {
        for (float limit : {0.0f, 0.2f}) {
          CTarvex t;
          Prepared(t, channels, 1.5f);
          t.bestFitSkip = skip;
          t.bestFitShave = shave;
          t.bestFitCorrLimit = limit;
          const uint32_t seed = static_cast<uint32_t>(++cases);
          const std::vector<int16_t> overlap = Noise(kOverlap, channels, seed);
          const std::vector<int16_t> region = Noise(kSeek + kOverlap, channels, seed + 1000);
          const uint32_t expected = PlainBestFit(overlap, region, channels, shave, skip, limit);
          stoppedEarly += expected != PlainBestFit(overlap, region, channels, shave, skip, 0.0f);
          EXPECT_EQ(TarvexProbe(t).BestFit(overlap, region.data()), expected)
              << channels << " skip " << skip << " shave " << shave << " limit " << limit;
        }
      }
    }
  }
  EXPECT_GT(stoppedEarly, 0);  // the limit did stop some searches
}

TEST(SingleMend, KeepsTheStartFadesToTheLaterPartAndKeepsTheEnd) {
  // Tempo 1.2: length 4339, so the splice starts its search at c = 1597 and
  // fades into the part that starts at d = 1183; the end kept is 1904 frames.
  const int64_t c = 1597, d = 1183, a = 1904, fit = 400;
  for (int channels : {1, 2}) {
    CTarvex t;
    Prepared(t, channels, 1.2f);
    std::vector<int16_t> w = Noise(kWindow, channels, 9);
    Plant(w, channels, d, c + fit, kOverlap);  // the only exact match, 400 into the search
    const std::vector<int16_t> out = OneWindow(t, w, channels);
    ASSERT_EQ(out.size() / channels, static_cast<size_t>(4339 + fit - 309)) << channels;
    EXPECT_EQ(Frames(out, channels, 0, c + fit), Frames(w, channels, 0, c + fit));
    for (int64_t j = 0; j < kOverlap * channels; ++j) {
      ASSERT_LE(std::abs(out[(c + fit) * channels + j] - w[d * channels + j]), 1) << j;
    }
    EXPECT_EQ(Frames(out, channels, c + fit + kOverlap, a), Frames(w, channels, d + kOverlap, a));
  }
}

TEST(SingleMend, SkippedWindowsResumeFromWhereTheSkipBegan) {
  // Tempo 0.25: a window may give 904 frames, too few to splice, so the first
  // window is skipped and the second splices 1808 frames that start with the
  // first window's beginning.
  CTarvex t;
  Prepared(t, 1, 0.25f);
  const std::vector<int16_t> in = Noise(2 * kWindow, 1, 10);
  TarvexProbe x(t);
  std::vector<int16_t> first(in.begin(), in.begin() + kWindow);
  EXPECT_TRUE(OneWindow(t, first, 1).empty());
  EXPECT_EQ(x.skipping(), 1);
  std::vector<int16_t> second(in.begin() + kWindow, in.end());
  const std::vector<int16_t> out = OneWindow(t, second, 1);
  EXPECT_EQ(x.skipping(), 0);
  ASSERT_GE(out.size(), 1499u);
  ASSERT_LE(out.size(), 1499u + kSeek - 1);
  EXPECT_EQ(Frames(out, 1, 0, 331), Frames(in, 1, 0, 331));
}

TEST(MultiMend, ReplaysTheMiddleOncePerSplice) {
  // Tempo 2: length 7232 takes two splices before the last, searched from 1838
  // and 2470 for the part from 368; the material from 897 to 2470 is played
  // after each of them. Planted best fits (100 and 200) put the last splice
  // where the window's end completes the length.
  CTarvex t;
  Prepared(t, 2, 2.0f);
  std::vector<int16_t> w = Noise(kWindow, 2, 11);
  Plant(w, 2, 368, 1838 + 100, kOverlap);
  Plant(w, 2, 368, 2470 + 200, kOverlap);
  const std::vector<int16_t> out = OneWindow(t, w, 2);
  ASSERT_GE(out.size() / 2, 7232u);
  ASSERT_LT(out.size() / 2, 7232u + kSeek);
  EXPECT_EQ(Frames(out, 2, 0, 1938), Frames(w, 2, 0, 1938));
  EXPECT_EQ(Frames(out, 2, 1938 + kOverlap + 1573, 200), Frames(w, 2, 2470, 200));
  const std::vector<int16_t> middle = Frames(w, 2, 897, 2470 - 897);
  int found = 0;
  for (auto at = out.begin(); (at = std::search(at, out.end(), middle.begin(), middle.end())) != out.end(); at += 2) {
    ++found;
  }
  EXPECT_EQ(found, 2);
}

TEST(MultiMend, LateBestFitsKeepTheLastSpliceNearTheEnd) {
  // Tempo 1.7: length 6147, lead 1476, replay from 730, splices searched from
  // 1476 and 2470. Both best fits are planted 610 frames in, so the frames made
  // before the last splice (6176) pass the length: the last splice must then sit
  // as late as it can, not at the window's start (which would replay the whole
  // window, about 3000 frames too many).
  CTarvex t;
  Prepared(t, 1, 1.7f);
  std::vector<int16_t> w = Noise(kWindow, 1, 12);
  Plant(w, 1, 730, 1476 + 610, kOverlap);
  Plant(w, 1, 730, 2470 + 610, kOverlap);
  const std::vector<int16_t> out = OneWindow(t, w, 1);
  ASSERT_GE(out.size(), 6705u);
  ASSERT_LE(out.size(), 6705u + kSeek - 1);
  EXPECT_EQ(Frames(out, 1, 0, 2086), Frames(w, 1, 0, 2086));
  EXPECT_EQ(Frames(out, 1, 2086 + kOverlap, 1211), Frames(w, 1, 1259, 1211));
}

TEST(MultiMend, WindowTooSmallForTheFixedStepIsRefused) {
  // At 8000 Hz a window is 656 frames, and the 2470-frame step meant for 44100 Hz
  // would search past its end at tempo 2.7.
  CTarvex t;
  t.SetFrequency(8000);
  Prepared(t, 1, 2.7f);
  const std::vector<int16_t> in = Noise(656 * 3, 1, 13);
  EXPECT_TRUE(OneWindow(t, in, 1).empty());
  const auto taken = Reports().Take();
  ASSERT_EQ(taken.size(), 3u);
  for (const auto& r : taken) EXPECT_EQ(r.report.line, 1435);
}
