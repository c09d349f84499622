// Window device contexts from the GDI: a client-area DC sees the client area
// with its origin at the window's paint surface origin, so that what a window
// paints is logged in client coordinates; a whole-window DC draws on the
// window's frame surface in window coordinates.
#include "qvplatform.h"
#include "ui/window_dc.h"

#include "gdi/window_dc.h"
#include "ui/window_state.h"

namespace qvp::ui {

HDC AcquireWindowDC(HWND hwnd, bool whole_window) {
  int width = GetSystemMetrics(SM_CXSCREEN);
  int height = GetSystemMetrics(SM_CYSCREEN);
  if (hwnd) {
    WindowSystem& s = Sys();
    Lock g(s.lock);
    Window* w = FindLocked(hwnd);
    if (!w) return nullptr;
    const RECT& r = whole_window ? w->window_rect : w->client_rect;
    width = r.right - r.left;
    height = r.bottom - r.top;
  }
  // The whole window is drawn on the window's frame target, under its client area.
  if (hwnd && whole_window) return qvp::CreateWindowFrameDC(hwnd, width, height);
  return qvp::CreateWindowDC(hwnd, width, height, POINT{0, 0});
}

bool ReleaseWindowDC(HWND hwnd, HDC hdc) {
  if (hwnd && qvp::WindowFromWindowDC(hdc) != hwnd) return false;
  return qvp::ReleaseWindowDC(hdc);
}

void FillBackground(HDC hdc, const RECT& rect, HBRUSH brush) { FillRect(hdc, &rect, brush); }

void ForgetPaintTarget(HWND hwnd) { qvp::DestroyWindowPaintTarget(hwnd); }

}  // namespace qvp::ui
