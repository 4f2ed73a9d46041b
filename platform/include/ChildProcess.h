// A program run as a child process with its output read through a pipe, as the
// MP3 codec runs its encoder. Started from an argument vector, never through a
// shell. On request its input is a pipe this side writes, and its standard
// output a pipe of its own apart from its error output, so that audio can
// stream both ways while its messages go on being read. The child leads its own process group so that ending it also ends
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

// A child's standard streams besides the pipe its messages come through.
struct ChildStreams {
  bool input = false;  // its input is a pipe written with WriteInput, else /dev/null
  bool data = false;   // its standard output is read with ReadData; ReadOutput then gives its error output
};

class CChildProcess {
 public:
  enum class StartFailure { None, Pipe, Spawn };

  CChildProcess() = default;
  ~CChildProcess();
  CChildProcess(const CChildProcess&) = delete;
  CChildProcess& operator=(const CChildProcess&) = delete;

  // Starts argv[0], looked up on PATH. Unless streams asks otherwise, the child's
  // input is /dev/null and its output and error output share one pipe.
  // environment holds "NAME=value" entries that replace or extend this
  // process's environment. errno holds the cause of a failure.
  StartFailure Start(const std::vector<std::string>& argv, const std::vector<std::string>& environment = {},
                     ChildStreams streams = {});

  static constexpr int64_t kReadTimedOut = -2;
  static constexpr int kWaitForever = -1;

  // Reads what the child wrote: the byte count, 0 once every writer has closed
  // the pipe (the child ended), -1 on failure (errno set), kReadTimedOut when
  // nothing came within timeoutMs.
  int64_t ReadOutput(void* buffer, size_t bytes, int timeoutMs = kWaitForever);
  // The same for the standard output of a child started with ChildStreams::data.
  int64_t ReadData(void* buffer, size_t bytes, int timeoutMs = kWaitForever);
  // Hands the child's input what the pipe takes now, without waiting: the
  // count (0 when the pipe is full), or -1 with errno set (EPIPE once the
  // child no longer reads; that never raises SIGPIPE here).
  int64_t WriteInput(const void* data, size_t bytes);
  // The end of the child's input.
  void CloseInput();

  // What WaitReady reports: a pipe that can be read (or has reached its end)
  // or, for the input, written (or no longer has a reader).
  static constexpr unsigned kOutputReady = 1;
  static constexpr unsigned kDataReady = 2;
  static constexpr unsigned kInputReady = 4;
  // Waits until one of the open pipes in which is ready: their mask, 0 when
  // none was within timeoutMs (or none of them is open), -1 on failure (errno set).
  int WaitReady(unsigned which, int timeoutMs);

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
  void ClosePipes();

  pid_t pid_ = -1;  // -1 once reaped
  int outputFd_ = -1;
  int dataFd_ = -1;
  int inputFd_ = -1;
};

}  // namespace platform
