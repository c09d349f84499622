// One serial port opened for overlapped input and output, as the modem senders
// use it: the line settings, reads and writes, and the wait for one of a list
// of expected answers. Every byte read or written is also appended to the trace
// files "in.txt" and "out.txt" of the trace directory (the pager spool
// directory), which hold pager numbers and passwords and are therefore their
// owner's alone.
#pragma once

#include <atomic>
#include <cstddef>

#include "qvplatform.h"

// ReadResponse's errors besides ERROR_TIMEOUT (1460).
inline constexpr int kResponseStopped = 5001;          // cancelled or stopped before the buffer filled
inline constexpr int kResponseBufferFull = 5000;       // the buffer filled without an expected answer
inline constexpr int kResponseFullAndStopped = 5002;   // both

// The directory the trace files go to (null or empty: no trace is kept).
void SetCommTraceDirectory(const char* directory);

class CCommPort {
 public:
  // Opens the port ("COM1") and applies the standard settings: 19200 bit/s,
  // 8 bits, no parity, one stop bit, DSR/DTR and CTS/RTS handshake, queues of
  // 4096, reads that return at once, writes within one second, EV_RXCHAR,
  // every queue purged.
  explicit CCommPort(const char* portName);
  ~CCommPort();
  CCommPort(const CCommPort&) = delete;
  CCommPort& operator=(const CCommPort&) = delete;

  // Which flags end the waits of ReadResponse: the test-cancel flag (only for
  // a test) and the delivery thread's running flag (when given).
  void WatchStop(bool test, const std::atomic<bool>* running);
  // True when a watched flag asks to stop.
  bool StopRequested() const;

  bool IsOpen() const;
  DWORD GetLastErrorCode() const { return m_lastError; }

  bool SetBaudRate(int rate);
  bool SetLineFormat(int parity, int byteSize, int stopBits);
  // flags bit 0: DSR output flow with DTR handshake; bit 1: CTS output flow
  // with RTS handshake; bit 4: XON/XOFF both ways.
  bool SetFlowControl(int flags, int xonLimit, int xoffLimit, int xonChar, int xoffChar);
  bool SetReadTimeouts(DWORD interval, DWORD multiplier, DWORD constant);
  bool SetWriteTimeouts(DWORD multiplier, DWORD constant);

  // Reads up to `count` bytes; unless `all`, no more than are queued.
  DWORD Read(char* buffer, DWORD count, bool all);
  DWORD Write(const char* buffer, int count);
  DWORD Write(const char* text);

  // Reads until one of `expected` (count strings) is in the received bytes,
  // `ms` pass, the buffer (size - 1 bytes, always kept terminated) fills, or a
  // watched flag asks to stop. The last string of the list found is copied to
  // `matched` (of `matchedSize`). *err: 0 for a match, else ERROR_TIMEOUT
  // after the time, kResponseStopped, kResponseBufferFull or
  // kResponseFullAndStopped. Returns the bytes received.
  int ReadResponse(char* buffer, int size, const char* const* expected, int count, DWORD ms, char* matched,
                   size_t matchedSize, int* err);

  bool StartEventThread(LPTHREAD_START_ROUTINE routine, LPVOID argument);
  DWORD StopEventThread();
  bool WaitEvent();
  DWORD GetEventResult(bool wait);
  DWORD GetEventMask() const { return m_eventMask; }

  bool ClearCommBreak();
  bool ClearCommError(DWORD* errors, COMSTAT* stat);
  bool EscapeCommFunction(DWORD function);
  bool GetCommConfig(COMMCONFIG* config, DWORD* size);
  bool GetCommMask(DWORD* mask);
  bool GetCommModemStatus(DWORD* status);
  bool GetCommProperties(COMMPROP* properties);
  bool GetCommState(DCB* dcb);
  bool GetCommTimeouts(COMMTIMEOUTS* timeouts);
  bool PurgeComm(DWORD flags);
  bool SetCommBreak();
  bool SetCommConfig(COMMCONFIG* config, DWORD size);
  bool SetCommMask(DWORD mask);
  bool SetCommState(DCB* dcb);
  bool SetCommTimeouts(COMMTIMEOUTS* timeouts);
  bool SetupComm(DWORD inQueue, DWORD outQueue);
  bool TransmitCommChar(char c);

 private:
  // Clears lastError; on a failed call records GetLastError. Returns ok.
  bool Record(BOOL ok);
  DWORD CompleteIo(OVERLAPPED& overlapped, BOOL started, DWORD done);
  // ClearCommError without touching lastError.
  void ClearErrorsQuietly();
  void Trace(const char* leaf, const char* bytes, size_t count) const;

  HANDLE m_eventThread = nullptr;
  HANDLE m_port = INVALID_HANDLE_VALUE;
  DWORD m_eventThreadId = 0;
  // Both also written by a comm-event thread.
  std::atomic<DWORD> m_lastError{0};
  std::atomic<DWORD> m_commErrors{0};
  OVERLAPPED m_readOverlapped{};
  OVERLAPPED m_writeOverlapped{};
  DWORD m_eventMask = 0;
  OVERLAPPED m_waitOverlapped{};
  bool m_watchTestCancel = false;
  const std::atomic<bool>* m_running = nullptr;
};
