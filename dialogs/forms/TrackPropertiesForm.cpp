#include "TrackPropertiesForm.h"

#include "ProjectSettingsForm.h"

namespace forms {

TrackPropertiesForm::TrackPropertiesForm(const TrackPropertiesRequest& request)
    : description(request.description),
      trackIndex_(request.trackIndex),
      trackType_(request.trackType == 1 ? 1 : 0),
      holdsSnippets_(request.holdsSnippets),
      levels_{{LevelValue::FromGain(request.gainLeft), LevelValue::FromGain(request.gainRight)}, request.lock != 0},
      units_(request.units == 1 ? LevelUnits::Decibel : LevelUnits::Percent),
      pitchUnits_(request.pitchUnits == 2 ? PitchUnits::Ratio : PitchUnits::Semitones) {
  pitch_.semitones = request.pitch;
}

std::string TrackPropertiesForm::Caption() const { return "Properties - Track # " + std::to_string(trackIndex_ + 1); }

void TrackPropertiesForm::OnPitchScroll(SliderAction code, int thumb) {
  const std::optional<int> position = StepTo(PitchSlider(), code, thumb, 0, kPitchSliderMax);
  if (position) pitch_.SetFromSlider(*position);
}

std::optional<std::string> TrackPropertiesForm::OnTypeClicked(bool extended) {
  const int32_t wanted = extended ? 0 : 1;
  if (wanted == trackType_) return std::nullopt;
  if (holdsSnippets_) return std::string(extended ? kExtendedRefused : kLoopBasedRefused);
  trackType_ = wanted;
  return std::nullopt;
}

TrackPropertiesRequest::Result TrackPropertiesForm::Result() const {
  TrackPropertiesRequest::Result result;
  result.trackType = trackType_;
  result.description = CutText(description, kDescriptionBytes);
  result.gainLeft = levels_.channels[0].Gain();
  result.gainRight = levels_.channels[1].Gain();
  result.pitch = ClampToRange(pitch_.Semitones(), -kMaxPitchSemitones, kMaxPitchSemitones);
  result.lock = levels_.lock ? 1 : 0;
  result.units = static_cast<int32_t>(units_);
  result.pitchUnits = static_cast<int32_t>(pitchUnits_);
  return result;
}

}  // namespace forms
