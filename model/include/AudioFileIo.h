// What the raw audio and peak files share: their fault report, whose message
// names the file and whose system code is the errno of the call that failed,
// and their write side.
#pragma once

#include <cstdint>
#include <string>

#include "File.h"

__attribute__((format(printf, 3, 4))) int ReportFileFault(const char* title, int line, const char* format, ...);
// The same with an empty message (the report's generic heading).
int ReportFileFault(const char* title, int line);

// A 64-bit byte count or offset as the 32-bit value the files are described by.
uint32_t ClampToFileSize(int64_t bytes);

// The report lines and texts of one kind of file's write side.
struct WriteSideFaults {
  const char* title;
  int writeNoHandle;
  bool noHandleNamesFile;  // else the report has an empty message
  int writeFailed;
  const char* writeFailedFormat;  // with %s for the path
  int sizeNoHandle, sizeTell, sizeSeekEnd, sizeSeekBack;
  int tellNoHandle, tell;
};

// A descriptor opened read-write at byte 0, neither truncating nor appending,
// and the position of the next write. Sizes stay below 4 GB.
class CWriteSide {
 public:
  explicit CWriteSide(const WriteSideFaults& faults) : faults_(faults) {}

  bool IsOpen() const { return file_.IsOpen(); }
  // Creates a missing file; reports nothing (the caller's open has its own report).
  bool Open(const std::string& path);
  // Flushes what was written to the disk first, so that nothing refers to audio
  // that is only in the cache; false when either step failed.
  bool Close();

  // Writes at the write position; written counts what reached the file, and
  // size grows to the furthest byte written. A write that stops inside a unit
  // of unitBytes (a frame) counts and advances whole units only, and the torn
  // tail is cut off the file: at once, or before the next write when that fails.
  int Write(const std::string& path, const void* data, uint32_t bytes, uint32_t* written, uint32_t* size,
            uint32_t unitBytes = 1);
  bool MoveTo(uint32_t position);
  // Failed writes return 3 without a report; errno keeps the cause.
  void SetQuiet(bool quiet) { quiet_ = quiet; }
  // Size through the descriptor: take the position, seek to the end, seek back.
  int GetSize(const std::string& path, uint32_t* size);
  int Tell(const std::string& path, uint32_t* position);

 private:
  static constexpr int64_t kNoTornTail = -1;
  // Cuts a torn tail off and puts the descriptor back at the write position.
  bool DropTornTail();
  int WriteFailed(const std::string& path) const;

  const WriteSideFaults& faults_;
  platform::CFile file_;
  uint32_t position_ = 0;
  int64_t keepBytes_ = kNoTornTail;  // the file's length without its torn tail
  bool repositionPending_ = false;
  bool quiet_ = false;
};
