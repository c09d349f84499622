// What a user does to a combo box: opening the list with the mouse or with F4
// and Alt+arrows, choosing with a click or with the arrow keys, typing into
// the edit part. Every choice goes through the combo model, which says which
// notifications follow and in which order (combo_model.h).
#include <algorithm>

#include "ui/controls/combo.h"
#include "ui/controls/control_common.h"

namespace qvp::ui {
namespace {

bool IsList(const ComboState& s) { return s.model.kind() == ComboModel::Kind::kDropDownList; }
bool IsSimple(const ComboState& s) { return s.model.kind() == ComboModel::Kind::kSimple; }

void Run(HWND hwnd, ComboState& s, const ComboModel::Steps& steps) { RunSteps(hwnd, s, steps); }

void Toggle(HWND hwnd, ComboState& s) {
  if (s.model.dropped()) {
    Run(hwnd, s, s.model.CloseUp(true));
  } else {
    s.hot = s.model.cur_sel();
    Run(hwnd, s, s.model.DropDown());
  }
}

void Press(HWND hwnd, ComboState& s, POINT p, bool dblclk) {
  const RECT client = ClientRectOf(hwnd);
  if (IsSimple(s)) {
    const int item = ListItemAt(hwnd, s, p);
    if (item < 0) return;
    if (!HasFocus(s.edit)) SetFocus(s.edit);
    Run(hwnd, s, s.model.Pick(item));
    if (dblclk) NotifyParent(hwnd, CBN_DBLCLK);
    return;
  }
  if (s.model.dropped()) {
    if (Inside(client, p)) {
      Run(hwnd, s, s.model.CloseUp(true));
    } else if (ListItemAt(hwnd, s, p) < 0) {
      Run(hwnd, s, s.model.CloseUp(false));  // a click outside the list
    }
    return;  // a press on an item chooses it when released
  }
  const bool opens = IsList(s) ? Inside(client, p) : Inside(ButtonRect(hwnd, s), p);
  if (!opens) return;
  HWND focus = s.edit ? s.edit : hwnd;
  if (!HasFocus(focus)) SetFocus(focus);
  s.pressed = true;
  s.hot = s.model.cur_sel();
  Run(hwnd, s, s.model.DropDown());
}

}  // namespace

void ComboMouse(HWND hwnd, ComboState& s, UINT msg, LPARAM lp) {
  const POINT p = PointOf(lp);
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      Press(hwnd, s, p, msg == WM_LBUTTONDBLCLK);
      break;
    case WM_MOUSEMOVE:
      if (s.model.dropped()) {
        const int item = ListItemAt(hwnd, s, p);
        if (item >= 0 && item != s.hot) {
          s.hot = item;
          if (s.list_window) InvalidateRect(s.list_window, nullptr, FALSE);
        }
      }
      break;
    case WM_LBUTTONUP: {
      s.pressed = false;
      if (!s.model.dropped()) break;
      const int item = ListItemAt(hwnd, s, p);
      if (item >= 0) Run(hwnd, s, s.model.Pick(item));
      break;
    }
    case WM_CAPTURECHANGED:
      // Another window took the mouse: the list closes without a choice.
      if (s.model.dropped() && reinterpret_cast<HWND>(lp) != hwnd) RunSteps(hwnd, s, s.model.CloseUp(false));
      break;
    default:
      break;
  }
}

void ComboKey(HWND hwnd, ComboState& s, UINT msg, WPARAM vk) {
  const bool alt = msg == WM_SYSKEYDOWN;
  if ((alt && (vk == VK_DOWN || vk == VK_UP)) || (!alt && vk == VK_F4)) {
    if (!IsSimple(s)) Toggle(hwnd, s);
    return;
  }
  if (alt) return;
  switch (vk) {
    case VK_RETURN:
      Run(hwnd, s, s.model.CloseUp(true));
      return;
    case VK_ESCAPE:
      Run(hwnd, s, s.model.CloseUp(false));
      return;
    case VK_DOWN:
      if (s.extended_ui && !s.model.dropped() && !IsSimple(s)) {
        Toggle(hwnd, s);
        return;
      }
      break;
    default:
      break;
  }
  const int count = s.model.items().count();
  if (count == 0) return;
  const int cur = s.model.cur_sel();
  const int page = std::max(1, ListVisibleItems(hwnd, s) - 1);
  int target;
  switch (vk) {
    case VK_UP: case VK_LEFT: target = cur < 0 ? 0 : cur - 1; break;
    case VK_DOWN: case VK_RIGHT: target = cur < 0 ? 0 : cur + 1; break;
    case VK_PRIOR: target = std::max(cur, 0) - page; break;
    case VK_NEXT: target = std::max(cur, 0) + page; break;
    case VK_HOME: target = 0; break;
    case VK_END: target = count - 1; break;
    default: return;
  }
  Run(hwnd, s, s.model.Step(std::clamp(target, 0, count - 1)));
}

void ComboChar(HWND hwnd, ComboState& s, WPARAM ch) {
  if (!IsList(s) || ch < 0x20) return;
  const char prefix[2] = {static_cast<char>(ch), 0};
  const int found = FindListItem(s.model.items(), OwnerOf(hwnd, s), static_cast<WPARAM>(s.model.cur_sel()),
                                 reinterpret_cast<LPARAM>(prefix), false);
  if (found >= 0) Run(hwnd, s, s.model.Step(found));
}

void ComboEditCommand(HWND hwnd, ComboState& s, int code) {
  switch (code) {
    case EN_SETFOCUS:
      if (!s.focused) {
        s.focused = true;
        NotifyParent(hwnd, CBN_SETFOCUS);
      }
      SendMessageA(s.edit, EM_SETSEL, 0, -1);
      break;
    case EN_KILLFOCUS:
      if (GetFocus() == hwnd) break;  // on its way back to the edit part
      s.focused = false;
      // Only an open list closes: the typed text of a drop-down combo stays.
      if (s.model.dropped()) Run(hwnd, s, s.model.CloseUp(false));
      NotifyParent(hwnd, CBN_KILLFOCUS);
      break;
    case EN_UPDATE:
      if (!s.setting_text) NotifyParent(hwnd, CBN_EDITUPDATE);
      break;
    case EN_CHANGE: {
      if (s.setting_text) break;
      // Typed text ends the selection; with the list open the first item it begins marks the place.
      int found = -1;
      if (s.model.dropped()) {
        std::string text = TextOf(s.edit);
        found = FindListItem(s.model.items(), OwnerOf(hwnd, s), static_cast<WPARAM>(-1),
                             reinterpret_cast<LPARAM>(text.c_str()), false);
      }
      s.model.items().SetCurSel(found);
      InvalidateRect(hwnd, nullptr, FALSE);
      NotifyParent(hwnd, CBN_EDITCHANGE);
      break;
    }
    case EN_ERRSPACE:
      NotifyParent(hwnd, CBN_ERRSPACE);
      break;
    default:
      break;
  }
}

}  // namespace qvp::ui
