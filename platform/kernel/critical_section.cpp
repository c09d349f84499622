// Critical sections: a recursive lock of the layer behind the caller's struct.
#include <atomic>
#include <mutex>

#include "kernel/handles.h"
#include "qvplatform/kernel.h"

namespace {

struct SectionLock {
  std::recursive_mutex mutex;
  std::atomic<uint64_t> owner{0};  // thread key of the holder, 0 when free
  LONG depth = 0;                  // touched only by the holder
};

// A section that was zero-filled instead of initialised gets its lock on first use.
SectionLock* LockOf(LPCRITICAL_SECTION section) {
  void* current = __atomic_load_n(&section->LockObject, __ATOMIC_ACQUIRE);
  if (current != nullptr) return static_cast<SectionLock*>(current);
  auto* fresh = new SectionLock;
  void* expected = nullptr;
  if (__atomic_compare_exchange_n(&section->LockObject, &expected, static_cast<void*>(fresh), false,
                                  __ATOMIC_ACQ_REL, __ATOMIC_ACQUIRE)) {
    return fresh;
  }
  delete fresh;
  return static_cast<SectionLock*>(expected);
}

void Entered(SectionLock* lock) {
  if (lock->depth++ == 0) lock->owner.store(qvp::CurrentThreadKey(), std::memory_order_relaxed);
}

}  // namespace

QV_API void InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  if (lpCriticalSection == nullptr) return;
  __atomic_store_n(&lpCriticalSection->LockObject, static_cast<void*>(new SectionLock),
                   __ATOMIC_RELEASE);
}

QV_API void EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  if (lpCriticalSection == nullptr) return;
  SectionLock* lock = LockOf(lpCriticalSection);
  lock->mutex.lock();
  Entered(lock);
}

QV_API BOOL TryEnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  if (lpCriticalSection == nullptr) return FALSE;
  SectionLock* lock = LockOf(lpCriticalSection);
  if (!lock->mutex.try_lock()) return FALSE;
  Entered(lock);
  return TRUE;
}

QV_API void LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  if (lpCriticalSection == nullptr) return;
  SectionLock* lock = LockOf(lpCriticalSection);
  // Leaving a section the thread does not hold would break the lock for its holder.
  if (lock->owner.load(std::memory_order_relaxed) != qvp::CurrentThreadKey()) {
    OutputDebugStringA("LeaveCriticalSection: the calling thread does not own the section\n");
    return;
  }
  if (--lock->depth == 0) lock->owner.store(0, std::memory_order_relaxed);
  lock->mutex.unlock();
}

QV_API void DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  if (lpCriticalSection == nullptr) return;
  void* lock = __atomic_exchange_n(&lpCriticalSection->LockObject, nullptr, __ATOMIC_ACQ_REL);
  delete static_cast<SectionLock*>(lock);
}
