#include "LevelsForm.h"

#include <algorithm>
#include <cstdio>

#include "Generic.h"

namespace forms {

namespace {
constexpr int kFirstInputChannel = 25;
constexpr double kPeakPerStep = 327.7;

size_t SliderIndex(int sliderId) {
  switch (sliderId) {
    case CLevelsForm::kMasterLeft: return 0;
    case CLevelsForm::kMasterRight: return 1;
    case CLevelsForm::kChannelLeft: return 2;
    default: return 3;
  }
}
}  // namespace

CLevelsForm::CLevelsForm(const LevelsCallbacks& callbacks, int inputDeviceCount, Host host)
    : callbacks_(callbacks),
      inputDeviceCount_(std::clamp(inputDeviceCount, 0, 16)),
      host_(std::move(host)),
      output_(kMeterFrames * 2),
      channel_(kMeterFrames * 2) {
  InitLevelScaleTable(scale_);
  positions_.fill(20 + 50);  // the labels' "-50" until the gains load
}

void CLevelsForm::Init() {
  channelSelection_ = 0;
  LoadGains();
  if (host_.playing && host_.playing()) RunMeters();
}

std::vector<std::string> CLevelsForm::ChannelItems() const {
  std::vector<std::string> items;
  char text[40];
  for (int t = 1; t <= kTracks; ++t) {
    std::snprintf(text, sizeof text, "Track %2d", t);
    items.emplace_back(text);
  }
  for (int i = 0; i < inputDeviceCount_; ++i) {
    std::snprintf(text, sizeof text, "Input Device ID (%d)", i);
    items.emplace_back(text);
  }
  return items;
}

void CLevelsForm::LoadGains() {
  int16_t left = 0, right = 0;
  if (callbacks_.getGain) callbacks_.getGain(0, &left, &right);
  positions_[0] = 20 - left;
  positions_[1] = 20 - right;
  ShowChannelGains(true);
  locked_ = positions_[0] == positions_[1] && positions_[2] == positions_[3];
}

// The chosen track's own gains; an input has none to show.
void CLevelsForm::ShowChannelGains(bool fromProgram) {
  int16_t left = 0, right = 0;
  if (fromProgram && channelSelection_ < kTracks && callbacks_.getGain) {
    callbacks_.getGain(static_cast<uint32_t>(channelSelection_ + 1), &left, &right);
  }
  positions_[2] = 20 - left;
  positions_[3] = 20 - right;
}

int CLevelsForm::Position(int sliderId) const { return positions_[SliderIndex(sliderId)]; }

std::string CLevelsForm::Label(int labelId) const {
  const int slider = labelId == kMasterLeftLabel    ? kMasterLeft
                     : labelId == kMasterRightLabel ? kMasterRight
                     : labelId == kChannelLeftLabel ? kChannelLeft
                                                    : kChannelRight;
  return std::to_string(Db(Position(slider)));
}

void CLevelsForm::MoveSlider(int sliderId, int position) {
  const size_t index = SliderIndex(sliderId);
  const bool master = index < 2;
  if (!master && !ChannelSlidersEnabled()) return;
  position = std::clamp(position, 0, kSliderMax);
  positions_[index] = position;
  const size_t first = master ? 0 : 2;
  if (locked_) positions_[index ^ 1] = position;  // the other side of the pair
  if (callbacks_.setGain) {
    callbacks_.setGain(master ? 0u : static_cast<uint32_t>(channelSelection_ + 1), Db(positions_[first]),
                       Db(positions_[first + 1]));
  }
  if (host_.modified) host_.modified();
}

void CLevelsForm::SelectChannel(int index) {
  if (index < 0 || index >= kTracks + inputDeviceCount_ || monitoring_) return;
  channelSelection_ = index;
  ShowChannelGains(true);
}

bool CLevelsForm::ClickMonitor(bool ticked) {
  if (host_.playing && host_.playing()) {
    if (host_.refusePlaying) host_.refusePlaying();
    return monitoring_;
  }
  const int input = channelSelection_ - kTracks;
  if (input < 0 || input >= kMonitoredInputs) return false;
  if (ticked && !monitoring_) {
    if (callbacks_.startMonitor) callbacks_.startMonitor(static_cast<int16_t>(channelSelection_ + 1));
    RunMeters();
    monitoring_ = true;
  } else if (!ticked && monitoring_) {
    StopMonitor();
  }
  return monitoring_;
}

void CLevelsForm::StopMonitor() {
  if (monitoring_ && callbacks_.stopMonitor) callbacks_.stopMonitor();
  StopMeters();
  monitoring_ = false;
}

void CLevelsForm::RunMeters() {
  std::fill(output_.begin(), output_.end(), int16_t{0});
  std::fill(channel_.begin(), channel_.end(), int16_t{0});
  metersStopped_ = false;
  timerRunning_ = true;
}

std::array<int, 2> CLevelsForm::MeterOf(const int16_t* frames, uint32_t count, const short scale[100]) {
  int16_t peak[2] = {0, 0};
  for (uint32_t f = 0; f < count; ++f) {
    peak[0] = std::max(peak[0], frames[2 * f]);
    peak[1] = std::max(peak[1], frames[2 * f + 1]);
  }
  std::array<int, 2> meter{};
  for (int c = 0; c < 2; ++c) {
    const int step = std::min(99, static_cast<int>(peak[c] / kPeakPerStep));
    meter[static_cast<size_t>(c)] = scale[step];
  }
  return meter;
}

bool CLevelsForm::Tick() {
  if (metersStopped_) {
    timerRunning_ = false;
    meters_.fill(0);
    return false;
  }
  // Zeroed first: a channel the program has no audio for meters silence.
  std::fill(output_.begin(), output_.end(), int16_t{0});
  std::fill(channel_.begin(), channel_.end(), int16_t{0});
  auto* output = reinterpret_cast<unsigned char*>(output_.data());
  auto* channel = reinterpret_cast<unsigned char*>(channel_.data());
  if (!monitoring_ && callbacks_.getOutputBuffer) callbacks_.getOutputBuffer(&output, kMeterBytes);
  if (callbacks_.getChannelBuffer) {
    callbacks_.getChannelBuffer(static_cast<int16_t>(channelSelection_ + 1), &channel, kMeterBytes);
  }
  // A callback may hand back its own buffer instead of filling ours.
  const auto master = MeterOf(reinterpret_cast<const int16_t*>(output), kMeterFrames, scale_);
  const auto track = MeterOf(reinterpret_cast<const int16_t*>(channel), kMeterFrames, scale_);
  meters_ = {master[0], master[1], track[0], track[1]};
  return true;
}

}  // namespace forms
