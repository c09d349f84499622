// The engine's socket options, control codes and address queries, with
// Windows' option numbers and value layouts.
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

#include "net/async_select.h"
#include "net/socket_entry.h"
#include "net/win_values.h"
#include "net/wsa_map.h"
#include "qvplatform/net_wsa_codes.h"

namespace qvp::net {
namespace {

// Windows' linger: two 16-bit fields.
struct WinLinger {
  uint16_t onoff;
  uint16_t seconds;
};

int ReadInt(const void* value, int len, int* out) {
  if (!value || len < static_cast<int>(sizeof(int))) return WSAEFAULT;
  std::memcpy(out, value, sizeof(int));
  return 0;
}

int WriteValue(void* value, int* len, const void* from, int size) {
  if (!value || !len || *len < size) return WSAEFAULT;
  std::memcpy(value, from, static_cast<size_t>(size));
  *len = size;
  return 0;
}

int WriteInt(void* value, int* len, int v) { return WriteValue(value, len, &v, sizeof v); }

int SetLinuxInt(int fd, int level, int name, int v) {
  return setsockopt(fd, level, name, &v, sizeof v) == 0 ? 0 : WsaFromErrno(errno);
}

int GetLinuxInt(int fd, int level, int name, int* v) {
  socklen_t len = sizeof *v;
  return getsockopt(fd, level, name, v, &len) == 0 ? 0 : WsaFromErrno(errno);
}

int SetSocketLevel(SocketEntry& e, int name, const void* value, int len) {
  int v = 0;
  switch (name) {
    case win::kSoReuseAddr:
      if (int err = ReadInt(value, len, &v)) return err;
      e.reuse_addr = v != 0;
      // Stream sockets always rebind (see OpenSocket); datagram sockets share
      // a port only when asked to.
      if (e.type != win::kSockStream) return SetLinuxInt(e.fd, SOL_SOCKET, SO_REUSEADDR, v != 0);
      return 0;
    case win::kSoKeepAlive:
      if (int err = ReadInt(value, len, &v)) return err;
      return SetLinuxInt(e.fd, SOL_SOCKET, SO_KEEPALIVE, v != 0);
    case win::kSoBroadcast:
      if (int err = ReadInt(value, len, &v)) return err;
      return SetLinuxInt(e.fd, SOL_SOCKET, SO_BROADCAST, v != 0);
    case win::kSoSndBuf:
      if (int err = ReadInt(value, len, &v)) return err;
      return SetLinuxInt(e.fd, SOL_SOCKET, SO_SNDBUF, v);
    case win::kSoRcvBuf:
      if (int err = ReadInt(value, len, &v)) return err;
      return SetLinuxInt(e.fd, SOL_SOCKET, SO_RCVBUF, v);
    case win::kSoSndTimeo:
    case win::kSoRcvTimeo: {
      uint32_t ms = 0;
      if (!value || len < static_cast<int>(sizeof ms)) return WSAEFAULT;
      std::memcpy(&ms, value, sizeof ms);
      (name == win::kSoSndTimeo ? e.snd_timeout_ms : e.rcv_timeout_ms) = ms;
      return 0;
    }
    case win::kSoLinger: {
      WinLinger wl{};
      if (!value || len < static_cast<int>(sizeof wl)) return WSAEFAULT;
      std::memcpy(&wl, value, sizeof wl);
      ::linger l{wl.onoff != 0, wl.seconds};
      return setsockopt(e.fd, SOL_SOCKET, SO_LINGER, &l, sizeof l) == 0 ? 0 : WsaFromErrno(errno);
    }
    case win::kSoDontLinger: {
      if (int err = ReadInt(value, len, &v)) return err;
      ::linger l{};
      socklen_t ll = sizeof l;
      getsockopt(e.fd, SOL_SOCKET, SO_LINGER, &l, &ll);
      l.l_onoff = v == 0;
      return setsockopt(e.fd, SOL_SOCKET, SO_LINGER, &l, sizeof l) == 0 ? 0 : WsaFromErrno(errno);
    }
    default:
      return WSAENOPROTOOPT;
  }
}

int GetSocketLevel(SocketEntry& e, int name, void* value, int* len) {
  int v = 0;
  switch (name) {
    case win::kSoReuseAddr:
      return WriteInt(value, len, e.reuse_addr ? 1 : 0);
    case win::kSoKeepAlive:
    case win::kSoBroadcast:
      if (int err = GetLinuxInt(e.fd, SOL_SOCKET, name == win::kSoKeepAlive ? SO_KEEPALIVE : SO_BROADCAST, &v)) {
        return err;
      }
      return WriteInt(value, len, v != 0);
    case win::kSoSndBuf:
    case win::kSoRcvBuf:
      if (int err = GetLinuxInt(e.fd, SOL_SOCKET, name == win::kSoSndBuf ? SO_SNDBUF : SO_RCVBUF, &v)) return err;
      return WriteInt(value, len, v / 2);  // Linux reports twice the size it was given
    case win::kSoSndTimeo:
    case win::kSoRcvTimeo: {
      uint32_t ms = name == win::kSoSndTimeo ? e.snd_timeout_ms : e.rcv_timeout_ms;
      return WriteValue(value, len, &ms, sizeof ms);
    }
    case win::kSoLinger:
    case win::kSoDontLinger: {
      ::linger l{};
      socklen_t ll = sizeof l;
      if (getsockopt(e.fd, SOL_SOCKET, SO_LINGER, &l, &ll) != 0) return WsaFromErrno(errno);
      if (name == win::kSoDontLinger) return WriteInt(value, len, l.l_onoff == 0);
      WinLinger wl{static_cast<uint16_t>(l.l_onoff != 0), static_cast<uint16_t>(l.l_linger)};
      return WriteValue(value, len, &wl, sizeof wl);
    }
    case win::kSoError: {
      if (!value || !len || *len < static_cast<int>(sizeof(int))) return WSAEFAULT;
      SettleConnect(e);
      int err = e.connect_error;
      e.connect_error = 0;
      if (err == 0) {
        int linux_err = 0;
        GetLinuxInt(e.fd, SOL_SOCKET, SO_ERROR, &linux_err);
        err = WsaFromErrno(linux_err);
      }
      return WriteInt(value, len, err);
    }
    case win::kSoType:
      return WriteInt(value, len, e.type);
    case win::kSoAcceptConn:
      return WriteInt(value, len, e.state == ConnState::kListening);
    default:
      return WSAENOPROTOOPT;
  }
}

int NameOf(SocketId s, bool peer, Inet4* out) {
  EntryPtr e;
  if (int err = LookupSocket(s, &e)) return err;
  std::lock_guard<std::mutex> g(e->lock);
  sockaddr_in a{};
  socklen_t len = sizeof a;
  if (peer) {
    SettleConnect(*e);
    if (e->state != ConnState::kConnected) return WSAENOTCONN;
    if (getpeername(e->fd, reinterpret_cast<sockaddr*>(&a), &len) != 0) return WsaFromErrno(errno);
  } else {
    if (getsockname(e->fd, reinterpret_cast<sockaddr*>(&a), &len) != 0) return WsaFromErrno(errno);
    if (a.sin_port == 0 && a.sin_addr.s_addr == 0) return WSAEINVAL;  // not bound yet
  }
  *out = Inet4{a.sin_addr.s_addr, a.sin_port, true};
  return 0;
}

}  // namespace

int Ioctl(SocketId s, int32_t cmd, uint32_t* arg) {
  EntryPtr e;
  if (int err = LookupSocket(s, &e)) return err;
  if (!arg) return WSAEFAULT;
  std::lock_guard<std::mutex> g(e->lock);
  if (cmd == win::kFionbio) {
    if (*arg == 0 && e->async.events != 0) return WSAEINVAL;  // WSAAsyncSelect keeps it non-blocking
    e->nonblocking = *arg != 0;
    return 0;
  }
  if (cmd == win::kFionread) {
    int n = 0;
    if (e->state == ConnState::kListening) {
      *arg = 0;
      return 0;
    }
    if (ioctl(e->fd, FIONREAD, &n) != 0) return WsaFromErrno(errno);
    *arg = static_cast<uint32_t>(n < 0 ? 0 : n);
    return 0;
  }
  return WSAEINVAL;
}

int SetOption(SocketId s, int level, int name, const void* value, int len) {
  EntryPtr e;
  if (int err = LookupSocket(s, &e)) return err;
  std::lock_guard<std::mutex> g(e->lock);
  if (level == win::kSolSocket) return SetSocketLevel(*e, name, value, len);
  if (level == win::kIpprotoTcp && name == win::kTcpNoDelay) {
    if (e->type != win::kSockStream) return WSAENOPROTOOPT;
    int v = 0;
    if (int err = ReadInt(value, len, &v)) return err;
    return SetLinuxInt(e->fd, IPPROTO_TCP, TCP_NODELAY, v != 0);
  }
  return level == win::kIpprotoTcp || level == win::kIpprotoIp ? WSAENOPROTOOPT : WSAEINVAL;
}

int GetOption(SocketId s, int level, int name, void* value, int* len) {
  EntryPtr e;
  if (int err = LookupSocket(s, &e)) return err;
  std::lock_guard<std::mutex> g(e->lock);
  if (level == win::kSolSocket) return GetSocketLevel(*e, name, value, len);
  if (level == win::kIpprotoTcp && name == win::kTcpNoDelay) {
    if (e->type != win::kSockStream) return WSAENOPROTOOPT;
    int v = 0;
    if (int err = GetLinuxInt(e->fd, IPPROTO_TCP, TCP_NODELAY, &v)) return err;
    return WriteInt(value, len, v != 0);
  }
  return level == win::kIpprotoTcp || level == win::kIpprotoIp ? WSAENOPROTOOPT : WSAEINVAL;
}

int LocalName(SocketId s, Inet4* out) { return NameOf(s, false, out); }

int PeerName(SocketId s, Inet4* out) { return NameOf(s, true, out); }

}  // namespace qvp::net
