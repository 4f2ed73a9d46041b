// Seams for a CProApp outside the program, in the preview tool and the views'
// benchmark: every box answers OK, every dialog is cancelled, nothing posted
// is delivered, and the view host only passes switches on to a view.
#pragma once

#include <cstdio>
#include <map>
#include <string>

#include "../quiet/NullViewHost.h"
#include "UiServices.h"
#include "view/ProView.h"

namespace tools {

class CQuietUi final : public ui::IUserInterface {
 public:
  int MessageBox(const std::string& text, ui::Icon, ui::Buttons) override {
    std::fprintf(stderr, "box: %s\n", text.c_str());
    return ui::kAnswerOk;
  }
  std::optional<std::string> ChooseFile(const ui::FileChooser&) override { return std::nullopt; }
  std::optional<std::string> ChooseFolder(const ui::FolderChooser&) override { return std::nullopt; }

 protected:
  std::any Ask(std::type_index, const void*, const char* kind) override {
    std::fprintf(stderr, "dialog not shown: %s\n", kind);
    return {};
  }
};

class CQuietProgress final : public ui::IProgressDisplay {
 public:
  bool Create(const std::string&) override { return exists_ = true; }
  void Destroy() override { exists_ = false; }
  bool Exists() const override { return exists_; }
  void SetMessageText(const std::string&) override {}
  void SetPercentText(const std::string&) override {}
  void SetRemainingText(const std::string&) override {}
  void SetBarPosition(int) override {}
  void DisableCancel() override {}
  bool PumpOne() override { return false; }

 private:
  bool exists_ = false;
};

class CQuietThread final : public ui::IUiThread {
 public:
  void SetReceiver(ui::IMessageReceiver*) override {}
  bool Post(uint32_t, int64_t, int64_t) override { return false; }
  void Close() override {}
  void SetTimer(uint32_t, uint32_t) override {}
  void KillTimer(uint32_t) override {}
  bool IsTimerRunning(uint32_t) const override { return false; }
  uint32_t TickCount() const override { return 0; }
};

// Passes the core's calls on to the view where it has one.
class CQuietViewHost final : public CNullViewHost {
 public:
  CProView* view = nullptr;
  bool HasView() const override { return view != nullptr; }
  int GetViewMode() const override { return view ? view->GetViewMode() : 1; }
  void SwitchView(int mode) override {
    if (view) view->SwitchView(mode);
  }
  void LockInput(int lock) override {
    if (view) view->LockInput(lock);
  }
  void RefreshCurrentView() override {
    if (view) view->RefreshCurrentView();
  }
  void RefreshTrackView() override {
    if (view) view->RefreshTrackView();
  }
  void RefreshAllViews() override {
    if (view) view->RefreshAllViews();
  }
  void Relayout() override {
    if (view) view->Relayout(view->clientWidth, view->clientHeight);
  }
  void SetSnapToGrid(int snap) override {
    if (view) view->SetSnapToGrid(snap);
  }
  int GetSnapToGrid() const override { return view ? view->GetSnapToGrid() : 0; }
  void RefreshLoopBank() override {
    if (view) view->RefreshLoopBank();
  }
  void RefreshLoopBankRow(int loopNumber) override {
    if (view) view->RefreshLoopBankRow(loopNumber);
  }
  void MoveTrackingBar(uint32_t frame, bool follow) override {
    if (view) view->MoveTrackingBar(frame, follow);
  }
  void ResetTrackingBar(uint32_t) override {
    if (view) view->ResetTrackingBar();
  }
  void SetTempoText(float bpm) override {
    if (view) view->SetTempoText(bpm);
  }
  void SetPitchText(float semitones) override {
    if (view) view->SetPitchText(semitones);
  }
  bool GetCurrentSnippet(int* trackIndex, uint32_t* snippetIdentifier) const override {
    return view && view->GetCurrentSnippet(trackIndex, snippetIdentifier);
  }
  void ClearCurrentSnippet() override {
    if (view) view->ClearCurrentSnippet();
  }
};

class CQuietProfile final : public ui::IProfile {
 public:
  std::string GetString(const std::string& section, const std::string& entry) override {
    return values_[section + "/" + entry];
  }
  void WriteString(const std::string& section, const std::string& entry, const std::string& value) override {
    values_[section + "/" + entry] = value;
  }

 private:
  std::map<std::string, std::string> values_;
};

struct QuietServices {
  CQuietUi ui;
  CQuietProgress progress;
  CQuietViewHost view;
  CQuietThread thread;
  CQuietProfile profile;
  ui::UiServices Services() { return {ui, progress, view, thread, profile}; }
};

}  // namespace tools
