// A skinned push button of three bitmaps (normal, hot, pressed) that posts its
// message to the main window when pressed and again when double-clicked; the
// main window turns the message into the editor's zoom or row operation after
// the button's own mouse handling is done.
//
// Threads: user-interface thread only.
#pragma once

#include <QWidget>
#include <cstdint>

#include "draw/Bitmap.h"

class CMyButton final : public QWidget {
 public:
  CMyButton(int messageId, int normalId, int hotId, int pressedId, QWidget* parent = nullptr);

  int MessageId() const { return messageId_; }
  int IsPressed() const { return pressed_; }
  int IsHot() const { return hot_; }
  // The bitmap of the current state, stretched to the button.
  void Render(draw::CBitmap& target) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void Press();

  int pressed_ = 0;
  int hot_ = 0;
  int messageId_;
  int normalId_, hotId_, pressedId_;
};
