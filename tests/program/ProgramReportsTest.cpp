// Fault reports in the whole program: a fault on the player's thread shows in
// the report box on the user-interface thread, over the main window, a modal
// dialog or the progress window, while the player goes on; a shut-down,
// even one asked for while a first-start page is up, raises none.
#include <gtest/gtest.h>
#include <signal.h>

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>

#include "AllocationCounter.h"
#include "Folders.h"
#include "ModalDriver.h"
#include "Program.h"
#include "ReportErrorDll.h"
#include "ReportRecorder.h"
#include "TempFolder.h"
#include "frame/MainFrame.h"
#include "pro.h"
#include "requests/StartupRequests.h"

namespace tessiro::test {
namespace {

std::thread::id g_uiThread;
std::atomic<bool> g_raised{false};
std::atomic<int> g_fillsAfterRaise{0};
std::atomic<int> g_faultLine{4242};  // a fault of its own each time: the same again would be one burst
std::atomic<long> g_raiseAllocations{-1};
thread_local bool t_raising = false;
bool CountRaisingThread() { return t_raising; }

// The player's fill: silence, and once, on the player's own thread, a fault.
void FaultingFill(uint32_t, unsigned char* buffer, uint32_t bytes, uint32_t* filled, int32_t* end) {
  std::memset(buffer, 0, bytes);
  *filled = bytes;
  *end = 0;
  if (std::this_thread::get_id() == g_uiThread) return;
  if (g_raised.exchange(true)) {
    ++g_fillsAfterRaise;
    return;
  }
  errno = EIO;
  t_raising = true;
  StartCountingAllocations(CountRaisingThread);
  ReportErrorDll("./deviceio/AudioPlayer.cpp", g_faultLine.load(), "a buffer came back twice");
  g_raiseAllocations = StopCountingAllocations();
  t_raising = false;
}

struct SeenBox {
  QString text;
  QWidget* owner = nullptr;
  bool onUserInterfaceThread = false;
  int fillsWhileOpen = 0;
};

class ProgramReports : public ::testing::Test {
 protected:
  void SetUp() override {
    std::remove((platform::ProgramFolder() + "/qvk.cfg").c_str());
    std::remove((platform::ProgramFolder() + "/profile.ini").c_str());
    g_uiThread = std::this_thread::get_id();
    g_raised = false;
    g_fillsAfterRaise = 0;
    g_raiseAllocations = -1;
  }
  void TearDown() override { program.reset(); }

  // A first start whose second page gives the test's folder; the first page is
  // answered by its window unless answerWelcome says otherwise.
  void Make(bool reportsOnScreen, bool watchSignals, bool answerWelcome) {
    CProgram::Options options;
    options.watchSignals = watchSignals;
    options.reportsOnScreen = reportsOnScreen;
    program = std::make_unique<CProgram>(options);
    if (answerWelcome) {
      program->Ui().Handlers().On<InitDialog1Request>([](const InitDialog1Request&) {
        return std::optional<InitDialog1Request::Result>(InitDialog1Request::Result{});
      });
    }
    program->Ui().Handlers().On<InitDialog2Request>([this](const InitDialog2Request&) {
      return std::optional<InitDialog2Request::Result>(InitDialog2Request::Result{audio.Path(), 0});
    });
  }

  void StartAndStopIntro() {
    ASSERT_TRUE(program->Start());
    program->Router().Dispatch(32955);
    ASSERT_TRUE(QTest::qWaitFor([this] { return program->App().playing.load() == 0; }, 5000));
  }

  // Plays through the program's device with the faulting fill until the report box has been answered.
  SeenBox ReportFromThePlayer(const std::function<void()>& pump = {}) {
    SeenBox seen;
    bool answered = false;
    CModalDriver driver({{QStringLiteral("reportBox"), [&](QWidget& w) {
                            seen.text = qobject_cast<QMessageBox*>(&w)->text();
                            seen.owner = w.parentWidget();
                            seen.onUserInterfaceThread = std::this_thread::get_id() == g_uiThread;
                            // The player fills on while the box waits for its answer.
                            const int before = g_fillsAfterRaise.load();
                            EXPECT_TRUE(QTest::qWaitFor([&] { return g_fillsAfterRaise.load() > before + 2; }, 5000));
                            seen.fillsWhileOpen = g_fillsAfterRaise.load() - before;
                            QTest::mouseClick(qobject_cast<QMessageBox*>(&w)->button(QMessageBox::Ok), Qt::LeftButton);
                            answered = true;
                          }}});
    CPobix& devices = program->App().devices;
    devices.UpdateOutputStereoCallback(&FaultingFill);
    devices.Start(kPobixPlay);
    if (pump) {
      // Busy as an operation is, between one pump of the progress window and the next.
      for (int i = 0; !answered && i < 2000; ++i) {
        pump();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
    } else {
      static_cast<void>(QTest::qWaitFor([&] { return answered; }, 10000));
    }
    devices.Stop();
    EXPECT_TRUE(answered) << "no report box";
    return seen;
  }

  CTempFolder audio;
  std::unique_ptr<CProgram> program;
};

TEST_F(ProgramReports, AFaultOnThePlayersThreadShowsOverTheMainWindow) {
  Make(true, false, true);
  StartAndStopIntro();
  const SeenBox seen = ReportFromThePlayer();
  EXPECT_TRUE(seen.onUserInterfaceThread);
  EXPECT_EQ(seen.owner, &program->Frame());
  EXPECT_TRUE(seen.text.startsWith(QStringLiteral("Error Message: a buffer came back twice\n\nSystem Error Code: 5 "
                                                   "(AudioPlayer::4242)")))
      << seen.text.toStdString();
  EXPECT_GT(seen.fillsWhileOpen, 2);
  EXPECT_EQ(g_raiseAllocations.load(), 0) << "raising the report on the player's thread allocated";
}

TEST_F(ProgramReports, AFaultShowsOverAModalDialogAndOverTheProgressWindow) {
  Make(true, false, true);
  StartAndStopIntro();
  // Application Settings open: the box comes over it.
  SeenBox overDialog;
  QString dialogName;
  bool overTheDialog = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    dialogName = dialog->objectName();
    overDialog = ReportFromThePlayer();
    overTheDialog = overDialog.owner == dialog;
    dialog->reject();
  });
  program->Router().Dispatch(32787);
  EXPECT_EQ(dialogName, QStringLiteral("dlg288"));
  EXPECT_TRUE(overTheDialog);
  EXPECT_TRUE(overDialog.onUserInterfaceThread);

  // A long operation pumps the progress window's events: the box comes over that window.
  g_raised = false;
  ++g_faultLine;
  COperationDialogWindow& progress = program->ProgressWindow();
  ASSERT_TRUE(progress.Create("Processing..."));
  const SeenBox overProgress = ReportFromThePlayer([&] { progress.PumpOne(); });
  EXPECT_EQ(overProgress.owner, progress.Window());
  progress.Destroy();
}

// A close asked for by SIGTERM while the first page of a first start waits:
// the program ends without playing the intro and without a report.
TEST_F(ProgramReports, AShutDownDuringAFirstStartPageRaisesNoReport) {
  Make(false, true, false);
  bool pageShown = false;
  CModalDriver driver({{QStringLiteral("298"), [&](QWidget&) {
                          pageShown = true;
                          raise(SIGTERM);
                        }}});
  ASSERT_TRUE(program->Start());
  EXPECT_TRUE(pageShown);
  EXPECT_EQ(program->App().playing.load(), 0) << "the intro played after the close";
  EXPECT_EQ(program->Run(), 0);
  EXPECT_FALSE(program->Frame().isVisible());
  program.reset();
  EXPECT_TRUE(platform::FileExists(platform::ProgramFolder() + "/qvk.cfg"));
  EXPECT_EQ(Reports().Count(), 0u);
}

}  // namespace
}  // namespace tessiro::test
