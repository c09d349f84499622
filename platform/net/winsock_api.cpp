// The Windows Sockets calls: argument checks, Windows' structures, and the
// thread's last error around the socket engine.
#include <cstring>

#include "net/async_select.h"
#include "net/win_values.h"
#include "net/winsock_internal.h"
#include "qvplatform/ui_window.h"

namespace qvp::net {

static_assert(win::kAfInet == AF_INET && win::kSockStream == SOCK_STREAM && win::kSockDgram == SOCK_DGRAM &&
              win::kSockRaw == SOCK_RAW);
static_assert(win::kIpprotoTcp == IPPROTO_TCP && win::kIpprotoUdp == IPPROTO_UDP && win::kIpprotoIp == IPPROTO_IP);
static_assert(win::kSolSocket == SOL_SOCKET && win::kSoReuseAddr == SO_REUSEADDR && win::kSoKeepAlive == SO_KEEPALIVE &&
              win::kSoBroadcast == SO_BROADCAST && win::kSoLinger == SO_LINGER && win::kSoDontLinger == SO_DONTLINGER &&
              win::kSoSndBuf == SO_SNDBUF && win::kSoRcvBuf == SO_RCVBUF && win::kSoSndTimeo == SO_SNDTIMEO &&
              win::kSoRcvTimeo == SO_RCVTIMEO && win::kSoError == SO_ERROR && win::kSoType == SO_TYPE &&
              win::kSoAcceptConn == SO_ACCEPTCONN && win::kTcpNoDelay == TCP_NODELAY);
static_assert(win::kFionread == FIONREAD && win::kFionbio == FIONBIO);
static_assert(win::kMsgOob == MSG_OOB && win::kMsgPeek == MSG_PEEK && win::kMsgDontRoute == MSG_DONTROUTE &&
              win::kMsgWaitAll == MSG_WAITALL);
static_assert(win::kSdReceive == SD_RECEIVE && win::kSdSend == SD_SEND && win::kSdBoth == SD_BOTH);
static_assert(sizeof(sockaddr_in) == 16 && sizeof(sockaddr) == 16 && sizeof(in_addr) == 4 && sizeof(linger) == 4);
static_assert(sizeof(timeval) == 8 && sizeof(u_long) == 4);

int ReadAddress(const sockaddr* name, int namelen, Inet4* out) {
  if (!name || namelen < static_cast<int>(sizeof(sockaddr_in))) return WSAEFAULT;
  sockaddr_in in{};
  std::memcpy(&in, name, sizeof in);
  if (in.sin_family != AF_INET) return WSAEAFNOSUPPORT;
  out->addr = in.sin_addr.s_addr;
  out->port = in.sin_port;
  return 0;
}

int WriteAddress(const Inet4& a, sockaddr* name, int* namelen) {
  if (!name || !namelen || *namelen < static_cast<int>(sizeof(sockaddr_in))) return WSAEFAULT;
  sockaddr_in in{};
  in.sin_family = AF_INET;
  in.sin_addr.s_addr = a.addr;
  in.sin_port = a.port;
  std::memcpy(name, &in, sizeof in);
  *namelen = sizeof in;
  return 0;
}

}  // namespace qvp::net

using namespace qvp::net;

namespace {

// Out-of-range lengths and missing buffers, as Windows checks them.
bool BadBuffer(const void* buf, int len) { return len < 0 || (!buf && len > 0); }

}  // namespace

// ---------------------------------------------------------------------------
// Start-up

int WINAPI WSAStartup(WORD wVersionRequested, LPWSADATA lpWSAData) {
  const BYTE major = LOBYTE(wVersionRequested);
  const BYTE minor = HIBYTE(wVersionRequested);
  const WORD highest = MAKEWORD(2, 2);
  if (major == 0) {
    if (lpWSAData) lpWSAData->wHighVersion = highest;
    return WSAVERNOTSUPPORTED;
  }
  if (!lpWSAData) return WSAEFAULT;
  std::memset(lpWSAData, 0, sizeof *lpWSAData);
  lpWSAData->wVersion = (major > 2 || (major == 2 && minor > 2)) ? highest : wVersionRequested;
  lpWSAData->wHighVersion = highest;
  lpWSAData->iMaxSockets = major >= 2 ? 0 : 32767;  // version 2 callers must not rely on it
  lpWSAData->iMaxUdpDg = major >= 2 ? 0 : 65467;
  std::strncpy(lpWSAData->szDescription, "Windows Sockets 2.2 over Linux sockets", WSADESCRIPTION_LEN);
  std::strncpy(lpWSAData->szSystemStatus, "Running", WSASYS_STATUS_LEN);
  EngineStartup();
  return 0;
}

int WINAPI WSACleanup(void) {
  bool last = false;
  if (int err = EngineCleanup(&last)) return Fail(err);
  if (last) StopAsyncLookups();
  return 0;
}

int WINAPI WSAGetLastError(void) { return static_cast<int>(GetLastError()); }

void WINAPI WSASetLastError(int iError) { SetLastError(static_cast<DWORD>(iError)); }

// The layer's blocking calls are no Windows Sockets 1.1 blocking hooks, so
// there is never one to report or cancel.
BOOL WINAPI WSAIsBlocking(void) { return FALSE; }

int WINAPI WSACancelBlockingCall(void) { return Fail(WSAEINVAL); }

// ---------------------------------------------------------------------------
// Sockets

SOCKET WINAPI socket(int af, int type, int protocol) {
  SocketId id = 0;
  if (int err = OpenSocket(af, type, protocol, &id)) {
    Fail(err);
    return INVALID_SOCKET;
  }
  return static_cast<SOCKET>(id);
}

int WINAPI closesocket(SOCKET s) {
  if (int err = CloseSocket(s)) return Fail(err);
  return 0;
}

int WINAPI bind(SOCKET s, const sockaddr* name, int namelen) {
  Inet4 local;
  if (int err = ReadAddress(name, namelen, &local)) return Fail(err);
  if (int err = Bind(s, local)) return Fail(err);
  return 0;
}

int WINAPI listen(SOCKET s, int backlog) {
  if (int err = Listen(s, backlog)) return Fail(err);
  return 0;
}

SOCKET WINAPI accept(SOCKET s, sockaddr* addr, int* addrlen) {
  if (addr && (!addrlen || *addrlen < static_cast<int>(sizeof(sockaddr_in)))) {
    Fail(WSAEFAULT);
    return INVALID_SOCKET;
  }
  Inet4 peer;
  SocketId id = 0;
  if (int err = Accept(s, &peer, &id)) {
    Fail(err);
    return INVALID_SOCKET;
  }
  if (addr) WriteAddress(peer, addr, addrlen);
  return static_cast<SOCKET>(id);
}

int WINAPI connect(SOCKET s, const sockaddr* name, int namelen) {
  Inet4 remote;
  if (int err = ReadAddress(name, namelen, &remote)) return Fail(err);
  if (int err = Connect(s, remote)) return Fail(err);
  return 0;
}

int WINAPI send(SOCKET s, const char* buf, int len, int flags) {
  if (BadBuffer(buf, len)) return Fail(WSAEFAULT);
  size_t done = 0;
  if (int err = Send(s, buf, static_cast<size_t>(len), flags, nullptr, &done)) return Fail(err);
  return static_cast<int>(done);
}

int WINAPI sendto(SOCKET s, const char* buf, int len, int flags, const sockaddr* to, int tolen) {
  if (BadBuffer(buf, len)) return Fail(WSAEFAULT);
  Inet4 dest;
  if (to) {
    if (int err = ReadAddress(to, tolen, &dest)) return Fail(err);
  }
  size_t done = 0;
  if (int err = Send(s, buf, static_cast<size_t>(len), flags, to ? &dest : nullptr, &done)) return Fail(err);
  return static_cast<int>(done);
}

int WINAPI recv(SOCKET s, char* buf, int len, int flags) {
  if (BadBuffer(buf, len)) return Fail(WSAEFAULT);
  size_t done = 0;
  if (int err = Recv(s, buf, static_cast<size_t>(len), flags, nullptr, &done)) return Fail(err);
  return static_cast<int>(done);
}

int WINAPI recvfrom(SOCKET s, char* buf, int len, int flags, sockaddr* from, int* fromlen) {
  if (BadBuffer(buf, len)) return Fail(WSAEFAULT);
  if (from && (!fromlen || *fromlen < static_cast<int>(sizeof(sockaddr_in)))) return Fail(WSAEFAULT);
  Inet4 peer;
  size_t done = 0;
  int err = Recv(s, buf, static_cast<size_t>(len), flags, &peer, &done);
  if (from && (err == 0 || err == WSAEMSGSIZE) && peer.set) WriteAddress(peer, from, fromlen);
  if (err) return Fail(err);
  return static_cast<int>(done);
}

int WINAPI shutdown(SOCKET s, int how) {
  if (int err = Shutdown(s, how)) return Fail(err);
  return 0;
}

int WINAPI ioctlsocket(SOCKET s, LONG cmd, u_long* argp) {
  if (int err = Ioctl(s, cmd, argp)) return Fail(err);
  return 0;
}

int WINAPI setsockopt(SOCKET s, int level, int optname, const char* optval, int optlen) {
  if (int err = SetOption(s, level, optname, optval, optlen)) return Fail(err);
  return 0;
}

int WINAPI getsockopt(SOCKET s, int level, int optname, char* optval, int* optlen) {
  if (!optval || !optlen) {
    int err = CheckSocket(s);
    return Fail(err ? err : WSAEFAULT);
  }
  if (int err = GetOption(s, level, optname, optval, optlen)) return Fail(err);
  return 0;
}

int WINAPI getsockname(SOCKET s, sockaddr* name, int* namelen) {
  if (!name || !namelen || *namelen < static_cast<int>(sizeof(sockaddr_in))) return Fail(WSAEFAULT);
  Inet4 a;
  if (int err = LocalName(s, &a)) return Fail(err);
  WriteAddress(a, name, namelen);
  return 0;
}

int WINAPI getpeername(SOCKET s, sockaddr* name, int* namelen) {
  if (!name || !namelen || *namelen < static_cast<int>(sizeof(sockaddr_in))) return Fail(WSAEFAULT);
  Inet4 a;
  if (int err = PeerName(s, &a)) return Fail(err);
  WriteAddress(a, name, namelen);
  return 0;
}

int WINAPI WSAAsyncSelect(SOCKET s, HWND hWnd, u_int wMsg, LONG lEvent) {
  if (lEvent != 0 && !IsWindow(hWnd)) {
    int err = CheckSocket(s);  // a bad socket is named first
    return Fail(err ? err : WSAEINVAL);
  }
  if (int err = AsyncSelect(s, hWnd, wMsg, lEvent)) return Fail(err);
  return 0;
}
