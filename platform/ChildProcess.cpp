#include "ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <pthread.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

extern char** environ;

namespace platform {
namespace {

constexpr int kWaitPollMs = 5;

std::string NameOf(const std::string& entry) { return entry.substr(0, entry.find('=')); }

std::vector<std::string> MergedEnvironment(const std::vector<std::string>& overrides) {
  std::vector<std::string> merged;
  for (char** e = environ; e && *e; ++e) {
    const std::string entry = *e;
    bool replaced = false;
    for (const std::string& o : overrides) replaced = replaced || NameOf(o) == NameOf(entry);
    if (!replaced) merged.push_back(entry);
  }
  merged.insert(merged.end(), overrides.begin(), overrides.end());
  return merged;
}

std::vector<char*> PointersTo(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (std::string& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

// Where argv[0] may be, in the order the PATH gives; a name with a '/' is used as it is.
std::vector<std::string> ProgramCandidates(const std::string& name) {
  if (name.find('/') != std::string::npos) return {name};
  const char* path = std::getenv("PATH");
  std::string folders = path && *path ? path : "/bin:/usr/bin";
  std::vector<std::string> candidates;
  size_t start = 0;
  for (;;) {
    const size_t end = folders.find(':', start);
    const std::string folder = folders.substr(start, end - start);
    candidates.push_back((folder.empty() ? std::string(".") : folder) + "/" + name);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return candidates;
}

// The descriptors the child's standard streams become; input -1 is /dev/null.
struct ChildFds {
  int input = -1;
  int output = -1;
  int error = -1;
};

// Starts the program on the given standard streams.
// The child is killed when this process dies, even by SIGKILL, so it never
// outlives the program; the kernel ties that to the thread that forks, so the
// caller's thread must outlive the child (the user-interface thread does).
// Returns the child's id, or -1 with errno set.
pid_t SpawnTiedToParent(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                        ChildFds fds) {
  // Everything the child needs is made before the fork: after it, only
  // async-signal-safe calls may run there.
  std::vector<std::string> args = argv;
  std::vector<std::string> env = MergedEnvironment(environment);
  const std::vector<std::string> candidates = ProgramCandidates(args[0]);
  std::vector<char*> argPointers = PointersTo(args);
  std::vector<char*> envPointers = PointersTo(env);
  int report[2];  // the child's exec error; closed unread when the exec succeeds
  if (::pipe2(report, O_CLOEXEC) != 0) return -1;
  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid < 0) {
    const int error = errno;
    ::close(report[0]);
    ::close(report[1]);
    errno = error;
    return -1;
  }
  if (pid == 0) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    // The parent may have died before the line above took effect.
    if (::getppid() != parent) ::_exit(127);
    // A group of its own, to end it with everything it starts.
    ::setpgid(0, 0);
    // Default signal handling and no blocked signals, whatever the forking thread had.
    struct sigaction standard = {};
    standard.sa_handler = SIG_DFL;
    for (int sig = 1; sig < NSIG; ++sig) ::sigaction(sig, &standard, nullptr);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    const int input = fds.input >= 0 ? fds.input : ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (input < 0 || ::dup2(input, STDIN_FILENO) < 0 || ::dup2(fds.output, STDOUT_FILENO) < 0 ||
        ::dup2(fds.error, STDERR_FILENO) < 0) {
      const int error = errno;
      [[maybe_unused]] ssize_t written = ::write(report[1], &error, sizeof error);
      ::_exit(127);
    }
    // As the PATH search of execvp: a candidate that is not there or may not run gives way to the next.
    int error = ENOENT;
    for (const std::string& candidate : candidates) {
      ::execve(candidate.c_str(), argPointers.data(), envPointers.data());
      if (errno != ENOENT && errno != ENOTDIR) error = errno;
    }
    [[maybe_unused]] ssize_t written = ::write(report[1], &error, sizeof error);
    ::_exit(127);
  }
  ::close(report[1]);
  int childError = 0;
  ssize_t got;
  do {
    got = ::read(report[0], &childError, sizeof childError);
  } while (got < 0 && errno == EINTR);
  ::close(report[0]);
  if (got == static_cast<ssize_t>(sizeof childError)) {
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    errno = childError;
    return -1;
  }
  return pid;
}

// One pipe to the child: the end this side keeps, the end the child gets.
struct Pipe {
  int ours = -1;
  int theirs = -1;
};

// The child's end of a read pipe is its write end, and the other way round.
bool MakePipe(bool childWrites, Pipe* pipe) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return false;
  pipe->ours = childWrites ? fds[0] : fds[1];
  pipe->theirs = childWrites ? fds[1] : fds[0];
  return true;
}

void Close(int* fd) {
  if (*fd >= 0) ::close(*fd);
  *fd = -1;
}

// Audio streams better through a pipe larger than the 64 KB a pipe starts with;
// a system that refuses keeps the smaller one.
constexpr int kAudioPipeBytes = 1 << 20;

int64_t ReadFrom(int fd, void* buffer, size_t bytes, int timeoutMs) {
  if (fd < 0) {
    errno = EBADF;
    return -1;
  }
  if (timeoutMs != CChildProcess::kWaitForever) {
    pollfd ready{fd, POLLIN, 0};
    int n;
    do {
      n = ::poll(&ready, 1, timeoutMs);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return -1;
    if (n == 0) return CChildProcess::kReadTimedOut;
  }
  for (;;) {
    const ssize_t n = ::read(fd, buffer, bytes);
    if (n >= 0) return n;
    if (errno != EINTR) return -1;
  }
}

}  // namespace

CChildProcess::~CChildProcess() {
  Kill();
  ClosePipes();
}

void CChildProcess::ClosePipes() {
  Close(&outputFd_);
  Close(&dataFd_);
  Close(&inputFd_);
}

CChildProcess::StartFailure CChildProcess::Start(const std::vector<std::string>& argv,
                                                 const std::vector<std::string>& environment, ChildStreams streams) {
  if (pid_ > 0 || argv.empty()) {
    errno = EINVAL;
    return StartFailure::Spawn;
  }
  Pipe output, data, input;
  auto closeAll = [&](bool theirsOnly) {
    for (Pipe* p : {&output, &data, &input}) {
      Close(&p->theirs);
      if (!theirsOnly) Close(&p->ours);
    }
  };
  if (!MakePipe(true, &output) || (streams.data && !MakePipe(true, &data)) ||
      (streams.input && !MakePipe(false, &input))) {
    const int error = errno;
    closeAll(false);
    errno = error;
    return StartFailure::Pipe;
  }
  for (const Pipe* p : {&data, &input}) {
    if (p->ours >= 0) ::fcntl(p->ours, F_SETPIPE_SZ, kAudioPipeBytes);
  }
  // The input is written without waiting, so that the child's messages are read meanwhile.
  if (input.ours >= 0 && ::fcntl(input.ours, F_SETFL, ::fcntl(input.ours, F_GETFL) | O_NONBLOCK) != 0) {
    const int error = errno;
    closeAll(false);
    errno = error;
    return StartFailure::Pipe;
  }
  const ChildFds fds{input.theirs, streams.data ? data.theirs : output.theirs, output.theirs};
  const pid_t pid = SpawnTiedToParent(argv, environment, fds);
  const int error = errno;
  closeAll(pid >= 0);
  if (pid < 0) {
    errno = error;
    return StartFailure::Spawn;
  }
  pid_ = pid;
  outputFd_ = output.ours;
  dataFd_ = data.ours;
  inputFd_ = input.ours;
  return StartFailure::None;
}

int64_t CChildProcess::ReadOutput(void* buffer, size_t bytes, int timeoutMs) {
  return ReadFrom(outputFd_, buffer, bytes, timeoutMs);
}

int64_t CChildProcess::ReadData(void* buffer, size_t bytes, int timeoutMs) {
  return ReadFrom(dataFd_, buffer, bytes, timeoutMs);
}

int64_t CChildProcess::WriteInput(const void* data, size_t bytes) {
  if (inputFd_ < 0) {
    errno = EBADF;
    return -1;
  }
  // A write to a pipe nobody reads raises SIGPIPE, which ends a program: it is
  // held back on this thread for the write and taken away again, unless it
  // was already waiting for someone else.
  sigset_t pipeSignal, before, waiting;
  sigemptyset(&pipeSignal);
  sigaddset(&pipeSignal, SIGPIPE);
  ::pthread_sigmask(SIG_BLOCK, &pipeSignal, &before);
  sigpending(&waiting);
  const bool wasWaiting = sigismember(&waiting, SIGPIPE) == 1;
  ssize_t n;
  do {
    n = ::write(inputFd_, data, bytes);
  } while (n < 0 && errno == EINTR);
  const int error = errno;
  if (n < 0 && error == EPIPE && !wasWaiting) {
    const timespec now{};
    while (::sigtimedwait(&pipeSignal, nullptr, &now) < 0 && errno == EINTR) {
    }
  }
  ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
  if (n >= 0) return n;
  if (error == EAGAIN || error == EWOULDBLOCK) return 0;
  errno = error;
  return -1;
}

void CChildProcess::CloseInput() { Close(&inputFd_); }

int CChildProcess::WaitReady(unsigned which, int timeoutMs) {
  pollfd fds[3];
  unsigned masks[3];
  nfds_t count = 0;
  const struct {
    unsigned mask;
    int fd;
    short events;
  } pipes[] = {{kOutputReady, outputFd_, POLLIN}, {kDataReady, dataFd_, POLLIN}, {kInputReady, inputFd_, POLLOUT}};
  for (const auto& p : pipes) {
    if ((which & p.mask) == 0 || p.fd < 0) continue;
    fds[count] = pollfd{p.fd, p.events, 0};
    masks[count++] = p.mask;
  }
  if (count == 0) return 0;
  int n;
  do {
    n = ::poll(fds, count, timeoutMs);
  } while (n < 0 && errno == EINTR);
  if (n <= 0) return n;
  int ready = 0;
  for (nfds_t i = 0; i < count; ++i) {
    if (fds[i].revents != 0) ready |= static_cast<int>(masks[i]);
  }
  return ready;
}

bool CChildProcess::LowerPriority() {
  if (pid_ <= 0) {
    errno = ESRCH;
    return false;
  }
  return ::setpriority(PRIO_PROCESS, static_cast<id_t>(pid_), 19) == 0;
}

bool CChildProcess::Wait(ChildExit* result, int timeoutMs) {
  if (pid_ <= 0) {
    errno = ECHILD;
    return false;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  int status = 0;
  pid_t done;
  for (;;) {
    done = ::waitpid(pid_, &status, timeoutMs == kWaitForever ? 0 : WNOHANG);
    if (done < 0 && errno == EINTR) continue;
    if (done != 0) break;
    if (std::chrono::steady_clock::now() >= deadline) {
      errno = ETIMEDOUT;
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kWaitPollMs));
  }
  if (done < 0) return false;
  pid_ = -1;
  ClosePipes();
  if (result) {
    result->exited = WIFEXITED(status);
    result->code = result->exited ? WEXITSTATUS(status) : 0;
    result->signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  }
  return true;
}

void CChildProcess::Kill(uint32_t graceMs) {
  if (pid_ <= 0) return;
  ::kill(-pid_, SIGTERM);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(graceMs);
  for (;;) {
    // WNOWAIT leaves the child a zombie, so its group id cannot be reused before the SIGKILL below.
    siginfo_t info;
    std::memset(&info, 0, sizeof info);
    const int r = ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT);
    if (r != 0 && errno != EINTR) break;
    if (r == 0 && info.si_pid == pid_) break;
    if (std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(kWaitPollMs));
  }
  ::kill(-pid_, SIGKILL);  // the child, if it ignored SIGTERM, and whatever it left in its group
  Wait(nullptr);
}

}  // namespace platform
