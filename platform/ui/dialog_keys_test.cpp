#include <gtest/gtest.h>

#include <vector>

#include "dialog_test_support.h"
#include "qvplatform.h"

namespace {

using uitest::Control;
using uitest::PumpDialog;
using uitest::Template;

enum : uint32_t { kName = 10, kLabel = 11, kApply = 12, kOff = 13, kRadio1 = 20, kRadio2 = 21, kRadio3 = 22 };

std::vector<WPARAM>* g_commands = nullptr;

INT_PTR CALLBACK Recording(HWND, UINT msg, WPARAM wp, LPARAM) {
  if (msg == WM_COMMAND && g_commands) g_commands->push_back(LOWORD(wp));
  return msg == WM_INITDIALOG || msg == WM_COMMAND;
}

class DialogKeys : public ::testing::Test {
 protected:
  void SetUp() override {
    uitest::RegisterTestControls();
    g_commands = &commands;
    block = Template("Keys", WS_POPUP | WS_CAPTION | WS_VISIBLE,
                     {Control("TestEdit", kName, "", WS_TABSTOP | WS_GROUP),
                      Control("TestStatic", kLabel, "&Label", 0),
                      Control("TestButton", kApply, "&Apply", WS_TABSTOP | BS_PUSHBUTTON),
                      Control("TestButton", kOff, "Off", WS_TABSTOP | WS_DISABLED | BS_PUSHBUTTON),
                      Control("TestButton", IDOK, "OK", WS_TABSTOP | BS_DEFPUSHBUTTON),
                      Control("TestButton", kRadio1, "One", WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON),
                      Control("TestButton", kRadio2, "Two", BS_AUTORADIOBUTTON),
                      Control("TestButton", kRadio3, "Three", BS_AUTORADIOBUTTON)});
    dlg = CreateDialogIndirectParamA(nullptr, block.data(), nullptr, Recording, 0);
    ASSERT_TRUE(dlg);
  }
  void TearDown() override {
    DestroyWindow(dlg);
    g_commands = nullptr;
  }
  void Key(UINT vk) {
    PostMessageA(GetFocus(), WM_KEYDOWN, vk, 1);
    PostMessageA(GetFocus(), WM_KEYUP, vk, 1);
    PumpDialog(dlg);
  }
  HWND Item(uint32_t id) { return GetDlgItem(dlg, static_cast<int>(id)); }
  LONG_PTR Kind(uint32_t id) { return GetWindowLongPtrA(Item(id), GWL_STYLE) & BS_TYPEMASK; }

  std::vector<uint8_t> block;
  std::vector<WPARAM> commands;
  HWND dlg = nullptr;
};

TEST_F(DialogKeys, TabVisitsEnabledTabStopsInOrderAndWraps) {
  EXPECT_EQ(GetFocus(), Item(kName));
  Key(VK_TAB);
  EXPECT_EQ(GetFocus(), Item(kApply));  // the label has no tab stop
  Key(VK_TAB);
  EXPECT_EQ(GetFocus(), Item(IDOK));  // the disabled button is skipped
  Key(VK_TAB);
  EXPECT_EQ(GetFocus(), Item(kRadio1));
  Key(VK_TAB);
  EXPECT_EQ(GetFocus(), Item(kName));
  EXPECT_EQ(uitest::SelectAllCount(Item(kName)), 2);  // selected again on arrival

  PostMessageA(GetFocus(), WM_KEYDOWN, VK_SHIFT, 1);
  PostMessageA(GetFocus(), WM_KEYDOWN, VK_TAB, 1);
  PostMessageA(GetFocus(), WM_KEYUP, VK_SHIFT, 1);
  PumpDialog(dlg);
  EXPECT_EQ(GetFocus(), Item(kRadio1));
  EXPECT_TRUE(commands.empty());
}

TEST_F(DialogKeys, EnterPressesTheFocusedOrTheDefaultButton) {
  Key(VK_RETURN);  // focus in the edit: the default button
  Key(VK_TAB);     // to "Apply", which now looks like the default
  EXPECT_EQ(Kind(kApply), BS_DEFPUSHBUTTON);
  EXPECT_EQ(Kind(IDOK), BS_PUSHBUTTON);
  Key(VK_RETURN);
  Key(VK_TAB);
  Key(VK_TAB);  // off the buttons: the real default comes back
  EXPECT_EQ(Kind(IDOK), BS_DEFPUSHBUTTON);
  EXPECT_EQ(Kind(kApply), BS_PUSHBUTTON);
  SendMessageA(dlg, DM_SETDEFID, kApply, 0);
  EXPECT_EQ(SendMessageA(dlg, DM_GETDEFID, 0, 0), MAKELRESULT(kApply, DC_HASDEFID));
  SetFocus(Item(kName));
  Key(VK_RETURN);
  Key(VK_ESCAPE);
  EXPECT_EQ(commands, (std::vector<WPARAM>{IDOK, kApply, kApply, IDCANCEL}));
}

TEST_F(DialogKeys, ArrowsMoveWithinAGroupAndClickRadioButtons) {
  SetFocus(Item(kRadio1));
  Key(VK_DOWN);
  EXPECT_EQ(GetFocus(), Item(kRadio2));
  EXPECT_EQ(IsDlgButtonChecked(dlg, kRadio2), static_cast<UINT>(BST_CHECKED));
  Key(VK_DOWN);
  Key(VK_DOWN);  // wraps inside the group
  EXPECT_EQ(GetFocus(), Item(kRadio1));
  Key(VK_UP);
  EXPECT_EQ(GetFocus(), Item(kRadio3));
}

TEST_F(DialogKeys, MnemonicsFocusAndPress) {
  SetFocus(Item(IDOK));
  PostMessageA(GetFocus(), WM_SYSCHAR, 'a', 0);
  PumpDialog(dlg);
  EXPECT_EQ(GetFocus(), Item(kApply));
  EXPECT_EQ(commands, (std::vector<WPARAM>{kApply}));
  PostMessageA(GetFocus(), WM_SYSCHAR, 'L', 0);  // a label hands on to the next tab stop
  PumpDialog(dlg);
  EXPECT_EQ(GetFocus(), Item(kApply));
}

TEST_F(DialogKeys, NextDlgCtlMovesFocusLikeTab) {
  SendMessageA(dlg, WM_NEXTDLGCTL, 0, FALSE);
  EXPECT_EQ(GetFocus(), Item(kApply));
  SendMessageA(dlg, WM_NEXTDLGCTL, 1, FALSE);
  EXPECT_EQ(GetFocus(), Item(kName));
  SendMessageA(dlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IDOK)), TRUE);
  EXPECT_EQ(GetFocus(), Item(IDOK));
}

TEST_F(DialogKeys, ItemHelpers) {
  EXPECT_EQ(GetDlgCtrlID(Item(kApply)), static_cast<int>(kApply));
  SetLastError(0);
  EXPECT_EQ(GetDlgItem(dlg, 999), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CONTROL_ID_NOT_FOUND));

  EXPECT_TRUE(SetDlgItemInt(dlg, kName, static_cast<UINT>(-25), TRUE));
  char text[16];
  EXPECT_EQ(GetDlgItemTextA(dlg, kName, text, sizeof(text)), 3u);
  EXPECT_STREQ(text, "-25");
  BOOL ok = FALSE;
  EXPECT_EQ(static_cast<int>(GetDlgItemInt(dlg, kName, &ok, TRUE)), -25);
  EXPECT_TRUE(ok);
  GetDlgItemInt(dlg, kName, &ok, FALSE);
  EXPECT_FALSE(ok);  // a sign is no unsigned number
  struct Case {
    const char* text;
    BOOL is_signed;
    UINT value;
    BOOL translated;
  } cases[] = {
      {"  42", FALSE, 42, TRUE},        {"17abc", TRUE, 17, TRUE},          {"abc", TRUE, 0, FALSE},
      {"", TRUE, 0, FALSE},            {"4294967295", FALSE, 4294967295u, TRUE},
      {"4294967296", FALSE, 0, FALSE}, {"2147483648", TRUE, 0, FALSE},      {"-2147483648", TRUE, 0x80000000u, TRUE},
  };
  for (const Case& c : cases) {
    SetDlgItemTextA(dlg, kName, c.text);
    EXPECT_EQ(GetDlgItemInt(dlg, kName, &ok, c.is_signed), c.value) << c.text;
    EXPECT_EQ(ok, c.translated) << c.text;
  }

  EXPECT_TRUE(CheckDlgButton(dlg, kRadio1, BST_CHECKED));
  EXPECT_EQ(IsDlgButtonChecked(dlg, kRadio1), static_cast<UINT>(BST_CHECKED));
  EXPECT_TRUE(CheckRadioButton(dlg, kRadio1, kRadio3, kRadio3));
  EXPECT_EQ(IsDlgButtonChecked(dlg, kRadio1), static_cast<UINT>(BST_UNCHECKED));
  EXPECT_EQ(IsDlgButtonChecked(dlg, kRadio3), static_cast<UINT>(BST_CHECKED));
  EXPECT_EQ(SendDlgItemMessageA(dlg, kRadio3, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendDlgItemMessageA(dlg, 999, BM_GETCHECK, 0, 0), 0);
  EXPECT_EQ(GetNextDlgGroupItem(dlg, Item(kRadio3), FALSE), Item(kRadio1));
  EXPECT_EQ(GetNextDlgTabItem(dlg, nullptr, TRUE), Item(kRadio1));
}

TEST_F(DialogKeys, MessagesOfOtherWindowsAreNotTheDialogs) {
  HWND other = CreateWindowExA(0, "TestStatic", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  MSG m{other, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
  EXPECT_FALSE(IsDialogMessageA(dlg, &m));
  DestroyWindow(other);
}

}  // namespace
