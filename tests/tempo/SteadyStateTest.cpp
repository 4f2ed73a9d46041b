// The player thread runs a processor per snippet: once a stream is under way a
// block must not allocate, neither from the heap nor by growing a store.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "AllocationCounter.h"
#include "TarvexProbe.h"


TEST(TarvexSteadyState, BlocksAllocateNothing) {
  using namespace tarvex_test;
  for (float semitones : {0.0f, 7.0f, -7.0f}) {
    CTarvex t;
    t.SetSizeOutputBufferSample(8192);
    t.SetTempo(0.6f);
    t.SetPitchViaSemitones(semitones);
    t.Init();
    const std::vector<int16_t> in = Noise(44100 * 12, 2, 30);
    std::vector<int16_t> buffer(65536 * 2);
    TarvexProbe x(t);
    uint32_t fed = 0;
    uint32_t capacities[3] = {};
    tessiro::test::StartCountingAllocations();
    long before = 0;
    for (int block = 0; block < 30; ++block) {
      if (block == 10) {  // the stores have grown to what the stream needs
        capacities[0] = x.inputCapacity(), capacities[1] = x.rateCapacity(), capacities[2] = x.tempoCapacity();
        before = tessiro::test::CountedAllocations();
      }
      const uint32_t n = t.GetMinSamplesNeededForOutput();
      ASSERT_LE(fed + n, in.size() / 2);
      std::copy(in.begin() + fed * 2, in.begin() + (fed + n) * 2, buffer.begin());
      uint32_t got = 0;
      t.ProcessAudio(buffer.data(), n, buffer.data(), 8192, &got);
      ASSERT_EQ(got, 8192u) << semitones << " " << block;  // every block is delivered whole
      fed += n;
    }
    EXPECT_EQ(tessiro::test::StopCountingAllocations(), before) << semitones;
    EXPECT_EQ(x.inputCapacity(), capacities[0]);
    EXPECT_EQ(x.rateCapacity(), capacities[1]);
    EXPECT_EQ(x.tempoCapacity(), capacities[2]);
  }
}
