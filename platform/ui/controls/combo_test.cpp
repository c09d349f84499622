#include <gtest/gtest.h>

#include "ui/controls/controls_test_support.h"

namespace {

using ctltest::Parent;
using Codes = std::vector<int>;

LRESULT Add(HWND cb, const char* text) { return SendMessageA(cb, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)); }

// A client point over item i of the open list, which hangs below the control.
LPARAM ListPoint(HWND cb, int i) {
  RECT w{};
  GetWindowRect(cb, &w);
  const auto h = static_cast<int>(SendMessageA(cb, CB_GETITEMHEIGHT, 0, 0));
  return MAKELPARAM(5, (w.bottom - w.top) + i * h + h / 2);
}

HWND EditOf(HWND cb) { return GetWindow(cb, GW_CHILD); }

TEST(ComboTest, SortedComboReturnsInsertionPositions) {
  Parent p;
  HWND cb = p.Add("ComboBox", "", CBS_DROPDOWNLIST | CBS_SORT, 1, RECT{0, 0, 150, 200});
  EXPECT_EQ(Add(cb, "Mango"), 0);
  EXPECT_EQ(Add(cb, "apple"), 0);
  EXPECT_EQ(Add(cb, "cherry"), 1);
  EXPECT_EQ(Add(cb, "MANGO"), 3);
  EXPECT_EQ(SendMessageA(cb, CB_INSERTSTRING, 1, reinterpret_cast<LPARAM>("zz")), 1);
  EXPECT_EQ(SendMessageA(cb, CB_GETCOUNT, 0, 0), 5);
  char buf[32] = {};
  EXPECT_EQ(SendMessageA(cb, CB_GETLBTEXT, 4, reinterpret_cast<LPARAM>(buf)), 5);
  EXPECT_STREQ(buf, "MANGO");
  EXPECT_EQ(SendMessageA(cb, CB_GETLBTEXTLEN, 2, 0), 6);
  EXPECT_EQ(SendMessageA(cb, CB_GETLBTEXT, 9, reinterpret_cast<LPARAM>(buf)), CB_ERR);
  EXPECT_EQ(SendMessageA(cb, CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("ch")), 2);
  EXPECT_EQ(SendMessageA(cb, CB_FINDSTRINGEXACT, 3, reinterpret_cast<LPARAM>("mango")), 4);
}

TEST(ComboTest, MouseChoiceSendsWindowsOrder) {
  Parent p;
  HWND cb = p.Add("ComboBox", "", CBS_DROPDOWNLIST, 7, RECT{0, 0, 150, 200});
  for (const char* t : {"red", "green", "blue"}) Add(cb, t);
  ctltest::Click(cb, 5, 5);
  EXPECT_EQ(SendMessageA(cb, CB_GETDROPPEDSTATE, 0, 0), TRUE);
  ctltest::Click(cb, 5, static_cast<int>(HIWORD(ListPoint(cb, 2))));
  EXPECT_EQ(SendMessageA(cb, CB_GETDROPPEDSTATE, 0, 0), FALSE);
  EXPECT_EQ(SendMessageA(cb, CB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(ctltest::Text(cb), "blue");
  EXPECT_EQ(p.Codes(7), (Codes{CBN_SETFOCUS, CBN_DROPDOWN, CBN_SELENDOK, CBN_CLOSEUP, CBN_SELCHANGE}));

  // Opening and clicking outside the list cancels.
  p.Clear();
  ctltest::Click(cb, 5, 5);
  SendMessageA(cb, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(400, 5));
  EXPECT_EQ(p.Codes(7), (Codes{CBN_DROPDOWN, CBN_SELENDCANCEL, CBN_CLOSEUP}));
  EXPECT_EQ(SendMessageA(cb, CB_GETCURSEL, 0, 0), 2);
}

TEST(ComboTest, KeyboardChoiceWithTheListOpenAndClosed) {
  Parent p;
  HWND cb = p.Add("ComboBox", "", CBS_DROPDOWNLIST, 7, RECT{0, 0, 150, 200});
  for (const char* t : {"one", "two", "three"}) Add(cb, t);
  SetFocus(cb);
  p.Clear();
  ctltest::Key(cb, VK_DOWN);
  EXPECT_EQ(p.Codes(7), (Codes{CBN_SELENDOK, CBN_SELCHANGE}));
  EXPECT_EQ(SendMessageA(cb, CB_GETCURSEL, 0, 0), 0);

  p.Clear();
  ctltest::Key(cb, VK_F4);
  ctltest::Key(cb, VK_DOWN);
  ctltest::Key(cb, VK_DOWN);
  ctltest::Key(cb, VK_RETURN);
  EXPECT_EQ(p.Codes(7), (Codes{CBN_DROPDOWN, CBN_SELCHANGE, CBN_SELCHANGE, CBN_SELENDOK, CBN_CLOSEUP}));
  EXPECT_EQ(SendMessageA(cb, CB_GETCURSEL, 0, 0), 2);

  // Alt+Down opens, Escape closes without a choice.
  p.Clear();
  SendMessageA(cb, WM_SYSKEYDOWN, VK_DOWN, 1 << 29);
  ctltest::Key(cb, VK_ESCAPE);
  EXPECT_EQ(p.Codes(7), (Codes{CBN_DROPDOWN, CBN_SELENDCANCEL, CBN_CLOSEUP}));
  // A typed letter moves to the next item it begins.
  p.Clear();
  SendMessageA(cb, WM_CHAR, 'T', 1);
  EXPECT_EQ(SendMessageA(cb, CB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(p.Codes(7), (Codes{CBN_SELENDOK, CBN_SELCHANGE}));
}

TEST(ComboTest, ChangesFromCodeSendNothingButShowDropDownTellsOpenAndClose) {
  Parent p;
  HWND cb = p.Add("ComboBox", "", CBS_DROPDOWN, 3, RECT{0, 0, 150, 200});
  for (const char* t : {"alpha", "beta"}) Add(cb, t);
  EXPECT_EQ(SendMessageA(cb, CB_SETCURSEL, 1, 0), 1);
  EXPECT_EQ(ctltest::Text(cb), "beta");
  EXPECT_EQ(SendMessageA(cb, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("AL")), 0);
  EXPECT_EQ(ctltest::Text(cb), "alpha");
  EXPECT_EQ(SendMessageA(cb, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("x")), CB_ERR);
  EXPECT_EQ(SendMessageA(cb, CB_GETCURSEL, 0, 0), 0);
  SetWindowTextA(cb, "typed by code");
  EXPECT_EQ(ctltest::Text(cb), "typed by code");
  EXPECT_TRUE(p.commands.empty());
  // An index out of range clears the selection and the text.
  EXPECT_EQ(SendMessageA(cb, CB_SETCURSEL, 5, 0), CB_ERR);
  EXPECT_EQ(SendMessageA(cb, CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(ctltest::Text(cb), "");
  EXPECT_TRUE(p.commands.empty());

  SendMessageA(cb, CB_SHOWDROPDOWN, TRUE, 0);
  SendMessageA(cb, CB_SHOWDROPDOWN, FALSE, 0);
  EXPECT_EQ(p.Codes(3), (Codes{CBN_DROPDOWN, CBN_CLOSEUP}));
}

TEST(ComboTest, EditPartTypingAndLimits) {
  Parent p;
  HWND cb = p.Add("ComboBox", "", CBS_DROPDOWN | CBS_AUTOHSCROLL, 3, RECT{0, 0, 150, 200});
  Add(cb, "first");
  HWND edit = EditOf(cb);
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(GetWindowLongPtrA(edit, GWL_ID), 1001);
  SendMessageA(cb, CB_SETCURSEL, 0, 0);
  SendMessageA(cb, CB_LIMITTEXT, 8, 0);
  SendMessageA(cb, CB_SETEDITSEL, 0, MAKELPARAM(5, 5));
  DWORD a = 0, b = 0;
  SendMessageA(cb, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
  EXPECT_EQ(a, 5u);
  EXPECT_EQ(b, 5u);
  p.Clear();
  ctltest::Type(edit, "12345");
  EXPECT_EQ(ctltest::Text(cb), "first123");
  // Typing ends the list selection and is told as edit changes.
  EXPECT_EQ(SendMessageA(cb, CB_GETCURSEL, 0, 0), CB_ERR);
  Codes expected;
  for (int i = 0; i < 3; ++i) expected.insert(expected.end(), {CBN_EDITUPDATE, CBN_EDITCHANGE});
  EXPECT_EQ(p.Codes(3), expected);

  // Arrow keys in the edit part move through the list.
  p.Clear();
  ctltest::Key(edit, VK_DOWN);
  EXPECT_EQ(SendMessageA(cb, CB_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(ctltest::Text(cb), "first");
  EXPECT_EQ(p.Codes(3), (Codes{CBN_SELENDOK, CBN_SELCHANGE}));

  HWND list = p.Add("ComboBox", "", CBS_DROPDOWNLIST, 4, RECT{0, 0, 150, 200});
  EXPECT_EQ(GetWindow(list, GW_CHILD), nullptr);
  EXPECT_EQ(SendMessageA(list, CB_LIMITTEXT, 8, 0), CB_ERR);
  EXPECT_EQ(SendMessageA(list, CB_GETEDITSEL, 0, 0), CB_ERR);
}

TEST(ComboTest, DropDownListTextIsItsSelection) {
  Parent p;
  HWND cb = p.Add("ComboBox", "", CBS_DROPDOWNLIST, 3, RECT{0, 0, 150, 200});
  for (const char* t : {"North", "South"}) Add(cb, t);
  EXPECT_EQ(ctltest::Text(cb), "");
  SendMessageA(cb, CB_SETCURSEL, 1, 0);
  EXPECT_EQ(ctltest::Text(cb), "South");
  EXPECT_EQ(GetWindowTextLengthA(cb), 5);
  // Text set on a drop-down list must name an item.
  EXPECT_EQ(SendMessageA(cb, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("north")), TRUE);
  EXPECT_EQ(SendMessageA(cb, CB_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(SendMessageA(cb, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("East")), CB_ERR);
  EXPECT_EQ(SendMessageA(cb, CB_GETCURSEL, 0, 0), 0);
  SendMessageA(cb, CB_DELETESTRING, 0, 0);
  EXPECT_EQ(ctltest::Text(cb), "");
}

TEST(ComboTest, DropDownKeepsItsFieldHeight) {
  Parent p;
  HWND cb = p.Add("ComboBox", "", CBS_DROPDOWNLIST, 3, RECT{10, 10, 160, 210});
  RECT w{};
  GetWindowRect(cb, &w);
  const auto field = static_cast<int>(SendMessageA(cb, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
  EXPECT_EQ(w.bottom - w.top, field + 6);
  RECT dropped{};
  SendMessageA(cb, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
  EXPECT_EQ(dropped.bottom - dropped.top, 200);
  // A new height is the dropped height; the field stays.
  SetWindowPos(cb, nullptr, 0, 0, 150, 300, SWP_NOMOVE | SWP_NOZORDER);
  GetWindowRect(cb, &w);
  EXPECT_EQ(w.bottom - w.top, field + 6);
  SendMessageA(cb, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
  EXPECT_EQ(dropped.bottom - dropped.top, 300);
  HWND simple = p.Add("ComboBox", "", CBS_SIMPLE, 4, RECT{200, 10, 350, 210});
  GetWindowRect(simple, &w);
  EXPECT_EQ(w.bottom - w.top, 200);
}

TEST(ComboTest, OwnerDrawnComboMeasuresAndDraws) {
  Parent p;
  p.on_measure = [](MEASUREITEMSTRUCT& m) { m.itemHeight = m.itemID == static_cast<UINT>(-1) ? 24 : 18; };
  HWND cb = p.Add("ComboBox", "", CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | CBS_SORT, 1053,
                  RECT{0, 0, 150, 200});
  // The selection field is measured first, then the list's items.
  ASSERT_EQ(p.measures.size(), 2u);
  EXPECT_EQ(p.measures[0].CtlType, static_cast<UINT>(ODT_COMBOBOX));
  EXPECT_EQ(p.measures[0].CtlID, 1053u);
  EXPECT_EQ(p.measures[0].itemID, static_cast<UINT>(-1));
  EXPECT_EQ(p.measures[1].itemID, 0u);
  EXPECT_EQ(SendMessageA(cb, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0), 24);
  EXPECT_EQ(SendMessageA(cb, CB_GETITEMHEIGHT, 0, 0), 18);

  EXPECT_EQ(Add(cb, "Ping\thost"), 0);
  EXPECT_EQ(Add(cb, "File\tpath"), 0);
  SendMessageA(cb, CB_SETITEMDATA, 1, 10);
  SendMessageA(cb, CB_SETCURSEL, 1, 0);
  p.draws.clear();
  SendMessageA(cb, WM_PAINT, 0, 0);
  ASSERT_EQ(p.draws.size(), 1u);
  const DRAWITEMSTRUCT& d = p.draws[0];
  EXPECT_EQ(d.CtlType, static_cast<UINT>(ODT_COMBOBOX));
  EXPECT_EQ(d.itemID, 1u);
  EXPECT_EQ(d.itemData, 10u);
  EXPECT_EQ(d.itemAction, static_cast<UINT>(ODA_DRAWENTIRE));
  EXPECT_TRUE(d.itemState & ODS_COMBOBOXEDIT);
  EXPECT_EQ(d.rcItem.bottom - d.rcItem.top, 24);
  EXPECT_EQ(d.hwndItem, cb);
  EXPECT_EQ(ctltest::Text(cb), "Ping\thost");

  // Deleting items with data tells the owner, as a combo box item.
  SendMessageA(cb, CB_RESETCONTENT, 0, 0);
  ASSERT_EQ(p.deletes.size(), 1u);
  EXPECT_EQ(p.deletes[0].CtlType, static_cast<UINT>(ODT_COMBOBOX));
  EXPECT_EQ(p.deletes[0].itemData, 10u);
}

TEST(ComboTest, SimpleComboSendsSelEndOkBeforeEverySelChange) {
  Parent p;
  HWND cb = p.Add("ComboBox", "", CBS_SIMPLE, 5, RECT{0, 0, 150, 200});
  for (const char* t : {"a", "b", "c"}) Add(cb, t);
  HWND edit = EditOf(cb);
  SetFocus(edit);
  p.Clear();
  const auto h = static_cast<int>(SendMessageA(cb, CB_GETITEMHEIGHT, 0, 0));
  const int list_top = static_cast<int>(SendMessageA(cb, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0)) + 6 + 2;
  ctltest::Click(cb, 5, list_top + h + h / 2);
  EXPECT_EQ(SendMessageA(cb, CB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(ctltest::Text(cb), "b");
  SendMessageA(cb, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, list_top + 2 * h + h / 2));
  EXPECT_EQ(p.Codes(5), (Codes{CBN_SELENDOK, CBN_SELCHANGE, CBN_SELENDOK, CBN_SELCHANGE, CBN_DBLCLK}));
  ctltest::Key(edit, VK_F4);
  EXPECT_EQ(SendMessageA(cb, CB_GETDROPPEDSTATE, 0, 0), FALSE);
}

TEST(ComboTest, TheOpenListIsAPopupShowingTheItems) {
  Parent p;
  HWND cb = p.Add("ComboBox", "", CBS_DROPDOWNLIST, 3, RECT{10, 10, 160, 210});
  for (const char* t : {"alpha", "beta", "gamma"}) Add(cb, t);
  SendMessageA(cb, CB_SETCURSEL, 1, 0);
  SendMessageA(cb, CB_SHOWDROPDOWN, TRUE, 0);
  HWND list = FindWindowA("ComboLBox", nullptr);
  ASSERT_NE(list, nullptr);
  EXPECT_TRUE(IsWindowVisible(list));
  EXPECT_NE(GetFocus(), list);  // the list never takes the focus
  RECT lr{}, cr{};
  GetWindowRect(list, &lr);
  GetWindowRect(cb, &cr);
  EXPECT_EQ(lr.top, cr.bottom);
  EXPECT_EQ(lr.left, cr.left);
  qvp::PaintLog log = ctltest::Print(list);
  EXPECT_EQ(log.JoinedText(), "alpha\nbeta\ngamma");
  ASSERT_NE(log.FindText("beta"), nullptr);
  EXPECT_EQ(log.FindText("beta")->color, GetSysColor(COLOR_HIGHLIGHTTEXT));
  SendMessageA(cb, CB_SHOWDROPDOWN, FALSE, 0);
  EXPECT_FALSE(IsWindowVisible(list));
  DestroyWindow(cb);
  EXPECT_FALSE(IsWindow(list));
}

TEST(ComboTest, OwnerDrawnOpenListAsksTheParentForEachItem) {
  Parent p;
  HWND cb = p.Add("ComboBox", "", CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED, 4, RECT{10, 10, 160, 210});
  SendMessageA(cb, CB_ADDSTRING, 0, 11);
  SendMessageA(cb, CB_ADDSTRING, 0, 22);
  SendMessageA(cb, CB_SHOWDROPDOWN, TRUE, 0);
  HWND list = FindWindowA("ComboLBox", nullptr);
  ASSERT_NE(list, nullptr);
  p.draws.clear();
  ctltest::Print(list);
  ASSERT_EQ(p.draws.size(), 2u);
  EXPECT_EQ(p.draws[1].itemData, 22u);
  EXPECT_EQ(p.draws[1].hwndItem, list);
  EXPECT_EQ(p.draws[1].CtlType, static_cast<UINT>(ODT_COMBOBOX));
  EXPECT_FALSE(p.draws[1].itemState & ODS_COMBOBOXEDIT);
}

}  // namespace
