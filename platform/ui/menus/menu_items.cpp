// Creating and destroying menus, and adding, changing, removing and reading
// their items with the classic calls.
#include <algorithm>
#include <cstring>

#include "ui/last_error.h"
#include "ui/menus/menu_store.h"

using namespace qvp::ui::menus;
using qvp::ui::SetError;

namespace {

constexpr UINT kNotFound = static_cast<UINT>(-1);

bool RemoveItem(HMENU hMenu, UINT uPosition, UINT uFlags, bool destroy_submenu) {
  Guard g(TheStore().lock);
  auto ref = Locate(hMenu, uPosition, (uFlags & MF_BYPOSITION) != 0);
  if (!ref) {
    if (FindMenuQuiet(hMenu)) SetError(ERROR_MENU_ITEM_NOT_FOUND);
    return false;
  }
  HMENU sub = ref->item().submenu;
  ref->owner->items.erase(ref->owner->items.begin() + static_cast<std::ptrdiff_t>(ref->pos));
  if (destroy_submenu && sub) DestroyTree(sub);
  return true;
}

}  // namespace

HMENU WINAPI CreateMenu() {
  Guard g(TheStore().lock);
  return AddMenu(false);
}

HMENU WINAPI CreatePopupMenu() {
  Guard g(TheStore().lock);
  return AddMenu(true);
}

BOOL WINAPI DestroyMenu(HMENU hMenu) {
  Guard g(TheStore().lock);
  if (!FindMenu(hMenu)) return FALSE;
  DestroyTree(hMenu);
  return TRUE;
}

BOOL WINAPI IsMenu(HMENU hMenu) {
  Guard g(TheStore().lock);
  return FindMenuQuiet(hMenu) ? TRUE : FALSE;
}

BOOL WINAPI AppendMenuA(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, LPCSTR lpNewItem) {
  return InsertMenuA(hMenu, static_cast<UINT>(-1), uFlags | MF_BYPOSITION, uIDNewItem, lpNewItem);
}

BOOL WINAPI InsertMenuA(HMENU hMenu, UINT uPosition, UINT uFlags, UINT_PTR uIDNewItem, LPCSTR lpNewItem) {
  Guard g(TheStore().lock);
  Menu* m = FindMenu(hMenu);
  if (!m) return FALSE;
  HMENU target = hMenu;
  size_t pos = m->items.size();
  if (uFlags & MF_BYPOSITION) {
    // Any position past the end (-1 included) appends.
    pos = std::min<size_t>(uPosition, m->items.size());
  } else {
    auto ref = Locate(hMenu, uPosition, false);
    if (!ref) {
      SetError(ERROR_MENU_ITEM_NOT_FOUND);
      return FALSE;
    }
    target = ref->menu;
    m = ref->owner;
    pos = ref->pos;
  }
  Item item;
  if (!ItemFromClassic(target, uFlags, uIDNewItem, lpNewItem, &item)) return FALSE;
  m->items.insert(m->items.begin() + static_cast<std::ptrdiff_t>(pos), std::move(item));
  return TRUE;
}

BOOL WINAPI ModifyMenuA(HMENU hMnu, UINT uPosition, UINT uFlags, UINT_PTR uIDNewItem, LPCSTR lpNewItem) {
  Guard g(TheStore().lock);
  auto ref = Locate(hMnu, uPosition, (uFlags & MF_BYPOSITION) != 0);
  if (!ref) {
    if (FindMenuQuiet(hMnu)) SetError(ERROR_MENU_ITEM_NOT_FOUND);
    return FALSE;
  }
  Item item;
  HMENU old_sub = ref->item().submenu;
  if (!ItemFromClassic(ref->menu, uFlags, uIDNewItem, lpNewItem, &item)) return FALSE;
  ref->item() = std::move(item);
  // The pop-up an item opened goes with it, unless the item still opens it.
  if (old_sub && old_sub != ref->item().submenu) DestroyTree(old_sub);
  return TRUE;
}

BOOL WINAPI DeleteMenu(HMENU hMenu, UINT uPosition, UINT uFlags) {
  return RemoveItem(hMenu, uPosition, uFlags, true) ? TRUE : FALSE;
}

BOOL WINAPI RemoveMenu(HMENU hMenu, UINT uPosition, UINT uFlags) {
  return RemoveItem(hMenu, uPosition, uFlags, false) ? TRUE : FALSE;
}

HMENU WINAPI GetSubMenu(HMENU hMenu, int nPos) {
  Guard g(TheStore().lock);
  Menu* m = FindMenu(hMenu);
  if (!m || nPos < 0 || static_cast<size_t>(nPos) >= m->items.size()) return nullptr;
  return m->items[static_cast<size_t>(nPos)].submenu;
}

int WINAPI GetMenuItemCount(HMENU hMenu) {
  Guard g(TheStore().lock);
  Menu* m = FindMenu(hMenu);
  return m ? static_cast<int>(m->items.size()) : -1;
}

UINT WINAPI GetMenuItemID(HMENU hMenu, int nPos) {
  Guard g(TheStore().lock);
  Menu* m = FindMenu(hMenu);
  if (!m || nPos < 0 || static_cast<size_t>(nPos) >= m->items.size()) return kNotFound;
  const Item& item = m->items[static_cast<size_t>(nPos)];
  return item.submenu ? kNotFound : item.id;
}

UINT WINAPI GetMenuState(HMENU hMenu, UINT uId, UINT uFlags) {
  Guard g(TheStore().lock);
  auto ref = Locate(hMenu, uId, (uFlags & MF_BYPOSITION) != 0);
  if (!ref) return kNotFound;
  const Item& item = ref->item();
  UINT flags = ClassicFlags(item);
  if (item.submenu) {
    // A pop-up answers its flags in the low byte and its item count in the high byte.
    Menu* sub = FindMenuQuiet(item.submenu);
    UINT count = sub ? static_cast<UINT>(std::min<size_t>(sub->items.size(), 0xFF)) : 0;
    return (count << 8) | (flags & 0xFF);
  }
  return flags;
}

int WINAPI GetMenuStringA(HMENU hMenu, UINT uIDItem, LPSTR lpString, int cchMax, UINT flags) {
  Guard g(TheStore().lock);
  if (lpString && cchMax > 0) lpString[0] = '\0';
  auto ref = Locate(hMenu, uIDItem, (flags & MF_BYPOSITION) != 0);
  if (!ref || !ref->item().IsString()) return 0;
  const std::string& text = ref->item().text;
  if (!lpString || cchMax <= 0) return static_cast<int>(text.size());
  size_t n = std::min(text.size(), static_cast<size_t>(cchMax) - 1);
  std::memcpy(lpString, text.data(), n);
  lpString[n] = '\0';
  return static_cast<int>(n);
}
