#include "ChannelWorker.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstdint>
#include <system_error>
#include <thread>

#include "Thread.h"
#include "Zelmo.h"

namespace {

#ifdef TESSIRO_INLINE_EFFECT_WORKERS
std::atomic<bool> g_inlineWorkers{true};
#else
std::atomic<bool> g_inlineWorkers{false};
#endif

thread_local bool t_runsWorkers = false;

constexpr int kMostCrewThreads = 16;

std::atomic<int> g_crewThreads{0};

}  // namespace

void ZelmoSetInlineWorkers(bool inlineWorkers) { g_inlineWorkers.store(inlineWorkers); }
bool ZelmoInlineWorkers() { return g_inlineWorkers.load(); }
void ZelmoSetThreadRunsWorkers(bool runsWorkers) { t_runsWorkers = runsWorkers; }
bool ZelmoThreadRunsWorkers() { return t_runsWorkers; }

// Each member waits on its own semaphore for one job; a bit per member says it
// is idle. Handing out claims a bit, so two callers never share a member and
// a caller that finds none idle runs the channel itself.
class CChannelCrew {
 public:
  static CChannelCrew& Instance() {
    static CChannelCrew crew;
    return crew;
  }
  ~CChannelCrew() {
    stopping_.store(true);
    for (int i = 0; i < count_; ++i) members_[i].go.release();
    for (int i = 0; i < count_; ++i) members_[i].thread.join();
  }
  int Threads() const { return count_; }

  // Offers the worker's channel to an idle member: false when none is idle.
  bool Hand(CChannelWorker* worker) {
    uint32_t idle = idle_.load(std::memory_order_acquire);
    while (idle != 0) {
      const uint32_t bit = idle & (~idle + 1);
      if (idle_.compare_exchange_weak(idle, idle & ~bit, std::memory_order_acq_rel)) {
        const int index = std::countr_zero(bit);
        worker->member_ = index;
        members_[index].job.store(worker, std::memory_order_release);
        members_[index].go.release();
        return true;
      }
    }
    return false;
  }

  // Takes an offer back that its member has not started: true when the
  // channel is the caller's again.
  bool TakeBack(CChannelWorker* worker) {
    CChannelWorker* offered = worker;
    return members_[worker->member_].job.compare_exchange_strong(offered, nullptr, std::memory_order_acq_rel);
  }

 private:
  struct Member {
    std::binary_semaphore go{0};
    // The offer: taken by the member when it wakes, or back by the caller
    // when the member was too slow; whoever empties it runs the channel.
    std::atomic<CChannelWorker*> job{nullptr};
    std::thread thread;
  };

  CChannelCrew() {
    const int wanted = std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 2, kMostCrewThreads);
    for (int i = 0; i < wanted; ++i) {
      try {
        members_[i].thread = std::thread([this, i] { Work(i); });
      } catch (const std::system_error&) {
        break;
      }
      ++count_;
      idle_.fetch_or(1u << i, std::memory_order_release);
    }
    g_crewThreads.store(count_);
  }

  void Work(int index) {
    platform::SetCurrentThreadName("zelmo-crew");
    Member& m = members_[index];
    for (;;) {
      m.go.acquire();
      if (stopping_.load()) return;
      if (CChannelWorker* worker = m.job.exchange(nullptr, std::memory_order_acq_rel)) {
        worker->Run();
        // Nothing of the worker is touched after this: its effect may go at once.
        worker->done_.release();
      }
      idle_.fetch_or(1u << index, std::memory_order_release);
    }
  }

  Member members_[kMostCrewThreads];
  int count_ = 0;
  std::atomic<uint32_t> idle_{0};
  std::atomic<bool> stopping_{false};
};

int ChannelCrewThreads() { return g_crewThreads.load(); }

bool CChannelWorker::Start(Body body, void* owner, int channel) {
  body_ = body;
  owner_ = owner;
  channel_ = channel;
  threaded_ = false;
  if (ZelmoInlineWorkers()) return true;
  threaded_ = CChannelCrew::Instance().Threads() > 0;
  return threaded_;
}

void CChannelWorker::Signal() {
  handedOver_ = threaded_ && !t_runsWorkers && CChannelCrew::Instance().Hand(this);
  if (!handedOver_ && body_) Run();
}

void CChannelWorker::Wait() {
  if (!handedOver_) return;
  handedOver_ = false;
  // A member the system has not run yet would keep the caller waiting for its
  // wake-up: the caller runs the channel itself instead.
  if (CChannelCrew::Instance().TakeBack(this)) {
    Run();
    return;
  }
  done_.acquire();
}

void RunChannels(CChannelWorker* workers, int count) {
  if (count <= 0) return;
  for (int c = 1; c < count; ++c) workers[c].Signal();
  if (workers[0].body_) workers[0].Run();
  for (int c = 1; c < count; ++c) workers[c].Wait();
}
