#include "Folders.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <strings.h>

#ifndef TESSIRO_BUILD_DATA_DIR
#define TESSIRO_BUILD_DATA_DIR ""
#endif

namespace platform {
namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string HomeFolder() {
  std::string home = Env("HOME");
  return home.empty() ? "." : home;
}

bool EndsWithNoCase(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         strcasecmp(text.c_str() + text.size() - suffix.size(), suffix.c_str()) == 0;
}

}  // namespace

bool FolderExists(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool FileExists(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool CreateFolder(const std::string& path) {
  if (path.empty()) {
    errno = ENOENT;
    return false;
  }
  if (FolderExists(path)) return true;
  const size_t slash = path.find_last_of('/');
  if (slash != std::string::npos && slash > 0 && !CreateFolder(path.substr(0, slash))) return false;
  if (::mkdir(path.c_str(), 0777) == 0) return true;
  return errno == EEXIST && FolderExists(path);
}

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool RenameFile(const std::string& from, const std::string& to) { return ::rename(from.c_str(), to.c_str()) == 0; }

std::vector<std::string> ListFolder(const std::string& folder, const std::string& suffix) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (!FileExists(folder + "/" + name)) continue;
    if (!suffix.empty() && !EndsWithNoCase(name, suffix)) continue;
    names.push_back(name);
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

std::string TemporaryFolder() {
  std::string folder = Env("TMPDIR");
  return folder.empty() ? "/tmp" : folder;
}

std::string ExecutablePath() {
  char path[4096];
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return "";
  path[n] = '\0';
  return path;
}

std::string ProgramFolder() {
  std::string home = Env("TESSIRO_HOME");
  if (!home.empty()) return home;
  std::string data = Env("XDG_DATA_HOME");
  if (data.empty()) data = HomeFolder() + "/.local/share";
  return data + "/tessiro";
}

std::string InstalledDataFolder() {
  const std::string exe = ExecutablePath();
  const size_t slash = exe.find_last_of('/');
  if (slash != std::string::npos) {
    const std::string installed = exe.substr(0, slash) + "/../share/tessiro";
    if (FolderExists(installed)) return installed;
  }
  return TESSIRO_BUILD_DATA_DIR;
}

std::string DefaultAudioFolder() { return HomeFolder() + "/orvane_audio"; }

}  // namespace platform
