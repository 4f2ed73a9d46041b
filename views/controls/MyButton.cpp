#include "controls/MyButton.h"

#include <QMouseEvent>
#include <QPainter>

#include "controls/PostedMessage.h"
#include "draw/Canvas.h"
#include "skin/SkinFactory.h"

CMyButton::CMyButton(int messageId, int normalId, int hotId, int pressedId, QWidget* parent)
    : QWidget(parent), messageId_(messageId), normalId_(normalId), hotId_(hotId), pressedId_(pressedId) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::NoFocus);
}

void CMyButton::Render(draw::CBitmap& target) const {
  const int id = pressed_ ? pressedId_ : hot_ ? hotId_ : normalId_;
  const draw::CBitmap& bitmap = CSkinFactory::Get(id, target.Scale());
  draw::CCanvas canvas(target);
  if (bitmap.IsNull()) {
    canvas.FillSolidRect(target.Bounds(), 0xFFFFFF);
    return;
  }
  canvas.StretchBlit(target.Bounds(), bitmap, bitmap.Bounds());
}

void CMyButton::paintEvent(QPaintEvent*) {
  draw::CBitmap buffer(width(), height(), devicePixelRatioF());
  Render(buffer);
  QPainter painter(this);
  buffer.PaintTo(painter, 0, 0);
}

void CMyButton::Press() {
  pressed_ = 1;
  update();
  PostToMainWindow(static_cast<uint32_t>(messageId_));
}

void CMyButton::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) Press();
}

void CMyButton::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) Press();
}

void CMyButton::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  pressed_ = 0;
  update();
}

void CMyButton::enterEvent(QEnterEvent*) {
  hot_ = 1;
  update();
}

void CMyButton::leaveEvent(QEvent*) {
  hot_ = 0;
  update();
}
