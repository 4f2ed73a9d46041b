// A painter for the skin's art, in the logical pixels of a bitmap at any
// scale: crisp rectangles and one-pixel lines on whole pixels, and smooth
// shapes and text where a glyph needs them.
#pragma once

#include <QPainter>
#include <QPainterPath>
#include <QString>

#include "draw/Bitmap.h"
#include "draw/Colour.h"

namespace skin {

// A text style of the art: pixel size, weight and letter spacing (percent).
struct TextStyle {
  int pixels = 11;
  bool bold = false;
  int spacingPercent = 100;
};

class CArt {
 public:
  explicit CArt(draw::CBitmap& target);
  ~CArt();
  CArt(const CArt&) = delete;
  CArt& operator=(const CArt&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }
  QPainter& Painter() { return painter_; }

  void Fill(int x, int y, int width, int height, draw::COLORREF colour);
  void Fill(draw::COLORREF colour) { Fill(0, 0, width_, height_, colour); }
  void Pixel(int x, int y, draw::COLORREF colour) { Fill(x, y, 1, 1, colour); }
  void HLine(int x, int y, int length, draw::COLORREF colour) { Fill(x, y, length, 1, colour); }
  void VLine(int x, int y, int length, draw::COLORREF colour) { Fill(x, y, 1, length, colour); }
  // A one-pixel border inside the rectangle.
  void Frame(int x, int y, int width, int height, draw::COLORREF colour);
  // A filled rectangle with a one-pixel border and its corner pixels softened.
  void Panel(int x, int y, int width, int height, draw::COLORREF fill, draw::COLORREF border,
             draw::COLORREF outside);
  // Leaves the pixels transparent (bitmaps with alpha only).
  void Clear(int x, int y, int width, int height);

  // Smooth shapes in logical coordinates.
  void Shape(const QPainterPath& path, draw::COLORREF colour);
  void Stroke(const QPainterPath& path, draw::COLORREF colour, double width);
  void Ellipse(double x, double y, double width, double height, draw::COLORREF colour);
  void Polygon(std::initializer_list<QPointF> points, draw::COLORREF colour);

  void Text(int x, int y, int width, int height, const QString& text, const TextStyle& style,
            draw::COLORREF colour, int alignment);

 private:
  QPainter painter_;
  int width_;
  int height_;
};

}  // namespace skin
