// Direct writes into a bitmap's device pixels, clipped to the bitmap: the
// fills, inversions and line pixels of the canvas go through here, so the
// rules of which pixels a shape covers are kept in one place.
#pragma once

#include "draw/Bitmap.h"

namespace draw {

class CPixelWriter {
 public:
  explicit CPixelWriter(CBitmap& target);

  // Logical rectangle, right and bottom excluded.
  void Fill(const Rect& logical, COLORREF colour);
  // Exact inversion of the colour bits: done twice, the pixels are as before.
  void Invert(const Rect& logical);
  // One logical pixel.
  void Plot(int x, int y, COLORREF colour);
  // A logical square of side size whose top-left pixel is (x, y).
  void PlotSquare(int x, int y, int size, COLORREF colour);
  // The pixels of a device row (no bounds check).
  QRgb* DeviceRow(int deviceY) { return reinterpret_cast<QRgb*>(bits_ + deviceY * stride_); }

 private:
  QRect DeviceRect(const Rect& logical) const;
  void FillDevice(const QRect& device, QRgb pixel);

  CBitmap& target_;
  uchar* bits_;
  qsizetype stride_;
  int deviceWidth_;
  int deviceHeight_;
};

}  // namespace draw
