// The "ListBox" control: items, selection and scrolling set from code. None of
// these messages notifies the parent; only what a user does with the mouse and
// the keyboard (listbox_input.cpp) sends LBN_SELCHANGE and LBN_DBLCLK.
#include "ui/controls/listbox.h"

#include <algorithm>

#include "ui/controls/control_classes.h"
#include "ui/controls/control_common.h"
#include "ui/controls/list_dir.h"

namespace qvp::ui {
namespace {

WindowSlot<ListBoxState>& States() { return SlotOf<ListBoxState>(); }

constexpr UINT kMaxItemHeight = 255;

ItemList::Mode ModeOf(DWORD style) {
  if (style & LBS_NOSEL) return ItemList::Mode::kNone;
  if (style & LBS_EXTENDEDSEL) return ItemList::Mode::kExtended;
  if (style & LBS_MULTIPLESEL) return ItemList::Mode::kMultiple;
  return ItemList::Mode::kSingle;
}

bool OwnerDrawn(DWORD style) { return (style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) != 0; }

// The window height that shows a whole number of items (LBS_NOINTEGRALHEIGHT aside).
int IntegralHeight(HWND hwnd, const ListBoxState& s, int cy) {
  if (StyleOf(hwnd) & (LBS_NOINTEGRALHEIGHT | LBS_OWNERDRAWVARIABLE)) return cy;
  RECT w{}, c{};
  GetWindowRect(hwnd, &w);
  GetClientRect(hwnd, &c);
  const int frame = (w.bottom - w.top) - (c.bottom - c.top);
  const int ih = static_cast<int>(std::max<UINT>(1, s.item_height));
  const int client = cy - frame;
  return client > ih ? frame + client / ih * ih : cy;
}

void FitHeight(HWND hwnd, const ListBoxState& s, WINDOWPOS* pos) {
  if (pos && !(pos->flags & SWP_NOSIZE)) pos->cy = IntegralHeight(hwnd, s, pos->cy);
}

void Resize(HWND hwnd, const ListBoxState& s) {
  RECT w{};
  GetWindowRect(hwnd, &w);
  const int cy = IntegralHeight(hwnd, s, w.bottom - w.top);
  if (cy != w.bottom - w.top)
    SetWindowPos(hwnd, nullptr, 0, 0, w.right - w.left, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void OnCreate(HWND hwnd, ListBoxState& s) {
  const DWORD style = StyleOf(hwnd);
  s.vscroll = (style & WS_VSCROLL) != 0;
  s.metrics = MetricsOfFont(nullptr);
  s.item_height = static_cast<UINT>(s.metrics.height);
  if (style & LBS_OWNERDRAWFIXED) {
    RECT r = ClientRectOf(hwnd);
    ListOwner owner = OwnerOf(hwnd, s);
    s.item_height = MeasureListItem(owner, 0, 0, s.item_height, static_cast<UINT>(r.right - r.left));
  }
  Resize(hwnd, s);
  Refresh(hwnd, s);
}

void OnSetFont(HWND hwnd, ListBoxState& s, WPARAM wp, LPARAM lp) {
  s.font = reinterpret_cast<HFONT>(wp);
  s.metrics = MetricsOfFont(s.font);
  // An owner-drawn list keeps the height its owner measured.
  if (!OwnerDrawn(StyleOf(hwnd))) {
    s.item_height = static_cast<UINT>(s.metrics.height);
    Resize(hwnd, s);
  }
  Refresh(hwnd, s);
  if (LOWORD(lp)) InvalidateRect(hwnd, nullptr, TRUE);
}

LRESULT Add(HWND hwnd, ListBoxState& s, WPARAM wp, LPARAM lp, bool sorted_add) {
  int index = sorted_add ? -1 : static_cast<int>(static_cast<DWORD>(wp));
  if (!sorted_add && index > s.items.count()) return LB_ERR;
  int at = AddListItem(s.items, OwnerOf(hwnd, s), lp, index, sorted_add);
  if (at < 0) return LB_ERR;
  Refresh(hwnd, s);
  return at;
}

LRESULT SetCurSel(HWND hwnd, ListBoxState& s, WPARAM wp) {
  if (s.items.multi()) return LB_ERR;
  const int index = static_cast<int>(static_cast<DWORD>(wp));
  if (index != -1 && !s.items.valid(index)) return LB_ERR;
  if (s.items.SetCurSel(index) || index >= 0) {
    s.items.EnsureVisible(index, VisibleItems(hwnd, s));
    Refresh(hwnd, s);
  }
  return index < 0 ? LB_ERR : index;
}

LRESULT SelectString(HWND hwnd, ListBoxState& s, WPARAM wp, LPARAM lp) {
  int found = FindListItem(s.items, OwnerOf(hwnd, s), wp, lp, false);
  if (found < 0) return LB_ERR;
  if (s.items.multi()) {
    s.items.SetSelected(found, true);
    s.items.set_caret(found);
  } else {
    s.items.SetCurSel(found);
  }
  s.items.EnsureVisible(found, VisibleItems(hwnd, s));
  Refresh(hwnd, s);
  return found;
}

LRESULT SetSel(HWND hwnd, ListBoxState& s, WPARAM on, LPARAM lp) {
  if (!s.items.multi()) return LB_ERR;
  const int index = static_cast<int>(lp);
  if (index != -1 && !s.items.valid(index)) return LB_ERR;
  s.items.SetSelected(index, on != 0);
  Refresh(hwnd, s);
  return LB_OKAY;
}

LRESULT GetSelItems(const ListBoxState& s, WPARAM max, LPARAM lp) {
  if (!s.items.multi()) return LB_ERR;
  auto* out = reinterpret_cast<int*>(lp);
  std::vector<int> sel = s.items.SelectedItems();
  size_t n = std::min(sel.size(), static_cast<size_t>(max));
  for (size_t i = 0; i < n && out; ++i) out[i] = sel[i];
  return static_cast<LRESULT>(n);
}

LRESULT SetItemHeight(HWND hwnd, ListBoxState& s, WPARAM wp, LPARAM lp) {
  const UINT height = LOWORD(lp);
  if (height == 0 || height > kMaxItemHeight) return LB_ERR;
  if (StyleOf(hwnd) & LBS_OWNERDRAWVARIABLE) {
    const int index = static_cast<int>(static_cast<DWORD>(wp));
    if (!s.items.valid(index)) return LB_ERR;
    s.items.at(index).height = height;
  } else {
    s.item_height = height;
    Resize(hwnd, s);
  }
  Refresh(hwnd, s);
  return LB_OKAY;
}

LRESULT GetItemHeight(HWND hwnd, const ListBoxState& s, WPARAM wp) {
  if (StyleOf(hwnd) & LBS_OWNERDRAWVARIABLE) {
    const int index = static_cast<int>(static_cast<DWORD>(wp));
    if (!s.items.valid(index)) return LB_ERR;
    return s.items.at(index).height;
  }
  return s.item_height;
}

}  // namespace

ListOwner OwnerOf(HWND hwnd, const ListBoxState& s) {
  const DWORD style = StyleOf(hwnd);
  ListOwner o;
  o.control = hwnd;
  o.ctl_type = ODT_LISTBOX;
  o.has_strings = !OwnerDrawn(style) || (style & LBS_HASSTRINGS);
  o.sorted = (style & LBS_SORT) != 0;
  o.variable = (style & LBS_OWNERDRAWVARIABLE) != 0;
  o.default_height = static_cast<UINT>(std::max(1, s.metrics.height));
  return o;
}

UINT ItemHeightOf(const ListBoxState& s, int index) {
  if (s.items.valid(index) && s.items.at(index).height) return s.items.at(index).height;
  return std::max<UINT>(1, s.item_height);
}

int VisibleItems(HWND hwnd, const ListBoxState& s) {
  const RECT r = ClientRectOf(hwnd);
  const int height = r.bottom - r.top;
  int n = 0, y = 0;
  for (int i = s.items.top(); i < s.items.count(); ++i) {
    y += static_cast<int>(ItemHeightOf(s, i));
    if (y > height) break;
    ++n;
  }
  if (s.items.count() == 0 || n == 0) n = std::max(1, height / static_cast<int>(ItemHeightOf(s, -1)));
  return std::max(1, n);
}

RECT ItemRect(HWND hwnd, const ListBoxState& s, int index) {
  const RECT c = ClientRectOf(hwnd);
  int y = 0;
  if (index >= s.items.top()) {
    for (int i = s.items.top(); i < index; ++i) y += static_cast<int>(ItemHeightOf(s, i));
  } else {
    for (int i = index; i < s.items.top(); ++i) y -= static_cast<int>(ItemHeightOf(s, i));
  }
  return RECT{c.left, y, c.right, y + static_cast<int>(ItemHeightOf(s, index))};
}

int ItemAtPoint(HWND hwnd, const ListBoxState& s, POINT p, bool* outside) {
  const RECT c = ClientRectOf(hwnd);
  *outside = !Inside(c, p);
  if (s.items.count() == 0) {
    *outside = true;
    return 0;
  }
  int y = 0;
  int i = s.items.top();
  if (p.y < 0) return std::max(0, i - 1);
  for (; i < s.items.count(); ++i) {
    y += static_cast<int>(ItemHeightOf(s, i));
    if (p.y < y) return i;
  }
  *outside = true;
  return s.items.count() - 1;
}

void Refresh(HWND hwnd, ListBoxState& s) {
  const int visible = VisibleItems(hwnd, s);
  s.items.set_top(s.items.top(), visible);
  const DWORD style = StyleOf(hwnd);
  if (s.vscroll) {
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | ((style & LBS_DISABLENOSCROLL) ? SIF_DISABLENOSCROLL : 0);
    si.nMin = 0;
    si.nMax = std::max(0, s.items.count() - 1);
    si.nPage = static_cast<UINT>(visible);
    si.nPos = s.items.top();
    SetScrollInfo(hwnd, SB_VERT, &si, !s.no_redraw);
  }
  if (!s.no_redraw) InvalidateRect(hwnd, nullptr, TRUE);
}

void NotifySelection(HWND hwnd, int code) {
  if (StyleOf(hwnd) & LBS_NOTIFY) NotifyParent(hwnd, code);
}

namespace {

LRESULT ListBoxProc(ListBoxState& s, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  const auto index = static_cast<int>(static_cast<DWORD>(wp));

  switch (msg) {
    case WM_CREATE:
      OnCreate(hwnd, s);
      return 0;
    case WM_DESTROY:
      ClearListItems(s.items, OwnerOf(hwnd, s));
      return 0;
    case WM_WINDOWPOSCHANGING:
      FitHeight(hwnd, s, reinterpret_cast<WINDOWPOS*>(lp));
      return DefWindowProcA(hwnd, msg, wp, lp);
    case WM_SIZE:
      Refresh(hwnd, s);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFONT:
      OnSetFont(hwnd, s, wp, lp);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(s.font);
    case WM_SETREDRAW:
      s.no_redraw = wp == 0;
      if (wp) Refresh(hwnd, s);
      return 0;
    case WM_ENABLE:
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_SETFOCUS:
      s.focused = true;
      InvalidateRect(hwnd, nullptr, FALSE);
      NotifyParent(hwnd, LBN_SETFOCUS);  // with or without LBS_NOTIFY
      return 0;
    case WM_KILLFOCUS:
      s.focused = false;
      InvalidateRect(hwnd, nullptr, FALSE);
      NotifyParent(hwnd, LBN_KILLFOCUS);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      ListBoxMouse(hwnd, s, msg, lp);
      return 0;
    case WM_KEYDOWN:
      ListBoxKey(hwnd, s, wp);
      return 0;
    case WM_CHAR:
      ListBoxChar(hwnd, s, wp);
      return 0;
    case WM_VSCROLL:
      ListBoxScroll(hwnd, s, wp);
      return 0;
    case WM_MOUSEWHEEL: {
      const int steps = static_cast<SHORT>(HIWORD(wp)) / 120;
      s.items.set_top(s.items.top() - 3 * steps, VisibleItems(hwnd, s));
      Refresh(hwnd, s);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT:
      return PaintClient(hwnd, msg, wp, [&](HDC hdc) { PaintListBox(hwnd, s, hdc); });

    case LB_ADDSTRING:
      return Add(hwnd, s, wp, lp, true);
    case LB_INSERTSTRING:
      return Add(hwnd, s, wp, lp, false);
    case LB_DELETESTRING:
      if (!DeleteListItem(s.items, OwnerOf(hwnd, s), index)) return LB_ERR;
      Refresh(hwnd, s);
      return s.items.count();
    case LB_RESETCONTENT:
      ClearListItems(s.items, OwnerOf(hwnd, s));
      Refresh(hwnd, s);
      return LB_OKAY;
    case LB_GETCOUNT:
      return s.items.count();
    case LB_GETTEXT:
      return GetListText(s.items, OwnerOf(hwnd, s), index, lp);
    case LB_GETTEXTLEN:
      return GetListTextLength(s.items, OwnerOf(hwnd, s), index);
    case LB_FINDSTRING:
    case LB_FINDSTRINGEXACT: {
      int found = FindListItem(s.items, OwnerOf(hwnd, s), wp, lp, msg == LB_FINDSTRINGEXACT);
      return found < 0 ? LB_ERR : found;
    }
    case LB_SELECTSTRING:
      return SelectString(hwnd, s, wp, lp);
    case LB_SETCURSEL:
      return SetCurSel(hwnd, s, wp);
    case LB_GETCURSEL:
      return s.items.cur_sel();
    case LB_SETSEL:
      return SetSel(hwnd, s, wp, lp);
    case LB_GETSEL:
      if (!s.items.valid(index)) return LB_ERR;
      return s.items.IsSelected(index) ? 1 : 0;
    case LB_GETSELCOUNT:
      return s.items.multi() ? s.items.SelectedCount() : LB_ERR;
    case LB_GETSELITEMS:
      return GetSelItems(s, wp, lp);
    case LB_SELITEMRANGE:
      if (!s.items.multi()) return LB_ERR;
      s.items.SetRange(LOWORD(lp), HIWORD(lp), wp != 0);
      Refresh(hwnd, s);
      return LB_OKAY;
    case LB_SELITEMRANGEEX: {
      if (!s.items.multi()) return LB_ERR;
      const int last = static_cast<int>(lp);
      // A range given backwards is deselected.
      s.items.SetRange(index, last, index <= last);
      Refresh(hwnd, s);
      return LB_OKAY;
    }
    case LB_GETITEMDATA:
      return s.items.valid(index) ? static_cast<LRESULT>(s.items.at(index).data) : LB_ERR;
    case LB_SETITEMDATA:
      if (!s.items.valid(index)) return LB_ERR;
      s.items.at(index).data = static_cast<ULONG_PTR>(lp);
      return TRUE;
    case LB_SETTOPINDEX:
      if (!s.items.valid(index) && !(index == 0 && s.items.count() == 0)) return LB_ERR;
      s.items.set_top(index, VisibleItems(hwnd, s));
      Refresh(hwnd, s);
      return LB_OKAY;
    case LB_GETTOPINDEX:
      return s.items.top();
    case LB_SETITEMHEIGHT:
      return SetItemHeight(hwnd, s, wp, lp);
    case LB_GETITEMHEIGHT:
      return GetItemHeight(hwnd, s, wp);
    case LB_GETITEMRECT:
      if (!s.items.valid(index) && !(index == 0 && s.items.count() == 0)) return LB_ERR;
      if (auto* r = reinterpret_cast<RECT*>(lp)) *r = ItemRect(hwnd, s, index);
      return 1;
    case LB_ITEMFROMPOINT: {
      bool outside = false;
      int at = ItemAtPoint(hwnd, s, PointOf(lp), &outside);
      return MAKELRESULT(static_cast<WORD>(at), outside ? 1 : 0);
    }
    case LB_SETCARETINDEX:
      if (!s.items.valid(index)) return LB_ERR;
      s.items.set_caret(index);
      s.items.EnsureVisible(index, VisibleItems(hwnd, s));
      Refresh(hwnd, s);
      return LB_OKAY;
    case LB_GETCARETINDEX:
      return s.items.caret() >= 0 ? s.items.caret() : 0;
    case LB_SETANCHORINDEX:
      if (!s.items.valid(index)) return LB_ERR;
      s.items.set_anchor(index);
      return LB_OKAY;
    case LB_GETANCHORINDEX:
      return s.items.anchor() >= 0 ? s.items.anchor() : 0;
    case LB_SETTABSTOPS: {
      auto* stops = reinterpret_cast<const int*>(lp);
      s.tab_stops.assign(stops, stops ? stops + wp : stops);
      return (StyleOf(hwnd) & LBS_USETABSTOPS) ? TRUE : FALSE;
    }
    case LB_SETHORIZONTALEXTENT:
      s.horizontal_extent = static_cast<int>(wp);
      return 0;
    case LB_GETHORIZONTALEXTENT:
      return s.horizontal_extent;
    case LB_SETCOLUMNWIDTH:
      s.column_width = static_cast<int>(wp);
      return 0;
    case LB_DIR:
      return AddDirectoryEntries(hwnd, LB_ADDSTRING, static_cast<UINT>(wp), reinterpret_cast<LPCSTR>(lp));
    case LB_INITSTORAGE:
      return s.items.count() + static_cast<LRESULT>(wp);
    default:
      return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

}  // namespace

LRESULT CALLBACK ListBoxWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto make = [](HWND, LPARAM c) { return std::make_shared<ListBoxState>(ModeOf(CreateStyle(c))); };
  return RunControlProc(States(), hwnd, msg, wp, lp, make, ListBoxProc);
}

}  // namespace qvp::ui
