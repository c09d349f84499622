// The list view's scroll bars: they follow the content (rows of the report
// view, columns of the list view, pixels of the icon views) and a user moves
// the content with them or with the mouse wheel. LVS_NOSCROLL keeps them away.
#include <algorithm>

#include "ui/comctl/listview.h"

namespace qvp::ui::comctl {
namespace {

constexpr int kWheelDelta = 120;  // one notch of the wheel: three lines

void SetBar(HWND hwnd, int bar, int max, int page, int pos) {
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = 0;
  si.nMax = std::max(0, max);
  si.nPage = static_cast<UINT>(std::max(0, page));
  si.nPos = pos;
  SetScrollInfo(hwnd, bar, &si, TRUE);
}

void SetBars(ListViewState& s) {
  RECT client{};
  GetClientRect(s.self, &client);
  switch (s.view()) {
    case LVS_REPORT:
      SetBar(s.self, SB_VERT, s.count() - 1, std::max(1, CountPerPage(s)), s.top);
      SetBar(s.self, SB_HORZ, TotalColumnWidth(s) - 1, client.right, s.origin.x);
      break;
    case LVS_LIST: {
      const int per_column = RowsPerColumn(s);
      const int columns = (s.count() + per_column - 1) / per_column;
      SetBar(s.self, SB_VERT, 0, 1, 0);
      SetBar(s.self, SB_HORZ, columns - 1, std::max(1, static_cast<int>(client.right) / std::max(1, ListColumnWidth(s))),
             s.list_scroll);
      break;
    }
    default: {
      int bottom = 0, right = 0;
      for (int i = 0; i < s.count(); ++i) {
        const RECT r = ItemRect(s, i, LVIR_BOUNDS);
        bottom = std::max<int>(bottom, r.bottom + s.origin.y);
        right = std::max<int>(right, r.right + s.origin.x);
      }
      SetBar(s.self, SB_VERT, bottom - 1, client.bottom, s.origin.y);
      SetBar(s.self, SB_HORZ, right - 1, client.right, s.origin.x);
      break;
    }
  }
}

// The new position for a scroll request on a bar whose unit is `line` and whose page is `page`.
int Target(WPARAM wp, int pos, int line, int page, int max) {
  switch (LOWORD(wp)) {
    case SB_LINEUP: return pos - line;
    case SB_LINEDOWN: return pos + line;
    case SB_PAGEUP: return pos - std::max(line, page);
    case SB_PAGEDOWN: return pos + std::max(line, page);
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: return HIWORD(wp);
    case SB_TOP: return 0;
    case SB_BOTTOM: return max;
    default: return pos;
  }
}

}  // namespace

void UpdateScrollBars(ListViewState& s) {
  if ((s.Style() & LVS_NOSCROLL) || s.updating_bars) return;
  s.updating_bars = true;
  // Showing one bar narrows the client area, which may call for the other.
  for (int pass = 0; pass < 2; ++pass) SetBars(s);
  s.updating_bars = false;
}

LRESULT OnScroll(ListViewState& s, UINT msg, WPARAM wp) {
  if (LOWORD(wp) == SB_ENDSCROLL) return 0;
  RECT client{};
  GetClientRect(s.self, &client);
  const bool vertical = msg == WM_VSCROLL;
  switch (s.view()) {
    case LVS_REPORT:
      if (vertical)
        s.top = Target(wp, s.top, 1, CountPerPage(s), s.count());
      else
        s.origin.x = Target(wp, s.origin.x, AveCharWidth(s.Font()), client.right, TotalColumnWidth(s));
      break;
    case LVS_LIST:
      if (!vertical) {
        const int visible = std::max(1, static_cast<int>(client.right) / std::max(1, ListColumnWidth(s)));
        s.list_scroll = Target(wp, s.list_scroll, 1, visible, s.count());
      }
      break;
    default:
      if (vertical)
        s.origin.y = Target(wp, s.origin.y, RowHeight(s), client.bottom, 0x7FFF);
      else
        s.origin.x = Target(wp, s.origin.x, RowHeight(s), client.right, 0x7FFF);
      break;
  }
  ClampScroll(s);
  PlaceHeader(s);
  s.Repaint();
  return 0;
}

LRESULT OnWheel(ListViewState& s, WPARAM wp) {
  const int notches = static_cast<SHORT>(HIWORD(wp)) / kWheelDelta;
  const bool sideways = s.view() == LVS_LIST;
  for (int k = 0; k < std::abs(notches) * 3; ++k)
    OnScroll(s, sideways ? WM_HSCROLL : WM_VSCROLL, notches > 0 ? SB_LINEUP : SB_LINEDOWN);
  return 0;
}

}  // namespace qvp::ui::comctl
