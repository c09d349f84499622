#include "ui/controls/item_list.h"

#include <algorithm>

#include "qvplatform/kernel.h"

namespace qvp::ui {
namespace {

// An index that follows its item when another item is removed at `gone`.
int AfterErase(int index, int gone, int new_count) {
  if (index < 0) return index;
  if (gone < index) return index - 1;
  if (gone == index) return index < new_count ? index : new_count - 1;
  return index;
}

}  // namespace

int ItemList::SortedPosition(const std::function<int(int)>& compare) const {
  int lo = 0, hi = count();
  while (lo < hi) {
    int mid = lo + (hi - lo) / 2;
    if (compare(mid) < 0)
      hi = mid;
    else
      lo = mid + 1;
  }
  return lo;
}

int ItemList::Insert(int index, ListItem item) {
  if (index < 0) index = count();
  if (index > count()) return -1;
  item.selected = false;
  items_.insert(items_.begin() + index, std::move(item));
  if (cur_sel_ >= index) ++cur_sel_;
  if (caret_ >= index) ++caret_;
  if (anchor_ >= index) ++anchor_;
  return index;
}

bool ItemList::Erase(int index) {
  if (!valid(index)) return false;
  items_.erase(items_.begin() + index);
  const int n = count();
  if (cur_sel_ == index)
    cur_sel_ = -1;
  else if (cur_sel_ > index)
    --cur_sel_;
  caret_ = AfterErase(caret_, index, n);
  anchor_ = AfterErase(anchor_, index, n);
  if (top_ > index || top_ >= n) top_ = std::max(0, top_ - 1);
  return true;
}

void ItemList::Clear() {
  items_.clear();
  cur_sel_ = caret_ = anchor_ = -1;
  top_ = 0;
}

int ItemList::Find(int after, const std::function<bool(const ListItem&)>& match) const {
  const int n = count();
  if (n == 0) return -1;
  int start = (after < 0 || after >= n) ? 0 : after + 1;
  for (int k = 0; k < n; ++k) {
    int i = (start + k) % n;
    if (match(items_[static_cast<size_t>(i)])) return i;
  }
  return -1;
}

bool ItemList::StartsWith(const std::string& text, std::string_view prefix) {
  if (prefix.size() > text.size()) return false;
  std::string head = text.substr(0, prefix.size());
  std::string want(prefix);
  return lstrcmpiA(head.c_str(), want.c_str()) == 0;
}

bool ItemList::Equals(const std::string& text, std::string_view other) {
  std::string want(other);
  return lstrcmpiA(text.c_str(), want.c_str()) == 0;
}

int ItemList::cur_sel() const {
  if (!multi()) return cur_sel_;
  return caret_ >= 0 ? caret_ : 0;
}

bool ItemList::SetCurSel(int index) {
  if (!valid(index)) index = -1;
  if (index >= 0) caret_ = index;
  if (cur_sel_ == index) return false;
  cur_sel_ = index;
  return true;
}

bool ItemList::IsSelected(int index) const {
  if (!valid(index)) return false;
  return multi() ? at(index).selected : cur_sel_ == index;
}

bool ItemList::SetSelected(int index, bool on) {
  if (index < 0) return SetRange(0, count() - 1, on);
  if (!valid(index)) return false;
  if (!multi()) {
    if (on) return SetCurSel(index);
    if (cur_sel_ != index) return false;
    cur_sel_ = -1;
    return true;
  }
  ListItem& it = at(index);
  if (it.selected == on) return false;
  it.selected = on;
  return true;
}

bool ItemList::SetRange(int first, int last, bool on) {
  if (first > last) std::swap(first, last);
  first = std::max(first, 0);
  last = std::min(last, count() - 1);
  bool changed = false;
  for (int i = first; i <= last; ++i) changed |= SetSelected(i, on);
  return changed;
}

int ItemList::SelectedCount() const {
  if (!multi()) return cur_sel_ >= 0 ? 1 : 0;
  return static_cast<int>(std::count_if(items_.begin(), items_.end(), [](const ListItem& i) { return i.selected; }));
}

std::vector<int> ItemList::SelectedItems() const {
  std::vector<int> out;
  for (int i = 0; i < count(); ++i)
    if (IsSelected(i)) out.push_back(i);
  return out;
}

bool ItemList::SelectOnly(int index) {
  bool changed = false;
  for (int i = 0; i < count(); ++i) changed |= SetSelected(i, i == index);
  return changed;
}

bool ItemList::SelectSpan(int from, int to, bool on, bool exclusive) {
  if (from > to) std::swap(from, to);
  bool changed = false;
  for (int i = 0; i < count(); ++i) {
    if (i >= from && i <= to)
      changed |= SetSelected(i, on);
    else if (exclusive)
      changed |= SetSelected(i, false);
  }
  return changed;
}

bool ItemList::Click(int index, bool shift, bool ctrl) {
  if (!valid(index) || mode_ == Mode::kNone) return false;
  switch (mode_) {
    case Mode::kSingle:
      return SetCurSel(index);
    case Mode::kMultiple: {
      caret_ = anchor_ = index;
      return SetSelected(index, !at(index).selected);
    }
    case Mode::kExtended: {
      bool changed;
      if (shift && valid(anchor_)) {
        // Shift: the span from the anchor takes the anchor's state; with Ctrl the rest stays.
        bool on = ctrl ? at(anchor_).selected : true;
        changed = SelectSpan(anchor_, index, on, !ctrl);
      } else if (ctrl) {
        anchor_ = index;
        changed = SetSelected(index, !at(index).selected);
      } else {
        anchor_ = index;
        changed = SelectOnly(index);
      }
      caret_ = index;
      return changed;
    }
    case Mode::kNone:
      break;
  }
  return false;
}

bool ItemList::MoveTo(int index, bool shift, bool ctrl) {
  if (count() == 0 || mode_ == Mode::kNone) return false;
  index = std::clamp(index, 0, count() - 1);
  switch (mode_) {
    case Mode::kSingle:
      return SetCurSel(index);
    case Mode::kMultiple:
      caret_ = index;  // the caret moves; the space bar selects
      return false;
    case Mode::kExtended: {
      bool changed = false;
      if (shift) {
        if (!valid(anchor_)) anchor_ = valid(caret_) ? caret_ : index;
        changed = SelectSpan(anchor_, index, true, !ctrl);
      } else if (!ctrl) {
        anchor_ = index;
        changed = SelectOnly(index);
      }
      caret_ = index;
      return changed;
    }
    case Mode::kNone:
      break;
  }
  return false;
}

bool ItemList::ToggleCaret(bool shift, bool ctrl) {
  int index = valid(caret_) ? caret_ : (count() > 0 ? 0 : -1);
  if (index < 0) return false;
  switch (mode_) {
    case Mode::kSingle:
      return SetCurSel(index);
    case Mode::kMultiple:
      caret_ = anchor_ = index;
      return SetSelected(index, !at(index).selected);
    case Mode::kExtended:
      return Click(index, shift, ctrl);
    case Mode::kNone:
      break;
  }
  return false;
}

void ItemList::set_top(int index, int visible) {
  int last_top = std::max(0, count() - std::max(visible, 1));
  top_ = std::clamp(index, 0, last_top);
}

void ItemList::EnsureVisible(int index, int visible) {
  if (!valid(index)) return;
  visible = std::max(visible, 1);
  if (index < top_)
    top_ = index;
  else if (index >= top_ + visible)
    top_ = index - visible + 1;
}

}  // namespace qvp::ui
