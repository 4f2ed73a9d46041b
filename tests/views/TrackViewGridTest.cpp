// The Track View's arithmetic: its grid and ruler, the snap of a drag, the
// tracking bar's column and the rows a height holds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ReportRecorder.h"
#include "trackview/TrackViewGrid.h"

using namespace trackview;

namespace tessiro::test {
namespace {

struct MajorTicks {
  std::vector<int> majors;  // lane x of the major ticks
  std::vector<std::pair<int, std::string>> labels;
  std::vector<int> firstMinors;  // of the tick at lane x 0
};

MajorTicks TicksOf(const GridInput& input, uint32_t viewStart, Grid* out = nullptr) {
  Grid grid;
  ComputeGrid(grid, input);
  if (out) *out = grid;
  MajorTicks result;
  for (const RulerTick& tick : RulerTicks(grid, input, viewStart)) {
    if (tick.major) result.majors.push_back(kLaneX + tick.x);
    if (!tick.label.empty()) result.labels.push_back({kLaneX + tick.labelX, tick.label});
    if (tick.x == 0) result.firstMinors = tick.minor;
  }
  return result;
}

// 120 BPM, 4/4, Tempo display, view 0..441000 on a 600-pixel ruler: one bar per
// 120 pixels, snap unit 22050; no major tick at the ruler's first column.
TEST(TrackViewGrid, RulerOfBarsAt120Bpm) {
  Grid grid;
  const MajorTicks ticks = TicksOf({120.0f, 0, 2, 441000, 600}, 0, &grid);
  EXPECT_EQ(grid.kind, kGridBars);
  EXPECT_EQ(grid.gridPixels, 120);
  EXPECT_FLOAT_EQ(grid.snapUnit, 22050.0f);
  EXPECT_EQ(ticks.majors, (std::vector<int>{319, 439, 559, 679}));
  EXPECT_EQ(ticks.labels, (std::vector<std::pair<int, std::string>>{
                              {201, "0:0:0"}, {319, "1:0:0"}, {439, "2:0:0"}, {559, "3:0:0"}, {679, "4:0:0"}}));
  EXPECT_EQ(ticks.firstMinors, (std::vector<int>{30, 60, 90}));
}

struct GridCase {
  const char* name;
  GridInput input;
  int16_t kind;
  int gridPixels;
  float unit;
  std::vector<std::string> firstLabels;
};

TEST(TrackViewGrid, UnitsPerDisplayAndWidth) {
  const GridCase cases[] = {
      // A narrower ruler doubles the bar until 80 pixels apart.
      {"doubled bars", {120.0f, 0, 2, 441000, 300}, kGridBars, 120, 176400.0f, {"0:0:0", "2:0:0", "4:0:0"}},
      // Beats are never doubled.
      {"beats", {120.0f, 0, 2, 100000, 600}, kGridBeats, 132, 22050.0f, {"0:0:0", "0:1:0", "0:2:0"}},
      {"sixteenths", {120.0f, 0, 2, 40000, 600}, kGridSixteenths, 82, 5512.5f, {"0:0:0", "0:0:1", "0:0:2"}},
      // Three beats to the bar: bars of three with three subdivisions.
      {"three four", {120.0f, 1, 2, 441000, 600}, kGridBars, 90, 66150.0f, {}},
      // Any other beats-per-bar value is four to the bar, as the time texts take it.
      {"unknown beats per bar", {120.0f, 7, 2, 441000, 600}, kGridBars, 120, 88200.0f, {"0:0:0", "1:0:0"}},
      {"seconds", {120.0f, 0, 1, 441000, 600}, kGridSeconds, 120, 88200.0f, {"00:00.000", "00:02.000"}},
      {"minutes", {120.0f, 0, 1, 44100 * 600, 600}, kGridMinutes, 120, 5292000.0f, {"00:00.000", "02:00.000"}},
      {"milliseconds", {120.0f, 0, 1, 30000, 600}, kGridMilliseconds, 112, 5644.8f, {"00:00.000"}},
  };
  for (const GridCase& c : cases) {
    Grid grid;
    const MajorTicks ticks = TicksOf(c.input, 0, &grid);
    EXPECT_EQ(grid.kind, c.kind) << c.name;
    EXPECT_EQ(grid.gridPixels, c.gridPixels) << c.name;
    EXPECT_NEAR(grid.unit, c.unit, 0.01) << c.name;
    for (size_t i = 0; i < c.firstLabels.size(); ++i) {
      ASSERT_LT(i, ticks.labels.size()) << c.name;
      EXPECT_EQ(ticks.labels[i].second, c.firstLabels[i]) << c.name << " label " << i;
    }
  }
}

// A ruler without room, a view without width or a tempo of 0 never hang the grid.
TEST(TrackViewGrid, DegenerateInputsEndAndDrawNothing) {
  CReportRecorder& reports = Reports();
  for (const GridInput input : {GridInput{120.0f, 0, 2, 441000, 0}, GridInput{120.0f, 0, 2, 441000, -40},
                                GridInput{120.0f, 0, 2, 0, 600}, GridInput{120.0f, 0, 1, 441000, 0}}) {
    Grid grid;
    ComputeGrid(grid, input);
    EXPECT_TRUE(RulerTicks(grid, input, 1000).empty()) << input.rulerWidth << " " << input.viewWidth;
  }
  Grid grid;
  ComputeGrid(grid, {0.0f, 0, 2, 441000, 600});
  EXPECT_FLOAT_EQ(grid.beat, 22050.0f);
  EXPECT_EQ(reports.Take().size(), 2u);
}

// A view that starts off the grid: ticks begin at the next unit and the one
// before it lends its minor ticks to the ruler's start.
TEST(TrackViewGrid, ViewStartingBetweenBars) {
  const MajorTicks ticks = TicksOf({120.0f, 0, 2, 441000, 600}, 44100);
  EXPECT_EQ(ticks.majors, (std::vector<int>{259, 379, 499, 619, 739}));
  ASSERT_FALSE(ticks.labels.empty());
  EXPECT_EQ(ticks.labels.front(), (std::pair<int, std::string>{259, "1:0:0"}));
}

struct SnapCase {
  uint32_t frame;
  int direction;
  uint32_t low, high;
  bool snapped;
  uint32_t result;
};

TEST(TrackViewGrid, SnapToTheUnitWithinLimits) {
  const SnapCase cases[] = {
      {2000, kSnapNearest, 0, kMaxProjectFrames, true, 0},
      {15000, kSnapNearest, 0, kMaxProjectFrames, true, 22050},
      {30000, kSnapNearest, 0, kMaxProjectFrames, true, 22050},
      {30000, kSnapDown, 0, kMaxProjectFrames, true, 22050},
      {30000, kSnapUp, 0, kMaxProjectFrames, true, 44100},
      {40000, kSnapNearest, 0, kMaxProjectFrames, true, 44100},
      {176400, kSnapNearest, 0, kMaxProjectFrames, true, 176400},
      // Below the low limit the result steps up by a unit; above the high one down.
      {2000, kSnapNearest, 10000, kMaxProjectFrames, true, 22050},
      {50000, kSnapUp, 0, 60000, true, 44100},
      // Still outside after the step: the frame stays where it was.
      {2000, kSnapNearest, 30000, 40000, false, 2000},
  };
  for (const SnapCase& c : cases) {
    uint32_t frame = c.frame;
    EXPECT_EQ(SnapToGrid(22050.0f, frame, c.direction, c.low, c.high), c.snapped) << c.frame << " " << c.direction;
    EXPECT_EQ(frame, c.result) << c.frame << " " << c.direction;
  }
  uint32_t frame = 1234;
  EXPECT_TRUE(SnapToGrid(0.0f, frame, kSnapNearest, 0, kMaxProjectFrames));
  EXPECT_EQ(frame, 1234u);
  EXPECT_EQ(Reports().Take().size(), 1u);
}

TEST(TrackViewGrid, TrackingColumnAndClickedFrames) {
  // Area 824 wide: lanes 199..799, 600 pixels for 441000 frames.
  EXPECT_EQ(TrackingX(220500, 0, 441000, 824), 499);
  EXPECT_EQ(TrackingX(0, 0, 441000, 824), 199);
  EXPECT_EQ(TrackingX(441000, 0, 441000, 824), 799);
  EXPECT_EQ(TrackingX(500000, 0, 441000, 824), 799);
  EXPECT_EQ(TrackingX(10, 100, 441000, 824), 199);
  EXPECT_EQ(TrackingX(10, 0, 0, 824), 0);
  EXPECT_EQ(TrackingX(10, 0, 441000, 200), 0);
  EXPECT_EQ(FrameAtX(499, 0, 441000, 600, true), 220500u);
  EXPECT_EQ(FrameAtX(200, 0, 441000, 600, true), 735u);
  EXPECT_EQ(FrameAtX(200, 0, 441000, 600, false), 735u);
  EXPECT_EQ(FrameAtX(201, 0, 1000, 600, true), 3u);
  EXPECT_EQ(FrameAtX(201, 0, 1000, 600, false), 3u);
  EXPECT_EQ(FrameAtX(202, 0, 1000, 600, true), 5u);
  EXPECT_EQ(FrameAtX(202, 0, 1000, 600, false), 5u);
  EXPECT_EQ(FrameAtX(203, 0, 1000, 600, false), 6u);
  EXPECT_EQ(FrameAtX(203, 0, 1000, 600, true), 7u);
  EXPECT_EQ(FrameAtX(300, 0, 441000, 0, true), 0u);
}

TEST(TrackViewGrid, RowsKeepFiftyPixels) {
  struct {
    int height;
    int16_t before;
    bool laid;
    int16_t rows;
    int pitch;
  } const cases[] = {{200, 4, true, 3, 53}, {400, 4, true, 4, 89}, {600, 8, true, 8, 69}, {91, 4, true, 1, 50}, {90, 4, false, 4, 0}, {0, 4, false, 4, 0}};
  for (const auto& c : cases) {
    RowLayout rows;
    rows.visibleRows = c.before;
    EXPECT_EQ(LayoutRows(rows, c.height), c.laid) << c.height;
    EXPECT_EQ(rows.visibleRows, c.rows) << c.height;
    EXPECT_EQ(rows.pitch, c.pitch) << c.height;
  }
}

}  // namespace
}  // namespace tessiro::test
