// The tree view on screen: one row per shown item, indented by depth, with
// lines, plus/minus buttons, pictures and labels; hit testing, painting, and
// what a user's mouse and keys do. A click on a label or picture selects
// (TVC_BYMOUSE), on a button toggles the item; a double click sends NM_DBLCLK
// and toggles unless the parent answers nonzero; the arrow keys move the
// selection (TVC_BYKEYBOARD), Left and Right also collapse and expand.
#include <algorithm>

#include "ui/comctl/treeview_state.h"

namespace qvp::ui::comctl {
namespace {

constexpr int kButton = 9;  // the plus/minus box

SIZE ImageSize(const TreeState& s) {
  int cx = 0, cy = 0;
  if (s.images && ImageList_GetIconSize(s.images, &cx, &cy)) return SIZE{cx, cy};
  return SIZE{0, 0};
}

bool RootSlot(const TreeState& s) {
  return (s.Style() & TVS_LINESATROOT) && (s.Style() & (TVS_HASLINES | TVS_HASBUTTONS));
}

// Where an item's picture starts.
int ItemLeft(const TreeState& s, const TreeNode* n) {
  return s.indent * (s.model.Depth(n) + (RootSlot(s) ? 1 : 0));
}

bool HasButton(const TreeState& s, const TreeNode* n) {
  return (s.Style() & TVS_HASBUTTONS) && n->has_children() && (s.model.Depth(n) > 0 || RootSlot(s));
}

struct Row {
  RECT button{};  // empty without a button
  RECT icon{};
  RECT label{};
  RECT whole{};
};

Row Layout(const TreeState& s, const TreeNode* n, int y) {
  Row r;
  const int rh = RowHeight(s);
  RECT client{};
  GetClientRect(s.self, &client);
  const int x = ItemLeft(s, n);
  r.whole = RECT{0, y, client.right, y + rh};
  if (HasButton(s, n)) {
    const int cx = x - s.indent / 2, cy = y + rh / 2;
    r.button = RECT{cx - kButton / 2, cy - kButton / 2, cx + kButton / 2 + 1, cy + kButton / 2 + 1};
  }
  const SIZE img = ImageSize(s);
  r.icon = RECT{x, y, x + img.cx, y + rh};
  const int text = TextWidth(s.Font(), n->text) + 4;
  r.label = RECT{r.icon.right + (img.cx ? 2 : 0), y, r.icon.right + (img.cx ? 2 : 0) + text, y + rh};
  return r;
}

void Line(HDC hdc, int x1, int y1, int x2, int y2) {
  MoveToEx(hdc, x1, y1, nullptr);
  LineTo(hdc, x2, y2);
}

void DrawLines(TreeState& s, HDC hdc, TreeNode* n, int y) {
  const int rh = RowHeight(s);
  const int mid = y + rh / 2;
  const int depth = s.model.Depth(n);
  if (depth == 0 && !RootSlot(s)) return;
  const int slot = ItemLeft(s, n) - s.indent / 2;
  Line(hdc, slot, mid, ItemLeft(s, n), mid);
  const bool first_root = n->parent == s.model.root() && !s.model.Previous(n);
  Line(hdc, slot, first_root ? mid : y, slot, s.model.Next(n) ? y + rh : mid + 1);
  // Ancestors with siblings still to come continue their line through this row.
  for (TreeNode* a = n->parent; a && a != s.model.root(); a = a->parent) {
    if (!s.model.Next(a) || (s.model.Depth(a) == 0 && !RootSlot(s))) continue;
    const int x = ItemLeft(s, a) - s.indent / 2;
    Line(hdc, x, y, x, y + rh);
  }
}

void DrawButton(HDC hdc, const RECT& box, bool expanded) {
  FillSolid(hdc, box, GetSysColor(COLOR_WINDOW));
  HBRUSH frame = CreateSolidBrush(GetSysColor(COLOR_GRAYTEXT));
  FrameRect(hdc, &box, frame);
  DeleteObject(frame);
  const int cx = (box.left + box.right) / 2, cy = (box.top + box.bottom) / 2;
  HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_WINDOWTEXT));
  HGDIOBJ old = SelectObject(hdc, pen);
  Line(hdc, box.left + 2, cy, box.right - 2, cy);
  if (!expanded) Line(hdc, cx, box.top + 2, cx, box.bottom - 2);
  SelectObject(hdc, old);
  DeleteObject(pen);
}

TreeNode* RowItem(TreeState& s, int offset) {
  const std::vector<TreeNode*> rows = s.model.Visible();
  const int i = s.top + offset;
  return i >= 0 && i < static_cast<int>(rows.size()) ? rows[static_cast<size_t>(i)] : nullptr;
}

void SelectRelative(TreeState& s, int delta, bool to_end = false) {
  const std::vector<TreeNode*> rows = s.model.Visible();
  if (rows.empty()) return;
  const auto it = std::find(rows.begin(), rows.end(), s.model.Item(s.caret));
  int i = it == rows.end() ? 0 : static_cast<int>(it - rows.begin()) + delta;
  if (to_end) i = delta < 0 ? 0 : static_cast<int>(rows.size()) - 1;
  i = std::clamp(i, 0, static_cast<int>(rows.size()) - 1);
  SelectItem(s, rows[static_cast<size_t>(i)]->handle, TVC_BYKEYBOARD);
}

}  // namespace

int RowHeight(const TreeState& s) { return std::max<int>(LineHeight(s.Font()), ImageSize(s).cy) + 2; }

int VisibleCount(const TreeState& s) {
  RECT client{};
  GetClientRect(s.self, &client);
  return static_cast<int>(client.bottom) / std::max(1, RowHeight(s));
}

void ClampTop(TreeState& s) {
  const int rows = static_cast<int>(s.model.Visible().size());
  s.top = std::clamp(s.top, 0, std::max(0, rows - std::max(1, VisibleCount(s))));
  if ((s.Style() & TVS_NOSCROLL) || s.updating_bars) return;
  s.updating_bars = true;
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMax = std::max(0, rows - 1);
  si.nPage = static_cast<UINT>(std::max(1, VisibleCount(s)));
  si.nPos = s.top;
  SetScrollInfo(s.self, SB_VERT, &si, TRUE);
  s.updating_bars = false;
  // The bar may have taken room from the rows.
  s.top = std::clamp(s.top, 0, std::max(0, rows - std::max(1, VisibleCount(s))));
}

LRESULT OnTreeScroll(TreeState& s, WPARAM wp) {
  const int page = std::max(1, VisibleCount(s));
  switch (LOWORD(wp)) {
    case SB_LINEUP: --s.top; break;
    case SB_LINEDOWN: ++s.top; break;
    case SB_PAGEUP: s.top -= page; break;
    case SB_PAGEDOWN: s.top += page; break;
    case SB_THUMBTRACK: case SB_THUMBPOSITION: s.top = HIWORD(wp); break;
    case SB_TOP: s.top = 0; break;
    case SB_BOTTOM: s.top = static_cast<int>(s.model.Visible().size()); break;
    default: return 0;
  }
  ClampTop(s);
  s.Repaint();
  return 0;
}

LRESULT OnTreeWheel(TreeState& s, WPARAM wp) {
  const int notches = static_cast<SHORT>(HIWORD(wp)) / 120;
  s.top -= notches * 3;
  ClampTop(s);
  s.Repaint();
  return 0;
}

bool ItemRect(TreeState& s, TreeNode* node, bool label_only, RECT* out) {
  const std::vector<TreeNode*> rows = s.model.Visible();
  const auto it = std::find(rows.begin(), rows.end(), node);
  if (it == rows.end()) return false;
  const int y = (static_cast<int>(it - rows.begin()) - s.top) * RowHeight(s);
  const Row r = Layout(s, node, y);
  *out = label_only ? r.label : r.whole;
  return true;
}

HTREEITEM HitTest(TreeState& s, TVHITTESTINFO* info) {
  RECT client{};
  GetClientRect(s.self, &client);
  const POINT p = info->pt;
  info->flags = 0;
  info->hItem = nullptr;
  if (p.x < 0) info->flags |= TVHT_TOLEFT;
  if (p.x >= client.right) info->flags |= TVHT_TORIGHT;
  if (p.y < 0) info->flags |= TVHT_ABOVE;
  if (p.y >= client.bottom) info->flags |= TVHT_BELOW;
  if (info->flags) return nullptr;
  const int rh = RowHeight(s);
  TreeNode* n = RowItem(s, p.y / std::max(1, rh));
  if (!n) {
    info->flags = TVHT_NOWHERE;
    return nullptr;
  }
  const Row r = Layout(s, n, (p.y / rh) * rh);
  info->hItem = n->handle;
  if (r.button.right > r.button.left && p.x >= r.button.left - 2 && p.x < r.button.right + 2)
    info->flags = TVHT_ONITEMBUTTON;
  else if (p.x < r.icon.left)
    info->flags = TVHT_ONITEMINDENT;
  else if (p.x < r.icon.right)
    info->flags = TVHT_ONITEMICON;
  else if (p.x < r.label.right)
    info->flags = TVHT_ONITEMLABEL;
  else
    info->flags = TVHT_ONITEMRIGHT;
  return n->handle;
}

void PaintTree(TreeState& s, HDC hdc) {
  HGDIOBJ old_font = SelectObject(hdc, s.Font());
  SetBkMode(hdc, TRANSPARENT);
  HPEN lines = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_GRAYTEXT));
  const int rh = RowHeight(s);
  const int count = VisibleCount(s) + 1;
  for (int k = 0; k < count; ++k) {
    TreeNode* n = RowItem(s, k);
    if (!n) break;
    const int y = k * rh;
    const Row r = Layout(s, n, y);
    if (s.Style() & TVS_HASLINES) {
      HGDIOBJ old = SelectObject(hdc, lines);
      DrawLines(s, hdc, n, y);
      SelectObject(hdc, old);
    }
    if (r.button.right > r.button.left) DrawButton(hdc, r.button, n->expanded());
    const bool caret = n->handle == s.caret;
    if (s.images) {
      const int image = caret ? n->selected_image : n->image;
      ImageList_Draw(s.images, image, hdc, r.icon.left, y + (rh - ImageSize(s).cy) / 2, ILD_TRANSPARENT);
    }
    const bool shown = (caret && (s.focused || (s.Style() & TVS_SHOWSELALWAYS))) || (n->state & TVIS_DROPHILITED);
    const bool active = s.focused || (n->state & TVIS_DROPHILITED);
    if (shown) FillSolid(hdc, r.label, GetSysColor(active ? COLOR_HIGHLIGHT : COLOR_BTNFACE));
    SetTextColor(hdc, GetSysColor(shown ? (active ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT) : COLOR_WINDOWTEXT));
    DrawLabel(hdc, n->text, RECT{r.label.left + 2, r.label.top, r.label.right, r.label.bottom}, DT_LEFT);
    if (caret && s.focused) DrawFocusRect(hdc, &r.label);
  }
  DeleteObject(lines);
  SelectObject(hdc, old_font);
}

LRESULT OnTreeMouse(TreeState& s, UINT msg, LPARAM lp) {
  TVHITTESTINFO hit{};
  hit.pt = PointOf(lp);
  switch (msg) {
    case WM_LBUTTONDOWN: {
      if (GetFocus() != s.self) SetFocus(s.self);
      const HTREEITEM h = HitTest(s, &hit);
      s.pressed = true;
      if (!h) return 0;
      if (hit.flags & TVHT_ONITEMBUTTON) {
        ExpandItem(s, s.model.Item(h), TVE_TOGGLE, true);
      } else if ((hit.flags & TVHT_ONITEM) || (s.Style() & TVS_FULLROWSELECT)) {
        SelectItem(s, h, TVC_BYMOUSE);
      }
      return 0;
    }
    case WM_LBUTTONUP:
      if (s.pressed) {
        s.pressed = false;
        s.Notify(NM_CLICK);
      }
      return 0;
    case WM_LBUTTONDBLCLK: {
      const HTREEITEM h = HitTest(s, &hit);
      if (!h || !(hit.flags & TVHT_ONITEM)) return 0;
      SelectItem(s, h, TVC_BYMOUSE);
      if (!IsWindow(s.self)) return 0;
      if (s.Notify(NM_DBLCLK) == 0) ExpandItem(s, s.model.Item(h), TVE_TOGGLE, true);
      return 0;
    }
    case WM_RBUTTONDOWN:
      if (GetFocus() != s.self) SetFocus(s.self);
      return 0;
    case WM_RBUTTONUP: {
      if (s.Notify(NM_RCLICK) != 0 || !IsWindow(s.self)) return 0;
      POINT screen = hit.pt;
      ClientToScreen(s.self, &screen);
      SendMessageA(s.self, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(s.self), MAKELPARAM(screen.x, screen.y));
      return 0;
    }
    default:
      return 0;
  }
}

LRESULT OnTreeKey(TreeState& s, WPARAM vk, LPARAM lp) {
  NMTVKEYDOWN nm{};
  nm.wVKey = static_cast<WORD>(vk);
  nm.flags = static_cast<UINT>(HIWORD(lp));
  s.Notify(TVN_KEYDOWN, &nm.hdr);
  if (!IsWindow(s.self)) return 0;
  TreeNode* caret = s.model.Item(s.caret);
  const int page = std::max(1, VisibleCount(s) - 1);
  switch (vk) {
    case VK_UP: SelectRelative(s, -1); break;
    case VK_DOWN: SelectRelative(s, 1); break;
    case VK_PRIOR: SelectRelative(s, -page); break;
    case VK_NEXT: SelectRelative(s, page); break;
    case VK_HOME: SelectRelative(s, -1, true); break;
    case VK_END: SelectRelative(s, 1, true); break;
    case VK_LEFT:
      if (!caret) break;
      if (caret->expanded() && caret->has_children())
        ExpandItem(s, caret, TVE_COLLAPSE, true);
      else if (caret->parent != s.model.root())
        SelectItem(s, caret->parent->handle, TVC_BYKEYBOARD);
      break;
    case VK_RIGHT:
      if (!caret) break;
      if (!caret->expanded() && caret->has_children())
        ExpandItem(s, caret, TVE_EXPAND, true);
      else if (!caret->children.empty())
        SelectItem(s, caret->children.front()->handle, TVC_BYKEYBOARD);
      break;
    case VK_ADD:
      if (caret) ExpandItem(s, caret, TVE_EXPAND, true);
      break;
    case VK_SUBTRACT:
      if (caret) ExpandItem(s, caret, TVE_COLLAPSE, true);
      break;
    case VK_RETURN:
      s.Notify(NM_RETURN);
      break;
    default:
      break;
  }
  return 0;
}

}  // namespace qvp::ui::comctl
