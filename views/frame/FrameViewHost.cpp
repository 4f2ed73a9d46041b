#include "frame/FrameViewHost.h"

#include "controls/MyEdit.h"
#include "frame/MainFrame.h"
#include "frame/PositionSlider.h"
#include "frame/ScreenFit.h"
#include "frame/ToolBarTrackLower.h"
#include "frame/MyMenu.h"
#include "pro.h"
#include "view/ProView.h"

void CFrameViewHost::ShowMainWindow(bool restorePlacement) {
  if (frame_) frame_->ShowMainWindow(restorePlacement);
}

void CFrameViewHost::SetTitle(const std::string& documentTitle) {
  if (frame_) frame_->setWindowTitle(QString::fromStdString(documentTitle));
}

int CFrameViewHost::GetViewMode() const { return view_ ? view_->GetViewMode() : viewMode_; }

void CFrameViewHost::SwitchView(int mode) {
  if (mode < 1 || mode > 3) return;
  if (view_) {
    view_->SwitchView(mode);
    return;
  }
  viewMode_ = mode;
  ShowMenuAndToolBarForView(mode);
}

void CFrameViewHost::LockInput(int lock) {
  locked_ = lock;
  CProViewHost::LockInput(lock);
}

int CFrameViewHost::IsInputLocked() const { return view_ ? view_->IsInputLocked() : locked_; }

void CFrameViewHost::SetSnapToGrid(int snap) {
  snapToGrid_ = snap;
  CProViewHost::SetSnapToGrid(snap);
}

int CFrameViewHost::GetSnapToGrid() const { return view_ ? view_->GetSnapToGrid() : snapToGrid_; }

// The Track View menu's Insert Loop submenu takes the Loop Bank's entries in
// place of its "Loop Bank is Empty" item.
bool CFrameViewHost::RebuildLoopMenu() {
  CMyMenu* bar = frame_ ? frame_->MenuForView(ViewModeTrack) : nullptr;
  CMyMenu* edit = bar ? bar->SubMenu(menu::kEditMenuPosition) : nullptr;
  if (!edit || !edit->SubMenu(menu::kInsertLoopPosition)) return false;
  std::vector<std::pair<int, std::string>> entries;
  if (CProApp* app = frame_->Context().app) {
    for (const LoopMenuEntry& entry : app->loopBank.BuildLoopMenu()) {
      entries.emplace_back(static_cast<int>(entry.commandId), entry.text);
    }
  }
  edit->ReplacePlaceholder(menu::kLoopBankIsEmpty, entries);
  return true;
}

void CFrameViewHost::SetEditorColors(const TrackColorSet& colors) {
  if (view::IWaveformEditor* editor = view_ ? view_->AudioEditor() : nullptr) editor->SetColors(colors);
}

void CFrameViewHost::SyncTrackingBar(uint32_t) {
  if (view_) view_->RefreshTrackingBar();
}

void CFrameViewHost::StartEditorTracking(bool loopWrap) {
  if (view::IWaveformEditor* editor = view_ ? view_->AudioEditor() : nullptr) editor->StartTracking(loopWrap ? 1 : 0);
}

void CFrameViewHost::StopEditorTracking() {
  if (view::IWaveformEditor* editor = view_ ? view_->AudioEditor() : nullptr) editor->StopTracking();
}

void CFrameViewHost::UpdateEditorTimes() {
  if (view::IWaveformEditor* editor = view_ ? view_->AudioEditor() : nullptr) editor->UpdateToolBarTimes();
}

void CFrameViewHost::SetEditorProjectTempo(float bpm) {
  if (view::IWaveformEditor* editor = view_ ? view_->AudioEditor() : nullptr) editor->SetProjectTempo(bpm);
}

void CFrameViewHost::SetEditorSegment(CAudioSegment* segment) {
  if (view::IWaveformEditor* editor = view_ ? view_->AudioEditor() : nullptr) editor->SetSegment(segment);
}

bool CFrameViewHost::IsLoopRowVisible(int loopNumber) const {
  view::ILoopBankEditor* editor = view_ ? view_->LoopBank() : nullptr;
  return editor && editor->IsRowVisible(loopNumber);
}

void CFrameViewHost::StartLoopPlayhead() {
  if (view::ILoopBankEditor* editor = view_ ? view_->LoopBank() : nullptr) editor->StartPlayhead();
}

void CFrameViewHost::StopLoopPlayhead() {
  if (view::ILoopBankEditor* editor = view_ ? view_->LoopBank() : nullptr) editor->StopPlayhead();
}

void CFrameViewHost::ResetLoopPlayButton() {
  if (view::ILoopBankEditor* editor = view_ ? view_->LoopBank() : nullptr) editor->ResetPlayButton();
}

void CFrameViewHost::PressLoopRowButton(int loopNumber) {
  if (view::ILoopBankEditor* editor = view_ ? view_->LoopBank() : nullptr) editor->PressPlayButton(loopNumber);
}
void CFrameViewHost::RebuildEffectsTabs() {
  // The effects window is built above the views: reached by its slot's name.
  if (QWidget* widget = ToolWindowWidget(ui::ToolWindow::Effects)) QMetaObject::invokeMethod(widget, "RefreshTabs");
}

void CFrameViewHost::ShowRecordingWindow() {
  if (recordingWindows_) recordingWindows_->ShowRecordingWindow();
}

void CFrameViewHost::CloseRecordingWindow() {
  if (recordingWindows_) recordingWindows_->CloseRecordingWindow();
}

void CFrameViewHost::OpenRecordSegmentWindow(int channels) {
  if (recordingWindows_) recordingWindows_->OpenRecordSegmentWindow(channels);
}

void CFrameViewHost::StartRecordSegmentTimer() {
  if (recordingWindows_) recordingWindows_->StartRecordSegmentTimer();
}

void CFrameViewHost::CloseRecordSegmentWindow() {
  if (recordingWindows_) recordingWindows_->CloseRecordSegmentWindow();
}

bool CFrameViewHost::IsLevelWindowShown() const { return IsToolWindowShown(ui::ToolWindow::Levels); }
// The level window is built above the views: reached by its property and slots.
bool CFrameViewHost::IsLevelWindowMonitoring() const {
  QWidget* widget = ToolWindowWidget(ui::ToolWindow::Levels);
  return widget && widget->property("monitoring").toBool();
}
void CFrameViewHost::StopLevelMonitor() {
  if (QWidget* widget = ToolWindowWidget(ui::ToolWindow::Levels)) QMetaObject::invokeMethod(widget, "StopMonitor");
}
void CFrameViewHost::RunLevelMeters() {
  if (QWidget* widget = ToolWindowWidget(ui::ToolWindow::Levels)) QMetaObject::invokeMethod(widget, "RunMeters");
}
void CFrameViewHost::StopLevelMeters() {
  if (QWidget* widget = ToolWindowWidget(ui::ToolWindow::Levels)) QMetaObject::invokeMethod(widget, "StopMeters");
}

void CFrameViewHost::ShowMenuAndToolBarForView(int mode) {
  if (!frame_) return;
  if (CMyMenu* menu = frame_->MenuForView(mode)) frame_->SetOwnerDrawnMenu(menu);
  frame_->ShowToolBarForView(mode);
}

void CFrameViewHost::SetPositionText(const std::string& text) {
  if (frame_ && frame_->trackToolBar) frame_->trackToolBar->positionBox->setText(QString::fromStdString(text));
}

void CFrameViewHost::SetLengthText(const std::string& text) {
  if (frame_ && frame_->trackToolBar) frame_->trackToolBar->lengthBox->setText(QString::fromStdString(text));
}

void CFrameViewHost::SetPositionSlider(int value) {
  if (frame_ && frame_->trackToolBar) frame_->trackToolBar->positionSlider->setValue(value);
}

void CFrameViewHost::EnablePositionSlider(bool enable) {
  if (frame_ && frame_->trackToolBar) frame_->trackToolBar->positionSlider->setEnabled(enable);
}

void CFrameViewHost::ZoomShownEditor(bool in) {
  IFrameView* view = frame_ ? frame_->View() : nullptr;
  if (!view) return;
  const int mode = GetViewMode();
  if (mode == ViewModeTrack) in ? view->TrackViewZoomIn() : view->TrackViewZoomOut();
  if (mode == ViewModeEditor) in ? view->AudioEditorZoomIn() : view->AudioEditorZoomOut();
}

void CFrameViewHost::PageShownEditorRows(bool down) {
  IFrameView* view = frame_ ? frame_->View() : nullptr;
  if (!view) return;
  const int mode = GetViewMode();
  if (mode == ViewModeTrack) view->TrackViewPageRows(down);
  if (mode == ViewModeLoopBank) view->LoopBankPageRows(down);
}

std::string ToolWindowMissingText(ui::ToolWindow window) {
  const char* name = window == ui::ToolWindow::Effects  ? "Realtime Effects"
                     : window == ui::ToolWindow::Levels ? "Audio Levels"
                                                        : "Editor Tool";
  return std::string("The ") + name + " window is not available in this version of Tessiro.";
}

void CFrameViewHost::SetToolWindowMaker(ui::ToolWindow window, ToolWindowMaker maker) {
  makers_[window] = std::move(maker);
}

QWidget* CFrameViewHost::ToolWindowWidget(ui::ToolWindow window) const {
  auto it = toolWindows_.find(window);
  return it == toolWindows_.end() ? nullptr : it->second.data();
}

// The Audio Editor's tool window stays open while a switch of views hides it,
// and is filled as it opens: it answers for itself.
static view::IEditorToolWindow* OpenedWindow(QWidget* widget) {
  return dynamic_cast<view::IEditorToolWindow*>(widget);
}

bool CFrameViewHost::IsToolWindowShown(ui::ToolWindow window) const {
  QWidget* widget = ToolWindowWidget(window);
  if (view::IEditorToolWindow* tool = OpenedWindow(widget)) return tool->IsShown();
  return widget && widget->isVisible();
}

void CFrameViewHost::ShowToolWindow(ui::ToolWindow window, bool show) {
  QWidget* widget = ToolWindowWidget(window);
  if (!show) {
    if (view::IEditorToolWindow* tool = OpenedWindow(widget)) {
      tool->Close();
    } else if (widget) {
      widget->hide();
    }
    return;
  }
  if (!widget) {
    auto maker = makers_.find(window);
    if (maker == makers_.end() || !maker->second || !(toolWindows_[window] = maker->second(frame_))) {
      toolWindows_.erase(window);
      if (frame_) frame_->Context().ui.Inform(ToolWindowMissingText(window));
      return;
    }
    widget = toolWindows_[window].data();
    widget->setWindowFlag(Qt::Tool);
    // Centred over the main window the first time, at the size it asks for (the
    // screen may cut that, never a share of it); later it opens where it was left.
    if (frame_) {
      widget->resize(widget->sizeHint().expandedTo(widget->minimumSizeHint()));
      widget->move(frame_->geometry().center() - widget->rect().center());
    }
  }
  if (view::IEditorToolWindow* tool = OpenedWindow(widget)) {
    tool->Open();
  } else {
    widget->show();
  }
  FitOnScreen(*widget);
  widget->raise();
}

void CFrameViewHost::RefreshToolWindow(ui::ToolWindow window) {
  QWidget* widget = ToolWindowWidget(window);
  if (!widget) return;
  if (view::IEditorToolWindow* tool = OpenedWindow(widget)) {
    tool->UpdateContentFields();
    tool->UpdateTimeFields(0);
    tool->UpdateTempoFields();
  } else if (window == ui::ToolWindow::Levels) {
    // The gains changed elsewhere (a track's or the project's settings).
    QMetaObject::invokeMethod(widget, "LoadGains");
  }
  widget->update();
}
