#include "draw/Font.h"

#include <algorithm>
#include <cctype>

namespace draw {

namespace {

std::string Lower(const std::string& text) {
  std::string lower = text;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  return lower;
}

QFont MakeFont(const std::string& face, int pixelHeight, int weight) {
  bool bold = false;
  QFont font(MapFontFace(face, &bold));
  font.setPixelSize(std::max(1, pixelHeight));
  font.setWeight(bold || weight >= kWeightBold ? QFont::Bold : QFont::Normal);
  // Exactly this family: no substitution behind our back on another machine.
  font.setStyleStrategy(QFont::PreferMatch);
  font.setHintingPreference(QFont::PreferFullHinting);
  return font;
}

}  // namespace

CFont::CFont() : font_(MakeFont("Arial", 13, kWeightNormal)) {}

CFont CFont::FromPixelHeight(const std::string& face, int pixelHeight, int weight) {
  return CFont(MakeFont(face, pixelHeight, weight));
}

CFont CFont::FromPointTenths(const std::string& face, int tenths, int weight) {
  return CFont(MakeFont(face, PointTenthsToPixels(tenths), weight));
}

QString MapFontFace(const std::string& face, bool* bold) {
  const std::string name = Lower(face);
  if (bold) *bold = name.find("bold") != std::string::npos;
  if (name.find("courier") != std::string::npos || name.find("mono") != std::string::npos) {
    return QStringLiteral("Liberation Mono");
  }
  if (name.find("times") != std::string::npos || name.find("serif") == 0) return QStringLiteral("Liberation Serif");
  // Arial, Tahoma (also misspelt), MS Sans Serif and anything else: one sans face.
  return QStringLiteral("Liberation Sans");
}

int PointTenthsToPixels(int tenths) { return (tenths * 96 + 360) / 720; }

}  // namespace draw
