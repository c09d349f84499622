#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "kernel/test_support.h"

namespace {

using qvtest::AwaitBlockedWaiters;
using qvtest::StartThread;

// Runs fn on another thread and returns its result (waits for it).
template <class F>
DWORD OnOtherThread(F fn) {
  DWORD result = 0;
  std::thread([&] { result = fn(); }).join();
  return result;
}

TEST(NamedObjects, SecondCreateOpensTheSameMutexAndSaysSo) {
  SetLastError(1234);
  HANDLE first = CreateMutexA(nullptr, FALSE, "qvtest.mutex.named");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(GetLastError(), 0u);

  HANDLE second = CreateMutexA(nullptr, TRUE, "qvtest.mutex.named");  // owner flag ignored
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_NE(first, second);

  // One object: ownership taken through one handle shows through the other.
  EXPECT_EQ(OnOtherThread([&] { return WaitForSingleObject(second, 0); }), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(first, 0), WAIT_ABANDONED);  // that thread ended owning it
  EXPECT_EQ(OnOtherThread([&] { return WaitForSingleObject(first, 0); }), WAIT_TIMEOUT);
  EXPECT_TRUE(ReleaseMutex(second));

  HANDLE opened = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, "qvtest.mutex.named");
  EXPECT_NE(opened, nullptr);
  EXPECT_TRUE(CloseHandle(first));
  EXPECT_TRUE(CloseHandle(second));
  EXPECT_TRUE(CloseHandle(opened));
}

TEST(NamedObjects, NamesAreSharedAcrossKindsAndLiveWithTheirHandles) {
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, "qvtest.shared.name");
  ASSERT_NE(event, nullptr);

  EXPECT_EQ(CreateMutexA(nullptr, FALSE, "qvtest.shared.name"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(CreateSemaphoreA(nullptr, 0, 1, "qvtest.shared.name"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(OpenMutexA(MUTEX_ALL_ACCESS, FALSE, "qvtest.shared.name"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

  HANDLE opened = OpenEventA(EVENT_ALL_ACCESS, FALSE, "qvtest.shared.name");
  ASSERT_NE(opened, nullptr);
  EXPECT_TRUE(CloseHandle(event));
  // Still open through the second handle: same object, state carried over.
  EXPECT_TRUE(SetEvent(opened));
  HANDLE again = OpenEventA(EVENT_ALL_ACCESS, FALSE, "qvtest.shared.name");
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(WaitForSingleObject(again, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(CloseHandle(opened));
  EXPECT_TRUE(CloseHandle(again));

  // The last handle is gone, so is the object, and the name is free again.
  EXPECT_EQ(OpenEventA(EVENT_ALL_ACCESS, FALSE, "qvtest.shared.name"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  HANDLE mutex = CreateMutexA(nullptr, FALSE, "qvtest.shared.name");
  EXPECT_NE(mutex, nullptr);
  EXPECT_EQ(GetLastError(), 0u);
  CloseHandle(mutex);

  EXPECT_EQ(OpenSemaphoreA(SEMAPHORE_ALL_ACCESS, FALSE, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(Mutexes, OwnershipIsRecursiveAndOnlyTheOwnerReleases) {
  HANDLE mutex = CreateMutexA(nullptr, TRUE, nullptr);
  ASSERT_NE(mutex, nullptr);
  EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(mutex, INFINITE), WAIT_OBJECT_0);  // owned three times now

  EXPECT_EQ(OnOtherThread([&] { return WaitForSingleObject(mutex, 0); }), WAIT_TIMEOUT);
  EXPECT_EQ(OnOtherThread([&]() -> DWORD { return ReleaseMutex(mutex) ? 0 : GetLastError(); }),
            static_cast<DWORD>(ERROR_NOT_OWNER));

  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_EQ(OnOtherThread([&] { return WaitForSingleObject(mutex, 0); }), WAIT_TIMEOUT);
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_FALSE(ReleaseMutex(mutex));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_OWNER));

  // Free now: another thread takes it (and, ending, abandons it).
  EXPECT_EQ(OnOtherThread([&] { return WaitForSingleObject(mutex, 0); }), WAIT_OBJECT_0);
  CloseHandle(mutex);

  HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  EXPECT_FALSE(ReleaseMutex(event));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  CloseHandle(event);
}

TEST(Mutexes, OwnerEndingWithoutReleaseAbandonsTheMutex) {
  HANDLE mutex = CreateMutexA(nullptr, FALSE, nullptr);
  auto take_and_leave = [&]() -> DWORD { return WaitForSingleObject(mutex, INFINITE); };
  HANDLE owner = StartThread(&take_and_leave);
  ASSERT_NE(owner, nullptr);
  ASSERT_EQ(WaitForSingleObject(owner, INFINITE), WAIT_OBJECT_0);
  DWORD code = 1;
  EXPECT_TRUE(GetExitCodeThread(owner, &code));
  EXPECT_EQ(code, WAIT_OBJECT_0);
  CloseHandle(owner);

  // The next waiter gets the mutex and hears that it was abandoned, once.
  EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_ABANDONED);
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(ReleaseMutex(mutex));

  // A thread the layer did not start, with a waiter already blocked; in a
  // wait-any the abandoned mutex reports its index.
  HANDLE never = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE taken = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE leave = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::thread foreign([&] {
    EXPECT_EQ(WaitForSingleObject(mutex, INFINITE), WAIT_OBJECT_0);
    SetEvent(taken);
    WaitForSingleObject(leave, INFINITE);
  });
  WaitForSingleObject(taken, INFINITE);
  DWORD result = 0;
  std::thread waiter([&] {
    HANDLE both[2] = {never, mutex};
    result = WaitForMultipleObjects(2, both, FALSE, INFINITE);
    ReleaseMutex(mutex);
  });
  AwaitBlockedWaiters(2);
  SetEvent(leave);
  foreign.join();
  waiter.join();
  EXPECT_EQ(result, WAIT_ABANDONED_0 + 1);
  EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(ReleaseMutex(mutex));
  for (HANDLE h : {mutex, never, taken, leave}) CloseHandle(h);
}

struct WakeCounter {
  explicit WakeCounter(HANDLE e) : event(e) {}
  HANDLE event;
  HANDLE woke = CreateSemaphoreA(nullptr, 0, 100, nullptr);
  std::atomic<int> released{0};
  std::vector<std::thread> threads;

  void StartWaiters(int n) {
    for (int i = 0; i < n; ++i) {
      threads.emplace_back([this] {
        EXPECT_EQ(WaitForSingleObject(event, INFINITE), WAIT_OBJECT_0);
        ++released;
        ReleaseSemaphore(woke, 1, nullptr);
      });
    }
    AwaitBlockedWaiters(static_cast<size_t>(n));
  }
  ~WakeCounter() {
    for (auto& t : threads) t.join();
    CloseHandle(woke);
  }
};

TEST(Events, AutoResetReleasesOneWaiterPerSet) {
  HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  {
    WakeCounter waiters{event};
    waiters.StartWaiters(4);
    EXPECT_TRUE(SetEvent(event));
    EXPECT_EQ(WaitForSingleObject(waiters.woke, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(waiters.woke, 50), WAIT_TIMEOUT);  // nobody else woke
    EXPECT_EQ(waiters.released.load(), 1);
    for (int round = 2; round <= 4; ++round) {
      EXPECT_TRUE(SetEvent(event));
      EXPECT_EQ(WaitForSingleObject(waiters.woke, INFINITE), WAIT_OBJECT_0);
      EXPECT_EQ(waiters.released.load(), round);
    }
  }
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);  // consumed by the last waiter
  SetEvent(event);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
  CloseHandle(event);
}

TEST(Events, ManualResetReleasesEveryWaiterAndStaysSet) {
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  {
    WakeCounter waiters{event};
    waiters.StartWaiters(4);
    EXPECT_TRUE(SetEvent(event));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(WaitForSingleObject(waiters.woke, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(waiters.released.load(), 4);
  }
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(ResetEvent(event));
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
  CloseHandle(event);

  HANDLE initially_set = CreateEventA(nullptr, TRUE, TRUE, nullptr);
  EXPECT_EQ(WaitForSingleObject(initially_set, 0), WAIT_OBJECT_0);
  CloseHandle(initially_set);
}

TEST(Events, PulseReleasesWhoIsWaitingAndLeavesTheEventReset) {
  HANDLE manual = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  EXPECT_TRUE(PulseEvent(manual));  // nobody waiting: nothing kept
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);
  {
    WakeCounter waiters{manual};
    waiters.StartWaiters(3);
    EXPECT_TRUE(PulseEvent(manual));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(WaitForSingleObject(waiters.woke, INFINITE), WAIT_OBJECT_0);
  }
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);
  CloseHandle(manual);

  HANDLE automatic = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  {
    WakeCounter waiters{automatic};
    waiters.StartWaiters(2);
    EXPECT_TRUE(PulseEvent(automatic));
    EXPECT_EQ(WaitForSingleObject(waiters.woke, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(waiters.released.load(), 1);
    EXPECT_EQ(qvp::BlockedWaitCount(), 1u);
    EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_TIMEOUT);
    SetEvent(automatic);
  }
  CloseHandle(automatic);
}

TEST(Semaphores, CountStaysWithinItsLimits) {
  EXPECT_EQ(CreateSemaphoreA(nullptr, 2, 1, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(CreateSemaphoreA(nullptr, -1, 1, nullptr), nullptr);
  EXPECT_EQ(CreateSemaphoreA(nullptr, 0, 0, nullptr), nullptr);

  HANDLE semaphore = CreateSemaphoreA(nullptr, 2, 3, nullptr);
  ASSERT_NE(semaphore, nullptr);
  LONG previous = -1;
  EXPECT_FALSE(ReleaseSemaphore(semaphore, 2, &previous));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TOO_MANY_POSTS));
  EXPECT_EQ(previous, -1);  // untouched on failure
  EXPECT_FALSE(ReleaseSemaphore(semaphore, 0, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(ReleaseSemaphore(semaphore, 0x7FFFFFFF, nullptr));  // no overflow past the maximum
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TOO_MANY_POSTS));

  EXPECT_TRUE(ReleaseSemaphore(semaphore, 1, &previous));
  EXPECT_EQ(previous, 2);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(WaitForSingleObject(semaphore, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(semaphore, 0), WAIT_TIMEOUT);
  EXPECT_TRUE(ReleaseSemaphore(semaphore, 3, &previous));
  EXPECT_EQ(previous, 0);
  CloseHandle(semaphore);
}

TEST(Waits, WaitAllTakesNothingUnlessItTakesEverything) {
  HANDLE semaphore = CreateSemaphoreA(nullptr, 1, 5, nullptr);
  HANDLE mutex = CreateMutexA(nullptr, FALSE, nullptr);
  HANDLE held = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::thread owner([&] {
    WaitForSingleObject(mutex, INFINITE);
    SetEvent(held);
    WaitForSingleObject(done, INFINITE);
    ReleaseMutex(mutex);
  });
  WaitForSingleObject(held, INFINITE);

  HANDLE both[2] = {semaphore, mutex};
  EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 0), WAIT_TIMEOUT);
  EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 20), WAIT_TIMEOUT);
  LONG previous = -1;
  EXPECT_TRUE(ReleaseSemaphore(semaphore, 1, &previous));
  EXPECT_EQ(previous, 1);  // the semaphore was not taken by the failed waits
  EXPECT_EQ(WaitForSingleObject(semaphore, 0), WAIT_OBJECT_0);

  // Wait-any takes the lowest signalled index only.
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_TIMEOUT);

  SetEvent(done);
  owner.join();
  ReleaseSemaphore(semaphore, 1, nullptr);
  EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(semaphore, 0), WAIT_TIMEOUT);
  EXPECT_TRUE(ReleaseMutex(mutex));
  for (HANDLE h : {semaphore, mutex, held, done}) CloseHandle(h);
}

TEST(Waits, WaitAllUnderContentionNeverHalfAcquires) {
  // Two binary semaphores guard one section. Threads take both at once or one
  // alone; taking both must never deadlock against the single takers and must
  // never overlap a holder of either.
  HANDLE left = CreateSemaphoreA(nullptr, 1, 1, nullptr);
  HANDLE right = CreateSemaphoreA(nullptr, 1, 1, nullptr);
  int inside_left = 0;
  int inside_right = 0;
  std::atomic<int> violations{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&, t] {
      HANDLE both[2] = {left, right};
      for (int i = 0; i < 300; ++i) {
        const int mode = (t + i) % 3;
        if (mode == 0) {
          ASSERT_EQ(WaitForMultipleObjects(2, both, TRUE, INFINITE), WAIT_OBJECT_0);
          const int l = ++inside_left;
          const int r = ++inside_right;
          if (l != 1 || r != 1) ++violations;
          --inside_left;
          --inside_right;
          ReleaseSemaphore(left, 1, nullptr);
          ReleaseSemaphore(right, 1, nullptr);
        } else {
          HANDLE one = mode == 1 ? left : right;
          int& inside = mode == 1 ? inside_left : inside_right;
          ASSERT_EQ(WaitForSingleObject(one, INFINITE), WAIT_OBJECT_0);
          if (++inside != 1) ++violations;
          --inside;
          ReleaseSemaphore(one, 1, nullptr);
        }
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(violations.load(), 0);
  CloseHandle(left);
  CloseHandle(right);
}

TEST(Waits, BadArgumentsFailTheWait) {
  HANDLE event = CreateEventA(nullptr, TRUE, TRUE, nullptr);
  HANDLE twice[2] = {event, event};
  EXPECT_EQ(WaitForMultipleObjects(2, twice, TRUE, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(WaitForMultipleObjects(2, twice, FALSE, 0), WAIT_OBJECT_0);  // fine for wait-any

  EXPECT_EQ(WaitForMultipleObjects(0, twice, FALSE, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  std::vector<HANDLE> many(MAXIMUM_WAIT_OBJECTS + 1, event);
  EXPECT_EQ(WaitForMultipleObjects(static_cast<DWORD>(many.size()), many.data(), FALSE, 0), WAIT_FAILED);
  EXPECT_EQ(WaitForMultipleObjects(MAXIMUM_WAIT_OBJECTS, many.data(), FALSE, 0), WAIT_OBJECT_0);

  HANDLE stale = CreateEventA(nullptr, TRUE, TRUE, nullptr);
  CloseHandle(stale);
  HANDLE with_stale[2] = {event, stale};
  EXPECT_EQ(WaitForMultipleObjects(2, with_stale, FALSE, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(WaitForSingleObject(nullptr, 0), WAIT_FAILED);
  // A failed create's INVALID_HANDLE_VALUE must not turn into an endless wait.
  EXPECT_EQ(WaitForSingleObject(INVALID_HANDLE_VALUE, INFINITE), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  CloseHandle(event);
}

TEST(Waits, ObjectOutlivesAClosedHandleWhileWaitedOn) {
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE copy = nullptr;
  ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), event, GetCurrentProcess(), &copy, 0, FALSE,
                              DUPLICATE_SAME_ACCESS));
  DWORD result = WAIT_FAILED;
  std::thread waiter([&] { result = WaitForSingleObject(event, INFINITE); });
  AwaitBlockedWaiters(1);
  EXPECT_TRUE(CloseHandle(event));
  EXPECT_TRUE(SetEvent(copy));
  waiter.join();
  EXPECT_EQ(result, WAIT_OBJECT_0);
  CloseHandle(copy);
}

TEST(Waits, ExtraConditionEndsTheWaitAfterTheObjects) {
  HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  bool ready = false;  // guarded by the wait lock
  auto extra = [&] { return ready; };
  EXPECT_EQ(qvp::WaitForObjects(&event, 1, false, 0, extra), WAIT_TIMEOUT);

  std::thread setter([&] {
    qvtest::AwaitBlockedWaiters(1);
    std::lock_guard<std::mutex> lock(qvp::WaitLock());
    ready = true;
    qvp::NotifyWaiters();
  });
  EXPECT_EQ(qvp::WaitForObjects(&event, 1, false, INFINITE, extra), WAIT_OBJECT_0 + 1);
  setter.join();

  // Objects come first, and nothing is taken when the extra condition ends the wait.
  SetEvent(event);
  EXPECT_EQ(qvp::WaitForObjects(&event, 1, false, 0, extra), WAIT_OBJECT_0);
  EXPECT_EQ(qvp::WaitForObjects(&event, 1, false, 0, extra), WAIT_OBJECT_0 + 1);
  EXPECT_EQ(qvp::WaitForObjects(nullptr, 0, false, 0, extra), WAIT_OBJECT_0);
  EXPECT_EQ(qvp::WaitForObjects(nullptr, 0, false, 0, nullptr), WAIT_FAILED);
  CloseHandle(event);
}

}  // namespace
