#include "controls/MyEdit.h"

#include <QPainter>

CMyEdit::CMyEdit(int id, QWidget* parent) : QLineEdit(parent) {
  setObjectName(QString::number(id));
  setFrame(false);
  setReadOnly(true);
  setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  setTextMargins(2, 0, 3, 0);
  setFocusPolicy(Qt::TabFocus);
  ApplyColours();
}

CMyEdit* CMyEdit::MakeTimeBox(int id, QWidget* bar, const QRect& where) {
  auto* box = new CMyEdit(id, bar);
  box->SetTextColour(kDefaultText);
  box->setFont(bar->font());
  box->setText(QStringLiteral("00:00.000"));
  box->setGeometry(where);
  return box;
}

void CMyEdit::SetBackgroundColour(draw::COLORREF colour) {
  backgroundColour_ = colour;
  ApplyColours();
  repaint();
}

void CMyEdit::SetTextColour(draw::COLORREF colour) {
  textColour_ = colour;
  ApplyColours();
  repaint();
}

void CMyEdit::ApplyColours() {
  QPalette colours = palette();
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    colours.setColor(group, QPalette::Base, draw::ToQColor(backgroundColour_));
    colours.setColor(group, QPalette::Window, draw::ToQColor(backgroundColour_));
    colours.setColor(group, QPalette::Text, draw::ToQColor(textColour_));
  }
  setPalette(colours);
}

void CMyEdit::paintEvent(QPaintEvent* event) {
  QLineEdit::paintEvent(event);
  // The sunken edge: darker above and to the left, lighter below and to the right.
  QPainter painter(this);
  const int w = width(), h = height();
  painter.fillRect(0, 0, w, 1, draw::ToQColor(kEdge));
  painter.fillRect(0, 0, 1, h, draw::ToQColor(kEdge));
  painter.fillRect(0, h - 1, w, 1, draw::ToQColor(kEdgeLight));
  painter.fillRect(w - 1, 0, 1, h, draw::ToQColor(kEdgeLight));
}
