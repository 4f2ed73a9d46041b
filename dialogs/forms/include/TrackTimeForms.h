// "Create Track Snippet" and "Shift Tracks": a start time typed in Standard
// (minutes, seconds, milliseconds) or Tempo (bars, beats, quarters,
// hundredths at the project's tempo) units, the target track or the tracks
// to shift, and what OK hands back.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "requests/ImportExportRequests.h"
#include "requests/TrackViewRequests.h"

namespace forms {

// A position in frames at 44100 a second, shown and typed in either unit.
class TimeField {
 public:
  static constexpr int32_t kStandard = 1;
  static constexpr int32_t kTempo = 2;
  static constexpr size_t kMaxText = 63;

  TimeField(int32_t units, uint32_t frames, float projectTempo, int32_t beatsPerBarChoice);

  int32_t Units() const { return units_; }
  uint32_t Frames() const { return frames_; }
  // The units combo's entry: 0 Standard, 1 Tempo.
  int UnitsIndex() const { return units_ - 1; }
  std::string Text() const;
  // Standard: the text normalised, shown so and read; Tempo: read at the
  // project's tempo and shown as what was read.
  void SetTyped(const std::string& text);
  void SetUnitsIndex(int index);

 private:
  int32_t units_;
  uint32_t frames_;
  float tempo_;
  int32_t beatsPerBarChoice_;
  std::string typed_;  // the normalised Standard text, until the units change
};

class CreateTrackSnippetForm {
 public:
  static constexpr int kTracks = 24;

  explicit CreateTrackSnippetForm(const CreateTrackSnippetRequest& request);

  int target = 0;  // the combo's selection
  TimeField start;

  CreateTrackSnippetRequest::Result Accept() const;
};

class ShiftTracksForm {
 public:
  static constexpr int kTracks = ShiftTracksRequest::kTracks;

  explicit ShiftTracksForm(const ShiftTracksRequest& request);

  std::array<bool, kTracks> tracks{};  // start cleared
  TimeField start;

  void CheckAll() { tracks.fill(true); }
  void ClearAll() { tracks.fill(false); }
  // Every track unticked is a shift of nothing: the command says so.
  ShiftTracksRequest::Result Accept() const;
};

}  // namespace forms
