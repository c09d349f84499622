// Window position, size, z-order and visibility: SetWindowPos and the calls
// built on it (ShowWindow, MoveWindow, deferred positioning).
#include <algorithm>
#include <mutex>
#include <unordered_map>

#include "ui/last_error.h"
#include "ui/nonclient.h"
#include "ui/queue.h"
#include "ui/window_ops.h"

namespace qvp::ui {
namespace {

bool SameSize(const RECT& r, int cx, int cy) { return r.right - r.left == cx && r.bottom - r.top == cy; }

}  // namespace

void ReorderLocked(Window* w, HWND after) {
  Window* parent = w->parent;
  if (!parent) return;
  auto& list = parent->children;
  if (after == HWND_TOPMOST) w->ex_style |= WS_EX_TOPMOST;
  if (after == HWND_NOTOPMOST) w->ex_style &= ~WS_EX_TOPMOST;
  Window* anchor = nullptr;
  if (after != HWND_TOP && after != HWND_BOTTOM && after != HWND_TOPMOST && after != HWND_NOTOPMOST) {
    anchor = FindLocked(after);
    if (!anchor || anchor->parent != parent || anchor == w) return;
  }
  std::erase(list, w);
  if (after == HWND_BOTTOM) {
    list.push_back(w);
  } else if (anchor) {
    InsertSibling(list, static_cast<size_t>(std::find(list.begin(), list.end(), anchor) - list.begin()) + 1, w);
  } else {
    size_t pos = 0;
    if (!(w->ex_style & WS_EX_TOPMOST))
      while (pos < list.size() && (list[pos]->ex_style & WS_EX_TOPMOST)) ++pos;
    InsertSibling(list, pos, w);
  }
  if (!parent->is_root || after == HWND_BOTTOM) return;
  // Windows a top-level window owns stay above it, in their order.
  std::vector<Window*> owned;
  for (Window* t : list) {
    for (Window* o = FindLocked(t->owner); o; o = FindLocked(o->owner))
      if (o == w) {
        owned.push_back(t);
        break;
      }
  }
  if (owned.empty()) return;
  std::erase_if(list, [&](Window* t) { return std::find(owned.begin(), owned.end(), t) != owned.end(); });
  size_t at = static_cast<size_t>(std::find(list.begin(), list.end(), w) - list.begin());
  for (auto it = owned.rbegin(); it != owned.rend(); ++it) InsertSibling(list, at, *it);
}

namespace {

// The position a window takes when minimized or maximized, in its parent's client coordinates.
RECT MinimizedRect(const Window* w) {
  LONG height = w->parent && !w->parent->is_root ? w->parent->client_rect.bottom - w->parent->client_rect.top
                                                   : GetSystemMetrics(SM_CYSCREEN);
  LONG cy = GetSystemMetrics(SM_CYMINIMIZED);
  return RECT{0, height - cy, GetSystemMetrics(SM_CXMINIMIZED), height};
}

RECT MaximizedRect(HWND hwnd) {
  DWORD style = 0, ex = 0;
  LONG width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  {
    WindowSystem& s = Sys();
    Lock g(s.lock);
    Window* w = FindLocked(hwnd);
    if (!w) return RECT{};
    style = w->style;
    ex = w->ex_style;
    if (w->parent && !w->parent->is_root) {
      width = w->parent->client_rect.right - w->parent->client_rect.left;
      height = w->parent->client_rect.bottom - w->parent->client_rect.top;
    }
  }
  Insets frame = FrameOf(style, ex, false);
  MINMAXINFO mm{};
  mm.ptMaxSize = POINT{width + 2 * frame.left, height + 2 * frame.left};
  mm.ptMaxPosition = POINT{-frame.left, -frame.left};
  mm.ptMinTrackSize = POINT{GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
  mm.ptMaxTrackSize = POINT{GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
  Send(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mm));
  return RECT{mm.ptMaxPosition.x, mm.ptMaxPosition.y, mm.ptMaxPosition.x + mm.ptMaxSize.x,
              mm.ptMaxPosition.y + mm.ptMaxSize.y};
}

struct DeferList {
  std::vector<WINDOWPOS> entries;
};

struct DeferTable {
  std::mutex lock;
  std::unordered_map<uintptr_t, DeferList> lists;
  uintptr_t next = 0x5d000010;
};

DeferTable& Defers() {
  static DeferTable* t = new DeferTable;
  return *t;
}

// A rectangle of a window read under the window lock, with the checks every
// such query makes: a place to put it and a window that exists.
template <class Of>
BOOL QueryRect(HWND hwnd, LPRECT out, Of&& of) {
  if (!out) {
    SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  WindowSystem& s = Sys();
  Lock g(s.lock);
  Window* w = RequireLocked(hwnd);
  if (!w) return FALSE;
  *out = of(w);
  return TRUE;
}

// One point between the screen and a window's client area, either way.
BOOL MapOnePoint(HWND hwnd, LPPOINT point, bool to_screen) {
  if (!point || !hwnd) return FALSE;
  if (!IsWindow(hwnd)) {
    SetError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (to_screen)
    MapWindowPoints(hwnd, nullptr, point, 1);
  else
    MapWindowPoints(nullptr, hwnd, point, 1);
  return TRUE;
}

}  // namespace
}  // namespace qvp::ui

using namespace qvp::ui;

BOOL WINAPI SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags) {
  WindowSystem& s = Sys();
  RECT old_window{}, old_client{};
  bool was_visible = false, top = false, same_thread = false;
  {
    Lock g(s.lock);
    Window* w = RequireLocked(hWnd);
    if (!w) return FALSE;
    if (w->is_root) {
      SetError(ERROR_ACCESS_DENIED);
      return FALSE;
    }
    same_thread = OnCurrentThread(w);
    old_window = w->window_rect;
    old_client = w->client_rect;
    was_visible = (w->style & WS_VISIBLE) != 0;
    top = IsTopLevel(w);
  }
  WINDOWPOS pos{hWnd, hWndInsertAfter, X, Y, cx, cy, uFlags};
  auto normalize = [&] {
    if (pos.flags & SWP_NOSIZE) {
      pos.cx = old_window.right - old_window.left;
      pos.cy = old_window.bottom - old_window.top;
    }
    if (pos.flags & SWP_NOMOVE) {
      pos.x = old_window.left;
      pos.y = old_window.top;
    }
    pos.cx = std::max(pos.cx, 0);
    pos.cy = std::max(pos.cy, 0);
    if (SameSize(old_window, pos.cx, pos.cy)) pos.flags |= SWP_NOSIZE;
    if (pos.x == old_window.left && pos.y == old_window.top) pos.flags |= SWP_NOMOVE;
    if ((pos.flags & SWP_SHOWWINDOW) && was_visible) pos.flags &= ~SWP_SHOWWINDOW;
    if ((pos.flags & SWP_HIDEWINDOW) && !was_visible) pos.flags &= ~SWP_HIDEWINDOW;
    if (pos.hwndInsertAfter == hWnd) pos.flags |= SWP_NOZORDER;
    if (!top) pos.flags |= SWP_NOACTIVATE;
  };
  normalize();
  if (!(pos.flags & SWP_NOSENDCHANGING)) {
    Send(hWnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
    normalize();
  }

  RECT new_window{pos.x, pos.y, pos.x + pos.cx, pos.y + pos.cy};
  RECT new_client{old_client.left + pos.x - old_window.left, old_client.top + pos.y - old_window.top,
                  old_client.right + pos.x - old_window.left, old_client.bottom + pos.y - old_window.top};
  if (!(pos.flags & SWP_NOSIZE) || (pos.flags & SWP_FRAMECHANGED)) {
    NCCALCSIZE_PARAMS params{};
    params.rgrc[0] = new_window;
    params.rgrc[1] = old_window;
    params.rgrc[2] = old_client;
    params.lppos = &pos;
    Send(hWnd, WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&params));
    new_client = params.rgrc[0];
  }

  bool hidden = false, shown = false;
  {
    Lock g(s.lock);
    Window* w = FindLocked(hWnd);
    if (!w) return FALSE;
    w->window_rect = new_window;
    w->client_rect = new_client;
    if (!(w->style & (WS_MINIMIZE | WS_MAXIMIZE))) w->normal_rect = new_window;
    if (!(pos.flags & SWP_NOZORDER)) ReorderLocked(w, pos.hwndInsertAfter);
    if (pos.flags & SWP_SHOWWINDOW) {
      w->style |= WS_VISIBLE;
      shown = true;
    }
    if (pos.flags & SWP_HIDEWINDOW) {
      w->style &= ~WS_VISIBLE;
      hidden = true;
    }
    Window* parent = w->parent && !w->parent->is_root ? w->parent : nullptr;
    bool moved_or_sized = !(pos.flags & SWP_NOMOVE) || !(pos.flags & SWP_NOSIZE);
    if (!(pos.flags & SWP_NOREDRAW)) {
      // A window that appears is exposed whole, its children too (they were
      // not on the screen, whatever their update regions said); a window that
      // changed size repaints itself, and its children as its style says.
      if (shown)
        InvalidateLocked(w, nullptr, true, Reach::kAll);
      else if (VisibleLocked(w) && (!(pos.flags & SWP_NOSIZE) || (pos.flags & SWP_FRAMECHANGED)))
        InvalidateLocked(w, nullptr, true, Reach::kDefault);
      if (parent && (hidden || (moved_or_sized && VisibleLocked(w)))) InvalidateLocked(parent, &old_window, true, Reach::kSelf);
    }
  }

  // Activation belongs to the window's own thread.
  if (top && !(pos.flags & SWP_NOACTIVATE) && !hidden && IsWindowVisible(hWnd) && same_thread) Activate(hWnd);
  Send(hWnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
  if (hidden && top && same_thread && GetActiveWindow() == hWnd) ActivateAnother(hWnd);
  NoteWindowPos(hWnd, pos.flags);
  return TRUE;
}

BOOL WINAPI MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint) {
  return SetWindowPos(hWnd, nullptr, X, Y, nWidth, nHeight,
                      SWP_NOZORDER | SWP_NOACTIVATE | (bRepaint ? 0 : SWP_NOREDRAW));
}

BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) {
  WindowSystem& s = Sys();
  DWORD style = 0;
  bool top = false;
  {
    Lock g(s.lock);
    Window* w = RequireLocked(hWnd);
    if (!w) return FALSE;
    if (w->is_root) {
      SetError(ERROR_ACCESS_DENIED);
      return FALSE;
    }
    style = w->style;
    top = IsTopLevel(w);
  }
  const bool was_visible = (style & WS_VISIBLE) != 0;
  enum { kKeep, kMinimize, kMaximize, kRestore } state = kKeep;
  bool show = true, activate = false;
  switch (nCmdShow) {
    case SW_HIDE: show = false; break;
    case SW_SHOWMINNOACTIVE: case SW_MINIMIZE: case SW_FORCEMINIMIZE: state = kMinimize; break;
    case SW_SHOWMINIMIZED: state = kMinimize; activate = true; break;
    case SW_SHOWMAXIMIZED: state = kMaximize; activate = true; break;
    case SW_SHOWNOACTIVATE: state = kRestore; break;
    case SW_SHOWNORMAL: case SW_RESTORE: case SW_SHOWDEFAULT: state = kRestore; activate = true; break;
    case SW_SHOW: activate = true; break;
    case SW_SHOWNA: break;
    default: SetError(ERROR_INVALID_PARAMETER); return FALSE;
  }
  if (state == kMinimize && (style & WS_MINIMIZE)) state = kKeep;
  if (state == kMaximize && (style & WS_MAXIMIZE)) state = kKeep;
  if (state == kRestore && !(style & (WS_MINIMIZE | WS_MAXIMIZE))) state = kKeep;
  if (!show && !was_visible) return FALSE;
  if (show && was_visible && state == kKeep) return TRUE;
  if (!top) activate = false;

  if (show != was_visible) Send(hWnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
  UINT flags = SWP_NOZORDER | (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW) | (activate ? 0 : SWP_NOACTIVATE);
  RECT r{};
  if (state == kKeep) {
    flags |= SWP_NOSIZE | SWP_NOMOVE;
  } else {
    flags |= SWP_FRAMECHANGED;
    if (state == kMaximize) r = MaximizedRect(hWnd);
    Lock g(s.lock);
    Window* w = FindLocked(hWnd);
    if (!w) return was_visible;
    if (!(w->style & (WS_MINIMIZE | WS_MAXIMIZE))) w->normal_rect = w->window_rect;
    w->style &= ~(WS_MINIMIZE | WS_MAXIMIZE);
    if (state == kMinimize) {
      w->style |= WS_MINIMIZE;
      r = MinimizedRect(w);
    } else if (state == kMaximize) {
      w->style |= WS_MAXIMIZE;
    } else {
      r = w->normal_rect;
    }
  }
  bool was_active = top && GetActiveWindow() == hWnd;
  SetWindowPos(hWnd, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top, flags);

  if (!show) {
    // Focus inside a hidden child goes back to its parent.
    HWND focus = GetFocus();
    if (focus && (focus == hWnd || IsChild(hWnd, focus))) SetFocus(top ? nullptr : GetParent(hWnd));
  }
  if (state == kMinimize && !activate && was_active) ActivateAnother(hWnd);
  return was_visible ? TRUE : FALSE;
}

BOOL WINAPI IsWindowVisible(HWND hWnd) {
  WindowSystem& s = Sys();
  Lock g(s.lock);
  Window* w = FindLocked(hWnd);
  return w && VisibleLocked(w) ? TRUE : FALSE;
}

BOOL WINAPI IsIconic(HWND hWnd) {
  WindowSystem& s = Sys();
  Lock g(s.lock);
  Window* w = FindLocked(hWnd);
  return w && (w->style & WS_MINIMIZE) ? TRUE : FALSE;
}

BOOL WINAPI IsZoomed(HWND hWnd) {
  WindowSystem& s = Sys();
  Lock g(s.lock);
  Window* w = FindLocked(hWnd);
  return w && (w->style & WS_MAXIMIZE) ? TRUE : FALSE;
}

BOOL WINAPI BringWindowToTop(HWND hWnd) {
  return SetWindowPos(hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect) {
  return QueryRect(hWnd, lpRect, [](const Window* w) {
    POINT o = w->parent ? ClientOriginOnScreen(w->parent) : POINT{0, 0};
    return RECT{w->window_rect.left + o.x, w->window_rect.top + o.y, w->window_rect.right + o.x,
                w->window_rect.bottom + o.y};
  });
}

BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect) {
  return QueryRect(hWnd, lpRect, [](const Window* w) {
    return RECT{0, 0, w->client_rect.right - w->client_rect.left, w->client_rect.bottom - w->client_rect.top};
  });
}

int WINAPI MapWindowPoints(HWND hWndFrom, HWND hWndTo, LPPOINT lpPoints, UINT cPoints) {
  POINT from{0, 0}, to{0, 0};
  {
    WindowSystem& s = Sys();
    Lock g(s.lock);
    if (hWndFrom) {
      Window* w = RequireLocked(hWndFrom);
      if (!w) return 0;
      from = ClientOriginOnScreen(w);
    }
    if (hWndTo) {
      Window* w = RequireLocked(hWndTo);
      if (!w) return 0;
      to = ClientOriginOnScreen(w);
    }
  }
  LONG dx = from.x - to.x, dy = from.y - to.y;
  for (UINT i = 0; lpPoints && i < cPoints; ++i) {
    lpPoints[i].x += dx;
    lpPoints[i].y += dy;
  }
  SetError(0);
  return MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy));
}

BOOL WINAPI ScreenToClient(HWND hWnd, LPPOINT lpPoint) { return MapOnePoint(hWnd, lpPoint, false); }

BOOL WINAPI ClientToScreen(HWND hWnd, LPPOINT lpPoint) { return MapOnePoint(hWnd, lpPoint, true); }

HDWP WINAPI BeginDeferWindowPos(int nNumWindows) {
  if (nNumWindows < 0) {
    SetError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  DeferTable& t = Defers();
  std::lock_guard<std::mutex> g(t.lock);
  uintptr_t value = t.next;
  t.next += 4;
  t.lists[value].entries.reserve(static_cast<size_t>(nNumWindows));
  return reinterpret_cast<HDWP>(value);
}

HDWP WINAPI DeferWindowPos(HDWP hWinPosInfo, HWND hWnd, HWND hWndInsertAfter, int x, int y, int cx, int cy,
                           UINT uFlags) {
  const bool valid_window = IsWindow(hWnd) != FALSE;
  DeferTable& t = Defers();
  std::lock_guard<std::mutex> g(t.lock);
  auto it = t.lists.find(reinterpret_cast<uintptr_t>(hWinPosInfo));
  if (it == t.lists.end()) {
    SetError(ERROR_INVALID_DWP_HANDLE);
    return nullptr;
  }
  if (!valid_window) {
    // A bad window spoils the whole batch, as on Windows.
    t.lists.erase(it);
    SetError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  auto& entries = it->second.entries;
  auto same = std::find_if(entries.begin(), entries.end(), [&](const WINDOWPOS& p) { return p.hwnd == hWnd; });
  WINDOWPOS pos{hWnd, hWndInsertAfter, x, y, cx, cy, uFlags};
  if (same != entries.end())
    *same = pos;
  else
    entries.push_back(pos);
  return hWinPosInfo;
}

BOOL WINAPI EndDeferWindowPos(HDWP hWinPosInfo) {
  DeferList list;
  {
    DeferTable& t = Defers();
    std::lock_guard<std::mutex> g(t.lock);
    auto it = t.lists.find(reinterpret_cast<uintptr_t>(hWinPosInfo));
    if (it == t.lists.end()) {
      SetError(ERROR_INVALID_DWP_HANDLE);
      return FALSE;
    }
    list = std::move(it->second);
    t.lists.erase(it);
  }
  BOOL ok = TRUE;
  for (const WINDOWPOS& p : list.entries)
    if (!SetWindowPos(p.hwnd, p.hwndInsertAfter, p.x, p.y, p.cx, p.cy, p.flags)) ok = FALSE;
  return ok;
}
