// One channel of an effect's block, run on a thread of its own.
//
// The calling thread (player or edit) hands a block over with Signal and
// takes it back with Wait; between the two the worker owns its channel's
// samples and state, outside that window it touches nothing. The semaphores
// order every write of one side before the other side's reads, so no state
// needs atomics. A worker whose thread could not start, or that was created
// while workers run inline, runs its channel on the caller inside Signal; so
// does every worker signalled from a thread that runs workers itself
// (ZelmoSetThreadRunsWorkers): the result is the same bit for bit.
#pragma once

#include <atomic>
#include <semaphore>
#include <thread>

class CChannelWorker {
 public:
  using Body = void (*)(void* owner, int channel);

  CChannelWorker() = default;
  ~CChannelWorker() { Stop(); }
  CChannelWorker(const CChannelWorker&) = delete;
  CChannelWorker& operator=(const CChannelWorker&) = delete;

  // Starts the thread (unless workers run inline). False when it could not
  // start; the channel then runs on the caller.
  bool Start(Body body, void* owner, int channel, const char* threadName);
  void Signal();
  void Wait();
  // Ends and joins the thread; safe to call more than once.
  void Stop();
  bool IsThreaded() const { return thread_.joinable(); }

 private:
  void Run();

  Body body_ = nullptr;
  void* owner_ = nullptr;
  int channel_ = 0;
  const char* name_ = "";
  std::binary_semaphore go_{0};
  std::binary_semaphore done_{0};
  std::atomic<bool> stop_{false};
  bool handedOver_ = false;  // the last Signal woke the thread (caller's side only)
  std::jthread thread_;
};
