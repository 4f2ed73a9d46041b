#include "MessageThread.h"

#include <cerrno>
#include <string>
#include <system_error>

namespace platform {

CMessageThread::~CMessageThread() {
  destroying_ = true;
  Quit();
}

bool CMessageThread::Start(const char* name, ThreadPriority priority, Handler handler) {
  if (thread_.joinable()) return true;
  handler_ = std::move(handler);
  quitting_ = false;
  std::string threadName = name ? name : "";
  try {
    thread_ = std::thread([this, threadName, priority] {
      SetCurrentThreadName(threadName.c_str());
      SetCurrentThreadPriority(priority);
      for (;;) {
        const ThreadMessage message = queue_.Get();
        if (quitting_.load() || message.id == kQuitMessage) break;
        handler_(message);
      }
      queue_.Leave();
    });
  } catch (const std::system_error& error) {
    errno = error.code().value();
    return false;
  }
  return true;
}

void CMessageThread::Quit() {
  if (!thread_.joinable()) return;
  quitting_ = true;
  queue_.Post(kQuitMessage);
  if (IsCurrent()) {
    // Only the owner's destructor gets here on the thread itself; the loop ends
    // after the handler returns and nothing of this object is touched again.
    if (destroying_) thread_.detach();
    return;
  }
  thread_.join();
}

}  // namespace platform
