#include "ui/controls/control_paint.h"

#include <algorithm>

#include "qvplatform/ui_controls.h"
#include "ui/controls/control_common.h"

namespace qvp::ui {

FontScope::FontScope(HDC hdc, HFONT font)
    : hdc_(hdc), old_(SelectObject(hdc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT))) {}

FontScope::~FontScope() {
  if (old_) SelectObject(hdc_, old_);
}

HBRUSH PrepareColours(HWND hwnd, HDC hdc, UINT msg) {
  int back = COLOR_BTNFACE, text = COLOR_BTNTEXT;
  switch (msg) {
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      back = COLOR_WINDOW;
      text = COLOR_WINDOWTEXT;
      break;
    case WM_CTLCOLORSTATIC:
      text = COLOR_WINDOWTEXT;
      break;
    case WM_CTLCOLORSCROLLBAR:
      back = COLOR_SCROLLBAR;
      break;
    default:
      break;
  }
  SetTextColor(hdc, GetSysColor(text));
  SetBkColor(hdc, GetSysColor(back));
  SetBkMode(hdc, OPAQUE);
  HBRUSH brush = AskColours(hwnd, hdc, msg);
  return brush ? brush : GetSysColorBrush(back);
}

RECT Inset(RECT r, int dx, int dy) { return RECT{r.left + dx, r.top + dy, r.right - dx, r.bottom - dy}; }

namespace {

void Lines(HDC hdc, const POINT* pts, int n, COLORREF colour) {
  HPEN pen = CreatePen(PS_SOLID, 1, colour);
  HGDIOBJ old = SelectObject(hdc, pen);
  Polyline(hdc, pts, n);
  SelectObject(hdc, old);
  DeleteObject(pen);
}

void Disc(HDC hdc, const RECT& r, COLORREF pen_colour, COLORREF fill) {
  HPEN pen = CreatePen(PS_SOLID, 1, pen_colour);
  HBRUSH brush = CreateSolidBrush(fill);
  HGDIOBJ op = SelectObject(hdc, pen);
  HGDIOBJ ob = SelectObject(hdc, brush);
  Ellipse(hdc, r.left, r.top, r.right, r.bottom);
  SelectObject(hdc, ob);
  SelectObject(hdc, op);
  DeleteObject(brush);
  DeleteObject(pen);
}

}  // namespace

void DrawCheckMark(HDC hdc, const RECT& box, UINT check, bool pushed, bool enabled) {
  RECT r = box;
  DrawEdge(hdc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  const bool grey = check == BST_INDETERMINATE || pushed || !enabled;
  FillRect(hdc, &r, GetSysColorBrush(grey ? COLOR_BTNFACE : COLOR_WINDOW));
  if (check == BST_UNCHECKED) return;
  const COLORREF ink = GetSysColor(check == BST_INDETERMINATE || !enabled ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT);
  // A tick three pixels thick: down from the left, then up to the right.
  const int x = r.left + 1, y = r.top + (r.bottom - r.top) / 2 - 1;
  for (int k = 0; k < 3; ++k) {
    POINT tick[3] = {{x, y + k}, {x + 2, y + 2 + k}, {x + 7, y - 3 + k}};
    Lines(hdc, tick, 3, ink);
  }
}

void DrawRadioMark(HDC hdc, const RECT& box, bool checked, bool pushed, bool enabled) {
  const bool grey = pushed || !enabled;
  Disc(hdc, box, GetSysColor(COLOR_BTNSHADOW), GetSysColor(grey ? COLOR_BTNFACE : COLOR_WINDOW));
  if (!checked) return;
  const COLORREF ink = GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT);
  Disc(hdc, Inset(box, 4, 4), ink, ink);
}

void DrawArrow(HDC hdc, const RECT& r, Arrow dir, bool enabled) {
  const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  POINT p[3];
  switch (dir) {
    case Arrow::kDown: p[0] = {cx - 3, cy - 1}; p[1] = {cx + 3, cy - 1}; p[2] = {cx, cy + 2}; break;
    case Arrow::kUp: p[0] = {cx - 3, cy + 1}; p[1] = {cx + 3, cy + 1}; p[2] = {cx, cy - 2}; break;
    case Arrow::kLeft: p[0] = {cx + 1, cy - 3}; p[1] = {cx + 1, cy + 3}; p[2] = {cx - 2, cy}; break;
    case Arrow::kRight: p[0] = {cx - 1, cy - 3}; p[1] = {cx - 1, cy + 3}; p[2] = {cx + 2, cy}; break;
  }
  const COLORREF ink = GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
  HPEN pen = CreatePen(PS_SOLID, 1, ink);
  HBRUSH brush = CreateSolidBrush(ink);
  HGDIOBJ op = SelectObject(hdc, pen);
  HGDIOBJ ob = SelectObject(hdc, brush);
  Polygon(hdc, p, 3);
  SelectObject(hdc, ob);
  SelectObject(hdc, op);
  DeleteObject(brush);
  DeleteObject(pen);
}

SIZE ImageSize(HANDLE image, UINT type) {
  SIZE size{0, 0};
  if (!image) return size;
  if (type == IMAGE_BITMAP) {
    BITMAP bm{};
    if (GetObjectA(image, sizeof(bm), &bm)) size = SIZE{bm.bmWidth, bm.bmHeight};
  } else {
    ICONINFO ii{};
    if (GetIconInfo(static_cast<HICON>(image), &ii)) {
      BITMAP bm{};
      HBITMAP shape = ii.hbmColor ? ii.hbmColor : ii.hbmMask;
      if (GetObjectA(shape, sizeof(bm), &bm)) size = SIZE{bm.bmWidth, ii.hbmColor ? bm.bmHeight : bm.bmHeight / 2};
      if (ii.hbmColor) DeleteObject(ii.hbmColor);
      if (ii.hbmMask) DeleteObject(ii.hbmMask);
    }
  }
  return size;
}

void DrawImage(HDC hdc, HANDLE image, UINT type, int x, int y) {
  if (!image) return;
  if (type == IMAGE_BITMAP) {
    SIZE size = ImageSize(image, type);
    HDC mem = CreateCompatibleDC(hdc);
    HGDIOBJ old = SelectObject(mem, image);
    BitBlt(hdc, x, y, size.cx, size.cy, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
  } else {
    DrawIconEx(hdc, x, y, static_cast<HICON>(image), 0, 0, 0, nullptr, DI_NORMAL);
  }
}

}  // namespace qvp::ui
