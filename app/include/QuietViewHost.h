// A view host that has a frame, shows nothing and answers every question with
// "no": a core run without windows (benchmarks) takes it as it is, and every
// other host (the frame's, the previews', the tests' scripted one) overrides
// only the calls it answers itself, so a call added to IViewHost is written
// once here.
//
// Threads: user-interface thread only.
#pragma once

#include <cstdint>
#include <string>

#include "UiServices.h"

namespace ui {

class CQuietViewHost : public IViewHost {
 public:
  bool HasFrame() const override { return true; }
  bool HasView() const override { return false; }
  void ShowMainWindow(bool) override {}
  void SetTitle(const std::string&) override {}
  int GetViewMode() const override { return 1; }
  void SwitchView(int) override {}
  void ShowMenuAndToolBarForView(int) override {}
  void LockInput(int) override {}
  void RefreshCurrentView() override {}
  void RefreshTrackView() override {}
  void RefreshAllViews() override {}
  void Relayout() override {}
  void SetSnapToGrid(int) override {}
  int GetSnapToGrid() const override { return 0; }
  bool RebuildLoopMenu() override { return true; }
  void SetEditorColors(const TrackColorSet&) override {}
  void SetPositionText(const std::string&) override {}
  void SetLengthText(const std::string&) override {}
  void SetPositionSlider(int) override {}
  void EnablePositionSlider(bool) override {}
  void MoveTrackingBar(uint32_t, bool) override {}
  void ResetTrackingBar(uint32_t) override {}
  void SetTempoText(float) override {}
  void SetPitchText(float) override {}
  void StartEditorTracking(bool) override {}
  void StopEditorTracking() override {}
  void UpdateEditorTimes() override {}
  void SetEditorProjectTempo(float) override {}
  void SetEditorSegment(CAudioSegment*) override {}
  bool IsLoopRowVisible(int) const override { return false; }
  void StartLoopPlayhead() override {}
  void StopLoopPlayhead() override {}
  void ResetLoopPlayButton() override {}
  bool GetCurrentSnippet(int*, uint32_t*) const override { return false; }
  void ClearCurrentSnippet() override {}
  void RefreshLoopBank() override {}
  void RefreshLoopBankRow(int) override {}
  void RebuildEffectsTabs() override {}
  void ShowRecordingWindow() override {}
  void CloseRecordingWindow() override {}
  void OpenRecordSegmentWindow(int) override {}
  void StartRecordSegmentTimer() override {}
  void CloseRecordSegmentWindow() override {}
  void SyncTrackingBar(uint32_t) override {}
  void PressLoopRowButton(int) override {}
  bool IsLevelWindowShown() const override { return false; }
  bool IsLevelWindowMonitoring() const override { return false; }
  void StopLevelMonitor() override {}
  void RunLevelMeters() override {}
  void StopLevelMeters() override {}
  void ZoomShownEditor(bool) override {}
  void PageShownEditorRows(bool) override {}
  bool IsToolWindowShown(ToolWindow) const override { return false; }
  void ShowToolWindow(ToolWindow, bool) override {}
  void RefreshToolWindow(ToolWindow) override {}
};

}  // namespace ui
