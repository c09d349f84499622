// The state of a "ListBox" control and what its procedure, input handling and
// painting share.
#pragma once

#include <memory>
#include <vector>

#include "qvplatform/ui.h"
#include "qvplatform/ui_controls.h"
#include "ui/controls/control_font.h"
#include "ui/controls/item_list.h"
#include "ui/controls/list_ops.h"

namespace qvp::ui {

struct ListBoxState {
  explicit ListBoxState(ItemList::Mode mode) : items(mode) {}

  ItemList items;
  HFONT font = nullptr;
  FontMetrics metrics;
  UINT item_height = 0;  // of every item in a fixed-height list
  bool focused = false;
  bool tracking = false;  // the left button is held after a press on the list
  bool changed = false;   // the selection changed since the press began
  bool no_redraw = false;
  bool vscroll = false;  // created with WS_VSCROLL: the bar comes and goes with the items
  std::vector<int> tab_stops;
  int horizontal_extent = 0;
  int column_width = 0;
};

ListOwner OwnerOf(HWND hwnd, const ListBoxState& s);
UINT ItemHeightOf(const ListBoxState& s, int index);
// Items that fit in the client area from the top item down (at least one).
int VisibleItems(HWND hwnd, const ListBoxState& s);
// The client rectangle of an item (it may lie outside the client area).
RECT ItemRect(HWND hwnd, const ListBoxState& s, int index);
// The item under a point, clamped to the items shown; `outside` says the point missed them.
int ItemAtPoint(HWND hwnd, const ListBoxState& s, POINT p, bool* outside);
// Repaints (unless redrawing is off) and brings the scroll bar up to date.
void Refresh(HWND hwnd, ListBoxState& s);
// LBN_ notification, sent only by a list with LBS_NOTIFY.
void NotifySelection(HWND hwnd, int code);

// ---- Input (listbox_input.cpp) ----
void ListBoxMouse(HWND hwnd, ListBoxState& s, UINT msg, LPARAM lp);
void ListBoxKey(HWND hwnd, ListBoxState& s, WPARAM vk);
void ListBoxChar(HWND hwnd, ListBoxState& s, WPARAM ch);
void ListBoxScroll(HWND hwnd, ListBoxState& s, WPARAM code);

// ---- Painting (listbox_paint.cpp) ----
void PaintListBox(HWND hwnd, const ListBoxState& s, HDC hdc);

}  // namespace qvp::ui
