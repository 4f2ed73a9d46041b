#include "AllocationCounter.h"

#include <atomic>
#include <cstdlib>
#include <new>

#if defined(__SANITIZE_THREAD__)
// ThreadSanitizer's own allocator is replaced here, so a block that a library
// it does not see into hands to another thread to free (Qt's thread pool
// does) would look like a race of this file's malloc and free. A block is
// always freed after it was made: that much is told.
extern "C" void AnnotateHappensBefore(const char* file, int line, const volatile void* address);
extern "C" void AnnotateHappensAfter(const char* file, int line, const volatile void* address);
#define TESSIRO_MADE(p) AnnotateHappensBefore(__FILE__, __LINE__, p)
#define TESSIRO_FREED(p) AnnotateHappensAfter(__FILE__, __LINE__, p)
#else
#define TESSIRO_MADE(p)
#define TESSIRO_FREED(p)
#endif

namespace tessiro::test {
namespace {

std::atomic<bool> g_counting{false};
std::atomic<long> g_allocations{0};
std::atomic<bool (*)()> g_filter{nullptr};

void Count() {
  if (!g_counting.load(std::memory_order_relaxed)) return;
  bool (*filter)() = g_filter.load(std::memory_order_relaxed);
  if (!filter || filter()) g_allocations.fetch_add(1, std::memory_order_relaxed);
}

void* Allocate(std::size_t bytes) {
  Count();
  if (void* p = std::malloc(bytes ? bytes : 1)) {
    TESSIRO_MADE(p);
    return p;
  }
  throw std::bad_alloc();
}

void* AllocateAligned(std::size_t bytes, std::align_val_t alignment) {
  Count();
  const std::size_t a = static_cast<std::size_t>(alignment);
  if (void* p = std::aligned_alloc(a, (bytes + a - 1) / a * a)) {
    TESSIRO_MADE(p);
    return p;
  }
  throw std::bad_alloc();
}

void Free(void* p) {
  if (!p) return;
  TESSIRO_FREED(p);
  std::free(p);
}

}  // namespace

void StartCountingAllocations(bool (*countThisThread)()) {
  g_filter.store(countThisThread);
  g_allocations.store(0);
  g_counting.store(true);
}

long StopCountingAllocations() {
  g_counting.store(false);
  return g_allocations.load();
}

long CountedAllocations() { return g_allocations.load(); }

}  // namespace tessiro::test

using tessiro::test::Allocate;
using tessiro::test::AllocateAligned;
using tessiro::test::Free;

void* operator new(std::size_t bytes) { return Allocate(bytes); }
void* operator new[](std::size_t bytes) { return Allocate(bytes); }
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept {
  try {
    return Allocate(bytes);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t bytes, const std::nothrow_t& tag) noexcept { return operator new(bytes, tag); }
void* operator new(std::size_t bytes, std::align_val_t a) { return AllocateAligned(bytes, a); }
void* operator new[](std::size_t bytes, std::align_val_t a) { return AllocateAligned(bytes, a); }
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { Free(p); }
void operator delete[](void* p) noexcept { Free(p); }
void operator delete(void* p, std::size_t) noexcept { Free(p); }
void operator delete[](void* p, std::size_t) noexcept { Free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Free(p); }
void operator delete(void* p, std::align_val_t) noexcept { Free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { Free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { Free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { Free(p); }
#pragma GCC diagnostic pop
