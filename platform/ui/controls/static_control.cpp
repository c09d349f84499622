// The "Static" control: text, frames and rectangles, images, owner-drawn.
// Mouse clicks pass through to what lies beneath unless SS_NOTIFY is set; with
// it the parent hears STN_CLICKED, STN_DBLCLK, STN_ENABLE and STN_DISABLE.
#include <memory>

#include "ui/controls/control_classes.h"
#include "ui/controls/control_common.h"
#include "ui/controls/control_paint.h"
#include "ui/controls/static_control.h"

namespace qvp::ui {
namespace {

WindowSlot<StaticState>& States() { return SlotOf<StaticState>(); }

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

void FreeImage(StaticState& s) {
  if (!s.owns_image || !s.image) return;
  if (s.owned_type == IMAGE_BITMAP)
    DeleteObject(s.image);
  else
    DestroyIcon(static_cast<HICON>(s.image));
  s.owns_image = false;
}

// An image control takes the size of its image, unless it centres the image
// in the area it was given or stretches the image to it.
void FitToImage(HWND hwnd, const StaticState& s, UINT type) {
  const DWORD style = StyleOf(hwnd);
  if (!s.image || (style & (SS_CENTERIMAGE | SS_REALSIZECONTROL))) return;
  SIZE size = ImageSize(s.image, type);
  if (size.cx <= 0 || size.cy <= 0) return;
  SetWindowPos(hwnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT SetImage(HWND hwnd, StaticState& s, WPARAM type, LPARAM image) {
  if (!Fits(StyleOf(hwnd), type)) return 0;
  // An image the control loaded itself goes; one handed in stays its owner's.
  HANDLE old = s.owns_image ? nullptr : s.image;
  FreeImage(s);
  s.image = reinterpret_cast<HANDLE>(image);
  s.owns_image = false;
  FitToImage(hwnd, s, type == IMAGE_BITMAP ? IMAGE_BITMAP : IMAGE_ICON);
  InvalidateRect(hwnd, nullptr, TRUE);
  return reinterpret_cast<LRESULT>(old);
}

// The text of an image control names its image in the module's resources.
void LoadNamedImage(HWND hwnd, StaticState& s, HINSTANCE instance, LPCSTR name) {
  const int type = ImageTypeOf(StyleOf(hwnd));
  if (type != IMAGE_BITMAP && type != IMAGE_ICON) return;
  if (!name || (reinterpret_cast<ULONG_PTR>(name) > 0xFFFF && !*name)) return;
  HANDLE image = LoadImageA(instance, name, static_cast<UINT>(type), 0, 0,
                            type == IMAGE_ICON ? LR_DEFAULTSIZE : LR_DEFAULTCOLOR);
  if (!image) return;
  FreeImage(s);
  s.image = image;
  s.owns_image = true;
  s.owned_type = static_cast<UINT>(type);
  FitToImage(hwnd, s, static_cast<UINT>(type));
  InvalidateRect(hwnd, nullptr, TRUE);
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

namespace {

LRESULT StaticProc(StaticState& s, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  const DWORD style = StyleOf(hwnd);

  switch (msg) {
    case WM_NCHITTEST:
      return (style & SS_NOTIFY) ? HTCLIENT : HTTRANSPARENT;
    case WM_GETDLGCODE:
      return DLGC_STATIC;
    case WM_CREATE: {
      auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lp);
      if (cs) LoadNamedImage(hwnd, s, cs->hInstance, cs->lpszName);
      return 0;
    }
    case WM_SETTEXT: {
      if (ImageTypeOf(style) == IMAGE_BITMAP || ImageTypeOf(style) == IMAGE_ICON) {
        LoadNamedImage(hwnd, s, reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(hwnd, GWL_HINSTANCE)),
                       reinterpret_cast<LPCSTR>(lp));
        return TRUE;
      }
      return SetShownText(hwnd, wp, lp);
    }
    case WM_SETFONT:
      KeepFont(hwnd, &s.font, wp, lp);
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
    case WM_PAINT:
    case WM_PRINTCLIENT:
      return PaintClient(hwnd, msg, wp, [&](HDC hdc) {
        if (StaticType(style) == SS_OWNERDRAW)
          DrawOwner(hwnd, hdc);
        else
          PaintStatic(hwnd, s, hdc);
      });
    default:
      return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

}  // namespace

LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return RunControlProc(States(), hwnd, msg, wp, lp, NewRecord<StaticState>, StaticProc, FreeImage);
}

}  // namespace qvp::ui
