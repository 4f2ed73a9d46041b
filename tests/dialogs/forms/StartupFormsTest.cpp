#include <gtest/gtest.h>
#include <sys/stat.h>

#include "FirstStartForms.h"
#include "NoticeForms.h"
#include "ReportRecorder.h"
#include "TempFolder.h"
#include "UiServices.h"

namespace {

using forms::CInitDialog2;
using tessiro::test::Reports;

bool IsFolder(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

InitDialog2Request Page(std::vector<std::string> devices, int32_t device, std::string path) {
  InitDialog2Request request;
  request.outputDevices = std::move(devices);
  request.outputDevice = device;
  request.audioPath = std::move(path);
  return request;
}

TEST(InitDialog2Form, DeviceChoiceAndItsFaults) {
  struct Case {
    const char* what;
    std::vector<std::string> devices;
    int32_t offered;
    int select;  // -2: leave the selection alone
    int shown;
    int32_t answered;
    bool reported;
  };
  const Case cases[] = {
      {"offered device kept", {"Card A", "Card B"}, 1, -2, 1, 1, false},
      {"user picks another", {"Card A", "Card B", "Card C"}, 0, 2, 2, 2, false},
      {"offered index past the list", {"Card A"}, 5, -2, 0, 0, false},
      {"picking past the list keeps the shown one", {"Card A", "Card B"}, 1, 7, 1, 1, false},
      {"combo emptied (-1) keeps the shown one", {"Card A", "Card B"}, 1, -1, 1, 1, false},
      {"no device: reported, page still answers", {}, 0, -2, -1, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CInitDialog2 form(Page(c.devices, c.offered, "/tmp/x"));
    form.OnInitDialog();
    if (c.select != -2) form.SelectOutputDevice(c.select);
    EXPECT_EQ(form.OutputDevice(), c.shown);
    EXPECT_EQ(form.Result().outputDevice, c.answered);
    std::vector<tessiro::test::RecordedReport> reports = Reports().Take();
    ASSERT_EQ(reports.size(), c.reported ? 1u : 0u);
    if (c.reported) {
      EXPECT_EQ(reports[0].report.message, CInitDialog2::kNoOutputDevice);
    }
  }
}

TEST(InitDialog2Form, AudioPathTypedBrowsedAndMade) {
  tessiro::test::CTempFolder temp;
  const std::string proposed = temp / "orvane_audio";
  CInitDialog2 form(Page({"Card"}, 0, proposed));
  EXPECT_EQ(form.AudioPath(), proposed);

  form.ApplyBrowsed(std::nullopt);
  EXPECT_EQ(form.AudioPath(), proposed) << "a cancelled browse keeps the path";
  form.ApplyBrowsed(std::string());
  EXPECT_EQ(form.AudioPath(), proposed) << "an empty answer names no folder";
  const std::string browsed = temp / "browsed/deeper";
  EXPECT_EQ(form.ApplyBrowsed(browsed), FolderCheck::Accepted);
  EXPECT_EQ(form.AudioPath(), browsed);
  // Too long to be kept: refused, never cut (a cut would name another folder).
  const std::string deep = temp.Path() + "/" + std::string(kMaxAudioFolderBytes - temp.Path().size(), 'x');
  ASSERT_EQ(deep.size(), kMaxAudioFolderBytes + 1);
  EXPECT_EQ(form.ApplyBrowsed(deep), FolderCheck::TooLong);
  EXPECT_EQ(form.AudioPath(), browsed);
  EXPECT_EQ(form.ApplyBrowsed(deep.substr(0, kMaxAudioFolderBytes)), FolderCheck::Accepted);
  form.ApplyBrowsed(browsed);

  EXPECT_EQ(form.OnOK(), FolderCheck::Accepted);
  EXPECT_TRUE(IsFolder(browsed)) << "OK makes the folder with its parents";
  EXPECT_EQ(form.OnOK(), FolderCheck::Accepted) << "an existing folder is fine";
  EXPECT_EQ(form.Result().audioPath, browsed);

  const std::string blocked = temp / "file";
  std::FILE* f = std::fopen(blocked.c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  const struct {
    std::string typed;
    FolderCheck check;
    const char* why;
  } refused[] = {
      {"", FolderCheck::NotUsable, "an empty path is no folder made"},
      {blocked + "/audio", FolderCheck::NotUsable, "a path through a file cannot be made"},
      {deep, FolderCheck::TooLong, "a path too long to be kept is not made"},
      // 216 bytes end in the middle of the last "é": the whole path is refused, not cut there.
      {temp.Path() + "/" + std::string(kMaxAudioFolderBytes - temp.Path().size() - 2, 'x') + "\xC3\xA9",
       FolderCheck::TooLong, "a path whose last character passes the limit"},
  };
  for (const auto& c : refused) {
    form.SetAudioPath(c.typed);
    EXPECT_EQ(form.OnOK(), c.check) << c.why;
    if (!c.typed.empty()) {
      EXPECT_FALSE(IsFolder(c.typed)) << c.why;
    }
    EXPECT_EQ(form.Result().audioPath, c.typed) << c.why;
  }
}

TEST(NoticeForms, DontShowAgainOnlyWhenTicked) {
  struct Case {
    const char* what;
    std::vector<bool> clicks;
    bool expected;
  };
  const Case cases[] = {
      {"never touched", {}, false},
      {"ticked", {true}, true},
      {"ticked then cleared", {true, false}, false},
      {"cleared then ticked", {false, true}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    forms::CDontShowAgain box;
    box.OnCheck(true);  // left from an earlier showing
    box.OnInitDialog();
    for (bool ticked : c.clicks) box.OnCheck(ticked);
    EXPECT_EQ(box.DontShowAgain(), c.expected);
  }
  // Only the two empty-editor notices carry the box, each with its own id and link.
  EXPECT_EQ(forms::NoAudioEditingNotice().checkId, 1021);
  EXPECT_EQ(forms::NoLoopsNotice().checkId, 1347);
  EXPECT_NE(forms::NoAudioEditingNotice().link->target, forms::NoLoopsNotice().link->target);
  for (const forms::NoticeForm& n : {forms::ArmButtonNotice(), forms::DropoutNotice(), forms::MAudioFoundNotice()}) {
    EXPECT_EQ(n.checkId, 0) << n.kind;
  }
}

TEST(ModifiedForm, ButtonsSaveOnlyOnYes) {
  struct Case {
    int button;
    int answer;
    int saves;
  };
  const Case cases[] = {
      {forms::CModifiedDialog::kIdYes, ui::kAnswerOk, 1},
      {forms::CModifiedDialog::kIdNo, ui::kAnswerNo, 0},
      {forms::CModifiedDialog::kIdCancel, ui::kAnswerCancel, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button);
    int saves = 0;
    forms::CModifiedDialog dialog([&saves] { ++saves; });
    EXPECT_EQ(dialog.OnButton(c.button), c.answer);
    EXPECT_EQ(saves, c.saves);
  }
}

}  // namespace
