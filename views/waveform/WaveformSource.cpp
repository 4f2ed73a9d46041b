#include "waveform/WaveformSource.h"

#include <algorithm>

#include "AudioSegment.h"

uint16_t CSegmentWaveformSource::Channels() const { return segment_.GetChannels(); }

uint32_t CSegmentWaveformSource::Length() const { return segment_.length; }

void CSegmentWaveformSource::ReadFrames(uint32_t first, uint32_t frames, int16_t* out) {
  const size_t channels = segment_.GetChannels();
  std::fill(out, out + frames * channels, int16_t{0});
  if (first >= segment_.length || frames == 0 || channels == 0) return;
  const uint32_t wanted = std::min(frames, segment_.length - first);

  const bool wasClosed = segment_.IsReadHandleClosed();
  if (segment_.Open(0) != 1) return;
  uint32_t got = 0;
  if (segment_.Seek(first, nullptr) == 0) {
    // The file layer reads whole sectors into the buffer, hence the slack.
    scratch_.resize(wanted * channels + CLargeFile::kReadSlackBytes / sizeof(int16_t) + 1);
    if (segment_.Read(scratch_.data(), wanted, &got) != 1) got = 0;
  }
  std::copy_n(scratch_.data(), std::min(got, wanted) * channels, out);
  if (wasClosed) segment_.CloseReadHandle();
}

void CSegmentWaveformSource::PeakData(const uint8_t** data, uint32_t* size) {
  *data = nullptr;
  *size = 0;
  if (segment_.GetPeakFile().GetData(data, size) != 1 || !*data) {
    *data = nullptr;
    *size = 0;
  }
}

uint32_t CSegmentWaveformSource::PeakCount() const { return segment_.GetPeakCount(); }
