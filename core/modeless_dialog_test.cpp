#include "modeless_dialog.h"

#include <gtest/gtest.h>

#include "app_globals.h"
#include "resource_cache.h"
#include "test_windows.h"

namespace {

constexpr UINT kFinish = WM_APP + 1;

// What the dialog saw of the program while it ran.
struct Seen {
  bool ownerEnabled = true;
  bool running = false;
  HWND statusWindow = nullptr;
};
Seen g_seen;

// Counts down by messages it posts to itself, leaves 2 as its answer and
// destroys itself.
INT_PTR CALLBACK CountdownDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      PostMessageA(dialog, kFinish, static_cast<WPARAM>(lParam), 0);
      return TRUE;
    case kFinish:
      if (wParam > 0) {
        PostMessageA(dialog, kFinish, wParam - 1, 0);
        return TRUE;
      }
      g_seen.ownerEnabled = IsWindowEnabled(GetWindow(dialog, GW_OWNER)) != FALSE;
      g_seen.running = g_modeless.running;
      g_seen.statusWindow = g_app.statusWindow;
      g_modeless.result = 2;
      DestroyWindow(dialog);
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK QuittingDialog(HWND, UINT message, WPARAM, LPARAM) {
  if (message == WM_INITDIALOG) PostQuitMessage(7);
  return message == WM_INITDIALOG;
}

INT_PTR CALLBACK StayingDialog(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

class ModelessDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterTestWindowClasses();
    g_app.resourceModule = GetModuleHandleA(nullptr);
    g_app.panelInTray = false;
    g_app.statusWindow = nullptr;
    g_modeless = ModelessDialogState{};
    g_seen = Seen{};
    owner_ = CreatePlainWindow(0, 0, 300, 200);
    qvp::TakeUnexpectedPrompts();
  }
  void TearDown() override {
    if (owner_ != nullptr) DestroyWindow(owner_);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    FreeResourceCache();
    g_app.resourceModule = nullptr;
    g_app.panelInTray = false;
    g_app.statusWindow = nullptr;
    EXPECT_TRUE(qvp::TakeUnexpectedPrompts().empty());
  }

  HWND owner_ = nullptr;
};

TEST_F(ModelessDialogTest, OwnLoopRunsUntilTheDialogIsGoneAndHandsOnItsResult) {
  g_modeless.result = 5;  // a previous dialog's answer is not handed on
  int result = -1;
  EXPECT_EQ(RunModelessDialog(owner_, CountdownDialog, 300, 3, SW_SHOW, TRUE, &result), nullptr);
  EXPECT_EQ(result, 2);
  EXPECT_FALSE(g_seen.ownerEnabled);
  EXPECT_TRUE(g_seen.running);
  EXPECT_NE(g_seen.statusWindow, nullptr);
  EXPECT_FALSE(IsWindow(g_seen.statusWindow));
  EXPECT_FALSE(g_modeless.running);
  EXPECT_TRUE(IsWindowEnabled(owner_));
  EXPECT_EQ(GetFocus(), owner_);
}

TEST_F(ModelessDialogTest, WithoutItsLoopTheDialogStaysUntilEnded) {
  HWND dialog = RunModelessDialog(owner_, StayingDialog, 300, 0, SW_SHOWNORMAL, FALSE, nullptr);
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(IsWindowVisible(dialog));
  EXPECT_EQ(g_app.statusWindow, dialog);
  EXPECT_TRUE(g_modeless.running);
  EXPECT_FALSE(IsWindowEnabled(owner_));
  EndModelessDialog(owner_, &dialog);
  EXPECT_EQ(dialog, nullptr);
  EXPECT_FALSE(IsWindow(g_app.statusWindow));
  EXPECT_FALSE(g_modeless.running);
  EXPECT_TRUE(IsWindowEnabled(owner_));

  // With the main panel in the tray the status window waits minimised.
  g_app.panelInTray = true;
  dialog = RunModelessDialog(owner_, StayingDialog, 300, 0, SW_SHOWNORMAL, FALSE, nullptr);
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(IsIconic(dialog));
  RestoreStatusWindow();
  EXPECT_FALSE(IsIconic(dialog));
  EndModelessDialog(owner_, &dialog);
}

TEST_F(ModelessDialogTest, AMissingTemplateLeavesTheOwnerUsable) {
  qvp::PromptScript script;
  qvp::ExpectedPrompt box;
  box.caption = "GetLastError";
  box.answer.result = IDOK;
  script.Expect(box);
  int result = -1;
  EXPECT_EQ(RunModelessDialog(owner_, StayingDialog, 999, 0, SW_SHOW, TRUE, &result), nullptr);
  EXPECT_EQ(result, -1);
  EXPECT_TRUE(IsWindowEnabled(owner_));
  EXPECT_FALSE(g_modeless.running);
}

TEST_F(ModelessDialogTest, AQuitMessageEndsTheDialogAndReachesTheOuterLoop) {
  int result = -1;
  EXPECT_EQ(RunModelessDialog(owner_, QuittingDialog, 300, 0, SW_SHOW, TRUE, &result), nullptr);
  EXPECT_FALSE(IsWindow(g_app.statusWindow));
  EXPECT_TRUE(IsWindowEnabled(owner_));
  MSG message;
  ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 7u);
}

}  // namespace
