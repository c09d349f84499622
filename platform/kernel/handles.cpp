#include "kernel/handles.h"

#include "kernel/test_clock_hooks.h"

#include <algorithm>
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

namespace {

// Every blocked thread, for NotifyWaiters; its own lock, taken after WaitLock.
struct AllBlocked {
  std::mutex lock;
  std::vector<Waiter*> waiters;
};

AllBlocked& Blocked() {
  static auto* all = new AllBlocked;
  return *all;
}

std::atomic<WakeHook> g_wake_hook{nullptr};

Waiter& CurrentWaiter() {
  thread_local Waiter waiter;
  waiter.thread_key = CurrentThreadKey();
  return waiter;
}

}  // namespace

void WaitSource::Notify() {
  for (Waiter* waiter : waiters_) waiter->cv.notify_one();
}

BlockedThread::BlockedThread(const std::vector<WaitSource*>& sources) : waiter_(&CurrentWaiter()), sources_(sources) {
  for (WaitSource* source : sources_) source->waiters_.push_back(waiter_);
  AllBlocked& all = Blocked();
  std::lock_guard<std::mutex> g(all.lock);
  all.waiters.push_back(waiter_);
}

BlockedThread::~BlockedThread() {
  for (WaitSource* source : sources_) {
    auto& list = source->waiters_;
    auto it = std::find(list.begin(), list.end(), waiter_);
    if (it != list.end()) list.erase(it);
  }
  AllBlocked& all = Blocked();
  std::lock_guard<std::mutex> g(all.lock);
  auto it = std::find(all.waiters.begin(), all.waiters.end(), waiter_);
  if (it != all.waiters.end()) all.waiters.erase(it);
}

bool BlockedThread::Wait(std::unique_lock<std::mutex>& lock, WaitClock::time_point deadline) {
  bool in_time = true;
  if (deadline == WaitClock::time_point::max()) {
    waiter_->cv.wait(lock);
  } else if (TestClockInstalled()) {
    // The test clock moves only under WaitLock and wakes every waiter when it does.
    if (WaitNow() < deadline) {
      const uint64_t generation = NoteTimedWaitBegins();
      waiter_->cv.wait(lock);
      NoteTimedWaitEnds(generation);
    }
    in_time = WaitNow() < deadline;
  } else {
    in_time = waiter_->cv.wait_until(lock, deadline) == std::cv_status::no_timeout;
  }
  if (WakeHook hook = g_wake_hook.load()) hook(waiter_->thread_key);
  return in_time;
}

bool BlockUntil(std::unique_lock<std::mutex>& lock, std::initializer_list<WaitSource*> sources,
                WaitClock::time_point deadline, const std::function<bool()>& ready) {
  if (ready()) return true;
  BlockedThread self{std::vector<WaitSource*>(sources)};
  for (;;) {
    const bool in_time = self.Wait(lock, deadline);
    if (ready()) return true;
    if (!in_time || WaitNow() >= deadline) return false;
  }
}

void SetWakeHookForTests(WakeHook hook) { g_wake_hook.store(hook); }

size_t BlockedThreadCount() {
  AllBlocked& all = Blocked();
  std::lock_guard<std::mutex> g(all.lock);
  return all.waiters.size();
}

void NotifyWaiters() {
  WaitCondition().notify_all();
  AllBlocked& all = Blocked();
  std::lock_guard<std::mutex> g(all.lock);
  for (Waiter* waiter : all.waiters) waiter->cv.notify_one();
}

uint64_t CurrentThreadKey() {
  static std::atomic<uint64_t> next{1};
  thread_local uint64_t key = next.fetch_add(1);
  return key;
}

}  // namespace qvp
