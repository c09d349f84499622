#include <gtest/gtest.h>

#include "ui/controls/controls_test_support.h"

namespace {

using ctltest::Parent;

int Check(HWND h) { return static_cast<int>(SendMessageA(h, BM_GETCHECK, 0, 0)); }

TEST(ButtonTest, ClickOnAutoRadioUnchecksItsGroupOnly) {
  Parent p;
  HWND a = p.Add("Button", "A", BS_AUTORADIOBUTTON | WS_GROUP, 11);
  HWND b = p.Add("Button", "B", BS_AUTORADIOBUTTON, 12);
  HWND c = p.Add("Button", "C", BS_RADIOBUTTON, 13);
  HWND other = p.Add("Button", "X", BS_AUTORADIOBUTTON | WS_GROUP, 21);
  SendMessageA(a, BM_SETCHECK, BST_CHECKED, 0);
  SendMessageA(c, BM_SETCHECK, BST_CHECKED, 0);
  SendMessageA(other, BM_SETCHECK, BST_CHECKED, 0);
  // Setting checks from code tells nobody.
  EXPECT_TRUE(p.commands.empty());

  ctltest::Click(b, 5, 5);
  EXPECT_EQ(Check(b), BST_CHECKED);
  EXPECT_EQ(Check(a), BST_UNCHECKED);
  EXPECT_EQ(Check(c), BST_UNCHECKED);  // a plain radio button of the group goes off too
  EXPECT_EQ(Check(other), BST_CHECKED);  // the next group is left alone
  EXPECT_EQ(p.Codes(12), (std::vector<int>{BN_CLICKED}));
  EXPECT_TRUE(p.Codes(11).empty());
  // The checked radio button carries the group's tab stop.
  EXPECT_TRUE(GetWindowLongPtrA(b, GWL_STYLE) & WS_TABSTOP);
  EXPECT_FALSE(GetWindowLongPtrA(a, GWL_STYLE) & WS_TABSTOP);
}

TEST(ButtonTest, ReleaseOutsideTheButtonIsNoClick) {
  Parent p;
  HWND b = p.Add("Button", "Go", BS_PUSHBUTTON, 5, RECT{0, 0, 80, 24});
  SendMessageA(b, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  EXPECT_EQ(SendMessageA(b, BM_GETSTATE, 0, 0) & BST_PUSHED, BST_PUSHED);
  EXPECT_EQ(GetCapture(), b);
  SendMessageA(b, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(200, 10));
  EXPECT_EQ(SendMessageA(b, BM_GETSTATE, 0, 0) & BST_PUSHED, 0);
  SendMessageA(b, WM_LBUTTONUP, 0, MAKELPARAM(200, 10));
  EXPECT_TRUE(p.Codes(5).empty());
  EXPECT_EQ(GetCapture(), nullptr);
  // Back over the button before the release, it clicks.
  SendMessageA(b, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  SendMessageA(b, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(200, 10));
  SendMessageA(b, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, 5));
  SendMessageA(b, WM_LBUTTONUP, 0, MAKELPARAM(20, 5));
  EXPECT_EQ(p.Codes(5), (std::vector<int>{BN_CLICKED}));
}

TEST(ButtonTest, CheckBoxesCycleOnClicksAndClampCodeValues) {
  Parent p;
  HWND two = p.Add("Button", "two", BS_AUTOCHECKBOX, 1);
  HWND three = p.Add("Button", "three", BS_AUTO3STATE, 2);
  HWND manual = p.Add("Button", "manual", BS_CHECKBOX, 3);
  SendMessageA(two, BM_CLICK, 0, 0);
  EXPECT_EQ(Check(two), BST_CHECKED);
  SendMessageA(two, BM_CLICK, 0, 0);
  EXPECT_EQ(Check(two), BST_UNCHECKED);

  std::vector<int> seen;
  for (int i = 0; i < 3; ++i) {
    SendMessageA(three, BM_CLICK, 0, 0);
    seen.push_back(Check(three));
  }
  EXPECT_EQ(seen, (std::vector<int>{BST_CHECKED, BST_INDETERMINATE, BST_UNCHECKED}));

  // A plain check box tells the click and leaves its check to the owner.
  SendMessageA(manual, BM_CLICK, 0, 0);
  EXPECT_EQ(Check(manual), BST_UNCHECKED);
  EXPECT_EQ(p.Codes(3), (std::vector<int>{BN_CLICKED}));

  // A two-state box takes "indeterminate" as checked; a push button has no check.
  SendMessageA(two, BM_SETCHECK, BST_INDETERMINATE, 0);
  EXPECT_EQ(Check(two), BST_CHECKED);
  HWND push = p.Add("Button", "push", BS_PUSHBUTTON, 4);
  SendMessageA(push, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_EQ(Check(push), BST_UNCHECKED);
}

TEST(ButtonTest, SpaceBarClicksAndDisabledButtonsIgnoreBmClick) {
  Parent p;
  HWND b = p.Add("Button", "box", BS_AUTOCHECKBOX, 7);
  SetFocus(b);
  SendMessageA(b, WM_KEYDOWN, VK_SPACE, 1);
  EXPECT_EQ(SendMessageA(b, BM_GETSTATE, 0, 0), BST_PUSHED | BST_FOCUS);
  SendMessageA(b, WM_KEYUP, VK_SPACE, 1);
  EXPECT_EQ(Check(b), BST_CHECKED);
  EXPECT_EQ(p.Codes(7), (std::vector<int>{BN_CLICKED}));

  EnableWindow(b, FALSE);
  SendMessageA(b, BM_CLICK, 0, 0);
  EXPECT_EQ(Check(b), BST_CHECKED);
  EXPECT_EQ(p.Codes(7).size(), 1u);
}

TEST(ButtonTest, AutoRadioChecksItselfWhenFocusArrivesByKeyboard) {
  // Moving through a radio group with the keyboard selects as it goes: the
  // button checks itself, clears its group and tells the parent.
  Parent p;
  HWND a = p.Add("Button", "A", BS_AUTORADIOBUTTON | WS_GROUP, 1);
  HWND b = p.Add("Button", "B", BS_AUTORADIOBUTTON, 2);
  SendMessageA(a, BM_SETCHECK, BST_CHECKED, 0);
  SetFocus(b);
  EXPECT_EQ(Check(b), BST_CHECKED);
  EXPECT_EQ(Check(a), BST_UNCHECKED);
  EXPECT_EQ(p.Codes(2), (std::vector<int>{BN_CLICKED}));
  // Focus on a button already checked changes nothing.
  SetFocus(p.hwnd());
  p.Clear();
  SetFocus(b);
  EXPECT_TRUE(p.commands.empty());
  // A click's own focus change does not count as a keyboard selection.
  SetFocus(p.hwnd());
  SendMessageA(a, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  EXPECT_EQ(Check(a), BST_UNCHECKED);
  SendMessageA(a, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  EXPECT_EQ(Check(a), BST_CHECKED);
  EXPECT_EQ(p.Codes(1), (std::vector<int>{BN_CLICKED}));
}

TEST(ButtonTest, DialogCodesAndDefaultStyle) {
  Parent p;
  struct Case {
    DWORD style;
    LRESULT code;
  } cases[] = {
      {BS_PUSHBUTTON, DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON},
      {BS_DEFPUSHBUTTON, DLGC_BUTTON | DLGC_DEFPUSHBUTTON},
      {BS_AUTORADIOBUTTON, DLGC_BUTTON | DLGC_RADIOBUTTON},
      {BS_RADIOBUTTON, DLGC_BUTTON | DLGC_RADIOBUTTON},
      {BS_CHECKBOX, DLGC_BUTTON},
      {BS_GROUPBOX, DLGC_STATIC},
  };
  int id = 100;
  for (const Case& c : cases) {
    HWND h = p.Add("Button", "x", c.style, id++);
    EXPECT_EQ(SendMessageA(h, WM_GETDLGCODE, 0, 0), c.code) << c.style;
  }
  // BM_SETSTYLE switches the kind, which is how a dialog moves its default button.
  HWND h = p.Add("Button", "ok", BS_PUSHBUTTON, 1);
  SendMessageA(h, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  EXPECT_EQ(GetWindowLongPtrA(h, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  EXPECT_EQ(SendMessageA(h, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_DEFPUSHBUTTON);
  EXPECT_TRUE(GetWindowLongPtrA(h, GWL_STYLE) & WS_VISIBLE);
}

TEST(ButtonTest, OwnerDrawnButtonAsksItsParentToDraw) {
  Parent p;
  HWND b = p.Add("Button", "", BS_OWNERDRAW, 30, RECT{0, 0, 50, 20});
  p.Clear();
  SendMessageA(b, WM_PAINT, 0, 0);
  ASSERT_EQ(p.draws.size(), 1u);
  EXPECT_EQ(p.draws[0].CtlType, static_cast<UINT>(ODT_BUTTON));
  EXPECT_EQ(p.draws[0].CtlID, 30u);
  EXPECT_EQ(p.draws[0].itemAction, static_cast<UINT>(ODA_DRAWENTIRE));
  EXPECT_EQ(p.draws[0].hwndItem, b);
  EXPECT_EQ(p.draws[0].rcItem.right, 50);
  SendMessageA(b, BM_SETSTATE, TRUE, 0);
  ASSERT_EQ(p.draws.size(), 2u);
  EXPECT_EQ(p.draws[1].itemAction, static_cast<UINT>(ODA_SELECT));
  EXPECT_TRUE(p.draws[1].itemState & ODS_SELECTED);
  // Double clicks reach the parent of an owner-drawn button.
  SendMessageA(b, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(3, 3));
  EXPECT_EQ(p.Codes(30), (std::vector<int>{BN_DOUBLECLICKED}));
}

TEST(ButtonTest, ImageFontAndText) {
  Parent p;
  HWND b = p.Add("Button", "&Apply", BS_PUSHBUTTON | BS_BITMAP, 9);
  auto image = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x1234));
  EXPECT_EQ(SendMessageA(b, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(image)), 0);
  EXPECT_EQ(SendMessageA(b, BM_GETIMAGE, IMAGE_BITMAP, 0), reinterpret_cast<LRESULT>(image));
  EXPECT_EQ(SendMessageA(b, BM_GETIMAGE, IMAGE_ICON, 0), 0);
  auto font = reinterpret_cast<HFONT>(static_cast<uintptr_t>(0x4321));
  SendMessageA(b, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  EXPECT_EQ(SendMessageA(b, WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(font));
  EXPECT_EQ(ctltest::Text(b), "&Apply");
  SetWindowTextA(b, "&Close");
  EXPECT_EQ(ctltest::Text(b), "&Close");
  EXPECT_TRUE(p.commands.empty());
}

TEST(ButtonTest, ParentMayDestroyTheButtonWhileItIsTold) {
  Parent p;
  HWND b = p.Add("Button", "Close", BS_AUTOCHECKBOX, 1);
  p.on_command = [&](const ctltest::Command& c) { DestroyWindow(c.from); };
  SendMessageA(b, BM_CLICK, 0, 0);
  EXPECT_FALSE(IsWindow(b));
  EXPECT_EQ(p.Codes(1), (std::vector<int>{BN_CLICKED}));
}

}  // namespace
