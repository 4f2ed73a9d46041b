#include "ProjectSettingsForm.h"

#include "Genres.h"

namespace forms {
namespace {

LevelUnits LevelUnitsOf(int32_t units) { return units == 2 ? LevelUnits::Percent : LevelUnits::Decibel; }

}  // namespace

std::string CutText(const std::string& text, size_t bytes) {
  if (text.size() <= bytes) return text;
  size_t end = bytes;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

ProjectSettingsForm::ProjectSettingsForm(const ProjectSettingsRequest& request)
    : LevelsAndPitch(request.masterGainLeft, request.masterGainRight, request.lock != 0, LevelUnitsOf(request.units),
                     request.pitch, PitchUnitsOf(request.pitchUnits)),
      title(request.title),
      artist(request.artist),
      album(request.album),
      year(request.year.substr(0, kYearChars)),
      description(request.description),
      genre(request.genre >= 0 && request.genre < kGenreCount ? request.genre : 0),
      timeSignature(request.timeSignature == 0 || request.timeSignature == 1 ? request.timeSignature : 2),
      tempo_(request.tempo) {}

int ProjectSettingsForm::TempoSlider() const {
  return static_cast<int>(ClampToRange(tempo_, kMinTempo, kMaxTempo));
}

void ProjectSettingsForm::OnTempoTyped(const std::string& text) {
  tempo_ = ClampToRange(ParseFloat(text), kMinTempo, kMaxTempo);
}

void ProjectSettingsForm::OnTempoScroll(SliderAction code, int thumb) {
  const std::optional<int> position = StepTo(TempoSlider(), code, thumb, kMinTempo, kMaxTempo);
  if (position) tempo_ = static_cast<float>(*position);
}

ProjectSettingsRequest::Result ProjectSettingsForm::Result() const {
  ProjectSettingsRequest::Result result;
  result.title = CutText(title, kTagBytes);
  result.artist = CutText(artist, kTagBytes);
  result.album = CutText(album, kTagBytes);
  result.year = CutText(year, kYearChars);
  result.description = CutText(description, kDescriptionBytes);
  result.genre = genre;
  result.masterGainLeft = Gain(kLeft);
  result.masterGainRight = Gain(kRight);
  result.pitch = ResultPitch();
  result.tempo = tempo_;
  result.timeSignature = timeSignature;
  result.lock = ResultLock();
  result.units = ResultUnits();
  result.pitchUnits = ResultPitchUnits();
  return result;
}

}  // namespace forms
