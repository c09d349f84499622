// The layer's handle table and the one wait lock behind every waitable object.
//
// Every kernel object (thread, event, mutex, semaphore, file, find search, ...)
// lives in the table under a HANDLE value; CloseHandle drops the table's
// reference, and an object still used by a waiting thread lives on until that
// thread lets go of it.
//
// All waitable state is guarded by one process-wide lock; any change that may
// satisfy a waiter calls NotifyWaiters(). Message queues use the same lock and
// condition, so MsgWaitForMultipleObjects can wait for objects and messages at
// once: it builds on qvp::WaitForObjects in kernel/wait.h.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>

#include "qvplatform/types.h"

namespace qvp {

class KernelObject {
 public:
  virtual ~KernelObject() = default;

  // Waitable objects override the three below; each is called with WaitLock() held.
  virtual bool IsWaitable() const { return false; }
  virtual bool IsSignaled(uint64_t /*thread_key*/) const { return false; }
  // Takes the object after a satisfied wait (auto-reset event, mutex ownership,
  // semaphore count). Returns true when the object was an abandoned mutex.
  virtual bool Acquire(uint64_t /*thread_key*/) { return false; }
};

// Inserts an object; the handle is never 0 nor INVALID_HANDLE_VALUE.
HANDLE InsertHandle(std::shared_ptr<KernelObject> object);
std::shared_ptr<KernelObject> LookupHandle(HANDLE handle);
template <class T>
std::shared_ptr<T> LookupHandleAs(HANDLE handle) {
  return std::dynamic_pointer_cast<T>(LookupHandle(handle));
}
// Removes the table's reference. False when the handle is not in the table.
bool RemoveHandle(HANDLE handle);
// A second handle to the same object (DuplicateHandle).
HANDLE DuplicateHandleEntry(HANDLE handle);

std::mutex& WaitLock();
std::condition_variable& WaitCondition();
// Wakes every waiter so it re-checks its objects. Callable with or without WaitLock held.
void NotifyWaiters();

// A process-unique key of the calling thread (never 0), stable for the thread's life.
uint64_t CurrentThreadKey();

}  // namespace qvp
