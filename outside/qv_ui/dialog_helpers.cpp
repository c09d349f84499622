// Centring dialogs, plug-in strings, combo box texts and owner-drawn combo items.
#include <algorithm>
#include <cstring>
#include <string>

#include "qv_ui.h"

QV_API void QVUI_CenterDialog(HWND dialog) {
  HWND window = dialog;
  while (window != nullptr && (GetWindowLongPtrA(window, GWL_STYLE) & WS_CHILD) && GetParent(window) != nullptr) {
    window = GetParent(window);
  }
  RECT rect{};
  if (window == nullptr || !GetWindowRect(window, &rect)) return;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  if (x < 0) x = 0;
  if (y < 0) y = 0;
  SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

QV_API const char* QVUI_GetString(UINT id, HINSTANCE module, int slot) {
  static thread_local char buffers[2][1024];
  char* text = buffers[slot == 1 ? 1 : 0];
  if (LoadStringA(module, id, text, sizeof buffers[0]) <= 0) text[0] = '\0';
  return text;
}

QV_API int QVUI_GetSelectedComboText(HWND combo, int fromEdit, char* buffer, int size, int index) {
  if (buffer == nullptr || size <= 0) return CB_ERR;
  buffer[0] = '\0';
  if (combo == nullptr) return CB_ERR;
  if (index < 0) index = static_cast<int>(SendMessageA(combo, CB_GETCURSEL, 0, 0));
  if (index < 0) {
    if (!fromEdit) return CB_ERR;
    return GetWindowTextA(combo, buffer, size);
  }
  const LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == CB_ERR || length < 0) return CB_ERR;
  // The item may be longer than the caller's buffer: read it whole, then cut.
  std::string whole(static_cast<size_t>(length) + 1, '\0');
  if (SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(whole.data())) ==
      CB_ERR) {
    return CB_ERR;
  }
  const size_t copied = std::min(std::strlen(whole.c_str()), static_cast<size_t>(size - 1));
  std::memcpy(buffer, whole.c_str(), copied);
  buffer[copied] = '\0';
  return static_cast<int>(copied);
}

QV_API BOOL QVUI_MeasureCustomComboBox(HWND dialog, MEASUREITEMSTRUCT* item) {
  if (item == nullptr) return FALSE;
  HDC dc = GetDC(dialog);
  if (dc == nullptr) return FALSE;
  HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageA(dialog, WM_GETFONT, 0, 0));
  HGDIOBJ old = font != nullptr ? SelectObject(dc, font) : nullptr;
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  if (old != nullptr) SelectObject(dc, old);
  ReleaseDC(dialog, dc);
  item->itemHeight = static_cast<UINT>(metrics.tmHeight + 4);
  return TRUE;
}

QV_API BOOL QVUI_DrawCustomComboBox(const DRAWITEMSTRUCT* item) {
  if (item == nullptr || item->hDC == nullptr) return FALSE;
  const bool selected = (item->itemState & ODS_SELECTED) != 0;
  FillRect(item->hDC, &item->rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  if (static_cast<int>(item->itemID) >= 0) {
    char text[256];
    if (QVUI_GetSelectedComboText(item->hwndItem, 0, text, sizeof text, static_cast<int>(item->itemID)) >= 0) {
      const int mode = SetBkMode(item->hDC, TRANSPARENT);
      const COLORREF colour = SetTextColor(item->hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
      RECT rect = item->rcItem;
      rect.left += 2;
      DrawTextA(item->hDC, text, -1, &rect, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
      SetTextColor(item->hDC, colour);
      SetBkMode(item->hDC, mode);
    }
  }
  if (item->itemState & ODS_FOCUS) DrawFocusRect(item->hDC, &item->rcItem);
  return TRUE;
}
