// Which audio folders the program takes, and the messages that refuse the others.
// The same rule holds at the first start, in Application Settings and when
// start-up asks again for a folder it can use.
#pragma once

#include <cstddef>
#include <string>

// The longest audio folder taken, in bytes. The configuration keeps 260 bytes
// of it, and a project file 260 bytes of every audio path, of which
// "/qvk_data/QRVD_<14 digits>_<up to 10 digits>.pcm" takes 44. A longer folder
// is refused, never cut: a cut names another folder, perhaps mid-character.
constexpr size_t kMaxAudioFolderBytes = 260 - 44;

enum class FolderCheck {
  Accepted,
  NotUsable,  // empty, or cannot be written
  TooLong,    // more than kMaxAudioFolderBytes
};

FolderCheck CheckAudioFolder(const std::string& folder);
// The length alone: for a folder not made yet.
FolderCheck CheckAudioFolderLength(const std::string& folder);

std::string InvalidFolderText(const std::string& folder);
// Shows the folder's start and end only: it is too long for one line.
std::string TooLongFolderText(const std::string& folder);
// The message for a folder CheckAudioFolder did not accept.
std::string FolderRefusalText(const std::string& folder, FolderCheck check);
