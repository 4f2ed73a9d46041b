#include "AudioFolder.h"

#include "Generic.h"

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
  return "Error: Audio Path " + folder + " is too long (" + std::to_string(folder.size()) + " bytes, at most " +
         std::to_string(kMaxAudioFolderBytes) + ").  Please choose an audio directory with a shorter path.";
}

std::string FolderRefusalText(const std::string& folder, FolderCheck check) {
  return check == FolderCheck::TooLong ? TooLongFolderText(folder) : InvalidFolderText(folder);
}
