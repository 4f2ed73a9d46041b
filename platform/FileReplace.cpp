#include "FileReplace.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>

namespace platform {

std::string FolderOfPath(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string AbsolutePath(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  char folder[4096];
  if (!::getcwd(folder, sizeof folder)) return path;
  std::string base = folder;
  if (base != "/") base += '/';
  return base + path;
}

std::string MakeUniqueFile(const std::string& folder, const std::string& prefix, const std::string& suffix) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::random_device seed;
  std::minstd_rand random(seed());
  std::uniform_int_distribution<size_t> pick(0, sizeof kLetters - 2);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string unique(6, 'x');
    for (char& c : unique) c = kLetters[pick(random)];
    const std::string path = folder + "/" + prefix + unique + suffix;
    int fd;
    do {
      // 0666 rather than mkstemp's 0600: the file ends up as the user's document.
      fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd >= 0) {
      ::close(fd);
      return path;
    }
    if (errno != EEXIST) return "";
  }
  errno = EEXIST;
  return "";
}

bool ReplaceFileWith(const std::string& temporary, const std::string& destination) {
  const int fd = ::open(temporary.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = ::fsync(fd) == 0;
  const int syncError = errno;
  ::close(fd);
  if (!synced) {
    errno = syncError;
    return false;
  }
  if (::rename(temporary.c_str(), destination.c_str()) != 0) return false;
  // Make the rename itself durable; a folder that cannot be synced is not a failure.
  const int folder = ::open(FolderOfPath(destination).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    ::fsync(folder);
    ::close(folder);
  }
  return true;
}

CTemporaryFileGuard::~CTemporaryFileGuard() {
  if (!path_.empty()) ::unlink(path_.c_str());
}

void CTemporaryFileGuard::Reset(std::string path) {
  if (!path_.empty()) ::unlink(path_.c_str());
  path_ = std::move(path);
}

}  // namespace platform
