#include "SmallTmpfs.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace tessiro::test {
namespace {

constexpr const char* kFillerName = "/.filler";

std::string Failed(const char* step) { return std::string(step) + " failed: " + std::strerror(errno); }

}  // namespace

CSmallTmpfs::~CSmallTmpfs() {
  if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
}

bool CSmallTmpfs::Mount(const std::string& folder, uint64_t sizeBytes) {
  // The process's own mount namespace, whose mounts do not reach the host.
  if (::unshare(CLONE_NEWNS) != 0) {
    whyNot_ = Failed("a private mount namespace (unshare)") + "; mounting a tmpfs needs root or CAP_SYS_ADMIN";
    return false;
  }
  if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
    whyNot_ = Failed("making the mounts private");
    return false;
  }
  const std::string options = "size=" + std::to_string(sizeBytes) + ",mode=0777";
  if (::mount("tmpfs", folder.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0) {
    whyNot_ = Failed("mounting a tmpfs");
    return false;
  }
  folder_ = folder;
  mounted_ = true;
  return true;
}

uint64_t CSmallTmpfs::FreeBytes() const {
  struct statvfs info;
  if (::statvfs(folder_.c_str(), &info) != 0) return 0;
  return static_cast<uint64_t>(info.f_bavail) * info.f_frsize;
}

bool CSmallTmpfs::LeaveFree(uint64_t freeBytes) {
  const int fd = ::open((folder_ + kFillerName).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  const std::vector<char> page(4096, 0);
  bool ok = true;
  while (ok && FreeBytes() > freeBytes) {
    const uint64_t excess = FreeBytes() - freeBytes;
    ok = ::write(fd, page.data(), excess < page.size() ? excess : page.size()) > 0;
  }
  ::close(fd);
  return ok;
}

}  // namespace tessiro::test
