// Painting a list view through the GDI in the classic look: icons from the
// image lists, labels and subitem texts at their places, the selection in the
// highlight colours (a button-face band when the control has no focus but shows
// its selection always), grid lines and the focus rectangle. Owner-drawn report
// rows are drawn by the parent through WM_DRAWITEM, one row at a time.
#include <algorithm>

#include "ui/comctl/listview.h"

namespace qvp::ui::comctl {
namespace {

constexpr int kTextInset = 2;     // label text inside its rectangle
constexpr int kSubItemInset = 6;  // subitem text inside its column

bool Intersects(const RECT& a, const RECT& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

UINT Align(int fmt) {
  switch (fmt & LVCFMT_JUSTIFYMASK) {
    case LVCFMT_RIGHT: return DT_RIGHT;
    case LVCFMT_CENTER: return DT_CENTER;
    default: return DT_LEFT;
  }
}

struct Look {
  bool selected = false;  // the selection shows on this item
  COLORREF band = 0;      // selection background
  COLORREF ink = 0;       // selection text
};

Look LookOf(const ListViewState& s, int i) {
  Look look;
  const bool selected = (s.items[static_cast<size_t>(i)].state & LVIS_SELECTED) != 0;
  look.selected = selected && (s.focused || (s.Style() & LVS_SHOWSELALWAYS));
  look.band = GetSysColor(s.focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE);
  look.ink = GetSysColor(s.focused ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT);
  return look;
}

void DrawIconAt(const ListViewState& s, HIMAGELIST list, int image, HDC hdc, const RECT& box, bool selected) {
  if (!list || image < 0) return;
  int cx = 0, cy = 0;
  ImageList_GetIconSize(list, &cx, &cy);
  const int x = box.left + (box.right - box.left - cx) / 2;
  const int y = box.top + (box.bottom - box.top - cy) / 2;
  ImageList_Draw(list, image, hdc, x, y, (selected && s.focused) ? ILD_SELECTED : ILD_NORMAL);
}

void DrawOwnerRow(ListViewState& s, HDC hdc, int i) {
  DRAWITEMSTRUCT dis{};
  dis.CtlType = ODT_LISTVIEW;
  dis.CtlID = s.Id();
  dis.itemID = static_cast<UINT>(i);
  dis.itemAction = ODA_DRAWENTIRE;
  const LvItem& it = s.items[static_cast<size_t>(i)];
  if (LookOf(s, i).selected) dis.itemState |= ODS_SELECTED;
  if ((it.state & LVIS_FOCUSED) && s.focused) dis.itemState |= ODS_FOCUS;
  if (!IsWindowEnabled(s.self)) dis.itemState |= ODS_DISABLED;
  dis.hwndItem = s.self;
  dis.hDC = hdc;
  dis.rcItem = ItemRect(s, i, LVIR_BOUNDS);
  dis.itemData = static_cast<ULONG_PTR>(it.param);
  const int saved = SaveDC(hdc);
  SendMessageA(s.notify, WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
  RestoreDC(hdc, saved);
}

void DrawReportRow(ListViewState& s, HDC hdc, int i) {
  const Look look = LookOf(s, i);
  const bool full_row = (s.ex_style & LVS_EX_FULLROWSELECT) != 0;
  const RECT icon = ItemRect(s, i, LVIR_ICON);
  const RECT label = ItemRect(s, i, LVIR_LABEL);
  const RECT row = ItemRect(s, i, LVIR_BOUNDS);
  const std::string text = DisplayText(s, i, s.columns.empty() ? 0 : s.columns[0].sub);
  if (!s.valid(i)) return;
  if (look.selected) {
    RECT band = full_row ? RECT{label.left, row.top, row.right, row.bottom} : label;
    if (!full_row) band.right = std::min<LONG>(label.right, label.left + TextWidth(s.Font(), text) + 2 * kTextInset);
    FillSolid(hdc, band, look.band);
  }
  DrawIconAt(s, s.small_images, DisplayImage(s, i), hdc, icon, look.selected);
  SetTextColor(hdc, look.selected ? look.ink : s.text_color);
  DrawLabel(hdc, text, RECT{label.left + kTextInset, label.top, label.right - kTextInset, label.bottom}, DT_LEFT);
  for (size_t c = 1; c < s.columns.size() && s.valid(i); ++c) {
    RECT cell{};
    if (!SubItemRect(s, i, static_cast<int>(c), LVIR_BOUNDS, &cell)) break;
    SetTextColor(hdc, look.selected && full_row ? look.ink : s.text_color);
    DrawLabel(hdc, DisplayText(s, i, s.columns[c].sub),
              RECT{cell.left + kSubItemInset, cell.top, cell.right - kSubItemInset, cell.bottom}, Align(s.columns[c].fmt));
  }
}

void DrawIconItem(ListViewState& s, HDC hdc, int i) {
  const Look look = LookOf(s, i);
  const bool large = s.view() == LVS_ICON;
  const RECT icon = ItemRect(s, i, LVIR_ICON);
  RECT label = ItemRect(s, i, LVIR_LABEL);
  const std::string text = DisplayText(s, i, 0);
  if (!s.valid(i)) return;
  const int width = TextWidth(s.Font(), text) + 2 * kTextInset;
  if (large) {
    const int room = label.right - label.left;
    if (width < room) {
      label.left += (room - width) / 2;
      label.right = label.left + width;
    }
  } else {
    label.right = std::min<LONG>(label.right, label.left + width);
  }
  if (look.selected) FillSolid(hdc, label, look.band);
  DrawIconAt(s, large ? s.normal_images : s.small_images, DisplayImage(s, i), hdc, icon, look.selected);
  SetTextColor(hdc, look.selected ? look.ink : s.text_color);
  DrawLabel(hdc, text, RECT{label.left + kTextInset, label.top, label.right - kTextInset, label.bottom},
            large ? DT_CENTER : DT_LEFT);
}

void DrawGridLines(const ListViewState& s, HDC hdc, const RECT& client) {
  HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNFACE));
  HGDIOBJ old = SelectObject(hdc, pen);
  const int rh = RowHeight(s);
  for (int y = HeaderHeight(s) + rh - 1; y < client.bottom; y += rh) {
    MoveToEx(hdc, 0, y, nullptr);
    LineTo(hdc, client.right, y);
  }
  int x = -s.origin.x;
  for (const LvColumn& c : s.columns) {
    x += c.width;
    MoveToEx(hdc, x - 1, HeaderHeight(s), nullptr);
    LineTo(hdc, x - 1, client.bottom);
  }
  SelectObject(hdc, old);
  DeleteObject(pen);
}

}  // namespace

void Paint(ListViewState& s, HDC hdc) {
  RECT client{};
  GetClientRect(s.self, &client);
  HGDIOBJ old_font = SelectObject(hdc, s.Font());
  SetBkMode(hdc, TRANSPARENT);
  const bool owner = s.view() == LVS_REPORT && (s.Style() & LVS_OWNERDRAWFIXED);
  if (s.view() == LVS_REPORT) {
    const int first = s.top;
    const int last = std::min(s.count(), first + CountPerPage(s) + 1);
    for (int i = first; i < last && s.valid(i); ++i) {
      if (!Intersects(ItemRect(s, i, LVIR_BOUNDS), client) && !owner) continue;
      if (owner)
        DrawOwnerRow(s, hdc, i);
      else
        DrawReportRow(s, hdc, i);
    }
    if (s.ex_style & LVS_EX_GRIDLINES) DrawGridLines(s, hdc, client);
  } else {
    for (int i = 0; i < s.count(); ++i)
      if (Intersects(ItemRect(s, i, LVIR_BOUNDS), client)) DrawIconItem(s, hdc, i);
  }
  const int focus = FocusedItem(s);
  if (!owner && s.focused && focus >= 0) {
    RECT r = ItemRect(s, focus, s.view() == LVS_REPORT ? LVIR_SELECTBOUNDS : LVIR_LABEL);
    if (Intersects(r, client)) DrawFocusRect(hdc, &r);
  }
  SelectObject(hdc, old_font);
}

void RepaintItem(const ListViewState& s, int index) {
  if (!s.valid(index)) return;
  s.Repaint(ItemRect(s, index, LVIR_BOUNDS));
}

}  // namespace qvp::ui::comctl
