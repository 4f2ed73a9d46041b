// The seams between the application core and whatever shows it.
//
// The core (CProApp and its commands) never includes a widget. Everything it
// needs from a user interface goes through these few interfaces: the Qt program
// implements them with windows, tests with scripts that record every question
// and answer it. Each interface says which thread may call it.
//
// Typed requests: every dialog the core runs for an answer is a plain record
// with a nested Result type (see app/requests/). The core asks with
// `ui.Request(record)`, which returns std::nullopt when the user cancelled or
// no dialog of that kind exists. A front end answers a kind by registering a
// handler for its record type (CRequestHandlers); an unregistered kind is the
// front end's to refuse with a clear message, never a crash.
#pragma once

#include <any>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <typeindex>
#include <unordered_map>
#include <vector>

class CAudioSegment;
struct TrackColorSet;

namespace ui {

// ---------------------------------------------------------------------------
// Message boxes, choosers and typed requests: user-interface thread only; each
// may run a modal loop.

enum class Icon { Information, Error, Warning, Question };
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };

// Answers of a box, numbered as the callers' constants expect them.
constexpr int kAnswerOk = 1;
constexpr int kAnswerCancel = 2;
constexpr int kAnswerYes = 6;
constexpr int kAnswerNo = 7;

struct FileChooser {
  bool save = false;
  std::string caption;
  std::string filter;            // e.g. "Orvane Project Files (*.qvk; *.mix)"
  std::string defaultExtension;  // without the dot; added to a typed name that has none
  std::string initialPath;       // folder or file shown first
};

struct FolderChooser {
  std::string caption;
  std::string initialFolder;
};

class IUserInterface {
 public:
  virtual ~IUserInterface() = default;

  // Returns one of the kAnswer constants.
  virtual int MessageBox(const std::string& text, Icon icon, Buttons buttons = Buttons::Ok) = 0;
  // Information boxes are the refusals of the program: fixed texts, one OK.
  int Inform(const std::string& text) { return MessageBox(text, Icon::Information, Buttons::Ok); }

  virtual std::optional<std::string> ChooseFile(const FileChooser& chooser) = 0;
  virtual std::optional<std::string> ChooseFolder(const FolderChooser& chooser) = 0;

  template <class R>
  std::optional<typename R::Result> Request(const R& request) {
    std::any answer = Ask(std::type_index(typeid(R)), &request, R::kKind);
    if (!answer.has_value()) return std::nullopt;
    return std::any_cast<typename R::Result>(answer);
  }

 protected:
  // The answer of the dialog of that kind (holding R::Result), or an empty any.
  virtual std::any Ask(std::type_index kind, const void* request, const char* kindName) = 0;
};

// A map of request handlers keyed by record type, for front ends to implement Ask.
class CRequestHandlers {
 public:
  template <class R>
  void On(std::function<std::optional<typename R::Result>(const R&)> handler) {
    handlers_[std::type_index(typeid(R))] = [handler](const void* request) -> std::any {
      std::optional<typename R::Result> answer = handler(*static_cast<const R*>(request));
      if (!answer) return {};
      return std::any(*answer);
    };
  }
  bool Has(std::type_index kind) const { return handlers_.count(kind) != 0; }
  std::any Call(std::type_index kind, const void* request) const { return handlers_.at(kind)(request); }

 private:
  std::unordered_map<std::type_index, std::function<std::any(const void*)>> handlers_;
};

// ---------------------------------------------------------------------------
// The progress window's display. The window's logic (percent, remaining time,
// cancel) is COperationDialog in the core; a front end only shows what it is
// told and reports Cancel to COperationDialog::OnCancelButton.
// User-interface thread only.

class IProgressDisplay {
 public:
  virtual ~IProgressDisplay() = default;
  // Disables the owner window and shows the modeless window; false when it could not be made.
  virtual bool Create(const std::string& message) = 0;
  // Destroys the window and enables the owner again; harmless when there is none.
  virtual void Destroy() = 0;
  virtual bool Exists() const = 0;
  virtual void SetMessageText(const std::string& text) = 0;
  virtual void SetPercentText(const std::string& text) = 0;
  virtual void SetRemainingText(const std::string& text) = 0;
  virtual void SetBarPosition(int percent) = 0;
  virtual void DisableCancel() = 0;
  // Dispatches at most one pending event (paint, Cancel, a posted call); false when none was pending.
  virtual bool PumpOne() = 0;
};

// ---------------------------------------------------------------------------
// The user-interface thread: posts from any thread, and timers.

// Receives what was posted and the timers' ticks, on the user-interface thread.
class IMessageReceiver {
 public:
  virtual ~IMessageReceiver() = default;
  virtual void OnPostedMessage(uint32_t message, int64_t wParam, int64_t lParam) = 0;
  virtual void OnTimer(uint32_t timerId) = 0;
};

class IUiThread {
 public:
  virtual ~IUiThread() = default;
  virtual void SetReceiver(IMessageReceiver* receiver) = 0;
  // Callable from any thread, audio threads included: never blocks, never
  // allocates. Returns false when the message was dropped (queue full, or shut-down began).
  virtual bool Post(uint32_t message, int64_t wParam = 0, int64_t lParam = 0) = 0;
  // Stops delivering: posts after this are dropped. Called when shut-down begins.
  virtual void Close() = 0;
  // User-interface thread only. A timer set again restarts with the new interval.
  virtual void SetTimer(uint32_t timerId, uint32_t intervalMs) = 0;
  virtual void KillTimer(uint32_t timerId) = 0;
  virtual bool IsTimerRunning(uint32_t timerId) const = 0;
  // Milliseconds of the user-interface clock (the progress estimate, the recording windows).
  virtual uint32_t TickCount() const = 0;
};

// ---------------------------------------------------------------------------
// What the core tells the windows: one-way refreshes and state. Every call is
// made on the user-interface thread. A front end without a given window does
// nothing for it; Has*() tell the core whether the window exists, for the
// reports the core makes when one is missing.

// The modeless tool windows over the main window.
enum class ToolWindow { Effects, Levels, EditorTool };

class IViewHost {
 public:
  virtual ~IViewHost() = default;

  // The main frame and the one view.
  virtual bool HasFrame() const = 0;
  virtual bool HasView() const = 0;
  // Shows the main window; restorePlacement: apply the stored window placement.
  virtual void ShowMainWindow(bool restorePlacement) = 0;
  virtual void SetTitle(const std::string& documentTitle) = 0;

  // ViewMode: 1 Track View, 2 Audio Editor, 3 Loop Bank.
  virtual int GetViewMode() const = 0;
  // The view's own switch (tab strip, notices, menus and tool bars of the mode).
  virtual void SwitchView(int mode) = 0;
  // The frame's part of a switch: the menu and the lower tool bar of the mode.
  virtual void ShowMenuAndToolBarForView(int mode) = 0;
  // While locked the editors ignore the mouse (audio runs).
  virtual void LockInput(int lock) = 0;
  virtual void RefreshCurrentView() = 0;
  virtual void RefreshTrackView() = 0;
  virtual void RefreshAllViews() = 0;
  virtual void Relayout() = 0;
  virtual void SetSnapToGrid(int snap) = 0;
  virtual int GetSnapToGrid() const = 0;
  // The Track View menu's "Insert Loop" entries from the Loop Bank; false when
  // that menu has no Edit menu to hold them.
  virtual bool RebuildLoopMenu() = 0;
  // The Audio Editor's waveform colours.
  virtual void SetEditorColors(const TrackColorSet& colors) = 0;

  // Frame texts and the position slider (0..1000).
  virtual void SetPositionText(const std::string& text) = 0;
  virtual void SetLengthText(const std::string& text) = 0;
  virtual void SetPositionSlider(int value) = 0;
  virtual void EnablePositionSlider(bool enable) = 0;

  // The Track View's tracking bar: moved by the play timer (scrolling the view
  // when follow is set), and put back at the play cursor when play stops
  // (the drawn bar forgotten).
  virtual void MoveTrackingBar(uint32_t frame, bool follow) = 0;
  virtual void ResetTrackingBar(uint32_t frame) = 0;
  // The Track View's tempo and pitch controls.
  virtual void SetTempoText(float bpm) = 0;
  virtual void SetPitchText(float semitones) = 0;

  // The Audio Editor's play cursor and its tool bar's time fields.
  virtual void StartEditorTracking(bool loopWrap) = 0;
  virtual void StopEditorTracking() = 0;
  virtual void UpdateEditorTimes() = 0;
  virtual void SetEditorProjectTempo(float bpm) = 0;

  // The Audio Editor's content: the segment it shows (nullptr for none). The
  // core keeps that segment alive for as long as it is shown.
  virtual void SetEditorSegment(CAudioSegment* segment) = 0;

  // The Loop Bank's preview playhead and its rows' Play buttons.
  virtual bool IsLoopRowVisible(int loopNumber) const = 0;
  virtual void StartLoopPlayhead() = 0;
  virtual void StopLoopPlayhead() = 0;
  virtual void ResetLoopPlayButton() = 0;

  // ---- Track View commands and loops ----
  // The snippet under the Track View's last right click, by its track and
  // identifier (the core looks it up in the project): false when there is none.
  virtual bool GetCurrentSnippet(int* trackIndex, uint32_t* snippetIdentifier) const = 0;
  virtual void ClearCurrentSnippet() = 0;
  // The Loop Bank's rows built again, or updated from a removed loop's row on;
  // either way the insert-loop menu follows.
  virtual void RefreshLoopBank() = 0;
  virtual void RefreshLoopBankRow(int loopNumber) = 0;
  // The real-time effects window, when it exists, builds its tabs again from the chains.
  virtual void RebuildEffectsTabs() = 0;

  // ---- Transport ----
  // The "Recording..." window while tracks record: shown with its elapsed-time
  // timer running, closed when the recording ends, however it ends.
  virtual void ShowRecordingWindow() = 0;
  virtual void CloseRecordingWindow() = 0;
  // The record-into-editor window: opened over the main window (disabled
  // meanwhile) with its channel choice (1 mono, 2 stereo) and Stop disabled;
  // its elapsed-time timer started once recording runs; closed with the main
  // window enabled again.
  virtual void OpenRecordSegmentWindow(int channels) = 0;
  virtual void StartRecordSegmentTimer() = 0;
  virtual void CloseRecordSegmentWindow() = 0;
  // The Track View's tracking bar drawn again at the play cursor after it jumped.
  virtual void SyncTrackingBar(uint32_t frame) = 0;
  // The Play/Stop button of a Loop Bank row that is visible, pressed as by the user.
  virtual void PressLoopRowButton(int loopNumber) = 0;
  // The level window: its meters run while audio runs; it may monitor an input.
  virtual bool IsLevelWindowShown() const = 0;
  virtual bool IsLevelWindowMonitoring() const = 0;
  virtual void StopLevelMonitor() = 0;
  virtual void RunLevelMeters() = 0;
  virtual void StopLevelMeters() = 0;

  // User-interface commands: the shown editor zoomed (Track View, Audio
  // Editor) or its rows scrolled a page (Track View, Loop Bank).
  virtual void ZoomShownEditor(bool in) = 0;
  virtual void PageShownEditorRows(bool down) = 0;
  // The tool windows: made on first show and kept, with what they show, until
  // the program ends; hiding one only takes it off the screen. Refresh has a
  // shown window read again what it shows (gains, tempo, settings).
  virtual bool IsToolWindowShown(ToolWindow window) const = 0;
  virtual void ShowToolWindow(ToolWindow window, bool show) = 0;
  virtual void RefreshToolWindow(ToolWindow window) = 0;
};

// ---------------------------------------------------------------------------
// The per-user profile: recent files and the main window's placement.
// User-interface thread only.

class IProfile {
 public:
  virtual ~IProfile() = default;
  virtual std::string GetString(const std::string& section, const std::string& entry) = 0;
  virtual void WriteString(const std::string& section, const std::string& entry, const std::string& value) = 0;
};

// ---------------------------------------------------------------------------
// Everything the core is given at construction. The references outlive CProApp.

struct UiServices {
  IUserInterface& ui;
  IProgressDisplay& progress;
  IViewHost& view;
  IUiThread& thread;
  IProfile& profile;
};

}  // namespace ui
