// Window classes and windows: creation, the tree, longs, properties, text,
// visibility, focus, geometry and painting.
#pragma once

#include "qvplatform/types.h"
#include "qvplatform/errors.h"
#include "qvplatform/ui_consts.h"

typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);
typedef BOOL(CALLBACK* WNDENUMPROC)(HWND, LPARAM);
typedef BOOL(CALLBACK* PROPENUMPROCA)(HWND, LPCSTR, HANDLE);
typedef HANDLE HDWP;

struct WNDCLASSA {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
};
typedef WNDCLASSA* LPWNDCLASSA;

struct WNDCLASSEXA {
  UINT cbSize;
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
  HICON hIconSm;
};
typedef WNDCLASSEXA* LPWNDCLASSEXA;

struct CREATESTRUCTA {
  LPVOID lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  LPCSTR lpszName;
  LPCSTR lpszClass;
  DWORD dwExStyle;
};
typedef CREATESTRUCTA* LPCREATESTRUCTA;

struct WINDOWPOS {
  HWND hwnd;
  HWND hwndInsertAfter;
  int x;
  int y;
  int cx;
  int cy;
  UINT flags;
};
typedef WINDOWPOS* LPWINDOWPOS;

struct NCCALCSIZE_PARAMS {
  RECT rgrc[3];
  WINDOWPOS* lppos;
};
typedef NCCALCSIZE_PARAMS* LPNCCALCSIZE_PARAMS;

struct MINMAXINFO {
  POINT ptReserved;
  POINT ptMaxSize;
  POINT ptMaxPosition;
  POINT ptMinTrackSize;
  POINT ptMaxTrackSize;
};
typedef MINMAXINFO* LPMINMAXINFO;

struct STYLESTRUCT {
  DWORD styleOld;
  DWORD styleNew;
};
typedef STYLESTRUCT* LPSTYLESTRUCT;

struct PAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
  BOOL fRestore;
  BOOL fIncUpdate;
  BYTE rgbReserved[32];
};
typedef PAINTSTRUCT* LPPAINTSTRUCT;

// ---- Classes ----
QV_API ATOM WINAPI RegisterClassA(const WNDCLASSA* lpWndClass);
QV_API ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* lpWndClass);
QV_API BOOL WINAPI UnregisterClassA(LPCSTR lpClassName, HINSTANCE hInstance);
QV_API BOOL WINAPI GetClassInfoA(HINSTANCE hInstance, LPCSTR lpClassName, LPWNDCLASSA lpWndClass);
QV_API BOOL WINAPI GetClassInfoExA(HINSTANCE hInstance, LPCSTR lpszClass, LPWNDCLASSEXA lpwcx);
QV_API int WINAPI GetClassNameA(HWND hWnd, LPSTR lpClassName, int nMaxCount);
// Class longs are pointer-wide: the class keeps procedures and handles in them.
QV_API ULONG_PTR WINAPI GetClassLongA(HWND hWnd, int nIndex);
QV_API ULONG_PTR WINAPI SetClassLongA(HWND hWnd, int nIndex, LONG_PTR dwNewLong);
QV_API ULONG_PTR WINAPI GetClassLongPtrA(HWND hWnd, int nIndex);
QV_API ULONG_PTR WINAPI SetClassLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong);

// ---- Creation and destruction ----
QV_API HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle,
                                   int X, int Y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu,
                                   HINSTANCE hInstance, LPVOID lpParam);
#define CreateWindowA(cls, name, style, x, y, w, h, parent, menu, inst, param) \
  CreateWindowExA(0L, cls, name, style, x, y, w, h, parent, menu, inst, param)
QV_API BOOL WINAPI DestroyWindow(HWND hWnd);
QV_API BOOL WINAPI IsWindow(HWND hWnd);
QV_API DWORD WINAPI GetWindowThreadProcessId(HWND hWnd, LPDWORD lpdwProcessId);

// ---- The tree ----
QV_API HWND WINAPI GetDesktopWindow();
QV_API HWND WINAPI FindWindowA(LPCSTR lpClassName, LPCSTR lpWindowName);
QV_API HWND WINAPI FindWindowExA(HWND hWndParent, HWND hWndChildAfter, LPCSTR lpszClass, LPCSTR lpszWindow);
QV_API HWND WINAPI GetParent(HWND hWnd);
QV_API HWND WINAPI SetParent(HWND hWndChild, HWND hWndNewParent);
QV_API HWND WINAPI GetWindow(HWND hWnd, UINT uCmd);
QV_API HWND WINAPI GetTopWindow(HWND hWnd);
QV_API BOOL WINAPI IsChild(HWND hWndParent, HWND hWnd);
QV_API BOOL WINAPI EnumWindows(WNDENUMPROC lpEnumFunc, LPARAM lParam);
QV_API BOOL WINAPI EnumChildWindows(HWND hWndParent, WNDENUMPROC lpEnumFunc, LPARAM lParam);
QV_API BOOL WINAPI EnumThreadWindows(DWORD dwThreadId, WNDENUMPROC lpfn, LPARAM lParam);

// ---- Window longs (pointer-wide, also through the non-Ptr names) ----
QV_API LONG_PTR WINAPI GetWindowLongA(HWND hWnd, int nIndex);
QV_API LONG_PTR WINAPI SetWindowLongA(HWND hWnd, int nIndex, LONG_PTR dwNewLong);
QV_API LONG_PTR WINAPI GetWindowLongPtrA(HWND hWnd, int nIndex);
QV_API LONG_PTR WINAPI SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong);

// ---- Procedures ----
QV_API LRESULT WINAPI CallWindowProcA(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
QV_API LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);

// ---- Properties ----
QV_API HANDLE WINAPI GetPropA(HWND hWnd, LPCSTR lpString);
QV_API BOOL WINAPI SetPropA(HWND hWnd, LPCSTR lpString, HANDLE hData);
QV_API HANDLE WINAPI RemovePropA(HWND hWnd, LPCSTR lpString);
QV_API int WINAPI EnumPropsA(HWND hWnd, PROPENUMPROCA lpEnumFunc);

// ---- Text ----
QV_API int WINAPI GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount);
QV_API BOOL WINAPI SetWindowTextA(HWND hWnd, LPCSTR lpString);
QV_API int WINAPI GetWindowTextLengthA(HWND hWnd);

// ---- State: visibility, enabling, focus, activation, capture ----
QV_API BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow);
QV_API BOOL WINAPI IsWindowVisible(HWND hWnd);
QV_API BOOL WINAPI IsIconic(HWND hWnd);
QV_API BOOL WINAPI IsZoomed(HWND hWnd);
QV_API BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable);
QV_API BOOL WINAPI IsWindowEnabled(HWND hWnd);
QV_API HWND WINAPI SetFocus(HWND hWnd);
QV_API HWND WINAPI GetFocus();
QV_API HWND WINAPI SetActiveWindow(HWND hWnd);
QV_API HWND WINAPI GetActiveWindow();
QV_API BOOL WINAPI SetForegroundWindow(HWND hWnd);
QV_API HWND WINAPI GetForegroundWindow();
QV_API HWND WINAPI GetLastActivePopup(HWND hWnd);
QV_API HWND WINAPI SetCapture(HWND hWnd);
QV_API BOOL WINAPI ReleaseCapture();
QV_API HWND WINAPI GetCapture();
QV_API BOOL WINAPI BringWindowToTop(HWND hWnd);

// ---- Geometry ----
QV_API BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect);
QV_API BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect);
QV_API BOOL WINAPI MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint);
QV_API BOOL WINAPI SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags);
QV_API HDWP WINAPI BeginDeferWindowPos(int nNumWindows);
QV_API HDWP WINAPI DeferWindowPos(HDWP hWinPosInfo, HWND hWnd, HWND hWndInsertAfter, int x, int y, int cx, int cy,
                                  UINT uFlags);
QV_API BOOL WINAPI EndDeferWindowPos(HDWP hWinPosInfo);
QV_API int WINAPI MapWindowPoints(HWND hWndFrom, HWND hWndTo, LPPOINT lpPoints, UINT cPoints);
QV_API BOOL WINAPI ScreenToClient(HWND hWnd, LPPOINT lpPoint);
QV_API BOOL WINAPI ClientToScreen(HWND hWnd, LPPOINT lpPoint);
QV_API BOOL WINAPI AdjustWindowRect(LPRECT lpRect, DWORD dwStyle, BOOL bMenu);
QV_API BOOL WINAPI AdjustWindowRectEx(LPRECT lpRect, DWORD dwStyle, BOOL bMenu, DWORD dwExStyle);
QV_API int WINAPI GetSystemMetrics(int nIndex);

// ---- Painting ----
QV_API BOOL WINAPI UpdateWindow(HWND hWnd);
QV_API BOOL WINAPI InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase);
QV_API BOOL WINAPI ValidateRect(HWND hWnd, const RECT* lpRect);
QV_API BOOL WINAPI GetUpdateRect(HWND hWnd, LPRECT lpRect, BOOL bErase);
QV_API BOOL WINAPI RedrawWindow(HWND hWnd, const RECT* lprcUpdate, HRGN hrgnUpdate, UINT flags);
QV_API HDC WINAPI BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint);
QV_API BOOL WINAPI EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint);
QV_API HDC WINAPI GetDC(HWND hWnd);
QV_API HDC WINAPI GetWindowDC(HWND hWnd);
QV_API int WINAPI ReleaseDC(HWND hWnd, HDC hDC);
