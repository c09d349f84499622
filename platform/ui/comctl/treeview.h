// The tree view ("SysTreeView32"): its items and the order they show in.
//
// Item handles are numbers that are never used twice, so a handle of a deleted
// item is refused instead of reaching freed memory or another item.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "ui/comctl/comctl_common.h"

namespace qvp::ui::comctl {

struct TreeNode {
  HTREEITEM handle = nullptr;
  TreeNode* parent = nullptr;  // the root for top-level items
  std::vector<TreeNode*> children;
  std::string text;
  int image = 0;
  int selected_image = 0;
  UINT state = 0;
  int children_flag = 0;  // cChildren: 0 none, 1 has children (maybe not inserted yet), I_CHILDRENCALLBACK
  LPARAM param = 0;
  int integral = 1;

  bool expanded() const { return (state & TVIS_EXPANDED) != 0; }
  bool has_children() const { return !children.empty() || children_flag != 0; }
};

class TreeModel {
 public:
  TreeModel();

  TreeNode* root() { return &root_; }
  // The item behind a handle (TVI_ROOT and null give the root), or null for a stale handle.
  TreeNode* Find(HTREEITEM h);
  // Like Find, but the root is not an item: TVI_ROOT and null give null.
  TreeNode* Item(HTREEITEM h);
  size_t count() const { return nodes_.size(); }

  // Inserts below `parent` at the place `after` names (TVI_FIRST, TVI_LAST,
  // TVI_SORT or a sibling); null when the place does not exist.
  TreeNode* Insert(TreeNode* parent, HTREEITEM after, TreeNode fields);
  // Unlinks and frees an item and everything below it.
  void Erase(TreeNode* node);
  // The items of a subtree, children before their parent.
  std::vector<HTREEITEM> PostOrder(TreeNode* node) const;

  // Every item whose ancestors are all expanded, in display order.
  std::vector<TreeNode*> Visible() const;
  int Depth(const TreeNode* node) const;  // 0 for top-level items
  bool IsAncestor(const TreeNode* ancestor, const TreeNode* node) const;

  TreeNode* Next(TreeNode* node) const;
  TreeNode* Previous(TreeNode* node) const;

 private:
  TreeNode root_;
  std::unordered_map<uintptr_t, std::unique_ptr<TreeNode>> nodes_;
  uintptr_t next_handle_ = 0x50000;
};

}  // namespace qvp::ui::comctl
