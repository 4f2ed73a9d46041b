// A small fixed crew of threads that renders tracks side by side for the
// mixer. The player thread hands out one block's jobs, works on them too, and
// waits until all are done; the results are then added in the mixer's own
// order, so the mix is the same whether one thread or many rendered it.
//
// Threads are started once, when the project's buffers are allocated, and
// wait on semaphores between blocks: handing out a block allocates nothing.
#pragma once

#include <atomic>
#include <cstddef>
#include <semaphore>
#include <thread>
#include <vector>

class CMixWorkers {
 public:
  using Job = void (*)(void* context, size_t index);

  explicit CMixWorkers(unsigned threads);
  ~CMixWorkers();
  CMixWorkers(const CMixWorkers&) = delete;
  CMixWorkers& operator=(const CMixWorkers&) = delete;

  // Runs job(context, i) for every i below count, on the workers and the
  // calling thread, and returns when every job has finished.
  void Run(size_t count, Job job, void* context);
  unsigned GetThreadCount() const { return static_cast<unsigned>(threads_.size()); }

 private:
  void Work();
  void TakeJobs();

  std::counting_semaphore<64> start_{0};
  std::binary_semaphore finished_{0};
  std::atomic<size_t> next_{0};
  std::atomic<unsigned> busy_{0};
  std::atomic<bool> stopping_{false};
  size_t count_ = 0;
  Job job_ = nullptr;
  void* context_ = nullptr;
  std::vector<std::jthread> threads_;
};
