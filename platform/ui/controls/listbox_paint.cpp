// Painting a list box: owner-drawn items through WM_DRAWITEM to the parent.
#include "ui/controls/control_common.h"
#include "ui/controls/listbox.h"

namespace qvp::ui {
namespace {

bool OwnerDrawn(HWND hwnd) { return (StyleOf(hwnd) & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) != 0; }

void DrawItem(HWND hwnd, const ListBoxState& s, HDC hdc, int index, UINT action, const RECT& rect) {
  HWND parent = ParentOf(hwnd);
  if (!parent) return;
  DRAWITEMSTRUCT dis{};
  dis.CtlType = ODT_LISTBOX;
  dis.CtlID = ControlId(hwnd);
  dis.itemID = static_cast<UINT>(index);
  dis.itemAction = action;
  const bool caret = s.focused && (s.items.multi() ? s.items.caret() : s.items.cur_sel()) == index;
  dis.itemState = (s.items.IsSelected(index) ? ODS_SELECTED : 0) | (caret ? ODS_FOCUS : 0) |
                  (IsWindowEnabled(hwnd) ? 0 : ODS_DISABLED);
  dis.hwndItem = hwnd;
  dis.hDC = hdc;
  dis.rcItem = rect;
  dis.itemData = s.items.valid(index) ? s.items.at(index).data : 0;
  SendMessageA(parent, WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
}

}  // namespace

void PaintListBox(HWND hwnd, const ListBoxState& s, HDC hdc) {
  if (!OwnerDrawn(hwnd)) return;
  const RECT client = ClientRectOf(hwnd);
  if (s.items.count() == 0) {
    // An empty list that has the focus still shows where the caret is.
    if (s.focused) DrawItem(hwnd, s, hdc, -1, ODA_FOCUS, ItemRect(hwnd, s, 0));
    return;
  }
  for (int i = s.items.top(); i < s.items.count(); ++i) {
    RECT r = ItemRect(hwnd, s, i);
    if (r.top >= client.bottom) break;
    DrawItem(hwnd, s, hdc, i, ODA_DRAWENTIRE, r);
  }
}

}  // namespace qvp::ui
