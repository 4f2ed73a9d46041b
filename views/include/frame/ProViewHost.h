// The quiet host with a view: the calls that are the view's own (its mode,
// lock, snap, refreshes, tracking bar, tempo and pitch texts, the right-clicked
// snippet) go to the view while there is one; everything else stays quiet. The
// previews and the views' benchmarks take it as it is; the frame's host builds
// on it.
//
// Threads: user-interface thread only.
#pragma once

#include "QuietViewHost.h"

class CProView;

class CProViewHost : public ui::CQuietViewHost {
 public:
  void SetView(CProView* view) { view_ = view; }

  bool HasView() const override { return view_ != nullptr; }
  int GetViewMode() const override;
  void SwitchView(int mode) override;
  void LockInput(int lock) override;
  void RefreshCurrentView() override;
  void RefreshTrackView() override;
  void RefreshAllViews() override;
  void Relayout() override;
  void SetSnapToGrid(int snap) override;
  int GetSnapToGrid() const override;
  void MoveTrackingBar(uint32_t frame, bool follow) override;
  void ResetTrackingBar(uint32_t frame) override;
  void SetTempoText(float bpm) override;
  void SetPitchText(float semitones) override;
  bool GetCurrentSnippet(int* trackIndex, uint32_t* snippetIdentifier) const override;
  void ClearCurrentSnippet() override;
  void RefreshLoopBank() override;
  void RefreshLoopBankRow(int loopNumber) override;

 protected:
  CProView* view_ = nullptr;
};
