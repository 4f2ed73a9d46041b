// Decodes one MP3 file: LAME writes it as a temporary WAV file, which the WAV
// codec then hands to the caller block by block. The temporary file is removed
// whatever happens.
#pragma once

#include <string>

#include "Lunder.h"

namespace lunder {

class CMP3Decoder {
 public:
  CMP3Decoder(const char* mp3Path, LunderProgressCallback progress, OmbrelDecodeCallback data);
  virtual ~CMP3Decoder();
  CMP3Decoder(const CMP3Decoder&) = delete;
  CMP3Decoder& operator=(const CMP3Decoder&) = delete;

  unsigned int Decode();

 private:
  std::string mp3Path_;
  bool hasPath_;
  LunderProgressCallback progress_;
  OmbrelDecodeCallback data_;
};

}  // namespace lunder
