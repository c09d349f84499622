#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "dialog_test_support.h"
#include "qvplatform.h"
#include "qvplatform/ui_hooks.h"

namespace {

using uitest::Control;
using uitest::Template;

// What the hooks of a test saw and how they answer.
struct HookLog {
  std::vector<int> calls;  // which hook ran, in order
  HHOOK first = nullptr, second = nullptr;
  bool first_eats = false;
  bool first_unhooks_itself = false;
  int codes = 0;
};
HookLog* g_log = nullptr;

bool IsKey(LPARAM lp) { return reinterpret_cast<const MSG*>(lp)->message == WM_KEYDOWN; }

// The hooks note and act on key presses only; paint and other messages pass.
LRESULT CALLBACK First(int code, WPARAM wp, LPARAM lp) {
  if (IsKey(lp)) {
    g_log->calls.push_back(1);
    g_log->codes = code;
    if (g_log->first_unhooks_itself) {
      EXPECT_TRUE(UnhookWindowsHookEx(g_log->first));
    }
    if (g_log->first_eats) return 1;
  }
  return CallNextHookEx(g_log->first, code, wp, lp);
}

LRESULT CALLBACK Second(int code, WPARAM wp, LPARAM lp) {
  if (IsKey(lp)) g_log->calls.push_back(2);
  return CallNextHookEx(g_log->second, code, wp, lp);
}

class MessageFilterHooks : public ::testing::Test {
 protected:
  void SetUp() override {
    uitest::RegisterTestControls();
    g_log = &log;
    block = Template("Hooked", WS_POPUP | WS_CAPTION | WS_VISIBLE,
                     {Control("TestEdit", 1, "", WS_TABSTOP), Control("TestEdit", 2, "", WS_TABSTOP)});
    dlg = CreateDialogIndirectParamA(
        nullptr, block.data(), nullptr, [](HWND, UINT msg, WPARAM, LPARAM) -> INT_PTR { return msg == WM_INITDIALOG; },
        0);
    ASSERT_TRUE(dlg);
  }
  void TearDown() override {
    if (log.first) UnhookWindowsHookEx(log.first);
    if (log.second) UnhookWindowsHookEx(log.second);
    DestroyWindow(dlg);
    g_log = nullptr;
  }
  // Presses Tab in the dialog; true when the focus moved on.
  bool TabMoves() {
    HWND before = GetFocus();
    PostMessageA(before, WM_KEYDOWN, VK_TAB, 1);
    uitest::PumpDialog(dlg);
    return GetFocus() != before;
  }
  HookLog log;
  std::vector<uint8_t> block;
  HWND dlg = nullptr;
};

TEST_F(MessageFilterHooks, NewestHookRunsFirstAndTheChainPassesTheMessageOn) {
  log.first = SetWindowsHookExA(WH_MSGFILTER, First, nullptr, GetCurrentThreadId());
  log.second = SetWindowsHookExA(WH_MSGFILTER, Second, nullptr, GetCurrentThreadId());
  ASSERT_TRUE(log.first && log.second);
  EXPECT_TRUE(TabMoves());  // no hook took the key: the dialog manager handled it
  EXPECT_EQ(log.calls, (std::vector<int>{2, 1}));
  EXPECT_EQ(log.codes, MSGF_DIALOGBOX);
}

TEST_F(MessageFilterHooks, AHookThatTakesTheKeyStopsTheChainAndTheDialogManager) {
  log.second = SetWindowsHookExA(WH_MSGFILTER, Second, nullptr, GetCurrentThreadId());
  log.first = SetWindowsHookExA(WH_MSGFILTER, First, nullptr, GetCurrentThreadId());
  log.first_eats = true;
  EXPECT_FALSE(TabMoves());
  EXPECT_EQ(log.calls, (std::vector<int>{1}));  // the older hook never saw it
  // Removed, it no longer sees anything and the key works again.
  EXPECT_TRUE(UnhookWindowsHookEx(log.first));
  EXPECT_FALSE(UnhookWindowsHookEx(log.first));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HOOK_HANDLE));
  log.first = nullptr;
  log.calls.clear();
  EXPECT_TRUE(TabMoves());
  EXPECT_EQ(log.calls, (std::vector<int>{2}));
}

TEST_F(MessageFilterHooks, AHookMayUnhookItselfWhileItRunsAndStillPassTheMessageOn) {
  log.second = SetWindowsHookExA(WH_MSGFILTER, Second, nullptr, GetCurrentThreadId());
  log.first = SetWindowsHookExA(WH_MSGFILTER, First, nullptr, GetCurrentThreadId());
  log.first_unhooks_itself = true;
  MSG m{dlg, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
  EXPECT_FALSE(CallMsgFilterA(&m, MSGF_DIALOGBOX));
  EXPECT_EQ(log.calls, (std::vector<int>{1, 2}));
  log.first = nullptr;
  log.calls.clear();
  EXPECT_FALSE(CallMsgFilterA(&m, MSGF_DIALOGBOX));
  EXPECT_EQ(log.calls, (std::vector<int>{2}));
}

TEST_F(MessageFilterHooks, HooksBelongToTheirThreadAndOnlyMessageFiltersAreOffered) {
  log.first = SetWindowsHookExA(WH_MSGFILTER, First, nullptr, GetCurrentThreadId());
  log.first_eats = true;
  std::thread other([&] {
    MSG m{nullptr, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
    EXPECT_FALSE(CallMsgFilterA(&m, MSGF_DIALOGBOX));       // this thread's chain is empty
    EXPECT_FALSE(UnhookWindowsHookEx(g_log->first));       // not its hook
  });
  other.join();
  EXPECT_TRUE(log.calls.empty());
  EXPECT_EQ(SetWindowsHookExA(WH_KEYBOARD, First, nullptr, GetCurrentThreadId()), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HOOK_FILTER));
  EXPECT_EQ(SetWindowsHookExA(WH_MSGFILTER, nullptr, nullptr, GetCurrentThreadId()), nullptr);
  EXPECT_EQ(SetWindowsHookExA(WH_MSGFILTER, First, nullptr, 0), nullptr);  // system-wide
}

}  // namespace
