// CreateWindowEx and DestroyWindow: the message order Windows follows when a
// window comes and goes.
#include <unistd.h>

#include <algorithm>

#include "qvplatform.h"
#include "ui/classes.h"
#include "ui/dialog_state.h"
#include "ui/last_error.h"
#include "ui/menus/menu_hooks.h"
#include "ui/nonclient.h"
#include "ui/queue.h"
#include "ui/remote_window.h"
#include "ui/window_dc.h"
#include "ui/window_ops.h"

namespace qvp::ui {
namespace {

int g_cascade = 0;  // default positions of overlapped windows, under the window lock

void LinkLocked(Window* parent, Window* w) {
  auto& list = parent->children;
  if (w->style & WS_CHILD) {
    list.push_back(w);  // children go below their siblings: creation order is tab order
    return;
  }
  size_t pos = 0;
  if (!(w->ex_style & WS_EX_TOPMOST))
    while (pos < list.size() && (list[pos]->ex_style & WS_EX_TOPMOST)) ++pos;
  InsertSibling(list, pos, w);
}

void UnlinkLocked(Window* w) {
  if (w->parent) std::erase(w->parent->children, w);
  w->parent = nullptr;
}

// Removes a window from the table: its handle stops naming it.
void ForgetLocked(Window* w) {
  WindowSystem& s = Sys();
  // A window takes its menu bar and window-menu copy with it.
  ForgetWindowMenus(w->handle, (w->style & WS_CHILD) ? nullptr : reinterpret_cast<HMENU>(w->id));
  for (Window* c : w->children) c->parent = nullptr;
  UnlinkLocked(w);
  w->gone = true;
  w->props.clear();
  if (w->cls) --w->cls->windows;
  if (s.foreground == w->handle) s.foreground = nullptr;
  for (auto& [key, other] : s.windows) {
    if (other->owner == w->handle) other->owner = nullptr;
    if (other->last_active_popup == w->handle) other->last_active_popup = nullptr;
  }
  if (w->queue) ForgetWindow(*w->queue, w->handle);
  ForgetPaintTarget(w->handle);  // the GDI's lock is taken after the window lock, never before
  NoteWindowChanged(w->handle);
  s.windows.erase(reinterpret_cast<uintptr_t>(w->handle));  // may free w
}

std::vector<HWND> ChildHandles(HWND hwnd) {
  std::vector<HWND> out;
  WindowSystem& s = Sys();
  Lock g(s.lock);
  if (Window* w = FindLocked(hwnd))
    for (Window* c : w->children) out.push_back(c->handle);
  return out;
}

void SendDestroy(HWND hwnd) {
  Send(hwnd, WM_DESTROY, 0, 0);
  for (HWND child : ChildHandles(hwnd)) {
    {
      WindowSystem& s = Sys();
      Lock g(s.lock);
      Window* c = FindLocked(child);
      if (!c || c->destroying) continue;
      c->destroying = true;
    }
    SendDestroy(child);
  }
}

void FreeTree(HWND hwnd) {
  for (HWND child : ChildHandles(hwnd)) FreeTree(child);
  Send(hwnd, WM_NCDESTROY, 0, 0);
  WindowSystem& s = Sys();
  std::shared_ptr<Window> keep;
  Lock g(s.lock);
  Window* w = FindLocked(hwnd);
  if (!w) return;
  keep = s.windows[reinterpret_cast<uintptr_t>(hwnd)];
  for (Window* c : std::vector<Window*>(w->children)) ForgetLocked(c);  // created during WM_DESTROY
  ForgetLocked(w);
}

POINT DefaultPosition() {
  g_cascade = g_cascade % 8 + 1;
  return POINT{26 * g_cascade, 26 * g_cascade};
}

}  // namespace

void NotifyParents(HWND child, UINT event) {
  HWND current = child;
  for (;;) {
    HWND parent = nullptr;
    LONG_PTR id = 0;
    {
      WindowSystem& s = Sys();
      Lock g(s.lock);
      Window* w = FindLocked(current);
      if (!w || !(w->style & WS_CHILD) || (w->ex_style & WS_EX_NOPARENTNOTIFY) || !w->parent || w->parent->is_root)
        return;
      Window* c = FindLocked(child);
      if (!c) return;
      parent = w->parent->handle;
      id = c->id;
    }
    Send(parent, WM_PARENTNOTIFY, MAKEWPARAM(event, static_cast<WORD>(id)), reinterpret_cast<LPARAM>(child));
    current = parent;
  }
}

void DestroyThreadWindows(const std::shared_ptr<ThreadQueue>& queue) {
  WindowSystem& s = Sys();
  Lock g(s.lock);
  std::vector<Window*> doomed;
  for (auto& [key, w] : s.windows)
    if (w->queue == queue && !w->is_root) doomed.push_back(w.get());
  // Whole subtrees go, children of other threads included.
  std::vector<Window*> order;
  std::vector<Window*> stack(doomed.begin(), doomed.end());
  while (!stack.empty()) {
    Window* w = stack.back();
    stack.pop_back();
    if (std::find(order.begin(), order.end(), w) != order.end()) continue;
    order.push_back(w);
    for (Window* c : w->children) stack.push_back(c);
  }
  std::vector<std::shared_ptr<Window>> keep;
  for (Window* w : order) keep.push_back(s.windows[reinterpret_cast<uintptr_t>(w->handle)]);
  for (Window* w : order) {
    // No WM_NCDESTROY reaches a window whose thread is gone: its dialog state goes here.
    DialogInfo dialog = RemoveDialog(w->handle);
    if (dialog.owns_font && dialog.font) DeleteObject(dialog.font);
    if (ThreadQueue* q = w->queue.get()) {
      if (q->focus == w->handle) q->focus = nullptr;
      if (q->active == w->handle) q->active = nullptr;
      if (q->capture == w->handle) q->capture = nullptr;
    }
    ForgetLocked(w);
  }
}

namespace {

// Where a new window goes in the tree, and the top-level window that owns it.
struct Placement {
  Window* parent = nullptr;
  HWND owner = nullptr;
};

// Under the window lock. False, with the error set, when the parent handle
// names no window or a child window is given no parent.
bool PlaceLocked(WindowSystem& s, HWND parent_handle, DWORD style, Placement* out) {
  out->parent = s.desktop;
  if (parent_handle == HWND_MESSAGE) {
    out->parent = s.message_root;
  } else if (parent_handle) {
    Window* p = FindLocked(parent_handle);
    if (!p) {
      SetError(ERROR_INVALID_WINDOW_HANDLE);
      return false;
    }
    if (style & WS_CHILD)
      out->parent = p;
    else if (!p->is_root)
      out->owner = RootOf(p)->handle;  // an owner is always a top-level window
  } else if ((style & (WS_CHILD | WS_POPUP)) == WS_CHILD) {
    SetError(ERROR_TLW_WITH_WSCHILD);
    return false;
  }
  return true;
}

// The styles Windows adds by itself: an overlapped window always has a
// caption, and a dialog or sizing frame a raised edge.
void FixStyles(bool overlapped, DWORD* style, DWORD* ex_style) {
  if (overlapped) *style |= WS_CLIPSIBLINGS | WS_CAPTION;
  if ((*style & (WS_DLGFRAME | WS_THICKFRAME)) || (*ex_style & WS_EX_DLGMODALFRAME)) *ex_style |= WS_EX_WINDOWEDGE;
}

// CW_USEDEFAULT: overlapped windows cascade and take three quarters of the
// screen, others sit at the origin with no size. Under the window lock.
RECT DefaultGeometryLocked(bool overlapped, int x, int y, int width, int height) {
  if (x == CW_USEDEFAULT) {
    if (overlapped) {
      POINT p = DefaultPosition();
      x = p.x;
      y = p.y;
    } else {
      x = y = 0;
    }
  }
  if (width == CW_USEDEFAULT) {
    width = overlapped ? GetSystemMetrics(SM_CXSCREEN) * 3 / 4 : 0;
    height = overlapped ? GetSystemMetrics(SM_CYSCREEN) * 3 / 4 : 0;
  }
  width = std::max(width, 0);
  height = std::max(height, 0);
  return RECT{x, y, x + width, y + height};
}

// The new window's record, linked into the tree (still hidden).
HWND AddWindowLocked(WindowSystem& s, const std::shared_ptr<WindowClass>& cls, const Placement& place,
                     const std::shared_ptr<ThreadQueue>& queue, DWORD style, DWORD ex_style, HINSTANCE instance,
                     HMENU menu, const RECT& rect) {
  auto w = std::make_shared<Window>();
  w->handle = reinterpret_cast<HWND>(s.next_handle);
  s.next_handle += 4;
  w->cls = cls;
  w->queue = queue;
  w->parent = place.parent;
  w->owner = place.owner;
  w->style = style & ~WS_VISIBLE;  // shown once created
  w->ex_style = ex_style;
  w->proc = cls->proc;
  w->instance = instance;
  w->id = reinterpret_cast<LONG_PTR>(menu);
  w->extra.assign(static_cast<size_t>(cls->wnd_extra), 0);
  w->window_rect = rect;
  w->client_rect = w->window_rect;
  w->normal_rect = w->window_rect;
  ++cls->windows;
  LinkLocked(place.parent, w.get());
  HWND hwnd = w->handle;
  s.windows.emplace(reinterpret_cast<uintptr_t>(hwnd), std::move(w));
  return hwnd;
}

// WM_GETMINMAXINFO: the window may bound the size it is created with.
void ApplyTrackingLimits(HWND hwnd, CREATESTRUCTA& cs) {
  MINMAXINFO mm{};
  Insets frame = FrameOf(static_cast<DWORD>(cs.style), cs.dwExStyle, false);
  mm.ptMaxSize = POINT{GetSystemMetrics(SM_CXSCREEN) + frame.left + frame.right,
                       GetSystemMetrics(SM_CYSCREEN) + frame.left + frame.right};
  mm.ptMaxPosition = POINT{-frame.left, -frame.left};
  mm.ptMinTrackSize = POINT{GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
  mm.ptMaxTrackSize = POINT{GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
  Send(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mm));
  cs.cx = std::clamp<int>(cs.cx, mm.ptMinTrackSize.x, std::max(mm.ptMinTrackSize.x, mm.ptMaxTrackSize.x));
  cs.cy = std::clamp<int>(cs.cy, mm.ptMinTrackSize.y, std::max(mm.ptMinTrackSize.y, mm.ptMaxTrackSize.y));
  WindowSystem& s = Sys();
  Lock g(s.lock);
  if (Window* w = FindLocked(hwnd)) {
    w->window_rect = RECT{cs.x, cs.y, cs.x + cs.cx, cs.y + cs.cy};
    w->client_rect = w->normal_rect = w->window_rect;
  }
}

// WM_NCCREATE, WM_NCCALCSIZE and WM_CREATE. False when the window refused or
// is gone; a window that refused WM_NCCREATE goes without ever having been created.
bool SendCreateMessages(HWND hwnd, CREATESTRUCTA& cs) {
  WindowSystem& s = Sys();
  if (!Send(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
    Send(hwnd, WM_NCDESTROY, 0, 0);
    std::shared_ptr<Window> keep = Hold(hwnd);
    Lock g(s.lock);
    if (Window* w = FindLocked(hwnd)) ForgetLocked(w);
    return false;
  }

  RECT r{};
  {
    Lock g(s.lock);
    Window* w = FindLocked(hwnd);
    if (!w) return false;
    r = w->window_rect;
  }
  Send(hwnd, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&r));
  {
    Lock g(s.lock);
    Window* w = FindLocked(hwnd);
    if (!w) return false;
    w->client_rect = r;
  }

  if (Send(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    DestroyWindow(hwnd);
    return false;
  }
  return true;
}

// After creation: the first WM_SIZE and WM_MOVE, the parents told, a
// top-level window published to the display. False when the window went.
bool AnnounceCreated(HWND hwnd, DWORD style, HWND parent_handle) {
  WPARAM size_kind = SIZE_RESTORED;
  RECT client{};
  {
    WindowSystem& s = Sys();
    Lock g(s.lock);
    Window* w = FindLocked(hwnd);
    if (!w || w->destroying) return false;
    client = w->client_rect;
    if (w->style & WS_MINIMIZE) size_kind = SIZE_MINIMIZED;
    if (w->style & WS_MAXIMIZE) size_kind = SIZE_MAXIMIZED;
  }
  Send(hwnd, WM_SIZE, size_kind, MAKELPARAM(client.right - client.left, client.bottom - client.top));
  Send(hwnd, WM_MOVE, 0, MAKELPARAM(client.left, client.top));
  NotifyParents(hwnd, WM_CREATE);
  if (!(style & WS_CHILD) && parent_handle != HWND_MESSAGE) {
    char class_name[256] = "";
    GetClassNameA(hwnd, class_name, sizeof class_name);
    PublishIfShared(hwnd, class_name);
  }
  return true;
}

}  // namespace

}  // namespace qvp::ui

using namespace qvp::ui;

HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle, int X, int Y,
                            int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance,
                            LPVOID lpParam) {
  std::shared_ptr<ThreadQueue> queue = CurrentQueue();
  WindowSystem& s = Sys();
  HWND hwnd = nullptr;
  bool ask_minmax = false;
  const bool show = (dwStyle & WS_VISIBLE) != 0;
  RECT rect{};
  {
    Lock g(s.lock);
    std::shared_ptr<WindowClass> cls = FindClassLocked(lpClassName, hInstance);
    if (!cls) {
      SetError(ERROR_CANNOT_FIND_WND_CLASS);
      return nullptr;
    }
    Placement place;
    if (!PlaceLocked(s, hWndParent, dwStyle, &place)) return nullptr;
    const bool overlapped = place.parent->is_root && !(dwStyle & (WS_POPUP | WS_CHILD));
    FixStyles(overlapped, &dwStyle, &dwExStyle);
    rect = DefaultGeometryLocked(overlapped, X, Y, nWidth, nHeight);
    ask_minmax = (dwStyle & WS_THICKFRAME) || overlapped;
    hwnd = AddWindowLocked(s, cls, place, queue, dwStyle, dwExStyle, hInstance, hMenu, rect);
  }

  CREATESTRUCTA cs{lpParam, hInstance, hMenu, hWndParent, rect.bottom - rect.top, rect.right - rect.left, rect.top,
                   rect.left, static_cast<LONG>(dwStyle), lpWindowName, lpClassName, dwExStyle};
  if (ask_minmax) ApplyTrackingLimits(hwnd, cs);
  if (!SendCreateMessages(hwnd, cs)) return nullptr;
  if (!AnnounceCreated(hwnd, dwStyle, hWndParent)) return nullptr;
  if (show) ShowWindow(hwnd, SW_SHOW);
  return IsWindow(hwnd) ? hwnd : nullptr;
}

BOOL WINAPI DestroyWindow(HWND hWnd) {
  WindowSystem& s = Sys();
  std::shared_ptr<Window> keep = Hold(hWnd);
  DWORD style = 0;
  {
    Lock g(s.lock);
    Window* w = RequireLocked(hWnd);
    if (!w) return FALSE;
    if (w->is_root || !OnCurrentThread(w)) {
      SetError(ERROR_ACCESS_DENIED);
      return FALSE;
    }
    if (w->destroying) return TRUE;
    w->destroying = true;
    style = w->style;
  }
  const bool child = (style & WS_CHILD) != 0;
  if (child) NotifyParents(hWnd, WM_DESTROY);
  if (style & WS_VISIBLE)
    SetWindowPos(hWnd, nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | (child ? SWP_NOACTIVATE : 0));

  // Windows it owns go first, entirely.
  std::vector<HWND> owned;
  {
    Lock g(s.lock);
    for (Window* t : s.desktop->children)
      if (t->owner == hWnd && OnCurrentThread(t)) owned.push_back(t->handle);
  }
  for (HWND o : owned) DestroyWindow(o);

  if (!child) Unpublish(hWnd);
  MoveStateAway(hWnd);
  SendDestroy(hWnd);
  FreeTree(hWnd);
  return TRUE;
}

BOOL WINAPI IsWindow(HWND hWnd) {
  WindowSystem& s = Sys();
  Lock g(s.lock);
  Window* w = FindLocked(hWnd);
  return w && !w->is_root ? TRUE : (w == s.desktop ? TRUE : FALSE);
}

DWORD WINAPI GetWindowThreadProcessId(HWND hWnd, LPDWORD lpdwProcessId) {
  WindowSystem& s = Sys();
  Lock g(s.lock);
  Window* w = RequireLocked(hWnd);
  if (!w) return 0;
  if (lpdwProcessId) *lpdwProcessId = static_cast<DWORD>(::getpid());
  return w->queue ? w->queue->thread_id : 0;
}
