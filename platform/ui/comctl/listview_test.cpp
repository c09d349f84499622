// List view: items, subitems and columns, states and the notifications code
// and users cause, sorting, finding, deleting and switching views.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "comctl_test_support.h"

namespace {

using cctest::Note;
using cctest::Parent;

constexpr int kId = 77;

int Insert(HWND lv, int index, const char* text, LPARAM param, UINT state = 0) {
  LVITEMA it{};
  it.mask = LVIF_TEXT | LVIF_PARAM | (state ? LVIF_STATE : 0);
  it.iItem = index;
  it.pszText = const_cast<LPSTR>(text);
  it.lParam = param;
  it.state = state;
  it.stateMask = state;
  return static_cast<int>(SendMessageA(lv, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&it)));
}

void AddColumn(HWND lv, int index, const char* title, int width, int fmt = LVCFMT_LEFT) {
  LVCOLUMNA c{};
  c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
  c.pszText = const_cast<LPSTR>(title);
  c.cx = width;
  c.fmt = fmt;
  c.iSubItem = index;
  ASSERT_EQ(SendMessageA(lv, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&c)), index);
}

BOOL SetSubText(HWND lv, int item, int sub, const char* text) {
  LVITEMA it{};
  it.iSubItem = sub;
  it.pszText = const_cast<LPSTR>(text);
  return static_cast<BOOL>(SendMessageA(lv, LVM_SETITEMTEXTA, item, reinterpret_cast<LPARAM>(&it)));
}

std::string GetText(HWND lv, int item, int sub = 0, int size = 64, LRESULT* copied = nullptr) {
  std::vector<char> buf(static_cast<size_t>(size) + 1, 'X');  // 'X' shows what the control did not write
  buf.back() = '\0';
  LVITEMA it{};
  it.iSubItem = sub;
  it.pszText = buf.data();
  it.cchTextMax = size;
  LRESULT n = SendMessageA(lv, LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(&it));
  if (copied) *copied = n;
  return size > 0 ? std::string(buf.data()) : std::string();
}

LPARAM ParamOf(HWND lv, int item) {
  LVITEMA it{};
  it.mask = LVIF_PARAM;
  it.iItem = item;
  EXPECT_TRUE(SendMessageA(lv, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it)));
  return it.lParam;
}

UINT StateOf(HWND lv, int item) {
  return static_cast<UINT>(SendMessageA(lv, LVM_GETITEMSTATE, item, LVIS_SELECTED | LVIS_FOCUSED));
}

void SetState(HWND lv, int item, UINT state, UINT mask) {
  LVITEMA it{};
  it.state = state;
  it.stateMask = mask;
  SendMessageA(lv, LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&it));
}

LRESULT HeaderItems(HWND lv) {
  HWND header = reinterpret_cast<HWND>(SendMessageA(lv, LVM_GETHEADER, 0, 0));
  return SendMessageA(header, HDM_GETITEMCOUNT, 0, 0);
}

RECT ItemRect(HWND lv, int item, int code) {
  RECT r{};
  r.left = code;
  SendMessageA(lv, LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(&r));
  return r;
}

class ListViewTest : public ::testing::Test {
 protected:
  HWND Make(DWORD style) {
    lv = parent.Add(WC_LISTVIEWA, style, kId, RECT{0, 0, 300, 200});
    return lv;
  }
  // A report view with three columns and rows "cherry", "apple", "banana".
  void Fill() {
    AddColumn(lv, 0, "Name", 100);
    AddColumn(lv, 1, "Size", 60, LVCFMT_RIGHT);
    AddColumn(lv, 2, "Kind", 80);
    const char* names[] = {"cherry", "apple", "banana"};
    const char* sizes[] = {"3", "1", "2"};
    for (int i = 0; i < 3; ++i) {
      ASSERT_EQ(Insert(lv, i, names[i], 100 + i), i);
      ASSERT_TRUE(SetSubText(lv, i, 1, sizes[i]));
      ASSERT_TRUE(SetSubText(lv, i, 2, "fruit"));
    }
    parent.Clear();
  }
  Parent parent;
  HWND lv = nullptr;
};

// A comparison that answers only 1 (b before a) or 0, as some callers write them.
int CALLBACK ByParamOneOrZero(LPARAM a, LPARAM b, LPARAM) { return b < a ? 1 : 0; }

int CALLBACK BySize(LPARAM a, LPARAM b, LPARAM list) {
  // Sorts by the size column through the list itself; ties keep their order.
  HWND lv = reinterpret_cast<HWND>(list);
  LVFINDINFOA fa{LVFI_PARAM, nullptr, a, {0, 0}, 0}, fb{LVFI_PARAM, nullptr, b, {0, 0}, 0};
  int ia = static_cast<int>(SendMessageA(lv, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&fa)));
  int ib = static_cast<int>(SendMessageA(lv, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&fb)));
  return std::stoi(GetText(lv, ia, 1)) - std::stoi(GetText(lv, ib, 1));
}

TEST_F(ListViewTest, SortByCallbackKeepsParamsTextsAndStatesTogether) {
  Make(LVS_REPORT);
  Fill();
  SetState(lv, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);  // "cherry", 100
  parent.Clear();

  // lParams 100, 101, 102 sorted descending by a 1/0 comparison on the negated value.
  ASSERT_TRUE(SendMessageA(lv, LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(&ByParamOneOrZero)));
  EXPECT_EQ(ParamOf(lv, 0), 100);
  EXPECT_EQ(GetText(lv, 0), "cherry");

  // By size: apple (1), banana (2), cherry (3), each with its own subitems and lParam.
  ASSERT_TRUE(SendMessageA(lv, LVM_SORTITEMS, reinterpret_cast<WPARAM>(lv), reinterpret_cast<LPARAM>(&BySize)));
  const char* want[] = {"apple", "banana", "cherry"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(GetText(lv, i), want[i]);
    EXPECT_EQ(GetText(lv, i, 1), std::to_string(i + 1));
    EXPECT_EQ(ParamOf(lv, i), 100 + (i == 0 ? 1 : i == 1 ? 2 : 0));
  }
  // The selected, focused item moved with its row; sorting itself notifies nobody.
  EXPECT_EQ(SendMessageA(lv, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 2);
  EXPECT_EQ(SendMessageA(lv, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), 2);
  EXPECT_TRUE(parent.notes.empty());
  EXPECT_FALSE(SendMessageA(lv, LVM_SORTITEMS, 0, 0));
}

TEST_F(ListViewTest, SortIsStableForEqualKeys) {
  Make(LVS_REPORT);
  AddColumn(lv, 0, "Name", 100);
  // Keys (lParam / 10): 2, 1, 2, 1, 2 - equal keys must keep their order.
  const LPARAM params[] = {20, 10, 21, 11, 22};
  for (int i = 0; i < 5; ++i) Insert(lv, i, std::to_string(params[i]).c_str(), params[i]);
  auto by_key = [](LPARAM a, LPARAM b, LPARAM) -> int { return static_cast<int>(a / 10 - b / 10); };
  ASSERT_TRUE(SendMessageA(lv, LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(static_cast<PFNLVCOMPARE>(by_key))));
  const LPARAM want[] = {10, 11, 20, 21, 22};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(ParamOf(lv, i), want[i]) << i;
}

TEST_F(ListViewTest, SortedStylesInsertInTextOrder) {
  Make(LVS_REPORT | LVS_SORTASCENDING);
  AddColumn(lv, 0, "Name", 100);
  EXPECT_EQ(Insert(lv, 0, "pear", 1), 0);
  EXPECT_EQ(Insert(lv, 0, "Zucchini", 2), 1);
  EXPECT_EQ(Insert(lv, 0, "apple", 3), 0);
  EXPECT_EQ(Insert(lv, 99, "Banana", 4), 1);  // case does not matter
  EXPECT_EQ(GetText(lv, 3), "Zucchini");
  DestroyWindow(lv);
  Make(LVS_REPORT | LVS_SORTDESCENDING);
  Insert(lv, 0, "b", 1);
  Insert(lv, 0, "c", 2);
  EXPECT_EQ(Insert(lv, 5, "a", 3), 2);
  EXPECT_EQ(GetText(lv, 0), "c");
}

TEST_F(ListViewTest, ColumnsSubitemsAndTruncatedTexts) {
  Make(LVS_REPORT);
  Fill();
  EXPECT_EQ(HeaderItems(lv), 3);
  LRESULT copied = -1;
  EXPECT_EQ(GetText(lv, 0, 0, 4, &copied), "che");  // room for three characters and the terminator
  EXPECT_EQ(copied, 3);
  EXPECT_EQ(GetText(lv, 1, 2, 64, &copied), "fruit");
  EXPECT_EQ(copied, 5);
  EXPECT_EQ(GetText(lv, 1, 2, 1, &copied), "");
  EXPECT_EQ(copied, 0);

  // LVM_GETITEMA cuts the same way.
  char buf[8];
  LVITEMA it{};
  it.mask = LVIF_TEXT;
  it.iItem = 2;
  it.iSubItem = 0;
  it.pszText = buf;
  it.cchTextMax = 5;
  ASSERT_TRUE(SendMessageA(lv, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it)));
  EXPECT_STREQ(buf, "bana");

  // Columns read back, titles cut to the buffer too.
  LVCOLUMNA c{};
  c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
  c.pszText = buf;
  c.cchTextMax = 3;
  ASSERT_TRUE(SendMessageA(lv, LVM_GETCOLUMNA, 1, reinterpret_cast<LPARAM>(&c)));
  EXPECT_STREQ(buf, "Si");
  EXPECT_EQ(c.cx, 60);
  EXPECT_EQ(c.fmt, LVCFMT_RIGHT);
  EXPECT_EQ(c.iSubItem, 1);
  EXPECT_EQ(SendMessageA(lv, LVM_GETCOLUMNWIDTH, 2, 0), 80);
  EXPECT_TRUE(SendMessageA(lv, LVM_SETCOLUMNWIDTH, 2, MAKELPARAM(120, 0)));
  EXPECT_EQ(SendMessageA(lv, LVM_GETCOLUMNWIDTH, 2, 0), 120);
  EXPECT_FALSE(SendMessageA(lv, LVM_GETCOLUMNA, 3, reinterpret_cast<LPARAM>(&c)));

  // A subitem without a column, or of a missing item, is refused.
  EXPECT_FALSE(SetSubText(lv, 0, 3, "x"));
  EXPECT_FALSE(SetSubText(lv, 3, 1, "x"));
  LRESULT none = -1;
  GetText(lv, 7, 0, 64, &none);
  EXPECT_EQ(none, 0);

  // Automatic width fits the widest text of the column.
  ASSERT_TRUE(SendMessageA(lv, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(LVSCW_AUTOSIZE, 0)));
  const int wide = static_cast<int>(SendMessageA(lv, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>("cherry")));
  EXPECT_GT(wide, 0);
  EXPECT_GE(SendMessageA(lv, LVM_GETCOLUMNWIDTH, 0, 0), wide);

  // Deleting a column takes its texts along and the others stay.
  ASSERT_TRUE(SendMessageA(lv, LVM_DELETECOLUMN, 1, 0));
  EXPECT_EQ(HeaderItems(lv), 2);
  EXPECT_EQ(GetText(lv, 0, 2), "fruit");
  EXPECT_EQ(GetText(lv, 0, 1), "");
  // Changing subitems notifies nobody.
  EXPECT_TRUE(parent.notes.empty());
}

TEST_F(ListViewTest, NextItemFollowsSelectionAndFocus) {
  Make(LVS_REPORT);
  AddColumn(lv, 0, "Name", 100);
  for (int i = 0; i < 5; ++i) Insert(lv, i, "row", i);
  EXPECT_EQ(SendMessageA(lv, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), -1);
  SetState(lv, 1, LVIS_SELECTED, LVIS_SELECTED);
  SetState(lv, 3, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  EXPECT_EQ(SendMessageA(lv, LVM_GETSELECTEDCOUNT, 0, 0), 2);
  EXPECT_EQ(SendMessageA(lv, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 1);
  EXPECT_EQ(SendMessageA(lv, LVM_GETNEXTITEM, 1, LVNI_SELECTED), 3);
  EXPECT_EQ(SendMessageA(lv, LVM_GETNEXTITEM, 3, LVNI_SELECTED), -1);
  EXPECT_EQ(SendMessageA(lv, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), 3);
  EXPECT_EQ(SendMessageA(lv, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED | LVNI_FOCUSED), 3);
  EXPECT_EQ(SendMessageA(lv, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_ALL), 0);
  EXPECT_EQ(SendMessageA(lv, LVM_GETNEXTITEM, 2, LVNI_ALL), 3);
  EXPECT_EQ(SendMessageA(lv, LVM_GETNEXTITEM, 4, LVNI_ALL), -1);
  // Directions in the report view: rows above and below.
  EXPECT_EQ(SendMessageA(lv, LVM_GETNEXTITEM, 3, LVNI_ABOVE | LVNI_SELECTED), 1);
  EXPECT_EQ(SendMessageA(lv, LVM_GETNEXTITEM, 1, LVNI_BELOW), 2);
  // Focus moves: only one item has it.
  SetState(lv, 0, LVIS_FOCUSED, LVIS_FOCUSED);
  EXPECT_EQ(SendMessageA(lv, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), 0);
  EXPECT_EQ(StateOf(lv, 3), static_cast<UINT>(LVIS_SELECTED));
  // -1 changes every item.
  SetState(lv, -1, 0, LVIS_SELECTED);
  EXPECT_EQ(SendMessageA(lv, LVM_GETSELECTEDCOUNT, 0, 0), 0);
}

TEST_F(ListViewTest, StateChangesFromCodeNotifyAsWindowsDoes) {
  Make(LVS_REPORT | LVS_SINGLESEL);
  Fill();
  // Windows tells the parent about LVM_SETITEMSTATE from code: changing, then changed.
  SetState(lv, 1, LVIS_SELECTED, LVIS_SELECTED);
  ASSERT_EQ(parent.Codes(), (std::vector<UINT>{LVN_ITEMCHANGING, LVN_ITEMCHANGED}));
  const Note& changed = parent.notes[1];
  EXPECT_EQ(changed.id, static_cast<UINT_PTR>(kId));
  EXPECT_EQ(changed.from, lv);
  EXPECT_EQ(changed.lv.iItem, 1);
  EXPECT_EQ(changed.lv.uChanged, static_cast<UINT>(LVIF_STATE));
  EXPECT_EQ(changed.lv.uOldState, 0u);
  EXPECT_EQ(changed.lv.uNewState, static_cast<UINT>(LVIS_SELECTED));
  EXPECT_EQ(changed.lv.lParam, 101);

  // The same state again changes nothing and says nothing.
  parent.Clear();
  SetState(lv, 1, LVIS_SELECTED, LVIS_SELECTED);
  EXPECT_TRUE(parent.notes.empty());

  // Single selection: selecting another item deselects the first, which is told too.
  SetState(lv, 2, LVIS_SELECTED, LVIS_SELECTED);
  std::vector<Note> done = parent.Of(LVN_ITEMCHANGED);
  ASSERT_EQ(done.size(), 2u);
  EXPECT_EQ(done[0].lv.iItem, 1);
  EXPECT_EQ(done[0].lv.uNewState, 0u);
  EXPECT_EQ(done[1].lv.iItem, 2);
  EXPECT_EQ(SendMessageA(lv, LVM_GETSELECTEDCOUNT, 0, 0), 1);

  // A nonzero answer to LVN_ITEMCHANGING refuses the change.
  parent.Clear();
  parent.on_notify = [](NMHDR* h) -> LRESULT { return h->code == LVN_ITEMCHANGING ? TRUE : 0; };
  SetState(lv, 0, LVIS_SELECTED, LVIS_SELECTED);
  EXPECT_EQ(StateOf(lv, 0), 0u);
  EXPECT_TRUE(parent.Of(LVN_ITEMCHANGED).empty());
  parent.on_notify = nullptr;

  // The main text is an item change too; subitem texts are not.
  parent.Clear();
  ASSERT_TRUE(SetSubText(lv, 0, 0, "date"));
  ASSERT_EQ(parent.Of(LVN_ITEMCHANGED).size(), 1u);
  EXPECT_EQ(parent.Of(LVN_ITEMCHANGED)[0].lv.uChanged, static_cast<UINT>(LVIF_TEXT));
  parent.Clear();
  ASSERT_TRUE(SetSubText(lv, 0, 1, "9"));
  EXPECT_TRUE(parent.notes.empty());
}

TEST_F(ListViewTest, InsertingAndDeletingNotify) {
  Make(LVS_REPORT | LVS_SINGLESEL);
  AddColumn(lv, 0, "Name", 100);
  EXPECT_EQ(Insert(lv, 0, "a", 1), 0);
  ASSERT_EQ(parent.Codes(), (std::vector<UINT>{LVN_INSERTITEM}));
  EXPECT_EQ(parent.notes[0].lv.iItem, 0);
  EXPECT_EQ(parent.notes[0].lv.lParam, 1);

  // An item inserted selected takes the selection from the others, and that is a change.
  SetState(lv, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  parent.Clear();
  EXPECT_EQ(Insert(lv, 5, "b", 2, LVIS_SELECTED | LVIS_FOCUSED), 1);
  EXPECT_EQ(parent.Codes().front(), LVN_INSERTITEM);
  EXPECT_EQ(SendMessageA(lv, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 1);
  EXPECT_EQ(StateOf(lv, 0), 0u);
  EXPECT_EQ(parent.Of(LVN_ITEMCHANGED).back().lv.iItem, 1);
  EXPECT_EQ(Insert(lv, -1, "bad", 3), -1);

  parent.Clear();
  ASSERT_TRUE(SendMessageA(lv, LVM_DELETEITEM, 0, 0));
  ASSERT_EQ(parent.Codes(), (std::vector<UINT>{LVN_DELETEITEM}));
  EXPECT_EQ(parent.notes[0].lv.lParam, 1);
  EXPECT_FALSE(SendMessageA(lv, LVM_DELETEITEM, 5, 0));
  EXPECT_EQ(SendMessageA(lv, LVM_GETITEMCOUNT, 0, 0), 1);

  // Deleting everything: LVN_DELETEALLITEMS, then each item unless the parent declines.
  Insert(lv, 1, "c", 3);
  parent.Clear();
  ASSERT_TRUE(SendMessageA(lv, LVM_DELETEALLITEMS, 0, 0));
  EXPECT_EQ(parent.Codes(), (std::vector<UINT>{LVN_DELETEALLITEMS, LVN_DELETEITEM, LVN_DELETEITEM}));
  EXPECT_EQ(parent.notes[0].lv.iItem, -1);
  EXPECT_EQ(SendMessageA(lv, LVM_GETITEMCOUNT, 0, 0), 0);

  Insert(lv, 0, "d", 4);
  Insert(lv, 1, "e", 5);
  parent.Clear();
  parent.on_notify = [](NMHDR* h) -> LRESULT { return h->code == LVN_DELETEALLITEMS ? TRUE : 0; };
  ASSERT_TRUE(SendMessageA(lv, LVM_DELETEALLITEMS, 0, 0));
  EXPECT_EQ(parent.Codes(), (std::vector<UINT>{LVN_DELETEALLITEMS}));
  parent.on_notify = nullptr;

  // Destroying the control deletes its items with the same notifications.
  Insert(lv, 0, "f", 6);
  parent.Clear();
  DestroyWindow(lv);
  EXPECT_EQ(parent.Codes(), (std::vector<UINT>{LVN_DELETEALLITEMS, LVN_DELETEITEM}));
  EXPECT_EQ(parent.notes[1].lv.lParam, 6);
}

TEST_F(ListViewTest, CallbackTextsAndImagesComeFromTheParent) {
  Make(LVS_REPORT);
  AddColumn(lv, 0, "Name", 100);
  LVITEMA it{};
  it.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
  it.pszText = LPSTR_TEXTCALLBACKA;
  it.iImage = I_IMAGECALLBACK;
  it.lParam = 42;
  ASSERT_EQ(SendMessageA(lv, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&it)), 0);
  parent.on_notify = [](NMHDR* h) -> LRESULT {
    if (h->code != LVN_GETDISPINFOA) return 0;
    auto* di = reinterpret_cast<NMLVDISPINFOA*>(h);
    const std::string text = "item " + std::to_string(di->item.lParam);
    if (di->item.mask & LVIF_TEXT) lstrcpynA(di->item.pszText, text.c_str(), di->item.cchTextMax);
    if (di->item.mask & LVIF_IMAGE) di->item.iImage = 7;
    return 0;
  };
  EXPECT_EQ(GetText(lv, 0), "item 42");
  EXPECT_EQ(GetText(lv, 0, 0, 5), "item");
  it = LVITEMA{};
  it.mask = LVIF_IMAGE;
  ASSERT_TRUE(SendMessageA(lv, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it)));
  EXPECT_EQ(it.iImage, 7);
  LVFINDINFOA fi{};
  fi.flags = LVFI_STRING;
  fi.psz = "ITEM 42";
  EXPECT_EQ(SendMessageA(lv, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&fi)), 0);
  EXPECT_EQ(cctest::PaintedTexts(lv), std::vector<std::string>{"item 42"});
  EXPECT_FALSE(parent.Of(LVN_GETDISPINFOA).empty());
}

TEST_F(ListViewTest, FindsByParamTextAndPrefix) {
  Make(LVS_REPORT);
  Fill();
  LVFINDINFOA fi{};
  fi.flags = LVFI_PARAM;
  fi.lParam = 102;
  EXPECT_EQ(SendMessageA(lv, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&fi)), 2);
  fi.flags = LVFI_STRING;
  fi.psz = "APPLE";
  EXPECT_EQ(SendMessageA(lv, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&fi)), 1);
  fi.psz = "app";
  EXPECT_EQ(SendMessageA(lv, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&fi)), -1);
  fi.flags = LVFI_STRING | LVFI_PARTIAL;
  EXPECT_EQ(SendMessageA(lv, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&fi)), 1);
  // The search starts after the given item, and wraps only when asked.
  EXPECT_EQ(SendMessageA(lv, LVM_FINDITEMA, 1, reinterpret_cast<LPARAM>(&fi)), -1);
  fi.flags |= LVFI_WRAP;
  EXPECT_EQ(SendMessageA(lv, LVM_FINDITEMA, 1, reinterpret_cast<LPARAM>(&fi)), 1);
  fi.flags = LVFI_STRING;
  fi.psz = nullptr;
  EXPECT_EQ(SendMessageA(lv, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&fi)), -1);
}

TEST_F(ListViewTest, SwitchingViewsKeepsItemsAndSelection) {
  Make(LVS_REPORT);
  Fill();
  SetState(lv, 2, LVIS_SELECTED, LVIS_SELECTED);
  HWND header = reinterpret_cast<HWND>(SendMessageA(lv, LVM_GETHEADER, 0, 0));
  ASSERT_NE(header, nullptr);
  EXPECT_TRUE(IsWindowVisible(header));
  const DWORD base = static_cast<DWORD>(GetWindowLongPtrA(lv, GWL_STYLE)) & ~LVS_TYPEMASK;
  for (DWORD view : {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT}) {
    SetWindowLongPtrA(lv, GWL_STYLE, static_cast<LONG_PTR>(base | view));
    EXPECT_EQ(SendMessageA(lv, LVM_GETITEMCOUNT, 0, 0), 3) << view;
    EXPECT_EQ(GetText(lv, 0), "cherry") << view;
    EXPECT_EQ(GetText(lv, 1, 1), "1") << view;
    EXPECT_EQ(SendMessageA(lv, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 2) << view;
    EXPECT_EQ(IsWindowVisible(header) != FALSE, view == LVS_REPORT) << view;
    // Every item has a place of its own in every view.
    RECT a = ItemRect(lv, 0, LVIR_BOUNDS), b = ItemRect(lv, 1, LVIR_BOUNDS);
    EXPECT_TRUE(a.left != b.left || a.top != b.top) << view;
    LVHITTESTINFO hit{};
    hit.pt = cctest::Centre(ItemRect(lv, 1, LVIR_LABEL));
    EXPECT_EQ(SendMessageA(lv, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), 1) << view;
  }
  // The icon views count every item as visible at once.
  SetWindowLongPtrA(lv, GWL_STYLE, static_cast<LONG_PTR>(base | LVS_ICON));
  EXPECT_EQ(SendMessageA(lv, LVM_GETCOUNTPERPAGE, 0, 0), 3);
  EXPECT_EQ(SendMessageA(lv, LVM_GETTOPINDEX, 0, 0), 0);
  // Switching views does not notify.
  EXPECT_TRUE(parent.Of(LVN_ITEMCHANGED).size() == 1u);

  // The list view has one column width for all its columns, set as column 0.
  SetWindowLongPtrA(lv, GWL_STYLE, static_cast<LONG_PTR>(base | LVS_LIST));
  EXPECT_TRUE(SendMessageA(lv, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(120, 0)));
  EXPECT_FALSE(SendMessageA(lv, LVM_SETCOLUMNWIDTH, 1, MAKELPARAM(50, 0)));
  EXPECT_EQ(SendMessageA(lv, LVM_GETCOLUMNWIDTH, 2, 0), 120);
  const RECT cell = ItemRect(lv, 0, LVIR_BOUNDS);
  EXPECT_EQ(cell.right - cell.left, 120);
  // The report's columns kept their own widths.
  SetWindowLongPtrA(lv, GWL_STYLE, static_cast<LONG_PTR>(base | LVS_REPORT));
  EXPECT_EQ(SendMessageA(lv, LVM_GETCOLUMNWIDTH, 1, 0), 60);
  EXPECT_EQ(SendMessageA(lv, LVM_GETCOLUMNWIDTH, 3, 0), 0);
}

TEST_F(ListViewTest, RedrawOffKeepsTheControlAndItsHeaderAsTheyWere) {
  Make(LVS_ICON);
  AddColumn(lv, 0, "Name", 100);
  HWND header = reinterpret_cast<HWND>(SendMessageA(lv, LVM_GETHEADER, 0, 0));
  SendMessageA(lv, WM_SETREDRAW, FALSE, 0);
  EXPECT_TRUE(IsWindowVisible(lv));
  Insert(lv, 0, "late", 1);
  SendMessageA(lv, WM_SETREDRAW, TRUE, 0);
  EXPECT_TRUE(IsWindowVisible(lv));
  EXPECT_FALSE(IsWindowVisible(header));  // not shown outside the report view
  EXPECT_EQ(cctest::PaintedTexts(lv), std::vector<std::string>{"late"});
}

TEST_F(ListViewTest, ScrollingTopIndexAndEnsureVisible) {
  Make(LVS_REPORT);
  AddColumn(lv, 0, "Name", 100);
  for (int i = 0; i < 40; ++i) Insert(lv, i, ("row " + std::to_string(i)).c_str(), i);
  const int per_page = static_cast<int>(SendMessageA(lv, LVM_GETCOUNTPERPAGE, 0, 0));
  ASSERT_GT(per_page, 2);
  ASSERT_LT(per_page, 40);
  EXPECT_EQ(SendMessageA(lv, LVM_GETTOPINDEX, 0, 0), 0);
  const RECT r0 = ItemRect(lv, 0, LVIR_BOUNDS);
  const int row = r0.bottom - r0.top;
  ASSERT_TRUE(SendMessageA(lv, LVM_SCROLL, 0, 3 * row));
  EXPECT_EQ(SendMessageA(lv, LVM_GETTOPINDEX, 0, 0), 3);
  ASSERT_TRUE(SendMessageA(lv, LVM_ENSUREVISIBLE, 39, FALSE));
  EXPECT_EQ(SendMessageA(lv, LVM_GETTOPINDEX, 0, 0), 40 - per_page);
  ASSERT_TRUE(SendMessageA(lv, LVM_ENSUREVISIBLE, 1, FALSE));
  EXPECT_EQ(SendMessageA(lv, LVM_GETTOPINDEX, 0, 0), 1);
  // Scrolling stops at the ends.
  SendMessageA(lv, LVM_SCROLL, 0, -100 * row);
  EXPECT_EQ(SendMessageA(lv, LVM_GETTOPINDEX, 0, 0), 0);
  SendMessageA(lv, LVM_SCROLL, 0, 100 * row);
  EXPECT_EQ(SendMessageA(lv, LVM_GETTOPINDEX, 0, 0), 40 - per_page);
  EXPECT_FALSE(SendMessageA(lv, LVM_ENSUREVISIBLE, 40, FALSE));
  // Hit testing follows the scrolled rows.
  LVHITTESTINFO hit{};
  hit.pt = cctest::Centre(ItemRect(lv, 40 - per_page, LVIR_LABEL));
  EXPECT_EQ(SendMessageA(lv, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), 40 - per_page);
  EXPECT_EQ(hit.flags, static_cast<UINT>(LVHT_ONITEMLABEL));
  hit.pt = POINT{250, 100};  // right of the only column
  EXPECT_EQ(SendMessageA(lv, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), -1);
  EXPECT_EQ(hit.flags, static_cast<UINT>(LVHT_NOWHERE));
  hit.pt = POINT{10, 500};
  EXPECT_EQ(SendMessageA(lv, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), -1);
  EXPECT_EQ(hit.flags, static_cast<UINT>(LVHT_BELOW));
}

TEST_F(ListViewTest, ScrollBarsFollowTheRowsAndAUserMovesThem) {
  Make(LVS_REPORT);
  AddColumn(lv, 0, "Name", 100);
  Insert(lv, 0, "only", 0);
  EXPECT_FALSE(GetWindowLongPtrA(lv, GWL_STYLE) & WS_VSCROLL);
  for (int i = 1; i < 40; ++i) Insert(lv, i, "row", i);
  EXPECT_TRUE(GetWindowLongPtrA(lv, GWL_STYLE) & WS_VSCROLL);
  EXPECT_FALSE(GetWindowLongPtrA(lv, GWL_STYLE) & WS_HSCROLL);  // one narrow column fits
  const int per_page = static_cast<int>(SendMessageA(lv, LVM_GETCOUNTPERPAGE, 0, 0));
  SCROLLINFO si{sizeof(si), SIF_ALL, 0, 0, 0, 0, 0};
  ASSERT_TRUE(GetScrollInfo(lv, SB_VERT, &si));
  EXPECT_EQ(si.nMax, 39);
  EXPECT_EQ(si.nPage, static_cast<UINT>(per_page));

  SendMessageA(lv, WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(SendMessageA(lv, LVM_GETTOPINDEX, 0, 0), 1);
  SendMessageA(lv, WM_VSCROLL, SB_PAGEDOWN, 0);
  EXPECT_EQ(SendMessageA(lv, LVM_GETTOPINDEX, 0, 0), 1 + per_page);
  SendMessageA(lv, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 5), 0);
  EXPECT_EQ(SendMessageA(lv, LVM_GETTOPINDEX, 0, 0), 5);
  EXPECT_EQ(GetScrollPos(lv, SB_VERT), 5);
  SendMessageA(lv, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), 0);  // one notch down: three rows
  EXPECT_EQ(SendMessageA(lv, LVM_GETTOPINDEX, 0, 0), 8);
  SendMessageA(lv, WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(SendMessageA(lv, LVM_GETTOPINDEX, 0, 0), 40 - per_page);
  // Code that scrolls moves the bar too.
  SendMessageA(lv, LVM_ENSUREVISIBLE, 2, FALSE);
  EXPECT_EQ(GetScrollPos(lv, SB_VERT), 2);
  // Wide columns bring the horizontal bar; no items take the vertical one away.
  SendMessageA(lv, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(900, 0));
  EXPECT_TRUE(GetWindowLongPtrA(lv, GWL_STYLE) & WS_HSCROLL);
  SendMessageA(lv, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 100), 0);
  EXPECT_EQ(ItemRect(lv, 2, LVIR_BOUNDS).left, -100);
  SendMessageA(lv, LVM_DELETEALLITEMS, 0, 0);
  EXPECT_FALSE(GetWindowLongPtrA(lv, GWL_STYLE) & WS_VSCROLL);
  EXPECT_TRUE(parent.Of(LVN_ITEMCHANGED).empty());
}

TEST_F(ListViewTest, ImageListsAndColours) {
  Make(LVS_REPORT);
  HIMAGELIST small = ImageList_Create(16, 16, ILC_COLOR, 1, 1);
  HIMAGELIST big = ImageList_Create(32, 32, ILC_COLOR, 1, 1);
  EXPECT_EQ(SendMessageA(lv, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(small)), 0);
  EXPECT_EQ(SendMessageA(lv, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(big)), 0);
  EXPECT_EQ(SendMessageA(lv, LVM_GETIMAGELIST, LVSIL_SMALL, 0), reinterpret_cast<LRESULT>(small));
  EXPECT_EQ(SendMessageA(lv, LVM_GETIMAGELIST, LVSIL_NORMAL, 0), reinterpret_cast<LRESULT>(big));
  EXPECT_EQ(SendMessageA(lv, LVM_GETIMAGELIST, LVSIL_STATE, 0), 0);
  AddColumn(lv, 0, "Name", 100);
  Insert(lv, 0, "a", 0);
  // A small image list makes room for its icons in the report rows.
  const RECT icon = ItemRect(lv, 0, LVIR_ICON);
  EXPECT_EQ(icon.right - icon.left, 16);
  EXPECT_GE(ItemRect(lv, 0, LVIR_BOUNDS).bottom - ItemRect(lv, 0, LVIR_BOUNDS).top, 16);

  EXPECT_EQ(static_cast<COLORREF>(SendMessageA(lv, LVM_GETBKCOLOR, 0, 0)), GetSysColor(COLOR_WINDOW));
  EXPECT_TRUE(SendMessageA(lv, LVM_SETBKCOLOR, 0, RGB(1, 2, 3)));
  EXPECT_TRUE(SendMessageA(lv, LVM_SETTEXTCOLOR, 0, RGB(4, 5, 6)));
  EXPECT_TRUE(SendMessageA(lv, LVM_SETTEXTBKCOLOR, 0, RGB(7, 8, 9)));
  EXPECT_EQ(static_cast<COLORREF>(SendMessageA(lv, LVM_GETBKCOLOR, 0, 0)), RGB(1, 2, 3));
  EXPECT_EQ(static_cast<COLORREF>(SendMessageA(lv, LVM_GETTEXTCOLOR, 0, 0)), RGB(4, 5, 6));
  EXPECT_EQ(static_cast<COLORREF>(SendMessageA(lv, LVM_GETTEXTBKCOLOR, 0, 0)), RGB(7, 8, 9));
  EXPECT_EQ(SendMessageA(lv, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES), 0);
  EXPECT_EQ(SendMessageA(lv, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_GRIDLINES, 0),
            LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  EXPECT_EQ(SendMessageA(lv, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0), LVS_EX_FULLROWSELECT);

  // The control destroys its image lists with itself, unless they are shared.
  DestroyWindow(lv);
  EXPECT_FALSE(ImageList_Destroy(small));
  EXPECT_FALSE(ImageList_Destroy(big));
  Make(LVS_REPORT | LVS_SHAREIMAGELISTS);
  HIMAGELIST shared = ImageList_Create(16, 16, ILC_COLOR, 1, 1);
  SendMessageA(lv, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(shared));
  DestroyWindow(lv);
  EXPECT_TRUE(ImageList_Destroy(shared));
}

}  // namespace
