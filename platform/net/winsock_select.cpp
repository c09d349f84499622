// select with Windows' fd_set (a count and an array of sockets).
#include "net/winsock_internal.h"

using namespace qvp::net;

namespace {

void Take(const fd_set* set, std::vector<SocketId>* out) {
  if (!set) return;
  u_int n = set->fd_count < FD_SETSIZE ? set->fd_count : FD_SETSIZE;
  out->assign(set->fd_array, set->fd_array + n);
}

void Give(const std::vector<SocketId>& ready, fd_set* set) {
  if (!set) return;
  set->fd_count = 0;
  for (SocketId id : ready) set->fd_array[set->fd_count++] = static_cast<SOCKET>(id);
}

}  // namespace

int WINAPI QvWsFdIsSet(SOCKET s, fd_set* set) {
  if (!set) return 0;
  for (u_int i = 0; i < set->fd_count && i < FD_SETSIZE; ++i) {
    if (set->fd_array[i] == s) return 1;
  }
  return 0;
}

int WINAPI select(int /*nfds*/, fd_set* readfds, fd_set* writefds, fd_set* exceptfds, const timeval* timeout) {
  if (!EngineStarted()) return Fail(WSANOTINITIALISED);
  int64_t ms = -1;
  if (timeout) {
    if (timeout->tv_sec < 0 || timeout->tv_usec < 0) return Fail(WSAEINVAL);
    ms = static_cast<int64_t>(timeout->tv_sec) * 1000 + (static_cast<int64_t>(timeout->tv_usec) + 999) / 1000;
  }
  SelectLists lists;
  Take(readfds, &lists.read);
  Take(writefds, &lists.write);
  Take(exceptfds, &lists.except);
  int ready = 0;
  if (int err = Select(lists, ms, &ready)) return Fail(err);
  Give(lists.read, readfds);
  Give(lists.write, writefds);
  Give(lists.except, exceptfds);
  return ready;
}
