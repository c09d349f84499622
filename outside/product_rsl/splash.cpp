// The splash window: a bordered popup, centred on the screen, whose upper part
// pictures the product's name and version and whose bottom line is a text
// window that start-up and plug-ins write their progress into.
#include "module_state.h"
#include "prd_exports.h"
#include "product_ids.h"

namespace {

constexpr int kWidth = 400;
constexpr int kHeight = 220;
constexpr int kTextHeight = 24;
constexpr COLORREF kPictureColour = RGB(0, 48, 112);

// The one splash of the process (GUI thread only).
HWND g_splash = nullptr;
HWND g_text = nullptr;

struct SplashFonts {
  HFONT title = nullptr;
  HFONT version = nullptr;
};

void PaintPicture(HWND window, HDC dc) {
  RECT client;
  GetClientRect(window, &client);
  RECT picture = client;
  picture.bottom -= kTextHeight;
  HBRUSH fill = CreateSolidBrush(kPictureColour);
  FillRect(dc, &picture, fill);
  DeleteObject(fill);

  auto* fonts = reinterpret_cast<SplashFonts*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  char title[100];
  PRD_GetTitleAndVersion(title, sizeof title);
  HGDIOBJ old = SelectObject(dc, fonts != nullptr && fonts->title ? fonts->title : GetStockObject(SYSTEM_FONT));
  RECT band = picture;
  band.bottom = picture.bottom * 2 / 3;
  DrawTextA(dc, "Quorvane", -1, &band, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(dc, fonts != nullptr && fonts->version ? fonts->version : GetStockObject(SYSTEM_FONT));
  band.top = band.bottom;
  band.bottom = picture.bottom;
  DrawTextA(dc, title, -1, &band, DT_CENTER | DT_TOP | DT_SINGLELINE);
  SelectObject(dc, old);
}

}  // namespace

LRESULT CALLBACK SplashProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      auto* fonts = new SplashFonts;
      fonts->title = CreateFontA(40, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, "Arial");
      fonts->version = CreateFontA(16, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                   CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, "Arial");
      SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(fonts));
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      if (dc != nullptr) {
        PaintPicture(window, dc);
        EndPaint(window, &paint);
      }
      return 0;
    }
    case WM_DESTROY:
      if (window == g_splash) {
        g_splash = nullptr;
        g_text = nullptr;
      }
      return 0;
    case WM_NCDESTROY: {
      auto* fonts = reinterpret_cast<SplashFonts*>(GetWindowLongPtrA(window, GWLP_USERDATA));
      if (fonts != nullptr) {
        if (fonts->title) DeleteObject(fonts->title);
        if (fonts->version) DeleteObject(fonts->version);
        delete fonts;
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      }
      break;
    }
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// One splash at a time: asked again while one is up, the same window answers.
QV_API HWND PRD_CreateSplash(HWND owner) {
  if (g_splash != nullptr && IsWindow(g_splash)) return g_splash;
  if (!EnsureProductClasses()) return nullptr;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
  HWND splash = CreateWindowExA(WS_EX_TOOLWINDOW, kSplashClass, "Quorvane", WS_POPUP | WS_BORDER, x < 0 ? 0 : x,
                                y < 0 ? 0 : y, kWidth, kHeight, owner, nullptr, ProductModule(), nullptr);
  if (splash == nullptr) return nullptr;
  RECT client;
  GetClientRect(splash, &client);
  HWND text = CreateWindowExA(0, "STATIC", "Starting...", WS_CHILD | WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE, 0,
                              client.bottom - kTextHeight, client.right, kTextHeight, splash,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_SPLASH_TEXT)), ProductModule(),
                              nullptr);
  if (text == nullptr) {
    DestroyWindow(splash);
    return nullptr;
  }
  SendMessageA(text, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  g_splash = splash;
  g_text = text;
  ShowWindow(splash, SW_SHOWNORMAL);
  UpdateWindow(splash);
  return splash;
}

QV_API HWND PRD_GetSplashTextWnd() { return g_text; }

// A handle that is no longer (or never was) a splash of ours is left alone.
QV_API void PRD_DestroySplash(HWND splash) {
  if (IsProductWindow(splash, kSplashClass)) DestroyWindow(splash);
}
