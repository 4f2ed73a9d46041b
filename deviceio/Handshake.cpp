#include "Handshake.h"

#include <chrono>

#include "MessageThread.h"

uint64_t CHandshake::Next() {
  std::lock_guard<std::mutex> guard(lock_);
  return ++issued_;
}

void CHandshake::Done(uint64_t number) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (number > done_) done_ = number;
  }
  changed_.notify_all();
}

bool CHandshake::Wait(uint64_t number, uint32_t timeoutMs) {
  std::unique_lock<std::mutex> guard(lock_);
  return changed_.wait_for(guard, std::chrono::milliseconds(timeoutMs), [&] { return done_ >= number; });
}

bool CHandshake::RoundTrip(platform::CMessageThread& thread, uint32_t message, uint32_t timeoutMs) {
  const uint64_t number = Next();
  thread.Post(message, number);
  return Wait(number, timeoutMs);
}
