#include "ProjectSettingsForm.h"

#include "Genres.h"

namespace forms {
namespace {

LevelUnits LevelUnitsOf(int32_t units) { return units == 2 ? LevelUnits::Percent : LevelUnits::Decibel; }
PitchUnits PitchUnitsOf(int32_t units) { return units == 2 ? PitchUnits::Ratio : PitchUnits::Semitones; }

}  // namespace

std::string CutText(const std::string& text, size_t bytes) {
  if (text.size() <= bytes) return text;
  size_t end = bytes;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

ProjectSettingsForm::ProjectSettingsForm(const ProjectSettingsRequest& request)
    : title(request.title),
      artist(request.artist),
      album(request.album),
      year(request.year.substr(0, kYearChars)),
      description(request.description),
      genre(request.genre >= 0 && request.genre < kGenreCount ? request.genre : 0),
      timeSignature(request.timeSignature == 0 || request.timeSignature == 1 ? request.timeSignature : 2),
      levels_{{LevelValue::FromGain(request.masterGainLeft), LevelValue::FromGain(request.masterGainRight)},
              request.lock != 0},
      tempo_(request.tempo),
      units_(LevelUnitsOf(request.units)),
      pitchUnits_(PitchUnitsOf(request.pitchUnits)) {
  pitch_.semitones = request.pitch;
  pitch_.kind = PitchValue::kSemitones;
}

int ProjectSettingsForm::TempoSlider() const {
  return static_cast<int>(ClampToRange(tempo_, kMinTempo, kMaxTempo));
}

void ProjectSettingsForm::OnPitchTyped(const std::string& text) { pitch_.SetTyped(text, pitchUnits_); }

void ProjectSettingsForm::OnTempoTyped(const std::string& text) {
  tempo_ = ClampToRange(ParseFloat(text), kMinTempo, kMaxTempo);
}

void ProjectSettingsForm::OnPitchScroll(SliderAction code, int thumb) {
  const std::optional<int> position = StepTo(PitchSlider(), code, thumb, 0, kPitchSliderMax);
  if (position) pitch_.SetFromSlider(*position);
}

void ProjectSettingsForm::OnTempoScroll(SliderAction code, int thumb) {
  const std::optional<int> position = StepTo(TempoSlider(), code, thumb, kMinTempo, kMaxTempo);
  if (position) tempo_ = static_cast<float>(*position);
}

void ProjectSettingsForm::OnUnits(int selection) { units_ = selection == 1 ? LevelUnits::Percent : LevelUnits::Decibel; }

void ProjectSettingsForm::OnPitchUnits(int selection) {
  pitchUnits_ = selection == 1 ? PitchUnits::Ratio : PitchUnits::Semitones;
}

ProjectSettingsRequest::Result ProjectSettingsForm::Result() const {
  ProjectSettingsRequest::Result result;
  result.title = CutText(title, kTagBytes);
  result.artist = CutText(artist, kTagBytes);
  result.album = CutText(album, kTagBytes);
  result.year = CutText(year, kYearChars);
  result.description = CutText(description, kDescriptionBytes);
  result.genre = genre;
  result.masterGainLeft = levels_.channels[kLeft].Gain();
  result.masterGainRight = levels_.channels[kRight].Gain();
  result.pitch = ClampToRange(pitch_.Semitones(), -kMaxPitchSemitones, kMaxPitchSemitones);
  result.tempo = tempo_;
  result.timeSignature = timeSignature;
  result.lock = levels_.lock ? 1 : 0;
  result.units = static_cast<int32_t>(units_);
  result.pitchUnits = static_cast<int32_t>(pitchUnits_);
  return result;
}

}  // namespace forms
