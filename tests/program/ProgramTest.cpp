#include <gtest/gtest.h>
#include <signal.h>

#include <cmath>
#include <cstring>
#include <fstream>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include "AudioSegment.h"
#include "ZelmoSettingsDialog.h"
#include "FXHolderWindow.h"
#include "Folders.h"
#include "OperationWindow.h"
#include "Program.h"
#include "QtUserInterface.h"
#include "SignalWatcher.h"
#include "TempFolder.h"
#include "frame/MainFrame.h"
#include "controls/MyEdit.h"
#include "edit/EditOperation.h"
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
    program = MakeProgram();
  }
  void TearDown() override { program.reset(); }

  std::unique_ptr<CProgram> MakeProgram() {
    CProgram::Options options;
    options.watchSignals = false;
    auto made = std::make_unique<CProgram>(options);
    // The first start's pages, answered without their windows, the settings with a folder of the test.
    made->Ui().Handlers().On<InitDialog1Request>(
        [](const InitDialog1Request&) { return std::optional<InitDialog1Request::Result>(InitDialog1Request::Result{}); });
    // The views' empty-editor notices are answered without their windows too.
    made->Ui().Handlers().On<NoAudioEditingExistsRequest>([](const NoAudioEditingExistsRequest&) {
      return std::optional<NoAudioEditingExistsRequest::Result>(NoAudioEditingExistsRequest::Result{});
    });
    made->Ui().Handlers().On<NoLoopsExistRequest>([](const NoLoopsExistRequest&) {
      return std::optional<NoLoopsExistRequest::Result>(NoLoopsExistRequest::Result{});
    });
    made->Ui().Handlers().On<InitDialog2Request>([this](const InitDialog2Request&) {
      return std::optional<InitDialog2Request::Result>(InitDialog2Request::Result{audio.Path(), 0});
    });
    return made;
  }

  // A first start plays the intro; these tests begin once the user has stopped it (Esc).
  bool StartAndStopIntro() {
    if (!program->Start()) return false;
    program->Router().Dispatch(32955);
    return QTest::qWaitFor([this] { return program->App().playing.load() == 0; }, 5000);
  }

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
  EXPECT_EQ(program->App().playing.load(), 1) << "the intro plays at once";
  program->Router().Dispatch(32955);
  ASSERT_TRUE(QTest::qWaitFor([this] { return program->App().playing.load() == 0; }, 5000));
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
  ASSERT_TRUE(StartAndStopIntro());
  int answer = -1;
  QTimer::singleShot(0, [&] {
    answer = program->Ui().MessageBox("Overwrite?", ui::Icon::Question, ui::Buttons::YesNoCancel);
  });
  QTimer::singleShot(50, [&] { program->RequestClose(); });
  ASSERT_TRUE(QTest::qWaitFor([&] { return !program->Frame().isVisible(); }, 3000));
  EXPECT_EQ(answer, ui::kAnswerCancel) << "the box took its safe answer";
}

TEST_F(ProgramRun, AnEditOperationAsksItsDialogAndACancelAnswersNothing) {
  ASSERT_TRUE(StartAndStopIntro());
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
  ASSERT_TRUE(StartAndStopIntro());
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
  ASSERT_TRUE(StartAndStopIntro());
  program->App().project.projectEnd = 44100 * 10;
  CMyToolBarTrackLower& bar = *program->Frame().trackToolBar;
  bar.positionSlider->setSliderPosition(0);
  bar.positionSlider->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(program->App().playCursor, 8820u);
  EXPECT_FALSE(bar.positionBox->text().isEmpty());
}

// One second of a 1 kHz sine at -12 dB on both channels, as the Audio Editor's independent audio.
std::shared_ptr<CAudioSegment> EditorSine(CProApp& app, std::vector<int16_t>* samples) {
  constexpr uint32_t kFrames = 44100;
  samples->resize(2 * kFrames);
  for (uint32_t f = 0; f < kFrames; ++f) {
    (*samples)[2 * f] = (*samples)[2 * f + 1] = static_cast<int16_t>(8000.0 * std::sin(2.0 * M_PI * 1000.0 * f / 44100.0));
  }
  auto segment = std::make_shared<CAudioSegment>(app.tempFolder);
  segment->SetFormat(AudioQuality{44100, 2, 16});
  EXPECT_EQ(segment->Open(1), 1);
  uint32_t written = 0;
  EXPECT_EQ(segment->Write(samples->data(), kFrames, &written), 0);
  segment->Close();
  segment->length = segment->viewEnd = segment->viewWidth = kFrames;
  app.SetEditorIndependentAudio(segment);
  return segment;
}

std::vector<int16_t> SamplesOf(const CAudioSegment& segment) {
  std::ifstream in(segment.GetPcmFileName(), std::ios::binary);
  std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::vector<int16_t> samples(bytes.size() / 2);
  std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
  return samples;
}

int Peak(const std::vector<int16_t>& s, size_t firstFrame, size_t endFrame) {
  int peak = 0;
  for (size_t i = 2 * firstFrame; i < std::min(s.size(), 2 * endFrame); ++i) peak = std::max(peak, std::abs(int{s[i]}));
  return peak;
}

// Types text into a control of the open effect holder and presses OK (or Cancel);
// the window's caption and what the control showed before are kept.
void AnswerHolder(int control, const char* text, bool ok, QString* caption, QString* before) {
  QTimer::singleShot(0, [=] {
    auto* window = qobject_cast<dialogs::CFXHolderWindow*>(QApplication::activeModalWidget());
    ASSERT_NE(window, nullptr);
    *caption = window->windowTitle();
    auto* edit = window->findChild<QLineEdit*>(QString::number(control));
    ASSERT_NE(edit, nullptr);
    *before = edit->text();
    edit->selectAll();
    QTest::keyClicks(edit, text);
    window->findChild<QPushButton*>(QString::number(ok ? 1 : 2))->click();
  });
}

// Each effect tool of the Audio Editor opens the holder with its panel; what
// is typed there is what the audio gets, and the next showing starts from it.
TEST_F(ProgramRun, TheEffectToolsApplyWhatTheHolderWasGiven) {
  ASSERT_TRUE(StartAndStopIntro());
  CProApp& app = program->App();
  struct Case {
    int32_t operation;
    const char* caption;
    int control;
    const char* text;
    std::function<void(const std::vector<int16_t>& in, const std::vector<int16_t>& out)> check;
  };
  const auto dryGone = [](size_t silentFrames) {
    return [silentFrames](const std::vector<int16_t>&, const std::vector<int16_t>& out) {
      EXPECT_EQ(Peak(out, 0, silentFrames), 0) << "no dry signal";
      EXPECT_GT(Peak(out, silentFrames, 44100), 500) << "the effect's own sound";
    };
  };
  const Case cases[] = {
      {EditOpEcho, "Echo Effect", 1163, "-140", dryGone(13000)},
      {EditOpReverb, "Reverb Effect", 1163, "-140", dryGone(40)},
      {EditOpFlange, "Flange Effect", 1163, "-140", dryGone(20)},
      {EditOpChorus, "Chorus Effect", 1163, "-140", dryGone(400)},
      {EditOpEqualizer, "Equalizer Effect", 1061, "-140",
       [](const std::vector<int16_t>& in, const std::vector<int16_t>& out) {
         EXPECT_LT(Peak(out, 4410, 40000) * 10, Peak(in, 4410, 40000)) << "the 1 kHz band taken out";
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caption);
    std::vector<int16_t> in;
    std::shared_ptr<CAudioSegment> old = EditorSine(app, &in);
    QString caption, before;
    AnswerHolder(c.control, c.text, true, &caption, &before);
    ASSERT_EQ(app.ApplyIndependentEdit(c.operation, EditRangeFromDialog), OperationResultDone);
    EXPECT_EQ(caption, QString(c.caption));
    std::shared_ptr<CAudioSegment> now = app.GetEditorSegment();
    ASSERT_TRUE(now);
    ASSERT_NE(now, old);
    const std::vector<int16_t> out = SamplesOf(*now);
    ASSERT_EQ(out.size(), in.size());
    c.check(in, out);
  }

  // The echo's panel kept what was typed; Cancel leaves the audio alone.
  std::vector<int16_t> in;
  std::shared_ptr<CAudioSegment> old = EditorSine(app, &in);
  QString caption, before;
  AnswerHolder(1182, "10", false, &caption, &before);
  EXPECT_NE(app.ApplyIndependentEdit(EditOpEcho, EditRangeFromDialog), OperationResultDone);
  EXPECT_EQ(before, QStringLiteral("300.00"));
  EXPECT_EQ(app.GetEditorSegment(), old);
  EXPECT_EQ(SamplesOf(*old), in);
  AnswerHolder(1163, "-140", false, &caption, &before);
  app.ApplyIndependentEdit(EditOpEcho, EditRangeFromDialog);
  EXPECT_EQ(before, QStringLiteral("-140.00")) << "the last OK's values, not the cancelled ones";
}

// A preset added in the effects window is in the program folder and is there
// for the panels of the next run, the effect holder's as well.
TEST_F(ProgramRun, PresetsAddedInTheEffectPanelsStayForTheNextRun) {
  const std::string file = platform::ProgramFolder() + "/echo.prt";
  std::remove(file.c_str());
  ASSERT_TRUE(StartAndStopIntro());
  program->ViewHost().ShowToolWindow(ui::ToolWindow::Effects, true);
  auto* window = qobject_cast<dialogs::CZelmoSettingsDialog*>(program->ViewHost().ToolWindowWidget(ui::ToolWindow::Effects));
  ASSERT_NE(window, nullptr);
  auto* add = window->findChild<QComboBox*>(QString::number(dialogs::CZelmoSettingsDialog::kAddCombo));
  add->setCurrentText("Echo");
  window->findChild<QPushButton*>(QString::number(dialogs::CZelmoSettingsDialog::kAdd))->click();
  ASSERT_NE(window->PanelWidget(), nullptr);
  QTest::keyClicks(window->PanelWidget()->findChild<QLineEdit*>("1168"), "Mine");
  window->PanelWidget()->findChild<QPushButton*>("1169")->click();
  EXPECT_TRUE(platform::FileExists(file));

  program->App().modified = 0;  // the echo added is not to be saved
  program->RequestClose();
  program.reset();
  program = MakeProgram();
  ASSERT_TRUE(StartAndStopIntro());
  std::vector<int16_t> in;
  EditorSine(program->App(), &in);
  QStringList listed;
  QTimer::singleShot(0, [&] {
    auto* holder = qobject_cast<dialogs::CFXHolderWindow*>(QApplication::activeModalWidget());
    ASSERT_NE(holder, nullptr);
    auto* list = holder->findChild<QListWidget*>("1167");
    ASSERT_NE(list, nullptr);
    for (int i = 0; i < list->count(); ++i) listed << list->item(i)->text();
    holder->reject();
  });
  program->App().ApplyIndependentEdit(EditOpEcho, EditRangeFromDialog);
  EXPECT_EQ(listed.size(), 6);
  EXPECT_EQ(listed.value(5), QStringLiteral("Mine"));
  std::remove(file.c_str());
}

}  // namespace
}  // namespace tessiro::test
