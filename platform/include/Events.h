// Critical sections and events with the semantics the audio threads were designed
// around: a recursive lock, auto- and manual-reset events, and waits on several
// events at once (any or all) with time-outs.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

namespace platform {

// Recursive, like the critical sections the chains, the track list and the
// device object take: a thread may re-enter a lock it holds.
using CCriticalSection = std::recursive_mutex;
using CLock = std::lock_guard<std::recursive_mutex>;

constexpr uint32_t kInfinite = 0xFFFFFFFF;
constexpr int kWaitTimeout = -1;

class CEvent {
 public:
  enum class ResetMode { Auto, Manual };

  explicit CEvent(ResetMode mode = ResetMode::Auto, bool signaled = false);
  CEvent(const CEvent&) = delete;
  CEvent& operator=(const CEvent&) = delete;
  ~CEvent();

  void Set();
  void Reset();
  // True when the event was signalled within the time-out; an auto-reset event
  // is consumed by the wait that sees it.
  bool Wait(uint32_t timeoutMs = kInfinite);
  bool IsSet() const;

 private:
  friend int WaitForEvents(std::span<CEvent* const> events, bool waitAll, uint32_t timeoutMs);

  const bool manual_;
  bool signaled_;
  std::condition_variable changed_;
  std::vector<std::condition_variable*> multiWaiters_;
};

// Waits until one (waitAll false) or every (waitAll true) event is signalled.
// Returns the index of the event that ended a wait for any, 0 for a wait for all,
// or kWaitTimeout. A wait for all consumes its auto-reset events only together,
// when all of them are signalled at once.
int WaitForEvents(std::span<CEvent* const> events, bool waitAll, uint32_t timeoutMs);

}  // namespace platform
