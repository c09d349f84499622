// The engine's socket calls: create, bind, listen, accept, connect, send,
// receive, shut down and close, with Windows' answers and blocking rules.
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "net/async_select.h"
#include "net/socket_entry.h"
#include "net/win_values.h"
#include "net/wsa_map.h"
#include "qvplatform/net_wsa_codes.h"

namespace qvp::net {
namespace {

// A blocking connect gives up after this long, as Windows' default of two
// SYN retransmissions does.
constexpr int64_t kBlockingConnectLimitMs = 21000;

sockaddr_in ToLinux(const Inet4& a) {
  sockaddr_in s{};
  s.sin_family = AF_INET;
  s.sin_addr.s_addr = a.addr;
  s.sin_port = a.port;
  return s;
}

Inet4 FromLinux(const sockaddr_in& s) { return Inet4{s.sin_addr.s_addr, s.sin_port, true}; }

int64_t Limit(uint32_t ms) { return ms == 0 ? -1 : static_cast<int64_t>(ms); }

bool IsBound(int fd) {
  sockaddr_in local{};
  socklen_t len = sizeof local;
  return getsockname(fd, reinterpret_cast<sockaddr*>(&local), &len) == 0 && local.sin_port != 0;
}

// Windows send/recv flags -> Linux flags; false for a flag the call does not take.
bool MapFlags(int win_flags, int allowed, int* out) {
  if (win_flags & ~allowed) return false;
  int f = 0;
  if (win_flags & win::kMsgOob) f |= MSG_OOB;
  if (win_flags & win::kMsgPeek) f |= MSG_PEEK;
  if (win_flags & win::kMsgDontRoute) f |= MSG_DONTROUTE;
  if (win_flags & win::kMsgWaitAll) f |= MSG_WAITALL;
  *out = f;
  return true;
}

// With the entry locked: a stream socket must be connected for data calls.
int RequireConnected(SocketEntry& e) {
  if (e.type != win::kSockStream) return 0;
  SettleConnect(e);
  return e.state == ConnState::kConnected ? 0 : WSAENOTCONN;
}

// Gives the attempt of a socket up (Linux disconnects on an AF_UNSPEC connect).
void AbandonAttempt(SocketEntry& e) {
  sockaddr none{};
  none.sa_family = AF_UNSPEC;
  connect(e.fd, &none, sizeof none);
  e.state = ConnState::kFresh;
}

int ConnectDatagram(SocketEntry& e, const Inet4& remote) {
  std::lock_guard<std::mutex> g(e.lock);
  if (remote.addr == 0) {  // the any-address dissolves the association
    sockaddr none{};
    none.sa_family = AF_UNSPEC;
    connect(e.fd, &none, sizeof none);
    e.state = ConnState::kFresh;
    return 0;
  }
  sockaddr_in to = ToLinux(remote);
  if (connect(e.fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) return WsaFromErrno(errno);
  e.state = ConnState::kConnected;
  return 0;
}

}  // namespace

int OpenSocket(int af, int type, int protocol, SocketId* out) {
  if (!EngineStarted()) return WSANOTINITIALISED;
  if (af != win::kAfInet) return WSAEAFNOSUPPORT;
  int linux_type = 0;
  switch (type) {
    case win::kSockStream:
      if (protocol != 0 && protocol != win::kIpprotoTcp) return WSAEPROTONOSUPPORT;
      linux_type = SOCK_STREAM;
      break;
    case win::kSockDgram:
      if (protocol != 0 && protocol != win::kIpprotoUdp) return WSAEPROTONOSUPPORT;
      linux_type = SOCK_DGRAM;
      break;
    case win::kSockRaw:
      linux_type = SOCK_RAW;
      break;
    default:
      return WSAESOCKTNOSUPPORT;
  }
  int fd = socket(AF_INET, linux_type | SOCK_NONBLOCK | SOCK_CLOEXEC, protocol);
  if (fd < 0) return WsaFromErrno(errno);
  if (type == win::kSockStream) {
    // Windows lets a listener bind its port again while old connections of
    // the port wait out their close; Linux needs this option for that.
    int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  }
  EntryPtr e;
  if (int err = AddSocket(fd, type, &e)) return err;
  *out = e->id;
  return 0;
}

int CloseSocket(SocketId s) { return RemoveSocket(s); }

int Bind(SocketId s, const Inet4& local) {
  EntryPtr e;
  if (int err = LookupSocket(s, &e)) return err;
  std::lock_guard<std::mutex> g(e->lock);
  sockaddr_in a = ToLinux(local);
  if (bind(e->fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) return WsaFromErrno(errno);
  return 0;
}

int Listen(SocketId s, int backlog) {
  EntryPtr e;
  if (int err = LookupSocket(s, &e)) return err;
  bool wake = false;
  {
    std::lock_guard<std::mutex> g(e->lock);
    if (e->type != win::kSockStream) return WSAEOPNOTSUPP;
    if (e->state == ConnState::kConnected || e->state == ConnState::kConnecting) return WSAEISCONN;
    if (!IsBound(e->fd)) return WSAEINVAL;  // Linux would bind a port of its choosing
    if (listen(e->fd, backlog < 0 ? 0 : backlog) != 0) return WsaFromErrno(errno);
    e->state = ConnState::kListening;
    wake = e->async.events != 0;
  }
  if (wake) WakeWatcher();
  return 0;
}

int Accept(SocketId s, Inet4* peer, SocketId* out) {
  EntryPtr e;
  if (int err = LookupSocket(s, &e)) return err;
  for (;;) {
    int fd = -1;
    sockaddr_in from{};
    AsyncState inherited;
    bool nonblocking = false;
    bool wake = false;
    {
      std::lock_guard<std::mutex> g(e->lock);
      if (e->closed) return WSAEINTR;
      if (e->state != ConnState::kListening) return WSAEINVAL;
      if (e->async.events & FD_ACCEPT) {
        e->async.accept_enabled = true;
        wake = true;
      }
      socklen_t len = sizeof from;
      fd = accept4(e->fd, reinterpret_cast<sockaddr*>(&from), &len, SOCK_NONBLOCK | SOCK_CLOEXEC);
      int err = fd < 0 ? errno : 0;
      if (fd < 0 && err != EAGAIN && err != EINTR && err != ECONNABORTED && err != EPROTO) {
        // FD_ACCEPT was enabled again above: the watcher must learn of it
        // even though this accept failed (no descriptor left, say).
        if (wake) WakeWatcher();
        return WsaFromErrno(err);
      }
      inherited.hwnd = e->async.hwnd;
      inherited.msg = e->async.msg;
      inherited.events = e->async.events;
      nonblocking = e->nonblocking;
    }
    if (wake) WakeWatcher();
    if (fd >= 0) {
      EntryPtr n;
      if (int err = AddSocket(fd, win::kSockStream, &n)) return err;
      {
        std::lock_guard<std::mutex> g(n->lock);
        n->state = ConnState::kConnected;
        n->nonblocking = nonblocking;
        if (inherited.events != 0) {
          // The accepted socket takes the listener's registration.
          n->async = inherited;
          n->async.read_enabled = n->async.oob_enabled = n->async.accept_enabled = true;
          n->async.write_wanted = true;
        }
      }
      if (inherited.events != 0) WatchSocket(n);
      if (peer) *peer = FromLinux(from);
      *out = n->id;
      return 0;
    }
    if (nonblocking) return WSAEWOULDBLOCK;
    if (WaitReady(*e, POLLIN, -1) < 0) return WSAEINTR;
  }
}

int Connect(SocketId s, const Inet4& remote) {
  EntryPtr e;
  if (int err = LookupSocket(s, &e)) return err;
  if (e->type != win::kSockStream) return ConnectDatagram(*e, remote);
  if (remote.addr == 0 || remote.port == 0) return WSAEADDRNOTAVAIL;
  bool wake = false;
  {
    std::lock_guard<std::mutex> g(e->lock);
    switch (e->state) {
      case ConnState::kListening:
        return WSAEINVAL;
      case ConnState::kConnected:
        return WSAEISCONN;
      case ConnState::kConnecting:
        SettleConnect(*e);
        if (e->state == ConnState::kConnecting) return WSAEALREADY;
        if (e->state == ConnState::kConnected) return WSAEISCONN;
        [[fallthrough]];
      case ConnState::kFresh:
        if (int err = e->connect_error) {  // a failed attempt is answered once
          e->connect_error = 0;
          return err;
        }
        break;
    }
    sockaddr_in to = ToLinux(remote);
    int r = connect(e->fd, reinterpret_cast<sockaddr*>(&to), sizeof to);
    int err = r == 0 ? 0 : errno;
    if (err != 0 && err != EINPROGRESS) return WsaFromErrno(err);
    e->connecting_to = remote;
    e->state = r == 0 ? ConnState::kConnected : ConnState::kConnecting;
    wake = e->async.events != 0;
    if (r == 0 && wake) {
      e->async.connect_event = true;
      e->async.connect_event_error = 0;
      e->async.write_wanted = true;
    }
    if (r == 0 || e->nonblocking) {
      if (wake) WakeWatcher();
      return r == 0 ? 0 : WSAEWOULDBLOCK;
    }
  }
  if (wake) WakeWatcher();
  // Blocking: wait for the attempt to end.
  int w = WaitReady(*e, POLLOUT, kBlockingConnectLimitMs);
  std::lock_guard<std::mutex> g(e->lock);
  if (w < 0 || e->closed) return WSAEINTR;
  SettleConnect(*e);
  if (e->state == ConnState::kConnected) return 0;
  if (e->state == ConnState::kConnecting) {
    AbandonAttempt(*e);
    return WSAETIMEDOUT;
  }
  int err = e->connect_error;
  e->connect_error = 0;
  return err;
}

int Send(SocketId s, const void* buf, size_t len, int flags, const Inet4* to, size_t* done) {
  *done = 0;
  EntryPtr e;
  if (int err = LookupSocket(s, &e)) return err;
  int lflags = 0;
  if (!MapFlags(flags, win::kMsgOob | win::kMsgDontRoute, &lflags)) return WSAEOPNOTSUPP;
  lflags |= MSG_NOSIGNAL;
  const bool stream = e->type == win::kSockStream;
  sockaddr_in dest{};
  if (to && !stream) dest = ToLinux(*to);
  size_t sent = 0;
  for (;;) {
    uint32_t limit = 0;
    {
      std::lock_guard<std::mutex> g(e->lock);
      if (e->closed) return WSAEINTR;
      if (e->shut_send) return WSAESHUTDOWN;
      if (int err = RequireConnected(*e)) return err;
      const char* rest = static_cast<const char*>(buf) + sent;
      ssize_t n = (to && !stream) ? sendto(e->fd, rest, len - sent, lflags, reinterpret_cast<sockaddr*>(&dest), sizeof dest)
                                  : ::send(e->fd, rest, len - sent, lflags);
      if (n >= 0) {
        sent += static_cast<size_t>(n);
        // A blocking stream send hands over everything, as on Windows.
        if (sent >= len || e->nonblocking || !stream) {
          *done = sent;
          return 0;
        }
        continue;
      }
      int err = errno;
      if (err == EINTR) continue;
      if (err != EAGAIN) {
        *done = sent;
        if (sent > 0) return 0;
        if (!to && err == EDESTADDRREQ) return WSAENOTCONN;
        return WsaFromErrno(err);
      }
      if (e->nonblocking) {
        if (e->async.events & FD_WRITE) {  // FD_WRITE comes again once there is room
          e->async.write_wanted = true;
          WakeWatcher();
        }
        *done = sent;
        return sent > 0 ? 0 : WSAEWOULDBLOCK;
      }
      limit = e->snd_timeout_ms;
    }
    int w = WaitReady(*e, POLLOUT, Limit(limit));
    if (w < 0) return WSAEINTR;
    if (w == 0) {
      *done = sent;
      return sent > 0 ? 0 : WSAETIMEDOUT;
    }
  }
}

int Recv(SocketId s, void* buf, size_t len, int flags, Inet4* from, size_t* done) {
  *done = 0;
  EntryPtr e;
  if (int err = LookupSocket(s, &e)) return err;
  const bool stream = e->type == win::kSockStream;
  int lflags = 0;
  int allowed = win::kMsgPeek | (stream ? win::kMsgOob | win::kMsgWaitAll : 0);
  if (!MapFlags(flags, allowed, &lflags)) return WSAEOPNOTSUPP;
  const bool wait_all = (lflags & MSG_WAITALL) != 0;
  lflags &= ~MSG_WAITALL;  // the engine waits itself
  if (!stream) lflags |= MSG_TRUNC;
  size_t got = 0;
  for (;;) {
    uint32_t limit = 0;
    bool rearmed = false;
    {
      std::lock_guard<std::mutex> g(e->lock);
      if (e->closed) return WSAEINTR;
      if (e->async.events != 0) {
        // Any receive re-enables the read (or out-of-band) notice.
        if (flags & win::kMsgOob) {
          e->async.oob_enabled = true;
        } else {
          e->async.read_enabled = true;
        }
        rearmed = true;
      }
      int err = 0;
      if (e->shut_recv) {
        err = WSAESHUTDOWN;
      } else if (stream) {
        err = RequireConnected(*e);
      } else if (!IsBound(e->fd)) {
        err = WSAEINVAL;
      }
      if (err) {
        if (rearmed) WakeWatcher();
        return err;
      }
      sockaddr_in peer{};
      socklen_t plen = sizeof peer;
      char* into = static_cast<char*>(buf) + got;
      ssize_t n = recvfrom(e->fd, into, len - got, lflags, stream ? nullptr : reinterpret_cast<sockaddr*>(&peer),
                           stream ? nullptr : &plen);
      int rerr = n < 0 ? errno : 0;
      if (rearmed) WakeWatcher();
      if (n >= 0) {
        if (!stream) {
          if (from) *from = FromLinux(peer);
          if (static_cast<size_t>(n) > len) {  // the datagram did not fit; the rest is lost
            *done = len;
            return WSAEMSGSIZE;
          }
          *done = static_cast<size_t>(n);
          return 0;
        }
        got += static_cast<size_t>(n);
        if (!wait_all || n == 0 || got >= len || e->nonblocking || (lflags & MSG_PEEK)) {
          *done = got;
          return 0;
        }
      } else if (rerr == EAGAIN) {
        if (e->nonblocking) {
          *done = got;
          return got > 0 ? 0 : WSAEWOULDBLOCK;
        }
      } else if (rerr != EINTR) {
        *done = got;
        if (got > 0) return 0;
        // A connected datagram socket learns of an unreachable port this way;
        // Windows answers WSAECONNRESET.
        if (!stream && rerr == ECONNREFUSED) return WSAECONNRESET;
        return WsaFromErrno(rerr);
      }
      limit = e->rcv_timeout_ms;
    }
    int w = WaitReady(*e, POLLIN, Limit(limit));
    if (w < 0) return WSAEINTR;
    if (w == 0) {
      *done = got;
      return got > 0 ? 0 : WSAETIMEDOUT;
    }
  }
}

int Shutdown(SocketId s, int how) {
  EntryPtr e;
  if (int err = LookupSocket(s, &e)) return err;
  int lhow = 0;
  switch (how) {
    case win::kSdReceive: lhow = SHUT_RD; break;
    case win::kSdSend: lhow = SHUT_WR; break;
    case win::kSdBoth: lhow = SHUT_RDWR; break;
    default: return WSAEINVAL;
  }
  std::lock_guard<std::mutex> g(e->lock);
  SettleConnect(*e);
  if (e->type == win::kSockStream && e->state != ConnState::kConnected) return WSAENOTCONN;
  if (shutdown(e->fd, lhow) != 0 && errno != ENOTCONN) return WsaFromErrno(errno);
  if (how != win::kSdSend) e->shut_recv = true;
  if (how != win::kSdReceive) e->shut_send = true;
  return 0;
}

}  // namespace qvp::net
