// A small tmpfs of its own for tests of full disks. It is mounted in a private
// mount namespace of the test process (so nothing is left mounted on the host
// should the test die) and unmounted at the end. Mounting needs the right to
// (root, or CAP_SYS_ADMIN); where it is missing Mount fails and says why, and
// the test skips with that reason.
#pragma once

#include <cstdint>
#include <string>

namespace tessiro::test {

class CSmallTmpfs {
 public:
  CSmallTmpfs() = default;
  ~CSmallTmpfs();
  CSmallTmpfs(const CSmallTmpfs&) = delete;
  CSmallTmpfs& operator=(const CSmallTmpfs&) = delete;

  // Mounts a tmpfs of sizeBytes (whole pages) on folder, which must exist.
  bool Mount(const std::string& folder, uint64_t sizeBytes);
  // Fills the file system with a file of its own until only freeBytes are left
  // (rounded down to whole pages).
  bool LeaveFree(uint64_t freeBytes);
  uint64_t FreeBytes() const;

  const std::string& Path() const { return folder_; }
  const std::string& WhyNot() const { return whyNot_; }

 private:
  std::string folder_;
  std::string whyNot_;
  bool mounted_ = false;
};

}  // namespace tessiro::test
