// "Audio Track Properties": a track's volumes, pitch, type and description as
// the dialog holds them while it is open.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "DialogValues.h"
#include "requests/SettingsRequests.h"

namespace forms {

class TrackPropertiesForm {
 public:
  static constexpr size_t kDescriptionBytes = 254;
  static constexpr const char* kExtendedRefused =
      "Sorry, cannot change audio track type while track contains audio.\n\nYou can convert the loop data to and "
      "extended track by clicking the 'Convert to Extended' button.";
  static constexpr const char* kLoopBasedRefused = "Sorry, cannot change audio track type while track contains audio.";

  explicit TrackPropertiesForm(const TrackPropertiesRequest& request);

  std::string description;

  std::string Caption() const;
  std::string LevelText(int channel) const { return levels_.channels[channel].Text(units_); }
  int LevelSlider(int channel) const { return levels_.channels[channel].SliderPosition(); }
  const char* UnitLabel() const { return units_ == LevelUnits::Decibel ? "dB" : "%"; }
  std::string PitchText() const { return pitch_.Text(pitchUnits_); }
  int PitchSlider() const { return pitch_.SliderPosition(); }
  bool Lock() const { return levels_.lock; }
  int UnitsSelection() const { return static_cast<int>(units_) - 1; }
  int PitchUnitsSelection() const { return static_cast<int>(pitchUnits_) - 1; }
  bool Extended() const { return trackType_ == 0; }
  bool ConvertEnabled() const { return trackType_ == 1 && holdsSnippets_; }

  void OnLevelTyped(int channel, const std::string& text) { levels_.SetTyped(channel, text, units_); }
  void OnPitchTyped(const std::string& text) { pitch_.SetTyped(text, pitchUnits_); }
  void OnLevelScroll(int channel, SliderAction code, int thumb) { levels_.Scroll(channel, code, thumb); }
  void OnPitchScroll(SliderAction code, int thumb);
  void OnUnits(int selection) { units_ = selection == 1 ? LevelUnits::Percent : LevelUnits::Decibel; }
  void OnPitchUnits(int selection) { pitchUnits_ = selection == 1 ? PitchUnits::Ratio : PitchUnits::Semitones; }
  void OnLock(bool ticked) { levels_.lock = ticked; }
  // A type radio clicked: a track holding snippets keeps its type, and the text says why.
  std::optional<std::string> OnTypeClicked(bool extended);
  // After "Convert to Extended": the type the track has now.
  void OnConverted(int32_t trackType) { trackType_ = trackType; }

  TrackPropertiesRequest::Result Result() const;

 private:
  int32_t trackIndex_ = 0;
  int32_t trackType_ = 0;
  bool holdsSnippets_ = false;
  LockedLevels levels_;
  PitchValue pitch_;
  LevelUnits units_ = LevelUnits::Percent;
  PitchUnits pitchUnits_ = PitchUnits::Semitones;
};

}  // namespace forms
