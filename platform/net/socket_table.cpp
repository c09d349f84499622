// The socket table, the start-up count and the waits every blocking call uses.
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <unordered_map>

#include "net/async_select.h"
#include "net/socket_entry.h"
#include "net/win_values.h"
#include "net/wsa_map.h"
#include "qvplatform/net_wsa_codes.h"

namespace qvp::net {
namespace {

// SOCKET values start here and step by 4, as Windows' do.
constexpr SocketId kFirstSocket = 0x100;
constexpr SocketId kSocketStep = 4;
constexpr SocketId kLastSocket = 0x7ffffff0;

struct Table {
  std::mutex lock;
  int starts = 0;
  SocketId next = kFirstSocket;
  std::unordered_map<SocketId, EntryPtr> sockets;
};

Table& TheTable() {
  static Table* table = new Table;  // sockets may be closed by threads still running at exit
  return *table;
}

void MarkClosed(const EntryPtr& e) {
  {
    std::lock_guard<std::mutex> g(e->lock);
    e->closed = true;
    e->async.events = 0;
  }
  uint64_t one = 1;
  ssize_t n = write(e->wake_fd, &one, sizeof one);
  (void)n;  // an eventfd only refuses a write at its counter's limit
  UnwatchSocket(e->id);
}

}  // namespace

SocketEntry::~SocketEntry() {
  close(fd);
  close(wake_fd);
}

void EngineStartup() {
  Table& t = TheTable();
  std::lock_guard<std::mutex> g(t.lock);
  ++t.starts;
}

int EngineCleanup(bool* last) {
  *last = false;
  Table& t = TheTable();
  std::unordered_map<SocketId, EntryPtr> closing;
  {
    std::lock_guard<std::mutex> g(t.lock);
    if (t.starts == 0) return WSANOTINITIALISED;
    if (--t.starts > 0) return 0;
    closing.swap(t.sockets);
  }
  *last = true;
  for (auto& [id, e] : closing) MarkClosed(e);
  StopWatcher();
  return 0;
}

bool EngineStarted() {
  Table& t = TheTable();
  std::lock_guard<std::mutex> g(t.lock);
  return t.starts > 0;
}

int LookupSocket(SocketId id, EntryPtr* out) {
  Table& t = TheTable();
  std::lock_guard<std::mutex> g(t.lock);
  if (t.starts == 0) return WSANOTINITIALISED;
  auto it = t.sockets.find(id);
  if (it == t.sockets.end()) return WSAENOTSOCK;
  *out = it->second;
  return 0;
}

int CheckSocket(SocketId id) {
  EntryPtr e;
  return LookupSocket(id, &e);
}

int AddSocket(int fd, int type, EntryPtr* out) {
  int wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wake < 0) {
    int err = WsaFromErrno(errno);
    close(fd);
    return err;
  }
  Table& t = TheTable();
  std::lock_guard<std::mutex> g(t.lock);
  if (t.starts == 0) {
    close(fd);
    close(wake);
    return WSANOTINITIALISED;
  }
  // Values stay below 2^31, as callers keep them in 32-bit fields; after
  // the (theoretical) wrap the values of open sockets are skipped.
  SocketId id = t.next;
  while (t.sockets.count(id)) id += kSocketStep;
  t.next = id + kSocketStep > kLastSocket ? kFirstSocket : id + kSocketStep;
  auto e = std::make_shared<SocketEntry>(id, fd, wake, type);
  t.sockets.emplace(id, e);
  *out = std::move(e);
  return 0;
}

int RemoveSocket(SocketId id) {
  EntryPtr e;
  {
    Table& t = TheTable();
    std::lock_guard<std::mutex> g(t.lock);
    if (t.starts == 0) return WSANOTINITIALISED;
    auto it = t.sockets.find(id);
    if (it == t.sockets.end()) return WSAENOTSOCK;
    e = std::move(it->second);
    t.sockets.erase(it);
  }
  MarkClosed(e);
  return 0;
}

void SettleConnect(SocketEntry& e) {
  if (e.state != ConnState::kConnecting) return;
  // A second connect() to the same address is how Linux reports the outcome
  // of a pending attempt: EALREADY while it runs, EISCONN (or 0) once it is
  // made, the failure otherwise, after which the socket may connect anew.
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_addr.s_addr = e.connecting_to.addr;
  to.sin_port = e.connecting_to.port;
  int r = connect(e.fd, reinterpret_cast<sockaddr*>(&to), sizeof to);
  int err = r == 0 ? 0 : errno;
  if (err == EALREADY || err == EINPROGRESS || err == EINTR) return;
  bool made = err == 0 || err == EISCONN;
  e.state = made ? ConnState::kConnected : ConnState::kFresh;
  e.connect_error = made ? 0 : WsaFromErrno(err);
  if (e.async.events != 0) {
    e.async.connect_event = true;
    e.async.connect_event_error = e.connect_error;
    if (made) e.async.write_wanted = true;
  }
}

int WaitReady(SocketEntry& e, short events, int64_t timeout_ms) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms < 0 ? 0 : timeout_ms);
  for (;;) {
    pollfd fds[2] = {{e.fd, events, 0}, {e.wake_fd, POLLIN, 0}};
    int wait_ms = -1;
    if (timeout_ms >= 0) {
      auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left < 0) left = 0;
      wait_ms = left > 0x7fffffff ? 0x7fffffff : static_cast<int>(left);
    }
    int n = poll(fds, 2, wait_ms);
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (fds[1].revents) return -1;
    if (fds[0].revents) return 1;
    if (timeout_ms >= 0 && Clock::now() >= deadline) return 0;
  }
}

}  // namespace qvp::net
