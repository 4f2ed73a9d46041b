#include "skin/SkinArt.h"

#include "draw/Font.h"

namespace skin {

CArt::CArt(draw::CBitmap& target) : painter_(&target.Image()), width_(target.Width()), height_(target.Height()) {
  painter_.scale(target.Scale(), target.Scale());
  painter_.setPen(Qt::NoPen);
}

CArt::~CArt() { painter_.end(); }

void CArt::Fill(int x, int y, int width, int height, draw::COLORREF colour) {
  painter_.setRenderHint(QPainter::Antialiasing, false);
  painter_.fillRect(QRect(x, y, width, height), draw::ToQColor(colour));
}

void CArt::Frame(int x, int y, int width, int height, draw::COLORREF colour) {
  HLine(x, y, width, colour);
  HLine(x, y + height - 1, width, colour);
  VLine(x, y, height, colour);
  VLine(x + width - 1, y, height, colour);
}

void CArt::Panel(int x, int y, int width, int height, draw::COLORREF fill, draw::COLORREF border,
                 draw::COLORREF outside) {
  Fill(x, y, width, height, fill);
  Frame(x, y, width, height, border);
  const draw::COLORREF corner = draw::Blend(border, outside, 160);
  Pixel(x, y, corner);
  Pixel(x + width - 1, y, corner);
  Pixel(x, y + height - 1, corner);
  Pixel(x + width - 1, y + height - 1, corner);
}

void CArt::Clear(int x, int y, int width, int height) {
  painter_.setRenderHint(QPainter::Antialiasing, false);
  painter_.setCompositionMode(QPainter::CompositionMode_Clear);
  painter_.fillRect(QRect(x, y, width, height), Qt::transparent);
  painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void CArt::Shape(const QPainterPath& path, draw::COLORREF colour) {
  painter_.setRenderHint(QPainter::Antialiasing, true);
  painter_.fillPath(path, draw::ToQColor(colour));
}

void CArt::Stroke(const QPainterPath& path, draw::COLORREF colour, double width) {
  painter_.setRenderHint(QPainter::Antialiasing, true);
  QPen pen(draw::ToQColor(colour), width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
  painter_.strokePath(path, pen);
}

void CArt::Ellipse(double x, double y, double width, double height, draw::COLORREF colour) {
  QPainterPath path;
  path.addEllipse(QRectF(x, y, width, height));
  Shape(path, colour);
}

void CArt::Polygon(std::initializer_list<QPointF> points, draw::COLORREF colour) {
  QPainterPath path;
  bool first = true;
  for (const QPointF& p : points) {
    if (first) {
      path.moveTo(p);
      first = false;
    } else {
      path.lineTo(p);
    }
  }
  path.closeSubpath();
  Shape(path, colour);
}

void CArt::Text(int x, int y, int width, int height, const QString& text, const TextStyle& style,
                draw::COLORREF colour, int alignment) {
  draw::CFont font = draw::CFont::FromPixelHeight("Arial", style.pixels, style.bold ? draw::kWeightBold : 400);
  QFont qfont = font.Get();
  if (style.spacingPercent != 100) qfont.setLetterSpacing(QFont::PercentageSpacing, style.spacingPercent);
  painter_.setRenderHint(QPainter::TextAntialiasing, true);
  painter_.setFont(qfont);
  painter_.setPen(draw::ToQColor(colour));
  painter_.drawText(QRect(x, y, width, height), alignment, text);
  painter_.setPen(Qt::NoPen);
}

}  // namespace skin
