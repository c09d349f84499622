// The Win32-shaped serial port calls and the opening of "COMn".
#include <fcntl.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include "comm/comm_port.h"
#include "files/win_error.h"
#include "qvplatform/kernel.h"

namespace qvp {

namespace {

std::mutex g_devices_mutex;
std::map<int, std::string>& Devices() {
  static std::map<int, std::string> devices;
  return devices;
}

std::string DevicePath(int number) {
  {
    std::lock_guard<std::mutex> lock(g_devices_mutex);
    const auto it = Devices().find(number);
    if (it != Devices().end()) return it->second;
  }
  const std::string variable = "QV_COM" + std::to_string(number);
  const char* configured = std::getenv(variable.c_str());
  if (configured != nullptr && *configured != '\0') return configured;
  return "/dev/ttyS" + std::to_string(number - 1);
}

HANDLE Fail(DWORD error) {
  SetLastError(error);
  return INVALID_HANDLE_VALUE;
}

std::shared_ptr<CommObject> Port(HANDLE handle) { return LookupHandleAs<CommObject>(handle); }

// Runs `body` on the port of `handle`: its Win32 error becomes the result.
template <class Body>
BOOL OnPort(HANDLE handle, Body&& body) {
  auto port = Port(handle);
  if (!port) return FailWith(ERROR_INVALID_HANDLE);
  const DWORD error = body(*port);
  if (error != ERROR_SUCCESS) return FailWith(error);
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

}  // namespace

void SetSerialDevice(int number, const char* linux_path) {
  std::lock_guard<std::mutex> lock(g_devices_mutex);
  if (linux_path == nullptr || *linux_path == '\0') {
    Devices().erase(number);
  } else {
    Devices()[number] = linux_path;
  }
}

bool ParseCommPortName(const char* name, int* number) {
  if (name == nullptr) return false;
  if (std::strncmp(name, "\\\\.\\", 4) == 0) name += 4;
  if (std::strlen(name) < 4 || strncasecmp(name, "COM", 3) != 0) return false;
  const char* digits = name + 3;
  int value = 0;
  for (const char* p = digits; *p != '\0'; ++p) {
    if (!std::isdigit(static_cast<unsigned char>(*p)) || p - digits >= 3) return false;
    value = value * 10 + (*p - '0');
  }
  if (*digits == '0' || value < 1 || value > 255) return false;
  *number = value;
  return true;
}

HANDLE OpenCommPort(const char* name, DWORD /*access*/, DWORD disposition) {
  int number = 0;
  if (!ParseCommPortName(name, &number)) return Fail(ERROR_FILE_NOT_FOUND);
  if (disposition != OPEN_EXISTING) return Fail(ERROR_INVALID_PARAMETER);
  const std::string path = DevicePath(number);
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int err = errno;
    if (err == EBUSY) return Fail(ERROR_ACCESS_DENIED);
    return Fail(WinErrorFromErrno(err));
  }
  termios t{};
  if (!isatty(fd) || tcgetattr(fd, &t) != 0) {
    ::close(fd);
    return Fail(ERROR_FILE_NOT_FOUND);  // not a serial line
  }
  // One user at a time, also among privileged processes (which pass TIOCEXCL).
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return Fail(ERROR_ACCESS_DENIED);
  }
  ioctl(fd, TIOCEXCL);
  cfmakeraw(&t);
  t.c_cflag |= CLOCAL | CREAD | HUPCL;
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  if (tcsetattr(fd, TCSANOW, &t) != 0) {
    const int err = errno;
    ioctl(fd, TIOCNXCL);
    ::close(fd);
    return Fail(WinErrorFromErrno(err));
  }
  const int wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wake < 0) {
    const int err = errno;
    ioctl(fd, TIOCNXCL);
    ::close(fd);
    return Fail(WinErrorFromErrno(err));
  }
  int lines = 0;
  const bool is_pty = ioctl(fd, TIOCMGET, &lines) != 0;
  HANDLE handle = InsertHandle(std::make_shared<CommObject>(fd, wake, is_pty));
  SetLastError(ERROR_SUCCESS);
  return handle;
}

}  // namespace qvp

using qvp::OnPort;

QV_API BOOL GetCommState(HANDLE hFile, LPDCB lpDCB) {
  if (lpDCB == nullptr) return qvp::FailWith(ERROR_INVALID_PARAMETER);
  return OnPort(hFile, [&](qvp::CommObject& port) { return port.GetState(lpDCB); });
}

QV_API BOOL SetCommState(HANDLE hFile, LPDCB lpDCB) {
  if (lpDCB == nullptr) return qvp::FailWith(ERROR_INVALID_PARAMETER);
  return OnPort(hFile, [&](qvp::CommObject& port) { return port.SetState(*lpDCB); });
}

QV_API BOOL GetCommTimeouts(HANDLE hFile, LPCOMMTIMEOUTS lpCommTimeouts) {
  if (lpCommTimeouts == nullptr) return qvp::FailWith(ERROR_INVALID_PARAMETER);
  return OnPort(hFile, [&](qvp::CommObject& port) {
    port.GetTimeouts(lpCommTimeouts);
    return static_cast<DWORD>(ERROR_SUCCESS);
  });
}

QV_API BOOL SetCommTimeouts(HANDLE hFile, LPCOMMTIMEOUTS lpCommTimeouts) {
  if (lpCommTimeouts == nullptr) return qvp::FailWith(ERROR_INVALID_PARAMETER);
  return OnPort(hFile, [&](qvp::CommObject& port) {
    // Both read parts MAXDWORD with the constant MAXDWORD is no valid setting.
    if (lpCommTimeouts->ReadIntervalTimeout == MAXDWORD && lpCommTimeouts->ReadTotalTimeoutMultiplier == MAXDWORD &&
        lpCommTimeouts->ReadTotalTimeoutConstant == MAXDWORD) {
      return static_cast<DWORD>(ERROR_INVALID_PARAMETER);
    }
    port.SetTimeouts(*lpCommTimeouts);
    return static_cast<DWORD>(ERROR_SUCCESS);
  });
}

QV_API BOOL SetupComm(HANDLE hFile, DWORD dwInQueue, DWORD dwOutQueue) {
  return OnPort(hFile, [&](qvp::CommObject& port) { return port.SetQueues(dwInQueue, dwOutQueue); });
}

QV_API BOOL PurgeComm(HANDLE hFile, DWORD dwFlags) {
  return OnPort(hFile, [&](qvp::CommObject& port) { return port.Purge(dwFlags); });
}

QV_API BOOL ClearCommError(HANDLE hFile, LPDWORD lpErrors, LPCOMSTAT lpStat) {
  return OnPort(hFile, [&](qvp::CommObject& port) { return port.ClearError(lpErrors, lpStat); });
}

QV_API BOOL SetCommBreak(HANDLE hFile) {
  return OnPort(hFile, [&](qvp::CommObject& port) { return port.Break(true); });
}

QV_API BOOL ClearCommBreak(HANDLE hFile) {
  return OnPort(hFile, [&](qvp::CommObject& port) { return port.Break(false); });
}

QV_API BOOL EscapeCommFunction(HANDLE hFile, DWORD dwFunc) {
  return OnPort(hFile, [&](qvp::CommObject& port) { return port.Escape(dwFunc); });
}

QV_API BOOL GetCommModemStatus(HANDLE hFile, LPDWORD lpModemStat) {
  if (lpModemStat == nullptr) return qvp::FailWith(ERROR_INVALID_PARAMETER);
  return OnPort(hFile, [&](qvp::CommObject& port) { return port.ModemStatus(lpModemStat); });
}

QV_API BOOL GetCommProperties(HANDLE hFile, LPCOMMPROP lpCommProp) {
  if (lpCommProp == nullptr) return qvp::FailWith(ERROR_INVALID_PARAMETER);
  return OnPort(hFile, [&](qvp::CommObject& port) {
    port.Properties(lpCommProp);
    return static_cast<DWORD>(ERROR_SUCCESS);
  });
}

QV_API BOOL GetCommConfig(HANDLE hCommDev, LPCOMMCONFIG lpCC, LPDWORD lpdwSize) {
  if (lpdwSize == nullptr) return qvp::FailWith(ERROR_INVALID_PARAMETER);
  return OnPort(hCommDev, [&](qvp::CommObject& port) {
    if (lpCC == nullptr || *lpdwSize < sizeof(COMMCONFIG)) {
      *lpdwSize = sizeof(COMMCONFIG);
      return static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER);
    }
    *lpCC = COMMCONFIG{};
    lpCC->dwSize = sizeof(COMMCONFIG);
    lpCC->wVersion = 1;
    lpCC->dwProviderSubType = 1;
    *lpdwSize = sizeof(COMMCONFIG);
    return port.GetState(&lpCC->dcb);
  });
}

QV_API BOOL SetCommConfig(HANDLE hCommDev, LPCOMMCONFIG lpCC, DWORD dwSize) {
  if (lpCC == nullptr || dwSize < offsetof(COMMCONFIG, dwProviderSubType)) {
    return qvp::FailWith(ERROR_INVALID_PARAMETER);
  }
  return OnPort(hCommDev, [&](qvp::CommObject& port) { return port.SetState(lpCC->dcb); });
}

QV_API BOOL GetCommMask(HANDLE hFile, LPDWORD lpEvtMask) {
  if (lpEvtMask == nullptr) return qvp::FailWith(ERROR_INVALID_PARAMETER);
  return OnPort(hFile, [&](qvp::CommObject& port) {
    *lpEvtMask = port.GetMask();
    return static_cast<DWORD>(ERROR_SUCCESS);
  });
}

QV_API BOOL SetCommMask(HANDLE hFile, DWORD dwEvtMask) {
  return OnPort(hFile, [&](qvp::CommObject& port) {
    port.SetMask(dwEvtMask);
    return static_cast<DWORD>(ERROR_SUCCESS);
  });
}

QV_API BOOL WaitCommEvent(HANDLE hFile, LPDWORD lpEvtMask, LPOVERLAPPED lpOverlapped) {
  if (lpEvtMask == nullptr) return qvp::FailWith(ERROR_INVALID_PARAMETER);
  return OnPort(hFile, [&](qvp::CommObject& port) { return port.WaitEvent(lpEvtMask, lpOverlapped); });
}

QV_API BOOL TransmitCommChar(HANDLE hFile, char cChar) {
  return OnPort(hFile, [&](qvp::CommObject& port) {
    DWORD done = 0;
    const DWORD error = port.Write(&cChar, 1, &done);
    if (error != ERROR_SUCCESS) return error;
    return done == 1 ? static_cast<DWORD>(ERROR_SUCCESS) : static_cast<DWORD>(ERROR_TIMEOUT);
  });
}
