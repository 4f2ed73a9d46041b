// Page-wise memory for large audio buffers: address space is reserved first and
// committed as needed, like the buffers of the effects, tempo processors and
// track rings. Each step can fail on its own, and callers report each failure
// with their own text; errno holds the cause.
#pragma once

#include <cstddef>

namespace platform {

class CPageBuffer {
 public:
  CPageBuffer() = default;
  ~CPageBuffer();
  CPageBuffer(CPageBuffer&& other) noexcept;
  CPageBuffer& operator=(CPageBuffer&& other) noexcept;
  CPageBuffer(const CPageBuffer&) = delete;
  CPageBuffer& operator=(const CPageBuffer&) = delete;

  // Reserves address space for bytes (rounded up to whole pages); nothing is usable yet.
  bool Reserve(size_t bytes);
  // Makes [offset, offset + bytes) readable and writable; new pages read as zero.
  bool Commit(size_t offset, size_t bytes);
  // Backs committed pages with memory now, keeping what they hold, so that
  // the first write of a real-time thread takes no page fault there.
  bool Populate(size_t offset, size_t bytes);
  // Gives the pages back; the range reads as zero when committed again.
  bool Decommit(size_t offset, size_t bytes);
  // Returns the whole reservation; a buffer that holds nothing releases successfully.
  bool Release();

  // Reserve and commit the whole size in one step.
  bool Allocate(size_t bytes);

  void* Data() const { return data_; }
  size_t ReservedBytes() const { return reserved_; }
  bool IsReserved() const { return data_ != nullptr; }

  static size_t PageSize();

 private:
  void* data_ = nullptr;
  size_t reserved_ = 0;
};

// Makes the next count calls of one step fail with ENOMEM, so the reports of
// allocation failures can be tested.
enum class PageStep { Reserve, Commit, Decommit, Release };
void FailNextPageSteps(PageStep step, int count);
// Reservations made so far in this process, so tests can prove that a path
// (an audio thread's) maps no new memory.
long PageReservationCount();

}  // namespace platform
