#include "draw/Bitmap.h"

#include <cmath>

namespace draw {

namespace {

int DeviceSize(int logical, double scale) {
  return logical <= 0 ? 0 : static_cast<int>(std::floor(logical * scale + 1e-9));
}

}  // namespace

CBitmap::CBitmap(int width, int height, double scale, COLORREF fill)
    : image_(DeviceSize(width, scale), DeviceSize(height, scale), QImage::Format_RGB32),
      scale_(scale),
      width_(std::max(0, width)),
      height_(std::max(0, height)) {
  if (!image_.isNull()) image_.fill(ToQRgb(fill));
}

CBitmap CBitmap::Transparent(int width, int height, double scale) {
  CBitmap bitmap;
  bitmap.image_ = QImage(DeviceSize(width, scale), DeviceSize(height, scale), QImage::Format_ARGB32_Premultiplied);
  if (!bitmap.image_.isNull()) bitmap.image_.fill(0);
  bitmap.scale_ = scale;
  bitmap.width_ = std::max(0, width);
  bitmap.height_ = std::max(0, height);
  return bitmap;
}

CBitmap CBitmap::FromImage(QImage image, double scale) {
  CBitmap bitmap;
  const bool alpha = image.hasAlphaChannel();
  bitmap.image_ = image.convertToFormat(alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
  bitmap.image_.setDevicePixelRatio(1.0);
  bitmap.scale_ = scale;
  bitmap.width_ = static_cast<int>(std::floor(bitmap.image_.width() / scale + 1e-9));
  bitmap.height_ = static_cast<int>(std::floor(bitmap.image_.height() / scale + 1e-9));
  return bitmap;
}

int CBitmap::ScaledDevice(int logical) const { return static_cast<int>(std::floor(logical * scale_ + 1e-9)); }

COLORREF CBitmap::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return FromQRgb(image_.pixel(Device(x), Device(y)));
}

int CBitmap::Alpha(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return qAlpha(image_.pixel(Device(x), Device(y)));
}

CBitmap CBitmap::Transposed() const {
  CBitmap result;
  result.image_ = QImage(image_.height(), image_.width(), image_.format());
  for (int y = 0; y < image_.height(); ++y) {
    const QRgb* row = reinterpret_cast<const QRgb*>(image_.constScanLine(y));
    for (int x = 0; x < image_.width(); ++x) {
      reinterpret_cast<QRgb*>(result.image_.scanLine(x))[y] = row[x];
    }
  }
  result.scale_ = scale_;
  result.width_ = height_;
  result.height_ = width_;
  return result;
}

CBitmap CBitmap::Copy(const Rect& part) const {
  const Rect clipped = part.Intersected(Bounds());
  if (clipped.IsEmpty()) return CBitmap();
  CBitmap result;
  result.image_ = image_.copy(Device(clipped.left), Device(clipped.top), Device(clipped.right) - Device(clipped.left),
                              Device(clipped.bottom) - Device(clipped.top));
  result.scale_ = scale_;
  result.width_ = clipped.Width();
  result.height_ = clipped.Height();
  return result;
}

void CBitmap::PaintTo(QPainter& painter, int x, int y, const Rect& part) const {
  const Rect clipped = part.Intersected(Bounds());
  if (clipped.IsEmpty() || image_.isNull()) return;
  const QRect source(Device(clipped.left), Device(clipped.top), Device(clipped.right) - Device(clipped.left),
                     Device(clipped.bottom) - Device(clipped.top));
  const QRectF target(x + (clipped.left - part.left), y + (clipped.top - part.top), clipped.Width(),
                      clipped.Height());
  painter.drawImage(target, image_, source);
}

}  // namespace draw
