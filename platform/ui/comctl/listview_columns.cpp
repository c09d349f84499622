// List view columns and the column header that shows them in the report view.
// The list view keeps the columns; the header mirrors their titles, widths and
// alignment and reports clicks on them.
#include <algorithm>

#include "ui/comctl/listview.h"

namespace qvp::ui::comctl {
namespace {

constexpr int kLabelPadding = 12;  // room around a label in an automatically sized column

int HeaderFormat(int fmt) {
  int out = HDF_STRING;
  if ((fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_RIGHT) out |= HDF_RIGHT;
  if ((fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_CENTER) out |= HDF_CENTER;
  return out;
}

void MirrorColumn(const ListViewState& s, int index, bool insert) {
  if (!s.header) return;
  const LvColumn& c = s.columns[static_cast<size_t>(index)];
  HDITEMA hd{};
  hd.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
  hd.cxy = c.width;
  hd.pszText = const_cast<LPSTR>(c.text.c_str());
  hd.fmt = HeaderFormat(c.fmt);
  SendMessageA(s.header, insert ? HDM_INSERTITEMA : HDM_SETITEMA, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(&hd));
}

int ContentWidth(ListViewState& s, int column) {
  const int sub = s.columns[static_cast<size_t>(column)].sub;
  int widest = 0;
  for (int i = 0; i < s.count(); ++i) widest = std::max(widest, TextWidth(s.Font(), DisplayText(s, i, sub)));
  if (column == 0) widest += SmallIconSize(s).cx;
  return widest + kLabelPadding;
}

}  // namespace

void CreateHeader(ListViewState& s) {
  DWORD style = WS_CHILD | HDS_HORZ;
  if (!(s.Style() & LVS_NOSORTHEADER)) style |= HDS_BUTTONS;
  s.header = CreateWindowExA(0, WC_HEADERA, "", style, 0, 0, 0, 0, s.self, nullptr,
                             reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(s.self, GWL_HINSTANCE)), nullptr);
  if (s.header) SendMessageA(s.header, WM_SETFONT, reinterpret_cast<WPARAM>(s.font), FALSE);
}

void PlaceHeader(const ListViewState& s) {
  if (!s.header) return;
  const int height = HeaderHeight(s);
  if (height == 0) {
    SetWindowPos(s.header, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return;
  }
  RECT client{};
  GetClientRect(s.self, &client);
  // The header scrolls sideways with the columns.
  const int width = std::max<int>(client.right, TotalColumnWidth(s)) + s.origin.x;
  SetWindowPos(s.header, nullptr, -s.origin.x, 0, width, height, SWP_SHOWWINDOW | SWP_NOZORDER | SWP_NOACTIVATE);
}

int InsertColumn(ListViewState& s, int index, const LVCOLUMNA* col) {
  if (!col || index < 0) return -1;
  index = std::min(index, static_cast<int>(s.columns.size()));
  LvColumn c;
  if (col->mask & LVCF_FMT) c.fmt = col->fmt;
  if (col->mask & LVCF_WIDTH) c.width = std::max(0, col->cx);
  if (col->mask & LVCF_TEXT) c.text = TextIn(col->pszText);
  c.sub = (col->mask & LVCF_SUBITEM) ? std::max(0, col->iSubItem) : index;
  if (col->mask & LVCF_IMAGE) c.image = col->iImage;
  s.columns.insert(s.columns.begin() + index, std::move(c));
  MirrorColumn(s, index, true);
  PlaceHeader(s);
  s.Repaint();
  return index;
}

bool SetColumn(ListViewState& s, int index, const LVCOLUMNA* col) {
  if (!col || index < 0 || index >= static_cast<int>(s.columns.size())) return false;
  LvColumn& c = s.columns[static_cast<size_t>(index)];
  if (col->mask & LVCF_FMT) c.fmt = col->fmt;
  if (col->mask & LVCF_WIDTH) c.width = std::max(0, col->cx);
  if (col->mask & LVCF_TEXT) c.text = TextIn(col->pszText);
  if (col->mask & LVCF_SUBITEM) c.sub = std::max(0, col->iSubItem);
  if (col->mask & LVCF_IMAGE) c.image = col->iImage;
  MirrorColumn(s, index, false);
  PlaceHeader(s);
  s.Repaint();
  return true;
}

bool GetColumn(const ListViewState& s, int index, LVCOLUMNA* col) {
  if (!col || index < 0 || index >= static_cast<int>(s.columns.size())) return false;
  const LvColumn& c = s.columns[static_cast<size_t>(index)];
  if (col->mask & LVCF_FMT) col->fmt = c.fmt;
  if (col->mask & LVCF_WIDTH) col->cx = c.width;
  if (col->mask & LVCF_TEXT) CopyOut(c.text, col->pszText, col->cchTextMax);
  if (col->mask & LVCF_SUBITEM) col->iSubItem = c.sub;
  if (col->mask & LVCF_IMAGE) col->iImage = c.image;
  if (col->mask & LVCF_ORDER) col->iOrder = index;
  return true;
}

bool DeleteColumn(ListViewState& s, int index) {
  if (index < 0 || index >= static_cast<int>(s.columns.size())) return false;
  const int sub = s.columns[static_cast<size_t>(index)].sub;
  s.columns.erase(s.columns.begin() + index);
  // The texts the column showed go with it, unless another column still shows them.
  const bool shown = std::any_of(s.columns.begin(), s.columns.end(), [&](const LvColumn& c) { return c.sub == sub; });
  if (sub > 0 && !shown)
    for (LvItem& it : s.items)
      if (static_cast<size_t>(sub) < it.subs.size()) it.subs[static_cast<size_t>(sub)].clear();
  if (s.header) SendMessageA(s.header, HDM_DELETEITEM, static_cast<WPARAM>(index), 0);
  ClampScroll(s);
  PlaceHeader(s);
  s.Repaint();
  return true;
}

int ColumnWidth(const ListViewState& s, int index) {
  switch (s.view()) {
    case LVS_REPORT:
      return index >= 0 && index < static_cast<int>(s.columns.size()) ? s.columns[static_cast<size_t>(index)].width : 0;
    case LVS_LIST:
      return ListColumnWidth(s);
    default:
      return 0;
  }
}

bool SetColumnWidth(ListViewState& s, int index, int width) {
  if (s.view() == LVS_LIST) {
    // The list view has one column width, named as column 0.
    if (index != 0) return false;
    if (width == LVSCW_AUTOSIZE || width == LVSCW_AUTOSIZE_USEHEADER) {
      int widest = 0;
      for (int i = 0; i < s.count(); ++i) widest = std::max(widest, TextWidth(s.Font(), DisplayText(s, i, 0)));
      width = widest + SmallIconSize(s).cx + kLabelPadding;
    }
    s.list_width = std::max(1, width);
    ClampScroll(s);
    s.Repaint();
    return true;
  }
  if (s.view() != LVS_REPORT || index < 0 || index >= static_cast<int>(s.columns.size())) return false;
  if (width == LVSCW_AUTOSIZE) {
    width = ContentWidth(s, index);
  } else if (width == LVSCW_AUTOSIZE_USEHEADER) {
    const int title = TextWidth(s.Font(), s.columns[static_cast<size_t>(index)].text) + kLabelPadding;
    width = std::max(ContentWidth(s, index), title);
    if (index == static_cast<int>(s.columns.size()) - 1) {
      // The last column takes what is left of the window.
      RECT client{};
      GetClientRect(s.self, &client);
      width = std::max(width, static_cast<int>(client.right) - ColumnLeft(s, index));
    }
  } else if (width < 0) {
    return false;
  }
  s.columns[static_cast<size_t>(index)].width = width;
  MirrorColumn(s, index, false);
  ClampScroll(s);
  PlaceHeader(s);
  s.Repaint();
  return true;
}

}  // namespace qvp::ui::comctl
