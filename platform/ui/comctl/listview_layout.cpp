// Where things are in the four views of a list view: rows of the report view
// under the column header, columns of the list view filled top to bottom,
// rows of small icons and the grid of large icons filled left to right; hit
// testing, scrolling and keeping an item in view.
#include <algorithm>

#include "ui/comctl/listview.h"

namespace qvp::ui::comctl {
namespace {

SIZE ListSize(HIMAGELIST list) {
  int cx = 0, cy = 0;
  if (list && ImageList_GetIconSize(list, &cx, &cy)) return SIZE{cx, cy};
  return SIZE{0, 0};
}

RECT Client(const ListViewState& s) {
  RECT r{};
  GetClientRect(s.self, &r);
  return r;
}

SIZE IconCell() { return SIZE{GetSystemMetrics(SM_CXICONSPACING), GetSystemMetrics(SM_CYICONSPACING)}; }

// Items in one row of the small-icon and icon views.
int PerRow(const ListViewState& s) {
  const int cell = s.view() == LVS_ICON ? static_cast<int>(IconCell().cx) : ListColumnWidth(s);
  return std::max(1, static_cast<int>(Client(s).right) / std::max(1, cell));
}

// The size of everything the icon views lay out.
SIZE IconContent(const ListViewState& s) {
  const bool large = s.view() == LVS_ICON;
  const SIZE cell = large ? IconCell() : SIZE{ListColumnWidth(s), RowHeight(s)};
  const int per_row = PerRow(s);
  const int rows = (s.count() + per_row - 1) / per_row;
  return SIZE{std::min(s.count(), per_row) * cell.cx, rows * cell.cy};
}

int Round(int value, int unit) {
  if (unit <= 0) return 0;
  return value >= 0 ? (value + unit / 2) / unit : -((-value + unit / 2) / unit);
}

}  // namespace

int HeaderHeight(const ListViewState& s) {
  if (s.view() != LVS_REPORT || (s.Style() & LVS_NOCOLUMNHEADER)) return 0;
  return LineHeight(s.Font()) + 4;
}

SIZE SmallIconSize(const ListViewState& s) { return ListSize(s.small_images); }

SIZE IconSize(const ListViewState& s) {
  SIZE size = ListSize(s.normal_images);
  if (size.cx == 0) size = SIZE{GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)};
  return size;
}

int RowHeight(const ListViewState& s) {
  if (s.view() == LVS_REPORT && (s.Style() & LVS_OWNERDRAWFIXED) && s.owner_height > 0) return s.owner_height;
  return std::max<int>(LineHeight(s.Font()), SmallIconSize(s).cy) + 1;
}

int RowsPerColumn(const ListViewState& s) {
  return std::max(1, static_cast<int>(Client(s).bottom) / std::max(1, RowHeight(s)));
}

int ListColumnWidth(const ListViewState& s) {
  if (s.list_width > 0) return s.list_width;
  const SIZE icon = SmallIconSize(s);
  return 16 * AveCharWidth(s.Font()) + (icon.cx ? icon.cx + 2 : 0);
}

int TotalColumnWidth(const ListViewState& s) {
  int w = 0;
  for (const LvColumn& c : s.columns) w += c.width;
  return w;
}

int ColumnLeft(const ListViewState& s, int column) {
  int x = 0;
  for (int c = 0; c < column && c < static_cast<int>(s.columns.size()); ++c) x += s.columns[static_cast<size_t>(c)].width;
  return x;
}

RECT ItemRect(const ListViewState& s, int index, int code) {
  const SIZE small = SmallIconSize(s);
  const int rh = RowHeight(s);
  RECT bounds{}, icon{}, label{};
  switch (s.view()) {
    case LVS_REPORT: {
      const int x0 = -s.origin.x;
      const int y = HeaderHeight(s) + (index - s.top) * rh;
      bounds = RECT{x0, y, x0 + TotalColumnWidth(s), y + rh};
      const int first = s.columns.empty() ? 0 : s.columns[0].width;
      const int indent = s.valid(index) ? std::max(0, s.items[static_cast<size_t>(index)].indent) * small.cx : 0;
      icon = RECT{x0 + indent, y, x0 + indent + small.cx, y + rh};
      label = RECT{icon.right, y, std::max<LONG>(icon.right, x0 + first), y + rh};
      if (code == LVIR_SELECTBOUNDS)
        return (s.ex_style & LVS_EX_FULLROWSELECT) ? bounds : RECT{icon.left, y, label.right, y + rh};
      break;
    }
    case LVS_LIST: {
      const int rows = RowsPerColumn(s), cw = ListColumnWidth(s);
      const int x = (index / rows - s.list_scroll) * cw, y = (index % rows) * rh;
      bounds = RECT{x, y, x + cw, y + rh};
      icon = RECT{x, y, x + small.cx, y + rh};
      label = RECT{icon.right, y, x + cw, y + rh};
      break;
    }
    case LVS_SMALLICON: {
      const int per_row = PerRow(s), cw = ListColumnWidth(s);
      const int x = (index % per_row) * cw - s.origin.x, y = (index / per_row) * rh - s.origin.y;
      bounds = RECT{x, y, x + cw, y + rh};
      icon = RECT{x, y, x + small.cx, y + rh};
      label = RECT{icon.right, y, x + cw, y + rh};
      break;
    }
    default: {
      const SIZE cell = IconCell(), size = IconSize(s);
      const int per_row = PerRow(s);
      const int x = (index % per_row) * cell.cx - s.origin.x, y = (index / per_row) * cell.cy - s.origin.y;
      bounds = RECT{x, y, x + cell.cx, y + cell.cy};
      icon = RECT{x + (cell.cx - size.cx) / 2, y + 2, x + (cell.cx - size.cx) / 2 + size.cx, y + 2 + size.cy};
      label = RECT{x, icon.bottom + 2, x + cell.cx, std::min<LONG>(y + cell.cy, icon.bottom + 2 + 2 * LineHeight(s.Font()))};
      break;
    }
  }
  switch (code) {
    case LVIR_ICON: return icon;
    case LVIR_LABEL: return label;
    case LVIR_SELECTBOUNDS: return RECT{std::min(icon.left, label.left), std::min(icon.top, label.top),
                                        std::max(icon.right, label.right), std::max(icon.bottom, label.bottom)};
    default: return bounds;
  }
}

bool SubItemRect(const ListViewState& s, int index, int column, int code, RECT* out) {
  if (!s.valid(index) || s.view() != LVS_REPORT || column < 0 || column >= static_cast<int>(s.columns.size()))
    return false;
  if (column == 0) {
    *out = ItemRect(s, index, code);
    return true;
  }
  const RECT row = ItemRect(s, index, LVIR_BOUNDS);
  const int left = row.left + ColumnLeft(s, column);
  RECT cell{left, row.top, left + s.columns[static_cast<size_t>(column)].width, row.bottom};
  if (code == LVIR_ICON) cell.right = cell.left;  // subitems carry no images
  *out = cell;
  return true;
}

int HitTest(const ListViewState& s, LVHITTESTINFO* info) {
  info->flags = 0;
  info->iItem = -1;
  info->iSubItem = 0;
  const RECT client = Client(s);
  const POINT p = info->pt;
  if (p.x < client.left) info->flags |= LVHT_TOLEFT;
  if (p.x >= client.right) info->flags |= LVHT_TORIGHT;
  if (p.y < client.top) info->flags |= LVHT_ABOVE;
  if (p.y >= client.bottom) info->flags |= LVHT_BELOW;
  if (info->flags) return -1;
  auto check = [&](int i) {
    if (!s.valid(i)) return false;
    if (Inside(ItemRect(s, i, LVIR_ICON), p)) {
      info->flags = LVHT_ONITEMICON;
    } else if (Inside(ItemRect(s, i, LVIR_LABEL), p)) {
      info->flags = LVHT_ONITEMLABEL;
    } else if (s.view() == LVS_REPORT && (s.ex_style & LVS_EX_FULLROWSELECT) &&
               Inside(ItemRect(s, i, LVIR_BOUNDS), p)) {
      info->flags = LVHT_ONITEMLABEL;
    } else {
      return false;
    }
    info->iItem = i;
    return true;
  };
  switch (s.view()) {
    case LVS_REPORT: {
      const int hh = HeaderHeight(s);
      if (p.y >= hh) check(s.top + (p.y - hh) / std::max(1, RowHeight(s)));
      break;
    }
    case LVS_LIST: {
      const int column = p.x / std::max(1, ListColumnWidth(s)) + s.list_scroll;
      const int row = p.y / std::max(1, RowHeight(s));
      if (row < RowsPerColumn(s)) check(column * RowsPerColumn(s) + row);
      break;
    }
    default:
      for (int i = 0; i < s.count(); ++i)
        if (check(i)) break;
      break;
  }
  if (info->iItem < 0) info->flags = LVHT_NOWHERE;
  return info->iItem;
}

int TopIndex(const ListViewState& s) {
  switch (s.view()) {
    case LVS_REPORT: return s.count() ? s.top : 0;
    case LVS_LIST: return s.count() ? std::min(s.list_scroll * RowsPerColumn(s), s.count() - 1) : 0;
    default: return 0;
  }
}

int CountPerPage(const ListViewState& s) {
  const RECT client = Client(s);
  switch (s.view()) {
    case LVS_REPORT:
      return std::max(0, static_cast<int>(client.bottom) - HeaderHeight(s)) / std::max(1, RowHeight(s));
    case LVS_LIST:
      return RowsPerColumn(s) * (static_cast<int>(client.right) / std::max(1, ListColumnWidth(s)));
    default:
      return s.count();
  }
}

void ClampScroll(ListViewState& s) {
  const RECT client = Client(s);
  switch (s.view()) {
    case LVS_REPORT: {
      const int per_page = std::max(1, CountPerPage(s));
      s.top = std::clamp(s.top, 0, std::max(0, s.count() - per_page));
      s.origin.x = std::clamp<LONG>(s.origin.x, 0, std::max(0, TotalColumnWidth(s) - static_cast<int>(client.right)));
      s.origin.y = 0;
      break;
    }
    case LVS_LIST: {
      const int rows = RowsPerColumn(s);
      const int columns = (s.count() + rows - 1) / rows;
      const int visible = std::max(1, static_cast<int>(client.right) / std::max(1, ListColumnWidth(s)));
      s.list_scroll = std::clamp(s.list_scroll, 0, std::max(0, columns - visible));
      break;
    }
    default: {
      const SIZE content = IconContent(s);
      s.origin.x = std::clamp<LONG>(s.origin.x, 0, std::max<LONG>(0, content.cx - client.right));
      s.origin.y = std::clamp<LONG>(s.origin.y, 0, std::max<LONG>(0, content.cy - client.bottom));
      break;
    }
  }
  UpdateScrollBars(s);
}

bool Scroll(ListViewState& s, int dx, int dy) {
  switch (s.view()) {
    case LVS_REPORT:
      s.top += Round(dy, RowHeight(s));
      s.origin.x += dx;
      break;
    case LVS_LIST:
      s.list_scroll += Round(dx, ListColumnWidth(s));
      break;
    default:
      s.origin.x += dx;
      s.origin.y += dy;
      break;
  }
  ClampScroll(s);
  PlaceHeader(s);
  s.Repaint();
  return true;
}

bool EnsureVisible(ListViewState& s, int index, bool partial_ok) {
  if (!s.valid(index)) return false;
  const RECT client = Client(s);
  switch (s.view()) {
    case LVS_REPORT: {
      const int per_page = std::max(1, CountPerPage(s));
      const bool partly = index == s.top + per_page &&
                          (client.bottom - HeaderHeight(s)) % std::max(1, RowHeight(s)) != 0;
      if (index < s.top)
        s.top = index;
      else if (index >= s.top + per_page && !(partial_ok && partly))
        s.top = index - per_page + 1;
      break;
    }
    case LVS_LIST: {
      const int column = index / RowsPerColumn(s);
      const int visible = std::max(1, static_cast<int>(client.right) / std::max(1, ListColumnWidth(s)));
      if (column < s.list_scroll)
        s.list_scroll = column;
      else if (column >= s.list_scroll + visible)
        s.list_scroll = column - visible + 1;
      break;
    }
    default: {
      const RECT r = ItemRect(s, index, LVIR_BOUNDS);
      if (r.top < 0) s.origin.y += r.top;
      else if (r.bottom > client.bottom && !(partial_ok && r.top < client.bottom))
        s.origin.y += std::min(r.bottom - client.bottom, r.top);
      if (r.left < 0) s.origin.x += r.left;
      else if (r.right > client.right && !(partial_ok && r.left < client.right))
        s.origin.x += std::min(r.right - client.right, r.left);
      break;
    }
  }
  ClampScroll(s);
  PlaceHeader(s);
  s.Repaint();
  return true;
}

int NavigationTarget(const ListViewState& s, int from, UINT vk) {
  const int n = s.count();
  if (n == 0) return -1;
  if (!s.valid(from)) return vk == VK_END ? n - 1 : 0;
  int to = from;
  const int page = std::max(1, CountPerPage(s) - 1);
  switch (s.view()) {
    case LVS_REPORT:
      if (vk == VK_UP) to = from - 1;
      if (vk == VK_DOWN) to = from + 1;
      if (vk == VK_PRIOR) to = std::max(0, from - page);
      if (vk == VK_NEXT) to = std::min(n - 1, from + page);
      break;
    case LVS_LIST: {
      const int rows = RowsPerColumn(s);
      if (vk == VK_UP) to = from - 1;
      if (vk == VK_DOWN) to = from + 1;
      if (vk == VK_LEFT) to = from - rows;
      if (vk == VK_RIGHT) to = std::min(n - 1, from + rows);
      break;
    }
    default: {
      const int per_row = PerRow(s);
      if (vk == VK_LEFT) to = from - 1;
      if (vk == VK_RIGHT) to = from + 1;
      if (vk == VK_UP) to = from - per_row;
      if (vk == VK_DOWN) to = from + per_row;
      break;
    }
  }
  if (vk == VK_HOME) to = 0;
  if (vk == VK_END) to = n - 1;
  return to >= 0 && to < n ? to : from;
}

void MeasureOwnerRows(ListViewState& s) {
  s.owner_height = 0;
  if (s.view() != LVS_REPORT || !(s.Style() & LVS_OWNERDRAWFIXED) || !s.notify) return;
  MEASUREITEMSTRUCT mis{};
  mis.CtlType = ODT_LISTVIEW;
  mis.CtlID = s.Id();
  mis.itemHeight = static_cast<UINT>(RowHeight(s));
  SendMessageA(s.notify, WM_MEASUREITEM, mis.CtlID, reinterpret_cast<LPARAM>(&mis));
  if (mis.itemHeight > 0 && mis.itemHeight < 0x8000) s.owner_height = static_cast<int>(mis.itemHeight);
}

}  // namespace qvp::ui::comctl
