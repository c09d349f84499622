// A change wakes only the threads waiting for what changed.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "kernel/handles.h"
#include "kernel/io_cancel.h"
#include "kernel/test_support.h"
#include "kernel/wake_counter.h"
#include "qvplatform/kernel.h"

namespace {

TEST(Wake, SignallingOneObjectWakesNoThreadWaitingForAnother) {
  qvtest::WakeCounter counter;
  HANDLE quiet = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE busy = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  HANDLE lock = CreateMutexA(nullptr, FALSE, nullptr);
  std::atomic<uint64_t> waiter_key{0};
  auto waiter = [&]() -> DWORD {
    waiter_key = qvp::CurrentThreadKey();
    return WaitForSingleObject(quiet, INFINITE);
  };
  HANDLE thread = qvtest::StartThread(&waiter);
  qvtest::AwaitBlockedWaiters(1);

  // Events set and reset, a mutex taken and given back: none of them is `quiet`.
  for (int n = 0; n < 200; ++n) {
    SetEvent(busy);
    EXPECT_EQ(WaitForSingleObject(busy, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(lock, INFINITE), WAIT_OBJECT_0);
    ReleaseMutex(lock);
  }
  EXPECT_EQ(qvtest::WakeCounter::Of(waiter_key), 0u);

  SetEvent(quiet);
  EXPECT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
  DWORD code = 99;
  GetExitCodeThread(thread, &code);
  EXPECT_EQ(code, WAIT_OBJECT_0);
  EXPECT_GE(qvtest::WakeCounter::Of(waiter_key), 1u);
  for (HANDLE h : {quiet, busy, lock, thread}) CloseHandle(h);
}

}  // namespace

namespace {

TEST(CancelSynchronousIo, ReleasesAThreadFromItsBlockingOperationOnly) {
  std::mutex lock;
  std::condition_variable cv;
  bool done = false;
  std::atomic<bool> entered{false};
  std::atomic<int> outcome{-1};
  auto blocked = [&]() -> DWORD {
    qvp::CancellableWait cancellable(lock, cv);
    entered = true;
    std::unique_lock<std::mutex> hold(lock);
    outcome = cancellable.Wait(hold, [&] { return done; }) ? 1 : 0;
    return 0;
  };
  HANDLE thread = qvtest::StartThread(&blocked);
  // A thread in no such operation has nothing to cancel.
  EXPECT_FALSE(CancelSynchronousIo(GetCurrentThread()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_FOUND));
  while (!entered.load()) Sleep(1);
  EXPECT_TRUE(CancelSynchronousIo(thread));
  EXPECT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
  EXPECT_EQ(outcome.load(), 0);
  EXPECT_FALSE(CancelSynchronousIo(thread));  // it has ended
  CloseHandle(thread);
}

}  // namespace
