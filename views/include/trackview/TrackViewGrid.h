// The Track View's arithmetic, free of widgets: the grid its ruler draws and
// drags snap to, the ruler's ticks and labels, where a frame falls in the
// lanes, and the rows a height holds. Every function here is a function of
// its arguments, so each rule is testable without a window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace trackview {

// Left edge of the lanes and the ruler in the Track View; they end 25 pixels
// short of its right edge.
constexpr int kLaneX = 199;
constexpr int kLaneRightMargin = 25;
constexpr int kLaneWidthMargin = kLaneX + kLaneRightMargin;  // lane width = area width - 224
constexpr int kFirstRowY = 4;
constexpr int kMinRowPitch = 50;
constexpr int kRowsMargin = 41;  // the height the rows leave to the ruler and scroll bar
constexpr int kMaxVisibleRows = 8;
constexpr int kTracks = 24;
constexpr uint32_t kMaxProjectFrames = 238140000;

enum GridKind : int16_t { kGridBars = 0, kGridBeats = 1, kGridSixteenths = 2, kGridMinutes = 3, kGridSeconds = 4,
                          kGridMilliseconds = 5 };

struct Grid {
  int16_t subdivisions = 4;
  float unit = 0.0f;      // frames between major ticks
  float snapUnit = 0.0f;  // unit / subdivisions
  int16_t kind = kGridBars;
  float beat = 0.0f, bar = 0.0f, sixteenth = 0.0f, minute = 0.0f, second = 0.0f, millisecond = 0.0f;
  int gridPixels = 0;  // pixels between major ticks
  int subPixels = 0;
};

// What the grid is computed from: the project's tempo and its time display
// (2 Tempo, else Standard), its beats to the bar (1 three, any other four),
// the view's width in frames and the ruler's in pixels.
struct GridInput {
  float tempo = 120.0f;
  int32_t beatsPerBarChoice = 0;
  int32_t timeDisplay = 2;
  uint32_t viewWidth = 0;
  int rulerWidth = 0;
};

// A tempo of 0 reports and counts as 120. A ruler without width keeps the
// unit undoubled (doubling could never reach 80 pixels).
void ComputeGrid(Grid& grid, const GridInput& input);

// One tick of the ruler: a major tick at lane x (or none outside 1..rw - 1),
// its minor ticks, and its label when 0 <= x <= rw (label empty otherwise).
struct RulerTick {
  int x = 0;
  bool major = false;
  std::vector<int> minor;
  std::string label;
  int labelX = 0;  // where the label's bitmap goes (x below 2 counts as 2)
};

// The ticks of a view starting at viewStart, from k = -1 on while x < rw;
// none for a view or ruler without width or a unit of 0.
std::vector<RulerTick> RulerTicks(const Grid& grid, const GridInput& input, uint32_t viewStart);

// Snaps frame to the grid's snap unit in direction (kSnapDown, kSnapNearest,
// kSnapUp) within [low, high]. False (frame untouched) when the result falls
// outside the limits even after a step back inside.
constexpr int kSnapNearest = 0;
constexpr int kSnapDown = 1;
constexpr int kSnapUp = 2;
bool SnapToGrid(float snapUnit, uint32_t& frame, int direction, uint32_t low, uint32_t high);

// The lane x (from the Track View's left) of a frame for the tracking bar:
// frames of [start, end] map onto the lanes, before and after to their ends;
// 0 for a view or lanes without width.
int TrackingX(uint32_t frame, uint32_t viewStart, uint32_t viewEnd, int areaWidth);

// The play position a click at Track View x sets: rounded to the nearest
// frame in the lanes, truncated on the ruler. 0 for a ruler without width.
uint32_t FrameAtX(int x, uint32_t viewStart, uint32_t viewWidth, int rulerWidth, bool rounded);

// Rows a usable height holds: at least 50 pixels each.
struct RowLayout {
  int16_t visibleRows = 4;
  int pitch = 0;
  int boxHeight = 0;
};
// False (layout unchanged) when the area leaves no row.
bool LayoutRows(RowLayout& rows, int areaHeight);

}  // namespace trackview
