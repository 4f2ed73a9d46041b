#include <gtest/gtest.h>
#include <signal.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include "Folders.h"
#include "OperationWindow.h"
#include "Program.h"
#include "QtUserInterface.h"
#include "SignalWatcher.h"
#include "TempFolder.h"
#include "frame/MainFrame.h"
#include "controls/MyEdit.h"
#include "frame/PositionSlider.h"
#include "frame/ToolBarTrackLower.h"
#include "pro.h"
#include "requests/EditRequests.h"
#include "requests/StartupRequests.h"
#include "requests/ViewRequests.h"

namespace tessiro::test {
namespace {

struct CustomRequest {
  static constexpr const char* kKind = "CCustomDialog";
  int asked = 0;
  struct Result {
    int answer = 0;
  };
};

TEST(QtUserInterface, ARequestNobodyAnswersIsACancel) {
  CQtUserInterface ui;
  EXPECT_FALSE(ui.Request(CustomRequest{3}).has_value());
  ui.Handlers().On<CustomRequest>([](const CustomRequest& r) {
    return std::optional<CustomRequest::Result>(CustomRequest::Result{r.asked * 2});
  });
  std::optional<CustomRequest::Result> answer = ui.Request(CustomRequest{3});
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->answer, 6);
}

// Presses a button of the next message box once it shows.
void PressWhenShown(QMessageBox::StandardButton which, QString* text, QMessageBox::Icon* icon) {
  QTimer::singleShot(0, [=] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    *text = box->text();
    *icon = box->icon();
    box->button(which)->click();
  });
}

TEST(QtUserInterface, MessageBoxesAnswerWithTheButtonPressed) {
  CQtUserInterface ui;
  struct Case {
    ui::Icon icon;
    ui::Buttons buttons;
    QMessageBox::StandardButton press;
    QMessageBox::Icon shown;
    int answer;
  };
  const Case cases[] = {
      {ui::Icon::Information, ui::Buttons::Ok, QMessageBox::Ok, QMessageBox::Information, ui::kAnswerOk},
      {ui::Icon::Error, ui::Buttons::OkCancel, QMessageBox::Cancel, QMessageBox::Critical, ui::kAnswerCancel},
      {ui::Icon::Question, ui::Buttons::YesNoCancel, QMessageBox::No, QMessageBox::Question, ui::kAnswerNo},
      {ui::Icon::Warning, ui::Buttons::YesNo, QMessageBox::Yes, QMessageBox::Warning, ui::kAnswerYes},
  };
  for (const Case& c : cases) {
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    PressWhenShown(c.press, &text, &icon);
    EXPECT_EQ(ui.MessageBox("Sorry, cannot perform this operation during playback.", c.icon, c.buttons), c.answer);
    EXPECT_EQ(text, QStringLiteral("Sorry, cannot perform this operation during playback."));
    EXPECT_EQ(icon, c.shown);
  }
}

TEST(SignalWatcher, ATerminationSignalBecomesARequestOnTheEventLoop) {
  int requests = 0;
  {
    CSignalWatcher watcher([&] { ++requests; });
    ASSERT_TRUE(watcher.IsWatching());
    raise(SIGTERM);
    raise(SIGINT);
    EXPECT_EQ(requests, 0) << "nothing runs inside the handler";
    ASSERT_TRUE(QTest::qWaitFor([&] { return requests >= 1; }, 2000));
  }
  struct sigaction now = {};
  sigaction(SIGTERM, nullptr, &now);
  EXPECT_EQ(now.sa_handler, SIG_DFL) << "the watcher gives the signals back";
}

class ProgramRun : public ::testing::Test {
 protected:
  void SetUp() override {
    // Every run here is a first start, with the audio folder of the test.
    std::remove((platform::ProgramFolder() + "/qvk.cfg").c_str());
    std::remove((platform::ProgramFolder() + "/profile.ini").c_str());
    CProgram::Options options;
    options.watchSignals = false;
    program = std::make_unique<CProgram>(options);
    // The first start's pages, answered without their windows, the settings with a folder of the test.
    program->Ui().Handlers().On<InitDialog1Request>(
        [](const InitDialog1Request&) { return std::optional<InitDialog1Request::Result>(InitDialog1Request::Result{}); });
    // The views' empty-editor notices are answered without their windows too.
    program->Ui().Handlers().On<NoAudioEditingExistsRequest>([](const NoAudioEditingExistsRequest&) {
      return std::optional<NoAudioEditingExistsRequest::Result>(NoAudioEditingExistsRequest::Result{});
    });
    program->Ui().Handlers().On<NoLoopsExistRequest>([](const NoLoopsExistRequest&) {
      return std::optional<NoLoopsExistRequest::Result>(NoLoopsExistRequest::Result{});
    });
    program->Ui().Handlers().On<InitDialog2Request>([this](const InitDialog2Request&) {
      return std::optional<InitDialog2Request::Result>(InitDialog2Request::Result{audio.Path(), 0});
    });
  }
  void TearDown() override { program.reset(); }

  CTempFolder audio;
  std::unique_ptr<CProgram> program;
};

TEST_F(ProgramRun, AFirstStartOpensTheIntroAndShutsDownWritingTheConfiguration) {
  const std::string config = platform::ProgramFolder() + "/qvk.cfg";
  bool painted = false;
  program->SetFirstPaintHandler([&] { painted = true; });
  ASSERT_TRUE(program->Start());
  CMainFrame& frame = program->Frame();
  EXPECT_TRUE(frame.isVisible());
  EXPECT_EQ(frame.windowTitle(), QStringLiteral("Intro - Tessiro"));
  EXPECT_EQ(program->App().initialised, 1);
  EXPECT_EQ(program->ViewHost().GetViewMode(), 1);
  EXPECT_FALSE(program->ProgressWindow().Exists()) << "start-up's progress window has gone";
  EXPECT_TRUE(program->Router().IsEnabled(32969));
  EXPECT_TRUE(program->Router().IsEnabled(32924));
  ASSERT_TRUE(QTest::qWaitFor([&] { return painted; }, 3000));
  EXPECT_GT(program->FirstPaintMs(), 0);

  // The views by the View menu's commands: their menus and bands come with them.
  program->Router().Dispatch(32945);
  EXPECT_EQ(frame.OwnerDrawnMenu(), frame.editorMenu.get());
  EXPECT_EQ(frame.shownBand, 1);
  program->App().playing = 1;
  EXPECT_FALSE(program->Router().IsEnabled(32924)) << "Open waits while audio plays";
  QString text;
  QMessageBox::Icon icon;
  PressWhenShown(QMessageBox::Ok, &text, &icon);
  program->Router().Dispatch(32946);
  EXPECT_EQ(text, QStringLiteral("Sorry, cannot perform this operation during playback."));
  EXPECT_EQ(frame.shownBand, 1);
  program->App().playing = 0;

  program->RequestClose();
  EXPECT_FALSE(frame.isVisible());
  program.reset();
  EXPECT_TRUE(platform::FileExists(config));
  QSettings profile(QString::fromStdString(platform::ProgramFolder() + "/profile.ini"), QSettings::IniFormat);
  EXPECT_TRUE(profile.value(QStringLiteral("Settings/MainWndPos")).toString().startsWith(QStringLiteral("0,1,")));
}

TEST_F(ProgramRun, ACloseRequestFirstClosesABoxThatWaitsForAnAnswer) {
  ASSERT_TRUE(program->Start());
  int answer = -1;
  QTimer::singleShot(0, [&] {
    answer = program->Ui().MessageBox("Overwrite?", ui::Icon::Question, ui::Buttons::YesNoCancel);
  });
  QTimer::singleShot(50, [&] { program->RequestClose(); });
  ASSERT_TRUE(QTest::qWaitFor([&] { return !program->Frame().isVisible(); }, 3000));
  EXPECT_EQ(answer, ui::kAnswerCancel) << "the box took its safe answer";
}

TEST_F(ProgramRun, AnEditOperationAsksItsDialogAndACancelAnswersNothing) {
  ASSERT_TRUE(program->Start());
  QString shown;
  QTimer::singleShot(0, [&] {
    if (auto* window = qobject_cast<dialogs::COperationWindow*>(QApplication::activeModalWidget())) {
      shown = window->windowTitle();
      window->reject();
    }
  });
  VolumeDialogRequest request;
  EXPECT_FALSE(program->Ui().Request(request).has_value());
  EXPECT_FALSE(shown.isEmpty()) << "the volume dialog was shown";
}

// The Settings menu's commands open their dialogs over the main window; a
// dialog's OK hands its answer to the command, its Cancel nothing.
TEST_F(ProgramRun, TheSettingsCommandsOpenTheirDialogs) {
  ASSERT_TRUE(program->Start());
  struct Case {
    int command;
    const char* dialog;
    const char* title;
  };
  const Case cases[] = {
      {32913, "dlg257", "Project Settings"},
      {32787, "dlg288", "Application Settings"},
      {32929, "dlg283", "Color Settings"},
      {32792, "dlg265", "Metronome Settings"},
  };
  for (const Case& c : cases) {
    QString shown, title;
    QWidget* owner = nullptr;
    QTimer::singleShot(0, [&] {
      if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        shown = dialog->objectName();
        title = dialog->windowTitle();
        owner = dialog->parentWidget();
        dialog->reject();
      }
    });
    ASSERT_TRUE(program->Router().Dispatch(c.command)) << c.title;
    EXPECT_EQ(shown, QString(c.dialog)) << c.title;
    EXPECT_EQ(title, QString(c.title));
    EXPECT_EQ(owner, &program->Frame()) << c.title;
  }

  // Application Settings: the follow box clicked and OK reach the application.
  const int32_t follow = program->App().followWaveform;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    auto* follow = dialog->findChild<QCheckBox*>(QStringLiteral("1320"));
    ASSERT_NE(follow, nullptr);
    follow->click();
    dialog->findChild<QPushButton*>(QStringLiteral("1"))->click();
  });
  program->Router().Dispatch(32787);
  EXPECT_EQ(program->App().followWaveform, follow ? 0 : 1);
  EXPECT_EQ(program->App().config.followWaveform, follow ? 0 : 1);
}

TEST_F(ProgramRun, TheSliderMovesThePlayPositionOfTheProject) {
  ASSERT_TRUE(program->Start());
  program->App().project.projectEnd = 44100 * 10;
  CMyToolBarTrackLower& bar = *program->Frame().trackToolBar;
  bar.positionSlider->setSliderPosition(0);
  bar.positionSlider->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(program->App().playCursor, 8820u);
  EXPECT_FALSE(bar.positionBox->text().isEmpty());
}

}  // namespace
}  // namespace tessiro::test
