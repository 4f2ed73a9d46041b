// The core's side of a view switch, the loop menu and the Audio Editor's colours.
#include <gtest/gtest.h>

#include "AppFixture.h"
#include "AudioLoop.h"
#include "AudioTrack.h"
#include "ReportRecorder.h"

namespace tessiro::test {
namespace {

using Calls = std::vector<std::string>;

int TakeReportLine() {
  std::vector<RecordedReport> reports = Reports().Take();
  return reports.size() == 1 ? reports[0].report.line : -static_cast<int>(reports.size());
}

TEST_F(AppTest, SwitchViewGivesTheEditorItsTempoBeforeTheMenuAndBars) {
  MakeApp();
  app->project.tempo = 90.0f;
  EXPECT_EQ(app->SwitchView(ViewModeEditor), status::kNothingDone);
  EXPECT_EQ(app->SwitchView(ViewModeLoopBank), status::kNothingDone);
  EXPECT_EQ(seams.view.calls, (Calls{"SetEditorProjectTempo(90)", "ShowMenuAndToolBarForView(2)",
                                     "ShowMenuAndToolBarForView(3)"}));
}

TEST_F(AppTest, SwitchViewIsRefusedDuringPlaybackAndReportsAMissingFrame) {
  MakeApp();
  app->playing = 1;
  seams.ui.ExpectBox("Sorry, cannot perform this operation during playback.");
  EXPECT_EQ(app->SwitchView(ViewModeTrack), status::kNothingDone);
  app->playing = 0;
  seams.view.hasFrame = false;
  EXPECT_EQ(app->SwitchView(ViewModeTrack), status::kFaultReported);
  EXPECT_EQ(TakeReportLine(), 14972);
  EXPECT_EQ(seams.view.calls, Calls{});
}

TEST_F(AppTest, LoopMenuIsRebuiltOnlyWhileThereAreLoops) {
  MakeApp();
  EXPECT_EQ(app->RebuildLoopMenu(), status::kNothingDone);
  EXPECT_EQ(seams.view.calls, Calls{});
  app->loopBank.AddLoop(std::make_shared<CAudioLoop>());
  EXPECT_EQ(app->RebuildLoopMenu(), status::kNothingDone);
  EXPECT_EQ(seams.view.calls, Calls{"RebuildLoopMenu"});
  seams.view.hasLoopMenu = false;
  EXPECT_EQ(app->RebuildLoopMenu(), status::kFaultReported);
  EXPECT_EQ(TakeReportLine(), 15029);
}

struct ColorCase {
  int useTrackColors;
  int32_t source;
  int16_t trackIndex, loopIndex;
  std::string expected;  // the call, or "report <line>"
};

TEST_F(AppTest, EditorColoursFollowWhatTheEditorHolds) {
  const ColorCase cases[] = {
      {1, EditorSourceSnippet, 5, 0, "SetEditorColors(000005,000105,000205,000305)"},
      {1, EditorSourceLoop, 0, 31, "SetEditorColors(000038,000138,000238,000338)"},
      {1, EditorSourceLoop, 0, 32, "report 19799"},
      {1, EditorSourceIndependent, 5, 3, "SetEditorColors(000018,000118,000218,000318)"},
      {1, EditorSourceNothing, 5, 3, "SetEditorColors(000018,000118,000218,000318)"},
      {0, EditorSourceSnippet, 5, 3, "SetEditorColors(000018,000118,000218,000318)"},
      {0, EditorSourceLoop, 5, 3, "SetEditorColors(000018,000118,000218,000318)"},
  };
  MakeApp();
  app->project.CreateTracks(CAudioSnippetList::kModeProject, CAudioTrack::kTypeExtended, CAudioTrackList::kProjectTracks);
  // Set n of the configuration reads n, 0x100 + n, 0x200 + n, 0x300 + n; track i's colours are set i.
  for (int n = 0; n < ProConfig::kColorSets; ++n) {
    const uint32_t u = static_cast<uint32_t>(n);
    app->config.colorSets[n] = {u, 0x100 + u, 0x200 + u, 0x300 + u};
    if (n < CAudioTrackList::kProjectTracks) app->project.SetTrackColors(n, app->config.colorSets[n]);
  }
  for (const ColorCase& c : cases) {
    app->useTrackColors = c.useTrackColors;
    app->editorSource = c.source;
    app->editorTrackIndex = c.trackIndex;
    app->editorLoopIndex = c.loopIndex;
    seams.view.calls.clear();
    const int result = app->ApplyEditorColorSet();
    if (c.expected.rfind("report ", 0) == 0) {
      EXPECT_EQ(result, status::kFaultReported);
      EXPECT_EQ("report " + std::to_string(TakeReportLine()), c.expected);
      EXPECT_EQ(seams.view.calls, Calls{});
    } else {
      EXPECT_EQ(result, status::kNothingDone);
      EXPECT_EQ(seams.view.calls, Calls{c.expected}) << c.source << " " << c.useTrackColors;
    }
  }
  seams.view.hasView = false;
  EXPECT_EQ(app->ApplyEditorColorSet(), status::kFaultReported);
  EXPECT_EQ(TakeReportLine(), 19786);
}

}  // namespace
}  // namespace tessiro::test
