// The modem senders' serial port.
#include "comm_port.h"

#include <cstring>
#include <mutex>
#include <string>

#include "alert_runtime.h"

namespace {

std::mutex g_traceMutex;
std::string g_traceDirectory;

// The longest single wait for input inside ReadResponse, so that a cancel or a
// stop ends the wait quickly.
constexpr DWORD kInputSlice = 200;

}  // namespace

void SetCommTraceDirectory(const char* directory) {
  std::lock_guard<std::mutex> lock(g_traceMutex);
  g_traceDirectory = directory != nullptr ? directory : "";
}

CCommPort::CCommPort(const char* portName) {
  m_port = CreateFileA(portName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED,
                       nullptr);
  if (m_port == INVALID_HANDLE_VALUE) {
    m_lastError = GetLastError();
    return;
  }
  OVERLAPPED* overlapped[] = {&m_readOverlapped, &m_writeOverlapped, &m_waitOverlapped};
  for (OVERLAPPED* one : overlapped) {
    one->hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (one->hEvent == nullptr) {
      m_lastError = GetLastError();
      return;
    }
  }
  SetBaudRate(CBR_19200);
  SetLineFormat(NOPARITY, 8, ONESTOPBIT);
  SetFlowControl(3, 100, 100, 17, 19);
  SetupComm(4096, 4096);
  SetReadTimeouts(MAXDWORD, 0, 0);
  SetWriteTimeouts(0, 1000);
  SetCommMask(EV_RXCHAR);
  PurgeComm(PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
}

CCommPort::~CCommPort() {
  StopEventThread();
  if (m_port != INVALID_HANDLE_VALUE) {
    ::PurgeComm(m_port, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
  }
  OVERLAPPED* overlapped[] = {&m_readOverlapped, &m_writeOverlapped, &m_waitOverlapped};
  for (OVERLAPPED* one : overlapped) {
    if (one->hEvent != nullptr) CloseHandle(one->hEvent);
  }
  // Closing drops DTR, which makes a modem hang up.
  if (m_port != INVALID_HANDLE_VALUE) CloseHandle(m_port);
}

void CCommPort::WatchStop(bool test, const std::atomic<bool>* running) {
  m_watchTestCancel = test;
  m_running = running;
}

bool CCommPort::StopRequested() const {
  return (m_watchTestCancel && IsAlertTestCancelled()) || (m_running != nullptr && !m_running->load());
}

bool CCommPort::IsOpen() const { return m_port != INVALID_HANDLE_VALUE && m_lastError == 0; }

bool CCommPort::Record(BOOL ok) {
  if (!ok) m_lastError = ::GetLastError();
  return ok != FALSE;
}

bool CCommPort::SetBaudRate(int rate) {
  m_lastError = 0;
  DCB dcb{};
  if (!Record(::GetCommState(m_port, &dcb))) return false;
  dcb.BaudRate = static_cast<DWORD>(rate);
  return Record(::SetCommState(m_port, &dcb));
}

bool CCommPort::SetLineFormat(int parity, int byteSize, int stopBits) {
  m_lastError = 0;
  DCB dcb{};
  if (!Record(::GetCommState(m_port, &dcb))) return false;
  dcb.Parity = static_cast<BYTE>(parity);
  dcb.ByteSize = static_cast<BYTE>(byteSize);
  dcb.StopBits = static_cast<BYTE>(stopBits);
  dcb.fParity = 1;
  // A value outside a byte is no line format at all.
  if (parity < 0 || parity > 255 || byteSize < 0 || byteSize > 255 || stopBits < 0 || stopBits > 255) {
    m_lastError = ERROR_INVALID_PARAMETER;
    return false;
  }
  return Record(::SetCommState(m_port, &dcb));
}

bool CCommPort::SetFlowControl(int flags, int xonLimit, int xoffLimit, int xonChar, int xoffChar) {
  m_lastError = 0;
  DCB dcb{};
  if (!Record(::GetCommState(m_port, &dcb))) return false;
  dcb.fOutxDsrFlow = (flags & 1) ? 1 : 0;
  dcb.fDtrControl = (flags & 1) ? DTR_CONTROL_HANDSHAKE : DTR_CONTROL_ENABLE;
  dcb.fOutxCtsFlow = (flags & 2) ? 1 : 0;
  dcb.fRtsControl = (flags & 2) ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_ENABLE;
  dcb.fOutX = (flags & 16) ? 1 : 0;
  dcb.fInX = (flags & 16) ? 1 : 0;
  dcb.fBinary = 1;
  dcb.XonLim = static_cast<WORD>(xonLimit);
  dcb.XoffLim = static_cast<WORD>(xoffLimit);
  dcb.XonChar = static_cast<char>(xonChar);
  dcb.XoffChar = static_cast<char>(xoffChar);
  return Record(::SetCommState(m_port, &dcb));
}

bool CCommPort::SetReadTimeouts(DWORD interval, DWORD multiplier, DWORD constant) {
  m_lastError = 0;
  COMMTIMEOUTS timeouts{};
  if (!Record(::GetCommTimeouts(m_port, &timeouts))) return false;
  timeouts.ReadIntervalTimeout = interval;
  timeouts.ReadTotalTimeoutMultiplier = multiplier;
  timeouts.ReadTotalTimeoutConstant = constant;
  return Record(::SetCommTimeouts(m_port, &timeouts));
}

bool CCommPort::SetWriteTimeouts(DWORD multiplier, DWORD constant) {
  m_lastError = 0;
  COMMTIMEOUTS timeouts{};
  if (!Record(::GetCommTimeouts(m_port, &timeouts))) return false;
  timeouts.WriteTotalTimeoutMultiplier = multiplier;
  timeouts.WriteTotalTimeoutConstant = constant;
  return Record(::SetCommTimeouts(m_port, &timeouts));
}

void CCommPort::Trace(const char* leaf, const char* bytes, size_t count) const {
  std::string path;
  {
    std::lock_guard<std::mutex> lock(g_traceMutex);
    if (g_traceDirectory.empty()) return;
    path = g_traceDirectory + "\\" + leaf;
  }
  // Made and restricted to its owner before the first byte goes in.
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  if (!qvp::RestrictToOwner(path.c_str())) {
    CloseHandle(file);
    return;
  }
  SetFilePointer(file, 0, nullptr, FILE_END);
  DWORD written = 0;
  if (count > 0) WriteFile(file, bytes, static_cast<DWORD>(count), &written, nullptr);
  WriteFile(file, "\n", 1, &written, nullptr);
  CloseHandle(file);
}

void CCommPort::ClearErrorsQuietly() {
  DWORD flags = 0;
  if (::ClearCommError(m_port, &flags, nullptr)) m_commErrors = flags;
}

DWORD CCommPort::CompleteIo(OVERLAPPED& overlapped, BOOL started, DWORD done) {
  if (started) return done;
  DWORD error = ::GetLastError();
  if (error != ERROR_IO_PENDING) {
    m_lastError = error;
    ClearErrorsQuietly();
    return 0;
  }
  for (;;) {
    if (GetOverlappedResult(m_port, &overlapped, &done, TRUE)) return done;
    error = ::GetLastError();
    if (error != ERROR_IO_INCOMPLETE) {
      m_lastError = error;
      ClearErrorsQuietly();
      return 0;
    }
  }
}

DWORD CCommPort::Read(char* buffer, DWORD count, bool all) {
  m_lastError = 0;
  if (m_port == INVALID_HANDLE_VALUE) return 0;
  COMSTAT stat{};
  ClearCommError(nullptr, &stat);
  if (!all && count > stat.cbInQue) count = stat.cbInQue;
  if (count == 0) return 0;
  DWORD done = 0;
  const BOOL started = ReadFile(m_port, buffer, count, &done, &m_readOverlapped);
  done = CompleteIo(m_readOverlapped, started, done);
  Trace("in.txt", buffer, done);
  return done;
}

DWORD CCommPort::Write(const char* buffer, int count) {
  m_lastError = 0;
  if (m_port == INVALID_HANDLE_VALUE || count <= 0) return 0;
  Trace("out.txt", buffer, static_cast<size_t>(count));
  DWORD done = 0;
  const BOOL started = WriteFile(m_port, buffer, static_cast<DWORD>(count), &done, &m_writeOverlapped);
  return CompleteIo(m_writeOverlapped, started, done);
}

DWORD CCommPort::Write(const char* text) { return Write(text, static_cast<int>(std::strlen(text))); }

namespace {

bool Holds(const char* buffer, int length, const char* text) {
  const size_t size = std::strlen(text);
  if (size == 0 || static_cast<size_t>(length) < size) return false;
  for (int at = 0; at + static_cast<int>(size) <= length; ++at) {
    if (std::memcmp(buffer + at, text, size) == 0) return true;
  }
  return false;
}

}  // namespace

int CCommPort::ReadResponse(char* buffer, int size, const char* const* expected, int count, DWORD ms, char* matched,
                            size_t matchedSize, int* err) {
  *err = 0;
  if (buffer == nullptr || size <= 0) return 0;
  std::memset(buffer, 0, static_cast<size_t>(size));
  if (matched != nullptr && matchedSize > 0) matched[0] = '\0';
  if (m_port == INVALID_HANDLE_VALUE) return 0;
  const int room = size - 1;  // the buffer stays a terminated string
  const ULONGLONG deadline = GetTickCount64() + ms;
  int received = 0;
  bool found = false;
  bool timedOut = false;
  for (;;) {
    COMSTAT stat{};
    ClearCommError(nullptr, &stat);
    if (stat.cbInQue == 0 && received < room) {
      // Wait for the next byte, a little at a time.
      const ULONGLONG now = GetTickCount64();
      const ULONGLONG left = deadline > now ? deadline - now : 0;
      SetReadTimeouts(MAXDWORD, 0, static_cast<DWORD>(left < kInputSlice ? (left == 0 ? 1 : left) : kInputSlice));
      received += static_cast<int>(Read(buffer + received, 1, true));
      ClearCommError(nullptr, &stat);
    }
    if (stat.cbInQue > 0 && received < room) {
      const DWORD want = stat.cbInQue < static_cast<DWORD>(room - received) ? stat.cbInQue
                                                                           : static_cast<DWORD>(room - received);
      received += static_cast<int>(Read(buffer + received, want, false));
    }
    for (int i = 0; i < count; ++i) {
      if (Holds(buffer, received, expected[i])) {
        if (matched != nullptr && matchedSize > 0) {
          std::strncpy(matched, expected[i], matchedSize - 1);
          matched[matchedSize - 1] = '\0';
        }
        found = true;
      }
    }
    if (found || received >= room || StopRequested()) break;
    if (GetTickCount64() >= deadline) {
      timedOut = true;
      break;
    }
  }
  SetReadTimeouts(MAXDWORD, 0, 1000);
  if (found) return received;
  const bool stopped = StopRequested();
  if (timedOut) {
    *err = ERROR_TIMEOUT;
  } else if (received < room) {
    *err = kResponseStopped;
  } else {
    *err = stopped ? kResponseFullAndStopped : kResponseBufferFull;
  }
  return received;
}

bool CCommPort::StartEventThread(LPTHREAD_START_ROUTINE routine, LPVOID argument) {
  m_lastError = 0;
  if (m_eventThread != nullptr) {
    m_lastError = ERROR_ALREADY_EXISTS;
    return false;
  }
  m_eventThread = CreateThread(nullptr, 0, routine, argument != nullptr ? argument : this, 0, &m_eventThreadId);
  if (m_eventThread == nullptr) {
    m_lastError = ::GetLastError();
    m_eventThreadId = 0;
    return false;
  }
  return true;
}

DWORD CCommPort::StopEventThread() {
  m_lastError = 0;
  if (m_eventThread == nullptr) return 0;
  ::SetCommMask(m_port, 0);
  // The mask change ends the thread's wait; its end is waited for, not polled.
  WaitForSingleObject(m_eventThread, INFINITE);
  DWORD code = STILL_ACTIVE;
  GetExitCodeThread(m_eventThread, &code);
  CloseHandle(m_eventThread);
  m_eventThread = nullptr;
  m_eventThreadId = 0;
  return code;
}

bool CCommPort::WaitEvent() {
  m_lastError = 0;
  m_eventMask = 0;
  if (::WaitCommEvent(m_port, &m_eventMask, &m_waitOverlapped)) return true;
  if (::GetLastError() == ERROR_IO_PENDING) return true;
  m_lastError = ::GetLastError();
  return false;
}

DWORD CCommPort::GetEventResult(bool wait) {
  m_lastError = 0;
  DWORD done = 0;
  if (GetOverlappedResult(m_port, &m_waitOverlapped, &done, wait ? TRUE : FALSE)) return m_eventMask;
  if (::GetLastError() == ERROR_IO_INCOMPLETE) {
    ClearErrorsQuietly();
    WaitEvent();
    return 0;
  }
  m_lastError = ::GetLastError();
  return 0;
}

bool CCommPort::ClearCommBreak() {
  m_lastError = 0;
  return Record(::ClearCommBreak(m_port));
}

bool CCommPort::ClearCommError(DWORD* errors, COMSTAT* stat) {
  m_lastError = 0;
  DWORD flags = 0;
  const bool ok = Record(::ClearCommError(m_port, &flags, stat));
  m_commErrors = flags;
  if (errors != nullptr) *errors = flags;
  return ok;
}

bool CCommPort::EscapeCommFunction(DWORD function) {
  m_lastError = 0;
  if (function >= 1 && function <= 7) {
    DCB dcb{};
    if (!Record(::GetCommState(m_port, &dcb))) return false;
    // The driver owns DTR and RTS while they are in handshake mode.
    if (dcb.fDtrControl == DTR_CONTROL_HANDSHAKE || dcb.fRtsControl == RTS_CONTROL_HANDSHAKE) return false;
  }
  return Record(::EscapeCommFunction(m_port, function));
}

bool CCommPort::GetCommConfig(COMMCONFIG* config, DWORD* size) {
  m_lastError = 0;
  return Record(::GetCommConfig(m_port, config, size));
}

bool CCommPort::GetCommMask(DWORD* mask) {
  m_lastError = 0;
  return Record(::GetCommMask(m_port, mask));
}

bool CCommPort::GetCommModemStatus(DWORD* status) {
  m_lastError = 0;
  return Record(::GetCommModemStatus(m_port, status));
}

bool CCommPort::GetCommProperties(COMMPROP* properties) {
  m_lastError = 0;
  return Record(::GetCommProperties(m_port, properties));
}

bool CCommPort::GetCommState(DCB* dcb) {
  m_lastError = 0;
  return Record(::GetCommState(m_port, dcb));
}

bool CCommPort::GetCommTimeouts(COMMTIMEOUTS* timeouts) {
  m_lastError = 0;
  return Record(::GetCommTimeouts(m_port, timeouts));
}

bool CCommPort::PurgeComm(DWORD flags) {
  m_lastError = 0;
  return Record(::PurgeComm(m_port, flags));
}

bool CCommPort::SetCommBreak() {
  m_lastError = 0;
  return Record(::SetCommBreak(m_port));
}

bool CCommPort::SetCommConfig(COMMCONFIG* config, DWORD size) {
  m_lastError = 0;
  return Record(::SetCommConfig(m_port, config, size));
}

bool CCommPort::SetCommMask(DWORD mask) {
  m_lastError = 0;
  return Record(::SetCommMask(m_port, mask));
}

bool CCommPort::SetCommState(DCB* dcb) {
  m_lastError = 0;
  return Record(::SetCommState(m_port, dcb));
}

bool CCommPort::SetCommTimeouts(COMMTIMEOUTS* timeouts) {
  m_lastError = 0;
  return Record(::SetCommTimeouts(m_port, timeouts));
}

bool CCommPort::SetupComm(DWORD inQueue, DWORD outQueue) {
  m_lastError = 0;
  return Record(::SetupComm(m_port, inQueue, outQueue));
}

bool CCommPort::TransmitCommChar(char c) {
  m_lastError = 0;
  return Record(::TransmitCommChar(m_port, c));
}
