// GetMenuItemInfoA and SetMenuItemInfoA: an item's fields through MENUITEMINFOA.
#include <algorithm>
#include <cstddef>
#include <cstring>

#include "ui/last_error.h"
#include "ui/menus/menu_store.h"

using namespace qvp::ui::menus;
using qvp::ui::SetError;

namespace {

constexpr UINT kKnownMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_CHECKMARKS | MIIM_TYPE | MIIM_DATA |
                            MIIM_STRING | MIIM_BITMAP | MIIM_FTYPE;
constexpr UINT kTypeBits = MFT_BITMAP | MFT_MENUBARBREAK | MFT_MENUBREAK | MFT_OWNERDRAW | MFT_RADIOCHECK |
                           MFT_SEPARATOR | MFT_RIGHTORDER | MFT_RIGHTJUSTIFY;
constexpr UINT kStateBits = MFS_GRAYED | MFS_CHECKED | MFS_HILITE | MFS_DEFAULT;

// The first version of the structure ends before hbmpItem.
constexpr UINT kFirstVersionSize = offsetof(MENUITEMINFOA, hbmpItem);

// Checks the structure's size and mask; false (ERROR_INVALID_PARAMETER) when unusable.
bool CheckInfo(const MENUITEMINFOA* info, bool* has_bitmap_field) {
  if (!info || (info->cbSize != sizeof(MENUITEMINFOA) && info->cbSize != kFirstVersionSize) ||
      (info->fMask & ~kKnownMask) != 0) {
    SetError(ERROR_INVALID_PARAMETER);
    return false;
  }
  *has_bitmap_field = info->cbSize == sizeof(MENUITEMINFOA);
  if (!*has_bitmap_field && (info->fMask & MIIM_BITMAP)) {
    SetError(ERROR_INVALID_PARAMETER);
    return false;
  }
  return true;
}

// Copies an item's text the way the structure's text fields answer it.
void CopyText(const Item& item, MENUITEMINFOA* info) {
  if (!item.IsString()) {
    if (info->dwTypeData && info->cch > 0) info->dwTypeData[0] = '\0';
    info->cch = 0;
    return;
  }
  if (!info->dwTypeData || info->cch == 0) {
    info->cch = static_cast<UINT>(item.text.size());
    return;
  }
  size_t n = std::min<size_t>(item.text.size(), info->cch - 1);
  std::memcpy(info->dwTypeData, item.text.data(), n);
  info->dwTypeData[n] = '\0';
  info->cch = static_cast<UINT>(n);
}

}  // namespace

BOOL WINAPI GetMenuItemInfoA(HMENU hmenu, UINT item, BOOL fByPosition, LPMENUITEMINFOA lpmii) {
  bool has_bitmap_field = false;
  if (!CheckInfo(lpmii, &has_bitmap_field)) return FALSE;
  Guard g(TheStore().lock);
  auto ref = Locate(hmenu, item, fByPosition != FALSE);
  if (!ref) {
    if (FindMenuQuiet(hmenu)) SetError(ERROR_MENU_ITEM_NOT_FOUND);
    return FALSE;
  }
  const Item& it = ref->item();
  const UINT mask = lpmii->fMask;
  if (mask & (MIIM_TYPE | MIIM_FTYPE)) lpmii->fType = it.type;
  if (mask & MIIM_TYPE) {
    if (it.type & MFT_BITMAP) {
      lpmii->dwTypeData = reinterpret_cast<LPSTR>(it.bitmap);
      lpmii->cch = 0;
    } else if (it.IsString()) {
      CopyText(it, lpmii);
    } else {
      lpmii->cch = 0;
    }
  }
  if (mask & MIIM_STRING) CopyText(it, lpmii);
  if (mask & MIIM_STATE) lpmii->fState = it.state;
  if (mask & MIIM_ID) lpmii->wID = it.id;
  if (mask & MIIM_SUBMENU) lpmii->hSubMenu = it.submenu;
  if (mask & MIIM_CHECKMARKS) {
    lpmii->hbmpChecked = it.checked_bitmap;
    lpmii->hbmpUnchecked = it.unchecked_bitmap;
  }
  if (mask & MIIM_DATA) lpmii->dwItemData = it.data;
  if (mask & MIIM_BITMAP) lpmii->hbmpItem = it.item_bitmap;
  return TRUE;
}

BOOL WINAPI SetMenuItemInfoA(HMENU hmenu, UINT item, BOOL fByPositon, LPCMENUITEMINFOA lpmii) {
  bool has_bitmap_field = false;
  if (!CheckInfo(lpmii, &has_bitmap_field)) return FALSE;
  const UINT mask = lpmii->fMask;
  // MIIM_TYPE is the older form of MIIM_FTYPE, MIIM_STRING and MIIM_BITMAP together.
  if ((mask & MIIM_TYPE) && (mask & (MIIM_FTYPE | MIIM_STRING | MIIM_BITMAP))) {
    SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  Guard g(TheStore().lock);
  auto ref = Locate(hmenu, item, fByPositon != FALSE);
  if (!ref) {
    if (FindMenuQuiet(hmenu)) SetError(ERROR_MENU_ITEM_NOT_FOUND);
    return FALSE;
  }
  if ((mask & MIIM_SUBMENU) && lpmii->hSubMenu) {
    if (!FindMenu(lpmii->hSubMenu)) return FALSE;
    if (Reaches(lpmii->hSubMenu, ref->menu)) {
      SetError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
  }

  Item& it = ref->item();
  if (mask & MIIM_TYPE) {
    it.type = lpmii->fType & kTypeBits;
    it.text.clear();
    it.bitmap = nullptr;
    if (it.type & MFT_BITMAP) it.bitmap = reinterpret_cast<HBITMAP>(lpmii->dwTypeData);
    else if (it.IsString() && lpmii->dwTypeData) it.text = lpmii->dwTypeData;
  }
  if (mask & MIIM_FTYPE) it.type = lpmii->fType & kTypeBits;
  if (mask & MIIM_STRING) it.text = lpmii->dwTypeData ? lpmii->dwTypeData : "";
  if (mask & MIIM_STATE) it.state = lpmii->fState & kStateBits;
  if (mask & MIIM_ID) it.id = lpmii->wID;
  if (mask & MIIM_SUBMENU) it.submenu = lpmii->hSubMenu;
  if (mask & MIIM_CHECKMARKS) {
    it.checked_bitmap = lpmii->hbmpChecked;
    it.unchecked_bitmap = lpmii->hbmpUnchecked;
  }
  if (mask & MIIM_DATA) it.data = lpmii->dwItemData;
  if (mask & MIIM_BITMAP) it.item_bitmap = lpmii->hbmpItem;
  return TRUE;
}
