// A small fixed crew of threads that renders tracks side by side for the
// mixer. The player thread hands out one block's jobs, works on them too, and
// waits until all are done; the results are then added in the mixer's own
// order, so the mix is the same whether one thread or many rendered it.
//
// Threads are started once, when the project's buffers are allocated, and
// sleep between blocks: handing out a block allocates nothing. A block is done
// when its jobs are, not when every helper has woken: a helper the system is
// slow to run finds the block gone and touches nothing of it, and the player
// runs whatever no helper took. While the last jobs run the player does the
// block's ordered follow-up work (each job's follow-up once it and every job
// before it are done), then spins a moment before it sleeps: on a busy machine
// a thread that sleeps may wait milliseconds to run again once woken.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <thread>
#include <vector>

class CMixWorkers {
 public:
  using Job = void (*)(void* context, size_t index);
  // Jobs handed out at once; a larger count runs in rounds of this many.
  static constexpr size_t kMostJobs = 64;

  explicit CMixWorkers(unsigned threads);
  ~CMixWorkers();
  CMixWorkers(const CMixWorkers&) = delete;
  CMixWorkers& operator=(const CMixWorkers&) = delete;

  // Runs job(context, i) for every i below count on the workers and the
  // calling thread, and follow(context, i), when given, on the calling thread
  // in the order of i, each after job i and the follow-ups before it. Returns
  // when every job and follow-up has finished.
  void Run(size_t count, Job job, void* context, Job follow = nullptr);
  unsigned GetThreadCount() const { return static_cast<unsigned>(threads_.size()); }

 private:
  void RunRound(size_t first, size_t count);
  void Work();
  // Runs the job a claim took and counts it done.
  void RunClaimed(uint64_t ticket);
  // The follow-ups of the jobs done so far, in order.
  void FollowDoneJobs(size_t count);
  void WaitForTheLastJobs(size_t count);

  // The round's number (high half), its job count and the next job to claim
  // (16 bits each): a claim is one compare-and-swap that fails once the round
  // is over, so a late helper can never take a job of another round.
  std::atomic<uint64_t> ticket_{0};
  std::atomic<size_t> done_{0};  // jobs of the current round finished
  // The number of the round in which each job last finished.
  std::array<std::atomic<uint32_t>, kMostJobs> finishedIn_{};
  std::atomic<bool> stopping_{false};
  // Written before a round's ticket is published, read only after a claim on it.
  Job job_ = nullptr;
  void* context_ = nullptr;
  size_t first_ = 0;
  // The calling thread's alone.
  Job follow_ = nullptr;
  uint32_t round_ = 0;
  size_t followed_ = 0;
  std::vector<std::jthread> threads_;
};
