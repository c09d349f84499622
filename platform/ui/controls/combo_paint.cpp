// Painting a combo box: an owner-drawn selection field through WM_DRAWITEM.
#include "ui/controls/combo.h"
#include "ui/controls/control_common.h"

namespace qvp::ui {

void PaintCombo(HWND hwnd, const ComboState& s, HDC hdc) {
  const DWORD style = StyleOf(hwnd);
  if (!(style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) || s.edit) return;
  HWND parent = ParentOf(hwnd);
  if (!parent) return;
  const int sel = s.model.cur_sel();
  DRAWITEMSTRUCT dis{};
  dis.CtlType = ODT_COMBOBOX;
  dis.CtlID = ControlId(hwnd);
  dis.itemID = static_cast<UINT>(sel);
  dis.itemAction = ODA_DRAWENTIRE;
  dis.itemState = ODS_COMBOBOXEDIT | (s.focused && !s.model.dropped() ? ODS_SELECTED | ODS_FOCUS : 0) |
                  (IsWindowEnabled(hwnd) ? 0 : ODS_DISABLED);
  dis.hwndItem = hwnd;
  dis.hDC = hdc;
  dis.rcItem = FieldRect(hwnd, s);
  dis.itemData = sel >= 0 ? s.model.items().at(sel).data : 0;
  SendMessageA(parent, WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
}

}  // namespace qvp::ui
