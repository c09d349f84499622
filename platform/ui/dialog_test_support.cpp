#include "dialog_test_support.h"

#include <gtest/gtest.h>

namespace uitest {
namespace {

constexpr int kCheckSlot = 0;
constexpr int kSelectSlot = 8;

LRESULT CALLBACK ButtonProc(HWND h, UINT m, WPARAM w, LPARAM l) {
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
      SetWindowLongPtrA(h, kCheckSlot, static_cast<LONG_PTR>(w));
      return 0;
    case BM_GETCHECK:
      return GetWindowLongPtrA(h, kCheckSlot);
    case BM_CLICK:
      if (kind == BS_AUTORADIOBUTTON) SetWindowLongPtrA(h, kCheckSlot, BST_CHECKED);
      SendMessageA(GetParent(h), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(h), BN_CLICKED), reinterpret_cast<LPARAM>(h));
      return 0;
    default:
      return DefWindowProcA(h, m, w, l);
  }
}

LRESULT CALLBACK EditProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  switch (m) {
    case WM_GETDLGCODE:
      return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    case EM_SETSEL:
      if (w == 0 && l == -1) SetWindowLongPtrA(h, kSelectSlot, GetWindowLongPtrA(h, kSelectSlot) + 1);
      return 0;
    default:
      return DefWindowProcA(h, m, w, l);
  }
}

LRESULT CALLBACK StaticProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_GETDLGCODE) return DLGC_STATIC;
  return DefWindowProcA(h, m, w, l);
}

}  // namespace

void RegisterTestControls() {
  static bool done = [] {
    WNDCLASSA wc{};
    wc.style = CS_GLOBALCLASS;
    wc.cbWndExtra = 16;
    wc.lpfnWndProc = ButtonProc;
    wc.lpszClassName = "TestButton";
    RegisterClassA(&wc);
    wc.lpfnWndProc = EditProc;
    wc.lpszClassName = "TestEdit";
    RegisterClassA(&wc);
    wc.lpfnWndProc = StaticProc;
    wc.lpszClassName = "TestStatic";
    RegisterClassA(&wc);
    return true;
  }();
  (void)done;
}

int SelectAllCount(HWND edit) { return static_cast<int>(GetWindowLongPtrA(edit, kSelectSlot)); }

qvp::ControlDesc Control(const char* cls, uint32_t id, const char* text, uint32_t style, int16_t x, int16_t y,
                         int16_t cx, int16_t cy) {
  qvp::ControlDesc c;
  c.window_class = qvp::NameOrId::Text(cls);
  c.id = id;
  c.text = qvp::NameOrId::Text(text);
  c.style = style | WS_CHILD | WS_VISIBLE;
  c.x = x;
  c.y = y;
  c.cx = cx;
  c.cy = cy;
  return c;
}

std::vector<uint8_t> Template(const char* caption, uint32_t style, std::vector<qvp::ControlDesc> controls,
                              const char* font) {
  qvp::DialogDesc d;
  d.style = style;
  d.x = 10;
  d.y = 10;
  d.cx = 200;
  d.cy = 100;
  d.caption = qvp::NameOrId::Text(caption);
  if (font) {
    d.style |= DS_SETFONT;
    d.font_face = qvp::NameOrId::Text(font);
    d.font_point_size = 8;
  }
  d.controls = std::move(controls);
  std::vector<uint8_t> block;
  std::string error;
  EXPECT_TRUE(qvp::BuildDialogTemplate(d, &block, &error)) << error;
  return block;
}

void PumpDialog(HWND dlg) {
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (!IsDialogMessageA(dlg, &m)) {
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
  }
}

}  // namespace uitest
