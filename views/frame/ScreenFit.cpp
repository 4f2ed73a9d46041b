#include "frame/ScreenFit.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QVariant>
#include <QWidget>
#include <algorithm>

namespace {
constexpr const char* kFitAfterPaint = "fitOnScreenAfterPaint";
}  // namespace

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
  const QEvent::Type kind = event->type();
  if ((kind != QEvent::Show && kind != QEvent::Paint) || !watched->isWidgetType()) {
    return QObject::eventFilter(watched, event);
  }
  auto* widget = static_cast<QWidget*>(watched);
  const Qt::WindowType type = widget->windowType();
  if (!widget->isWindow() || (type != Qt::Window && type != Qt::Dialog && type != Qt::Tool)) {
    return QObject::eventFilter(watched, event);
  }
  if (kind == QEvent::Show) {
    FitOnScreen(*widget);
    widget->setProperty(kFitAfterPaint, true);
  } else if (widget->property(kFitAfterPaint).toBool()) {
    // By its first paint the window manager has framed it: the frame counts too.
    widget->setProperty(kFitAfterPaint, false);
    QTimer::singleShot(0, widget, [widget] { FitOnScreen(*widget); });
  }
  return QObject::eventFilter(watched, event);
}
