#include "SignalWatcher.h"

#include <signal.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <cstdio>

namespace {

int g_requestFd = -1;
struct sigaction g_previous[2];
constexpr int kSignals[2] = {SIGTERM, SIGINT};

void OnSignal(int) {
  const int saved = errno;
  const uint64_t one = 1;
  [[maybe_unused]] ssize_t written = write(g_requestFd, &one, sizeof one);
  errno = saved;
}

}  // namespace

CSignalWatcher::CSignalWatcher(std::function<void()> onRequest) : onRequest_(std::move(onRequest)) {
  if (g_requestFd >= 0) return;
  g_requestFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (g_requestFd < 0) {
    std::perror("tessiro: eventfd");
    return;
  }
  notifier_ = std::make_unique<QSocketNotifier>(g_requestFd, QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
    uint64_t count;
    while (read(g_requestFd, &count, sizeof count) == static_cast<ssize_t>(sizeof count)) {
    }
    if (onRequest_) onRequest_();
  });
  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int i = 0; i < 2; ++i) sigaction(kSignals[i], &action, &g_previous[i]);
}

CSignalWatcher::~CSignalWatcher() {
  if (!notifier_) return;
  for (int i = 0; i < 2; ++i) sigaction(kSignals[i], &g_previous[i], nullptr);
  notifier_.reset();
  close(g_requestFd);
  g_requestFd = -1;
}
