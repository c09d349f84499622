// The scheduler mutex "QV40_SchedulerMutex" and its holder.
#include <atomic>
#include <mutex>

#include "host_tables.h"

std::atomic<HANDLE> g_schedulerMutex{nullptr};

namespace {

// Stands in while the named mutex is missing (before start-up made it, or
// when it could not be made): the tables stay guarded either way.
std::recursive_mutex g_standIn;

}  // namespace

bool CreateSchedulerMutex() {
  if (g_schedulerMutex.load() != nullptr) return true;
  g_schedulerMutex.store(CreateMutexA(nullptr, FALSE, kSchedulerMutexName));
  return g_schedulerMutex.load() != nullptr;
}

void CloseSchedulerMutex() {
  const HANDLE mutex = g_schedulerMutex.load();
  if (mutex == nullptr) return;
  // Taken first, so that no holder loses it mid-way; later lockers use the
  // stand-in.
  const DWORD result = WaitForSingleObject(mutex, INFINITE);
  g_schedulerMutex.store(nullptr);
  if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) ReleaseMutex(mutex);
  CloseHandle(mutex);
}

SchedulerLock::SchedulerLock() : mutex_(g_schedulerMutex.load()) {
  if (mutex_ != nullptr) {
    // An abandoned mutex is owned all the same.
    const DWORD result = WaitForSingleObject(mutex_, INFINITE);
    if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) return;
    OutputDebugStringA("Scheduler mutex: wait failed, using the process lock\r\n");
    mutex_ = nullptr;
  }
  g_standIn.lock();
}

SchedulerLock::~SchedulerLock() {
  if (mutex_ != nullptr) {
    ReleaseMutex(mutex_);
  } else {
    g_standIn.unlock();
  }
}
