// Mutexes, events and semaphores as waitable kernel objects. Their state is
// guarded by WaitLock().
#pragma once

#include <memory>
#include <vector>

#include "kernel/handles.h"

namespace qvp {

class MutexObject : public KernelObject, public std::enable_shared_from_this<MutexObject> {
 public:
  bool IsWaitable() const override { return true; }
  bool IsSignaled(uint64_t thread_key) const override { return owner == 0 || owner == thread_key; }
  bool Acquire(uint64_t thread_key) override;
  // Drops one level of ownership held by thread_key; false when it owns none.
  bool Release(uint64_t thread_key);

  uint64_t owner = 0;  // thread key, 0 when free
  uint32_t depth = 0;  // recursive ownership count
  bool abandoned = false;
};

class EventObject : public KernelObject {
 public:
  EventObject(bool manual, bool initial) : manual_reset(manual), signaled(initial) {}
  bool IsWaitable() const override { return true; }
  bool IsSignaled(uint64_t) const override { return signaled; }
  bool Acquire(uint64_t) override {
    if (!manual_reset) signaled = false;
    return false;
  }

  const bool manual_reset;
  bool signaled;
};

class SemaphoreObject : public KernelObject {
 public:
  SemaphoreObject(LONG initial, LONG maximum) : count(initial), maximum_count(maximum) {}
  bool IsWaitable() const override { return true; }
  bool IsSignaled(uint64_t) const override { return count > 0; }
  bool Acquire(uint64_t) override {
    --count;
    return false;
  }

  LONG count;
  const LONG maximum_count;
};

// With WaitLock() held: every mutex thread_key still owns becomes free and
// abandoned; the thread has ended. Returns the mutexes so the caller drops
// them after releasing the lock.
std::vector<std::shared_ptr<MutexObject>> AbandonMutexesOf(uint64_t thread_key);

}  // namespace qvp
