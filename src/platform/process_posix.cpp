#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <mutex>

#include "platform/process.h"

extern char** environ;

namespace pictara {

namespace {

// Children whose time limit passed are left running, as on Windows; they are reaped here on later
// calls so that finished ones do not stay behind as zombies.
std::mutex gAbandonedLock;
std::vector<pid_t> gAbandoned;

void ReapAbandoned() {
  std::lock_guard<std::mutex> lock(gAbandonedLock);
  std::erase_if(gAbandoned, [](pid_t pid) {
    int status;
    const pid_t r = ::waitpid(pid, &status, WNOHANG);
    return r == pid || (r < 0 && errno == ECHILD);
  });
}

void Abandon(pid_t pid) {
  std::lock_guard<std::mutex> lock(gAbandonedLock);
  gAbandoned.push_back(pid);
}

int32_t ExitCodeOf(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

// Waits for the child without limit; its exit code.
int32_t WaitBlocking(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return ExitCodeOf(status);
}

int64_t NowMs() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// Waits at most timeoutMs; the exit code, or kStillActive when the limit passed.
int32_t WaitLimited(pid_t pid, uint32_t timeoutMs) {
  const int64_t deadline = NowMs() + timeoutMs;
  int status = 0;
#ifdef SYS_pidfd_open
  const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
  if (pidfd >= 0) {
    for (;;) {
      const pid_t r = ::waitpid(pid, &status, WNOHANG);
      if (r == pid) {
        ::close(pidfd);
        return ExitCodeOf(status);
      }
      if (r < 0 && errno != EINTR) {
        ::close(pidfd);
        return -1;
      }
      const int64_t left = deadline - NowMs();
      if (left <= 0) break;
      pollfd p{pidfd, POLLIN, 0};
      ::poll(&p, 1, static_cast<int>(std::min<int64_t>(left, 1 << 30)));
    }
    ::close(pidfd);
    return kStillActive;
  }
#endif
  // Kernels without process descriptors: look every millisecond or so.
  for (;;) {
    const pid_t r = ::waitpid(pid, &status, WNOHANG);
    if (r == pid) return ExitCodeOf(status);
    if (r < 0 && errno != EINTR) return -1;
    if (NowMs() >= deadline) return kStillActive;
    timespec pause{0, 1000000};
    ::nanosleep(&pause, nullptr);
  }
}

// A child left running for the caller to ask about; when it is dropped unreaped, the list above
// takes it over.
class TPosixRunningProcess final : public TRunningProcess {
 public:
  explicit TPosixRunningProcess(pid_t pid) : pid_(pid) {}
  ~TPosixRunningProcess() override {
    if (!reaped_) Abandon(pid_);
  }
  bool HasExited() override {
    if (!reaped_) {
      int status;
      const pid_t r = ::waitpid(pid_, &status, WNOHANG);
      reaped_ = r == pid_ || (r < 0 && errno == ECHILD);
    }
    return reaped_;
  }

 private:
  pid_t pid_;
  bool reaped_ = false;
};

}  // namespace

int32_t RunAndWait(const std::string& Program, const std::string& Parameters,
                   const std::string& Directory, TShowMode, bool HighPriority,
                   uint32_t TimeoutMs, TRunControl* Control) {
  ReapAbandoned();
  if (Program.empty()) return -1;

  std::vector<std::string> args = SplitCommandLineTail(Parameters);
  args.insert(args.begin(), Program);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!Directory.empty()) posix_spawn_file_actions_addchdir_np(&actions, Directory.c_str());
  pid_t pid = 0;
  const int err = ::posix_spawn(&pid, Program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (err != 0) return -1;

  if (HighPriority) {
    // Raising the priority needs privileges most users lack; like the Windows call, a refusal is
    // ignored.
    errno = 0;
    const int mine = ::getpriority(PRIO_PROCESS, 0);
    if (errno == 0) ::setpriority(PRIO_PROCESS, static_cast<id_t>(pid), mine - 5);
  }

  if (Control && Control->WhileRunning) {
    try {
      Control->WhileRunning(*Control);
    } catch (...) {
      Control->Cancelled = true;
      ::kill(pid, SIGKILL);
      WaitBlocking(pid);
      throw;
    }
  }

  if (TimeoutMs == 0) return WaitBlocking(pid);
  const int32_t code = WaitLimited(pid, TimeoutMs);
  if (code == kStillActive) {
    if (Control) Control->Abandoned = std::make_unique<TPosixRunningProcess>(pid);
    else Abandon(pid);
  }
  return code;
}

}  // namespace pictara
