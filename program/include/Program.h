// The Qt program put together: the seams' Qt implementations, the application
// object built on them, the main frame, the commands the window routes, and
// the close request that SIGTERM and SIGINT make. One per process, made after
// QApplication and destroyed before it: the main frame first, then the
// application object (which saves the configuration), then the seams.
//
// Threads: user-interface thread only.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "CommandRouter.h"
#include "OperationDialogWindow.h"
#include "QtReportSink.h"
#include "QtUiThread.h"
#include "QtUserInterface.h"
#include "UiServices.h"
#include "frame/FrameViewHost.h"

class CMainFrame;
class CProApp;
class CScreenFitter;
class CSignalWatcher;
class CToolBarTimeBoxes;

namespace dialogs {
class CFXHolderDialogs;
class COperationDialogs;
class CRecordingWindows;
}

class CProgram {
 public:
  struct Options {
    std::string projectPath;
    // Catch SIGTERM and SIGINT as a close request (the program; tests leave them be).
    bool watchSignals = true;
    // Fault reports in the report box (the program; tests and tools keep their own sink).
    bool reportsOnScreen = false;
  };

  explicit CProgram(const Options& options);
  ~CProgram();
  CProgram(const CProgram&) = delete;
  CProgram& operator=(const CProgram&) = delete;

  // Makes the main frame and runs the start-up; false when the program is to end.
  bool Start();
  // The event loop until the main window has closed; the exit code.
  int Run();
  // What a SIGTERM does: windows that wait for an answer are closed first, then the main window.
  void RequestClose();

  CProApp& App() { return *app_; }
  CMainFrame& Frame() { return *frame_; }
  CFrameViewHost& ViewHost() { return view_; }
  COperationDialogWindow& ProgressWindow() { return progress_; }
  CCommandRouter& Router() { return router_; }
  CQtUserInterface& Ui() { return ui_; }
  // Runs once, after the main window has painted with the start-up project.
  void SetFirstPaintHandler(std::function<void()> handler) { onFirstPaint_ = std::move(handler); }
  // Milliseconds from this object's construction to the first painted main window; -1 before it.
  double FirstPaintMs() const { return firstPaintMs_; }

 private:
  void InstallView();
  void RegisterCommands();
  // F1: the manual's page in the desktop's browser, or where the page is when nothing opens it.
  void OnHelp();
  void OnAppAbout();
  // The dialogs that answer the core's requests, and the recording windows.
  void RegisterDialogs();
  // The settings, properties and creation dialogs answer the core's requests.
  void AnswerDialogRequests();
  // The audio folder's chooser, opened at initial; nothing when cancelled.
  std::optional<std::string> BrowseFolder(const std::string& initial);
  void RetryClose(int attemptsLeft);

  Options options_;
  std::chrono::steady_clock::time_point made_ = std::chrono::steady_clock::now();
  std::unique_ptr<CQtReportSink> reports_;
  CQtUiThread thread_;
  std::unique_ptr<ui::IProfile> profile_;
  CQtUserInterface ui_;
  COperationDialogWindow progress_;
  CFrameViewHost view_;
  CCommandRouter router_;
  std::unique_ptr<CProApp> app_;
  std::unique_ptr<CMainFrame> frame_;
  std::unique_ptr<dialogs::CRecordingWindows> recordingWindows_;
  std::unique_ptr<dialogs::COperationDialogs> operationDialogs_;
  std::unique_ptr<dialogs::CFXHolderDialogs> holderDialogs_;
  std::unique_ptr<CSignalWatcher> signals_;
  std::unique_ptr<CScreenFitter> screenFitter_;
  std::unique_ptr<CToolBarTimeBoxes> timeBoxes_;
  std::function<void()> onFirstPaint_;
  double firstPaintMs_ = -1;
  bool started_ = false;
  bool running_ = false;
  bool closed_ = false;
  bool closeRequested_ = false;
};

// The program's font: Liberation Sans (for Arial) at 12 pixels, the same on every screen.
void SetProgramFont();
// The main window's picture: what the X server shows when there is one, else the widgets drawn offscreen.
bool SaveScreenshot(CMainFrame& frame, const std::string& path);
