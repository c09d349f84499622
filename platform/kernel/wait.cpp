#include "kernel/wait.h"

#include <algorithm>
#include <chrono>
#include <list>
#include <vector>

#include "kernel/shared_objects.h"
#include "kernel/test_clock_hooks.h"
#include "kernel/threads.h"
#include "qvplatform/kernel.h"

namespace qvp {
namespace {

// A thread blocked in WaitForObjects, visible to PulseEvent.
struct BlockedWait {
  const std::vector<KernelObject*>* objects;
  bool wait_all;
  uint64_t thread_key;
  bool done = false;
  DWORD result = 0;
};

std::list<BlockedWait*>& BlockedWaits() {  // guarded by WaitLock()
  static auto* waits = new std::list<BlockedWait*>;
  return *waits;
}

// With WaitLock() held: takes the objects when the wait is satisfied now.
bool TrySatisfy(const std::vector<KernelObject*>& objects, bool wait_all, uint64_t key,
                DWORD* result) {
  if (!wait_all) {
    for (size_t i = 0; i < objects.size(); ++i) {
      if (objects[i]->IsSignaled(key)) {
        bool abandoned = objects[i]->Acquire(key);
        *result = (abandoned ? WAIT_ABANDONED_0 : WAIT_OBJECT_0) + static_cast<DWORD>(i);
        return true;
      }
    }
    return false;
  }
  if (objects.empty()) return false;
  for (KernelObject* object : objects) {
    if (!object->IsSignaled(key)) return false;
  }
  *result = WAIT_OBJECT_0;
  bool any_abandoned = false;
  for (size_t i = 0; i < objects.size(); ++i) {
    if (objects[i]->Acquire(key) && !any_abandoned) {
      any_abandoned = true;
      *result = WAIT_ABANDONED_0 + static_cast<DWORD>(i);
    }
  }
  return true;
}

DWORD Fail(DWORD error) {
  SetLastError(error);
  return WAIT_FAILED;
}

}  // namespace

DWORD WaitForObjects(const HANDLE* handles, DWORD count, bool wait_all, DWORD timeout_ms,
                     const std::function<bool()>& extra_ready, WaitSource* extra_source) {
  if (count > MAXIMUM_WAIT_OBJECTS || (count > 0 && handles == nullptr) ||
      (count == 0 && !extra_ready)) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  // Held for the whole wait so that a handle closed meanwhile keeps its object;
  // declared before the lock so the objects are dropped after it is released.
  std::vector<std::shared_ptr<KernelObject>> held;
  std::vector<KernelObject*> objects;
  held.reserve(count);
  objects.reserve(count);
  for (DWORD i = 0; i < count; ++i) {
    if (handles[i] == CurrentProcessPseudoHandle()) return Fail(ERROR_INVALID_HANDLE);
    std::shared_ptr<KernelObject> object = LookupObject(handles[i]);
    if (!object || !object->IsWaitable()) return Fail(ERROR_INVALID_HANDLE);
    objects.push_back(object.get());
    held.push_back(std::move(object));
  }
  if (wait_all) {
    std::vector<KernelObject*> sorted = objects;
    std::sort(sorted.begin(), sorted.end());
    if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) {
      return Fail(ERROR_INVALID_PARAMETER);
    }
  }

  WatchCurrentThreadEnd();
  const uint64_t key = CurrentThreadKey();
  const auto deadline = WaitNow() + std::chrono::milliseconds(timeout_ms);

  std::unique_lock<std::mutex> lock(WaitLock());
  DWORD result = 0;
  if (TrySatisfy(objects, wait_all, key, &result)) return result;
  if (extra_ready && extra_ready()) return WAIT_OBJECT_0 + count;
  if (timeout_ms == 0) return WAIT_TIMEOUT;

  std::vector<WaitSource*> sources(objects.begin(), objects.end());
  if (extra_source != nullptr) sources.push_back(extra_source);
  BlockedThread blocked(sources);
  BlockedWait self{&objects, wait_all, key};
  std::list<BlockedWait*>& waits = BlockedWaits();
  auto entry = waits.insert(waits.end(), &self);
  struct Unlist {
    std::list<BlockedWait*>& waits;
    std::list<BlockedWait*>::iterator entry;
    ~Unlist() { waits.erase(entry); }  // runs while the lock is still held
  } unlist{waits, entry};

  for (;;) {
    const bool timed_out =
        !blocked.Wait(lock, timeout_ms == INFINITE ? WaitClock::time_point::max() : deadline);
    if (self.done) return self.result;
    if (TrySatisfy(objects, wait_all, key, &result)) return result;
    if (extra_ready && extra_ready()) return WAIT_OBJECT_0 + count;
    if (timed_out) return WAIT_TIMEOUT;
  }
}

void OfferToBlockedWaiters(KernelObject* object) {
  for (BlockedWait* wait : BlockedWaits()) {
    if (!object->IsSignaled(wait->thread_key)) break;
    if (wait->done) continue;
    const std::vector<KernelObject*>& objects = *wait->objects;
    if (std::find(objects.begin(), objects.end(), object) == objects.end()) continue;
    if (TrySatisfy(objects, wait->wait_all, wait->thread_key, &wait->result)) wait->done = true;
  }
  object->Notify();
}

size_t BlockedWaitCount() {
  std::lock_guard<std::mutex> lock(WaitLock());
  return BlockedWaits().size();
}

}  // namespace qvp

QV_API DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
  // Cross-process hook (kernel/shared_objects.h).
  if (DWORD shared = 0; qvp::WaitSharedObject(hHandle, dwMilliseconds, &shared)) return shared;
  return qvp::WaitForObjects(&hHandle, 1, false, dwMilliseconds);
}

QV_API DWORD WaitForMultipleObjects(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll,
                                    DWORD dwMilliseconds) {
  // Cross-process hook (kernel/shared_objects.h): a shared object is waited on alone.
  if (DWORD shared = 0; nCount == 1 && lpHandles != nullptr && qvp::WaitSharedObject(lpHandles[0], dwMilliseconds, &shared)) return shared;
  return qvp::WaitForObjects(lpHandles, nCount, bWaitAll != FALSE, dwMilliseconds);
}
