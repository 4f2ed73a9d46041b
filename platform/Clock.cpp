#include "Clock.h"

#include <chrono>
#include <thread>

namespace platform {

uint32_t GetTickCount32() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
  const uint32_t tick = static_cast<uint32_t>(ms);
  return tick == 0 ? 1 : tick;
}

void SleepMs(uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace platform
