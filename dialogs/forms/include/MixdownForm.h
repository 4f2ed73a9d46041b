// "Mixdown to Track": which tracks are mixed, and the track that takes the mix.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "requests/EditRequests.h"

namespace forms {

class MixdownForm {
 public:
  static constexpr int kTracks = MixdownDialogRequest::kTracks;
  static constexpr const char* kNothingTicked = "No source tracks have been selected.";

  explicit MixdownForm(const MixdownDialogRequest& request);

  std::array<bool, kTracks> sources{};
  int target = 0;  // the combo's selection

  void CheckAll() { sources.fill(true); }
  void ClearAll() { sources.fill(false); }
  // OK: the answer, or the refusal's text when no track is ticked (the dialog stays open).
  std::optional<MixdownDialogRequest::Result> Accept(std::string* refusal) const;
};

}  // namespace forms
