// The frames of a small PCM WAV file, as 16-bit stereo, for the virtual device's
// inputs to play. Deliberately minimal: 8- or 16-bit PCM, mono or stereo, at the
// rate the device runs; anything else is refused with a reason.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Parses a RIFF/WAVE image. stereo receives interleaved left/right samples.
bool ParseWaveFileFrames(const uint8_t* bytes, size_t length, uint32_t expectedRate, std::vector<int16_t>& stereo,
                         std::string& error);
bool ReadWaveFileFrames(const std::string& path, uint32_t expectedRate, std::vector<int16_t>& stereo,
                        std::string& error);

}  // namespace platform
