#include "AudioFileIo.h"

#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <limits>

#include "Generic.h"

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
  constexpr uint32_t kMax = std::numeric_limits<uint32_t>::max();
  if (bytes < 0) return 0;
  return bytes > static_cast<int64_t>(kMax) ? kMax : static_cast<uint32_t>(bytes);
}

// Not CFile::Write: after a failure the bytes that did reach the file must
// still be counted, or the file's size and position drift from the truth.
bool WriteFully(const platform::CFile& file, const void* data, uint32_t bytes, uint32_t* done) {
  const char* from = static_cast<const char*>(data);
  *done = 0;
  while (*done < bytes) {
    const ssize_t n = ::write(file.Handle(), from + *done, bytes - *done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    *done += static_cast<uint32_t>(n);
  }
  return true;
}

int DescriptorSize(platform::CFile& file, const char* title, const DescriptorFaultLines& lines,
                   const std::string& path, uint32_t* size) {
  if (!file.IsOpen()) {
    errno = EBADF;
    return ReportFileFault(title, lines.sizeNoHandle, "Invalid file handle for (%s)", path.c_str());
  }
  const int64_t at = file.Tell();
  if (at < 0) return ReportFileFault(title, lines.sizeTell, "Failed to get file pos (%s)", path.c_str());
  const int64_t end = file.Seek(0, SEEK_END);
  if (end < 0) return ReportFileFault(title, lines.sizeSeekEnd, "Failed to seek to EOF (%s)", path.c_str());
  if (file.Seek(at, SEEK_SET) < 0) {
    return ReportFileFault(title, lines.sizeSeekBack, "Failed to seek to file pos (%s)", path.c_str());
  }
  if (size) *size = ClampToFileSize(end);
  return 1;
}

int DescriptorTell(const platform::CFile& file, const char* title, const DescriptorFaultLines& lines,
                   const std::string& path, uint32_t* position) {
  if (!file.IsOpen()) {
    errno = EBADF;
    return ReportFileFault(title, lines.tellNoHandle, "Invalid file handle for (%s)", path.c_str());
  }
  const int64_t at = file.Tell();
  if (at < 0) return ReportFileFault(title, lines.tell, "Failed to get tell pos (%s)", path.c_str());
  if (position) *position = ClampToFileSize(at);
  return 1;
}
