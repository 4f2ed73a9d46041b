#include "ReportErrorDll.h"

#include <cstring>

#include "ReportSink.h"

void GetFileTitleFromPath(const char* path, char* title) {
  if (!title) return;
  if (!path) {
    title[0] = '\0';
    return;
  }
  // Paths from the original sources use '\'; the compiler here gives '/'.
  const char* start = path;
  for (const char* p = path; *p; ++p) {
    if (*p == '\\' || *p == '/') start = p + 1;
  }
  const char* dot = std::strrchr(start, '.');
  const size_t length = dot ? static_cast<size_t>(dot - start) : std::strlen(start);
  std::memcpy(title, start, length);
  title[length] = '\0';
}

int ReportErrorDll(const char* sourcePath, int line, const char* message) {
  return DeliverReport(ReportOrigin::Library, sourcePath, line, message);
}
