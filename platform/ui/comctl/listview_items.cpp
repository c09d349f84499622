// List view items: inserting, changing, reading, deleting, finding and sorting
// them, with the notifications Windows sends for each.
#include <algorithm>

#include "ui/comctl/listview.h"

namespace qvp::ui::comctl {
namespace {

constexpr UINT kSelFocus = LVIS_SELECTED | LVIS_FOCUSED;

bool Sorted(const ListViewState& s) { return (s.Style() & (LVS_SORTASCENDING | LVS_SORTDESCENDING)) != 0; }

// Sends LVN_ITEMCHANGING, applies the change unless refused, then sends
// LVN_ITEMCHANGED. `next` holds the item as it should become.
bool ChangeFields(ListViewState& s, int i, const LvItem& next, UINT changed) {
  if (!changed) return true;
  NMLISTVIEW nm{};
  nm.iItem = i;
  nm.uChanged = changed;
  nm.uOldState = s.items[static_cast<size_t>(i)].state;
  nm.uNewState = next.state;
  nm.lParam = s.items[static_cast<size_t>(i)].param;
  const unsigned generation = s.generation;
  if (s.Notify(LVN_ITEMCHANGING, &nm.hdr)) return false;
  // The parent may have inserted or deleted items while it was asked.
  if (s.generation != generation || !s.valid(i)) return false;
  LvItem& item = s.items[static_cast<size_t>(i)];
  const UINT old_state = item.state;
  if (changed & LVIF_TEXT) {
    item.text = next.text;
    item.text_callback = next.text_callback;
  }
  if (changed & LVIF_IMAGE) item.image = next.image;
  if (changed & LVIF_PARAM) item.param = next.param;
  if (changed & LVIF_INDENT) item.indent = next.indent;
  if (changed & LVIF_STATE) item.state = next.state;
  nm = NMLISTVIEW{};
  nm.iItem = i;
  nm.uChanged = changed;
  nm.uOldState = old_state;
  nm.uNewState = item.state;
  nm.lParam = item.param;
  RepaintItem(s, i);
  s.Notify(LVN_ITEMCHANGED, &nm.hdr);
  return true;
}

// One item's state bits changed, with notifications, and nothing else.
bool ChangeState(ListViewState& s, int i, UINT state, UINT mask) {
  if (!s.valid(i)) return false;
  LvItem next = s.items[static_cast<size_t>(i)];
  const UINT old = next.state;
  next.state = (old & ~mask) | (state & mask);
  return ChangeFields(s, i, next, next.state != old ? LVIF_STATE : 0);
}

// Before item `i` takes `gained` (focus, or selection in a single-selection
// list): the other items give it up.
void ReleaseOthers(ListViewState& s, int i, UINT gained) {
  for (int j = 0; j < s.count(); ++j) {
    if (j == i) continue;
    UINT drop = 0;
    if ((gained & LVIS_FOCUSED) && (s.items[static_cast<size_t>(j)].state & LVIS_FOCUSED)) drop |= LVIS_FOCUSED;
    if ((gained & LVIS_SELECTED) && !s.multi() && (s.items[static_cast<size_t>(j)].state & LVIS_SELECTED))
      drop |= LVIS_SELECTED;
    if (drop) ChangeState(s, j, 0, drop);
  }
}

size_t SortedPosition(const ListViewState& s, const std::string& text) {
  const bool descending = (s.Style() & LVS_SORTDESCENDING) && !(s.Style() & LVS_SORTASCENDING);
  size_t p = 0;
  while (p < s.items.size()) {
    int c = CompareNoCase(s.items[p].text, text);
    if (descending ? c < 0 : c > 0) break;
    ++p;
  }
  return p;
}

bool ValidSub(const ListViewState& s, int sub) {
  if (sub == 0) return true;
  if (sub < 0) return false;
  if (sub < static_cast<int>(s.columns.size())) return true;
  return std::any_of(s.columns.begin(), s.columns.end(), [&](const LvColumn& c) { return c.sub == sub; });
}

// Asks the parent for an item's callback fields.
void AskDisplayInfo(ListViewState& s, int index, int sub, UINT mask, char* buffer, int size, LVITEMA* out) {
  NMLVDISPINFOA di{};
  di.item.mask = mask;
  di.item.iItem = index;
  di.item.iSubItem = sub;
  di.item.pszText = buffer;
  di.item.cchTextMax = size;
  di.item.lParam = s.items[static_cast<size_t>(index)].param;
  if (buffer && size > 0) buffer[0] = '\0';
  s.Notify(LVN_GETDISPINFOA, &di.hdr);
  *out = di.item;
}

// The merge the list's sort uses: stable, and it takes the right-hand item only
// when the callback answers a positive value, so callbacks that answer only 1
// or 0 sort correctly too.
void MergeSort(std::vector<size_t>& order, const std::vector<LPARAM>& params, PFNLVCOMPARE compare, LPARAM param) {
  std::vector<size_t> buffer(order.size());
  for (size_t width = 1; width < order.size(); width *= 2) {
    for (size_t lo = 0; lo < order.size(); lo += 2 * width) {
      const size_t mid = std::min(lo + width, order.size());
      const size_t hi = std::min(lo + 2 * width, order.size());
      size_t a = lo, b = mid, o = lo;
      while (a < mid && b < hi) {
        if (compare(params[order[a]], params[order[b]], param) > 0)
          buffer[o++] = order[b++];
        else
          buffer[o++] = order[a++];
      }
      while (a < mid) buffer[o++] = order[a++];
      while (b < hi) buffer[o++] = order[b++];
    }
    order.swap(buffer);
  }
}

}  // namespace

int FocusedItem(const ListViewState& s) {
  for (int i = 0; i < s.count(); ++i)
    if (s.items[static_cast<size_t>(i)].state & LVIS_FOCUSED) return i;
  return -1;
}

int SelectedCount(const ListViewState& s) {
  return static_cast<int>(
      std::count_if(s.items.begin(), s.items.end(), [](const LvItem& it) { return (it.state & LVIS_SELECTED) != 0; }));
}

LRESULT InsertItem(ListViewState& s, const LVITEMA* item) {
  if (!item || item->iSubItem != 0 || item->iItem < 0) return -1;
  LvItem it;
  if (item->mask & LVIF_TEXT) {
    if (item->pszText == LPSTR_TEXTCALLBACKA)
      it.text_callback = true;
    else
      it.text = TextIn(item->pszText);
  }
  if (item->mask & LVIF_IMAGE) it.image = item->iImage;
  if (item->mask & LVIF_PARAM) it.param = item->lParam;
  if (item->mask & LVIF_INDENT) it.indent = item->iIndent;
  UINT wanted = 0;
  if (item->mask & LVIF_STATE) {
    it.state = item->state & item->stateMask & ~kSelFocus;
    wanted = item->state & item->stateMask & kSelFocus;
  }
  size_t pos = Sorted(s) ? SortedPosition(s, it.text) : std::min<size_t>(static_cast<size_t>(item->iItem), s.items.size());
  s.items.insert(s.items.begin() + static_cast<std::ptrdiff_t>(pos), std::move(it));
  ++s.generation;
  const int index = static_cast<int>(pos);
  if (s.mark >= index) ++s.mark;
  ClampScroll(s);
  s.Repaint();

  NMLISTVIEW nm{};
  nm.iItem = index;
  nm.lParam = s.items[pos].param;
  s.Notify(LVN_INSERTITEM, &nm.hdr);
  // Selection and focus arrive as a change, with the effect on the other items.
  if (wanted && s.valid(index)) SetItemState(s, index, wanted, wanted);
  return index;
}

bool SetItemState(ListViewState& s, int index, UINT state, UINT mask) {
  LVITEMA it{};
  it.mask = LVIF_STATE;
  it.iItem = index;
  it.state = state;
  it.stateMask = mask;
  return SetItem(s, &it);
}

bool SetItem(ListViewState& s, const LVITEMA* item) {
  if (!item || !s.valid(item->iItem)) return false;
  const int i = item->iItem;
  if (item->iSubItem != 0) {
    // Subitems carry only text, and changing it notifies nobody.
    if (!ValidSub(s, item->iSubItem)) return false;
    if (item->mask & LVIF_TEXT) {
      LvItem& it = s.items[static_cast<size_t>(i)];
      const auto sub = static_cast<size_t>(item->iSubItem);
      if (it.subs.size() <= sub) it.subs.resize(sub + 1);
      it.subs[sub] = item->pszText == LPSTR_TEXTCALLBACKA ? std::string() : TextIn(item->pszText);
      RepaintItem(s, i);
    }
    return true;
  }
  const LvItem& cur = s.items[static_cast<size_t>(i)];
  LvItem next = cur;
  UINT changed = 0;
  if (item->mask & LVIF_TEXT) {
    next.text_callback = item->pszText == LPSTR_TEXTCALLBACKA;
    next.text = next.text_callback ? std::string() : TextIn(item->pszText);
    if (next.text != cur.text || next.text_callback != cur.text_callback) changed |= LVIF_TEXT;
  }
  if ((item->mask & LVIF_IMAGE) && item->iImage != cur.image) {
    next.image = item->iImage;
    changed |= LVIF_IMAGE;
  }
  if ((item->mask & LVIF_PARAM) && item->lParam != cur.param) {
    next.param = item->lParam;
    changed |= LVIF_PARAM;
  }
  if ((item->mask & LVIF_INDENT) && item->iIndent != cur.indent) {
    next.indent = item->iIndent;
    changed |= LVIF_INDENT;
  }
  if (item->mask & LVIF_STATE) {
    next.state = (cur.state & ~item->stateMask) | (item->state & item->stateMask);
    if (next.state != cur.state) changed |= LVIF_STATE;
  }
  if (!changed) return true;
  const UINT gained = (changed & LVIF_STATE) ? (next.state & ~cur.state & kSelFocus) : 0;
  if (gained) {
    const unsigned generation = s.generation;
    ReleaseOthers(s, i, gained);
    if (s.generation != generation || !s.valid(i)) return false;
  }
  return ChangeFields(s, i, next, changed);
}

void SelectOnly(ListViewState& s, int index) {
  const UINT drop = index >= 0 ? kSelFocus : LVIS_SELECTED;
  for (int j = 0; j < s.count(); ++j)
    if (j != index && (s.items[static_cast<size_t>(j)].state & drop)) ChangeState(s, j, 0, drop);
  if (s.valid(index)) {
    ChangeState(s, index, kSelFocus, kSelFocus);
    s.mark = index;
  }
}

void SelectRange(ListViewState& s, int index) {
  if (!s.valid(index)) return;
  if (!s.multi() || !s.valid(s.mark)) {
    SelectOnly(s, index);
    return;
  }
  const int lo = std::min(s.mark, index), hi = std::max(s.mark, index);
  for (int j = 0; j < s.count(); ++j) {
    if (j == index) continue;
    const UINT want = (j >= lo && j <= hi) ? LVIS_SELECTED : 0;
    ChangeState(s, j, want, LVIS_SELECTED | LVIS_FOCUSED);
  }
  ChangeState(s, index, kSelFocus, kSelFocus);
}

std::string DisplayText(ListViewState& s, int index, int sub) {
  if (!s.valid(index)) return {};
  const LvItem& it = s.items[static_cast<size_t>(index)];
  if (sub == 0) {
    if (!it.text_callback) return it.text;
    char buffer[260];
    LVITEMA got{};
    AskDisplayInfo(s, index, 0, LVIF_TEXT, buffer, sizeof(buffer), &got);
    if (!got.pszText || got.pszText == LPSTR_TEXTCALLBACKA) return {};
    return std::string(got.pszText);
  }
  return sub > 0 && static_cast<size_t>(sub) < it.subs.size() ? it.subs[static_cast<size_t>(sub)] : std::string();
}

int DisplayImage(ListViewState& s, int index) {
  if (!s.valid(index)) return I_IMAGENONE;
  const int image = s.items[static_cast<size_t>(index)].image;
  if (image != I_IMAGECALLBACK) return image;
  LVITEMA got{};
  AskDisplayInfo(s, index, 0, LVIF_IMAGE, nullptr, 0, &got);
  return got.iImage;
}

bool GetItem(ListViewState& s, LVITEMA* item) {
  if (!item || !s.valid(item->iItem) || !ValidSub(s, item->iSubItem)) return false;
  const int i = item->iItem;
  if (item->mask & LVIF_TEXT) CopyOut(DisplayText(s, i, item->iSubItem), item->pszText, item->cchTextMax);
  if (!s.valid(i)) return false;
  const LvItem& it = s.items[static_cast<size_t>(i)];
  if (item->mask & LVIF_IMAGE) item->iImage = item->iSubItem == 0 ? DisplayImage(s, i) : 0;
  if (item->mask & LVIF_PARAM) item->lParam = it.param;
  if (item->mask & LVIF_STATE) item->state = it.state & item->stateMask;
  if (item->mask & LVIF_INDENT) item->iIndent = it.indent;
  return true;
}

int GetItemText(ListViewState& s, int index, LVITEMA* item) {
  if (!item || !s.valid(index) || !ValidSub(s, item->iSubItem)) return 0;
  return CopyOut(DisplayText(s, index, item->iSubItem), item->pszText, item->cchTextMax);
}

bool DeleteItem(ListViewState& s, int index) {
  if (!s.valid(index)) return false;
  NMLISTVIEW nm{};
  nm.iItem = index;
  nm.lParam = s.items[static_cast<size_t>(index)].param;
  const unsigned generation = s.generation;
  s.Notify(LVN_DELETEITEM, &nm.hdr);
  if (s.generation != generation || !s.valid(index)) return false;
  s.items.erase(s.items.begin() + index);
  ++s.generation;
  FollowErase(s.mark, index);
  ClampScroll(s);
  s.Repaint();
  return true;
}

bool DeleteAllItems(ListViewState& s) {
  if (s.items.empty()) return true;
  NMLISTVIEW nm{};
  nm.iItem = -1;
  const unsigned generation = s.generation;
  const bool quiet = s.Notify(LVN_DELETEALLITEMS, &nm.hdr) != 0;
  if (!quiet) {
    // Each item is told about while it still exists, the last first.
    for (int i = s.count() - 1; i >= 0; --i) {
      if (s.generation != generation) break;
      if (!s.valid(i)) continue;
      nm = NMLISTVIEW{};
      nm.iItem = i;
      nm.lParam = s.items[static_cast<size_t>(i)].param;
      s.Notify(LVN_DELETEITEM, &nm.hdr);
    }
  }
  s.items.clear();
  ++s.generation;
  s.mark = -1;
  s.top = 0;
  s.list_scroll = 0;
  s.origin = POINT{0, 0};
  ClampScroll(s);
  s.Repaint();
  return true;
}

int NextItem(const ListViewState& s, int start, UINT flags) {
  const UINT need = flags & (LVNI_FOCUSED | LVNI_SELECTED | LVNI_CUT | LVNI_DROPHILITED);
  auto matches = [&](int i) { return (s.items[static_cast<size_t>(i)].state & need) == need; };
  const UINT direction = flags & (LVNI_ABOVE | LVNI_BELOW | LVNI_TOLEFT | LVNI_TORIGHT);
  if (direction) {
    if (!s.valid(start)) return -1;
    // The nearest matching item that way, in the same column or row.
    const RECT from = ItemRect(s, start, LVIR_BOUNDS);
    int best = -1;
    long best_distance = 0;
    for (int i = 0; i < s.count(); ++i) {
      if (i == start || !matches(i)) continue;
      const RECT r = ItemRect(s, i, LVIR_BOUNDS);
      long distance = -1;
      if ((direction & LVNI_ABOVE) && r.left == from.left && r.top < from.top) distance = from.top - r.top;
      if ((direction & LVNI_BELOW) && r.left == from.left && r.top > from.top) distance = r.top - from.top;
      if ((direction & LVNI_TOLEFT) && r.top == from.top && r.left < from.left) distance = from.left - r.left;
      if ((direction & LVNI_TORIGHT) && r.top == from.top && r.left > from.left) distance = r.left - from.left;
      if (distance >= 0 && (best < 0 || distance < best_distance)) {
        best = i;
        best_distance = distance;
      }
    }
    return best;
  }
  for (int i = start < 0 ? 0 : start + 1; i < s.count(); ++i)
    if (matches(i)) return i;
  return -1;
}

int FindItem(ListViewState& s, int start, const LVFINDINFOA* info) {
  if (!info || !(info->flags & (LVFI_PARAM | LVFI_STRING | LVFI_PARTIAL))) return -1;
  if ((info->flags & (LVFI_STRING | LVFI_PARTIAL)) && !(info->flags & LVFI_PARAM) && !info->psz) return -1;
  const int n = s.count();
  if (n == 0) return -1;
  const int first = start < 0 ? 0 : start + 1;
  const int steps = (info->flags & LVFI_WRAP) ? n : n - std::min(first, n);
  const std::string wanted = TextIn(info->psz);
  for (int k = 0; k < steps; ++k) {
    const int i = (first + k) % n;
    if (!s.valid(i)) break;
    if (info->flags & LVFI_PARAM) {
      if (s.items[static_cast<size_t>(i)].param == info->lParam) return i;
      continue;
    }
    const std::string text = DisplayText(s, i, 0);
    if ((info->flags & LVFI_PARTIAL) ? StartsWithNoCase(text, wanted) : CompareNoCase(text, wanted) == 0) return i;
  }
  return -1;
}

bool SortItems(ListViewState& s, PFNLVCOMPARE compare, LPARAM param) {
  if (!compare) return false;
  std::vector<LPARAM> params;
  params.reserve(s.items.size());
  for (const LvItem& it : s.items) params.push_back(it.param);
  std::vector<size_t> order(s.items.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  const unsigned generation = s.generation;
  MergeSort(order, params, compare, param);
  // A callback that added or removed items leaves nothing to reorder safely.
  if (s.generation != generation || order.size() != s.items.size()) return false;
  std::vector<LvItem> sorted;
  sorted.reserve(order.size());
  int mark = -1;
  for (size_t k = 0; k < order.size(); ++k) {
    if (static_cast<int>(order[k]) == s.mark) mark = static_cast<int>(k);
    sorted.push_back(std::move(s.items[order[k]]));
  }
  s.items.swap(sorted);
  s.mark = mark;
  s.Repaint();
  return true;
}

}  // namespace qvp::ui::comctl
