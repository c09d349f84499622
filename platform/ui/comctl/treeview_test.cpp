// Tree view: insertion places (sorted ones too) and navigation, items,
// selection and expansion with their notifications from code and from a user,
// deletion, and stale handles.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "comctl_test_support.h"

namespace {

using cctest::Note;
using cctest::Parent;

constexpr int kId = 16011;

HTREEITEM Add(HWND tv, HTREEITEM parent, HTREEITEM after, const char* text, LPARAM param = 0) {
  TVINSERTSTRUCTA ins{};
  ins.hParent = parent;
  ins.hInsertAfter = after;
  ins.item.mask = TVIF_TEXT | TVIF_PARAM;
  ins.item.pszText = const_cast<LPSTR>(text);
  ins.item.lParam = param;
  return reinterpret_cast<HTREEITEM>(SendMessageA(tv, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&ins)));
}

HTREEITEM Next(HWND tv, UINT flag, HTREEITEM h = nullptr) {
  return reinterpret_cast<HTREEITEM>(SendMessageA(tv, TVM_GETNEXTITEM, flag, reinterpret_cast<LPARAM>(h)));
}

std::string TextOf(HWND tv, HTREEITEM h, int size = 64) {
  char buf[64] = {};
  TVITEMA it{};
  it.mask = TVIF_TEXT;
  it.hItem = h;
  it.pszText = buf;
  it.cchTextMax = size;
  if (!SendMessageA(tv, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it))) return "<none>";
  return buf;
}

// The texts of one level, first to last.
std::string Level(HWND tv, HTREEITEM first) {
  std::string out;
  for (HTREEITEM h = first; h; h = Next(tv, TVGN_NEXT, h)) out += (out.empty() ? "" : ",") + TextOf(tv, h);
  return out;
}

UINT StateOf(HWND tv, HTREEITEM h) {
  TVITEMA it{};
  it.mask = TVIF_STATE;
  it.hItem = h;
  it.stateMask = 0xFFFF;
  SendMessageA(tv, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
  return it.state;
}

RECT LabelRect(HWND tv, HTREEITEM h) {
  RECT r{};
  std::memcpy(&r, &h, sizeof(h));
  EXPECT_TRUE(SendMessageA(tv, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r)));
  return r;
}

class TreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tv = parent.Add(WC_TREEVIEWA, TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS, kId,
                    RECT{0, 0, 300, 300});
    // Report       (group)
    //   Header, Body
    // Alerts       (group)
    //   Mail
    report = Add(tv, TVI_ROOT, TVI_LAST, "Report", 1);
    header = Add(tv, report, TVI_LAST, "Header", 2);
    body = Add(tv, report, TVI_LAST, "Body", 3);
    alerts = Add(tv, TVI_ROOT, TVI_LAST, "Alerts", 4);
    mail = Add(tv, alerts, TVI_LAST, "Mail", 5);
    parent.Clear();
  }
  bool Select(HTREEITEM h) {
    return SendMessageA(tv, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(h)) != 0;
  }
  bool Expand(HTREEITEM h, UINT code) {
    return SendMessageA(tv, TVM_EXPAND, code, reinterpret_cast<LPARAM>(h)) != 0;
  }
  Parent parent;
  HWND tv = nullptr;
  HTREEITEM report = nullptr, header = nullptr, body = nullptr, alerts = nullptr, mail = nullptr;
};

TEST_F(TreeTest, InsertionPlacesAndNavigation) {
  EXPECT_EQ(SendMessageA(tv, TVM_GETCOUNT, 0, 0), 5);
  EXPECT_EQ(Next(tv, TVGN_ROOT), report);
  EXPECT_EQ(Next(tv, TVGN_NEXT, report), alerts);
  EXPECT_EQ(Next(tv, TVGN_PREVIOUS, alerts), report);
  EXPECT_EQ(Next(tv, TVGN_PREVIOUS, report), nullptr);
  EXPECT_EQ(Next(tv, TVGN_CHILD, report), header);
  EXPECT_EQ(Next(tv, TVGN_CHILD, nullptr), report);  // the root's first child
  EXPECT_EQ(Next(tv, TVGN_PARENT, body), report);
  EXPECT_EQ(Next(tv, TVGN_PARENT, report), nullptr);
  EXPECT_EQ(Next(tv, TVGN_CHILD, header), nullptr);

  EXPECT_NE(Add(tv, report, TVI_FIRST, "Title"), nullptr);
  EXPECT_NE(Add(tv, report, header, "After header"), nullptr);
  EXPECT_EQ(Level(tv, Next(tv, TVGN_CHILD, report)), "Title,Header,After header,Body");

  // Sorted insertion compares without case and goes after equal texts.
  HTREEITEM sorted = Add(tv, TVI_ROOT, TVI_LAST, "Sorted");
  Add(tv, sorted, TVI_SORT, "delta");
  Add(tv, sorted, TVI_SORT, "Bravo");
  HTREEITEM first_alpha = Add(tv, sorted, TVI_SORT, "alpha");
  HTREEITEM second_alpha = Add(tv, sorted, TVI_SORT, "Alpha");
  Add(tv, sorted, TVI_SORT, "charlie");
  EXPECT_EQ(Level(tv, Next(tv, TVGN_CHILD, sorted)), "alpha,Alpha,Bravo,charlie,delta");
  EXPECT_EQ(Next(tv, TVGN_NEXT, first_alpha), second_alpha);

  // A place that is no sibling, or a parent that is gone, gives no item.
  EXPECT_EQ(Add(tv, alerts, header, "Lost"), nullptr);
  ASSERT_TRUE(SendMessageA(tv, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(mail)));
  EXPECT_EQ(Add(tv, mail, TVI_LAST, "Orphan"), nullptr);
  // No insertion is told to the parent.
  EXPECT_TRUE(parent.Of(TVN_SELCHANGEDA).empty());
}

TEST_F(TreeTest, ItemFieldsAndStaleHandles) {
  EXPECT_EQ(TextOf(tv, header), "Header");
  EXPECT_EQ(TextOf(tv, header, 4), "Hea");
  TVITEMA it{};
  it.mask = TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
  it.hItem = report;
  ASSERT_TRUE(SendMessageA(tv, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it)));
  EXPECT_EQ(it.lParam, 1);
  EXPECT_EQ(it.cChildren, 1);
  it.mask = TVIF_TEXT | TVIF_IMAGE;
  it.pszText = const_cast<LPSTR>("Report items");
  it.iImage = 3;
  ASSERT_TRUE(SendMessageA(tv, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&it)));
  EXPECT_EQ(TextOf(tv, report), "Report items");
  it.mask = TVIF_IMAGE | TVIF_PARAM;
  SendMessageA(tv, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
  EXPECT_EQ(it.iImage, 3);
  EXPECT_EQ(it.lParam, 1);

  // A deleted item's handle is refused everywhere, and never names a new item.
  ASSERT_TRUE(SendMessageA(tv, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(body)));
  EXPECT_EQ(TextOf(tv, body), "<none>");
  EXPECT_FALSE(SendMessageA(tv, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(body)));
  EXPECT_FALSE(Select(body));
  EXPECT_EQ(Next(tv, TVGN_NEXT, body), nullptr);
  HTREEITEM fresh = Add(tv, report, TVI_LAST, "Fresh");
  EXPECT_NE(fresh, body);
  EXPECT_EQ(TextOf(tv, reinterpret_cast<HTREEITEM>(0x1234)), "<none>");
}

TEST_F(TreeTest, SelectionFromCodeNotifiesWithUnknownCause) {
  ASSERT_TRUE(Select(header));
  // The hidden item's parent opened to show it (its first expansion, so told).
  EXPECT_TRUE(StateOf(tv, report) & TVIS_EXPANDED);
  std::vector<Note> sel = parent.Of(TVN_SELCHANGEDA);
  ASSERT_EQ(sel.size(), 1u);
  EXPECT_EQ(sel[0].tv.action, static_cast<UINT>(TVC_UNKNOWN));
  EXPECT_EQ(sel[0].tv.itemOld.hItem, nullptr);
  EXPECT_EQ(sel[0].tv.itemNew.hItem, header);
  EXPECT_EQ(sel[0].tv.itemNew.lParam, 2);
  EXPECT_TRUE(sel[0].tv.itemNew.state & TVIS_SELECTED);
  EXPECT_EQ(parent.Of(TVN_SELCHANGINGA).size(), 1u);
  EXPECT_EQ(Next(tv, TVGN_CARET), header);
  EXPECT_TRUE(StateOf(tv, header) & TVIS_SELECTED);

  // Selecting the selected item again says nothing.
  parent.Clear();
  ASSERT_TRUE(Select(header));
  EXPECT_TRUE(parent.notes.empty());

  // A nonzero answer to TVN_SELCHANGINGA keeps the selection.
  parent.on_notify = [](NMHDR* h) -> LRESULT { return h->code == TVN_SELCHANGINGA ? TRUE : 0; };
  EXPECT_FALSE(Select(alerts));
  EXPECT_EQ(Next(tv, TVGN_CARET), header);
  EXPECT_TRUE(parent.Of(TVN_SELCHANGEDA).empty());
  parent.on_notify = nullptr;

  ASSERT_TRUE(Select(alerts));
  sel = parent.Of(TVN_SELCHANGEDA);
  ASSERT_EQ(sel.size(), 1u);
  EXPECT_EQ(sel[0].tv.itemOld.hItem, header);
  EXPECT_FALSE(sel[0].tv.itemOld.state & TVIS_SELECTED);
  EXPECT_FALSE(StateOf(tv, header) & TVIS_SELECTED);
  // Selecting nothing is allowed.
  ASSERT_TRUE(Select(nullptr));
  EXPECT_EQ(Next(tv, TVGN_CARET), nullptr);
}

TEST_F(TreeTest, ExpandFromCodeNotifiesOnlyTheFirstTime) {
  ASSERT_TRUE(Expand(report, TVE_EXPAND));
  EXPECT_EQ(parent.Codes(), (std::vector<UINT>{TVN_ITEMEXPANDINGA, TVN_ITEMEXPANDEDA}));
  EXPECT_EQ(parent.notes[0].tv.action, static_cast<UINT>(TVE_EXPAND));
  EXPECT_EQ(parent.notes[1].tv.itemNew.hItem, report);
  EXPECT_TRUE(StateOf(tv, report) & TVIS_EXPANDEDONCE);

  parent.Clear();
  ASSERT_TRUE(Expand(report, TVE_COLLAPSE));
  ASSERT_TRUE(Expand(report, TVE_TOGGLE));
  EXPECT_TRUE(StateOf(tv, report) & TVIS_EXPANDED);
  EXPECT_TRUE(parent.notes.empty());
  EXPECT_FALSE(Expand(report, TVE_EXPAND));  // already open
  EXPECT_FALSE(Expand(header, TVE_EXPAND));  // nothing to open

  // A refusal keeps the item closed (and it was never expanded, so it asks again next time).
  parent.on_notify = [](NMHDR* h) -> LRESULT { return h->code == TVN_ITEMEXPANDINGA ? TRUE : 0; };
  EXPECT_FALSE(Expand(alerts, TVE_EXPAND));
  EXPECT_FALSE(StateOf(tv, alerts) & TVIS_EXPANDED);
  parent.on_notify = nullptr;
  EXPECT_TRUE(Expand(alerts, TVE_EXPAND));
  EXPECT_EQ(parent.Of(TVN_ITEMEXPANDEDA).size(), 1u);

  // Collapsing over the selection moves it up to the collapsed item.
  Select(mail);
  parent.Clear();
  ASSERT_TRUE(Expand(alerts, TVE_COLLAPSE));
  EXPECT_EQ(Next(tv, TVGN_CARET), alerts);
  EXPECT_EQ(parent.Of(TVN_SELCHANGEDA).size(), 1u);

  // Collapse-reset drops the children and forgets the expansion.
  parent.Clear();
  ASSERT_TRUE(Expand(report, TVE_COLLAPSE | TVE_COLLAPSERESET));
  EXPECT_EQ(Next(tv, TVGN_CHILD, report), nullptr);
  EXPECT_EQ(parent.Of(TVN_DELETEITEMA).size(), 2u);
  EXPECT_FALSE(StateOf(tv, report) & TVIS_EXPANDEDONCE);
}

TEST_F(TreeTest, UserActionsNotifyWithTheirCause) {
  // A click on a label selects by mouse.
  POINT p = cctest::Centre(LabelRect(tv, alerts));
  cctest::Click(tv, p.x, p.y);
  std::vector<Note> sel = parent.Of(TVN_SELCHANGEDA);
  ASSERT_EQ(sel.size(), 1u);
  EXPECT_EQ(sel[0].tv.action, static_cast<UINT>(TVC_BYMOUSE));
  EXPECT_EQ(sel[0].tv.itemNew.hItem, alerts);
  EXPECT_EQ(parent.Of(NM_CLICK).size(), 1u);

  // Keys select by keyboard; Right opens, and the user's expansion is always told.
  Expand(alerts, TVE_EXPAND);
  Expand(alerts, TVE_COLLAPSE);
  parent.Clear();
  cctest::Key(tv, VK_RIGHT);
  EXPECT_TRUE(StateOf(tv, alerts) & TVIS_EXPANDED);
  EXPECT_EQ(parent.Of(TVN_ITEMEXPANDEDA).size(), 1u);
  cctest::Key(tv, VK_DOWN);
  EXPECT_EQ(Next(tv, TVGN_CARET), mail);
  sel = parent.Of(TVN_SELCHANGEDA);
  ASSERT_EQ(sel.size(), 1u);
  EXPECT_EQ(sel[0].tv.action, static_cast<UINT>(TVC_BYKEYBOARD));
  EXPECT_EQ(parent.Of(TVN_KEYDOWN).front().key, VK_RIGHT);
  cctest::Key(tv, VK_LEFT);  // to the parent
  EXPECT_EQ(Next(tv, TVGN_CARET), alerts);
  cctest::Key(tv, VK_LEFT);  // closes it
  EXPECT_FALSE(StateOf(tv, alerts) & TVIS_EXPANDED);
  cctest::Key(tv, VK_UP);
  EXPECT_EQ(Next(tv, TVGN_CARET), report);

  // The button beside an item toggles it.
  parent.Clear();
  const RECT label = LabelRect(tv, report);
  const int indent = static_cast<int>(SendMessageA(tv, TVM_GETINDENT, 0, 0));
  TVHITTESTINFO hit{};
  hit.pt = POINT{label.left - 2 - indent / 2, (label.top + label.bottom) / 2};
  EXPECT_EQ(reinterpret_cast<HTREEITEM>(SendMessageA(tv, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit))), report);
  cctest::Click(tv, hit.pt.x, hit.pt.y);
  EXPECT_TRUE(StateOf(tv, report) & TVIS_EXPANDED);
  EXPECT_EQ(parent.Of(TVN_ITEMEXPANDINGA).size(), 1u);
  EXPECT_TRUE(parent.Of(TVN_SELCHANGEDA).empty());

  // A double click toggles unless the parent takes it.
  parent.on_notify = [](NMHDR* h) -> LRESULT { return h->code == NM_DBLCLK ? TRUE : 0; };
  p = cctest::Centre(LabelRect(tv, report));
  cctest::DoubleClick(tv, p.x, p.y);
  EXPECT_TRUE(StateOf(tv, report) & TVIS_EXPANDED);
  parent.on_notify = nullptr;
  cctest::DoubleClick(tv, p.x, p.y);
  EXPECT_FALSE(StateOf(tv, report) & TVIS_EXPANDED);
}

TEST_F(TreeTest, DeletionTellsEveryItemAndMovesTheSelection) {
  Select(header);
  parent.Clear();
  ASSERT_TRUE(SendMessageA(tv, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(report)));
  // The selection left the doomed branch first, for the next top-level item.
  EXPECT_EQ(Next(tv, TVGN_CARET), alerts);
  std::vector<Note> gone = parent.Of(TVN_DELETEITEMA);
  ASSERT_EQ(gone.size(), 3u);
  EXPECT_EQ(gone[0].tv.itemOld.hItem, header);  // children before their parent
  EXPECT_EQ(gone[1].tv.itemOld.hItem, body);
  EXPECT_EQ(gone[2].tv.itemOld.hItem, report);
  EXPECT_EQ(gone[2].tv.itemOld.lParam, 1);
  EXPECT_EQ(parent.Codes().front(), TVN_SELCHANGINGA);
  EXPECT_EQ(SendMessageA(tv, TVM_GETCOUNT, 0, 0), 2);

  parent.Clear();
  ASSERT_TRUE(SendMessageA(tv, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT)));
  EXPECT_EQ(SendMessageA(tv, TVM_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(parent.Of(TVN_DELETEITEMA).size(), 2u);
  EXPECT_EQ(Next(tv, TVGN_CARET), nullptr);
  EXPECT_EQ(Next(tv, TVGN_ROOT), nullptr);

  // Destroying the control deletes (and tells about) what is left, without moving the selection.
  HTREEITEM a = Add(tv, TVI_ROOT, TVI_LAST, "a", 7);
  Add(tv, TVI_ROOT, TVI_LAST, "b", 8);
  Select(a);
  parent.Clear();
  DestroyWindow(tv);
  EXPECT_EQ(parent.Of(TVN_DELETEITEMA).size(), 2u);
  EXPECT_TRUE(parent.Of(TVN_SELCHANGEDA).empty());
}

TEST_F(TreeTest, ScrollBarFollowsTheShownRows) {
  EXPECT_FALSE(GetWindowLongPtrA(tv, GWL_STYLE) & WS_VSCROLL);
  for (int i = 0; i < 40; ++i) Add(tv, alerts, TVI_LAST, "channel");
  EXPECT_FALSE(GetWindowLongPtrA(tv, GWL_STYLE) & WS_VSCROLL);  // hidden under a closed item
  Expand(alerts, TVE_EXPAND);
  EXPECT_TRUE(GetWindowLongPtrA(tv, GWL_STYLE) & WS_VSCROLL);
  SendMessageA(tv, WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(Next(tv, TVGN_FIRSTVISIBLE), alerts);
  SendMessageA(tv, WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(Next(tv, TVGN_FIRSTVISIBLE), report);
  EXPECT_EQ(GetScrollPos(tv, SB_VERT), 0);
  HTREEITEM last = Next(tv, TVGN_LASTVISIBLE);
  SendMessageA(tv, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(last));
  EXPECT_GT(GetScrollPos(tv, SB_VERT), 0);
  RECT r{};
  std::memcpy(&r, &last, sizeof(last));
  ASSERT_TRUE(SendMessageA(tv, TVM_GETITEMRECT, FALSE, reinterpret_cast<LPARAM>(&r)));
  RECT client{};
  GetClientRect(tv, &client);
  EXPECT_LE(r.bottom, client.bottom);
  Expand(alerts, TVE_COLLAPSE);
  EXPECT_FALSE(GetWindowLongPtrA(tv, GWL_STYLE) & WS_VSCROLL);
  EXPECT_EQ(Next(tv, TVGN_FIRSTVISIBLE), report);
}

TEST_F(TreeTest, VisibleOrderEnsureVisibleAndPainting) {
  EXPECT_EQ(Next(tv, TVGN_FIRSTVISIBLE), report);
  EXPECT_EQ(Next(tv, TVGN_NEXTVISIBLE, report), alerts);  // closed: its children are not shown
  EXPECT_EQ(Next(tv, TVGN_LASTVISIBLE), alerts);
  RECT r{};
  std::memcpy(&r, &header, sizeof(header));
  EXPECT_FALSE(SendMessageA(tv, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r)));
  SendMessageA(tv, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(body));
  EXPECT_TRUE(StateOf(tv, report) & TVIS_EXPANDED);
  EXPECT_EQ(Next(tv, TVGN_NEXTVISIBLE, report), header);
  EXPECT_EQ(Next(tv, TVGN_PREVIOUSVISIBLE, alerts), body);
  EXPECT_EQ(Next(tv, TVGN_CARET), nullptr);  // showing is not selecting
  // Children are indented under their parent.
  EXPECT_GT(LabelRect(tv, header).left, LabelRect(tv, report).left);
  EXPECT_EQ(cctest::PaintedTexts(tv), (std::vector<std::string>{"Report", "Header", "Body", "Alerts"}));
}

}  // namespace
