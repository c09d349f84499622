// Reading what windows hold and what they painted.
#include <cstring>

#include "ui/driver/driver_input.h"

namespace qvp::driver {

std::string Text(HWND window) {
  if (!IsWindow(window)) return {};
  LRESULT n = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
  if (n <= 0) return {};
  std::string text(static_cast<size_t>(n) + 1, '\0');
  SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(std::strlen(text.c_str()));
  return text;
}

UINT CheckState(HWND button) { return static_cast<UINT>(SendMessageA(button, BM_GETCHECK, 0, 0)); }

bool Enabled(HWND window) {
  if (!IsWindow(window)) return false;
  for (HWND h = window; h; h = (GetWindowLongPtrA(h, GWL_STYLE) & WS_CHILD) ? GetParent(h) : nullptr)
    if (!IsWindowEnabled(h)) return false;
  return true;
}

bool Visible(HWND window) { return IsWindowVisible(window) != FALSE; }

std::vector<std::string> Items(HWND list) { return ListItemsOf(list); }

int Selection(HWND list) {
  switch (KindOfList(list)) {
    case ListKind::kListBox:
      if (GetWindowLongPtrA(list, GWL_STYLE) & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) {
        int first = -1;
        if (SendMessageA(list, LB_GETSELITEMS, 1, reinterpret_cast<LPARAM>(&first)) < 1) return -1;
        return first;
      }
      return static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
    case ListKind::kComboBox:
      return static_cast<int>(SendMessageA(list, CB_GETCURSEL, 0, 0));
    case ListKind::kListView:
      return static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    case ListKind::kTabs:
      return static_cast<int>(SendMessageA(list, TCM_GETCURSEL, 0, 0));
    case ListKind::kNone:
      break;
  }
  return -1;
}

std::string SelectedText(HWND list) {
  int index = Selection(list);
  std::vector<std::string> items = Items(list);
  return index >= 0 && index < static_cast<int>(items.size()) ? items[static_cast<size_t>(index)] : std::string();
}

PaintLog Painted(HWND window) {
  ClearWindowPaintLog(window);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  return GetWindowPaintLog(window);
}

}  // namespace qvp::driver
