// "Project Settings": the project's tags, master levels, tempo, pitch and time
// signature as the dialog holds them while it is open.
#pragma once

#include <array>
#include <string>

#include "DialogValues.h"
#include "requests/SettingsRequests.h"

namespace forms {

class ProjectSettingsForm : public LevelsAndPitch {
 public:
  static constexpr int kLeft = 0;
  static constexpr int kRight = 1;
  static constexpr int kMinTempo = 50;
  static constexpr int kMaxTempo = 250;
  static constexpr size_t kTagBytes = 254;
  static constexpr size_t kYearChars = 4;
  static constexpr size_t kDescriptionBytes = 4094;
  static constexpr std::array<const char*, 3> kTimeSignatures = {"4/4", "3/4", "None"};

  explicit ProjectSettingsForm(const ProjectSettingsRequest& request);

  // The edits' texts, as typed.
  std::string title, artist, album, year, description;
  int genre = 0;
  int timeSignature = 0;  // the combo's selection

  std::string TempoText() const { return FormatFloat(tempo_, 2); }
  int TempoSlider() const;

  // An edit that lost the focus.
  void OnTempoTyped(const std::string& text);
  // A slider moved (line, page, thumb).
  void OnTempoScroll(SliderAction code, int thumb);

  // What OK hands back: the texts cut to their fields, the year to four characters.
  ProjectSettingsRequest::Result Result() const;

 private:
  float tempo_ = 120.0f;
};

// Cut to at most bytes bytes, never inside a UTF-8 character.
std::string CutText(const std::string& text, size_t bytes);

}  // namespace forms
