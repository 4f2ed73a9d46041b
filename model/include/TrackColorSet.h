// The four colours of a track, the Audio Editor's independent audio or a loop,
// each 0x00BBGGRR.
#pragma once

#include <cstdint>

struct TrackColorSet {
  uint32_t snippetBox = 0;
  uint32_t waveformFill = 0;
  uint32_t waveformOutline = 0;
  uint32_t marker = 0;
};
