// The WAV codec's own file: reads in 512-byte sectors, as the unbuffered reads
// it was designed around, and sequential writes. Each failure is reported here
// with its own text; the result codes tell the caller which step failed.
// In its own namespace: the program has a CLargeFile of its own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "File.h"
#include "WaveHeader.h"

namespace ombrel {

class CLargeFile {
 public:
  static constexpr int kOk = 0;
  static constexpr int kOpenFailed = 1;
  static constexpr int kCloseFailed = 2;
  static constexpr int kNoHandle = 3;
  static constexpr int kBadArgument = 4;  // also a read at or past the end
  static constexpr int kIoFailed = 5;
  static constexpr int kSeekFailed = 6;
  static constexpr int kTellFailed = 7;

  static constexpr int kModeRead = 0;
  static constexpr int kModeWrite = 1;

  static constexpr uint32_t kSectorBytes = 512;

  CLargeFile();
  virtual ~CLargeFile();
  CLargeFile(const CLargeFile&) = delete;
  CLargeFile& operator=(const CLargeFile&) = delete;

  // The room a buffer needs to read bytes: reads cover whole sectors.
  static constexpr uint32_t ReadRoom(uint32_t bytes) {
    return (bytes + 2 * kSectorBytes - 1) / kSectorBytes * kSectorBytes;
  }

  int Open(const char* path, int mode);
  // Appends at the write position.
  int Write(const void* data, uint32_t bytes, uint32_t* written);
  int Seek(uint64_t position);
  // Reads at the read position into a buffer of ReadRoom(bytes); *got may be
  // short at the end of the file.
  int Read(void* buffer, uint32_t bytes, uint32_t* got);
  // The same into a buffer of exactly bytes, for readers with buffers of their
  // own (the converter), so nothing is copied twice.
  int ReadUnpadded(void* buffer, uint32_t bytes, uint32_t* got);
  int Tell(uint64_t* position);
  int GetSize(uint64_t* size);
  int Flush();
  int Close();

  bool IsOpen() const { return file_.IsOpen(); }
  uint64_t Size() const { return size_; }
  uint64_t Position() const { return position_; }
  uint32_t Identifier() const { return identifier_; }

 private:
  // kOk when a read into buffer can go ahead; *got is then 0.
  int CheckRead(const void* buffer, uint32_t* got);

  uint32_t identifier_;
  platform::CFile file_;
  std::string path_;
  bool writing_ = false;
  uint64_t size_ = 0;
  uint64_t position_ = 0;
};

// The header parser reading through a CLargeFile.
class CLargeFileSource final : public CByteSource {
 public:
  explicit CLargeFileSource(CLargeFile& file) : file_(file) {}
  int64_t ReadAt(uint64_t offset, void* buffer, size_t bytes) override;
  uint64_t Size() const override { return file_.Size(); }

 private:
  CLargeFile& file_;
  std::vector<uint8_t> scratch_;
};

}  // namespace ombrel
