#include "trackview/SpinArrows.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>

namespace trackview {

namespace {
constexpr QRgb kFace = 0xF0F0F0;
constexpr QRgb kEdge = 0x91A7B4;
constexpr QRgb kArrow = 0x323232;
}  // namespace

CSpinArrows::CSpinArrows(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

void CSpinArrows::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const int w = width();
  const int h = height();
  const int half = h / 2;
  p.fillRect(rect(), QColor(kFace));
  p.setPen(QColor(kEdge));
  p.drawRect(0, 0, w - 1, half - 1);
  p.drawRect(0, half, w - 1, h - half - 1);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(kArrow));
  const int cx = w / 2;
  const int up = half / 2;
  const int down = half + (h - half) / 2;
  p.drawPolygon(QPolygon({QPoint(cx - 3, up + 2), QPoint(cx + 4, up + 2), QPoint(cx, up - 2)}));
  p.drawPolygon(QPolygon({QPoint(cx - 3, down - 1), QPoint(cx + 4, down - 1), QPoint(cx, down + 3)}));
}

void CSpinArrows::mousePressEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() != Qt::LeftButton || !onStep) return;
  onStep(event->position().y() < height() / 2.0 ? 1 : 0);
}

}  // namespace trackview
