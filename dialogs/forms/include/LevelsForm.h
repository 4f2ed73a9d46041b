// The "Audio Levels" window as plain C++: gain sliders for the master and for
// one chosen track, four peak meters fed from the newest output and track (or
// input) audio, and monitoring of a recording input. It reaches the program
// only through the level callbacks and three questions the caller answers.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "LevelCallbacks.h"

namespace forms {

class CLevelsForm {
 public:
  static constexpr int kMasterLeft = 1010, kMasterRight = 1012, kChannelLeft = 1015, kChannelRight = 1016;
  static constexpr int kMasterLeftLabel = 1017, kMasterRightLabel = 1018, kChannelLeftLabel = 1019,
                       kChannelRightLabel = 1020;
  static constexpr int kChannelCombo = 1008, kLock = 1011, kMonitor = 1021;
  // Meters in the order Meters() gives them.
  static constexpr int kMeterIds[4] = {1009, 1007, 1014, 1013};
  static constexpr int kSliderMax = 160;
  static constexpr uint32_t kMeterFrames = 2205;  // 50 ms at 44100 Hz
  static constexpr uint32_t kMeterBytes = kMeterFrames * 4;
  static constexpr int kTracks = 24;
  static constexpr int kMonitoredInputs = 4;

  struct Host {
    std::function<bool()> playing;
    std::function<void()> refusePlaying;  // the program's refusal box
    std::function<void()> modified;
  };

  CLevelsForm(const LevelsCallbacks& callbacks, int inputDeviceCount, Host host);

  // The window opens: gains loaded, meters running when audio plays.
  void Init();
  void LoadGains();
  std::vector<std::string> ChannelItems() const;

  int Position(int sliderId) const;
  std::string Label(int labelId) const;
  bool Locked() const { return locked_; }
  void SetLocked(bool locked) { locked_ = locked; }
  void MoveSlider(int sliderId, int position);

  int ChannelSelection() const { return channelSelection_; }
  void SelectChannel(int index);
  bool ChannelSlidersEnabled() const { return channelSelection_ < kTracks; }
  bool MonitorEnabled() const { return channelSelection_ >= kTracks; }
  bool ChannelComboEnabled() const { return !monitoring_; }

  // The monitor box clicked to ticked: whether it stays ticked.
  bool ClickMonitor(bool ticked);
  bool Monitoring() const { return monitoring_; }
  void StopMonitor();

  void RunMeters();
  void StopMeters() { metersStopped_ = true; }
  bool MetersRunning() const { return timerRunning_; }
  // The 50 ms tick: false when the meters stopped with it (the timer ends).
  bool Tick();
  const std::array<int, 4>& Meters() const { return meters_; }

  // The meter position of a block's largest positive sample per channel.
  static std::array<int, 2> MeterOf(const int16_t* frames, uint32_t count, const short scale[100]);

 private:
  static int Db(int position) { return 20 - position; }
  void ShowChannelGains(bool fromProgram);

  LevelsCallbacks callbacks_;
  int inputDeviceCount_;
  Host host_;
  std::array<int, 4> positions_{};  // master left, right, channel left, right
  bool locked_ = false;
  int channelSelection_ = 0;
  bool monitoring_ = false;
  bool metersStopped_ = true;
  bool timerRunning_ = false;
  std::array<int, 4> meters_{};
  short scale_[100] = {};
  std::vector<int16_t> output_;
  std::vector<int16_t> channel_;
};

}  // namespace forms
