// Serial ports on a pseudo terminal: opening by name, sharing, time-outs,
// overlapped completion, event waits, purges.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <thread>

#include "comm/pty_pair.h"
#include "qvplatform.h"

namespace {

HANDLE OpenPort(const std::string& name) {
  return CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED,
                     nullptr);
}

void SetReadTimeouts(HANDLE port, DWORD interval, DWORD multiplier, DWORD constant) {
  COMMTIMEOUTS t{};
  ASSERT_TRUE(GetCommTimeouts(port, &t));
  t.ReadIntervalTimeout = interval;
  t.ReadTotalTimeoutMultiplier = multiplier;
  t.ReadTotalTimeoutConstant = constant;
  ASSERT_TRUE(SetCommTimeouts(port, &t));
}

TEST(CommOpen, NamesDevicesAndExclusiveUse) {
  qvtest::PtyPair pty(42);
  ASSERT_TRUE(pty.ok());
  HANDLE port = OpenPort("\\\\.\\com42");
  ASSERT_NE(port, INVALID_HANDLE_VALUE);
  // A second opening is refused, in this process as in any other.
  EXPECT_EQ(OpenPort("COM42"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  CloseHandle(port);
  port = OpenPort("COM42");
  ASSERT_NE(port, INVALID_HANDLE_VALUE);
  CloseHandle(port);

  // Without a test setting: $QV_COMn, else /dev/ttyS(n-1).
  qvp::SetSerialDevice(42, nullptr);
  setenv("QV_COM42", pty.slave().c_str(), 1);
  port = OpenPort("COM42");
  EXPECT_NE(port, INVALID_HANDLE_VALUE);
  CloseHandle(port);
  setenv("QV_COM42", "/nonexistent/tty", 1);
  EXPECT_EQ(OpenPort("COM42"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  unsetenv("QV_COM42");
  // A file that is no serial line is no port.
  setenv("QV_COM42", "/dev/null", 1);
  EXPECT_EQ(OpenPort("COM42"), INVALID_HANDLE_VALUE);
  unsetenv("QV_COM42");
}

TEST(CommIo, ReadTimeoutsAndOverlappedCompletion) {
  qvtest::PtyPair pty(43);
  ASSERT_TRUE(pty.ok());
  HANDLE port = OpenPort(pty.name());
  ASSERT_NE(port, INVALID_HANDLE_VALUE);
  OVERLAPPED ov{};
  ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  char buffer[64] = {};
  DWORD got = 99;

  // (MAXDWORD, 0, 0): what is there, at once; the event is set.
  SetReadTimeouts(port, MAXDWORD, 0, 0);
  ASSERT_TRUE(ReadFile(port, buffer, sizeof buffer, &got, &ov));
  EXPECT_EQ(got, 0u);
  EXPECT_EQ(WaitForSingleObject(ov.hEvent, 0), WAIT_OBJECT_0);

  pty.Send("OK\r\n");
  COMSTAT stat{};
  DWORD errors = 1;
  for (int i = 0; i < 500 && stat.cbInQue < 4; ++i) {
    ASSERT_TRUE(ClearCommError(port, &errors, &stat));
    if (stat.cbInQue < 4) Sleep(2);
  }
  EXPECT_EQ(stat.cbInQue, 4u);
  EXPECT_EQ(errors, 0u);
  ResetEvent(ov.hEvent);
  ASSERT_TRUE(ReadFile(port, buffer, sizeof buffer, &got, &ov));
  DWORD done = 0;
  ASSERT_TRUE(GetOverlappedResult(port, &ov, &done, FALSE));
  EXPECT_EQ(done, 4u);
  EXPECT_EQ(std::string(buffer, done), "OK\r\n");

  // (MAXDWORD, 0, n): waits for the first byte, then returns at once.
  SetReadTimeouts(port, MAXDWORD, 0, 100);
  ASSERT_TRUE(ReadFile(port, buffer, 1, &got, &ov));
  EXPECT_EQ(got, 0u);
  SetReadTimeouts(port, MAXDWORD, 0, 30000);
  std::thread later([&] {
    Sleep(50);
    pty.Send("X");
  });
  ASSERT_TRUE(ReadFile(port, buffer, sizeof buffer, &got, &ov));
  later.join();
  EXPECT_EQ(got, 1u);
  EXPECT_EQ(buffer[0], 'X');

  // Total time-outs: a whole count is waited for.
  SetReadTimeouts(port, 0, 0, 30000);
  std::thread pieces([&] {
    pty.Send("ab");
    Sleep(20);
    pty.Send("cd");
  });
  ASSERT_TRUE(ReadFile(port, buffer, 4, &got, nullptr));
  pieces.join();
  EXPECT_EQ(std::string(buffer, got), "abcd");

  // Writes arrive on the far side.
  ASSERT_TRUE(WriteFile(port, "ATZ\r", 4, &got, &ov));
  EXPECT_EQ(got, 4u);
  EXPECT_EQ(pty.Receive(4), "ATZ\r");
  ASSERT_TRUE(TransmitCommChar(port, 'Q'));
  EXPECT_EQ(pty.Receive(1), "Q");

  // PurgeComm drops what came in.
  pty.Send("junk");
  for (int i = 0; i < 500 && stat.cbInQue < 4; ++i) {
    ASSERT_TRUE(ClearCommError(port, nullptr, &stat));
    if (stat.cbInQue < 4) Sleep(2);
  }
  ASSERT_TRUE(PurgeComm(port, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR));
  ASSERT_TRUE(ClearCommError(port, nullptr, &stat));
  EXPECT_EQ(stat.cbInQue, 0u);
  EXPECT_FALSE(PurgeComm(port, 0x100));

  CloseHandle(ov.hEvent);
  CloseHandle(port);
}

TEST(CommEvents, WaitPendsUntilInputOrMaskChange) {
  qvtest::PtyPair pty(44);
  ASSERT_TRUE(pty.ok());
  HANDLE port = OpenPort(pty.name());
  ASSERT_NE(port, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(SetCommMask(port, EV_RXCHAR));
  DWORD mask = 0;
  ASSERT_TRUE(GetCommMask(port, &mask));
  EXPECT_EQ(mask, static_cast<DWORD>(EV_RXCHAR));

  OVERLAPPED ov{};
  ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  DWORD events = 0xFFFF;
  ASSERT_FALSE(WaitCommEvent(port, &events, &ov));
  ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));
  DWORD done = 0;
  EXPECT_FALSE(GetOverlappedResult(port, &ov, &done, FALSE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_INCOMPLETE));
  pty.Send("R");
  ASSERT_TRUE(GetOverlappedResult(port, &ov, &done, TRUE));
  EXPECT_EQ(events, static_cast<DWORD>(EV_RXCHAR));
  EXPECT_EQ(WaitForSingleObject(ov.hEvent, 0), WAIT_OBJECT_0);

  // With input queued the wait completes at once.
  events = 0;
  ASSERT_TRUE(WaitCommEvent(port, &events, &ov));
  EXPECT_EQ(events, static_cast<DWORD>(EV_RXCHAR));
  ASSERT_TRUE(PurgeComm(port, PURGE_RXCLEAR));

  // SetCommMask ends a pending wait with an empty mask.
  events = 0xFFFF;
  ASSERT_FALSE(WaitCommEvent(port, &events, &ov));
  ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));
  ASSERT_TRUE(SetCommMask(port, 0));
  ASSERT_TRUE(GetOverlappedResult(port, &ov, &done, TRUE));
  EXPECT_EQ(events, 0u);

  // A wait without OVERLAPPED blocks its thread until the mask changes.
  ASSERT_TRUE(SetCommMask(port, EV_RXCHAR));
  std::thread waiter([&] {
    DWORD found = 0xFFFF;
    EXPECT_TRUE(WaitCommEvent(port, &found, nullptr));
    EXPECT_EQ(found, 0u);
  });
  Sleep(50);
  ASSERT_TRUE(SetCommMask(port, 0));
  waiter.join();

  // With an empty mask there is nothing to wait for.
  events = 0xFFFF;
  EXPECT_FALSE(WaitCommEvent(port, &events, &ov));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  // Closing with a wait pending completes it.
  ASSERT_TRUE(SetCommMask(port, EV_RXCHAR));
  ASSERT_FALSE(WaitCommEvent(port, &events, &ov));
  CloseHandle(port);
  ASSERT_TRUE(GetOverlappedResult(port, &ov, &done, TRUE));
  CloseHandle(ov.hEvent);
}

TEST(CommLines, EscapesBreaksAndProperties) {
  qvtest::PtyPair pty(45);
  ASSERT_TRUE(pty.ok());
  HANDLE port = OpenPort(pty.name());
  ASSERT_NE(port, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(EscapeCommFunction(port, CLRDTR));
  DCB dcb{};
  ASSERT_TRUE(GetCommState(port, &dcb));
  EXPECT_TRUE(EscapeCommFunction(port, SETDTR));
  EXPECT_TRUE(EscapeCommFunction(port, SETRTS));
  EXPECT_FALSE(EscapeCommFunction(port, 42));
  EXPECT_TRUE(SetCommBreak(port));
  EXPECT_TRUE(ClearCommBreak(port));
  EXPECT_TRUE(SetupComm(port, 4096, 4096));
  COMMPROP prop{};
  ASSERT_TRUE(GetCommProperties(port, &prop));
  EXPECT_EQ(prop.dwCurrentRxQueue, 4096u);
  COMMCONFIG config{};
  DWORD size = sizeof config;
  ASSERT_TRUE(GetCommConfig(port, &config, &size));
  config.dcb.BaudRate = 9600;
  ASSERT_TRUE(SetCommConfig(port, &config, size));
  ASSERT_TRUE(GetCommState(port, &dcb));
  EXPECT_EQ(dcb.BaudRate, 9600u);
  CloseHandle(port);
  // Calls on a handle that is no port.
  EXPECT_FALSE(GetCommState(nullptr, &dcb));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

}  // namespace
