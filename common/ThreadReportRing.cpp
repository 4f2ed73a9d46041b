#include "ThreadReportRing.h"

#include <cstring>

namespace {

// Copies at most capacity - 1 characters and terminates.
void CopyCut(char* to, size_t capacity, const char* from, size_t length) {
  const size_t n = length < capacity - 1 ? length : capacity - 1;
  std::memcpy(to, from, n);
  to[n] = '\0';
}

// The file title (as GetFileTitleFromPath gives it) straight into the record.
void CopyTitle(char* to, size_t capacity, const char* path) {
  const char* start = path;
  for (const char* p = path; *p; ++p) {
    if (*p == '\\' || *p == '/') start = p + 1;
  }
  const char* dot = std::strrchr(start, '.');
  CopyCut(to, capacity, start, dot ? static_cast<size_t>(dot - start) : std::strlen(start));
}

}  // namespace

CThreadReportRing::CThreadReportRing() {
  for (size_t i = 0; i < kThreadReportSlots; ++i) cells_[i].sequence.store(i, std::memory_order_relaxed);
}

// A bounded queue of cells that each carry a sequence number: a cell is free
// for the push at position p when its sequence is p, and full for the pop at
// p when it is p + 1.
bool CThreadReportRing::Push(ReportOrigin origin, const char* sourcePath, int line, const char* message,
                             int32_t code, bool* wasDrained) {
  size_t at = pushAt_.load(std::memory_order_relaxed);
  Cell* cell = nullptr;
  for (;;) {
    cell = &cells_[at & kMask];
    const size_t sequence = cell->sequence.load(std::memory_order_acquire);
    const intptr_t lag = static_cast<intptr_t>(sequence) - static_cast<intptr_t>(at);
    if (lag == 0) {
      if (pushAt_.compare_exchange_weak(at, at + 1, std::memory_order_relaxed)) break;
    } else if (lag < 0) {
      turnedAway_.fetch_add(1);
      if (wasDrained) *wasDrained = false;
      return false;
    } else {
      at = pushAt_.load(std::memory_order_relaxed);
    }
  }
  ThreadReportRecord& r = cell->record;
  r.origin = origin;
  r.line = line;
  r.code = code;
  CopyTitle(r.title, sizeof r.title, sourcePath ? sourcePath : "");
  const char* text = message ? message : "";
  CopyCut(r.message, sizeof r.message, text, std::strlen(text));
  cell->sequence.store(at + 1, std::memory_order_release);
  if (wasDrained) *wasDrained = !wakeSent_.exchange(true);
  return true;
}

bool CThreadReportRing::Pop(ThreadReportRecord* record) {
  size_t at = popAt_.load(std::memory_order_relaxed);
  Cell* cell = nullptr;
  for (;;) {
    cell = &cells_[at & kMask];
    const size_t sequence = cell->sequence.load(std::memory_order_acquire);
    const intptr_t lag = static_cast<intptr_t>(sequence) - static_cast<intptr_t>(at + 1);
    if (lag == 0) {
      if (popAt_.compare_exchange_weak(at, at + 1, std::memory_order_relaxed)) break;
    } else if (lag < 0) {
      return false;
    } else {
      at = popAt_.load(std::memory_order_relaxed);
    }
  }
  *record = cell->record;
  cell->sequence.store(at + kThreadReportSlots, std::memory_order_release);
  return true;
}

size_t CThreadReportRing::Pending() const {
  const size_t pushed = pushAt_.load();
  const size_t popped = popAt_.load();
  return pushed > popped ? pushed - popped : 0;
}

CThreadReportRing& ThreadReportRing() {
  static CThreadReportRing ring;
  return ring;
}
