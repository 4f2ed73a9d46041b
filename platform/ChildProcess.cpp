#include "ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
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

// Owns the spawn attributes and file actions so that every exit path destroys them.
struct SpawnSetup {
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  SpawnSetup() {
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
  }
  ~SpawnSetup() {
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
  }
};

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

  SpawnSetup setup;
  // The write end lands on 1 and 2 without close-on-exec; both original ends close at exec.
  posix_spawn_file_actions_adddup2(&setup.actions, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&setup.actions, fds[1], STDERR_FILENO);
  posix_spawn_file_actions_addopen(&setup.actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  // A fresh group to end it with everything it starts; default signal handling and
  // no blocked signals, whatever the calling thread had.
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setpgroup(&setup.attributes, 0);
  posix_spawnattr_setsigmask(&setup.attributes, &none);
  posix_spawnattr_setsigdefault(&setup.attributes, &all);
  posix_spawnattr_setflags(&setup.attributes,
                           POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  std::vector<std::string> args = argv;
  std::vector<std::string> env = MergedEnvironment(environment);
  std::vector<char*> argPointers = PointersTo(args);
  std::vector<char*> envPointers = PointersTo(env);
  pid_t pid = -1;
  const int error = ::posix_spawnp(&pid, args[0].c_str(), &setup.actions, &setup.attributes, argPointers.data(),
                                   envPointers.data());
  ::close(fds[1]);
  if (error != 0) {
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
