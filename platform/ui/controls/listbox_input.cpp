// What a user does to a list box. A selection made with the mouse is told with
// LBN_SELCHANGE when the button is released; a double click on an item sends
// LBN_DBLCLK. Keys move the caret and, in a single- or extended-selection list,
// the selection with it; a list with several selections tells every arrow key,
// whether or not the selection changed, as Windows documents.
#include <algorithm>

#include "ui/controls/control_common.h"
#include "ui/controls/listbox.h"

namespace qvp::ui {
namespace {

void FinishPress(HWND hwnd, ListBoxState& s) {
  if (!s.tracking) return;
  s.tracking = false;
  if (GetCapture() == hwnd) ReleaseCapture();
  if (s.changed) {
    s.changed = false;
    NotifySelection(hwnd, LBN_SELCHANGE);
  }
}

void Press(HWND hwnd, ListBoxState& s, LPARAM lp) {
  if (!HasFocus(hwnd)) SetFocus(hwnd);
  bool outside = false;
  const int index = ItemAtPoint(hwnd, s, PointOf(lp), &outside);
  s.tracking = true;
  s.changed = false;
  SetCapture(hwnd);
  if (outside) return;
  s.changed = s.items.Click(index, ShiftDown(), CtrlDown());
  s.items.EnsureVisible(index, VisibleItems(hwnd, s));
  Refresh(hwnd, s);
}

void Drag(HWND hwnd, ListBoxState& s, LPARAM lp) {
  if (!s.tracking || s.items.count() == 0) return;
  bool outside = false;
  const int index = ItemAtPoint(hwnd, s, PointOf(lp), &outside);
  bool changed = false;
  switch (s.items.mode()) {
    case ItemList::Mode::kSingle:
      changed = s.items.SetCurSel(index);
      break;
    case ItemList::Mode::kExtended:
      changed = s.items.MoveTo(index, true, CtrlDown());
      break;
    default:
      break;
  }
  if (!changed) return;
  s.changed = true;
  s.items.EnsureVisible(index, VisibleItems(hwnd, s));
  Refresh(hwnd, s);
}

// WM_VKEYTOITEM / WM_CHARTOITEM: -2 handled by the owner, -1 ours to do,
// an item index: do it there.
int AskOwner(HWND hwnd, UINT msg, WPARAM key, int caret) {
  HWND parent = ParentOf(hwnd);
  if (!parent) return -1;
  return static_cast<int>(SendMessageA(parent, msg, MAKEWPARAM(key, static_cast<WORD>(caret)),
                                       reinterpret_cast<LPARAM>(hwnd)));
}

void MoveBy(HWND hwnd, ListBoxState& s, int target, bool arrow) {
  const bool changed = s.items.MoveTo(target, ShiftDown(), CtrlDown());
  s.items.EnsureVisible(s.items.caret(), VisibleItems(hwnd, s));
  Refresh(hwnd, s);
  if (changed || (arrow && s.items.multi())) NotifySelection(hwnd, LBN_SELCHANGE);
}

}  // namespace

void ListBoxMouse(HWND hwnd, ListBoxState& s, UINT msg, LPARAM lp) {
  switch (msg) {
    case WM_LBUTTONDOWN:
      Press(hwnd, s, lp);
      break;
    case WM_LBUTTONDBLCLK: {
      Press(hwnd, s, lp);
      bool outside = false;
      ItemAtPoint(hwnd, s, PointOf(lp), &outside);
      if (s.changed) {
        s.changed = false;
        NotifySelection(hwnd, LBN_SELCHANGE);
      }
      if (!outside) NotifySelection(hwnd, LBN_DBLCLK);
      break;
    }
    case WM_MOUSEMOVE:
      Drag(hwnd, s, lp);
      break;
    case WM_LBUTTONUP:
      FinishPress(hwnd, s);
      break;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lp) != hwnd) FinishPress(hwnd, s);
      break;
    default:
      break;
  }
}

void ListBoxKey(HWND hwnd, ListBoxState& s, WPARAM vk) {
  int caret = s.items.caret() >= 0 ? s.items.caret() : (s.items.multi() ? 0 : s.items.cur_sel());
  if (StyleOf(hwnd) & LBS_WANTKEYBOARDINPUT) {
    int answer = AskOwner(hwnd, WM_VKEYTOITEM, vk, caret);
    if (answer == -2) return;
    if (answer >= 0 && s.items.valid(answer)) caret = answer;
  }
  if (s.items.count() == 0) return;
  const int page = std::max(1, VisibleItems(hwnd, s) - 1);
  switch (vk) {
    case VK_UP:
    case VK_LEFT:
      MoveBy(hwnd, s, caret < 0 ? 0 : caret - 1, true);
      break;
    case VK_DOWN:
    case VK_RIGHT:
      MoveBy(hwnd, s, caret < 0 ? 0 : caret + 1, true);
      break;
    case VK_PRIOR:
      MoveBy(hwnd, s, std::max(caret, 0) - page, false);
      break;
    case VK_NEXT:
      MoveBy(hwnd, s, std::max(caret, 0) + page, false);
      break;
    case VK_HOME:
      MoveBy(hwnd, s, 0, false);
      break;
    case VK_END:
      MoveBy(hwnd, s, s.items.count() - 1, false);
      break;
    case VK_SPACE:
      if (s.items.multi() && s.items.ToggleCaret(ShiftDown(), CtrlDown())) {
        Refresh(hwnd, s);
        NotifySelection(hwnd, LBN_SELCHANGE);
      }
      break;
    default:
      break;
  }
}

void ListBoxChar(HWND hwnd, ListBoxState& s, WPARAM ch) {
  const ListOwner owner = OwnerOf(hwnd, s);
  const int caret = s.items.caret();
  if (!owner.has_strings) {
    if (!(StyleOf(hwnd) & LBS_WANTKEYBOARDINPUT)) return;
    int answer = AskOwner(hwnd, WM_CHARTOITEM, ch, caret);
    if (answer >= 0 && s.items.valid(answer)) MoveBy(hwnd, s, answer, false);
    return;
  }
  if (ch < 0x20) return;
  const char prefix[2] = {static_cast<char>(ch), 0};
  const int found = FindListItem(s.items, owner, static_cast<WPARAM>(caret), reinterpret_cast<LPARAM>(prefix), false);
  if (found >= 0) MoveBy(hwnd, s, found, false);
}

void ListBoxScroll(HWND hwnd, ListBoxState& s, WPARAM code) {
  const int visible = VisibleItems(hwnd, s);
  int top = s.items.top();
  switch (LOWORD(code)) {
    case SB_LINEUP: --top; break;
    case SB_LINEDOWN: ++top; break;
    case SB_PAGEUP: top -= std::max(1, visible - 1); break;
    case SB_PAGEDOWN: top += std::max(1, visible - 1); break;
    case SB_TOP: top = 0; break;
    case SB_BOTTOM: top = s.items.count(); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: top = static_cast<SHORT>(HIWORD(code)); break;
    default: return;
  }
  s.items.set_top(top, visible);
  Refresh(hwnd, s);
}

}  // namespace qvp::ui
