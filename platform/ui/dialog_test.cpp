#include <gtest/gtest.h>

#include <string>

#include "dialog_test_support.h"
#include "qvplatform.h"
#include "testdata/dialog_ids.h"
#include "ui_test_support.h"

extern "C" const QvResourceDirectory QvResourceTable;

namespace {

using uitest::Control;
using uitest::Template;

constexpr UINT kOpenChild = 500;

struct Seen {
  bool owner_enabled_at_init = true;
  HWND focus_at_init_end = nullptr;
  HWND owner = nullptr;
};
Seen g_seen;

INT_PTR CALLBACK OkDialog(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      g_seen.owner_enabled_at_init = g_seen.owner ? IsWindowEnabled(g_seen.owner) != FALSE : true;
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wp) == IDOK) EndDialog(dlg, 42);
      if (LOWORD(wp) == IDCANCEL) EndDialog(dlg, 7);
      return TRUE;
    default:
      return FALSE;
  }
}

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    uitest::RegisterTestControls();
    g_seen = Seen{};
  }
  void TearDown() override { qvp::SetModalIdleHook(nullptr); }
};

TEST_F(DialogTest, ModalDialogReturnsTheEndDialogValueWithItsOwnerDisabledMeanwhile) {
  uitest::Recorder rec;
  HWND owner = rec.Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  g_seen.owner = owner;
  auto block = Template("Confirm", WS_POPUP | WS_CAPTION | DS_MODALFRAME,
                        {Control("TestEdit", 100, "", WS_TABSTOP),
                         Control("TestButton", IDOK, "OK", WS_TABSTOP | BS_DEFPUSHBUTTON)});
  int idle_calls = 0;
  HWND seen_dialog = nullptr;
  qvp::SetModalIdleHook([&] {
    ++idle_calls;
    HWND dlg = GetActiveWindow();
    seen_dialog = dlg;
    EXPECT_FALSE(IsWindowEnabled(owner));
    EXPECT_TRUE(IsWindowVisible(dlg));
    char caption[32];
    GetWindowTextA(dlg, caption, sizeof(caption));
    EXPECT_STREQ(caption, "Confirm");
    EXPECT_EQ(GetFocus(), GetDlgItem(dlg, 100));  // WM_INITDIALOG returned TRUE
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 0);  // Enter presses the default button
  });
  EXPECT_EQ(DialogBoxIndirectParamA(nullptr, block.data(), owner, OkDialog, 0), 42);
  EXPECT_EQ(idle_calls, 1);
  EXPECT_FALSE(g_seen.owner_enabled_at_init);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_FALSE(IsWindow(seen_dialog));
  EXPECT_EQ(GetActiveWindow(), owner);
  // WM_ENTERIDLE told the owner that its dialog was waiting.
  EXPECT_FALSE(rec.Of(owner, {WM_ENTERIDLE}).empty());
  DestroyWindow(owner);
}

TEST_F(DialogTest, ClosingAModalDialogGivesTheFocusBackToTheControlThatHadIt) {
  auto outer = Template("Page", WS_POPUP | WS_CAPTION | WS_VISIBLE,
                        {Control("TestEdit", 1, "", WS_TABSTOP), Control("TestButton", 2, "&Browse", WS_TABSTOP)});
  HWND owner = CreateDialogIndirectParamA(nullptr, outer.data(), nullptr, OkDialog, 0);
  ASSERT_TRUE(owner);
  HWND browse = GetDlgItem(owner, 2);
  SetFocus(browse);
  auto inner = Template("Chooser", WS_POPUP | WS_CAPTION | DS_MODALFRAME, {Control("TestEdit", 100, "", WS_TABSTOP)});
  for (INT_PTR how : {IDOK, IDCANCEL}) {
    qvp::SetModalIdleHook([&] {
      EXPECT_EQ(GetFocus(), GetDlgItem(GetActiveWindow(), 100));
      PostMessageA(GetFocus(), WM_KEYDOWN, how == IDOK ? VK_RETURN : VK_ESCAPE, 0);
    });
    EXPECT_EQ(DialogBoxIndirectParamA(nullptr, inner.data(), owner, OkDialog, 0), how == IDOK ? 42 : 7);
    EXPECT_EQ(GetActiveWindow(), owner);
    EXPECT_EQ(GetFocus(), browse);
  }
  DestroyWindow(owner);
}

INT_PTR CALLBACK Nesting(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  static std::vector<uint8_t>* child_block = nullptr;
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dlg, DWL_USER, lp);  // the nesting level
      if (lp == 1) child_block = new std::vector<uint8_t>(Template("Level", WS_POPUP | WS_CAPTION, {}));
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wp) == kOpenChild) {
        LONG_PTR level = GetWindowLongPtrA(dlg, DWL_USER);
        INT_PTR inner = DialogBoxIndirectParamA(nullptr, child_block->data(), dlg, Nesting, level + 1);
        if (level == 1) {
          delete child_block;
          child_block = nullptr;
        }
        EndDialog(dlg, inner + 1);
      }
      return TRUE;
    default:
      return FALSE;
  }
}

TEST_F(DialogTest, IdleHookDrivesDialogsThreeLevelsDeep) {
  uitest::Recorder rec;
  HWND main = rec.Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  auto block = Template("Level", WS_POPUP | WS_CAPTION, {});
  std::vector<LONG_PTR> levels;
  qvp::SetModalIdleHook([&] {
    HWND dlg = GetActiveWindow();
    LONG_PTR level = GetWindowLongPtrA(dlg, DWL_USER);
    levels.push_back(level);
    if (level < 3) {
      PostMessageA(dlg, WM_COMMAND, kOpenChild, 0);
      return;
    }
    // Every window below the innermost dialog is disabled.
    EXPECT_FALSE(IsWindowEnabled(main));
    EXPECT_FALSE(IsWindowEnabled(GetWindow(dlg, GW_OWNER)));
    EndDialog(dlg, 100);
  });
  EXPECT_EQ(DialogBoxIndirectParamA(nullptr, block.data(), main, Nesting, 1), 102);  // 100 from the innermost, one more per level out
  EXPECT_EQ(levels, (std::vector<LONG_PTR>{1, 2, 3}));
  EXPECT_TRUE(IsWindowEnabled(main));
  DestroyWindow(main);
}

TEST_F(DialogTest, EndDialogDuringInitDialogNeverShowsTheDialog) {
  auto block = Template("Quick", WS_POPUP | WS_CAPTION, {});
  bool idle = false;
  qvp::SetModalIdleHook([&] { idle = true; });
  INT_PTR r = DialogBoxIndirectParamA(
      nullptr, block.data(), nullptr,
      [](HWND dlg, UINT msg, WPARAM, LPARAM) -> INT_PTR {
        if (msg == WM_INITDIALOG) EndDialog(dlg, 5);
        return msg == WM_INITDIALOG;
      },
      0);
  EXPECT_EQ(r, 5);
  EXPECT_FALSE(idle);
}

TEST_F(DialogTest, FailedControlFailsTheDialogUnlessAskedNotTo) {
  uitest::Recorder rec;
  HWND owner = rec.Create(WS_OVERLAPPEDWINDOW);
  auto bad = Template("Bad", WS_POPUP, {Control("NoSuchControl", 5, "", 0)});
  EXPECT_EQ(DialogBoxIndirectParamA(nullptr, bad.data(), owner, OkDialog, 0), -1);
  EXPECT_TRUE(IsWindowEnabled(owner));
  auto tolerant = Template("Tolerant", WS_POPUP | DS_NOFAILCREATE, {Control("NoSuchControl", 5, "", 0)});
  HWND dlg = CreateDialogIndirectParamA(nullptr, tolerant.data(), owner, OkDialog, 0);
  ASSERT_TRUE(dlg);
  EXPECT_EQ(GetDlgItem(dlg, 5), nullptr);
  DestroyWindow(dlg);
  std::vector<uint8_t> garbage(100, 0x5A);
  EXPECT_EQ(DialogBoxIndirectParamA(nullptr, garbage.data(), owner, OkDialog, 0), -1);
  DestroyWindow(owner);
}

TEST_F(DialogTest, QuitEndsTheModalLoopAndReachesTheOuterLoop) {
  auto block = Template("Q", WS_POPUP | WS_CAPTION, {});
  qvp::SetModalIdleHook([] { PostQuitMessage(9); });
  EXPECT_EQ(DialogBoxIndirectParamA(nullptr, block.data(), nullptr, OkDialog, 0), 0);
  qvp::SetModalIdleHook(nullptr);
  MSG m;
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(m.wParam, 9u);
}

TEST_F(DialogTest, DialogFromResourcesUsesItsFontUnits) {
  qvp::RegisterResourceTableForTests(nullptr, &QvResourceTable);
  HWND dlg = CreateDialogParamA(nullptr, MAKEINTRESOURCEA(IDD_ASK), nullptr, OkDialog, 0);
  ASSERT_TRUE(dlg);
  EXPECT_EQ(GetDlgItemInt(dlg, IDC_VALUE, nullptr, FALSE), 12u);
  RECT units{0, 0, 4, 8};
  MapDialogRect(dlg, &units);
  EXPECT_EQ(units.right, 6);  // "MS Sans Serif" 8: 6 x 13
  EXPECT_EQ(units.bottom, 13);
  RECT client;
  GetClientRect(dlg, &client);
  EXPECT_EQ(client.right, 160 * 6 / 4);
  EXPECT_EQ(client.bottom, 98);  // 60 units of 13/8, rounded
  RECT edit;
  GetWindowRect(GetDlgItem(dlg, IDC_VALUE), &edit);
  MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&edit), 2);
  EXPECT_EQ(edit.left, 12);
  EXPECT_EQ(edit.top, 13);
  EXPECT_EQ(SendMessageA(dlg, DM_GETDEFID, 0, 0), MAKELRESULT(IDOK, DC_HASDEFID));
  EXPECT_NE(SendMessageA(dlg, WM_GETFONT, 0, 0), 0);
  DestroyWindow(dlg);
  EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(999), nullptr, OkDialog, 0), -1);
  qvp::RegisterResourceTableForTests(nullptr, nullptr);
}

TEST_F(DialogTest, DialogProcedureAnswersThroughDwlMsgResult) {
  auto block = Template("R", WS_POPUP, {});
  HWND dlg = CreateDialogIndirectParamA(
      nullptr, block.data(), nullptr,
      [](HWND d, UINT msg, WPARAM, LPARAM) -> INT_PTR {
        if (msg == WM_USER + 50) {
          SetWindowLongPtrA(d, DWL_MSGRESULT, 1234);
          return TRUE;
        }
        if (msg == WM_CTLCOLORDLG) return reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
        return FALSE;
      },
      0);
  ASSERT_TRUE(dlg);
  EXPECT_EQ(SendMessageA(dlg, WM_USER + 50, 0, 0), 1234);
  EXPECT_EQ(SendMessageA(dlg, WM_CTLCOLORDLG, 0, 0), reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH)));
  EXPECT_EQ(GetWindowLongPtrA(dlg, DWL_USER), 0);
  EXPECT_NE(GetWindowLongPtrA(dlg, DWL_DLGPROC), 0);
  DestroyWindow(dlg);
}

TEST_F(DialogTest, InitDialogFocusRules) {
  auto block = Template("F", WS_POPUP | WS_VISIBLE,
                        {Control("TestEdit", 1, "", WS_TABSTOP), Control("TestEdit", 2, "", WS_TABSTOP)});
  HWND dlg = CreateDialogIndirectParamA(
      nullptr, block.data(), nullptr,
      [](HWND, UINT msg, WPARAM, LPARAM) -> INT_PTR { return msg == WM_INITDIALOG; }, 0);
  EXPECT_EQ(GetFocus(), GetDlgItem(dlg, 1));
  EXPECT_EQ(uitest::SelectAllCount(GetDlgItem(dlg, 1)), 1);  // an edit gets its text selected
  DestroyWindow(dlg);
  dlg = CreateDialogIndirectParamA(
      nullptr, block.data(), nullptr,
      [](HWND d, UINT msg, WPARAM, LPARAM) -> INT_PTR {
        if (msg == WM_INITDIALOG) SetFocus(GetDlgItem(d, 2));
        return FALSE;  // the procedure chose the focus itself
      },
      0);
  EXPECT_EQ(GetFocus(), GetDlgItem(dlg, 2));
  EXPECT_TRUE(IsWindowVisible(dlg));
  DestroyWindow(dlg);
}

TEST_F(DialogTest, CloseIsCancelUnlessCancelIsDisabled) {
  auto block = Template("C", WS_POPUP, {Control("TestButton", IDCANCEL, "Cancel", WS_TABSTOP)});
  std::vector<WPARAM> commands;
  static std::vector<WPARAM>* sink = nullptr;
  sink = &commands;
  HWND dlg = CreateDialogIndirectParamA(
      nullptr, block.data(), nullptr,
      [](HWND, UINT msg, WPARAM wp, LPARAM) -> INT_PTR {
        if (msg == WM_COMMAND) sink->push_back(wp);
        return msg == WM_COMMAND;
      },
      0);
  SendMessageA(dlg, WM_CLOSE, 0, 0);
  uitest::PumpDialog(dlg);
  EXPECT_EQ(commands, (std::vector<WPARAM>{MAKEWPARAM(IDCANCEL, BN_CLICKED)}));
  EnableWindow(GetDlgItem(dlg, IDCANCEL), FALSE);
  qvp::PromptScript script;
  SendMessageA(dlg, WM_CLOSE, 0, 0);
  uitest::PumpDialog(dlg);
  EXPECT_EQ(commands.size(), 1u);
  ASSERT_EQ(script.Records().size(), 1u);
  EXPECT_EQ(script.Records()[0].kind, qvp::PromptKind::kBeep);
  DestroyWindow(dlg);
  sink = nullptr;
}

TEST_F(DialogTest, BaseUnitsComeFromTheFont) {
  SIZE system = qvp::FontDialogBaseUnits(nullptr);
  EXPECT_EQ(GetDialogBaseUnits(), MAKELONG(system.cx, system.cy));
  auto no_font = Template("N", WS_POPUP, {}, nullptr);
  HWND dlg = CreateDialogIndirectParamA(nullptr, no_font.data(), nullptr, OkDialog, 0);
  RECT r{0, 0, 4, 8};
  MapDialogRect(dlg, &r);
  EXPECT_EQ(r.right, system.cx);
  EXPECT_EQ(r.bottom, system.cy);
  EXPECT_EQ(SendMessageA(dlg, WM_GETFONT, 0, 0), 0);
  DestroyWindow(dlg);
}

}  // namespace
