// The mix allocates nothing, from the first block of a play on: every
// operator new of the process is counted while blocks are mixed, on every
// thread (effect workers and mix helpers too), and so is every page
// reservation, through the blocks where snippets start and stop sounding.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "AllocationCounter.h"
#include "MixerFixtures.h"
#include "PageBuffer.h"

using namespace tessiro::test;

namespace {

constexpr uint32_t kBlock = 8192;

// Tracks whose snippets begin and end all through the play: some at 0, most
// well inside it, two in one block, one short one under a long one, a loop.
void PlaceBusyProject(CTestProject& p) {
  for (int t = 0; t < 24; ++t) {
    const float tempo = t % 2 ? 125.0f : 100.0f;
    const uint32_t start = t < 4 ? 0 : static_cast<uint32_t>(t) * 7 * kBlock / 3;
    p.Place(t, HashSignal, 6 * kBlock, start, t % 3 ? 2 : 1, tempo);
    p.Place(t, HashSignal, 3 * kBlock, start + 9 * kBlock + 100, 2, tempo);
    if (t < 6) {
      AddProjectEffect(p.Chain(t + 1), ZelmoEcho);
      AddProjectEffect(p.Chain(t + 1), ZelmoReverb);
      AddProjectEffect(p.Chain(t + 1), ZelmoEqualizer);
    }
  }
  p.Place(5, HashSignal, 300, 20 * kBlock + 50, 2);
  p.Place(5, HashSignal, 400, 20 * kBlock + 4000, 1);
  p.PlaceLoop(23, Constant(100), 4 * kBlock, 30 * kBlock + 77);
  AddProjectEffect(p.Chain(0), ZelmoEqualizer);
  AddProjectEffect(p.Chain(0), ZelmoEcho);
  p.list.SetTrackGains(2, 0.5f, 1.5f);
  p.list.globalPitch = 1.0f;
}

struct Counts {
  long allocations, reservations;
};

// Mixes blocks from position 0 until every snippet has played out.
Counts PlayWhileCounting(CTestProject& p, uint32_t blocks) {
  std::vector<int16_t> out(kBlock * 2);
  const long reservedBefore = platform::PageReservationCount();
  StartCountingAllocations();
  for (uint32_t i = 0; i < blocks; ++i) p.list.MixAllTracks(out.data(), i * kBlock, kBlock);
  const long allocations = StopCountingAllocations();
  return {allocations, platform::PageReservationCount() - reservedBefore};
}

}  // namespace

TEST(MixerAllocation, APlayPreparedAheadAllocatesNothingWhereSnippetsStartAndStop) {
  CTestProject p(kBlock);
  PlaceBusyProject(p);
  ASSERT_EQ(p.list.PreparePlayback(), 1);
  const uint32_t blocks = p.list.projectEnd / kBlock + 2;
  const Counts counted = PlayWhileCounting(p, blocks);
  EXPECT_EQ(counted.allocations, 0);
  EXPECT_EQ(counted.reservations, 0);
  EXPECT_EQ(p.list.GetTempoPitchPool()->GetMisses(), 0u);

  // A second play, after a stop, takes the same processors again.
  p.list.ResetPlayback();
  for (auto& chain : p.chains) {
    if (chain) chain->Reset();
  }
  ASSERT_EQ(p.list.PreparePlayback(), 1);
  const Counts again = PlayWhileCounting(p, blocks);
  EXPECT_EQ(again.allocations, 0);
  EXPECT_EQ(again.reservations, 0);
}

TEST(MixerAllocation, WithoutPreparingTheStartsMakeTheirOwnAndTheCountSeesIt) {
  CTestProject p(kBlock);
  PlaceBusyProject(p);
  const Counts counted = PlayWhileCounting(p, 4);
  EXPECT_GT(counted.allocations + counted.reservations, 0);
  EXPECT_GT(p.list.GetTempoPitchPool()->GetMisses(), 0u);
}

TEST(MixerAllocation, APreparedPlaySoundsAsOneThatMakesItsProcessorsAsItGoes) {
  CTestProject prepared(kBlock), unprepared(kBlock);
  PlaceBusyProject(prepared);
  PlaceBusyProject(unprepared);
  const uint32_t frames = (prepared.list.projectEnd / kBlock + 1) * kBlock;
  const std::vector<int16_t> fresh = unprepared.Play(0, frames);
  // The second prepared play runs on processors the first one used.
  for (int play = 0; play < 2; ++play) {
    prepared.list.ResetPlayback();
    for (auto& chain : prepared.chains) {
      if (chain) chain->Reset();
    }
    ASSERT_EQ(prepared.list.PreparePlayback(), 1);
    EXPECT_EQ(prepared.Play(0, frames), fresh) << "play " << play;
  }
  EXPECT_EQ(prepared.list.GetTempoPitchPool()->GetMisses(), 0u);
}
