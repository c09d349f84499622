// The scheduler mutex "QV40_SchedulerMutex" and its holder.
#include <mutex>

#include "host_tables.h"

HANDLE g_schedulerMutex = nullptr;

namespace {

// Stands in while the named mutex is missing (before start-up made it, or
// when it could not be made): the tables stay guarded either way.
std::recursive_mutex g_standIn;

}  // namespace

bool CreateSchedulerMutex() {
  if (g_schedulerMutex != nullptr) return true;
  g_schedulerMutex = CreateMutexA(nullptr, FALSE, kSchedulerMutexName);
  return g_schedulerMutex != nullptr;
}

void CloseSchedulerMutex() {
  if (g_schedulerMutex == nullptr) return;
  CloseHandle(g_schedulerMutex);
  g_schedulerMutex = nullptr;
}

SchedulerLock::SchedulerLock() : mutex_(g_schedulerMutex) {
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
