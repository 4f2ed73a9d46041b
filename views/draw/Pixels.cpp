#include "draw/Pixels.h"

#include <algorithm>

namespace draw {

CPixelWriter::CPixelWriter(CBitmap& target)
    : target_(target),
      // Taken once, before any painter starts on the image: a later detach
      // would leave a painter and these writes on different pixels.
      bits_(target.Image().isNull() ? nullptr : target.Image().bits()),
      stride_(target.Image().bytesPerLine()),
      deviceWidth_(target.Image().width()),
      deviceHeight_(target.Image().height()) {}

QRect CPixelWriter::DeviceRect(const Rect& logical) const {
  const int left = std::max(0, target_.Device(logical.left));
  const int top = std::max(0, target_.Device(logical.top));
  const int right = std::min(deviceWidth_, target_.Device(logical.right));
  const int bottom = std::min(deviceHeight_, target_.Device(logical.bottom));
  return QRect(left, top, right - left, bottom - top);
}

void CPixelWriter::FillDevice(const QRect& device, QRgb pixel) {
  const int width = device.width();
  int rows = device.height();
  if (!bits_ || width <= 0 || rows <= 0) return;
  uchar* row = bits_ + device.top() * stride_ + device.left() * qsizetype{sizeof(QRgb)};
  // Boxes a pixel or two wide (snippets in a long view) are most of the fills.
  if (width == 1) {
    for (; rows > 0; --rows, row += stride_) *reinterpret_cast<QRgb*>(row) = pixel;
    return;
  }
  for (; rows > 0; --rows, row += stride_) std::fill_n(reinterpret_cast<QRgb*>(row), width, pixel);
}

void CPixelWriter::Fill(const Rect& logical, COLORREF colour) {
  if (logical.IsEmpty()) return;
  FillDevice(DeviceRect(logical), ToQRgb(colour));
}

void CPixelWriter::Invert(const Rect& logical) {
  if (logical.IsEmpty() || !bits_) return;
  const QRect device = DeviceRect(logical);
  for (int y = device.top(); y < device.top() + device.height(); ++y) {
    QRgb* row = reinterpret_cast<QRgb*>(bits_ + y * stride_);
    for (int x = device.left(); x < device.left() + device.width(); ++x) row[x] ^= 0x00FFFFFFu;
  }
}

void CPixelWriter::Plot(int x, int y, COLORREF colour) {
  if (target_.Scale() == 1.0) {
    if (bits_ && x >= 0 && y >= 0 && x < deviceWidth_ && y < deviceHeight_) {
      reinterpret_cast<QRgb*>(bits_ + y * stride_)[x] = ToQRgb(colour);
    }
    return;
  }
  Fill({x, y, x + 1, y + 1}, colour);
}

void CPixelWriter::PlotSquare(int x, int y, int size, COLORREF colour) {
  if (size <= 1) {
    Plot(x, y, colour);
    return;
  }
  Fill({x, y, x + size, y + size}, colour);
}

}  // namespace draw
