#include "ProConfig.h"

#include <cstring>

#include "ByteFields.h"

namespace {

constexpr uint8_t kMagic[8] = {'Q', 'R', 'V', 'K', 'N', 0, 0, 0};
constexpr TrackColorSet kDefaultColors{0xB4B4B4, 0xFF8000, 0x000000, 0x00F0F0};

constexpr QualityPreset kPresets[5] = {
    {1, 0.0f, 0.0f}, {1, 0.08f, 0.05f}, {1, 0.15f, 0.10f}, {2, 0.08f, 0.05f}, {2, 0.13f, 0.08f},
};

}  // namespace

std::string ProConfig::GetAudioFolder() const {
  return std::string(audioFolder.data(), strnlen(audioFolder.data(), kAudioFolderChars));
}

bool ProConfig::SetAudioFolder(const std::string& folder) {
  if (folder.size() > kAudioFolderChars) return false;
  audioFolder.fill(0);
  std::memcpy(audioFolder.data(), folder.data(), folder.size());
  return true;
}

void ProConfig::ApplyFirstStartDefaults(const std::string& folder, int32_t device) {
  SetAudioFolder(folder);
  outputDevice = device;
  timeDisplay = 2;
  extendPlaybackFrames = 0;
  snapToGrid = 1;
  editorUsesProjectSettings = 0;
  followWaveform = 0;
  internalLogging = 0;
  qualityLevel = 2;
  bufferFrames = 32768;
  colorSets.fill(kDefaultColors);
  useTrackColors = 1;
  showEmptyLoopBankNotice = 1;
  showEmptyEditorNotice = 1;
  metronomeOn = 1;
  metronomeClickOnly = 1;
  metronomeAccent = 1;
  metronomeVolume = 10;
}

namespace {

// The record's 32-bit fields and where they are stored.
struct IntField {
  size_t offset;
  int32_t ProConfig::*field;
};
constexpr IntField kIntFields[] = {
    {ProConfig::kOffTimeDisplay, &ProConfig::timeDisplay},
    {ProConfig::kOffOutputDevice, &ProConfig::outputDevice},
    {ProConfig::kOffExtendPlayback, &ProConfig::extendPlaybackFrames},
    {ProConfig::kOffSnapToGrid, &ProConfig::snapToGrid},
    {ProConfig::kOffEditorUsesProject, &ProConfig::editorUsesProjectSettings},
    {ProConfig::kOffFollowWaveform, &ProConfig::followWaveform},
    {ProConfig::kOffInternalLogging, &ProConfig::internalLogging},
    {ProConfig::kOffQualityLevel, &ProConfig::qualityLevel},
    {ProConfig::kOffBufferFrames, &ProConfig::bufferFrames},
    {ProConfig::kOffUseTrackColors, &ProConfig::useTrackColors},
    {ProConfig::kOffShowEmptyLoopBank, &ProConfig::showEmptyLoopBankNotice},
    {ProConfig::kOffShowEmptyEditor, &ProConfig::showEmptyEditorNotice},
    {ProConfig::kOffReserved2, &ProConfig::reserved2},
    {ProConfig::kOffReserved3, &ProConfig::reserved3},
    {ProConfig::kOffMetronomeOn, &ProConfig::metronomeOn},
    {ProConfig::kOffMetronomeClickOnly, &ProConfig::metronomeClickOnly},
    {ProConfig::kOffMetronomeAccent, &ProConfig::metronomeAccent},
    {ProConfig::kOffMetronomeVolume, &ProConfig::metronomeVolume},
};

}  // namespace

void ProConfig::Serialize(uint8_t out[kBytes]) const {
  std::memset(out, 0, kBytes);
  std::memcpy(out + kOffMagic, kMagic, sizeof kMagic);
  std::memcpy(out + kOffReserved, reserved.data(), reserved.size());
  std::memcpy(out + kOffAudioFolder, audioFolder.data(), audioFolder.size());
  for (const IntField& f : kIntFields) bytes::PutI32(out + f.offset, this->*f.field);
  for (int i = 0; i < kColorSets; ++i) bytes::Put(out + kOffColorSets + 16 * i, colorSets[i]);
}

void ProConfig::Parse(const uint8_t* in, size_t count) {
  // Start from the record as it stands so that missing bytes keep their value.
  uint8_t image[kBytes];
  Serialize(image);
  std::memcpy(image + kOffMagic, magic.data(), magic.size());
  std::memcpy(image, in, count < kBytes ? count : kBytes);

  std::memcpy(magic.data(), image + kOffMagic, magic.size());
  std::memcpy(reserved.data(), image + kOffReserved, reserved.size());
  std::memcpy(audioFolder.data(), image + kOffAudioFolder, audioFolder.size());
  audioFolder[kAudioFolderBytes - 1] = 0;
  for (const IntField& f : kIntFields) this->*f.field = bytes::GetI32(image + f.offset);
  for (int i = 0; i < kColorSets; ++i) bytes::Get(image + kOffColorSets + 16 * i, &colorSets[i]);
}

bool GetQualityPreset(int level, QualityPreset* out) {
  if (level < 1 || level > 5) return false;
  *out = kPresets[level - 1];
  return true;
}
