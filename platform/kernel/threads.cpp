#include "kernel/threads.h"

#include <unistd.h>

#include <chrono>
#include <new>
#include <system_error>

#include "kernel/idle_poll.h"
#include "kernel/test_clock_hooks.h"
#include "kernel/sync_objects.h"
#include "qvplatform/kernel.h"
#include "ui/dialog_state.h"

namespace qvp {
namespace {

// What the layer knows about the calling thread. Its destructor runs when the
// thread ends, whoever started it.
struct ThreadRecord {
  std::shared_ptr<ThreadObject> object;
  bool ended = false;
  ~ThreadRecord();
};

thread_local ThreadRecord t_record;

// The thread has ended (or its start routine returned): mutexes it still owns
// become abandoned, then its object becomes signalled.
void EndCurrentThread(DWORD exit_code) {
  ThreadRecord& record = t_record;
  if (record.ended) return;
  record.ended = true;
  std::vector<std::shared_ptr<MutexObject>> abandoned;  // dropped after the lock
  std::lock_guard<std::mutex> lock(WaitLock());
  abandoned = AbandonMutexesOf(CurrentThreadKey());
  if (record.object && !record.object->finished) {
    record.object->finished = true;
    record.object->exit_code = exit_code;
    record.object->Notify();
  }
}

ThreadRecord::~ThreadRecord() { EndCurrentThread(0); }

DWORD NativeThreadId() { return static_cast<DWORD>(gettid()); }

void ThreadMain(std::shared_ptr<ThreadObject> self, LPTHREAD_START_ROUTINE start, LPVOID param) {
  // The record keeps the object until the thread's last step, so that a
  // handle-closing thread joins only a thread that is practically gone.
  t_record.object = self;
  {
    std::unique_lock<std::mutex> lock(WaitLock());
    self->thread_id = NativeThreadId();
    self->Notify();
    BlockUntil(lock, {self.get()}, WaitClock::time_point::max(), [&] { return !self->suspended; });
  }
  self.reset();
  EndCurrentThread(start(param));
}

}  // namespace

ThreadObject::~ThreadObject() {
  if (!native.joinable()) return;
  if (native.get_id() == std::this_thread::get_id()) {
    native.detach();
  } else {
    native.join();
  }
}

std::shared_ptr<ThreadObject> CurrentThreadObject() {
  ThreadRecord& record = t_record;
  if (!record.object) {
    auto object = std::make_shared<ThreadObject>();
    object->thread_id = NativeThreadId();
    record.object = std::move(object);
  }
  return record.object;
}

std::shared_ptr<ProcessObject> CurrentProcessObject() {
  static auto* process = new std::shared_ptr<ProcessObject>(std::make_shared<ProcessObject>());
  return *process;
}

std::shared_ptr<KernelObject> LookupObject(HANDLE handle) {
  if (handle == CurrentThreadPseudoHandle()) return CurrentThreadObject();
  if (handle == CurrentProcessPseudoHandle()) return CurrentProcessObject();
  return LookupHandle(handle);
}

void WatchCurrentThreadEnd() {
  // Touching the record constructs it, which registers its destructor.
  (void)t_record.ended;
}

}  // namespace qvp

QV_API HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE lpStartAddress,
                           LPVOID lpParameter, DWORD dwCreationFlags, LPDWORD lpThreadId) {
  if (lpStartAddress == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  try {
    auto object = std::make_shared<qvp::ThreadObject>();
    object->suspended = (dwCreationFlags & CREATE_SUSPENDED) != 0;
    object->native = std::thread(qvp::ThreadMain, object, lpStartAddress, lpParameter);
    DWORD id = 0;
    {
      std::unique_lock<std::mutex> lock(qvp::WaitLock());
      qvp::BlockUntil(lock, {object.get()}, qvp::WaitClock::time_point::max(),
                      [&] { return object->thread_id != 0; });
      id = object->thread_id;
    }
    HANDLE handle = qvp::InsertHandle(object);
    if (lpThreadId != nullptr) *lpThreadId = id;
    return handle;
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  } catch (const std::system_error&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  }
  return nullptr;
}

QV_API DWORD ResumeThread(HANDLE hThread) {
  auto thread = std::dynamic_pointer_cast<qvp::ThreadObject>(qvp::LookupObject(hThread));
  if (!thread) {
    SetLastError(ERROR_INVALID_HANDLE);
    return static_cast<DWORD>(-1);
  }
  std::lock_guard<std::mutex> lock(qvp::WaitLock());
  if (!thread->suspended) return 0;
  thread->suspended = false;
  thread->Notify();
  return 1;
}

QV_API BOOL GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode) {
  auto thread = std::dynamic_pointer_cast<qvp::ThreadObject>(qvp::LookupObject(hThread));
  if (!thread) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (lpExitCode == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard<std::mutex> lock(qvp::WaitLock());
  *lpExitCode = thread->finished ? thread->exit_code : STILL_ACTIVE;
  return TRUE;
}

QV_API HANDLE GetCurrentThread(void) { return qvp::CurrentThreadPseudoHandle(); }

QV_API DWORD GetCurrentThreadId(void) { return qvp::NativeThreadId(); }

namespace {
thread_local bool t_emptyPeek = false;
}  // namespace

void qvp::NoteEmptyPeek(bool empty) { t_emptyPeek = empty; }

bool qvp::TakeEmptyPeek() {
  const bool was = t_emptyPeek;
  t_emptyPeek = false;
  return was;
}

QV_API void Sleep(DWORD dwMilliseconds) {
  if (dwMilliseconds > 0 && dwMilliseconds != INFINITE && qvp::TakeEmptyPeek()) qvp::ui::RunModalIdleHook();
  if (dwMilliseconds == 0) {
    std::this_thread::yield();
    return;
  }
  if (dwMilliseconds == INFINITE) {
    for (;;) std::this_thread::sleep_for(std::chrono::hours(24));
  }
  if (qvp::TestClockInstalled()) {
    std::unique_lock<std::mutex> lock(qvp::WaitLock());
    qvp::BlockUntil(lock, {}, qvp::WaitNow() + std::chrono::milliseconds(dwMilliseconds), [] { return false; });
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(dwMilliseconds));
}

QV_API DWORD SleepEx(DWORD dwMilliseconds, BOOL) {
  Sleep(dwMilliseconds);
  return 0;
}
