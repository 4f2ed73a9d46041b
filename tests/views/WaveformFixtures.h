// Segments of known audio for the painter's tests, its benchmark and the skin preview, and a source
// that counts what the painter reads.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "AudioSegment.h"
#include "waveform/WaveformSource.h"

namespace tessiro::test {

using SampleAt = std::function<int16_t(uint32_t frame, int channel)>;

// frames frames of audio written in blocks of 8192 frames (whole peak records),
// closed, with its length set.
inline std::unique_ptr<CAudioSegment> MakeWaveSegment(const std::string& folder, uint16_t channels, uint32_t frames,
                                                      const SampleAt& sampleAt) {
  auto segment = std::make_unique<CAudioSegment>(folder);
  segment->SetFormat(AudioQuality{44100, channels, 16});
  segment->Open(1);
  std::vector<int16_t> block;
  for (uint32_t done = 0; done < frames;) {
    const uint32_t n = std::min<uint32_t>(8192, frames - done);
    block.resize(static_cast<size_t>(n) * channels);
    for (uint32_t f = 0; f < n; ++f) {
      for (int c = 0; c < channels; ++c) block[static_cast<size_t>(f) * channels + c] = sampleAt(done + f, c);
    }
    uint32_t written = 0;
    segment->Write(block.data(), n, &written);
    done += n;
  }
  segment->Close();
  segment->length = frames;
  return segment;
}

// Passes everything to a segment and counts the reads of audio and of peaks.
class CCountingSource final : public CWaveformSource {
 public:
  explicit CCountingSource(CAudioSegment& segment) : inner_(segment) {}
  uint16_t Channels() const override { return inner_.Channels(); }
  uint32_t Length() const override { return inner_.Length(); }
  void ReadFrames(uint32_t first, uint32_t frames, int16_t* out) override {
    ++reads;
    framesAsked += frames;
    inner_.ReadFrames(first, frames, out);
  }
  void PeakData(const uint8_t** data, uint32_t* size) override {
    ++peakReads;
    inner_.PeakData(data, size);
  }
  uint32_t PeakCount() const override { return inner_.PeakCount(); }

  int reads = 0;
  uint64_t framesAsked = 0;
  int peakReads = 0;

 private:
  CSegmentWaveformSource inner_;
};

}  // namespace tessiro::test
