// The menu table and the walks over menus and their sub-menus.
#include "ui/menus/menu_store.h"

#include <unordered_set>

#include "ui/last_error.h"

namespace qvp::ui::menus {

Store& TheStore() {
  static Store* store = new Store;  // menus may be used by threads still running at exit
  return *store;
}

Menu* FindMenuQuiet(HMENU handle) {
  Store& s = TheStore();
  auto it = s.menus.find(reinterpret_cast<uintptr_t>(handle));
  return it == s.menus.end() ? nullptr : it->second.get();
}

Menu* FindMenu(HMENU handle) {
  Menu* m = FindMenuQuiet(handle);
  if (!m) SetError(ERROR_INVALID_MENU_HANDLE);
  return m;
}

HMENU AddMenu(bool popup) {
  Store& s = TheStore();
  uintptr_t key = s.next_handle;
  s.next_handle += 4;
  auto menu = std::make_unique<Menu>();
  menu->popup = popup;
  s.menus.emplace(key, std::move(menu));
  return reinterpret_cast<HMENU>(key);
}

namespace {

// Depth-first search for the command `id` below `menu`; `seen` keeps the walk
// finite. A pop-up whose own id matches is remembered in `fallback` and used
// only when no command item matches.
std::optional<ItemRef> FindCommand(HMENU menu, UINT id, std::unordered_set<HMENU>& seen,
                                   std::optional<ItemRef>& fallback, int depth) {
  if (depth > kMaxMenuDepth || !seen.insert(menu).second) return std::nullopt;
  Menu* m = FindMenuQuiet(menu);
  if (!m) return std::nullopt;
  for (size_t i = 0; i < m->items.size(); ++i) {
    const Item& item = m->items[i];
    if (item.submenu) {
      if (auto found = FindCommand(item.submenu, id, seen, fallback, depth + 1)) return found;
      if (item.id == id && !fallback) fallback = ItemRef{menu, m, i};
    } else if (item.id == id) {
      return ItemRef{menu, m, i};
    }
  }
  return std::nullopt;
}

bool PathWalk(HMENU menu, UINT id, std::unordered_set<HMENU>& seen, std::vector<Step>& path) {
  if (path.size() > static_cast<size_t>(kMaxMenuDepth) || !seen.insert(menu).second) return false;
  Menu* m = FindMenuQuiet(menu);
  if (!m) return false;
  for (size_t i = 0; i < m->items.size(); ++i) {
    const Item& item = m->items[i];
    path.push_back(Step{menu, i});
    if (item.submenu ? PathWalk(item.submenu, id, seen, path) : (item.id == id && !item.IsSeparator())) return true;
    path.pop_back();
  }
  return false;
}

}  // namespace

std::optional<ItemRef> Locate(HMENU menu, UINT item, bool by_position) {
  Menu* m = FindMenu(menu);
  if (!m) return std::nullopt;
  if (by_position) {
    if (item >= m->items.size()) return std::nullopt;
    return ItemRef{menu, m, item};
  }
  std::unordered_set<HMENU> seen;
  std::optional<ItemRef> fallback;
  if (auto found = FindCommand(menu, item, seen, fallback, 0)) return found;
  return fallback;
}

std::vector<Step> PathTo(HMENU root, UINT id) {
  std::unordered_set<HMENU> seen;
  std::vector<Step> path;
  if (!PathWalk(root, id, seen, path)) path.clear();
  return path;
}

std::vector<HMENU> Reachable(HMENU root) {
  std::vector<HMENU> order;
  std::unordered_set<HMENU> seen;
  std::vector<HMENU> todo{root};
  while (!todo.empty()) {
    HMENU h = todo.back();
    todo.pop_back();
    Menu* m = FindMenuQuiet(h);
    if (!m || !seen.insert(h).second) continue;
    order.push_back(h);
    for (auto it = m->items.rbegin(); it != m->items.rend(); ++it)
      if (it->submenu) todo.push_back(it->submenu);
  }
  return order;
}

void DestroyTree(HMENU root) {
  Store& s = TheStore();
  for (HMENU h : Reachable(root)) s.menus.erase(reinterpret_cast<uintptr_t>(h));
}

bool Reaches(HMENU outer, HMENU inner) {
  for (HMENU h : Reachable(outer))
    if (h == inner) return true;
  return false;
}

UINT ClassicFlags(const Item& item) {
  UINT flags = (item.state & (MFS_GRAYED | MFS_CHECKED | MFS_HILITE | MFS_DEFAULT)) |
               (item.type & (MFT_BITMAP | MFT_MENUBARBREAK | MFT_MENUBREAK | MFT_OWNERDRAW | MFT_RADIOCHECK |
                             MFT_SEPARATOR | MFT_RIGHTORDER | MFT_RIGHTJUSTIFY));
  if (item.submenu) flags |= MF_POPUP;
  return flags;
}

bool ItemFromClassic(HMENU parent, UINT flags, UINT_PTR id_or_menu, LPCSTR content, Item* item) {
  item->type = flags & (MF_BITMAP | MF_OWNERDRAW | MF_SEPARATOR | MF_MENUBREAK | MF_MENUBARBREAK |
                        MF_USECHECKBITMAPS | MF_RIGHTJUSTIFY);
  item->state = flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_HILITE);
  item->text.clear();
  item->bitmap = nullptr;
  item->data = 0;
  item->submenu = nullptr;
  if (flags & MF_POPUP) {
    auto sub = reinterpret_cast<HMENU>(id_or_menu);
    if (!FindMenu(sub)) return false;
    if (Reaches(sub, parent)) {
      SetError(ERROR_INVALID_PARAMETER);
      return false;
    }
    item->submenu = sub;
    // A pop-up's id is its menu's handle, as the classic calls set it.
    item->id = static_cast<UINT>(id_or_menu);
  } else {
    item->id = static_cast<UINT>(id_or_menu);
  }
  if (item->type & MF_SEPARATOR) {
    // nothing to show
  } else if (item->type & MF_BITMAP) {
    item->bitmap = reinterpret_cast<HBITMAP>(const_cast<char*>(content));
  } else if (item->type & MF_OWNERDRAW) {
    item->data = reinterpret_cast<ULONG_PTR>(content);
  } else if (content) {
    item->text = content;
  }
  return true;
}

}  // namespace qvp::ui::menus
