// The WSAAsyncSelect watcher: one thread polls every registered socket for
// the events its registration still waits for and posts the window messages.
//
// An event that was posted is not watched again until a call re-enables it
// (recv for FD_READ, accept for FD_ACCEPT, a send that would block for
// FD_WRITE); those calls wake the thread. Once the peer has closed, the socket
// leaves the poll set: the thread then only hands out FD_READ for data still
// unread and, when none is left, FD_CLOSE.
#include "net/async_select.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <thread>
#include <unordered_map>
#include <vector>

#include "net/win_values.h"
#include "net/wsa_map.h"
#include "qvplatform/net_wsa_codes.h"
#include "qvplatform/ui_message.h"

namespace qvp::net {
namespace {

struct Watcher {
  std::mutex lock;
  std::unordered_map<SocketId, EntryPtr> sockets;
  std::thread thread;
  bool stopping = false;
  int wake_fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);

  ~Watcher() {  // the layer unloads: never leave the thread running
    StopWatcher();
    if (wake_fd >= 0) close(wake_fd);
  }
  void Run();
};

Watcher& TheWatcher() {
  static Watcher watcher;
  return watcher;
}

size_t Unread(const SocketEntry& e) {
  int n = 0;
  return ioctl(e.fd, FIONREAD, &n) == 0 && n > 0 ? static_cast<size_t>(n) : 0;
}

int CloseErrorOf(const SocketEntry& e) {
  int err = 0;
  socklen_t len = sizeof err;
  getsockopt(e.fd, SOL_SOCKET, SO_ERROR, &err, &len);
  if (err == ETIMEDOUT) return WSAECONNABORTED;  // the connection died of silence
  return WsaFromErrno(err);
}

// With the entry locked: the poll events its registration waits for (0: none).
short Interest(const SocketEntry& e) {
  const AsyncState& a = e.async;
  if (e.closed || a.events == 0) return 0;
  short ev = 0;
  if (e.type != win::kSockStream) {
    if ((a.events & FD_READ) && a.read_enabled) ev |= POLLIN;
    if ((a.events & FD_WRITE) && a.write_wanted) ev |= POLLOUT;
    return ev;
  }
  switch (e.state) {
    case ConnState::kListening:
      return (a.events & FD_ACCEPT) && a.accept_enabled ? POLLIN : 0;
    case ConnState::kConnecting:
      return POLLOUT;
    case ConnState::kConnected:
      if (a.peer_closed) return 0;
      if ((a.events & FD_READ) && a.read_enabled) ev |= POLLIN;
      if ((a.events & FD_CLOSE) && !a.close_posted) ev |= POLLRDHUP;
      if ((a.events & FD_OOB) && a.oob_enabled) ev |= POLLPRI;
      if ((a.events & FD_WRITE) && a.write_wanted) ev |= POLLOUT;
      return ev;
    case ConnState::kFresh:
      return 0;
  }
  return 0;
}

struct Post {
  HWND hwnd;
  UINT msg;
  WPARAM socket;
  LPARAM reply;
};

// With the entry locked: acts on what poll reported (revents 0: only on what
// earlier calls left to do) and adds the messages that are due to `posts`.
// They are posted once the entry's lock is let go, so that posting never
// waits for the window system while holding a socket.
void Evaluate(SocketEntry& e, short revents, std::vector<Post>* posts) {
  AsyncState& a = e.async;
  if (e.closed || a.events == 0) return;
  auto post = [&](long event, int error) {
    posts->push_back(Post{static_cast<HWND>(a.hwnd), a.msg, static_cast<WPARAM>(e.id),
                          WSAMAKESELECTREPLY(event, error)});
  };
  if (e.state == ConnState::kConnecting && revents) SettleConnect(e);
  if (a.connect_event) {
    a.connect_event = false;
    if (a.events & FD_CONNECT) post(FD_CONNECT, a.connect_event_error);
  }
  const bool may_read = (a.events & FD_READ) && a.read_enabled;
  if (e.type != win::kSockStream) {
    if ((revents & (POLLIN | POLLERR)) && may_read) {
      a.read_enabled = false;
      post(FD_READ, 0);  // recv answers a pending error
    } else if (revents & POLLERR) {
      CloseErrorOf(e);  // nobody reads it: clear it so that poll calms down
    }
    if ((revents & POLLOUT) && (a.events & FD_WRITE) && a.write_wanted) {
      a.write_wanted = false;
      post(FD_WRITE, 0);
    }
    return;
  }
  if (e.state == ConnState::kListening) {
    if ((revents & POLLIN) && (a.events & FD_ACCEPT) && a.accept_enabled) {
      a.accept_enabled = false;
      post(FD_ACCEPT, 0);
    }
    return;
  }
  if (e.state != ConnState::kConnected) return;
  if (!a.peer_closed && revents) {
    bool closed_now = (revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
    if ((revents & POLLIN) && may_read) {
      if (Unread(e) > 0) {
        a.read_enabled = false;
        post(FD_READ, 0);
      } else {
        closed_now = true;  // readable without data: end of stream or an error
      }
    }
    if ((revents & POLLPRI) && (a.events & FD_OOB) && a.oob_enabled) {
      a.oob_enabled = false;
      post(FD_OOB, 0);
    }
    if ((revents & POLLOUT) && !(revents & (POLLHUP | POLLERR)) && (a.events & FD_WRITE) && a.write_wanted) {
      a.write_wanted = false;
      post(FD_WRITE, 0);
    }
    if (closed_now) {
      a.peer_closed = true;
      a.close_error = CloseErrorOf(e);
    }
  }
  if (a.peer_closed && !a.close_posted) {
    if ((a.events & FD_READ) && Unread(e) > 0) {
      // FD_CLOSE waits until what came before it has been read.
      if (a.read_enabled) {
        a.read_enabled = false;
        post(FD_READ, 0);
      }
      return;
    }
    a.close_posted = true;
    if (a.events & FD_CLOSE) post(FD_CLOSE, a.close_error);
  }
}

void Watcher::Run() {
  std::vector<EntryPtr> list;
  std::vector<pollfd> fds;
  std::vector<SocketEntry*> owners;
  std::vector<Post> posts;
  auto deliver = [&] {
    for (const Post& p : posts) PostMessageA(p.hwnd, p.msg, p.socket, p.reply);
    posts.clear();
  };
  for (;;) {
    list.clear();
    {
      std::lock_guard<std::mutex> g(lock);
      if (stopping) return;
      for (auto& [id, e] : sockets) list.push_back(e);
    }
    fds.assign(1, pollfd{wake_fd, POLLIN, 0});
    owners.assign(1, nullptr);
    for (EntryPtr& e : list) {
      std::lock_guard<std::mutex> g(e->lock);
      Evaluate(*e, 0, &posts);
      if (short ev = Interest(*e)) {
        fds.push_back(pollfd{e->fd, ev, 0});
        owners.push_back(e.get());
      }
    }
    deliver();
    int n = poll(fds.data(), fds.size(), -1);
    if (n < 0) continue;  // EINTR
    if (fds[0].revents) {
      uint64_t count = 0;
      ssize_t r = read(wake_fd, &count, sizeof count);
      (void)r;
    }
    for (size_t i = 1; i < fds.size(); ++i) {
      if (!fds[i].revents) continue;
      std::lock_guard<std::mutex> g(owners[i]->lock);
      Evaluate(*owners[i], fds[i].revents, &posts);
    }
    deliver();
  }
}

}  // namespace

void WatchSocket(const EntryPtr& e) {
  Watcher& w = TheWatcher();
  {
    std::lock_guard<std::mutex> g(w.lock);
    if (w.stopping) return;
    w.sockets[e->id] = e;
    if (!w.thread.joinable()) w.thread = std::thread([&w] { w.Run(); });
  }
  WakeWatcher();
}

void UnwatchSocket(SocketId id) {
  Watcher& w = TheWatcher();
  EntryPtr dropped;  // let go of it outside the lock: it may be the last user
  {
    std::lock_guard<std::mutex> g(w.lock);
    auto it = w.sockets.find(id);
    if (it == w.sockets.end()) return;
    dropped = std::move(it->second);
    w.sockets.erase(it);
  }
  WakeWatcher();
}

void WakeWatcher() {
  uint64_t one = 1;
  ssize_t r = write(TheWatcher().wake_fd, &one, sizeof one);
  (void)r;
}

void StopWatcher() {
  Watcher& w = TheWatcher();
  std::thread running;
  {
    std::lock_guard<std::mutex> g(w.lock);
    if (w.thread.joinable()) {
      w.stopping = true;
      running = std::move(w.thread);
    }
  }
  if (running.joinable()) {
    WakeWatcher();
    running.join();
  }
  std::unordered_map<SocketId, EntryPtr> dropped;
  std::lock_guard<std::mutex> g(w.lock);
  w.stopping = false;
  dropped.swap(w.sockets);
}

int AsyncSelect(SocketId s, void* hwnd, unsigned msg, long events) {
  EntryPtr e;
  if (int err = LookupSocket(s, &e)) return err;
  {
    std::lock_guard<std::mutex> g(e->lock);
    e->nonblocking = true;  // whatever the events, as on Windows
    AsyncState& a = e->async;
    a.hwnd = hwnd;
    a.msg = msg;
    a.events = events;
    // A new registration re-enables every event and reports conditions that
    // already hold.
    a.read_enabled = a.oob_enabled = a.accept_enabled = true;
    a.write_wanted = e->type != win::kSockStream || e->state == ConnState::kConnected;
    a.close_posted = false;
    a.connect_event = false;
  }
  if (events != 0) {
    WatchSocket(e);
  } else {
    UnwatchSocket(s);
  }
  return 0;
}

}  // namespace qvp::net
