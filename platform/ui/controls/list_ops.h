// Item operations list boxes and combo boxes share: adding in sorted order
// (the case-blind collation for texts, WM_COMPAREITEM to the parent for
// owner-drawn items without texts), searching, reading texts, measuring
// variable-height items and telling the parent of deleted item data.
#pragma once

#include <string_view>

#include "qvplatform/ui.h"
#include "qvplatform/ui_controls.h"
#include "ui/controls/item_list.h"

namespace qvp::ui {

// Who owns a list and how its items are kept.
struct ListOwner {
  HWND control = nullptr;  // the list box or combo box
  UINT ctl_type = ODT_LISTBOX;
  bool has_strings = true;  // false: owner-drawn without LBS_HASSTRINGS, the items are data
  bool sorted = false;
  bool variable = false;    // owner-drawn with variable heights: each item is measured
  UINT default_height = 0;  // passed to WM_MEASUREITEM
};

// LB_ADDSTRING / LB_INSERTSTRING: `value` is the text, or the item data for a
// list without texts. index < 0 with `sorted_add`: where the order puts it;
// otherwise -1 appends. Returns the index, or LB_ERR for an index past the end.
int AddListItem(ItemList& list, const ListOwner& owner, LPARAM value, int index, bool sorted_add);
// Removes one item, first telling the parent (WM_DELETEITEM) when it has item data.
bool DeleteListItem(ItemList& list, const ListOwner& owner, int index);
// Removes every item, last first, telling the parent of each that has item data.
void ClearListItems(ItemList& list, const ListOwner& owner);
// LB_FINDSTRING (prefix) and LB_FINDSTRINGEXACT: texts without regard to case,
// data by equality (or by WM_COMPAREITEM in a sorted list).
int FindListItem(const ItemList& list, const ListOwner& owner, WPARAM after, LPARAM value, bool exact);
// LB_GETTEXT: the text (terminated), or the item data for a list without texts.
LRESULT GetListText(const ItemList& list, const ListOwner& owner, int index, LPARAM buffer);
LRESULT GetListTextLength(const ItemList& list, const ListOwner& owner, int index);

// WM_MEASUREITEM to the parent; the height it answers.
UINT MeasureListItem(const ListOwner& owner, UINT item_id, ULONG_PTR data, UINT height, UINT width);

}  // namespace qvp::ui
