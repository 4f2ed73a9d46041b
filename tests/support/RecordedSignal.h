// What a recorder makes of the virtual card's known signal: the frame a take
// holds for a clock frame, by the input's part (pair, left, right) and the
// take's channels.
#pragma once

#include <cstdint>

#include "VirtualWaveSystem.h"

namespace tessiro::test {

// inputIndex: physical input x 3 + (0 pair, 1 left, 2 right); channels 1 or 2.
inline void RecordedFrame(int32_t inputIndex, int16_t channels, uint64_t clockFrame, int16_t out[2]) {
  int16_t left, right;
  platform::CVirtualWaveSystem::SignalAt(clockFrame, left, right);
  const int part = inputIndex % 3;
  if (channels == 2) {
    if (part == 0) {
      out[0] = left;
      out[1] = right;
    } else {
      out[0] = out[1] = static_cast<int16_t>((part == 1 ? left : right) / 2);
    }
  } else {
    out[0] = part == 0 ? static_cast<int16_t>((left + right) / 2) : part == 1 ? left : right;
  }
}

}  // namespace tessiro::test
