// Thread objects, the pseudo handles, and what happens when a thread ends.
#pragma once

#include <memory>
#include <thread>

#include "kernel/handles.h"

namespace qvp {

inline HANDLE CurrentProcessPseudoHandle() { return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1)); }
inline HANDLE CurrentThreadPseudoHandle() { return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-2)); }

// A thread as a waitable object: signalled once the thread has ended. Threads
// the layer did not start (the main thread, std::thread) get one on demand.
class ThreadObject : public KernelObject {
 public:
  ThreadObject() = default;
  ThreadObject(const ThreadObject&) = delete;
  ThreadObject& operator=(const ThreadObject&) = delete;
  // Joins the native thread; when the thread itself drops the last reference
  // it is in its final steps and is detached instead.
  ~ThreadObject() override;

  bool IsWaitable() const override { return true; }
  bool IsSignaled(uint64_t) const override { return finished; }

  // Guarded by WaitLock().
  bool finished = false;
  DWORD exit_code = 0;
  DWORD thread_id = 0;
  bool suspended = false;

  // Set once by CreateThread before any handle to the object exists.
  std::thread native;
};

// The current process: waitable, never signalled.
class ProcessObject : public KernelObject {
 public:
  bool IsWaitable() const override { return true; }
};

std::shared_ptr<ThreadObject> CurrentThreadObject();
std::shared_ptr<ProcessObject> CurrentProcessObject();

// LookupHandle that also resolves the two pseudo handles.
std::shared_ptr<KernelObject> LookupObject(HANDLE handle);

// Makes sure the calling thread's end is noticed (abandoned mutexes, signalled
// thread object) even when the layer did not start it. Cheap after the first call.
void WatchCurrentThreadEnd();

}  // namespace qvp
