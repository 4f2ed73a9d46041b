// Decodes one MP3 file: LAME writes it as a WAV stream through a pipe, which
// goes on to the caller block by block while LAME decodes.
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
