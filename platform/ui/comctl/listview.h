// The list view ("SysListView32"): its state and the operations its message
// handlers share. The items, columns and states live here; the geometry of the
// four views, painting and user input each have their own file.
//
// Notifications follow Windows: a change of an item's state, image, lParam or
// text sends LVN_ITEMCHANGING (a nonzero answer refuses it) and LVN_ITEMCHANGED,
// whether code or a user made it; insertion sends LVN_INSERTITEM, deletion
// LVN_DELETEITEM (and LVN_DELETEALLITEMS first when all go).
#pragma once

#include <string>
#include <vector>

#include "ui/comctl/comctl_common.h"

namespace qvp::ui::comctl {

struct LvItem {
  std::string text;
  bool text_callback = false;    // LPSTR_TEXTCALLBACKA: the parent supplies the text
  std::vector<std::string> subs;  // by subitem number; [0] unused
  int image = 0;
  LPARAM param = 0;
  UINT state = 0;
  int indent = 0;
};

struct LvColumn {
  std::string text;
  int fmt = LVCFMT_LEFT;
  int width = 0;
  int sub = 0;  // the subitem the column shows
  int image = 0;
};

struct ListViewState : ControlBase {
  std::vector<LvItem> items;
  std::vector<LvColumn> columns;
  HIMAGELIST normal_images = nullptr;
  HIMAGELIST small_images = nullptr;
  HIMAGELIST state_images = nullptr;
  COLORREF bk = 0, text_color = 0, text_bk = 0;
  DWORD ex_style = 0;
  HWND header = nullptr;
  int mark = -1;          // the selection anchor for shift-extended selection
  int top = 0;            // report view: the first visible row
  int list_scroll = 0;    // list view: the first visible column
  POINT origin{0, 0};     // icon views and the report's horizontal scroll, in pixels
  int list_width = 0;     // list view column width set by LVM_SETCOLUMNWIDTH (0: default)
  int owner_height = 0;   // row height the parent gave for owner-drawn rows (0: not asked)
  int click_item = -1;    // the item under the left button when it went down
  bool pressed = false;   // left button down inside the control
  bool rpressed = false;  // right button down inside the control
  bool focused = false;   // the control has the keyboard focus
  bool updating_bars = false;  // the scroll bars are being set (which resizes the client area)
  unsigned generation = 0;  // counts insertions and deletions, to spot changes made during callbacks

  int count() const { return static_cast<int>(items.size()); }
  bool valid(int i) const { return i >= 0 && i < count(); }
  UINT view() const { return Style() & LVS_TYPEMASK; }
  bool multi() const { return !(Style() & LVS_SINGLESEL); }
};

// ---- Items (listview_items.cpp) ----
LRESULT InsertItem(ListViewState& s, const LVITEMA* item);
bool SetItem(ListViewState& s, const LVITEMA* item);
bool GetItem(ListViewState& s, LVITEMA* item);
int GetItemText(ListViewState& s, int index, LVITEMA* item);
bool DeleteItem(ListViewState& s, int index);
bool DeleteAllItems(ListViewState& s);
int NextItem(const ListViewState& s, int start, UINT flags);
int FindItem(ListViewState& s, int start, const LVFINDINFOA* info);
bool SortItems(ListViewState& s, PFNLVCOMPARE compare, LPARAM param);
int SelectedCount(const ListViewState& s);
int FocusedItem(const ListViewState& s);
// The text a column shows for an item (asking the parent for a callback text).
std::string DisplayText(ListViewState& s, int index, int sub);
int DisplayImage(ListViewState& s, int index);

// Changes the bits of `mask` in an item's state to those of `state` with the
// notifications Windows sends, including the effect on other items: taking the
// focus removes it elsewhere, selecting in a single-selection list deselects
// the others. False when the parent refused.
bool SetItemState(ListViewState& s, int index, UINT state, UINT mask);
// What a user's plain click or key press does: `index` alone selected and
// focused (-1: nothing selected, the focus stays).
void SelectOnly(ListViewState& s, int index);
// Selects the items between the anchor and `index`, deselects the rest, focuses `index`.
void SelectRange(ListViewState& s, int index);

// ---- Columns (listview_columns.cpp) ----
int InsertColumn(ListViewState& s, int index, const LVCOLUMNA* col);
bool SetColumn(ListViewState& s, int index, const LVCOLUMNA* col);
bool GetColumn(const ListViewState& s, int index, LVCOLUMNA* col);
bool DeleteColumn(ListViewState& s, int index);
int ColumnWidth(const ListViewState& s, int index);
bool SetColumnWidth(ListViewState& s, int index, int width);
// Builds the column header window and keeps it where the report view wants it.
void CreateHeader(ListViewState& s);
void PlaceHeader(const ListViewState& s);

// ---- Geometry (listview_layout.cpp) ----
int HeaderHeight(const ListViewState& s);  // 0 unless the header shows
int RowHeight(const ListViewState& s);     // report, list and small-icon rows
SIZE SmallIconSize(const ListViewState& s);
SIZE IconSize(const ListViewState& s);
int ListColumnWidth(const ListViewState& s);
int RowsPerColumn(const ListViewState& s);  // list view: items in one column
int TotalColumnWidth(const ListViewState& s);
int ColumnLeft(const ListViewState& s, int column);  // before scrolling
RECT ItemRect(const ListViewState& s, int index, int code);
bool SubItemRect(const ListViewState& s, int index, int column, int code, RECT* out);
int HitTest(const ListViewState& s, LVHITTESTINFO* info);
int TopIndex(const ListViewState& s);
int CountPerPage(const ListViewState& s);
bool Scroll(ListViewState& s, int dx, int dy);
bool EnsureVisible(ListViewState& s, int index, bool partial_ok);
// Keeps the scroll position inside the content after items or sizes change,
// and the scroll bars with it.
void ClampScroll(ListViewState& s);
// The item a navigation key moves the focus to from `from`, or -1.
int NavigationTarget(const ListViewState& s, int from, UINT vk);
// Asks the parent for the row height of owner-drawn report rows.
void MeasureOwnerRows(ListViewState& s);

// ---- Scroll bars (listview_scroll.cpp) ----
// Sets the window's scroll bars to the content and the scroll position.
void UpdateScrollBars(ListViewState& s);
LRESULT OnScroll(ListViewState& s, UINT msg, WPARAM wp);  // WM_VSCROLL, WM_HSCROLL
LRESULT OnWheel(ListViewState& s, WPARAM wp);

// ---- Painting (listview_paint.cpp) ----
void Paint(ListViewState& s, HDC hdc);
void RepaintItem(const ListViewState& s, int index);

// ---- User input (listview_input.cpp) ----
LRESULT OnMouse(ListViewState& s, UINT msg, WPARAM wp, LPARAM lp);
LRESULT OnKeyDown(ListViewState& s, WPARAM vk, LPARAM lp);

}  // namespace qvp::ui::comctl
