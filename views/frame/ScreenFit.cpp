#include "frame/ScreenFit.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

QRect FitRect(const QRect& frame, const QRect& area, const QSize& smallest) {
  const QSize size = frame.size().boundedTo(area.size()).expandedTo(smallest);
  const int x = std::max(area.left(), std::min(frame.left(), area.left() + area.width() - size.width()));
  const int y = std::max(area.top(), std::min(frame.top(), area.top() + area.height() - size.height()));
  return {QPoint(x, y), size};
}

void FitOnScreen(QWidget& window) {
  const QRect frame = window.frameGeometry();
  QScreen* screen = QGuiApplication::screenAt(frame.center());
  if (!screen) screen = window.screen();
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  // What the frame adds around the client (nothing before the window manager has framed it).
  const QRect client = window.geometry();
  const QMargins margins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                         frame.bottom() - client.bottom());
  const QSize frameExtra(margins.left() + margins.right(), margins.top() + margins.bottom());
  const QRect fitted = FitRect(frame, screen->availableGeometry(), window.minimumSize() + frameExtra);
  if (fitted != frame) window.setGeometry(fitted.marginsRemoved(margins));
}

CScreenFitter::CScreenFitter(QObject* parent) : QObject(parent) {}

bool CScreenFitter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Show && watched->isWidgetType()) {
    auto* widget = static_cast<QWidget*>(watched);
    const Qt::WindowType type = widget->windowType();
    if (widget->isWindow() && (type == Qt::Window || type == Qt::Dialog || type == Qt::Tool)) FitOnScreen(*widget);
  }
  return QObject::eventFilter(watched, event);
}
