// Scripted stand-ins for the seams between the core and the windows.
//
// CScriptedUi answers boxes, choosers and typed requests from a script given in
// advance, in order, and records everything it was asked with its exact text.
// Anything asked that the script did not expect fails the running test, and
// so does a script left with unanswered expectations (CheckDone, which the
// fixture calls at the end of a test).
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <typeindex>
#include <vector>

#include "QuietViewHost.h"
#include "UiServices.h"

class COperationDialog;

namespace tessiro::test {

struct AskedBox {
  std::string text;
  ui::Icon icon;
  ui::Buttons buttons;
};

class CScriptedUi final : public ui::IUserInterface {
 public:
  ~CScriptedUi() override;

  // The next interaction is a box with exactly this text; it answers answer.
  void ExpectBox(const std::string& text, int answer = ui::kAnswerOk);
  // The next interaction is a box whose text the check accepts.
  void ExpectBoxWhere(std::function<bool(const std::string&)> check, int answer = ui::kAnswerOk);
  // The next interaction is a folder chooser; nullopt cancels it.
  void ExpectFolder(std::optional<std::string> folder);
  void ExpectFile(std::optional<std::string> path);
  // The next interaction is a request of kind R, answered by the function
  // (which may also check the request).
  template <class R>
  void ExpectRequest(std::function<std::optional<typename R::Result>(const R&)> answer) {
    Expectation e;
    e.what = Expectation::Request;
    e.kind = std::type_index(typeid(R));
    e.kindName = R::kKind;
    e.answer = [answer](const void* request) -> std::any {
      std::optional<typename R::Result> result = answer(*static_cast<const R*>(request));
      if (!result) return {};
      return std::any(*result);
    };
    Push(std::move(e));
  }
  template <class R>
  void ExpectRequest(std::optional<typename R::Result> result = typename R::Result{}) {
    ExpectRequest<R>([result](const R&) { return result; });
  }

  // Fails the test when expectations are left; clears them.
  void CheckDone();

  int MessageBox(const std::string& text, ui::Icon icon, ui::Buttons buttons) override;
  std::optional<std::string> ChooseFile(const ui::FileChooser& chooser) override;
  std::optional<std::string> ChooseFolder(const ui::FolderChooser& chooser) override;

  const std::vector<AskedBox>& Boxes() const { return boxes_; }
  // Every file chooser shown, in order.
  const std::vector<ui::FileChooser>& FileChoosers() const { return fileChoosers_; }
  const std::vector<ui::FolderChooser>& FolderChoosers() const { return folderChoosers_; }
  // Every interaction in order: "box: <text>", "folder", "file", "request: <kind>".
  const std::vector<std::string>& Log() const { return log_; }
  void ClearLog();

 protected:
  std::any Ask(std::type_index kind, const void* request, const char* kindName) override;

 private:
  struct Expectation {
    enum What { Box, Folder, File, Request } what = Box;
    std::string text;
    std::function<bool(const std::string&)> check;  // instead of the exact text
    int boxAnswer = ui::kAnswerOk;
    std::optional<std::string> path;
    std::type_index kind = std::type_index(typeid(void));
    std::string kindName;
    std::function<std::any(const void*)> answer;
  };
  void Push(Expectation e);
  // The front expectation when it is of the kind; fails the test otherwise.
  std::optional<Expectation> Take(Expectation::What what, const std::string& description);

  std::deque<Expectation> script_;
  std::vector<AskedBox> boxes_;
  std::vector<ui::FileChooser> fileChoosers_;
  std::vector<ui::FolderChooser> folderChoosers_;
  std::vector<std::string> log_;
};

// Records what the progress window shows; can press Cancel at a given pump.
class CScriptedProgress final : public ui::IProgressDisplay {
 public:
  bool Create(const std::string& message) override;
  void Destroy() override;
  bool Exists() const override { return exists_; }
  void SetMessageText(const std::string& text) override;
  void SetPercentText(const std::string& text) override;
  void SetRemainingText(const std::string& text) override;
  void SetBarPosition(int percent) override { bar_ = percent; }
  void DisableCancel() override { cancelDisabled_ = true; }
  bool PumpOne() override;

  // Cancel is pressed on the n-th pump (counted from 1) of the next window.
  void CancelAtPump(int n, COperationDialog* dialog);
  // Called on every pump, like a real event loop that dispatches one event.
  void SetPumpHook(std::function<bool()> hook) { pumpHook_ = std::move(hook); }
  void FailCreation(bool fail) { failCreation_ = fail; }

  const std::vector<std::string>& Messages() const { return messages_; }
  const std::vector<std::string>& Percents() const { return percents_; }
  const std::vector<std::string>& RemainingTexts() const { return remaining_; }
  int Bar() const { return bar_; }
  int Pumps() const { return pumps_; }
  int Windows() const { return windows_; }
  bool CancelDisabled() const { return cancelDisabled_; }

 private:
  bool exists_ = false;
  bool failCreation_ = false;
  bool cancelDisabled_ = false;
  int bar_ = 0;
  int pumps_ = 0;
  int windows_ = 0;
  int cancelAt_ = 0;
  COperationDialog* cancelDialog_ = nullptr;
  std::function<bool()> pumpHook_;
  std::vector<std::string> messages_, percents_, remaining_;
};

// The user-interface thread by hand: posted messages wait until Pump, timers
// fire when the clock is advanced past them.
class CScriptedThread final : public ui::IUiThread {
 public:
  static constexpr size_t kQueueSize = 1024;

  void SetReceiver(ui::IMessageReceiver* receiver) override { receiver_ = receiver; }
  bool Post(uint32_t message, int64_t wParam, int64_t lParam) override;
  void Close() override;
  void SetTimer(uint32_t timerId, uint32_t intervalMs) override;
  void KillTimer(uint32_t timerId) override;
  bool IsTimerRunning(uint32_t timerId) const override;
  uint32_t TickCount() const override { return now_; }

  // Delivers every message posted so far (and those they post); the number delivered.
  int Pump();
  // Moves the clock on, firing due timers in time order (and pumping after each).
  void Advance(uint32_t ms);
  size_t Pending() const;
  // Messages delivered, in order.
  const std::vector<uint32_t>& Delivered() const { return delivered_; }

 private:
  struct Posted {
    uint32_t message;
    int64_t wParam, lParam;
  };
  struct Timer {
    uint32_t interval;
    uint32_t due;
  };
  mutable std::mutex lock_;
  std::array<Posted, kQueueSize> queue_{};
  size_t head_ = 0, count_ = 0;
  bool closed_ = false;
  ui::IMessageReceiver* receiver_ = nullptr;
  std::map<uint32_t, Timer> timers_;
  uint32_t now_ = 1000;
  std::vector<uint32_t> delivered_;
};

// Records every call the core makes on the windows, in order, as text
// ("LockInput(1)"), and keeps the state a view would.
class CScriptedViewHost final : public ui::CQuietViewHost {
 public:
  bool HasFrame() const override { return hasFrame; }
  bool HasView() const override { return hasView; }
  void ShowMainWindow(bool restorePlacement) override;
  void SetTitle(const std::string& documentTitle) override;
  int GetViewMode() const override { return viewMode; }
  void SwitchView(int mode) override;
  void ShowMenuAndToolBarForView(int mode) override;
  void LockInput(int lock) override;
  void RefreshCurrentView() override { Record("RefreshCurrentView"); }
  void RefreshTrackView() override { Record("RefreshTrackView"); }
  void RefreshAllViews() override { Record("RefreshAllViews"); }
  void Relayout() override { Record("Relayout"); }
  void SetSnapToGrid(int snap) override;
  int GetSnapToGrid() const override { return snapToGrid; }
  bool RebuildLoopMenu() override;
  void SetEditorColors(const TrackColorSet& colors) override;
  void SetPositionText(const std::string& text) override;
  void SetLengthText(const std::string& text) override;
  void SetPositionSlider(int value) override;
  void EnablePositionSlider(bool enable) override;
  void MoveTrackingBar(uint32_t frame, bool follow) override;
  void ResetTrackingBar(uint32_t frame) override;
  void SetTempoText(float bpm) override;
  void SetPitchText(float semitones) override;
  void StartEditorTracking(bool loopWrap) override;
  void StopEditorTracking() override { Record("StopEditorTracking"); }
  void UpdateEditorTimes() override { Record("UpdateEditorTimes"); }
  void SetEditorProjectTempo(float bpm) override;
  void SetEditorSegment(CAudioSegment* segment) override;
  bool IsLoopRowVisible(int loopNumber) const override { return loopNumber >= firstVisibleLoop && loopNumber < firstVisibleLoop + visibleLoopRows; }
  void StartLoopPlayhead() override { Record("StartLoopPlayhead"); }
  void StopLoopPlayhead() override { Record("StopLoopPlayhead"); }
  void ResetLoopPlayButton() override { Record("ResetLoopPlayButton"); }
  bool GetCurrentSnippet(int* trackIndex, uint32_t* snippetIdentifier) const override;
  void ClearCurrentSnippet() override;
  void RefreshLoopBank() override { Record("RefreshLoopBank"); }
  void RefreshLoopBankRow(int loopNumber) override { Record("RefreshLoopBankRow(" + std::to_string(loopNumber) + ")"); }
  void RebuildEffectsTabs() override { Record("RebuildEffectsTabs"); }
  void ShowRecordingWindow() override;
  void CloseRecordingWindow() override;
  void OpenRecordSegmentWindow(int channels) override;
  void StartRecordSegmentTimer() override { Record("StartRecordSegmentTimer"); }
  void CloseRecordSegmentWindow() override;
  void SyncTrackingBar(uint32_t frame) override { Record("SyncTrackingBar(" + std::to_string(frame) + ")"); }
  void PressLoopRowButton(int loopNumber) override { Record("PressLoopRowButton(" + std::to_string(loopNumber) + ")"); }
  bool IsLevelWindowShown() const override { return levelWindowShown; }
  bool IsLevelWindowMonitoring() const override { return levelMonitoring; }
  void StopLevelMonitor() override;
  void RunLevelMeters() override { Record("RunLevelMeters"); }
  void StopLevelMeters() override { Record("StopLevelMeters"); }
  void ZoomShownEditor(bool in) override { Record(in ? "ZoomShownEditor(in)" : "ZoomShownEditor(out)"); }
  void PageShownEditorRows(bool down) override { Record(down ? "PageShownEditorRows(down)" : "PageShownEditorRows(up)"); }
  bool IsToolWindowShown(ui::ToolWindow window) const override;
  void ShowToolWindow(ui::ToolWindow window, bool show) override;
  void RefreshToolWindow(ui::ToolWindow window) override;

  void Record(const std::string& call) { calls.push_back(call); }
  // How many recorded calls begin with prefix.
  int Count(const std::string& prefix) const;

  bool hasFrame = true;
  bool hasView = true;
  int viewMode = 1;
  int snapToGrid = 0;
  int locked = 0;
  int slider = 0;
  bool sliderEnabled = true;
  bool mainWindowShown = false;
  bool placementRestored = false;
  bool recordingWindowShown = false;
  bool recordSegmentWindowOpen = false;
  bool levelWindowShown = false;
  bool levelMonitoring = false;
  // Called when the core asks the level window to stop monitoring, as the
  // window's own stop callback would be.
  std::function<void()> onStopLevelMonitor;
  int firstVisibleLoop = 0;
  int visibleLoopRows = 8;
  CAudioSegment* editorSegment = nullptr;  // what the Audio Editor shows
  // The Track View's right-clicked snippet; identifier 0 for none.
  int currentSnippetTrack = 0;
  uint32_t currentSnippet = 0;
  bool hasLoopMenu = true;                 // the Track View menu can take the loops
  // The tool windows by ui::ToolWindow: made once on first show, then shown or hidden.
  std::map<ui::ToolWindow, int> toolWindowsMade;
  std::map<ui::ToolWindow, bool> toolWindowsShown;
  std::string title, positionText, lengthText;
  std::vector<std::string> calls;
};

class CMemoryProfile final : public ui::IProfile {
 public:
  std::string GetString(const std::string& section, const std::string& entry) override;
  void WriteString(const std::string& section, const std::string& entry, const std::string& value) override;
  std::map<std::string, std::string> values;  // "section/entry" -> value
};

// The five seams together, for a CProApp under test.
struct ScriptedServices {
  CScriptedUi ui;
  CScriptedProgress progress;
  CScriptedViewHost view;
  CScriptedThread thread;
  CMemoryProfile profile;
  ui::UiServices Services() { return {ui, progress, view, thread, profile}; }
};

}  // namespace tessiro::test
