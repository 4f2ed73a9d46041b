// Every window wholly on the screen it opens on, shrunk when it is larger than
// that screen. On a desktop scaled to 2 a 1600 x 1000 screen holds only
// 800 x 500 of the program's pixels, so a placement stored or computed for a
// larger screen must come in.
//
// Threads: user-interface thread only.
#pragma once

#include <QObject>
#include <QRect>

class QWidget;

// The frame rectangle moved inside area, and first shrunk to it, but never below
// smallest (the client's smallest size plus the frame's margins); a rectangle
// that cannot fit keeps its top left corner at the area's.
QRect FitRect(const QRect& frame, const QRect& area, const QSize& smallest);

// Moves (and shrinks) a top-level window into the available area of the screen
// its centre lies on, or else its own screen's.
void FitOnScreen(QWidget& window);

// Fits every top-level window of the program as it is shown (menus, tool tips
// and other pop-ups place themselves).
class CScreenFitter final : public QObject {
 public:
  explicit CScreenFitter(QObject* parent = nullptr);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};
