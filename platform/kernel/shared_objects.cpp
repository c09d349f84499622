// Shared named mutexes and events.
#include "kernel/shared_objects.h"

#include <dlfcn.h>
#include <linux/futex.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <ctime>
#include <new>

#include "kernel/shared_store.h"
#include "qvplatform/kernel.h"

namespace qvp {
namespace {

// The names the system shares with a program of its own (the SNMP agent):
// the link's mutex and its four events, for every instance number.
constexpr const char* kCrossProcessPrefixes[] = {"QV_SNMP_Mutex_", "QV_GetRequest_", "QV_GetResponse_",
                                                  "QV_TrapRequest_", "QV_TrapResponse_"};

// The object in its file, after the header.
struct SharedSync {
  SharedHeader header;
  pthread_mutex_t mutex;           // shared mutexes
  std::atomic<uint32_t> state;     // shared events: bit 0 signalled, the rest counts the sets
  uint32_t manual_reset;
};
static_assert(std::atomic<uint32_t>::is_always_lock_free);

class SharedSyncObject : public KernelObject {
 public:
  SharedSyncObject(SharedKind kind, const SharedFile& file)
      : kind_(kind), sync_(static_cast<SharedSync*>(file.map)), size_(file.file_size) {
    close(file.fd);
  }
  ~SharedSyncObject() override { munmap(sync_, size_); }
  SharedSyncObject(const SharedSyncObject&) = delete;
  SharedSyncObject& operator=(const SharedSyncObject&) = delete;

  SharedKind kind() const { return kind_; }
  SharedSync* sync() const { return sync_; }

 private:
  const SharedKind kind_;
  SharedSync* const sync_;
  const size_t size_;
};

// The process-shared robust mutex is worked through the C library's own entry
// points. Its owner may be another process; a thread sanitizer's view of this
// process cannot follow that (a lock taken from a dead owner, an unlock it
// never saw the lock of) and would report faults that are none. What this
// process keeps in the shared memory is guarded by its own locks besides.
struct MutexCalls {
  int (*lock)(pthread_mutex_t*) = pthread_mutex_lock;
  int (*trylock)(pthread_mutex_t*) = pthread_mutex_trylock;
  int (*timedlock)(pthread_mutex_t*, const timespec*) = pthread_mutex_timedlock;
  int (*unlock)(pthread_mutex_t*) = pthread_mutex_unlock;
  int (*consistent)(pthread_mutex_t*) = pthread_mutex_consistent;
  MutexCalls() {
    Take(&lock, "pthread_mutex_lock");
    Take(&trylock, "pthread_mutex_trylock");
    Take(&timedlock, "pthread_mutex_timedlock");
    Take(&unlock, "pthread_mutex_unlock");
    Take(&consistent, "pthread_mutex_consistent");
  }
  template <typename F>
  static void Take(F* slot, const char* name) {
    if (void* found = dlsym(RTLD_NEXT, name)) *slot = reinterpret_cast<F>(found);
  }
};
const MutexCalls& Calls() {
  static const MutexCalls calls;
  return calls;
}

int64_t NowNs() {
  using namespace std::chrono;
  return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

timespec SpanOf(int64_t ns) {
  timespec span{};
  span.tv_sec = static_cast<time_t>(ns / 1000000000);
  span.tv_nsec = static_cast<long>(ns % 1000000000);
  return span;
}

void FutexWake(std::atomic<uint32_t>* word) {
  syscall(SYS_futex, reinterpret_cast<uint32_t*>(word), FUTEX_WAKE, INT_MAX, nullptr, nullptr, 0);
}

// Sleeps while *word == expected, at most `ns` (negative: without limit).
void FutexWait(std::atomic<uint32_t>* word, uint32_t expected, int64_t ns) {
  timespec span = SpanOf(ns < 0 ? 0 : ns);
  syscall(SYS_futex, reinterpret_cast<uint32_t*>(word), FUTEX_WAIT, expected, ns < 0 ? nullptr : &span, nullptr,
          0);
}

void InitMutex(void* file) {
  auto* sync = static_cast<SharedSync*>(file);
  pthread_mutexattr_t attributes;
  pthread_mutexattr_init(&attributes);
  pthread_mutexattr_setpshared(&attributes, PTHREAD_PROCESS_SHARED);
  pthread_mutexattr_setrobust(&attributes, PTHREAD_MUTEX_ROBUST);
  pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
  pthread_mutex_init(&sync->mutex, &attributes);
  pthread_mutexattr_destroy(&attributes);
}

HANDLE Insert(std::shared_ptr<KernelObject> object, DWORD error) {
  try {
    HANDLE handle = InsertHandle(std::move(object));
    SetLastError(error);
    return handle;
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
}

HANDLE OpenSync(SharedKind kind, LPCSTR name, bool create, const std::function<void(void*)>& init,
                const std::function<void(SharedSyncObject&)>& made) {
  if (name == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  SharedFile file;
  if (!OpenSharedFile(name, kind, create, sizeof(SharedSync), init, &file)) return nullptr;
  if (file.file_size < sizeof(SharedSync)) {
    munmap(file.map, file.file_size);
    close(file.fd);
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  std::shared_ptr<SharedSyncObject> object;
  try {
    object = std::make_shared<SharedSyncObject>(kind, file);
  } catch (const std::bad_alloc&) {
    munmap(file.map, file.file_size);
    close(file.fd);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (file.created && made) made(*object);
  return Insert(std::move(object), create && !file.created ? ERROR_ALREADY_EXISTS : NO_ERROR);
}

std::shared_ptr<SharedSyncObject> Lookup(HANDLE handle) {
  return LookupHandleAs<SharedSyncObject>(handle);
}

DWORD WaitMutex(SharedSync* sync, DWORD timeout_ms) {
  int result = 0;
  if (timeout_ms == 0) {
    result = Calls().trylock(&sync->mutex);
  } else if (timeout_ms == INFINITE) {
    result = Calls().lock(&sync->mutex);
  } else {
    // The timed lock counts on the calendar clock; the limit is kept on the
    // steady clock so that a clock change neither cuts nor stretches it.
    const int64_t end = NowNs() + static_cast<int64_t>(timeout_ms) * 1000000;
    for (;;) {
      timespec now{};
      clock_gettime(CLOCK_REALTIME, &now);
      const int64_t left = end - NowNs();
      if (left <= 0) {
        result = ETIMEDOUT;
        break;
      }
      const int64_t at = now.tv_sec * 1000000000LL + now.tv_nsec + left;
      const timespec deadline = SpanOf(at);
      result = Calls().timedlock(&sync->mutex, &deadline);
      if (result != ETIMEDOUT) break;
    }
  }
  switch (result) {
    case 0:
      return WAIT_OBJECT_0;
    case EOWNERDEAD:
      // Its owner ended while holding it: ours now, and said so.
      Calls().consistent(&sync->mutex);
      return WAIT_ABANDONED;
    case EBUSY:
    case ETIMEDOUT:
      return WAIT_TIMEOUT;
    default:
      SetLastError(ERROR_INVALID_HANDLE);
      return WAIT_FAILED;
  }
}

DWORD WaitEvent(SharedSync* sync, DWORD timeout_ms) {
  const int64_t end = NowNs() + static_cast<int64_t>(timeout_ms) * 1000000;
  for (;;) {
    uint32_t value = sync->state.load(std::memory_order_acquire);
    if ((value & 1u) != 0) {
      if (sync->manual_reset != 0) return WAIT_OBJECT_0;
      if (sync->state.compare_exchange_weak(value, value & ~1u, std::memory_order_acq_rel)) return WAIT_OBJECT_0;
      continue;
    }
    if (timeout_ms == 0) return WAIT_TIMEOUT;
    int64_t left = -1;
    if (timeout_ms != INFINITE) {
      left = end - NowNs();
      if (left <= 0) return WAIT_TIMEOUT;
    }
    FutexWait(&sync->state, value, left);
  }
}

}  // namespace

bool IsCrossProcessName(LPCSTR name) {
  if (name == nullptr) return false;
  for (const char* prefix : kCrossProcessPrefixes) {
    if (std::strncmp(name, prefix, std::strlen(prefix)) == 0) return true;
  }
  return false;
}

HANDLE CreateSharedMutex(BOOL initialOwner, LPCSTR name) {
  return OpenSync(SharedKind::kMutex, name, true, InitMutex, [&](SharedSyncObject& object) {
    if (initialOwner) WaitMutex(object.sync(), INFINITE);
  });
}

HANDLE OpenSharedMutex(LPCSTR name) { return OpenSync(SharedKind::kMutex, name, false, nullptr, nullptr); }

HANDLE CreateSharedEvent(BOOL manualReset, BOOL initialState, LPCSTR name) {
  return OpenSync(
      SharedKind::kEvent, name, true,
      [&](void* file) {
        auto* sync = static_cast<SharedSync*>(file);
        sync->manual_reset = manualReset ? 1u : 0u;
        sync->state.store(initialState ? 1u : 0u);
      },
      nullptr);
}

HANDLE OpenSharedEvent(LPCSTR name) { return OpenSync(SharedKind::kEvent, name, false, nullptr, nullptr); }

bool ReleaseSharedMutex(HANDLE handle, BOOL* result) {
  auto object = Lookup(handle);
  if (!object) return false;
  if (object->kind() != SharedKind::kMutex) {
    SetLastError(ERROR_INVALID_HANDLE);
    *result = FALSE;
  } else if (Calls().unlock(&object->sync()->mutex) != 0) {
    SetLastError(ERROR_NOT_OWNER);
    *result = FALSE;
  } else {
    *result = TRUE;
  }
  return true;
}

bool ChangeSharedEvent(HANDLE handle, int change, BOOL* result) {
  auto object = Lookup(handle);
  if (!object) return false;
  if (object->kind() != SharedKind::kEvent) {
    SetLastError(ERROR_INVALID_HANDLE);
    *result = FALSE;
    return true;
  }
  SharedSync* sync = object->sync();
  if (change == 1) {
    sync->state.fetch_and(~1u, std::memory_order_acq_rel);
  } else {
    uint32_t value = sync->state.load(std::memory_order_relaxed);
    while (!sync->state.compare_exchange_weak(value, (value + 2u) | 1u, std::memory_order_acq_rel)) {
    }
    FutexWake(&sync->state);
    // A pulse wakes the threads waiting now, as far as they run before the reset.
    if (change == 2) sync->state.fetch_and(~1u, std::memory_order_acq_rel);
  }
  *result = TRUE;
  return true;
}

bool WaitSharedObject(HANDLE handle, DWORD timeout_ms, DWORD* result) {
  auto object = Lookup(handle);
  if (!object) return false;
  *result = object->kind() == SharedKind::kMutex ? WaitMutex(object->sync(), timeout_ms)
                                                  : WaitEvent(object->sync(), timeout_ms);
  return true;
}

}  // namespace qvp
