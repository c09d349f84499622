// The service program's side: the dispatcher, the control handler and the
// status reports.
//
// The manager starts the program with "--qv-service=<name>",
// "--qv-service-token=<token>" and one "--qv-service-arg=<arg>" per start
// argument on its command line and descriptor 3 open; the dispatcher reads
// them back from /proc/self/cmdline, claims the start in the database with the
// token, opens the control socket, writes one byte to descriptor 3 and closes
// it.
#include <fcntl.h>
#include <poll.h>
#include <strings.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <optional>
#include <thread>

#include "files/win_error.h"
#include "services/control_channel.h"
#include "services/service_db.h"

namespace qvp::services {
namespace {

constexpr int kReadyFd = 3;
constexpr int kReadControlTimeoutMs = 5000;

struct StartInfo {
  std::string name;
  std::string token;
  std::vector<std::string> args;
};

struct Dispatcher {
  std::mutex lock;
  bool active = false;
  std::string name;
  std::string token;
  uint64_t serial = 0;
  LPHANDLER_FUNCTION handler = nullptr;
  SERVICE_STATUS status{};
  bool stopped = false;
  int wake_fd = -1;
};

Dispatcher& TheDispatcher() {
  static auto* dispatcher = new Dispatcher;
  return *dispatcher;
}

// The one status handle a service process hands out.
SERVICE_STATUS_HANDLE StatusHandle() { return reinterpret_cast<SERVICE_STATUS_HANDLE>(&TheDispatcher()); }

std::optional<StartInfo> ReadStartInfo() {
  const int fd = open("/proc/self/cmdline", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string text;
  char buf[4096];
  ssize_t n;
  while ((n = read(fd, buf, sizeof buf)) > 0) text.append(buf, static_cast<size_t>(n));
  close(fd);
  StartInfo info;
  bool named = false;
  for (size_t pos = 0; pos < text.size();) {
    size_t end = text.find('\0', pos);
    if (end == std::string::npos) end = text.size();
    const std::string_view arg(text.data() + pos, end - pos);
    pos = end + 1;
    auto value = [&arg](std::string_view prefix) { return std::string(arg.substr(prefix.size())); };
    if (arg.rfind("--qv-service=", 0) == 0) {
      info.name = value("--qv-service=");
      named = true;
    } else if (arg.rfind("--qv-service-token=", 0) == 0) {
      info.token = value("--qv-service-token=");
    } else if (arg.rfind("--qv-service-arg=", 0) == 0) {
      info.args.push_back(value("--qv-service-arg="));
    }
  }
  if (!named || info.name.empty() || info.token.empty()) return std::nullopt;
  return info;
}

// Claims the start the manager prepared for this process.
bool Claim(const StartInfo& info, uint64_t* serial) {
  bool claimed = false;
  const DWORD error = Transact([&](Database& db) {
    ServiceRecord* record = db.Find(info.name);
    if (record == nullptr || record->simulated || record->token != info.token || record->connected ||
        record->state != SERVICE_START_PENDING) {
      return false;
    }
    record->connected = true;
    record->process = CurrentProcess();
    *serial = record->serial;
    claimed = true;
    return true;
  });
  return error == ERROR_SUCCESS && claimed;
}

void Wake(int fd) {
  const uint64_t one = 1;
  [[maybe_unused]] ssize_t n = write(fd, &one, sizeof one);
}

bool IsPending(DWORD state) {
  return state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING || state == SERVICE_CONTINUE_PENDING ||
         state == SERVICE_PAUSE_PENDING;
}

// Runs one control on the dispatcher thread.
ControlAnswer RunControl(DWORD control) {
  Dispatcher& d = TheDispatcher();
  ControlAnswer answer;
  LPHANDLER_FUNCTION handler;
  {
    std::lock_guard<std::mutex> guard(d.lock);
    answer.status = d.status;
    handler = d.handler;
  }
  const DWORD state = answer.status.dwCurrentState;
  const DWORD accepted = answer.status.dwControlsAccepted;
  if (state == SERVICE_STOPPED) {
    answer.error = ERROR_SERVICE_NOT_ACTIVE;
    return answer;
  }
  if (handler == nullptr || IsPending(state)) {
    answer.error = ERROR_SERVICE_CANNOT_ACCEPT_CTRL;
    return answer;
  }
  bool allowed = true;
  switch (control) {
    case SERVICE_CONTROL_STOP: allowed = (accepted & SERVICE_ACCEPT_STOP) != 0; break;
    case SERVICE_CONTROL_PAUSE:
    case SERVICE_CONTROL_CONTINUE: allowed = (accepted & SERVICE_ACCEPT_PAUSE_CONTINUE) != 0; break;
    case SERVICE_CONTROL_SHUTDOWN: allowed = (accepted & SERVICE_ACCEPT_SHUTDOWN) != 0; break;
    default: break;  // INTERROGATE and user-defined controls always reach the handler
  }
  if (!allowed) {
    answer.error = ERROR_INVALID_SERVICE_CONTROL;
    return answer;
  }
  handler(control);
  std::lock_guard<std::mutex> guard(d.lock);
  answer.status = d.status;
  return answer;
}

void ServeControls(int listen_fd, int wake_fd) {
  Dispatcher& d = TheDispatcher();
  for (;;) {
    pollfd fds[2] = {{listen_fd, POLLIN, 0}, {wake_fd, POLLIN, 0}};
    const int rc = poll(fds, 2, -1);
    if (rc < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents != 0) {
      uint64_t count = 0;
      [[maybe_unused]] ssize_t n = read(wake_fd, &count, sizeof count);
      std::lock_guard<std::mutex> guard(d.lock);
      if (d.stopped) return;
    }
    if (fds[0].revents != 0) {
      const int fd = accept4(listen_fd, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      DWORD control = 0;
      if (ReadControl(fd, kReadControlTimeoutMs, &control)) WriteAnswer(fd, RunControl(control));
      close(fd);
      std::lock_guard<std::mutex> guard(d.lock);
      if (d.stopped) return;
    }
  }
}

const SERVICE_TABLE_ENTRYA* ChooseEntry(const SERVICE_TABLE_ENTRYA* table, const std::string& name) {
  for (const SERVICE_TABLE_ENTRYA* e = table; e->lpServiceProc != nullptr; ++e) {
    if (e->lpServiceName != nullptr && strcasecmp(e->lpServiceName, name.c_str()) == 0) return e;
  }
  return table;
}

}  // namespace
}  // namespace qvp::services

using namespace qvp::services;

QV_API BOOL StartServiceCtrlDispatcherA(const SERVICE_TABLE_ENTRYA* lpServiceStartTable) {
  return qvp::NoThrow<BOOL>(FALSE, [&]() -> BOOL {
    if (lpServiceStartTable == nullptr || lpServiceStartTable[0].lpServiceProc == nullptr) {
      return qvp::FailWith(ERROR_INVALID_PARAMETER);
    }
    std::optional<StartInfo> info = ReadStartInfo();
    if (!info) return qvp::FailWith(ERROR_FAILED_SERVICE_CONTROLLER_CONNECT);
    Dispatcher& d = TheDispatcher();
    {
      std::lock_guard<std::mutex> guard(d.lock);
      if (d.active) return qvp::FailWith(ERROR_SERVICE_ALREADY_RUNNING);
      d.active = true;
    }
    auto release = [&d] {
      std::lock_guard<std::mutex> guard(d.lock);
      d.active = false;
      d.handler = nullptr;
      d.stopped = false;
      d.token.clear();
      if (d.wake_fd >= 0) close(d.wake_fd);
      d.wake_fd = -1;
    };
    uint64_t serial = 0;
    if (!Claim(*info, &serial)) {
      release();
      return qvp::FailWith(ERROR_FAILED_SERVICE_CONTROLLER_CONNECT);
    }
    const std::string socket_path = ControlSocketPath(static_cast<int>(getpid()));
    const int listen_fd = ListenControlSocket(socket_path);
    const int wake_fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (listen_fd < 0 || wake_fd < 0) {
      const DWORD error = qvp::WinErrorFromErrno(errno);
      if (listen_fd >= 0) close(listen_fd);
      if (wake_fd >= 0) close(wake_fd);
      Transact([&](Database& db) {
        ServiceRecord* record = db.FindSerial(serial);
        if (record == nullptr || record->token != info->token) return false;
        record->MarkStopped(error);
        return true;
      });
      release();
      return qvp::FailWith(error);
    }
    {
      std::lock_guard<std::mutex> guard(d.lock);
      d.name = info->name;
      d.token = info->token;
      d.serial = serial;
      d.wake_fd = wake_fd;
      d.status = SERVICE_STATUS{SERVICE_WIN32_OWN_PROCESS, SERVICE_START_PENDING, 0, 0, 0, 0, 0};
    }
    // The manager waits for this byte; the descriptor is of no further use.
    if (fcntl(kReadyFd, F_GETFD) >= 0) {
      [[maybe_unused]] ssize_t n = send(kReadyFd, "r", 1, MSG_NOSIGNAL);
      close(kReadyFd);
    }

    const SERVICE_TABLE_ENTRYA* entry = ChooseEntry(lpServiceStartTable, info->name);
    std::vector<std::string> args;
    args.push_back(info->name);
    for (std::string& a : info->args) args.push_back(std::move(a));
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    LPSERVICE_MAIN_FUNCTIONA service_main = entry->lpServiceProc;
    std::thread main_thread([&] { service_main(static_cast<DWORD>(args.size()), argv.data()); });

    ServeControls(listen_fd, wake_fd);
    close(listen_fd);
    unlink(socket_path.c_str());
    main_thread.join();
    release();
    return TRUE;
  });
}

QV_API SERVICE_STATUS_HANDLE RegisterServiceCtrlHandlerA(LPCSTR, LPHANDLER_FUNCTION lpHandlerProc) {
  if (lpHandlerProc == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  Dispatcher& d = TheDispatcher();
  std::lock_guard<std::mutex> guard(d.lock);
  if (!d.active || d.token.empty()) {
    SetLastError(ERROR_SERVICE_DOES_NOT_EXIST);
    return nullptr;
  }
  d.handler = lpHandlerProc;
  return StatusHandle();
}

QV_API BOOL SetServiceStatus(SERVICE_STATUS_HANDLE hServiceStatus, LPSERVICE_STATUS lpServiceStatus) {
  return qvp::NoThrow<BOOL>(FALSE, [&]() -> BOOL {
    Dispatcher& d = TheDispatcher();
    if (hServiceStatus != StatusHandle()) return qvp::FailWith(ERROR_INVALID_HANDLE);
    if (lpServiceStatus == nullptr) return qvp::FailWith(ERROR_INVALID_ADDRESS);
    const SERVICE_STATUS status = *lpServiceStatus;
    if (status.dwCurrentState < SERVICE_STOPPED || status.dwCurrentState > SERVICE_PAUSED) {
      return qvp::FailWith(ERROR_INVALID_DATA);
    }
    std::string token;
    uint64_t serial = 0;
    {
      std::lock_guard<std::mutex> guard(d.lock);
      if (!d.active || d.token.empty() || d.stopped) return qvp::FailWith(ERROR_INVALID_HANDLE);
      token = d.token;
      serial = d.serial;
    }
    const DWORD error = Transact([&](Database& db) {
      ServiceRecord* record = db.FindSerial(serial);
      if (record == nullptr || record->token != token) return false;
      if (status.dwCurrentState == SERVICE_STOPPED) {
        record->MarkStopped(status.dwWin32ExitCode);
        record->service_exit_code = status.dwServiceSpecificExitCode;
        return true;
      }
      record->state = status.dwCurrentState;
      record->controls_accepted = status.dwControlsAccepted;
      record->win32_exit_code = status.dwWin32ExitCode;
      record->service_exit_code = status.dwServiceSpecificExitCode;
      record->check_point = status.dwCheckPoint;
      record->wait_hint = status.dwWaitHint;
      return true;
    });
    {
      // The dispatcher closes its wake descriptor under this lock, after it
      // has seen the stop.
      std::lock_guard<std::mutex> guard(d.lock);
      if (d.active && !d.stopped) {
        d.status = status;
        if (status.dwCurrentState == SERVICE_STOPPED) {
          d.stopped = true;
          Wake(d.wake_fd);
        }
      }
    }
    return error == ERROR_SUCCESS ? TRUE : qvp::FailWith(error);
  });
}
