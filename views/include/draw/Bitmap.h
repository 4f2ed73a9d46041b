// A bitmap in logical pixels, held at the screen's device pixel ratio so that it
// stays sharp on a scaled desktop. Logical pixel x covers the device columns
// floor(x * scale) to floor((x + 1) * scale) - 1; at scale 1 the two are one.
//
// Back buffers and skin pieces are opaque (0xFFRRGGBB); skin pieces with soft
// or masked edges carry alpha (premultiplied) and are drawn blended.
#pragma once

#include <QImage>
#include <QPainter>

#include "draw/Colour.h"
#include "draw/Geometry.h"

namespace draw {

class CBitmap {
 public:
  CBitmap() = default;
  // An opaque bitmap filled with the colour.
  CBitmap(int width, int height, double scale = 1.0, COLORREF fill = 0xFFFFFF);
  // A bitmap with alpha, fully transparent.
  static CBitmap Transparent(int width, int height, double scale = 1.0);
  // Takes an image of device pixels; its logical size is its size over the scale.
  static CBitmap FromImage(QImage image, double scale = 1.0);

  bool IsNull() const { return image_.isNull(); }
  int Width() const { return width_; }
  int Height() const { return height_; }
  double Scale() const { return scale_; }
  bool HasAlpha() const { return image_.hasAlphaChannel(); }
  Rect Bounds() const { return {0, 0, width_, height_}; }

  // The first device column (or row) of a logical coordinate; n may run past the bitmap.
  int Device(int logical) const { return scale_ == 1.0 ? logical : ScaledDevice(logical); }

  // The colour at a logical pixel (its first device pixel); 0 outside the bitmap.
  COLORREF Pixel(int x, int y) const;
  // The pixel's alpha, 0..255 (255 for opaque bitmaps).
  int Alpha(int x, int y) const;

  const QImage& Image() const { return image_; }
  QImage& Image() { return image_; }

  // The rows become columns: what a vertical control makes of a horizontal skin.
  CBitmap Transposed() const;
  // The pixels of a logical rectangle as a bitmap of their own.
  CBitmap Copy(const Rect& part) const;

  // Draws a logical region onto a widget's painter at logical (x, y): the single copy
  // of a back buffer to the screen.
  void PaintTo(QPainter& painter, int x, int y, const Rect& part) const;
  void PaintTo(QPainter& painter, int x, int y) const { PaintTo(painter, x, y, Bounds()); }

 private:
  int ScaledDevice(int logical) const;
  QImage image_;
  double scale_ = 1.0;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace draw
