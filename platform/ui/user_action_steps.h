// The steps the test driver's user actions are made of, for the standard and
// the common controls alike: which control it is, whether a person could use
// it, and the mouse messages a person's click makes.
#pragma once

#include "qvplatform/ui.h"

namespace qvp::ui {

inline bool IsClass(HWND hwnd, const char* name) {
  char cls[32] = {};
  return hwnd && GetClassNameA(hwnd, cls, sizeof(cls)) && lstrcmpiA(cls, name) == 0;
}

// Shown and enabled: a person can reach it.
inline bool Usable(HWND hwnd) { return IsWindow(hwnd) && IsWindowEnabled(hwnd) && IsWindowVisible(hwnd); }

inline POINT Centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

// A click at a client point (with `twice`, a double click as Windows delivers
// it); with `right`, the right button. Stops when the control goes.
inline void Press(HWND hwnd, POINT p, bool twice, bool right = false) {
  const LPARAM at = MAKELPARAM(p.x, p.y);
  SendMessageA(hwnd, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON, at);
  if (IsWindow(hwnd)) SendMessageA(hwnd, right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, at);
  if (!twice || !IsWindow(hwnd)) return;
  SendMessageA(hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  if (IsWindow(hwnd)) SendMessageA(hwnd, WM_LBUTTONUP, 0, at);
}

}  // namespace qvp::ui
