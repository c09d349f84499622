#include <algorithm>

#include "ui/comctl/treeview.h"

namespace qvp::ui::comctl {

TreeModel::TreeModel() {
  root_.handle = TVI_ROOT;
  root_.state = TVIS_EXPANDED;
}

TreeNode* TreeModel::Find(HTREEITEM h) {
  if (!h || h == TVI_ROOT) return &root_;
  return Item(h);
}

TreeNode* TreeModel::Item(HTREEITEM h) {
  if (!h || h == TVI_ROOT) return nullptr;
  auto it = nodes_.find(reinterpret_cast<uintptr_t>(h));
  return it == nodes_.end() ? nullptr : it->second.get();
}

TreeNode* TreeModel::Insert(TreeNode* parent, HTREEITEM after, TreeNode fields) {
  auto& siblings = parent->children;
  size_t pos = siblings.size();
  if (after == TVI_FIRST) {
    pos = 0;
  } else if (after == TVI_SORT) {
    pos = 0;
    while (pos < siblings.size() && CompareNoCase(siblings[pos]->text, fields.text) <= 0) ++pos;
  } else if (after && after != TVI_LAST) {
    auto it = std::find_if(siblings.begin(), siblings.end(), [&](const TreeNode* n) { return n->handle == after; });
    if (it == siblings.end()) return nullptr;
    pos = static_cast<size_t>(it - siblings.begin()) + 1;
  }
  auto node = std::make_unique<TreeNode>(std::move(fields));
  node->handle = reinterpret_cast<HTREEITEM>(next_handle_);
  next_handle_ += 4;
  node->parent = parent;
  node->children.clear();
  TreeNode* raw = node.get();
  siblings.insert(siblings.begin() + static_cast<std::ptrdiff_t>(pos), raw);
  nodes_.emplace(reinterpret_cast<uintptr_t>(raw->handle), std::move(node));
  return raw;
}

void TreeModel::Erase(TreeNode* node) {
  if (!node || node == &root_) return;
  if (node->parent) std::erase(node->parent->children, node);
  std::vector<TreeNode*> stack{node};
  std::vector<uintptr_t> doomed;
  while (!stack.empty()) {
    TreeNode* n = stack.back();
    stack.pop_back();
    doomed.push_back(reinterpret_cast<uintptr_t>(n->handle));
    for (TreeNode* c : n->children) stack.push_back(c);
  }
  for (uintptr_t h : doomed) nodes_.erase(h);
}

std::vector<HTREEITEM> TreeModel::PostOrder(TreeNode* node) const {
  std::vector<HTREEITEM> out;
  struct Frame {
    const TreeNode* node;
    size_t next;
  };
  std::vector<Frame> stack{{node, 0}};
  while (!stack.empty()) {
    Frame& f = stack.back();
    if (f.next < f.node->children.size()) {
      const TreeNode* child = f.node->children[f.next++];
      stack.push_back(Frame{child, 0});
      continue;
    }
    if (f.node != &root_) out.push_back(f.node->handle);
    stack.pop_back();
  }
  return out;
}

std::vector<TreeNode*> TreeModel::Visible() const {
  std::vector<TreeNode*> out;
  std::vector<TreeNode*> stack(root_.children.rbegin(), root_.children.rend());
  while (!stack.empty()) {
    TreeNode* n = stack.back();
    stack.pop_back();
    out.push_back(n);
    if (n->expanded())
      for (auto it = n->children.rbegin(); it != n->children.rend(); ++it) stack.push_back(*it);
  }
  return out;
}

int TreeModel::Depth(const TreeNode* node) const {
  int depth = 0;
  for (const TreeNode* p = node->parent; p && p != &root_; p = p->parent) ++depth;
  return depth;
}

bool TreeModel::IsAncestor(const TreeNode* ancestor, const TreeNode* node) const {
  for (const TreeNode* p = node; p; p = p->parent)
    if (p == ancestor) return true;
  return false;
}

TreeNode* TreeModel::Next(TreeNode* node) const {
  if (!node || !node->parent) return nullptr;
  auto& s = node->parent->children;
  auto it = std::find(s.begin(), s.end(), node);
  return it == s.end() || it + 1 == s.end() ? nullptr : *(it + 1);
}

TreeNode* TreeModel::Previous(TreeNode* node) const {
  if (!node || !node->parent) return nullptr;
  auto& s = node->parent->children;
  auto it = std::find(s.begin(), s.end(), node);
  return it == s.end() || it == s.begin() ? nullptr : *(it - 1);
}

}  // namespace qvp::ui::comctl
