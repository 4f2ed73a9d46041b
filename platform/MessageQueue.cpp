#include "MessageQueue.h"

#include <chrono>

namespace platform {
namespace {
constexpr size_t kInitialCapacity = 64;
}

CMessageQueue::CMessageQueue() : ring_(kInitialCapacity) {}

void CMessageQueue::Grow() {
  std::vector<ThreadMessage> bigger(ring_.size() * 2);
  for (size_t i = 0; i < count_; ++i) bigger[i] = ring_[(head_ + i) % ring_.size()];
  ring_.swap(bigger);
  head_ = 0;
}

void CMessageQueue::Post(uint32_t id, uintptr_t param) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (count_ == ring_.size()) Grow();
    ring_[(head_ + count_) % ring_.size()] = {id, param};
    ++count_;
  }
  arrived_.notify_one();
}

ThreadMessage CMessageQueue::Get() {
  ThreadMessage message;
  while (!Get(message, 60000)) {
  }
  return message;
}

bool CMessageQueue::Get(ThreadMessage& message, uint32_t timeoutMs) {
  std::unique_lock<std::mutex> guard(lock_);
  consumer_ = std::this_thread::get_id();
  handling_ = false;
  if (count_ == 0) idle_.notify_all();
  if (!arrived_.wait_for(guard, std::chrono::milliseconds(timeoutMs), [this] { return count_ > 0; })) return false;
  message = ring_[head_];
  head_ = (head_ + 1) % ring_.size();
  --count_;
  handling_ = true;
  return true;
}

bool CMessageQueue::WaitIdle(uint32_t timeoutMs) {
  std::unique_lock<std::mutex> guard(lock_);
  return idle_.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                        [this] { return left_ || (count_ == 0 && !handling_); });
}

void CMessageQueue::Leave() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    left_ = true;
    handling_ = false;
  }
  idle_.notify_all();
}

bool CMessageQueue::IsConsumerThread() const {
  std::lock_guard<std::mutex> guard(lock_);
  return consumer_ == std::this_thread::get_id();
}

size_t CMessageQueue::Pending() const {
  std::lock_guard<std::mutex> guard(lock_);
  return count_;
}

}  // namespace platform
