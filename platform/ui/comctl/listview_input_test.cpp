// List view: what a user's clicks and keys do and tell the parent, column
// header clicks, owner-drawn rows and what the control paints.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "comctl_test_support.h"

namespace {

using cctest::Note;
using cctest::Parent;

constexpr int kId = 12301;

void Insert(HWND lv, int index, const char* text, LPARAM param) {
  LVITEMA it{};
  it.mask = LVIF_TEXT | LVIF_PARAM;
  it.iItem = index;
  it.pszText = const_cast<LPSTR>(text);
  it.lParam = param;
  ASSERT_EQ(SendMessageA(lv, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&it)), index);
}

void AddColumn(HWND lv, int index, const char* title, int width) {
  LVCOLUMNA c{};
  c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  c.pszText = const_cast<LPSTR>(title);
  c.cx = width;
  c.iSubItem = index;
  SendMessageA(lv, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&c));
}

void SetSub(HWND lv, int item, int sub, const char* text) {
  LVITEMA it{};
  it.iSubItem = sub;
  it.pszText = const_cast<LPSTR>(text);
  SendMessageA(lv, LVM_SETITEMTEXTA, item, reinterpret_cast<LPARAM>(&it));
}

RECT ItemRect(HWND lv, int item, int code = LVIR_LABEL) {
  RECT r{};
  r.left = code;
  SendMessageA(lv, LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(&r));
  return r;
}

std::vector<int> Selected(HWND lv) {
  std::vector<int> out;
  for (int i = -1; (i = static_cast<int>(SendMessageA(lv, LVM_GETNEXTITEM, static_cast<WPARAM>(i), LVNI_SELECTED))) >= 0;)
    out.push_back(i);
  return out;
}

int Focused(HWND lv) {
  return static_cast<int>(SendMessageA(lv, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

// The codes without the focus notifications clicks cause on the way.
std::vector<UINT> Plain(const std::vector<UINT>& codes) {
  std::vector<UINT> out;
  std::copy_if(codes.begin(), codes.end(), std::back_inserter(out),
               [](UINT c) { return c != NM_SETFOCUS && c != NM_KILLFOCUS; });
  return out;
}

class ListViewInput : public ::testing::Test {
 protected:
  void Make(DWORD style) {
    lv = parent.Add(WC_LISTVIEWA, style, kId, RECT{0, 0, 300, 200});
    AddColumn(lv, 0, "Name", 100);
    AddColumn(lv, 1, "Host", 100);
    const char* names[] = {"alpha", "beta", "gamma", "delta"};
    for (int i = 0; i < 4; ++i) {
      Insert(lv, i, names[i], 10 + i);
      SetSub(lv, i, 1, "host");
    }
    parent.Clear();
  }
  void ClickItem(int item, int code = LVIR_LABEL) {
    POINT p = cctest::Centre(ItemRect(lv, item, code));
    cctest::Click(lv, p.x, p.y);
  }
  Parent parent;
  HWND lv = nullptr;
};

TEST_F(ListViewInput, ClickSelectsAndNotifiesInOrder) {
  Make(LVS_REPORT | LVS_SHOWSELALWAYS);
  ClickItem(1);
  EXPECT_EQ(Selected(lv), std::vector<int>{1});
  EXPECT_EQ(Focused(lv), 1);
  EXPECT_EQ(GetFocus(), lv);
  // The press changes the selection; the release reports the click.
  EXPECT_EQ(Plain(parent.Codes()), (std::vector<UINT>{LVN_ITEMCHANGING, LVN_ITEMCHANGED, NM_CLICK}));
  const Note changed = parent.Of(LVN_ITEMCHANGED)[0];
  EXPECT_EQ(changed.lv.iItem, 1);
  EXPECT_EQ(changed.lv.uNewState, static_cast<UINT>(LVIS_SELECTED | LVIS_FOCUSED));
  EXPECT_EQ(parent.Of(NM_CLICK)[0].lv.iItem, 1);
  EXPECT_EQ(parent.Of(NM_CLICK)[0].id, static_cast<UINT_PTR>(kId));

  // Another item: the first one loses selection and focus in one change.
  parent.Clear();
  ClickItem(3);
  EXPECT_EQ(Selected(lv), std::vector<int>{3});
  std::vector<Note> done = parent.Of(LVN_ITEMCHANGED);
  ASSERT_EQ(done.size(), 2u);
  EXPECT_EQ(done[0].lv.iItem, 1);
  EXPECT_EQ(done[0].lv.uOldState, static_cast<UINT>(LVIS_SELECTED | LVIS_FOCUSED));
  EXPECT_EQ(done[0].lv.uNewState, 0u);
  EXPECT_EQ(done[1].lv.iItem, 3);

  // Empty space clears the selection; the focus stays where it was.
  parent.Clear();
  cctest::Click(lv, 20, 190);
  EXPECT_TRUE(Selected(lv).empty());
  EXPECT_EQ(Focused(lv), 3);
  EXPECT_EQ(parent.Of(NM_CLICK).size(), 1u);
  EXPECT_EQ(parent.Of(NM_CLICK)[0].lv.iItem, -1);
}

TEST_F(ListViewInput, ParentCanRefuseAUsersSelection) {
  Make(LVS_REPORT);
  parent.on_notify = [](NMHDR* h) -> LRESULT { return h->code == LVN_ITEMCHANGING ? TRUE : 0; };
  ClickItem(2);
  EXPECT_TRUE(Selected(lv).empty());
  EXPECT_TRUE(parent.Of(LVN_ITEMCHANGED).empty());
  EXPECT_EQ(parent.Of(NM_CLICK).size(), 1u);
}

TEST_F(ListViewInput, FullRowSelectTakesClicksOnSubitems) {
  Make(LVS_REPORT);
  RECT sub{};
  sub.top = 1;
  sub.left = LVIR_BOUNDS;
  ASSERT_TRUE(SendMessageA(lv, LVM_GETSUBITEMRECT, 2, reinterpret_cast<LPARAM>(&sub)));
  EXPECT_EQ(sub.left, 100);
  EXPECT_EQ(sub.right, 200);
  POINT p = cctest::Centre(sub);
  cctest::Click(lv, p.x, p.y);
  EXPECT_TRUE(Selected(lv).empty());  // only the first column is the item
  SendMessageA(lv, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  cctest::Click(lv, p.x, p.y);
  EXPECT_EQ(Selected(lv), std::vector<int>{2});
}

TEST_F(ListViewInput, CtrlAndShiftExtendAMultipleSelection) {
  Make(LVS_REPORT);
  ClickItem(0);
  cctest::Hold(VK_CONTROL, true);
  ClickItem(2);
  cctest::Hold(VK_CONTROL, false);
  EXPECT_EQ(Selected(lv), (std::vector<int>{0, 2}));
  EXPECT_EQ(Focused(lv), 2);
  cctest::Hold(VK_SHIFT, true);
  ClickItem(3);
  cctest::Hold(VK_SHIFT, false);
  EXPECT_EQ(Selected(lv), (std::vector<int>{2, 3}));  // from the anchor to the click
  cctest::Hold(VK_CONTROL, true);
  ClickItem(2);  // toggles off
  cctest::Hold(VK_CONTROL, false);
  EXPECT_EQ(Selected(lv), std::vector<int>{3});
}

TEST_F(ListViewInput, SingleSelectionIgnoresCtrl) {
  Make(LVS_REPORT | LVS_SINGLESEL);
  ClickItem(0);
  cctest::Hold(VK_CONTROL, true);
  ClickItem(2);
  cctest::Hold(VK_CONTROL, false);
  EXPECT_EQ(Selected(lv), std::vector<int>{2});
}

TEST_F(ListViewInput, DoubleAndRightClicks) {
  Make(LVS_REPORT);
  POINT p = cctest::Centre(ItemRect(lv, 1));
  cctest::DoubleClick(lv, p.x, p.y);
  EXPECT_EQ(Plain(parent.Codes()), (std::vector<UINT>{LVN_ITEMCHANGING, LVN_ITEMCHANGED, NM_CLICK, NM_DBLCLK,
                                                      LVN_ITEMACTIVATE}));
  EXPECT_EQ(parent.Of(NM_DBLCLK)[0].lv.iItem, 1);
  EXPECT_EQ(parent.Of(NM_DBLCLK)[0].lv.lParam, 11);

  // The right button selects the row under it and asks for a context menu.
  parent.Clear();
  p = cctest::Centre(ItemRect(lv, 2));
  cctest::RightClick(lv, p.x, p.y);
  EXPECT_EQ(Selected(lv), std::vector<int>{2});
  EXPECT_EQ(parent.Of(NM_RCLICK).size(), 1u);
  EXPECT_EQ(parent.Of(NM_RCLICK)[0].lv.iItem, 2);
  EXPECT_EQ(parent.context_menus, 1);
  // On empty space nothing stays selected.
  cctest::RightClick(lv, 20, 190);
  EXPECT_TRUE(Selected(lv).empty());
  EXPECT_EQ(parent.Of(NM_RCLICK).back().lv.iItem, -1);
}

TEST_F(ListViewInput, KeysNotifyAndMoveTheSelection) {
  Make(LVS_REPORT);
  SetFocus(lv);
  parent.Clear();
  cctest::Key(lv, VK_DOWN);  // nothing focused yet: the first item
  EXPECT_EQ(Selected(lv), std::vector<int>{0});
  EXPECT_EQ(parent.Codes().front(), LVN_KEYDOWN);
  EXPECT_EQ(parent.notes.front().key, VK_DOWN);
  cctest::Key(lv, VK_DOWN);
  cctest::Key(lv, VK_DOWN);
  EXPECT_EQ(Selected(lv), std::vector<int>{2});
  cctest::Key(lv, VK_END);
  EXPECT_EQ(Focused(lv), 3);
  cctest::Key(lv, VK_DOWN);  // stays at the end
  EXPECT_EQ(Focused(lv), 3);
  cctest::Key(lv, VK_HOME);
  EXPECT_EQ(Selected(lv), std::vector<int>{0});
  cctest::Hold(VK_SHIFT, true);
  cctest::Key(lv, VK_DOWN);
  cctest::Key(lv, VK_DOWN);
  cctest::Hold(VK_SHIFT, false);
  EXPECT_EQ(Selected(lv), (std::vector<int>{0, 1, 2}));

  // Delete and Insert are the parent's business: only LVN_KEYDOWN.
  parent.Clear();
  cctest::Key(lv, VK_DELETE);
  cctest::Key(lv, VK_INSERT);
  ASSERT_EQ(parent.Codes(), (std::vector<UINT>{LVN_KEYDOWN, LVN_KEYDOWN}));
  EXPECT_EQ(parent.notes[0].key, VK_DELETE);
  EXPECT_EQ(parent.notes[1].key, VK_INSERT);
  EXPECT_EQ(SendMessageA(lv, LVM_GETITEMCOUNT, 0, 0), 4);
  EXPECT_EQ(SendMessageA(lv, WM_GETDLGCODE, 0, 0) & DLGC_WANTARROWS, DLGC_WANTARROWS);
}

TEST_F(ListViewInput, ColumnHeaderClickBecomesColumnClick) {
  Make(LVS_REPORT);
  HWND header = reinterpret_cast<HWND>(SendMessageA(lv, LVM_GETHEADER, 0, 0));
  RECT r{};
  ASSERT_TRUE(SendMessageA(header, HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r)));
  EXPECT_EQ(r.left, 100);
  POINT p = cctest::Centre(r);
  cctest::Click(header, p.x, p.y);
  ASSERT_EQ(parent.Of(LVN_COLUMNCLICK).size(), 1u);
  EXPECT_EQ(parent.Of(LVN_COLUMNCLICK)[0].lv.iSubItem, 1);
  EXPECT_EQ(parent.Of(LVN_COLUMNCLICK)[0].lv.iItem, -1);
  EXPECT_EQ(parent.Of(LVN_COLUMNCLICK)[0].from, lv);

  // A press that ends on another column is no click.
  parent.Clear();
  SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 5));
  SendMessageA(header, WM_LBUTTONUP, 0, MAKELPARAM(150, 5));
  EXPECT_TRUE(parent.Of(LVN_COLUMNCLICK).empty());

  // Headers that do not sort take no clicks.
  DestroyWindow(lv);
  Make(LVS_REPORT | LVS_NOSORTHEADER);
  header = reinterpret_cast<HWND>(SendMessageA(lv, LVM_GETHEADER, 0, 0));
  cctest::Click(header, p.x, p.y);
  EXPECT_TRUE(parent.Of(LVN_COLUMNCLICK).empty());
}

TEST_F(ListViewInput, OwnerDrawnRowsAreMeasuredAndDrawnByTheParent) {
  parent.on_measure = [](MEASUREITEMSTRUCT& m) { m.itemHeight = 21; };
  Make(LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_SHOWSELALWAYS);
  ASSERT_FALSE(parent.measures.empty());
  EXPECT_EQ(parent.measures.back().CtlType, static_cast<UINT>(ODT_LISTVIEW));
  EXPECT_EQ(parent.measures.back().CtlID, static_cast<UINT>(kId));
  const RECT r0 = ItemRect(lv, 0, LVIR_BOUNDS);
  EXPECT_EQ(r0.bottom - r0.top, 21);

  SendMessageA(lv, LVM_SETITEMSTATE, 2, [] {
    static LVITEMA it{};
    it.state = it.stateMask = LVIS_SELECTED;
    return reinterpret_cast<LPARAM>(&it);
  }());
  parent.Clear();
  InvalidateRect(lv, nullptr, TRUE);
  UpdateWindow(lv);
  ASSERT_EQ(parent.draws.size(), 4u);
  for (UINT i = 0; i < 4; ++i) {
    const DRAWITEMSTRUCT& d = parent.draws[i];
    EXPECT_EQ(d.CtlType, static_cast<UINT>(ODT_LISTVIEW));
    EXPECT_EQ(d.itemID, i);
    EXPECT_EQ(d.itemAction, static_cast<UINT>(ODA_DRAWENTIRE));
    EXPECT_EQ(d.itemData, 10u + i);
    EXPECT_EQ(d.hwndItem, lv);
    EXPECT_EQ(d.rcItem.top, r0.top + static_cast<LONG>(i) * 21);
    EXPECT_EQ(d.rcItem.right - d.rcItem.left, 200);  // the width of all columns
    EXPECT_EQ((d.itemState & ODS_SELECTED) != 0, i == 2);
  }
}

TEST_F(ListViewInput, PaintsLabelsSubitemsAndHeaderTitles) {
  Make(LVS_REPORT);
  const std::vector<std::string> texts = cctest::PaintedTexts(lv);
  for (const char* want : {"alpha", "beta", "gamma", "delta", "host"})
    EXPECT_NE(std::find(texts.begin(), texts.end(), want), texts.end()) << want;
  // The subitem is drawn in its own column, on its item's row.
  const qvp::PaintLog log = qvp::GetWindowPaintLog(lv);
  const qvp::PaintRecord* beta = log.FindText("beta");
  ASSERT_NE(beta, nullptr);
  const RECT row = ItemRect(lv, 1, LVIR_BOUNDS);
  EXPECT_GE(beta->rect.top, row.top);
  EXPECT_LE(beta->rect.bottom, row.bottom);
  EXPECT_LT(beta->rect.left, 100);
  int hosts_right_of_first_column = 0;
  for (const qvp::PaintRecord& r : log.Texts())
    if (r.text == "host" && r.rect.left >= 100) ++hosts_right_of_first_column;
  EXPECT_EQ(hosts_right_of_first_column, 4);

  HWND header = reinterpret_cast<HWND>(SendMessageA(lv, LVM_GETHEADER, 0, 0));
  const std::vector<std::string> titles = cctest::PaintedTexts(header);
  EXPECT_EQ(titles, (std::vector<std::string>{"Name", "Host"}));

  // A selected row shows in the highlight colour when the control has the focus.
  SetFocus(lv);
  POINT p = cctest::Centre(ItemRect(lv, 0));
  cctest::Click(lv, p.x, p.y);
  cctest::PaintedTexts(lv);
  const qvp::PaintLog after = qvp::GetWindowPaintLog(lv);
  const qvp::PaintRecord* alpha = after.FindText("alpha");
  ASSERT_NE(alpha, nullptr);
  EXPECT_EQ(alpha->color, GetSysColor(COLOR_HIGHLIGHTTEXT));
}

TEST_F(ListViewInput, OtherViewsPaintTheirLabels) {
  Make(LVS_LIST);
  const std::vector<std::string> texts = cctest::PaintedTexts(lv);
  EXPECT_EQ(texts, (std::vector<std::string>{"alpha", "beta", "gamma", "delta"}));
  SetWindowLongPtrA(lv, GWL_STYLE, GetWindowLongPtrA(lv, GWL_STYLE) & ~LVS_TYPEMASK);  // icons
  EXPECT_EQ(cctest::PaintedTexts(lv), texts);
}

}  // namespace
