// Requests of the settings dialogs: the project's settings, the program's
// settings, the colours, the metronome and a track's properties. Each dialog
// shows what the request carries and answers with its Result on OK (nothing
// on Cancel); the core applies the answer. The dialogs' own choices (units,
// lock) travel both ways, so they are kept between runs.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "TrackColorSet.h"

// "Project Settings".
struct ProjectSettingsRequest {
  static constexpr const char* kKind = "CProjectPropertiesDialog";
  static constexpr int kGenres = 148;
  std::string title, artist, album, year, description;
  int32_t genre = 0;  // 0..147, the genre list's code
  float masterGainLeft = 1.0f, masterGainRight = 1.0f;  // 1.0 = unity
  float pitch = 0.0f;   // semitones
  float tempo = 120.0f; // beats per minute
  int32_t timeSignature = 0;  // 0 "4/4", 1 "3/4", 2 "None"
  int32_t lock = 1;           // left and right levels move together
  int32_t units = 1;          // 1 Decibel, 2 Percentage
  int32_t pitchUnits = 1;     // 1 Semitones, 2 Ratio
  struct Result {
    std::string title, artist, album, year, description;
    int32_t genre = 0;
    float masterGainLeft = 1.0f, masterGainRight = 1.0f;
    float pitch = 0.0f;  // semitones, -12..+12
    float tempo = 120.0f; // 50..250
    int32_t timeSignature = 0;
    int32_t lock = 1, units = 1, pitchUnits = 1;
  };
};

// "Application Settings".
struct AppSettingsRequest {
  static constexpr const char* kKind = "CProSettingsDialog";
  static constexpr int32_t kBufferUnitFrames = 8192;
  std::string audioPath;
  std::vector<std::string> outputDevices;  // the device object's outputs, in order
  int32_t outputDevice = 0;
  int32_t timeDisplay = 2;    // 1 Standard, 2 Tempo
  int32_t snapToGrid = 0;
  int32_t followWaveform = 1;
  int32_t editorUsesProjectSettings = 0;
  int32_t qualityLevel = 2;   // 1..5
  int32_t bufferFrames = 8192;
  int32_t extendPlaybackSeconds = 0;  // 0..10
  int32_t unlimitedUndo = 0;
  int32_t undoLevels = 10;    // 0..20
  struct Result {
    std::string audioPath;
    int32_t outputDevice = 0;
    int32_t timeDisplay = 2;
    int32_t snapToGrid = 0;
    int32_t followWaveform = 1;
    int32_t editorUsesProjectSettings = 0;
    int32_t qualityLevel = 2;
    int32_t bufferLevel = 1;  // 1..8, in units of 8192 frames
    int32_t extendPlaybackSeconds = 0;
    int32_t unlimitedUndo = 0;
    int32_t undoLevels = 10;
  };
};

// "Color Settings". Each colour shows as it is chosen: the dialog hands the
// whole state to apply after every choice. OK answers with it; Cancel answers
// nothing, and the colours the dialog was given come back.
struct ColorSettingsRequest {
  static constexpr const char* kKind = "CColorSettingsDialog";
  static constexpr int kTracks = 24;
  static constexpr int kLoops = 32;
  std::array<TrackColorSet, kTracks> trackColors{};
  std::array<TrackColorSet, kLoops> loopColors{};  // by loop number
  TrackColorSet editorColors{};                    // independent audio
  int32_t useTrackColors = 0;                      // the editor shows its track's or loop's colours
  struct Result {
    std::array<TrackColorSet, kTracks> trackColors{};
    std::array<TrackColorSet, kLoops> loopColors{};
    TrackColorSet editorColors{};
    int32_t useTrackColors = 0;
  };
  std::function<void(const Result&)> apply;
};

// "Metronome Settings": the metronome's parameters, BPM kept as it is.
struct MetronomeSettingsRequest {
  static constexpr const char* kKind = "CMetronomeDialog";
  int32_t on = 0;
  int32_t pattern = 1;
  int32_t clickOnly = 0;
  int32_t accent = 0;
  float bpm = 120.0f;
  int32_t level = 10;  // 0..60; 10 is the recorded amplitude
  struct Result {
    int32_t on = 0;
    int32_t pattern = 1;
    int32_t clickOnly = 0;
    int32_t accent = 0;
    float bpm = 120.0f;
    int32_t level = 10;
  };
};

// "Audio Track Properties". The input and the recording channels apply as they
// are chosen (Cancel keeps them), and so does "Convert to Extended": the
// dialog calls back for them. The rest applies on OK.
struct TrackPropertiesRequest {
  static constexpr const char* kKind = "CAudioTrackPropertiesDialog";
  int32_t trackIndex = 0;                 // 0..23
  std::vector<std::string> inputDevices;  // the device object's inputs, in order
  int32_t input = 0;
  int32_t recordChannels = 2;  // 1 or 2
  int32_t trackType = 0;       // 0 extended, 1 loop based
  bool holdsSnippets = false;
  std::string description;
  float gainLeft = 1.0f, gainRight = 1.0f;
  float pitch = 0.0f;  // semitones
  int32_t lock = 1;
  int32_t units = 2;       // 1 Decibel, 2 Percentage
  int32_t pitchUnits = 1;  // 1 Semitones, 2 Ratio
  std::function<void(int32_t)> setInput;
  std::function<void(int32_t)> setRecordChannels;
  // Converts the loop-based track to an extended one; its type afterwards.
  // Empty: the button stays disabled.
  std::function<int32_t()> convertToExtended;
  struct Result {
    int32_t trackType = 0;
    std::string description;
    float gainLeft = 1.0f, gainRight = 1.0f;
    float pitch = 0.0f;
    int32_t lock = 1, units = 2, pitchUnits = 1;
  };
};
