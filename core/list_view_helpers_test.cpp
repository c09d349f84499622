#include "list_view_helpers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_windows.h"

namespace {

class ListViewHelpersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    parent_ = CreatePlainWindow(0, 0, 400, 300);
    list_ = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 300, 120, parent_,
                            nullptr, nullptr, nullptr);
    ASSERT_NE(list_, nullptr);
  }
  void TearDown() override { DestroyWindow(parent_); }

  struct Column {
    int width = -1;
    std::string title;
  };
  Column ColumnAt(int index) const {
    char title[600] = "";
    LVCOLUMNA description{};
    description.mask = LVCF_WIDTH | LVCF_TEXT;
    description.pszText = title;
    description.cchTextMax = sizeof title;
    if (!SendMessageA(list_, LVM_GETCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&description))) {
      return {};
    }
    return {description.cx, title};
  }
  std::string TextAt(int item, int subItem) const {
    std::string text(4000, '\0');
    LVITEMA cell{};
    cell.iSubItem = subItem;
    cell.pszText = text.data();
    cell.cchTextMax = static_cast<int>(text.size());
    SendMessageA(list_, LVM_GETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&cell));
    return text.c_str();
  }
  void SetState(int item, UINT state) {
    LVITEMA change{};
    change.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    change.state = state;
    SendMessageA(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&change));
  }

  HWND parent_ = nullptr;
  HWND list_ = nullptr;
};

TEST_F(ListViewHelpersTest, ColumnsTakeTheirWidthFromLeadingDigits) {
  EXPECT_EQ(ListViewSetColumns(list_, "120-Name\tSize"), 0);
  EXPECT_EQ(ColumnAt(0).width, 120);
  EXPECT_EQ(ColumnAt(0).title, "Name");
  EXPECT_EQ(ColumnAt(1).width, 100);
  EXPECT_EQ(ColumnAt(1).title, "Size");
  EXPECT_EQ(ColumnAt(2).width, -1);
}

TEST_F(ListViewHelpersTest, OddColumnTextsAreTakenWithoutOverrun) {
  const std::string longTitle(500, 't');
  ListViewSetColumns(list_, ("80\t\t7" + longTitle + "\t99999999999-Wide").c_str());
  EXPECT_EQ(ColumnAt(0).width, 80);  // digits alone: no title
  EXPECT_EQ(ColumnAt(0).title, "");
  EXPECT_EQ(ColumnAt(1).width, 100);  // an empty part is a column too
  EXPECT_EQ(ColumnAt(2).width, 7);
  EXPECT_EQ(ColumnAt(2).title, longTitle.substr(1));
  EXPECT_GT(ColumnAt(3).width, 0);  // an absurd width is capped, never overflows
  EXPECT_EQ(ColumnAt(3).title, "Wide");
}

TEST_F(ListViewHelpersTest, RowsGoToTheEndWithTheirSubitems) {
  ListViewSetColumns(list_, "Name\tHost\tState");
  EXPECT_EQ(ListViewAddRow(list_, "Web\twww.example.test\tup"), 0);
  const std::string longName(2000, 'n');
  EXPECT_EQ(ListViewAddRow(list_, (longName + "\t\tdown").c_str()), 1);
  EXPECT_EQ(ListViewAddRow(list_, "Mail"), 2);
  EXPECT_EQ(TextAt(0, 0), "Web");
  EXPECT_EQ(TextAt(0, 1), "www.example.test");
  EXPECT_EQ(TextAt(0, 2), "up");
  EXPECT_EQ(TextAt(1, 0), longName);
  EXPECT_EQ(TextAt(1, 1), "");
  EXPECT_EQ(TextAt(1, 2), "down");
  EXPECT_EQ(TextAt(2, 0), "Mail");
}

TEST_F(ListViewHelpersTest, SelectionCountsSelectedOrFocusedItems) {
  ListViewSetColumns(list_, "Name");
  for (int i = 0; i < 5; ++i) ListViewAddRow(list_, ("row " + std::to_string(i)).c_str());
  EXPECT_EQ(ListViewFirstSelected(list_), -1);
  EXPECT_EQ(ListViewCountSelected(list_), 0);
  SetState(1, LVIS_SELECTED);
  SetState(3, LVIS_SELECTED);
  SetState(4, LVIS_FOCUSED);
  EXPECT_EQ(ListViewFirstSelected(list_), 1);
  EXPECT_EQ(ListViewCountSelected(list_), 3);
  int indices[8] = {-7, -7, -7, -7, -7, -7, -7, -7};
  EXPECT_EQ(ListViewGetSelection(list_, 2, indices), 2);
  EXPECT_EQ(indices[0], 1);
  EXPECT_EQ(indices[1], 3);
  EXPECT_EQ(indices[2], -7);  // never more than asked for
  EXPECT_EQ(ListViewGetSelection(list_, 8, indices), 3);
  EXPECT_EQ(indices[2], 4);
  EXPECT_EQ(ListViewGetSelection(list_, 0, indices), 0);
  EXPECT_EQ(ListViewGetSelection(list_, 8, nullptr), 0);
}

}  // namespace
