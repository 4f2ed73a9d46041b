// A thread that takes the messages of its own queue and hands each to one
// handler, in order, until it is told to quit. The device threads are built on it.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

#include "MessageQueue.h"
#include "Thread.h"

namespace platform {

class CMessageThread {
 public:
  using Handler = std::function<void(const ThreadMessage&)>;

  CMessageThread() = default;
  CMessageThread(const CMessageThread&) = delete;
  CMessageThread& operator=(const CMessageThread&) = delete;
  ~CMessageThread();

  // Starts the thread; false (errno set) when it could not be created.
  bool Start(const char* name, ThreadPriority priority, Handler handler);
  // Asks the thread to quit before any message still queued and waits for it.
  // From the thread itself it only asks.
  void Quit();

  CMessageQueue& Queue() { return queue_; }
  void Post(uint32_t id, uintptr_t param = 0) { queue_.Post(id, param); }
  bool IsRunning() const { return thread_.joinable(); }
  bool IsCurrent() const { return thread_.joinable() && thread_.get_id() == std::this_thread::get_id(); }

 private:
  static constexpr uint32_t kQuitMessage = 0xFFFFFFFF;

  CMessageQueue queue_;
  std::atomic<bool> quitting_{false};
  bool destroying_ = false;
  Handler handler_;
  std::thread thread_;
};

}  // namespace platform
