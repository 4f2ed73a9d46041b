// SIGTERM and SIGINT (a session logging out, Ctrl+C in a terminal) as a close
// request on the user-interface thread: the handler only writes to an eventfd,
// and the event loop runs the request, so the program shuts down in order and
// keeps its configuration.
//
// Threads: made and destroyed on the user-interface thread; one at a time.
#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

class CSignalWatcher {
 public:
  explicit CSignalWatcher(std::function<void()> onRequest);
  ~CSignalWatcher();
  CSignalWatcher(const CSignalWatcher&) = delete;
  CSignalWatcher& operator=(const CSignalWatcher&) = delete;

  bool IsWatching() const { return notifier_ != nullptr; }

 private:
  std::function<void()> onRequest_;
  std::unique_ptr<QSocketNotifier> notifier_;
};
