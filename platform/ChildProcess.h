// A program run as a child process with its output read through a pipe, as the
// MP3 codec runs its encoder. Started from an argument vector, never through a
// shell. The child leads its own process group so that ending it also ends
// anything it started. Whoever owns the object owns the child: the destructor
// ends a child that still runs and always reaps it, so none is left behind,
// and the kernel kills the child when this process dies, even by SIGKILL.
// That tie is to the thread that calls Start: it must outlive the child.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct ChildExit {
  bool exited = false;  // ended by itself; code holds its exit status
  int code = 0;
  int signal = 0;       // the signal that ended it, when not exited
};

class CChildProcess {
 public:
  enum class StartFailure { None, Pipe, Spawn };

  CChildProcess() = default;
  ~CChildProcess();
  CChildProcess(const CChildProcess&) = delete;
  CChildProcess& operator=(const CChildProcess&) = delete;

  // Starts argv[0], looked up on PATH. The child's input is /dev/null; its output
  // and error output share one pipe. environment holds "NAME=value" entries that
  // replace or extend this process's environment. errno holds the cause of a failure.
  StartFailure Start(const std::vector<std::string>& argv, const std::vector<std::string>& environment = {});

  static constexpr int64_t kReadTimedOut = -2;
  static constexpr int kWaitForever = -1;

  // Reads what the child wrote: the byte count, 0 once every writer has closed
  // the pipe (the child ended), -1 on failure (errno set), kReadTimedOut when
  // nothing came within timeoutMs.
  int64_t ReadOutput(void* buffer, size_t bytes, int timeoutMs = kWaitForever);

  // Gives the child the lowest scheduling priority.
  bool LowerPriority();

  // Waits until the child ends and reaps it. False on failure (errno set) or,
  // with errno ETIMEDOUT, when the child still runs after timeoutMs.
  bool Wait(ChildExit* result, int timeoutMs = kWaitForever);

  // Ends the child's process group: SIGTERM, then SIGKILL once graceMs has passed,
  // then reaps the child. Does nothing when the child was already reaped.
  void Kill(uint32_t graceMs = 2000);

  bool IsRunning() const { return pid_ > 0; }
  pid_t Pid() const { return pid_; }

 private:
  void CloseOutput();

  pid_t pid_ = -1;  // -1 once reaped
  int outputFd_ = -1;
};

}  // namespace platform
