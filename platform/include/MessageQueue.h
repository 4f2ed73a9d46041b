// A thread's message queue: devices post their notices to it and the thread that
// owns it takes them in order. Stands in for the per-thread queues the device
// threads were designed around.
//
// Posting never blocks and, once the queue has grown to its working size, never
// allocates, so a device may post from its own real-time thread.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace platform {

struct ThreadMessage {
  uint32_t id = 0;
  uintptr_t param = 0;
};

class CMessageQueue {
 public:
  CMessageQueue();
  CMessageQueue(const CMessageQueue&) = delete;
  CMessageQueue& operator=(const CMessageQueue&) = delete;

  void Post(uint32_t id, uintptr_t param = 0);

  // Blocks until a message arrives. The caller becomes the queue's consumer, and the
  // message counts as being handled until the consumer comes back for the next one.
  ThreadMessage Get();
  // As Get, but gives up after timeoutMs; false when nothing came.
  bool Get(ThreadMessage& message, uint32_t timeoutMs);

  // Waits until nothing is queued and the consumer is back waiting for more (or
  // there is no consumer yet, or it has left). False when that did not happen
  // within timeoutMs.
  bool WaitIdle(uint32_t timeoutMs);

  // The consumer takes no more messages; waits for idleness end at once.
  void Leave();

  // True on the thread that takes this queue's messages.
  bool IsConsumerThread() const;
  size_t Pending() const;

 private:
  void Grow();

  mutable std::mutex lock_;
  std::condition_variable arrived_;
  std::condition_variable idle_;
  std::vector<ThreadMessage> ring_;
  size_t head_ = 0;
  size_t count_ = 0;
  bool handling_ = false;
  bool left_ = false;
  std::thread::id consumer_;
};

}  // namespace platform
