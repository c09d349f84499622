#include <gtest/gtest.h>

#include <cstring>

#include "ui/controls/controls_test_support.h"

namespace {

using ctltest::Parent;
using ctltest::Text;
using ctltest::Type;

std::pair<DWORD, DWORD> Sel(HWND e) {
  DWORD a = 0, b = 0;
  SendMessageA(e, EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
  return {a, b};
}

// Windows' rule for telling text changes: what a user types or pastes, and
// EM_REPLACESEL, send EN_UPDATE then EN_CHANGE; WM_SETTEXT does too for a
// single-line control, but a multi-line control sends nothing for it.
TEST(EditTest, WhichChangesSendChangeNotifications) {
  Parent p;
  HWND single = p.Add("Edit", "start", ES_AUTOHSCROLL, 1);
  HWND multi = p.Add("Edit", "start", ES_MULTILINE, 2, RECT{0, 50, 200, 150});
  // Creation text tells nothing.
  EXPECT_TRUE(p.commands.empty());

  SetWindowTextA(single, "code");
  EXPECT_EQ(p.Codes(1), (std::vector<int>{EN_UPDATE, EN_CHANGE}));
  SetWindowTextA(multi, "code");
  EXPECT_TRUE(p.Codes(2).empty());
  EXPECT_EQ(Text(multi), "code");

  p.Clear();
  SendMessageA(single, EM_SETSEL, 0, -1);
  SendMessageA(single, EM_LIMITTEXT, 10, 0);
  SendMessageA(single, EM_SETMODIFY, TRUE, 0);
  EXPECT_TRUE(p.commands.empty());

  SendMessageA(single, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("new"));
  EXPECT_EQ(Text(single), "new");
  EXPECT_EQ(p.Codes(1), (std::vector<int>{EN_UPDATE, EN_CHANGE}));

  p.Clear();
  Type(single, "s");
  EXPECT_EQ(Text(single), "news");
  EXPECT_EQ(p.Codes(1), (std::vector<int>{EN_UPDATE, EN_CHANGE}));
  Type(multi, "!");
  EXPECT_EQ(p.Codes(2), (std::vector<int>{EN_UPDATE, EN_CHANGE}));
}

TEST(EditTest, ModifiedFlagFollowsTheUserNotTheCode) {
  Parent p;
  HWND e = p.Add("Edit", "", ES_AUTOHSCROLL, 1);
  EXPECT_EQ(SendMessageA(e, EM_GETMODIFY, 0, 0), FALSE);
  Type(e, "ab");
  EXPECT_EQ(SendMessageA(e, EM_GETMODIFY, 0, 0), TRUE);
  SetWindowTextA(e, "reset");
  EXPECT_EQ(SendMessageA(e, EM_GETMODIFY, 0, 0), FALSE);
  EXPECT_EQ(SendMessageA(e, EM_CANUNDO, 0, 0), FALSE);
  EXPECT_EQ(Sel(e), (std::pair<DWORD, DWORD>{0, 0}));
  // Nothing to undo: a single line answers TRUE regardless, a multi-line control FALSE.
  EXPECT_EQ(SendMessageA(e, EM_UNDO, 0, 0), TRUE);
  EXPECT_EQ(Text(e), "reset");
  HWND multi = p.Add("Edit", "", ES_MULTILINE, 2, RECT{0, 50, 200, 150});
  EXPECT_EQ(SendMessageA(multi, EM_UNDO, 0, 0), FALSE);
}

TEST(EditTest, LimitRefusesTypingWithMaxTextNotification) {
  Parent p;
  HWND e = p.Add("Edit", "", ES_AUTOHSCROLL, 1);
  EXPECT_EQ(SendMessageA(e, EM_GETLIMITTEXT, 0, 0), 30000);
  SendMessageA(e, EM_LIMITTEXT, 4, 0);
  Type(e, "abcdef");
  EXPECT_EQ(Text(e), "abcd");
  EXPECT_EQ(p.Codes(1), (std::vector<int>{EN_UPDATE, EN_CHANGE, EN_UPDATE, EN_CHANGE, EN_UPDATE, EN_CHANGE,
                                          EN_UPDATE, EN_CHANGE, EN_MAXTEXT, EN_MAXTEXT}));
  // Text from code is not held to the limit.
  SetWindowTextA(e, "longer than four");
  EXPECT_EQ(Text(e), "longer than four");
  // Zero means as much as a single line can hold.
  SendMessageA(e, EM_LIMITTEXT, 0, 0);
  EXPECT_EQ(SendMessageA(e, EM_GETLIMITTEXT, 0, 0), 0x7FFFFFFE);
}

TEST(EditTest, NumberOnlyTypingBeepsButCodeAndPasteAreNotFiltered) {
  Parent p;
  HWND e = p.Add("Edit", "", ES_NUMBER | ES_AUTOHSCROLL, 1);
  qvp::PromptScript script;
  Type(e, "1a2-3");
  EXPECT_EQ(Text(e), "123");
  size_t beeps = 0;
  for (const auto& r : script.Records()) beeps += r.kind == qvp::PromptKind::kBeep;
  EXPECT_EQ(beeps, 2u);
  SetWindowTextA(e, "x9");
  EXPECT_EQ(Text(e), "x9");
  // Control characters still edit.
  SendMessageA(e, EM_SETSEL, 2, 2);
  SendMessageA(e, WM_CHAR, VK_BACK, 1);
  EXPECT_EQ(Text(e), "x");
}

TEST(EditTest, PasswordShowsStarsButGivesItsTextOnlyToCode) {
  Parent p;
  HWND e = p.Add("Edit", "", ES_PASSWORD | ES_AUTOHSCROLL, 1);
  EXPECT_EQ(SendMessageA(e, EM_GETPASSWORDCHAR, 0, 0), '*');
  Type(e, "secret");
  EXPECT_EQ(Text(e), "secret");

  // Copying and cutting a password leave the clipboard alone.
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  CloseClipboard();
  SendMessageA(e, EM_SETSEL, 0, -1);
  SendMessageA(e, WM_COPY, 0, 0);
  SendMessageA(e, WM_CUT, 0, 0);
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
  EXPECT_EQ(Text(e), "secret");

  // Password character 0 shows the text and drops the style.
  SendMessageA(e, EM_SETPASSWORDCHAR, 0, 0);
  EXPECT_EQ(SendMessageA(e, EM_GETPASSWORDCHAR, 0, 0), 0);
  EXPECT_FALSE(GetWindowLongPtrA(e, GWL_STYLE) & ES_PASSWORD);
  SendMessageA(e, EM_SETPASSWORDCHAR, '#', 0);
  EXPECT_EQ(SendMessageA(e, EM_GETPASSWORDCHAR, 0, 0), '#');
  EXPECT_TRUE(GetWindowLongPtrA(e, GWL_STYLE) & ES_PASSWORD);
}

TEST(EditTest, ReadOnlyRefusesTheUserOnly) {
  Parent p;
  HWND e = p.Add("Edit", "fixed", ES_READONLY | ES_AUTOHSCROLL, 1);
  Type(e, "x");
  SendMessageA(e, WM_CHAR, VK_BACK, 1);
  SendMessageA(e, EM_SETSEL, 0, -1);
  SendMessageA(e, WM_CLEAR, 0, 0);
  EXPECT_EQ(Text(e), "fixed");
  SendMessageA(e, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>("code"));
  EXPECT_EQ(Text(e), "code");
  SendMessageA(e, EM_SETREADONLY, FALSE, 0);
  EXPECT_FALSE(GetWindowLongPtrA(e, GWL_STYLE) & ES_READONLY);
  Type(e, "!");
  EXPECT_EQ(Text(e), "code!");
}

TEST(EditTest, CaseStylesConvertTypedAndSetText) {
  Parent p;
  HWND up = p.Add("Edit", "mixed", ES_UPPERCASE | ES_AUTOHSCROLL, 1);
  EXPECT_EQ(Text(up), "MIXED");
  SendMessageA(up, EM_SETSEL, 5, 5);
  Type(up, "\xe9x");
  EXPECT_EQ(Text(up), "MIXED\xc9X");
  HWND low = p.Add("Edit", "", ES_LOWERCASE | ES_AUTOHSCROLL, 2);
  SetWindowTextA(low, "ABC");
  EXPECT_EQ(Text(low), "abc");
}

TEST(EditTest, SelectionMessages) {
  Parent p;
  HWND e = p.Add("Edit", "hello world", ES_AUTOHSCROLL, 1);
  SendMessageA(e, EM_SETSEL, 8, 2);
  EXPECT_EQ(Sel(e), (std::pair<DWORD, DWORD>{2, 8}));
  EXPECT_EQ(SendMessageA(e, EM_GETSEL, 0, 0), MAKELRESULT(2, 8));
  SendMessageA(e, EM_SETSEL, 0, -1);
  EXPECT_EQ(Sel(e), (std::pair<DWORD, DWORD>{0, 11}));
  SendMessageA(e, EM_SETSEL, 3, 99);
  EXPECT_EQ(Sel(e), (std::pair<DWORD, DWORD>{3, 11}));
  SendMessageA(e, EM_SETSEL, static_cast<WPARAM>(-1), 0);  // deselects, caret stays
  EXPECT_EQ(Sel(e), (std::pair<DWORD, DWORD>{11, 11}));
  // Typing replaces the selection.
  SendMessageA(e, EM_SETSEL, 0, 5);
  Type(e, "J");
  EXPECT_EQ(Text(e), "J world");
}

TEST(EditTest, KeysMoveAndDelete) {
  Parent p;
  HWND e = p.Add("Edit", "abc def", ES_AUTOHSCROLL, 1);
  SendMessageA(e, EM_SETSEL, 7, 7);
  ctltest::Key(e, VK_HOME);
  EXPECT_EQ(Sel(e), (std::pair<DWORD, DWORD>{0, 0}));
  ctltest::Key(e, VK_RIGHT);
  ctltest::Key(e, VK_DELETE);
  EXPECT_EQ(Text(e), "ac def");
  ctltest::Key(e, VK_END);
  SendMessageA(e, WM_CHAR, VK_BACK, 1);
  EXPECT_EQ(Text(e), "ac de");
  // Undo brings back what the last run of erasing took; undoing again redoes it.
  EXPECT_EQ(SendMessageA(e, EM_UNDO, 0, 0), TRUE);
  EXPECT_EQ(Text(e), "ac def");
  SendMessageA(e, EM_UNDO, 0, 0);
  EXPECT_EQ(Text(e), "ac de");
}

TEST(EditTest, ClipboardCutCopyPaste) {
  Parent p;
  HWND e = p.Add("Edit", "copy me", ES_AUTOHSCROLL, 1);
  SendMessageA(e, EM_SETSEL, 0, 4);
  SendMessageA(e, WM_CUT, 0, 0);
  EXPECT_EQ(Text(e), " me");
  ASSERT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
  SendMessageA(e, EM_SETSEL, 3, 3);
  SendMessageA(e, WM_CHAR, 0x16, 1);  // Ctrl+V
  EXPECT_EQ(Text(e), " mecopy");
  // A single line takes pasted text up to its first line break.
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 16);
  std::strcpy(static_cast<char*>(GlobalLock(h)), "one\r\ntwo");
  GlobalUnlock(h);
  SetClipboardData(CF_TEXT, h);
  CloseClipboard();
  SetWindowTextA(e, "");
  SendMessageA(e, WM_PASTE, 0, 0);
  EXPECT_EQ(Text(e), "one");
  HWND multi = p.Add("Edit", "", ES_MULTILINE | ES_AUTOVSCROLL, 2, RECT{0, 50, 200, 150});
  SendMessageA(multi, WM_PASTE, 0, 0);
  EXPECT_EQ(Text(multi), "one\r\ntwo");
}

TEST(EditTest, MultiLineLineQueries) {
  Parent p;
  HWND e = p.Add("Edit", "first\r\n\r\nthird line", ES_MULTILINE | ES_AUTOHSCROLL | ES_AUTOVSCROLL, 1,
                 RECT{0, 0, 300, 200});
  EXPECT_EQ(SendMessageA(e, EM_GETLINECOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessageA(e, EM_LINEINDEX, 0, 0), 0);
  EXPECT_EQ(SendMessageA(e, EM_LINEINDEX, 1, 0), 7);
  EXPECT_EQ(SendMessageA(e, EM_LINEINDEX, 2, 0), 9);
  EXPECT_EQ(SendMessageA(e, EM_LINEINDEX, 3, 0), -1);
  EXPECT_EQ(SendMessageA(e, EM_LINELENGTH, 9, 0), 10);
  EXPECT_EQ(SendMessageA(e, EM_LINELENGTH, 7, 0), 0);
  EXPECT_EQ(SendMessageA(e, EM_LINELENGTH, 100, 0), 0);
  EXPECT_EQ(SendMessageA(e, EM_LINEFROMCHAR, 8, 0), 1);
  EXPECT_EQ(SendMessageA(e, EM_LINEFROMCHAR, 12, 0), 2);

  char buf[32] = {};
  *reinterpret_cast<WORD*>(buf) = 5;
  EXPECT_EQ(SendMessageA(e, EM_GETLINE, 2, reinterpret_cast<LPARAM>(buf)), 5);
  EXPECT_EQ(std::string(buf, 5), "third");
  *reinterpret_cast<WORD*>(buf) = sizeof(buf);
  EXPECT_EQ(SendMessageA(e, EM_GETLINE, 0, reinterpret_cast<LPARAM>(buf)), 5);
  EXPECT_EQ(std::string(buf, 5), "first");
  EXPECT_EQ(SendMessageA(e, EM_GETLINE, 7, reinterpret_cast<LPARAM>(buf)), 0);

  // The caret's line, and the unselected rest of the lines a selection touches.
  SendMessageA(e, EM_SETSEL, 2, 11);
  EXPECT_EQ(SendMessageA(e, EM_LINEINDEX, static_cast<WPARAM>(-1), 0), 9);
  EXPECT_EQ(SendMessageA(e, EM_LINELENGTH, static_cast<WPARAM>(-1), 0), 2 + 8);

  // Return in a multi-line control makes a new line.
  SendMessageA(e, EM_SETSEL, 5, 5);
  SendMessageA(e, WM_CHAR, '\r', 1);
  EXPECT_EQ(SendMessageA(e, EM_GETLINECOUNT, 0, 0), 4);
  EXPECT_EQ(Text(e), "first\r\n\r\n\r\nthird line");

  HWND single = p.Add("Edit", "one", ES_AUTOHSCROLL, 2);
  EXPECT_EQ(SendMessageA(single, EM_GETLINECOUNT, 0, 0), 1);
  EXPECT_EQ(SendMessageA(single, EM_LINELENGTH, 0, 0), 3);
  SendMessageA(single, WM_CHAR, '\r', 1);
  EXPECT_EQ(Text(single), "one");
}

TEST(EditTest, ControlWithoutScrollingTakesOnlyWhatFits) {
  Parent p;
  HWND narrow = p.Add("Edit", "", 0, 1, RECT{0, 0, 40, 20});
  Type(narrow, std::string(40, 'm'));
  const std::string kept = Text(narrow);
  EXPECT_FALSE(kept.empty());
  EXPECT_LT(kept.size(), 40u);
  EXPECT_EQ(p.Codes(1).back(), EN_MAXTEXT);
  HWND wide = p.Add("Edit", "", ES_AUTOHSCROLL, 2, RECT{0, 30, 40, 50});
  Type(wide, std::string(40, 'm'));
  EXPECT_EQ(Text(wide).size(), 40u);
}

TEST(EditTest, DialogCodesAndFocusNotifications) {
  Parent p;
  HWND single = p.Add("Edit", "", 0, 1);
  HWND want = p.Add("Edit", "", ES_MULTILINE | ES_WANTRETURN, 2, RECT{0, 50, 200, 150});
  EXPECT_EQ(SendMessageA(single, WM_GETDLGCODE, 0, 0), DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS);
  EXPECT_TRUE(SendMessageA(want, WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS);
  MSG tab{want, WM_KEYDOWN, VK_TAB, 0, 0, {}};
  EXPECT_FALSE(SendMessageA(want, WM_GETDLGCODE, VK_TAB, reinterpret_cast<LPARAM>(&tab)) & DLGC_WANTALLKEYS);
  SetFocus(single);
  SetFocus(want);
  EXPECT_EQ(p.Codes(1), (std::vector<int>{EN_SETFOCUS, EN_KILLFOCUS}));
  EXPECT_EQ(p.Codes(2), (std::vector<int>{EN_SETFOCUS}));
}

TEST(EditTest, ScrollBarsFollowTheTextAndTellOnlyUserScrolling) {
  Parent p;
  HWND e = p.Add("Edit", "", ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL, 1, RECT{0, 0, 200, 60});
  std::string text;
  for (int i = 0; i < 10; ++i) text += "line " + std::to_string(i) + "\r\n";
  SetWindowTextA(e, text.c_str());
  SCROLLINFO si{sizeof(si), SIF_ALL, 0, 0, 0, 0, 0};
  ASSERT_TRUE(GetScrollInfo(e, SB_VERT, &si));
  EXPECT_EQ(si.nMax, 10);  // eleven lines, the last one empty
  EXPECT_GT(si.nPage, 0u);
  p.Clear();
  SendMessageA(e, WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(SendMessageA(e, EM_GETFIRSTVISIBLELINE, 0, 0), 1);
  EXPECT_EQ(p.Codes(1), (std::vector<int>{EN_VSCROLL}));
  GetScrollInfo(e, SB_VERT, &si);
  EXPECT_EQ(si.nPos, 1);
  // Following the caret scrolls without EN_VSCROLL.
  p.Clear();
  SendMessageA(e, EM_SETSEL, 0, 0);
  SendMessageA(e, EM_SCROLLCARET, 0, 0);
  EXPECT_EQ(SendMessageA(e, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  ctltest::Key(e, VK_END);
  SendMessageA(e, EM_SETSEL, text.size(), text.size());
  Type(e, "x");
  EXPECT_GT(SendMessageA(e, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  EXPECT_EQ(p.Codes(1), (std::vector<int>{EN_UPDATE, EN_CHANGE}));
}

}  // namespace
