// Private messages posted to the main window (the skinned buttons' zoom and
// row messages): a Qt event carrying the message and its two parameters,
// delivered after the poster's own event handling has finished.
//
// Threads: user-interface thread only (device threads post through the
// core's user-interface thread instead).
#pragma once

#include <QEvent>
#include <cstdint>

class QObject;

class CPostedMessageEvent final : public QEvent {
 public:
  static QEvent::Type EventType();
  CPostedMessageEvent(uint32_t message, int64_t wParam, int64_t lParam)
      : QEvent(EventType()), message_(message), wParam_(wParam), lParam_(lParam) {}

  uint32_t Message() const { return message_; }
  int64_t WParam() const { return wParam_; }
  int64_t LParam() const { return lParam_; }

 private:
  uint32_t message_;
  int64_t wParam_, lParam_;
};

// The window that receives posted messages; null: they go to the application object.
void SetMainWindow(QObject* window);
QObject* MainWindow();
void PostToMainWindow(uint32_t message, int64_t wParam = 0, int64_t lParam = 0);
