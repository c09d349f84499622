#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "net/net_test_util.h"
#include "qvplatform.h"

namespace {

using nettest::ClosedPort;
using nettest::kPatienceMs;
using nettest::Listener;
using nettest::Loopback;
using nettest::PortOf;
using nettest::Sa;
using nettest::WinsockTest;

// Connects a blocking client to 127.0.0.1:port and accepts it on `listener`.
void Pair(SOCKET listener, u_short port, SOCKET* client, SOCKET* server) {
  *client = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in to = Loopback(port);
  ASSERT_EQ(connect(*client, Sa(to), sizeof to), 0) << WSAGetLastError();
  *server = accept(listener, nullptr, nullptr);
  ASSERT_NE(*server, INVALID_SOCKET) << WSAGetLastError();
}

// Calls connect on a non-blocking socket until it stops answering "pending";
// returns every answer in order.
std::vector<int> ConnectUntilSettled(SOCKET s, u_short port) {
  sockaddr_in to = Loopback(port);
  std::vector<int> answers;
  DWORD start = GetTickCount();
  for (;;) {
    int r = connect(s, Sa(to), sizeof to);
    int answer = r == 0 ? 0 : WSAGetLastError();
    answers.push_back(answer);
    if (answer != WSAEWOULDBLOCK && answer != WSAEALREADY) return answers;
    if (GetTickCount() - start > kPatienceMs) return answers;
    Sleep(1);
  }
}

TEST(WinsockStartup, VersionsAndCounting) {
  WSADATA data;
  EXPECT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
  EXPECT_EQ(data.wVersion, MAKEWORD(1, 1));
  EXPECT_EQ(data.wHighVersion, MAKEWORD(2, 2));
  EXPECT_EQ(WSAStartup(MAKEWORD(3, 0), &data), 0);
  EXPECT_EQ(data.wVersion, MAKEWORD(2, 2));
  EXPECT_EQ(WSAStartup(MAKEWORD(0, 9), &data), WSAVERNOTSUPPORTED);
  EXPECT_EQ(WSAStartup(MAKEWORD(2, 2), nullptr), WSAEFAULT);

  SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_NE(s, INVALID_SOCKET);
  EXPECT_EQ(WSACleanup(), 0);  // one start is left: the socket lives on
  int type = 0, len = sizeof type;
  EXPECT_EQ(getsockopt(s, SOL_SOCKET, SO_TYPE, reinterpret_cast<char*>(&type), &len), 0);
  EXPECT_EQ(type, SOCK_STREAM);

  EXPECT_EQ(WSACleanup(), 0);  // the last one closes it
  EXPECT_EQ(socket(AF_INET, SOCK_STREAM, 0), INVALID_SOCKET);
  EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
  EXPECT_EQ(WSACleanup(), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);

  ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
  EXPECT_EQ(closesocket(s), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
  EXPECT_EQ(WSACleanup(), 0);
}

TEST(WinsockStartup, LastErrorIsTheThreads) {
  WSASetLastError(WSAECONNRESET);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(WSAECONNRESET));
  std::thread([] { EXPECT_NE(WSAGetLastError(), WSAECONNRESET); }).join();
  EXPECT_EQ(WSAGetLastError(), WSAECONNRESET);
}

TEST_F(WinsockTest, TcpExchangeBothWays) {
  u_short port = 0;
  SOCKET listener = Listener(&port);
  ASSERT_NE(listener, INVALID_SOCKET);
  SOCKET client = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in to = Loopback(port);
  ASSERT_EQ(connect(client, Sa(to), sizeof to), 0);
  sockaddr_in peer{};
  int peer_len = sizeof peer;
  SOCKET server = accept(listener, reinterpret_cast<sockaddr*>(&peer), &peer_len);
  ASSERT_NE(server, INVALID_SOCKET);
  EXPECT_EQ(peer_len, static_cast<int>(sizeof peer));
  EXPECT_EQ(peer.sin_addr.s_addr, htonl(INADDR_LOOPBACK));
  EXPECT_EQ(ntohs(peer.sin_port), PortOf(client));

  const std::string request = "GET / HTTP/1.0\r\n\r\n";
  EXPECT_EQ(send(client, request.data(), static_cast<int>(request.size()), 0), static_cast<int>(request.size()));
  char buf[64] = {};
  int got = recv(server, buf, sizeof buf, 0);
  ASSERT_GT(got, 0);
  std::string received(buf, static_cast<size_t>(got));
  while (received.size() < request.size()) {
    got = recv(server, buf, sizeof buf, 0);
    ASSERT_GT(got, 0);
    received.append(buf, static_cast<size_t>(got));
  }
  EXPECT_EQ(received, request);

  EXPECT_EQ(send(server, "pong", 4, 0), 4);
  EXPECT_EQ(shutdown(server, SD_SEND), 0);
  EXPECT_EQ(recv(client, buf, 4, MSG_WAITALL), 4);
  EXPECT_EQ(std::string(buf, 4), "pong");
  EXPECT_EQ(recv(client, buf, sizeof buf, 0), 0);  // the server's end of stream
  EXPECT_EQ(send(server, "x", 1, 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAESHUTDOWN);

  sockaddr_in seen{};
  int seen_len = sizeof seen;
  EXPECT_EQ(getpeername(client, reinterpret_cast<sockaddr*>(&seen), &seen_len), 0);
  EXPECT_EQ(ntohs(seen.sin_port), port);
  for (SOCKET s : {client, server, listener}) EXPECT_EQ(closesocket(s), 0);
}

TEST_F(WinsockTest, NonBlockingConnectReportsPendingThenConnected) {
  u_short port = 0;
  SOCKET listener = Listener(&port);
  SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  u_long on = 1;
  ASSERT_EQ(ioctlsocket(s, FIONBIO, &on), 0);
  std::vector<int> answers = ConnectUntilSettled(s, port);
  ASSERT_GE(answers.size(), 2u);
  EXPECT_EQ(answers.front(), WSAEWOULDBLOCK);
  EXPECT_EQ(answers.back(), WSAEISCONN);
  for (size_t i = 1; i + 1 < answers.size(); ++i) EXPECT_EQ(answers[i], WSAEALREADY);
  // Once connected, every further call says so.
  sockaddr_in to = Loopback(port);
  EXPECT_EQ(connect(s, Sa(to), sizeof to), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEISCONN);
  closesocket(s);
  closesocket(listener);
}

TEST_F(WinsockTest, NonBlockingConnectToClosedPortIsRefusedOnceThenRetried) {
  u_short port = ClosedPort();
  SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  u_long on = 1;
  ASSERT_EQ(ioctlsocket(s, FIONBIO, &on), 0);
  std::vector<int> answers = ConnectUntilSettled(s, port);
  ASSERT_GE(answers.size(), 2u);
  EXPECT_EQ(answers.front(), WSAEWOULDBLOCK);
  EXPECT_EQ(answers.back(), WSAECONNREFUSED);
  // The failure was answered; the next call is a new attempt.
  answers = ConnectUntilSettled(s, port);
  EXPECT_EQ(answers.front(), WSAEWOULDBLOCK);
  EXPECT_EQ(answers.back(), WSAECONNREFUSED);
  closesocket(s);
}

TEST_F(WinsockTest, BlockingConnectToClosedPortIsRefused) {
  SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in to = Loopback(ClosedPort());
  EXPECT_EQ(connect(s, Sa(to), sizeof to), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAECONNREFUSED);
  sockaddr_in any = Loopback(80);
  any.sin_addr.s_addr = INADDR_ANY;
  EXPECT_EQ(connect(s, Sa(any), sizeof any), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEADDRNOTAVAIL);
  EXPECT_EQ(connect(s, Sa(to), sizeof to - 1), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEFAULT);
  closesocket(s);
}

TEST_F(WinsockTest, SelectWithWindowsSets) {
  fd_set set;
  FD_ZERO(&set);
  EXPECT_EQ(set.fd_count, 0u);
  FD_SET(10, &set);
  FD_SET(20, &set);
  FD_SET(10, &set);  // once only
  EXPECT_EQ(set.fd_count, 2u);
  EXPECT_TRUE(FD_ISSET(20, &set));
  FD_CLR(10, &set);
  EXPECT_EQ(set.fd_count, 1u);
  EXPECT_EQ(set.fd_array[0], 20u);
  EXPECT_FALSE(FD_ISSET(10, &set));
  for (SOCKET s = 100; s < 200; ++s) FD_SET(s, &set);
  EXPECT_EQ(set.fd_count, static_cast<u_int>(FD_SETSIZE));

  u_short port = 0;
  SOCKET listener = Listener(&port);
  timeval none = {0, 0};
  FD_ZERO(&set);
  FD_SET(listener, &set);
  EXPECT_EQ(select(0, &set, nullptr, nullptr, &none), 0);  // nobody is waiting yet
  EXPECT_EQ(set.fd_count, 0u);

  // A pending connection makes the listener readable; a connecting socket
  // becomes writable once connected.
  SOCKET client = socket(AF_INET, SOCK_STREAM, 0);
  u_long on = 1;
  ioctlsocket(client, FIONBIO, &on);
  sockaddr_in to = Loopback(port);
  EXPECT_EQ(connect(client, Sa(to), sizeof to), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
  fd_set readable, writable;
  FD_ZERO(&readable);
  FD_SET(listener, &readable);
  timeval patience = {static_cast<LONG>(kPatienceMs / 1000), 0};
  EXPECT_EQ(select(0, &readable, nullptr, nullptr, &patience), 1);
  EXPECT_TRUE(FD_ISSET(listener, &readable));
  SOCKET server = accept(listener, nullptr, nullptr);
  ASSERT_NE(server, INVALID_SOCKET);
  FD_ZERO(&writable);
  FD_SET(client, &writable);
  EXPECT_EQ(select(0, nullptr, &writable, nullptr, &patience), 1);
  EXPECT_TRUE(FD_ISSET(client, &writable));

  // Data makes the peer readable; both sets are counted.
  EXPECT_EQ(send(client, "abc", 3, 0), 3);
  FD_ZERO(&readable);
  FD_SET(server, &readable);
  FD_ZERO(&writable);
  FD_SET(server, &writable);
  EXPECT_EQ(select(0, &readable, &writable, nullptr, &patience), 2);

  // A refused attempt lands in the except set and is kept for SO_ERROR.
  SOCKET refused = socket(AF_INET, SOCK_STREAM, 0);
  ioctlsocket(refused, FIONBIO, &on);
  sockaddr_in closed = Loopback(ClosedPort());
  connect(refused, Sa(closed), sizeof closed);
  fd_set failed;
  FD_ZERO(&failed);
  FD_SET(refused, &failed);
  FD_ZERO(&writable);
  FD_SET(refused, &writable);
  EXPECT_EQ(select(0, nullptr, &writable, &failed, &patience), 1);
  EXPECT_EQ(writable.fd_count, 0u);
  EXPECT_TRUE(FD_ISSET(refused, &failed));
  int err = 0, len = sizeof err;
  EXPECT_EQ(getsockopt(refused, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&err), &len), 0);
  EXPECT_EQ(err, WSAECONNREFUSED);
  EXPECT_EQ(getsockopt(refused, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&err), &len), 0);
  EXPECT_EQ(err, 0);  // reading it cleared it

  // No sets at all, a bad time-out or a stranger are refused.
  EXPECT_EQ(select(0, nullptr, nullptr, nullptr, &none), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEINVAL);
  timeval negative = {-1, 0};
  EXPECT_EQ(select(0, &readable, nullptr, nullptr, &negative), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEINVAL);
  FD_ZERO(&readable);
  FD_SET(static_cast<SOCKET>(12345), &readable);
  EXPECT_EQ(select(0, &readable, nullptr, nullptr, &none), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
  for (SOCKET s : {client, server, listener, refused}) closesocket(s);
}

TEST_F(WinsockTest, ReceiveTimeOutAndCloseFromAnotherThread) {
  u_short port = 0;
  SOCKET listener = Listener(&port);
  SOCKET client, server;
  Pair(listener, port, &client, &server);

  DWORD ms = 100;
  ASSERT_EQ(setsockopt(server, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&ms), sizeof ms), 0);
  char buf[8];
  EXPECT_EQ(recv(server, buf, sizeof buf, 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAETIMEDOUT);

  // Blocked calls end when another thread closes their socket.
  std::atomic<int> recv_error{0}, accept_error{0}, select_error{0};
  std::atomic<int> started{0};
  std::thread reader([&] {
    ++started;
    if (recv(client, buf, sizeof buf, 0) == SOCKET_ERROR) recv_error = WSAGetLastError();
  });
  std::thread acceptor([&] {
    ++started;
    if (accept(listener, nullptr, nullptr) == INVALID_SOCKET) accept_error = WSAGetLastError();
  });
  SOCKET idle = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in any = Loopback(0);
  bind(idle, Sa(any), sizeof any);
  std::thread selector([&] {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(idle, &set);
    ++started;
    if (select(0, &set, nullptr, nullptr, nullptr) == SOCKET_ERROR) select_error = WSAGetLastError();
  });
  for (DWORD start = GetTickCount(); started < 3 && GetTickCount() - start < kPatienceMs;) Sleep(1);
  Sleep(100);  // into their waits
  closesocket(client);
  closesocket(listener);
  closesocket(idle);
  reader.join();
  acceptor.join();
  selector.join();
  EXPECT_EQ(recv_error, WSAEINTR);
  EXPECT_EQ(accept_error, WSAEINTR);
  EXPECT_EQ(select_error, WSAENOTSOCK);
  closesocket(server);
}

TEST_F(WinsockTest, DatagramsWithSenderAndTruncation) {
  SOCKET a = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  SOCKET b = socket(AF_INET, SOCK_DGRAM, 0);
  char buf[64];
  EXPECT_EQ(recv(b, buf, sizeof buf, 0), SOCKET_ERROR);  // not bound: nothing can arrive
  EXPECT_EQ(WSAGetLastError(), WSAEINVAL);
  sockaddr_in any = Loopback(0);
  ASSERT_EQ(bind(a, Sa(any), sizeof any), 0);
  ASSERT_EQ(bind(b, Sa(any), sizeof any), 0);
  sockaddr_in to_b = Loopback(PortOf(b));
  EXPECT_EQ(sendto(a, "datagram", 8, 0, Sa(to_b), sizeof to_b), 8);
  sockaddr_in from{};
  int from_len = sizeof from;
  EXPECT_EQ(recvfrom(b, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &from_len), 8);
  EXPECT_EQ(std::string(buf, 8), "datagram");
  EXPECT_EQ(ntohs(from.sin_port), PortOf(a));
  EXPECT_EQ(from.sin_addr.s_addr, htonl(INADDR_LOOPBACK));

  // A datagram longer than the buffer: the start is kept, the rest lost.
  EXPECT_EQ(sendto(a, "0123456789", 10, 0, Sa(to_b), sizeof to_b), 10);
  EXPECT_EQ(recvfrom(b, buf, 4, 0, nullptr, nullptr), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEMSGSIZE);
  EXPECT_EQ(std::string(buf, 4), "0123");
  u_long on = 1, pending = 99;
  ioctlsocket(b, FIONBIO, &on);
  EXPECT_EQ(ioctlsocket(b, FIONREAD, &pending), 0);
  EXPECT_EQ(pending, 0u);
  EXPECT_EQ(recv(b, buf, sizeof buf, 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);

  // A sender too short for an address is refused before anything moves.
  EXPECT_EQ(recvfrom(b, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &(from_len = 8)), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEFAULT);
  closesocket(a);
  closesocket(b);
}

TEST_F(WinsockTest, OptionsInWindowsLayouts) {
  SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  int value = -1, len = sizeof value;
  EXPECT_EQ(getsockopt(s, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<char*>(&value), &len), 0);
  EXPECT_EQ(value, 0);
  BOOL on = TRUE;
  EXPECT_EQ(setsockopt(s, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&on), sizeof on), 0);
  EXPECT_EQ(getsockopt(s, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<char*>(&value), &len), 0);
  EXPECT_EQ(value, 1);

  DWORD ms = 2500, back = 0;
  len = sizeof back;
  EXPECT_EQ(setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&ms), sizeof ms), 0);
  EXPECT_EQ(getsockopt(s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<char*>(&back), &len), 0);
  EXPECT_EQ(back, 2500u);
  EXPECT_EQ(len, 4);

  linger l{1, 7}, lback{};
  len = sizeof lback;
  EXPECT_EQ(setsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&l), sizeof l), 0);
  EXPECT_EQ(getsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<char*>(&lback), &len), 0);
  EXPECT_EQ(lback.l_onoff, 1);
  EXPECT_EQ(lback.l_linger, 7);
  EXPECT_EQ(len, 4);
  BOOL dont = TRUE;
  EXPECT_EQ(setsockopt(s, SOL_SOCKET, SO_DONTLINGER, reinterpret_cast<const char*>(&dont), sizeof dont), 0);
  EXPECT_EQ(getsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<char*>(&lback), &len), 0);
  EXPECT_EQ(lback.l_onoff, 0);

  EXPECT_EQ(setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on), 0);
  len = sizeof value;
  EXPECT_EQ(getsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<char*>(&value), &len), 0);
  EXPECT_EQ(value, 1);

  EXPECT_EQ(getsockopt(s, SOL_SOCKET, 0x7777, reinterpret_cast<char*>(&value), &len), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAENOPROTOOPT);
  len = 2;
  EXPECT_EQ(getsockopt(s, SOL_SOCKET, SO_TYPE, reinterpret_cast<char*>(&value), &len), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEFAULT);
  EXPECT_EQ(setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&ms), 2), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEFAULT);
  closesocket(s);
}

TEST_F(WinsockTest, WindowsAnswersWhereLinuxWouldDiffer) {
  SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in name{};
  int len = sizeof name;
  EXPECT_EQ(getsockname(s, reinterpret_cast<sockaddr*>(&name), &len), SOCKET_ERROR);  // not bound
  EXPECT_EQ(WSAGetLastError(), WSAEINVAL);
  EXPECT_EQ(listen(s, 5), SOCKET_ERROR);  // Linux would pick a port itself
  EXPECT_EQ(WSAGetLastError(), WSAEINVAL);
  char buf[4];
  EXPECT_EQ(recv(s, buf, sizeof buf, 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAENOTCONN);
  EXPECT_EQ(send(s, buf, -1, 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEFAULT);

  u_short port = 0;
  SOCKET listener = Listener(&port);
  sockaddr_in same = Loopback(port);
  EXPECT_EQ(bind(s, Sa(same), sizeof same), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEADDRINUSE);
  u_long on = 1;
  ioctlsocket(listener, FIONBIO, &on);
  EXPECT_EQ(accept(listener, nullptr, nullptr), INVALID_SOCKET);
  EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
  EXPECT_EQ(ioctlsocket(listener, 0x12345, &on), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEINVAL);

  EXPECT_EQ(socket(23, SOCK_STREAM, 0), INVALID_SOCKET);
  EXPECT_EQ(WSAGetLastError(), WSAEAFNOSUPPORT);
  EXPECT_EQ(socket(AF_INET, 9, 0), INVALID_SOCKET);
  EXPECT_EQ(WSAGetLastError(), WSAESOCKTNOSUPPORT);
  EXPECT_EQ(socket(AF_INET, SOCK_STREAM, IPPROTO_UDP), INVALID_SOCKET);
  EXPECT_EQ(WSAGetLastError(), WSAEPROTONOSUPPORT);

  closesocket(listener);
  closesocket(s);
  EXPECT_EQ(send(s, buf, 1, 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
}

TEST_F(WinsockTest, ListenerRebindsWhileOldConnectionsLinger) {
  u_short port = 0;
  SOCKET listener = Listener(&port);
  SOCKET client, server;
  Pair(listener, port, &client, &server);
  // The server side closes first, leaving its end of the port waiting.
  closesocket(server);
  closesocket(client);
  closesocket(listener);
  SOCKET again = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in same = Loopback(port);
  EXPECT_EQ(bind(again, Sa(same), sizeof same), 0) << WSAGetLastError();
  EXPECT_EQ(listen(again, SOMAXCONN), 0);
  closesocket(again);
}

TEST(WinsockModules, ExportTablesNameTheCalls) {
  HMODULE wsock = LoadLibraryA("WSOCK32.DLL");
  ASSERT_NE(wsock, nullptr);
  // The entry points the program binds by name.
  for (const char* name : {"WSACleanup", "WSAStartup", "WSAAsyncSelect", "WSACancelAsyncRequest", "connect", "socket",
                           "gethostbyname", "WSAAsyncGetHostByAddr", "gethostbyaddr", "send", "recv", "closesocket",
                           "htons", "getsockopt", "inet_addr", "WSAGetLastError", "ioctlsocket", "gethostname", "bind",
                           "select", "listen", "accept"}) {
    EXPECT_NE(GetProcAddress(wsock, name), nullptr) << name;
  }
  EXPECT_EQ(GetProcAddress(wsock, "inet_addr"), reinterpret_cast<FARPROC>(&inet_addr));
  using SelectFn = int (*)(int, fd_set*, fd_set*, fd_set*, const timeval*);
  EXPECT_EQ(GetProcAddress(wsock, "select"), reinterpret_cast<FARPROC>(static_cast<SelectFn>(&select)));
  HMODULE ws2 = LoadLibraryA("ws2_32.dll");
  ASSERT_NE(ws2, nullptr);
  EXPECT_EQ(GetProcAddress(ws2, "__WSAFDIsSet"), reinterpret_cast<FARPROC>(&QvWsFdIsSet));
  FreeLibrary(ws2);
  FreeLibrary(wsock);
}

}  // namespace
