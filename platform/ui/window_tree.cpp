// The window tree: parents, owners, siblings, searches and enumeration.
#include <algorithm>

#include "ui/last_error.h"
#include "ui/queue.h"
#include "ui/remote_window.h"
#include "ui/window_ops.h"

namespace qvp::ui {
namespace {

bool ClassMatchesLocked(const Window* w, LPCSTR cls) {
  if (!cls) return true;
  ATOM atom = AtomOfLocked(cls, false);
  return atom != 0 && w->cls && w->cls->atom == atom;
}

bool TitleMatches(const Window* w, LPCSTR title) { return !title || EqualNoCase(w->text, title); }

void CollectTree(const Window* w, std::vector<HWND>* out) {
  for (const Window* c : w->children) {
    out->push_back(c->handle);
    CollectTree(c, out);
  }
}

// Calls `proc` for each handle still naming a window; false when it stopped early.
bool CallEach(const std::vector<HWND>& handles, WNDENUMPROC proc, LPARAM lp) {
  for (HWND h : handles) {
    if (!IsWindow(h)) continue;
    if (!proc(h, lp)) return false;
  }
  return true;
}

}  // namespace

std::vector<HWND> ThreadTopLevelWindows(DWORD thread_id) {
  std::vector<HWND> mine;
  WindowSystem& s = Sys();
  Lock g(s.lock);
  for (Window* w : s.desktop->children)
    if (w->queue && w->queue->thread_id == thread_id) mine.push_back(w->handle);
  return mine;
}
}  // namespace qvp::ui

using namespace qvp::ui;

HWND WINAPI GetDesktopWindow() { return Sys().desktop->handle; }

HWND WINAPI FindWindowExA(HWND hWndParent, HWND hWndChildAfter, LPCSTR lpszClass, LPCSTR lpszWindow) {
  WindowSystem& s = Sys();
  Lock g(s.lock);
  Window* parent = s.desktop;
  if (hWndParent == HWND_MESSAGE) {
    parent = s.message_root;
  } else if (hWndParent) {
    parent = RequireLocked(hWndParent);
    if (!parent) return nullptr;
  }
  auto& list = parent->children;
  auto it = list.begin();
  if (hWndChildAfter) {
    Window* after = RequireLocked(hWndChildAfter);
    if (!after) return nullptr;
    it = std::find(list.begin(), list.end(), after);
    if (it == list.end()) {
      SetError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    ++it;
  }
  for (; it != list.end(); ++it)
    if (ClassMatchesLocked(*it, lpszClass) && TitleMatches(*it, lpszWindow)) return (*it)->handle;
  SetError(ERROR_FILE_NOT_FOUND);
  return nullptr;
}

HWND WINAPI FindWindowA(LPCSTR lpClassName, LPCSTR lpWindowName) {
  HWND found = FindWindowExA(nullptr, nullptr, lpClassName, lpWindowName);
  if (found == nullptr) found = FindRemoteWindow(lpClassName, lpWindowName);
  return found;
}

HWND WINAPI GetParent(HWND hWnd) {
  WindowSystem& s = Sys();
  Lock g(s.lock);
  Window* w = RequireLocked(hWnd);
  if (!w || w->is_root) return nullptr;
  if (w->style & WS_CHILD) return w->parent && !w->parent->is_root ? w->parent->handle : nullptr;
  if (w->style & WS_POPUP) return FindLocked(w->owner) ? w->owner : nullptr;
  return nullptr;
}

HWND WINAPI SetParent(HWND hWndChild, HWND hWndNewParent) {
  WindowSystem& s = Sys();
  HWND old = nullptr;
  {
    Lock g(s.lock);
    Window* w = RequireLocked(hWndChild);
    if (!w) return nullptr;
    Window* np = s.desktop;
    if (hWndNewParent == HWND_MESSAGE) {
      np = s.message_root;
    } else if (hWndNewParent) {
      np = RequireLocked(hWndNewParent);
      if (!np) return nullptr;
    }
    if (w->is_root || IsDescendant(w, np)) {
      SetError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    Window* op = w->parent;
    old = op ? op->handle : nullptr;
    if (op != np) {
      if (op) std::erase(op->children, w);
      w->parent = np;
      InsertSibling(np->children, 0, w);  // the top of its new siblings
      // The window keeps its size; its position now counts in the new parent's client area.
    }
  }
  if (IsWindowVisible(hWndChild)) InvalidateRect(hWndChild, nullptr, TRUE);
  return old;
}

HWND WINAPI GetWindow(HWND hWnd, UINT uCmd) {
  WindowSystem& s = Sys();
  Lock g(s.lock);
  Window* w = RequireLocked(hWnd);
  if (!w) return nullptr;
  if (uCmd == GW_CHILD) return w->children.empty() ? nullptr : w->children.front()->handle;
  if (uCmd == GW_OWNER) return FindLocked(w->owner) ? w->owner : nullptr;
  if (uCmd == GW_ENABLEDPOPUP) {
    for (Window* t : s.desktop->children)
      if (t->owner == hWnd && (t->style & WS_VISIBLE) && !(t->style & WS_DISABLED)) return t->handle;
    return nullptr;
  }
  if (!w->parent) return nullptr;
  auto& list = w->parent->children;
  auto it = std::find(list.begin(), list.end(), w);
  switch (uCmd) {
    case GW_HWNDFIRST: return list.front()->handle;
    case GW_HWNDLAST: return list.back()->handle;
    case GW_HWNDNEXT: return (it == list.end() || it + 1 == list.end()) ? nullptr : (*(it + 1))->handle;
    case GW_HWNDPREV: return (it == list.begin() || it == list.end()) ? nullptr : (*(it - 1))->handle;
    default: SetError(ERROR_INVALID_PARAMETER); return nullptr;
  }
}

HWND WINAPI GetTopWindow(HWND hWnd) { return GetWindow(hWnd ? hWnd : GetDesktopWindow(), GW_CHILD); }

BOOL WINAPI IsChild(HWND hWndParent, HWND hWnd) {
  WindowSystem& s = Sys();
  Lock g(s.lock);
  Window* p = FindLocked(hWndParent);
  Window* w = FindLocked(hWnd);
  if (!p || !w || p == w) return FALSE;
  for (; w && (w->style & WS_CHILD) && w->parent; w = w->parent)
    if (w->parent == p) return TRUE;
  return FALSE;
}

BOOL WINAPI EnumWindows(WNDENUMPROC lpEnumFunc, LPARAM lParam) {
  if (!lpEnumFunc) {
    SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::vector<HWND> top;
  {
    WindowSystem& s = Sys();
    Lock g(s.lock);
    for (Window* w : s.desktop->children) top.push_back(w->handle);
  }
  return CallEach(top, lpEnumFunc, lParam) ? TRUE : FALSE;
}

BOOL WINAPI EnumChildWindows(HWND hWndParent, WNDENUMPROC lpEnumFunc, LPARAM lParam) {
  if (!lpEnumFunc) {
    SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::vector<HWND> all;
  {
    WindowSystem& s = Sys();
    Lock g(s.lock);
    Window* p = hWndParent ? RequireLocked(hWndParent) : s.desktop;
    if (!p) return FALSE;
    CollectTree(p, &all);
  }
  return CallEach(all, lpEnumFunc, lParam) ? TRUE : FALSE;
}

BOOL WINAPI EnumThreadWindows(DWORD dwThreadId, WNDENUMPROC lpfn, LPARAM lParam) {
  if (!lpfn) {
    SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::vector<HWND> mine = ThreadTopLevelWindows(dwThreadId);
  if (mine.empty()) return FALSE;
  return CallEach(mine, lpfn, lParam) ? TRUE : FALSE;
}
