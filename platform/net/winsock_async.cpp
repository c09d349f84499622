// WSAAsyncGetHostByName / WSAAsyncGetHostByAddr: a worker thread per request
// looks the host up, lays the answer out in the caller's buffer and posts
// (wParam = task handle, lParam = WSAMAKEASYNCREPLY(length, error)). After
// WSACancelAsyncRequest the buffer is not touched and nothing is posted.
// Workers are joined as they finish, at the last WSACleanup, and when the
// layer unloads.
#include <condition_variable>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "net/winsock_internal.h"
#include "qvplatform/ui_message.h"

namespace qvp::net {
namespace {

struct Lookup {
  uintptr_t handle = 0;
  HWND hwnd = nullptr;
  UINT msg = 0;
  char* buf = nullptr;
  int buflen = 0;
  bool by_addr = false;
  std::string name;
  uint32_t addr = 0;
  bool cancelled = false;  // guarded by Lookups::lock
  std::thread thread;
};

struct Lookups {
  std::mutex lock;
  std::condition_variable idle;
  std::map<uintptr_t, std::shared_ptr<Lookup>> active;
  std::vector<std::thread> finished;  // workers that are done, to be joined
  int running = 0;
  uintptr_t next = 1;

  ~Lookups() { StopAsyncLookups(); }
};

Lookups& TheLookups() {
  static Lookups lookups;
  return lookups;
}

void JoinFinished(Lookups& l) {
  std::vector<std::thread> done;
  {
    std::lock_guard<std::mutex> g(l.lock);
    done.swap(l.finished);
  }
  for (std::thread& t : done) t.join();
}

void Work(const std::shared_ptr<Lookup>& req) {
  HostInfo info;
  int err = req->by_addr ? ResolveAddress(req->addr, &info) : ResolveName(req->name, &info);
  Lookups& l = TheLookups();
  std::lock_guard<std::mutex> g(l.lock);
  if (!req->cancelled) {
    size_t need = err ? 0 : PackHostent(info, nullptr, 0);
    if (!err && need > static_cast<size_t>(req->buflen)) err = WSAENOBUFS;
    if (!err) PackHostent(info, req->buf, need);
    WORD length = static_cast<WORD>(need > 0xffff ? 0xffff : need);
    PostMessageA(req->hwnd, req->msg, static_cast<WPARAM>(req->handle),
                 WSAMAKEASYNCREPLY(length, static_cast<WORD>(err)));
    l.active.erase(req->handle);
  }
  l.finished.push_back(std::move(req->thread));
  --l.running;
  l.idle.notify_all();
}

HANDLE Start(std::shared_ptr<Lookup> req) {
  if (!EngineStarted()) {
    Fail(WSANOTINITIALISED);
    return nullptr;
  }
  if (!req->buf || req->buflen <= 0) {
    Fail(WSAEFAULT);
    return nullptr;
  }
  Lookups& l = TheLookups();
  JoinFinished(l);
  std::lock_guard<std::mutex> g(l.lock);
  req->handle = l.next++;
  try {
    req->thread = std::thread([req] { Work(req); });
  } catch (...) {
    Fail(WSAENOBUFS);
    return nullptr;
  }
  ++l.running;
  l.active.emplace(req->handle, req);
  return reinterpret_cast<HANDLE>(req->handle);
}

}  // namespace

void StopAsyncLookups() {
  Lookups& l = TheLookups();
  {
    std::unique_lock<std::mutex> g(l.lock);
    for (auto& [handle, req] : l.active) req->cancelled = true;
    l.active.clear();
    l.idle.wait(g, [&] { return l.running == 0; });
  }
  JoinFinished(l);
}

}  // namespace qvp::net

using namespace qvp::net;

HANDLE WINAPI WSAAsyncGetHostByName(HWND hWnd, u_int wMsg, const char* name, char* buf, int buflen) {
  auto req = std::make_shared<Lookup>();
  req->hwnd = hWnd;
  req->msg = wMsg;
  req->buf = buf;
  req->buflen = buflen;
  if (name && *name) {
    req->name = name;
  } else if (int err = LocalHostName(&req->name)) {
    Fail(err);
    return nullptr;
  }
  return Start(std::move(req));
}

HANDLE WINAPI WSAAsyncGetHostByAddr(HWND hWnd, u_int wMsg, const char* addr, int len, int type, char* buf,
                                    int buflen) {
  if (type != AF_INET) {
    Fail(WSAEAFNOSUPPORT);
    return nullptr;
  }
  if (!addr || len < 4) {
    Fail(WSAEFAULT);
    return nullptr;
  }
  auto req = std::make_shared<Lookup>();
  req->hwnd = hWnd;
  req->msg = wMsg;
  req->buf = buf;
  req->buflen = buflen;
  req->by_addr = true;
  std::memcpy(&req->addr, addr, 4);
  return Start(std::move(req));
}

int WINAPI WSACancelAsyncRequest(HANDLE hAsyncTaskHandle) {
  if (!EngineStarted()) return Fail(WSANOTINITIALISED);
  auto handle = reinterpret_cast<uintptr_t>(hAsyncTaskHandle);
  Lookups& l = TheLookups();
  std::lock_guard<std::mutex> g(l.lock);
  auto it = l.active.find(handle);
  if (it == l.active.end()) return Fail(handle != 0 && handle < l.next ? WSAEALREADY : WSAEINVAL);
  it->second->cancelled = true;
  l.active.erase(it);
  return 0;
}
