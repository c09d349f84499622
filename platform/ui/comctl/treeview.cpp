// The tree view's window procedure, its item messages and the selection,
// expansion and deletion that notify the parent.
#include <algorithm>
#include <cstring>

#include "ui/comctl/comctl_classes.h"
#include "ui/comctl/treeview_state.h"

namespace qvp::ui::comctl {
namespace {

WindowSlot<TreeState>& States() { return SlotOf<TreeState>(); }

void Describe(const TreeNode* n, TVITEMA* out) {
  *out = TVITEMA{};
  out->mask = TVIF_HANDLE | TVIF_STATE | TVIF_PARAM;
  out->stateMask = 0xFFFFFFFFu;
  if (!n) return;
  out->hItem = n->handle;
  out->state = n->state;
  out->lParam = n->param;
}

int IndexOf(const std::vector<TreeNode*>& rows, const TreeNode* n) {
  auto it = std::find(rows.begin(), rows.end(), n);
  return it == rows.end() ? -1 : static_cast<int>(it - rows.begin());
}

// Removes an item's children, as collapsing with TVE_COLLAPSERESET does.
void ResetChildren(TreeState& s, TreeNode* node) {
  const HTREEITEM h = node->handle;
  std::vector<HTREEITEM> kids;
  for (TreeNode* c : node->children) kids.push_back(c->handle);
  for (HTREEITEM k : kids) DeleteItem(s, k);
  if (TreeNode* n = s.model.Item(h)) n->state &= ~TVIS_EXPANDEDONCE;
}

HTREEITEM NextItem(TreeState& s, UINT flag, HTREEITEM h) {
  const std::vector<TreeNode*> rows = s.model.Visible();
  auto handle = [](const TreeNode* n) { return n ? n->handle : nullptr; };
  switch (flag) {
    case TVGN_ROOT: return s.model.root()->children.empty() ? nullptr : s.model.root()->children.front()->handle;
    case TVGN_CARET: return s.caret;
    case TVGN_DROPHILITE: return s.drop;
    case TVGN_FIRSTVISIBLE: return s.top < static_cast<int>(rows.size()) ? rows[static_cast<size_t>(s.top)]->handle : nullptr;
    case TVGN_LASTVISIBLE: return rows.empty() ? nullptr : rows.back()->handle;
    case TVGN_CHILD: {
      TreeNode* n = s.model.Find(h);
      return n && !n->children.empty() ? n->children.front()->handle : nullptr;
    }
    default: break;
  }
  TreeNode* n = s.model.Item(h);
  if (!n) return nullptr;
  switch (flag) {
    case TVGN_NEXT: return handle(s.model.Next(n));
    case TVGN_PREVIOUS: return handle(s.model.Previous(n));
    case TVGN_PARENT: return n->parent == s.model.root() ? nullptr : handle(n->parent);
    case TVGN_NEXTVISIBLE: {
      const int i = IndexOf(rows, n);
      return i >= 0 && i + 1 < static_cast<int>(rows.size()) ? rows[static_cast<size_t>(i) + 1]->handle : nullptr;
    }
    case TVGN_PREVIOUSVISIBLE: {
      const int i = IndexOf(rows, n);
      return i > 0 ? rows[static_cast<size_t>(i) - 1]->handle : nullptr;
    }
    default: return nullptr;
  }
}

LRESULT Insert(TreeState& s, const TVINSERTSTRUCTA* ins) {
  if (!ins) return 0;
  TreeNode* parent = s.model.Find(ins->hParent);
  if (!parent) return 0;
  const TVITEMEXA& it = ins->itemex;
  TreeNode fields;
  if ((it.mask & TVIF_TEXT) && it.pszText != LPSTR_TEXTCALLBACKA) fields.text = TextIn(it.pszText);
  if (it.mask & TVIF_IMAGE) fields.image = it.iImage;
  if (it.mask & TVIF_SELECTEDIMAGE) fields.selected_image = it.iSelectedImage;
  if (it.mask & TVIF_PARAM) fields.param = it.lParam;
  if (it.mask & TVIF_STATE) fields.state = it.state & it.stateMask & ~TVIS_SELECTED;
  if (it.mask & TVIF_CHILDREN) fields.children_flag = it.cChildren;
  if (it.mask & TVIF_INTEGRAL) fields.integral = std::max(1, it.iIntegral);
  TreeNode* node = s.model.Insert(parent, ins->hInsertAfter, std::move(fields));
  if (!node) return 0;
  ClampTop(s);
  s.Repaint();
  return reinterpret_cast<LRESULT>(node->handle);
}

LRESULT GetItem(TreeState& s, TVITEMA* it) {
  TreeNode* n = it ? s.model.Item(it->hItem) : nullptr;
  if (!n) return FALSE;
  if (it->mask & TVIF_TEXT) CopyOut(n->text, it->pszText, it->cchTextMax);
  if (it->mask & TVIF_IMAGE) it->iImage = n->image;
  if (it->mask & TVIF_SELECTEDIMAGE) it->iSelectedImage = n->selected_image;
  if (it->mask & TVIF_PARAM) it->lParam = n->param;
  if (it->mask & TVIF_STATE) it->state = n->state & it->stateMask;
  if (it->mask & TVIF_CHILDREN) it->cChildren = n->children.empty() ? n->children_flag : 1;
  return TRUE;
}

LRESULT SetItem(TreeState& s, const TVITEMA* it) {
  TreeNode* n = it ? s.model.Item(it->hItem) : nullptr;
  if (!n) return FALSE;
  if ((it->mask & TVIF_TEXT) && it->pszText != LPSTR_TEXTCALLBACKA) n->text = TextIn(it->pszText);
  if (it->mask & TVIF_IMAGE) n->image = it->iImage;
  if (it->mask & TVIF_SELECTEDIMAGE) n->selected_image = it->iSelectedImage;
  if (it->mask & TVIF_PARAM) n->param = it->lParam;
  if (it->mask & TVIF_STATE) n->state = (n->state & ~it->stateMask) | (it->state & it->stateMask);
  if (it->mask & TVIF_CHILDREN) n->children_flag = it->cChildren;
  ClampTop(s);
  s.Repaint();
  return TRUE;
}

LRESULT OnSelectItem(TreeState& s, WPARAM flag, HTREEITEM h) {
  switch (flag) {
    case TVGN_CARET:
      return SelectItem(s, h, TVC_UNKNOWN) ? TRUE : FALSE;
    case TVGN_DROPHILITE: {
      if (h && !s.model.Item(h)) return FALSE;
      if (TreeNode* old = s.model.Item(s.drop)) old->state &= ~TVIS_DROPHILITED;
      s.drop = h;
      if (TreeNode* n = s.model.Item(h)) n->state |= TVIS_DROPHILITED;
      s.Repaint();
      return TRUE;
    }
    case TVGN_FIRSTVISIBLE: {
      TreeNode* n = s.model.Item(h);
      if (!n) return FALSE;
      EnsureVisible(s, n);
      s.top = IndexOf(s.model.Visible(), n);
      ClampTop(s);
      s.Repaint();
      return TRUE;
    }
    default:
      return FALSE;
  }
}

LRESULT Dispatch(TreeState& s, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      return s.Common(hwnd, msg, wp, lp);
    case WM_DESTROY:
      // Every item is deleted, and told about, without moving the selection around.
      s.destroying = true;
      s.caret = nullptr;
      DeleteItem(s, TVI_ROOT);
      return DefWindowProcA(hwnd, msg, wp, lp);
    case WM_SETFONT:
    case WM_GETFONT:
      return s.Common(hwnd, msg, wp, lp);
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETREDRAW:
      return s.Common(hwnd, msg, wp, lp);
    case WM_SIZE:
      ClampTop(s);
      s.Repaint();
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      s.focused = msg == WM_SETFOCUS;
      s.Repaint();
      s.Notify(s.focused ? NM_SETFOCUS : NM_KILLFOCUS);
      return 0;
    case WM_ERASEBKGND: {
      RECT r{};
      GetClientRect(hwnd, &r);
      FillSolid(reinterpret_cast<HDC>(wp), r, GetSysColor(COLOR_WINDOW));
      return 1;
    }
    case WM_PAINT:
    case WM_PRINTCLIENT:
      return PaintClient(hwnd, msg, wp, [&](HDC hdc) { PaintTree(s, hdc); });
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: case WM_LBUTTONUP:
    case WM_RBUTTONDOWN: case WM_RBUTTONUP:
      return OnTreeMouse(s, msg, lp);
    case WM_CAPTURECHANGED:
      s.pressed = false;
      return 0;
    case WM_KEYDOWN:
      return OnTreeKey(s, wp, lp);
    case WM_VSCROLL:
      return OnTreeScroll(s, wp);
    case WM_MOUSEWHEEL:
      return OnTreeWheel(s, wp);

    case TVM_INSERTITEMA:
      return Insert(s, reinterpret_cast<const TVINSERTSTRUCTA*>(lp));
    case TVM_DELETEITEM:
      return DeleteItem(s, reinterpret_cast<HTREEITEM>(lp)) ? TRUE : FALSE;
    case TVM_EXPAND:
      return ExpandItem(s, s.model.Item(reinterpret_cast<HTREEITEM>(lp)), static_cast<UINT>(wp), false) ? TRUE : FALSE;
    case TVM_GETITEMRECT: {
      auto* r = reinterpret_cast<RECT*>(lp);
      if (!r) return FALSE;
      HTREEITEM h = nullptr;
      std::memcpy(&h, r, sizeof(h));
      TreeNode* n = s.model.Item(h);
      return n && ItemRect(s, n, wp != 0, r) ? TRUE : FALSE;
    }
    case TVM_GETCOUNT:
      return static_cast<LRESULT>(s.model.count());
    case TVM_GETINDENT:
      return s.indent;
    case TVM_SETINDENT:
      s.indent = std::max(static_cast<int>(wp), 8);
      s.Repaint();
      return 0;
    case TVM_GETIMAGELIST:
      return reinterpret_cast<LRESULT>(wp == TVSIL_STATE ? s.state_images : wp == TVSIL_NORMAL ? s.images : nullptr);
    case TVM_SETIMAGELIST: {
      if (wp != TVSIL_NORMAL && wp != TVSIL_STATE) return 0;
      HIMAGELIST& slot = wp == TVSIL_STATE ? s.state_images : s.images;
      HIMAGELIST old = slot;
      slot = reinterpret_cast<HIMAGELIST>(lp);
      ClampTop(s);
      s.Repaint();
      return reinterpret_cast<LRESULT>(old);
    }
    case TVM_GETNEXTITEM:
      return reinterpret_cast<LRESULT>(NextItem(s, static_cast<UINT>(wp), reinterpret_cast<HTREEITEM>(lp)));
    case TVM_SELECTITEM:
      return OnSelectItem(s, wp, reinterpret_cast<HTREEITEM>(lp));
    case TVM_GETITEMA:
      return GetItem(s, reinterpret_cast<TVITEMA*>(lp));
    case TVM_SETITEMA:
      return SetItem(s, reinterpret_cast<const TVITEMA*>(lp));
    case TVM_GETVISIBLECOUNT:
      return VisibleCount(s);
    case TVM_HITTEST: {
      auto* info = reinterpret_cast<TVHITTESTINFO*>(lp);
      return info ? reinterpret_cast<LRESULT>(HitTest(s, info)) : 0;
    }
    case TVM_ENSUREVISIBLE: {
      TreeNode* n = s.model.Item(reinterpret_cast<HTREEITEM>(lp));
      return n && EnsureVisible(s, n) ? TRUE : FALSE;
    }
    default:
      return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

}  // namespace

bool SelectItem(TreeState& s, HTREEITEM h, UINT action) {
  TreeNode* n = s.model.Item(h);
  if (h && !n) return false;
  TreeNode* old = s.model.Item(s.caret);
  if (n == old) {
    if (n) EnsureVisible(s, n);
    return true;
  }
  NMTREEVIEWA nm{};
  nm.action = action;
  Describe(old, &nm.itemOld);
  Describe(n, &nm.itemNew);
  const unsigned generation = s.generation;
  if (s.Notify(TVN_SELCHANGINGA, &nm.hdr)) return false;
  if (s.generation != generation) {
    n = s.model.Item(h);
    if (h && !n) return false;
  }
  if (TreeNode* was = s.model.Item(s.caret)) was->state &= ~TVIS_SELECTED;
  const HTREEITEM previous = s.caret;
  s.caret = h;
  if (n) {
    n->state |= TVIS_SELECTED;
    EnsureVisible(s, n);
  }
  s.Repaint();
  nm = NMTREEVIEWA{};
  nm.action = action;
  Describe(s.model.Item(previous), &nm.itemOld);
  Describe(s.model.Item(h), &nm.itemNew);
  s.Notify(TVN_SELCHANGEDA, &nm.hdr);
  return true;
}

bool ExpandItem(TreeState& s, TreeNode* node, UINT code, bool by_user) {
  const UINT action = code & TVE_TOGGLE;
  if (!node || action == 0) return false;
  const HTREEITEM h = node->handle;
  const bool expand = action == TVE_EXPAND || (action == TVE_TOGGLE && !node->expanded());
  if (expand == node->expanded()) {
    if (!expand && (code & TVE_COLLAPSERESET)) ResetChildren(s, node);
    return false;
  }
  if (expand && !node->has_children()) return false;
  // From code, only an item never expanded before tells its parent.
  const bool notify = by_user || !(node->state & TVIS_EXPANDEDONCE);
  NMTREEVIEWA nm{};
  nm.action = expand ? TVE_EXPAND : TVE_COLLAPSE;
  Describe(node, &nm.itemNew);
  if (notify && s.Notify(TVN_ITEMEXPANDINGA, &nm.hdr)) return false;
  node = s.model.Item(h);
  if (!node) return false;
  if (expand) {
    node->state |= TVIS_EXPANDED | TVIS_EXPANDEDONCE;
  } else {
    node->state &= ~TVIS_EXPANDED;
    // A selection hidden by the collapse moves up to the collapsed item.
    TreeNode* sel = s.model.Item(s.caret);
    if (sel && sel != node && s.model.IsAncestor(node, sel)) SelectItem(s, h, TVC_UNKNOWN);
    node = s.model.Item(h);
    if (node && (code & TVE_COLLAPSERESET)) ResetChildren(s, node);
  }
  ClampTop(s);
  s.Repaint();
  if (notify && (node = s.model.Item(h)) != nullptr) {
    nm = NMTREEVIEWA{};
    nm.action = expand ? TVE_EXPAND : TVE_COLLAPSE;
    Describe(node, &nm.itemNew);
    s.Notify(TVN_ITEMEXPANDEDA, &nm.hdr);
  }
  return true;
}

bool DeleteItem(TreeState& s, HTREEITEM h) {
  if (!h || h == TVI_ROOT) {
    // Top-level items go one at a time, so the selection moves as each goes.
    while (!s.model.root()->children.empty()) {
      const HTREEITEM first = s.model.root()->children.front()->handle;
      DeleteItem(s, first);
      if (s.model.Item(first)) break;  // the parent put it back meanwhile
    }
    return true;
  }
  TreeNode* n = s.model.Item(h);
  if (!n) return false;
  TreeNode* sel = s.model.Item(s.caret);
  if (sel && s.model.IsAncestor(n, sel)) {
    TreeNode* next = s.model.Next(n);
    if (!next) next = s.model.Previous(n);
    if (!next && n->parent != s.model.root()) next = n->parent;
    if (!SelectItem(s, next ? next->handle : nullptr, TVC_UNKNOWN)) {
      if (TreeNode* c = s.model.Item(s.caret)) c->state &= ~TVIS_SELECTED;
      s.caret = nullptr;
    }
  }
  n = s.model.Item(h);
  if (!n) return true;
  ++s.generation;
  for (HTREEITEM item : s.model.PostOrder(n)) {
    TreeNode* x = s.model.Item(item);
    if (!x) continue;
    NMTREEVIEWA nm{};
    nm.itemOld.mask = TVIF_HANDLE | TVIF_PARAM;
    nm.itemOld.hItem = item;
    nm.itemOld.lParam = x->param;
    s.Notify(TVN_DELETEITEMA, &nm.hdr);
  }
  if ((n = s.model.Item(h)) != nullptr) s.model.Erase(n);
  if (!s.model.Item(s.caret)) s.caret = nullptr;
  if (!s.model.Item(s.drop)) s.drop = nullptr;
  ClampTop(s);
  s.Repaint();
  return true;
}

bool EnsureVisible(TreeState& s, TreeNode* node) {
  const HTREEITEM h = node->handle;
  bool expanded_any = false;
  std::vector<HTREEITEM> chain;
  for (TreeNode* p = node->parent; p && p != s.model.root(); p = p->parent) chain.push_back(p->handle);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    TreeNode* p = s.model.Item(*it);
    if (p && !p->expanded()) expanded_any |= ExpandItem(s, p, TVE_EXPAND, false);
  }
  node = s.model.Item(h);
  if (!node) return false;
  const std::vector<TreeNode*> rows = s.model.Visible();
  const int index = IndexOf(rows, node);
  if (index < 0) return false;
  const int page = std::max(1, VisibleCount(s));
  const int old_top = s.top;
  if (index < s.top) s.top = index;
  else if (index >= s.top + page) s.top = index - page + 1;
  ClampTop(s);
  if (s.top != old_top) s.Repaint();
  return s.top != old_top && !expanded_any;
}

LRESULT CALLBACK TreeViewWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return RunCommonControl(States(), hwnd, msg, wp, lp, Dispatch);
}

}  // namespace qvp::ui::comctl
