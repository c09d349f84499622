#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "kernel/test_support.h"

namespace {

using qvtest::StartThread;

TEST(Threads, ExitCodeIsStillActiveUntilTheHandleIsSignalled) {
  HANDLE go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  DWORD seen_id = 0;
  auto body = [&]() -> DWORD {
    seen_id = GetCurrentThreadId();
    WaitForSingleObject(go, INFINITE);
    return 42;
  };
  DWORD id = 0;
  HANDLE thread = StartThread(&body, 0, &id);
  ASSERT_NE(thread, nullptr);
  EXPECT_NE(id, 0u);
  EXPECT_NE(id, GetCurrentThreadId());

  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, STILL_ACTIVE);
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_TIMEOUT);

  SetEvent(go);
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0);  // stays signalled
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, 42u);
  EXPECT_EQ(seen_id, id);
  EXPECT_TRUE(CloseHandle(thread));
  EXPECT_FALSE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  CloseHandle(go);
}

TEST(Threads, SuspendedThreadStartsOnResume) {
  std::atomic<bool> ran{false};
  auto body = [&]() -> DWORD {
    ran = true;
    return 7;
  };
  HANDLE thread = StartThread(&body, CREATE_SUSPENDED);
  ASSERT_NE(thread, nullptr);
  EXPECT_EQ(WaitForSingleObject(thread, 30), WAIT_TIMEOUT);
  EXPECT_FALSE(ran.load());
  EXPECT_EQ(ResumeThread(thread), 1u);
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  EXPECT_TRUE(ran.load());
  EXPECT_EQ(ResumeThread(thread), 0u);
  CloseHandle(thread);
  EXPECT_EQ(ResumeThread(thread), static_cast<DWORD>(-1));
}

TEST(Threads, ThreadsWhoseHandlesAreClosedEarlyStillRunToTheEnd) {
  // Handles closed at once, while the threads run: the layer must still clean
  // every thread up (the sanitizer builds watch for leaks and races).
  HANDLE finished = CreateSemaphoreA(nullptr, 0, 100, nullptr);
  std::atomic<int> runs{0};
  auto body = [&]() -> DWORD {
    ++runs;
    ReleaseSemaphore(finished, 1, nullptr);
    return 0;
  };
  for (int i = 0; i < 40; ++i) {
    HANDLE thread = StartThread(&body);
    ASSERT_NE(thread, nullptr);
    EXPECT_TRUE(CloseHandle(thread));
  }
  for (int i = 0; i < 40; ++i) EXPECT_EQ(WaitForSingleObject(finished, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(runs.load(), 40);
  CloseHandle(finished);
}

TEST(Threads, CurrentThreadPseudoHandleDuplicatesToARealHandle) {
  HANDLE own = nullptr;
  HANDLE have_handle = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE may_end = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::thread worker([&] {
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &own, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(GetCurrentThread(), &code));
    EXPECT_EQ(code, STILL_ACTIVE);
    SetEvent(have_handle);
    WaitForSingleObject(may_end, INFINITE);
  });
  WaitForSingleObject(have_handle, INFINITE);
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(WaitForSingleObject(own, 0), WAIT_TIMEOUT);
  SetEvent(may_end);
  worker.join();
  // A thread the layer did not start is signalled when it ends, too.
  EXPECT_EQ(WaitForSingleObject(own, INFINITE), WAIT_OBJECT_0);
  EXPECT_TRUE(CloseHandle(own));
  for (HANDLE h : {have_handle, may_end}) CloseHandle(h);
}

TEST(Handles, CloseAndDuplicateCheckTheirHandles) {
  EXPECT_FALSE(CloseHandle(nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE copy = nullptr;
  ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), event, GetCurrentProcess(), &copy, 0, FALSE,
                              DUPLICATE_CLOSE_SOURCE | DUPLICATE_SAME_ACCESS));
  EXPECT_NE(copy, event);
  EXPECT_FALSE(CloseHandle(event));  // closed by the duplication
  EXPECT_TRUE(SetEvent(copy));

  HANDLE other = nullptr;
  EXPECT_FALSE(DuplicateHandle(GetCurrentProcess(), event, GetCurrentProcess(), &other, 0, FALSE, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(DuplicateHandle(copy, copy, GetCurrentProcess(), &other, 0, FALSE, 0));  // not a process
  EXPECT_TRUE(CloseHandle(copy));
  EXPECT_FALSE(CloseHandle(copy));

  // Pseudo handles are not in the table; closing them changes nothing.
  EXPECT_TRUE(CloseHandle(GetCurrentThread()));
  EXPECT_TRUE(CloseHandle(GetCurrentProcess()));
  EXPECT_NE(GetCurrentProcessId(), 0u);
}

TEST(Handles, LastErrorBelongsToEachThread) {
  SetLastError(5);
  std::thread([] {
    EXPECT_EQ(GetLastError(), 0u);
    SetLastError(87);
  }).join();
  EXPECT_EQ(GetLastError(), 5u);
}

TEST(Threads, CreateThreadRefusesAMissingStartRoutine) {
  EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
