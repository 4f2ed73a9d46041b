// The core's view host in the Qt program: the frame's part of each call goes to
// the main frame (title, menus and bands of a view mode, the position and
// length texts, the position slider, the tool windows), the rest to the view
// (as CProViewHost passes it) and its editors. Before the view exists the host
// keeps what a view would (mode, lock, snap) so that the core can start.
//
// Threads: user-interface thread only.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>

#include "UiServices.h"
#include "frame/ProViewHost.h"

class CMainFrame;

// The two recording windows, which live with the dialogs; the program hands them to the host.
class IRecordingWindows {
 public:
  virtual ~IRecordingWindows() = default;
  virtual void ShowRecordingWindow() = 0;
  virtual void CloseRecordingWindow() = 0;
  virtual void OpenRecordSegmentWindow(int channels) = 0;
  virtual void StartRecordSegmentTimer() = 0;
  virtual void CloseRecordSegmentWindow() = 0;
};

class CFrameViewHost final : public CProViewHost {
 public:
  void SetFrame(CMainFrame* frame) { frame_ = frame; }
  void SetRecordingWindows(IRecordingWindows* windows) { recordingWindows_ = windows; }

  bool HasFrame() const override { return frame_ != nullptr; }
  void ShowMainWindow(bool restorePlacement) override;
  void SetTitle(const std::string& documentTitle) override;
  int GetViewMode() const override;
  void SwitchView(int mode) override;
  void ShowMenuAndToolBarForView(int mode) override;
  void LockInput(int lock) override;
  void SetSnapToGrid(int snap) override;
  int GetSnapToGrid() const override;
  bool RebuildLoopMenu() override;
  void SetEditorColors(const TrackColorSet& colors) override;
  void SetPositionText(const std::string& text) override;
  void SetLengthText(const std::string& text) override;
  void SetPositionSlider(int value) override;
  void EnablePositionSlider(bool enable) override;
  void StartEditorTracking(bool loopWrap) override;
  void StopEditorTracking() override;
  void UpdateEditorTimes() override;
  void SetEditorProjectTempo(float bpm) override;
  void SetEditorSegment(CAudioSegment* segment) override;
  bool IsLoopRowVisible(int loopNumber) const override;
  void StartLoopPlayhead() override;
  void StopLoopPlayhead() override;
  void ResetLoopPlayButton() override;
  void ZoomShownEditor(bool in) override;
  void PageShownEditorRows(bool down) override;
  bool IsToolWindowShown(ui::ToolWindow window) const override;
  void ShowToolWindow(ui::ToolWindow window, bool show) override;
  void RefreshToolWindow(ui::ToolWindow window) override;

  // How a tool window is made on its first show, as a child of owner (the main
  // window, which deletes it); a window without a maker is refused with a notice.
  using ToolWindowMaker = std::function<QWidget*(QWidget* owner)>;
  void SetToolWindowMaker(ui::ToolWindow window, ToolWindowMaker maker);
  QWidget* ToolWindowWidget(ui::ToolWindow window) const;

  void RebuildEffectsTabs() override;
  void ShowRecordingWindow() override;
  void CloseRecordingWindow() override;
  void OpenRecordSegmentWindow(int channels) override;
  void StartRecordSegmentTimer() override;
  void CloseRecordSegmentWindow() override;
  void SyncTrackingBar(uint32_t frame) override;
  void PressLoopRowButton(int loopNumber) override;
  bool IsLevelWindowShown() const override;
  bool IsLevelWindowMonitoring() const override;
  void StopLevelMonitor() override;
  void RunLevelMeters() override;
  void StopLevelMeters() override;

  int IsInputLocked() const;

 private:
  CMainFrame* frame_ = nullptr;
  IRecordingWindows* recordingWindows_ = nullptr;
  std::map<ui::ToolWindow, ToolWindowMaker> makers_;
  std::map<ui::ToolWindow, QPointer<QWidget>> toolWindows_;
  int viewMode_ = 1;
  int locked_ = 0;
  int snapToGrid_ = 0;
};

// The notice for a tool window this build cannot make.
std::string ToolWindowMissingText(ui::ToolWindow window);
