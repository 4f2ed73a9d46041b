// "Audio Track Properties": a track's volumes, pitch, type and description as
// the dialog holds them while it is open.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "DialogValues.h"
#include "requests/SettingsRequests.h"

namespace forms {

class TrackPropertiesForm : public LevelsAndPitch {
 public:
  static constexpr size_t kDescriptionBytes = 254;
  static constexpr const char* kExtendedRefused =
      "Sorry, cannot change audio track type while track contains audio.\n\nYou can convert the loop data to and "
      "extended track by clicking the 'Convert to Extended' button.";
  static constexpr const char* kLoopBasedRefused = "Sorry, cannot change audio track type while track contains audio.";

  explicit TrackPropertiesForm(const TrackPropertiesRequest& request);

  std::string description;

  std::string Caption() const;
  bool Extended() const { return trackType_ == 0; }
  bool ConvertEnabled() const { return trackType_ == 1 && holdsSnippets_; }

  // A type radio clicked: a track holding snippets keeps its type, and the text says why.
  std::optional<std::string> OnTypeClicked(bool extended);
  // After "Convert to Extended": the type the track has now.
  void OnConverted(int32_t trackType) { trackType_ = trackType; }

  TrackPropertiesRequest::Result Result() const;

 private:
  int32_t trackIndex_ = 0;
  int32_t trackType_ = 0;
  bool holdsSnippets_ = false;
};

}  // namespace forms
