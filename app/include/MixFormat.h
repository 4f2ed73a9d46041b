// The older program's ".mix" projects ("QRVZ30", "QRVZ32", "QRVZ33"): a
// 5,892-byte header with 8 track records; each track's audio is a headerless
// stereo file "track<t>.pcm" in the folder the header names.
//
// Plain functions on plain records: ParseMixProject checks the header, and
// FindMixTrackFiles finds the audio before the open project is given up.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ProjectFiles.h"

namespace mix {
constexpr size_t kHeaderBytes = 5892;
constexpr int kTracks = 8;
constexpr size_t kOffFolder = 7;
constexpr size_t kFolderBytes = 262;  // up to offset 268
constexpr size_t kOffDescription = 269;
constexpr size_t kDescriptionBytes = 1024;
constexpr size_t kOffMasterVolume = 1293;  // "QRVZ33": left
constexpr size_t kOffMasterVolumeRight = 1294;
constexpr size_t kOffTracks = 1296;
constexpr size_t kTrackRecordBytes = 572;
constexpr size_t kOffMetronomeOn = 5876;
constexpr size_t kOffMetronomePattern = 5880;
constexpr size_t kOffMetronomeClickOnly = 5881;
constexpr size_t kOffMetronomeAccent = 5884;
constexpr size_t kOffTempo = 5888;
constexpr size_t kOffMetronomeLevel = 5890;

// Track record offsets.
constexpr size_t kTrackDescriptionBytes = 512;
constexpr size_t kTrackOffVolume = 512;  // "QRVZ30", both channels
constexpr size_t kTrackOffVolumeLeft = 513;
constexpr size_t kTrackOffVolumeRight = 514;
constexpr size_t kTrackOffArmed = 520;
constexpr size_t kTrackOffSolo = 524;
constexpr size_t kTrackOffMute = 528;
constexpr size_t kTrackOffTrackerStart = 532;  // bytes of stereo 16-bit audio: frames x 4
constexpr size_t kTrackOffTrackerEnd = 536;
constexpr size_t kTrackOffAudioBytes = 548;
constexpr size_t kTrackOffMarkerStart = 564;
constexpr size_t kTrackOffMarkerEnd = 568;
constexpr int kBytesPerFrame = 4;
}  // namespace mix

struct MixTrackRecord {
  std::string description;
  int8_t volumeLeft = 10, volumeRight = 10;  // dB below +10
  int32_t armed = 0, solo = 0, mute = 0;
  int32_t trackerStart = 0, trackerEnd = 0;  // bytes
  int32_t audioBytes = 0;                    // 0: no audio
  int32_t markerStart = -1, markerEnd = -1;  // bytes; negative: not set
};

struct MixProject {
  ProjectFileType type = ProjectFileQrvz30;
  std::string folder;  // of the track audio files, as stored (a path of the older program's system)
  std::string description;
  int8_t masterVolumeLeft = 10, masterVolumeRight = 10;
  std::array<MixTrackRecord, mix::kTracks> tracks;
  int32_t metronomeOn = 0;
  uint8_t metronomePattern = 1;
  uint8_t metronomeClickOnly = 0;
  int32_t metronomeAccent = 0;
  int16_t tempo = 120;
  uint8_t metronomeLevel = 10;
  std::array<std::string, mix::kTracks> trackFiles;  // found by FindMixTrackFiles
};

// false with *problem when the header cannot be used. More than four armed
// tracks are disarmed.
bool ParseMixProject(const uint8_t* data, size_t size, ProjectFileType type, MixProject* out, std::string* problem);

// The file of each track with audio: "track<t>.pcm" in the stored folder,
// else in the ".mix" file's own folder (in any letter case). The names of
// files found nowhere go to *missing.
void FindMixTrackFiles(const std::string& mixPath, MixProject* project, std::vector<std::string>* missing);

// A stored volume: v dB of attenuation below +10 dB, as a gain factor.
float MixVolumeGain(int8_t volume);
