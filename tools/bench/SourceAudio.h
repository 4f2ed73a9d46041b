// The tracks' audio of the mixer's and the transport's benchmarks: noise at a
// level where 24 tracks add up to a loud but mostly unclipped mix, the same on
// every run, so that what the mix gives can be worked out sample by sample.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "AudioSegment.h"

namespace bench {

inline int16_t Source(uint32_t frame, int channel, int track) {
  const uint32_t mixed = (frame + static_cast<uint32_t>(track) * 104729u) * 2654435761u + channel * 40503u;
  return static_cast<int16_t>(static_cast<int16_t>(mixed >> 16) >> 3);
}

// A closed stereo segment in folder holding frames of the track's source (written
// in whole blocks of 8,192 frames, the last one past its length).
inline std::shared_ptr<CAudioSegment> SourceSegment(const std::string& folder, int track, uint32_t frames, float tempo) {
  std::vector<int16_t> block(8192 * 2);
  auto segment = std::make_shared<CAudioSegment>(folder);
  segment->SetFormat(AudioQuality{44100, 2, 16});
  segment->Open(1);
  for (uint32_t done = 0; done < frames; done += 8192) {
    for (uint32_t f = 0; f < 8192; ++f) {
      for (int c = 0; c < 2; ++c) block[f * 2 + c] = Source(done + f, c, track);
    }
    uint32_t written = 0;
    segment->Write(block.data(), 8192, &written);
  }
  segment->Close();
  segment->length = frames;
  segment->tempo = tempo;
  return segment;
}

}  // namespace bench
