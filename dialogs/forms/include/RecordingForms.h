// The two recording windows as models with no widgets: the "Recording..."
// window while armed tracks record, and the "Record Audio..." window that
// records one input into the Audio Editor. Both show the elapsed time and
// allow one end per recording.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace forms {

// The frames recorded between two tick counts (milliseconds) at 44100 Hz; a
// tick count that wrapped in between still counts forward.
uint32_t ElapsedFrames(uint32_t startTickMs, uint32_t nowTickMs);

class CRecordingDialog {
 public:
  static constexpr int kIdStop = 1016;
  static constexpr int kIdCancel = 1329;
  static constexpr int kIdTime = 1328;
  static constexpr int kIdTempoTime = 1327;
  static constexpr int kTimerId = 99;
  static constexpr int kTimerMs = 50;

  // end: the application's end of the recording, keeping the take (true) or
  // discarding it (false).
  explicit CRecordingDialog(std::function<void(bool keep)> end) : end_(std::move(end)) {}

  void Reset() { stopped_ = true; }
  void CreateAndStart(uint32_t tickMs);
  // Stop keeps the take, Cancel (and Esc) discards it; only the first end acts.
  bool OnStop() { return End(true); }
  bool OnCancelRecording() { return End(false); }
  bool OnCancel() { return OnCancelRecording(); }
  // The application ended the recording itself (its recorder gave up, Stop by
  // key): the window's buttons have nothing left to end.
  void Closed();

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

  std::function<void(bool)> end_;
  bool stopRequested_ = false;
  bool cancelRequested_ = false;
  bool stopped_ = true;
  uint32_t startTick_ = 0;
  bool active_ = false;
};

// "Record Audio...": one input into the Audio Editor.
class CRecordSegmentDialog {
 public:
  static constexpr int kIdInput = 1028;
  static constexpr int kIdStereo = 1027;
  static constexpr int kIdMono = 1026;
  static constexpr int kIdTime = 1326;
  static constexpr int kIdStart = 2;
  static constexpr int kIdStop = 1025;
  static constexpr int kIdCancel = 3;
  static constexpr int kTimerId = 3;
  static constexpr int kTimerMs = 50;

  struct Actions {
    std::function<void(int32_t inputIndex, int16_t channels)> start;
    std::function<void()> finish;  // keeps the audio
    std::function<void()> cancel;  // discards it
  };
  explicit CRecordSegmentDialog(Actions actions) : actions_(std::move(actions)) {}

  // Opens for a new take: the virtual inputs' names in order, the channels of
  // the last take, and the project's time display (1 minutes and seconds).
  void OnInitDialog(std::vector<std::string> inputs, int16_t channels, int timeDisplay);
  void SelectInput(int index);
  void SelectChannels(int16_t channels) { channels_ = channels == 1 ? 1 : 2; }
  // Start: the choices are fixed and the application starts the take; when it
  // did not start (its timer never came), the window is ready to try again.
  void OnStart();
  void StartTimer(uint32_t tickMs);
  // The elapsed time in the project's time display.
  std::string OnTimer(uint32_t tickMs, float tempoBpm, int beatsPerBarChoice) const;
  // Stop keeps the take, Cancel (and Esc) discards it; both once.
  bool OnStopRecording();
  bool OnCancel();
  void Close();

  const std::vector<std::string>& Inputs() const { return inputs_; }
  int InputIndex() const { return inputIndex_; }
  int16_t Channels() const { return channels_; }
  const std::string& InitialTime() const { return initialTime_; }
  bool ChoicesEnabled() const { return !started_; }
  // Without any input there is nothing to start.
  bool StartEnabled() const { return !started_ && !inputs_.empty() && open_; }
  bool StopEnabled() const { return timing_; }
  bool Timing() const { return timing_; }
  bool Open() const { return open_; }

 private:
  Actions actions_;
  std::vector<std::string> inputs_;
  std::string initialTime_;
  int inputIndex_ = 0;
  int16_t channels_ = 2;
  int timeDisplay_ = 1;
  uint32_t startTick_ = 0;
  bool started_ = false;
  bool timing_ = false;
  bool open_ = false;
};

}  // namespace forms
