// Encodes raw PCM to MP3 with LAME, from a file or streamed through LAME's
// input from a callback. LAME writes beside the destination under a temporary
// name; only a successful run replaces the destination.
#pragma once

#include <string>
#include <vector>

#include "Lunder.h"

namespace lunder {

// LAME's arguments (after the program name) for raw input in format at kbps.
// Raw 16-bit PCM is signed little-endian, 8-bit unsigned, as the WAV format
// stores them. rawPath "-": LAME's input.
std::vector<std::string> LameEncodeArguments(short kbps, const AudioQuality& format, const std::string& rawPath,
                                             const std::string& mp3Path);

class CMP3Encoder {
 public:
  // pull null: the PCM is in rawInputPath; else pull gives it.
  CMP3Encoder(const char* rawInputPath, OmbrelEncodeCallback pull, short kbps, AudioQuality format,
              const char* destinationPath, LunderProgressCallback progress, LunderPriority priority);
  virtual ~CMP3Encoder();
  CMP3Encoder(const CMP3Encoder&) = delete;
  CMP3Encoder& operator=(const CMP3Encoder&) = delete;

  unsigned int Encode();

 private:
  bool Refused();

  std::string rawPath_;
  OmbrelEncodeCallback pull_;
  std::string destinationPath_;
  bool hasPaths_;
  short kbps_;
  AudioQuality format_;
  LunderProgressCallback progress_;
  LunderPriority priority_;
};

}  // namespace lunder
