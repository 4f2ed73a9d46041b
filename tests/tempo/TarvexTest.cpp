#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "PageBuffer.h"
#include "ReportRecorder.h"
#include "TarvexProbe.h"

using tessiro::test::Reports;
using namespace tarvex_test;

namespace {

constexpr uint32_t kTenSeconds = 441000;
constexpr uint32_t kWindow = 3616;

// Takes every report raised so far and checks they all carry this line and message.
void ExpectReports(int line, const char* message, size_t atLeast = 1) {
  const auto taken = Reports().Take();
  ASSERT_GE(taken.size(), atLeast);
  for (const auto& r : taken) {
    EXPECT_EQ(r.report.title, "tarvex");
    EXPECT_EQ(r.report.line, line);
    EXPECT_EQ(r.report.message, message);
  }
}

size_t Frames(const std::vector<int16_t>& v, int channels) { return v.size() / channels; }

std::vector<int16_t> Channel(const std::vector<int16_t>& v, int channels, int c) {
  std::vector<int16_t> out;
  for (size_t i = c; i < v.size(); i += channels) out.push_back(v[i]);
  return out;
}

}  // namespace

TEST(TarvexSizes, DerivedFromTheFrequency) {
  CTarvex t;
  t.Init();
  TarvexProbe x(t);
  EXPECT_EQ(x.windowFrames(), 3616u);
  EXPECT_EQ(x.seekFrames(), 617u);
  EXPECT_EQ(x.overlapFrames(), 529u);
  EXPECT_EQ(x.halfSeekRounded(), 309);
  EXPECT_EQ(x.halfOverlapRounded(), 265u);
  EXPECT_EQ(x.overlapSamplesStereo(), 1058u);
  EXPECT_EQ(x.halfWindowFrames(), 1808);
  EXPECT_FLOAT_EQ(x.halfSeek(), 308.5f);
  EXPECT_FLOAT_EQ(x.halfOverlap(), 264.5f);
  EXPECT_EQ(x.singleMendMinimum(), 1146u);
  EXPECT_EQ(x.multiMendThreshold(), 6086u);
  EXPECT_EQ(x.inputCapacity(), 65536u);  // twice the 0x8000-frame block
  EXPECT_EQ(x.rateCapacity(), 65536u);
  EXPECT_EQ(x.tempoCapacity(), 65536u);

  CTarvex half;
  half.SetFrequency(22050);
  half.SetSizeOutputBufferSample(1000);
  half.Init();
  TarvexProbe y(half);
  EXPECT_EQ(y.windowFrames(), 1808u);  // 82 ms of 22.05 frames, rounded
  EXPECT_EQ(y.seekFrames(), 309u);
  EXPECT_EQ(y.overlapFrames(), 265u);
  EXPECT_EQ(y.inputCapacity(), 2048u);  // 2000 frames, up to whole 1024s
}

TEST(TarvexSizes, RampsCrossToFullScale) {
  CTarvex t;
  t.Init();
  TarvexProbe x(t);
  EXPECT_EQ(x.fadeIn()[0], 0);
  EXPECT_EQ(x.fadeOut()[0], 65535);
  for (uint32_t i = 0; i < 529; ++i) {
    const double ideal = i / 529.0 * 65535.0;
    EXPECT_NEAR(x.fadeIn()[i], ideal, 0.51) << i;
    EXPECT_NEAR(x.fadeOut()[i], 65535.0 - ideal, 0.51) << i;
    const int sum = x.fadeIn()[i] + x.fadeOut()[i];
    EXPECT_TRUE(sum == 65535 || sum == 65536) << i;  // a cross-fade can never overflow 16 bits
    if (i > 0) {
      EXPECT_GT(x.fadeIn()[i], x.fadeIn()[i - 1]);
    }
  }
}

TEST(TarvexSizes, EmptyBlockStillGetsRoom) {
  CTarvex t;
  t.SetSizeOutputBufferSample(0);
  t.Init();
  EXPECT_EQ(TarvexProbe(t).inputCapacity(), 1024u);
}

TEST(TarvexFactors, PitchCombinesWithTempoAndRate) {
  CTarvex t;
  t.SetTempo(1.5f);
  t.SetPitchViaSemitones(12);
  TarvexProbe x(t);
  EXPECT_FLOAT_EQ(t.GetPitch(), 0.5f);
  EXPECT_FLOAT_EQ(x.effectiveTempo(), 3.0f);
  EXPECT_FLOAT_EQ(x.effectiveRate(), 0.5f);
  t.SetRate(2.0f);
  EXPECT_FLOAT_EQ(x.effectiveRate(), 1.0f);
  t.SetTempo(0.8f);
  EXPECT_FLOAT_EQ(x.effectiveTempo(), 1.6f);
  t.SetPitchViaSemitones(-12);
  EXPECT_FLOAT_EQ(t.GetPitch(), 2.0f);
  EXPECT_FLOAT_EQ(x.effectiveTempo(), 0.4f);
  EXPECT_FLOAT_EQ(x.effectiveRate(), 4.0f);

  t.SetBestFitCorrLimit(2.7f);
  EXPECT_EQ(t.GetBestFitCorrLimit(), 2u);
  t.SetBestFitCorrLimit(-1.0f);
  EXPECT_EQ(t.GetBestFitCorrLimit(), 0u);
}

TEST(TarvexFactors, ZeroPitchOrTempoIsReportedAndTakenAsOne) {
  CTarvex t;
  t.SetSizeOutputBufferSample(4096);
  t.Init();
  TarvexProbe x(t);
  t.SetPitch(0.0f);
  ExpectReports(275, "Divide By Zero Violation");
  EXPECT_FLOAT_EQ(x.effectiveTempo(), 1.0f);
  t.SetTempo(2.0f);
  ExpectReports(291, "Divide By Zero Violation");
  EXPECT_FLOAT_EQ(x.effectiveTempo(), 1.0f);

  // A tempo of zero or below would make the need estimate count windows for ever.
  t.SetPitch(1.0f);
  for (float tempo : {0.0f, -2.0f, NAN}) {
    t.SetTempo(tempo);
    ExpectReports(291, "Divide By Zero Violation");
    EXPECT_FLOAT_EQ(x.effectiveTempo(), 1.0f);
    EXPECT_EQ(t.GetMinSamplesNeededForOutput(), 4096u);
  }
}

TEST(TarvexFactors, NeedEstimateFollowsTheWindows) {
  // Worked by hand: each window counts as its length less 309, and a look-ahead
  // of one window at the input's pace is added.
  struct Case {
    float tempo, semitones;
    uint32_t need;
  };
  for (const Case& c : {Case{1.0f, 0, 8192}, Case{2.0f, 0, 2 * 3616 + 1808}, Case{0.5f, 0, 5 * 3616 + 7232},
                        Case{1.0f, 12, 2 * (2 * 3616 + 1808) + 2}}) {
    CTarvex t;
    t.SetSizeOutputBufferSample(8192);
    t.SetTempo(c.tempo);
    t.SetPitchViaSemitones(c.semitones);
    t.Init();
    EXPECT_EQ(t.GetMinSamplesNeededForOutput(), c.need) << c.tempo << " " << c.semitones;
  }
  // A vanishing tempo asks for a great deal, but the count ends.
  CTarvex tiny;
  tiny.SetTempo(1e-7f);
  tiny.Init();
  EXPECT_GT(tiny.GetMinSamplesNeededForOutput(), 100000000u);
}

TEST(TarvexStream, UnitFactorsGiveTheInputBack) {
  for (int channels : {1, 2}) {
    CTarvex t;
    t.SetChannels(static_cast<int16_t>(channels));
    t.SetSizeOutputBufferSample(4096);
    t.Init();
    const std::vector<int16_t> in = Noise(100000, channels, 7);
    EXPECT_EQ(StreamAsAsked(t, in, channels), in) << channels;
  }
}

TEST(TarvexStream, TempoChangesLengthNotFrequency) {
  const std::vector<int16_t> in = Sine(440, 44100, kTenSeconds, 2);
  for (float tempo : {2.0f, 0.5f, 1.5f, 0.8f}) {
    CTarvex t;
    t.SetTempo(tempo);
    t.Init();
    const std::vector<int16_t> out = StreamAsAsked(t, in, 2);
    EXPECT_NEAR(static_cast<double>(Frames(out, 2)), tempo * kTenSeconds, kWindow) << tempo;
    for (int c = 0; c < 2; ++c) EXPECT_NEAR(MeasureHz(out, 2, c, 44100, 4000), 440.0, 4.4) << tempo << " " << c;
  }
}

TEST(TarvexStream, OctaveUpAndDownKeepTheLength) {
  const std::vector<int16_t> in = Sine(440, 44100, kTenSeconds, 2);
  for (float semitones : {12.0f, -12.0f}) {
    CTarvex t;
    t.SetPitchViaSemitones(semitones);
    t.Init();
    const std::vector<int16_t> out = StreamAsAsked(t, in, 2);
    const double hz = semitones > 0 ? 880.0 : 220.0;
    EXPECT_NEAR(static_cast<double>(Frames(out, 2)), kTenSeconds, kWindow) << semitones;
    for (int c = 0; c < 2; ++c) EXPECT_NEAR(MeasureHz(out, 2, c, 44100, 4000), hz, hz / 100) << semitones;
  }
}

TEST(TarvexStream, RateTwoTurns22050Into44100) {
  for (int channels : {1, 2}) {
    const std::vector<int16_t> in = Sine(440, 22050, 22050 * 4, channels);
    CTarvex t;
    t.SetChannels(static_cast<int16_t>(channels));
    t.SetRate(2.0f);
    t.Init();
    const std::vector<int16_t> out = StreamAsAsked(t, in, channels);
    EXPECT_NEAR(static_cast<double>(Frames(out, channels)), 2.0 * 22050 * 4, 4) << channels;
    EXPECT_NEAR(MeasureHz(out, channels, channels - 1, 44100, 1000), 440.0, 1.0);
  }
}

TEST(TarvexStream, InterpolatesBetweenNeighbours) {
  // A ramp makes every interpolated frame known: frame j of rate r lies at j / r.
  std::vector<int16_t> ramp(300);
  for (int i = 0; i < 300; ++i) ramp[i] = static_cast<int16_t>(100 * i);
  for (float rate : {2.0f, 0.5f, 0.75f, 1.6f}) {
    CTarvex t;
    t.SetChannels(1);
    t.SetRate(rate);
    t.Init();
    const std::vector<int16_t> out = StreamInBlocks(t, ramp, 1, 7);
    const size_t interpolated = static_cast<size_t>(299 * rate);
    ASSERT_GE(out.size(), interpolated) << rate;
    for (size_t j = 0; j < interpolated; ++j) EXPECT_NEAR(out[j], 100.0 * j / rate, 1.0) << rate << " " << j;
  }
}

TEST(TarvexStream, AnExactRateKeepsTheTimelineOfAnHourToTheFrame) {
  // Frame k lies at k x from / to of the input, and is made while the input
  // holds the frame after that: in float the rate's rounding moved an hour of
  // 48 kHz by nine frames.
  struct Case {
    uint32_t from, to;
    uint64_t frames;
  } cases[] = {{48000, 44100, 48000ull * 3600}, {50000, 44100, 50000ull * 1200}, {44100, 48000, 44100ull * 1200}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.from) + " to " + std::to_string(c.to));
    CTarvex t;
    t.SetChannels(1);
    t.SetSizeOutputBufferSample(1 << 20);
    t.SetRateRatio(c.to, c.from);
    t.Init();
    const std::vector<int16_t> silence(1 << 21, 0);
    std::vector<int16_t> out(1 << 20);
    uint64_t fed = 0, made = 0;
    for (;;) {
      const auto n = static_cast<uint32_t>(
          std::min<uint64_t>({t.GetMinSamplesNeededForOutput(), silence.size(), c.frames - fed}));
      uint32_t got = 0;
      t.ProcessAudio(silence.data(), n, out.data(), &got);
      made += got;
      fed += n;
      if (fed == c.frames && got == 0) break;
    }
    EXPECT_EQ(made, ((c.frames - 1) * c.to + c.from - 1) / c.from);
  }
}

TEST(TarvexStream, BlockSizeDoesNotChangeTheStream) {
  // Fed in blocks and emptied before the flush, the output is one stream
  // whatever the block: the windows sit at fixed places of the rate stage's
  // output, and the interpolator settles its advances before each block.
  struct Case {
    float tempo, semitones;
  };
  const std::vector<int16_t> in = Noise(44100 * 3, 2, 11);
  for (const Case& c : {Case{0.75f, 0}, Case{1.0f, -5}, Case{1.3f, 7}, Case{2.0f, 0}}) {
    std::vector<int16_t> reference;
    for (uint32_t block : {4096u, 1u, 257u, 65536u}) {
      CTarvex t;
      t.SetSizeOutputBufferSample(4096);
      t.SetTempo(c.tempo);
      t.SetPitchViaSemitones(c.semitones);
      t.Init();
      const std::vector<int16_t> out = StreamInBlocks(t, in, 2, block);
      if (reference.empty()) {
        reference = out;
        continue;
      }
      ASSERT_EQ(out.size(), reference.size()) << c.tempo << " " << c.semitones << " " << block;
      EXPECT_TRUE(out == reference) << c.tempo << " " << c.semitones << " " << block;
    }
  }
}

TEST(TarvexStream, InputFedBeyondTheEstimateLeavesUnstretched) {
  // Where the block size does matter: each call converts only what one output
  // block needs, so input fed beyond GetMinSamplesNeededForOutput waits in the
  // input store, and FlushStorage hands it out as it came in.
  const std::vector<int16_t> in = Noise(44100 * 3, 2, 12);
  auto run = [&](bool drain) {
    CTarvex t;
    t.SetSizeOutputBufferSample(4096);
    t.SetTempo(2.0f);
    t.Init();
    return StreamInBlocks(t, in, 2, 65536, drain);
  };
  const std::vector<int16_t> drained = run(true);
  const std::vector<int16_t> flushed = run(false);
  EXPECT_NEAR(static_cast<double>(Frames(drained, 2)), 2.0 * 44100 * 3, kWindow);
  EXPECT_LT(Frames(flushed, 2), 44100u * 3 * 3 / 2);
  // The last 100000 input frames come out untouched at the end.
  const size_t tail = 100000 * 2;
  ASSERT_GT(flushed.size(), tail);
  EXPECT_TRUE(std::equal(in.end() - tail, in.end(), flushed.end() - tail));
}

TEST(TarvexStream, SameBufferInAndOutEqualsTwoBuffers) {
  const std::vector<int16_t> in = Noise(100000, 2, 13);
  auto run = [&](bool inPlace) {
    CTarvex t;
    t.SetSizeOutputBufferSample(8192);
    t.SetTempo(1.2f);
    t.SetPitchViaSemitones(3);
    t.Init();
    std::vector<int16_t> out;
    std::vector<int16_t> buffer(200000 * 2);
    std::vector<int16_t> output(8192 * 2);
    uint32_t fed = 0;
    for (;;) {
      const uint32_t n = std::min(t.GetMinSamplesNeededForOutput(), 100000 - fed);
      std::copy(in.begin() + fed * 2, in.begin() + (fed + n) * 2, buffer.begin());
      uint32_t got = 0;
      int16_t* target = inPlace ? buffer.data() : output.data();
      t.ProcessAudio(buffer.data(), n, target, 8192, &got);
      out.insert(out.end(), target, target + got * 2);
      fed += n;
      if (fed == 100000 && got == 0) break;
    }
    return out;
  };
  const std::vector<int16_t> separate = run(false);
  EXPECT_GT(separate.size(), 100000u);
  EXPECT_TRUE(run(true) == separate);
}

TEST(TarvexStream, StereoOfOneSignalEqualsMono) {
  // Both channels of a stereo frame take part in one search, so two equal
  // channels must splice where the mono signal splices.
  const std::vector<int16_t> mono = Noise(80000, 1, 14);
  std::vector<int16_t> stereo;
  for (int16_t s : mono) stereo.insert(stereo.end(), {s, s});
  for (uint32_t skip : {1u, 2u}) {
    auto run = [&](int channels, const std::vector<int16_t>& in) {
      CTarvex t;
      t.SetChannels(static_cast<int16_t>(channels));
      t.SetTempo(1.37f);
      t.SetPitchViaSemitones(2);
      t.Init();
      t.bestFitSkip = skip;
      t.bestFitShave = 0.08f;
      return StreamAsAsked(t, in, channels);
    };
    const std::vector<int16_t> out = run(2, stereo);
    EXPECT_TRUE(Channel(out, 2, 0) == Channel(out, 2, 1));
    EXPECT_TRUE(Channel(out, 2, 0) == run(1, mono)) << skip;
  }
}

TEST(TarvexStream, ChannelsStayApart) {
  // An inverted right channel comes out inverted: nothing of one channel leaks
  // into the other (the cross-fade's shift rounds down, hence one step).
  std::vector<int16_t> in = Noise(80000, 2, 15);
  for (size_t i = 0; i < in.size(); i += 2) in[i + 1] = static_cast<int16_t>(-in[i]);
  CTarvex t;
  t.SetTempo(0.7f);
  t.SetPitchViaSemitones(-4);
  t.Init();
  const std::vector<int16_t> out = StreamAsAsked(t, in, 2);
  ASSERT_GT(out.size(), 50000u);
  for (size_t i = 0; i < out.size(); i += 2) ASSERT_LE(std::abs(out[i] + out[i + 1]), 1) << i;
}

TEST(TarvexStream, ResetStartsANewStream) {
  const std::vector<int16_t> in = Noise(30000, 1, 16);
  CTarvex t;
  t.SetChannels(1);
  t.SetRate(1.7f);
  t.Init();
  const std::vector<int16_t> first = StreamInBlocks(t, in, 1, 1000);
  t.Reset();
  EXPECT_TRUE(StreamInBlocks(t, in, 1, 1000) == first);
}

TEST(TarvexStream, RestartSoundsLikeAFreshProcessorWhereResetKeepsTheCarry) {
  const std::vector<int16_t> first = Noise(50000, 2, 3);
  const std::vector<int16_t> second = Noise(40000, 2, 4);
  auto make = [] {
    auto t = std::make_unique<CTarvex>();
    t->SetChannels(2);
    t->SetTempo(0.77f);
    t->Init();
    return t;
  };
  auto fresh = make();
  const std::vector<int16_t> expected = StreamAsAsked(*fresh, second, 2);
  auto used = make();
  StreamAsAsked(*used, first, 2);
  used->Reset();
  EXPECT_FALSE(StreamAsAsked(*used, second, 2) == expected);
  used->Restart();
  EXPECT_TRUE(StreamAsAsked(*used, second, 2) == expected);
}

TEST(TarvexStream, FlushGivesTheHeldFrameOnce) {
  CTarvex t;
  t.SetChannels(1);
  t.SetRate(2.0f);
  t.Init();
  const std::vector<int16_t> in = {100, 200, 300};
  uint32_t got = 0;
  std::vector<int16_t> out(64);
  t.ProcessAudio(in.data(), 3, out.data(), 64, &got);
  ASSERT_EQ(got, 4u);  // 100 150 200 250; 300 is held
  EXPECT_EQ(std::vector<int16_t>(out.begin(), out.begin() + 4), (std::vector<int16_t>{100, 150, 200, 250}));
  t.FlushStorage(out.data(), 64, &got);
  ASSERT_EQ(got, 1u);
  EXPECT_EQ(out[0], 300);
  t.FlushStorage(out.data(), 64, &got);
  EXPECT_EQ(got, 0u);
}

TEST(TarvexFaults, MissingArgumentsAreReported) {
  CTarvex t;
  uint32_t got = 7;
  int16_t sample = 0;
  EXPECT_EQ(t.ProcessAudio(&sample, 1, &sample, 1, &got), 0u);  // before Init
  ExpectReports(468, "");
  t.Init();
  EXPECT_EQ(t.ProcessAudio(nullptr, 1, &sample, 1, &got), 0u);
  ExpectReports(456, "");
  EXPECT_EQ(got, 0u);
  t.FlushStorage(&sample, 1, nullptr);
  ExpectReports(1958, "");
}

TEST(TarvexFaults, FailedAllocationStopsInitAndTheStages) {
  CTarvex t;
  platform::FailNextPageSteps(platform::PageStep::Reserve, 1);
  t.Init();
  ExpectReports(337, "");
  const std::vector<int16_t> in = Noise(5000, 2, 17);
  std::vector<int16_t> out(10000);
  uint32_t got = 9;
  EXPECT_EQ(t.ProcessAudio(in.data(), 5000, out.data(), 5000, &got), 0u);
  ExpectReports(468, "");
  EXPECT_EQ(got, 0u);
}

TEST(TarvexFaults, GrowthFailureKeepsTheStore) {
  CTarvex t;
  t.SetSizeOutputBufferSample(1000);
  t.Init();
  const std::vector<int16_t> in = Noise(5000, 2, 18);
  std::vector<int16_t> out(10000);
  uint32_t got = 9;
  platform::FailNextPageSteps(platform::PageStep::Reserve, 1);
  EXPECT_EQ(t.ProcessAudio(in.data(), 5000, out.data(), 5000, &got), 0u);
  ExpectReports(1738, "");
  EXPECT_EQ(TarvexProbe(t).inputCapacity(), 2048u);
  EXPECT_EQ(t.ProcessAudio(in.data(), 5000, out.data(), 5000, &got), 1u);  // room is made next time
  EXPECT_EQ(got, 1001u);  // one block and the frame the interpolator would hold
}

TEST(TarvexFaults, FailedDecommitIsReportedAtDestruction) {
  {
    CTarvex t;
    t.Init();
    platform::FailNextPageSteps(platform::PageStep::Decommit, 1);
  }
  ExpectReports(191, "");
}

TEST(TarvexFaults, ChannelCountMustMatchTheArrays) {
  CTarvex t;
  t.SetChannels(3);
  t.Init();
  auto taken = Reports().Take();
  ASSERT_EQ(taken.size(), 1u);
  EXPECT_EQ(taken[0].report.title, "tarvex");

  CTarvex mono;
  mono.SetChannels(1);
  mono.Init();
  mono.channels = 2;  // after Init the arrays are laid out for one channel
  const std::vector<int16_t> in = Noise(1000, 2, 19);
  std::vector<int16_t> out(4000);
  uint32_t got = 5;
  EXPECT_EQ(mono.ProcessAudio(in.data(), 1000, out.data(), 1000, &got), 0u);
  EXPECT_EQ(got, 0u);
  taken = Reports().Take();
  ASSERT_EQ(taken.size(), 1u);
  EXPECT_EQ(taken[0].report.title, "tarvex");
}

TEST(TarvexFaults, FrequencyTooLowForASplice) {
  CTarvex t;
  t.SetFrequency(40);  // the 12 ms overlap rounds to nothing
  t.Init();
  ExpectReports(426, "Divide By Zero Violation");
  int16_t sample = 0;
  uint32_t got = 0;
  EXPECT_EQ(t.ProcessAudio(&sample, 1, &sample, 1, &got), 0u);
  ExpectReports(468, "");
}

TEST(TarvexFaults, ZeroRateIsReportedAndTakenAsOne) {
  CTarvex t;
  t.SetSizeOutputBufferSample(4096);
  t.SetRate(0.0f);
  t.Init();
  EXPECT_EQ(t.GetMinSamplesNeededForOutput(), 0u);
  ExpectReports(977, "Divide By Zero Violation");
  const std::vector<int16_t> in = Noise(1000, 2, 20);
  std::vector<int16_t> out(2000);
  uint32_t got = 0;
  t.ProcessAudio(in.data(), 1000, out.data(), 1000, &got);
  ExpectReports(678, "Divide By Zero Violation");
  ASSERT_EQ(got, 999u);  // the last frame is held for the next interpolation
  EXPECT_TRUE(std::equal(out.begin(), out.begin() + 999 * 2, in.begin()));
}
