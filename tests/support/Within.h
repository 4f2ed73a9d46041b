// Waits for what another thread or process does: polls until the condition
// holds, false when the time is up first.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace tessiro::test {

inline bool Within(std::chrono::milliseconds limit, const std::function<bool()>& done) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

}  // namespace tessiro::test
