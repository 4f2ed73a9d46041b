#include "FileReplace.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <random>

namespace platform {
namespace {

constexpr char kUniqueLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr size_t kUniqueLength = 6;
// The kernel gives up on longer chains of links (ELOOP) as well.
constexpr int kMaxLinkHops = 40;
// The longest file name of the usual Linux file systems.
constexpr size_t kDefaultNameMax = 255;

bool IsUniqueLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool IsUniqueName(const std::string& name, const std::string& prefix, const std::string& suffix) {
  if (name.size() != prefix.size() + kUniqueLength + suffix.size()) return false;
  if (name.compare(0, prefix.size(), prefix) != 0) return false;
  if (name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) return false;
  for (size_t i = prefix.size(); i < prefix.size() + kUniqueLength; ++i) {
    if (!IsUniqueLetter(name[i])) return false;
  }
  return true;
}

}  // namespace

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

namespace {

std::string FollowLinks(const std::string& path) {
  std::string at = path;
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    struct stat info;
    if (::lstat(at.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return at;
    std::string target(static_cast<size_t>(info.st_size > 0 ? info.st_size : 4096) + 1, '\0');
    const ssize_t n = ::readlink(at.c_str(), target.data(), target.size());
    if (n <= 0 || static_cast<size_t>(n) >= target.size()) return at;
    target.resize(static_cast<size_t>(n));
    at = target[0] == '/' ? target : FolderOfPath(at) + "/" + target;
  }
  return at;
}

}  // namespace

std::string ReplacedFile(const std::string& path) {
  const std::string at = FollowLinks(path);
  // Only a plain file, or a name not taken yet, is written through a link; a
  // device, a pipe or a folder it names stays as it is (the link is replaced).
  struct stat info;
  if (at != path && ::stat(at.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) return path;
  return at;
}

bool IsReadOnlyFile(const std::string& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return false;
  // The bits first: a user who may write anything still made this file read-only.
  return (info.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0;
}

std::string CutAtCharacter(const std::string& text, size_t bytes) {
  if (text.size() <= bytes) return text;
  size_t end = bytes;
  // Back to the first byte of the character the cut would split.
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

std::string FittingUniquePrefix(const std::string& folder, const std::string& prefix, const std::string& suffix) {
  const long longest = ::pathconf(folder.c_str(), _PC_NAME_MAX);
  const size_t limit = longest > 0 ? static_cast<size_t>(longest) : kDefaultNameMax;
  const size_t fixed = kUniqueLength + suffix.size();
  return CutAtCharacter(prefix, limit > fixed ? limit - fixed : 0);
}

std::string MakeUniqueFile(const std::string& folder, const std::string& prefix, const std::string& suffix) {
  std::random_device seed;
  std::minstd_rand random(seed());
  std::uniform_int_distribution<size_t> pick(0, sizeof kUniqueLetters - 2);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string unique(kUniqueLength, 'x');
    for (char& c : unique) c = kUniqueLetters[pick(random)];
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

int RemoveAbandonedUniqueFiles(const std::string& folder, const std::string& prefix, const std::string& suffix) {
  DIR* listing = ::opendir(folder.c_str());
  if (!listing) return 0;
  int removed = 0;
  while (const dirent* entry = ::readdir(listing)) {
    const std::string name = entry->d_name;
    if (!IsUniqueName(name, prefix, suffix)) continue;
    const std::string path = folder + "/" + name;
    // Never through a link: only files of our own making go.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat info;
    // A writer still at work holds its lock.
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        ::unlink(path.c_str()) == 0) {
      ++removed;
    }
    ::close(fd);
  }
  ::closedir(listing);
  return removed;
}

bool ReplaceFileWith(const std::string& temporary, const std::string& destination) {
  if (IsReadOnlyFile(destination)) {
    errno = EACCES;
    return false;
  }
  // A device node is never renamed away, whoever runs the program.
  struct stat entry;
  if (::lstat(destination.c_str(), &entry) == 0 && (S_ISCHR(entry.st_mode) || S_ISBLK(entry.st_mode))) {
    errno = EPERM;
    return false;
  }
  const int fd = ::open(temporary.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  // The user chose who may read the file they replace; the new contents keep that.
  struct stat old;
  bool done = ::stat(destination.c_str(), &old) != 0 || ::fchmod(fd, old.st_mode & 0777) == 0;
  done = done && ::fsync(fd) == 0;
  const int error = errno;
  ::close(fd);
  if (!done) {
    errno = error;
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

CTemporaryFileGuard::CTemporaryFileGuard(std::string path) : path_(std::move(path)) { Hold(); }

CTemporaryFileGuard::~CTemporaryFileGuard() {
  if (!path_.empty()) ::unlink(path_.c_str());
  LetGo();
}

void CTemporaryFileGuard::Reset(std::string path) {
  if (!path_.empty()) ::unlink(path_.c_str());
  LetGo();
  path_ = std::move(path);
  Hold();
}

void CTemporaryFileGuard::Release() {
  path_.clear();
  LetGo();
}

void CTemporaryFileGuard::Hold() {
  if (path_.empty()) return;
  lock_ = ::open(path_.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (lock_ >= 0 && ::flock(lock_, LOCK_EX | LOCK_NB) != 0) LetGo();
}

void CTemporaryFileGuard::LetGo() {
  if (lock_ >= 0) ::close(lock_);
  lock_ = -1;
}

}  // namespace platform
