// WAV files of the virtual device. Its inputs can play the frames of a small
// PCM WAV file, as 16-bit stereo: deliberately minimal, 8- or 16-bit PCM, mono
// or stereo, at the rate the device runs; anything else is refused with a
// reason. Its outputs can write what they play to a 16-bit stereo WAV file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "File.h"

namespace platform {

// Parses a RIFF/WAVE image. stereo receives interleaved left/right samples.
bool ParseWaveFileFrames(const uint8_t* bytes, size_t length, uint32_t expectedRate, std::vector<int16_t>& stereo,
                         std::string& error);
bool ReadWaveFileFrames(const std::string& path, uint32_t expectedRate, std::vector<int16_t>& stereo,
                        std::string& error);

// A 16-bit stereo WAV file that grows as frames are appended. Its header is
// brought up to date after every append, so the file is whole whenever the
// program stops, however it stops.
class CWaveFileSink {
 public:
  // Creates (or empties) the file; false when it cannot be written.
  bool Open(const std::string& path, uint32_t samplesPerSecond);
  // Appends bytes of interleaved 16-bit stereo frames; what would take the
  // file past 4 GB is dropped.
  void Append(const uint8_t* bytes, size_t length);
  bool IsOpen() const { return file_.IsOpen(); }
  uint32_t DataBytes() const { return dataBytes_; }

 private:
  void WriteSizes();

  CFile file_;
  uint32_t dataBytes_ = 0;
};

}  // namespace platform
