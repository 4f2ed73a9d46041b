// ALSA's "default" device built from ALSA's own plugins, so that the real ALSA
// path runs on a machine without sound hardware: what is played goes through
// the file plugin into a file (over the null device), and capture reads a
// file through the file plugin (over the null device). Neither side keeps
// time: the null device takes and gives audio as fast as it is asked.
//
// While the object lives, this process's ALSA_CONFIG_PATH names a
// configuration written for it; ALSA reads it at the next device open.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "TempFolder.h"

namespace tessiro::test {

class CAlsaFileDevice {
 public:
  // recordFrom: the 16-bit stereo frames capture gives, from the first on.
  explicit CAlsaFileDevice(const std::vector<uint8_t>& recordFrom);
  ~CAlsaFileDevice();
  CAlsaFileDevice(const CAlsaFileDevice&) = delete;
  CAlsaFileDevice& operator=(const CAlsaFileDevice&) = delete;

  // Everything played so far; whole once the device was closed.
  std::vector<uint8_t> Played() const;

 private:
  CTempFolder folder_;
  bool hadPath_ = false;
  std::string oldPath_;
};

// Bytes of 16-bit stereo frames that differ from frame to frame without a
// pattern, so a frame out of place or missing never matches by chance.
std::vector<uint8_t> NoiseFrames(size_t frames, uint32_t seed);

}  // namespace tessiro::test
