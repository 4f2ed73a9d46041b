// "Project Settings": the project's tags, master levels, tempo, pitch and time
// signature as the dialog holds them while it is open.
#pragma once

#include <array>
#include <string>

#include "DialogValues.h"
#include "requests/SettingsRequests.h"

namespace forms {

class ProjectSettingsForm {
 public:
  static constexpr int kLeft = 0;
  static constexpr int kRight = 1;
  static constexpr int kMinTempo = 50;
  static constexpr int kMaxTempo = 250;
  static constexpr size_t kTagBytes = 254;
  static constexpr size_t kYearChars = 4;
  static constexpr size_t kDescriptionBytes = 4094;
  static constexpr std::array<const char*, 3> kTimeSignatures = {"4/4", "3/4", "None"};

  explicit ProjectSettingsForm(const ProjectSettingsRequest& request);

  // The edits' texts, as typed.
  std::string title, artist, album, year, description;
  int genre = 0;
  int timeSignature = 0;  // the combo's selection

  std::string LevelText(int channel) const { return levels_.channels[channel].Text(units_); }
  int LevelSlider(int channel) const { return levels_.channels[channel].SliderPosition(); }
  const char* UnitLabel() const { return units_ == LevelUnits::Decibel ? "dB" : "%"; }
  std::string PitchText() const { return pitch_.Text(pitchUnits_); }
  int PitchSlider() const { return pitch_.SliderPosition(); }
  std::string TempoText() const { return FormatFloat(tempo_, 2); }
  int TempoSlider() const;
  bool Lock() const { return levels_.lock; }
  int UnitsSelection() const { return static_cast<int>(units_) - 1; }
  int PitchUnitsSelection() const { return static_cast<int>(pitchUnits_) - 1; }

  // An edit that lost the focus.
  void OnLevelTyped(int channel, const std::string& text) { levels_.SetTyped(channel, text, units_); }
  void OnPitchTyped(const std::string& text);
  void OnTempoTyped(const std::string& text);
  // A slider moved (line, page, thumb); the others follow as the lock says.
  void OnLevelScroll(int channel, SliderAction code, int thumb) { levels_.Scroll(channel, code, thumb); }
  void OnPitchScroll(SliderAction code, int thumb);
  void OnTempoScroll(SliderAction code, int thumb);
  void OnUnits(int selection);
  void OnPitchUnits(int selection);
  void OnLock(bool ticked) { levels_.lock = ticked; }

  // What OK hands back: the texts cut to their fields, the year to four characters.
  ProjectSettingsRequest::Result Result() const;

 private:
  LockedLevels levels_;
  PitchValue pitch_;
  float tempo_ = 120.0f;
  LevelUnits units_ = LevelUnits::Decibel;
  PitchUnits pitchUnits_ = PitchUnits::Semitones;
};

// Cut to at most bytes bytes, never inside a UTF-8 character.
std::string CutText(const std::string& text, size_t bytes);

}  // namespace forms
