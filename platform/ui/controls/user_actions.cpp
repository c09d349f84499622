// A user's actions on the standard controls, as the test driver performs them.
#include <string>

#include "qvplatform/ui.h"
#include "ui/controls/combo.h"
#include "ui/controls/control_common.h"

namespace qvp {
namespace {

bool IsClass(HWND hwnd, const char* name) {
  char cls[32] = {};
  return hwnd && GetClassNameA(hwnd, cls, sizeof(cls)) && lstrcmpiA(cls, name) == 0;
}

bool Usable(HWND hwnd) { return IsWindow(hwnd) && IsWindowEnabled(hwnd) && IsWindowVisible(hwnd); }

void Press(HWND hwnd, POINT p, bool twice) {
  const LPARAM at = MAKELPARAM(p.x, p.y);
  SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(hwnd, WM_LBUTTONUP, 0, at);
  if (!twice || !IsWindow(hwnd)) return;
  SendMessageA(hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  if (IsWindow(hwnd)) SendMessageA(hwnd, WM_LBUTTONUP, 0, at);
}

POINT Centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

}  // namespace

bool UserClickButton(HWND button) {
  if (!IsClass(button, WC_BUTTONA) || !Usable(button)) return false;
  Press(button, Centre(ui::ClientRectOf(button)), false);
  return true;
}

bool UserSelectListItem(HWND list, int index, bool twice) {
  if (!IsClass(list, WC_LISTBOXA) || !Usable(list)) return false;
  if (index < 0 || index >= SendMessageA(list, LB_GETCOUNT, 0, 0)) return false;
  RECT item{};
  SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  const RECT client = ui::ClientRectOf(list);
  if (item.top < client.top || item.bottom > client.bottom) {
    // Scrolled into view as the scroll bar would.
    SendMessageA(list, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, static_cast<WORD>(index)), 0);
    SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  }
  Press(list, Centre(item), twice);
  return true;
}

bool UserSelectComboItem(HWND combo, int index) {
  if (!IsClass(combo, WC_COMBOBOXA) || !Usable(combo)) return false;
  if (index < 0 || index >= SendMessageA(combo, CB_GETCOUNT, 0, 0)) return false;
  std::shared_ptr<ui::ComboState> s = ui::ComboStateOf(combo);
  if (!s) return false;
  const bool simple = s->model.kind() == ui::ComboModel::Kind::kSimple;
  if (!simple && !s->model.dropped()) {
    const RECT open = s->model.kind() == ui::ComboModel::Kind::kDropDownList ? ui::ClientRectOf(combo)
                                                                             : ui::ButtonRect(combo, *s);
    Press(combo, Centre(open), false);
    if (!IsWindow(combo) || !s->model.dropped()) return false;
  }
  // The list scrolls to the item as its scroll bar would.
  const int visible = ui::ListVisibleItems(combo, *s);
  ui::ItemList& items = s->model.items();
  if (index < items.top() || index >= items.top() + visible) items.set_top(index, visible);
  const RECT list = ui::ListItemsRect(combo, *s);
  const int h = static_cast<int>(std::max<UINT>(1, s->item_height));
  Press(combo, POINT{(list.left + list.right) / 2, list.top + (index - items.top()) * h + h / 2}, false);
  return true;
}

bool UserTypeText(HWND control, std::string_view text) {
  HWND target = control;
  if (IsClass(control, WC_COMBOBOXA)) target = GetWindow(control, GW_CHILD);
  if (!IsClass(target, WC_EDITA) || !Usable(target)) return false;
  if (GetFocus() != target) SetFocus(target);
  for (char c : text) SendMessageA(target, WM_CHAR, static_cast<unsigned char>(c), 1);
  return true;
}

}  // namespace qvp
