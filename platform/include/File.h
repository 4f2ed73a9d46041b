// Files over POSIX descriptors. Every call returns a failure value and leaves the
// cause in errno for the caller's report; nothing throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

class CFile {
 public:
  enum class Mode {
    Read,       // existing file, read only
    // Existing regular file, read only. Anything else (a FIFO, a device, a folder,
    // a socket) is refused without blocking and without being opened, errno
    // EISDIR for a folder, EINVAL otherwise.
    ReadRegular,
    ReadWrite,  // read and write; created when missing, contents kept
    Create,     // read and write; created or emptied
  };

  CFile() = default;
  ~CFile();
  CFile(CFile&& other) noexcept;
  CFile& operator=(CFile&& other) noexcept;
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;

  bool Open(const std::string& path, Mode mode);
  bool Close();
  bool IsOpen() const { return fd_ >= 0; }
  int Handle() const { return fd_; }

  // Read and write at the file position; the counts are the bytes moved, -1 on failure.
  // A read returns fewer bytes only at the end of the file.
  int64_t Read(void* buffer, size_t bytes);
  int64_t Write(const void* buffer, size_t bytes);
  // The same at an offset, leaving the file position alone.
  int64_t ReadAt(void* buffer, size_t bytes, int64_t offset) const;
  int64_t WriteAt(const void* buffer, size_t bytes, int64_t offset);

  // whence is SEEK_SET, SEEK_CUR or SEEK_END; returns the new position or -1.
  int64_t Seek(int64_t offset, int whence);
  int64_t Tell() const;
  int64_t Size() const;
  bool Truncate(int64_t size);
  // Waits until what was written is on the disk; a file that cannot be synced
  // (a device, a pipe) counts as flushed.
  bool Flush();

 private:
  int fd_ = -1;
};

// The start of a regular file that a user or another file names, opened as
// Mode::ReadRegular opens it (a FIFO, a device or a folder is refused without
// waiting): at most limit bytes, so that a file far larger than its format is
// never taken whole. *size, when given, gets the whole file's length. False
// with errno set (ENOENT for a missing file) when nothing could be read.
bool ReadRegularFile(const std::string& path, size_t limit, std::vector<uint8_t>* bytes, int64_t* size = nullptr);

// A read-only view of a whole file.
class CMappedFile {
 public:
  CMappedFile() = default;
  ~CMappedFile();
  CMappedFile(const CMappedFile&) = delete;
  CMappedFile& operator=(const CMappedFile&) = delete;

  // Maps the first length bytes of an open file; a length of 0 fails (EINVAL).
  bool Map(const CFile& file, size_t length);
  bool Unmap();
  const uint8_t* Data() const { return data_; }
  size_t Length() const { return length_; }
  bool IsMapped() const { return data_ != nullptr; }

 private:
  const uint8_t* data_ = nullptr;
  size_t length_ = 0;
};

}  // namespace platform
