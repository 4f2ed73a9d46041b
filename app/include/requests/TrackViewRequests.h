// Requests of the Track View's commands and the Loop Bank: the shift of
// tracks, a snippet's properties and a loop's properties. Each dialog shows
// what the request carries and answers with its Result on OK; the core applies
// the answer.
#pragma once

#include <array>
#include <cstdint>
#include <string>

struct ShiftTracksRequest {
  static constexpr const char* kKind = "CShiftTracksDialog";
  static constexpr int kTracks = 24;
  int32_t timeUnits = 1;     // 1 Standard, 2 Tempo; the last run's choice
  uint32_t newStart = 0;     // frames; the last run's choice
  float projectTempo = 120.0f;       // for the Tempo units
  int32_t beatsPerBarChoice = 0;     // 1 three beats to the bar, else four
  struct Result {
    uint32_t newStart = 0;
    int32_t timeUnits = 1;
    std::array<int32_t, kTracks> tracks{};  // 1 = ticked
  };
};

struct SnippetPropertiesRequest {
  static constexpr const char* kKind = "CSnippetPropertiesDialog";
  bool loopSnippet = false;  // the tempo is then shown read-only
  int32_t loopNumber = 0;    // of a loop snippet's loop
  float tempo = 0.0f;        // the source's tempo, beats per minute
  uint32_t identifier = 0;
  std::string audioFile;     // the source segment's raw audio file
  struct Result {
    float tempo = 0.0f;  // 50..250
  };
};

struct LoopPropertiesRequest {
  static constexpr const char* kKind = "CAudioLoopPropertiesDialog";
  int32_t loopNumber = 0;
  std::string title;
  int32_t measures = 1;
  float tempo = 0.0f;        // the loop segment's tempo
  std::string audioFile;
  uint32_t lengthFrames = 0;
  bool inUse = false;        // played by the project: measures and tempo stay as they are
  struct Result {
    std::string title;
    int32_t measures = 1;  // 1..16
    float tempo = 0.0f;
  };
};
