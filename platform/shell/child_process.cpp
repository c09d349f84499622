#include "shell/child_process.h"

#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <thread>
#include <vector>

namespace qvp::shell {
namespace {

int OpenPidfd(pid_t pid) { return static_cast<int>(syscall(SYS_pidfd_open, pid, 0)); }

// With WaitLock() held: the program has ended with this wait status.
void MarkEnded(ChildProcess& child, const siginfo_t& info) {
  if (child.terminated) {
    child.exit_code = child.terminate_code;
  } else if (info.si_code == CLD_EXITED) {
    child.exit_code = static_cast<DWORD>(info.si_status);
  } else {
    child.exit_code = 128u + static_cast<DWORD>(info.si_status);
  }
  child.finished = true;
  child.Notify();
  if (child.thread) {
    child.thread->finished = true;
    child.thread->exit_code = child.exit_code;
    child.thread->Notify();
  }
}

class Reaper {
 public:
  Reaper() = default;
  Reaper(const Reaper&) = delete;
  Reaper& operator=(const Reaper&) = delete;
  ~Reaper() {
    std::thread thread;
    {
      std::lock_guard<std::mutex> guard(lock_);
      stopping_ = true;
      thread = std::move(thread_);
    }
    Wake();
    if (thread.joinable()) {
      if (getpid() == owner_pid_) {
        thread.join();
      } else {
        // A forked copy of the process is exiting: the thread exists only in
        // the parent, so its object is left alone.
        new std::thread(std::move(thread));
      }
    }
    if (wake_fd_ >= 0) close(wake_fd_);
    for (Watched& w : added_) {
      if (w.pidfd >= 0) close(w.pidfd);
    }
  }

  // False when the reaper has been stopped (the layer is going away).
  bool Add(std::shared_ptr<ChildProcess> child) {
    Watched w{OpenPidfd(child->pid), std::move(child)};
    std::lock_guard<std::mutex> guard(lock_);
    if (stopping_) {
      if (w.pidfd >= 0) close(w.pidfd);
      return false;
    }
    if (wake_fd_ < 0) wake_fd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    added_.push_back(std::move(w));
    if (!thread_.joinable()) {
      owner_pid_ = getpid();
      thread_ = std::thread([this] { Run(); });
    }
    Wake();
    return true;
  }

 private:
  struct Watched {
    int pidfd;  // -1 where pidfds are unavailable: checked by polling instead
    std::shared_ptr<ChildProcess> child;
  };

  void Wake() {
    if (wake_fd_ >= 0) {
      const uint64_t one = 1;
      [[maybe_unused]] ssize_t n = write(wake_fd_, &one, sizeof one);
    }
  }

  // Reaps the program when it has ended; true when it was reaped.
  static bool TryReap(Watched& w) {
    std::lock_guard<std::mutex> guard(WaitLock());
    siginfo_t info{};
    int rc;
    if (w.pidfd >= 0) {
      rc = waitid(P_PIDFD, static_cast<id_t>(w.pidfd), &info, WEXITED | WNOHANG);
    } else {
      rc = waitid(P_PID, static_cast<id_t>(w.child->pid), &info, WEXITED | WNOHANG);
    }
    if (rc != 0) {
      if (errno != ECHILD) return false;
      // Someone else reaped it: the exit code is lost.
      info.si_code = CLD_EXITED;
      info.si_status = 0;
    } else if (info.si_pid == 0) {
      return false;  // still running
    }
    MarkEnded(*w.child, info);
    return true;
  }

  void Run() {
    std::vector<Watched> watched;
    for (;;) {
      {
        std::lock_guard<std::mutex> guard(lock_);
        if (stopping_) break;
        for (Watched& w : added_) watched.push_back(std::move(w));
        added_.clear();
      }
      std::vector<pollfd> fds;
      fds.push_back({wake_fd_, POLLIN, 0});
      bool any_polled = false;
      for (const Watched& w : watched) {
        fds.push_back({w.pidfd, POLLIN, 0});  // a negative fd is skipped by poll
        any_polled = any_polled || w.pidfd < 0;
      }
      const int rc = poll(fds.data(), fds.size(), any_polled ? 100 : -1);
      if (rc < 0 && errno != EINTR) break;
      if (fds[0].revents != 0) {
        uint64_t count = 0;
        [[maybe_unused]] ssize_t n = read(wake_fd_, &count, sizeof count);
      }
      std::vector<Watched> still;
      for (size_t i = 0; i < watched.size(); ++i) {
        Watched& w = watched[i];
        const bool ready = w.pidfd < 0 || fds[i + 1].revents != 0;
        if (ready && TryReap(w)) {
          if (w.pidfd >= 0) close(w.pidfd);
        } else {
          still.push_back(std::move(w));
        }
      }
      watched = std::move(still);
    }
    // Programs still running are left to run; their descriptors are closed.
    for (Watched& w : watched) {
      if (w.pidfd >= 0) close(w.pidfd);
    }
  }

  std::mutex lock_;
  bool stopping_ = false;
  int wake_fd_ = -1;
  std::vector<Watched> added_;
  std::thread thread_;
  pid_t owner_pid_ = 0;
};

// Destroyed (thread joined) when the layer is unloaded or the process exits.
Reaper g_reaper;

}  // namespace

std::shared_ptr<ChildProcess> WatchChild(pid_t pid) {
  auto child = std::make_shared<ChildProcess>(pid);
  child->thread = std::make_shared<ThreadObject>();
  child->thread->thread_id = pid > 0 ? static_cast<DWORD>(pid) : 0;
  if (pid <= 0) {
    std::lock_guard<std::mutex> guard(WaitLock());
    child->finished = true;
    child->thread->finished = true;
    return child;
  }
  g_reaper.Add(child);
  return child;
}

bool KillChild(ChildProcess& child, DWORD exit_code) {
  std::lock_guard<std::mutex> guard(WaitLock());
  if (child.finished) return false;
  // The reaper reaps under the same lock, so the pid is still this program's.
  if (!child.terminated) {
    child.terminated = true;
    child.terminate_code = exit_code;
  }
  kill(child.pid, SIGKILL);
  return true;
}

}  // namespace qvp::shell
