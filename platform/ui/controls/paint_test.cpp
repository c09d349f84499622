#include <gtest/gtest.h>

#include <algorithm>

#include "ui/controls/controls_test_support.h"

namespace {

using ctltest::Parent;
using ctltest::Print;
using qvp::PaintKind;
using qvp::PaintLog;

size_t CountKind(const PaintLog& log, PaintKind kind) {
  return static_cast<size_t>(
      std::count_if(log.records.begin(), log.records.end(), [&](const qvp::PaintRecord& r) { return r.kind == kind; }));
}

TEST(PaintTest, PushButtonShowsItsCaptionCentredOnARaisedFace) {
  Parent p;
  HWND b = p.Add("Button", "&OK", BS_DEFPUSHBUTTON, 1, RECT{0, 0, 100, 30});
  HFONT font = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
  SendMessageA(b, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  PaintLog log = Print(b);
  const qvp::PaintRecord* text = log.FindText("OK");
  ASSERT_NE(text, nullptr) << log.JoinedText();
  EXPECT_EQ(text->mnemonic, 0);
  EXPECT_EQ(text->face, "MS Sans Serif");
  EXPECT_EQ(text->color, GetSysColor(COLOR_BTNTEXT));
  // Centred: as much room on the left as on the right, within a pixel.
  EXPECT_LE(std::abs((text->rect.left - 0) - (100 - text->rect.right)), 1);
  EXPECT_GE(CountKind(log, PaintKind::kEdge), 1u);
  EXPECT_EQ(CountKind(log, PaintKind::kFocusRect), 0u);

  SetFocus(b);
  EnableWindow(b, FALSE);
  log = Print(b);
  ASSERT_NE(log.FindText("OK"), nullptr);
  EXPECT_EQ(log.FindText("OK")->color, GetSysColor(COLOR_GRAYTEXT));
  SendMessageA(b, WM_SETFONT, 0, FALSE);
  DeleteObject(font);
}

TEST(PaintTest, CheckBoxDrawsItsMarkOnlyWhenChecked) {
  Parent p;
  HWND c = p.Add("Button", "Enable", BS_AUTOCHECKBOX, 1, RECT{0, 0, 120, 20});
  PaintLog off = Print(c);
  SendMessageA(c, BM_SETCHECK, BST_CHECKED, 0);
  PaintLog on = Print(c);
  ASSERT_NE(on.FindText("Enable"), nullptr);
  EXPECT_GE(on.FindText("Enable")->rect.left, 13);  // beside the box
  EXPECT_GT(CountKind(on, PaintKind::kLine), CountKind(off, PaintKind::kLine));
  HWND r = p.Add("Button", "Choice", BS_AUTORADIOBUTTON | BS_LEFTTEXT, 2, RECT{0, 30, 120, 50});
  PaintLog radio = Print(r);
  ASSERT_NE(radio.FindText("Choice"), nullptr);
  EXPECT_LT(radio.FindText("Choice")->rect.right, 120 - 13);  // the mark is on the right
  EXPECT_EQ(CountKind(radio, PaintKind::kEllipse), 1u);
  SendMessageA(r, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_EQ(CountKind(Print(r), PaintKind::kEllipse), 2u);
}

TEST(PaintTest, StaticTextTakesTheParentsColoursAndItsStyle) {
  Parent p;
  p.on_colour = [](UINT msg, HDC hdc) -> HBRUSH {
    if (msg != WM_CTLCOLORSTATIC) return nullptr;
    SetTextColor(hdc, RGB(0, 0, 255));
    return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  };
  HWND s = p.Add("Static", "A&&B", SS_RIGHT, 1, RECT{0, 0, 200, 20});
  PaintLog log = Print(s);
  const qvp::PaintRecord* t = log.FindText("A&B");
  ASSERT_NE(t, nullptr) << log.JoinedText();
  EXPECT_EQ(t->color, RGB(0, 0, 255));
  EXPECT_EQ(t->rect.right, 200);
  HWND raw = p.Add("Static", "x&y", SS_NOPREFIX, 2, RECT{0, 30, 200, 50});
  EXPECT_NE(Print(raw).FindText("x&y"), nullptr);
  HWND line = p.Add("Static", "", SS_ETCHEDHORZ, 3, RECT{0, 60, 200, 62});
  EXPECT_EQ(CountKind(Print(line), PaintKind::kEdge), 1u);
  HWND group = p.Add("Button", "Options", BS_GROUPBOX, 4, RECT{0, 70, 200, 150});
  PaintLog g = Print(group);
  EXPECT_NE(g.FindText("Options"), nullptr);
  EXPECT_EQ(CountKind(g, PaintKind::kEdge), 1u);
}

TEST(PaintTest, EditShowsPasswordCharactersAndTheSelection) {
  Parent p;
  HWND pw = p.Add("Edit", "", ES_PASSWORD | ES_AUTOHSCROLL, 1, RECT{0, 0, 150, 20});
  SetWindowTextA(pw, "abc");
  PaintLog log = Print(pw);
  EXPECT_EQ(log.JoinedText(), "***");
  HWND e = p.Add("Edit", "hello world", ES_AUTOHSCROLL, 2, RECT{0, 30, 150, 50});
  SetFocus(e);
  SendMessageA(e, EM_SETSEL, 0, 5);
  log = Print(e);
  const qvp::PaintRecord* sel = log.FindText("hello");
  ASSERT_NE(sel, nullptr) << log.JoinedText();
  EXPECT_EQ(sel->color, GetSysColor(COLOR_HIGHLIGHTTEXT));
  EXPECT_TRUE(sel->opaque);
  EXPECT_NE(log.FindText(" world"), nullptr);
  // Without the focus the selection does not show.
  SetFocus(p.hwnd());
  EXPECT_EQ(Print(e).JoinedText(), "hello world");
}

TEST(PaintTest, ListAndComboShowTheirItems) {
  Parent p;
  HWND lb = p.Add("ListBox", "", LBS_NOINTEGRALHEIGHT, 1, RECT{0, 0, 100, 100});
  for (const char* t : {"one", "two", "three"}) SendMessageA(lb, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t));
  SendMessageA(lb, LB_SETCURSEL, 1, 0);
  PaintLog log = Print(lb);
  EXPECT_EQ(log.JoinedText(), "one\ntwo\nthree");
  ASSERT_NE(log.FindText("two"), nullptr);
  EXPECT_EQ(log.FindText("two")->color, GetSysColor(COLOR_HIGHLIGHTTEXT));
  EXPECT_EQ(log.FindText("one")->color, GetSysColor(COLOR_WINDOWTEXT));
  EXPECT_LT(log.FindText("one")->rect.top, log.FindText("two")->rect.top);

  HWND cb = p.Add("ComboBox", "", CBS_DROPDOWNLIST, 2, RECT{0, 120, 100, 220});
  SendMessageA(cb, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("first"));
  SendMessageA(cb, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("second"));
  EXPECT_EQ(Print(cb).JoinedText(), "");
  SendMessageA(cb, CB_SETCURSEL, 1, 0);
  log = Print(cb);
  EXPECT_EQ(log.JoinedText(), "second");
  EXPECT_GE(CountKind(log, PaintKind::kPolygon), 1u);  // the drop-down arrow
}

}  // namespace
