// Folders, file names and the places the program keeps its files.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Creates the folder and any missing parents; true when it exists afterwards.
bool CreateFolder(const std::string& path);
bool FolderExists(const std::string& path);
bool FileExists(const std::string& path);
bool RemoveFile(const std::string& path);
// Renames, replacing an existing destination in one step (same file system).
bool RenameFile(const std::string& from, const std::string& to);

// The names (not paths) of the plain files in a folder whose names end with
// suffix (any case), sorted; empty when the folder cannot be read.
std::vector<std::string> ListFolder(const std::string& folder, const std::string& suffix = "");

// $TMPDIR, else /tmp.
std::string TemporaryFolder();

// The full path of the running executable; "" when it cannot be had.
std::string ExecutablePath();

// The folder of the program's own files (configuration, presets, metronome
// samples, intro project): $TESSIRO_HOME, else $XDG_DATA_HOME/tessiro, else
// ~/.local/share/tessiro. Not created here.
std::string ProgramFolder();

// The read-only data the program ships: share/tessiro beside the executable's
// bin/, else the build tree's copy.
std::string InstalledDataFolder();

// Where recordings go until the user chooses: $HOME/orvane_audio.
std::string DefaultAudioFolder();

}  // namespace platform
