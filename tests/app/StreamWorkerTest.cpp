// Reverse, the pastes, the effects, tempo and pitch, and cancelling any worker.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "../model/PeakReference.h"
#include "ReportRecorder.h"
#include "WorkerFixture.h"

namespace tessiro::test {
namespace {

std::vector<int16_t> Sine(uint32_t frames, uint16_t channels, double hz, double amplitude) {
  std::vector<int16_t> samples;
  for (uint32_t f = 0; f < frames; ++f) {
    const auto v = static_cast<int16_t>(std::lround(amplitude * std::sin(2 * M_PI * hz * f / 44100.0)));
    for (uint16_t c = 0; c < channels; ++c) samples.push_back(v);
  }
  return samples;
}

// Upward zero crossings of the left channel in [first, end).
int Crossings(const std::vector<int16_t>& samples, uint16_t channels, uint32_t first, uint32_t end) {
  int count = 0;
  for (uint32_t f = first + 1; f < end; ++f) count += At(samples, channels, f - 1) < 0 && At(samples, channels, f) >= 0;
  return count;
}

TEST_F(WorkerTest, ReverseOfOneChannelLeavesTheOtherAsItWas) {
  // Two blocks, the second of one frame; the left holds f % 30000, the right -(f % 30000).
  constexpr uint32_t S = 10, N = 262145, kLength = S + N + 10;
  std::shared_ptr<CAudioSegment> source = Make(Staircase(kLength, 2), 2);
  Highlight(*source, S, S + N);
  struct Case {
    int32_t mode;
    bool left, right;  // reversed
  } cases[] = {{ChannelModeLeft, true, false}, {ChannelModeRight, false, true}, {ChannelModeBoth, true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE("mode " + std::to_string(c.mode));
    params.request.params.channelMode = c.mode;
    result.reset();
    ASSERT_EQ(Run(EditReverse, *source, EditOpReverse, EditRangeHighlighted), OperationResultDone);
    const std::vector<int16_t> out = ResultSamples();
    ASSERT_EQ(out.size(), 2u * kLength);
    for (uint32_t f = 0; f < kLength; ++f) {
      const bool inside = f >= S && f < S + N;
      const auto mirrored = static_cast<int16_t>((2 * S + N - 1 - f) % 30000);
      const auto same = static_cast<int16_t>(f % 30000);
      ASSERT_EQ(At(out, 2, f, 0), inside && c.left ? mirrored : same) << f;
      ASSERT_EQ(At(out, 2, f, 1), -(inside && c.right ? mirrored : same)) << f;
    }
  }
}

TEST_F(WorkerTest, ReverseOfMonoTurnsTheWholeRange) {
  std::shared_ptr<CAudioSegment> source = Make(Staircase(7, 1), 1);
  params.request.params.channelMode = ChannelModeLeft;
  ASSERT_EQ(Run(EditReverse, *source, EditOpReverse, EditRangeWhole), OperationResultDone);
  EXPECT_EQ(ResultSamples(), (std::vector<int16_t>{6, 5, 4, 3, 2, 1, 0}));
}

class PasteTest : public WorkerTest {
 protected:
  void Clip(const std::vector<int16_t>& samples, uint16_t channels) {
    clipboard = Make(samples, channels);
    params.audioClipboard = &clipboard;
  }
  std::shared_ptr<CAudioSegment> clipboard;
};

std::vector<int16_t> Ramp(int16_t from, uint32_t frames) {
  std::vector<int16_t> v(frames);
  for (uint32_t i = 0; i < frames; ++i) v[i] = static_cast<int16_t>(from + i);
  return v;
}

std::vector<int16_t> Join(std::initializer_list<std::vector<int16_t>> parts) {
  std::vector<int16_t> all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

TEST_F(PasteTest, InsertAndOverPlaceTheClipboardAtTheInsertionPoint) {
  // The source counts 0..2999, the clipboard 1000..1999.
  struct Case {
    const char* name;
    EditWorker worker;
    int32_t range;
    uint32_t point;
    std::vector<int16_t> expected;
  } cases[] = {
      {"insert", EditPasteInsert, EditRangeHighlighted, 500, Join({Ramp(0, 500), Ramp(1000, 1000), Ramp(500, 2500)})},
      {"insert at the end", EditPasteInsert, EditRangeHighlighted, 3000, Join({Ramp(0, 3000), Ramp(1000, 1000)})},
      {"insert at the begin marker", EditPasteInsert, EditRangeMarkers, 700,
       Join({Ramp(0, 700), Ramp(1000, 1000), Ramp(700, 2300)})},
      {"over", EditPasteOver, EditRangeHighlighted, 500, Join({Ramp(0, 500), Ramp(1000, 1000), Ramp(1500, 1500)})},
      {"over past the end", EditPasteOver, EditRangeMarkers, 2500, Join({Ramp(0, 2500), Ramp(1000, 1000)})},
      {"over the whole", EditPasteOver, EditRangeWhole, 1234, Join({Ramp(1000, 1000), Ramp(1000, 2000)})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::shared_ptr<CAudioSegment> source = Make(Ramp(0, 3000), 1);
    Clip(Ramp(1000, 1000), 1);
    Highlight(*source, c.point, c.point);
    Mark(*source, c.point, 2990);
    result.reset();
    ASSERT_EQ(Run(c.worker, *source, EditOpPasteInsert, c.range), OperationResultDone);
    EXPECT_EQ(result->length, c.expected.size());
    EXPECT_EQ(ResultSamples(), c.expected);
  }
}

TEST_F(PasteTest, AClipboardOfTheOtherChannelCountIsConverted) {
  std::shared_ptr<CAudioSegment> mono = Make(Constant(100, 1, 7, 0), 1);
  Clip(Constant(10, 2, 1000, 2000), 2);  // (1000 + 2000) / 2, rounded
  ASSERT_EQ(Run(EditPasteInsert, *mono, EditOpPasteInsert, EditRangeWhole), OperationResultDone);
  EXPECT_EQ(ResultSamples(), Join({Constant(10, 1, 1500, 0), Constant(100, 1, 7, 0)}));

  std::shared_ptr<CAudioSegment> stereo = Make(Constant(100, 2, 100, 200), 2);
  Clip(Constant(10, 1, 1000, 0), 1);
  FXOperationParams& v = params.request.params;
  v.level1Left = v.level1Right = 1.0f;
  v.level2Left = v.level2Right = 0.5f;
  result.reset();
  ASSERT_EQ(Run(EditPasteMix, *stereo, EditOpPasteMix, EditRangeWhole), OperationResultDone);
  EXPECT_EQ(ResultSamples(), Join({Constant(10, 2, 600, 700), Constant(90, 2, 100, 200)}));
}

TEST_F(PasteTest, MixClipsAtFullScaleAndRunsPastTheEnd) {
  FXOperationParams& v = params.request.params;
  v.level1Left = v.level1Right = v.level2Left = v.level2Right = 1.0f;
  std::shared_ptr<CAudioSegment> source = Make(Constant(70000, 2, 30000, -30000), 2);
  Clip(Constant(40000, 2, 10000, -10000), 2);
  Highlight(*source, 50000, 50000);
  ASSERT_EQ(Run(EditPasteMix, *source, EditOpPasteMix, EditRangeHighlighted), OperationResultDone);
  // Past the source's end the clipboard is mixed with silence.
  EXPECT_EQ(result->length, 90000u);
  EXPECT_EQ(ResultSamples(), Join({Constant(50000, 2, 30000, -30000), Constant(20000, 2, 32767, -32767),
                                   Constant(20000, 2, 10000, -10000)}));
}

TEST_F(WorkerTest, AnEffectOnAHighlightKeepsTheLengthAndCutsItsTail) {
  // Echo taps 0.5 and 0.25 at 100 ms (4410 frames); 777 outside the range.
  constexpr uint32_t kLength = 220500, S = 88200, E = 132300;
  std::vector<int16_t> samples = Constant(kLength, 2, 777, 777);
  for (uint32_t f = S; f < E; ++f) samples[2 * f] = samples[2 * f + 1] = 0;
  samples[2 * S] = 10000;
  samples[2 * (E - 100)] = 8000;  // its taps would fall past the range
  std::shared_ptr<CAudioSegment> source = Make(samples, 2);
  Highlight(*source, S, E);
  params.request.params.echo = std::make_unique<EchoParams>(EchoParams{1, 1, 0.5f, 0.5f, 0.5f, 0.5f, 100, 100});
  ASSERT_EQ(Run(EditApplyEffect, *source, EditOpEcho, EditRangeHighlighted), OperationResultDone);
  const std::vector<int16_t> out = ResultSamples();
  ASSERT_EQ(out.size(), 2u * kLength);
  for (uint32_t f = 0; f < kLength; ++f) {
    int16_t left = 777, right = 777;
    if (f >= S && f < E) {
      right = 0;
      left = f == S ? 10000 : f == S + 4410 ? 5000 : f == S + 8820 ? 2500 : f == E - 100 ? 8000 : 0;
    }
    ASSERT_EQ(At(out, 2, f, 0), left) << f;
    ASSERT_EQ(At(out, 2, f, 1), right) << f;
  }
  // Passes of 88,200 frames: the peak records still run on without a gap.
  EXPECT_EQ(ReadPeaks(*result), ReferencePeaks(out, kLength, 2));
}

double Rms(const std::vector<int16_t>& samples, uint16_t channels, uint32_t first, uint32_t end) {
  double sum = 0;
  for (uint32_t f = first; f < end; ++f) sum += std::pow(At(samples, channels, f), 2);
  return std::sqrt(sum / (end - first));
}

TEST_F(WorkerTest, StretchAndPitchGiveTheRangeItsLengthToTheFrameAroundAnUnchangedHeadAndTail) {
  struct Case {
    const char* name;
    int32_t operation;
    float initial, final;
    uint32_t frames;  // of the range
    uint16_t channels;
    uint32_t length;  // the range's new length
  } cases[] = {
      {"stretch x2", EditOpStretch, 2.0f, 2.0f, 200000, 2, 400000},
      {"stretch x2, an odd range", EditOpStretch, 2.0f, 2.0f, 88201, 1, 176402},
      {"stretch x1.5", EditOpStretch, 1.5f, 1.5f, 50000, 1, 75000},
      {"stretch x1.25", EditOpStretch, 1.25f, 1.25f, 100003, 2, 125004},
      {"stretch x3", EditOpStretch, 3.0f, 3.0f, 30001, 2, 90003},
      {"compress to 0.75", EditOpStretch, 0.75f, 0.75f, 100001, 2, 75001},
      {"compress to 0.5", EditOpStretch, 0.5f, 0.5f, 66666, 1, 33333},
      {"glide from x1 to x2", EditOpStretch, 1.0f, 2.0f, 88200, 2, 132300},
      {"fast to slow", EditOpStretch, 0.65f, 1.35f, 100000, 2, 100000},
      {"an octave up", EditOpPitchShift, 0.5f, 0.5f, 441000, 2, 441000},
      {"an octave down", EditOpPitchShift, 2.0f, 2.0f, 100003, 1, 100003},
      {"a fifth up", EditOpPitchShift, 0.6674f, 0.6674f, 123457, 2, 123457},
      {"pitch glide", EditOpPitchShift, 0.5f, 1.0f, 90000, 1, 90000},
  };
  constexpr uint32_t kHead = 1000, kTail = 30000;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const uint16_t ch = c.channels;
    std::vector<int16_t> samples = Join({Staircase(kHead, ch), Sine(c.frames, ch, 441.0, 8000), Staircase(kTail, ch)});
    std::shared_ptr<CAudioSegment> source = Make(samples, ch);
    Highlight(*source, kHead, kHead + c.frames);
    params.request.params.initialValue = c.initial;
    params.request.params.finalValue = c.final;
    result.reset();
    ASSERT_EQ(Run(EditTempoPitch, *source, c.operation, EditRangeHighlighted), OperationResultDone);
    ASSERT_EQ(result->length, kHead + c.length + kTail);
    const std::vector<int16_t> out = ResultSamples();
    EXPECT_EQ(std::vector<int16_t>(out.begin(), out.begin() + kHead * ch), Staircase(kHead, ch));
    EXPECT_EQ(std::vector<int16_t>(out.end() - kTail * ch, out.end()), Staircase(kTail, ch)) << "what follows moved";
    // The range's own sound reaches its end: no silence where the processor held it back.
    const uint32_t end = kHead + c.length;
    EXPECT_GT(Rms(out, ch, end - c.length / 10, end), 0.5 * 8000 / std::sqrt(2.0));
    if (c.operation == EditOpPitchShift && c.initial == c.final) {
      // 441 Hz gives 441 crossings a second, shifted by 1 / pitch.
      const int crossings = Crossings(out, ch, kHead + 22050, kHead + 66150);
      EXPECT_NEAR(crossings, 441 / c.initial, 20);
    }
  }
}

TEST_F(WorkerTest, ACompressionBelowOneSecondIsPaddedToExactlyOneSecond) {
  std::shared_ptr<CAudioSegment> source = Make(Sine(60000, 1, 441.0, 8000), 1);
  params.request.params.initialValue = params.request.params.finalValue = 0.25f;
  ASSERT_EQ(Run(EditTempoPitch, *source, EditOpStretch, EditRangeWhole), OperationResultDone);
  EXPECT_EQ(result->length, 44100u);
  const std::vector<int16_t> out = ResultSamples();
  ASSERT_EQ(out.size(), 44100u);
  // About 15,000 frames of sound, then silence.
  EXPECT_EQ(std::vector<int16_t>(out.begin() + 20000, out.end()), std::vector<int16_t>(24100, 0));
  EXPECT_GT(Crossings(out, 1, 0, 14000), 100);
}

TEST_F(WorkerTest, ASilentRangeStaysSilentWhateverTheBufferHeldBefore) {
  // A loud head and tail around one second of silence: no pass may let the head
  // it copied through the work buffer, or what the buffer held before, into the range.
  constexpr uint32_t kHead = 44100, kRange = 1000;
  std::shared_ptr<CAudioSegment> source =
      Make(Join({Constant(kHead, 2, 20000, -20000), Constant(kRange, 2, 0, 0), Constant(kHead, 2, 20000, -20000)}), 2);
  Highlight(*source, kHead, kHead + kRange);
  FXOperationParams& v = params.request.params;
  v.channelMode = ChannelModeBoth;
  v.level1Left = v.level1Right = v.level2Left = v.level2Right = 2.0f;
  v.initialValue = v.finalValue = 1.5f;
  struct Case {
    const char* name;
    EditWorker worker;
    int32_t operation;
    void (*effect)(FXOperationParams&);
    bool stretched;  // the range's length changes
  } cases[] = {
      {"volume", EditVolume, EditOpVolume, nullptr, false},
      {"fade", EditFade, EditOpFade, nullptr, false},
      {"reverse", EditReverse, EditOpReverse, nullptr, false},
      {"echo", EditApplyEffect, EditOpEcho,
       [](FXOperationParams& p) { p.echo = std::make_unique<EchoParams>(EchoParams{1, 1, 0.5f, 0.5f, 0.5f, 0.5f, 10, 10}); },
       false},
      {"reverb", EditApplyEffect, EditOpReverb, [](FXOperationParams& p) { p.reverb = std::make_unique<ReverbParams>(); },
       false},
      {"chorus", EditApplyEffect, EditOpChorus,
       [](FXOperationParams& p) { p.chorusFlange = std::make_unique<ChorusFlangeParams>(); }, false},
      {"flange", EditApplyEffect, EditOpFlange,
       [](FXOperationParams& p) { p.chorusFlange = std::make_unique<ChorusFlangeParams>(); }, false},
      {"equalizer", EditApplyEffect, EditOpEqualizer,
       [](FXOperationParams& p) {
         p.equalizer = std::make_unique<EqualizerParams>();
         for (float& g : p.equalizer->left.gains) g = 2.0f;
         p.equalizer->right = p.equalizer->left;
       },
       false},
      {"stretch x1.5", EditTempoPitch, EditOpStretch, nullptr, true},
      {"pitch", EditTempoPitch, EditOpPitchShift, nullptr, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::fill_n(params.workBuffer, OperationParameters::kWorkBytes / 2, int16_t{12345});
    v.echo.reset();
    v.reverb.reset();
    v.chorusFlange.reset();
    v.equalizer.reset();
    if (c.effect) c.effect(v);
    result.reset();
    ASSERT_EQ(Run(c.worker, *source, c.operation, EditRangeHighlighted), OperationResultDone);
    if (!c.stretched) {
      ASSERT_EQ(result->length, 2 * kHead + kRange);
    }
    ASSERT_GE(result->length, 2 * kHead);
    const std::vector<int16_t> out = ResultSamples();
    const std::vector<int16_t> range(out.begin() + 2 * kHead, out.end() - 2 * kHead);
    EXPECT_EQ(range, std::vector<int16_t>(range.size(), 0));
  }
}

TEST_F(PasteTest, CancelAtAnyBlockLeavesNoResultNoFileAndTheSourceAsItWas) {
  constexpr uint32_t kFrames = 600000;
  const std::vector<int16_t> samples = Staircase(kFrames, 2);
  std::shared_ptr<CAudioSegment> source = Make(samples, 2);
  Clip(Staircase(100000, 1), 1);
  Highlight(*source, 1000, 590000);
  params.request.params.echo = std::make_unique<EchoParams>(EchoParams{1, 1, 0.5f, 0.5f, 0.5f, 0.5f, 100, 100});
  params.request.params.channelMode = ChannelModeLeft;
  params.request.params.level1Left = params.request.params.level1Right = 0.5f;
  params.request.params.initialValue = params.request.params.finalValue = 1.5f;
  params.request.params.copyLeftToRight = 1;
  const std::vector<std::string> before = Files();
  struct Case {
    const char* name;
    EditWorker worker;
    int32_t operation;
  } cases[] = {{"copy", EditCopyRange, EditOpCopy},
               {"mute", EditMute, EditOpMute},
               {"delete", EditDeleteRange, EditOpDelete},
               {"volume", EditVolume, EditOpVolume},
               {"fade", EditFade, EditOpFade},
               {"reverse", EditReverse, EditOpReverse},
               {"swap", EditSwapChannels, EditOpSwapChannels},
               {"copy channel", EditCopyChannel, EditOpCopyChannel},
               {"paste insert", EditPasteInsert, EditOpPasteInsert},
               {"paste over", EditPasteOver, EditOpPasteOver},
               {"paste mix", EditPasteMix, EditOpPasteMix},
               {"echo", EditApplyEffect, EditOpEcho},
               {"stretch", EditTempoPitch, EditOpStretch},
               {"conversion", EditConvertChannels, EditOpConvertChannels}};
  for (const Case& c : cases) {
    for (int k : {1, 2}) {
      SCOPED_TRACE(std::string(c.name) + ", cancelled at block " + std::to_string(k));
      reports = 0;
      cancelAt = k;
      result.reset();
      const int32_t range = c.operation == EditOpConvertChannels ? EditRangeWhole : EditRangeHighlighted;
      EXPECT_EQ(Run(c.worker, *source, c.operation, range), OperationResultCancelled);
      EXPECT_EQ(reports, k);
      EXPECT_EQ(result, nullptr);
      EXPECT_EQ(Files(), before);
    }
  }
  EXPECT_EQ(ReadSamples(*source), samples);
  EXPECT_EQ(ReadSamples(*clipboard), Staircase(100000, 1));
}

}  // namespace
}  // namespace tessiro::test
