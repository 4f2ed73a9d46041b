#include "Events.h"

#include <algorithm>
#include <chrono>

namespace platform {
namespace {

// One lock for the state of every event makes a wait for all atomic; it is held
// only for a few instructions at a time.
std::mutex& EventLock() {
  static std::mutex lock;
  return lock;
}

using Clock = std::chrono::steady_clock;

Clock::time_point Deadline(uint32_t timeoutMs) {
  return Clock::now() + std::chrono::milliseconds(timeoutMs);
}

}  // namespace

CEvent::CEvent(ResetMode mode, bool signaled) : manual_(mode == ResetMode::Manual), signaled_(signaled) {}

CEvent::~CEvent() = default;

void CEvent::Set() {
  std::lock_guard<std::mutex> lock(EventLock());
  signaled_ = true;
  if (manual_) {
    changed_.notify_all();
  } else {
    changed_.notify_one();
  }
  for (std::condition_variable* waiter : multiWaiters_) waiter->notify_one();
}

void CEvent::Reset() {
  std::lock_guard<std::mutex> lock(EventLock());
  signaled_ = false;
}

bool CEvent::IsSet() const {
  std::lock_guard<std::mutex> lock(EventLock());
  return signaled_;
}

bool CEvent::Wait(uint32_t timeoutMs) {
  std::unique_lock<std::mutex> lock(EventLock());
  auto ready = [this] { return signaled_; };
  if (timeoutMs == kInfinite) {
    changed_.wait(lock, ready);
  } else if (!changed_.wait_until(lock, Deadline(timeoutMs), ready)) {
    return false;
  }
  if (!manual_) signaled_ = false;
  return true;
}

int WaitForEvents(std::span<CEvent* const> events, bool waitAll, uint32_t timeoutMs) {
  if (events.empty()) return kWaitTimeout;
  std::unique_lock<std::mutex> lock(EventLock());
  std::condition_variable changed;
  for (CEvent* event : events) event->multiWaiters_.push_back(&changed);

  auto satisfied = [&]() -> int {
    if (waitAll) {
      const bool all = std::all_of(events.begin(), events.end(), [](CEvent* e) { return e->signaled_; });
      if (!all) return kWaitTimeout;
      for (CEvent* event : events) {
        if (!event->manual_) event->signaled_ = false;
      }
      return 0;
    }
    for (size_t i = 0; i < events.size(); ++i) {
      if (events[i]->signaled_) {
        if (!events[i]->manual_) events[i]->signaled_ = false;
        return static_cast<int>(i);
      }
    }
    return kWaitTimeout;
  };

  const auto deadline = Deadline(timeoutMs == kInfinite ? 0 : timeoutMs);
  int result = satisfied();
  while (result == kWaitTimeout) {
    if (timeoutMs == kInfinite) {
      changed.wait(lock);
    } else if (changed.wait_until(lock, deadline) == std::cv_status::timeout) {
      result = satisfied();
      break;
    }
    result = satisfied();
  }

  for (CEvent* event : events) {
    auto& list = event->multiWaiters_;
    list.erase(std::find(list.begin(), list.end(), &changed));
  }
  return result;
}

}  // namespace platform
