// CCommPort on a pseudo terminal: the waits for expected answers and how they
// end, exclusive use, the trace files and the comm-event thread.
#include "comm_port.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <thread>

#include "alert_runtime.h"
#include "comm/pty_pair.h"
#include "test_files.h"

namespace {

const char* const kOk[] = {"OK"};

class CommPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty_.ok());
    SetAlertTestCancelled(false);
  }
  void TearDown() override {
    SetAlertTestCancelled(false);
    SetCommTraceDirectory(nullptr);
  }
  qvtest::PtyPair pty_{61};
};

TEST_F(CommPortTest, WaitsEndOnAMatchATimeOrAFullBuffer) {
  CCommPort port(pty_.name().c_str());
  ASSERT_TRUE(port.IsOpen());
  char buffer[64];
  char matched[32];
  int err = -1;

  pty_.Send(std::string("\0\0OK\r\n", 6));  // a NUL does not hide what follows
  int got = port.ReadResponse(buffer, sizeof buffer, kOk, 1, 60000, matched, sizeof matched, &err);
  EXPECT_EQ(err, 0);
  EXPECT_STREQ(matched, "OK");
  EXPECT_GE(got, 4);

  got = port.ReadResponse(buffer, sizeof buffer, kOk, 1, 300, matched, sizeof matched, &err);
  EXPECT_EQ(got, 0);
  EXPECT_EQ(err, 1460);
  EXPECT_STREQ(matched, "");

  // Both answers arrive: the later one of the list is the match.
  const char* const dial[] = {"NO CARRIER", "CONNECT"};
  pty_.Send("\r\nNO CARRIER\r\n\r\nCONNECT 19200\r\n");
  for (int tries = 0; tries < 50; ++tries) {
    COMSTAT stat{};
    port.ClearCommError(nullptr, &stat);
    if (stat.cbInQue >= 31) break;
    Sleep(10);
  }
  port.ReadResponse(buffer, sizeof buffer, dial, 2, 60000, matched, sizeof matched, &err);
  EXPECT_EQ(err, 0);
  EXPECT_STREQ(matched, "CONNECT");

  // 15 bytes fill a 16-byte buffer, which stays terminated.
  pty_.Send(std::string(40, 'x'));
  char small[16];
  got = port.ReadResponse(small, sizeof small, kOk, 1, 60000, matched, sizeof matched, &err);
  EXPECT_EQ(got, 15);
  EXPECT_EQ(err, 5000);
  EXPECT_EQ(small[15], '\0');
  // The time-outs stay at their waiting setting.
  COMMTIMEOUTS timeouts{};
  ASSERT_TRUE(port.GetCommTimeouts(&timeouts));
  EXPECT_EQ(timeouts.ReadIntervalTimeout, MAXDWORD);
  EXPECT_EQ(timeouts.ReadTotalTimeoutConstant, 1000u);
}

TEST_F(CommPortTest, ACancelOrAStopEndsAWaitQuickly) {
  CCommPort port(pty_.name().c_str());
  ASSERT_TRUE(port.IsOpen());
  char buffer[64];
  char matched[32];
  int err = -1;

  // The test-cancel flag counts only for a test.
  port.WatchStop(true, nullptr);
  std::thread cancel([] {
    Sleep(100);
    SetAlertTestCancelled(true);
  });
  const ULONGLONG start = GetTickCount64();
  port.ReadResponse(buffer, sizeof buffer, kOk, 1, 120000, matched, sizeof matched, &err);
  cancel.join();
  EXPECT_EQ(err, 5001);
  EXPECT_LT(GetTickCount64() - start, 60000u);  // nowhere near the two minutes

  port.WatchStop(false, nullptr);
  port.ReadResponse(buffer, sizeof buffer, kOk, 1, 100, matched, sizeof matched, &err);
  EXPECT_EQ(err, 1460);  // a real page ignores the flag

  std::atomic<bool> running{false};
  port.WatchStop(false, &running);
  port.ReadResponse(buffer, sizeof buffer, kOk, 1, 120000, matched, sizeof matched, &err);
  EXPECT_EQ(err, 5001);
}

TEST_F(CommPortTest, OneUserAtATimeAndAMissingDevice) {
  CCommPort first(pty_.name().c_str());
  ASSERT_TRUE(first.IsOpen());
  CCommPort second(pty_.name().c_str());
  EXPECT_FALSE(second.IsOpen());
  EXPECT_EQ(second.GetLastErrorCode(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(second.Write("AT\r"), 0u);

  qvp::SetSerialDevice(62, "/nonexistent/ttyX");
  CCommPort missing("COM62");
  EXPECT_FALSE(missing.IsOpen());
  qvp::SetSerialDevice(62, nullptr);
  // Handshake modes keep DTR and RTS from being set by hand.
  EXPECT_FALSE(first.EscapeCommFunction(CLRDTR));
  EXPECT_TRUE(first.EscapeCommFunction(SETBREAK));
}

TEST_F(CommPortTest, TraceFilesAreTheOwnersAlone) {
  qvtest::TempDir dir("qvcommtrace");
  SetCommTraceDirectory(dir.path().string().c_str());
  {
    CCommPort port(pty_.name().c_str());
    ASSERT_TRUE(port.IsOpen());
    port.Write("ATZ\r");
    EXPECT_EQ(pty_.Receive(4), "ATZ\r");
    pty_.Send("OK");
    char buffer[64];
    char matched[32];
    int err = -1;
    port.ReadResponse(buffer, sizeof buffer, kOk, 1, 60000, matched, sizeof matched, &err);
    EXPECT_EQ(err, 0);
  }
  EXPECT_EQ(dir.read("out.txt"), "ATZ\r\n");
  const std::string in = dir.read("in.txt");
  std::string bytes;
  for (const char c : in) {
    if (c != '\n') bytes += c;
  }
  EXPECT_EQ(bytes, "OK");
  for (const char* leaf : {"in.txt", "out.txt"}) {
    struct stat st{};
    ASSERT_EQ(stat(dir.file(leaf).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << leaf;
  }
}

DWORD WINAPI EventLoop(LPVOID argument) {
  auto* port = static_cast<CCommPort*>(argument);
  DWORD seen = 0;
  while (port->WaitEvent()) {
    const DWORD mask = port->GetEventResult(true);
    if (mask == 0) break;  // the mask was cleared: time to end
    seen |= mask;
    char buffer[64];
    port->Read(buffer, sizeof buffer, false);
  }
  return 100 + seen;
}

TEST_F(CommPortTest, StoppingTheEventThreadEndsItsWait) {
  CCommPort port(pty_.name().c_str());
  ASSERT_TRUE(port.IsOpen());
  ASSERT_TRUE(port.StartEventThread(EventLoop, nullptr));
  EXPECT_FALSE(port.StartEventThread(EventLoop, nullptr));
  EXPECT_EQ(port.GetLastErrorCode(), 183u);
  pty_.Send("R");
  Sleep(50);
  const DWORD code = port.StopEventThread();
  EXPECT_TRUE(code == 100u || code == 100u + EV_RXCHAR) << code;
  EXPECT_EQ(port.StopEventThread(), 0u);
}

}  // namespace
