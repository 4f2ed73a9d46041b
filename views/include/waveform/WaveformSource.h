// What the waveform painter reads of a piece of audio: its format and length,
// its frames and its peak records. The painter reads an audio segment through
// CSegmentWaveformSource; tests wrap it to count what the painter touches.
#pragma once

#include <cstdint>
#include <vector>

class CAudioSegment;

class CWaveformSource {
 public:
  virtual ~CWaveformSource() = default;
  virtual uint16_t Channels() const = 0;
  virtual uint32_t Length() const = 0;  // frames
  // Frames from first on into out, which holds frames * Channels() samples; what
  // lies past the end, or could not be read, is 0.
  virtual void ReadFrames(uint32_t first, uint32_t frames, int16_t* out) = 0;
  // The peak records (2 bytes a record for mono, 4 for stereo); size 0 without any.
  virtual void PeakData(const uint8_t** data, uint32_t* size) = 0;
  // The peak bytes the audio's owner vouches for.
  virtual uint32_t PeakCount() const = 0;
};

// Reads a segment on the user-interface thread. The segment's read side is left
// as it was found: opened for the read and closed again when it was closed, so
// that a read side the player holds is never closed under it.
class CSegmentWaveformSource final : public CWaveformSource {
 public:
  explicit CSegmentWaveformSource(CAudioSegment& segment) : segment_(segment) {}
  uint16_t Channels() const override;
  uint32_t Length() const override;
  void ReadFrames(uint32_t first, uint32_t frames, int16_t* out) override;
  void PeakData(const uint8_t** data, uint32_t* size) override;
  uint32_t PeakCount() const override;

 private:
  CAudioSegment& segment_;
  std::vector<int16_t> scratch_;
};
