// select over the engine's sockets, with Windows' meaning of the three sets:
// read = data, a close, or a pending connection on a listener; write = a
// completed connection or room to send; except = a failed connection attempt
// or out-of-band data. A socket closed by another thread ends the wait with
// WSAENOTSOCK.
#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "net/socket_entry.h"
#include "net/win_values.h"
#include "net/wsa_map.h"
#include "qvplatform/net_wsa_codes.h"

namespace qvp::net {
namespace {

struct Item {
  EntryPtr e;
  bool want_read = false, want_write = false, want_except = false;
  bool read = false, write = false, except = false;
  bool muted = false;  // reported something that answers none of its sets: not polled again
};

bool CarriesData(const SocketEntry& e) {
  return e.type != win::kSockStream || e.state == ConnState::kConnected;
}

// With the entry locked: the poll events that can make the item ready.
short EventsFor(const Item& it) {
  const SocketEntry& e = *it.e;
  short ev = 0;
  if (it.want_read) {
    if (e.state == ConnState::kListening) ev |= POLLIN;
    if (CarriesData(e)) ev |= POLLIN | POLLRDHUP;
  }
  if (it.want_write || it.want_except) {
    if (e.state == ConnState::kConnecting) ev |= POLLOUT;
  }
  if (it.want_write && CarriesData(e)) ev |= POLLOUT;
  if (it.want_except && CarriesData(e)) ev |= POLLPRI;
  return ev;
}

// With the entry locked: readiness from the poll result (and from a failed
// attempt that is still to be answered).
void Judge(Item& it, short revents) {
  SocketEntry& e = *it.e;
  SettleConnect(e);
  if (it.want_read) {
    if (e.state == ConnState::kListening) it.read = (revents & POLLIN) != 0;
    if (CarriesData(e)) it.read = (revents & (POLLIN | POLLRDHUP | POLLHUP | POLLERR)) != 0;
  }
  if (it.want_write && CarriesData(e)) it.write = (revents & POLLOUT) != 0;
  if (it.want_except) {
    if (e.type == win::kSockStream && e.state == ConnState::kFresh && e.connect_error != 0) it.except = true;
    if (CarriesData(e) && (revents & POLLPRI)) it.except = true;
  }
  if (revents && !it.read && !it.write && !it.except) it.muted = true;
}

}  // namespace

int Select(SelectLists& lists, int64_t timeout_ms, int* ready) {
  *ready = 0;
  if (lists.read.empty() && lists.write.empty() && lists.except.empty()) return WSAEINVAL;
  std::vector<Item> items;
  auto item_for = [&](SocketId id, int* err) -> Item* {
    for (Item& it : items) {
      if (it.e->id == id) return &it;
    }
    EntryPtr e;
    if ((*err = LookupSocket(id, &e)) != 0) return nullptr;
    items.push_back(Item{std::move(e)});
    return &items.back();
  };
  int err = 0;
  for (SocketId id : lists.read) {
    Item* it = item_for(id, &err);
    if (!it) return err;
    it->want_read = true;
  }
  for (SocketId id : lists.write) {
    Item* it = item_for(id, &err);
    if (!it) return err;
    it->want_write = true;
  }
  for (SocketId id : lists.except) {
    Item* it = item_for(id, &err);
    if (!it) return err;
    it->want_except = true;
  }

  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms < 0 ? 0 : timeout_ms);
  std::vector<pollfd> fds(items.size() * 2);
  for (;;) {
    bool any = false;
    for (size_t i = 0; i < items.size(); ++i) {
      Item& it = items[i];
      std::lock_guard<std::mutex> g(it.e->lock);
      if (it.e->closed) return WSAENOTSOCK;
      Judge(it, 0);  // a failed attempt is ready for the except set at once
      any = any || it.read || it.write || it.except;
      short ev = it.muted ? 0 : EventsFor(it);
      fds[2 * i] = pollfd{ev ? it.e->fd : -1, ev, 0};
      fds[2 * i + 1] = pollfd{it.e->wake_fd, POLLIN, 0};
    }
    int wait_ms = 0;
    if (!any) {
      if (timeout_ms < 0) {
        wait_ms = -1;
      } else {
        auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        wait_ms = left <= 0 ? 0 : left > 0x7fffffff ? 0x7fffffff : static_cast<int>(left);
      }
    }
    int n = poll(fds.data(), fds.size(), wait_ms);
    if (n < 0 && errno != EINTR) return WsaFromErrno(errno);
    int count = 0;
    for (size_t i = 0; i < items.size(); ++i) {
      Item& it = items[i];
      if (n > 0 && fds[2 * i + 1].revents) return WSAENOTSOCK;
      std::lock_guard<std::mutex> g(it.e->lock);
      if (it.e->closed) return WSAENOTSOCK;
      Judge(it, n > 0 ? fds[2 * i].revents : 0);
      count += it.read + it.write + it.except;
    }
    if (count > 0 || wait_ms == 0 || (timeout_ms >= 0 && Clock::now() >= deadline)) {
      auto keep = [&](std::vector<SocketId>& list, bool Item::*flag) {
        std::vector<SocketId> out;
        for (SocketId id : list) {
          auto found = std::find_if(items.begin(), items.end(), [&](const Item& it) { return it.e->id == id; });
          if ((*found).*flag && std::find(out.begin(), out.end(), id) == out.end()) out.push_back(id);
        }
        list.swap(out);
      };
      keep(lists.read, &Item::read);
      keep(lists.write, &Item::write);
      keep(lists.except, &Item::except);
      *ready = static_cast<int>(lists.read.size() + lists.write.size() + lists.except.size());
      return 0;
    }
  }
}

}  // namespace qvp::net
