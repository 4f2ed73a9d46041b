#include "File.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

namespace platform {

CFile::~CFile() {
  if (fd_ >= 0) ::close(fd_);
}

CFile::CFile(CFile&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

CFile& CFile::operator=(CFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

namespace {

bool RefuseUnlessRegular(mode_t mode) {
  if (S_ISREG(mode)) return true;
  errno = S_ISDIR(mode) ? EISDIR : EINVAL;
  return false;
}

}  // namespace

bool CFile::Open(const std::string& path, Mode mode) {
  if (fd_ >= 0) {
    errno = EBUSY;
    return false;
  }
  struct stat info;
  // Opening a FIFO blocks until a writer comes, and opening a device may act on it.
  if (mode == Mode::ReadRegular && ::stat(path.c_str(), &info) == 0 && !RefuseUnlessRegular(info.st_mode)) {
    return false;
  }
  int flags = O_CLOEXEC;
  switch (mode) {
    case Mode::Read: flags |= O_RDONLY; break;
    // Non-blocking in case the name was swapped for a FIFO after the check.
    case Mode::ReadRegular: flags |= O_RDONLY | O_NONBLOCK | O_NOCTTY; break;
    case Mode::ReadWrite: flags |= O_RDWR | O_CREAT; break;
    case Mode::Create: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
  }
  int fd;
  do {
    fd = ::open(path.c_str(), flags, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return false;
  if (mode == Mode::ReadRegular) {
    if (::fstat(fd, &info) != 0 || !RefuseUnlessRegular(info.st_mode) ||
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
      const int error = errno;
      ::close(fd);
      errno = error;
      return false;
    }
  }
  fd_ = fd;
  return true;
}

bool CFile::Close() {
  if (fd_ < 0) {
    errno = EBADF;
    return false;
  }
  const int fd = std::exchange(fd_, -1);
  return ::close(fd) == 0;
}

int64_t CFile::Read(void* buffer, size_t bytes) {
  size_t done = 0;
  while (done < bytes) {
    const ssize_t n = ::read(fd_, static_cast<char*>(buffer) + done, bytes - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<int64_t>(done);
}

int64_t CFile::Write(const void* buffer, size_t bytes) {
  size_t done = 0;
  while (done < bytes) {
    const ssize_t n = ::write(fd_, static_cast<const char*>(buffer) + done, bytes - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    done += static_cast<size_t>(n);
  }
  return static_cast<int64_t>(done);
}

int64_t CFile::ReadAt(void* buffer, size_t bytes, int64_t offset) const {
  size_t done = 0;
  while (done < bytes) {
    const ssize_t n = ::pread(fd_, static_cast<char*>(buffer) + done, bytes - done,
                              static_cast<off_t>(offset + static_cast<int64_t>(done)));
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<int64_t>(done);
}

int64_t CFile::WriteAt(const void* buffer, size_t bytes, int64_t offset) {
  size_t done = 0;
  while (done < bytes) {
    const ssize_t n = ::pwrite(fd_, static_cast<const char*>(buffer) + done, bytes - done,
                               static_cast<off_t>(offset + static_cast<int64_t>(done)));
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    done += static_cast<size_t>(n);
  }
  return static_cast<int64_t>(done);
}

int64_t CFile::Seek(int64_t offset, int whence) {
  return static_cast<int64_t>(::lseek(fd_, static_cast<off_t>(offset), whence));
}

int64_t CFile::Tell() const { return static_cast<int64_t>(::lseek(fd_, 0, SEEK_CUR)); }

int64_t CFile::Size() const {
  struct stat info;
  if (::fstat(fd_, &info) != 0) return -1;
  return static_cast<int64_t>(info.st_size);
}

bool CFile::Truncate(int64_t size) { return ::ftruncate(fd_, static_cast<off_t>(size)) == 0; }

bool CFile::Flush() {
  if (::fsync(fd_) == 0) return true;
  // A device or pipe has no cache of its own to flush.
  return errno == EINVAL || errno == EROFS;
}

bool ReadRegularFile(const std::string& path, size_t limit, std::vector<uint8_t>* bytes, int64_t* size) {
  bytes->clear();
  CFile file;
  if (!file.Open(path, CFile::Mode::ReadRegular)) return false;
  const int64_t length = file.Size();
  if (length < 0) return false;
  if (size) *size = length;
  bytes->resize(static_cast<size_t>(std::min<uint64_t>(limit, static_cast<uint64_t>(length))));
  const int64_t got = file.ReadAt(bytes->data(), bytes->size(), 0);
  if (got < 0) {
    bytes->clear();
    return false;
  }
  bytes->resize(static_cast<size_t>(got));  // a file cut meanwhile gives what it still holds
  return true;
}

CMappedFile::~CMappedFile() {
  if (data_) ::munmap(const_cast<uint8_t*>(data_), length_);
}

bool CMappedFile::Map(const CFile& file, size_t length) {
  if (data_ || length == 0 || !file.IsOpen()) {
    errno = EINVAL;
    return false;
  }
  void* p = ::mmap(nullptr, length, PROT_READ, MAP_SHARED, file.Handle(), 0);
  if (p == MAP_FAILED) return false;
  data_ = static_cast<const uint8_t*>(p);
  length_ = length;
  return true;
}

bool CMappedFile::Unmap() {
  if (!data_) {
    errno = EINVAL;
    return false;
  }
  const bool ok = ::munmap(const_cast<uint8_t*>(data_), length_) == 0;
  data_ = nullptr;
  length_ = 0;
  return ok;
}

}  // namespace platform
