// The program's settings record, held whole by the application and stored
// whole in "qvk.cfg" in the program folder: 1264 bytes, little-endian, written
// and read field by field at fixed offsets (never a struct written whole).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "TrackColorSet.h"

struct ProConfig {
  static constexpr size_t kBytes = 1264;
  static constexpr size_t kAudioFolderBytes = 264;  // NUL-terminated, at most 260 characters
  static constexpr size_t kAudioFolderChars = 260;
  static constexpr int kColorSets = 57;  // 0..23 tracks, 24 independent audio, 25..56 loops 0..31
  static constexpr int kIndependentColorSet = 24;
  static constexpr int kFirstLoopColorSet = 25;

  // Offsets of the stored record.
  static constexpr size_t kOffMagic = 0;
  static constexpr size_t kOffReserved = 8;
  static constexpr size_t kOffAudioFolder = 16;
  static constexpr size_t kOffTimeDisplay = 280;
  static constexpr size_t kOffOutputDevice = 284;
  static constexpr size_t kOffExtendPlayback = 288;
  static constexpr size_t kOffSnapToGrid = 292;
  static constexpr size_t kOffEditorUsesProject = 296;
  static constexpr size_t kOffFollowWaveform = 300;
  static constexpr size_t kOffInternalLogging = 304;
  static constexpr size_t kOffQualityLevel = 308;
  static constexpr size_t kOffBufferFrames = 312;
  static constexpr size_t kOffColorSets = 316;
  static constexpr size_t kOffUseTrackColors = 1228;
  static constexpr size_t kOffShowEmptyLoopBank = 1232;
  static constexpr size_t kOffShowEmptyEditor = 1236;
  static constexpr size_t kOffReserved2 = 1240;
  static constexpr size_t kOffReserved3 = 1244;
  static constexpr size_t kOffMetronomeOn = 1248;
  static constexpr size_t kOffMetronomeClickOnly = 1252;
  static constexpr size_t kOffMetronomeAccent = 1256;
  static constexpr size_t kOffMetronomeVolume = 1260;

  std::array<uint8_t, 8> magic{};
  std::array<uint8_t, 8> reserved{};
  std::array<char, kAudioFolderBytes> audioFolder{};
  int32_t timeDisplay = 0;
  int32_t outputDevice = 0;
  int32_t extendPlaybackFrames = 0;
  int32_t snapToGrid = 0;
  int32_t editorUsesProjectSettings = 0;
  int32_t followWaveform = 0;
  int32_t internalLogging = 0;
  int32_t qualityLevel = 0;
  int32_t bufferFrames = 0;
  std::array<TrackColorSet, kColorSets> colorSets{};
  int32_t useTrackColors = 0;
  int32_t showEmptyLoopBankNotice = 0;
  int32_t showEmptyEditorNotice = 0;
  int32_t reserved2 = 0;
  int32_t reserved3 = 0;
  int32_t metronomeOn = 0;
  int32_t metronomeClickOnly = 0;
  int32_t metronomeAccent = 0;
  int32_t metronomeVolume = 0;

  std::string GetAudioFolder() const;
  // false, and the record as it was, for a folder longer than 260 bytes:
  // a cut would name another folder.
  bool SetAudioFolder(const std::string& folder);

  // The first-start defaults; fields the defaults do not name keep their value.
  void ApplyFirstStartDefaults(const std::string& folder, int32_t device);

  void Serialize(uint8_t out[kBytes]) const;
  // Reads the bytes given (the rest of the record stays as it was), so a short
  // file leaves its bytes in the record as the program has always done.
  void Parse(const uint8_t* in, size_t bytes);
};

// The tempo/pitch quality presets: level 1..5 to the processors' best-fit settings.
struct QualityPreset {
  int32_t skip;
  float shave;
  float correlationLimit;
};
// false for a level outside 1..5.
bool GetQualityPreset(int level, QualityPreset* out);
