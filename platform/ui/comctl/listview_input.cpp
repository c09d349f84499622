// What a user's mouse and keyboard do to a list view. A press of the left
// button selects (Ctrl toggles, Shift extends in a multiple-selection list) and
// takes the focus; its release sends NM_CLICK. A double click sends NM_DBLCLK
// and LVN_ITEMACTIVATE; the right button selects the item under it, and its
// release sends NM_RCLICK and WM_CONTEXTMENU. Every key sends LVN_KEYDOWN
// first; the arrows, Home, End and the page keys move the focus and selection.
#include "ui/comctl/listview.h"

namespace qvp::ui::comctl {
namespace {

UINT KeyFlags() {
  return (AltDown() ? LVKF_ALT : 0) | (CtrlDown() ? LVKF_CONTROL : 0) | (ShiftDown() ? LVKF_SHIFT : 0);
}

LRESULT SendActivate(ListViewState& s, UINT code, int item, POINT p) {
  NMITEMACTIVATE nm{};
  nm.iItem = item;
  nm.iSubItem = 0;
  nm.ptAction = p;
  nm.uKeyFlags = KeyFlags();
  if (s.valid(item)) {
    nm.uNewState = nm.uOldState = s.items[static_cast<size_t>(item)].state;
    nm.lParam = s.items[static_cast<size_t>(item)].param;
  }
  return s.Notify(code, &nm.hdr);
}

int ItemAt(const ListViewState& s, POINT p) {
  LVHITTESTINFO hit{};
  hit.pt = p;
  return HitTest(s, &hit);
}

// The selection a press of a mouse button makes.
void PressSelect(ListViewState& s, int item, bool right) {
  if (item < 0) {
    if (!CtrlDown() && !ShiftDown()) SelectOnly(s, -1);
    return;
  }
  const UINT state = s.items[static_cast<size_t>(item)].state;
  if (right) {
    // The right button keeps a selection the item already belongs to.
    if (!(state & LVIS_SELECTED)) SelectOnly(s, item);
    else SetItemState(s, item, LVIS_FOCUSED, LVIS_FOCUSED);
    return;
  }
  if (s.multi() && CtrlDown()) {
    SetItemState(s, item, (state & LVIS_SELECTED) ? LVIS_FOCUSED : (LVIS_SELECTED | LVIS_FOCUSED),
                 LVIS_SELECTED | LVIS_FOCUSED);
    s.mark = item;
  } else if (s.multi() && ShiftDown()) {
    SelectRange(s, item);
  } else {
    SelectOnly(s, item);
  }
}

void ScreenPoint(HWND hwnd, POINT* p) { ClientToScreen(hwnd, p); }

}  // namespace

LRESULT OnMouse(ListViewState& s, UINT msg, WPARAM, LPARAM lp) {
  const POINT p = PointOf(lp);
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      if (GetFocus() != s.self) SetFocus(s.self);
      const int item = ItemAt(s, p);
      PressSelect(s, item, false);
      if (s.valid(item)) EnsureVisible(s, item, true);
      s.click_item = item;
      // The release that ends a double click is no further click.
      s.pressed = msg == WM_LBUTTONDOWN;
      if (s.pressed) SetCapture(s.self);
      if (msg == WM_LBUTTONDBLCLK) {
        SendActivate(s, NM_DBLCLK, item, p);
        if (s.valid(item)) SendActivate(s, LVN_ITEMACTIVATE, item, p);
      }
      return 0;
    }
    case WM_LBUTTONUP: {
      if (!s.pressed) return 0;
      s.pressed = false;
      if (GetCapture() == s.self) ReleaseCapture();
      SendActivate(s, NM_CLICK, s.click_item, p);
      return 0;
    }
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK: {
      if (GetFocus() != s.self) SetFocus(s.self);
      const int item = ItemAt(s, p);
      PressSelect(s, item, true);
      s.click_item = item;
      s.rpressed = true;
      if (msg == WM_RBUTTONDBLCLK) SendActivate(s, NM_RDBLCLK, item, p);
      return 0;
    }
    case WM_RBUTTONUP: {
      if (!s.rpressed) return 0;
      s.rpressed = false;
      SendActivate(s, NM_RCLICK, s.click_item, p);
      if (!IsWindow(s.self)) return 0;
      POINT screen = p;
      ScreenPoint(s.self, &screen);
      SendMessageA(s.self, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(s.self), MAKELPARAM(screen.x, screen.y));
      return 0;
    }
    default:
      return 0;
  }
}

LRESULT OnKeyDown(ListViewState& s, WPARAM vk, LPARAM) {
  NMLVKEYDOWN nm{};
  nm.wVKey = static_cast<WORD>(vk);
  nm.flags = 0;
  s.Notify(LVN_KEYDOWN, &nm.hdr);
  if (!IsWindow(s.self)) return 0;
  const int focus = FocusedItem(s);
  switch (vk) {
    case VK_UP: case VK_DOWN: case VK_LEFT: case VK_RIGHT:
    case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT: {
      if (s.view() == LVS_REPORT && (vk == VK_LEFT || vk == VK_RIGHT)) {
        Scroll(s, vk == VK_LEFT ? -AveCharWidth(s.Font()) : AveCharWidth(s.Font()), 0);
        return 0;
      }
      const int to = NavigationTarget(s, focus, static_cast<UINT>(vk));
      if (to < 0) return 0;
      if (CtrlDown() && s.multi()) {
        SetItemState(s, to, LVIS_FOCUSED, LVIS_FOCUSED);
      } else if (ShiftDown() && s.multi()) {
        if (!s.valid(s.mark)) s.mark = focus >= 0 ? focus : to;
        SelectRange(s, to);
      } else if (to != focus || !(s.items[static_cast<size_t>(to)].state & LVIS_SELECTED)) {
        SelectOnly(s, to);
      }
      EnsureVisible(s, to, false);
      return 0;
    }
    case VK_SPACE:
      if (!s.valid(focus)) return 0;
      if (CtrlDown() && s.multi()) {
        const bool on = (s.items[static_cast<size_t>(focus)].state & LVIS_SELECTED) != 0;
        SetItemState(s, focus, on ? 0 : LVIS_SELECTED, LVIS_SELECTED);
      } else {
        SetItemState(s, focus, LVIS_SELECTED, LVIS_SELECTED);
      }
      s.mark = focus;
      return 0;
    case VK_RETURN: {
      s.Notify(NM_RETURN);
      if (IsWindow(s.self) && s.valid(focus)) SendActivate(s, LVN_ITEMACTIVATE, focus, POINT{0, 0});
      return 0;
    }
    default:
      return 0;
  }
}

}  // namespace qvp::ui::comctl
