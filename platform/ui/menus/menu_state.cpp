// Item states: enabling, check marks, radio groups and the default item.
#include <algorithm>
#include <unordered_set>

#include "ui/last_error.h"
#include "ui/menus/menu_store.h"

using namespace qvp::ui::menus;
using qvp::ui::SetError;

namespace {

constexpr UINT kNotFound = static_cast<UINT>(-1);

}  // namespace

BOOL WINAPI EnableMenuItem(HMENU hMenu, UINT uIDEnableItem, UINT uEnable) {
  Guard g(TheStore().lock);
  auto ref = Locate(hMenu, uIDEnableItem, (uEnable & MF_BYPOSITION) != 0);
  if (!ref) return -1;
  Item& item = ref->item();
  UINT previous = item.state & (MF_GRAYED | MF_DISABLED);
  item.state = (item.state & ~static_cast<UINT>(MF_GRAYED | MF_DISABLED)) | (uEnable & (MF_GRAYED | MF_DISABLED));
  return static_cast<BOOL>(previous);
}

DWORD WINAPI CheckMenuItem(HMENU hMenu, UINT uIDCheckItem, UINT uCheck) {
  Guard g(TheStore().lock);
  auto ref = Locate(hMenu, uIDCheckItem, (uCheck & MF_BYPOSITION) != 0);
  if (!ref) return static_cast<DWORD>(-1);
  Item& item = ref->item();
  DWORD previous = item.state & MF_CHECKED;
  item.state = (item.state & ~static_cast<UINT>(MF_CHECKED)) | (uCheck & MF_CHECKED);
  return previous;
}

BOOL WINAPI CheckMenuRadioItem(HMENU hmenu, UINT first, UINT last, UINT check, UINT flags) {
  Guard g(TheStore().lock);
  const bool by_position = (flags & MF_BYPOSITION) != 0;
  auto start = Locate(hmenu, first, by_position);
  if (!start) return FALSE;
  // The group is a run of items of one menu: the one holding the first item.
  Menu* m = start->owner;
  size_t from = start->pos;
  size_t to = m->items.size();
  if (by_position) {
    to = last;
  } else {
    for (size_t i = 0; i < m->items.size(); ++i)
      if (!m->items[i].submenu && m->items[i].id == last) to = i;
  }
  if (to >= m->items.size()) return FALSE;
  if (from > to) std::swap(from, to);
  size_t chosen = m->items.size();
  for (size_t i = from; i <= to; ++i)
    if (by_position ? i == check : (!m->items[i].submenu && m->items[i].id == check)) chosen = i;
  if (chosen == m->items.size()) return FALSE;
  for (size_t i = from; i <= to; ++i) {
    Item& item = m->items[i];
    if (i == chosen) {
      item.type |= MFT_RADIOCHECK;
      item.state |= MFS_CHECKED;
    } else {
      item.type &= ~static_cast<UINT>(MFT_RADIOCHECK);
      item.state &= ~static_cast<UINT>(MFS_CHECKED);
    }
  }
  return TRUE;
}

BOOL WINAPI SetMenuDefaultItem(HMENU hMenu, UINT uItem, UINT fByPos) {
  Guard g(TheStore().lock);
  Menu* m = FindMenu(hMenu);
  if (!m) return FALSE;
  size_t chosen = m->items.size();
  if (uItem != kNotFound) {
    // Only the menu's own items: a default belongs to the menu that shows it.
    for (size_t i = 0; i < m->items.size(); ++i)
      if (fByPos ? i == uItem : m->items[i].id == uItem) chosen = i;
    if (chosen == m->items.size()) {
      SetError(ERROR_MENU_ITEM_NOT_FOUND);
      return FALSE;
    }
  }
  for (size_t i = 0; i < m->items.size(); ++i) {
    if (i == chosen) m->items[i].state |= MFS_DEFAULT;
    else m->items[i].state &= ~static_cast<UINT>(MFS_DEFAULT);
  }
  return TRUE;
}

UINT WINAPI GetMenuDefaultItem(HMENU hMenu, UINT fByPos, UINT gmdiFlags) {
  Guard g(TheStore().lock);
  if (!FindMenu(hMenu)) return kNotFound;
  UINT answer = kNotFound;
  std::unordered_set<HMENU> seen;
  HMENU menu = hMenu;
  while (menu && seen.insert(menu).second) {
    Menu* m = FindMenuQuiet(menu);
    if (!m) break;
    auto it = std::find_if(m->items.begin(), m->items.end(),
                           [](const Item& item) { return (item.state & MFS_DEFAULT) != 0; });
    if (it == m->items.end()) break;
    if (it->Unavailable() && !(gmdiFlags & GMDI_USEDISABLED)) break;
    answer = fByPos ? static_cast<UINT>(it - m->items.begin()) : it->id;
    // A default that opens a pop-up leads to that pop-up's default, if it has one.
    if (!(gmdiFlags & GMDI_GOINTOPOPUPS) || !it->submenu) break;
    menu = it->submenu;
  }
  return answer;
}
