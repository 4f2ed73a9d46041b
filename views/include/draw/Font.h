// Fonts by the faces and sizes the views name, mapped onto the fonts a Debian
// desktop has: Arial and its kin to Liberation Sans (same metrics), sizes in
// pixels so that text measures the same on every screen.
#pragma once

#include <QFont>
#include <string>

namespace draw {

constexpr int kWeightNormal = 400;
constexpr int kWeightBold = 700;

class CFont {
 public:
  CFont();
  // A font whose character height is pixelHeight (the size of its em).
  static CFont FromPixelHeight(const std::string& face, int pixelHeight, int weight = kWeightNormal);
  // A font of tenths of a point at 96 dots per inch, as dialog and toolbar fonts are given:
  // 100 tenths is 13 pixels, 85 tenths 11 pixels.
  static CFont FromPointTenths(const std::string& face, int tenths, int weight = kWeightNormal);

  const QFont& Get() const { return font_; }
  int PixelHeight() const { return font_.pixelSize(); }
  void SetUnderline(bool underline) { font_.setUnderline(underline); }

 private:
  explicit CFont(QFont font) : font_(std::move(font)) {}
  QFont font_;
};

// The family that stands in for a face; a face whose name says bold ("Arial Bold") also
// answers bold through *bold.
QString MapFontFace(const std::string& face, bool* bold = nullptr);

// Pixels of a size given in tenths of a point at 96 dots per inch, rounded.
int PointTenthsToPixels(int tenths);

}  // namespace draw
