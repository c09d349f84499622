#include "kernel/sync_objects.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <unordered_map>

#include "kernel/shared_objects.h"
#include "kernel/threads.h"
#include "kernel/wait.h"
#include "qvplatform/kernel.h"

namespace qvp {
namespace {

// The mutexes each thread owns, by thread key; guarded by WaitLock().
std::unordered_map<uint64_t, std::vector<std::weak_ptr<MutexObject>>>& OwnedMutexes() {
  static auto* owned = new std::unordered_map<uint64_t, std::vector<std::weak_ptr<MutexObject>>>;
  return *owned;
}

void ForgetOwnership(uint64_t thread_key, const MutexObject* mutex) {
  auto it = OwnedMutexes().find(thread_key);
  if (it == OwnedMutexes().end()) return;
  auto& list = it->second;
  list.erase(std::remove_if(list.begin(), list.end(),
                            [&](const std::weak_ptr<MutexObject>& w) {
                              auto strong = w.lock();
                              return !strong || strong.get() == mutex;
                            }),
             list.end());
  if (list.empty()) OwnedMutexes().erase(it);
}

// The one namespace of named mutexes, events and semaphores. An entry whose
// object is gone counts as absent.
struct NameTable {
  std::mutex lock;
  std::unordered_map<std::string, std::weak_ptr<KernelObject>> names;
  size_t sweep_at = 64;
};

NameTable& Names() {
  static auto* table = new NameTable;
  return *table;
}

// With the name table locked: drops the entries of objects that are gone, from
// time to time, so that the table does not grow with names no longer used.
void SweepNames(NameTable& table) {
  if (table.names.size() < table.sweep_at) return;
  std::erase_if(table.names, [](const auto& entry) { return entry.second.expired(); });
  table.sweep_at = std::max<size_t>(64, table.names.size() * 2);
}

bool NameTooLong(LPCSTR name) { return std::strlen(name) > MAX_PATH; }

// Creates the object with make(), or opens the existing object of that name.
template <class T, class Make>
HANDLE CreateOrOpen(LPCSTR name, Make make) {
  try {
    if (name == nullptr || *name == '\0') {
      HANDLE handle = InsertHandle(make());
      SetLastError(NO_ERROR);
      return handle;
    }
    if (NameTooLong(name)) {
      SetLastError(ERROR_FILENAME_EXCED_RANGE);
      return nullptr;
    }
    std::shared_ptr<KernelObject> existing;  // dropped after the table lock
    NameTable& table = Names();
    std::lock_guard<std::mutex> lock(table.lock);
    auto it = table.names.find(name);
    if (it != table.names.end()) existing = it->second.lock();
    if (existing) {
      if (!std::dynamic_pointer_cast<T>(existing)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
      }
      HANDLE handle = InsertHandle(existing);
      SetLastError(ERROR_ALREADY_EXISTS);
      return handle;
    }
    std::shared_ptr<T> object = make();
    SweepNames(table);
    table.names[name] = object;
    HANDLE handle = InsertHandle(std::move(object));
    SetLastError(NO_ERROR);
    return handle;
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
}

template <class T>
HANDLE OpenExisting(LPCSTR name) {
  if (name == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  try {
    std::shared_ptr<KernelObject> existing;
    NameTable& table = Names();
    std::lock_guard<std::mutex> lock(table.lock);
    auto it = table.names.find(name);
    if (it != table.names.end()) existing = it->second.lock();
    if (!existing) {
      SetLastError(ERROR_FILE_NOT_FOUND);
      return nullptr;
    }
    if (!std::dynamic_pointer_cast<T>(existing)) {
      SetLastError(ERROR_INVALID_HANDLE);
      return nullptr;
    }
    return InsertHandle(existing);
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
}

}  // namespace

bool MutexObject::Acquire(uint64_t thread_key) {
  if (owner == thread_key) {
    ++depth;
    return false;
  }
  owner = thread_key;
  depth = 1;
  OwnedMutexes()[thread_key].push_back(weak_from_this());
  bool was_abandoned = abandoned;
  abandoned = false;
  return was_abandoned;
}

bool MutexObject::Release(uint64_t thread_key) {
  if (owner != thread_key || depth == 0) return false;
  if (--depth == 0) {
    owner = 0;
    ForgetOwnership(thread_key, this);
    Notify();
  }
  return true;
}

std::vector<std::shared_ptr<MutexObject>> AbandonMutexesOf(uint64_t thread_key) {
  std::vector<std::shared_ptr<MutexObject>> mutexes;
  auto it = OwnedMutexes().find(thread_key);
  if (it == OwnedMutexes().end()) return mutexes;
  for (const auto& weak : it->second) {
    auto mutex = weak.lock();
    if (!mutex || mutex->owner != thread_key) continue;
    mutex->owner = 0;
    mutex->depth = 0;
    mutex->abandoned = true;
    mutex->Notify();
    mutexes.push_back(std::move(mutex));
  }
  OwnedMutexes().erase(it);
  return mutexes;
}

}  // namespace qvp

QV_API HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL bInitialOwner, LPCSTR lpName) {
  // Cross-process hook (kernel/shared_objects.h).
  if (qvp::IsCrossProcessName(lpName)) return qvp::CreateSharedMutex(bInitialOwner, lpName);
  return qvp::CreateOrOpen<qvp::MutexObject>(lpName, [&] {
    auto mutex = std::make_shared<qvp::MutexObject>();
    if (bInitialOwner) {
      qvp::WatchCurrentThreadEnd();
      std::lock_guard<std::mutex> lock(qvp::WaitLock());
      mutex->Acquire(qvp::CurrentThreadKey());
    }
    return mutex;
  });
}

QV_API HANDLE OpenMutexA(DWORD, BOOL, LPCSTR lpName) {
  // Cross-process hook (kernel/shared_objects.h).
  if (qvp::IsCrossProcessName(lpName)) return qvp::OpenSharedMutex(lpName);
  return qvp::OpenExisting<qvp::MutexObject>(lpName);
}

QV_API BOOL ReleaseMutex(HANDLE hMutex) {
  // Cross-process hook (kernel/shared_objects.h).
  if (BOOL shared = FALSE; qvp::ReleaseSharedMutex(hMutex, &shared)) return shared;
  auto mutex = qvp::LookupHandleAs<qvp::MutexObject>(hMutex);
  if (!mutex) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::lock_guard<std::mutex> lock(qvp::WaitLock());
  if (!mutex->Release(qvp::CurrentThreadKey())) {
    SetLastError(ERROR_NOT_OWNER);
    return FALSE;
  }
  return TRUE;
}

QV_API HANDLE CreateEventA(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState,
                           LPCSTR lpName) {
  // Cross-process hook (kernel/shared_objects.h).
  if (qvp::IsCrossProcessName(lpName)) return qvp::CreateSharedEvent(bManualReset, bInitialState, lpName);
  return qvp::CreateOrOpen<qvp::EventObject>(lpName, [&] {
    return std::make_shared<qvp::EventObject>(bManualReset != FALSE, bInitialState != FALSE);
  });
}

QV_API HANDLE OpenEventA(DWORD, BOOL, LPCSTR lpName) {
  // Cross-process hook (kernel/shared_objects.h).
  if (qvp::IsCrossProcessName(lpName)) return qvp::OpenSharedEvent(lpName);
  return qvp::OpenExisting<qvp::EventObject>(lpName);
}

namespace {

enum class EventChange { kSet, kReset, kPulse };

BOOL ChangeEvent(HANDLE handle, EventChange change) {
  // Cross-process hook (kernel/shared_objects.h).
  if (BOOL shared = FALSE; qvp::ChangeSharedEvent(handle, static_cast<int>(change), &shared)) return shared;
  auto event = qvp::LookupHandleAs<qvp::EventObject>(handle);
  if (!event) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::lock_guard<std::mutex> lock(qvp::WaitLock());
  switch (change) {
    case EventChange::kSet:
      event->signaled = true;
      event->Notify();
      break;
    case EventChange::kReset:
      event->signaled = false;
      break;
    case EventChange::kPulse:
      event->signaled = true;
      qvp::OfferToBlockedWaiters(event.get());
      event->signaled = false;
      break;
  }
  return TRUE;
}

}  // namespace

QV_API BOOL SetEvent(HANDLE hEvent) { return ChangeEvent(hEvent, EventChange::kSet); }
QV_API BOOL ResetEvent(HANDLE hEvent) { return ChangeEvent(hEvent, EventChange::kReset); }
QV_API BOOL PulseEvent(HANDLE hEvent) { return ChangeEvent(hEvent, EventChange::kPulse); }

QV_API HANDLE CreateSemaphoreA(LPSECURITY_ATTRIBUTES, LONG lInitialCount, LONG lMaximumCount,
                               LPCSTR lpName) {
  if (lMaximumCount <= 0 || lInitialCount < 0 || lInitialCount > lMaximumCount) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return qvp::CreateOrOpen<qvp::SemaphoreObject>(lpName, [&] {
    return std::make_shared<qvp::SemaphoreObject>(lInitialCount, lMaximumCount);
  });
}

QV_API HANDLE OpenSemaphoreA(DWORD, BOOL, LPCSTR lpName) {
  return qvp::OpenExisting<qvp::SemaphoreObject>(lpName);
}

QV_API BOOL ReleaseSemaphore(HANDLE hSemaphore, LONG lReleaseCount, LPLONG lpPreviousCount) {
  auto semaphore = qvp::LookupHandleAs<qvp::SemaphoreObject>(hSemaphore);
  if (!semaphore) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (lReleaseCount <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard<std::mutex> lock(qvp::WaitLock());
  const LONG previous = semaphore->count;
  if (static_cast<int64_t>(previous) + lReleaseCount > semaphore->maximum_count) {
    SetLastError(ERROR_TOO_MANY_POSTS);
    return FALSE;
  }
  semaphore->count = previous + lReleaseCount;
  if (lpPreviousCount != nullptr) *lpPreviousCount = previous;
  semaphore->Notify();
  return TRUE;
}
