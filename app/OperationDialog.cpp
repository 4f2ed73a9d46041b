#include "OperationDialog.h"

#include <cstdio>

#include "Generic.h"

namespace {
constexpr const char* kSource = "OperationDialog";
constexpr int kLineCreateFailed = 74;
}  // namespace

COperationDialog::COperationDialog(ui::IProgressDisplay& display, std::function<uint32_t()> clock)
    : display_(display), clock_(std::move(clock)) {}

int COperationDialog::Begin() {
  state_ = kStateRunning;
  lastPercent_ = 0;
  total_ = 0;
  done_ = 0;
  created_ = 1;
  startTick_ = clock_();
  if (!display_.Create(message_)) {
    ReportError(kSource, kLineCreateFailed, "");
    return 3;
  }
  // A new window starts uncancelled and shows the message set before it.
  cancelled_ = 0;
  display_.SetMessageText(message_);
  return 1;
}

int COperationDialog::End() {
  std::lock_guard<std::recursive_mutex> hold(lock_);
  display_.Destroy();
  return 1;
}

int COperationDialog::SetMessage(const std::string& text, int resetPercent) {
  if (cancelled_ == 1) return 0;
  message_ = text.substr(0, kMessageChars);
  if (created_ && display_.Exists()) {
    display_.SetMessageText(message_);
    if (resetPercent) {
      display_.SetPercentText("0");
      lastPercent_ = 0;
      total_ = 0;
      done_ = 0;
    }
  }
  return 1;
}

void COperationDialog::DisableCancel() {
  if (display_.Exists()) display_.DisableCancel();
}

void COperationDialog::SetTotal(uint32_t work) { total_ = work / 100; }

void COperationDialog::AddDone(uint32_t work) {
  done_ = done_ + work / 100;
  Update();
}

void COperationDialog::SetPercent(int percent) {
  if (!display_.Exists()) return;
  display_.SetPercentText(std::to_string(percent));
  ShowRemainingTime(percent);
  display_.SetBarPosition(percent);
}

int COperationDialog::PumpMessages() { return display_.PumpOne() ? 1 : 0; }

void COperationDialog::OnCancelButton() {
  End();
  cancelled_ = 1;
}

void COperationDialog::Update() {
  std::unique_lock<std::recursive_mutex> hold(lock_);
  if (state_ == kStateCancelled) return;
  if (cancelled_ == 1) {
    hold.unlock();
    End();
    state_ = kStateCancelled;
    return;
  }
  PumpMessages();
  int percent = 0;
  if (total_ != 0) {
    double share = static_cast<double>(done_) / static_cast<double>(total_) * 100.0;
    percent = share >= 100.0 ? 100 : static_cast<int>(share);
  }
  if (percent == lastPercent_) return;
  lastPercent_ = static_cast<int16_t>(percent);
  ShowRemainingTime(percent);
  if (display_.Exists()) {
    display_.SetPercentText(std::to_string(percent));
    display_.SetBarPosition(percent);
  }
}

void COperationDialog::ShowRemainingTime(int percent) {
  std::string text = RemainingTimeText(percent, clock_() - startTick_);
  if (display_.Exists()) display_.SetRemainingText(text);
}

std::string COperationDialog::RemainingTimeText(int percent, uint32_t elapsedMs) {
  if (percent <= 5) return "N/A";
  double elapsed = elapsedMs / 1000.0;
  auto remaining = static_cast<int16_t>(static_cast<int32_t>(elapsed / percent * (100 - percent) + 1));
  char text[64];
  if (remaining < 60) {
    std::snprintf(text, sizeof text, "%d seconds", remaining);
  } else if (remaining < 120) {
    std::snprintf(text, sizeof text, "%d minute %d seconds", remaining / 60, remaining % 60);
  } else {
    std::snprintf(text, sizeof text, "%d minutes %d seconds", remaining / 60, remaining % 60);
  }
  return text;
}
