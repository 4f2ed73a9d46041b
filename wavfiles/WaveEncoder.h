// Writes PCM pulled from the caller's callback as a canonical 44-byte-header WAV
// file. The file is built under a temporary name beside the destination and
// renamed over it only when complete.
#pragma once

#include <cstdint>
#include <string>

#include "Ombrel.h"

namespace ombrel {

constexpr uint32_t kWaveHeaderBytes = 44;

// The canonical header for dataBytes of PCM in format. An odd data size is
// followed by one pad byte in the file, which the RIFF size counts.
void MakeCanonicalWaveHeader(const AudioQuality& format, uint32_t dataBytes, uint8_t header[kWaveHeaderBytes]);

class CWaveEncoder {
 public:
  CWaveEncoder(const char* path, AudioQuality format, OmbrelEncodeCallback callback);
  virtual ~CWaveEncoder();
  CWaveEncoder(const CWaveEncoder&) = delete;
  CWaveEncoder& operator=(const CWaveEncoder&) = delete;

  // kOmbrelDone (also after a reported failure) or kOmbrelCancelled.
  unsigned int Encode();

 private:
  std::string path_;
  bool hasPath_;
  AudioQuality format_;
  OmbrelEncodeCallback callback_;
};

}  // namespace ombrel
