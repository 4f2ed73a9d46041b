#include "AudioFolder.h"

#include "FileReplace.h"
#include "Generic.h"

namespace {

// A folder this long has no place to break in a box: its start and its end
// are shown, on whole characters, and its length is said.
constexpr size_t kShownHeadBytes = 60;
constexpr size_t kShownTailBytes = 40;

std::string Shortened(const std::string& folder) {
  if (folder.size() <= kShownHeadBytes + kShownTailBytes) return folder;
  size_t tail = folder.size() - kShownTailBytes;
  while (tail < folder.size() && (static_cast<unsigned char>(folder[tail]) & 0xC0) == 0x80) ++tail;
  return platform::CutAtCharacter(folder, kShownHeadBytes) + "..." + folder.substr(tail);
}

}  // namespace

FolderCheck CheckAudioFolderLength(const std::string& folder) {
  return folder.size() > kMaxAudioFolderBytes ? FolderCheck::TooLong : FolderCheck::Accepted;
}

FolderCheck CheckAudioFolder(const std::string& folder) {
  if (CheckAudioFolderLength(folder) == FolderCheck::TooLong) return FolderCheck::TooLong;
  // An empty name would be taken as the root folder.
  if (folder.empty() || !CanWriteToFolder(folder.c_str())) return FolderCheck::NotUsable;
  return FolderCheck::Accepted;
}

std::string InvalidFolderText(const std::string& folder) {
  return "Error: Audio Path " + folder + " is invalid.  Please choose a new audio directory.";
}

std::string TooLongFolderText(const std::string& folder) {
  return "Error: Audio Path " + Shortened(folder) + " is too long (" + std::to_string(folder.size()) + " bytes, at most " +
         std::to_string(kMaxAudioFolderBytes) + ").  Please choose an audio directory with a shorter path.";
}

std::string FolderRefusalText(const std::string& folder, FolderCheck check) {
  return check == FolderCheck::TooLong ? TooLongFolderText(folder) : InvalidFolderText(folder);
}
