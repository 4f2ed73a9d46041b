// The progress window of long operations that run on the user-interface thread
// (start-up, loading projects and loops, edits, effects, imports, joins).
//
// This class is the window's logic: the message, the percentage, the estimate
// of the remaining time and Cancel. What it shows goes to an IProgressDisplay;
// the display's Cancel button calls OnCancelButton. Each progress report of an
// operation pumps one pending event, so painting and Cancel are handled in the
// middle of the work; the operation learns of Cancel from the progress answer.
//
// Threads: user-interface thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "UiServices.h"

class COperationDialog {
 public:
  static constexpr int kStateRunning = 1;
  static constexpr int kStateCancelled = 2;  // finished after a cancel was acted on
  static constexpr size_t kMessageChars = 255;

  // clock: milliseconds for the remaining-time estimate (the display's thread clock in the program).
  COperationDialog(ui::IProgressDisplay& display, std::function<uint32_t()> clock);
  COperationDialog(const COperationDialog&) = delete;
  COperationDialog& operator=(const COperationDialog&) = delete;

  // Disables the owner and shows the window; 1, or 3 when the window could not be made (reported).
  int Begin();
  // Enables the owner and destroys the window; 1.
  int End();
  // Ignored (0) after a cancel until the next Begin. resetPercent also restarts the count.
  int SetMessage(const std::string& text, int resetPercent);
  void DisableCancel();
  // Work in caller units; counted in hundreds, each call truncating its own share.
  void SetTotal(uint32_t work);
  void AddDone(uint32_t work);
  // A percentage the caller computed (codec progress, start-up steps).
  void SetPercent(int percent);
  // One pending event; 0 when there was none.
  int PumpMessages();
  void OnCancelButton();

  // The answer of the application's progress function: 0 once the cancel was acted on.
  int ProgressAnswer() const { return state_ == kStateCancelled ? 0 : 1; }

  // "N/A", "%d seconds", "%d minute %d seconds", "%d minutes %d seconds".
  static std::string RemainingTimeText(int percent, uint32_t elapsedMs);

  bool IsCreated() const { return created_ != 0; }
  bool IsCancelled() const { return cancelled_ != 0; }
  int GetState() const { return state_; }
  int GetLastPercent() const { return lastPercent_; }
  const std::string& GetMessage() const { return message_; }

 private:
  void Update();
  void ShowRemainingTime(int percent);

  ui::IProgressDisplay& display_;
  std::function<uint32_t()> clock_;
  int created_ = 0;
  int cancelled_ = 0;
  std::string message_;
  int16_t lastPercent_ = 0;
  int state_ = 0;
  uint32_t startTick_ = 0;
  uint32_t total_ = 0;
  uint32_t done_ = 0;
  std::recursive_mutex lock_;
};
