#include "waveform/Envelope.h"

#include <gtest/gtest.h>

#include <random>

using namespace draw;

namespace {

// An envelope of random columns around row centre, some columns skipped, as a
// busy waveform makes them.
CEnvelope RandomEnvelope(std::mt19937& random, int x, int width, int centre, int scale) {
  CEnvelope envelope(x, width, centre);
  std::uniform_int_distribution<int> extent(0, scale);
  std::uniform_int_distribution<int> skip(1, 3);
  int column = 0;
  while (column < width - 5) {
    const int next = column + skip(random);
    envelope.CloseColumn(column, centre - extent(random), centre + extent(random), next);
    column = next;
  }
  envelope.Finish(column - 1);
  return envelope;
}

}  // namespace

// The column-by-column fill covers exactly the pixels of the general polygon fill.
TEST(Envelope, DrawCoversWhatThePolygonCovers) {
  std::mt19937 random(20261209);
  for (int round = 0; round < 40; ++round) {
    const int width = 20 + round * 13;
    const CEnvelope envelope = RandomEnvelope(random, 3, width, 40, round % 2 ? 38 : 9);
    CBitmap fast(width + 6, 82, 1.0, 0xF8F8F8);
    CBitmap reference(width + 6, 82, 1.0, 0xF8F8F8);
    for (CBitmap* bitmap : {&fast, &reference}) {
      CCanvas canvas(*bitmap);
      canvas.SelectPen(CPen::Solid(0x102030));
      canvas.SelectBrush(CBrush::Solid(0xFF8000));
      if (bitmap == &fast) {
        envelope.Draw(canvas);
      } else {
        canvas.Polygon(envelope.Points());
      }
    }
    int differing = 0;
    for (int y = 0; y < fast.Height(); ++y) {
      for (int x = 0; x < fast.Width(); ++x) {
        if (fast.Pixel(x, y) != reference.Pixel(x, y) && differing++ < 8) {
          ADD_FAILURE() << "round " << round << " at " << x << "," << y << ": " << std::hex << fast.Pixel(x, y)
                        << " against " << reference.Pixel(x, y);
        }
      }
    }
    ASSERT_EQ(differing, 0) << "round " << round;
  }
}

TEST(Envelope, ColumnsAfterTheLastClosedOneLieOnTheCentre) {
  CEnvelope envelope(10, 6, 50);
  envelope.CloseColumn(0, 40, 60, 2);  // column 1 gets column 0's points
  envelope.CloseColumn(2, 30, 55, 3);
  envelope.Finish(2);
  const std::vector<Point> expected = {{10, 50}, {11, 40}, {12, 30}, {13, 50}, {14, 50}, {15, 50},
                                       {15, 50}, {14, 50}, {13, 50}, {12, 55}, {11, 60}, {10, 50}};
  EXPECT_EQ(envelope.Points(), expected);
}
