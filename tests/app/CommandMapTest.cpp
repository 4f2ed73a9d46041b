// The command map run headless: every routed id against the update rules in
// every state, the refusals during playback, and the key, window and settings
// commands of the map.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <set>

#include "AppFixture.h"
#include "AudioLoop.h"
#include "AudioTrack.h"
#include "CommandRouter.h"
#include "ReportRecorder.h"
#include "commands/CommandTable.h"
#include "requests/SettingsRequests.h"

namespace tessiro::test {
namespace {

constexpr const char* kDuringPlayback = "Sorry, cannot perform this operation during playback.";

// The rules the menus follow, as lists of ids.
const std::set<int> kDisabledWhilePlaying = {
    32776, 32779, 32780, 32787, 32789, 32792, 32801, 32802, 32803, 32805, 32806, 32807, 32826, 32827,
    32832, 32833, 32834, 32836, 32837, 32838, 32841, 32842, 32843, 32845, 32846, 32913, 32914, 32923,
    32924, 32925, 32929, 32931, 32932, 32935, 32969, 32986, 32987, 32988, 32989, 32991};
const std::set<int> kEditorRule = {32804, 32812, 32813, 32844, 32857, 32858, 32859, 32860, 32861, 32862, 32864, 32865,
                                   32866, 32867, 32868, 32869, 32870, 32871, 32872, 32873, 32874, 32875, 32876, 32877,
                                   32878, 32908, 32909, 32910, 32911, 32912, 32926, 32927, 32928, 32930, 32937, 32938};
constexpr int kProjectStop = 32835;
constexpr int kPasteInsert = 32865;

bool Expected(int id, bool playing, bool recording, bool editorEmpty) {
  if (id == kProjectStop) return !recording;
  if (id == kPasteInsert) return !playing;
  if (kEditorRule.count(id)) return !playing && !editorEmpty;
  if (kDisabledWhilePlaying.count(id)) return !playing;
  return true;
}

// What a refused command must leave as it was.
struct Snapshot {
  std::array<uint8_t, ProConfig::kBytes> config{};
  std::vector<int32_t> tracks;  // armed, mute, solo of each
  int selectedTrack = 0, selectedLoop = 0;
  size_t viewCalls = 0;
  bool operator==(const Snapshot&) const = default;
};

class CommandMapTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    // An ordinary start: the commands begin on an empty project, not on the playing intro.
    WriteConfig(audio.Path());
    ASSERT_TRUE(Start());
    commands::RegisterCommandMap(router, *app);
    seams.view.calls.clear();
  }
  Snapshot Take() {
    Snapshot s;
    app->config.Serialize(s.config.data());
    for (int i = 0; i < CAudioTrackList::kProjectTracks; ++i) {
      CAudioTrack* track = nullptr;
      app->project.FindTrack(i, &track);
      s.tracks.insert(s.tracks.end(), {track->armed, track->mute.load(), track->solo.load()});
    }
    s.selectedTrack = app->project.GetSelectedTrackIndex();
    s.selectedLoop = app->loopBank.GetSelectedLoopNumber();
    s.viewCalls = seams.view.calls.size();
    return s;
  }
  void AddLoops(int count) {
    for (int i = 0; i < count; ++i) app->loopBank.AddLoop(std::make_shared<CAudioLoop>());
  }
  CCommandRouter router;
};

TEST_F(CommandMapTest, EveryRoutedIdIsEnabledExactlyAsItsRuleSaysInEveryState) {
  int routed = 0;
  for (bool playing : {false, true}) {
    for (bool recording : {false, true}) {
      for (bool editorEmpty : {false, true}) {
        for (int mode = ViewModeTrack; mode <= ViewModeLoopBank; ++mode) {
          app->playing = playing;
          app->recording = recording;
          app->editorSource = editorEmpty ? EditorSourceNothing : EditorSourceIndependent;
          seams.view.viewMode = mode;
          for (const commands::CommandEntry& e : commands::CommandTable()) {
            EXPECT_EQ(commands::RuleAllows(e.rule, *app), Expected(e.id, playing, recording, editorEmpty))
                << e.id << " " << e.name << " playing " << playing << " recording " << recording;
            if (!router.IsRouted(e.id)) continue;
            ++routed;
            EXPECT_EQ(router.IsEnabled(e.id), Expected(e.id, playing, recording, editorEmpty)) << e.id;
          }
          for (int id = commands::kFirstLoopCommand; id <= commands::kLastLoopCommand; ++id) {
            EXPECT_EQ(router.IsEnabled(id), !playing) << id;
          }
        }
      }
    }
  }
  app->playing = 0;
  app->recording = 0;
  EXPECT_GT(routed, 0);
  EXPECT_FALSE(router.IsRouted(commands::kLastLoopCommand + 1));
}

TEST_F(CommandMapTest, TheTableHoldsEachIdOnceAndEveryCommandTheMenusAndKeysName) {
  std::set<int> ids;
  for (const auto& e : commands::CommandTable()) EXPECT_TRUE(ids.insert(e.id).second) << "twice: " << e.id;
  for (int id : kDisabledWhilePlaying) EXPECT_TRUE(ids.count(id)) << id;
  for (int id : kEditorRule) EXPECT_TRUE(ids.count(id)) << id;
  for (int id : {32835, 32850, 32851, 32955, 32956, 32957, 32958, 32959, 32962, 32964, 32965, 32966, 32890,
                 32793, 32907, 32921, 32889, 32944, 32945, 32946, 32947, 32948, 32949, 32950, 32951, 32952,
                 32953, 32954, 32960, 32961, 32968, 57664, 32915, 32916, 32917}) {
    EXPECT_TRUE(ids.count(id)) << id;
  }
  EXPECT_FALSE(ids.count(commands::kCloseCommand)) << "Close has no handler";
  EXPECT_EQ(commands::MessageTable().size(), 14u);
}

// The commands that refuse during playback, run as a key or window would run
// them (past the menus' rules): the box, and nothing changed.
TEST_F(CommandMapTest, RefusedDuringPlaybackTheCommandsSayWhyAndChangeNothing) {
  const int refusing[] = {32913, 32787, 32929, 32792, 32926, 32944, 32945, 32946, 32947, 32950, 32960, 32961};
  app->editorSource = EditorSourceIndependent;
  AddLoops(2);
  app->playing = 1;
  for (int id : refusing) {
    seams.view.viewMode = ViewModeTrack;
    const commands::CommandEntry* entry = commands::FindCommand(id);
    ASSERT_TRUE(entry && entry->run) << id;
    const Snapshot before = Take();
    seams.ui.ExpectBox(kDuringPlayback);
    entry->run(*app);
    seams.ui.CheckDone();
    EXPECT_TRUE(Take() == before) << id << " " << entry->name;
  }
  // The Loop Bank's page keys refuse too; the Track View's do not.
  seams.view.viewMode = ViewModeLoopBank;
  seams.ui.ExpectBox(kDuringPlayback);
  app->OnPageKey(true);
  seams.ui.CheckDone();
  seams.view.viewMode = ViewModeTrack;
  EXPECT_EQ(app->OnPageKey(true), status::kDone);
  app->playing = 0;
}

TEST_F(CommandMapTest, EdgeCasesOfTheRules) {
  app->editorSource = EditorSourceNothing;
  EXPECT_TRUE(commands::RuleAllows(commands::FindCommand(kPasteInsert)->rule, *app)) << "Paste Insert, empty editor";
  for (int id : kEditorRule) {
    if (id != kPasteInsert) {
      EXPECT_FALSE(commands::RuleAllows(commands::FindCommand(id)->rule, *app)) << id;
    }
  }
  app->recording = 1;
  EXPECT_FALSE(commands::RuleAllows(commands::FindCommand(kProjectStop)->rule, *app)) << "Stop while recording";
  app->recording = 0;
  EXPECT_TRUE(commands::RuleAllows(commands::FindCommand(kProjectStop)->rule, *app));
}

TEST_F(CommandMapTest, PreviousAndNextStayInsideTheTracksAndTheLoops) {
  struct Case {
    int mode, loops, start, step, expected;
  };
  const Case cases[] = {
      {ViewModeTrack, 0, 23, +1, 23}, {ViewModeTrack, 0, 0, -1, 0},    {ViewModeTrack, 0, 5, +1, 6},
      {ViewModeTrack, 0, 5, -1, 4},   {ViewModeLoopBank, 3, 0, -1, 0}, {ViewModeLoopBank, 3, 2, +1, 2},
      {ViewModeLoopBank, 3, 1, +1, 2},
  };
  for (const Case& c : cases) {
    seams.view.viewMode = c.mode;
    if (app->loopBank.GetCount() < c.loops) AddLoops(c.loops - app->loopBank.GetCount());
    if (c.mode == ViewModeTrack) app->project.SelectTrack(c.start);
    else app->loopBank.SelectLoop(c.start);
    ASSERT_TRUE(router.Dispatch(c.step > 0 ? 32952 : 32951));
    const int now = c.mode == ViewModeTrack ? app->project.GetSelectedTrackIndex() : app->loopBank.GetSelectedLoopNumber();
    EXPECT_EQ(now, c.expected) << "mode " << c.mode << " from " << c.start << " by " << c.step;
  }
  EXPECT_EQ(seams.view.Count("RefreshCurrentView"), 7);
}

TEST_F(CommandMapTest, AnEmptyLoopBankHasNoLoopToStepToAndTheEditorHasNoRows) {
  seams.view.viewMode = ViewModeLoopBank;
  EXPECT_EQ(app->OnNextKey(), status::kNothingDone);
  EXPECT_EQ(app->OnPageKey(true), status::kNothingDone);
  seams.view.viewMode = ViewModeEditor;
  EXPECT_EQ(app->OnPageKey(false), status::kNothingDone);
  EXPECT_EQ(app->OnMuteKey(), status::kNothingDone);
  EXPECT_EQ(seams.view.Count("PageShownEditorRows"), 0);
  EXPECT_EQ(app->OnZoomKey(true), status::kDone);
  EXPECT_EQ(seams.view.Count("ZoomShownEditor(in)"), 1);
}

TEST_F(CommandMapTest, ArmRefusesALoopTrackAndAFifthTrack) {
  seams.view.viewMode = ViewModeTrack;
  for (int i = 0; i < 4; ++i) {
    app->project.SelectTrack(i);
    ASSERT_TRUE(router.Dispatch(32947));
  }
  EXPECT_EQ(app->project.CountArmedTracks(), 4);
  app->project.SelectTrack(4);
  seams.ui.ExpectBox("Sorry, you already have four tracks armed.  That is the maximum amount allowed.");
  router.Dispatch(32947);
  EXPECT_EQ(app->project.CountArmedTracks(), 4);
  // An armed track may still be disarmed with four armed.
  app->project.SelectTrack(2);
  router.Dispatch(32947);
  EXPECT_EQ(app->project.CountArmedTracks(), 3);
  app->project.SetTrackType(5, CAudioTrack::kTypeLoopBased);
  app->project.SelectTrack(5);
  seams.ui.ExpectBox("Cannot record extended audio to a loop based track.");
  router.Dispatch(32947);
  EXPECT_EQ(app->project.CountArmedTracks(), 3);
  // Mute and solo act on the Track View's selected track only.
  app->project.SelectTrack(7);
  router.Dispatch(32949);
  router.Dispatch(32948);
  CAudioTrack* track = nullptr;
  app->project.FindTrack(7, &track);
  EXPECT_TRUE(track->mute);
  EXPECT_TRUE(track->solo);
  seams.view.viewMode = ViewModeLoopBank;
  router.Dispatch(32949);
  EXPECT_TRUE(track->mute);
}

TEST_F(CommandMapTest, TheEffectsWindowToggledThreeTimesIsTheSameWindowShownAgain) {
  const std::pair<int, ui::ToolWindow> windows[] = {{32890, ui::ToolWindow::Effects},
                                                    {32793, ui::ToolWindow::Levels},
                                                    {32907, ui::ToolWindow::EditorTool}};
  for (const auto& [id, window] : windows) {
    router.Dispatch(id);
    EXPECT_TRUE(seams.view.IsToolWindowShown(window));
    router.Dispatch(id);
    EXPECT_FALSE(seams.view.IsToolWindowShown(window));
    router.Dispatch(id);
    EXPECT_TRUE(seams.view.IsToolWindowShown(window));
    EXPECT_EQ(seams.view.toolWindowsMade[window], 1);
  }
}

TEST_F(CommandMapTest, AudioPropertiesOfIndependentAudioOnlySaySoAndANeutralEditorIsDisabled) {
  app->editorSource = EditorSourceIndependent;
  const Snapshot before = Take();
  seams.ui.ExpectBox("Independent Audio - No property information exists.");
  ASSERT_TRUE(router.Dispatch(32926));
  EXPECT_TRUE(Take() == before);
  app->editorSource = EditorSourceNothing;
  EXPECT_FALSE(router.Dispatch(32926));
}

// What each settings dialog applies is tested with the settings commands; here
// only that the map asks the right dialog, and a cancel changes nothing.
TEST_F(CommandMapTest, SettingsCommandsAskTheirDialogsAndACancelChangesNothing) {
  const Snapshot before = Take();
  seams.ui.ExpectRequest<AppSettingsRequest>(std::nullopt);
  ASSERT_TRUE(router.Dispatch(32787));
  seams.ui.ExpectRequest<ProjectSettingsRequest>(std::nullopt);
  ASSERT_TRUE(router.Dispatch(32913));
  seams.ui.ExpectRequest<MetronomeSettingsRequest>(std::nullopt);
  ASSERT_TRUE(router.Dispatch(32792));
  EXPECT_TRUE(Take() == before);
  seams.ui.ExpectRequest<ColorSettingsRequest>();
  ASSERT_TRUE(router.Dispatch(32929));
}

TEST_F(CommandMapTest, WithoutAViewTheKeysReportTheirLinesAndDoNothing) {
  seams.view.hasView = false;
  const std::pair<int, int> lines[] = {{32949, 20377}, {32948, 20390}, {32951, 20422}, {32952, 20456},
                                       {32953, 20526}, {32954, 20549}, {32960, 20671}, {32961, 20694},
                                       {32950, 20406}, {32947, 20365}};
  for (const auto& [id, line] : lines) {
    const Snapshot before = Take();
    router.Dispatch(id);
    const auto reports = Reports().Take();
    ASSERT_EQ(reports.size(), 1u) << id;
    EXPECT_EQ(reports[0].report.line, line) << id;
    EXPECT_TRUE(Take() == before) << id;
  }
}

TEST_F(CommandMapTest, BypassingAllEffectsReachesTheMixer) {
  app->SetBypassAllEffects(1);
  EXPECT_EQ(app->project.bypass.load(), 1);
  app->SetBypassAllEffects(0);
  EXPECT_EQ(app->project.bypass.load(), 0);
}

}  // namespace
}  // namespace tessiro::test
