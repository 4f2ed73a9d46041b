// The peak record rule written out frame by frame, as the slow reference the
// peak writer is checked against.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

// Fold each frame; after frame f > 0 that is a multiple of 64 close a record;
// after the last frame close one more when the count is a multiple of 64. A
// record holds per channel the maximum and the minimum's magnitude over 128,
// the latter kept at 255 for a full-scale negative peak.
inline std::vector<uint8_t> ReferencePeaks(const int16_t* samples, uint32_t frames, int channels) {
  std::vector<uint8_t> out;
  int maximum[2] = {0, 0};
  int minimum[2] = {0, 0};
  auto close = [&] {
    for (int c = 0; c < channels; ++c) {
      out.push_back(static_cast<uint8_t>(maximum[c] / 128));
      out.push_back(static_cast<uint8_t>(std::min(255, -minimum[c] / 128)));
      maximum[c] = minimum[c] = 0;
    }
  };
  for (uint32_t f = 0; f < frames; ++f) {
    for (int c = 0; c < channels; ++c) {
      const int s = samples[static_cast<size_t>(f) * channels + c];
      if (s > maximum[c]) maximum[c] = s;
      if (s < minimum[c]) minimum[c] = s;
    }
    if (f > 0 && f % 64 == 0) close();
  }
  if (frames > 0 && frames % 64 == 0) close();
  return out;
}

inline std::vector<uint8_t> ReferencePeaks(const std::vector<int16_t>& samples, uint32_t frames, int channels) {
  return ReferencePeaks(samples.data(), frames, channels);
}
