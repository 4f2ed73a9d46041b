#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "EffectTestSupport.h"
#include "ReferenceTaps.h"
#include "ReportRecorder.h"

using namespace tessiro::test;

namespace {

EchoParams Echo(float dry, float gain, float decay, float delayMs) {
  return EchoParams{dry, dry, gain, gain, decay, decay, delayMs, delayMs};
}

// Runs `signal` (interleaved) through a fresh one-echo chain in blocks of `block` frames.
std::vector<short> RunEcho(const EchoParams& params, std::vector<short> signal, short channels, uint32_t block,
                           uint32_t maxInput = 8192) {
  auto chain = MakeChain(channels, block, maxInput);
  const short n = AddEffect(*chain, ZelmoEcho);
  EchoParams copy = params;
  chain->SetEffectParameters(n, &copy);
  const size_t frames = signal.size() / channels;
  for (size_t at = 0; at < frames; at += block) {
    const uint32_t count = static_cast<uint32_t>(std::min<size_t>(block, frames - at));
    EXPECT_EQ(chain->ProcessAudio(signal.data() + at * channels, count), 1u);
  }
  return signal;
}

}  // namespace

TEST(Echo, ImpulseGivesTapsAtMultiplesOfTheDelay) {
  // 100 ms is 4410 frames; gains 0.5 then 0.25, then 0.0 ends the taps.
  std::vector<short> signal(2 * 20000, 0);
  signal[0] = 10000;
  const std::vector<short> out = RunEcho(Echo(1.0f, 0.5f, 0.5f, 100.0f), signal, 2, 1000);
  for (size_t f = 0; f < 20000; ++f) {
    const short expected = f == 0 ? 10000 : f == 4410 ? 5000 : f == 8820 ? 2500 : 0;
    ASSERT_EQ(out[2 * f], expected) << "left frame " << f;
    ASSERT_EQ(out[2 * f + 1], 0) << "right frame " << f;
  }
}

TEST(Echo, DialogDefaultsGiveTwoTaps) {
  std::vector<short> signal(2 * 40000, 0);
  signal[1] = 10000;  // right channel this time
  const std::vector<short> out = RunEcho(Echo(1.0f, 0.631f, 0.5f, 300.0f), signal, 2, 4096);
  std::vector<size_t> taps;
  for (size_t f = 1; f < 40000; ++f) {
    if (out[2 * f + 1] != 0) taps.push_back(f);
    ASSERT_EQ(out[2 * f], 0);
  }
  ASSERT_EQ(taps, (std::vector<size_t>{13230, 26460}));
  EXPECT_NEAR(out[2 * 13230 + 1], 6310, 1);
  EXPECT_NEAR(out[2 * 26460 + 1], 3160, 1);
}

TEST(Echo, GainBelowOneHundredthOnlyAppliesTheDryGain) {
  const std::vector<short> in = Noise(2 * 30000, 7);
  const std::vector<short> out = RunEcho(Echo(0.5f, 0.0099f, 0.5f, 10.0f), in, 2, 1024);
  for (size_t i = 0; i < in.size(); ++i) ASSERT_EQ(out[i], static_cast<short>(std::trunc(0.5 * in[i]))) << i;
}

TEST(Echo, DryGainOfOneLeavesEvenTheLowestSampleAlone) {
  // -32768 lies outside the clip range; with unity dry gain and no tap reaching
  // it, it must come out as it went in. A tap that lands on a loud sample saturates.
  std::vector<short> in(2 * 3000, 0);
  in[0] = 30000;
  in[2 * 200] = -32768;  // before the first tap can reach (10 ms = 441 frames)
  in[2 * 441] = 30000;   // the tap of frame 0 lands here
  const std::vector<short> out = RunEcho(Echo(1.0f, 0.5f, 1.0f, 10.0f), in, 2, 3000);
  EXPECT_EQ(out[0], 30000);
  EXPECT_EQ(out[2 * 200], -32768);
  EXPECT_EQ(out[2 * 441], 32767);
  EXPECT_EQ(out[2 * 641], -16384);
  EXPECT_EQ(out[2 * 882], 15000);
}

TEST(Echo, FirstTapFallsLaterInTheBlockBeforeAnyHistoryExists) {
  std::vector<short> in(8192, 0);
  in[100] = 8000;
  const std::vector<short> out = RunEcho(Echo(1.0f, 0.5f, 0.5f, 100.0f), in, 1, 8192);
  for (size_t f = 0; f < in.size(); ++f) {
    const short expected = f == 100 ? 8000 : f == 4510 ? 4000 : 0;
    ASSERT_EQ(out[f], expected) << f;
  }
}

TEST(Echo, ResetForgetsEverythingHeardBefore) {
  auto chain = MakeChain(2, 4096, 8192);
  const short n = AddEffect(*chain, ZelmoEcho);
  EchoParams p = Echo(1.0f, 0.8f, 0.1f, 50.0f);
  chain->SetEffectParameters(n, &p);
  std::vector<short> loud = Noise(2 * 4096, 3);
  chain->ProcessAudio(loud.data(), 4096);
  chain->Reset();
  std::vector<short> silence(2 * 4096, 0);
  chain->ProcessAudio(silence.data(), 4096);
  EXPECT_EQ(silence, std::vector<short>(2 * 4096, 0));
}

TEST(Echo, NewEchoPassesAudioThroughUntilItsParametersArrive) {
  auto chain = MakeChain(2, 2048, 8192);
  AddEffect(*chain, ZelmoEcho);
  const std::vector<short> in = Noise(2 * 2048, 11, 32767);
  std::vector<short> block = in;
  chain->ProcessAudio(block.data(), 2048);
  EXPECT_EQ(block, in);
  EchoParams stored{};
  ASSERT_EQ(chain->GetEffectParameters(0, &stored), 1u);
  EXPECT_EQ(stored.dryGainLeft, 1.0f);
  EXPECT_EQ(stored.echoGainRight, 0.0f);
}

TEST(Echo, DelayBeyondTheHistoryNeverDropsMoreThanItHolds) {
  // A 20 s delay cannot be reached by the 12 s history: only the dry gain is
  // heard, and filling the history past its end must not run wild.
  const std::vector<short> in = Noise(700000, 5);
  const std::vector<short> out = RunEcho(Echo(0.5f, 0.9f, 0.1f, 20000.0f), in, 1, 30000, 44100);
  for (size_t i = 0; i < in.size(); ++i) ASSERT_EQ(out[i], static_cast<short>(std::trunc(0.5 * in[i]))) << i;
}

TEST(Echo, MatchesTheLiteralReferenceOverLongRunsAndOddBlocks) {
  // Long enough to fill the 529200-sample history and keep dropping from it;
  // block sizes vary from 1 frame up, parameters include long delays and gains
  // that saturate.
  const EchoParams cases[] = {
      {1.0f, 0.7f, 0.9f, 0.6f, 0.2f, 0.3f, 120.0f, 700.0f},
      {0.8f, 1.0f, 1.0f, 0.5f, 0.001f, 0.25f, 2000.0f, 13.0f},
      {1.3f, 0.5f, 0.3f, 0.8f, 0.6f, 0.1f, 0.0f, 11000.0f},
  };
  for (short channels : {1, 2}) {
    for (const EchoParams& p : cases) ExpectMatchesReference(p, channels, 800000, 1234u * channels);
  }
}
