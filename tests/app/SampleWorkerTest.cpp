// The workers that copy, delete and change samples in place, on staircases,
// constants and full-scale values, with expectations worked out by hand.
#include <gtest/gtest.h>

#include "../model/PeakReference.h"
#include "ReportRecorder.h"
#include "WorkerFixture.h"

namespace tessiro::test {
namespace {

constexpr uint32_t kUnset = CAudioSegment::kMarkerUnset;

TEST_F(WorkerTest, CopyTakesTheRangeAndOnlyTheFormat) {
  struct Case {
    const char* name;
    int32_t range;
    uint32_t first, end;
  } cases[] = {{"highlight", EditRangeHighlighted, 100, 300},
               {"markers at the start", EditRangeMarkers, 0, 50},
               {"markers at the end", EditRangeMarkers, 900, 1000},
               {"whole", EditRangeWhole, 0, 1000}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::shared_ptr<CAudioSegment> source = Make(Staircase(1000, 2), 2);
    source->tempo = 90.0f;
    if (c.range == EditRangeHighlighted) Highlight(*source, c.first, c.end);
    if (c.range == EditRangeMarkers) Mark(*source, c.first, c.end);
    result.reset();
    ASSERT_EQ(Run(EditCopyRange, *source, EditOpCopy, c.range), OperationResultDone);
    EXPECT_EQ(result->length, c.end - c.first);
    EXPECT_EQ(result->GetChannels(), 2);
    EXPECT_EQ(result->trackerSize, 0u);
    EXPECT_EQ(result->markerStart, kUnset);
    EXPECT_EQ(result->tempo, 100.0f);
    const std::vector<int16_t> out = ResultSamples();
    ASSERT_EQ(out.size(), 2u * (c.end - c.first));
    for (uint32_t f = 0; f < c.end - c.first; ++f) {
      ASSERT_EQ(At(out, 2, f, 0), static_cast<int16_t>(c.first + f));
      ASSERT_EQ(At(out, 2, f, 1), static_cast<int16_t>(-static_cast<int>(c.first + f)));
    }
  }
}

TEST_F(WorkerTest, EachWorkerChangesItsRangeAndNothingElseWhereverTheRangeLies) {
  // Frame f of 1000 holds f (and -f on the right). The rule gives a frame inside
  // the range [first, end) from the frame that is read for it.
  using Rule = int (*)(int left, int right, int channel);
  struct Worker {
    const char* name;
    EditWorker worker;
    bool stereoOnly;
    Rule rule;
    bool mirrored;  // frame f of the range comes from frame first + end - 1 - f
  } workers[] = {
      {"mute", EditMute, false, [](int, int, int) { return 0; }, false},
      {"volume 0.5", EditVolume, false, [](int l, int r, int c) { return (c == 0 ? l : r) / 2; }, false},
      {"fade at a constant 0.5", EditFade, false, [](int l, int r, int c) { return (c == 0 ? l : r) / 2; }, false},
      {"swap", EditSwapChannels, true, [](int l, int r, int c) { return c == 0 ? r : l; }, false},
      {"copy left to right", EditCopyChannel, true, [](int l, int, int) { return l; }, false},
      {"reverse", EditReverse, false, [](int l, int r, int c) { return c == 0 ? l : r; }, true},
  };
  struct Range {
    const char* name;
    int32_t range;
    uint32_t first, end;
  } ranges[] = {{"highlight at the start", EditRangeHighlighted, 0, 100},
                {"highlight inside", EditRangeHighlighted, 400, 650},
                {"markers at the end", EditRangeMarkers, 900, 1000},
                {"whole", EditRangeWhole, 0, 1000}};
  FXOperationParams& v = params.request.params;
  v.channelMode = ChannelModeBoth;
  v.level1Left = v.level1Right = v.level2Left = v.level2Right = 0.5f;
  v.copyLeftToRight = 1;
  for (const Worker& w : workers) {
    for (const Range& r : ranges) {
      for (uint16_t channels : {1, 2}) {
        if (w.stereoOnly && channels == 1) continue;
        SCOPED_TRACE(std::string(w.name) + ", " + r.name + ", " + std::to_string(channels) + " channels");
        std::shared_ptr<CAudioSegment> source = Make(Staircase(1000, channels), channels);
        if (r.range == EditRangeHighlighted) Highlight(*source, r.first, r.end);
        if (r.range == EditRangeMarkers) Mark(*source, r.first, r.end);
        result.reset();
        ASSERT_EQ(Run(w.worker, *source, EditOpMute, r.range), OperationResultDone);
        const std::vector<int16_t> out = ResultSamples();
        ASSERT_EQ(out.size(), 1000u * channels);
        for (uint32_t f = 0; f < 1000; ++f) {
          const bool inside = f >= r.first && f < r.end;
          const int from = static_cast<int>(inside && w.mirrored ? r.first + r.end - 1 - f : f);
          for (uint16_t c = 0; c < channels; ++c) {
            const int expected = inside ? w.rule(from, -from, c) : (c == 0 ? from : -from);
            ASSERT_EQ(At(out, channels, f, c), expected) << "frame " << f << " channel " << c;
          }
        }
      }
    }
  }
}

TEST_F(WorkerTest, DeleteClosesTheGapWhereverTheRangeLies) {
  // Frame f holds f % 30000.
  struct Case {
    uint16_t channels;
    uint32_t first, end;
    uint32_t at;        // a frame of the result
    int16_t expected;   // its sample
  } cases[] = {{2, 44100, 66150, 44099, 14099}, {2, 44100, 66150, 44100, 6150},  {2, 0, 100, 0, 100},
               {2, 88100, 88200, 88099, 28099}, {1, 44100, 66150, 44100, 6150}, {1, 88199, 88200, 88198, 28198}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.channels) + " channels, [" + std::to_string(c.first) + ", " + std::to_string(c.end) + ")");
    std::shared_ptr<CAudioSegment> source = Make(Staircase(88200, c.channels), c.channels);
    Highlight(*source, c.first, c.end);
    result.reset();
    ASSERT_EQ(Run(EditDeleteRange, *source, EditOpDelete, EditRangeHighlighted), OperationResultDone);
    EXPECT_EQ(result->length, 88200 - (c.end - c.first));
    const std::vector<int16_t> out = ResultSamples();
    ASSERT_EQ(out.size(), static_cast<size_t>(result->length) * c.channels);
    EXPECT_EQ(At(out, c.channels, c.at), c.expected);
    if (c.channels == 2) {
      EXPECT_EQ(At(out, 2, c.at, 1), -c.expected);
    }
  }
}

TEST_F(WorkerTest, MuteSilencesTheChosenChannelsOfTheRange) {
  struct Case {
    uint16_t channels;
    int32_t mode;
    int16_t left, right;  // inside the range
  } cases[] = {{2, ChannelModeBoth, 0, 0}, {2, ChannelModeLeft, 0, -2000}, {2, ChannelModeRight, 1000, 0},
               {1, ChannelModeLeft, 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE("mode " + std::to_string(c.mode) + ", " + std::to_string(c.channels) + " channels");
    std::shared_ptr<CAudioSegment> source = Make(Constant(500, c.channels, 1000, -2000), c.channels);
    Highlight(*source, 100, 200);
    params.request.params.channelMode = c.mode;
    result.reset();
    ASSERT_EQ(Run(EditMute, *source, EditOpMute, EditRangeHighlighted), OperationResultDone);
    const std::vector<int16_t> out = ResultSamples();
    ASSERT_EQ(out.size(), 500u * c.channels);
    for (uint32_t f : {0u, 99u, 200u, 499u}) EXPECT_EQ(At(out, c.channels, f), 1000) << f;
    for (uint32_t f : {100u, 150u, 199u}) {
      EXPECT_EQ(At(out, c.channels, f), c.left) << f;
      if (c.channels == 2) {
        EXPECT_EQ(At(out, 2, f, 1), c.right) << f;
      }
    }
  }
}

TEST_F(WorkerTest, VolumeTruncatesTowardZeroAndClipsAtFullScale) {
  struct Case {
    int16_t sample;
    float gain;
    int16_t expected;
  } cases[] = {{-3, 0.5f, -1},         {3, 0.5f, 1},           {32767, 0.5f, 16383}, {20000, 10.0f, 32767},
               {-20000, 10.0f, -32767}, {-32768, 1.0f, -32767}, {1001, 2.0f, 2002},   {12345, 0.0f, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.sample) + " x " + std::to_string(c.gain));
    std::shared_ptr<CAudioSegment> source = Make(Constant(10, 1, c.sample, 0), 1);
    params.request.params.level1Left = c.gain;
    result.reset();
    ASSERT_EQ(Run(EditVolume, *source, EditOpVolume, EditRangeWhole), OperationResultDone);
    EXPECT_EQ(ResultSamples(), Constant(10, 1, c.expected, 0));
  }
  // Each channel has its own gain.
  std::shared_ptr<CAudioSegment> stereo = Make(Constant(10, 2, 1000, 1000), 2);
  params.request.params.level1Left = 0.5f;
  params.request.params.level1Right = 2.0f;
  result.reset();
  ASSERT_EQ(Run(EditVolume, *stereo, EditOpVolume, EditRangeWhole), OperationResultDone);
  EXPECT_EQ(ResultSamples(), Constant(10, 2, 500, 2000));
}

TEST_F(WorkerTest, FadeFollowsItsCurveAcrossTheRange) {
  // A range of four frames in eight of 4000. Linear from 1 to 0: gains 1, 3/4,
  // 1/2, 1/4. Logarithmic: t = log10(9 i / 4 + 1) = 0, 0.5119, 0.7404, 0.8893.
  struct Case {
    const char* name;
    int32_t curve;
    float left1, left2, right1, right2;
    std::vector<int16_t> left, right;
  } cases[] = {
      {"linear fade out", 0, 1, 0, 1, 0, {4000, 3000, 2000, 1000}, {4000, 3000, 2000, 1000}},
      {"logarithmic fade out", 1, 1, 0, 1, 0, {4000, 1952, 1038, 442}, {4000, 1952, 1038, 442}},
      {"pan left to right", 0, 1, 0, 0, 1, {4000, 3000, 2000, 1000}, {0, 1000, 2000, 3000}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::shared_ptr<CAudioSegment> source = Make(Constant(8, 2, 4000, 4000), 2);
    Highlight(*source, 2, 6);
    FXOperationParams& v = params.request.params;
    v.curve = c.curve;
    v.level1Left = c.left1;
    v.level2Left = c.left2;
    v.level1Right = c.right1;
    v.level2Right = c.right2;
    result.reset();
    ASSERT_EQ(Run(EditFade, *source, EditOpFade, EditRangeHighlighted), OperationResultDone);
    const std::vector<int16_t> out = ResultSamples();
    ASSERT_EQ(out.size(), 16u);
    for (uint32_t f : {0u, 1u, 6u, 7u}) EXPECT_EQ(At(out, 2, f), 4000);
    for (uint32_t i = 0; i < 4; ++i) {
      EXPECT_EQ(At(out, 2, 2 + i, 0), c.left[i]) << i;
      EXPECT_EQ(At(out, 2, 2 + i, 1), c.right[i]) << i;
    }
  }
}

TEST_F(WorkerTest, SwapAndCopyChannelMoveSamplesBetweenChannels) {
  // Left holds f, right -f; the range is [10, 20) of 30 frames.
  struct Case {
    const char* name;
    EditWorker worker;
    int32_t leftToRight, rightToLeft;
    int leftSign, rightSign;  // of f, inside the range
  } cases[] = {{"swap", EditSwapChannels, 0, 0, -1, 1},
               {"copy left to right", EditCopyChannel, 1, 0, 1, 1},
               {"copy right to left", EditCopyChannel, 0, 1, -1, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::shared_ptr<CAudioSegment> source = Make(Staircase(30, 2), 2);
    Highlight(*source, 10, 20);
    params.request.params.copyLeftToRight = c.leftToRight;
    params.request.params.copyRightToLeft = c.rightToLeft;
    result.reset();
    ASSERT_EQ(Run(c.worker, *source, EditOpSwapChannels, EditRangeHighlighted), OperationResultDone);
    const std::vector<int16_t> out = ResultSamples();
    for (int f = 0; f < 30; ++f) {
      const bool inside = f >= 10 && f < 20;
      EXPECT_EQ(At(out, 2, f, 0), inside ? c.leftSign * f : f) << f;
      EXPECT_EQ(At(out, 2, f, 1), inside ? c.rightSign * f : -f) << f;
    }
  }
  // Mono audio is taken as pairs of samples.
  std::shared_ptr<CAudioSegment> mono = Make(Staircase(6, 1), 1);
  result.reset();
  ASSERT_EQ(Run(EditSwapChannels, *mono, EditOpSwapChannels, EditRangeWhole), OperationResultDone);
  EXPECT_EQ(ResultSamples(), (std::vector<int16_t>{1, 0, 3, 2, 5, 4}));
}

TEST_F(WorkerTest, ChannelConversionHalvesIntoStereoAndSumsIntoMono) {
  std::shared_ptr<CAudioSegment> mono = Make({1001, -1001, 32767, -32768, 1}, 1);
  ASSERT_EQ(Run(EditConvertChannels, *mono, EditOpConvertChannels, EditRangeWhole), OperationResultDone);
  EXPECT_EQ(result->GetChannels(), 2);
  EXPECT_EQ(result->length, 5u);
  EXPECT_EQ(ResultSamples(), (std::vector<int16_t>{500, 500, -500, -500, 16383, 16383, -16384, -16384, 0, 0}));

  std::shared_ptr<CAudioSegment> stereo = Make({20000, 20000, -20000, -20000, 100, -40, -32768, 0}, 2);
  result.reset();
  ASSERT_EQ(Run(EditConvertChannels, *stereo, EditOpConvertChannels, EditRangeWhole), OperationResultDone);
  EXPECT_EQ(result->GetChannels(), 1);
  EXPECT_EQ(ResultSamples(), (std::vector<int16_t>{32767, -32767, 60, -32767}));
}

TEST_F(WorkerTest, EveryBlockIsReportedAndTheResultIsOnDiskWithItsPeaks) {
  // 600,000 stereo frames: a head block, the range in blocks of 262,144, a tail.
  std::shared_ptr<CAudioSegment> source = Make(Staircase(600000, 2), 2);
  Highlight(*source, 1000, 599000);
  params.request.params.level1Left = params.request.params.level1Right = 1.0f;
  ASSERT_EQ(Run(EditVolume, *source, EditOpVolume, EditRangeHighlighted), OperationResultDone);
  EXPECT_EQ(reports, 5);  // [0, 1000), 262,144, 262,144, 73,712, [599000, 600000)
  EXPECT_EQ(reportedFrames, 600000u);
  const std::vector<int16_t> out = ResultSamples();
  EXPECT_EQ(out, Staircase(600000, 2));
  EXPECT_EQ(ReadPeaks(*result), ReferencePeaks(out, 600000, 2));
  EXPECT_TRUE(source->IsReadHandleClosed());
}

TEST_F(WorkerTest, RangesBeyondTheAudioAndShortFilesNeverHang) {
  std::shared_ptr<CAudioSegment> source = Make(Staircase(1000, 1), 1);
  // A highlight past the end is cut to the audio: only [900, 1000) goes.
  Highlight(*source, 900, 2000);
  ASSERT_EQ(Run(EditDeleteRange, *source, EditOpDelete, EditRangeHighlighted), OperationResultDone);
  EXPECT_EQ(result->length, 900u);
  // A start past the end removes nothing.
  Highlight(*source, 5000, 6000);
  result.reset();
  ASSERT_EQ(Run(EditDeleteRange, *source, EditOpDelete, EditRangeHighlighted), OperationResultDone);
  EXPECT_EQ(result->length, 1000u);
  // A segment that claims more than its file holds: the copy ends where the reads do.
  source->length = 3000;
  Highlight(*source, 1500, 1600);
  result.reset();
  ASSERT_EQ(Run(EditDeleteRange, *source, EditOpDelete, EditRangeHighlighted), OperationResultDone);
  EXPECT_EQ(result->length, 1000u);
  EXPECT_EQ(ResultSamples(), Staircase(1000, 1));
}

TEST_F(WorkerTest, MissingPartsAreFaultsThatWriteNothing) {
  std::shared_ptr<CAudioSegment> source = Make(Staircase(100, 1), 1);
  const std::vector<std::string> before = Files();
  struct Case {
    const char* name;
    void (*spoil)(OperationParameters&);
    EditWorker worker;
    int32_t range;
  } cases[] = {
      {"no progress function", [](OperationParameters& p) { p.progress = nullptr; }, EditMute, EditRangeWhole},
      {"no work buffer", [](OperationParameters& p) { p.workBuffer = nullptr; }, EditMute, EditRangeWhole},
      {"a range the dialog never chose", [](OperationParameters&) {}, EditMute, EditRangeFromDialog},
      {"no clipboard to paste", [](OperationParameters& p) { p.audioClipboard = nullptr; }, EditPasteInsert,
       EditRangeWhole},
      {"no effect record", [](OperationParameters&) {}, EditApplyEffect, EditRangeWhole},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OperationParameters saved;
    saved.workBuffer = params.workBuffer;
    saved.progress = params.progress;
    saved.tempFolder = params.tempFolder;
    c.spoil(params);
    result.reset();
    EXPECT_EQ(Run(c.worker, *source, EditOpEcho, c.range), OperationResultFault);
    EXPECT_EQ(result, nullptr);
    EXPECT_EQ(Files(), before);
    std::vector<RecordedReport> taken = Reports().Take();
    ASSERT_EQ(taken.size(), 1u);
    EXPECT_EQ(taken[0].report.title, "pro");
    params.workBuffer = saved.workBuffer;
    params.progress = saved.progress;
  }
  EXPECT_EQ(ReadSamples(*source), Staircase(100, 1));
}

}  // namespace
}  // namespace tessiro::test
