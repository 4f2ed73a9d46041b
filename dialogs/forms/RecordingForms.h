// The "Recording..." window while armed tracks record, as a model with no
// widgets: the elapsed time it shows and the one end it allows.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace forms {

class CRecordingDialog {
 public:
  static constexpr int kIdStop = 1016;
  static constexpr int kIdCancel = 1329;
  static constexpr int kIdTime = 1328;
  static constexpr int kIdTempoTime = 1327;
  static constexpr int kTimerId = 99;
  static constexpr int kTimerMs = 50;

  // stop: the application's Stop command, which keeps or discards the take
  // by the flags read back from this window.
  explicit CRecordingDialog(std::function<void()> stop) : stop_(std::move(stop)) {}

  void Reset() { stopped_ = true; }
  void CreateAndStart(uint32_t tickMs);
  // Stop keeps the take, Cancel (and Esc) discards it; only the first end acts.
  bool OnStop() { return End(true); }
  bool OnCancel() { return End(false); }

  // The two texts of the timer: minutes and seconds, and bars and beats.
  struct Elapsed {
    std::string time;
    std::string tempoTime;
  };
  Elapsed OnTimer(uint32_t tickMs, float tempoBpm, int beatsPerBarChoice) const;

  bool StopRequested() const { return stopRequested_; }
  bool CancelRequested() const { return cancelRequested_; }
  bool Active() const { return active_; }
  bool Stopped() const { return stopped_; }

 private:
  bool End(bool keep);

  std::function<void()> stop_;
  bool stopRequested_ = false;
  bool cancelRequested_ = false;
  bool stopped_ = true;
  uint32_t startTick_ = 0;
  bool active_ = false;
};

}  // namespace forms
