// The menus of the process: one table of menu objects under one lock, and the
// walks every menu call shares (finding an item by position or by command,
// the path from a menu down to an item).
//
// Sub-menus are referenced by handle, as on Windows: one menu may hang under
// several items, and a destroyed sub-menu leaves a stale handle behind. Walks
// therefore look every handle up and never visit a menu twice, so they end
// however the menus are linked.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "qvplatform.h"

namespace qvp::ui::menus {

// Walks by command go no deeper than this many levels of sub-menus, so that a
// hostile chain of menus cannot exhaust the stack.
inline constexpr int kMaxMenuDepth = 64;

struct Item {
  UINT type = MFT_STRING;  // MFT_* bits
  UINT state = 0;          // MFS_* bits
  UINT id = 0;
  HMENU submenu = nullptr;  // set for an item that opens a pop-up
  std::string text;         // MFT_STRING items
  ULONG_PTR data = 0;       // the application's item data
  HBITMAP bitmap = nullptr;  // MFT_BITMAP items: the bitmap drawn instead of text
  HBITMAP item_bitmap = nullptr;
  HBITMAP checked_bitmap = nullptr;
  HBITMAP unchecked_bitmap = nullptr;

  bool IsString() const { return (type & (MFT_BITMAP | MFT_OWNERDRAW | MFT_SEPARATOR)) == 0; }
  bool IsSeparator() const { return (type & MFT_SEPARATOR) != 0; }
  bool Unavailable() const { return (state & MFS_GRAYED) != 0; }  // grayed or disabled
};

struct Menu {
  bool popup = false;
  std::vector<Item> items;
};

struct Store {
  std::mutex lock;
  std::unordered_map<uintptr_t, std::unique_ptr<Menu>> menus;
  uintptr_t next_handle = 0x00A00010;  // above every 16-bit command id
};

Store& TheStore();
using Guard = std::lock_guard<std::mutex>;

// ---- With the store's lock held ----

// The menu of a handle, or null (and ERROR_INVALID_MENU_HANDLE).
Menu* FindMenu(HMENU handle);
Menu* FindMenuQuiet(HMENU handle);
HMENU AddMenu(bool popup);

// An item found by position or command: the menu that holds it and where.
struct ItemRef {
  HMENU menu = nullptr;
  Menu* owner = nullptr;
  size_t pos = 0;
  Item& item() const { return owner->items[pos]; }
};

// By position: the item at `pos` of `menu`. By command: the first item with
// that id in a walk of `menu` that searches each pop-up's sub-menu before the
// pop-up's own id, so that a command is found wherever it sits below `menu`.
std::optional<ItemRef> Locate(HMENU menu, UINT item, bool by_position);

// The steps from `root` down to the command item `id`: each step names a menu
// and the position of the item taken in it; the last step is the command item
// itself (never a pop-up). Empty when no such item is below `root`.
struct Step {
  HMENU menu = nullptr;
  size_t pos = 0;
};
std::vector<Step> PathTo(HMENU root, UINT id);

// True when `inner` is `outer` or is reachable through `outer`'s sub-menus:
// hanging `outer` under `inner` would make a loop.
bool Reaches(HMENU outer, HMENU inner);

// The menus reachable from `root` through sub-menus, `root` first.
std::vector<HMENU> Reachable(HMENU root);

// Destroys a menu and every menu reachable through its sub-menus.
void DestroyTree(HMENU root);

// Copies an item's classic flags (MF_*): the state bits and type bits, with
// MF_POPUP for an item that opens a sub-menu.
UINT ClassicFlags(const Item& item);

// Fills an item's type, id, sub-menu and text from the classic arguments of
// AppendMenu, InsertMenu and ModifyMenu. False (and ERROR_INVALID_MENU_HANDLE)
// when MF_POPUP names no menu, or ERROR_INVALID_PARAMETER when hanging the
// sub-menu under `parent` would make a loop.
bool ItemFromClassic(HMENU parent, UINT flags, UINT_PTR id_or_menu, LPCSTR content, Item* item);

}  // namespace qvp::ui::menus
