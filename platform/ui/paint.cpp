// Update regions and painting: InvalidateRect and friends, BeginPaint/EndPaint
// and window device contexts. WM_PAINT itself is made by the message queue
// when it has nothing else to deliver.
#include <algorithm>

#include "qvplatform.h"
#include "ui/last_error.h"
#include "ui/nonclient.h"
#include "ui/queue.h"
#include "ui/window_dc.h"
#include "ui/window_ops.h"

namespace qvp::ui {
namespace {

bool Empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

RECT Intersect(const RECT& a, const RECT& b) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
  return Empty(r) ? RECT{} : r;
}

RECT Union(const RECT& a, const RECT& b) {
  return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
              std::max(a.bottom, b.bottom)};
}

RECT ClientArea(const Window* w) {
  return RECT{0, 0, w->client_rect.right - w->client_rect.left, w->client_rect.bottom - w->client_rect.top};
}

bool NeedsPaint(const Window* w) { return w->has_update || w->internal_paint; }

void SyncPending(Window* w, bool before) {
  bool now = NeedsPaint(w);
  if (now != before && w->queue) SetPaintPending(*w->queue, w->handle, now);
}

bool ReachesChildren(const Window* w, Reach reach) {
  return reach == Reach::kAll || (reach == Reach::kDefault && !(w->style & WS_CLIPCHILDREN));
}

// The part of `r` (client coordinates of w) over child c, in c's client coordinates.
RECT InChild(const Window* c, const RECT& r) {
  RECT over = Intersect(r, c->window_rect);
  if (Empty(over)) return RECT{};
  return RECT{over.left - c->client_rect.left, over.top - c->client_rect.top, over.right - c->client_rect.left,
              over.bottom - c->client_rect.top};
}

// Takes `cut` out of the update rectangle where the result is still a rectangle.
void Subtract(Window* w, const RECT& cut) {
  RECT& u = w->update;
  if (cut.left <= u.left && cut.right >= u.right) {
    if (cut.top <= u.top && cut.bottom > u.top) u.top = std::min(cut.bottom, u.bottom);
    if (cut.bottom >= u.bottom && cut.top < u.bottom) u.bottom = std::max(cut.top, u.top);
  }
  if (cut.top <= u.top && cut.bottom >= u.bottom) {
    if (cut.left <= u.left && cut.right > u.left) u.left = std::min(cut.right, u.right);
    if (cut.right >= u.right && cut.left < u.right) u.right = std::max(cut.left, u.left);
  }
  if (Empty(u)) {
    w->has_update = false;
    w->erase_pending = false;
    u = RECT{};
  }
}

// Windows of a subtree that need painting now, parents first.
void CollectPaint(Window* w, Reach reach, std::vector<HWND>* out) {
  if (NeedsPaint(w)) out->push_back(w->handle);
  if (!ReachesChildren(w, reach)) return;
  for (Window* c : w->children) CollectPaint(c, reach, out);
}

}  // namespace

void InvalidateLocked(Window* w, const RECT* rect, bool erase, Reach reach) {
  if (!VisibleLocked(w) || w->is_root) return;
  RECT r = rect ? Intersect(*rect, ClientArea(w)) : ClientArea(w);
  if (Empty(r)) return;
  bool before = NeedsPaint(w);
  w->update = w->has_update ? Union(w->update, r) : r;
  w->has_update = true;
  if (erase) w->erase_pending = true;
  SyncPending(w, before);
  if (!ReachesChildren(w, reach)) return;
  for (Window* c : w->children) {
    RECT cr = InChild(c, r);
    if (!Empty(cr)) InvalidateLocked(c, &cr, erase, reach);
  }
}

void ValidateLocked(Window* w, const RECT* rect, Reach reach) {
  bool before = NeedsPaint(w);
  if (w->has_update) {
    if (!rect) {
      w->has_update = false;
      w->erase_pending = false;
      w->update = RECT{};
    } else {
      Subtract(w, *rect);
    }
  }
  SyncPending(w, before);
  if (!ReachesChildren(w, reach)) return;
  RECT all = ClientArea(w);
  for (Window* c : w->children) {
    RECT cr = InChild(c, rect ? *rect : all);
    if (!Empty(cr)) ValidateLocked(c, &cr, reach);
  }
}

}  // namespace qvp::ui

using namespace qvp::ui;

BOOL WINAPI InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase) {
  return RedrawWindow(hWnd, lpRect, nullptr, RDW_INVALIDATE | (bErase ? RDW_ERASE : 0));
}

BOOL WINAPI ValidateRect(HWND hWnd, const RECT* lpRect) {
  return RedrawWindow(hWnd, lpRect, nullptr, RDW_VALIDATE);
}

BOOL WINAPI RedrawWindow(HWND hWnd, const RECT* lprcUpdate, HRGN hrgnUpdate, UINT flags) {
  // Update regions are kept as their bounding rectangles, so a region counts by its box.
  RECT region_box{};
  if (hrgnUpdate && !lprcUpdate) {
    if (GetRgnBox(hrgnUpdate, &region_box) == ERROR) {
      SetError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    lprcUpdate = &region_box;
  }
  WindowSystem& s = Sys();
  std::vector<HWND> paint_now;
  {
    Lock g(s.lock);
    std::vector<Window*> targets;
    if (hWnd) {
      Window* w = RequireLocked(hWnd);
      if (!w) return FALSE;
      targets.push_back(w);
    } else {
      // The whole screen: every top-level window.
      for (Window* t : s.desktop->children) targets.push_back(t);
      lprcUpdate = nullptr;
    }
    Reach reach = (flags & RDW_ALLCHILDREN) ? Reach::kAll : (flags & RDW_NOCHILDREN) ? Reach::kSelf : Reach::kDefault;
    for (Window* w : targets) {
      if (flags & RDW_INVALIDATE) InvalidateLocked(w, lprcUpdate, (flags & RDW_ERASE) != 0, reach);
      if (flags & RDW_VALIDATE) ValidateLocked(w, lprcUpdate, reach);
      bool before = w->has_update || w->internal_paint;
      if ((flags & RDW_INTERNALPAINT) && VisibleLocked(w)) w->internal_paint = true;
      if (flags & RDW_NOINTERNALPAINT) w->internal_paint = false;
      if (flags & RDW_NOERASE) w->erase_pending = false;
      bool after = w->has_update || w->internal_paint;
      if (before != after && w->queue) SetPaintPending(*w->queue, w->handle, after);
      if (flags & (RDW_UPDATENOW | RDW_ERASENOW)) CollectPaint(w, reach, &paint_now);
    }
  }
  for (HWND h : paint_now) Send(h, WM_PAINT, 0, 0);
  return TRUE;
}

BOOL WINAPI UpdateWindow(HWND hWnd) {
  bool needs = false;
  {
    WindowSystem& s = Sys();
    Lock g(s.lock);
    Window* w = RequireLocked(hWnd);
    if (!w) return FALSE;
    needs = NeedsPaint(w);
  }
  if (needs) Send(hWnd, WM_PAINT, 0, 0);
  return TRUE;
}

BOOL WINAPI GetUpdateRect(HWND hWnd, LPRECT lpRect, BOOL bErase) {
  bool has = false, erase = false;
  RECT u{};
  {
    WindowSystem& s = Sys();
    Lock g(s.lock);
    Window* w = RequireLocked(hWnd);
    if (!w) return FALSE;
    has = w->has_update;
    erase = w->erase_pending;
    u = has ? w->update : RECT{};
  }
  if (lpRect) *lpRect = u;
  if (has && bErase && erase) {
    HDC dc = AcquireWindowDC(hWnd, false);
    bool erased = Send(hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) != 0;
    ReleaseWindowDC(hWnd, dc);
    if (erased) {
      WindowSystem& s = Sys();
      Lock g(s.lock);
      if (Window* w = FindLocked(hWnd)) w->erase_pending = false;
    }
  }
  return has ? TRUE : FALSE;
}

HDC WINAPI BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint) {
  if (!lpPaint) {
    SetError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  RECT u{};
  bool erase = false;
  {
    WindowSystem& s = Sys();
    Lock g(s.lock);
    Window* w = RequireLocked(hWnd);
    if (!w) return nullptr;
    bool before = NeedsPaint(w);
    u = w->has_update ? w->update : RECT{};
    erase = w->erase_pending;
    w->has_update = false;
    w->erase_pending = false;
    w->internal_paint = false;
    w->update = RECT{};
    SyncPending(w, before);
  }
  if (WantsNonClientPaint(hWnd)) Send(hWnd, WM_NCPAINT, 1, 0);  // only when windows are shown
  *lpPaint = PAINTSTRUCT{};
  lpPaint->hdc = AcquireWindowDC(hWnd, false);
  lpPaint->rcPaint = u;
  lpPaint->fErase = FALSE;
  if (erase) lpPaint->fErase = Send(hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(lpPaint->hdc), 0) ? FALSE : TRUE;
  return lpPaint->hdc;
}

BOOL WINAPI EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint) {
  if (!lpPaint) return FALSE;
  ReleaseWindowDC(hWnd, lpPaint->hdc);
  return TRUE;
}

HDC WINAPI GetDC(HWND hWnd) {
  if (hWnd && !IsWindow(hWnd)) {
    SetError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  return AcquireWindowDC(hWnd, false);
}

HDC WINAPI GetWindowDC(HWND hWnd) {
  if (hWnd && !IsWindow(hWnd)) {
    SetError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  return AcquireWindowDC(hWnd, true);
}

int WINAPI ReleaseDC(HWND hWnd, HDC hDC) { return ReleaseWindowDC(hWnd, hDC) ? 1 : 0; }
