#include "SectorFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "Clock.h"
#include "ReportErrorDll.h"

namespace ombrel {
namespace {

constexpr const char* kSource = "LargeFile";
constexpr int kLineAlreadyOpen = 69;
constexpr int kLineOpenRead = 89;
constexpr int kLineOpenWrite = 109;
constexpr int kLineClose = 149;
constexpr int kLineReadBuffer = 180;
constexpr int kLineReadCount = 185;
constexpr int kLineWriteData = 239;
constexpr int kLineWriteCount = 244;
constexpr int kLineWriteFailed = 256;
constexpr int kLineWriteHandle = 264;
constexpr int kLineSizeEnd = 311;
constexpr int kLineTell = 337;
constexpr int kLineTellHandle = 345;

void Report(int line, const char* message) { ReportErrorDll(kSource, line, message); }

}  // namespace

CLargeFile::CLargeFile() {
  // Two files made in a row must not share an identifier.
  platform::SleepMs(2);
  identifier_ = platform::GetTickCount32();
  platform::SleepMs(2);
}

CLargeFile::~CLargeFile() = default;

int CLargeFile::Open(const char* path, int mode) {
  if (mode == kModeRead) {
    if (file_.IsOpen()) return kOpenFailed;
    // Only a regular file holds audio: a FIFO or a device would block or never end.
    if (!path || !file_.Open(path, platform::CFile::Mode::ReadRegular)) {
      Report(kLineOpenRead, "Failed to open file");
      return kOpenFailed;
    }
    writing_ = false;
  } else {
    if (file_.IsOpen()) {
      char message[4200];
      std::snprintf(message, sizeof message, "CLargeFile::Open File (%s) is already open.", path_.c_str());
      Report(kLineAlreadyOpen, message);
      return kOpenFailed;
    }
    if (!path || !file_.Open(path, platform::CFile::Mode::ReadWrite)) {
      char message[4200];
      std::snprintf(message, sizeof message,
                    "CLargeFile::CLargeFile(CHAR* pszFilename): Error: (%ld) Failed to open file %s",
                    static_cast<long>(errno), path ? path : "");
      Report(kLineOpenWrite, message);
      return kOpenFailed;
    }
    writing_ = true;
  }
  path_ = path;
  const int64_t size = file_.Size();
  size_ = size > 0 ? static_cast<uint64_t>(size) : 0;
  position_ = 0;
  return kOk;
}

int CLargeFile::Write(const void* data, uint32_t bytes, uint32_t* written) {
  if (!data) {
    Report(kLineWriteData, "");
    return kBadArgument;
  }
  if (!written) {
    Report(kLineWriteCount, "");
    return kBadArgument;
  }
  *written = 0;
  if (!file_.IsOpen()) {
    Report(kLineWriteHandle, "Invalid file handle.");
    return kNoHandle;
  }
  const int64_t n = file_.Write(data, bytes);
  if (n != static_cast<int64_t>(bytes)) {
    char message[80];
    std::snprintf(message, sizeof message, "Failed to write to file.  Error: %ld", static_cast<long>(errno));
    Report(kLineWriteFailed, message);
    return kIoFailed;
  }
  *written = bytes;
  size_ += bytes;
  return kOk;
}

int CLargeFile::Seek(uint64_t position) {
  position_ = position;
  if (file_.IsOpen() && writing_ && file_.Seek(static_cast<int64_t>(position), SEEK_SET) < 0) {
    Report(__LINE__, "Failed to seek to position.");
    return kSeekFailed;
  }
  return kOk;
}

int CLargeFile::CheckRead(const void* buffer, uint32_t* got) {
  if (!buffer) {
    Report(kLineReadBuffer, "");
    return kBadArgument;
  }
  if (!got) {
    Report(kLineReadCount, "");
    return kBadArgument;
  }
  *got = 0;
  if (!file_.IsOpen()) {
    Report(__LINE__, "Invalid file handle.");
    return kNoHandle;
  }
  return kOk;
}

int CLargeFile::Read(void* buffer, uint32_t bytes, uint32_t* got) {
  const int ready = CheckRead(buffer, got);
  if (ready != kOk) return ready;
  // Whole sectors from the one holding the position; the caller's bytes start
  // `skip` bytes into what is read.
  const uint64_t offset = position_ / kSectorBytes * kSectorBytes;
  if (offset >= size_ || position_ >= size_) return kBadArgument;
  const uint32_t skip = static_cast<uint32_t>(position_ - offset);
  const uint32_t length = (bytes + skip + kSectorBytes - 1) / kSectorBytes * kSectorBytes;
  const int64_t n = file_.ReadAt(buffer, length, static_cast<int64_t>(offset));
  if (n < 0) {
    Report(__LINE__, "Failed to read from file.");
    return kIoFailed;
  }
  const uint64_t beyond = static_cast<uint64_t>(n) > skip ? static_cast<uint64_t>(n) - skip : 0;
  const uint32_t count = static_cast<uint32_t>(beyond < bytes ? beyond : bytes);
  if (skip > 0 && count > 0) std::memmove(buffer, static_cast<uint8_t*>(buffer) + skip, count);
  *got = count;
  position_ += count;
  return kOk;
}

int CLargeFile::ReadUnpadded(void* buffer, uint32_t bytes, uint32_t* got) {
  const int ready = CheckRead(buffer, got);
  if (ready != kOk) return ready;
  if (position_ >= size_) return kBadArgument;
  const int64_t n = file_.ReadAt(buffer, bytes, static_cast<int64_t>(position_));
  if (n < 0) {
    Report(__LINE__, "Failed to read from file.");
    return kIoFailed;
  }
  *got = static_cast<uint32_t>(n);
  position_ += *got;
  return kOk;
}

int CLargeFile::Tell(uint64_t* position) {
  if (!file_.IsOpen()) {
    Report(kLineTellHandle, "Invalid file handle.");
    return kNoHandle;
  }
  if (!writing_) {
    if (position) *position = position_;
    return kOk;
  }
  const int64_t at = file_.Tell();
  if (at < 0) {
    Report(kLineTell, "tell function failed when getting file position");
    return kTellFailed;
  }
  if (position) *position = static_cast<uint64_t>(at);
  return kOk;
}

int CLargeFile::GetSize(uint64_t* size) {
  if (!file_.IsOpen()) {
    Report(__LINE__, "Invalid file handle.");
    return kNoHandle;
  }
  const int64_t n = file_.Size();
  if (n < 0) {
    Report(kLineSizeEnd, "Failed to seek to end when getting size.");
    return kSeekFailed;
  }
  size_ = static_cast<uint64_t>(n);
  if (size) *size = size_;
  return kOk;
}

int CLargeFile::Flush() {
  if (!file_.IsOpen()) {
    Report(__LINE__, "Invalid file handle.");
    return kNoHandle;
  }
  if (!file_.Flush()) {
    char message[80];
    std::snprintf(message, sizeof message, "Failed to write to file.  Error: %ld", static_cast<long>(errno));
    Report(kLineWriteFailed, message);
    return kIoFailed;
  }
  return kOk;
}

int CLargeFile::Close() {
  if (!file_.IsOpen()) return kOk;
  if (!file_.Close()) {
    Report(kLineClose, "Failed to close file");
    return kCloseFailed;
  }
  return kOk;
}

int64_t CLargeFileSource::ReadAt(uint64_t offset, void* buffer, size_t bytes) {
  if (bytes > 0xFFFF0000u) bytes = 0xFFFF0000u;
  scratch_.resize(CLargeFile::ReadRoom(static_cast<uint32_t>(bytes)));
  if (file_.Seek(offset) != CLargeFile::kOk) return -1;
  uint32_t got = 0;
  const int result = file_.Read(scratch_.data(), static_cast<uint32_t>(bytes), &got);
  if (result == CLargeFile::kBadArgument) return 0;  // at or past the end
  if (result != CLargeFile::kOk) return -1;
  std::memcpy(buffer, scratch_.data(), got);
  return got;
}

}  // namespace ombrel
