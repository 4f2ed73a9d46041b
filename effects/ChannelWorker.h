// One channel of an effect's block, run beside the caller's.
//
// RunChannels offers every channel but the first to an idle thread of the
// library's channel crew, runs the first on the calling thread (player or
// edit), then takes back every offer no crew thread has started yet and runs
// those itself, and waits for the rest: a caller never waits for a crew thread
// to be woken, only for a channel that is running. Whoever takes an offer owns
// that channel's samples and state until it is done; the exchange on the offer
// and the semaphores order every write of one side before the other side's
// reads, so no state needs atomics.
//
// A channel runs on the caller instead when no crew thread is idle, when the
// crew could not start, when its worker was made while workers run inline, or
// when the calling thread runs workers itself (ZelmoSetThreadRunsWorkers): the
// result is the same bit for bit, and no caller ever queues behind another
// caller's work.
//
// The crew is a few threads for the whole process, started with the first
// threaded worker; making and removing effects starts and joins no thread.
#pragma once

#include <semaphore>

class CChannelCrew;

class CChannelWorker {
 public:
  using Body = void (*)(void* owner, int channel);

  CChannelWorker() = default;
  CChannelWorker(const CChannelWorker&) = delete;
  CChannelWorker& operator=(const CChannelWorker&) = delete;

  // Sets what the worker runs. False when workers are threaded but no crew
  // thread could start; the channel then runs on the caller.
  bool Start(Body body, void* owner, int channel);
  // Offers the channel to an idle crew thread, or runs it here.
  void Signal();
  // Returns once the channel is done: run here when no crew thread took it.
  void Wait();
  bool IsThreaded() const { return threaded_; }

 private:
  friend class CChannelCrew;
  friend void RunChannels(CChannelWorker* workers, int count);
  void Run() const { body_(owner_, channel_); }

  Body body_ = nullptr;
  void* owner_ = nullptr;
  int channel_ = 0;
  bool threaded_ = false;
  bool handedOver_ = false;  // the last Signal went to the crew (caller's side only)
  int member_ = 0;           // the crew member it went to
  std::binary_semaphore done_{0};
};

// Runs channels 0 .. count - 1 of one block: the first here, the others beside it.
void RunChannels(CChannelWorker* workers, int count);

// Threads the crew started (0 before the first threaded worker); for tests.
int ChannelCrewThreads();
