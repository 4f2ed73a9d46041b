#include "draw/Canvas.h"

#include <QFontMetrics>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace draw {

CCanvas::CCanvas(CBitmap& target) : target_(target), pixels_(target) {}

CCanvas::~CCanvas() {
  if (painter_) painter_->end();
}

QPainter& CCanvas::Painter() {
  if (!painter_) {
    painter_ = std::make_unique<QPainter>(&target_.Image());
    painter_->setRenderHint(QPainter::Antialiasing, false);
    painter_->setRenderHint(QPainter::TextAntialiasing, true);
  }
  return *painter_;
}

CPen CCanvas::SelectPen(const CPen& pen) { return std::exchange(pen_, pen); }
CBrush CCanvas::SelectBrush(const CBrush& brush) { return std::exchange(brush_, brush); }
CFont CCanvas::SelectFont(const CFont& font) { return std::exchange(font_, font); }
COLORREF CCanvas::SetTextColour(COLORREF colour) { return std::exchange(textColour_, colour); }
COLORREF CCanvas::SetBackColour(COLORREF colour) { return std::exchange(backColour_, colour); }
BackMode CCanvas::SetBackMode(BackMode mode) { return std::exchange(backMode_, mode); }

void CCanvas::FillRect(const Rect& rect, const CBrush& brush) {
  if (!brush.hollow) pixels_.Fill(rect, brush.colour);
}

void CCanvas::FillSolidRect(const Rect& rect, COLORREF colour) { pixels_.Fill(rect, colour); }

void CCanvas::FrameRect(const Rect& rect, const CBrush& brush) {
  if (brush.hollow || rect.IsEmpty()) return;
  pixels_.Fill({rect.left, rect.top, rect.right, rect.top + 1}, brush.colour);
  pixels_.Fill({rect.left, rect.bottom - 1, rect.right, rect.bottom}, brush.colour);
  pixels_.Fill({rect.left, rect.top, rect.left + 1, rect.bottom}, brush.colour);
  pixels_.Fill({rect.right - 1, rect.top, rect.right, rect.bottom}, brush.colour);
}

void CCanvas::Rectangle(int left, int top, int right, int bottom) {
  if (right < left) std::swap(left, right);
  if (bottom < top) std::swap(top, bottom);
  if (pen_.style == PenStyle::Null) {
    FillRect({left, top, right - 1, bottom - 1}, brush_);
    return;
  }
  const int w = std::max(1, pen_.width);
  FillRect({left + w, top + w, right - w, bottom - w}, brush_);
  if (pen_.style == PenStyle::Dot) {
    const Point corners[] = {{left, top}, {right - 1, top}, {right - 1, bottom - 1}, {left, bottom - 1}};
    int phase = 0;
    for (int i = 0; i < 4; ++i) PlotLine(corners[i], corners[(i + 1) % 4], &phase);
    return;
  }
  const COLORREF c = pen_.colour;
  pixels_.Fill({left, top, right, std::min(bottom, top + w)}, c);
  pixels_.Fill({left, std::max(top, bottom - w), right, bottom}, c);
  pixels_.Fill({left, top, std::min(right, left + w), bottom}, c);
  pixels_.Fill({std::max(left, right - w), top, right, bottom}, c);
}

void CCanvas::MoveTo(int x, int y) { current_ = {x, y}; }

void CCanvas::LineTo(int x, int y) {
  int phase = 0;
  if (pen_.style != PenStyle::Null) PlotLine(current_, {x, y}, &phase);
  current_ = {x, y};
}

void CCanvas::Polyline(const Point* points, size_t count) {
  if (!points || count < 2 || pen_.style == PenStyle::Null) return;
  int phase = 0;
  for (size_t i = 1; i < count; ++i) PlotLine(points[i - 1], points[i], &phase);
}

void CCanvas::Polygon(const Point* points, size_t count) {
  if (!points || count < 2) return;
  if (!brush_.hollow && count >= 3) {
    QPolygon device(static_cast<int>(count));
    for (size_t i = 0; i < count; ++i) {
      device.setPoint(static_cast<int>(i), target_.Device(points[i].x), target_.Device(points[i].y));
    }
    QPainter& painter = Painter();
    painter.setTransform(QTransform());
    painter.setPen(Qt::NoPen);
    painter.setBrush(ToQColor(brush_.colour));
    painter.drawPolygon(device, Qt::OddEvenFill);
  }
  if (pen_.style == PenStyle::Null) return;
  int phase = 0;
  for (size_t i = 0; i < count; ++i) PlotLine(points[i], points[(i + 1) % count], &phase);
}

void CCanvas::PlotPenPixel(int x, int y) {
  const int w = std::max(1, pen_.width);
  if (w == 1) {
    pixels_.Plot(x, y, pen_.colour);
  } else {
    pixels_.PlotSquare(x - w / 2, y - w / 2, w, pen_.colour);
  }
}

// Bresenham from one point towards another, the end point left out.
void CCanvas::PlotLine(Point from, Point to, int* dotPhase) {
  // A level or upright line of a plain one-pixel pen is one span, filled at
  // once: the sides of snippet boxes and of waveform columns.
  if (pen_.style == PenStyle::Solid && pen_.width <= 1 && (from.x == to.x || from.y == to.y)) {
    const auto span = [](int a, int b) { return a <= b ? std::pair{a, b} : std::pair{b + 1, a + 1}; };
    if (from.x == to.x) {
      const auto [top, bottom] = span(from.y, to.y);
      pixels_.Fill({from.x, top, from.x + 1, bottom}, pen_.colour);
    } else {
      const auto [left, right] = span(from.x, to.x);
      pixels_.Fill({left, from.y, right, from.y + 1}, pen_.colour);
    }
    return;
  }
  const int dx = std::abs(to.x - from.x);
  const int dy = -std::abs(to.y - from.y);
  const int stepX = from.x < to.x ? 1 : -1;
  const int stepY = from.y < to.y ? 1 : -1;
  const bool dotted = pen_.style == PenStyle::Dot;
  int error = dx + dy;
  int x = from.x;
  int y = from.y;
  while (x != to.x || y != to.y) {
    if (!dotted || (*dotPhase)++ % 3 == 0) PlotPenPixel(x, y);
    const int twice = 2 * error;
    if (twice >= dy) {
      error += dy;
      x += stepX;
    }
    if (twice <= dx) {
      error += dx;
      y += stepY;
    }
  }
}

void CCanvas::InvertRect(const Rect& rect) { pixels_.Invert(rect); }

void CCanvas::SetPixel(int x, int y, COLORREF colour) { pixels_.Plot(x, y, colour); }

void CCanvas::Blit(int x, int y, int width, int height, const CBitmap& source, int sourceX, int sourceY) {
  if (source.IsNull() || width <= 0 || height <= 0) return;
  // Clip in logical pixels against both bitmaps.
  int left = std::max({x, 0, x - sourceX});
  int top = std::max({y, 0, y - sourceY});
  const int right = std::min({x + width, target_.Width(), x - sourceX + source.Width()});
  const int bottom = std::min({y + height, target_.Height(), y - sourceY + source.Height()});
  if (right <= left || bottom <= top) return;
  const int fromX = sourceX + (left - x);
  const int fromY = sourceY + (top - y);
  if (source.HasAlpha() || source.Scale() != target_.Scale()) {
    const Rect target{left, top, right, bottom};
    StretchBlit(target, source, Rect::FromSize(fromX, fromY, right - left, bottom - top));
    return;
  }
  const int deviceLeft = target_.Device(left);
  const int deviceWidth = target_.Device(right) - deviceLeft;
  const int sourceLeft = source.Device(fromX);
  const int columns = std::min(deviceWidth, source.Image().width() - sourceLeft);
  const int deviceTop = target_.Device(top);
  const int rows = std::min(target_.Device(bottom) - deviceTop, source.Image().height() - source.Device(fromY));
  for (int row = 0; row < rows; ++row) {
    std::memcpy(pixels_.DeviceRow(deviceTop + row) + deviceLeft,
                source.Image().constScanLine(source.Device(fromY) + row) + sourceLeft * 4,
                static_cast<size_t>(columns) * 4);
  }
}

void CCanvas::BlitMasked(int x, int y, int width, int height, const CBitmap& source, int sourceX, int sourceY,
                         COLORREF mask) {
  const QRgb key = ToQRgb(mask) & 0x00FFFFFFu;
  for (int row = 0; row < height; ++row) {
    for (int column = 0; column < width; ++column) {
      const int sx = sourceX + column;
      const int sy = sourceY + row;
      if (sx < 0 || sy < 0 || sx >= source.Width() || sy >= source.Height()) continue;
      const COLORREF colour = source.Pixel(sx, sy);
      if ((ToQRgb(colour) & 0x00FFFFFFu) != key) pixels_.Plot(x + column, y + row, colour);
    }
  }
}

void CCanvas::StretchBlit(const Rect& target, const CBitmap& source, const Rect& part) {
  if (source.IsNull() || target.IsEmpty() || part.IsEmpty()) return;
  const QRect deviceTarget(target_.Device(target.left), target_.Device(target.top),
                           target_.Device(target.right) - target_.Device(target.left),
                           target_.Device(target.bottom) - target_.Device(target.top));
  const QRect deviceSource(source.Device(part.left), source.Device(part.top),
                           source.Device(part.right) - source.Device(part.left),
                           source.Device(part.bottom) - source.Device(part.top));
  QPainter& painter = Painter();
  painter.setTransform(QTransform());
  painter.setRenderHint(QPainter::SmoothPixmapTransform, deviceTarget.size() != deviceSource.size());
  painter.setCompositionMode(source.HasAlpha() ? QPainter::CompositionMode_SourceOver
                                               : QPainter::CompositionMode_Source);
  painter.drawImage(deviceTarget, source.Image(), deviceSource);
  painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

int CCanvas::TextFlags(unsigned format) const {
  int flags = 0;
  flags |= (format & kTextCenter) ? Qt::AlignHCenter : (format & kTextRight) ? Qt::AlignRight : Qt::AlignLeft;
  flags |= (format & kTextVCenter) ? Qt::AlignVCenter : (format & kTextBottom) ? Qt::AlignBottom : Qt::AlignTop;
  if (format & kTextSingleLine) flags |= Qt::TextSingleLine;
  if (format & kTextWordBreak) flags |= Qt::TextWordWrap;
  if (format & kTextExpandTabs) flags |= Qt::TextExpandTabs;
  if (!(format & kTextNoPrefix)) flags |= Qt::TextShowMnemonic;
  if (format & kTextNoClip) flags |= Qt::TextDontClip;
  return flags;
}

void CCanvas::TextOut(int x, int y, const QString& text) {
  const QFontMetrics metrics(font_.Get());
  if (backMode_ == BackMode::Opaque) {
    pixels_.Fill(Rect::FromSize(x, y, metrics.horizontalAdvance(text), metrics.height()), backColour_);
  }
  QPainter& painter = Painter();
  painter.setTransform(QTransform::fromScale(target_.Scale(), target_.Scale()));
  painter.setFont(font_.Get());
  painter.setPen(ToQColor(textColour_));
  painter.drawText(QPointF(x, y + metrics.ascent()), text);
}

int CCanvas::DrawText(const QString& text, const Rect& rect, unsigned format) {
  const int flags = TextFlags(format);
  const QFontMetrics metrics(font_.Get());
  const QRect bounds = metrics.boundingRect(rect.ToQRect(), flags, text);
  if (backMode_ == BackMode::Opaque) {
    Rect fill{bounds.left(), bounds.top(), bounds.left() + bounds.width(), bounds.top() + bounds.height()};
    if (!(format & kTextNoClip)) fill = fill.Intersected(rect);
    pixels_.Fill(fill, backColour_);
  }
  QPainter& painter = Painter();
  painter.setTransform(QTransform::fromScale(target_.Scale(), target_.Scale()));
  painter.setFont(font_.Get());
  painter.setPen(ToQColor(textColour_));
  painter.drawText(rect.ToQRect(), flags, text);
  return bounds.height();
}

QSize CCanvas::TextExtent(const QString& text) const {
  const QFontMetrics metrics(font_.Get());
  return QSize(metrics.horizontalAdvance(text), metrics.height());
}

}  // namespace draw
