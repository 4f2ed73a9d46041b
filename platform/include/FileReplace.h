// Writing a file without ever losing the one it replaces: the new contents go to
// a temporary file beside the destination, which is renamed over the
// destination only once it is complete (one step on the same file system).
#pragma once

#include <string>

namespace platform {

// The folder part of a path: "." for a bare name, "/" for a file in the root.
std::string FolderOfPath(const std::string& path);

// The path made absolute against the current folder; unchanged when already absolute.
std::string AbsolutePath(const std::string& path);

// The file that writing to path replaces: path itself, or, when path is a
// symbolic link, the file the link finally names (which need not exist yet),
// so that replacing it keeps the link. A link to anything but a plain file
// (a device, a pipe, a folder) is itself what is replaced.
std::string ReplacedFile(const std::string& path);

// True when path names a file the user keeps from being written: no write
// permission for anyone, none for this process, or a read-only file system.
// False for a file that does not exist.
bool IsReadOnlyFile(const std::string& path);

// text cut to at most bytes, never inside a UTF-8 character.
std::string CutAtCharacter(const std::string& text, size_t bytes);

// prefix, cut where needed, so that "<prefix>XXXXXX<suffix>" still fits the
// longest file name of folder's file system: a temporary name beside a file
// whose own name is near that limit. Give the answer to both calls below.
std::string FittingUniquePrefix(const std::string& folder, const std::string& prefix, const std::string& suffix);

// Creates a new empty file "<folder>/<prefix>XXXXXX<suffix>" with a unique name
// and the permissions a new file gets (0666 less the umask); returns its path,
// "" on failure (errno set).
std::string MakeUniqueFile(const std::string& folder, const std::string& prefix, const std::string& suffix);

// Removes the plain files of folder that MakeUniqueFile made with prefix and
// suffix and that no CTemporaryFileGuard holds: what a process that was killed
// while writing left behind, however recently. Returns how many went.
int RemoveAbandonedUniqueFiles(const std::string& folder, const std::string& prefix, const std::string& suffix);

// Flushes the complete temporary file to disk and renames it over destination
// (give it ReplacedFile's answer), which keeps the permission bits an existing
// destination had. A read-only destination is never replaced (EACCES), nor
// a device (EPERM). On
// failure (errno set) the destination is as it was and temporary still exists.
bool ReplaceFileWith(const std::string& temporary, const std::string& destination);

// Removes a temporary file when it goes out of scope, unless released. While it
// holds the file it keeps a lock on it, which the system lets go when the
// process dies: a file nobody holds is one a killed writer left behind.
class CTemporaryFileGuard {
 public:
  CTemporaryFileGuard() = default;
  explicit CTemporaryFileGuard(std::string path);
  ~CTemporaryFileGuard();
  CTemporaryFileGuard(const CTemporaryFileGuard&) = delete;
  CTemporaryFileGuard& operator=(const CTemporaryFileGuard&) = delete;

  const std::string& Path() const { return path_; }
  void Reset(std::string path);
  // The file is no longer ours to remove (it was renamed into place).
  void Release();

 private:
  void Hold();
  void LetGo();

  std::string path_;
  int lock_ = -1;
};

}  // namespace platform
