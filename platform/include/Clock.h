// Millisecond clock for tick stamps, time-outs and identifiers.
#pragma once

#include <cstdint>

namespace platform {

// Milliseconds of a monotonic clock, wrapping at 2^32 like the tick counts the
// stored identifiers were made with. Never 0: callers use 0 for "unset".
uint32_t GetTickCount32();

// The tick count as an identifier: never 0, never the same twice in this
// process, always rising. Asked again within a millisecond it hands out the
// value after the last one and runs ahead of the clock until the clock catches
// up, so making thousands of objects never waits.
uint32_t GetUniqueTickCount32();

void SleepMs(uint32_t milliseconds);

}  // namespace platform
