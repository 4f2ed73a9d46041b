// A read-only time box of the tool bars: right-aligned text in its own colours
// and font inside a thin sunken edge.
//
// Threads: user-interface thread only.
#pragma once

#include <QLineEdit>

#include "draw/Colour.h"

class CMyEdit final : public QLineEdit {
 public:
  static constexpr draw::COLORREF kDefaultText = 0x323232;
  static constexpr draw::COLORREF kEdge = 0xA0A0A0;
  static constexpr draw::COLORREF kEdgeLight = 0xE3E3E3;

  // id: the control id, kept as the object name.
  CMyEdit(int id, QWidget* parent);
  // A tool bar's time box: dark grey on white in the bar's font, at zero.
  static CMyEdit* MakeTimeBox(int id, QWidget* bar, const QRect& where);

  // Each redraws the box at once.
  void SetBackgroundColour(draw::COLORREF colour);
  void SetTextColour(draw::COLORREF colour);
  draw::COLORREF GetBackgroundColour() const { return backgroundColour_; }
  draw::COLORREF GetTextColour() const { return textColour_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void ApplyColours();

  draw::COLORREF backgroundColour_ = 0xFFFFFF;
  draw::COLORREF textColour_ = 0;
};
