#include "Program.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <cstdlib>

#include "AboutDlg.h"
#include "AboutInfo.h"
#include "BrowseFolderDialog.h"
#include "FXHolderWindow.h"
#include "Folders.h"
#include "LevelCallbacks.h"
#include "LevelsDialog.h"
#include "OperationWindow.h"
#include "Profile.h"
#include "RecordingWindows.h"
#include "SettingsRegistry.h"
#include "SignalWatcher.h"
#include "StartupWindows.h"
#include "ZelmoSettingsDialog.h"
#include "commands/CommandTable.h"
#include "controls/HyperLink.h"
#include "editor/AudioEditorToolDialog.h"
#include "editor/ToolBarTimeBoxes.h"
#include "editor/WaveformEditorGUI.h"
#include "frame/MainFrame.h"
#include "frame/MenuResources.h"
#include "frame/ScreenFit.h"
#include "loopbank/LoopBankGUI.h"
#include "pro.h"
#include "trackview/TrackViewGUI.h"
#include "view/ProView.h"

namespace {

// How often a close request tries again while a window waiting for an answer goes.
constexpr int kCloseAttempts = 20;

// With TESSIRO_HOME the profile lives there too, so that a test or a second
// installation keeps its window placement and recent files to itself.
std::unique_ptr<ui::IProfile> MakeProfile() {
  if (const char* home = std::getenv("TESSIRO_HOME"); home && *home) {
    return std::make_unique<CSettingsProfile>(std::string(home) + "/profile.ini");
  }
  return std::make_unique<CSettingsProfile>();
}

std::string ManualFolder() { return platform::InstalledDataFolder() + "/manual"; }

// Nothing opened the manual (no browser, or none that takes local pages): where it
// lies, so that it can be opened by hand.
std::string ManualNotOpenedText(int result, const std::string& folder) {
  return CHyperLink::FailureText(result).toStdString() + "\n\nThe manual is the page " + folder +
         "/index.html in the program's folder: open it with a web browser.";
}

}  // namespace

CProgram::CProgram(const Options& options)
    : options_(options),
      // Before anything that can report.
      reports_(options.reportsOnScreen ? std::make_unique<CQtReportSink>([this]() -> QWidget* { return frame_.get(); })
                                       : nullptr),
      profile_(MakeProfile()),
      ui_([this]() -> QWidget* { return frame_.get(); }),
      progress_([this]() -> QWidget* { return frame_.get(); }) {
  app_ = std::make_unique<CProApp>(ui::UiServices{ui_, progress_, view_, thread_, *profile_});
  progress_.SetCancelHandler([this] { app_->progressWindow.OnCancelButton(); });
  RegisterDialogs();
  AnswerDialogRequests();
}

CProgram::~CProgram() {
  signals_.reset();
  if (reports_) reports_->HoldForShutDown();
  // Whatever still runs stops while its windows are there to follow it.
  if (app_) app_->StopAllForClose();
  view_.SetRecordingWindows(nullptr);
  view_.SetView(nullptr);
  view_.SetFrame(nullptr);
  frame_.reset();
  app_.reset();
}

bool CProgram::Start() {
  screenFitter_ = std::make_unique<CScreenFitter>();
  qApp->installEventFilter(screenFitter_.get());
  frame_ = std::make_unique<CMainFrame>(ui_, *profile_, router_, app_.get());
  QScreen* screen = QGuiApplication::primaryScreen();
  if (frame_->Create(screen ? screen->size() : QSize(1024, 768)) != 0) return false;
  view_.SetFrame(frame_.get());
  // The frame owns the view widget from here on.
  InstallView();
  frame_->SetCloseQuery([this] { return app_->QuerySaveModified(); });
  // The edit operations' dialogs keep their values from one showing to the next.
  operationDialogs_ = std::make_unique<dialogs::COperationDialogs>(frame_.get());
  operationDialogs_->SetPresetFolder(platform::ProgramFolder());
  dialogs::AnswerOperationRequests(ui_.Handlers(), *operationDialogs_);
  // So do the effect tools' panels, and their presets are the program folder's as everywhere.
  holderDialogs_ = std::make_unique<dialogs::CFXHolderDialogs>(frame_.get());
  holderDialogs_->Holder().SetPresetFolder(platform::ProgramFolder());
  dialogs::AnswerHolderRequests(ui_.Handlers(), *holderDialogs_);
  frame_->SetClosedHandler([this] {
    closed_ = true;
    if (reports_) reports_->HoldForShutDown();
    if (running_) QCoreApplication::quit();
  });
  RegisterCommands();
  frame_->UpdateCommandUi();
  if (options_.watchSignals) signals_ = std::make_unique<CSignalWatcher>([this] { RequestClose(); });
  if (!app_->InitInstance({options_.projectPath, [this] { return closeRequested_ || closed_; }})) return false;
  started_ = true;
  // The start-up project decides what is enabled.
  frame_->UpdateCommandUi();
  frame_->CallAfterNextPaint([this] {
    firstPaintMs_ = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - made_).count();
    if (onFirstPaint_) onFirstPaint_();
  });
  frame_->update();
  return true;
}

int CProgram::Run() {
  if (!started_) return 1;
  // Closed already (a close request during start-up): nothing to run.
  if (closed_) return 0;
  running_ = true;
  const int code = QApplication::exec();
  running_ = false;
  return code;
}

void CProgram::RequestClose() {
  closeRequested_ = true;
  // The boxes closed on the way out must not make room for reports still waiting.
  if (reports_) reports_->HoldForShutDown();
  RetryClose(kCloseAttempts);
}

void CProgram::RetryClose(int attemptsLeft) {
  if (!frame_) return;
  // A box or dialog that waits for an answer is closed first (its safe answer);
  // the main window's close then stops what plays and asks about the project.
  if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != frame_.get() && attemptsLeft > 0) {
    modal->close();
    QTimer::singleShot(0, qApp, [this, attemptsLeft] { RetryClose(attemptsLeft - 1); });
    return;
  }
  frame_->close();
}

// The view with its three editors; the frame owns the view widget, the view its editors.
void CProgram::InstallView() {
  CProApp* app = app_.get();
  auto* proView = new CProView(app, frame_.get());

  auto trackView = std::make_unique<CTrackViewGUI>(app);
  trackView->commandCallback = [this](int commandId) { router_.Dispatch(commandId); };
  proView->InstallTrackView(std::move(trackView));

  auto audioEditor = std::make_unique<CWaveformEditorGUI>(app);
  CWaveformEditorGUI* editor = audioEditor.get();
  if (frame_->editorToolBar) {
    timeBoxes_ = std::make_unique<CToolBarTimeBoxes>(*frame_->editorToolBar);
    editor->SetTimeBoxes(timeBoxes_.get());
  }
  editor->SetCommandSink([this](int commandId) { router_.Dispatch(commandId); });
  proView->InstallAudioEditor(std::move(audioEditor));
  view_.SetToolWindowMaker(ui::ToolWindow::EditorTool, [app, editor, proView](QWidget* owner) -> QWidget* {
    auto* window = new CAudioEditorToolDialog(app, editor, owner);
    editor->SetToolWindow(window);
    proView->SetEditorToolWindow(window);
    // The window goes with the main window; nothing may reach it after that.
    QObject::connect(window, &QObject::destroyed, proView, [editor, proView] {
      editor->SetToolWindow(nullptr);
      proView->SetEditorToolWindow(nullptr);
    });
    return window;
  });

  view_.SetToolWindowMaker(ui::ToolWindow::Effects, [app](QWidget* owner) -> QWidget* {
    auto* window = new dialogs::CZelmoSettingsDialog(*app, owner);
    window->Form().SetPresetFolder(platform::ProgramFolder());
    return window;
  });
  view_.SetToolWindowMaker(ui::ToolWindow::Levels, [app](QWidget* owner) -> QWidget* {
    forms::CLevelsForm::Host host{[app] { return app->playing.load() == 1; }, [app] { app->RefuseDuringPlayback(); },
                                  [app] { app->modified = 1; }};
    return new dialogs::CLevelsDialog(MakeLevelsCallbacks(), app->devices.GetInputPhysicalDeviceCount(),
                                      std::move(host), owner);
  });

  proView->InstallLoopBank(std::make_unique<CLoopBankGUI>(app));

  frame_->SetView(proView);
  view_.SetView(proView);
}

void CProgram::AnswerDialogRequests() {
  dialogs::DialogServices services;
  services.parent = [this]() -> QWidget* { return frame_.get(); };
  services.browsing.chooseFolder = [this](const std::string& initial) { return BrowseFolder(initial); };
  services.browsing.tell = [this](const std::string& text, bool stop) {
    ui_.MessageBox(text, stop ? ui::Icon::Error : ui::Icon::Information);
  };
  services.inform = [this](const std::string& text) { ui_.Inform(text); };
  dialogs::AnswerSettingsRequests(ui_.Handlers(), services);
}

void CProgram::RegisterCommands() {
  CProApp& app = *app_;
  commands::RegisterCommandMap(router_, app);
  router_.On(commands::kAboutCommand, [this] { OnAppAbout(); });
  router_.On(commands::kHelpCommand, [this] { OnHelp(); });
  router_.On(commands::kEnterCommand, [this] {
    if (IFrameView* view = frame_->View()) view->OnEnterKey();
  });
  router_.OnRange(
      menu::kRecentFileFirst, menu::kRecentFileLast,
      [&app](int id) {
        const auto& files = app.recentFiles.GetFiles();
        const size_t index = static_cast<size_t>(id - menu::kRecentFileFirst);
        if (index < files.size()) app.OpenDocument(std::string(files[index]));
      },
      [&app] { return !app.playing && !app.recording; });
}

std::optional<std::string> CProgram::BrowseFolder(const std::string& initial) {
  std::string folder = initial;
  if (CBrowseFolderDialog(ui_).BrowseForFolder(folder) != 1) return std::nullopt;
  return folder;
}

void CProgram::OnHelp() {
  const int result = CHyperLink::GotoURL(QString::fromStdString(ManualAddress(ManualFolder())));
  if (result <= 32) ui_.MessageBox(ManualNotOpenedText(result, ManualFolder()), ui::Icon::Warning);
}

void CProgram::OnAppAbout() {
  CAboutDlg about(MakeAboutInfo(ManualFolder()), frame_.get());
  about.exec();
}

void CProgram::RegisterDialogs() {
  dialogs::StartupServices startup;
  startup.parent = [this]() -> QWidget* { return frame_.get(); };
  startup.browseFolder = [this](const std::string& initial) { return BrowseFolder(initial); };
  startup.refuse = [this](const std::string& text) { ui_.MessageBox(text, ui::Icon::Error); };
  dialogs::AnswerStartupRequests(ui_.Handlers(), startup);
  dialogs::AnswerNoticeRequests(ui_.Handlers(), startup);
  recordingWindows_ = std::make_unique<dialogs::CRecordingWindows>(
      *app_, dialogs::RecordingServices{[this]() -> QWidget* { return frame_.get(); }, {}});
  view_.SetRecordingWindows(recordingWindows_.get());
}

void SetProgramFont() {
  QFont font(QStringLiteral("Liberation Sans"));
  font.setPixelSize(12);
  QApplication::setFont(font);
}

bool SaveScreenshot(CMainFrame& frame, const std::string& path) {
  QImage image;
  if (QGuiApplication::platformName() == QLatin1String("xcb")) {
    if (QScreen* screen = frame.screen()) {
      const QRect g = frame.frameGeometry();
      image = screen->grabWindow(0, g.x(), g.y(), g.width(), g.height()).toImage();
    }
  }
  if (image.isNull()) image = frame.grab().toImage();
  return !image.isNull() && image.save(QString::fromStdString(path), "PNG");
}
