#include "controls/PostedMessage.h"

#include <QCoreApplication>
#include <QPointer>

namespace {
QPointer<QObject>& Target() {
  static QPointer<QObject> target;
  return target;
}
}  // namespace

QEvent::Type CPostedMessageEvent::EventType() {
  static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

void SetMainWindow(QObject* window) { Target() = window; }

QObject* MainWindow() { return Target().data(); }

void PostToMainWindow(uint32_t message, int64_t wParam, int64_t lParam) {
  QObject* target = MainWindow();
  if (!target) target = QCoreApplication::instance();
  if (!target) return;
  QCoreApplication::postEvent(target, new CPostedMessageEvent(message, wParam, lParam));
}
