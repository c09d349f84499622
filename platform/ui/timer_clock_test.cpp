#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "qvplatform.h"
#include "qvplatform/test_clock.h"
#include "ui_test_support.h"

namespace {

using uitest::Recorder;

TEST(TimersOnTheTestClock, FallDueWhenTheClockReachesThem) {
  qvp::TestClock clock;
  Recorder rec;
  HWND h = rec.Create(WS_POPUP);
  ASSERT_EQ(SetTimer(h, 5, 60000, nullptr), 5u);
  MSG m;
  EXPECT_FALSE(PeekMessageA(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
  clock.Advance(59999);
  EXPECT_FALSE(PeekMessageA(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
  clock.Advance(1);
  ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
  EXPECT_EQ(m.wParam, 5u);
  EXPECT_FALSE(PeekMessageA(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
  // The next period is counted from the moment the timer fired.
  clock.Advance(60000);
  EXPECT_TRUE(PeekMessageA(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
  DestroyWindow(h);
}

// A thread blocked in GetMessage for its timer, or in MsgWaitForMultipleObjects
// with a time-out, wakes when the test advances the clock.
TEST(TimersOnTheTestClock, BlockedMessageWaitsFollowTheClock) {
  qvp::TestClock clock;
  const ULONGLONG start = GetTickCount64();
  std::atomic<ULONGLONG> timer_at{0}, wait_at{0};
  std::atomic<DWORD> waited{0};
  std::thread pump([&] {
    UINT_PTR id = SetTimer(nullptr, 0, 5000, nullptr);
    MSG m;
    do {
      if (!GetMessageA(&m, nullptr, 0, 0)) return;
    } while (m.message != WM_TIMER);
    timer_at = GetTickCount64();
    KillTimer(nullptr, id);
  });
  std::thread waiter([&] {
    waited = MsgWaitForMultipleObjects(0, nullptr, FALSE, 3000, QS_ALLINPUT);
    wait_at = GetTickCount64();
  });
  ASSERT_TRUE(qvp::TestClock::AwaitTimedWaiters(2));
  clock.Advance(3000);
  // Past its time-out the waiter must return without another step of the clock.
  for (int i = 0; i < 20000 && wait_at.load() == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  if (wait_at.load() == 0) {
    ADD_FAILURE() << "the time-out passed and the wait went on";
    clock.Advance(1);
  }
  waiter.join();
  EXPECT_EQ(waited.load(), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(wait_at.load(), start + 3000);
  ASSERT_TRUE(qvp::TestClock::AwaitTimedWaiters(1));
  clock.Advance(2000);
  pump.join();
  EXPECT_EQ(timer_at.load(), start + 5000);
}

}  // namespace
