#include "TrackPropertiesForm.h"

#include "ProjectSettingsForm.h"

namespace forms {

// A track's levels show in percent unless its units say dB.
TrackPropertiesForm::TrackPropertiesForm(const TrackPropertiesRequest& request)
    : LevelsAndPitch(request.gainLeft, request.gainRight, request.lock != 0,
                     request.units == 1 ? LevelUnits::Decibel : LevelUnits::Percent, request.pitch,
                     PitchUnitsOf(request.pitchUnits)),
      description(request.description),
      trackIndex_(request.trackIndex),
      trackType_(request.trackType == 1 ? 1 : 0),
      holdsSnippets_(request.holdsSnippets) {}

std::string TrackPropertiesForm::Caption() const { return "Properties - Track # " + std::to_string(trackIndex_ + 1); }

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
  result.gainLeft = Gain(0);
  result.gainRight = Gain(1);
  result.pitch = ResultPitch();
  result.lock = ResultLock();
  result.units = ResultUnits();
  result.pitchUnits = ResultPitchUnits();
  return result;
}

}  // namespace forms
