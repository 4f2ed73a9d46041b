// The values the settings and properties dialogs show and take: levels held
// in dB or percent (kind 1 dB, 2 percent, unlike the effect forms' flag),
// pitches held in semitones or as a ratio, and slider steps within a range.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "FloatText.h"
#include "SliderMath.h"

namespace forms {

// A whole number typed in an edit ("%d" edits), read as far as it is one; no number gives 0.
int64_t ParseInteger(const std::string& text);

enum class LevelUnits : int32_t { Decibel = 1, Percent = 2 };
enum class PitchUnits : int32_t { Semitones = 1, Ratio = 2 };

constexpr float kMinLevelDb = -140.0f;
constexpr float kMaxLevelDb = 20.0f;
constexpr int kLevelSliderMax = 1000;
constexpr float kMaxPitchSemitones = 12.0f;
constexpr int kPitchSliderMax = 240;

// One channel's level: the dB or the percent field holds it, as kind says.
struct LevelValue {
  static constexpr int32_t kDecibel = 1;
  static constexpr int32_t kPercent = 2;
  float decibels = 0.0f;
  float percent = 0.0f;
  int32_t kind = kDecibel;

  static LevelValue FromGain(float gain);  // 1.0 = unity, held in percent
  float Decibels() const;
  float Percent() const;
  float Gain() const;  // 1.0 = unity
  float Shown(LevelUnits units) const;
  std::string Text(LevelUnits units) const;
  // Typed text: in percent units converted to dB (0 % or less, or no number,
  // is the minimum), clamped to -140..+20 dB, held in the units' own field.
  void SetTyped(const std::string& text, LevelUnits units);
  // truncate((dB + 140) / 160 x 1000), inside 0..1000.
  int SliderPosition() const;
  // dB = position / 1000 x 160 - 140, held in dB.
  void SetFromSlider(int position);
};

// Left and right levels that move together while locked: the other channel
// takes the same value and kind.
struct LockedLevels {
  std::array<LevelValue, 2> channels;
  bool lock = true;

  void SetTyped(int channel, const std::string& text, LevelUnits units);
  void Scroll(int channel, SliderAction action, int thumb);
};

// A pitch: the semitone or the ratio field holds it, as kind says.
struct PitchValue {
  static constexpr int32_t kSemitones = 1;
  static constexpr int32_t kRatio = 2;
  float semitones = 0.0f;
  float ratio = 1.0f;
  int32_t kind = kSemitones;

  float Semitones() const;
  float Shown(PitchUnits units) const;
  std::string Text(PitchUnits units) const;
  // Semitone units: clamped to -12..+12. Ratio units: converted to semitones
  // (a ratio of 0 or less is the lowest pitch), clamped, held as the ratio.
  void SetTyped(const std::string& text, PitchUnits units);
  // truncate((semitones + 12) x 10), inside 0..240.
  int SliderPosition() const;
  // semitones = position / 240 x 24 - 12, held in semitones.
  void SetFromSlider(int position);
};

// A slider's new position for the user's action, inside minimum..maximum;
// nothing for actions that move nothing.
std::optional<int> StepTo(int current, SliderAction action, int thumb, int minimum, int maximum);

// Units code 2 is the ratio; any other, semitones.
inline PitchUnits PitchUnitsOf(int32_t code) { return code == 2 ? PitchUnits::Ratio : PitchUnits::Semitones; }

// The left and right levels with their lock, the pitch and the units they are
// shown in, as Project Settings and Audio Track Properties hold them.
class LevelsAndPitch {
 public:
  LevelsAndPitch(float gainLeft, float gainRight, bool lock, LevelUnits units, float semitones, PitchUnits pitchUnits);

  std::string LevelText(int channel) const { return levels_.channels[channel].Text(units_); }
  int LevelSlider(int channel) const { return levels_.channels[channel].SliderPosition(); }
  const char* UnitLabel() const { return units_ == LevelUnits::Decibel ? "dB" : "%"; }
  std::string PitchText() const { return pitch_.Text(pitchUnits_); }
  int PitchSlider() const { return pitch_.SliderPosition(); }
  bool Lock() const { return levels_.lock; }
  int UnitsSelection() const { return static_cast<int>(units_) - 1; }
  int PitchUnitsSelection() const { return static_cast<int>(pitchUnits_) - 1; }

  // An edit that lost the focus.
  void OnLevelTyped(int channel, const std::string& text) { levels_.SetTyped(channel, text, units_); }
  void OnPitchTyped(const std::string& text) { pitch_.SetTyped(text, pitchUnits_); }
  // A slider moved (line, page, thumb); the other channel follows as the lock says.
  void OnLevelScroll(int channel, SliderAction code, int thumb) { levels_.Scroll(channel, code, thumb); }
  void OnPitchScroll(SliderAction code, int thumb);
  void OnUnits(int selection) { units_ = selection == 1 ? LevelUnits::Percent : LevelUnits::Decibel; }
  void OnPitchUnits(int selection) { pitchUnits_ = selection == 1 ? PitchUnits::Ratio : PitchUnits::Semitones; }
  void OnLock(bool ticked) { levels_.lock = ticked; }

 protected:
  // As OK hands them back.
  float Gain(int channel) const { return levels_.channels[channel].Gain(); }
  float ResultPitch() const { return ClampToRange(pitch_.Semitones(), -kMaxPitchSemitones, kMaxPitchSemitones); }
  int32_t ResultLock() const { return levels_.lock ? 1 : 0; }
  int32_t ResultUnits() const { return static_cast<int32_t>(units_); }
  int32_t ResultPitchUnits() const { return static_cast<int32_t>(pitchUnits_); }

 private:
  LockedLevels levels_;
  PitchValue pitch_;
  LevelUnits units_;
  PitchUnits pitchUnits_;
};

}  // namespace forms
