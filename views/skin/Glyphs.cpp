#include "skin/Glyphs.h"

#include <QPainterPath>
#include <QTransform>

namespace skin {

namespace {

// Draws in the glyph's own 16 x 16 coordinates.
class CGlyphPen {
 public:
  CGlyphPen(CArt& art, const QRectF& box) : art_(art), box_(box) {
    QPainter& painter = art_.Painter();
    painter.save();
    painter.translate(box.topLeft());
    painter.scale(box.width() / 16.0, box.height() / 16.0);
  }
  ~CGlyphPen() { art_.Painter().restore(); }

  void Fill(const QPainterPath& path, draw::COLORREF colour) { art_.Shape(path, colour); }
  void Stroke(const QPainterPath& path, draw::COLORREF colour, double width = 1.0) {
    art_.Stroke(path, colour, width);
  }
  void Rect(double x, double y, double w, double h, draw::COLORREF colour) {
    QPainterPath path;
    path.addRect(QRectF(x, y, w, h));
    Fill(path, colour);
  }
  void Polygon(std::initializer_list<QPointF> points, draw::COLORREF colour) { art_.Polygon(points, colour); }

 private:
  CArt& art_;
  QRectF box_;
};

QPainterPath Lines(std::initializer_list<QPointF> points, bool closed = false) {
  QPainterPath path;
  bool first = true;
  for (const QPointF& p : points) {
    first ? path.moveTo(p) : path.lineTo(p);
    first = false;
  }
  if (closed) path.closeSubpath();
  return path;
}

QPainterPath Circle(double cx, double cy, double r) {
  QPainterPath path;
  path.addEllipse(QPointF(cx, cy), r, r);
  return path;
}

// A curved arrow from the lower right up and round to the left, its head at the left.
void UndoArrow(CGlyphPen& pen, draw::COLORREF ink, draw::COLORREF accent) {
  QPainterPath curve;
  curve.moveTo(13.5, 13.5);
  curve.cubicTo(13.5, 7.0, 11.0, 5.5, 6.0, 5.5);
  pen.Stroke(curve, ink, 1.6);
  pen.Polygon({{1.5, 5.5}, {6.5, 1.5}, {6.5, 9.5}}, accent);
}

void DrawPage(CGlyphPen& pen, double x, double y, double w, double h, draw::COLORREF ink, draw::COLORREF fill) {
  QPainterPath page;
  page.addRect(QRectF(x + 0.5, y + 0.5, w - 1, h - 1));
  pen.Fill(page, fill);
  pen.Stroke(page, ink);
}

}  // namespace

void DrawGlyph(CArt& art, Glyph glyph, const QRectF& box, draw::COLORREF ink, draw::COLORREF accent) {
  CGlyphPen pen(art, box);
  const draw::COLORREF white = 0xFFFFFF;
  switch (glyph) {
    case Glyph::New: {
      const QPainterPath page = Lines({{2.5, 1.5}, {8.5, 1.5}, {11.5, 4.5}, {11.5, 14.5}, {2.5, 14.5}}, true);
      pen.Fill(page, white);
      pen.Stroke(page, ink);
      pen.Stroke(Lines({{8.5, 1.5}, {8.5, 4.5}, {11.5, 4.5}}), ink);
      // A plus on a white ground that cuts into the page's corner.
      pen.Rect(8.0, 8.0, 8.0, 8.0, white);
      pen.Rect(9.0, 11.0, 7.0, 2.0, accent);
      pen.Rect(11.5, 8.5, 2.0, 7.0, accent);
      break;
    }
    case Glyph::Open:
      pen.Stroke(Lines({{1.5, 13.5}, {1.5, 3.5}, {5.5, 3.5}, {7.0, 5.0}, {13.5, 5.0}, {13.5, 8.0}}), ink);
      pen.Polygon({{1.0, 14.0}, {3.5, 8.0}, {15.5, 8.0}, {13.0, 14.0}}, accent);
      break;
    case Glyph::Save:
      pen.Stroke(Lines({{2.5, 9.5}, {2.5, 13.5}, {13.5, 13.5}, {13.5, 9.5}}), ink, 1.4);
      pen.Rect(7.0, 1.5, 2.0, 6.5, accent);
      pen.Polygon({{4.0, 7.0}, {12.0, 7.0}, {8.0, 11.0}}, accent);
      break;
    case Glyph::Cut:
      pen.Stroke(Lines({{6.0, 10.0}, {11.5, 1.5}}), ink, 1.3);
      pen.Stroke(Lines({{10.0, 10.0}, {4.5, 1.5}}), ink, 1.3);
      pen.Stroke(Circle(4.8, 12.2, 2.3), accent, 1.4);
      pen.Stroke(Circle(11.2, 12.2, 2.3), accent, 1.4);
      break;
    case Glyph::Copy:
      DrawPage(pen, 5.0, 1.0, 9.0, 10.0, ink, white);
      DrawPage(pen, 2.0, 5.0, 9.0, 10.0, accent, white);
      pen.Rect(4.0, 8.0, 5.0, 1.0, accent);
      pen.Rect(4.0, 10.5, 5.0, 1.0, accent);
      break;
    case Glyph::Paste:
      DrawPage(pen, 2.0, 2.5, 10.0, 12.5, ink, white);
      pen.Rect(5.0, 1.0, 4.0, 3.0, ink);
      DrawPage(pen, 7.0, 7.0, 7.5, 8.5, accent, white);
      pen.Rect(8.5, 9.5, 4.5, 1.0, accent);
      pen.Rect(8.5, 11.8, 4.5, 1.0, accent);
      break;
    case Glyph::Delete:
      pen.Stroke(Lines({{3.5, 3.5}, {12.5, 12.5}}), accent, 2.2);
      pen.Stroke(Lines({{12.5, 3.5}, {3.5, 12.5}}), accent, 2.2);
      break;
    case Glyph::Redo:
      art.Painter().translate(16.0, 0.0);
      art.Painter().scale(-1.0, 1.0);
      [[fallthrough]];
    case Glyph::Undo:
      UndoArrow(pen, ink, accent);
      break;
    case Glyph::Properties:
      for (int row = 0; row < 3; ++row) pen.Rect(1.5, 3.5 + 4.5 * row, 13.0, 1.0, ink);
      pen.Rect(9.0, 1.5, 3.0, 5.0, accent);
      pen.Rect(4.0, 6.0, 3.0, 5.0, accent);
      pen.Rect(10.0, 10.5, 3.0, 5.0, accent);
      break;
    case Glyph::Help: {
      pen.Stroke(Circle(8.0, 8.0, 6.6), accent, 1.5);
      QPainterPath mark;
      mark.moveTo(5.6, 6.2);
      mark.cubicTo(5.6, 3.6, 10.4, 3.6, 10.4, 6.2);
      mark.cubicTo(10.4, 8.0, 8.0, 8.0, 8.0, 10.0);
      pen.Stroke(mark, ink, 1.6);
      pen.Fill(Circle(8.0, 12.3, 1.0), ink);
      break;
    }
    case Glyph::Play:
      pen.Polygon({{4.0, 2.0}, {13.5, 8.0}, {4.0, 14.0}}, accent);
      break;
    case Glyph::PlayLoop: {
      // Play inside a ring that turns back on itself.
      QPainterPath ring;
      ring.arcMoveTo(QRectF(1.5, 1.5, 13.0, 13.0), 100.0);
      ring.arcTo(QRectF(1.5, 1.5, 13.0, 13.0), 100.0, 300.0);
      pen.Stroke(ring, ink, 1.4);
      pen.Polygon({{9.2, 0.0}, {12.6, 2.6}, {8.6, 4.6}}, ink);
      pen.Polygon({{6.0, 4.8}, {11.2, 8.0}, {6.0, 11.2}}, accent);
      break;
    }
    case Glyph::FastForward:
      art.Painter().translate(16.0, 0.0);
      art.Painter().scale(-1.0, 1.0);
      [[fallthrough]];
    case Glyph::Rewind:
      pen.Rect(2.0, 3.0, 2.0, 10.0, ink);
      pen.Polygon({{9.5, 3.0}, {4.5, 8.0}, {9.5, 13.0}}, ink);
      pen.Polygon({{14.5, 3.0}, {9.5, 8.0}, {14.5, 13.0}}, ink);
      break;
    case Glyph::Stop:
      pen.Rect(3.5, 3.5, 9.0, 9.0, ink);
      break;
    case Glyph::Record:
      pen.Fill(Circle(8.0, 8.0, 5.0), accent);
      break;
    case Glyph::Loop: {
      QPainterPath ring;
      ring.moveTo(4.0, 11.5);
      ring.cubicTo(0.5, 9.0, 2.0, 3.5, 8.0, 3.5);
      ring.lineTo(10.0, 3.5);
      pen.Stroke(ring, ink, 1.6);
      pen.Polygon({{9.5, 0.5}, {13.5, 3.5}, {9.5, 6.5}}, ink);
      QPainterPath back;
      back.moveTo(12.0, 4.5);
      back.cubicTo(15.5, 7.0, 14.0, 12.5, 8.0, 12.5);
      back.lineTo(6.0, 12.5);
      pen.Stroke(back, accent, 1.6);
      pen.Polygon({{6.5, 9.5}, {2.5, 12.5}, {6.5, 15.5}}, accent);
      break;
    }
  }
}

}  // namespace skin
