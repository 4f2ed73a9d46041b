// Requests of the imports, exports and mixdowns: where a snippet made from the
// Audio Editor's audio goes and the quality of a WAV file to be written.
#pragma once

#include <array>
#include <cstdint>

// "Create Track Snippet": the target track and where the snippet starts.
struct CreateTrackSnippetRequest {
  static constexpr const char* kKind = "CCreateTrackSnippet";
  float projectTempo = 120.0f;    // for start times typed in Tempo units
  int32_t beatsPerBarChoice = 0;  // 1 three beats to the bar, else four
  struct Result {
    int32_t targetTrack = 0;  // 0..23
    uint32_t startFrame = 0;
  };
};

// "Mixdown to Track" asks MixdownDialogRequest (EditRequests.h), with nothing ticked.

// "Wave Quality": the format of a WAV file to be written, offered as the
// audio's own so that an unchanged answer writes it as it is.
struct WaveQualityRequest {
  static constexpr const char* kKind = "CWaveDialog";
  int32_t channels = 2;             // 1 or 2
  int32_t samplesPerSecond = 44100;
  int32_t bitsPerSample = 16;       // 8 or 16
  struct Result {
    int32_t channels = 2;
    int32_t samplesPerSecond = 44100;
    int32_t bitsPerSample = 16;
  };
};
