// The items of a list box (and of a combo box's list): texts, item data,
// heights, the selection in each selection mode, the caret, the anchor of an
// extended selection and the top visible item. Every change made here is
// silent; the window procedures decide which ones a user caused and notify.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "qvplatform/types.h"

namespace qvp::ui {

struct ListItem {
  std::string text;
  ULONG_PTR data = 0;
  bool selected = false;  // multiple- and extended-selection lists
  UINT height = 0;        // variable-height owner-drawn lists
};

class ItemList {
 public:
  enum class Mode { kSingle, kMultiple, kExtended, kNone };

  explicit ItemList(Mode mode = Mode::kSingle) : mode_(mode) {}

  Mode mode() const { return mode_; }
  bool multi() const { return mode_ == Mode::kMultiple || mode_ == Mode::kExtended; }
  int count() const { return static_cast<int>(items_.size()); }
  bool valid(int index) const { return index >= 0 && index < count(); }
  const ListItem& at(int index) const { return items_[static_cast<size_t>(index)]; }
  ListItem& at(int index) { return items_[static_cast<size_t>(index)]; }

  // ---- Contents ----
  // Where a new item goes in a sorted list: after every item that does not sort
  // after it, so equal items keep the order they were added in. `compare(i)`
  // compares the new item with item i (negative: the new one sorts first).
  int SortedPosition(const std::function<int(int)>& compare) const;
  // Inserts at `index` (-1: at the end); -1 when the index is past the end.
  int Insert(int index, ListItem item);
  // Removes one item, keeping the selection, caret, anchor and top on the items they named.
  bool Erase(int index);
  void Clear();

  // ---- Finding ----
  // Searches from the item after `after` (-1: from the first item) through the end
  // and round to `after` itself; -1 when nothing matches.
  int Find(int after, const std::function<bool(const ListItem&)>& match) const;
  // Windows' string searches: a prefix, and a whole text, both without regard to case.
  static bool StartsWith(const std::string& text, std::string_view prefix);
  static bool Equals(const std::string& text, std::string_view other);

  // ---- Selection ----
  // The selected item of a single-selection list, -1 for none. A list with several
  // selections answers its caret, as LB_GETCURSEL does.
  int cur_sel() const;
  // Single selection: selects one item (-1: none). False when nothing changed.
  bool SetCurSel(int index);
  bool IsSelected(int index) const;
  // Several selections: sets one item (-1: every item). False when nothing changed.
  bool SetSelected(int index, bool on);
  // Sets items first..last (either order), clipped to the list.
  bool SetRange(int first, int last, bool on);
  int SelectedCount() const;
  std::vector<int> SelectedItems() const;

  int caret() const { return caret_; }
  void set_caret(int index) { caret_ = valid(index) ? index : caret_; }
  int anchor() const { return anchor_; }
  void set_anchor(int index) { anchor_ = valid(index) ? index : anchor_; }

  // ---- What a user's click and keys do to the selection. Each returns whether the selection changed.
  bool Click(int index, bool shift, bool ctrl);
  // Arrow, page, home and end keys bring the caret to `index`.
  bool MoveTo(int index, bool shift, bool ctrl);
  // The space bar on the caret item.
  bool ToggleCaret(bool shift, bool ctrl);

  // ---- Scrolling ----
  int top() const { return top_; }
  // Clamped so that the list does not scroll past its end when `visible` items fit.
  void set_top(int index, int visible);
  // Scrolls the least needed to show `index` when `visible` items fit.
  void EnsureVisible(int index, int visible);

 private:
  bool SelectOnly(int index);
  bool SelectSpan(int from, int to, bool on, bool exclusive);

  Mode mode_;
  std::vector<ListItem> items_;
  int cur_sel_ = -1;
  int caret_ = -1;
  int anchor_ = -1;
  int top_ = 0;
};

}  // namespace qvp::ui
