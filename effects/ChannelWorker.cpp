#include "ChannelWorker.h"

#include <system_error>

#include "Thread.h"
#include "Zelmo.h"

namespace {

#ifdef TESSIRO_INLINE_EFFECT_WORKERS
std::atomic<bool> g_inlineWorkers{true};
#else
std::atomic<bool> g_inlineWorkers{false};
#endif

thread_local bool t_runsWorkers = false;

}  // namespace

void ZelmoSetInlineWorkers(bool inlineWorkers) { g_inlineWorkers.store(inlineWorkers); }
bool ZelmoInlineWorkers() { return g_inlineWorkers.load(); }
void ZelmoSetThreadRunsWorkers(bool runsWorkers) { t_runsWorkers = runsWorkers; }
bool ZelmoThreadRunsWorkers() { return t_runsWorkers; }

bool CChannelWorker::Start(Body body, void* owner, int channel, const char* threadName) {
  Stop();
  body_ = body;
  owner_ = owner;
  channel_ = channel;
  name_ = threadName;
  stop_.store(false);
  if (ZelmoInlineWorkers()) return true;
  try {
    thread_ = std::jthread([this] { Run(); });
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

void CChannelWorker::Run() {
  platform::SetCurrentThreadName(name_);
  for (;;) {
    go_.acquire();
    if (stop_.load()) return;
    body_(owner_, channel_);
    done_.release();
  }
}

void CChannelWorker::Signal() {
  handedOver_ = thread_.joinable() && !t_runsWorkers;
  if (handedOver_) {
    go_.release();
  } else if (body_) {
    body_(owner_, channel_);
  }
}

void CChannelWorker::Wait() {
  if (!handedOver_) return;
  handedOver_ = false;
  done_.acquire();
}

void CChannelWorker::Stop() {
  if (!thread_.joinable()) return;
  stop_.store(true);
  go_.release();
  thread_.join();
}
