// The ring that holds fault reports raised on threads other than the
// user-interface thread until that thread drains them: a fixed array of
// fixed-size records, so raising a report builds no string and allocates
// nothing. Any number of threads may push at once without a lock; one thread
// (the user-interface thread) pops.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "ReportSink.h"

struct ThreadReportRecord {
  ReportOrigin origin = ReportOrigin::Library;
  int line = 0;
  int32_t code = 0;  // errno when raised
  char title[kThreadReportTitleBytes] = {};
  char message[kThreadReportMessageBytes] = {};
};

class CThreadReportRing {
 public:
  CThreadReportRing();
  CThreadReportRing(const CThreadReportRing&) = delete;
  CThreadReportRing& operator=(const CThreadReportRing&) = delete;

  // Copies the report in, title and message cut to fit. False when the ring
  // is full (the report is counted as turned away); *wasDrained tells whether
  // this is the first report since the last drain.
  bool Push(ReportOrigin origin, const char* sourcePath, int line, const char* message, int32_t code,
            bool* wasDrained);
  // The oldest waiting report; false when none waits.
  bool Pop(ThreadReportRecord* record);
  // Reports turned away since the last call, and clears the count.
  uint32_t TakeTurnedAway() { return turnedAway_.exchange(0); }
  size_t Pending() const;
  // Marks the ring drained: the next push wakes the drainer again.
  void MarkDrained() { wakeSent_.store(false); }

 private:
  static constexpr size_t kMask = kThreadReportSlots - 1;
  static_assert((kThreadReportSlots & kMask) == 0, "the ring's size is a power of two");

  struct Cell {
    std::atomic<size_t> sequence;
    ThreadReportRecord record;
  };
  Cell cells_[kThreadReportSlots];
  alignas(64) std::atomic<size_t> pushAt_{0};
  alignas(64) std::atomic<size_t> popAt_{0};
  std::atomic<uint32_t> turnedAway_{0};
  std::atomic<bool> wakeSent_{false};
};

// The process's one ring (every library's copy of this code resolves to one).
CThreadReportRing& ThreadReportRing();
