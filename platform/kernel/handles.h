// The layer's handle table and the one wait lock behind every waitable object.
//
// Every kernel object (thread, event, mutex, semaphore, file, find search, ...)
// lives in the table under a HANDLE value; CloseHandle drops the table's
// reference, and an object still used by a waiting thread lives on until that
// thread lets go of it.
//
// All waitable state is guarded by one process-wide lock (WaitLock). A thread
// that blocks waits on a condition variable of its own, listed on each thing it
// waits for (a WaitSource: every kernel object, each message queue, a sent
// message's reply); a change wakes only the threads listed on what changed
// (WaitSource::Notify, with WaitLock held). Message queues use the same lock,
// so MsgWaitForMultipleObjects can wait for objects and messages at once: it
// builds on qvp::WaitForObjects in kernel/wait.h.
//
// A new kind of waitable object derives from KernelObject, overrides
// IsWaitable, IsSignaled and Acquire, and calls Notify() on itself with
// WaitLock held whenever it may have become signalled. NotifyWaiters() wakes
// every blocked thread: a slow fallback for changes that have no source.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <vector>

#include "qvplatform/types.h"

namespace qvp {

// One blocked thread's wake-up: each thread has its own.
struct Waiter {
  std::condition_variable cv;
  uint64_t thread_key = 0;
};

// Something threads block on. Its waiter list is guarded by WaitLock().
class WaitSource {
 public:
  WaitSource() = default;
  WaitSource(const WaitSource&) = delete;
  WaitSource& operator=(const WaitSource&) = delete;
  // With WaitLock() held: wakes the threads blocked on this source.
  void Notify();

 private:
  friend class BlockedThread;
  std::vector<Waiter*> waiters_;
};

// With WaitLock() held by `lock`: the calling thread blocks on the given
// sources until `ready()` holds or `deadline` passes (false then; the time
// point max waits without end). Only a Notify of one of the sources, or
// NotifyWaiters(), wakes it.
using WaitClock = std::chrono::steady_clock;
bool BlockUntil(std::unique_lock<std::mutex>& lock, std::initializer_list<WaitSource*> sources,
                WaitClock::time_point deadline, const std::function<bool()>& ready);

// The same for a list of sources built at run time.
class BlockedThread {
 public:
  // With WaitLock() held: lists the calling thread on the sources.
  explicit BlockedThread(const std::vector<WaitSource*>& sources);
  ~BlockedThread();  // with WaitLock() held
  BlockedThread(const BlockedThread&) = delete;
  BlockedThread& operator=(const BlockedThread&) = delete;
  // Waits once (spurious wake-ups included); false when the deadline passed.
  bool Wait(std::unique_lock<std::mutex>& lock, WaitClock::time_point deadline);

 private:
  Waiter* waiter_;
  std::vector<WaitSource*> sources_;
};

// Tests: called with the thread key each time a blocked thread wakes; and how
// many threads are blocked right now.
using WakeHook = void (*)(uint64_t thread_key);
void SetWakeHookForTests(WakeHook hook);
size_t BlockedThreadCount();

class KernelObject : public WaitSource {
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
// Waits on this condition are woken by NotifyWaiters() only; BlockUntil is the
// way to wait.
std::condition_variable& WaitCondition();
// Wakes every blocked thread so it re-checks what it waits for. Callable with
// or without WaitLock held (a change it announces is made under WaitLock).
void NotifyWaiters();

// A process-unique key of the calling thread (never 0), stable for the thread's life.
uint64_t CurrentThreadKey();

}  // namespace qvp
