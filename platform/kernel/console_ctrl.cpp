// Control events from signals. The signal handler only writes the signal's
// number into a pipe; a thread of the layer reads it and calls the program's
// handlers, so that a handler may do anything a normal thread may.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <mutex>
#include <thread>
#include <vector>

#include "qvplatform/kernel.h"

namespace {

constexpr int kSignals[] = {SIGINT, SIGHUP, SIGTERM};
constexpr unsigned char kStopByte = 0xFF;

struct CtrlState {
  std::mutex lock;
  std::vector<PHANDLER_ROUTINE> handlers;  // oldest first
  std::thread watcher;
  std::thread::id watcher_id;
  struct sigaction previous[3] = {};
  bool installed = false;
};

CtrlState& State() {
  static auto* state = new CtrlState;  // signals may come while the process ends
  return *state;
}

// The pipe from the signal handler to the watcher, made once and kept for the
// life of the process: a handler still running on another thread while the
// handlers are removed never writes into a descriptor that was reused.
std::atomic<int> g_pipe_write{-1};
int g_pipe_read = -1;

void OnSignal(int signal_number) {
  const int saved = errno;
  const unsigned char byte = static_cast<unsigned char>(signal_number);
  [[maybe_unused]] ssize_t n = write(g_pipe_write.load(std::memory_order_relaxed), &byte, 1);
  errno = saved;
}

DWORD EventOf(int signal_number) {
  switch (signal_number) {
    case SIGINT: return CTRL_C_EVENT;
    case SIGHUP: return CTRL_CLOSE_EVENT;
    default: return CTRL_SHUTDOWN_EVENT;
  }
}

int IndexOf(int signal_number) {
  for (int i = 0; i < 3; ++i)
    if (kSignals[i] == signal_number) return i;
  return -1;
}

// Nobody answered: the signal ends the process as it would have without us.
void TakeDefaultCourse(int signal_number) {
  struct sigaction dfl = {};
  dfl.sa_handler = SIG_DFL;
  sigemptyset(&dfl.sa_mask);
  sigaction(signal_number, &dfl, nullptr);
  raise(signal_number);
}

void Watch(int read_fd) {
  for (;;) {
    unsigned char byte = 0;
    const ssize_t n = read(read_fd, &byte, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0 || byte == kStopByte) return;
    const int signal_number = byte;
    std::vector<PHANDLER_ROUTINE> handlers;
    {
      CtrlState& s = State();
      std::lock_guard<std::mutex> g(s.lock);
      handlers = s.handlers;
    }
    bool handled = false;
    for (auto it = handlers.rbegin(); it != handlers.rend() && !handled; ++it)
      handled = (*it)(EventOf(signal_number)) != FALSE;
    if (!handled && IndexOf(signal_number) >= 0) TakeDefaultCourse(signal_number);
  }
}

bool InstallLocked(CtrlState& s) {
  if (g_pipe_read < 0) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    fcntl(fds[1], F_SETFL, O_NONBLOCK);  // a full pipe drops a signal rather than block the handler
    g_pipe_read = fds[0];
    g_pipe_write.store(fds[1]);
  }
  s.watcher = std::thread(Watch, g_pipe_read);
  s.watcher_id = s.watcher.get_id();
  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &action, &s.previous[i]);
  s.installed = true;
  return true;
}

void UninstallLocked(CtrlState& s, std::unique_lock<std::mutex>& held) {
  for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &s.previous[i], nullptr);
  s.installed = false;
  const unsigned char stop = kStopByte;
  [[maybe_unused]] ssize_t n = write(g_pipe_write.load(), &stop, 1);
  std::thread watcher = std::move(s.watcher);
  held.unlock();  // the watcher may be taking the lock to read the handlers
  watcher.join();
  held.lock();
}

}  // namespace

QV_API BOOL WINAPI SetConsoleCtrlHandler(PHANDLER_ROUTINE HandlerRoutine, BOOL Add) {
  if (HandlerRoutine == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  CtrlState& s = State();
  std::unique_lock<std::mutex> held(s.lock);
  if (Add) {
    if (!s.installed && !InstallLocked(s)) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return FALSE;
    }
    s.handlers.push_back(HandlerRoutine);
    return TRUE;
  }
  auto it = std::find(s.handlers.rbegin(), s.handlers.rend(), HandlerRoutine);
  if (it == s.handlers.rend()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  s.handlers.erase(std::next(it).base());
  // A handler removing itself from the watcher thread leaves the watcher to
  // the next removal from elsewhere; it cannot wait for itself.
  if (s.handlers.empty() && s.installed && std::this_thread::get_id() != s.watcher_id) UninstallLocked(s, held);
  return TRUE;
}
