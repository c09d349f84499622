// The library's own pictures, bitmap statics, off-screen bitmaps and the
// process-wide bitmap cache.
#include <map>
#include <mutex>
#include <utility>

#include "qv_ui.h"

namespace {

// The library's pictures are drawn, not loaded: this value stands for the
// library wherever an instance is asked for.
char g_pictureMarker;
HINSTANCE PictureInstance() { return reinterpret_cast<HINSTANCE>(&g_pictureMarker); }

struct PictureSize {
  int id;
  int width;
  int height;
};
constexpr PictureSize kPictures[] = {{8, 32, 32}, {11, 64, 160}, {14, 48, 48}, {17, 32, 32}, {19, 48, 48}};

// A dark-blue to teal band with a light sweep of rings: the library's emblem.
HBITMAP DrawPicture(int id) {
  const PictureSize* size = nullptr;
  for (const PictureSize& p : kPictures) {
    if (p.id == id) size = &p;
  }
  if (size == nullptr) return nullptr;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = dc != nullptr ? CreateCompatibleBitmap(screen, size->width, size->height) : nullptr;
  ReleaseDC(nullptr, screen);
  if (bitmap == nullptr) {
    if (dc != nullptr) DeleteDC(dc);
    return nullptr;
  }
  HGDIOBJ old = SelectObject(dc, bitmap);
  for (int y = 0; y < size->height; ++y) {
    const int shade = y * 255 / (size->height > 1 ? size->height - 1 : 1);
    HBRUSH brush = CreateSolidBrush(RGB(16, 40 + shade / 3, 96 + shade / 3));
    RECT row{0, y, size->width, y + 1};
    FillRect(dc, &row, brush);
    DeleteObject(brush);
  }
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(200, 230, 255));
  HGDIOBJ oldPen = SelectObject(dc, pen);
  const int cx = size->width / 2;
  const int cy = size->height - size->width / 2;
  for (int r = size->width / 6; r < size->width; r += size->width / 6 + 1) {
    Ellipse(dc, cx - r, cy - r, cx + r, cy + r);
  }
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(pen);
  SelectObject(dc, old);
  DeleteDC(dc);
  return bitmap;
}

HBITMAP LoadPicture(LPCSTR name, HINSTANCE instance) {
  if (instance == PictureInstance()) {
    if (!IS_INTRESOURCE(name)) return nullptr;
    return DrawPicture(LOWORD(reinterpret_cast<ULONG_PTR>(name)));
  }
  return LoadBitmapA(instance, name);
}

constexpr char kOldProcedure[] = "QVUI_FancyBitmapProc";
constexpr char kBitmap[] = "QVUI_FancyBitmap";

LRESULT CALLBACK FancyBitmapProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto old = reinterpret_cast<WNDPROC>(GetPropA(window, kOldProcedure));
  auto bitmap = static_cast<HBITMAP>(GetPropA(window, kBitmap));
  if (message == WM_PAINT && bitmap != nullptr) {
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(window, &paint);
    RECT client{};
    GetClientRect(window, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    HDC memory = CreateCompatibleDC(dc);
    if (memory != nullptr) {
      HGDIOBJ previous = SelectObject(memory, bitmap);
      int width = 0, height = 0;
      QVUI_GetBitmapSize(bitmap, &width, &height);
      BitBlt(dc, 0, 0, width, height, memory, 0, 0, SRCCOPY);
      SelectObject(memory, previous);
      DeleteDC(memory);
    }
    EndPaint(window, &paint);
    return 0;
  }
  if (message == WM_NCDESTROY) {
    // A window that goes without being unsubclassed still gives its bitmap back.
    QVUI_UnsubclassWindow(window);
    return old != nullptr ? CallWindowProcA(old, window, message, wParam, lParam) : 0;
  }
  return old != nullptr ? CallWindowProcA(old, window, message, wParam, lParam)
                        : DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

QV_API HINSTANCE QVUI_GetBitmapInstance(void) { return PictureInstance(); }

QV_API LPCSTR QVUI_GetBitmapResource(int id) { return MAKEINTRESOURCEA(id); }

QV_API BOOL QVUI_SubclassFancyBitmap(HWND control, LPCSTR bitmap, HINSTANCE instance) {
  if (control == nullptr || !IsWindow(control) || GetPropA(control, kOldProcedure) != nullptr) return FALSE;
  HBITMAP picture = LoadPicture(bitmap, instance);
  if (picture == nullptr) return FALSE;
  SetPropA(control, kBitmap, picture);
  const LONG_PTR old = SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FancyBitmapProc));
  SetPropA(control, kOldProcedure, reinterpret_cast<HANDLE>(old));
  InvalidateRect(control, nullptr, TRUE);
  return TRUE;
}

QV_API BOOL QVUI_UnsubclassWindow(HWND control) {
  if (control == nullptr || !IsWindow(control)) return FALSE;
  auto old = reinterpret_cast<LONG_PTR>(GetPropA(control, kOldProcedure));
  if (old == 0) return FALSE;
  SetWindowLongPtrA(control, GWLP_WNDPROC, old);
  RemovePropA(control, kOldProcedure);
  if (HANDLE bitmap = RemovePropA(control, kBitmap)) DeleteObject(static_cast<HGDIOBJ>(bitmap));
  return TRUE;
}

QV_API HBITMAP QVUI_GetCompatibleBitmap(HDC dc, int width, int height, HGDIOBJ* previous) {
  if (previous != nullptr) *previous = nullptr;
  if (dc == nullptr || width <= 0 || height <= 0) return nullptr;
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen != nullptr ? screen : dc, width, height);
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  if (bitmap == nullptr) return nullptr;
  HGDIOBJ old = SelectObject(dc, bitmap);
  if (previous != nullptr) *previous = old;
  return bitmap;
}

QV_API void QVUI_DeleteBitmapAndHDC(HDC dc, HBITMAP bitmap, HGDIOBJ previous) {
  if (dc != nullptr && previous != nullptr) SelectObject(dc, previous);
  if (bitmap != nullptr) DeleteObject(bitmap);
  if (dc != nullptr) DeleteDC(dc);
}

QV_API HBITMAP QVUI_GetBitmapHandleFromCache(HWND /*window*/, UINT id, HINSTANCE instance) {
  static std::mutex lock;
  static auto* cache = new std::map<std::pair<HINSTANCE, UINT>, HBITMAP>;  // kept for the process
  std::lock_guard<std::mutex> guard(lock);
  const auto key = std::make_pair(instance, id);
  auto found = cache->find(key);
  if (found != cache->end()) return found->second;
  HBITMAP bitmap = LoadPicture(MAKEINTRESOURCEA(id), instance);
  if (bitmap != nullptr) (*cache)[key] = bitmap;
  return bitmap;
}

QV_API BOOL QVUI_GetBitmapSize(HBITMAP bitmap, int* width, int* height) {
  if (width != nullptr) *width = 0;
  if (height != nullptr) *height = 0;
  BITMAP info{};
  if (bitmap == nullptr || GetObjectA(bitmap, sizeof info, &info) == 0) return FALSE;
  if (width != nullptr) *width = info.bmWidth;
  if (height != nullptr) *height = info.bmHeight;
  return TRUE;
}
