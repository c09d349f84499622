// A window's menus: its menu bar (SetMenu, GetMenu, DrawMenuBar) and its
// window menu (GetSystemMenu).
#include <unordered_map>
#include <vector>

#include "ui/last_error.h"
#include "ui/menus/menu_hooks.h"
#include "ui/menus/menu_store.h"
#include "ui/window_state.h"

using namespace qvp::ui::menus;
using qvp::ui::SetError;

namespace {

// The windows' own copies of the window menu (under the store's lock).
std::unordered_map<HWND, HMENU>& SystemMenus() {
  static auto* menus = new std::unordered_map<HWND, HMENU>;
  return *menus;
}

HMENU TakeSystemMenuLocked(HWND hwnd) {
  auto& menus = SystemMenus();
  auto it = menus.find(hwnd);
  if (it == menus.end()) return nullptr;
  HMENU h = it->second;
  menus.erase(it);
  return h;
}

HMENU BuildWindowMenuLocked() {
  struct Entry {
    UINT id;
    const char* text;
  };
  static const Entry kEntries[] = {
      {SC_RESTORE, "&Restore"}, {SC_MOVE, "&Move"},         {SC_SIZE, "&Size"}, {SC_MINIMIZE, "Mi&nimize"},
      {SC_MAXIMIZE, "Ma&ximize"}, {0, nullptr},            {SC_CLOSE, "&Close\tAlt+F4"},
  };
  HMENU h = AddMenu(true);
  Menu* m = FindMenuQuiet(h);
  for (const Entry& e : kEntries) {
    Item item;
    if (e.text) {
      item.id = e.id;
      item.text = e.text;
    } else {
      item.type = MFT_SEPARATOR;
    }
    if (e.id == SC_CLOSE) item.state |= MFS_DEFAULT;
    m->items.push_back(std::move(item));
  }
  return h;
}

}  // namespace

BOOL WINAPI SetMenu(HWND hWnd, HMENU hMenu) {
  if (hMenu) {
    Guard g(TheStore().lock);
    if (!FindMenu(hMenu)) return FALSE;
  }
  {
    qvp::ui::WindowSystem& s = qvp::ui::Sys();
    qvp::ui::Lock g(s.lock);
    qvp::ui::Window* w = qvp::ui::RequireLocked(hWnd);
    if (!w) return FALSE;
    if (w->style & WS_CHILD) {
      SetError(ERROR_CHILD_WINDOW_NOMENU);
      return FALSE;
    }
    w->id = reinterpret_cast<LONG_PTR>(hMenu);
  }
  // The client area shrinks or grows by the bar.
  SetWindowPos(hWnd, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  return TRUE;
}

HMENU WINAPI GetMenu(HWND hWnd) {
  qvp::ui::WindowSystem& s = qvp::ui::Sys();
  qvp::ui::Lock g(s.lock);
  qvp::ui::Window* w = qvp::ui::RequireLocked(hWnd);
  if (!w || (w->style & WS_CHILD)) return nullptr;  // a child's slot holds its id
  return reinterpret_cast<HMENU>(w->id);
}

BOOL WINAPI DrawMenuBar(HWND hWnd) {
  // Nothing is drawn; the bar is read from the menu whenever it is used.
  return IsWindow(hWnd);
}

HMENU WINAPI GetSystemMenu(HWND hWnd, BOOL bRevert) {
  if (!IsWindow(hWnd)) {
    SetError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  const bool has_window_menu = (GetWindowLongA(hWnd, GWL_STYLE) & WS_SYSMENU) != 0;
  // Copies of windows that are gone are dropped on the way.
  std::vector<HWND> known;
  {
    Guard g(TheStore().lock);
    for (const auto& entry : SystemMenus()) known.push_back(entry.first);
  }
  std::vector<HWND> gone;
  for (HWND h : known)
    if (!IsWindow(h)) gone.push_back(h);

  Guard g(TheStore().lock);
  for (HWND h : gone)
    if (HMENU old = TakeSystemMenuLocked(h)) DestroyTree(old);
  if (bRevert) {
    if (HMENU old = TakeSystemMenuLocked(hWnd)) DestroyTree(old);
    return nullptr;
  }
  if (!has_window_menu) return nullptr;
  auto& menus = SystemMenus();
  auto it = menus.find(hWnd);
  if (it != menus.end() && FindMenuQuiet(it->second)) return it->second;
  HMENU h = BuildWindowMenuLocked();
  menus[hWnd] = h;
  return h;
}

namespace qvp::ui {

void ForgetWindowMenus(HWND hwnd, HMENU bar) {
  Guard g(TheStore().lock);
  if (HMENU old = TakeSystemMenuLocked(hwnd)) DestroyTree(old);
  if (bar && FindMenuQuiet(bar)) DestroyTree(bar);
}

}  // namespace qvp::ui
