#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "net/net_test_util.h"
#include "qvplatform.h"

namespace {

using nettest::ClosedPort;
using nettest::Listener;
using nettest::Loopback;
using nettest::MessageWindow;
using nettest::Sa;
using nettest::WinsockTest;

constexpr UINT kSocketMsg = WM_USER + 54;
constexpr UINT kLookupMsg = WM_USER + 55;

// Settling time before checking that a message did NOT come.
constexpr DWORD kSettleMs = 150;

// The threads the process runs now.
int ThreadCount() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("Threads:", 0) == 0) return std::stoi(line.substr(8));
  }
  return -1;
}

class AsyncSelectTest : public WinsockTest {
 protected:
  // The next socket message; fails the test when none comes.
  MSG Next() {
    std::optional<MSG> m = window.Next(kSocketMsg);
    EXPECT_TRUE(m.has_value()) << "no socket message";
    return m.value_or(MSG{});
  }
  MessageWindow window;
};

TEST_F(AsyncSelectTest, ListenerAcceptReadAndCloseWithReenabling) {
  u_short port = 0;
  SOCKET listener = Listener(&port);
  ASSERT_EQ(WSAAsyncSelect(listener, window.hwnd(), kSocketMsg, FD_ACCEPT | FD_READ | FD_CLOSE), 0);

  SOCKET client = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in to = Loopback(port);
  ASSERT_EQ(connect(client, Sa(to), sizeof to), 0);
  MSG m = Next();
  EXPECT_EQ(m.wParam, listener);
  EXPECT_EQ(WSAGETSELECTEVENT(m.lParam), FD_ACCEPT);
  EXPECT_EQ(WSAGETSELECTERROR(m.lParam), 0);

  // A second caller waits: FD_ACCEPT comes again only after accept.
  SOCKET client2 = socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_EQ(connect(client2, Sa(to), sizeof to), 0);
  EXPECT_TRUE(window.Quiet(kSocketMsg, kSettleMs));
  SOCKET server = accept(listener, nullptr, nullptr);
  ASSERT_NE(server, INVALID_SOCKET);
  m = Next();
  EXPECT_EQ(m.wParam, listener);
  EXPECT_EQ(WSAGETSELECTEVENT(m.lParam), FD_ACCEPT);
  SOCKET server2 = accept(listener, nullptr, nullptr);
  ASSERT_NE(server2, INVALID_SOCKET);

  // The accepted socket has the listener's registration and is non-blocking.
  char buf[16];
  EXPECT_EQ(recv(server, buf, sizeof buf, 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
  ASSERT_EQ(send(client, "hello", 5, 0), 5);
  m = Next();
  EXPECT_EQ(m.wParam, server);
  EXPECT_EQ(WSAGETSELECTEVENT(m.lParam), FD_READ);
  // Reading part of the data re-enables FD_READ, which comes again for the rest.
  EXPECT_EQ(recv(server, buf, 2, 0), 2);
  m = Next();
  EXPECT_EQ(m.wParam, server);
  EXPECT_EQ(WSAGETSELECTEVENT(m.lParam), FD_READ);
  EXPECT_EQ(recv(server, buf, sizeof buf, 0), 3);
  EXPECT_EQ(std::string(buf, 3), "llo");
  EXPECT_TRUE(window.Quiet(kSocketMsg, kSettleMs));

  // Data followed by the close: the data is announced and can be read first;
  // FD_CLOSE comes once nothing is left.
  ASSERT_EQ(send(client, "tail", 4, 0), 4);
  closesocket(client);
  std::string received;
  bool closed = false;
  while (!closed) {
    m = Next();
    if (m.message != kSocketMsg) break;
    ASSERT_EQ(m.wParam, server);
    if (WSAGETSELECTEVENT(m.lParam) == FD_READ) {
      int n = recv(server, buf, 1, 0);  // one byte at a time: FD_READ keeps coming
      if (n > 0) received.append(buf, 1);
    } else {
      EXPECT_EQ(WSAGETSELECTEVENT(m.lParam), FD_CLOSE);
      EXPECT_EQ(WSAGETSELECTERROR(m.lParam), 0);
      closed = true;
    }
  }
  EXPECT_TRUE(closed);
  EXPECT_EQ(received, "tail");
  EXPECT_EQ(recv(server, buf, sizeof buf, 0), 0);
  EXPECT_TRUE(window.Quiet(kSocketMsg, kSettleMs));  // FD_CLOSE comes once
  for (SOCKET s : {server, server2, client2, listener}) closesocket(s);
}

TEST_F(AsyncSelectTest, ConnectThenWriteOnTheClientSide) {
  u_short port = 0;
  SOCKET listener = Listener(&port);
  SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_EQ(WSAAsyncSelect(s, window.hwnd(), kSocketMsg, FD_CONNECT | FD_WRITE | FD_READ | FD_CLOSE), 0);
  sockaddr_in to = Loopback(port);
  EXPECT_EQ(connect(s, Sa(to), sizeof to), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
  MSG m = Next();
  EXPECT_EQ(m.wParam, s);
  EXPECT_EQ(WSAGETSELECTEVENT(m.lParam), FD_CONNECT);
  EXPECT_EQ(WSAGETSELECTERROR(m.lParam), 0);
  m = Next();
  EXPECT_EQ(WSAGETSELECTEVENT(m.lParam), FD_WRITE);

  // Fill the pipe until a send would block; FD_WRITE returns once the peer drains it.
  SOCKET server = accept(listener, nullptr, nullptr);
  ASSERT_NE(server, INVALID_SOCKET);
  int small = 4096;
  setsockopt(s, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&small), sizeof small);
  std::vector<char> chunk(65536, 'x');
  size_t total = 0;
  // Fill until a send would block; while the data still moves on into the
  // peer's buffer, room returns and FD_WRITE with it: fill again, until the
  // whole pipe is full and no FD_WRITE comes.
  for (bool full = false; !full;) {
    for (;;) {
      int n = send(s, chunk.data(), static_cast<int>(chunk.size()), 0);
      if (n == SOCKET_ERROR) {
        ASSERT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
        break;
      }
      total += static_cast<size_t>(n);
      ASSERT_LT(total, 256u << 20) << "send never blocked";
    }
    std::optional<MSG> again = window.Next(kSocketMsg, kSettleMs);
    full = !again.has_value();
    if (again) {
      EXPECT_EQ(WSAGETSELECTEVENT(again->lParam), FD_WRITE);
    }
  }
  std::vector<char> sink(65536);
  size_t drained = 0;
  while (drained < total) {
    int n = recv(server, sink.data(), static_cast<int>(sink.size()), 0);
    ASSERT_GT(n, 0);
    drained += static_cast<size_t>(n);
  }
  m = Next();
  EXPECT_EQ(m.wParam, s);
  EXPECT_EQ(WSAGETSELECTEVENT(m.lParam), FD_WRITE);

  // An abortive close of the peer reports the reset.
  linger hard{1, 0};
  setsockopt(server, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&hard), sizeof hard);
  closesocket(server);
  m = Next();
  EXPECT_EQ(WSAGETSELECTEVENT(m.lParam), FD_CLOSE);
  EXPECT_EQ(WSAGETSELECTERROR(m.lParam), WSAECONNRESET);
  closesocket(s);
  closesocket(listener);
}

TEST_F(AsyncSelectTest, RefusedConnectAndCancelling) {
  SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_EQ(WSAAsyncSelect(s, window.hwnd(), kSocketMsg, FD_CONNECT | FD_CLOSE), 0);
  u_long off = 0;
  EXPECT_EQ(ioctlsocket(s, FIONBIO, &off), SOCKET_ERROR);  // stays non-blocking while registered
  EXPECT_EQ(WSAGetLastError(), WSAEINVAL);
  sockaddr_in to = Loopback(ClosedPort());
  connect(s, Sa(to), sizeof to);
  MSG m = Next();
  EXPECT_EQ(WSAGETSELECTEVENT(m.lParam), FD_CONNECT);
  EXPECT_EQ(WSAGETSELECTERROR(m.lParam), WSAECONNREFUSED);
  EXPECT_TRUE(window.Quiet(kSocketMsg, kSettleMs));  // a failed attempt brings no FD_CLOSE

  ASSERT_EQ(WSAAsyncSelect(s, window.hwnd(), 0, 0), 0);
  EXPECT_EQ(ioctlsocket(s, FIONBIO, &off), 0);
  EXPECT_EQ(WSAAsyncSelect(s, nullptr, kSocketMsg, FD_READ), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEINVAL);
  EXPECT_EQ(WSAAsyncSelect(static_cast<SOCKET>(12345), window.hwnd(), kSocketMsg, FD_READ), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
  closesocket(s);
}

TEST_F(AsyncSelectTest, CancelledRegistrationPostsNothingMore) {
  u_short port = 0;
  SOCKET listener = Listener(&port);
  ASSERT_EQ(WSAAsyncSelect(listener, window.hwnd(), kSocketMsg, FD_ACCEPT), 0);
  ASSERT_EQ(WSAAsyncSelect(listener, window.hwnd(), 0, 0), 0);
  SOCKET client = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in to = Loopback(port);
  ASSERT_EQ(connect(client, Sa(to), sizeof to), 0);
  EXPECT_TRUE(window.Quiet(kSocketMsg, kSettleMs));
  // Registering again reports the connection that is already waiting.
  ASSERT_EQ(WSAAsyncSelect(listener, window.hwnd(), kSocketMsg, FD_ACCEPT), 0);
  MSG m = Next();
  EXPECT_EQ(WSAGETSELECTEVENT(m.lParam), FD_ACCEPT);
  closesocket(client);
  closesocket(listener);
}

TEST_F(AsyncSelectTest, CleanupWithRegisteredSocketsStopsTheWatcher) {
  std::thread([] {}).join();  // a sanitizer starts its own helper with the first thread
  const int before = ThreadCount();
  u_short port = 0;
  SOCKET listener = Listener(&port);
  ASSERT_EQ(WSAAsyncSelect(listener, window.hwnd(), kSocketMsg, FD_ACCEPT), 0);
  alignas(8) char buf[MAXGETHOSTSTRUCT];
  ASSERT_NE(WSAAsyncGetHostByName(window.hwnd(), kLookupMsg, "localhost", buf, sizeof buf), nullptr);
  EXPECT_GT(ThreadCount(), before);
  ASSERT_EQ(WSACleanup(), 0);  // closes the socket and joins the threads
  EXPECT_EQ(ThreadCount(), before);
  WSADATA data;
  ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);  // and it starts again on demand
  EXPECT_EQ(closesocket(listener), SOCKET_ERROR);
  SOCKET again = Listener(&port);
  ASSERT_EQ(WSAAsyncSelect(again, window.hwnd(), kSocketMsg, FD_ACCEPT), 0);
  SOCKET client = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in to = Loopback(port);
  ASSERT_EQ(connect(client, Sa(to), sizeof to), 0);
  MSG m = Next();
  EXPECT_EQ(m.wParam, again);
  closesocket(client);
  closesocket(again);
}

TEST_F(AsyncSelectTest, HostLookupPostsIntoTheCallersBuffer) {
  alignas(8) char buf[MAXGETHOSTSTRUCT];
  HANDLE task = WSAAsyncGetHostByName(window.hwnd(), kLookupMsg, "localhost", buf, sizeof buf);
  ASSERT_NE(task, nullptr) << WSAGetLastError();
  std::optional<MSG> m = window.Next(kLookupMsg);
  ASSERT_TRUE(m.has_value());
  EXPECT_EQ(m->wParam, reinterpret_cast<WPARAM>(task));
  EXPECT_EQ(WSAGETASYNCERROR(m->lParam), 0);
  EXPECT_GT(WSAGETASYNCBUFLEN(m->lParam), sizeof(hostent));
  auto* h = reinterpret_cast<hostent*>(buf);
  EXPECT_EQ(h->h_addrtype, AF_INET);
  u_long first = 0;
  std::memcpy(&first, h->h_addr_list[0], 4);
  EXPECT_EQ(first, htonl(INADDR_LOOPBACK));
  EXPECT_EQ(WSACancelAsyncRequest(task), SOCKET_ERROR);  // already answered
  EXPECT_EQ(WSAGetLastError(), WSAEALREADY);

  // Too small a buffer: the error and the length that would have been needed.
  char tiny[sizeof(hostent)];
  std::memset(tiny, 0x5a, sizeof tiny);
  task = WSAAsyncGetHostByName(window.hwnd(), kLookupMsg, "localhost", tiny, sizeof tiny);
  ASSERT_NE(task, nullptr);
  m = window.Next(kLookupMsg);
  ASSERT_TRUE(m.has_value());
  EXPECT_EQ(WSAGETASYNCERROR(m->lParam), WSAENOBUFS);
  EXPECT_GT(WSAGETASYNCBUFLEN(m->lParam), sizeof tiny);
  EXPECT_EQ(tiny[0], 0x5a);

  u_long loop = htonl(INADDR_LOOPBACK);
  task = WSAAsyncGetHostByAddr(window.hwnd(), kLookupMsg, reinterpret_cast<const char*>(&loop), 4, AF_INET, buf,
                               sizeof buf);
  ASSERT_NE(task, nullptr);
  m = window.Next(kLookupMsg);
  ASSERT_TRUE(m.has_value());
  EXPECT_EQ(WSAGETASYNCERROR(m->lParam), 0);
  EXPECT_STRNE(reinterpret_cast<hostent*>(buf)->h_name, "");

  EXPECT_EQ(WSACancelAsyncRequest(reinterpret_cast<HANDLE>(0x7fffffff)), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEINVAL);
}

TEST_F(AsyncSelectTest, CancelledLookupLeavesTheBufferAlone) {
  alignas(8) char buf[MAXGETHOSTSTRUCT];
  std::memset(buf, 0x5a, sizeof buf);
  HANDLE task = WSAAsyncGetHostByName(window.hwnd(), kLookupMsg, "localhost", buf, sizeof buf);
  ASSERT_NE(task, nullptr);
  if (WSACancelAsyncRequest(task) != 0) {
    // The answer won the race; it was posted normally.
    EXPECT_EQ(WSAGetLastError(), WSAEALREADY);
    EXPECT_TRUE(window.Next(kLookupMsg).has_value());
    return;
  }
  ASSERT_EQ(WSACleanup(), 0);  // joins the worker: whatever it did is done now
  for (char c : buf) ASSERT_EQ(c, 0x5a);
  EXPECT_TRUE(window.Quiet(kLookupMsg, 0));
  WSADATA data;
  ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
}


// An accept that fails for want of a descriptor enables FD_ACCEPT again, as
// every accept does: the caller still waiting is announced once more.
TEST_F(AsyncSelectTest, AFailedAcceptEnablesTheAcceptMessageAgain) {
  u_short port = 0;
  SOCKET listener = Listener(&port);
  ASSERT_EQ(WSAAsyncSelect(listener, window.hwnd(), kSocketMsg, FD_ACCEPT), 0);
  SOCKET client = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in to = Loopback(port);
  ASSERT_EQ(connect(client, Sa(to), sizeof to), 0);
  MSG m = Next();
  EXPECT_EQ(WSAGETSELECTEVENT(m.lParam), FD_ACCEPT);

  // No descriptor left: every free one below a limit just above the highest.
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &old), 0);
  int highest = 0;
  for (const std::filesystem::directory_entry& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
    highest = std::max(highest, std::atoi(fd.path().filename().c_str()));
  }
  rlimit tight = old;
  tight.rlim_cur = static_cast<rlim_t>(highest) + 1;
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &tight), 0);
  std::vector<int> fillers;
  for (int fd = dup(0); fd >= 0; fd = dup(0)) fillers.push_back(fd);
  EXPECT_EQ(accept(listener, nullptr, nullptr), INVALID_SOCKET);
  const int error = WSAGetLastError();
  for (int fd : fillers) close(fd);
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &old), 0);
  EXPECT_EQ(error, WSAEMFILE);

  m = Next();
  EXPECT_EQ(m.wParam, listener);
  EXPECT_EQ(WSAGETSELECTEVENT(m.lParam), FD_ACCEPT);
  SOCKET server = accept(listener, nullptr, nullptr);
  EXPECT_NE(server, INVALID_SOCKET);
  closesocket(server);
  closesocket(client);
  closesocket(listener);
}

}  // namespace
