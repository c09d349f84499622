// One socket of the engine: the Linux descriptor (always non-blocking; the
// engine waits itself, so that closesocket from another thread can wake a
// blocked call) and the Windows-visible state around it.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

#include "net/socket_engine.h"

namespace qvp::net {

enum class ConnState { kFresh, kListening, kConnecting, kConnected };

// WSAAsyncSelect registration and its re-enabling state.
struct AsyncState {
  void* hwnd = nullptr;
  unsigned msg = 0;
  long events = 0;  // 0: not registered
  bool read_enabled = false;
  bool oob_enabled = false;
  bool accept_enabled = false;
  bool write_wanted = false;
  bool connect_event = false;  // an attempt ended and FD_CONNECT is due
  int connect_event_error = 0;
  bool peer_closed = false;  // the peer closed or reset; nothing more will arrive
  int close_error = 0;
  bool close_posted = false;
};

struct SocketEntry {
  SocketEntry(SocketId id_, int fd_, int wake_fd_, int type_) : id(id_), fd(fd_), wake_fd(wake_fd_), type(type_) {}
  ~SocketEntry();
  SocketEntry(const SocketEntry&) = delete;
  SocketEntry& operator=(const SocketEntry&) = delete;

  const SocketId id;
  const int fd;       // closed when the last user lets go of the entry
  const int wake_fd;  // eventfd, readable once the socket is closed
  const int type;     // Windows SOCK_* value

  std::mutex lock;
  // Guarded by lock:
  bool closed = false;
  bool nonblocking = false;
  ConnState state = ConnState::kFresh;
  Inet4 connecting_to;    // the pending attempt's address
  int connect_error = 0;  // a failed attempt not yet answered to connect / SO_ERROR
  bool shut_send = false;
  bool shut_recv = false;
  bool reuse_addr = false;
  uint32_t rcv_timeout_ms = 0;  // 0: no limit
  uint32_t snd_timeout_ms = 0;
  AsyncState async;
};

using EntryPtr = std::shared_ptr<SocketEntry>;

// The socket table. Lookup answers WSANOTINITIALISED before WSAStartup and
// WSAENOTSOCK for an unknown or closed value.
int LookupSocket(SocketId id, EntryPtr* out);
// Makes an entry for a new descriptor (taken over; closed on failure).
int AddSocket(int fd, int type, EntryPtr* out);
// Removes the entry, marks it closed and wakes every call blocked on it.
int RemoveSocket(SocketId id);

// With the entry locked: settles a pending connection attempt. Afterwards the
// state is kConnecting (still pending), kConnected, or kFresh with
// connect_error set.
void SettleConnect(SocketEntry& e);

// Waits until the descriptor shows one of `events` (poll bits), the socket is
// closed, or timeout_ms (< 0: no limit) passes. 1 ready, 0 time-out, -1 closed.
int WaitReady(SocketEntry& e, short events, int64_t timeout_ms);

}  // namespace qvp::net
