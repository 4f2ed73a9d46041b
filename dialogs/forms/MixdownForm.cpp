#include "MixdownForm.h"

#include <algorithm>

namespace forms {

MixdownForm::MixdownForm(const MixdownDialogRequest& request) {
  for (int t = 0; t < kTracks; ++t) sources[t] = request.sourceTracks[t] != 0;
}

std::optional<MixdownDialogRequest::Result> MixdownForm::Accept(std::string* refusal) const {
  if (std::none_of(sources.begin(), sources.end(), [](bool ticked) { return ticked; })) {
    *refusal = kNothingTicked;
    return std::nullopt;
  }
  MixdownDialogRequest::Result result;
  for (int t = 0; t < kTracks; ++t) result.sourceTracks[t] = sources[t] ? 1 : 0;
  result.targetTrack = static_cast<int16_t>(std::clamp(target, 0, kTracks - 1));
  return result;
}

}  // namespace forms
