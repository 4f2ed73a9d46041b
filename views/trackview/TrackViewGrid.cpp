#include "trackview/TrackViewGrid.h"

#include <algorithm>
#include <cmath>

#include "Generic.h"

namespace trackview {

namespace {

constexpr const char* kSource = "TrackViewGUI";
constexpr const char* kDivideByZero = "Divide By Zero Violation";
constexpr int kLineBeatTempoZero = 2482;
constexpr int kLineMinuteTempoZero = 2500;
constexpr int kLineNoRows = 2275;
constexpr int kLineSnapUnitZero = 4741;
constexpr double kFramesPerSecond = 44100.0;
constexpr int kMinGridPixels = 80;
// Doublings that take any unit past the longest view (frames fit in 32 bits).
constexpr int kMaxDoublings = 40;
constexpr int kLabelMinX = 2;

int PixelsOf(int rulerWidth, double frames, uint32_t viewWidth) {
  return static_cast<int>(std::trunc(rulerWidth * frames / viewWidth));
}

std::string TempoLabel(double frame, const Grid& grid) {
  // Bars, beats and sixteenths counted from 0.
  const long n = static_cast<long>(std::trunc(frame / grid.sixteenth + 0.49));
  return std::to_string(n / 16) + ":" + std::to_string((n % 16) / 4) + ":" + std::to_string(n % 4);
}

std::string Label(double frame, const Grid& grid, const GridInput& input) {
  if (frame < 0) return {};
  char text[64] = {};
  if (input.timeDisplay == 2 && input.beatsPerBarChoice == 1) {
    FormatSamplesAsTempoTime(static_cast<uint32_t>(std::trunc(frame + 0.5)), 44100, input.tempo, 1, text);
    return text;
  }
  if (input.timeDisplay == 2) return TempoLabel(frame, grid);
  FormatSamplesAsTime(static_cast<uint32_t>(std::trunc(frame)), 44100, text);
  return text;
}

}  // namespace

void ComputeGrid(Grid& grid, const GridInput& input) {
  const bool noTempo = !(input.tempo > 0.0f);
  if (noTempo) ReportError(kSource, kLineBeatTempoZero, kDivideByZero);
  grid.beat = noTempo ? 22050.0f : static_cast<float>(60.0 / input.tempo * kFramesPerSecond);
  const bool threeFour = input.beatsPerBarChoice == 1;
  grid.bar = (threeFour ? 3.0f : 4.0f) * grid.beat;
  grid.sixteenth = grid.beat / 4.0f;
  if (noTempo) ReportError(kSource, kLineMinuteTempoZero, kDivideByZero);
  grid.minute = noTempo ? 661500.0f : grid.beat * input.tempo;
  grid.second = grid.minute / 60.0f;
  grid.millisecond = grid.second / 1000.0f;
  if (input.viewWidth == 0) return;
  const double width = input.viewWidth;
  if (input.timeDisplay == 2) {
    grid.subdivisions = 4;
    if (width / grid.bar >= 2) {
      grid.kind = kGridBars;
      grid.unit = grid.bar;
      if (threeFour) grid.subdivisions = 3;
    } else if (width / grid.beat >= 2) {
      grid.kind = kGridBeats;
      grid.unit = grid.beat;
    } else {
      grid.kind = kGridSixteenths;
      grid.unit = grid.sixteenth;
    }
  } else {
    grid.subdivisions = 4;
    if (width / grid.minute >= 1.25) {
      grid.kind = kGridMinutes;
      grid.unit = grid.minute;
    } else if (width / grid.second >= 1) {
      grid.kind = kGridSeconds;
      grid.unit = grid.second;
    } else {
      grid.kind = kGridMilliseconds;
      grid.unit = grid.millisecond;
    }
  }
  grid.gridPixels = PixelsOf(input.rulerWidth, grid.unit, input.viewWidth);
  const bool doubles = grid.kind != kGridBeats && grid.kind != kGridSixteenths;
  // A ruler without width never reaches the spacing: the unit stays as it is.
  for (int i = 0; doubles && input.rulerWidth > 0 && grid.gridPixels < kMinGridPixels && i < kMaxDoublings; ++i) {
    grid.unit *= 2.0f;
    grid.gridPixels = PixelsOf(input.rulerWidth, grid.unit, input.viewWidth);
  }
  grid.snapUnit = grid.unit / grid.subdivisions;
  grid.subPixels = grid.gridPixels / grid.subdivisions;
}

std::vector<RulerTick> RulerTicks(const Grid& grid, const GridInput& input, uint32_t viewStart) {
  std::vector<RulerTick> ticks;
  const int rw = input.rulerWidth;
  if (input.viewWidth == 0 || rw <= 0 || !(grid.unit > 0.0f)) return ticks;
  const double unit = grid.unit;
  const double s = viewStart;
  const double t0 = std::ceil(s / unit) * unit;
  const int xT0 = PixelsOf(rw, t0 - s, input.viewWidth);
  // Every tick moves right by at least one pixel once the spacing is a pixel;
  // a narrower spacing still ends after as many ticks as the ruler has pixels.
  const int maxTicks = rw + 2;
  for (int k = -1; k < maxTicks; ++k) {
    const int x = k < 0 ? xT0 - grid.gridPixels : PixelsOf(rw, k * unit + t0 - s, input.viewWidth);
    if (k >= 0 && x >= rw) break;
    RulerTick tick;
    tick.x = x;
    tick.major = 1 <= x && x < rw;
    for (int j = 1; j < grid.subdivisions; ++j) {
      const int minor = static_cast<int>(std::trunc(j * grid.subPixels + x));
      if (1 <= minor && minor <= rw - 1) tick.minor.push_back(minor);
    }
    if (0 <= x && x <= rw) {
      tick.label = Label(k * unit + t0, grid, input);
      tick.labelX = std::max(x, kLabelMinX);
    }
    ticks.push_back(std::move(tick));
  }
  return ticks;
}

bool SnapToGrid(float snapUnit, uint32_t& frame, int direction, uint32_t low, uint32_t high) {
  const double u = snapUnit;
  const double f = frame;
  double r = 0;
  if (!(u > 0)) {
    ReportError(kSource, kLineSnapUnitZero, kDivideByZero);
  } else {
    const int64_t n = static_cast<int64_t>(std::trunc(f / u));
    const int64_t span = static_cast<int64_t>(std::trunc(n * u));
    if (n != 0 && span != 0) r = static_cast<double>(static_cast<int64_t>(frame) % span);
  }
  double result;
  if (f < u / 2) {
    result = 0;
  } else if (f < u) {
    result = std::trunc(u);
  } else if (direction == kSnapDown) {
    result = f - r;
  } else if (direction == kSnapNearest && r < u / 2) {
    result = f - r;
  } else {
    result = std::trunc(f + (u - r));
  }
  if (result < low) result += u;
  if (result > high) result -= u;
  if (result < low || result > high) return false;
  frame = static_cast<uint32_t>(result);
  return true;
}

int TrackingX(uint32_t frame, uint32_t viewStart, uint32_t viewEnd, int areaWidth) {
  const int laneWidth = areaWidth - kLaneWidthMargin;
  const int right = areaWidth - kLaneRightMargin;
  if (viewEnd <= viewStart || laneWidth <= 0) return 0;
  if (frame < viewStart) return kLaneX;
  if (frame > viewEnd) return right;
  const double width = static_cast<double>(viewEnd) - viewStart;
  const int x = kLaneX + static_cast<int>(std::trunc((frame - viewStart) / width * laneWidth + 0.5));
  return std::min(x, right);
}

uint32_t FrameAtX(int x, uint32_t viewStart, uint32_t viewWidth, int rulerWidth, bool rounded) {
  if (rulerWidth <= 0) return 0;
  const double frame = viewStart + static_cast<double>(viewWidth) * (x - kLaneX) / rulerWidth + (rounded ? 0.5 : 0.0);
  return static_cast<uint32_t>(std::clamp(std::trunc(frame), 0.0, static_cast<double>(kMaxProjectFrames)));
}

bool LayoutRows(RowLayout& rows, int areaHeight) {
  const int usable = areaHeight - kRowsMargin;
  if (rows.visibleRows <= 0) {
    ReportError(kSource, kLineNoRows, kDivideByZero);
    return false;
  }
  int visible = rows.visibleRows;
  if (usable / visible < kMinRowPitch) visible = usable / kMinRowPitch;
  // A window made too low for one row is the user's choice, not a fault: the
  // rows stay as they were until it grows again.
  if (visible <= 0) return false;
  rows.visibleRows = static_cast<int16_t>(visible);
  rows.pitch = usable / visible;
  rows.boxHeight = rows.pitch - 4;
  return true;
}

}  // namespace trackview
