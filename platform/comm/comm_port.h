// An open serial port as a kernel object of the layer's handle table: a tty
// file descriptor in raw mode, its device control block, its time-outs and its
// event mask, and the waits that SetCommMask, PurgeComm and closing end.
#pragma once

#include <termios.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

#include "kernel/handles.h"
#include "qvplatform/comm.h"

namespace qvp {

class CommObject : public KernelObject {
 public:
  // Takes ownership of `fd` (already locked for exclusive use) and of
  // `wake_fd` (an eventfd).
  CommObject(int fd, int wake_fd, bool is_pty);
  ~CommObject() override;
  CommObject(const CommObject&) = delete;
  CommObject& operator=(const CommObject&) = delete;

  int fd() const { return fd_; }
  bool is_pty() const { return is_pty_; }

  // Each returns ERROR_SUCCESS or the Win32 error.
  DWORD Read(void* buffer, DWORD count, DWORD* done);
  DWORD Write(const void* buffer, DWORD count, DWORD* done);
  DWORD GetState(DCB* dcb);
  DWORD SetState(const DCB& dcb);
  void GetTimeouts(COMMTIMEOUTS* timeouts);
  void SetTimeouts(const COMMTIMEOUTS& timeouts);
  DWORD SetQueues(DWORD in, DWORD out);
  DWORD Purge(DWORD flags);
  DWORD ClearError(DWORD* errors, COMSTAT* stat);
  DWORD Break(bool on);
  DWORD Escape(DWORD function);
  DWORD ModemStatus(DWORD* status);
  void Properties(COMMPROP* prop);
  DWORD GetMask();
  void SetMask(DWORD mask);
  // Waits for an event of the mask: at once when one is there; with an
  // OVERLAPPED that must wait, a helper thread completes it later and
  // ERROR_IO_PENDING is returned.
  DWORD WaitEvent(DWORD* mask_out, OVERLAPPED* overlapped);

 private:
  enum class Waited { Ready, TimedOut, Aborted };
  // Waits until the port is readable (or writable), `timeout_ms` passes (-1:
  // no limit), or an abort of generation `generation` is raised.
  Waited WaitFor(short events, int64_t timeout_ms, uint64_t generation);
  // Ends every wait in progress.
  void Abort();
  DWORD QueuedInput() const;
  bool EventPending(DWORD mask) const;
  DWORD WaitEventNow(DWORD mask, uint64_t generation);
  void JoinWaiter();
  DWORD ApplyLines();
  bool DsrOn() const;

  const int fd_;
  const int wake_fd_;
  const bool is_pty_;
  std::atomic<uint64_t> generation_{0};
  std::mutex mutex_;  // guards the settings below
  DCB dcb_{};
  COMMTIMEOUTS timeouts_{};
  DWORD mask_ = 0;
  DWORD in_queue_ = 4096;
  DWORD out_queue_ = 4096;
  bool dtr_ = true;
  bool rts_ = true;
  std::mutex waiter_mutex_;  // guards the waiter thread
  std::thread waiter_;
  std::atomic<bool> waiter_busy_{false};
};

// "COMn" or "\\.\COMn" (any case, 1 <= n <= 255): true with the number.
bool ParseCommPortName(const char* name, int* number);
// Opens a port named like that (CreateFileA's path for such names).
HANDLE OpenCommPort(const char* name, DWORD access, DWORD disposition);

BOOL CommReadFile(const std::shared_ptr<CommObject>& port, LPVOID buffer, DWORD count, LPDWORD done,
                  LPOVERLAPPED overlapped);
BOOL CommWriteFile(const std::shared_ptr<CommObject>& port, LPCVOID buffer, DWORD count, LPDWORD done,
                   LPOVERLAPPED overlapped);

// Overlapped completion: the operation's error and byte count, its event set,
// waiters of GetOverlappedResult woken.
void CompleteOverlapped(OVERLAPPED* overlapped, DWORD error, DWORD bytes);
void MarkOverlappedPending(OVERLAPPED* overlapped);

}  // namespace qvp
