// Colours as the views store and compare them: 0x00BBGGRR values, so that
// 0xFF8000 is an azure (red 0, green 128, blue 255), never an orange.
#pragma once

#include <QColor>
#include <QRgb>
#include <cstdint>

namespace draw {

using COLORREF = uint32_t;

constexpr COLORREF Rgb(int red, int green, int blue) {
  return static_cast<COLORREF>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}
constexpr int RedOf(COLORREF colour) { return static_cast<int>(colour & 0xFF); }
constexpr int GreenOf(COLORREF colour) { return static_cast<int>((colour >> 8) & 0xFF); }
constexpr int BlueOf(COLORREF colour) { return static_cast<int>((colour >> 16) & 0xFF); }

// The pixel value of a colour in an opaque 32-bit image (0xFFRRGGBB).
constexpr QRgb ToQRgb(COLORREF colour) {
  return 0xFF000000u | (static_cast<QRgb>(RedOf(colour)) << 16) | (static_cast<QRgb>(GreenOf(colour)) << 8) |
         static_cast<QRgb>(BlueOf(colour));
}
constexpr COLORREF FromQRgb(QRgb pixel) { return Rgb(qRed(pixel), qGreen(pixel), qBlue(pixel)); }

inline QColor ToQColor(COLORREF colour) { return QColor(RedOf(colour), GreenOf(colour), BlueOf(colour)); }
inline COLORREF FromQColor(const QColor& colour) { return Rgb(colour.red(), colour.green(), colour.blue()); }

// The colour an inversion turns a pixel into; inverting twice gives it back.
constexpr COLORREF Inverted(COLORREF colour) { return colour ^ 0x00FFFFFFu; }

// A mix of two colours, amount 0 (all a) to 256 (all b), for soft edges in the skin.
constexpr COLORREF Blend(COLORREF a, COLORREF b, int amount) {
  return Rgb((RedOf(a) * (256 - amount) + RedOf(b) * amount) / 256,
             (GreenOf(a) * (256 - amount) + GreenOf(b) * amount) / 256,
             (BlueOf(a) * (256 - amount) + BlueOf(b) * amount) / 256);
}

}  // namespace draw
