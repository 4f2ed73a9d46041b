// A view host for a core run outside the program (previews, benchmarks): it
// has a frame, shows nothing and answers every question with "no". Hosts that
// pass some calls on to a real view override just those.
#pragma once

#include <cstdint>
#include <string>

#include "TrackColorSet.h"
#include "UiServices.h"

namespace tools {

class CNullViewHost : public ui::IViewHost {
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
  bool IsToolWindowShown(ui::ToolWindow) const override { return false; }
  void ShowToolWindow(ui::ToolWindow, bool) override {}
  void RefreshToolWindow(ui::ToolWindow) override {}
};

}  // namespace tools
