// Decodes one WAV file into PCM blocks for the caller's callback: plain 8/16-bit
// PCM with one or two channels directly, every other format through the
// converter (16-bit, at most two channels).
#pragma once

#include <string>

#include "WaveHeader.h"
#include "Ombrel.h"

namespace ombrel {

class CLargeFile;

class CWaveDecoder {
 public:
  CWaveDecoder(const char* path, OmbrelDecodeCallback callback);
  virtual ~CWaveDecoder();
  CWaveDecoder(const CWaveDecoder&) = delete;
  CWaveDecoder& operator=(const CWaveDecoder&) = delete;

  // kOmbrelDone (also after a reported failure) or kOmbrelCancelled.
  unsigned int Decode();

 private:
  enum class Outcome { Done, Cancelled, ReadFailed };
  Outcome DecodeDirect(CLargeFile& file, const WaveHeader& header, bool* delivered);
  Outcome DecodeConverted(CLargeFile& file, const WaveHeader& header);

  std::string path_;
  bool hasPath_;
  OmbrelDecodeCallback callback_;
};

}  // namespace ombrel
