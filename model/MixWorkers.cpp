#include "MixWorkers.h"

#include <algorithm>

#include "Thread.h"

CMixWorkers::CMixWorkers(unsigned threads) {
  threads = std::min(threads, 63u);
  threads_.reserve(threads);
  for (unsigned i = 0; i < threads; ++i) threads_.emplace_back([this] { Work(); });
}

CMixWorkers::~CMixWorkers() {
  stopping_ = true;
  start_.release(static_cast<ptrdiff_t>(threads_.size()));
  threads_.clear();  // joins
}

void CMixWorkers::Run(size_t count, Job job, void* context) {
  job_ = job;
  context_ = context;
  count_ = count;
  next_ = 0;
  if (threads_.empty() || count < 2) {
    TakeJobs();
    return;
  }
  const unsigned helpers = static_cast<unsigned>(std::min(threads_.size(), count - 1));
  busy_ = helpers;
  start_.release(helpers);
  TakeJobs();
  finished_.acquire();
}

void CMixWorkers::TakeJobs() {
  for (size_t i = next_.fetch_add(1); i < count_; i = next_.fetch_add(1)) job_(context_, i);
}

void CMixWorkers::Work() {
  platform::SetCurrentThreadName("tessiro-mix");
  platform::SetCurrentThreadPriority(platform::ThreadPriority::AboveNormal);
  for (;;) {
    start_.acquire();
    if (stopping_) return;
    TakeJobs();
    if (busy_.fetch_sub(1) == 1) finished_.release();
  }
}
