#include "Thread.h"

#include <pthread.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {

bool SetCurrentThreadPriority(ThreadPriority priority) {
  int nice = 0;
  switch (priority) {
    case ThreadPriority::Normal: nice = 0; break;
    case ThreadPriority::AboveNormal: nice = -5; break;
    case ThreadPriority::Highest: nice = -10; break;
  }
  // On Linux the nice value of a thread id applies to that thread alone.
  const pid_t tid = static_cast<pid_t>(syscall(SYS_gettid));
  const int saved = errno;
  const bool ok = setpriority(PRIO_PROCESS, static_cast<id_t>(tid), nice) == 0;
  errno = saved;  // a refused priority is not a fault worth reporting
  return ok;
}

void SetCurrentThreadName(const char* name) {
  char shortName[16] = {};
  std::strncpy(shortName, name ? name : "", sizeof shortName - 1);
  pthread_setname_np(pthread_self(), shortName);
}

}  // namespace platform
