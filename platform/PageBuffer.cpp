#include "PageBuffer.h"

#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <utility>

namespace platform {
namespace {

std::atomic<int> g_failures[4];
std::atomic<long> g_reservations{0};

bool InjectedFailure(PageStep step) {
  std::atomic<int>& left = g_failures[static_cast<int>(step)];
  int n = left.load();
  while (n > 0) {
    if (left.compare_exchange_weak(n, n - 1)) {
      errno = ENOMEM;
      return true;
    }
  }
  return false;
}

size_t RoundUp(size_t bytes) {
  const size_t page = CPageBuffer::PageSize();
  return (bytes + page - 1) / page * page;
}

}  // namespace

void FailNextPageSteps(PageStep step, int count) { g_failures[static_cast<int>(step)].store(count); }

long PageReservationCount() { return g_reservations.load(); }

size_t CPageBuffer::PageSize() {
  static const size_t size = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  return size;
}

CPageBuffer::~CPageBuffer() {
  if (data_) munmap(data_, reserved_);
}

CPageBuffer::CPageBuffer(CPageBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), reserved_(std::exchange(other.reserved_, 0)) {}

CPageBuffer& CPageBuffer::operator=(CPageBuffer&& other) noexcept {
  if (this != &other) {
    if (data_) munmap(data_, reserved_);
    data_ = std::exchange(other.data_, nullptr);
    reserved_ = std::exchange(other.reserved_, 0);
  }
  return *this;
}

bool CPageBuffer::Reserve(size_t bytes) {
  if (data_ || bytes == 0) {
    errno = EINVAL;
    return false;
  }
  if (InjectedFailure(PageStep::Reserve)) return false;
  const size_t size = RoundUp(bytes);
  void* p = mmap(nullptr, size, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (p == MAP_FAILED) return false;
  g_reservations.fetch_add(1, std::memory_order_relaxed);
  data_ = p;
  reserved_ = size;
  return true;
}

bool CPageBuffer::Commit(size_t offset, size_t bytes) {
  if (!data_ || offset > reserved_ || bytes > reserved_ - offset) {
    errno = EINVAL;
    return false;
  }
  if (InjectedFailure(PageStep::Commit)) return false;
  const size_t page = PageSize();
  const size_t begin = offset / page * page;
  const size_t end = RoundUp(offset + bytes);
  return mprotect(static_cast<char*>(data_) + begin, end - begin, PROT_READ | PROT_WRITE) == 0;
}

bool CPageBuffer::Populate(size_t offset, size_t bytes) {
  if (!data_ || offset > reserved_ || bytes > reserved_ - offset) {
    errno = EINVAL;
    return false;
  }
  if (bytes == 0) return true;
  const size_t page = PageSize();
  const size_t begin = offset / page * page;
  const size_t end = RoundUp(offset + bytes);
  char* start = static_cast<char*>(data_) + begin;
#ifdef MADV_POPULATE_WRITE
  if (madvise(start, end - begin, MADV_POPULATE_WRITE) == 0) return true;
  if (errno != EINVAL) return false;
#endif
  // Kernels before 5.14: a write of what each page holds faults it in.
  for (size_t at = 0; at < end - begin; at += page) {
    volatile char* p = start + at;
    *p = *p;
  }
  return true;
}

bool CPageBuffer::Decommit(size_t offset, size_t bytes) {
  if (!data_ || offset > reserved_ || bytes > reserved_ - offset) {
    errno = EINVAL;
    return false;
  }
  if (InjectedFailure(PageStep::Decommit)) return false;
  const size_t page = PageSize();
  const size_t begin = offset / page * page;
  const size_t end = RoundUp(offset + bytes);
  char* start = static_cast<char*>(data_) + begin;
  if (madvise(start, end - begin, MADV_DONTNEED) != 0) return false;
  return mprotect(start, end - begin, PROT_NONE) == 0;
}

bool CPageBuffer::Release() {
  if (!data_) return true;
  if (InjectedFailure(PageStep::Release)) return false;
  if (munmap(data_, reserved_) != 0) return false;
  data_ = nullptr;
  reserved_ = 0;
  return true;
}

bool CPageBuffer::Allocate(size_t bytes) {
  if (!Reserve(bytes)) return false;
  if (Commit(0, bytes)) return true;
  const int saved = errno;
  Release();
  errno = saved;
  return false;
}

}  // namespace platform
