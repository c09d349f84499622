#include "standin_controls.h"

#include <string>

#include "qvplatform.h"

namespace standin {
namespace {

LRESULT CALLBACK Button(HWND h, UINT m, WPARAM w, LPARAM l) {
  LONG_PTR style = GetWindowLongPtrA(h, GWL_STYLE);
  LONG_PTR kind = style & BS_TYPEMASK;
  switch (m) {
    case WM_GETDLGCODE:
      if (kind == BS_DEFPUSHBUTTON) return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
      if (kind == BS_PUSHBUTTON) return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
      if (kind == BS_RADIOBUTTON || kind == BS_AUTORADIOBUTTON) return DLGC_BUTTON | DLGC_RADIOBUTTON;
      return DLGC_BUTTON;
    case BM_SETSTYLE:
      SetWindowLongPtrA(h, GWL_STYLE, (style & ~BS_TYPEMASK) | static_cast<LONG_PTR>(w & BS_TYPEMASK));
      return 0;
    case BM_SETCHECK:
      SetWindowLongPtrA(h, GWLP_USERDATA, static_cast<LONG_PTR>(w));
      return 0;
    case BM_GETCHECK:
      return GetWindowLongPtrA(h, GWLP_USERDATA);
    case WM_LBUTTONDOWN:
      SetFocus(h);
      return 0;
    case WM_LBUTTONUP:
    case BM_CLICK:
      if (!IsWindowEnabled(h)) return 0;
      if (kind == BS_AUTOCHECKBOX) SetWindowLongPtrA(h, GWLP_USERDATA, !GetWindowLongPtrA(h, GWLP_USERDATA));
      if (kind == BS_AUTORADIOBUTTON) SetWindowLongPtrA(h, GWLP_USERDATA, BST_CHECKED);
      SendMessageA(GetParent(h), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(h), BN_CLICKED), reinterpret_cast<LPARAM>(h));
      return 0;
    default:
      return DefWindowProcA(h, m, w, l);
  }
}

// Keeps its text as the window text; EM_SETSEL (0, -1) makes the next character replace it.
LRESULT CALLBACK Edit(HWND h, UINT m, WPARAM w, LPARAM l) {
  switch (m) {
    case WM_GETDLGCODE:
      return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    case EM_SETSEL:
      SetWindowLongPtrA(h, GWLP_USERDATA, w == 0 && l == -1);
      return 0;
    case WM_LBUTTONDOWN:
      SetFocus(h);
      return 0;
    case WM_CHAR: {
      char text[512] = {};
      if (!GetWindowLongPtrA(h, GWLP_USERDATA)) GetWindowTextA(h, text, sizeof(text));
      SetWindowLongPtrA(h, GWLP_USERDATA, 0);
      std::string now = text;
      if (w == '\b') {
        if (!now.empty()) now.pop_back();
      } else if (w >= 0x20) {
        now += static_cast<char>(w);
      }
      SetWindowTextA(h, now.c_str());
      return 0;
    }
    default:
      return DefWindowProcA(h, m, w, l);
  }
}

LRESULT CALLBACK Static(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_GETDLGCODE) return DLGC_STATIC;
  return DefWindowProcA(h, m, w, l);
}

void StandIn(const char* name, WNDPROC proc) {
  WNDCLASSA existing{};
  if (GetClassInfoA(nullptr, name, &existing)) return;
  WNDCLASSA wc{};
  wc.style = CS_GLOBALCLASS | CS_DBLCLKS;
  wc.lpfnWndProc = proc;
  wc.lpszClassName = name;
  RegisterClassA(&wc);
}

}  // namespace

void RegisterControls() {
  StandIn("BUTTON", Button);
  StandIn("EDIT", Edit);
  StandIn("STATIC", Static);
}

}  // namespace standin
