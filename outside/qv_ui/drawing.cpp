// The library's frame and grow-box drawing.
#include "qv_ui.h"

namespace {

// Fills a polygon in one colour with neither pen outline nor gaps.
void FillPolygon(HDC dc, const POINT* points, int count, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  HPEN pen = CreatePen(PS_SOLID, 1, color);
  if (brush == nullptr || pen == nullptr) {
    if (brush != nullptr) DeleteObject(brush);
    if (pen != nullptr) DeleteObject(pen);
    return;
  }
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  Polygon(dc, points, count);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(pen);
  DeleteObject(brush);
}

}  // namespace

QV_API void QVUI_DrawTesselPolygons(HDC dc, const RECT* rect, int thickness, COLORREF topLeft,
                                    COLORREF bottomRight) {
  if (dc == nullptr || rect == nullptr || thickness < 1) return;
  const LONG width = rect->right - rect->left;
  const LONG height = rect->bottom - rect->top;
  if (width <= 0 || height <= 0) return;
  // A band never reaches past the middle of the rectangle.
  const LONG shorter = width < height ? width : height;
  const LONG band = thickness < (shorter + 1) / 2 ? thickness : (shorter + 1) / 2;
  const LONG left = rect->left;
  const LONG top = rect->top;
  const LONG right = rect->right - 1;  // the last pixel column inside the rectangle
  const LONG bottom = rect->bottom - 1;
  // Top and left: an L with the diagonal cut at the two far corners.
  const POINT upper[] = {{left, top},
                         {right, top},
                         {right - band + 1, top + band - 1},
                         {left + band - 1, top + band - 1},
                         {left + band - 1, bottom - band + 1},
                         {left, bottom}};
  // Bottom and right.
  const POINT lower[] = {{right, top},
                         {right, bottom},
                         {left, bottom},
                         {left + band - 1, bottom - band + 1},
                         {right - band + 1, bottom - band + 1},
                         {right - band + 1, top + band - 1}};
  FillPolygon(dc, lower, 6, bottomRight);
  FillPolygon(dc, upper, 6, topLeft);
}

QV_API void QVUI_PaintGrowBox(HWND window) {
  HDC dc = GetDC(window);
  if (dc == nullptr) return;
  RECT client;
  GetClientRect(window, &client);
  const int size = GetSystemMetrics(SM_CXVSCROLL);
  const RECT box{client.right - size, client.bottom - size, client.right, client.bottom};
  FillRect(dc, &box, GetSysColorBrush(COLOR_BTNFACE));
  HPEN light = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
  HPEN dark = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
  if (light != nullptr && dark != nullptr) {
    HGDIOBJ old = SelectObject(dc, dark);
    // Three ridges from the bottom edge to the right edge, each a shadow line
    // with a highlight line above it.
    for (int offset = 3; offset < size; offset += 4) {
      SelectObject(dc, light);
      MoveToEx(dc, box.right - offset - 1, box.bottom - 1, nullptr);
      LineTo(dc, box.right, box.bottom - offset - 2);
      SelectObject(dc, dark);
      MoveToEx(dc, box.right - offset, box.bottom - 1, nullptr);
      LineTo(dc, box.right, box.bottom - offset - 1);
    }
    SelectObject(dc, old);
  }
  if (light != nullptr) DeleteObject(light);
  if (dark != nullptr) DeleteObject(dark);
  ReleaseDC(window, dc);
}
