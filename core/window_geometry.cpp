#include "window_geometry.h"

namespace {

// The top-left corner that centres a span of size on a screen of screenSize.
int CentredStart(int size, int screenSize) { return size < screenSize ? (screenSize - size) / 2 : 0; }

void ScaleRect(RECT* rect, int xMultiplier, int xDivisor, int yMultiplier, int yDivisor) {
  rect->left = DialogUnitRound(rect->left, xMultiplier, xDivisor);
  rect->right = DialogUnitRound(rect->right, xMultiplier, xDivisor);
  rect->top = DialogUnitRound(rect->top, yMultiplier, yDivisor);
  rect->bottom = DialogUnitRound(rect->bottom, yMultiplier, yDivisor);
}

}  // namespace

void CenterWindow(HWND window) {
  RECT rect;
  if (!GetWindowRect(window, &rect)) return;
  const int width = rect.right - rect.left + 1;
  const int height = rect.bottom - rect.top + 1;
  SetWindowPos(window, nullptr, CentredStart(width, GetSystemMetrics(SM_CXSCREEN)),
               CentredStart(height, GetSystemMetrics(SM_CYSCREEN)), 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

int GetTextWidth(HDC dc, const char* text, int length) {
  SIZE size;
  return GetTextExtentPoint32A(dc, text, length, &size) ? size.cx : 0;
}

int GetTextHeight(HDC dc, const char* text, int length) {
  SIZE size;
  return GetTextExtentPoint32A(dc, text, length, &size) ? size.cy : 0;
}

void GetChildRectInParent(HWND parent, HWND child, RECT* rect) {
  if (rect == nullptr || !GetWindowRect(child, rect)) return;
  POINT topLeft{rect->left, rect->top};
  POINT bottomRight{rect->right, rect->bottom};
  ScreenToClient(parent, &topLeft);
  ScreenToClient(parent, &bottomRight);
  *rect = RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

int DialogUnitRound(int value, int multiplier, int divisor) {
  if (divisor == 0) return 0;
  const long long product = static_cast<long long>(value) * multiplier;
  long long result = product / divisor;
  if (product % divisor >= 6) ++result;
  return static_cast<int>(result);
}

void DialogUnitsToPixels(RECT* rect) {
  if (rect == nullptr) return;
  const LONG base = GetDialogBaseUnits();
  ScaleRect(rect, LOWORD(base), 4, HIWORD(base), 8);
}

void PixelsToDialogUnits(RECT* rect) {
  if (rect == nullptr) return;
  const LONG base = GetDialogBaseUnits();
  ScaleRect(rect, 4, LOWORD(base), 8, HIWORD(base));
}
