#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "ChannelWorker.h"
#include "EffectTestSupport.h"
#include "Phaser.h"
#include "ReportRecorder.h"

using namespace tessiro::test;

namespace {

ChorusFlangeParams Chorus(float dry, float wet, float hz, float phase, float delayMs, float depthMs) {
  return {dry, dry, wet, wet, hz, hz, phase, phase, delayMs, delayMs, depthMs, depthMs};
}

// Every input since the reset kept in one array, read at absolute places: the
// read for the u-th sample after the lead-in starts at the u of the block's
// first such sample, plus the oscillator's offset and the count within the block.
class CReferencePhaser {
 public:
  explicit CReferencePhaser(int channels) : channels_(channels) {}

  void Set(const ChorusFlangeParams& p) {
    const float dry[2] = {p.dryGainLeft, p.dryGainRight}, wet[2] = {p.wetGainLeft, p.wetGainRight};
    const float hz[2] = {p.lfoHzLeft, p.lfoHzRight}, phase[2] = {p.lfoPhaseDegLeft, p.lfoPhaseDegRight};
    const float delay[2] = {p.delayMsLeft, p.delayMsRight}, depth[2] = {p.depthMsLeft, p.depthMsRight};
    for (int c = 0; c < 2; ++c) {
      Channel& ch = ch_[c];
      ch = Channel{};
      ch.dry = dry[c];
      ch.wet = wet[c];
      ch.delay = static_cast<uint32_t>(delay[c] / 1000.0f * 44100.0f);
      ch.depth = std::min(static_cast<uint32_t>(depth[c] / 1000.0f * 44100.0f), ch.delay);
      const uint32_t n = static_cast<uint32_t>(44100.0f / hz[c]);
      for (uint32_t i = 0; i < n; ++i) {
        ch.table.push_back(static_cast<float>(std::sin(phase[c] * 3.1415927 / 360 + i * 6.2831855 / n - 0.7853982) * 0.5 + 0.5));
      }
    }
  }

  void Process(short* block, uint32_t frames) {
    for (int c = 0; c < channels_; ++c) {
      Channel& ch = ch_[c];
      const size_t base = ch.afterLeadIn;
      for (uint32_t j = 0; j < frames; ++j) ch.heard.push_back(block[j * channels_ + c]);
      uint32_t used = 0;
      for (uint32_t j = 0; j < frames; ++j) {
        short& s = block[j * channels_ + c];
        float out;
        if (ch.counter < ch.delay) {
          out = std::trunc(ch.dry * s);
        } else {
          const float rel = ch.table[ch.afterLeadIn % ch.table.size()] * static_cast<float>(ch.depth) + static_cast<float>(used);
          const uint32_t k = static_cast<uint32_t>(rel);
          const float a = ch.heard[base + k];
          const float b = base + k + 1 < ch.heard.size() ? ch.heard[base + k + 1] : 0.0f;
          out = ch.wet * (a + (rel - static_cast<float>(k)) * (b - a)) + ch.dry * s;
          ++used;
          ++ch.afterLeadIn;
        }
        s = static_cast<short>(out > 32767.0f ? 32767 : out < -32767.0f ? -32767 : static_cast<int>(out));
        ++ch.counter;
      }
    }
  }

 private:
  struct Channel {
    float dry = 0, wet = 0;
    uint32_t delay = 0, depth = 0, counter = 0;
    size_t afterLeadIn = 0;
    std::vector<float> table;
    std::vector<short> heard;
  };
  int channels_;
  Channel ch_[2];
};

CPhaser& PhaserOf(CZelmo& chain, short number) {
  CEffect* effect = nullptr;
  chain.InitGetAllEffects();
  for (short i = 0; i <= number; ++i) chain.GetNextEffect(&effect);
  return *static_cast<CPhaser*>(effect);
}

}  // namespace

TEST(Phaser, MatchesTheLiteralReferenceAcrossBlocksAndParameterChanges) {
  const ChorusFlangeParams cases[] = {
      Chorus(0.631f, 0.562f, 0.7f, 0.0f, 25.0f, 20.0f),                                  // typical chorus
      {0.398f, 0.5f, 0.501f, 0.7f, 0.5f, 0.17f, 0.0f, 180.0f, 4.0f, 2.0f, 3.0f, 1.0f},  // flanges
      Chorus(0.5f, 0.9f, 3.0f, 90.0f, 5.0f, 20.0f),                                     // depth above delay
      Chorus(0.7f, 0.7f, 20.0f, 45.0f, 0.0f, 10.0f),                                    // no delay at all
  };
  std::mt19937 random(8);
  for (short channels : {1, 2}) {
    for (const ChorusFlangeParams& p : cases) {
      auto chain = MakeChain(channels, 8192, 8192);
      const short n = AddEffect(*chain, ZelmoChorus);
      ChorusFlangeParams copy = p;
      chain->SetEffectParameters(n, &copy);
      CReferencePhaser reference(channels);
      reference.Set(p);
      uint32_t done = 0;
      for (int b = 0; done < 300000; ++b) {
        if (b == 40) {
          // A new dry gain restarts the lead-in on both sides.
          copy.dryGainLeft = copy.dryGainRight = 0.25f;
          chain->SetEffectParameters(n, &copy);
          reference.Set(copy);
        }
        const uint32_t frames = b < 4 ? 1 + 50 * b : 1 + random() % 8192;
        std::vector<short> ours = Noise(size_t{frames} * channels, b, 32767);
        std::vector<short> theirs = ours;
        chain->ProcessAudio(ours.data(), frames);
        reference.Process(theirs.data(), frames);
        ASSERT_EQ(ours, theirs) << "block " << b << ", " << channels << " channel(s)";
        done += frames;
      }
    }
  }
}

TEST(Phaser, LeadInIsDryAfterResetAndAfterEveryParameterChange) {
  auto chain = MakeChain(2, 1024, 8192);
  const short n = AddEffect(*chain, ZelmoChorus);
  ChorusFlangeParams p = Chorus(0.5f, 0.5f, 0.5f, 0.0f, 3.0f, 2.0f);  // 3 ms is 132 samples
  chain->SetEffectParameters(n, &p);
  const std::vector<float>* table = &PhaserOf(*chain, n).LfoTable(0);
  const float* tableData = table->data();
  for (int round = 0; round < 3; ++round) {
    const std::vector<short> in = Noise(2 * 1024, 30 + round);
    std::vector<short> out = in;
    chain->ProcessAudio(out.data(), 1024);
    for (size_t i = 0; i < 2 * 132; ++i) ASSERT_EQ(out[i], static_cast<short>(in[i] / 2)) << "round " << round << " sample " << i;
    bool wetHeard = false;
    for (size_t i = 2 * 132; i < out.size(); ++i) wetHeard |= out[i] != static_cast<short>(in[i] / 2);
    EXPECT_TRUE(wetHeard);
    if (round == 0) chain->Reset();
    if (round == 1) {
      p.wetGainLeft = 0.3f;  // a gain alone: a new lead-in, the same table
      chain->SetEffectParameters(n, &p);
    }
  }
  EXPECT_EQ(PhaserOf(*chain, n).LfoTable(0).data(), tableData);
}

TEST(Phaser, OscillatorTableHoldsOnePeriod) {
  auto chain = MakeChain(2, 1024, 8192);
  const short n = AddEffect(*chain, ZelmoFlange);
  const std::vector<float>& left = PhaserOf(*chain, n).LfoTable(0);
  ASSERT_EQ(left.size(), 88200u);  // 0.5 Hz
  EXPECT_NEAR(left[0], 0.146447, 1e-6);
  EXPECT_NEAR(left[33075], 1.0, 1e-6);  // three eighths in
  EXPECT_NEAR(left[77175], 0.0, 1e-6);  // seven eighths in
  ChorusFlangeParams p = Chorus(0.5f, 0.5f, 2.0f, 0.0f, 4.0f, 3.0f);
  p.lfoPhaseDegRight = 180.0f;  // half radians: a quarter period further
  chain->SetEffectParameters(n, &p);
  const std::vector<float>& right = PhaserOf(*chain, n).LfoTable(1);
  ASSERT_EQ(right.size(), 22050u);
  EXPECT_NEAR(right[0], 0.853553, 1e-6);
  unsigned int type = 0;
  chain->GetEffectType(n, &type);
  EXPECT_EQ(type, ZelmoFlange);
}

TEST(Phaser, StoppedOscillatorIsReportedOnceAndItsChannelPassesThrough) {
  auto chain = MakeChain(2, 2048, 8192);
  const short n = AddEffect(*chain, ZelmoChorus);
  ChorusFlangeParams p = Chorus(0.5f, 0.5f, 1.0f, 0.0f, 10.0f, 5.0f);
  p.lfoHzLeft = 0.0f;
  chain->SetEffectParameters(n, &p);
  p.dryGainRight = 0.6f;  // a second record with the same stopped oscillator
  chain->SetEffectParameters(n, &p);
  const auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.title, "Phaser");
  EXPECT_EQ(reports[0].report.message, "Divide by Zero Error");
  for (int b = 0; b < 4; ++b) {
    const std::vector<short> in = Noise(2 * 2048, b);
    std::vector<short> out = in;
    chain->ProcessAudio(out.data(), 2048);
    for (size_t f = 0; f < 2048; ++f) ASSERT_EQ(out[2 * f], in[2 * f]) << f;
    EXPECT_NE(out[2 * 2000 + 1], in[2 * 2000 + 1]);
  }
  p.lfoHzLeft = -3.0f;
  chain->SetEffectParameters(n, &p);
  EXPECT_EQ(Reports().Take().size(), 1u);
}

TEST(Phaser, StoredDelayBeyondTheHistoryIsReportedOnceAndPasses) {
  auto chain = MakeChain(1, 1024, 1024);
  const short n = AddEffect(*chain, ZelmoChorus);
  ChorusFlangeParams p = Chorus(0.5f, 0.5f, 1.0f, 0.0f, 900.0f, 900.0f);
  chain->SetEffectParameters(n, &p);
  p.wetGainLeft = 0.4f;
  chain->SetEffectParameters(n, &p);
  const auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.title, "Phaser");
  const std::vector<short> in = Noise(1024, 77);
  std::vector<short> out = in;
  for (int b = 0; b < 50; ++b) {
    out = in;
    chain->ProcessAudio(out.data(), 1024);
    ASSERT_EQ(out, in) << b;
  }
  // The longest delay the dialogs offer always fits, whatever the block.
  p = Chorus(0.5f, 0.5f, 1.0f, 0.0f, 60.0f, 50.0f);
  chain->SetEffectParameters(n, &p);
  for (int b = 0; b < 10; ++b) chain->ProcessAudio(out.data(), 1024);
  EXPECT_EQ(Reports().Count(), 0u);
}

// Mono and stereo phasers (a mono one has one channel worker) beside an
// equalizer: the channels that run beside the caller give what the caller
// alone gives, and no effect starts a thread of its own.
TEST(Phaser, ChannelsBesideTheCallerGiveTheCallersOutputWithNoThreadOfTheirOwn) {
  const struct {
    short channels;
    ZelmoEffectType type;
  } cases[] = {{1, ZelmoChorus}, {2, ZelmoChorus}, {1, ZelmoFlange}, {2, ZelmoFlange}};
  for (const auto& c : cases) {
    std::vector<short> out[2];
    for (bool inlineWorkers : {true, false}) {
      CWorkerMode mode(inlineWorkers);
      auto chain = MakeChain(c.channels, 1024, 16384);  // the equalizer asks for two frames ahead
      const short n = AddEffect(*chain, c.type);
      ChorusFlangeParams p = Chorus(0.5f, 0.5f, 3.0f, 90.0f, 4.0f, 3.0f);
      p.lfoHzRight = 1.5f;
      chain->SetEffectParameters(n, &p);
      EqualizerInit init = ProgramBands();
      AddEffect(*chain, ZelmoEqualizer, &init);
      const int threads = AwaitThreadsNamed(kWorkerThreads, ChannelCrewThreads());
      EXPECT_EQ(threads, ChannelCrewThreads());
      for (int b = 0; b < 12; ++b) {
        const uint32_t frames = chain->GetMinSamplesNeededForOutput();
        std::vector<short> block = Noise(size_t{frames} * c.channels, 60 + b);
        chain->ProcessAudio(block.data(), frames);
        out[inlineWorkers].insert(out[inlineWorkers].end(), block.begin(), block.begin() + 1024 * c.channels);
      }
      EXPECT_EQ(ThreadsNamed(kWorkerThreads), threads);
    }
    EXPECT_TRUE(out[0] == out[1]) << c.channels << " channel(s), type " << c.type;
  }
}
