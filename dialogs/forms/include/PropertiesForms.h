// "Loop Properties" and "Audio Snippet Properties": what they show of a loop
// or a snippet, the measures spin and the typed tempo, and what OK hands back.
#pragma once

#include <cstdint>
#include <string>

#include "requests/TrackViewRequests.h"

namespace forms {

class LoopPropertiesForm {
 public:
  static constexpr int kMinMeasures = 1;
  static constexpr int kMaxMeasures = 16;
  static constexpr const char* kLoopInUse =
      "This loop currently exists as part of the project.  Cannot change 'measure' setting while loop is in use.";

  explicit LoopPropertiesForm(const LoopPropertiesRequest& request);

  std::string NumberText() const { return std::to_string(number_ + 1); }
  std::string MeasuresText() const { return std::to_string(measures); }
  std::string TempoText() const;
  std::string LengthText() const;
  const std::string& AudioFile() const { return audioFile_; }

  // The spin moved to position: a loop the project plays keeps its measures
  // (false, with the refusal's text); else the measures follow and the tempo
  // becomes the one at which that many 4/4 measures last the loop's length,
  // unless that tempo passes 250 BPM (false, with the refusal's text).
  bool SetMeasures(int position, std::string* refusal);

  std::string title;
  int measures = 1;
  float tempo = 0.0f;

  LoopPropertiesRequest::Result Accept() const { return {title, measures, tempo}; }

 private:
  int32_t number_;
  uint32_t lengthFrames_;
  bool inUse_;
  std::string audioFile_;
};

class SnippetPropertiesForm {
 public:
  static constexpr float kMinTempo = 50.0f;
  static constexpr float kMaxTempo = 250.0f;
  static constexpr size_t kMaxTempoText = 63;

  explicit SnippetPropertiesForm(const SnippetPropertiesRequest& request);

  // "Extended Audio", or "Loop Audio - #n" for a loop's snippet.
  std::string TypeText() const;
  std::string TempoText() const;
  std::string IdentifierText() const { return std::to_string(identifier_); }
  const std::string& AudioFile() const { return audioFile_; }
  // A loop snippet plays at its loop's tempo: the edit is read-only.
  bool TempoReadOnly() const { return loopSnippet_; }

  // Typed tempo, clamped to 50..250 and held to the two decimals shown; text
  // that holds no number keeps the tempo it had.
  void SetTypedTempo(const std::string& text);

  float tempo = 0.0f;

  SnippetPropertiesRequest::Result Accept() const { return {tempo}; }

 private:
  bool loopSnippet_;
  int32_t loopNumber_;
  uint32_t identifier_;
  std::string audioFile_;
};

}  // namespace forms
