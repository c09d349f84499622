#include "list_item_draw.h"

#include <string>

#include "window_geometry.h"

namespace {

constexpr char kEllipsis[] = "...";

int ColumnWidth(HWND listView, int column, bool* exists) {
  LVCOLUMNA description{};
  description.mask = LVCF_WIDTH;
  *exists = SendMessageA(listView, LVM_GETCOLUMNA, static_cast<WPARAM>(column),
                         reinterpret_cast<LPARAM>(&description)) != 0;
  return description.cx;
}

int TextWidth(HDC dc, const std::string& text) {
  return GetTextWidth(dc, text.c_str(), static_cast<int>(text.size()));
}

}  // namespace

std::string FitCellText(HDC dc, const char* text, int room) {
  std::string shown = text != nullptr ? text : "";
  if (shown.empty() || TextWidth(dc, shown) <= room) return shown;
  // Drop characters from the end, one at a time, behind the ellipsis.
  for (size_t kept = shown.size(); kept-- > 0;) {
    std::string candidate = shown.substr(0, kept) + kEllipsis;
    if (kept == 0 || TextWidth(dc, candidate) <= room) return candidate;
  }
  return kEllipsis;
}

int DrawListItemWithIcon(const DRAWITEMSTRUCT* item) {
  if (item == nullptr) return 0;
  HWND listView = item->hwndItem;
  if ((GetWindowLongPtrA(listView, GWL_STYLE) & LVS_TYPEMASK) != LVS_REPORT ||
      item->itemAction != ODA_DRAWENTIRE) {
    return 0;
  }
  HDC dc = item->hDC;
  const int index = static_cast<int>(item->itemID);
  RECT area = item->rcItem;
  FillRect(dc, &area, GetSysColorBrush(COLOR_WINDOW));

  bool exists = false;
  int firstWidth = ColumnWidth(listView, 0, &exists);
  auto images = reinterpret_cast<HIMAGELIST>(SendMessageA(listView, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
  if (images != nullptr) {
    LVITEMA image{};
    image.mask = LVIF_IMAGE;
    image.iItem = index;
    SendMessageA(listView, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&image));
    int iconWidth = 0;
    int iconHeight = 0;
    ImageList_GetIconSize(images, &iconWidth, &iconHeight);
    if (firstWidth >= iconWidth + 4) {
      ImageList_Draw(images, image.iImage, dc, area.left + 2, area.top, ILD_TRANSPARENT);
      area.left += iconWidth + 4;
      firstWidth -= iconWidth + 4;
    }
  }

  const int oldMode = SetBkMode(dc, TRANSPARENT);
  if (item->itemState & ODS_SELECTED) {
    RECT highlight = area;
    highlight.left += 1;
    highlight.top += 1;
    highlight.right -= 1;
    highlight.bottom -= 1;
    FillRect(dc, &highlight, GetSysColorBrush(COLOR_HIGHLIGHT));
    SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
  } else {
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  }

  int left = area.left;
  for (int column = 0;; ++column) {
    const int width = column == 0 ? firstWidth : ColumnWidth(listView, column, &exists);
    if (!exists) break;
    char text[kListCellTextSize] = "";
    LVITEMA cell{};
    cell.iSubItem = column;
    cell.pszText = text;
    cell.cchTextMax = kListCellTextSize;
    SendMessageA(listView, LVM_GETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&cell));
    text[kListCellTextSize - 1] = '\0';
    const std::string shown = FitCellText(dc, text, width - 2);
    TextOutA(dc, left + 1, area.top, shown.c_str(), static_cast<int>(shown.size()));
    left += width;
  }

  if (item->itemState & ODS_FOCUS) DrawFocusRect(dc, &item->rcItem);
  SetBkMode(dc, oldMode);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  return 1;
}
