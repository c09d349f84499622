#include "ui/controls/item_list.h"

#include <gtest/gtest.h>

#include "qvplatform/kernel.h"

namespace qvp::ui {
namespace {

int AddSorted(ItemList& list, const std::string& text) {
  int pos = list.SortedPosition([&](int i) { return lstrcmpiA(text.c_str(), list.at(i).text.c_str()); });
  return list.Insert(pos, ListItem{text});
}

std::vector<std::string> Texts(const ItemList& list) {
  std::vector<std::string> out;
  for (int i = 0; i < list.count(); ++i) out.push_back(list.at(i).text);
  return out;
}

TEST(ItemListTest, SortedInsertionUsesTheCaseBlindCollation) {
  ItemList list;
  EXPECT_EQ(AddSorted(list, "delta"), 0);
  EXPECT_EQ(AddSorted(list, "Bravo"), 0);
  EXPECT_EQ(AddSorted(list, "alpha"), 0);
  EXPECT_EQ(AddSorted(list, "Charlie"), 2);
  // Punctuation sorts before letters in the collation, unlike in byte order.
  EXPECT_EQ(AddSorted(list, "_under"), 0);
  // Equal texts keep the order they were added in.
  EXPECT_EQ(AddSorted(list, "ALPHA"), 2);
  EXPECT_EQ(AddSorted(list, "zulu"), 6);
  EXPECT_EQ(Texts(list),
            (std::vector<std::string>{"_under", "alpha", "ALPHA", "Bravo", "Charlie", "delta", "zulu"}));
}

TEST(ItemListTest, InsertAndEraseKeepTheSelectionOnItsItem) {
  ItemList list;
  for (const char* t : {"a", "b", "c", "d"}) list.Insert(-1, ListItem{t});
  EXPECT_EQ(list.Insert(5, ListItem{"x"}), -1);
  ASSERT_TRUE(list.SetCurSel(2));
  list.Insert(0, ListItem{"first"});
  EXPECT_EQ(list.cur_sel(), 3);
  EXPECT_EQ(list.at(3).text, "c");
  list.Erase(1);
  EXPECT_EQ(list.cur_sel(), 2);
  EXPECT_EQ(list.at(2).text, "c");
  // Erasing the selected item leaves none selected.
  list.Erase(2);
  EXPECT_EQ(list.cur_sel(), -1);
  EXPECT_FALSE(list.Erase(7));
}

TEST(ItemListTest, FindWrapsAfterTheStartItemAndIgnoresCase) {
  ItemList list;
  for (const char* t : {"Apple", "banana", "apricot", "Band"}) list.Insert(-1, ListItem{t});
  auto prefix = [](std::string_view p) {
    return [p](const ListItem& i) { return ItemList::StartsWith(i.text, p); };
  };
  EXPECT_EQ(list.Find(-1, prefix("ap")), 0);
  EXPECT_EQ(list.Find(0, prefix("ap")), 2);
  EXPECT_EQ(list.Find(2, prefix("ap")), 0);  // round past the end
  EXPECT_EQ(list.Find(-1, prefix("BAN")), 1);
  EXPECT_EQ(list.Find(-1, prefix("cherry")), -1);
  EXPECT_EQ(list.Find(-1, prefix("bananas")), -1);
  auto exact = [](std::string_view t) { return [t](const ListItem& i) { return ItemList::Equals(i.text, t); }; };
  EXPECT_EQ(list.Find(-1, exact("band")), 3);
  EXPECT_EQ(list.Find(-1, exact("ban")), -1);
  // With only the start item matching, the search comes back round to it.
  EXPECT_EQ(list.Find(3, exact("band")), 3);
}

TEST(ItemListTest, MultipleSelectionQueries) {
  ItemList list(ItemList::Mode::kMultiple);
  for (int i = 0; i < 6; ++i) list.Insert(-1, ListItem{std::to_string(i)});
  EXPECT_TRUE(list.SetSelected(1, true));
  EXPECT_FALSE(list.SetSelected(1, true));
  EXPECT_TRUE(list.SetRange(4, 3, true));
  EXPECT_EQ(list.SelectedCount(), 3);
  EXPECT_EQ(list.SelectedItems(), (std::vector<int>{1, 3, 4}));
  EXPECT_TRUE(list.IsSelected(3));
  EXPECT_FALSE(list.IsSelected(2));
  // -1 names every item.
  EXPECT_TRUE(list.SetSelected(-1, true));
  EXPECT_EQ(list.SelectedCount(), 6);
  list.Erase(0);
  EXPECT_EQ(list.SelectedCount(), 5);
  EXPECT_TRUE(list.SetSelected(-1, false));
  EXPECT_TRUE(list.SelectedItems().empty());
}

TEST(ItemListTest, ClicksInEachSelectionMode) {
  ItemList multiple(ItemList::Mode::kMultiple);
  ItemList extended(ItemList::Mode::kExtended);
  for (int i = 0; i < 6; ++i) {
    multiple.Insert(-1, ListItem{std::to_string(i)});
    extended.Insert(-1, ListItem{std::to_string(i)});
  }
  // A multiple-selection list toggles the clicked item and keeps the others.
  multiple.Click(1, false, false);
  multiple.Click(3, false, false);
  EXPECT_EQ(multiple.SelectedItems(), (std::vector<int>{1, 3}));
  multiple.Click(1, false, false);
  EXPECT_EQ(multiple.SelectedItems(), (std::vector<int>{3}));
  // Arrows move only its caret; the space bar toggles the caret item.
  EXPECT_FALSE(multiple.MoveTo(5, false, false));
  EXPECT_EQ(multiple.caret(), 5);
  EXPECT_TRUE(multiple.ToggleCaret(false, false));
  EXPECT_EQ(multiple.SelectedItems(), (std::vector<int>{3, 5}));

  // An extended list: a plain click selects one item, Shift a span from the anchor,
  // Ctrl toggles one item and keeps the rest.
  extended.Click(1, false, false);
  extended.Click(3, true, false);
  EXPECT_EQ(extended.SelectedItems(), (std::vector<int>{1, 2, 3}));
  extended.Click(5, false, true);
  EXPECT_EQ(extended.SelectedItems(), (std::vector<int>{1, 2, 3, 5}));
  extended.Click(0, false, false);
  EXPECT_EQ(extended.SelectedItems(), (std::vector<int>{0}));
  // Shift with arrows extends from the anchor.
  extended.MoveTo(2, true, false);
  EXPECT_EQ(extended.SelectedItems(), (std::vector<int>{0, 1, 2}));
  extended.MoveTo(4, false, false);
  EXPECT_EQ(extended.SelectedItems(), (std::vector<int>{4}));
}

TEST(ItemListTest, TopIndexStaysWithinTheScrollRange) {
  ItemList list;
  for (int i = 0; i < 10; ++i) list.Insert(-1, ListItem{std::to_string(i)});
  list.set_top(8, 4);
  EXPECT_EQ(list.top(), 6);
  list.set_top(2, 4);
  EXPECT_EQ(list.top(), 2);
  list.EnsureVisible(9, 4);
  EXPECT_EQ(list.top(), 6);
  list.EnsureVisible(1, 4);
  EXPECT_EQ(list.top(), 1);
  list.Clear();
  EXPECT_EQ(list.top(), 0);
  EXPECT_EQ(list.cur_sel(), -1);
}

}  // namespace
}  // namespace qvp::ui
