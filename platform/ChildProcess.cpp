#include "ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
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

// Starts the program with the pipe's write end as its output and error output.
// The child is killed when this process dies, even by SIGKILL, so it never
// outlives the program; the kernel ties that to the thread that forks, so the
// caller's thread must outlive the child (the user-interface thread does).
// Returns the child's id, or -1 with errno set.
pid_t SpawnTiedToParent(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                        int outputFd) {
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
    const int input = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (input < 0 || ::dup2(input, STDIN_FILENO) < 0 || ::dup2(outputFd, STDOUT_FILENO) < 0 ||
        ::dup2(outputFd, STDERR_FILENO) < 0) {
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

}  // namespace

CChildProcess::~CChildProcess() {
  Kill();
  CloseOutput();
}

void CChildProcess::CloseOutput() {
  if (outputFd_ >= 0) ::close(outputFd_);
  outputFd_ = -1;
}

CChildProcess::StartFailure CChildProcess::Start(const std::vector<std::string>& argv,
                                                 const std::vector<std::string>& environment) {
  if (pid_ > 0 || argv.empty()) {
    errno = EINVAL;
    return StartFailure::Spawn;
  }
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return StartFailure::Pipe;
  const pid_t pid = SpawnTiedToParent(argv, environment, fds[1]);
  const int error = errno;
  ::close(fds[1]);
  if (pid < 0) {
    ::close(fds[0]);
    errno = error;
    return StartFailure::Spawn;
  }
  pid_ = pid;
  outputFd_ = fds[0];
  return StartFailure::None;
}

int64_t CChildProcess::ReadOutput(void* buffer, size_t bytes, int timeoutMs) {
  if (outputFd_ < 0) {
    errno = EBADF;
    return -1;
  }
  if (timeoutMs != kWaitForever) {
    pollfd ready{outputFd_, POLLIN, 0};
    int n;
    do {
      n = ::poll(&ready, 1, timeoutMs);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return -1;
    if (n == 0) return kReadTimedOut;
  }
  for (;;) {
    const ssize_t n = ::read(outputFd_, buffer, bytes);
    if (n >= 0) return n;
    if (errno != EINTR) return -1;
  }
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
  CloseOutput();
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
