// Lets a caller wait until a device thread has handled a message it posted: the
// caller numbers the message, the thread says when it is through with that
// number. Numbers only grow, so a late answer to an earlier wait that gave up
// never satisfies a later one.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace platform {
class CMessageThread;
}

class CHandshake {
 public:
  // The caller's next number, to post with the message.
  uint64_t Next();
  // The thread: everything up to this number has been handled.
  void Done(uint64_t number);
  // False when the thread has not got that far within the time-out.
  bool Wait(uint64_t number, uint32_t timeoutMs);
  // Caller's thread, never the device thread: posts message with the next number
  // and waits for the thread to answer it with Done; false on the time-out.
  bool RoundTrip(platform::CMessageThread& thread, uint32_t message, uint32_t timeoutMs);

 private:
  std::mutex lock_;
  std::condition_variable changed_;
  uint64_t issued_ = 0;
  uint64_t done_ = 0;
};
