// Window classes: registration, lookup and class longs.
#include "ui/classes.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

#include "ui/extra_bytes.h"
#include "ui/last_error.h"

namespace qvp::ui {
namespace {

bool IsLocal(const WindowClass& c) { return !c.system && !(c.style & CS_GLOBALCLASS); }

std::shared_ptr<WindowClass> MakeClass(const WNDCLASSEXA& wc, ATOM atom, const std::string& name) {
  auto c = std::make_shared<WindowClass>();
  c->atom = atom;
  c->name = name;
  c->style = wc.style;
  c->proc = wc.lpfnWndProc;
  c->cls_extra = wc.cbClsExtra;
  c->wnd_extra = wc.cbWndExtra;
  c->instance = wc.hInstance;
  c->icon = wc.hIcon;
  c->small_icon = wc.hIconSm;
  c->cursor = wc.hCursor;
  c->background = wc.hbrBackground;
  if (wc.lpszMenuName && IsIntAtom(wc.lpszMenuName)) {
    c->menu = wc.lpszMenuName;
  } else if (wc.lpszMenuName) {
    c->menu_name = wc.lpszMenuName;
  }
  c->extra.assign(static_cast<size_t>(wc.cbClsExtra), 0);
  return c;
}

// The pointer GetClassInfo hands out for the menu name, stable while the class lives.
LPCSTR MenuOf(const WindowClass& c) { return c.menu ? c.menu : (c.menu_name.empty() ? nullptr : c.menu_name.c_str()); }

ATOM Register(const WNDCLASSEXA& wc, bool system) {
  if (!wc.lpszClassName || wc.cbClsExtra < 0 || wc.cbWndExtra < 0 ||
      (!IsIntAtom(wc.lpszClassName) && wc.lpszClassName[0] == '\0')) {
    SetError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  WindowSystem& s = Sys();
  Lock g(s.lock);
  ATOM atom = AtomOfLocked(wc.lpszClassName, true);
  if (atom == 0) {
    SetError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  for (const auto& c : s.classes) {
    if (c->atom != atom) continue;
    bool clash = system ? c->system
                        : ((IsLocal(*c) && c->instance == wc.hInstance) ||
                           ((wc.style & CS_GLOBALCLASS) && (c->style & CS_GLOBALCLASS) && !c->system));
    if (clash) {
      if (system) return atom;
      SetError(ERROR_CLASS_ALREADY_EXISTS);
      return 0;
    }
  }
  std::string name = IsIntAtom(wc.lpszClassName) ? AtomNameLocked(atom) : std::string(wc.lpszClassName);
  auto c = MakeClass(wc, atom, name);
  c->system = system;
  s.classes.push_back(std::move(c));
  return atom;
}

// Whether a LONG_PTR at a non-negative index lies inside the class's extra
// bytes; sets ERROR_INVALID_INDEX when it does not.
std::shared_ptr<WindowClass> ClassOfWindow(HWND hwnd) {
  Window* w = RequireLocked(hwnd);
  return w ? w->cls : nullptr;
}

}  // namespace

std::shared_ptr<WindowClass> FindClassLocked(LPCSTR name, HINSTANCE instance) {
  if (!name) return nullptr;
  ATOM atom = AtomOfLocked(name, false);
  if (atom == 0) return nullptr;
  WindowSystem& s = Sys();
  std::shared_ptr<WindowClass> global, system;
  for (const auto& c : s.classes) {
    if (c->atom != atom) continue;
    if (IsLocal(*c)) {
      if (c->instance == instance) return c;
    } else if (c->system) {
      system = c;
    } else if (!global) {
      global = c;
    }
  }
  return global ? global : system;
}

ATOM RegisterSystemClass(const WNDCLASSEXA& wc) { return Register(wc, true); }

}  // namespace qvp::ui

using namespace qvp::ui;

ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* lpWndClass) {
  if (!lpWndClass || lpWndClass->cbSize != sizeof(WNDCLASSEXA)) {
    SetError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return Register(*lpWndClass, false);
}

ATOM WINAPI RegisterClassA(const WNDCLASSA* lpWndClass) {
  if (!lpWndClass) {
    SetError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof(wc);
  wc.style = lpWndClass->style;
  wc.lpfnWndProc = lpWndClass->lpfnWndProc;
  wc.cbClsExtra = lpWndClass->cbClsExtra;
  wc.cbWndExtra = lpWndClass->cbWndExtra;
  wc.hInstance = lpWndClass->hInstance;
  wc.hIcon = lpWndClass->hIcon;
  wc.hCursor = lpWndClass->hCursor;
  wc.hbrBackground = lpWndClass->hbrBackground;
  wc.lpszMenuName = lpWndClass->lpszMenuName;
  wc.lpszClassName = lpWndClass->lpszClassName;
  return Register(wc, false);
}

BOOL WINAPI UnregisterClassA(LPCSTR lpClassName, HINSTANCE hInstance) {
  WindowSystem& s = Sys();
  Lock g(s.lock);
  ATOM atom = lpClassName ? AtomOfLocked(lpClassName, false) : 0;
  auto it = std::find_if(s.classes.begin(), s.classes.end(), [&](const std::shared_ptr<WindowClass>& c) {
    return c->atom == atom && !c->system && c->instance == hInstance;
  });
  if (atom == 0 || it == s.classes.end()) {
    SetError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  if ((*it)->windows > 0) {
    SetError(ERROR_CLASS_HAS_WINDOWS);
    return FALSE;
  }
  s.classes.erase(it);
  return TRUE;
}

BOOL WINAPI GetClassInfoExA(HINSTANCE hInstance, LPCSTR lpszClass, LPWNDCLASSEXA lpwcx) {
  if (!lpwcx) {
    SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  WindowSystem& s = Sys();
  Lock g(s.lock);
  auto c = FindClassLocked(lpszClass, hInstance);
  if (!c) {
    SetError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  lpwcx->style = c->style;
  lpwcx->lpfnWndProc = c->proc;
  lpwcx->cbClsExtra = c->cls_extra;
  lpwcx->cbWndExtra = c->wnd_extra;
  lpwcx->hInstance = c->system ? nullptr : c->instance;
  lpwcx->hIcon = c->icon;
  lpwcx->hCursor = c->cursor;
  lpwcx->hbrBackground = c->background;
  lpwcx->lpszMenuName = MenuOf(*c);
  lpwcx->lpszClassName = lpszClass;
  lpwcx->hIconSm = c->small_icon;
  return c->atom;
}

BOOL WINAPI GetClassInfoA(HINSTANCE hInstance, LPCSTR lpClassName, LPWNDCLASSA lpWndClass) {
  if (!lpWndClass) {
    SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof(wc);
  if (!GetClassInfoExA(hInstance, lpClassName, &wc)) return FALSE;
  lpWndClass->style = wc.style;
  lpWndClass->lpfnWndProc = wc.lpfnWndProc;
  lpWndClass->cbClsExtra = wc.cbClsExtra;
  lpWndClass->cbWndExtra = wc.cbWndExtra;
  lpWndClass->hInstance = wc.hInstance;
  lpWndClass->hIcon = wc.hIcon;
  lpWndClass->hCursor = wc.hCursor;
  lpWndClass->hbrBackground = wc.hbrBackground;
  lpWndClass->lpszMenuName = wc.lpszMenuName;
  lpWndClass->lpszClassName = wc.lpszClassName;
  return TRUE;
}

int WINAPI GetClassNameA(HWND hWnd, LPSTR lpClassName, int nMaxCount) {
  WindowSystem& s = Sys();
  Lock g(s.lock);
  auto c = ClassOfWindow(hWnd);
  if (!c) return 0;
  if (!lpClassName || nMaxCount <= 0) {
    SetError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  size_t n = std::min(c->name.size(), static_cast<size_t>(nMaxCount - 1));
  std::memcpy(lpClassName, c->name.data(), n);
  lpClassName[n] = '\0';
  return static_cast<int>(n);
}

ULONG_PTR WINAPI GetClassLongPtrA(HWND hWnd, int nIndex) {
  WindowSystem& s = Sys();
  Lock g(s.lock);
  auto c = ClassOfWindow(hWnd);
  if (!c) return 0;
  if (nIndex >= 0) return static_cast<ULONG_PTR>(ReadExtra(c->extra, nIndex));
  switch (nIndex) {
    case GCL_MENUNAME: return reinterpret_cast<ULONG_PTR>(MenuOf(*c));
    case GCL_HBRBACKGROUND: return reinterpret_cast<ULONG_PTR>(c->background);
    case GCL_HCURSOR: return reinterpret_cast<ULONG_PTR>(c->cursor);
    case GCL_HICON: return reinterpret_cast<ULONG_PTR>(c->icon);
    case GCL_HICONSM: return reinterpret_cast<ULONG_PTR>(c->small_icon);
    case GCL_HMODULE: return reinterpret_cast<ULONG_PTR>(c->instance);
    case GCL_CBWNDEXTRA: return static_cast<ULONG_PTR>(c->wnd_extra);
    case GCL_CBCLSEXTRA: return static_cast<ULONG_PTR>(c->cls_extra);
    case GCL_WNDPROC: return reinterpret_cast<ULONG_PTR>(c->proc);
    case GCL_STYLE: return c->style;
    case GCW_ATOM: return c->atom;
    default: SetError(ERROR_INVALID_INDEX); return 0;
  }
}

ULONG_PTR WINAPI SetClassLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
  WindowSystem& s = Sys();
  Lock g(s.lock);
  auto c = ClassOfWindow(hWnd);
  if (!c) return 0;
  if (nIndex >= 0) return static_cast<ULONG_PTR>(SwapExtra(c->extra, nIndex, dwNewLong));
  auto swap = [&](auto& field) {
    using T = std::remove_reference_t<decltype(field)>;
    ULONG_PTR old;
    if constexpr (std::is_pointer_v<T>) {
      old = reinterpret_cast<ULONG_PTR>(field);
      field = reinterpret_cast<T>(dwNewLong);
    } else {
      old = static_cast<ULONG_PTR>(field);
      field = static_cast<T>(dwNewLong);
    }
    return old;
  };
  switch (nIndex) {
    case GCL_HBRBACKGROUND: return swap(c->background);
    case GCL_HCURSOR: return swap(c->cursor);
    case GCL_HICON: return swap(c->icon);
    case GCL_HICONSM: return swap(c->small_icon);
    case GCL_HMODULE: return swap(c->instance);
    case GCL_WNDPROC: return swap(c->proc);
    case GCL_STYLE: return swap(c->style);
    case GCL_MENUNAME: {
      // A replaced name string goes with its class copy; only an integer id survives.
      ULONG_PTR old = reinterpret_cast<ULONG_PTR>(c->menu);
      LPCSTR name = reinterpret_cast<LPCSTR>(dwNewLong);
      if (name && !IsIntAtom(name)) {
        c->menu_name = name;
        c->menu = nullptr;
      } else {
        c->menu_name.clear();
        c->menu = name;
      }
      return old;
    }
    default: SetError(ERROR_INVALID_INDEX); return 0;
  }
}

ULONG_PTR WINAPI GetClassLongA(HWND hWnd, int nIndex) { return GetClassLongPtrA(hWnd, nIndex); }
ULONG_PTR WINAPI SetClassLongA(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
  return SetClassLongPtrA(hWnd, nIndex, dwNewLong);
}
