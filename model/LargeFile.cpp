#include "LargeFile.h"

#include <fcntl.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "AudioFileIo.h"
#include "Generic.h"

// Samples go to disk as they lie in memory, which is the file's byte order only here.
static_assert(std::endian::native == std::endian::little, "raw audio files are little-endian");

namespace {

constexpr const char* kSource = "LargeFile";

// Fault codes: the report lines of this file.
constexpr int kLineOpenRead = 100;
constexpr int kLineOpenWrite = 117;
constexpr int kLineClose = 136;
constexpr int kLineReadStart = 173;
constexpr int kLineSeek = 234;
constexpr WriteSideFaults kWriteFaults = {.title = kSource,
                                          .writeNoHandle = 213,
                                          .noHandleNamesFile = true,
                                          .writeFailed = 205,
                                          .writeFailedFormat = "Failed to write to (%s)",
                                          .sizeNoHandle = 287,
                                          .sizeTell = 263,
                                          .sizeSeekEnd = 271,
                                          .sizeSeekBack = 281,
                                          .tellNoHandle = 310,
                                          .tell = 302};
constexpr int kLineAlreadyReading = 321;
constexpr int kLineOpenReadHandle = 335;
constexpr int kLineCloseReadHandle = 349;
constexpr int kLineReadOpen = 412;
constexpr int kLineReadFailed = 436;


}  // namespace

CLargeFile::CLargeFile(const std::string& path)
    : identifier_(GetUniqueTickCount()), path_(path), writer_(kWriteFaults) {}

CLargeFile::~CLargeFile() = default;

int CLargeFile::SetPath(const std::string& path) {
  if (writer_.IsOpen()) writer_.Close();
  if (reader_.IsOpen()) reader_.Close();
  pending_ = ReadRequest{};
  path_ = path;
  return 1;
}

// The read side never needs write access, so installed read-only audio plays;
// a missing file is created empty so its snippet stays and plays silence. A
// project may name a FIFO or a device: those are refused, never waited on.
bool CLargeFile::OpenReader() {
  if (!reader_.Open(path_, platform::CFile::Mode::ReadRegular) &&
      (errno != ENOENT || !reader_.Open(path_, platform::CFile::Mode::ReadWrite))) {
    return false;
  }
  // Playback reads a take front to back: let the kernel read further ahead.
  ::posix_fadvise(reader_.Handle(), 0, 0, POSIX_FADV_SEQUENTIAL);
  return true;
}

int CLargeFile::Open(int mode) {
  if (mode == 0) {
    if (reader_.IsOpen()) return 1;
    if (!OpenReader()) {
      return ReportFileFault(kSource, kLineOpenRead, "Error: (%d) Failed to open file %s for read.", errno,
                             path_.c_str());
    }
    position_ = 0;
    size_ = ClampToFileSize(reader_.Size());
    return 1;
  }
  if (mode == 1 || mode == 2) {
    if (writer_.IsOpen()) return 1;
    if (!writer_.Open(path_)) {
      return ReportFileFault(kSource, kLineOpenWrite, "Error: (%d) Failed to open file %s for write.", errno,
                             path_.c_str());
    }
    uint32_t size = 0;
    if (GetSize(&size) != 1) return 3;
    size_ = size;
    return 1;
  }
  return 1;
}

int CLargeFile::Close() {
  if (writer_.IsOpen()) {
    if (!writer_.Close()) return ReportFileFault(kSource, kLineClose, "Failed to close (%s).", path_.c_str());
    return 1;
  }
  return CloseReadHandle() == 3 ? 3 : 1;
}

int CLargeFile::Write(const void* samples, uint32_t bytes, uint32_t* written, uint32_t frameBytes) {
  return writer_.Write(path_, samples, bytes, written, &size_, frameBytes);
}

int CLargeFile::Seek(uint32_t position, uint32_t* newPosition) {
  position_ = position;
  if (newPosition) *newPosition = position;
  if (!writer_.IsOpen()) return 1;
  if (!writer_.MoveTo(position)) return ReportFileFault(kSource, kLineSeek, "Failed to seek (%s)", path_.c_str());
  return 1;
}

int CLargeFile::Tell(uint32_t* position) { return writer_.Tell(path_, position); }

int CLargeFile::GetSize(uint32_t* size) { return writer_.GetSize(path_, size); }

int CLargeFile::OpenReadHandle() {
  if (reader_.IsOpen()) {
    return ReportFileFault(kSource, kLineAlreadyReading, "File (%s) is already open for reading.", path_.c_str());
  }
  if (!OpenReader()) {
    return ReportFileFault(kSource, kLineOpenReadHandle, "Failed to open file (%s) for reading.", path_.c_str());
  }
  size_ = std::max(size_, ClampToFileSize(reader_.Size()));
  return 1;
}

int CLargeFile::CloseReadHandle() {
  if (!reader_.IsOpen()) return 0;
  pending_ = ReadRequest{};
  if (!reader_.Close()) {
    return ReportFileFault(kSource, kLineCloseReadHandle, "Failed to close file (%s).", path_.c_str());
  }
  return 1;
}

int CLargeFile::Issue(ReadRequest& request, uint32_t position, uint32_t bytes, void* buffer) {
  request = ReadRequest{};
  request.head = position % kSectorBytes;
  request.length = static_cast<uint64_t>(bytes) + request.head;
  const uint32_t partial = static_cast<uint32_t>(request.length % kSectorBytes);
  request.tail = partial ? kSectorBytes - partial : 0;
  request.length += request.tail;
  request.start = position - request.head;
  request.requested = bytes;
  request.active = true;

  if (!reader_.IsOpen()) {
    if (!OpenReader()) {
      request.active = false;
      return ReportFileFault(kSource, kLineReadOpen, "Failed to open file (%s).", path_.c_str());
    }
    size_ = std::max(size_, ClampToFileSize(reader_.Size()));
  }
  if (request.start >= size_ || bytes == 0) {
    request.pastEnd = true;
    return 1;
  }
  const int64_t got = reader_.ReadAt(buffer, static_cast<size_t>(request.length), request.start);
  if (got < 0) {
    request.active = false;
    return ReportFileFault(kSource, kLineReadFailed, "Read failed on file (%s).", path_.c_str());
  }
  request.transferred = static_cast<uint64_t>(got);
  return 1;
}

// Gives exactly the bytes asked for, fewer only where the file ends.
uint32_t CLargeFile::Trim(ReadRequest& request, void* buffer) {
  const bool active = request.active && !request.pastEnd;
  request.active = false;
  if (!active || request.transferred <= request.head) return 0;
  const uint32_t count =
      static_cast<uint32_t>(std::min<uint64_t>(request.transferred - request.head, request.requested));
  if (request.head) std::memmove(buffer, static_cast<char*>(buffer) + request.head, count);
  return count;
}

int CLargeFile::StartRead(uint32_t position, uint32_t bytes, uint32_t* transferred, void* buffer) {
  if (transferred) *transferred = 0;
  const int result = Issue(pending_, position, bytes, buffer);
  if (transferred) *transferred = static_cast<uint32_t>(pending_.transferred);
  return result;
}

int CLargeFile::FinishRead(uint32_t* bytes, void* buffer) {
  const uint32_t count = Trim(pending_, buffer);
  if (bytes) *bytes = count;
  return 1;
}

// Uses its own request, so a playback read started on this file stays intact.
int CLargeFile::Read(void* buffer, uint32_t bytes, uint32_t* bytesRead) {
  if (bytesRead) *bytesRead = 0;
  ReadRequest request;
  if (Issue(request, position_, bytes, buffer) != 1) {
    return ReportFileFault(kSource, kLineReadStart, "Failed to read (%s)", path_.c_str());
  }
  const uint32_t count = Trim(request, buffer);
  position_ += count;
  if (bytesRead) *bytesRead = count;
  return 1;
}
