// Playing the project on the virtual sound card: to the end and past it,
// stopping, the refusals, the timer and the positions, tempo and pitch.
#include <atomic>
#include <chrono>
#include <cmath>
#include <limits>
#include <ostream>
#include <thread>

#include "ReportRecorder.h"
#include "TransportFixture.h"

namespace tessiro::test {
namespace {

constexpr const char* kDuringPlayback = "Sorry, cannot perform this operation during playback.";

struct EndCase {
  const char* name;
  uint32_t projectFrames;
  uint32_t cursor;
  uint32_t extendSeconds;
  uint32_t expectFrames;
};
void PrintTo(const EndCase& c, std::ostream* os) { *os << c.name; }


class PlayToTheEnd : public TransportTest, public ::testing::WithParamInterface<EndCase> {};

TEST_P(PlayToTheEnd, PlaysExactlyToTheEndPlusTheExtendTimeAndStopsByItself) {
  const EndCase c = GetParam();
  StartApp([&](ProConfig& config) { config.extendPlaybackFrames = static_cast<int32_t>(c.extendSeconds * 44100); });
  MakeProject(c.projectFrames);
  app->SetPlayPosition(c.cursor);
  const uint64_t started = wave->NowMs();
  app->OnPlayProject();
  ASSERT_EQ(app->playing.load(), 1);
  EXPECT_EQ(seams.view.locked, 1);
  EXPECT_FALSE(seams.view.sliderEnabled);
  EXPECT_TRUE(seams.thread.IsTimerRunning(CProApp::kPlayTimerId));

  ASSERT_TRUE(RunUntilIdle(20000));
  const uint64_t stopped = wave->NowMs();
  EXPECT_EQ(PlayedFrames(), c.expectFrames);
  ASSERT_EQ(wave->PlayedRuns(0).size(), 1u);  // without a gap
  // The stop follows the last frame played within a step of the clock.
  const uint64_t lastFrameMs = started + (uint64_t{c.expectFrames} * 1000 + 44099) / 44100;
  EXPECT_GE(stopped, lastFrameMs);
  EXPECT_LE(stopped, lastFrameMs + 20);

  EXPECT_EQ(app->playCursor, c.cursor);
  EXPECT_EQ(app->mixing.load(), 0);
  EXPECT_EQ(seams.view.locked, 0);
  EXPECT_TRUE(seams.view.sliderEnabled);
  EXPECT_FALSE(seams.thread.IsTimerRunning(CProApp::kPlayTimerId));
  EXPECT_EQ(seams.view.calls.back(), "SetPositionSlider(" +
                                         std::to_string(static_cast<int>(
                                             static_cast<double>(c.cursor) / c.projectFrames * 1000 + 0.5)) +
                                         ")");
  EXPECT_EQ(seams.view.Count("ResetTrackingBar(" + std::to_string(c.cursor) + ")"), 1);
  EXPECT_TRUE(Reports().Take().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Transport, PlayToTheEnd,
    ::testing::Values(EndCase{"OneSecondAndTwoMore", 44100, 0, 2, 3 * 44100},
                      EndCase{"FromTheMiddle", 44100, 22050, 0, 22050},
                      // The end falls on a buffer's boundary: the last fill gives nothing.
                      EndCase{"WholeBuffers", 3 * kTestBufferFrames, 0, 0, 3 * kTestBufferFrames},
                      EndCase{"LessThanABuffer", 1000, 0, 0, 1000},
                      EndCase{"OneFrameBeforeTheEnd", 44100, 44099, 0, 1}),
    [](const ::testing::TestParamInfo<EndCase>& info) { return info.param.name; });

TEST_F(TransportTest, TheTimerMovesTheTrackingBarTimeTextAndSliderUpToTheEnd) {
  StartApp([](ProConfig& config) { config.extendPlaybackFrames = 44100; });
  MakeProject(88200);
  app->OnPlayProject();
  seams.view.calls.clear();
  Run(1000);
  // The timer runs every 50 ms from the milliseconds the card has played.
  const int ticks = seams.view.Count("MoveTrackingBar(");
  EXPECT_GE(ticks, 19);
  EXPECT_LE(ticks, 21);
  EXPECT_EQ(seams.view.positionText, "00:01.000");
  EXPECT_EQ(seams.view.slider, 500);
  Run(1500);  // into the time played past the end
  EXPECT_EQ(seams.view.slider, 1000);
  ASSERT_TRUE(RunUntilIdle(2000));
  EXPECT_EQ(seams.view.slider, 0);
  EXPECT_EQ(seams.view.positionText, "00:00.000");
}

TEST_F(TransportTest, StopMidwayEndsPlaybackThereAndReturnsTheCursorOnce) {
  StartApp();
  MakeProject(5 * 44100);
  app->SetPlayPosition(44100);
  app->OnPlayProject();
  Run(1000);
  app->OnStopProject();
  app->OnStopProject();  // a second Stop finds nothing to do
  EXPECT_EQ(app->playing.load(), 0);
  EXPECT_EQ(app->playCursor, 44100u);
  EXPECT_EQ(seams.view.Count("LockInput(0)"), 1);
  const size_t played = PlayedFrames();
  EXPECT_GE(played, 44100u - 441);
  EXPECT_LE(played, 44100u + 441);
  Run(2000);  // nothing more plays and nothing is posted late
  EXPECT_EQ(PlayedFrames(), played);
  EXPECT_EQ(app->playing.load(), 0);
}

struct RefusalCase {
  const char* name;
  uint32_t projectFrames;
  uint32_t cursor;
  int32_t follow;
  uint32_t viewWidth;
  const char* text;
};
void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }


class PlayRefusal : public TransportTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(PlayRefusal, ShowsItsTextAndStartsNothing) {
  const RefusalCase c = GetParam();
  StartApp();
  if (c.projectFrames) MakeProject(c.projectFrames);
  app->playCursor = c.cursor;
  app->followWaveform = c.follow;
  app->project.viewWidth = c.viewWidth;
  seams.view.calls.clear();
  seams.ui.ExpectBox(c.text);
  app->OnPlayProject();
  Run(500);
  EXPECT_EQ(app->playing.load(), 0);
  EXPECT_FALSE(seams.thread.IsTimerRunning(CProApp::kPlayTimerId));
  EXPECT_EQ(PlayedFrames(), 0u);
  EXPECT_EQ(seams.view.Count("LockInput"), 0);
  EXPECT_EQ(seams.ui.Boxes().back().icon, ui::Icon::Information);
}

INSTANTIATE_TEST_SUITE_P(
    Transport, PlayRefusal,
    ::testing::Values(
        RefusalCase{"EmptyProject", 0, 0, 0, 441000, "No audio currently exists in this project."},
        RefusalCase{"CursorAtTheEnd", 44100, 44100, 0, 441000,
                    "Project position is currently at the end of the project.\nPress \"Rewind\" to reset to the "
                    "beginning."},
        RefusalCase{"FollowingAViewUnderTwoSeconds", 44100, 0, 1, 88199,
                    "Current view of audio data is too close up to playback audio with a scrolling track view.  "
                    "Please either \"zoom out\" to greater than two seconds or turn off the \"Follow waveform with "
                    "tracking bar...\" setting in \"Application Settings\"."}),
    [](const ::testing::TestParamInfo<RefusalCase>& info) { return info.param.name; });

TEST_F(TransportTest, AFollowedViewOfExactlyTwoSecondsPlaysAndScrolls) {
  StartApp();
  MakeProject(44100);
  app->followWaveform = 1;
  app->project.viewWidth = 88200;
  app->OnPlayProject();
  EXPECT_EQ(app->playing.load(), 1);
  Run(100);
  // 50 ms played are 2205 frames.
  EXPECT_EQ(seams.view.Count("MoveTrackingBar(2205,1)"), 1);
  EXPECT_EQ(seams.view.Count("MoveTrackingBar(4410,1)"), 1);
}

TEST_F(TransportTest, CommandsThatChangeTheProjectAreRefusedWhilePlaying) {
  StartApp();
  MakeProject(10 * 44100);
  app->OnPlayProject();
  const float tempo = app->project.tempo;
  seams.ui.ExpectBox(kDuringPlayback);
  app->OnPlayProject();
  seams.ui.ExpectBox(kDuringPlayback);
  app->SetProjectTempo(90.0f);
  seams.ui.ExpectBox(kDuringPlayback);
  app->SetProjectPitch(3.0f);
  seams.ui.ExpectBox(kDuringPlayback);
  app->OnRecordProject();
  seams.ui.ExpectBox(kDuringPlayback);
  app->OnRewindProject();
  EXPECT_EQ(app->project.tempo, tempo);
  EXPECT_EQ(app->project.globalPitch.load(), 0.0f);
  EXPECT_EQ(app->recording.load(), 0);
  seams.ui.ExpectBox(kDuringPlayback);
  EXPECT_EQ(app->RefuseDuringPlayback(), 1);
  seams.ui.CheckDone();
  app->OnStopProject();
  EXPECT_EQ(app->RefuseDuringPlayback(), 0);
}

TEST_F(TransportTest, APlayStraightAfterAStopIsNeverEndedByTheOldRun) {
  StartApp();
  MakeProject(kTestBufferFrames / 2);
  for (int i = 0; i < 200; ++i) {
    app->OnPlayProject();
    ASSERT_EQ(app->playing.load(), 1) << i;
    // The card plays to the end and the end is posted, but not yet delivered.
    for (int ms = 0; ms < 2000 && seams.thread.Pending() == 0; ms += 5) wave->Advance(5);
    ASSERT_GT(seams.thread.Pending(), 0u) << i;
    app->OnStopProject();
    app->OnPlayProject();
    seams.thread.Pump();
    ASSERT_EQ(app->playing.load(), 1) << "the old end stopped the new run, " << i;
    app->OnStopProject();
  }
  EXPECT_TRUE(Reports().Take().empty());
}

TEST_F(TransportTest, AStopRacingTheEndOfAudioOnTheDeviceThreadStopsOnce) {
  StartApp();
  MakeProject(kTestBufferFrames / 2);
  for (int i = 0; i < 200; ++i) {
    app->OnPlayProject();
    ASSERT_EQ(app->playing.load(), 1) << i;
    // The card's clock runs on its own thread past the end of audio while this
    // thread stops, at a different moment each time.
    std::atomic<bool> go{false};
    std::thread clock([&] {
      while (!go.load()) std::this_thread::yield();
      for (int ms = 0; ms < 400; ++ms) wave->Advance(1);
    });
    go = true;
    std::this_thread::sleep_for(std::chrono::microseconds((i * 37) % 2000));
    app->OnStopProject();
    clock.join();
    seams.thread.Pump();
    ASSERT_EQ(app->playing.load(), 0) << i;
    ASSERT_EQ(app->mixing.load(), 0) << i;
    ASSERT_LE(PlayedFrames(), size_t{kTestBufferFrames / 2} * (i + 1)) << i;
  }
  EXPECT_EQ(seams.view.Count("LockInput(1)"), 200);
  EXPECT_EQ(seams.view.Count("LockInput(0)"), 200);
  EXPECT_EQ(seams.view.Count("ResetTrackingBar(0)"), 200);
  EXPECT_TRUE(Reports().Take().empty());
}

TEST_F(TransportTest, TwoHundredPlaysAndStopsLeaveNothingBehind) {
  StartApp();
  MakeProject(20 * 44100);
  uint32_t seed = 12345;
  for (int i = 0; i < 200; ++i) {
    seed = seed * 1103515245u + 12345u;
    app->OnPlayProject();
    ASSERT_EQ(app->playing.load(), 1) << i;
    Run(seed % 300);
    app->OnStopProject();
    ASSERT_EQ(app->playing.load(), 0) << i;
    ASSERT_EQ(app->mixing.load(), 0) << i;
    ASSERT_EQ(app->playCursor, 0u) << i;
  }
  Run(500);
  EXPECT_EQ(app->playing.load(), 0);
  EXPECT_EQ(seams.view.Count("LockInput(1)"), 200);
  EXPECT_EQ(seams.view.Count("LockInput(0)"), 200);
  EXPECT_TRUE(Reports().Take().empty());
}

// ---- Positions -------------------------------------------------------------------

TEST_F(TransportTest, TheSliderIsZeroForAnEmptyProjectAndAThousandAtTheEnd) {
  StartApp();
  app->SetPlayPosition(0);
  EXPECT_EQ(seams.view.slider, 0);
  app->SetPlayPosition(5000);
  EXPECT_EQ(seams.view.slider, 0);
  MakeProject(44100);
  struct {
    uint32_t frame;
    int slider;
  } cases[] = {{0, 0}, {22050, 500}, {44100, 1000}, {44077, 999}, {44078, 1000}, {22, 0}, {23, 1}, {90000, 1000}};
  for (const auto& c : cases) {
    app->SetPlayPosition(c.frame);
    EXPECT_EQ(seams.view.slider, c.slider) << c.frame;
    EXPECT_EQ(app->playCursor, c.frame);
  }
  app->SetPlayPositionFraction(0.25f);
  EXPECT_EQ(app->playCursor, 11025u);
  app->SetPlayPositionFraction(1.0f);
  EXPECT_EQ(app->playCursor, 44100u);
  EXPECT_EQ(seams.view.positionText, "00:01.000");
}

TEST_F(TransportTest, RewindAndFastForwardMoveTheCursorToTheEndsOnly) {
  StartApp();
  MakeProject(44100);
  seams.view.calls.clear();
  app->OnRewindProject();  // already at 0
  EXPECT_EQ(seams.view.Count("SyncTrackingBar"), 0);
  app->OnFastForwardProject();
  EXPECT_EQ(app->playCursor, 44100u);
  EXPECT_EQ(seams.view.Count("SyncTrackingBar(44100)"), 1);
  app->OnFastForwardProject();  // already at the end
  EXPECT_EQ(seams.view.Count("SyncTrackingBar"), 1);
  app->OnRewindByView();
  EXPECT_EQ(app->playCursor, 0u);
  EXPECT_EQ(seams.view.Count("SyncTrackingBar(0)"), 1);
}

// ---- Tempo and pitch -------------------------------------------------------------

TEST_F(TransportTest, TempoIsClampedAndRetimesTheProjectTheCursorAndTheMetronome) {
  StartApp();
  auto snippet = AddSnippet(2, 44100, MakeSegment(44100, 1));
  app->SetPlayPosition(88200);
  struct {
    float asked, expect;
    uint32_t cursor;
  } cases[] = {{251.0f, 250.0f, 42336}, {49.0f, 50.0f, 211680}, {240.0f, 240.0f, 44100}, {120.0f, 120.0f, 88200}};
  for (const auto& c : cases) {
    app->SetProjectTempo(c.asked);
    EXPECT_EQ(app->project.tempo, c.expect) << c.asked;
    EXPECT_EQ(app->metronome.parameters.bpm, c.expect);
    EXPECT_EQ(app->playCursor, c.cursor);
    EXPECT_EQ(snippet->tempo, c.expect);
    EXPECT_EQ(seams.view.calls.back(), "RefreshTrackView");
  }
  // Back at 120: where everything was.
  EXPECT_EQ(snippet->start, 44100u);
  EXPECT_EQ(snippet->end, 88200u);
  EXPECT_EQ(app->project.projectEnd, 88200u);
  seams.view.calls.clear();
  app->SetProjectTempo(120.0f);  // unchanged: nothing happens
  EXPECT_TRUE(seams.view.calls.empty());
  app->SetProjectTempo(std::numeric_limits<float>::quiet_NaN());
  EXPECT_EQ(app->project.tempo, 120.0f);
}

TEST_F(TransportTest, ATempoThatWouldPassNinetyMinutesIsRefusedAndChangesNothing) {
  StartApp();
  auto segment = MakeSegment(44100, 2);
  segment->length = 60u * 60u * 44100u;  // an hour, as far as timing goes
  auto snippet = AddSnippet(0, 44100, segment);
  app->SetPlayPosition(30u * 60u * 44100u);
  const uint32_t end = app->project.projectEnd, cursor = app->playCursor;
  const uint32_t viewEnd = app->project.viewEnd;
  seams.ui.ExpectBox("Cannot lower tempo.  Doing so would exceed maximum project length of 90 minutes.");
  app->SetProjectTempo(50.0f);
  EXPECT_EQ(app->project.tempo, 120.0f);
  EXPECT_EQ(snippet->tempo, 120.0f);
  EXPECT_EQ(snippet->start, 44100u);
  EXPECT_EQ(app->project.projectEnd, end);
  EXPECT_EQ(app->playCursor, cursor);
  EXPECT_EQ(app->project.viewEnd, viewEnd);
  EXPECT_EQ(app->metronome.parameters.bpm, 120.0f);
  EXPECT_EQ(seams.view.calls.back(), "SetTempoText(120)");
  // At 80 the hour lasts exactly 90 minutes, and its later start takes it past; 81 fits.
  seams.ui.ExpectBox("Cannot lower tempo.  Doing so would exceed maximum project length of 90 minutes.");
  app->SetProjectTempo(80.0f);
  app->SetProjectTempo(81.0f);
  EXPECT_EQ(app->project.tempo, 81.0f);
  EXPECT_LE(app->project.projectEnd, CProApp::kMaxProjectFrames);
}

TEST_F(TransportTest, PitchIsClampedToAnOctaveEachWay) {
  StartApp();
  struct {
    float asked, expect;
  } cases[] = {{13.0f, 12.0f}, {-13.0f, -12.0f}, {5.5f, 5.5f}, {0.0f, 0.0f}, {12.0f, 12.0f}};
  for (const auto& c : cases) {
    app->SetProjectPitch(c.asked);
    EXPECT_EQ(app->project.globalPitch.load(), c.expect) << c.asked;
  }
  app->SetProjectPitch(std::numeric_limits<float>::infinity());
  EXPECT_EQ(app->project.globalPitch.load(), 12.0f);
  EXPECT_EQ(seams.view.calls.back(), "SetPitchText(12)");
}

TEST_F(TransportTest, SnippetRatiosOutsideTheProcessorsRangeAreBroughtInside) {
  StartApp();
  auto wild = AddSnippet(0, 0, MakeSegment(44100, 2));
  auto tame = AddSnippet(1, 0, MakeSegment(44100, 2));
  auto broken = AddSnippet(2, 0, MakeSegment(44100, 2));
  wild->ratio = 1.0e6f;
  tame->ratio = 0.5f;
  broken->ratio = std::numeric_limits<float>::quiet_NaN();
  app->OnPlayProject();
  EXPECT_EQ(wild->ratio, CProApp::kMaxSnippetRatio);
  EXPECT_EQ(tame->ratio, 0.5f);
  EXPECT_EQ(broken->ratio, 1.0f);
  ASSERT_TRUE(RunUntilIdle(5000));
  EXPECT_EQ(PlayedFrames(), 44100u);
}

}  // namespace
}  // namespace tessiro::test
