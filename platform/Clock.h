// Millisecond clock for tick stamps, time-outs and identifiers.
#pragma once

#include <cstdint>

namespace platform {

// Milliseconds of a monotonic clock, wrapping at 2^32 like the tick counts the
// stored identifiers were made with. Never 0: callers use 0 for "unset".
uint32_t GetTickCount32();

void SleepMs(uint32_t milliseconds);

}  // namespace platform
