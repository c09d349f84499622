// The test driver's user actions on the common controls: each reaches the item
// a person would click and the parent hears what a person's click makes.
#include <gtest/gtest.h>

#include "comctl_test_support.h"

namespace {

using cctest::Parent;

TEST(UserActions, ListViewRowsColumnsAndEmptySpace) {
  Parent parent;
  HWND lv = parent.Add(WC_LISTVIEWA, LVS_REPORT, 12301, RECT{0, 0, 300, 120});
  LVCOLUMNA c{};
  c.mask = LVCF_TEXT | LVCF_WIDTH;
  c.cx = 120;
  c.pszText = const_cast<LPSTR>("Name");
  SendMessageA(lv, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&c));
  c.pszText = const_cast<LPSTR>("Host");
  SendMessageA(lv, LVM_INSERTCOLUMNA, 1, reinterpret_cast<LPARAM>(&c));
  for (int i = 0; i < 30; ++i) {
    LVITEMA it{};
    it.mask = LVIF_TEXT | LVIF_PARAM;
    it.iItem = i;
    it.pszText = const_cast<LPSTR>("row");
    it.lParam = 100 + i;
    SendMessageA(lv, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&it));
  }
  parent.Clear();

  // A row far below is scrolled to, then clicked.
  ASSERT_TRUE(qvp::UserSelectListViewItem(lv, 25, true));
  EXPECT_EQ(SendMessageA(lv, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 25);
  EXPECT_EQ(parent.Of(NM_DBLCLK).size(), 1u);
  EXPECT_EQ(parent.Of(NM_DBLCLK)[0].lv.lParam, 125);
  EXPECT_FALSE(qvp::UserSelectListViewItem(lv, 30));

  ASSERT_TRUE(qvp::UserClickListViewColumn(lv, 1));
  ASSERT_EQ(parent.Of(LVN_COLUMNCLICK).size(), 1u);
  EXPECT_EQ(parent.Of(LVN_COLUMNCLICK)[0].lv.iSubItem, 1);
  EXPECT_FALSE(qvp::UserClickListViewColumn(lv, 2));

  ASSERT_TRUE(qvp::UserRightClickListView(lv, 3));
  EXPECT_EQ(parent.Of(NM_RCLICK).back().lv.iItem, 3);
  ASSERT_TRUE(qvp::UserRightClickListView(lv, -1));  // right of the columns
  EXPECT_EQ(parent.Of(NM_RCLICK).back().lv.iItem, -1);

  // Nobody can click a disabled control.
  EnableWindow(lv, FALSE);
  EXPECT_FALSE(qvp::UserSelectListViewItem(lv, 1));
  EXPECT_FALSE(qvp::UserSelectTab(lv, 0));  // not a tab strip
}

TEST(UserActions, TabsTreesToolbarsAndUpDowns) {
  Parent parent;
  HWND tab = parent.Add(WC_TABCONTROLA, 0, 1097, RECT{0, 0, 300, 100});
  TCITEMA ti{};
  ti.mask = TCIF_TEXT;
  ti.pszText = const_cast<LPSTR>("One");
  SendMessageA(tab, TCM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&ti));
  ti.pszText = const_cast<LPSTR>("Two");
  SendMessageA(tab, TCM_INSERTITEMA, 1, reinterpret_cast<LPARAM>(&ti));
  ASSERT_TRUE(qvp::UserSelectTab(tab, 1));
  EXPECT_EQ(SendMessageA(tab, TCM_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(parent.Of(TCN_SELCHANGE).size(), 1u);
  EXPECT_FALSE(qvp::UserSelectTab(tab, 2));

  HWND tv = parent.Add(WC_TREEVIEWA, TVS_HASBUTTONS | TVS_LINESATROOT, 16011, RECT{0, 110, 300, 300});
  TVINSERTSTRUCTA ins{};
  ins.hParent = TVI_ROOT;
  ins.hInsertAfter = TVI_LAST;
  ins.item.mask = TVIF_TEXT;
  ins.item.pszText = const_cast<LPSTR>("Group");
  auto group = reinterpret_cast<HTREEITEM>(SendMessageA(tv, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&ins)));
  ins.hParent = group;
  ins.item.pszText = const_cast<LPSTR>("Item");
  auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tv, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&ins)));
  parent.Clear();
  ASSERT_TRUE(qvp::UserToggleTreeItem(tv, group));
  EXPECT_EQ(parent.Of(TVN_ITEMEXPANDEDA).size(), 1u);
  ASSERT_TRUE(qvp::UserSelectTreeItem(tv, item));
  ASSERT_EQ(parent.Of(TVN_SELCHANGEDA).size(), 1u);
  EXPECT_EQ(parent.Of(TVN_SELCHANGEDA)[0].tv.action, static_cast<UINT>(TVC_BYMOUSE));
  EXPECT_FALSE(qvp::UserToggleTreeItem(tv, item));  // nothing below it, so no button
  SendMessageA(tv, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item));
  EXPECT_FALSE(qvp::UserSelectTreeItem(tv, item));

  HWND tb = parent.Add(TOOLBARCLASSNAMEA, 0, 7000, RECT{0, 0, 10, 10});
  SendMessageA(tb, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  TBBUTTON buttons[2]{};
  buttons[0].idCommand = 5000;
  buttons[0].fsState = TBSTATE_ENABLED;
  buttons[1].idCommand = 5060;
  SendMessageA(tb, TB_ADDBUTTONSA, 2, reinterpret_cast<LPARAM>(buttons));
  ASSERT_TRUE(qvp::UserClickToolbarButton(tb, 5000));
  EXPECT_EQ(parent.commands.back().first, 5000);
  EXPECT_FALSE(qvp::UserClickToolbarButton(tb, 5060));  // disabled
  EXPECT_FALSE(qvp::UserClickToolbarButton(tb, 1));

  HWND ud = parent.Add(UPDOWN_CLASSA, 0, 1122, RECT{400, 0, 416, 24});
  ASSERT_TRUE(qvp::UserClickUpDown(ud, true));
  ASSERT_TRUE(qvp::UserClickUpDown(ud, false));
  ASSERT_EQ(parent.Of(UDN_DELTAPOS).size(), 2u);
  EXPECT_LT(parent.Of(UDN_DELTAPOS)[0].ud.iDelta, 0);  // the default range runs downwards
  EXPECT_GT(parent.Of(UDN_DELTAPOS)[1].ud.iDelta, 0);
}

}  // namespace
