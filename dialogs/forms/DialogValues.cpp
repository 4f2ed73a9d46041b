#include "DialogValues.h"

#include <charconv>
#include <cmath>

#include "Generic.h"

namespace forms {
namespace {

constexpr size_t kEditChars = 63;  // what the edits hand over
constexpr double kRoundingSlack = 1e-3;  // of a slider position

}  // namespace

int64_t ParseInteger(const std::string& text) {
  const std::string head = text.substr(0, kEditChars);
  size_t at = head.find_first_not_of(" \t");
  if (at == std::string::npos) return 0;
  if (head[at] == '+') ++at;
  int64_t value = 0;
  const auto [end, error] = std::from_chars(head.data() + at, head.data() + head.size(), value);
  return error == std::errc() ? value : 0;
}

LevelValue LevelValue::FromGain(float gain) {
  LevelValue level;
  level.percent = gain * 100.0f;
  level.kind = kPercent;
  return level;
}

float LevelValue::Decibels() const {
  if (kind == kDecibel) return decibels;
  float db = kMinLevelDb;
  if (percent > 0.0f) PercentToDecibel(percent, &db);
  return db;
}

float LevelValue::Percent() const {
  if (kind == kPercent) return percent;
  float p = 0.0f;
  DecibelToPercent(decibels, &p);
  return p;
}

float LevelValue::Gain() const { return Percent() / 100.0f; }

float LevelValue::Shown(LevelUnits units) const { return units == LevelUnits::Decibel ? Decibels() : Percent(); }

std::string LevelValue::Text(LevelUnits units) const { return FormatFloat(Shown(units), 2); }

void LevelValue::SetTyped(const std::string& text, LevelUnits units) {
  float db = ParseFloat(text);
  if (units == LevelUnits::Percent) {
    const float typed = db;
    db = kMinLevelDb;
    if (typed > 0.0f) PercentToDecibel(typed, &db);
  }
  db = ClampToRange(db, kMinLevelDb, kMaxLevelDb);
  if (units == LevelUnits::Decibel) {
    decibels = db;
    kind = kDecibel;
  } else {
    DecibelToPercent(db, &percent);
    kind = kPercent;
  }
}

int LevelValue::SliderPosition() const {
  // Truncated as the slider keeps whole positions, but not below a whole one
  // the value only misses by float rounding (1000 % is +20 dB, the slider's end).
  const double position =
      (static_cast<double>(Decibels()) - kMinLevelDb) / (kMaxLevelDb - kMinLevelDb) * kLevelSliderMax + kRoundingSlack;
  if (!(position > 0)) return 0;
  return position >= kLevelSliderMax ? kLevelSliderMax : static_cast<int>(position);
}

void LevelValue::SetFromSlider(int position) {
  decibels = static_cast<float>(position) / kLevelSliderMax * (kMaxLevelDb - kMinLevelDb) + kMinLevelDb;
  kind = kDecibel;
}

void LockedLevels::SetTyped(int channel, const std::string& text, LevelUnits units) {
  channels[channel].SetTyped(text, units);
  if (lock) channels[1 - channel] = channels[channel];
}

void LockedLevels::Scroll(int channel, SliderAction action, int thumb) {
  const std::optional<int> position = StepTo(channels[channel].SliderPosition(), action, thumb, 0, kLevelSliderMax);
  if (!position) return;
  channels[channel].SetFromSlider(*position);
  if (lock) channels[1 - channel] = channels[channel];
}

float PitchValue::Semitones() const {
  if (kind == kSemitones) return semitones;
  float s = -kMaxPitchSemitones;
  if (ratio > 0.0f) RatioToSemitones(ratio, &s);
  return s;
}

float PitchValue::Shown(PitchUnits units) const {
  if (units == PitchUnits::Semitones) return Semitones();
  if (kind == kRatio) return ratio;
  float r = 1.0f;
  SemitonesToRatio(semitones, &r);
  return r;
}

std::string PitchValue::Text(PitchUnits units) const { return FormatFloat(Shown(units), 2); }

void PitchValue::SetTyped(const std::string& text, PitchUnits units) {
  const float typed = ParseFloat(text);
  if (units == PitchUnits::Semitones) {
    semitones = ClampToRange(typed, -kMaxPitchSemitones, kMaxPitchSemitones);
    kind = kSemitones;
    return;
  }
  float s = -kMaxPitchSemitones;
  if (typed > 0.0f) RatioToSemitones(typed, &s);
  s = ClampToRange(s, -kMaxPitchSemitones, kMaxPitchSemitones);
  SemitonesToRatio(s, &ratio);
  kind = kRatio;
}

int PitchValue::SliderPosition() const {
  const double position = (static_cast<double>(Semitones()) + kMaxPitchSemitones) * 10.0 + kRoundingSlack;
  if (!(position > 0)) return 0;
  return position >= kPitchSliderMax ? kPitchSliderMax : static_cast<int>(position);
}

void PitchValue::SetFromSlider(int position) {
  semitones = static_cast<float>(position) / kPitchSliderMax * (2 * kMaxPitchSemitones) - kMaxPitchSemitones;
  kind = kSemitones;
}

std::optional<int> StepTo(int current, SliderAction action, int thumb, int minimum, int maximum) {
  const std::optional<int> next = MovedPosition(current, action, thumb);
  if (!next) return std::nullopt;
  return *next < minimum ? minimum : (*next > maximum ? maximum : *next);
}

LevelsAndPitch::LevelsAndPitch(float gainLeft, float gainRight, bool lock, LevelUnits units, float semitones,
                               PitchUnits pitchUnits)
    : levels_{{LevelValue::FromGain(gainLeft), LevelValue::FromGain(gainRight)}, lock},
      units_(units),
      pitchUnits_(pitchUnits) {
  pitch_.semitones = semitones;
}

void LevelsAndPitch::OnPitchScroll(SliderAction code, int thumb) {
  const std::optional<int> position = StepTo(PitchSlider(), code, thumb, 0, kPitchSliderMax);
  if (position) pitch_.SetFromSlider(*position);
}

}  // namespace forms
