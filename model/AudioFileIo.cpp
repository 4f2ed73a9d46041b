#include "AudioFileIo.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <limits>

#include "Generic.h"

namespace {

constexpr uint32_t kMaxBytes = std::numeric_limits<uint32_t>::max();

}  // namespace

int ReportFileFault(const char* title, int line, const char* format, ...) {
  const int cause = errno;
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string message(length > 0 ? static_cast<size_t>(length) : 0, '\0');
  if (length > 0) std::vsnprintf(message.data(), message.size() + 1, format, again);
  va_end(again);
  errno = cause;
  ReportError(title, line, message.c_str());
  return 3;
}

int ReportFileFault(const char* title, int line) {
  ReportError(title, line, "");
  return 3;
}

uint32_t ClampToFileSize(int64_t bytes) {
  if (bytes < 0) return 0;
  return bytes > static_cast<int64_t>(kMaxBytes) ? kMaxBytes : static_cast<uint32_t>(bytes);
}

bool CWriteSide::Open(const std::string& path) {
  if (!file_.Open(path, platform::CFile::Mode::ReadWrite)) return false;
  position_ = 0;
  keepBytes_ = kNoTornTail;
  repositionPending_ = false;
  return true;
}

bool CWriteSide::Close() {
  if (repositionPending_) DropTornTail();
  const bool synced = file_.Flush();
  const int error = errno;
  const bool closed = file_.Close();
  if (!synced) errno = error;
  return synced && closed;
}

bool CWriteSide::DropTornTail() {
  if (keepBytes_ != kNoTornTail && !file_.Truncate(keepBytes_)) return false;
  keepBytes_ = kNoTornTail;
  if (file_.Seek(position_, SEEK_SET) < 0) return false;
  repositionPending_ = false;
  return true;
}

int CWriteSide::WriteFailed(const std::string& path) const {
  if (quiet_) return 3;
  return ReportFileFault(faults_.title, faults_.writeFailed, faults_.writeFailedFormat, path.c_str());
}

int CWriteSide::Write(const std::string& path, const void* data, uint32_t bytes, uint32_t* written, uint32_t* size,
                      uint32_t unitBytes) {
  if (written) *written = 0;
  if (!file_.IsOpen()) {
    errno = EBADF;
    if (!faults_.noHandleNamesFile) return ReportFileFault(faults_.title, faults_.writeNoHandle);
    return ReportFileFault(faults_.title, faults_.writeNoHandle, "Invalid file handle for (%s)", path.c_str());
  }
  if (bytes == 0) return 1;
  // A file past 4 GB would wrap every size and position that describes it.
  if (!data || bytes > kMaxBytes - position_) {
    errno = data ? EFBIG : EFAULT;
    return WriteFailed(path);
  }
  // Writing after a torn unit would put every later frame out of step.
  if (repositionPending_ && !DropTornTail()) return WriteFailed(path);
  // Not CFile::Write: after a failure the bytes that did reach the file must
  // still be counted, or the size and position drift from the truth.
  const char* from = static_cast<const char*>(data);
  uint32_t done = 0;
  int result = 1;
  while (done < bytes) {
    const ssize_t n = ::write(file_.Handle(), from + done, bytes - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      result = WriteFailed(path);
      break;
    }
    done += static_cast<uint32_t>(n);
  }
  const uint32_t whole = unitBytes > 1 ? done - done % unitBytes : done;
  const uint32_t known = size ? *size : 0;
  if (whole != done) {
    // Bytes written over what the file already held cannot be taken back; a
    // torn tail that made the file longer can.
    if (position_ + done > known) keepBytes_ = std::max(position_ + whole, known);
    repositionPending_ = true;
  }
  position_ += whole;
  if (repositionPending_) DropTornTail();
  // Writing over the start of an existing file does not make it longer.
  if (size) *size = std::max(known, position_);
  if (written) *written = whole;
  return result;
}

bool CWriteSide::MoveTo(uint32_t position) {
  if (file_.Seek(position, SEEK_SET) < 0) return false;
  position_ = position;
  return true;
}

int CWriteSide::GetSize(const std::string& path, uint32_t* size) {
  if (!file_.IsOpen()) {
    errno = EBADF;
    return ReportFileFault(faults_.title, faults_.sizeNoHandle, "Invalid file handle for (%s)", path.c_str());
  }
  const int64_t at = file_.Tell();
  if (at < 0) return ReportFileFault(faults_.title, faults_.sizeTell, "Failed to get file pos (%s)", path.c_str());
  const int64_t end = file_.Seek(0, SEEK_END);
  if (end < 0) return ReportFileFault(faults_.title, faults_.sizeSeekEnd, "Failed to seek to EOF (%s)", path.c_str());
  if (file_.Seek(at, SEEK_SET) < 0) {
    return ReportFileFault(faults_.title, faults_.sizeSeekBack, "Failed to seek to file pos (%s)", path.c_str());
  }
  if (size) *size = ClampToFileSize(end);
  return 1;
}

int CWriteSide::Tell(const std::string& path, uint32_t* position) {
  if (!file_.IsOpen()) {
    errno = EBADF;
    return ReportFileFault(faults_.title, faults_.tellNoHandle, "Invalid file handle for (%s)", path.c_str());
  }
  const int64_t at = file_.Tell();
  if (at < 0) return ReportFileFault(faults_.title, faults_.tell, "Failed to get tell pos (%s)", path.c_str());
  if (position) *position = ClampToFileSize(at);
  return 1;
}
