// The steady-state mix allocates nothing: every operator new of the process
// is counted while blocks are mixed, on every thread (effect workers too).
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "MixerFixtures.h"

namespace {
std::atomic<bool> g_counting{false};
std::atomic<long> g_allocations{0};

void* CountedAllocate(std::size_t bytes) {
  if (g_counting.load(std::memory_order_relaxed)) g_allocations.fetch_add(1, std::memory_order_relaxed);
  void* p = std::malloc(bytes ? bytes : 1);
  if (!p) throw std::bad_alloc();
  return p;
}

void* CountedAllocateAligned(std::size_t bytes, std::align_val_t alignment) {
  if (g_counting.load(std::memory_order_relaxed)) g_allocations.fetch_add(1, std::memory_order_relaxed);
  const std::size_t a = static_cast<std::size_t>(alignment);
  void* p = std::aligned_alloc(a, (bytes + a - 1) / a * a);
  if (!p) throw std::bad_alloc();
  return p;
}
}  // namespace

void* operator new(std::size_t bytes) { return CountedAllocate(bytes); }
void* operator new[](std::size_t bytes) { return CountedAllocate(bytes); }
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept {
  try {
    return CountedAllocate(bytes);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t bytes, const std::nothrow_t& tag) noexcept { return operator new(bytes, tag); }
void* operator new(std::size_t bytes, std::align_val_t a) { return CountedAllocateAligned(bytes, a); }
void* operator new[](std::size_t bytes, std::align_val_t a) { return CountedAllocateAligned(bytes, a); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }

using namespace tessiro::test;

TEST(MixerAllocation, BusyTracksMixWithoutAllocatingOnceTheyRun) {
  constexpr uint32_t kBlock = 8192;
  CTestProject p(kBlock);
  for (int t = 0; t < 24; ++t) {
    const float tempo = t % 2 ? 125.0f : 100.0f;
    p.Place(t, HashSignal, 20 * kBlock, static_cast<uint32_t>(t) * 300, t % 3 ? 2 : 1, tempo);
    if (t < 6) {
      AddProjectEffect(p.Chain(t + 1), ZelmoEcho);
      AddProjectEffect(p.Chain(t + 1), ZelmoReverb);
      AddProjectEffect(p.Chain(t + 1), ZelmoEqualizer);
    }
  }
  p.PlaceLoop(23, Constant(100), 20 * kBlock);
  AddProjectEffect(p.Chain(0), ZelmoEqualizer);
  AddProjectEffect(p.Chain(0), ZelmoEcho);
  p.list.SetTrackGains(2, 0.5f, 1.5f);
  p.list.globalPitch = 1.0f;
  std::vector<int16_t> out(kBlock * 2);
  uint32_t position = 0;
  // The first blocks start the processors and let every store reach its size.
  for (int i = 0; i < 4; ++i, position += kBlock) ASSERT_EQ(p.list.MixAllTracks(out.data(), position, kBlock), 1);
  g_allocations = 0;
  g_counting = true;
  for (int i = 0; i < 8; ++i, position += kBlock) p.list.MixAllTracks(out.data(), position, kBlock);
  g_counting = false;
  EXPECT_EQ(g_allocations.load(), 0);
  // The count sees allocations where there are some.
  g_counting = true;
  auto* probe = new std::vector<int>(10);
  g_counting = false;
  delete probe;
  EXPECT_EQ(g_allocations.load(), 2);
}
