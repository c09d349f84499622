// Window longs (extra bytes and the fixed slots), properties and window text.
#include <algorithm>

#include "ui/extra_bytes.h"
#include "ui/last_error.h"
#include "ui/window_ops.h"

namespace qvp::ui {
namespace {

// Finds a property by name or integer atom.
std::vector<Property>::iterator FindProp(Window* w, LPCSTR name) {
  return std::find_if(w->props.begin(), w->props.end(), [&](const Property& p) {
    if (IsIntAtom(name)) return p.atom != 0 && p.atom == static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name));
    return p.atom == 0 && EqualNoCase(p.name, name);
  });
}

// Runs `f(window, property)` under the window lock on the window's property
// called `name`; null where the window or the property is not there.
template <class F>
HANDLE WithProp(HWND hwnd, LPCSTR name, F&& f) {
  if (!name) return nullptr;
  WindowSystem& s = Sys();
  Lock g(s.lock);
  Window* w = RequireLocked(hwnd);
  if (!w) return nullptr;
  auto it = FindProp(w, name);
  return it == w->props.end() ? nullptr : f(w, it);
}

}  // namespace
}  // namespace qvp::ui

using namespace qvp::ui;

LONG_PTR WINAPI GetWindowLongPtrA(HWND hWnd, int nIndex) {
  WindowSystem& s = Sys();
  Lock g(s.lock);
  Window* w = RequireLocked(hWnd);
  if (!w) return 0;
  if (nIndex >= 0) return ReadExtra(w->extra, nIndex);
  switch (nIndex) {
    case GWL_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
    case GWL_HINSTANCE: return reinterpret_cast<LONG_PTR>(w->instance);
    case GWL_HWNDPARENT:
      if ((w->style & WS_CHILD) && w->parent && !w->parent->is_root) return reinterpret_cast<LONG_PTR>(w->parent->handle);
      return reinterpret_cast<LONG_PTR>(w->owner);
    case GWL_ID: return w->id;
    case GWL_STYLE: return static_cast<LONG_PTR>(static_cast<LONG>(w->style));
    case GWL_EXSTYLE: return static_cast<LONG_PTR>(static_cast<LONG>(w->ex_style));
    case GWL_USERDATA: return w->user_data;
    default: SetError(ERROR_INVALID_INDEX); return 0;
  }
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
  WindowSystem& s = Sys();
  if (nIndex == GWL_STYLE || nIndex == GWL_EXSTYLE) {
    STYLESTRUCT ss{};
    {
      Lock g(s.lock);
      Window* w = RequireLocked(hWnd);
      if (!w) return 0;
      ss.styleOld = nIndex == GWL_STYLE ? w->style : w->ex_style;
    }
    ss.styleNew = static_cast<DWORD>(dwNewLong);
    Send(hWnd, WM_STYLECHANGING, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(&ss));
    {
      Lock g(s.lock);
      Window* w = RequireLocked(hWnd);
      if (!w) return 0;
      (nIndex == GWL_STYLE ? w->style : w->ex_style) = ss.styleNew;
    }
    Send(hWnd, WM_STYLECHANGED, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(&ss));
    return static_cast<LONG_PTR>(static_cast<LONG>(ss.styleOld));
  }

  Lock g(s.lock);
  Window* w = RequireLocked(hWnd);
  if (!w) return 0;
  if (w->is_root) {
    SetError(ERROR_ACCESS_DENIED);
    return 0;
  }
  if (nIndex >= 0) return SwapExtra(w->extra, nIndex, dwNewLong);
  LONG_PTR old = 0;
  switch (nIndex) {
    case GWL_WNDPROC:
      old = reinterpret_cast<LONG_PTR>(w->proc);
      w->proc = reinterpret_cast<WNDPROC>(dwNewLong);
      return old;
    case GWL_HINSTANCE:
      old = reinterpret_cast<LONG_PTR>(w->instance);
      w->instance = reinterpret_cast<HINSTANCE>(dwNewLong);
      return old;
    case GWL_HWNDPARENT: {
      // Changes the owner of a top-level window; a child's parent changes with SetParent.
      old = reinterpret_cast<LONG_PTR>(w->owner);
      Window* o = FindLocked(reinterpret_cast<HWND>(dwNewLong));
      w->owner = o && !o->is_root ? RootOf(o)->handle : nullptr;
      return old;
    }
    case GWL_ID:
      old = w->id;
      w->id = dwNewLong;
      return old;
    case GWL_USERDATA:
      old = w->user_data;
      w->user_data = dwNewLong;
      return old;
    default:
      SetError(ERROR_INVALID_INDEX);
      return 0;
  }
}

LONG_PTR WINAPI GetWindowLongA(HWND hWnd, int nIndex) { return GetWindowLongPtrA(hWnd, nIndex); }
LONG_PTR WINAPI SetWindowLongA(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
  return SetWindowLongPtrA(hWnd, nIndex, dwNewLong);
}

HANDLE WINAPI GetPropA(HWND hWnd, LPCSTR lpString) {
  return WithProp(hWnd, lpString, [](Window*, auto it) { return it->data; });
}

BOOL WINAPI SetPropA(HWND hWnd, LPCSTR lpString, HANDLE hData) {
  if (!lpString) {
    SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  WindowSystem& s = Sys();
  Lock g(s.lock);
  Window* w = RequireLocked(hWnd);
  if (!w) return FALSE;
  auto it = FindProp(w, lpString);
  if (it != w->props.end()) {
    it->data = hData;
    return TRUE;
  }
  Property p;
  if (IsIntAtom(lpString))
    p.atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(lpString));
  else
    p.name = lpString;
  p.data = hData;
  w->props.push_back(std::move(p));
  return TRUE;
}

HANDLE WINAPI RemovePropA(HWND hWnd, LPCSTR lpString) {
  return WithProp(hWnd, lpString, [](Window* w, auto it) {
    HANDLE data = it->data;
    w->props.erase(it);
    return data;
  });
}

int WINAPI EnumPropsA(HWND hWnd, PROPENUMPROCA lpEnumFunc) {
  std::vector<Property> snapshot;
  {
    WindowSystem& s = Sys();
    Lock g(s.lock);
    Window* w = RequireLocked(hWnd);
    if (!w || !lpEnumFunc) return -1;
    snapshot = w->props;
  }
  int last = -1;
  for (const Property& p : snapshot) {
    LPCSTR name = p.atom ? MAKEINTATOM(p.atom) : p.name.c_str();
    last = lpEnumFunc(hWnd, name, p.data);
    if (!last) break;
  }
  return last;
}

int WINAPI GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount) {
  if (!lpString || nMaxCount <= 0) return 0;
  lpString[0] = '\0';
  if (!IsWindow(hWnd)) {
    SetError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return static_cast<int>(Send(hWnd, WM_GETTEXT, static_cast<WPARAM>(nMaxCount), reinterpret_cast<LPARAM>(lpString)));
}

BOOL WINAPI SetWindowTextA(HWND hWnd, LPCSTR lpString) {
  if (!IsWindow(hWnd)) {
    SetError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return Send(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString)) ? TRUE : FALSE;
}

int WINAPI GetWindowTextLengthA(HWND hWnd) {
  if (!IsWindow(hWnd)) {
    SetError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return static_cast<int>(Send(hWnd, WM_GETTEXTLENGTH, 0, 0));
}
