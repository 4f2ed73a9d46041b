// tessiro-screenshot <folder> [WIDTHxHEIGHT]: starts the program offscreen on a
// fresh program folder with the virtual sound card and writes PNG pictures of
// the main window in each view mode (main-1.png .. main-3.png), an open menu
// (menu-edit.png), the progress window (progress.png), the about box
// (about.png), the recording windows (recording.png, record-audio.png) and the
// modified-project question (modified.png). The window is WIDTH x HEIGHT, 835 x 550 unless given.
#include <QApplication>
#include <QMenu>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "AboutDlg.h"
#include "Folders.h"
#include "Program.h"
#include "StartupWindows.h"
#include "frame/MainFrame.h"
#include "frame/MyMenu.h"
#include "pro.h"
#include "requests/StartupRequests.h"
#include "requests/ViewRequests.h"

namespace {

bool Save(QWidget& widget, const QString& path) {
  if (widget.grab().save(path, "PNG")) return true;
  std::fprintf(stderr, "tessiro-screenshot: cannot write %s\n", qPrintable(path));
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: tessiro-screenshot <folder> [WIDTHxHEIGHT]\n");
    return 2;
  }
  int width = 835, height = 550;
  if (argc > 2 && std::sscanf(argv[2], "%dx%d", &width, &height) != 2) {
    std::fprintf(stderr, "tessiro-screenshot: the size is WIDTHxHEIGHT, e.g. 835x550\n");
    return 2;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setenv("TESSIRO_AUDIO", "virtual", 1);
  setenv("QT_ENABLE_HIGHDPI_SCALING", "0", 1);
  std::string home = platform::TemporaryFolder() + "/tessiro-screenshot-XXXXXX";
  if (!mkdtemp(home.data())) {
    std::perror("tessiro-screenshot: mkdtemp");
    return 1;
  }
  setenv("TESSIRO_HOME", home.c_str(), 1);
  QApplication application(argc, argv);
  SetProgramFont();
  const QString folder = QString::fromLocal8Bit(argv[1]);

  int failures = 0;
  {
    CProgram program({});
    program.Ui().Handlers().On<InitDialog1Request>(
        [](const InitDialog1Request&) { return std::optional<InitDialog1Request::Result>(InitDialog1Request::Result{}); });
    // The empty-editor notices would wait for a click when the views switch.
    program.Ui().Handlers().On<NoAudioEditingExistsRequest>([](const NoAudioEditingExistsRequest&) {
      return std::optional<NoAudioEditingExistsRequest::Result>(NoAudioEditingExistsRequest::Result{});
    });
    program.Ui().Handlers().On<NoLoopsExistRequest>([](const NoLoopsExistRequest&) {
      return std::optional<NoLoopsExistRequest::Result>(NoLoopsExistRequest::Result{});
    });
    program.Ui().Handlers().On<InitDialog2Request>([&home](const InitDialog2Request&) {
      return std::optional<InitDialog2Request::Result>(InitDialog2Request::Result{home + "/audio", 0});
    });
    if (!program.Start()) return 1;
    // A first start plays the intro, and while it plays the views refuse to switch.
    program.Router().Dispatch(32955);
    if (!QTest::qWaitFor([&] { return program.App().playing.load() == 0; }, 5000)) {
      std::fprintf(stderr, "tessiro-screenshot: the intro did not stop\n");
      return 1;
    }
    CMainFrame& frame = program.Frame();
    frame.resize(width, height);
    if (!QTest::qWaitFor([&] { return frame.HasPainted(); }, 5000)) std::fprintf(stderr, "tessiro-screenshot: the window did not paint\n");
    for (int mode = ViewModeTrack; mode <= ViewModeLoopBank; ++mode) {
      program.Router().Dispatch(32943 + mode);
      QTest::qWait(50);
      failures += !Save(frame, QStringLiteral("%1/main-%2.png").arg(folder).arg(mode));
    }
    program.Router().Dispatch(32944);
    QTest::qWait(50);

    QMenu* edit = frame.trackMenu->SubMenu(1)->Menu();
    edit->popup(frame.mapToGlobal(QPoint(30, 20)));
    QTest::qWait(50);
    failures += !Save(*edit, folder + QStringLiteral("/menu-edit.png"));
    edit->close();

    COperationDialog& progress = program.App().progressWindow;
    progress.SetMessage("Applying Echo / Delay...", 1);
    progress.Begin();
    progress.SetTotal(100000);
    progress.AddDone(42000);
    QTest::qWait(50);
    if (QWidget* window = program.ProgressWindow().Window()) failures += !Save(*window, folder + "/progress.png");
    progress.End();

    CAboutDlg about(MakeAboutInfo(platform::InstalledDataFolder() + "/manual"), &frame);
    about.show();
    QTest::qWait(50);
    failures += !Save(about, folder + QStringLiteral("/about.png"));
    about.hide();

    // A recording of one armed track, its window a second in; then the record-into-editor window.
    CProApp& app = program.App();
    if (CAudioTrack* track = nullptr; app.project.FindTrack(0, &track) == 1 && track && !track->armed) {
      app.project.ToggleArm(0);
    }
    app.OnRecordProject();
    QTest::qWait(1000);
    if (auto* recording = frame.findChild<QWidget*>(QStringLiteral("284"))) {
      failures += !Save(*recording, folder + QStringLiteral("/recording.png"));
    } else {
      std::fprintf(stderr, "tessiro-screenshot: no recording window\n");
      ++failures;
    }
    app.OnRecordingWindowCancel();
    app.OpenRecordSegmentWindow();
    QTest::qWait(50);
    if (auto* recordAudio = frame.findChild<QWidget*>(QStringLiteral("221"))) {
      failures += !Save(*recordAudio, folder + QStringLiteral("/record-audio.png"));
    } else {
      std::fprintf(stderr, "tessiro-screenshot: no record-audio window\n");
      ++failures;
    }
    app.CancelEditorRecording();

    dialogs::CModifiedWindow modified(std::string(), &frame);
    modified.show();
    QTest::qWait(50);
    failures += !Save(modified, folder + QStringLiteral("/modified.png"));
    modified.hide();
    app.modified = 0;
    frame.close();
  }
  std::error_code ignored;
  std::filesystem::remove_all(home, ignored);
  return failures ? 1 : 0;
}
