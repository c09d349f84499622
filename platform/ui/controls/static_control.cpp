// The "Static" control: text, frames and rectangles, images, owner-drawn.
// Mouse clicks pass through to what lies beneath unless SS_NOTIFY is set; with
// it the parent hears STN_CLICKED, STN_DBLCLK, STN_ENABLE and STN_DISABLE.
#include <memory>

#include "ui/controls/control_classes.h"
#include "ui/controls/control_common.h"
#include "ui/controls/static_control.h"

namespace qvp::ui {
namespace {

StateTable<StaticState>& States() {
  static auto* t = new StateTable<StaticState>;
  return *t;
}

// The image kind a static of this style shows, or -1 for one that shows none.
int ImageTypeOf(DWORD style) {
  switch (StaticType(style)) {
    case SS_BITMAP: return IMAGE_BITMAP;
    case SS_ICON: return IMAGE_ICON;
    case SS_ENHMETAFILE: return IMAGE_ENHMETAFILE;
    default: return -1;
  }
}

bool Fits(DWORD style, WPARAM type) {
  int want = ImageTypeOf(style);
  if (want == IMAGE_ICON) return type == IMAGE_ICON || type == IMAGE_CURSOR;
  return want >= 0 && static_cast<WPARAM>(want) == type;
}

LRESULT SetImage(HWND hwnd, StaticState& s, WPARAM type, LPARAM image) {
  if (!Fits(StyleOf(hwnd), type)) return 0;
  HANDLE old = s.image;
  s.image = reinterpret_cast<HANDLE>(image);
  InvalidateRect(hwnd, nullptr, TRUE);
  return reinterpret_cast<LRESULT>(old);
}

void DrawOwner(HWND hwnd, HDC hdc) {
  HWND parent = ParentOf(hwnd);
  if (!parent) return;
  DRAWITEMSTRUCT dis{};
  dis.CtlType = ODT_STATIC;
  dis.CtlID = ControlId(hwnd);
  dis.itemAction = ODA_DRAWENTIRE;
  dis.itemState = IsWindowEnabled(hwnd) ? 0 : ODS_DISABLED;
  dis.hwndItem = hwnd;
  dis.hDC = hdc;
  dis.rcItem = ClientRectOf(hwnd);
  SendMessageA(parent, WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
}

}  // namespace

LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) States().Make(hwnd, std::make_shared<StaticState>());
  std::shared_ptr<StaticState> sp = States().Get(hwnd);
  if (!sp) return DefWindowProcA(hwnd, msg, wp, lp);
  StaticState& s = *sp;
  const DWORD style = StyleOf(hwnd);

  switch (msg) {
    case WM_NCDESTROY:
      States().Drop(hwnd);
      return DefWindowProcA(hwnd, msg, wp, lp);
    case WM_NCHITTEST:
      return (style & SS_NOTIFY) ? HTCLIENT : HTTRANSPARENT;
    case WM_GETDLGCODE:
      return DLGC_STATIC;
    case WM_SETTEXT: {
      LRESULT r = DefWindowProcA(hwnd, msg, wp, lp);
      InvalidateRect(hwnd, nullptr, TRUE);
      return r;
    }
    case WM_SETFONT:
      s.font = reinterpret_cast<HFONT>(wp);
      if (LOWORD(lp)) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(s.font);
    case WM_ENABLE:
      if (style & SS_NOTIFY) NotifyParent(hwnd, wp ? STN_ENABLE : STN_DISABLE);
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_LBUTTONDOWN:
      if (style & SS_NOTIFY) NotifyParent(hwnd, STN_CLICKED);
      return 0;
    case WM_LBUTTONDBLCLK:
      if (style & SS_NOTIFY) NotifyParent(hwnd, STN_DBLCLK);
      return 0;
    case STM_SETIMAGE:
      return SetImage(hwnd, s, wp, lp);
    case STM_GETIMAGE:
      return Fits(style, wp) ? reinterpret_cast<LRESULT>(s.image) : 0;
    case STM_SETICON:
      return SetImage(hwnd, s, IMAGE_ICON, static_cast<LPARAM>(wp));
    case STM_GETICON:
      return StaticType(style) == SS_ICON ? reinterpret_cast<LRESULT>(s.image) : 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC hdc = BeginPaint(hwnd, &ps);
      if (StaticType(style) == SS_OWNERDRAW)
        DrawOwner(hwnd, hdc);
      else
        PaintStatic(hwnd, s, hdc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      if (StaticType(style) == SS_OWNERDRAW)
        DrawOwner(hwnd, reinterpret_cast<HDC>(wp));
      else
        PaintStatic(hwnd, s, reinterpret_cast<HDC>(wp));
      return 0;
    default:
      return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

}  // namespace qvp::ui
