// An open serial port: reads and writes by poll under the port's time-outs,
// the line settings through termios, the modem lines through ioctl, and the
// event waits.
#include "comm/comm_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>

#include "comm/termios_map.h"
#include "files/win_error.h"
#include "qvplatform/kernel.h"

namespace qvp {

namespace {

constexpr ULONG_PTR kPending = 0x103;  // the operation has not completed

std::mutex& OverlappedMutex() {
  static std::mutex mutex;
  return mutex;
}

std::condition_variable& OverlappedDone() {
  static std::condition_variable done;
  return done;
}

int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Milliseconds left until `deadline` (-1: none), never below 0.
int64_t Left(int64_t deadline) {
  if (deadline < 0) return -1;
  const int64_t left = deadline - NowMs();
  return left > 0 ? left : 0;
}

}  // namespace

void CompleteOverlapped(OVERLAPPED* overlapped, DWORD error, DWORD bytes) {
  {
    // The event is set before anyone can see the result, so that a caller
    // that found the operation complete also finds its event set.
    std::lock_guard<std::mutex> lock(OverlappedMutex());
    overlapped->Internal = error;
    overlapped->InternalHigh = bytes;
    if (overlapped->hEvent != nullptr) SetEvent(overlapped->hEvent);
  }
  OverlappedDone().notify_all();
}

void MarkOverlappedPending(OVERLAPPED* overlapped) {
  HANDLE event = nullptr;
  {
    std::lock_guard<std::mutex> lock(OverlappedMutex());
    overlapped->Internal = kPending;
    overlapped->InternalHigh = 0;
    event = overlapped->hEvent;
  }
  if (event != nullptr) ResetEvent(event);
}

CommObject::CommObject(int fd, int wake_fd, bool is_pty) : fd_(fd), wake_fd_(wake_fd), is_pty_(is_pty) {
  dcb_.DCBlength = sizeof(DCB);
  dcb_.fBinary = 1;
  dcb_.fDtrControl = DTR_CONTROL_ENABLE;
  dcb_.fRtsControl = RTS_CONTROL_ENABLE;
  dcb_.XonLim = 2048;
  dcb_.XoffLim = 512;
  dcb_.XonChar = 17;
  dcb_.XoffChar = 19;
  termios t{};
  if (tcgetattr(fd_, &t) == 0) TermiosToDcb(t, &dcb_);
}

CommObject::~CommObject() {
  Abort();
  JoinWaiter();
  ioctl(fd_, TIOCNXCL);
  flock(fd_, LOCK_UN);
  ::close(fd_);
  ::close(wake_fd_);
}

void CommObject::Abort() {
  generation_.fetch_add(1);
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t put = ::write(wake_fd_, &one, sizeof one);
}

CommObject::Waited CommObject::WaitFor(short events, int64_t timeout_ms, uint64_t generation) {
  const int64_t deadline = timeout_ms < 0 ? -1 : NowMs() + timeout_ms;
  for (;;) {
    if (generation_.load() != generation) return Waited::Aborted;
    pollfd fds[2] = {{fd_, events, 0}, {wake_fd_, POLLIN, 0}};
    const int64_t left = Left(deadline);
    const int ready = ::poll(fds, 2, left < 0 ? -1 : static_cast<int>(left > 60000 ? 60000 : left));
    if (ready < 0 && errno != EINTR) return Waited::TimedOut;
    if (ready > 0 && (fds[1].revents & POLLIN) != 0) {
      if (generation_.load() != generation) return Waited::Aborted;
      uint64_t value = 0;  // an abort meant for an earlier wait
      [[maybe_unused]] const ssize_t got = ::read(wake_fd_, &value, sizeof value);
      continue;
    }
    if (ready > 0 && (fds[0].revents & events) != 0) return Waited::Ready;
    if (ready > 0 && (fds[0].revents & (POLLHUP | POLLERR)) != 0) {
      // No peer on the line: it is as quiet as a line without data.
      if (left == 0) return Waited::TimedOut;
      ::usleep(20000);
      continue;
    }
    if (deadline >= 0 && Left(deadline) == 0) return Waited::TimedOut;
  }
}

DWORD CommObject::QueuedInput() const {
  int queued = 0;
  if (ioctl(fd_, FIONREAD, &queued) != 0 || queued < 0) return 0;
  return static_cast<DWORD>(queued);
}

DWORD CommObject::Read(void* buffer, DWORD count, DWORD* done) {
  *done = 0;
  COMMTIMEOUTS t;
  GetTimeouts(&t);
  const uint64_t generation = generation_.load();
  char* out = static_cast<char*>(buffer);
  const bool at_once = t.ReadIntervalTimeout == MAXDWORD && t.ReadTotalTimeoutMultiplier == 0 &&
                       t.ReadTotalTimeoutConstant == 0;
  // (MAXDWORD, MAXDWORD, n) and (MAXDWORD, 0, n): what is there, else the first
  // bytes to arrive within n ms.
  const bool first_bytes = t.ReadIntervalTimeout == MAXDWORD && !at_once;
  int64_t total = -1;
  if (first_bytes) {
    total = t.ReadTotalTimeoutConstant;
  } else if (t.ReadTotalTimeoutMultiplier != 0 || t.ReadTotalTimeoutConstant != 0) {
    total = static_cast<int64_t>(t.ReadTotalTimeoutMultiplier) * count + t.ReadTotalTimeoutConstant;
  }
  const int64_t deadline = total < 0 ? -1 : NowMs() + total;
  while (*done < count) {
    const ssize_t got = ::read(fd_, out + *done, count - *done);
    if (got > 0) {
      *done += static_cast<DWORD>(got);
      continue;
    }
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && errno != EAGAIN && errno != EIO) return WinErrorFromErrno(errno);
    // Nothing queued (EIO: no peer on a pseudo terminal).
    if (at_once || (first_bytes && *done > 0)) break;
    int64_t wait = Left(deadline);
    if (*done > 0 && t.ReadIntervalTimeout != 0 && t.ReadIntervalTimeout != MAXDWORD) {
      const int64_t interval = t.ReadIntervalTimeout;
      wait = wait < 0 || interval < wait ? interval : wait;
    }
    if (wait == 0) break;
    const Waited waited = WaitFor(POLLIN, wait, generation);
    if (waited == Waited::Aborted) return ERROR_OPERATION_ABORTED;
    if (waited == Waited::TimedOut) break;
  }
  return ERROR_SUCCESS;
}

bool CommObject::DsrOn() const {
  int lines = 0;
  if (ioctl(fd_, TIOCMGET, &lines) != 0) return true;  // no modem lines: always ready
  return (lines & TIOCM_DSR) != 0;
}

DWORD CommObject::Write(const void* buffer, DWORD count, DWORD* done) {
  *done = 0;
  COMMTIMEOUTS t;
  bool dsr_flow = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    t = timeouts_;
    dsr_flow = dcb_.fOutxDsrFlow != 0;
  }
  const uint64_t generation = generation_.load();
  const int64_t total =
      (t.WriteTotalTimeoutMultiplier != 0 || t.WriteTotalTimeoutConstant != 0)
          ? static_cast<int64_t>(t.WriteTotalTimeoutMultiplier) * count + t.WriteTotalTimeoutConstant
          : -1;
  const int64_t deadline = total < 0 ? -1 : NowMs() + total;
  const char* in = static_cast<const char*>(buffer);
  while (*done < count) {
    // Output held while the modem does not signal DSR, within the time-out.
    if (dsr_flow && !DsrOn()) {
      if (deadline >= 0 && Left(deadline) == 0) break;
      if (generation_.load() != generation) return ERROR_OPERATION_ABORTED;
      ::usleep(10000);
      continue;
    }
    const ssize_t put = ::write(fd_, in + *done, count - *done);
    if (put > 0) {
      *done += static_cast<DWORD>(put);
      continue;
    }
    if (put < 0 && errno == EINTR) continue;
    if (put < 0 && errno != EAGAIN) return WinErrorFromErrno(errno);
    const int64_t wait = Left(deadline);
    if (wait == 0) break;
    const Waited waited = WaitFor(POLLOUT, wait, generation);
    if (waited == Waited::Aborted) return ERROR_OPERATION_ABORTED;
    if (waited == Waited::TimedOut) break;
  }
  return ERROR_SUCCESS;
}

DWORD CommObject::GetState(DCB* dcb) {
  std::lock_guard<std::mutex> lock(mutex_);
  termios t{};
  if (tcgetattr(fd_, &t) != 0) return WinErrorFromErrno(errno);
  TermiosToDcb(t, &dcb_);
  *dcb = dcb_;
  return ERROR_SUCCESS;
}

DWORD CommObject::ApplyLines() {
  // DTR and RTS follow their control modes; a handshake mode raises the line
  // (input flow by the line itself is the driver's, through CRTSCTS).
  dtr_ = dcb_.fDtrControl != DTR_CONTROL_DISABLE;
  rts_ = dcb_.fRtsControl != RTS_CONTROL_DISABLE;
  int bits = TIOCM_DTR;
  ioctl(fd_, dtr_ ? TIOCMBIS : TIOCMBIC, &bits);  // a pseudo terminal has no lines
  bits = TIOCM_RTS;
  ioctl(fd_, rts_ ? TIOCMBIS : TIOCMBIC, &bits);
  return ERROR_SUCCESS;
}

DWORD CommObject::SetState(const DCB& dcb) {
  std::lock_guard<std::mutex> lock(mutex_);
  termios t{};
  if (tcgetattr(fd_, &t) != 0) return WinErrorFromErrno(errno);
  const DWORD error = DcbToTermios(dcb, &t);
  if (error != ERROR_SUCCESS) return error;
  if (tcsetattr(fd_, TCSANOW, &t) != 0) return WinErrorFromErrno(errno);
  dcb_ = dcb;
  dcb_.DCBlength = sizeof(DCB);
  return ApplyLines();
}

void CommObject::GetTimeouts(COMMTIMEOUTS* timeouts) {
  std::lock_guard<std::mutex> lock(mutex_);
  *timeouts = timeouts_;
}

void CommObject::SetTimeouts(const COMMTIMEOUTS& timeouts) {
  std::lock_guard<std::mutex> lock(mutex_);
  timeouts_ = timeouts;
}

DWORD CommObject::SetQueues(DWORD in, DWORD out) {
  if (in == 0 || out == 0) return ERROR_INVALID_PARAMETER;
  std::lock_guard<std::mutex> lock(mutex_);
  in_queue_ = in;
  out_queue_ = out;
  return ERROR_SUCCESS;
}

DWORD CommObject::Purge(DWORD flags) {
  if (flags & ~static_cast<DWORD>(PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR)) {
    return ERROR_INVALID_PARAMETER;
  }
  if (flags & (PURGE_TXABORT | PURGE_RXABORT)) Abort();
  if ((flags & PURGE_RXCLEAR) && (flags & PURGE_TXCLEAR)) {
    tcflush(fd_, TCIOFLUSH);
  } else if (flags & PURGE_RXCLEAR) {
    tcflush(fd_, TCIFLUSH);
  } else if (flags & PURGE_TXCLEAR) {
    tcflush(fd_, TCOFLUSH);
  }
  return ERROR_SUCCESS;
}

DWORD CommObject::ClearError(DWORD* errors, COMSTAT* stat) {
  if (errors != nullptr) *errors = 0;  // the tty layer keeps no such flags for us
  if (stat != nullptr) {
    *stat = COMSTAT{};
    stat->cbInQue = QueuedInput();
    int queued = 0;
    if (ioctl(fd_, TIOCOUTQ, &queued) == 0 && queued > 0) stat->cbOutQue = static_cast<DWORD>(queued);
  }
  return ERROR_SUCCESS;
}

DWORD CommObject::Break(bool on) {
  if (ioctl(fd_, on ? TIOCSBRK : TIOCCBRK) != 0 && !is_pty_) return WinErrorFromErrno(errno);
  return ERROR_SUCCESS;
}

DWORD CommObject::Escape(DWORD function) {
  int bits = 0;
  switch (function) {
    case SETXOFF: return tcflow(fd_, TCIOFF) == 0 || is_pty_ ? ERROR_SUCCESS : WinErrorFromErrno(errno);
    case SETXON: return tcflow(fd_, TCION) == 0 || is_pty_ ? ERROR_SUCCESS : WinErrorFromErrno(errno);
    case SETRTS:
    case CLRRTS: {
      std::lock_guard<std::mutex> lock(mutex_);
      rts_ = function == SETRTS;
      bits = TIOCM_RTS;
      if (ioctl(fd_, rts_ ? TIOCMBIS : TIOCMBIC, &bits) != 0 && !is_pty_) return WinErrorFromErrno(errno);
      return ERROR_SUCCESS;
    }
    case SETDTR:
    case CLRDTR: {
      std::lock_guard<std::mutex> lock(mutex_);
      dtr_ = function == SETDTR;
      bits = TIOCM_DTR;
      if (ioctl(fd_, dtr_ ? TIOCMBIS : TIOCMBIC, &bits) != 0 && !is_pty_) return WinErrorFromErrno(errno);
      return ERROR_SUCCESS;
    }
    case RESETDEV: return ERROR_SUCCESS;
    case SETBREAK: return Break(true);
    case CLRBREAK: return Break(false);
    default: return ERROR_INVALID_PARAMETER;
  }
}

DWORD CommObject::ModemStatus(DWORD* status) {
  int lines = 0;
  if (ioctl(fd_, TIOCMGET, &lines) != 0) {
    // A pseudo terminal has no modem lines: the far side is always there.
    *status = MS_CTS_ON | MS_DSR_ON | MS_RLSD_ON;
    return ERROR_SUCCESS;
  }
  *status = ((lines & TIOCM_CTS) ? MS_CTS_ON : 0) | ((lines & TIOCM_DSR) ? MS_DSR_ON : 0) |
            ((lines & TIOCM_RI) ? MS_RING_ON : 0) | ((lines & TIOCM_CD) ? MS_RLSD_ON : 0);
  return ERROR_SUCCESS;
}

void CommObject::Properties(COMMPROP* prop) {
  *prop = COMMPROP{};
  prop->wPacketLength = sizeof(COMMPROP);
  prop->wPacketVersion = 2;
  prop->dwServiceMask = 1;  // serial
  std::lock_guard<std::mutex> lock(mutex_);
  prop->dwMaxTxQueue = 0;
  prop->dwMaxRxQueue = 0;
  prop->dwMaxBaud = 0x10000000;  // user-settable
  prop->dwProvSubType = 1;       // RS-232
  prop->dwProvCapabilities = 0x01 | 0x02 | 0x04 | 0x08 | 0x10 | 0x20 | 0x40 | 0x80;
  prop->dwSettableParams = 0x7F;
  prop->dwSettableBaud = 0x1FFFF;
  prop->wSettableData = 0x0F;
  prop->wSettableStopParity = 0x1F07;
  prop->dwCurrentTxQueue = out_queue_;
  prop->dwCurrentRxQueue = in_queue_;
}

DWORD CommObject::GetMask() {
  std::lock_guard<std::mutex> lock(mutex_);
  return mask_;
}

void CommObject::SetMask(DWORD mask) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    mask_ = mask;
  }
  // A wait in progress ends with an empty mask.
  Abort();
  JoinWaiter();
}

bool CommObject::EventPending(DWORD mask) const { return (mask & EV_RXCHAR) != 0 && QueuedInput() > 0; }

DWORD CommObject::WaitEventNow(DWORD mask, uint64_t generation) {
  if (EventPending(mask)) return EV_RXCHAR;
  if ((mask & EV_RXCHAR) == 0) {
    // No event this port reports: only a mask change ends the wait.
    WaitFor(0, -1, generation);
    return 0;
  }
  return WaitFor(POLLIN, -1, generation) == Waited::Ready ? static_cast<DWORD>(EV_RXCHAR) : 0u;
}

void CommObject::JoinWaiter() {
  std::lock_guard<std::mutex> lock(waiter_mutex_);
  if (waiter_.joinable()) waiter_.join();
}

DWORD CommObject::WaitEvent(DWORD* mask_out, OVERLAPPED* overlapped) {
  // The generation first: a mask change after it ends the wait.
  const uint64_t generation = generation_.load();
  const DWORD mask = GetMask();
  // Nothing to wait for: a wait would never end.
  if (mask == 0) return ERROR_INVALID_PARAMETER;
  if (overlapped == nullptr) {
    *mask_out = WaitEventNow(mask, generation);
    return ERROR_SUCCESS;
  }
  if (EventPending(mask)) {
    *mask_out = EV_RXCHAR;
    CompleteOverlapped(overlapped, ERROR_SUCCESS, sizeof(DWORD));
    return ERROR_SUCCESS;
  }
  std::lock_guard<std::mutex> lock(waiter_mutex_);
  if (waiter_busy_.load()) return ERROR_INVALID_PARAMETER;  // one wait at a time
  if (waiter_.joinable()) waiter_.join();
  MarkOverlappedPending(overlapped);
  waiter_busy_.store(true);
  waiter_ = std::thread([this, mask, generation, mask_out, overlapped]() {
    const DWORD found = WaitEventNow(mask, generation);
    {
      std::lock_guard<std::mutex> done(OverlappedMutex());
      *mask_out = found;
    }
    waiter_busy_.store(false);
    CompleteOverlapped(overlapped, ERROR_SUCCESS, sizeof(DWORD));
  });
  return ERROR_IO_PENDING;
}

BOOL CommReadFile(const std::shared_ptr<CommObject>& port, LPVOID buffer, DWORD count, LPDWORD done,
                  LPOVERLAPPED overlapped) {
  if (buffer == nullptr && count > 0) return FailWith(ERROR_NOACCESS);
  DWORD got = 0;
  const DWORD error = port->Read(buffer, count, &got);
  if (done != nullptr) *done = got;
  if (overlapped != nullptr) CompleteOverlapped(overlapped, error, got);
  if (error != ERROR_SUCCESS) return FailWith(error);
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL CommWriteFile(const std::shared_ptr<CommObject>& port, LPCVOID buffer, DWORD count, LPDWORD done,
                   LPOVERLAPPED overlapped) {
  if (buffer == nullptr && count > 0) return FailWith(ERROR_NOACCESS);
  DWORD put = 0;
  const DWORD error = port->Write(buffer, count, &put);
  if (done != nullptr) *done = put;
  if (overlapped != nullptr) CompleteOverlapped(overlapped, error, put);
  if (error != ERROR_SUCCESS) return FailWith(error);
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

}  // namespace qvp

using qvp::kPending;

QV_API BOOL GetOverlappedResult(HANDLE /*hFile*/, LPOVERLAPPED lpOverlapped, LPDWORD lpNumberOfBytesTransferred,
                                BOOL bWait) {
  if (lpOverlapped == nullptr) return qvp::FailWith(ERROR_INVALID_PARAMETER);
  std::unique_lock<std::mutex> lock(qvp::OverlappedMutex());
  if (lpOverlapped->Internal == kPending) {
    if (!bWait) return qvp::FailWith(ERROR_IO_INCOMPLETE);
    qvp::OverlappedDone().wait(lock, [&] { return lpOverlapped->Internal != kPending; });
  }
  if (lpNumberOfBytesTransferred != nullptr) {
    *lpNumberOfBytesTransferred = static_cast<DWORD>(lpOverlapped->InternalHigh);
  }
  const DWORD error = static_cast<DWORD>(lpOverlapped->Internal);
  if (error != ERROR_SUCCESS) return qvp::FailWith(error);
  return TRUE;
}
