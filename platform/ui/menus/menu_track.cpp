// Menus in use: pop-up menus (TrackPopupMenu) and the menu bar. Headless,
// nothing is shown: the chooser stands in for the user, and the owner window
// receives the messages a user's pick sends. With the display open and no
// chooser, the menu is shown and the user picks (menu_screen.h).
#include <cstdio>
#include <deque>
#include <mutex>
#include <optional>
#include <utility>

#include "ui/last_error.h"
#include "ui/menus/menu_hooks.h"
#include "ui/menus/menu_screen.h"
#include "ui/menus/menu_store.h"

using namespace qvp::ui::menus;
using qvp::ui::SetError;

namespace {

struct Choices {
  std::mutex lock;
  qvp::MenuChooser chooser;
  std::deque<UINT> queued;
};

Choices& TheChoices() {
  static auto* c = new Choices;
  return *c;
}

// What the user picked: a queued choice, the chooser's answer, or, with
// neither and the display open, the user's own pick on the screen
// (`on_screen` set).
UINT AskChooser(HMENU menu, HWND owner, bool popup, POINT at, bool* on_screen) {
  Choices& c = TheChoices();
  qvp::MenuChooser chooser;
  {
    std::lock_guard<std::mutex> g(c.lock);
    if (!c.queued.empty()) {
      UINT id = c.queued.front();
      c.queued.pop_front();
      return id;
    }
    chooser = c.chooser;
  }
  if (!chooser) {
    if (!MenusOnScreen()) return 0;
    *on_screen = true;
    return ShowMenuOnScreen(owner, menu, !popup, at);
  }
  try {
    return chooser(menu, owner);
  } catch (...) {
    return 0;  // a chooser that fails dismisses the menu
  }
}

// What a walk step needs to know of an item, copied out under the lock.
struct StepInfo {
  HMENU menu = nullptr;
  size_t pos = 0;
  UINT flags = 0;  // classic flags
  HMENU submenu = nullptr;
  bool unavailable = false;
};

std::optional<StepInfo> FirstStep(HMENU from, UINT id) {
  Guard g(TheStore().lock);
  std::vector<Step> path = PathTo(from, id);
  if (path.empty()) return std::nullopt;
  Menu* m = FindMenuQuiet(path.front().menu);
  const Item& item = m->items[path.front().pos];
  return StepInfo{path.front().menu, path.front().pos, ClassicFlags(item), item.submenu, item.Unavailable()};
}

WPARAM SelectParam(UINT item, UINT flags) {
  return static_cast<WPARAM>(static_cast<DWORD>(MAKELONG(item, (flags | MF_HILITE | MF_MOUSESELECT) & 0xFFFF)));
}

// Opens the pop-ups on the way from `root` to the command `id` and selects
// it, as a user's mouse does. Each pop-up's WM_INITMENUPOPUP may change the
// menus, so the way on is looked up again after it. False when the item
// cannot be reached or picked.
bool FollowPath(HWND owner, HMENU root, UINT id, bool notify) {
  HMENU current = root;
  for (int depth = 0; depth <= kMaxMenuDepth; ++depth) {
    std::optional<StepInfo> step = FirstStep(current, id);
    if (!step || step->unavailable) return false;
    if (!step->submenu) {
      if (notify) SendMessageA(owner, WM_MENUSELECT, SelectParam(id, step->flags), reinterpret_cast<LPARAM>(step->menu));
      return true;
    }
    if (notify) {
      SendMessageA(owner, WM_MENUSELECT, SelectParam(static_cast<UINT>(step->pos), step->flags),
                   reinterpret_cast<LPARAM>(step->menu));
      SendMessageA(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(step->submenu),
                   MAKELONG(static_cast<WORD>(step->pos), FALSE));
    }
    current = step->submenu;
  }
  return false;
}

void Note(const char* what, HMENU menu, HWND owner, UINT id) {
  char line[160];
  std::snprintf(line, sizeof line, "Menu %s %p of window %p: %s %u\n", what, static_cast<void*>(menu),
                static_cast<void*>(owner), id ? "picked" : "dismissed", id);
  OutputDebugStringA(line);
}

// One session of a menu: entered, initialised, a choice made and followed,
// closed. `fixed` is a pick given in advance (menu-bar picks by tests);
// otherwise the chooser picks. Returns the command picked, or 0.
UINT RunMenu(HWND owner, HMENU menu, bool popup, bool notify, std::optional<UINT> fixed, POINT at = {}) {
  SendMessageA(owner, WM_ENTERMENULOOP, popup ? TRUE : FALSE, 0);
  if (notify) {
    SendMessageA(owner, WM_INITMENU, reinterpret_cast<WPARAM>(menu), 0);
    if (popup) SendMessageA(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELONG(0, FALSE));
  }
  bool on_screen = false;
  UINT id = fixed ? *fixed : AskChooser(menu, owner, popup, at, &on_screen);
  // On the screen the user's own moves already sent the pop-up messages.
  if (id != 0 && !FollowPath(owner, menu, id, notify && !on_screen)) id = 0;
  if (notify) SendMessageA(owner, WM_MENUSELECT, MAKELONG(0, 0xFFFF), 0);
  SendMessageA(owner, WM_EXITMENULOOP, popup ? TRUE : FALSE, 0);
  Note(popup ? "pop-up" : "bar", menu, owner, id);
  return id;
}

void PostCommand(HWND owner, UINT id) {
  PostMessageA(owner, WM_COMMAND, static_cast<WPARAM>(static_cast<DWORD>(MAKELONG(id, 0))), 0);
}

}  // namespace

BOOL WINAPI TrackPopupMenuEx(HMENU hMenu, UINT uFlags, int x, int y, HWND hwnd, LPTPMPARAMS lptpm) {
  if (lptpm && lptpm->cbSize != sizeof(TPMPARAMS)) {
    SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!IsMenu(hMenu)) {
    SetError(ERROR_INVALID_MENU_HANDLE);
    return FALSE;
  }
  if (!IsWindow(hwnd)) {
    SetError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  UINT id = RunMenu(hwnd, hMenu, true, (uFlags & TPM_NONOTIFY) == 0, std::nullopt, POINT{x, y});
  if (uFlags & TPM_RETURNCMD) return static_cast<BOOL>(id);
  if (id != 0) PostCommand(hwnd, id);
  return TRUE;
}

BOOL WINAPI TrackPopupMenu(HMENU hMenu, UINT uFlags, int x, int y, int /*nReserved*/, HWND hWnd,
                           const RECT* /*prcRect*/) {
  return TrackPopupMenuEx(hMenu, uFlags, x, y, hWnd, nullptr);
}

namespace qvp {

void SetMenuChooser(MenuChooser chooser) {
  Choices& c = TheChoices();
  std::lock_guard<std::mutex> g(c.lock);
  c.chooser = std::move(chooser);
}

void QueueMenuChoices(const std::vector<UINT>& ids) {
  Choices& c = TheChoices();
  std::lock_guard<std::mutex> g(c.lock);
  c.queued.insert(c.queued.end(), ids.begin(), ids.end());
}

void ClearMenuChoices() {
  Choices& c = TheChoices();
  std::lock_guard<std::mutex> g(c.lock);
  c.queued.clear();
}

bool PickMenuBarItem(HWND hwnd, UINT id) {
  HMENU bar = GetMenu(hwnd);
  if (!bar || !IsWindowEnabled(hwnd)) return false;
  {
    Guard g(TheStore().lock);
    if (PathTo(bar, id).empty()) return false;
  }
  if (RunMenu(hwnd, bar, false, true, id) == 0) return false;
  PostCommand(hwnd, id);
  return true;
}

}  // namespace qvp

namespace qvp::ui {

LRESULT EnterMenuBar(HWND hwnd, WPARAM command, LPARAM lparam) {
  HMENU bar = GetMenu(hwnd);
  if (!bar || !IsMenu(bar) || !IsWindowEnabled(hwnd)) return 0;
  // The mouse gives the point it entered at; the keyboard drops the first item.
  POINT at{-1, -1};
  if ((command & 0xFFF0) == SC_MOUSEMENU) at = POINT{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
  if (UINT id = RunMenu(hwnd, bar, false, true, std::nullopt, at)) PostCommand(hwnd, id);
  return 0;
}

}  // namespace qvp::ui
