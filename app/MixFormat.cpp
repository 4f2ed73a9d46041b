#include "MixFormat.h"

#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "ByteFields.h"
#include "FileReplace.h"
#include "Folders.h"
#include "Generic.h"

namespace {

// A text that ends at its terminator or at the end of its field.
std::string FieldText(const uint8_t* at, size_t field) {
  const char* text = reinterpret_cast<const char*>(at);
  return TextFromLegacyBytes(text, strnlen(text, field));
}

bool IsRegularFile(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// name in folder, in any letter case (the older program's system ignored it).
std::string FindInFolder(const std::string& folder, const std::string& name) {
  if (IsRegularFile(folder + "/" + name)) return folder + "/" + name;
  for (const std::string& entry : platform::ListFolder(folder)) {
    if (strcasecmp(entry.c_str(), name.c_str()) == 0) return folder + "/" + entry;
  }
  return "";
}

}  // namespace

float MixVolumeGain(int8_t volume) {
  float percent = 100.0f;
  DecibelToPercent(10.0f - static_cast<float>(volume), &percent);
  return percent / 100.0f;
}

bool ParseMixProject(const uint8_t* data, size_t size, ProjectFileType type, MixProject* out, std::string* problem) {
  using namespace mix;
  if (size < kHeaderBytes) {
    if (problem) *problem = "it is shorter than the header of a Quillon project";
    return false;
  }
  *out = MixProject{};
  out->type = type;
  out->folder = FieldText(data + kOffFolder, kFolderBytes);
  out->description = FieldText(data + kOffDescription, kDescriptionBytes);
  out->masterVolumeLeft = static_cast<int8_t>(data[kOffMasterVolume]);
  out->masterVolumeRight =
      static_cast<int8_t>(type == ProjectFileQrvz33 ? data[kOffMasterVolumeRight] : data[kOffMasterVolume]);
  int armed = 0;
  for (int t = 0; t < kTracks; ++t) {
    const uint8_t* at = data + kOffTracks + kTrackRecordBytes * t;
    MixTrackRecord& track = out->tracks[t];
    track.description = FieldText(at, kTrackDescriptionBytes);
    if (type == ProjectFileQrvz30) {
      track.volumeLeft = track.volumeRight = static_cast<int8_t>(at[kTrackOffVolume]);
    } else {
      track.volumeLeft = static_cast<int8_t>(at[kTrackOffVolumeLeft]);
      track.volumeRight = static_cast<int8_t>(at[kTrackOffVolumeRight]);
    }
    track.armed = bytes::GetI32(at + kTrackOffArmed);
    track.solo = bytes::GetI32(at + kTrackOffSolo);
    track.mute = bytes::GetI32(at + kTrackOffMute);
    track.trackerStart = bytes::GetI32(at + kTrackOffTrackerStart);
    track.trackerEnd = bytes::GetI32(at + kTrackOffTrackerEnd);
    track.audioBytes = bytes::GetI32(at + kTrackOffAudioBytes);
    track.markerStart = bytes::GetI32(at + kTrackOffMarkerStart);
    track.markerEnd = bytes::GetI32(at + kTrackOffMarkerEnd);
    if (track.audioBytes < 0) {
      if (problem) *problem = "the audio size of track " + std::to_string(t + 1) + " is negative";
      return false;
    }
    if (track.audioBytes / kBytesPerFrame > qvk::kMaxProjectFrames) {
      if (problem) *problem = "track " + std::to_string(t + 1) + " claims more than 90 minutes of audio";
      return false;
    }
    if (track.armed && ++armed > 4) track.armed = 0;
  }
  out->metronomeOn = bytes::GetI32(data + kOffMetronomeOn);
  out->metronomePattern = data[kOffMetronomePattern];
  out->metronomeClickOnly = data[kOffMetronomeClickOnly];
  out->metronomeAccent = bytes::GetI32(data + kOffMetronomeAccent);
  out->tempo = bytes::GetI16(data + kOffTempo);
  out->metronomeLevel = data[kOffMetronomeLevel];
  return true;
}

void FindMixTrackFiles(const std::string& mixPath, MixProject* project, std::vector<std::string>* missing) {
  // The stored folder is a path of the older program's system; "\" separates its names.
  std::string stored = project->folder;
  std::replace(stored.begin(), stored.end(), '\\', '/');
  const std::string own = platform::FolderOfPath(platform::AbsolutePath(mixPath));
  for (int t = 0; t < mix::kTracks; ++t) {
    project->trackFiles[t].clear();
    if (project->tracks[t].audioBytes == 0) continue;
    const std::string name = "track" + std::to_string(t) + ".pcm";
    std::string found = !stored.empty() && stored[0] == '/' ? FindInFolder(stored, name) : "";
    if (found.empty()) found = FindInFolder(own, name);
    if (found.empty()) missing->push_back(name);
    project->trackFiles[t] = found;
  }
}
