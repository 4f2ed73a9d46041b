#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <sys/stat.h>

#include "DialogKit.h"
#include "ReportRecorder.h"
#include "StartupWindows.h"
#include "TempFolder.h"
#include "controls/HyperLink.h"
#include "requests/ProjectRequests.h"
#include "requests/TransportRequests.h"
#include "requests/ViewRequests.h"

namespace {

using dialogs::StartupServices;

template <class W>
W* Control(QWidget& window, int id) {
  W* control = window.findChild<W*>(QString::number(id));
  EXPECT_NE(control, nullptr) << "control " << id;
  return control;
}

// Asks as the core does, through the handlers the front end holds.
struct Front : ui::IUserInterface {
  ui::CRequestHandlers handlers;
  int MessageBox(const std::string&, ui::Icon, ui::Buttons) override { return ui::kAnswerOk; }
  std::optional<std::string> ChooseFile(const ui::FileChooser&) override { return std::nullopt; }
  std::optional<std::string> ChooseFolder(const ui::FolderChooser&) override { return std::nullopt; }

 protected:
  std::any Ask(std::type_index kind, const void* request, const char*) override {
    return handlers.Has(kind) ? handlers.Call(kind, request) : std::any();
  }
};

TEST(StartupWindows, FirstStartPagesTypedAndClicked) {
  tessiro::test::CTempFolder temp;
  const std::string typed = temp / "typed";
  const std::string browsed = temp / "browsed";
  std::vector<std::string> shown;
  StartupServices services;
  services.browseFolder = [&](const std::string& initial) -> std::optional<std::string> {
    EXPECT_EQ(initial, typed) << "the browser opens at what was typed";
    return browsed;
  };
  services.run = [&](QDialog& window) {
    shown.push_back(window.objectName().toStdString());
    if (window.objectName() == "299") {
      QComboBox* devices = Control<QComboBox>(window, 1330);
      QLineEdit* path = Control<QLineEdit>(window, 1331);
      ASSERT_TRUE(devices && path);
      EXPECT_EQ(devices->count(), 3);
      EXPECT_EQ(devices->currentIndex(), 1);
      devices->setCurrentIndex(2);
      path->selectAll();
      QTest::keyClicks(path, QString::fromStdString(typed));
      QTest::mouseClick(Control<QPushButton>(window, 1104), Qt::LeftButton);
      EXPECT_EQ(path->text().toStdString(), browsed);
    }
    QTest::mouseClick(Control<QPushButton>(window, 1), Qt::LeftButton);
  };
  Front front;
  dialogs::AnswerStartupRequests(front.handlers, services);

  EXPECT_TRUE(front.Request(InitDialog1Request{}).has_value());
  InitDialog2Request page;
  page.audioPath = temp / "orvane_audio";
  page.outputDevices = {"Out 1", "Out 2", "Out 3"};
  page.outputDevice = 1;
  std::optional<InitDialog2Request::Result> chosen = front.Request(page);
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(chosen->audioPath, browsed);
  EXPECT_EQ(chosen->outputDevice, 2);
  struct stat info {};
  EXPECT_EQ(::stat(browsed.c_str(), &info), 0) << "OK made the folder";
  EXPECT_TRUE(front.Request(MAudioFoundRequest{}).has_value());
  EXPECT_EQ(shown, (std::vector<std::string>{"298", "299", "CMAudioFoundDialog"}));
}

// A folder too long to be kept, browsed or typed, is refused on the page with
// its message; browsing asks again, OK leaves the page open for a shorter one.
TEST(StartupWindows, AFolderTooLongToKeepIsRefusedOnThePage) {
  tessiro::test::CTempFolder temp;
  const std::string tooLong = temp.Path() + "/" + std::string(kMaxAudioFolderBytes - temp.Path().size(), 'x');
  const std::string shorter = temp / "shorter";
  std::vector<std::string> refused;
  std::vector<std::optional<std::string>> browsed = {tooLong, shorter};
  size_t asked = 0;
  bool stayedOpen = false;
  StartupServices services;
  services.browseFolder = [&](const std::string&) { return browsed.at(asked++); };
  services.refuse = [&](const std::string& text) { refused.push_back(text); };
  services.run = [&](QDialog& window) {
    QLineEdit* path = Control<QLineEdit>(window, 1331);
    QPushButton* ok = Control<QPushButton>(window, 1);
    ASSERT_TRUE(path && ok);
    QTest::mouseClick(Control<QPushButton>(window, 1104), Qt::LeftButton);
    EXPECT_EQ(path->text().toStdString(), shorter) << "asked again after the refusal";
    path->selectAll();
    QTest::keyClicks(path, QString::fromStdString(tooLong));
    QTest::mouseClick(ok, Qt::LeftButton);
    stayedOpen = window.result() != QDialog::Accepted;
    path->selectAll();
    QTest::keyClicks(path, QString::fromStdString(shorter));
    QTest::mouseClick(ok, Qt::LeftButton);
  };
  Front front;
  dialogs::AnswerStartupRequests(front.handlers, services);
  InitDialog2Request page;
  page.audioPath = temp / "orvane_audio";
  page.outputDevices = {"Out 1"};
  std::optional<InitDialog2Request::Result> chosen = front.Request(page);
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(asked, 2u);
  EXPECT_TRUE(stayedOpen);
  EXPECT_EQ(refused, (std::vector<std::string>(2, TooLongFolderText(tooLong))));
  EXPECT_EQ(chosen->audioPath, shorter);
  struct stat info {};
  EXPECT_NE(::stat(tooLong.c_str(), &info), 0) << "the refused folder was not made";
}

TEST(StartupWindows, NoOutputDeviceReportedAndPageStillAnswers) {
  tessiro::test::CTempFolder temp;
  StartupServices services;
  services.run = [](QDialog& window) {
    QComboBox* devices = Control<QComboBox>(window, 1330);
    ASSERT_NE(devices, nullptr);
    // Not an empty list: it says there is none and how to get one.
    ASSERT_EQ(devices->count(), 1);
    EXPECT_EQ(devices->currentText().toStdString(), dialogs::kNoOutputDeviceText);
    window.reject();  // closed with the title bar: the proposed path stands
  };
  Front front;
  dialogs::AnswerStartupRequests(front.handlers, services);
  InitDialog2Request page;
  page.audioPath = temp / "audio";
  std::optional<InitDialog2Request::Result> chosen = front.Request(page);
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(chosen->audioPath, page.audioPath);
  EXPECT_EQ(chosen->outputDevice, 0);
  std::vector<tessiro::test::RecordedReport> reports = tessiro::test::Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.message, forms::CInitDialog2::kNoOutputDevice);
}

TEST(StartupWindows, NoticeCheckBoxReadAfterOk) {
  struct Case {
    const char* what;
    forms::NoticeForm notice;
    int clicks;
    bool expected;
  };
  const Case cases[] = {
      {"editor notice untouched", forms::NoAudioEditingNotice(), 0, false},
      {"editor notice ticked", forms::NoAudioEditingNotice(), 1, true},
      {"loop notice ticked twice", forms::NoLoopsNotice(), 2, false},
      {"loop notice ticked", forms::NoLoopsNotice(), 1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    dialogs::CNoticeWindow window(c.notice);
    QCheckBox* check = Control<QCheckBox>(window, c.notice.checkId);
    ASSERT_NE(check, nullptr);
    EXPECT_EQ(check->text().toStdString(), forms::kDontShowAgainText);
    CHyperLink* link = Control<CHyperLink>(window, c.notice.link->id);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->GetURL().toStdString(), c.notice.link->target);
    window.show();
    for (int i = 0; i < c.clicks; ++i) QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(6, check->height() / 2));
    QTest::mouseClick(Control<QPushButton>(window, 1), Qt::LeftButton);
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_EQ(window.DontShowAgain(), c.expected);
  }
}

TEST(StartupWindows, EmptyEditorRequestsAnswerTheTick) {
  bool tick = false;
  StartupServices services;
  services.run = [&tick](QDialog& window) {
    window.show();
    if (tick) {
      QCheckBox* check = window.findChild<QCheckBox*>();
      ASSERT_NE(check, nullptr);
      QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(6, check->height() / 2));
    }
    QTest::mouseClick(Control<QPushButton>(window, 1), Qt::LeftButton);
  };
  Front front;
  dialogs::AnswerStartupRequests(front.handlers, services);
  for (bool ticked : {false, true, false}) {
    SCOPED_TRACE(ticked);
    tick = ticked;
    const auto editor = front.Request(NoAudioEditingExistsRequest{});
    ASSERT_TRUE(editor.has_value());
    EXPECT_EQ(editor->dontShowAgain, ticked ? 1 : 0);
    const auto loops = front.Request(NoLoopsExistRequest{});
    ASSERT_TRUE(loops.has_value());
    EXPECT_EQ(loops->dontShowAgain, ticked ? 1 : 0);
  }
}

TEST(NoticeWindows, ModifiedQuestionAnswersTheButtonPressed) {
  struct Case {
    const char* press;  // a button's id, or "esc"
    ModifiedProjectRequest::Answer answer;
  };
  const Case cases[] = {
      {"4", ModifiedProjectRequest::Answer::Yes},
      {"3", ModifiedProjectRequest::Answer::No},
      {"2", ModifiedProjectRequest::Answer::Cancel},
      {"esc", ModifiedProjectRequest::Answer::Cancel},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.press);
    StartupServices services;
    services.run = [&c](QDialog& window) {
      EXPECT_EQ(window.objectName(), "301");
      EXPECT_EQ(window.windowTitle(), "Save Modified Project?");
      window.show();
      if (std::string(c.press) == "esc") {
        QTest::keyClick(&window, Qt::Key_Escape);
      } else {
        QPushButton* button = window.findChild<QPushButton*>(c.press);
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
      }
    };
    Front front;
    dialogs::AnswerNoticeRequests(front.handlers, services);
    const auto answer = front.Request(ModifiedProjectRequest{});
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->answer, c.answer);
  }
}

TEST(NoticeWindows, OneDropoutNoticeAtATimeAndTheArmNotice) {
  std::vector<std::string> shown;
  Front front;
  int nested = 0;
  StartupServices services;
  services.run = [&](QDialog& window) {
    shown.push_back(window.objectName().toStdString());
    // Dropouts that come while the notice is open (its loop runs posted calls).
    if (window.objectName() == "CDropoutDialog" && nested++ == 0) {
      EXPECT_TRUE(front.Request(DropoutNoticeRequest{}).has_value());
      EXPECT_TRUE(front.Request(DropoutNoticeRequest{}).has_value());
    }
    window.accept();
  };
  dialogs::AnswerNoticeRequests(front.handlers, services);
  EXPECT_TRUE(front.Request(DropoutNoticeRequest{}).has_value());
  EXPECT_TRUE(front.Request(DropoutNoticeRequest{}).has_value()) << "a later dropout has its own notice";
  EXPECT_TRUE(front.Request(ArmButtonRequest{}).has_value());
  EXPECT_EQ(shown, (std::vector<std::string>{"CDropoutDialog", "CDropoutDialog", "CArmButtonDialog"}));
}

}  // namespace
