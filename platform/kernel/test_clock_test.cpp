#include "qvplatform/test_clock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "qvplatform/kernel.h"

namespace {

uint64_t Value(const FILETIME& ft) { return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime; }

TEST(TestClock, NowStandsStillAndMovesOnlyByAdvance) {
  qvp::TestClock clock;
  const ULONGLONG tick = GetTickCount64();
  FILETIME ft{};
  GetSystemTimeAsFileTime(&ft);
  SYSTEMTIME st{};
  GetSystemTime(&st);
  LARGE_INTEGER pc{};
  QueryPerformanceCounter(&pc);

  clock.Advance(90061001);  // one day, one hour, one minute, one second, one ms
  EXPECT_EQ(GetTickCount64(), tick + 90061001);
  EXPECT_EQ(GetTickCount(), static_cast<DWORD>(tick + 90061001));
  FILETIME later{};
  GetSystemTimeAsFileTime(&later);
  EXPECT_EQ(Value(later) - Value(ft), 90061001ull * 10000);
  SYSTEMTIME st_later{};
  GetSystemTime(&st_later);
  FILETIME a{}, b{};
  ASSERT_TRUE(SystemTimeToFileTime(&st, &a));
  ASSERT_TRUE(SystemTimeToFileTime(&st_later, &b));
  EXPECT_EQ(Value(b) - Value(a), 90061001ull * 10000);
  LARGE_INTEGER pc_later{};
  QueryPerformanceCounter(&pc_later);
  EXPECT_EQ(pc_later.QuadPart - pc.QuadPart, 90061001ll * 1000000);
  EXPECT_EQ(clock.Elapsed(), 90061001u);
}

// A waiter's time-out passes when the clock passes it, not a moment before;
// GetTickCount64 at its return tells when that was.
TEST(TestClock, WaitsTimeOutWhenTheClockPassesTheirTimeOut) {
  qvp::TestClock clock;
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE other = CreateEventA(nullptr, TRUE, TRUE, nullptr);
  const ULONGLONG start = GetTickCount64();
  std::atomic<DWORD> single{0}, all{0};
  std::atomic<ULONGLONG> single_at{0}, all_at{0}, slept_at{0};
  std::thread t1([&] {
    single = WaitForSingleObject(event, 1000);
    single_at = GetTickCount64();
  });
  std::thread t2([&] {
    HANDLE both[2] = {event, other};
    all = WaitForMultipleObjects(2, both, TRUE, 3000);
    all_at = GetTickCount64();
  });
  std::thread t3([&] {
    Sleep(2000);
    slept_at = GetTickCount64();
  });
  ASSERT_TRUE(qvp::TestClock::AwaitTimedWaiters(3));
  clock.Advance(999);
  ASSERT_TRUE(qvp::TestClock::AwaitTimedWaiters(3));
  clock.Advance(1);
  t1.join();
  EXPECT_EQ(single.load(), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(single_at.load(), start + 1000);
  ASSERT_TRUE(qvp::TestClock::AwaitTimedWaiters(2));
  clock.Advance(1500);
  t3.join();
  EXPECT_EQ(slept_at.load(), start + 2500);
  clock.Advance(500);
  t2.join();
  EXPECT_EQ(all.load(), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(all_at.load(), start + 3000);
  CloseHandle(event);
  CloseHandle(other);
}

TEST(TestClock, SignalledObjectEndsTheWaitWithoutTime) {
  qvp::TestClock clock;
  HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  const ULONGLONG start = GetTickCount64();
  std::atomic<DWORD> result{0};
  std::thread waiter([&] { result = WaitForSingleObject(event, 60000); });
  ASSERT_TRUE(qvp::TestClock::AwaitTimedWaiters(1));
  SetEvent(event);
  waiter.join();
  EXPECT_EQ(result.load(), WAIT_OBJECT_0);
  EXPECT_EQ(GetTickCount64(), start);
  CloseHandle(event);
}

// Removing the clock lets a waiter blocked on it finish in real time.
TEST(TestClock, RemovedClockHandsWaitersBackToRealTime) {
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::atomic<DWORD> result{0};
  std::thread waiter;
  {
    qvp::TestClock clock;
    waiter = std::thread([&] { result = WaitForSingleObject(event, 50); });
    if (!qvp::TestClock::AwaitTimedWaiters(1)) ADD_FAILURE() << "the waiter never blocked";
  }
  waiter.join();
  EXPECT_EQ(result.load(), static_cast<DWORD>(WAIT_TIMEOUT));
  CloseHandle(event);
}

}  // namespace
