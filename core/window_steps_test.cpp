#include "window_steps.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<UINT> g_seen;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message >= WM_USER) g_seen.push_back(message - WM_USER);
  return DefWindowProcA(window, message, wParam, lParam);
}

class WindowStepsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = RecordingProc;
    windowClass.lpszClassName = "QvCoreStepsTest";
    RegisterClassA(&windowClass);
    window_ = CreateWindowExA(0, "QvCoreStepsTest", "", 0, 0, 0, 10, 10, nullptr, nullptr,
                              nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
    g_seen.clear();
  }
  void TearDown() override {
    if (window_ != nullptr && IsWindow(window_)) DestroyWindow(window_);
  }

  HWND window_ = nullptr;
};

TEST_F(WindowStepsTest, DestroyWindowAndClearEmptiesTheHolder) {
  HWND holder = window_;
  DestroyWindowAndClear(&holder);
  EXPECT_EQ(holder, nullptr);
  EXPECT_FALSE(IsWindow(window_));
  // A handle whose window is gone is only cleared.
  holder = window_;
  DestroyWindowAndClear(&holder);
  EXPECT_EQ(holder, nullptr);
  DestroyWindowAndClear(&holder);
  DestroyWindowAndClear(nullptr);
}

TEST_F(WindowStepsTest, PumpDispatchesEveryPendingMessageInOrderQuitIncluded) {
  PostMessageA(window_, WM_USER + 1, 0, 0);
  PostMessageA(window_, WM_USER + 2, 0, 0);
  PostQuitMessage(0);
  PostMessageA(window_, WM_USER + 3, 0, 0);
  PumpPendingMessages();
  EXPECT_EQ(g_seen, (std::vector<UINT>{1, 2, 3}));
  MSG message;
  EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
}

}  // namespace
