#include "MixWorkers.h"

#include <algorithm>
#include <chrono>

#include "Thread.h"

namespace {

constexpr uint64_t kField = 0xFFFF;
constexpr int kCountShift = 16;
constexpr int kRoundShift = 32;

// For the last jobs the player spins with pauses first, then giving its core
// to any other thread for a while, and only then sleeps.
constexpr auto kPauseFor = std::chrono::microseconds(100);
constexpr auto kSpinFor = std::chrono::microseconds(1000);
constexpr unsigned kSpinsPerClockRead = 64;

size_t NextOf(uint64_t ticket) { return static_cast<size_t>(ticket & kField); }
size_t CountOf(uint64_t ticket) { return static_cast<size_t>((ticket >> kCountShift) & kField); }
uint32_t RoundOf(uint64_t ticket) { return static_cast<uint32_t>(ticket >> kRoundShift); }

void Pause() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#else
  std::this_thread::yield();
#endif
}

// Claims the next job of the round in ticket, which then names it; false
// (ticket holding what was last seen) once the round has none left.
bool Claim(std::atomic<uint64_t>& shared, uint64_t& ticket) {
  while (NextOf(ticket) < CountOf(ticket)) {
    if (shared.compare_exchange_weak(ticket, ticket + 1, std::memory_order_acquire, std::memory_order_relaxed)) {
      return true;
    }
  }
  return false;
}

}  // namespace

CMixWorkers::CMixWorkers(unsigned threads) {
  threads = std::min(threads, 63u);
  threads_.reserve(threads);
  for (unsigned i = 0; i < threads; ++i) threads_.emplace_back([this] { Work(); });
}

CMixWorkers::~CMixWorkers() {
  stopping_ = true;
  ticket_.fetch_add(uint64_t{1} << kRoundShift);
  ticket_.notify_all();
  threads_.clear();  // joins
}

void CMixWorkers::Run(size_t count, Job job, void* context, Job follow) {
  job_ = job;
  context_ = context;
  follow_ = follow;
  for (size_t first = 0; first < count; first += kMostJobs) RunRound(first, std::min(kMostJobs, count - first));
}

void CMixWorkers::RunRound(size_t first, size_t count) {
  first_ = first;
  followed_ = 0;
  done_.store(0, std::memory_order_relaxed);
  round_ = RoundOf(ticket_.load(std::memory_order_relaxed)) + 1;
  const uint64_t ticket = uint64_t{round_} << kRoundShift | uint64_t{count} << kCountShift;
  ticket_.store(ticket, std::memory_order_release);
  if (!threads_.empty() && count > 1) ticket_.notify_all();
  for (uint64_t claim = ticket; Claim(ticket_, claim); claim = ticket_.load(std::memory_order_relaxed)) {
    RunClaimed(claim);
    FollowDoneJobs(count);
  }
  WaitForTheLastJobs(count);
  FollowDoneJobs(count);
}

void CMixWorkers::RunClaimed(uint64_t ticket) {
  const size_t index = NextOf(ticket);
  job_(context_, first_ + index);
  finishedIn_[index].store(RoundOf(ticket), std::memory_order_release);
  // Nothing of the round is touched after its last job is counted.
  if (done_.fetch_add(1, std::memory_order_acq_rel) + 1 == CountOf(ticket)) done_.notify_one();
}

void CMixWorkers::FollowDoneJobs(size_t count) {
  if (!follow_) return;
  while (followed_ < count && finishedIn_[followed_].load(std::memory_order_acquire) == round_) {
    follow_(context_, first_ + followed_);
    ++followed_;
  }
}

void CMixWorkers::WaitForTheLastJobs(size_t count) {
  const auto begin = std::chrono::steady_clock::now();
  bool yielding = false;
  for (unsigned spins = 1; done_.load(std::memory_order_acquire) != count; ++spins) {
    FollowDoneJobs(count);
    if (yielding) {
      std::this_thread::yield();
    } else {
      Pause();
    }
    if (spins % kSpinsPerClockRead != 0) continue;
    const auto spun = std::chrono::steady_clock::now() - begin;
    yielding = spun > kPauseFor;
    if (spun > kSpinFor) break;
  }
  for (size_t done = done_.load(std::memory_order_acquire); done != count; done = done_.load(std::memory_order_acquire)) {
    done_.wait(done, std::memory_order_acquire);
  }
}

void CMixWorkers::Work() {
  platform::SetCurrentThreadName("tessiro-mix");
  platform::SetCurrentThreadPriority(platform::ThreadPriority::AboveNormal);
  for (;;) {
    const uint64_t seen = ticket_.load(std::memory_order_acquire);
    // The destructor raises the flag before it moves the ticket on.
    if (stopping_) return;
    uint64_t claim = seen;
    if (Claim(ticket_, claim)) {
      RunClaimed(claim);
    } else if (claim == seen) {
      ticket_.wait(seen, std::memory_order_acquire);
    }
  }
}
