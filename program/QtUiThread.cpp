#include "QtUiThread.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <QTimer>
#include <chrono>
#include <cstdio>

CQtUiThread::CQtUiThread() {
  wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (wakeFd_ < 0) {
    std::perror("tessiro: eventfd");
    return;
  }
  notifier_ = std::make_unique<QSocketNotifier>(wakeFd_, QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
    uint64_t count;
    // Cleared before delivering, so that a post made meanwhile wakes the loop again.
    while (read(wakeFd_, &count, sizeof count) == static_cast<ssize_t>(sizeof count)) {
    }
    Deliver();
  });
}

CQtUiThread::~CQtUiThread() {
  closed_ = true;
  notifier_.reset();
  if (wakeFd_ >= 0) close(wakeFd_);
}

bool CQtUiThread::Post(uint32_t message, int64_t wParam, int64_t lParam) {
  if (closed_.load(std::memory_order_acquire) || wakeFd_ < 0) return false;
  if (!ring_.Push(Posted{message, wParam, lParam})) return false;
  const uint64_t one = 1;
  // Can only fail when the counter is about to overflow, and then the loop is awake anyway.
  [[maybe_unused]] ssize_t written = write(wakeFd_, &one, sizeof one);
  return true;
}

void CQtUiThread::Close() {
  closed_.store(true, std::memory_order_release);
  for (auto& [id, timer] : timers_) timer->stop();
}

int CQtUiThread::Deliver() {
  int delivered = 0;
  Posted posted;
  while (ring_.Pop(posted)) {
    if (closed_.load(std::memory_order_acquire) || !receiver_) continue;
    receiver_->OnPostedMessage(posted.message, posted.wParam, posted.lParam);
    ++delivered;
  }
  return delivered;
}

void CQtUiThread::SetTimer(uint32_t timerId, uint32_t intervalMs) {
  if (closed_) return;
  std::unique_ptr<QTimer>& timer = timers_[timerId];
  if (!timer) {
    timer = std::make_unique<QTimer>();
    timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer.get(), &QTimer::timeout, [this, timerId] {
      if (receiver_ && !closed_) receiver_->OnTimer(timerId);
    });
  }
  timer->start(static_cast<int>(intervalMs));
}

void CQtUiThread::KillTimer(uint32_t timerId) {
  auto it = timers_.find(timerId);
  if (it != timers_.end()) it->second->stop();
}

bool CQtUiThread::IsTimerRunning(uint32_t timerId) const {
  auto it = timers_.find(timerId);
  return it != timers_.end() && it->second->isActive();
}

uint32_t CQtUiThread::TickCount() const {
  // Milliseconds of the monotonic clock, wrapping as a 32-bit tick count does.
  using namespace std::chrono;
  return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
