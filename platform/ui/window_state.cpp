// The shared state of the window system: handle lookups, the atom table and
// the frame model.
#include "ui/window_state.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "ui/last_error.h"
#include "ui/queue.h"

namespace qvp::ui {
namespace {

constexpr ATOM kFirstAtom = 0xC000;
constexpr ATOM kDesktopAtom = 0x8001;  // "#32769"

std::shared_ptr<Window> MakeRoot(WindowSystem& s, const char* class_name, bool desktop) {
  auto cls = std::make_shared<WindowClass>();
  cls->atom = desktop ? kDesktopAtom : 0;
  cls->name = class_name;
  cls->system = true;
  auto w = std::make_shared<Window>();
  w->handle = reinterpret_cast<HWND>(s.next_handle);
  s.next_handle += 4;
  w->cls = cls;
  w->is_root = true;
  w->style = WS_POPUP | WS_CLIPCHILDREN | (desktop ? WS_VISIBLE : 0);
  if (desktop) {
    w->window_rect = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    w->client_rect = w->window_rect;
  }
  s.windows.emplace(reinterpret_cast<uintptr_t>(w->handle), w);
  return w;
}

}  // namespace

WindowSystem& Sys() {
  static WindowSystem* s = [] {
    auto* sys = new WindowSystem;  // windows may outlive static destruction of other modules
    sys->desktop = MakeRoot(*sys, "#32769", true).get();
    sys->message_root = MakeRoot(*sys, "Message", false).get();
    AddBuiltInClasses(*sys);
    return sys;
  }();
  return *s;
}

void InsertSibling(std::vector<Window*>& list, size_t index, Window* w) {
  list.push_back(w);
  if (index < list.size() - 1)
    std::rotate(list.begin() + static_cast<std::ptrdiff_t>(index), list.end() - 1, list.end());
}

Window* FindLocked(HWND hwnd) {
  WindowSystem& s = Sys();
  auto it = s.windows.find(reinterpret_cast<uintptr_t>(hwnd));
  if (it == s.windows.end()) return nullptr;
  return it->second.get();
}

Window* RequireLocked(HWND hwnd) {
  Window* w = FindLocked(hwnd);
  if (!w) SetError(ERROR_INVALID_WINDOW_HANDLE);
  return w;
}

std::shared_ptr<Window> Hold(HWND hwnd) {
  WindowSystem& s = Sys();
  Lock g(s.lock);
  auto it = s.windows.find(reinterpret_cast<uintptr_t>(hwnd));
  return it == s.windows.end() ? nullptr : it->second;
}

bool IsTopLevel(const Window* w) { return w->parent && w->parent->is_root; }

Window* RootOf(Window* w) {
  while (w->parent && !w->parent->is_root) w = w->parent;
  return w;
}

bool IsDescendant(const Window* ancestor, const Window* w) {
  for (; w; w = w->parent)
    if (w == ancestor) return true;
  return false;
}

bool VisibleLocked(const Window* w) {
  for (; w; w = w->parent) {
    if (!(w->style & WS_VISIBLE)) return false;
    if (w->is_root) return true;
  }
  return true;
}

POINT ClientOriginOnScreen(const Window* w) {
  POINT p{0, 0};
  for (; w && !w->is_root; w = w->parent) {
    p.x += w->client_rect.left;
    p.y += w->client_rect.top;
  }
  return p;
}

bool OnCurrentThread(const Window* w) { return w->queue && w->queue->thread_key == CurrentQueue()->thread_key; }

bool IsIntAtom(LPCSTR name) { return (reinterpret_cast<ULONG_PTR>(name) >> 16) == 0; }

ATOM AtomOfLocked(LPCSTR name, bool add) {
  if (IsIntAtom(name)) return static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name));
  if (name[0] == '#' && name[1] != '\0') {
    char* end = nullptr;
    unsigned long v = std::strtoul(name + 1, &end, 10);
    if (*end == '\0' && v > 0 && v < kFirstAtom) return static_cast<ATOM>(v);
  }
  WindowSystem& s = Sys();
  std::string key = Upper(name);
  auto it = s.atoms.find(key);
  if (it != s.atoms.end()) return it->second;
  if (!add || s.atom_names.size() >= 0x4000) return 0;
  ATOM atom = static_cast<ATOM>(kFirstAtom + s.atom_names.size());
  s.atom_names.emplace_back(name);
  s.atoms.emplace(key, atom);
  return atom;
}

std::string AtomNameLocked(ATOM atom) {
  WindowSystem& s = Sys();
  if (atom >= kFirstAtom && static_cast<size_t>(atom - kFirstAtom) < s.atom_names.size())
    return s.atom_names[atom - kFirstAtom];
  std::string name = std::to_string(atom);
  name.insert(name.begin(), '#');
  return name;
}

Insets FrameOf(DWORD style, DWORD ex_style, bool menu) {
  LONG border = 0;
  if (style & WS_THICKFRAME)
    border = GetSystemMetrics(SM_CXFRAME);
  else if ((style & WS_DLGFRAME) || (ex_style & WS_EX_DLGMODALFRAME))
    border = GetSystemMetrics(SM_CXDLGFRAME);
  else if (style & WS_BORDER)
    border = GetSystemMetrics(SM_CXBORDER);
  if (ex_style & WS_EX_CLIENTEDGE) border += GetSystemMetrics(SM_CXEDGE);
  if (ex_style & WS_EX_STATICEDGE) border += GetSystemMetrics(SM_CXBORDER);
  Insets in{border, border, border, border};
  if ((style & WS_CAPTION) == WS_CAPTION)
    in.top += GetSystemMetrics((ex_style & WS_EX_TOOLWINDOW) ? SM_CYSMCAPTION : SM_CYCAPTION);
  if (menu) in.top += GetSystemMetrics(SM_CYMENU);
  return in;
}

RECT ClientFromWindowRect(const RECT& window, DWORD style, DWORD ex_style, bool menu) {
  Insets in = FrameOf(style, ex_style, menu);
  RECT c{window.left + in.left, window.top + in.top, window.right - in.right, window.bottom - in.bottom};
  if (style & WS_VSCROLL) c.right -= GetSystemMetrics(SM_CXVSCROLL);
  if (style & WS_HSCROLL) c.bottom -= GetSystemMetrics(SM_CYHSCROLL);
  if (c.right < c.left) c.right = c.left;
  if (c.bottom < c.top) c.bottom = c.top;
  return c;
}

bool HasMenuBar(const Window* w) { return !(w->style & WS_CHILD) && w->id != 0; }

}  // namespace qvp::ui
