// Small arithmetic every effect shares. Results are defined in float, in the
// order written here; the library is built without contraction or fast-math.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

constexpr float kSampleRate = 44100.0f;

// Effects saturate to -32767..32767 (never -32768), truncating toward zero.
// NaN lands on the lower limit rather than in undefined behaviour.
inline short ClipSample(float x) {
  return static_cast<short>(static_cast<int>(std::min(32767.0f, std::max(-32767.0f, x))));
}

// trunc(ms / 1000 * 44100), with negative, NaN and absurd values held in range.
inline uint32_t MsToSamples(float ms) {
  const float samples = ms / 1000.0f * kSampleRate;
  if (!(samples > 0.0f)) return 0;
  if (samples >= 2147483647.0f) return 2147483647u;
  return static_cast<uint32_t>(samples);
}

// A gain rounded to the nearest thousandth: trunc(x * 1000 + 0.5) / 1000.
inline float RoundToThousandth(float x) { return std::trunc(x * 1000.0f + 0.5f) / 1000.0f; }
