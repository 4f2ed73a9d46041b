#include "Clock.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace platform {

uint32_t GetTickCount32() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
  const uint32_t tick = static_cast<uint32_t>(ms);
  return tick == 0 ? 1 : tick;
}

uint32_t GetUniqueTickCount32() {
  static std::atomic<uint32_t> last{0};
  uint32_t seen = last.load();
  for (;;) {
    const uint32_t tick = GetTickCount32();
    // Compared as a difference: the millisecond count wraps after 49 days.
    uint32_t next = static_cast<int32_t>(tick - seen) > 0 ? tick : seen + 1;
    if (next == 0) next = 1;
    if (last.compare_exchange_weak(seen, next)) return next;
  }
}

void SleepMs(uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace platform
