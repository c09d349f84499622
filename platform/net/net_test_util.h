// Test helpers for the net facility: a started library, loopback listeners
// and a window whose posted messages a test waits for.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>

#include "qvplatform.h"

namespace nettest {

// Every wait in the tests is bounded by this; reaching it fails the test.
constexpr DWORD kPatienceMs = 10000;

class WinsockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
  }
  void TearDown() override { EXPECT_EQ(WSACleanup(), 0); }
};

inline sockaddr_in Loopback(u_short port_host_order) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(port_host_order);
  return a;
}

inline const sockaddr* Sa(const sockaddr_in& a) { return reinterpret_cast<const sockaddr*>(&a); }

// The port (host order) a socket is bound to.
inline u_short PortOf(SOCKET s) {
  sockaddr_in a{};
  int len = sizeof a;
  if (getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) != 0) return 0;
  return ntohs(a.sin_port);
}

// A stream socket listening on 127.0.0.1 at a port of the system's choosing.
inline SOCKET Listener(u_short* port, int backlog = 8) {
  SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a = Loopback(0);
  if (s == INVALID_SOCKET || bind(s, Sa(a), sizeof a) != 0 || listen(s, backlog) != 0) return INVALID_SOCKET;
  *port = PortOf(s);
  return s;
}

// A port on 127.0.0.1 that nothing listens on (bound once, then released).
inline u_short ClosedPort() {
  SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a = Loopback(0);
  bind(s, Sa(a), sizeof a);
  u_short port = PortOf(s);
  closesocket(s);
  return port;
}

// A plain top-level window of a class with the default procedure.
class MessageWindow {
 public:
  MessageWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "QvNetTestWindow";
    RegisterClassA(&wc);  // a second registration fails harmlessly
    hwnd_ = CreateWindowExA(0, "QvNetTestWindow", "net test", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                            nullptr);
  }
  ~MessageWindow() { DestroyWindow(hwnd_); }
  MessageWindow(const MessageWindow&) = delete;
  MessageWindow& operator=(const MessageWindow&) = delete;
  HWND hwnd() const { return hwnd_; }

  // The next posted message `msg` for this window, or nothing within the
  // patience. Other messages are dispatched.
  std::optional<MSG> Next(UINT msg, DWORD limit_ms = kPatienceMs) {
    DWORD start = GetTickCount();
    for (;;) {
      MSG m;
      while (PeekMessageA(&m, hwnd_, 0, 0, PM_REMOVE)) {
        if (m.message == msg) return m;
        DispatchMessageA(&m);
      }
      DWORD spent = GetTickCount() - start;
      if (spent >= limit_ms) return std::nullopt;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, limit_ms - spent, QS_ALLINPUT);
    }
  }

  // True when no message `msg` is waiting (after letting `settle_ms` pass).
  bool Quiet(UINT msg, DWORD settle_ms) {
    MSG m;
    Sleep(settle_ms);
    return !PeekMessageA(&m, hwnd_, msg, msg, PM_NOREMOVE);
  }

 private:
  HWND hwnd_ = nullptr;
};

}  // namespace nettest
