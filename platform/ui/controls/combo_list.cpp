// The open list of a drop-down combo box: a pop-up window ("ComboLBox") under
// the control that shows the items. It never takes the focus or the mouse:
// the combo box keeps both while the list is open and does the choosing.
#include <algorithm>
#include <string>

#include "ui/controls/combo.h"
#include "ui/controls/control_classes.h"
#include "ui/controls/control_common.h"
#include "ui/controls/control_paint.h"

namespace qvp::ui {
namespace {

HWND ComboOf(HWND list) { return reinterpret_cast<HWND>(GetWindowLongPtrA(list, GWL_USERDATA)); }

// Where the list goes on the screen: under the control, as wide as it or the dropped width.
RECT ScreenPlace(HWND combo, const ComboState& s) {
  RECT w{};
  GetWindowRect(combo, &w);
  const int width = std::max(static_cast<int>(w.right - w.left), s.dropped_width);
  const int rows = std::clamp(s.model.items().count(), 1, ListVisibleItems(combo, s));
  const int height = rows * static_cast<int>(std::max<UINT>(1, s.item_height)) + 2;
  return RECT{w.left, w.bottom, w.left + width, w.bottom + height};
}

void PaintItems(HWND list, HDC hdc) {
  HWND combo = ComboOf(list);
  std::shared_ptr<ComboState> sp = ComboStateOf(combo);
  if (!sp) return;
  const ComboState& s = *sp;
  const RECT client = ClientRectOf(list);
  FontScope font(hdc, s.font);
  HBRUSH back = PrepareColours(combo, hdc, WM_CTLCOLORLISTBOX);
  FillRect(hdc, &client, back);
  const DWORD style = StyleOf(combo);
  const bool owner = (style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) != 0;
  const bool strings = OwnerOf(combo, s).has_strings;
  const int lit = s.hot >= 0 ? s.hot : s.model.cur_sel();
  const int h = static_cast<int>(std::max<UINT>(1, s.item_height));
  const ItemList& items = s.model.items();
  for (int i = items.top(), y = 0; i < items.count() && y < client.bottom; ++i, y += h) {
    RECT r{client.left, y, client.right, y + h};
    if (owner) {
      HWND parent = ParentOf(combo);
      if (!parent) break;
      DRAWITEMSTRUCT dis{};
      dis.CtlType = ODT_COMBOBOX;
      dis.CtlID = ControlId(combo);
      dis.itemID = static_cast<UINT>(i);
      dis.itemAction = ODA_DRAWENTIRE;
      dis.itemState = i == lit ? ODS_SELECTED | ODS_FOCUS : 0;
      dis.hwndItem = list;
      dis.hDC = hdc;
      dis.rcItem = r;
      dis.itemData = items.at(i).data;
      SendMessageA(parent, WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
      continue;
    }
    if (!strings) continue;
    const COLORREF normal = GetTextColor(hdc);
    if (i == lit) {
      FillRect(hdc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
      SetTextColor(hdc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    }
    SetBkMode(hdc, TRANSPARENT);
    const std::string& text = items.at(i).text;
    TextOutA(hdc, r.left + 2, r.top, text.c_str(), static_cast<int>(text.size()));
    SetTextColor(hdc, normal);
  }
}

}  // namespace

LRESULT CALLBACK ComboListWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT:
      return PaintClient(hwnd, msg, wp, [&](HDC hdc) { PaintItems(hwnd, hdc); });
    default:
      return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

void ShowComboList(HWND combo, ComboState& s, bool show) {
  if (!show) {
    if (s.list_window && IsWindowVisible(s.list_window))
      SetWindowPos(s.list_window, nullptr, 0, 0, 0, 0,
                   SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return;
  }
  const RECT place = ScreenPlace(combo, s);
  if (!s.list_window || !IsWindow(s.list_window)) {
    s.list_window = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kComboListClass, "", WS_POPUP | WS_BORDER,
                                    place.left, place.top, place.right - place.left, place.bottom - place.top,
                                    combo, nullptr, nullptr, nullptr);
    if (!s.list_window) return;
    SetWindowLongPtrA(s.list_window, GWL_USERDATA, reinterpret_cast<LONG_PTR>(combo));
  }
  SetWindowPos(s.list_window, HWND_TOPMOST, place.left, place.top, place.right - place.left, place.bottom - place.top,
               SWP_SHOWWINDOW | SWP_NOACTIVATE);
  InvalidateRect(s.list_window, nullptr, TRUE);
}

}  // namespace qvp::ui
