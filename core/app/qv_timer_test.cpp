// Window timers: on Windows NT 3.x a timer without a procedure is a thread
// that posts WM_TIMER; 32 at most; setting one again restarts it; a kill
// stops it. Elsewhere the window system's own timers serve.
#include "qv_timer.h"

#include <gtest/gtest.h>

#include "qvplatform.h"

namespace {

class QvTimers : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "QvTimerTest";
    RegisterClassA(&wc);
    window_ = CreateWindowExA(0, "QvTimerTest", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    DestroyWindow(window_);
    UnregisterClassA("QvTimerTest", nullptr);
    qvp::ResetVersionForTests();
  }
  // Waits for the next WM_TIMER of the window and answers its id.
  UINT_PTR NextTimer() {
    MSG m;
    while (GetMessageA(&m, window_, 0, 0) > 0)
      if (m.message == WM_TIMER) return m.wParam;
    return 0;
  }
  HWND window_ = nullptr;
};

TEST_F(QvTimers, OnNt3ThirtyTwoThreadsAtMostAndTheThirtyThirdIsRefused) {
  qvp::SetVersionForTests(3, 51, VER_PLATFORM_WIN32_NT);
  constexpr UINT kLong = 3600 * 1000;
  for (UINT_PTR id = 1; id <= kEmulatedTimerSlots; ++id) ASSERT_EQ(SetQvTimer(window_, id, kLong, nullptr), id);
  EXPECT_EQ(SetQvTimer(window_, 33, kLong, nullptr), 0u);
  // Setting a running timer again takes no new slot.
  EXPECT_EQ(SetQvTimer(window_, 7, kLong, nullptr), 7u);

  EXPECT_EQ(KillQvTimer(window_, 5), 1);
  EXPECT_EQ(KillQvTimer(window_, 5), 0);
  EXPECT_EQ(KillQvTimer(window_, 33), 0);
  EXPECT_EQ(SetQvTimer(window_, 33, kLong, nullptr), 33u);

  for (UINT_PTR id = 1; id <= 33; ++id) KillQvTimer(window_, id);
  EXPECT_EQ(KillQvTimer(window_, 1), 0);
}

TEST_F(QvTimers, AnEmulatedTimerPostsItsIdUntilKilled) {
  qvp::SetVersionForTests(3, 10, VER_PLATFORM_WIN32_NT);
  ASSERT_EQ(SetQvTimer(window_, 42, 1, nullptr), 42u);
  EXPECT_EQ(NextTimer(), 42u);
  EXPECT_EQ(NextTimer(), 42u);
  EXPECT_EQ(KillQvTimer(window_, 42), 1);
  // Nothing of the killed timer stays queued beyond what it posted before.
  MSG m;
  while (PeekMessageA(&m, window_, WM_TIMER, WM_TIMER, PM_REMOVE)) {
  }
  EXPECT_FALSE(PeekMessageA(&m, window_, WM_TIMER, WM_TIMER, PM_REMOVE));
}

TEST_F(QvTimers, OtherSystemsUseTheWindowSystemsTimers) {
  // Windows NT 4.0 (the default) and Windows 95 alike.
  for (DWORD platform : {DWORD{VER_PLATFORM_WIN32_NT}, DWORD{VER_PLATFORM_WIN32_WINDOWS}}) {
    qvp::SetVersionForTests(platform == VER_PLATFORM_WIN32_NT ? 4 : 3, 0, platform);
    ASSERT_EQ(SetQvTimer(window_, 9, 1, nullptr), 9u);
    EXPECT_EQ(NextTimer(), 9u);
    EXPECT_TRUE(KillQvTimer(window_, 9));
    EXPECT_FALSE(KillQvTimer(window_, 9));
  }
}

}  // namespace
