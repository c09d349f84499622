// Tests only: a control class "QvFontProbe" that keeps the font it is given
// (WM_SETFONT / WM_GETFONT), so that dialogs can be built from templates
// without the standard controls, and a plain top-level window.
#pragma once

#include "qvplatform.h"

inline LRESULT CALLBACK FontProbeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETFONT:
      SetWindowLongPtrA(window, GWLP_USERDATA, static_cast<LONG_PTR>(wParam));
      return 0;
    case WM_GETFONT:
      return GetWindowLongPtrA(window, GWLP_USERDATA);
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

inline constexpr char kFontProbeClass[] = "QvFontProbe";
inline constexpr char kPlainWindowClass[] = "QvPlainTestWindow";

inline void RegisterTestWindowClasses() {
  WNDCLASSA probe{};
  probe.style = CS_GLOBALCLASS;  // found by dialogs of any module
  probe.lpfnWndProc = FontProbeProc;
  probe.lpszClassName = kFontProbeClass;
  RegisterClassA(&probe);  // a second registration fails harmlessly
  WNDCLASSA plain{};
  plain.lpfnWndProc = DefWindowProcA;
  plain.lpszClassName = kPlainWindowClass;
  RegisterClassA(&plain);
}

// A visible top-level window without frame at (x, y) of the given size.
inline HWND CreatePlainWindow(int x, int y, int width, int height) {
  RegisterTestWindowClasses();
  return CreateWindowExA(0, kPlainWindowClass, "", WS_POPUP | WS_VISIBLE, x, y, width, height, nullptr,
                         nullptr, nullptr, nullptr);
}

inline HFONT FontOf(HWND window) { return reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)); }
