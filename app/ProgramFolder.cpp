#include "ProgramFolder.h"

#include <filesystem>
#include <system_error>

#include "Folders.h"

CProgramFolder::CProgramFolder() : path_(platform::ProgramFolder()) {
  namespace fs = std::filesystem;
  platform::CreateFolder(path_);
  const fs::path shipped = platform::InstalledDataFolder();
  std::error_code error;
  if (!fs::is_directory(shipped, error) || fs::equivalent(shipped, path_, error)) return;
  for (fs::recursive_directory_iterator it(shipped, error), end; !error && it != end; it.increment(error)) {
    if (!it->is_regular_file(error)) continue;
    const fs::path target = fs::path(path_) / fs::relative(it->path(), shipped, error);
    if (error || fs::exists(target, error)) continue;
    fs::create_directories(target.parent_path(), error);
    // A copy that fails leaves the program without that file, which its reader reports.
    fs::copy_file(it->path(), target, error);
    error.clear();
  }
}
