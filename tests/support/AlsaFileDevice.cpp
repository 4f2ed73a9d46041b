#include "AlsaFileDevice.h"

#include <stdlib.h>

#include <fstream>
#include <random>

#include "AudioFixtures.h"

namespace tessiro::test {

CAlsaFileDevice::CAlsaFileDevice(const std::vector<uint8_t>& recordFrom) {
  const char* old = std::getenv("ALSA_CONFIG_PATH");
  hadPath_ = old != nullptr;
  oldPath_ = old ? old : "";
  WriteBytes(folder_ / "record-from.raw", recordFrom);
  // Only what the tests open: the default device, and "null" itself.
  std::ofstream config(folder_ / "asound.conf");
  config << "pcm.null { type null }\n"
         << "pcm.!default {\n"
         << "  type asym\n"
         << "  playback.pcm { type file slave.pcm \"null\" format \"raw\" file \"" << folder_ / "played.raw"
         << "\" }\n"
         << "  capture.pcm { type file slave.pcm \"null\" format \"raw\" file \"/dev/null\" infile \""
         << folder_ / "record-from.raw" << "\" }\n"
         << "}\n";
  config.close();
  setenv("ALSA_CONFIG_PATH", (folder_ / "asound.conf").c_str(), 1);
}

CAlsaFileDevice::~CAlsaFileDevice() {
  if (hadPath_) {
    setenv("ALSA_CONFIG_PATH", oldPath_.c_str(), 1);
  } else {
    unsetenv("ALSA_CONFIG_PATH");
  }
}

std::vector<uint8_t> CAlsaFileDevice::Played() const { return ReadBytes(folder_ / "played.raw"); }

std::vector<uint8_t> NoiseFrames(size_t frames, uint32_t seed) {
  std::mt19937 generator(seed);
  std::vector<uint8_t> bytes(frames * 4);
  for (uint8_t& b : bytes) b = static_cast<uint8_t>(generator());
  return bytes;
}

}  // namespace tessiro::test
