#include "draw/Canvas.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <random>
#include <string>

using namespace draw;

namespace {

constexpr COLORREF kGround = Rgb(0xF8, 0xF8, 0xF8);
constexpr COLORREF kInk = Rgb(10, 20, 30);
constexpr COLORREF kFill = Rgb(0, 128, 255);

// The pixels of a bitmap as rows of '#' (ink), 'o' (fill) and '.' (anything else).
std::string Picture(const CBitmap& bitmap, const Rect& part) {
  std::string rows;
  for (int y = part.top; y < part.bottom; ++y) {
    for (int x = part.left; x < part.right; ++x) {
      const COLORREF c = bitmap.Pixel(x, y);
      rows += c == kInk ? '#' : c == kFill ? 'o' : '.';
    }
    rows += '\n';
  }
  return rows;
}

}  // namespace

TEST(Colour, ColorRefIsBlueGreenRed) {
  EXPECT_EQ(RedOf(0xFF8000), 0);
  EXPECT_EQ(GreenOf(0xFF8000), 128);
  EXPECT_EQ(BlueOf(0xFF8000), 255);
  EXPECT_EQ(Rgb(0, 128, 255), 0xFF8000u);
  EXPECT_EQ(ToQRgb(0xB4A791), 0xFF91A7B4u);
  EXPECT_EQ(FromQRgb(0xFF91A7B4u), 0xB4A791u);
  EXPECT_EQ(Inverted(0xF8F8F8), 0x070707u);
}

TEST(Canvas, FilledRectanglesLeaveOutRightAndBottomEdges) {
  struct Case {
    Rect rect;
    const char* picture;
  } cases[] = {
      {{1, 1, 4, 3}, ".....\n.###.\n.###.\n.....\n"},
      {{2, 2, 2, 4}, ".....\n.....\n.....\n.....\n"},     // no width
      {{3, 1, 1, 3}, ".....\n.....\n.....\n.....\n"},     // right before left
      {{-2, -2, 2, 1}, "##...\n.....\n.....\n.....\n"},   // clipped at the corner
      {{3, 2, 9, 9}, ".....\n.....\n...##\n...##\n"},     // clipped past the edge
  };
  for (const Case& c : cases) {
    CBitmap bitmap(5, 4, 1.0, kGround);
    CCanvas canvas(bitmap);
    canvas.FillSolidRect(c.rect, kInk);
    EXPECT_EQ(Picture(bitmap, bitmap.Bounds()), c.picture) << c.rect.left << "," << c.rect.top;
  }
}

TEST(Canvas, LinesLeaveOutTheirEndPoint) {
  struct Case {
    Point from, to;
    const char* picture;
  } cases[] = {
      {{0, 1}, {4, 1}, ".....\n####.\n.....\n.....\n"},
      {{4, 2}, {0, 2}, ".....\n.....\n.####\n.....\n"},
      {{2, 0}, {2, 4}, "..#..\n..#..\n..#..\n..#..\n"},
      {{0, 0}, {3, 3}, "#....\n.#...\n..#..\n.....\n"},
      {{1, 1}, {1, 1}, ".....\n.....\n.....\n.....\n"},
  };
  for (const Case& c : cases) {
    CBitmap bitmap(5, 4, 1.0, kGround);
    CCanvas canvas(bitmap);
    canvas.SelectPen(CPen::Solid(kInk));
    canvas.MoveTo(c.from.x, c.from.y);
    canvas.LineTo(c.to.x, c.to.y);
    EXPECT_EQ(Picture(bitmap, bitmap.Bounds()), c.picture);
    EXPECT_EQ(canvas.CurrentPosition(), c.to);
  }
}

TEST(Canvas, PolylineDrawsEveryPointButTheLast) {
  CBitmap bitmap(5, 4, 1.0, kGround);
  CCanvas canvas(bitmap);
  canvas.SelectPen(CPen::Solid(kInk));
  canvas.MoveTo(4, 3);
  canvas.Polyline({{0, 0}, {3, 0}, {3, 3}, {0, 3}});
  EXPECT_EQ(Picture(bitmap, bitmap.Bounds()), "####.\n...#.\n...#.\n.###.\n");
  EXPECT_EQ(canvas.CurrentPosition(), (Point{4, 3}));
}

TEST(Canvas, RectangleOutlinesWithThePenAndFillsWithTheBrush) {
  struct Case {
    CPen pen;
    const char* picture;
  } cases[] = {
      {CPen::Solid(kInk), "......\n.####.\n.#oo#.\n.####.\n......\n"},
      {CPen::Solid(kInk, 2), "......\n.####.\n.####.\n.####.\n......\n"},
      // Without a pen the fill stops one pixel short on the right and below.
      {CPen::None(), "......\n.ooo..\n.ooo..\n......\n......\n"},
  };
  for (const Case& c : cases) {
    CBitmap bitmap(6, 5, 1.0, kGround);
    CCanvas canvas(bitmap);
    canvas.SelectPen(c.pen);
    canvas.SelectBrush(CBrush::Solid(kFill));
    canvas.Rectangle(1, 1, 5, 4);
    EXPECT_EQ(Picture(bitmap, bitmap.Bounds()), c.picture);
  }
}

TEST(Canvas, HollowBrushAndFrameRectKeepTheInside) {
  CBitmap bitmap(6, 5, 1.0, kGround);
  CCanvas canvas(bitmap);
  canvas.SelectPen(CPen::Solid(kInk));
  canvas.SelectBrush(CBrush::Hollow());
  canvas.Rectangle(0, 0, 4, 4);
  canvas.FrameRect({2, 1, 6, 5}, CBrush::Solid(kFill));
  EXPECT_EQ(Picture(bitmap, bitmap.Bounds()), "####..\n#.oooo\n#.o#.o\n##o#.o\n..oooo\n");
}

TEST(Canvas, DottedPenDrawsOnePixelInThree) {
  CBitmap bitmap(10, 1, 1.0, kGround);
  CCanvas canvas(bitmap);
  canvas.SelectPen(CPen::Dotted(kInk));
  canvas.MoveTo(0, 0);
  canvas.LineTo(10, 0);
  EXPECT_EQ(Picture(bitmap, bitmap.Bounds()), "#..#..#..#\n");
}

TEST(Canvas, PolygonFillsInsideItsEdgesAndOutlinesClosed) {
  CBitmap bitmap(7, 6, 1.0, kGround);
  CCanvas canvas(bitmap);
  canvas.SelectPen(CPen::None());
  canvas.SelectBrush(CBrush::Solid(kFill));
  canvas.Polygon({{1, 1}, {5, 1}, {5, 4}, {1, 4}});
  EXPECT_EQ(Picture(bitmap, bitmap.Bounds()), ".......\n.oooo..\n.oooo..\n.oooo..\n.......\n.......\n");
  canvas.SelectPen(CPen::Solid(kInk));
  canvas.Polygon({{1, 1}, {5, 1}, {5, 4}, {1, 4}});
  EXPECT_EQ(Picture(bitmap, bitmap.Bounds()), ".......\n.#####.\n.#ooo#.\n.#ooo#.\n.#####.\n.......\n");
}

TEST(Canvas, InversionIsExactAndUndoesItself) {
  for (const double scale : {1.0, 2.0, 1.5}) {
    CBitmap bitmap(40, 30, scale, kGround);
    std::mt19937 random(7);
    for (int y = 0; y < bitmap.Image().height(); ++y) {
      for (int x = 0; x < bitmap.Image().width(); ++x) bitmap.Image().setPixel(x, y, 0xFF000000u | (random() & 0xFFFFFF));
    }
    const QImage before = bitmap.Image().copy();
    {
      CCanvas canvas(bitmap);
      canvas.InvertRect({5, 0, 6, 30});  // a one-pixel column, as the tracking bar
      canvas.InvertRect({0, 3, 25, 20});
      EXPECT_EQ(bitmap.Pixel(5, 1), Inverted(FromQRgb(before.pixel(bitmap.Device(5), bitmap.Device(1)))));
      EXPECT_NE(bitmap.Image(), before);
      canvas.InvertRect({0, 3, 25, 20});
      canvas.InvertRect({5, 0, 6, 30});
    }
    EXPECT_EQ(bitmap.Image(), before) << "scale " << scale;
  }
}

TEST(Canvas, InvertingTheGroundGivesItsComplement) {
  CBitmap bitmap(3, 3, 1.0, kGround);
  CCanvas canvas(bitmap);
  canvas.InvertRect({1, 0, 2, 3});
  EXPECT_EQ(bitmap.Pixel(1, 1), 0x070707u);
  EXPECT_EQ(bitmap.Pixel(0, 1), kGround);
  EXPECT_EQ(bitmap.Pixel(2, 1), kGround);
}

TEST(Canvas, LogicalPixelsCoverTheirDeviceBlockAtScale) {
  CBitmap bitmap(4, 3, 2.0, kGround);
  ASSERT_EQ(bitmap.Image().size(), QSize(8, 6));
  CCanvas canvas(bitmap);
  canvas.SelectPen(CPen::Solid(kInk));
  canvas.MoveTo(1, 1);
  canvas.LineTo(3, 1);
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 8; ++x) {
      const bool inLine = x >= 2 && x < 6 && y >= 2 && y < 4;
      EXPECT_EQ(FromQRgb(bitmap.Image().pixel(x, y)), inLine ? kInk : kGround) << x << "," << y;
    }
  }
}

TEST(Canvas, BlitCopiesClipsAndMasks) {
  CBitmap source(3, 2, 1.0, kInk);
  source.Image().setPixel(1, 0, ToQRgb(kFill));
  CBitmap bitmap(5, 3, 1.0, kGround);
  CCanvas canvas(bitmap);
  canvas.Blit(3, 1, source);  // the right column falls off the bitmap
  EXPECT_EQ(Picture(bitmap, bitmap.Bounds()), ".....\n...#o\n...##\n");
  canvas.BlitMasked(0, 0, 3, 2, source, 0, 0, kFill);
  EXPECT_EQ(Picture(bitmap, bitmap.Bounds()), "#.#..\n####o\n...##\n");
}

TEST(Canvas, BlitBlendsASourceWithAlpha) {
  CBitmap source = CBitmap::Transparent(2, 1);
  source.Image().setPixel(0, 0, qPremultiply(qRgba(0, 128, 255, 255)));
  CBitmap bitmap(2, 1, 1.0, kGround);
  CCanvas canvas(bitmap);
  canvas.Blit(0, 0, source);
  EXPECT_EQ(bitmap.Pixel(0, 0), kFill);
  EXPECT_EQ(bitmap.Pixel(1, 0), kGround);
}

TEST(Canvas, OpaqueTextFillsItsExtentWithTheBackColour) {
  CBitmap bitmap(40, 30, 1.0, kGround);
  CCanvas canvas(bitmap);
  canvas.SelectFont(CFont::FromPixelHeight("Arial", 10));
  canvas.SetBackMode(BackMode::Opaque);
  canvas.SetBackColour(kFill);
  canvas.TextOut(3, 4, QStringLiteral("  "));  // spaces: an extent without glyphs
  const QSize extent = canvas.TextExtent(QStringLiteral("  "));
  ASSERT_GT(extent.width(), 2);
  EXPECT_EQ(bitmap.Pixel(3, 4), kFill);
  EXPECT_EQ(bitmap.Pixel(3 + extent.width() - 1, 4 + extent.height() - 1), kFill);
  EXPECT_EQ(bitmap.Pixel(3 + extent.width(), 4), kGround);
  EXPECT_EQ(bitmap.Pixel(2, 4), kGround);
}

TEST(Font, FacesMapOntoLiberationFontsBySize) {
  bool bold = false;
  EXPECT_EQ(MapFontFace("Arial", &bold), QStringLiteral("Liberation Sans"));
  EXPECT_FALSE(bold);
  EXPECT_EQ(MapFontFace("Arial Bold", &bold), QStringLiteral("Liberation Sans"));
  EXPECT_TRUE(bold);
  EXPECT_EQ(MapFontFace("Tohama"), QStringLiteral("Liberation Sans"));
  EXPECT_EQ(MapFontFace("Courier New"), QStringLiteral("Liberation Mono"));
  EXPECT_EQ(PointTenthsToPixels(100), 13);
  EXPECT_EQ(PointTenthsToPixels(85), 11);
  const CFont font = CFont::FromPointTenths("Arial Bold", 100);
  EXPECT_EQ(font.PixelHeight(), 13);
  EXPECT_EQ(font.Get().weight(), QFont::Bold);
  // The installed family, not a stand-in: text measures alike on every machine.
  EXPECT_EQ(QFontInfo(font.Get()).family(), QStringLiteral("Liberation Sans"));
}
