// The steady-state mix allocates nothing: every operator new of the process
// is counted while blocks are mixed, on every thread (effect workers too).
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "AllocationCounter.h"
#include "MixerFixtures.h"

using namespace tessiro::test;

TEST(MixerAllocation, BusyTracksMixWithoutAllocatingOnceTheyRun) {
  constexpr uint32_t kBlock = 8192;
  CTestProject p(kBlock);
  for (int t = 0; t < 24; ++t) {
    const float tempo = t % 2 ? 125.0f : 100.0f;
    p.Place(t, HashSignal, 20 * kBlock, static_cast<uint32_t>(t) * 300, t % 3 ? 2 : 1, tempo);
    if (t < 6) {
      AddProjectEffect(p.Chain(t + 1), ZelmoEcho);
      AddProjectEffect(p.Chain(t + 1), ZelmoReverb);
      AddProjectEffect(p.Chain(t + 1), ZelmoEqualizer);
    }
  }
  p.PlaceLoop(23, Constant(100), 20 * kBlock);
  AddProjectEffect(p.Chain(0), ZelmoEqualizer);
  AddProjectEffect(p.Chain(0), ZelmoEcho);
  p.list.SetTrackGains(2, 0.5f, 1.5f);
  p.list.globalPitch = 1.0f;
  std::vector<int16_t> out(kBlock * 2);
  uint32_t position = 0;
  // The first blocks start the processors and let every store reach its size.
  for (int i = 0; i < 4; ++i, position += kBlock) ASSERT_EQ(p.list.MixAllTracks(out.data(), position, kBlock), 1);
  StartCountingAllocations();
  for (int i = 0; i < 8; ++i, position += kBlock) p.list.MixAllTracks(out.data(), position, kBlock);
  EXPECT_EQ(StopCountingAllocations(), 0);
  // The count sees allocations where there are some.
  StartCountingAllocations();
  auto* probe = new std::vector<int>(10);
  EXPECT_EQ(StopCountingAllocations(), 2);
  delete probe;
}
