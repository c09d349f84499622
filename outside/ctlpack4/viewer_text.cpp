#include "viewer_text.h"

#include "ctlpack4.h"

namespace {

LRESULT CALLBACK ViewerTextProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      if (dc != nullptr) {
        RECT client;
        GetClientRect(window, &client);
        FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
        EndPaint(window, &paint);
      }
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers the whole client area
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    default:
      break;
  }
  // The viewer's own messages (WM_USER and up) are not served yet.
  if (message >= WM_USER && message < 0x8000) return 0;
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

bool RegisterViewerTextClass(HINSTANCE instance) {
  WNDCLASSA wc{};
  wc.style = CS_GLOBALCLASS | CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = ViewerTextProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, IDC_IBEAM);
  wc.lpszClassName = kViewerTextClass;
  return RegisterClassA(&wc) != 0;
}

BOOL UnregisterViewerTextClass(HINSTANCE instance) { return UnregisterClassA(kViewerTextClass, instance); }
