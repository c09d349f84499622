#include "net/inet_handles.h"

#include <unordered_map>

#include "qvplatform/net_wininet.h"

namespace qvp::net {
namespace {

struct HandleTable {
  std::mutex lock;
  std::unordered_map<uintptr_t, InetPtr> objects;
  uintptr_t next = 0xCC0004;
  Timeouts defaults;
};

HandleTable& Table() {
  static auto* t = new HandleTable;  // handles may be closed by threads still running at exit
  return *t;
}

struct ResponseInfo {
  uint32_t error = 0;
  std::string text;
};

thread_local ResponseInfo response_info;

}  // namespace

Timeouts DefaultTimeouts() {
  std::lock_guard<std::mutex> g(Table().lock);
  return Table().defaults;
}

void SetDefaultTimeouts(const Timeouts& t) {
  std::lock_guard<std::mutex> g(Table().lock);
  Table().defaults = t;
}

uint32_t AddInetObject(const InetPtr& object, const InetPtr& parent) {
  if (parent) {
    std::lock_guard<std::mutex> g(parent->lock);
    if (parent->closed) return ERROR_INVALID_HANDLE;
    object->timeouts = parent->timeouts;
    // Children closed on their own leave expired entries; a long-lived
    // session must not collect them.
    std::erase_if(parent->children, [](const std::weak_ptr<InetObject>& w) { return w.expired(); });
    parent->children.push_back(object);
  } else {
    object->timeouts = DefaultTimeouts();
  }
  HandleTable& t = Table();
  std::lock_guard<std::mutex> g(t.lock);
  object->handle = t.next;
  t.next += 4;
  t.objects.emplace(object->handle, object);
  return 0;
}

InetPtr LookupInet(void* handle) {
  HandleTable& t = Table();
  std::lock_guard<std::mutex> g(t.lock);
  auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
  return it == t.objects.end() ? nullptr : it->second;
}

bool CloseInet(void* handle) {
  InetPtr top;
  {
    HandleTable& t = Table();
    std::lock_guard<std::mutex> g(t.lock);
    auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
    if (it == t.objects.end()) return false;
    top = it->second;
  }
  // Close the object and everything under it; pending transfers end at once.
  std::vector<InetPtr> closing{top};
  for (size_t i = 0; i < closing.size(); ++i) {
    InetPtr o = closing[i];
    std::lock_guard<std::mutex> g(o->lock);
    o->closed = true;
    for (auto& weak : o->children) {
      if (InetPtr child = weak.lock()) closing.push_back(child);
    }
    o->children.clear();
  }
  HandleTable& t = Table();
  std::vector<InetPtr> dropped;  // let go outside the lock
  {
    std::lock_guard<std::mutex> g(t.lock);
    for (const InetPtr& o : closing) {
      auto it = t.objects.find(o->handle);
      if (it != t.objects.end()) {
        dropped.push_back(std::move(it->second));
        t.objects.erase(it);
      }
    }
  }
  for (const InetPtr& o : closing) o->cancel->Fire();
  return true;
}

void SetResponseInfo(uint32_t error, std::string text) {
  response_info.error = error;
  response_info.text = std::move(text);
}

void GetResponseInfo(uint32_t* error, std::string* text) {
  *error = response_info.error;
  *text = response_info.text;
}

}  // namespace qvp::net
