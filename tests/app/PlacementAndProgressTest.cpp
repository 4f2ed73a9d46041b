#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "io/IoCommon.h"
#include "Lunder.h"
#include "MainWndPlacement.h"
#include "OperationDialog.h"
#include "Profile.h"
#include "ReportRecorder.h"
#include "ScriptedUi.h"

namespace tessiro::test {
namespace {

TEST(WindowPlacement, OnlyTenNumbersAreAPlacement) {
  EXPECT_FALSE(ParseWindowPlacement(""));
  EXPECT_FALSE(ParseWindowPlacement("1,2,3"));
  EXPECT_FALSE(ParseWindowPlacement("0,1,-1,-1,-1,-1,10,10,810"));
  EXPECT_FALSE(ParseWindowPlacement("0,1,-1,-1,-1,-1,10,10,810,x"));
  std::optional<WindowPlacement> p = ParseWindowPlacement("2,3,-1,-1,-1,-1,10,10,810,610");
  ASSERT_TRUE(p);
  EXPECT_TRUE(p->IsMaximized());
  EXPECT_EQ(p->right, 810);
  EXPECT_EQ(FormatWindowPlacement(*p), "2,3,-1,-1,-1,-1,10,10,810,610");
}

TEST(WindowPlacement, AMaximisedWindowComesBackMaximised) {
  CMemoryProfile profile;
  CMainWndPlacement placement(profile);
  WindowPlacement normal;
  normal.left = 20;
  normal.top = 30;
  normal.right = 1020;
  normal.bottom = 730;
  placement.Write(normal, true);
  EXPECT_EQ(profile.values["Settings/MainWndPos"], "2,3,-1,-1,-1,-1,20,30,1020,730");
  std::optional<WindowPlacement> back = placement.Read(WindowPlacement::kShow);
  ASSERT_TRUE(back);
  EXPECT_TRUE(back->IsMaximized());
  EXPECT_EQ(back->bottom, 730);

  placement.Write(normal, false);
  back = placement.Read(WindowPlacement::kShowNormal);
  ASSERT_TRUE(back);
  EXPECT_FALSE(back->IsMaximized());
  // Any show command but the plain ones replaces the stored one.
  back = placement.Read(WindowPlacement::kShowMaximized);
  EXPECT_EQ(back->showCmd, WindowPlacement::kShowMaximized);

  profile.values["Settings/MainWndPos"] = "0,1,-1,-1,-1,-1,10,10,810";
  EXPECT_FALSE(placement.Read(WindowPlacement::kShow));
}

TEST(RecentFiles, NewestFirstWithoutDuplicatesAndAtMostEight) {
  CMemoryProfile profile;
  CRecentFileList list(profile);
  for (int i = 0; i < 10; ++i) list.Add("/p/" + std::to_string(i) + ".qvk");
  list.Add("/p/5.qvk");
  ASSERT_EQ(list.GetFiles().size(), 8u);
  EXPECT_EQ(list.GetFiles()[0], "/p/5.qvk");
  EXPECT_EQ(list.GetFiles()[1], "/p/9.qvk");
  EXPECT_EQ(list.GetFiles()[7], "/p/2.qvk");
  EXPECT_EQ(profile.values["Recent File List/File1"], "/p/5.qvk");

  CRecentFileList again(profile);
  again.Load();
  EXPECT_EQ(again.GetFiles(), list.GetFiles());
  again.Remove("/p/9.qvk");
  EXPECT_EQ(again.GetFiles().size(), 7u);
  EXPECT_EQ(profile.values["Recent File List/File8"], "");
}

TEST(SettingsProfile, KeepsValuesInItsFile) {
  const std::string path = ::testing::TempDir() + "/profile-test.ini";
  {
    CSettingsProfile profile(path);
    profile.WriteString("Settings", "MainWndPos", "0,1,-1,-1,-1,-1,1,2,3,4");
  }
  CSettingsProfile profile(path);
  EXPECT_EQ(profile.GetString("Settings", "MainWndPos"), "0,1,-1,-1,-1,-1,1,2,3,4");
  EXPECT_EQ(profile.GetString("Settings", "Missing"), "");
  std::remove(path.c_str());
}

class ProgressTest : public ::testing::Test {
 protected:
  CScriptedProgress display;
  uint32_t now = 5000;
  COperationDialog dialog{display, [this] { return now; }};
};

TEST_F(ProgressTest, PercentFollowsTheWorkDoneInHundreds) {
  dialog.SetMessage("Applying Echo...", 1);
  ASSERT_EQ(dialog.Begin(), 1);
  EXPECT_EQ(display.Messages().back(), "Applying Echo...");
  dialog.SetTotal(20000);  // 200 units
  dialog.AddDone(99);      // lost: each report truncates its own share
  EXPECT_EQ(dialog.GetLastPercent(), 0);
  dialog.AddDone(1000);
  EXPECT_EQ(dialog.GetLastPercent(), 5);
  dialog.AddDone(40000);
  EXPECT_EQ(dialog.GetLastPercent(), 100);
  EXPECT_EQ(display.Bar(), 100);
  EXPECT_EQ(display.Percents().back(), "100");
  EXPECT_EQ(display.Pumps(), 3);  // one pending event per report
  EXPECT_EQ(dialog.ProgressAnswer(), 1);
  dialog.End();
  EXPECT_FALSE(display.Exists());
}

TEST_F(ProgressTest, ATotalOfZeroStaysAtZero) {
  dialog.Begin();
  dialog.SetTotal(50);
  dialog.AddDone(100000);
  EXPECT_EQ(dialog.GetLastPercent(), 0);
  EXPECT_TRUE(display.RemainingTexts().empty());
}

TEST_F(ProgressTest, RemainingTimeTexts) {
  struct Case {
    int percent;
    uint32_t elapsedMs;
    const char* text;
  } cases[] = {
      {0, 1000, "N/A"},
      {5, 1000, "N/A"},
      {50, 58200, "59 seconds"},               // 58.2 / 50 * 50 + 1
      {50, 60200, "1 minute 1 seconds"},       // 61.2
      {50, 129200, "2 minutes 10 seconds"},    // 130.2
      {10, 1000, "10 seconds"},                // 9 + 1
  };
  for (const Case& c : cases) {
    EXPECT_EQ(COperationDialog::RemainingTimeText(c.percent, c.elapsedMs), c.text) << c.percent << " " << c.elapsedMs;
  }
}

TEST_F(ProgressTest, CancelClosesAtOnceAndTheNextReportEndsTheRun) {
  dialog.Begin();
  dialog.SetTotal(100000);
  display.CancelAtPump(2, &dialog);
  dialog.AddDone(10000);
  EXPECT_EQ(dialog.ProgressAnswer(), 1);
  dialog.AddDone(10000);  // Cancel pressed while this report pumps
  EXPECT_TRUE(dialog.IsCancelled());
  EXPECT_FALSE(display.Exists());
  EXPECT_EQ(dialog.ProgressAnswer(), 1);
  dialog.AddDone(10000);
  EXPECT_EQ(dialog.GetState(), COperationDialog::kStateCancelled);
  EXPECT_EQ(dialog.ProgressAnswer(), 0);
  EXPECT_EQ(dialog.SetMessage("ignored", 1), 0);

  // A new window starts afresh.
  dialog.SetMessage("ignored too", 1);
  ASSERT_EQ(dialog.Begin(), 1);
  EXPECT_FALSE(dialog.IsCancelled());
  EXPECT_EQ(dialog.ProgressAnswer(), 1);
  EXPECT_EQ(display.Windows(), 2);
}

TEST_F(ProgressTest, AnEstimateAppearsAboveFivePercent) {
  dialog.Begin();
  dialog.SetTotal(10000);
  now += 3000;
  dialog.AddDone(500);
  EXPECT_EQ(display.RemainingTexts().back(), "N/A");
  dialog.AddDone(500);  // 10 % after 3 s
  EXPECT_EQ(display.RemainingTexts().back(), "28 seconds");
}

TEST_F(ProgressTest, ACodecsProgressShowsItsPercentsUntilCancelStopsIt) {
  ASSERT_EQ(dialog.Begin(), 1);
  const size_t shownBefore = display.Percents().size();
  const int pumpsBefore = display.Pumps();
  display.CancelAtPump(4, &dialog);
  struct Step {
    short percent;
    int cancel;
    bool cancelled;
  } steps[] = {{0, 0, false}, {40, 0, false}, {kLunderNoPercent, 0, false}, {70, 1, true}, {90, 1, true}};
  bool cancelled = false;
  for (const Step& s : steps) {
    int cancel = -1;
    io::FollowCodecProgress(dialog, s.percent, cancelled, &cancel);
    EXPECT_EQ(cancel, s.cancel) << s.percent;
    EXPECT_EQ(cancelled, s.cancelled) << s.percent;
  }
  EXPECT_EQ(std::vector<std::string>(display.Percents().begin() + shownBefore, display.Percents().end()),
            (std::vector<std::string>{"0", "40"}))
      << "nothing shown for a percent the codec does not know, nor after Cancel";
  EXPECT_EQ(display.Pumps(), pumpsBefore + 5);

  // No answer to write to is the codec's fault: reported, and nothing pumped.
  io::FollowCodecProgress(dialog, 50, cancelled, nullptr);
  EXPECT_EQ(Reports().Take().size(), 1u);
  EXPECT_EQ(display.Pumps(), pumpsBefore + 5);
}

TEST_F(ProgressTest, AWindowThatCannotBeMadeIsReported) {
  display.FailCreation(true);
  EXPECT_EQ(dialog.Begin(), 3);
  std::vector<RecordedReport> reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.title, "OperationDialog");
  EXPECT_EQ(reports[0].report.line, 74);
  dialog.SetPercent(50);  // nothing to show it in: no effect, no fault
  EXPECT_TRUE(display.Percents().empty());
}

}  // namespace
}  // namespace tessiro::test
