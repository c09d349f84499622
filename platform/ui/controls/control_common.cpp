#include "ui/controls/control_common.h"

#include <vector>

namespace qvp::ui {

HWND ParentOf(HWND hwnd) { return GetParent(hwnd); }

UINT ControlId(HWND hwnd) { return static_cast<UINT>(GetWindowLongPtrA(hwnd, GWL_ID)); }

DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_STYLE)); }

void SetStyleBits(HWND hwnd, DWORD mask, DWORD bits) {
  DWORD old = StyleOf(hwnd);
  DWORD now = (old & ~mask) | (bits & mask);
  if (now != old) SetWindowLongPtrA(hwnd, GWL_STYLE, static_cast<LONG_PTR>(static_cast<LONG>(now)));
}

RECT ClientRectOf(HWND hwnd) {
  RECT r{};
  GetClientRect(hwnd, &r);
  return r;
}

bool HasFocus(HWND hwnd) { return hwnd && GetFocus() == hwnd; }

void NotifyParent(HWND hwnd, int code) {
  HWND parent = ParentOf(hwnd);
  if (!parent) return;
  SendMessageA(parent, WM_COMMAND, MAKEWPARAM(ControlId(hwnd), static_cast<WORD>(code)),
               reinterpret_cast<LPARAM>(hwnd));
}

std::string TextOf(HWND hwnd) {
  int n = static_cast<int>(SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0));
  if (n <= 0) return {};
  std::vector<char> buf(static_cast<size_t>(n) + 1, '\0');
  int got = static_cast<int>(SendMessageA(hwnd, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data())));
  return std::string(buf.data(), static_cast<size_t>(std::max(got, 0)));
}

bool ShiftDown() { return (GetKeyState(VK_SHIFT) & 0x8000) != 0; }
bool CtrlDown() { return (GetKeyState(VK_CONTROL) & 0x8000) != 0; }

POINT PointOf(LPARAM lp) {
  return POINT{static_cast<SHORT>(LOWORD(lp)), static_cast<SHORT>(HIWORD(lp))};
}

bool Inside(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

HBRUSH AskColours(HWND hwnd, HDC hdc, UINT msg) {
  HWND parent = ParentOf(hwnd);
  if (!parent) return nullptr;
  return reinterpret_cast<HBRUSH>(SendMessageA(parent, msg, reinterpret_cast<WPARAM>(hdc), reinterpret_cast<LPARAM>(hwnd)));
}

LRESULT SetShownText(HWND hwnd, WPARAM wp, LPARAM lp) {
  LRESULT r = DefWindowProcA(hwnd, WM_SETTEXT, wp, lp);
  InvalidateRect(hwnd, nullptr, TRUE);
  return r;
}

void KeepFont(HWND hwnd, HFONT* font, WPARAM wp, LPARAM lp) {
  *font = reinterpret_cast<HFONT>(wp);
  if (LOWORD(lp)) InvalidateRect(hwnd, nullptr, TRUE);
}

}  // namespace qvp::ui
