// The standard controls inside a dialog: the dialog manager's keys reach them,
// they answer it, and the test driver's user actions work on them.
#include <gtest/gtest.h>

#include <vector>

#include "qvplatform/dlgtemplate.h"
#include "ui/controls/controls_test_support.h"

namespace {

using ctltest::Parent;

struct Seen {
  std::vector<std::pair<int, int>> commands;  // (id, code)
  std::vector<int> Codes(int id) const {
    std::vector<int> out;
    for (auto& c : commands)
      if (c.first == id) out.push_back(c.second);
    return out;
  }
};
Seen* g_seen = nullptr;

INT_PTR CALLBACK Proc(HWND, UINT msg, WPARAM wp, LPARAM) {
  if (msg == WM_INITDIALOG) return TRUE;
  if (msg == WM_COMMAND && g_seen) g_seen->commands.emplace_back(LOWORD(wp), static_cast<SHORT>(HIWORD(wp)));
  return FALSE;
}

qvp::ControlDesc Control(const char* cls, uint32_t id, const char* text, uint32_t style, int16_t y) {
  qvp::ControlDesc c;
  c.window_class = qvp::NameOrId::Text(cls);
  c.id = id;
  c.text = qvp::NameOrId::Text(text);
  c.style = style | WS_CHILD | WS_VISIBLE;
  c.x = 5;
  c.y = y;
  c.cx = 80;
  c.cy = 12;
  return c;
}

class DialogControlsTest : public ::testing::Test {
 protected:
  void SetUp() override { g_seen = &seen_; }
  void TearDown() override {
    if (dlg_) DestroyWindow(dlg_);
    g_seen = nullptr;
  }

  HWND Open(std::vector<qvp::ControlDesc> controls) {
    qvp::DialogDesc d;
    d.style = WS_POPUP | WS_CAPTION | WS_VISIBLE | DS_SETFONT;
    d.cx = 200;
    d.cy = 150;
    d.caption = qvp::NameOrId::Text("Controls");
    d.font_face = qvp::NameOrId::Text("MS Sans Serif");
    d.font_point_size = 8;
    d.controls = std::move(controls);
    std::string error;
    EXPECT_TRUE(qvp::BuildDialogTemplate(d, &block_, &error)) << error;
    dlg_ = CreateDialogIndirectParamA(nullptr, reinterpret_cast<LPCDLGTEMPLATEA>(block_.data()), nullptr, Proc, 0);
    return dlg_;
  }

  // A key press as the keyboard delivers it: posted to the focus, run through the dialog manager.
  void Press(UINT vk) {
    PostMessageA(GetFocus(), WM_KEYDOWN, vk, 1);
    PostMessageA(GetFocus(), WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001u));
    Pump();
  }
  void Pump() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (!IsDialogMessageA(dlg_, &m)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
      }
    }
  }

  Seen seen_;
  HWND dlg_ = nullptr;
  std::vector<uint8_t> block_;
};

TEST_F(DialogControlsTest, ReturnInAnEditPressesTheDefaultButton) {
  HWND dlg = Open({Control("Edit", 10, "", ES_AUTOHSCROLL | WS_TABSTOP | WS_BORDER, 5),
                   Control("Button", IDOK, "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 30),
                   Control("Button", IDCANCEL, "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 50)});
  ASSERT_NE(dlg, nullptr);
  HWND edit = GetDlgItem(dlg, 10);
  EXPECT_EQ(GetFocus(), edit);
  Press('A');
  EXPECT_EQ(ctltest::Text(edit), "a");
  EXPECT_EQ(seen_.Codes(10), (std::vector<int>{EN_SETFOCUS, EN_UPDATE, EN_CHANGE}));
  Press(VK_RETURN);
  EXPECT_EQ(seen_.Codes(IDOK), (std::vector<int>{BN_CLICKED}));
  // The dialog's font reached the controls, and the button paints its caption with it.
  HFONT font = reinterpret_cast<HFONT>(SendMessageA(dlg, WM_GETFONT, 0, 0));
  EXPECT_EQ(SendMessageA(GetDlgItem(dlg, IDOK), WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(font));
  UpdateWindow(dlg);
  Pump();
  const qvp::PaintLog log = qvp::GetWindowPaintLog(GetDlgItem(dlg, IDOK));
  const qvp::PaintRecord* caption = log.FindText("OK");
  ASSERT_NE(caption, nullptr);
  EXPECT_EQ(caption->face, "MS Sans Serif");
}

TEST_F(DialogControlsTest, ArrowKeysWalkARadioGroupCheckingAsTheyGo) {
  HWND dlg = Open({Control("Button", 1, "One", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 5),
                   Control("Button", 2, "Two", BS_AUTORADIOBUTTON, 20),
                   Control("Button", 3, "Three", BS_AUTORADIOBUTTON, 35),
                   Control("Button", IDOK, "OK", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 60)});
  ASSERT_NE(dlg, nullptr);
  CheckRadioButton(dlg, 1, 3, 2);
  SetFocus(GetDlgItem(dlg, 2));
  seen_.commands.clear();
  Press(VK_DOWN);
  EXPECT_EQ(GetFocus(), GetDlgItem(dlg, 3));
  EXPECT_EQ(IsDlgButtonChecked(dlg, 3), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(dlg, 2), BST_UNCHECKED);
  // The parent hears of the choice exactly once.
  EXPECT_EQ(seen_.Codes(3), (std::vector<int>{BN_CLICKED}));
  // The checked button holds the group's tab stop.
  EXPECT_TRUE(GetWindowLongPtrA(GetDlgItem(dlg, 3), GWL_STYLE) & WS_TABSTOP);
  EXPECT_FALSE(GetWindowLongPtrA(GetDlgItem(dlg, 1), GWL_STYLE) & WS_TABSTOP);
}

TEST_F(DialogControlsTest, DriverActionsSendWhatAUserSends) {
  HWND dlg = Open({Control("ListBox", 20, "", LBS_NOTIFY | WS_TABSTOP | WS_VSCROLL, 5),
                   Control("ComboBox", 21, "", CBS_DROPDOWNLIST | WS_TABSTOP | WS_VSCROLL, 60),
                   Control("Edit", 22, "", ES_AUTOHSCROLL | WS_TABSTOP, 80),
                   Control("Button", 23, "Go", BS_PUSHBUTTON | WS_TABSTOP, 100)});
  ASSERT_NE(dlg, nullptr);
  HWND list = GetDlgItem(dlg, 20);
  HWND combo = GetDlgItem(dlg, 21);
  for (int i = 0; i < 12; ++i) {
    std::string t = "item " + std::to_string(i);
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t.c_str()));
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t.c_str()));
  }
  seen_.commands.clear();
  EXPECT_TRUE(qvp::UserSelectListItem(list, 11, true));
  EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 11);
  EXPECT_EQ(seen_.Codes(20), (std::vector<int>{LBN_SELCHANGE, LBN_DBLCLK}));

  EXPECT_TRUE(qvp::UserSelectComboItem(combo, 9));
  EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 9);
  EXPECT_EQ(seen_.Codes(21),
            (std::vector<int>{CBN_SETFOCUS, CBN_DROPDOWN, CBN_SELENDOK, CBN_CLOSEUP, CBN_SELCHANGE}));

  EXPECT_TRUE(qvp::UserTypeText(GetDlgItem(dlg, 22), "hi"));
  EXPECT_EQ(ctltest::Text(GetDlgItem(dlg, 22)), "hi");
  EXPECT_TRUE(qvp::UserClickButton(GetDlgItem(dlg, 23)));
  EXPECT_EQ(seen_.Codes(23), (std::vector<int>{BN_CLICKED}));

  // What no user could do is refused.
  EnableWindow(GetDlgItem(dlg, 23), FALSE);
  EXPECT_FALSE(qvp::UserClickButton(GetDlgItem(dlg, 23)));
  EXPECT_FALSE(qvp::UserSelectListItem(list, 12));
  EXPECT_FALSE(qvp::UserSelectComboItem(list, 0));
  EXPECT_FALSE(qvp::UserTypeText(list, "x"));
}

}  // namespace
