#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "EffectTestSupport.h"
#include "Equalizer.h"
#include "ReportRecorder.h"

using namespace tessiro::test;

namespace {

EqualizerParams Gains(float left[10], float right[10], int mode = 0) {
  EqualizerParams p{mode, {}, {}};
  for (int b = 0; b < 10; ++b) {
    p.left.gains[b] = left[b];
    p.right.gains[b] = right[b];
  }
  return p;
}

EqualizerParams AllGains(float gain, int band = -1, float bandGain = 1.0f, int mode = 0) {
  float g[10];
  for (int b = 0; b < 10; ++b) g[b] = b == band ? bandGain : gain;
  return Gains(g, g, mode);
}

struct EqualizerChain {
  EqualizerChain(short channels, uint32_t block, const EqualizerParams& params) : channels(channels), block(block) {
    chain = MakeChain(channels, block, block + 16384);
    EqualizerInit init = ProgramBands();
    number = AddEffect(*chain, ZelmoEqualizer, &init);
    EqualizerParams copy = params;
    chain->SetEffectParameters(number, &copy);
  }
  // Feeds `input` (interleaved) as the chain asks for it and returns the output
  // blocks end to end, silence once the input runs out.
  std::vector<short> Run(const std::vector<short>& input, size_t outputFrames, std::vector<uint32_t>* asked = nullptr) {
    std::vector<short> out;
    std::vector<short> work(size_t{block + 16384} * channels);
    size_t read = 0;
    while (out.size() < outputFrames * channels) {
      const uint32_t need = chain->GetMinSamplesNeededForOutput();
      if (asked) asked->push_back(need);
      std::fill(work.begin(), work.end(), 0);
      const size_t take = std::min<size_t>(size_t{need} * channels, input.size() - std::min(read, input.size()));
      std::copy_n(input.begin() + static_cast<long>(read), take, work.begin());
      read += take;
      chain->ProcessAudio(work.data(), need);
      out.insert(out.end(), work.begin(), work.begin() + static_cast<long>(block) * channels);
    }
    out.resize(outputFrames * channels);
    return out;
  }
  CEqualizer& Effect() {
    CEffect* effect = nullptr;
    chain->InitGetAllEffects();
    chain->GetNextEffect(&effect);
    return *static_cast<CEqualizer*>(effect);
  }
  short channels;
  uint32_t block;
  std::unique_ptr<CZelmo> chain;
  short number = -1;
};

std::vector<short> Sine(size_t frames, short channels, double hz, double amplitude) {
  std::vector<short> out(frames * channels);
  for (size_t f = 0; f < frames; ++f) {
    for (short c = 0; c < channels; ++c) out[f * channels + c] = static_cast<short>(std::lround(amplitude * std::sin(2 * M_PI * hz * f / 44100.0 + c)));
  }
  return out;
}

double Peak(const std::vector<short>& x, size_t from, size_t to) {
  double peak = 0;
  for (size_t i = from; i < to; ++i) peak = std::max(peak, std::fabs(double(x[i])));
  return peak;
}

}  // namespace

TEST(Equalizer, FlatGainsReproduceTheAlignedInputAtEveryBlockSize) {
  // The Hann window over N - 1 overlap-adds to 1 within 0.5 x pi / (N - 1), and
  // each of the two overlapping frames is truncated to a whole sample.
  const double bound = 32767.0 * 0.5 * M_PI / 4095.0 + 2.0;
  for (uint32_t block : {256u, 1000u, 2048u, 4097u, 8192u, 44100u, 88200u}) {
    EqualizerChain eq(2, block, AllGains(1.0f));
    const size_t frames = 200000;
    const std::vector<short> in = Noise(frames * 2, block, 32767);
    const std::vector<short> out = eq.Run(in, frames);
    int worst = 0;
    for (size_t i = 0; i < out.size(); ++i) worst = std::max(worst, std::abs(out[i] - in[i]));
    EXPECT_LE(worst, bound) << "block " << block;
    EXPECT_GE(worst, 10) << "full-scale noise reaches the window's error";
  }
}

TEST(Equalizer, ChainAsksForTwoFramesAheadThenOneBlockAtATime) {
  EqualizerChain eq(2, 8192, AllGains(1.0f));
  std::vector<uint32_t> asked;
  eq.Run(Noise(2 * 100000, 1), 8192 * 6, &asked);
  EXPECT_EQ(asked, (std::vector<uint32_t>{16384, 8192, 8192, 8192, 8192, 8192}));
}

TEST(Equalizer, HalfGainOnTheThousandHertzBandHalvesThatToneOnly) {
  const size_t frames = 8192 * 12;
  for (short channels : {1, 2}) {
    for (double hz : {1000.0, 600.0, 3000.0}) {
      EqualizerChain eq(channels, 8192, AllGains(1.0f, 4, 0.5f));
      const std::vector<short> out = eq.Run(Sine(frames, channels, hz, 16000), frames);
      // Away from both ends, where the tone starts and stops.
      const double ratio = Peak(out, 8192 * channels, out.size() - 8192 * channels) / 16000.0;
      if (hz == 1000.0) {
        EXPECT_NEAR(ratio, 0.5, 0.03) << channels;
      } else {
        EXPECT_NEAR(ratio, 1.0, 0.02) << hz << " Hz, " << channels << " channel(s)";
      }
    }
  }
}

TEST(Equalizer, CurveRunsStraightOrLogarithmicBetweenBands) {
  EqualizerChain linear(2, 2048, AllGains(1.0f, 4, 2.0f, 0));
  const std::vector<float>& curve = linear.Effect().GainCurve(0);
  ASSERT_EQ(curve.size(), 2048u);
  EXPECT_FLOAT_EQ(curve[93], 2.0f);
  EXPECT_FLOAT_EQ(curve[56], 1.0f);
  EXPECT_NEAR(curve[74], 1.4865, 1e-4);

  EqualizerChain logarithmic(2, 2048, AllGains(1.0f, 4, 2.0f, 1));
  EXPECT_NEAR(logarithmic.Effect().GainCurve(1)[74], 1.7307, 1e-4);

  // Below the first centre the first gain, from the last centre up the last.
  float left[10] = {0.25f, 1, 1, 1, 1, 1, 1, 1, 1, 3.0f};
  float right[10] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
  EqualizerChain edges(2, 2048, Gains(left, right));
  const std::vector<float>& l = edges.Effect().GainCurve(0);
  for (int k = 0; k <= 6; ++k) EXPECT_EQ(l[k], 0.25f) << k;
  for (int k = 1486; k < 2048; ++k) ASSERT_EQ(l[k], 3.0f) << k;
  EXPECT_EQ(edges.Effect().GainCurve(1)[0], 1.0f);
}

TEST(Equalizer, LoudSumsSaturateInsteadOfWrapping) {
  for (short channels : {1, 2}) {
    EqualizerChain eq(channels, 4096, AllGains(2.0f));
    const size_t frames = 4096 * 8;
    const std::vector<short> in = Sine(frames, channels, 440, 30000);
    const std::vector<short> out = eq.Run(in, frames);
    for (size_t i = 0; i < out.size(); ++i) {
      if (std::abs(in[i]) > 20000) {
        ASSERT_EQ(out[i], in[i] > 0 ? 32767 : -32767) << i;
      }
    }
  }
}

TEST(Equalizer, ShortFeedStillFillsTheBlockFromSilence) {
  // The chain asks for 16384 frames first; given only 8192, the frames past
  // the queue read as silence and the block is still filled.
  EqualizerChain eq(2, 8192, AllGains(1.0f));
  const std::vector<short> in = Noise(2 * 8192, 5);
  std::vector<short> work(2 * (8192 + 16384), -32768);  // a value the equalizer never writes
  std::copy(in.begin(), in.end(), work.begin());
  eq.chain->ProcessAudio(work.data(), 8192);
  for (size_t i = 0; i < 2 * 6144; ++i) ASSERT_NEAR(work[i], in[i], 13) << i;
  for (size_t i = 2 * 6144; i < 2 * 8192; ++i) ASSERT_NE(work[i], -32768) << i;
}

TEST(Equalizer, SizeThatIsNotAPowerOfTwoIsRefusedAndTheBlockPasses) {
  auto chain = MakeChain(2, 4096, 4096 + 16384);
  EqualizerInit init = ProgramBands(3000);
  AddEffect(*chain, ZelmoEqualizer, &init);
  const auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0].report.title, "FFTReal");
  EXPECT_EQ(reports[1].report.title, "Equalizer");
  EXPECT_EQ(chain->GetMinSamplesNeededForOutput(), 4096u);
  const std::vector<short> in = Noise(2 * 4096, 6);
  std::vector<short> block = in;
  chain->ProcessAudio(block.data(), 4096);
  EXPECT_EQ(block, in);
}

TEST(Equalizer, EffectsAfterItSeeOneOutputBlockWhateverWentIn) {
  // [chorus, flange, equalizer, echo] with the delay effects made transparent
  // and the echo halving: the first 1000 frames come out halved, everything
  // past them is left as it went in, and the chain asks for 8192 more frames
  // only while the equalizer fills its queue.
  auto chain = MakeChain(2, 1000, 1000 + 16384);
  ChorusFlangeParams clear{1, 1, 0, 0, 0.5f, 0.5f, 0, 0, 4, 4, 3, 3};
  for (ZelmoEffectType type : {ZelmoChorus, ZelmoFlange}) chain->SetEffectParameters(AddEffect(*chain, type), &clear);
  EqualizerInit init = ProgramBands();
  const short eq = AddEffect(*chain, ZelmoEqualizer, &init);
  EqualizerParams flat = AllGains(1.0f);
  chain->SetEffectParameters(eq, &flat);
  EchoParams half{0.5f, 0.5f, 0, 0, 0.5f, 0.5f, 0, 0};
  chain->SetEffectParameters(AddEffect(*chain, ZelmoEcho), &half);

  const std::vector<short> stream = Noise(2 * 60000, 12);
  size_t read = 0, written = 0;
  for (int call = 0; call < 12; ++call) {
    const uint32_t need = chain->GetMinSamplesNeededForOutput();
    EXPECT_EQ(need, call == 0 ? 9192u : 1000u) << call;
    std::vector<short> work(stream.begin() + static_cast<long>(read), stream.begin() + static_cast<long>(read + 2 * need));
    chain->ProcessAudio(work.data(), need);
    for (size_t i = 0; i < 2000; ++i) ASSERT_NEAR(work[i], stream[written + i] / 2, 7) << call << " " << i;
    for (size_t i = 2000; i < work.size(); ++i) ASSERT_EQ(work[i], stream[read + i]) << call << " " << i;
    read += 2 * need;
    written += 2000;
  }
}
