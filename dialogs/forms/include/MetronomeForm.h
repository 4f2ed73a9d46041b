// "Metronome Settings": on or off, drums or clicks, the accent and the level.
#pragma once

#include <string>

#include "DialogValues.h"
#include "requests/SettingsRequests.h"

namespace forms {

class MetronomeForm {
 public:
  static constexpr int kMaxLevel = 60;

  explicit MetronomeForm(const MetronomeSettingsRequest& request);

  bool on = false;
  bool clickOnly = false;  // "Classic Click", else "Drum Beat"
  bool accent = false;

  // The slider sits at 60 - level; its label shows 10 - level (0 is the recorded loudness).
  int SliderPosition() const { return kMaxLevel - level_; }
  std::string LevelText() const { return std::to_string(10 - level_); }
  void OnScroll(SliderAction code, int thumb);

  MetronomeSettingsRequest::Result Result() const;

 private:
  MetronomeSettingsRequest::Result kept_;  // pattern and BPM go back as they came
  int level_ = 10;
};

}  // namespace forms
