// System metrics of the simulated display (1024x768, classic look) and the
// frame arithmetic built on them.
#include "ui/last_error.h"
#include "ui/window_state.h"

int WINAPI GetSystemMetrics(int nIndex) {
  constexpr int kWidth = 1024;
  constexpr int kHeight = 768;
  switch (nIndex) {
    case SM_CXSCREEN: case SM_CXFULLSCREEN: case SM_CXVIRTUALSCREEN: return kWidth;
    case SM_CYSCREEN: case SM_CYVIRTUALSCREEN: return kHeight;
    case SM_CYFULLSCREEN: return kHeight - 19;
    case SM_CXVSCROLL: case SM_CYHSCROLL: case SM_CYVSCROLL: case SM_CXHSCROLL: return 16;
    case SM_CYVTHUMB: case SM_CXHTHUMB: return 16;
    case SM_CYCAPTION: return 19;
    case SM_CXBORDER: case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME: case SM_CYDLGFRAME: return 3;
    case SM_CXFRAME: case SM_CYFRAME: return 4;
    case SM_CXEDGE: case SM_CYEDGE: return 2;
    case SM_CXICON: case SM_CYICON: case SM_CXCURSOR: case SM_CYCURSOR: return 32;
    case SM_CXSMICON: case SM_CYSMICON: return 16;
    case SM_CYMENU: return 19;
    case SM_CYSMCAPTION: return 16;
    case SM_CXSMSIZE: return 12;
    case SM_CYSMSIZE: return 15;
    case SM_CXSIZE: case SM_CYSIZE: case SM_CXMENUSIZE: case SM_CYMENUSIZE: return 18;
    case SM_CXMIN: case SM_CXMINTRACK: return 112;
    case SM_CYMIN: case SM_CYMINTRACK: return 27;
    case SM_CXMAXTRACK: return kWidth + 12;
    case SM_CYMAXTRACK: return kHeight + 12;
    case SM_CXMAXIMIZED: return kWidth + 8;
    case SM_CYMAXIMIZED: return kHeight + 8;
    case SM_CXMINIMIZED: case SM_CXMINSPACING: return 160;
    case SM_CYMINIMIZED: case SM_CYMINSPACING: return 24;
    case SM_CXICONSPACING: case SM_CYICONSPACING: return 75;
    case SM_CXDOUBLECLK: case SM_CYDOUBLECLK: case SM_CXDRAG: case SM_CYDRAG: return 4;
    case SM_CXMENUCHECK: case SM_CYMENUCHECK: return 13;
    case SM_ARRANGE: return 8;
    case SM_MOUSEPRESENT: case SM_MOUSEWHEELPRESENT: case SM_CMONITORS: case SM_SAMEDISPLAYFORMAT: return 1;
    case SM_CMOUSEBUTTONS: return 3;
    case SM_NETWORK: return 3;
    default: return 0;
  }
}

BOOL WINAPI AdjustWindowRectEx(LPRECT lpRect, DWORD dwStyle, BOOL bMenu, DWORD dwExStyle) {
  if (!lpRect) {
    qvp::ui::SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  qvp::ui::Insets in = qvp::ui::FrameOf(dwStyle, dwExStyle, bMenu != FALSE);
  lpRect->left -= in.left;
  lpRect->top -= in.top;
  lpRect->right += in.right;
  lpRect->bottom += in.bottom;
  return TRUE;
}

BOOL WINAPI AdjustWindowRect(LPRECT lpRect, DWORD dwStyle, BOOL bMenu) {
  return AdjustWindowRectEx(lpRect, dwStyle, bMenu, 0);
}
