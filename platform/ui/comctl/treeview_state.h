// The tree view's window state and the operations its message handlers share.
//
// Notifications follow Windows: changing the selection sends TVN_SELCHANGINGA (a
// nonzero answer keeps the old one) and TVN_SELCHANGEDA, from code too, with the
// cause (TVC_BYMOUSE, TVC_BYKEYBOARD or TVC_UNKNOWN); expanding or collapsing
// sends TVN_ITEMEXPANDINGA and TVN_ITEMEXPANDEDA when a user does it, but from
// code (TVM_EXPAND) only until the item has been expanded once; every deleted
// item sends TVN_DELETEITEMA.
#pragma once

#include "ui/comctl/treeview.h"

namespace qvp::ui::comctl {

struct TreeState : ControlBase {
  TreeModel model;
  HTREEITEM caret = nullptr;      // the selected item
  HTREEITEM drop = nullptr;       // the drop target
  HIMAGELIST images = nullptr;
  HIMAGELIST state_images = nullptr;
  int top = 0;                    // the first visible row
  int indent = 19;
  bool focused = false;
  bool pressed = false;
  bool destroying = false;
  bool updating_bars = false;     // the scroll bar is being set (which resizes the client area)
  unsigned generation = 0;        // counts deletions, to spot changes made during notifications
};

// ---- Operations with notifications (treeview.cpp) ----
bool SelectItem(TreeState& s, HTREEITEM h, UINT action);
bool ExpandItem(TreeState& s, TreeNode* node, UINT code, bool by_user);
bool DeleteItem(TreeState& s, HTREEITEM h);
bool EnsureVisible(TreeState& s, TreeNode* node);

// ---- Geometry, painting and input (treeview_view.cpp) ----
int RowHeight(const TreeState& s);
int VisibleCount(const TreeState& s);
// The row rectangle of an item (whole == false: just its label), or false when it is not shown.
bool ItemRect(TreeState& s, TreeNode* node, bool label_only, RECT* out);
HTREEITEM HitTest(TreeState& s, TVHITTESTINFO* info);
// Keeps the first shown row inside the rows, and the scroll bar with it.
void ClampTop(TreeState& s);
LRESULT OnTreeScroll(TreeState& s, WPARAM wp);  // WM_VSCROLL
LRESULT OnTreeWheel(TreeState& s, WPARAM wp);
void PaintTree(TreeState& s, HDC hdc);
LRESULT OnTreeMouse(TreeState& s, UINT msg, LPARAM lp);
LRESULT OnTreeKey(TreeState& s, WPARAM vk, LPARAM lp);

}  // namespace qvp::ui::comctl
