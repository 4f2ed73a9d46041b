#include "TrackTimeForms.h"

#include <algorithm>

#include "Generic.h"

namespace forms {

namespace {
constexpr uint32_t kFramesPerSecond = 44100;
constexpr float kFallbackTempo = 120.0f;
}  // namespace

TimeField::TimeField(int32_t units, uint32_t frames, float projectTempo, int32_t beatsPerBarChoice)
    : units_(units == kTempo ? kTempo : kStandard),
      frames_(frames),
      // A tempo of 0 would divide by it: the display's own default stands in.
      tempo_(projectTempo > 0.0f ? projectTempo : kFallbackTempo),
      beatsPerBarChoice_(beatsPerBarChoice) {}

std::string TimeField::Text() const {
  if (!typed_.empty()) return typed_;
  char text[64];
  if (units_ == kTempo) {
    FormatSamplesAsTempoTime(frames_, kFramesPerSecond, tempo_, beatsPerBarChoice_, text);
  } else {
    FormatSamplesAsTime(frames_, kFramesPerSecond, text);
  }
  return text;
}

void TimeField::SetTyped(const std::string& text) {
  const std::string read = text.substr(0, kMaxText);
  typed_.clear();
  if (units_ == kTempo) {
    ParseTempoTimeToSamples(read.c_str(), beatsPerBarChoice_, tempo_, kFramesPerSecond, &frames_);
    return;
  }
  char normalised[64];
  NormalizeTimeString(read.c_str(), normalised);
  ParseTimeToSamples(normalised, kFramesPerSecond, &frames_);
  typed_ = normalised;
}

void TimeField::SetUnitsIndex(int index) {
  units_ = index == 1 ? kTempo : kStandard;
  typed_.clear();
}

CreateTrackSnippetForm::CreateTrackSnippetForm(const CreateTrackSnippetRequest& request)
    : start(TimeField::kStandard, 0, request.projectTempo, request.beatsPerBarChoice) {}

CreateTrackSnippetRequest::Result CreateTrackSnippetForm::Accept() const {
  return {std::clamp(target, 0, kTracks - 1), start.Frames()};
}

ShiftTracksForm::ShiftTracksForm(const ShiftTracksRequest& request)
    : start(request.timeUnits, request.newStart, request.projectTempo, request.beatsPerBarChoice) {}

ShiftTracksRequest::Result ShiftTracksForm::Accept() const {
  ShiftTracksRequest::Result result;
  result.newStart = start.Frames();
  result.timeUnits = start.Units();
  for (int t = 0; t < kTracks; ++t) result.tracks[static_cast<size_t>(t)] = tracks[static_cast<size_t>(t)] ? 1 : 0;
  return result;
}

}  // namespace forms
