// Painting a combo box: the sunken field, the drop-down button with its
// arrow, and in a drop-down list the selected item's text, highlighted while
// the control has the focus. An owner-drawn field is drawn by the parent
// (WM_DRAWITEM with ODS_COMBOBOXEDIT); a simple combo box shows its list.
#include <string>

#include "ui/controls/combo.h"
#include "ui/controls/control_common.h"
#include "ui/controls/control_paint.h"

namespace qvp::ui {
namespace {

bool OwnerDrawn(DWORD style) { return (style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) != 0; }

void DrawOwnerItem(HWND hwnd, const ComboState& s, HDC hdc, int index, UINT state, const RECT& r) {
  HWND parent = ParentOf(hwnd);
  if (!parent) return;
  DRAWITEMSTRUCT dis{};
  dis.CtlType = ODT_COMBOBOX;
  dis.CtlID = ControlId(hwnd);
  dis.itemID = static_cast<UINT>(index);
  dis.itemAction = ODA_DRAWENTIRE;
  dis.itemState = state | (IsWindowEnabled(hwnd) ? 0 : ODS_DISABLED);
  dis.hwndItem = hwnd;
  dis.hDC = hdc;
  dis.rcItem = r;
  dis.itemData = s.model.items().valid(index) ? s.model.items().at(index).data : 0;
  SendMessageA(parent, WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
}

void DrawItemText(HWND hwnd, const ComboState& s, HDC hdc, int index, bool highlighted, const RECT& r) {
  if (!s.model.items().valid(index) || !OwnerOf(hwnd, s).has_strings) return;
  if (highlighted) {
    FillRect(hdc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
    SetTextColor(hdc, GetSysColor(COLOR_HIGHLIGHTTEXT));
  }
  const std::string& text = s.model.items().at(index).text;
  SetBkMode(hdc, TRANSPARENT);
  TextOutA(hdc, r.left + 2, r.top + (r.bottom - r.top - s.metrics.height) / 2, text.c_str(),
           static_cast<int>(text.size()));
  if (highlighted) SetTextColor(hdc, GetSysColor(IsWindowEnabled(hwnd) ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
}

// The items of a simple combo box's list, below its field.
void PaintList(HWND hwnd, const ComboState& s, HDC hdc, HBRUSH back) {
  RECT list = ListRect(hwnd, s);
  FillRect(hdc, &list, back);
  RECT edge = list;
  DrawEdge(hdc, &edge, EDGE_SUNKEN, BF_RECT);
  edge = ListItemsRect(hwnd, s);
  const int h = static_cast<int>(s.item_height);
  const bool owner = OwnerDrawn(StyleOf(hwnd));
  for (int i = s.model.items().top(), y = edge.top; i < s.model.items().count() && y < edge.bottom; ++i, y += h) {
    RECT r{edge.left, y, edge.right, y + h};
    const bool selected = i == s.model.cur_sel();
    if (owner)
      DrawOwnerItem(hwnd, s, hdc, i, selected ? ODS_SELECTED : 0, r);
    else
      DrawItemText(hwnd, s, hdc, i, selected, r);
  }
}

}  // namespace

void PaintCombo(HWND hwnd, const ComboState& s, HDC hdc) {
  const DWORD style = StyleOf(hwnd);
  const bool enabled = IsWindowEnabled(hwnd) != FALSE;
  const bool simple = s.model.kind() == ComboModel::Kind::kSimple;
  FontScope font(hdc, s.font);
  HBRUSH back = PrepareColours(hwnd, hdc, s.edit ? WM_CTLCOLOREDIT : WM_CTLCOLORLISTBOX);
  if (!enabled) SetTextColor(hdc, GetSysColor(COLOR_GRAYTEXT));
  RECT client = ClientRectOf(hwnd);
  RECT field = FieldRect(hwnd, s);
  RECT frame = simple ? RECT{client.left, client.top, client.right, field.bottom + 3} : client;
  FillRect(hdc, &frame, enabled ? back : GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(hdc, &frame, EDGE_SUNKEN, BF_RECT);
  if (!simple) {
    RECT button = ButtonRect(hwnd, s);
    FillRect(hdc, &button, GetSysColorBrush(COLOR_BTNFACE));
    RECT edge = button;
    DrawEdge(hdc, &edge, s.model.dropped() ? BDR_SUNKENOUTER : EDGE_RAISED, BF_RECT);
    DrawArrow(hdc, button, Arrow::kDown, enabled);
  }
  if (!s.edit) {
    const int sel = s.model.cur_sel();
    const bool lit = s.focused && !s.model.dropped();
    if (OwnerDrawn(style)) {
      DrawOwnerItem(hwnd, s, hdc, sel, ODS_COMBOBOXEDIT | (lit ? ODS_SELECTED | ODS_FOCUS : 0), field);
    } else {
      DrawItemText(hwnd, s, hdc, sel, lit, field);
      if (lit) DrawFocusRect(hdc, &field);
    }
  }
  if (simple) PaintList(hwnd, s, hdc, back);
}

}  // namespace qvp::ui
