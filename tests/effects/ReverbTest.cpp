#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <future>
#include <vector>

#include "EffectTestSupport.h"
#include "ReferenceTaps.h"
#include "ReportRecorder.h"

using namespace tessiro::test;

namespace {

ReverbParams Reverb(float dry, float gain, float decay, float delayMs) {
  ReverbParams p;
  p.dryGainLeft = p.dryGainRight = dry;
  p.reverbGainLeft = p.reverbGainRight = gain;
  p.decayLeft = p.decayRight = decay;
  p.delayMsLeft = p.delayMsRight = delayMs;
  return p;
}

std::vector<short> RunReverb(const ReverbParams& params, std::vector<short> signal, short channels, uint32_t block) {
  auto chain = MakeChain(channels, block, 8192);
  const short n = AddEffect(*chain, ZelmoReverb);
  ReverbParams copy = params;
  chain->SetEffectParameters(n, &copy);
  const size_t frames = signal.size() / channels;
  for (size_t at = 0; at < frames; at += block) {
    chain->ProcessAudio(signal.data() + at * channels, static_cast<uint32_t>(std::min<size_t>(block, frames - at)));
  }
  return signal;
}

// Runs work on another thread and gives up on the whole program when it does
// not return: a hung tap loop would otherwise hold the test until its time-out.
template <typename F>
void MustReturn(F work) {
  auto done = std::async(std::launch::async, work);
  if (done.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
    ADD_FAILURE() << "the reverb did not return";
    std::_Exit(1);
  }
  done.get();
}

}  // namespace

TEST(Reverb, ImpulseGivesACopyEverySecondHalfDelay) {
  // Defaults: 150 ms is 6615 frames, half 3307; copies every 6614 frames with
  // gains 0.569, 0.407, 0.245 and 0.083 (each two half-steps of 0.08125 lower).
  std::vector<short> signal(2 * 40000, 0);
  signal[0] = 10000;
  const std::vector<short> out = RunReverb(ReverbParams{}, signal, 2, 1000);
  const std::vector<std::pair<size_t, int>> copies = {{6614, 5690}, {13228, 4070}, {19842, 2450}, {26456, 830}};
  EXPECT_EQ(out[0], 7500);
  for (size_t f = 1; f < 40000; ++f) {
    ASSERT_EQ(out[2 * f + 1], 0) << "right frame " << f;
    int expected = 0;
    for (const auto& [at, value] : copies) {
      if (f == at) expected = value;
    }
    ASSERT_NEAR(out[2 * f], expected, 1) << "left frame " << f;
  }
}

TEST(Reverb, TinyWetGainWithSmallDeclineReturns) {
  // -50 dB (0.00316) with 25 % decline: the rounded gain sticks at 0.003.
  MustReturn([] {
    std::vector<short> in = Noise(2 * 20000, 9);
    const std::vector<short> out = RunReverb(Reverb(1.0f, 0.00316f, 0.25f, 150.0f), in, 2, 5000);
    // What is left of the copies is at most a few hundredths of a percent.
    for (size_t i = 0; i < in.size(); ++i) ASSERT_NEAR(out[i], in[i], 300) << i;
  });
  MustReturn([] { RunReverb(Reverb(0.7f, 0.5f, 0.0f, 40.0f), Noise(8000, 2), 1, 4000); });
}

TEST(Reverb, DelayBelowTwoSamplesAddsCopiesInPlace) {
  // With no half-delay to step by, every copy lands on the sample it copies:
  // gain 0.5 falls by 0.05 a step, and every second step is heard
  // (0.45 + 0.35 + 0.25 + 0.15 + 0.05 = 1.25 more).
  MustReturn([] {
    for (float delayMs : {0.0f, 0.03f}) {
      std::vector<short> in(1000, 0);
      in[10] = 1000;
      const std::vector<short> out = RunReverb(Reverb(1.0f, 0.5f, 0.2f, delayMs), in, 1, 1000);
      EXPECT_NEAR(out[10], 2250, 3) << delayMs;
      EXPECT_EQ(out[9], 0);
      EXPECT_EQ(out[11], 0);
    }
  });
}

TEST(Reverb, NewReverbPassesAudioThroughAndKeepsItsSecondDelays) {
  auto chain = MakeChain(2, 2048, 8192);
  const short n = AddEffect(*chain, ZelmoReverb);
  const std::vector<short> in = Noise(2 * 2048, 4, 32767);
  std::vector<short> block = in;
  chain->ProcessAudio(block.data(), 2048);
  EXPECT_EQ(block, in);

  ReverbParams set = Reverb(0.6f, 0.4f, 0.3f, 90.0f);
  set.secondDelayMsLeft = 123.0f;
  set.secondDelayMsRight = 456.0f;
  chain->SetEffectParameters(n, &set);
  ReverbParams got{};
  ASSERT_EQ(chain->GetEffectParameters(n, &got), 1u);
  EXPECT_EQ(std::memcmp(&got, &set, sizeof got), 0);
}

TEST(Reverb, NullRecordIsReported) {
  auto chain = MakeChain(2, 2048, 8192);
  const short n = AddEffect(*chain, ZelmoReverb);
  EXPECT_EQ(chain->SetEffectParameters(n, nullptr), 0u);
  const auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.title, "reverb");
}

TEST(Reverb, MatchesTheLiteralReferenceOverLongRunsAndOddBlocks) {
  const ReverbParams cases[] = {
      Reverb(0.75f, 0.65f, 0.25f, 150.0f),
      {1.0f, 0.9f, 1.0f, 0.3f, 0.05f, 0.5f, 1.0f, 3000.0f, 300.0f, 300.0f},
      {0.5f, 1.2f, 0.8f, 0.9f, 0.1f, 0.02f, 9000.0f, 77.0f, 300.0f, 300.0f},
  };
  for (short channels : {1, 2}) {
    for (const ReverbParams& p : cases) ExpectMatchesReference(p, channels, 700000, 99u * channels);
  }
}
