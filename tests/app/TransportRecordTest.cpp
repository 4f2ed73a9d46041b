// Recording armed tracks over playback on the virtual sound card.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "DeviceCallbacks.h"
#include "Folders.h"
#include "LevelCallbacks.h"
#include "ReportRecorder.h"
#include "RecordedSignal.h"
#include "SmallTmpfs.h"
#include "TransportFixture.h"
#include "requests/TransportRequests.h"

namespace tessiro::test {
namespace {

using platform::CVirtualWaveSystem;

// How a recorder hands one virtual input to a track: the known signal of
// the clock frame, converted as the recorders convert it.
struct Route {
  int track;
  int32_t inputIndex;  // physical x 3 + 0 pair, 1 left, 2 right
  int16_t channels;
};

void ExpectedFrame(const Route& route, uint64_t clockFrame, int16_t out[2]) {
  RecordedFrame(route.inputIndex, route.channels, clockFrame, out);
}

class RecordTest : public TransportTest {
 protected:
  // The snippet a recording put on a track at the cursor; null when none.
  std::shared_ptr<CAudioSnippet> TakeOn(int track, uint32_t start) {
    std::shared_ptr<CAudioSnippet> found;
    CAudioSnippetList& snippets = Track(track)->Snippets();
    snippets.ResetIterator();
    snippets.SetWindow(0, 0xFFFFFFFF);
    CAudioSnippet* s = nullptr;
    while (snippets.GetNextSnippet(&s) == 1 && s) {
      if (s->start == start) snippets.FindSnippet(s->GetIdentifier(), &found);
    }
    return found;
  }

  // Every frame of the take equals the input at the clock frame where the
  // same project frame played.
  void ExpectAligned(const Route& route, uint32_t cursor, size_t minimumFrames) {
    std::shared_ptr<CAudioSnippet> take = TakeOn(route.track, cursor);
    ASSERT_TRUE(take) << "track " << route.track;
    std::shared_ptr<CAudioSegment> segment;
    take->GetSegment(&segment);
    ASSERT_TRUE(segment);
    EXPECT_EQ(segment->GetChannels(), static_cast<uint16_t>(route.channels));
    const std::vector<int16_t> samples = ReadPcm(*segment);
    ASSERT_EQ(samples.size(), static_cast<size_t>(segment->length) * route.channels);
    EXPECT_GE(segment->length, minimumFrames);
    EXPECT_EQ(take->end, cursor + segment->length);
    EXPECT_EQ(segment->tempo, app->project.tempo);
    const uint64_t firstPlayed = wave->PlayedRuns(0).at(0).firstFrame;
    for (uint32_t k = 0; k < segment->length; ++k) {
      int16_t expect[2];
      ExpectedFrame(route, firstPlayed + k, expect);
      for (int c = 0; c < route.channels; ++c) {
        ASSERT_EQ(samples[static_cast<size_t>(k) * route.channels + c], expect[c])
            << "track " << route.track << " frame " << k << " channel " << c;
      }
    }
  }

  const std::vector<Route> kFourTracks = {{0, 0, 2}, {3, 1, 1}, {5, 2, 2}, {8, 3, 1}};
};

TEST_F(RecordTest, FourArmedTracksRecordTheInputsAlignedToTheFrameInOneUndoStep) {
  StartApp();
  AddSnippet(1, 0, MakeSegment(3 * 44100, 2, [](uint32_t, int) { return int16_t{0}; }));
  for (const Route& r : kFourTracks) Arm(r.track, r.inputIndex, r.channels);
  app->SetPlayPosition(44100);
  ASSERT_FALSE(app->metronome.SamplesMissing());
  ASSERT_EQ(app->metronome.parameters.on, 1);
  app->OnRecordProject();
  ASSERT_EQ(app->recording.load(), 1);
  EXPECT_EQ(app->devices.GetLastStartType(), kPobixPlayAndRecord);
  EXPECT_TRUE(seams.view.recordingWindowShown);
  Run(2000);
  app->OnRecordingWindowStop();
  app->OnRecordingWindowStop();  // a second press acts no more
  EXPECT_EQ(app->recording.load(), 0);
  EXPECT_EQ(app->playing.load(), 0);
  EXPECT_FALSE(seams.view.recordingWindowShown);
  EXPECT_EQ(seams.view.Count("CloseRecordingWindow"), 1);

  ASSERT_EQ(app->undoList.GetCount(), 1u);
  EXPECT_EQ(app->undoList.GetCurrent()->type, OperationInsertSnippets);
  EXPECT_EQ(app->modified, 1);
  for (const Route& r : kFourTracks) ExpectAligned(r, 44100, 2 * 44100 - 2 * kTestBufferFrames);
  EXPECT_GE(app->project.projectEnd, 44100u + 2 * 44100 - 2 * kTestBufferFrames);

  // The project was silent: what played is the metronome, a click on each beat
  // (the cursor lies on one, and they come every 22050 frames at 120).
  const std::vector<int16_t> played = Played();
  auto loudest = [&](size_t from, size_t to) {
    int peak = 0;
    for (size_t i = 2 * from; i < 2 * to && i < played.size(); ++i) peak = std::max(peak, std::abs(int{played[i]}));
    return peak;
  };
  EXPECT_GT(loudest(0, 2048), 1000);
  EXPECT_GT(loudest(22050, 22050 + 2048), 1000);
  EXPECT_EQ(loudest(4096, 22000), 0);

  // Undo takes all four back at once.
  app->undoList.Undo(&app->project, &app->loopBank);
  for (const Route& r : kFourTracks) EXPECT_FALSE(TakeOn(r.track, 44100)) << r.track;
  EXPECT_TRUE(Reports().Take().empty());
}

TEST_F(RecordTest, CancelAddsNothing) {
  StartApp();
  for (const Route& r : kFourTracks) Arm(r.track, r.inputIndex, r.channels);
  app->OnRecordProject();
  Run(1000);
  app->OnRecordingWindowCancel();
  app->OnRecordingWindowStop();  // too late: the recording has ended
  EXPECT_EQ(app->undoList.GetCount(), 0u);
  EXPECT_EQ(app->modified, 0);
  EXPECT_EQ(app->project.projectEnd, 0u);
  for (const Route& r : kFourTracks) EXPECT_FALSE(TakeOn(r.track, 0));
  for (const auto& segment : app->recordSegments) EXPECT_FALSE(segment);
}

TEST_F(RecordTest, ASlotThatGotNoBytesAddsNothingForItsTrack) {
  StartApp();
  wave->SetStalled(CVirtualWaveSystem::Direction::Input, 1, true);  // the second input gives nothing
  for (const Route& r : kFourTracks) Arm(r.track, r.inputIndex, r.channels);
  app->OnRecordProject();
  Run(1500);
  app->OnRecordingWindowStop();
  ASSERT_EQ(app->undoList.GetCount(), 1u);
  EXPECT_TRUE(TakeOn(0, 0));
  EXPECT_TRUE(TakeOn(3, 0));
  EXPECT_TRUE(TakeOn(5, 0));
  EXPECT_FALSE(TakeOn(8, 0));
}

TEST_F(RecordTest, NoArmedTrackShowsTheArmNoticeAndStartsNothing) {
  StartApp();
  seams.ui.ExpectRequest<ArmButtonRequest>();
  app->OnRecordProject();
  EXPECT_EQ(app->recording.load(), 0);
  EXPECT_EQ(app->playing.load(), 0);
  EXPECT_FALSE(seams.view.recordingWindowShown);
}

TEST_F(RecordTest, RecordingIntoAnEmptyProjectNeverEndsByItselfAndStopByKeyKeepsIt) {
  StartApp();
  Arm(2, 0, 2);
  app->OnRecordProject();
  Run(6000);
  EXPECT_EQ(app->recording.load(), 1);
  app->OnStopByView();  // Esc in the Track View
  EXPECT_EQ(app->recording.load(), 0);
  EXPECT_FALSE(seams.view.recordingWindowShown);
  ASSERT_EQ(app->undoList.GetCount(), 1u);
  ExpectAligned({2, 0, 2}, 0, 6 * 44100 - 2 * kTestBufferFrames);
}

// Stop keeps every frame captured up to it, the part of the last buffer too:
// from the frame that played first to the last one the inputs caught.
TEST_F(RecordTest, ATakeKeepsEverythingRecordedUpToStop) {
  struct Case {
    const char* name;
    int32_t bufferFrames;
    uint32_t ms;
  };
  for (const Case& c : {Case{"two seconds of the default 32768-frame buffers", 32768, 2000},
                        Case{"a take shorter than one buffer", 32768, 300},
                        Case{"a stop just after a buffer filled", 8192, 1120}}) {
    SCOPED_TRACE(c.name);
    StartApp([&c](ProConfig& config) { config.bufferFrames = c.bufferFrames; });
    wave->ClearPlayed(0);
    Arm(0, 0, 2);
    Arm(1, 4, 1);
    app->OnRecordProject();
    Run(c.ms);
    const uint64_t stopFrame = CVirtualWaveSystem::FrameAt(wave->NowMs());
    app->OnRecordingWindowStop();
    const uint64_t firstPlayed = wave->PlayedRuns(0).at(0).firstFrame;
    for (const Route& r : {Route{0, 0, 2}, Route{1, 4, 1}}) {
      ExpectAligned(r, 0, stopFrame - firstPlayed);
      std::shared_ptr<CAudioSnippet> take = TakeOn(r.track, 0);
      ASSERT_TRUE(take);
      EXPECT_EQ(take->length, stopFrame - firstPlayed) << "track " << r.track;
    }
    Stop();
  }
}

// The takes' folder on a disk of its own that fills up while recording.
class FullDiskRecordTest : public RecordTest {
 protected:
  CSmallTmpfs tmpfs;
};

TEST_F(FullDiskRecordTest, RecordingOntoAFullDiskStopsAtTheFirstFailedWriteKeepsWhatWasWrittenAndSaysSo) {
  const std::string temp = audio / "qvk_temp";
  ASSERT_TRUE(platform::CreateFolder(temp));
  if (!tmpfs.Mount(temp, 4u << 20)) GTEST_SKIP() << tmpfs.WhyNot();
  StartApp();
  Arm(0, 0, 2);
  Arm(1, 4, 1);
  // Room for a little over a second of the two takes and their peaks.
  ASSERT_TRUE(tmpfs.LeaveFree(66 * 4096));
  std::string shown;
  const std::string start = "Recording stopped: the disk that holds " + app->tempFolder +
                            " is full (No space left on device).\n\nWhat was recorded up to then is kept: ";
  seams.ui.ExpectBoxWhere([&](const std::string& text) {
    shown = text;
    return text.rfind(start, 0) == 0;
  });
  app->OnRecordProject();
  Run(5000);
  // It stopped by itself, through the user-interface thread, and said so.
  EXPECT_EQ(app->recording.load(), 0);
  EXPECT_EQ(app->playing.load(), 0);
  EXPECT_FALSE(seams.view.recordingWindowShown);
  ASSERT_EQ(app->undoList.GetCount(), 1u);
  // "1.2 seconds", or "1.2 to 1.4 seconds" when the take that failed holds a buffer more or less.
  double from = 0, to = 0;
  const int read = std::sscanf(shown.c_str() + start.size(), "%lf to %lf", &from, &to);
  ASSERT_GE(read, 1) << shown;
  if (read == 1) to = from;
  EXPECT_GT(from, 0.5);
  EXPECT_LT(to, 1.5);
  // Each take is whole up to where it stopped, and as long as the box says.
  for (const Route& r : {Route{0, 0, 2}, Route{1, 4, 1}}) {
    ExpectAligned(r, 0, 0);
    const double kept = static_cast<double>(TakeOn(r.track, 0)->length) / 44100.0;
    EXPECT_GE(kept, from - 0.05) << shown;
    EXPECT_LE(kept, to + 0.05) << shown;
  }
  // A full disk is no fault of the program's: no report, only the box.
  EXPECT_TRUE(TakeReports().empty());
  Stop();
}

// The player's fills can be made slow to force a dropout of playback.
CVirtualWaveSystem* g_wave = nullptr;
std::atomic<int> g_slowFills{0};

void SlowFill(uint32_t zero, unsigned char* buffer, uint32_t bytes, uint32_t* filled, int32_t* end) {
  ProjectOutputCallback(zero, buffer, bytes, filled, end);
  if (g_slowFills > 0) {
    --g_slowFills;
    g_wave->Advance(700);  // far past three buffers' time
  }
}

TEST_F(RecordTest, APlaybackDropoutKeepsTheTakeClosesTheWindowThenShowsTheNotice) {
  StartApp();
  Arm(0, 0, 2);
  app->OnRecordProject();
  Run(1000);
  g_wave = wave.get();
  app->devices.UpdateOutputStereoCallback(&SlowFill);
  seams.ui.ExpectRequest<DropoutNoticeRequest>([this](const DropoutNoticeRequest&) {
    // By the time the notice shows, the take is kept and its window is gone.
    EXPECT_FALSE(seams.view.recordingWindowShown);
    EXPECT_EQ(app->undoList.GetCount(), 1u);
    EXPECT_EQ(app->recording.load(), 0);
    return DropoutNoticeRequest::Result{};
  });
  g_slowFills = 2;
  Run(3000);
  EXPECT_EQ(app->recording.load(), 0);
  ASSERT_EQ(app->undoList.GetCount(), 1u);
  EXPECT_TRUE(TakeOn(0, 0));
}

TEST_F(RecordTest, AnInputThatFailsEndsTheRecordingKeepingWhatItTook) {
  StartApp();
  Arm(0, 0, 2);
  Arm(1, 3, 2);
  seams.ui.ExpectRequest<DropoutNoticeRequest>();
  app->OnRecordProject();
  Run(1000);
  wave->SetInputFailed(1, true);  // unplugged
  Run(1000);
  EXPECT_EQ(app->recording.load(), 0);
  EXPECT_FALSE(seams.view.recordingWindowShown);
  ASSERT_EQ(app->undoList.GetCount(), 1u);
  EXPECT_TRUE(TakeOn(0, 0));
  EXPECT_TRUE(TakeOn(1, 0));
  Reports().Take();  // the device says what failed
}

TEST_F(RecordTest, AFaultInTheInputIsReportedOnceAndThatSlotTakesNothingMore) {
  StartApp();
  Arm(0, 0, 2);
  Arm(1, 1, 1);
  app->OnRecordProject();
  Run(1000);
  const uint32_t before = app->devices.GetOutputBytesWritten(1);
  std::shared_ptr<CAudioSegment> lost = app->recordSegments[0];
  app->recordSegments[0].reset();  // a segment gone from under the recorder
  Run(1500);
  EXPECT_EQ(TakeReports(), std::vector<std::string>{"pro:1739"});
  EXPECT_EQ(app->devices.GetOutputBytesWritten(1), before);
  EXPECT_GT(app->devices.GetOutputBytesWritten(2), before / 2);
  EXPECT_EQ(app->recording.load(), 1);  // the other track records on
  app->OnRecordingWindowStop();
  EXPECT_FALSE(TakeOn(0, 0));
  EXPECT_TRUE(TakeOn(1, 0));
  lost->Close();
}

TEST_F(RecordTest, MonitoringAndThenRecordingKeepsEveryFrame) {
  StartApp();
  Arm(4, 0, 2);
  for (int i = 0; i < 5; ++i) {
    StartMonitorCallback(25);
    EXPECT_EQ(app->devices.GetLastStartType(), kPobixMonitor);
    Run(300);
    StopMonitorCallback();
    EXPECT_FALSE(app->IsMonitoring());
  }
  app->OnRecordProject();
  Run(2000);
  app->OnRecordingWindowStop();
  ExpectAligned({4, 0, 2}, 0, 2 * 44100 - 2 * kTestBufferFrames);
}

TEST_F(RecordTest, RecordingStopsTheLevelWindowsMonitoringFirst) {
  StartApp();
  Arm(0, 0, 2);
  StartMonitorCallback(25);
  seams.view.levelMonitoring = true;
  seams.view.levelWindowShown = true;
  seams.view.onStopLevelMonitor = [] { StopMonitorCallback(); };
  app->OnRecordProject();
  EXPECT_EQ(seams.view.Count("StopLevelMonitor"), 1);
  EXPECT_EQ(seams.view.Count("RunLevelMeters"), 1);
  EXPECT_FALSE(app->IsMonitoring());
  Run(1000);
  app->OnRecordingWindowStop();
  EXPECT_EQ(seams.view.Count("StopLevelMeters"), 1);
  ExpectAligned({0, 0, 2}, 0, 44100 - 2 * kTestBufferFrames);
}

TEST_F(RecordTest, FiftyRecordingsAndStopsLeaveNothingBehind) {
  StartApp();
  Arm(0, 0, 2);
  Arm(1, 4, 1);
  uint32_t seed = 99;
  size_t keeps = 0;
  for (int i = 0; i < 50; ++i) {
    seed = seed * 1103515245u + 12345u;
    app->OnRecordProject();
    ASSERT_EQ(app->recording.load(), 1) << i;
    Run(400 + seed % 400);
    if (i % 5 == 4) {
      app->OnRecordingWindowCancel();
    } else {
      app->OnRecordingWindowStop();
      ++keeps;
    }
    ASSERT_EQ(app->recording.load(), 0) << i;
    ASSERT_EQ(app->undoList.GetCount(), keeps) << i;
  }
  Run(500);
  for (const auto& segment : app->recordSegments) EXPECT_FALSE(segment);
  EXPECT_TRUE(Reports().Take().empty());
}

}  // namespace
}  // namespace tessiro::test
