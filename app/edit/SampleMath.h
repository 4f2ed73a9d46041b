// Sample arithmetic of the edit workers: products and sums are truncated
// toward zero and kept within -32767..32767, as everywhere audio is scaled
// or added, so a loud edit clips instead of wrapping around.
#pragma once

#include <algorithm>
#include <cstdint>

constexpr float kSampleCeiling = 32767.0f;

// Written so that it vectorises; NaN ends up at the ceiling, never undefined.
inline int16_t SaturateToSample(float value) {
  return static_cast<int16_t>(std::max(-kSampleCeiling, std::min(kSampleCeiling, value)));
}

inline int16_t SaturateToSample(int32_t value) { return static_cast<int16_t>(std::clamp(value, -32767, 32767)); }

inline int16_t ScaleSample(int16_t sample, float gain) { return SaturateToSample(static_cast<float>(sample) * gain); }
