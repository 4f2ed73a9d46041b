#include "AllocationCounter.h"

#include <atomic>
#include <cstdlib>
#include <new>

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
  if (void* p = std::malloc(bytes ? bytes : 1)) return p;
  throw std::bad_alloc();
}

void* AllocateAligned(std::size_t bytes, std::align_val_t alignment) {
  Count();
  const std::size_t a = static_cast<std::size_t>(alignment);
  if (void* p = std::aligned_alloc(a, (bytes + a - 1) / a * a)) return p;
  throw std::bad_alloc();
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
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop
