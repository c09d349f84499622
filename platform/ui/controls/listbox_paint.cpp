// Painting a list box: the visible items in the control font, selected ones
// in highlight colours, a focus rectangle on the caret item while the list has
// the focus; owner-drawn items through WM_DRAWITEM to the parent.
#include <vector>

#include "ui/controls/control_common.h"
#include "ui/controls/control_paint.h"
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

void DrawText(HWND hwnd, const ListBoxState& s, HDC hdc, int index, const RECT& r) {
  const bool selected = s.items.IsSelected(index);
  if (selected) {
    FillRect(hdc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
    SetTextColor(hdc, GetSysColor(COLOR_HIGHLIGHTTEXT));
  }
  const std::string& text = s.items.at(index).text;
  SetBkMode(hdc, TRANSPARENT);
  if (StyleOf(hwnd) & LBS_USETABSTOPS) {
    // Tab stops in dialog units: every 32 unless LB_SETTABSTOPS said otherwise.
    std::vector<INT> stops;
    for (int stop : s.tab_stops) stops.push_back(DialogUnitsToPixels(s.font, stop));
    if (stops.empty()) stops.push_back(DialogUnitsToPixels(s.font, 32));
    TabbedTextOutA(hdc, r.left + 2, r.top, text.c_str(), static_cast<int>(text.size()), static_cast<int>(stops.size()),
                   stops.data(), r.left + 2);
  } else {
    TextOutA(hdc, r.left + 2, r.top, text.c_str(), static_cast<int>(text.size()));
  }
  if (selected) SetTextColor(hdc, GetSysColor(IsWindowEnabled(hwnd) ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
}

void PaintTexts(HWND hwnd, const ListBoxState& s, HDC hdc, const RECT& client) {
  FontScope font(hdc, s.font);
  HBRUSH back = PrepareColours(hwnd, hdc, WM_CTLCOLORLISTBOX);
  FillRect(hdc, &client, back);
  if (!IsWindowEnabled(hwnd)) SetTextColor(hdc, GetSysColor(COLOR_GRAYTEXT));
  for (int i = s.items.top(); i < s.items.count(); ++i) {
    RECT r = ItemRect(hwnd, s, i);
    if (r.top >= client.bottom) break;
    DrawText(hwnd, s, hdc, i, r);
  }
  const int caret = s.items.multi() ? s.items.caret() : s.items.cur_sel();
  if (s.focused) {
    RECT r = ItemRect(hwnd, s, caret >= 0 ? caret : 0);
    DrawFocusRect(hdc, &r);
  }
}

}  // namespace

void PaintListBox(HWND hwnd, const ListBoxState& s, HDC hdc) {
  const RECT client = ClientRectOf(hwnd);
  if (!OwnerDrawn(hwnd)) {
    PaintTexts(hwnd, s, hdc, client);
    return;
  }
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
