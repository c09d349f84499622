#include "kernel/handles.h"

#include <atomic>
#include <unordered_map>

namespace qvp {
namespace {

struct HandleTable {
  std::mutex lock;
  std::unordered_map<uintptr_t, std::shared_ptr<KernelObject>> entries;
  uintptr_t next = 0x100;
};

HandleTable& Table() {
  static HandleTable* table = new HandleTable;  // lives past static destructors of other modules
  return *table;
}

}  // namespace

HANDLE InsertHandle(std::shared_ptr<KernelObject> object) {
  HandleTable& t = Table();
  std::lock_guard<std::mutex> g(t.lock);
  uintptr_t value = t.next;
  t.next += 4;
  t.entries.emplace(value, std::move(object));
  return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> LookupHandle(HANDLE handle) {
  HandleTable& t = Table();
  std::lock_guard<std::mutex> g(t.lock);
  auto it = t.entries.find(reinterpret_cast<uintptr_t>(handle));
  return it == t.entries.end() ? nullptr : it->second;
}

bool RemoveHandle(HANDLE handle) {
  std::shared_ptr<KernelObject> dropped;  // destroyed outside the table lock
  HandleTable& t = Table();
  std::lock_guard<std::mutex> g(t.lock);
  auto it = t.entries.find(reinterpret_cast<uintptr_t>(handle));
  if (it == t.entries.end()) return false;
  dropped = std::move(it->second);
  t.entries.erase(it);
  return true;
}

HANDLE DuplicateHandleEntry(HANDLE handle) {
  std::shared_ptr<KernelObject> object = LookupHandle(handle);
  return object ? InsertHandle(std::move(object)) : nullptr;
}

std::mutex& WaitLock() {
  static std::mutex* lock = new std::mutex;
  return *lock;
}

std::condition_variable& WaitCondition() {
  static std::condition_variable* cv = new std::condition_variable;
  return *cv;
}

void NotifyWaiters() { WaitCondition().notify_all(); }

uint64_t CurrentThreadKey() {
  static std::atomic<uint64_t> next{1};
  thread_local uint64_t key = next.fetch_add(1);
  return key;
}

}  // namespace qvp
