// LAME's decoded WAV as it streams out of LAME: the header is read from the
// first bytes, then the PCM goes to the caller's decode callback in the pieces
// it arrives in, whole frames only. LAME cannot go back to write the length
// into the header of a stream, so a header that leaves the size open is read
// to the stream's end; a size it does give is kept to.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "WaveHeader.h"
#include "LameProcess.h"
#include "Ombrel.h"

namespace lunder {

class CWaveStream final : public CLameAudio {
 public:
  // mp3Path is named in the reports, which come under reportSource.
  CWaveStream(std::string mp3Path, OmbrelDecodeCallback data, const char* reportSource);

  Step Take(const uint8_t* bytes, size_t count, short percent) override;
  Step Finish() override;

 private:
  Step ReadHeader(short percent);
  Step Deliver(const uint8_t* bytes, size_t count, short percent);
  Step Fail(int line, const std::string& text);

  std::string mp3Path_;
  OmbrelDecodeCallback data_;
  const char* source_;
  std::vector<uint8_t> head_;   // the stream's first bytes until the header is whole
  std::vector<uint8_t> piece_;  // what goes to the callback, whole frames
  ombrel::WaveHeader header_;
  bool haveHeader_ = false;
  bool sizeOpen_ = false;
  uint64_t remaining_ = 0;  // data bytes still to come, when the header gives a size
  uint64_t delivered_ = 0;  // data bytes handed on, and held in piece_
  AudioQuality format_{};
};

}  // namespace lunder
