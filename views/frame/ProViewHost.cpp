#include "frame/ProViewHost.h"

#include "view/ProView.h"

int CProViewHost::GetViewMode() const { return view_ ? view_->GetViewMode() : 1; }

void CProViewHost::SwitchView(int mode) {
  if (view_) view_->SwitchView(mode);
}

void CProViewHost::LockInput(int lock) {
  if (view_) view_->LockInput(lock);
}

void CProViewHost::RefreshCurrentView() {
  if (view_) view_->RefreshCurrentView();
}

void CProViewHost::RefreshTrackView() {
  if (view_) view_->RefreshTrackView();
}

void CProViewHost::RefreshAllViews() {
  if (view_) view_->RefreshAllViews();
}

void CProViewHost::Relayout() {
  if (view_) view_->Relayout(view_->clientWidth, view_->clientHeight);
}

void CProViewHost::SetSnapToGrid(int snap) {
  if (view_) view_->SetSnapToGrid(snap);
}

int CProViewHost::GetSnapToGrid() const { return view_ ? view_->GetSnapToGrid() : 0; }

void CProViewHost::MoveTrackingBar(uint32_t frame, bool follow) {
  if (view_) view_->MoveTrackingBar(frame, follow);
}

void CProViewHost::ResetTrackingBar(uint32_t) {
  if (view_) view_->ResetTrackingBar();
}

void CProViewHost::SetTempoText(float bpm) {
  if (view_) view_->SetTempoText(bpm);
}

void CProViewHost::SetPitchText(float semitones) {
  if (view_) view_->SetPitchText(semitones);
}

bool CProViewHost::GetCurrentSnippet(int* trackIndex, uint32_t* snippetIdentifier) const {
  return view_ && view_->GetCurrentSnippet(trackIndex, snippetIdentifier);
}

void CProViewHost::ClearCurrentSnippet() {
  if (view_) view_->ClearCurrentSnippet();
}

void CProViewHost::RefreshLoopBank() {
  if (view_) view_->RefreshLoopBank();
}

void CProViewHost::RefreshLoopBankRow(int loopNumber) {
  if (view_) view_->RefreshLoopBankRow(loopNumber);
}
