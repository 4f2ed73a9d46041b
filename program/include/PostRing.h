// A bounded queue many threads push into and the user-interface thread pops
// from, without locks and without allocating: the cells are made once, and a
// push into a full ring fails instead of waiting. Each cell's sequence number
// tells a pusher whether the cell is free and the popper whether it is filled.
//
// Threads: Push from any thread (audio threads included), Pop from any thread.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

template <class T, size_t N>
class CPostRing {
  static_assert(N >= 2 && (N & (N - 1)) == 0, "the ring's size is a power of two");

 public:
  CPostRing() {
    for (size_t i = 0; i < N; ++i) cells_[i].sequence.store(i, std::memory_order_relaxed);
  }
  CPostRing(const CPostRing&) = delete;
  CPostRing& operator=(const CPostRing&) = delete;

  // False when the ring is full.
  bool Push(const T& value) {
    size_t position = pushAt_.load(std::memory_order_relaxed);
    Cell* cell;
    for (;;) {
      cell = &cells_[position & (N - 1)];
      const size_t sequence = cell->sequence.load(std::memory_order_acquire);
      const intptr_t lag = static_cast<intptr_t>(sequence) - static_cast<intptr_t>(position);
      if (lag == 0) {
        if (pushAt_.compare_exchange_weak(position, position + 1, std::memory_order_relaxed)) break;
      } else if (lag < 0) {
        return false;
      } else {
        position = pushAt_.load(std::memory_order_relaxed);
      }
    }
    cell->value = value;
    cell->sequence.store(position + 1, std::memory_order_release);
    return true;
  }

  // False when the ring is empty.
  bool Pop(T& value) {
    size_t position = popAt_.load(std::memory_order_relaxed);
    Cell* cell;
    for (;;) {
      cell = &cells_[position & (N - 1)];
      const size_t sequence = cell->sequence.load(std::memory_order_acquire);
      const intptr_t lag = static_cast<intptr_t>(sequence) - static_cast<intptr_t>(position + 1);
      if (lag == 0) {
        if (popAt_.compare_exchange_weak(position, position + 1, std::memory_order_relaxed)) break;
      } else if (lag < 0) {
        return false;
      } else {
        position = popAt_.load(std::memory_order_relaxed);
      }
    }
    value = cell->value;
    cell->sequence.store(position + N, std::memory_order_release);
    return true;
  }

 private:
  struct Cell {
    std::atomic<size_t> sequence;
    T value{};
  };
  std::array<Cell, N> cells_;
  alignas(64) std::atomic<size_t> pushAt_{0};
  alignas(64) std::atomic<size_t> popAt_{0};
};
