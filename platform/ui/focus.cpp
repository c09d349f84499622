// Focus, activation, the foreground window, capture and enabling. Focus,
// active window and capture belong to a thread, as on Windows.
#include "ui/last_error.h"
#include "ui/queue.h"
#include "ui/window_ops.h"

namespace qvp::ui {
namespace {

HWND ValidOrNull(HWND h) { return FindLocked(h) ? h : nullptr; }

bool Inside(HWND outer, HWND h) {
  Window* o = FindLocked(outer);
  Window* w = FindLocked(h);
  return o && w && IsDescendant(o, w);
}

bool Activatable(const Window* w) {
  return w && !w->is_root && IsTopLevel(w) && (w->style & WS_VISIBLE) && !(w->style & WS_DISABLED) && !w->destroying;
}

}  // namespace

HWND Activate(HWND hwnd) {
  std::shared_ptr<ThreadQueue> q = CurrentQueue();
  WindowSystem& s = Sys();
  HWND old = nullptr;
  {
    Lock g(s.lock);
    old = ValidOrNull(q->active);
    Window* w = nullptr;
    if (hwnd) {
      w = FindLocked(hwnd);
      if (!w) return old;
      w = RootOf(w);
      hwnd = w->handle;
    }
    if (old == hwnd) return old;
    q->active = hwnd;
    if (w) {
      s.foreground = hwnd;
      ReorderLocked(w, HWND_TOP);
      // Every owner up the chain remembers its most recently active popup.
      for (Window* o = FindLocked(w->owner); o; o = FindLocked(o->owner)) o->last_active_popup = hwnd;
    } else if (s.foreground == old) {
      s.foreground = nullptr;
    }
  }
  if (old) {
    Send(old, WM_NCACTIVATE, FALSE, 0);
    Send(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, IsIconic(old) ? 1 : 0), reinterpret_cast<LPARAM>(hwnd));
  }
  if (hwnd) {
    Send(hwnd, WM_NCACTIVATE, TRUE, 0);
    Send(hwnd, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, IsIconic(hwnd) ? 1 : 0), reinterpret_cast<LPARAM>(old));
  }
  // Focus left outside the new active window is lost.
  HWND focus = GetFocus();
  if (focus && (!hwnd || !(focus == hwnd || IsChild(hwnd, focus)))) SetFocus(nullptr);
  return old;
}

void ActivateAnother(HWND leaving) {
  std::shared_ptr<ThreadQueue> q = CurrentQueue();
  HWND next = nullptr;
  {
    WindowSystem& s = Sys();
    Lock g(s.lock);
    if (q->active != leaving) return;
    Window* w = FindLocked(leaving);
    Window* owner = w ? FindLocked(w->owner) : nullptr;
    if (Activatable(owner) && owner->queue == q) {
      next = owner->handle;
    } else {
      for (Window* t : s.desktop->children)
        if (t != w && Activatable(t) && t->queue == q && t->owner != leaving) {
          next = t->handle;
          break;
        }
    }
  }
  Activate(next);
}

void MoveStateAway(HWND hwnd) {
  std::shared_ptr<ThreadQueue> q = CurrentQueue();
  bool focus_inside = false, capture_inside = false, active = false;
  HWND parent = nullptr;
  {
    WindowSystem& s = Sys();
    Lock g(s.lock);
    Window* w = FindLocked(hwnd);
    if (!w) return;
    focus_inside = Inside(hwnd, q->focus);
    capture_inside = Inside(hwnd, q->capture);
    active = q->active == hwnd;
    if ((w->style & WS_CHILD) && w->parent && !w->parent->is_root && !w->parent->destroying) parent = w->parent->handle;
  }
  if (active) ActivateAnother(hwnd);
  if (focus_inside) {
    HWND focus = GetFocus();
    if (focus && (focus == hwnd || IsChild(hwnd, focus))) SetFocus(parent);
  }
  if (capture_inside) ReleaseCapture();
}

}  // namespace qvp::ui

using namespace qvp::ui;

HWND WINAPI SetFocus(HWND hWnd) {
  std::shared_ptr<ThreadQueue> q = CurrentQueue();
  WindowSystem& s = Sys();
  HWND before = nullptr, root = nullptr;
  {
    Lock g(s.lock);
    before = ValidOrNull(q->focus);
    if (hWnd) {
      Window* w = RequireLocked(hWnd);
      if (!w) return nullptr;
      if (w->is_root || !OnCurrentThread(w)) {
        SetError(ERROR_ACCESS_DENIED);
        return nullptr;
      }
      root = RootOf(w)->handle;
    }
  }
  if (root && GetActiveWindow() != root) Activate(root);

  HWND old = nullptr;
  {
    Lock g(s.lock);
    old = ValidOrNull(q->focus);
  }
  if (old == hWnd) return before;
  if (old) Send(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hWnd), 0);
  {
    Lock g(s.lock);
    if (hWnd && !FindLocked(hWnd)) return before;
    q->focus = hWnd;
  }
  if (hWnd) Send(hWnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  return before;
}

HWND WINAPI GetFocus() {
  std::shared_ptr<ThreadQueue> q = CurrentQueue();
  WindowSystem& s = Sys();
  Lock g(s.lock);
  return ValidOrNull(q->focus);
}

HWND WINAPI SetActiveWindow(HWND hWnd) {
  if (hWnd) {
    WindowSystem& s = Sys();
    Lock g(s.lock);
    Window* w = RequireLocked(hWnd);
    if (!w) return nullptr;
    if (w->is_root || !OnCurrentThread(w)) {
      SetError(ERROR_ACCESS_DENIED);
      return nullptr;
    }
  }
  return Activate(hWnd);
}

HWND WINAPI GetActiveWindow() {
  std::shared_ptr<ThreadQueue> q = CurrentQueue();
  WindowSystem& s = Sys();
  Lock g(s.lock);
  return ValidOrNull(q->active);
}

BOOL WINAPI SetForegroundWindow(HWND hWnd) {
  WindowSystem& s = Sys();
  HWND root = nullptr;
  {
    Lock g(s.lock);
    Window* w = RequireLocked(hWnd);
    if (!w || w->is_root) return FALSE;
    Window* r = RootOf(w);
    root = r->handle;
    if (!OnCurrentThread(r)) {
      // Another thread's window: it becomes that thread's active window.
      r->queue->active = root;
      s.foreground = root;
      ReorderLocked(r, HWND_TOP);
      return TRUE;
    }
  }
  Activate(root);
  return TRUE;
}

HWND WINAPI GetForegroundWindow() {
  WindowSystem& s = Sys();
  Lock g(s.lock);
  return ValidOrNull(s.foreground);
}

HWND WINAPI GetLastActivePopup(HWND hWnd) {
  WindowSystem& s = Sys();
  Lock g(s.lock);
  Window* w = RequireLocked(hWnd);
  if (!w) return nullptr;
  Window* p = FindLocked(w->last_active_popup);
  if (p && p->owner == hWnd && (p->style & WS_VISIBLE) && !(p->style & WS_DISABLED)) return p->handle;
  return hWnd;
}

HWND WINAPI SetCapture(HWND hWnd) {
  std::shared_ptr<ThreadQueue> q = CurrentQueue();
  WindowSystem& s = Sys();
  HWND old = nullptr;
  {
    Lock g(s.lock);
    if (hWnd && !RequireLocked(hWnd)) return nullptr;
    old = ValidOrNull(q->capture);
    q->capture = hWnd;
  }
  if (old && old != hWnd) Send(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hWnd));
  return old;
}

BOOL WINAPI ReleaseCapture() {
  std::shared_ptr<ThreadQueue> q = CurrentQueue();
  WindowSystem& s = Sys();
  HWND old = nullptr;
  {
    Lock g(s.lock);
    old = ValidOrNull(q->capture);
    q->capture = nullptr;
  }
  if (old) Send(old, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

HWND WINAPI GetCapture() {
  std::shared_ptr<ThreadQueue> q = CurrentQueue();
  WindowSystem& s = Sys();
  Lock g(s.lock);
  return ValidOrNull(q->capture);
}

BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable) {
  WindowSystem& s = Sys();
  bool was_disabled = false;
  {
    Lock g(s.lock);
    Window* w = RequireLocked(hWnd);
    if (!w) return FALSE;
    was_disabled = (w->style & WS_DISABLED) != 0;
  }
  if (bEnable && was_disabled) {
    {
      Lock g(s.lock);
      if (Window* w = FindLocked(hWnd)) w->style &= ~WS_DISABLED;
    }
    Send(hWnd, WM_ENABLE, TRUE, 0);
  } else if (!bEnable && !was_disabled) {
    Send(hWnd, WM_CANCELMODE, 0, 0);
    {
      Lock g(s.lock);
      if (Window* w = FindLocked(hWnd)) w->style |= WS_DISABLED;
    }
    // A disabled window loses the focus; a child of it keeps it (its input is blocked
    // anyway), so that a dialog whose owner is disabled meanwhile can give it back.
    if (GetFocus() == hWnd) SetFocus(nullptr);
    Send(hWnd, WM_ENABLE, FALSE, 0);
  }
  return was_disabled ? TRUE : FALSE;
}

BOOL WINAPI IsWindowEnabled(HWND hWnd) {
  WindowSystem& s = Sys();
  Lock g(s.lock);
  Window* w = FindLocked(hWnd);
  return w && !(w->style & WS_DISABLED) ? TRUE : FALSE;
}
