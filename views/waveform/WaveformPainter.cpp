#include "waveform/WaveformPainter.h"

#include <algorithm>
#include <new>
#include <vector>

#include "AudioSegment.h"
#include "Generic.h"
#include "waveform/Envelope.h"

using draw::CBrush;
using draw::CCanvas;
using draw::CPen;
using draw::Point;

namespace {

constexpr const char* kSource = "TrackViewGUI";
constexpr const char* kDivideByZero = "Divide By Zero Violation";
// Fault codes: the report lines of the painter.
constexpr int kLineSampleSpanZero = 118;
constexpr int kLineSampleNoMemory = 154;
constexpr int kLineLengthZero = 778;

// Where the channels are drawn: mono around the middle scaled to half the
// height, stereo around the quarter lines of the height scaled to a quarter.
struct Bands {
  int count = 1;
  int centre[2] = {0, 0};
  int scale = 0;
};

Bands BandsFor(int channels, int y, int height) {
  const int half = height / 2;
  const int quarter = height / 4;
  Bands bands;
  if (channels == 2) {
    bands.count = 2;
    bands.centre[0] = y + quarter;
    bands.centre[1] = y + quarter + half;
    bands.scale = quarter;
  } else {
    bands.centre[0] = y + half;
    bands.scale = half;
  }
  return bands;
}

void SelectFrameObject(CCanvas& dc, const WaveFrameObject& frameObject) {
  if (const CPen* pen = std::get_if<CPen>(&frameObject)) dc.SelectPen(*pen);
  if (const CBrush* brush = std::get_if<CBrush>(&frameObject)) dc.SelectBrush(*brush);
}

// A sample's distance from the centre line, in pixels of a band of the given scale.
int SampleOffset(int sample, int scale) { return sample * scale / 32768; }

// Each envelope is filled with the brush and outlined with the pen in one go:
// the outline covers exactly the pixels an open outline through the same points would.
void DrawEnvelopes(CCanvas& dc, const CPen& pen, const CBrush& brush, const std::vector<CEnvelope>& envelopes) {
  dc.SelectBrush(brush);
  dc.SelectPen(pen);
  for (const CEnvelope& envelope : envelopes) envelope.Draw(dc);
}

// A walk across the columns closes the column it leaves, with what it gathered
// there, when it reaches another.
template <typename Close>
void StepToColumn(int column, int* previous, Close&& close) {
  if (column == *previous) return;
  close(*previous, column);
  *previous = column;
}

template <typename Close>
void FinishAndDraw(CCanvas& dc, const CPen& pen, const CBrush& brush, std::vector<CEnvelope>& envelopes,
                   int lastColumn, Close&& close) {
  close(lastColumn, lastColumn + 1);
  for (CEnvelope& envelope : envelopes) envelope.Finish(lastColumn);
  DrawEnvelopes(dc, pen, brush, envelopes);
}

std::vector<CEnvelope> MakeEnvelopes(const Bands& bands, int x, int width) {
  std::vector<CEnvelope> envelopes;
  for (int c = 0; c < bands.count; ++c) envelopes.emplace_back(x, width, bands.centre[c]);
  return envelopes;
}

// Per-column maxima of the peak records: the records are sampled with a step that
// gives each column about 64 of them. Columns map proportionally onto the whole
// stretch asked for, so where the peak data ends early the rest stays on the centre line.
void DrawPeakWaveform(CWaveformSource& source, CCanvas& dc, const CPen& wavePen, const CBrush& waveBrush, int x,
                      int y, int width, int height, uint32_t firstFrame, uint32_t lastFrame) {
  const int channels = source.Channels();
  const uint32_t length = source.Length();
  const uint32_t recordBytes = channels == 2 ? 4 : 2;
  const uint8_t* data = nullptr;
  uint32_t size = 0;
  source.PeakData(&data, &size);
  if (!data) size = 0;

  const auto byteAt = [&](uint32_t frame) {
    const uint64_t byte = static_cast<uint64_t>(static_cast<double>(frame) / length * size);
    return byte - byte % recordBytes;
  };
  const uint64_t start = byteAt(firstFrame);
  const uint64_t end = byteAt(lastFrame);
  uint64_t limit = std::min<uint64_t>(size, source.PeakCount());
  limit -= limit % recordBytes;
  const uint64_t walkEnd = std::min(end, limit);
  const uint64_t spanBytes = end > start ? end - start : 0;

  uint64_t step = spanBytes / static_cast<uint64_t>(width) / 64;
  step -= step % recordBytes;
  step = std::max<uint64_t>(step, recordBytes);

  const Bands bands = BandsFor(channels, y, height);
  std::vector<CEnvelope> envelopes = MakeEnvelopes(bands, x, width);
  int maxima[2][2] = {{0, 0}, {0, 0}};  // per channel: maximum, minimum magnitude
  const auto close = [&](int column, int nextColumn) {
    for (int c = 0; c < bands.count; ++c) {
      envelopes[c].CloseColumn(column, bands.centre[c] - maxima[c][0] * bands.scale / 256,
                               bands.centre[c] + maxima[c][1] * bands.scale / 256, nextColumn);
      maxima[c][0] = maxima[c][1] = 0;
    }
  };

  int previous = 0;
  // The column of the bytes consumed so far, width * consumed / spanBytes,
  // followed without a division per record.
  int column = 0;
  uint64_t scaled = 0;  // width * consumed
  for (uint64_t at = start; at < walkEnd; at += step, scaled += static_cast<uint64_t>(width) * step) {
    while (scaled >= static_cast<uint64_t>(column + 1) * spanBytes) ++column;
    const uint8_t* record = data + at;
    for (int c = 0; c < bands.count; ++c) {
      maxima[c][0] = std::max<int>(maxima[c][0], record[2 * c]);
      maxima[c][1] = std::max<int>(maxima[c][1], record[2 * c + 1]);
    }
    // The record that opens a new column still counts for the one it closes.
    StepToColumn(column, &previous, close);
  }
  FinishAndDraw(dc, wavePen, waveBrush, envelopes, previous, close);
}

// Samples of a stretch, with room for the frame the sample rendering reads past it.
bool AllocateSamples(std::vector<int16_t>& samples, size_t count) {
  try {
    samples.assign(count, 0);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace

void DrawQuarterLines(CCanvas& dc, const CPen* pen, int x, int y, int quarterWidth, int height) {
  if (!pen) return;
  dc.SelectPen(*pen);
  for (int k = 1; k <= 3; ++k) {
    dc.MoveTo(x + k * quarterWidth, y);
    dc.LineTo(x + k * quarterWidth, y + height);
  }
}

int DrawWaveform(CAudioSegment* segment, CCanvas* dc, const CPen* wavePen, const CBrush* waveBrush,
                 const WaveFrameObject& frameObject, int x, int y, int16_t width, int16_t height, uint32_t firstFrame,
                 uint32_t lastFrame, const CPen* quarterPen) {
  if (!segment) return 1;
  CSegmentWaveformSource source(*segment);
  return DrawWaveform(source, dc, wavePen, waveBrush, frameObject, x, y, width, height, firstFrame, lastFrame,
                      quarterPen);
}

int DrawWaveform(CWaveformSource& source, CCanvas* dc, const CPen* wavePen, const CBrush* waveBrush,
                 const WaveFrameObject& frameObject, int x, int y, int16_t width, int16_t height, uint32_t firstFrame,
                 uint32_t lastFrame, const CPen* quarterPen) {
  if (!dc || !wavePen || !waveBrush || width <= 0 || height <= 0) return 1;
  const uint32_t span = lastFrame > firstFrame ? lastFrame - firstFrame : 0;

  SelectFrameObject(*dc, frameObject);
  dc->Rectangle(x, y, x + width, y + height);

  const int channels = source.Channels();
  if (channels != 1 && channels != 2) return 0;
  if (source.Length() == 0) {
    // Empty audio: the rectangle is all there is to draw.
    ReportError(kSource, span <= kMaxSampleSpan ? kLineSampleSpanZero : kLineLengthZero, kDivideByZero);
    return 0;
  }
  if (span <= kMaxSampleSpan) {
    DrawSampleWaveform(source, *dc, *wavePen, *waveBrush, frameObject, x, y, width, height, firstFrame, lastFrame,
                       quarterPen);
  } else if (span <= kMaxBlockSpan) {
    DrawBlockWaveform(source, *dc, *wavePen, *waveBrush, frameObject, x, y, width, height, firstFrame, lastFrame,
                      quarterPen);
  } else {
    DrawQuarterLines(*dc, quarterPen, x, y, width / 4, height);
    DrawPeakWaveform(source, *dc, *wavePen, *waveBrush, x, y, width, height, firstFrame, lastFrame);
  }
  return 0;
}

int DrawBlockWaveform(CWaveformSource& source, CCanvas& dc, const CPen& wavePen, const CBrush& waveBrush,
                      const WaveFrameObject& frameObject, int x, int y, int16_t width, int16_t height,
                      uint32_t firstFrame, uint32_t lastFrame, const CPen* quarterPen) {
  const int channels = source.Channels() == 2 ? 2 : 1;
  const uint32_t first = firstFrame & ~1u;
  const uint32_t last = std::max(first, lastFrame & ~1u);
  const uint32_t n = last - first;
  SelectFrameObject(dc, frameObject);
  dc.Rectangle(x, y, x + width + 1, y + height + 1);
  dc.MoveTo(x, y + height / 2);

  std::vector<int16_t> samples;
  if (!AllocateSamples(samples, static_cast<size_t>(n) * channels)) return 3;
  source.ReadFrames(first, n, samples.data());
  DrawQuarterLines(dc, quarterPen, x, y, width / 4, height);

  const Bands bands = BandsFor(channels, y, height);
  std::vector<CEnvelope> envelopes = MakeEnvelopes(bands, x, width);
  int highest[2] = {0, 0};
  int lowest[2] = {0, 0};
  const auto close = [&](int column, int nextColumn) {
    for (int c = 0; c < channels; ++c) {
      envelopes[c].CloseColumn(column, bands.centre[c] - SampleOffset(highest[c], bands.scale),
                               bands.centre[c] - SampleOffset(lowest[c], bands.scale), nextColumn);
      highest[c] = lowest[c] = 0;
    }
  };
  int previous = 0;
  for (uint32_t v = 0; v < n; ++v) {
    const int column = static_cast<int>(static_cast<uint64_t>(width) * v / n);
    for (int c = 0; c < channels; ++c) {
      const int sample = samples[static_cast<size_t>(v) * channels + c];
      if (sample > highest[c]) {
        highest[c] = sample;
      } else if (sample < lowest[c]) {
        lowest[c] = sample;
      }
    }
    StepToColumn(column, &previous, close);
  }
  FinishAndDraw(dc, wavePen, waveBrush, envelopes, previous, close);
  return 0;
}

int DrawSampleWaveform(CWaveformSource& source, CCanvas& dc, const CPen& wavePen, const CBrush& waveBrush,
                       const WaveFrameObject& frameObject, int x, int y, int16_t width, int16_t height,
                       uint32_t firstFrame, uint32_t lastFrame, const CPen* quarterPen) {
  const int channels = source.Channels() == 2 ? 2 : 1;
  const uint32_t length = source.Length();
  const uint32_t first = firstFrame & ~1u;
  const uint32_t last = lastFrame & ~1u;
  // A stretch of less than two frames is drawn as one step; only empty audio is a fault.
  const uint32_t n = last > first ? last - first : 1;
  if (length == 0) ReportError(kSource, kLineSampleSpanZero, kDivideByZero);
  SelectFrameObject(dc, frameObject);
  dc.Rectangle(x, y, x + width + 1, y + height + 1);
  dc.MoveTo(x, y + height / 2);

  std::vector<int16_t> samples;
  if (!AllocateSamples(samples, static_cast<size_t>(n + 1) * channels)) {
    ReportError(kSource, kLineSampleNoMemory, "");
    return 3;
  }
  source.ReadFrames(first, n + 1, samples.data());
  DrawQuarterLines(dc, quarterPen, x, y, width / 4, height);
  if (first >= length) return 0;

  // Points up to the end of the audio and no further; a stretch that reaches the
  // end comes back to the centre line there.
  const bool reachesEnd = lastFrame >= length;
  const uint32_t lastPoint = std::min(n, length - first);
  const int mark = n < 17 ? 4 : 2;
  const Bands bands = BandsFor(channels, y, height);
  std::vector<Point> points[2];
  for (int c = 0; c < channels; ++c) {
    points[c].resize(lastPoint + 1);
    for (uint32_t v = 0; v <= lastPoint; ++v) {
      const int sample = samples[static_cast<size_t>(v) * channels + c];
      points[c][v] = {x + static_cast<int>(static_cast<int64_t>(width) * v / n),
                      bands.centre[c] - SampleOffset(sample, bands.scale)};
    }
    if (reachesEnd) points[c][lastPoint].y = bands.centre[c];
  }
  dc.SelectPen(wavePen);
  for (int c = 0; c < channels; ++c) dc.Polyline(points[c]);
  dc.SelectBrush(waveBrush);
  for (int c = 0; c < channels; ++c) {
    for (uint32_t v = 1; v < lastPoint; ++v) {
      const Point p = points[c][v];
      dc.FillRect({p.x - mark, p.y - mark, p.x + mark, p.y + mark}, waveBrush);
    }
  }
  return 0;
}
