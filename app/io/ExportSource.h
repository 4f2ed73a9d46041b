// Where written audio comes from: 44100 Hz 16-bit frames, read in order
// from a segment, or rendered through the project's mixer (MixSource.h).
//
// Threads: the user-interface thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "AudioQuality.h"

class CAudioSegment;

namespace io {

class CExportSource {
 public:
  virtual ~CExportSource() = default;
  virtual uint16_t Channels() const = 0;
  // The most frames the source gives, and those it has used up so far (the progress).
  virtual uint32_t TotalFrames() const = 0;
  virtual uint32_t FramesDone() const = 0;
  // Up to frames frames into out; *got is 0 at the end. false after a fault
  // (reported): a source that stopped early must not pass for whole.
  virtual bool Read(int16_t* out, uint32_t frames, uint32_t* got) = 0;
  // A headerless file holding exactly what Read gives, when there is one.
  virtual std::string RawFile() const { return {}; }

  AudioQuality Format() const { return AudioQuality{44100, Channels(), 16}; }
};

// A segment from its first frame to its length.
class CSegmentSource final : public CExportSource {
 public:
  explicit CSegmentSource(CAudioSegment& segment);
  uint16_t Channels() const override;
  uint32_t TotalFrames() const override;
  uint32_t FramesDone() const override { return done_; }
  bool Read(int16_t* out, uint32_t frames, uint32_t* got) override;
  std::string RawFile() const override;

 private:
  CAudioSegment& segment_;
  uint32_t done_ = 0;
  std::vector<uint8_t> staging_;  // a segment read needs room beyond the frames asked for
};

}  // namespace io
