// The format of a PCM stream, shared by the codecs and the program's audio segments.
#pragma once

#include <cstdint>

struct AudioQuality {
  uint32_t samplesPerSecond = 44100;
  uint16_t channels = 2;
  uint16_t bitsPerSample = 16;
};
