// The Audio Editor's playback and recording, the Loop Bank preview, the
// commands by view and the level window's callbacks.
#include <algorithm>
#include <cmath>
#include <functional>
#include <ostream>
#include <thread>

#include "LevelCallbacks.h"
#include "Messages.h"
#include "DeviceCallbacks.h"
#include "Generic.h"
#include "ReportRecorder.h"
#include "ReportSink.h"
#include "TransportFixture.h"

namespace tessiro::test {
namespace {

using platform::CVirtualWaveSystem;

class EditorTest : public TransportTest {
 protected:
  // The editor holds independent audio of frames frames.
  std::shared_ptr<CAudioSegment> ShowInEditor(uint32_t frames, uint16_t channels) {
    auto segment = MakeSegment(frames, channels);
    app->editorSource = EditorSourceIndependent;
    app->editorSegment = segment;
    return segment;
  }

  // The stereo frames the editor should play of a segment made by MakeSegment.
  static void ExpectStaircase(const std::vector<int16_t>& played, size_t playedFrom, uint32_t sourceFrom,
                              uint32_t frames, uint16_t channels) {
    for (uint32_t k = 0; k < frames; ++k) {
      const int16_t left = Staircase(sourceFrom + k, 0);
      const int16_t right = channels == 2 ? Staircase(sourceFrom + k, 1) : left;
      ASSERT_EQ(played[2 * (playedFrom + k)], left) << k;
      ASSERT_EQ(played[2 * (playedFrom + k) + 1], right) << k;
    }
  }
};

struct RegionCase {
  const char* name;
  uint16_t channels;
  uint32_t trackerStart, trackerEnd;
  uint32_t expectFrom, expectFrames;
};
void PrintTo(const RegionCase& c, std::ostream* os) { *os << c.name; }


class EditorRegion : public EditorTest, public ::testing::WithParamInterface<RegionCase> {};

TEST_P(EditorRegion, PlaysTheHighlightOrToTheEndThenStopsByItself) {
  const RegionCase c = GetParam();
  StartApp();
  auto segment = ShowInEditor(50000, c.channels);
  segment->trackerStart = c.trackerStart;
  segment->trackerEnd = c.trackerEnd;
  app->OnEditorPlay();
  ASSERT_EQ(app->playing.load(), 1);
  EXPECT_EQ(seams.view.Count("StartEditorTracking(0)"), 1);
  EXPECT_EQ(app->editorPlayLength, c.expectFrames);
  ASSERT_TRUE(RunUntilIdle(5000));
  ASSERT_EQ(PlayedFrames(), c.expectFrames);
  ExpectStaircase(Played(), 0, c.expectFrom, c.expectFrames, c.channels);
  EXPECT_EQ(seams.view.Count("StopEditorTracking"), 1);
  EXPECT_TRUE(segment->IsReadHandleClosed());
  EXPECT_TRUE(Reports().Take().empty());
}

INSTANTIATE_TEST_SUITE_P(Transport, EditorRegion,
                         ::testing::Values(RegionCase{"StereoHighlight", 2, 1000, 21000, 1000, 20000},
                                           RegionCase{"MonoWidened", 1, 1000, 21000, 1000, 20000},
                                           RegionCase{"NothingHighlightedPlaysToTheEnd", 2, 7, 7, 7, 49993},
                                           RegionCase{"FromTheStart", 1, 0, 0, 0, 50000}),
                         [](const ::testing::TestParamInfo<RegionCase>& info) { return info.param.name; });

TEST_F(EditorTest, PlayRefusesNothingToPlayEmptyAudioAndTheEnd) {
  StartApp();
  app->editorSource = EditorSourceNothing;
  seams.ui.ExpectBox("No audio exists to play.");
  app->OnEditorPlay();
  auto segment = ShowInEditor(0, 2);
  seams.ui.ExpectBox("No audio currently exists.");
  app->OnEditorPlay();
  segment->length = 100;
  segment->trackerStart = 100;
  seams.ui.ExpectBox(
      "Tracking bar is currently at the end of the audio segment.\nPress \"Rewind\" to reset to the beginning of the "
      "audio segment.");
  app->OnEditorPlay();
  EXPECT_EQ(app->playing.load(), 0);
  EXPECT_EQ(PlayedFrames(), 0u);
}

TEST_F(EditorTest, ALoopExactlyOneBufferLongPlaysWithoutEnd) {
  StartApp();
  auto segment = ShowInEditor(60000, 2);
  segment->trackerStart = 5000;
  segment->trackerEnd = 5000 + kTestBufferFrames;
  app->OnEditorPlayLoop();
  ASSERT_EQ(app->playing.load(), 1);
  EXPECT_EQ(seams.view.Count("StartEditorTracking(1)"), 1);
  Run(4000);
  EXPECT_EQ(app->playing.load(), 1);
  const std::vector<int16_t> played = Played();
  const size_t frames = played.size() / 2;
  ASSERT_GE(frames, 3 * 44100u);
  for (size_t k = 0; k < frames; k += kTestBufferFrames) {
    const uint32_t n = static_cast<uint32_t>(std::min<size_t>(kTestBufferFrames, frames - k));
    ExpectStaircase(played, k, 5000, n, 2);
  }
  app->OnStopByView();  // the Track View is shown: Stop there stops the project, which is not playing
  EXPECT_EQ(app->playing.load(), 1);
  seams.view.viewMode = ViewModeEditor;
  app->OnStopByView();
  EXPECT_EQ(app->playing.load(), 0);
}

TEST_F(EditorTest, ALoopThatWrapsMidBufferContinuesFromTheRegionsStart) {
  StartApp();
  auto segment = ShowInEditor(60000, 1);
  segment->trackerStart = 100;
  segment->trackerEnd = 100 + kTestBufferFrames + 3000;
  app->OnEditorPlayLoop();
  Run(1000);
  app->OnStopPlayback();
  const std::vector<int16_t> played = Played();
  const uint32_t region = kTestBufferFrames + 3000;
  for (size_t k = 0; k + region <= played.size() / 2; k += region) ExpectStaircase(played, k, 100, region, 1);
}

TEST_F(EditorTest, LoopPlayRefusesWhatItCannotLoop) {
  StartApp();
  auto segment = ShowInEditor(60000, 2);
  segment->trackerStart = 5000;
  segment->trackerEnd = 5000 + kTestBufferFrames - 1;
  seams.ui.ExpectBox("Sorry, section of audio is too short to play in loop mode.");
  app->OnEditorPlayLoop();
  segment->trackerStart = segment->trackerEnd = 60000 - kTestBufferFrames + 1;  // to the end: one short
  seams.ui.ExpectBox("Sorry, section of audio is too short to play in loop mode.");
  app->OnEditorPlayLoop();
  app->editorSource = EditorSourceSnippet;
  app->editorUsesProjectSettings = 1;
  seams.ui.ExpectBox("Sorry, cannot play extended audio snippet with \"project settings on\" in loop mode.");
  app->OnEditorPlayLoop();
  app->editorSource = EditorSourceNothing;
  seams.ui.ExpectBox("No audio exists to play.");
  app->OnEditorPlayLoop();
  EXPECT_EQ(app->playing.load(), 0);
  EXPECT_EQ(app->CheckLoopPlayLength(0, kTestBufferFrames), 1);
  EXPECT_EQ(app->CheckLoopPlayLength(0, kTestBufferFrames - 1), 0);
  EXPECT_EQ(app->CheckLoopPlayLength(10, 5), 0);
}

TEST_F(EditorTest, ASnippetWithProjectSettingsPlaysThroughTheProjectsMixer) {
  StartApp();
  auto segment = MakeSegment(44100, 2);
  auto snippet = AddSnippet(6, 22050, segment);
  app->editorSource = EditorSourceSnippet;
  app->editorSnippet = snippet;
  app->editorSegment = segment;
  app->editorTrackIndex = 6;
  app->editorUsesProjectSettings = 1;
  segment->trackerStart = 11025;
  segment->trackerEnd = 33075;
  app->OnEditorPlay();
  ASSERT_EQ(app->playing.load(), 1);
  ASSERT_TRUE(RunUntilIdle(5000));
  EXPECT_EQ(PlayedFrames(), 22050u);
  EXPECT_EQ(app->project.playing.load(), 0);
  // Tempo 1 and pitch 0 keep the audio as it is.
  ExpectStaircase(Played(), 0, 11025, 22050, 2);
}

TEST_F(EditorTest, RewindAndFastForwardMoveTheTrackerOrSayThereIsNothing) {
  StartApp();
  seams.ui.ExpectBox("No audio exists to rewind");
  app->OnEditorRewind();
  seams.ui.ExpectBox("No audio exists to fast-foward");
  app->OnEditorFastForward();
  auto segment = ShowInEditor(3000, 2);
  segment->trackerStart = 10;
  segment->trackerEnd = 20;
  segment->trackerSize = 10;
  seams.view.viewMode = ViewModeEditor;
  app->OnFastForwardByView();
  EXPECT_EQ(segment->trackerStart, 3000u);
  EXPECT_EQ(segment->trackerEnd, 3000u);
  EXPECT_EQ(segment->trackerSize, 0u);
  app->OnRewindByView();
  EXPECT_EQ(segment->trackerStart, 0u);
  EXPECT_EQ(segment->trackerEnd, 0u);
  EXPECT_EQ(seams.view.Count("UpdateEditorTimes"), 2);
}

// ---- Recording into the editor --------------------------------------------------

struct EditorTakeCase {
  const char* name;
  int32_t inputIndex;
  int16_t channels;
};
void PrintTo(const EditorTakeCase& c, std::ostream* os) { *os << c.name; }


class EditorRecording : public EditorTest, public ::testing::WithParamInterface<EditorTakeCase> {};

TEST_P(EditorRecording, KeepsTheTakeAsIndependentAudioInOneUndoStep) {
  const EditorTakeCase c = GetParam();
  StartApp();
  auto before = ShowInEditor(1000, 2);
  seams.view.viewMode = ViewModeEditor;
  app->OnRecordByView();
  EXPECT_TRUE(seams.view.recordSegmentWindowOpen);
  EXPECT_EQ(seams.view.Count("OpenRecordSegmentWindow(2)"), 1);
  const uint64_t startFrame = CVirtualWaveSystem::FrameAt(wave->NowMs());
  seams.thread.Post(msg::kStartEditorRecording, c.inputIndex, c.channels);  // the window's Start
  seams.thread.Pump();
  EXPECT_EQ(app->recording.load(), 1);
  EXPECT_EQ(app->devices.GetLastStartType(), kPobixRecord);
  EXPECT_EQ(seams.view.Count("StartRecordSegmentTimer"), 1);
  Run(1500);
  const uint64_t stopFrame = CVirtualWaveSystem::FrameAt(wave->NowMs());
  seams.thread.Post(msg::kFinishEditorRecording, 0, 0);  // its Stop
  seams.thread.Pump();
  EXPECT_EQ(app->recording.load(), 0);
  EXPECT_FALSE(seams.view.recordSegmentWindowOpen);

  ASSERT_EQ(app->editorSource, EditorSourceIndependent);
  std::shared_ptr<CAudioSegment> take = app->editorSegment;
  ASSERT_TRUE(take);
  ASSERT_NE(take, before);
  EXPECT_EQ(take->GetChannels(), static_cast<uint16_t>(c.channels));
  // Two 131072-byte buffers filled in 1.5 s, and the part of the third caught before Stop.
  EXPECT_EQ(take->length, stopFrame - startFrame);
  EXPECT_EQ(take->viewEnd, take->length);
  const std::vector<int16_t> samples = ReadPcm(*take);
  ASSERT_EQ(samples.size(), static_cast<size_t>(take->length) * c.channels);
  for (uint32_t k = 0; k < take->length; ++k) {
    int16_t left, right;
    CVirtualWaveSystem::SignalAt(startFrame + k, left, right);
    if (c.channels == 2) {
      ASSERT_EQ(samples[2 * k], left) << k;
      ASSERT_EQ(samples[2 * k + 1], right) << k;
    } else {
      ASSERT_EQ(samples[k], static_cast<int16_t>((left + right) / 2)) << k;
    }
  }
  ASSERT_EQ(app->undoList.GetCount(), 1u);
  const COperation* record = app->undoList.GetCurrent();
  EXPECT_EQ(record->type, OperationEditorContent);
  EXPECT_EQ(record->editorBefore.segment, before);
  EXPECT_EQ(record->editorAfter.segment, take);
  EXPECT_EQ(app->modified, 1);
}

INSTANTIATE_TEST_SUITE_P(Transport, EditorRecording,
                         ::testing::Values(EditorTakeCase{"Stereo", 0, 2}, EditorTakeCase{"Mono", 3, 1}),
                         [](const ::testing::TestParamInfo<EditorTakeCase>& info) { return info.param.name; });

TEST_F(EditorTest, CancellingARecordingIntoTheEditorChangesNothing) {
  StartApp();
  auto before = ShowInEditor(1000, 2);
  app->OpenRecordSegmentWindow();
  app->StartEditorRecording(0, 2);
  Run(1000);
  app->CancelEditorRecording();
  EXPECT_EQ(app->recording.load(), 0);
  EXPECT_EQ(app->editorSegment, before);
  EXPECT_EQ(app->undoList.GetCount(), 0u);
  EXPECT_EQ(app->modified, 0);
  EXPECT_FALSE(app->recordSegments[0]);
  EXPECT_FALSE(seams.view.recordSegmentWindowOpen);
}

// ---- The Loop Bank preview --------------------------------------------------------

class PreviewTest : public EditorTest {
 protected:
  std::shared_ptr<CAudioSegment> AddLoop(uint32_t frames, uint16_t channels) {
    auto loop = std::make_shared<CAudioLoop>();
    auto segment = MakeSegment(frames, channels);
    loop->SetSegment(segment);
    app->loopBank.AddLoop(loop);
    app->loopBank.SelectLoop(app->loopBank.GetCount() - 1);
    return segment;
  }
};

TEST_F(PreviewTest, PlaysTheSelectedLoopOnceAndStopsByItself) {
  StartApp();
  AddLoop(30000, 1);
  auto segment = AddLoop(40000, 2);
  app->PlayLoopPreview();
  ASSERT_EQ(app->playing.load(), 1);
  EXPECT_EQ(seams.view.Count("StartLoopPlayhead"), 1);
  ASSERT_TRUE(RunUntilIdle(5000));
  ASSERT_EQ(PlayedFrames(), 40000u);
  ExpectStaircase(Played(), 0, 0, 40000, 2);
  EXPECT_EQ(seams.view.Count("StopLoopPlayhead"), 1);
  EXPECT_EQ(seams.view.Count("ResetLoopPlayButton"), 1);
  EXPECT_TRUE(segment->IsReadHandleClosed());
  EXPECT_FALSE(app->previewSegment);
}

TEST_F(PreviewTest, PlayAndStopByViewUseTheVisibleRowsButtonOrThePreviewItself) {
  StartApp();
  seams.view.viewMode = ViewModeLoopBank;
  app->OnPlayByView();  // no loops: nothing
  EXPECT_EQ(app->playing.load(), 0);
  for (int i = 0; i < 10; ++i) AddLoop(20000, 1);
  app->loopBank.SelectLoop(2);
  app->OnPlayByView();
  EXPECT_EQ(seams.view.Count("PressLoopRowButton(2)"), 1);
  EXPECT_EQ(app->playing.load(), 0);  // the button does the rest
  app->loopBank.SelectLoop(9);        // below the eight visible rows
  app->OnPlayByView();
  EXPECT_EQ(app->playing.load(), 1);
  EXPECT_EQ(seams.view.Count("StartLoopPlayhead"), 0);
  Run(100);
  app->OnStopByView();
  EXPECT_EQ(app->playing.load(), 0);
  EXPECT_EQ(seams.view.Count("ResetLoopPlayButton"), 1);
  Run(500);
  EXPECT_LT(PlayedFrames(), 20000u);
}

// ---- The level window's callbacks ------------------------------------------------

// A gain whose level is exactly the given number of decibels, as the program
// computes levels; NaN when there is none near.
float GainOfExactly(float decibels) {
  float gain = std::pow(10.0f, decibels / 20.0f);
  for (int step = 0; step < 400; ++step) {
    float got = 0.0f;
    PercentToDecibel(gain * 100.0f, &got);
    if (got == decibels) return gain;
    gain = std::nextafter(gain, got < decibels ? 100.0f : 0.0f);
  }
  return std::nanf("");
}

TEST_F(TransportTest, GainsGoInAsDecibelsAndComeBackRoundedHalfAwayFromZero) {
  StartApp();
  struct {
    float gain;
    int16_t decibels;
  } cases[] = {{1.0f, 0},  {0.5f, -6}, {2.0f, 6}, {10.0f, 20}, {0.0f, -140},
               {GainOfExactly(-2.5f), -3}, {GainOfExactly(-1.5f), -2}, {GainOfExactly(3.5f), 4},
               {GainOfExactly(6.5f), 7},   {std::pow(10.0f, -2.4f / 20.0f), -2}};
  for (const auto& c : cases) {
    ASSERT_FALSE(std::isnan(c.gain)) << c.decibels;
    app->project.SetTrackGains(4, c.gain, 1.0f);
    app->project.masterRightGain = c.gain;
    int16_t left = 99, right = 99;
    GetLevelCallback(5, &left, &right);
    EXPECT_EQ(left, c.decibels) << c.gain;
    EXPECT_EQ(right, 0);
    GetLevelCallback(0, &left, &right);
    EXPECT_EQ(right, c.decibels) << c.gain;
  }
  SetLevelCallback(0, -6, 20);
  EXPECT_NEAR(app->project.masterLeftGain.load(), 0.501187f, 1e-5);
  EXPECT_NEAR(app->project.masterRightGain.load(), 10.0f, 1e-4);
  SetLevelCallback(24, 0, -140);
  float left = 0, right = 0;
  app->project.GetTrackGains(23, &left, &right);
  EXPECT_NEAR(left, 1.0f, 1e-6);
  EXPECT_NEAR(right, 1e-7f, 1e-7);
  SetLevelCallback(25, 0, 0);  // no such channel: nothing
  int16_t decibels = 0;
  GetLevelCallback(3, nullptr, &decibels);
  GetLevelCallback(3, &decibels, nullptr);
  EXPECT_EQ(TakeReports(), (std::vector<std::string>{"pro:1588", "pro:1593"}));
}

TEST_F(TransportTest, TheMetersSeeTheTracksWhileTheProjectPlaysAndTheInputsWhileMonitored) {
  StartApp();
  MakeProject(5 * 44100);
  std::vector<uint8_t> block(8820, 0x55);
  unsigned char* out = block.data();
  app->OnPlayProject();
  Run(500);
  GetChannelBufferCallback(1, &out, 8820);
  EXPECT_TRUE(std::any_of(block.begin(), block.end(), [](uint8_t b) { return b != 0; }));
  GetChannelBufferCallback(2, &out, 8820);  // an empty track
  EXPECT_TRUE(std::all_of(block.begin(), block.end(), [](uint8_t b) { return b == 0; }));
  std::fill(block.begin(), block.end(), 0x55);
  seams.view.viewMode = ViewModeLoopBank;
  GetChannelBufferCallback(1, &out, 8820);
  EXPECT_TRUE(std::all_of(block.begin(), block.end(), [](uint8_t b) { return b == 0; }));
  GetOutputBufferCallback(&out, 8820);
  EXPECT_TRUE(std::any_of(block.begin(), block.end(), [](uint8_t b) { return b != 0; }));
  app->OnStopProject();

  StartMonitorCallback(25);
  EXPECT_TRUE(app->IsMonitoring());
  Run(500);
  GetChannelBufferCallback(25, &out, 8820);
  EXPECT_TRUE(std::any_of(block.begin(), block.end(), [](uint8_t b) { return b != 0; }));
  StopMonitorCallback();
  StartMonitorCallback(24);  // a track, not an input: nothing
  StartMonitorCallback(57);
  EXPECT_FALSE(app->IsMonitoring());
  LevelsCallbacks callbacks = MakeLevelsCallbacks();
  EXPECT_EQ(callbacks.startMonitor, &StartMonitorCallback);
  EXPECT_EQ(callbacks.getGain, &GetLevelCallback);
}

TEST_F(TransportTest, TheProgressCallbackShowsThePercentUntilCancelled) {
  StartApp();
  app->progressWindow.SetMessage("Working...", 1);
  app->progressWindow.Begin();
  EXPECT_EQ(ProgressCallback(40), 1);
  EXPECT_EQ(seams.progress.Bar(), 40);
  app->progressWindow.OnCancelButton();
  EXPECT_EQ(ProgressCallback(50), 0);
  EXPECT_EQ(seams.progress.Bar(), 40);
}

TEST_F(TransportTest, AReportFromADeviceThreadIsShownOnTheInterfaceThreadSoonAfter) {
  StartApp();
  std::thread([] { ReportError("AudioRecorder", 42, "late"); }).join();
  EXPECT_EQ(PendingThreadReports(), 1u);
  seams.thread.Pump();
  EXPECT_EQ(PendingThreadReports(), 0u);
  EXPECT_EQ(std::count(seams.thread.Delivered().begin(), seams.thread.Delivered().end(), msg::kShowPostedReports), 1);
  EXPECT_EQ(TakeReports(), std::vector<std::string>{"AudioRecorder:42"});
}

TEST_F(TransportTest, ClosingTheWindowWhileRecordingKeepsTheTake) {
  StartApp();
  Arm(0, 0, 2);
  app->OnRecordProject();
  Run(1000);
  app->StopAllForClose();
  EXPECT_EQ(app->recording.load(), 0);
  EXPECT_EQ(app->undoList.GetCount(), 1u);
  EXPECT_FALSE(seams.view.recordingWindowShown);
}

// ---- Without an output device ----------------------------------------------------

class NoOutputTest : public PreviewTest {
 protected:
  void SetUp() override {
    PreviewTest::SetUp();
    UseDevices({}, {"Virtual Input 1"});
  }
};

TEST_F(NoOutputTest, EveryPlaybackAndRecordingRefusesAndStartsNothing) {
  StartApp();
  ASSERT_FALSE(app->outputOpen);
  MakeProject(44100);
  Arm(1, 0, 2);
  ShowInEditor(3 * kTestBufferFrames, 2);
  AddLoop(20000, 2);
  struct {
    const char* name;
    std::function<void()> command;
  } commands[] = {
      {"project play", [this] { app->OnPlayProject(); }},
      {"project record", [this] { app->OnRecordProject(); }},
      {"editor play", [this] { app->OnEditorPlay(); }},
      {"editor loop", [this] { app->OnEditorPlayLoop(); }},
      {"loop preview", [this] { app->PlayLoopPreview(); }},
  };
  for (const auto& c : commands) {
    seams.view.calls.clear();
    seams.ui.ExpectBox("No audio output device is open to play through.");
    c.command();
    seams.ui.CheckDone();
    EXPECT_EQ(app->playing.load(), 0) << c.name;
    EXPECT_EQ(app->recording.load(), 0) << c.name;
    EXPECT_EQ(app->mixing.load(), 0) << c.name;
    EXPECT_EQ(seams.view.Count("LockInput"), 0) << c.name;
    EXPECT_FALSE(seams.thread.IsTimerRunning(CProApp::kPlayTimerId)) << c.name;
    EXPECT_FALSE(seams.view.recordingWindowShown) << c.name;
  }
  EXPECT_FALSE(app->recordSegments[0]);
  EXPECT_EQ(app->undoList.GetCount(), 0u);

  // The recorders keep time by the output: recording into the editor and
  // monitoring an input say so and start nothing.
  seams.ui.ExpectBox("Recording needs an open audio output device, and none is open.");
  seams.view.viewMode = ViewModeEditor;
  app->OnRecordByView();
  EXPECT_FALSE(seams.view.recordSegmentWindowOpen);
  app->StartEditorRecording(0, 2);
  seams.ui.ExpectBox("Recording needs an open audio output device, and none is open.");
  app->StartInputMonitoring(25);
  EXPECT_FALSE(app->IsMonitoring());
  Run(500);
  EXPECT_EQ(app->recording.load(), 0);
  EXPECT_FALSE(app->recordSegments[0]);
  EXPECT_EQ(app->undoList.GetCount(), 0u);
  EXPECT_TRUE(Reports().Take().empty());
}

}  // namespace
}  // namespace tessiro::test
