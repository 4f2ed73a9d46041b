// The user-interface thread of the Qt program: posts from any thread wait in a
// fixed ring and wake the event loop through an eventfd, so that a device
// thread that posts never allocates, never locks and never waits; timers are
// QTimers keyed by the ids the core gives them.
//
// Threads: Post from any thread; everything else on the user-interface thread.
#pragma once

#include <QObject>
#include <atomic>
#include <map>
#include <memory>

#include "PostRing.h"
#include "UiServices.h"

class QSocketNotifier;
class QTimer;

class CQtUiThread final : public ui::IUiThread {
 public:
  static constexpr size_t kQueueSize = 1024;

  CQtUiThread();
  ~CQtUiThread() override;
  CQtUiThread(const CQtUiThread&) = delete;
  CQtUiThread& operator=(const CQtUiThread&) = delete;

  void SetReceiver(ui::IMessageReceiver* receiver) override { receiver_ = receiver; }
  bool Post(uint32_t message, int64_t wParam = 0, int64_t lParam = 0) override;
  void Close() override;
  void SetTimer(uint32_t timerId, uint32_t intervalMs) override;
  void KillTimer(uint32_t timerId) override;
  bool IsTimerRunning(uint32_t timerId) const override;
  uint32_t TickCount() const override;

  // Hands what was posted so far to the receiver; the number delivered. The
  // event loop calls it when woken; a nested loop may too.
  int Deliver();

 private:
  struct Posted {
    uint32_t message;
    int64_t wParam, lParam;
  };

  int wakeFd_ = -1;
  std::unique_ptr<QSocketNotifier> notifier_;
  CPostRing<Posted, kQueueSize> ring_;
  std::atomic<bool> closed_{false};
  ui::IMessageReceiver* receiver_ = nullptr;
  // Stopped timers stay: a timer killed inside its own tick must not be deleted there.
  std::map<uint32_t, std::unique_ptr<QTimer>> timers_;
};
