// A user's actions on the standard controls, as the test driver performs them.
#include <string>

#include "qvplatform/ui.h"
#include "ui/controls/combo.h"
#include "ui/controls/control_common.h"
#include "ui/user_action_steps.h"

namespace qvp {

bool UserClickButton(HWND button) {
  if (!ui::IsClass(button, WC_BUTTONA) || !ui::Usable(button)) return false;
  ui::Press(button, ui::Centre(ui::ClientRectOf(button)), false);
  return true;
}

bool UserSelectListItem(HWND list, int index, bool twice) {
  if (!ui::IsClass(list, WC_LISTBOXA) || !ui::Usable(list)) return false;
  if (index < 0 || index >= SendMessageA(list, LB_GETCOUNT, 0, 0)) return false;
  RECT item{};
  SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  const RECT client = ui::ClientRectOf(list);
  if (item.top < client.top || item.bottom > client.bottom) {
    // Scrolled into view as the scroll bar would.
    SendMessageA(list, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, static_cast<WORD>(index)), 0);
    SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  }
  ui::Press(list, ui::Centre(item), twice);
  return true;
}

bool UserSelectComboItem(HWND combo, int index) {
  if (!ui::IsClass(combo, WC_COMBOBOXA) || !ui::Usable(combo)) return false;
  if (index < 0 || index >= SendMessageA(combo, CB_GETCOUNT, 0, 0)) return false;
  std::shared_ptr<ui::ComboState> s = ui::ComboStateOf(combo);
  if (!s) return false;
  const bool simple = s->model.kind() == ui::ComboModel::Kind::kSimple;
  if (!simple && !s->model.dropped()) {
    const RECT open = s->model.kind() == ui::ComboModel::Kind::kDropDownList ? ui::ClientRectOf(combo)
                                                                             : ui::ButtonRect(combo, *s);
    ui::Press(combo, ui::Centre(open), false);
    if (!IsWindow(combo) || !s->model.dropped()) return false;
  }
  // The list scrolls to the item as its scroll bar would.
  const int visible = ui::ListVisibleItems(combo, *s);
  ui::ItemList& items = s->model.items();
  if (index < items.top() || index >= items.top() + visible) items.set_top(index, visible);
  const RECT list = ui::ListItemsRect(combo, *s);
  const int h = static_cast<int>(std::max<UINT>(1, s->item_height));
  ui::Press(combo, POINT{(list.left + list.right) / 2, list.top + (index - items.top()) * h + h / 2}, false);
  return true;
}

bool UserTypeText(HWND control, std::string_view text) {
  HWND target = control;
  if (ui::IsClass(control, WC_COMBOBOXA)) target = GetWindow(control, GW_CHILD);
  if (!ui::IsClass(target, WC_EDITA) || !ui::Usable(target)) return false;
  if (GetFocus() != target) SetFocus(target);
  for (char c : text) SendMessageA(target, WM_CHAR, static_cast<unsigned char>(c), 1);
  return true;
}

}  // namespace qvp
