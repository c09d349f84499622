#include "list_view_helpers.h"

#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int kDefaultColumnWidth = 100;
// A width given in a title never exceeds this (more digits are a typing error).
constexpr int kMaxColumnWidth = 0x7FFF;

std::vector<std::string> SplitAtTabs(const char* text) {
  std::vector<std::string> parts;
  std::string_view rest = text != nullptr ? text : "";
  for (;;) {
    const size_t tab = rest.find('\t');
    parts.emplace_back(rest.substr(0, tab));
    if (tab == std::string_view::npos) break;
    rest.remove_prefix(tab + 1);
  }
  return parts;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool SelectedOrFocused(HWND listView, int index) {
  return SendMessageA(listView, LVM_GETITEMSTATE, static_cast<WPARAM>(index), LVIS_SELECTED | LVIS_FOCUSED) != 0;
}

int ItemCount(HWND listView) { return static_cast<int>(SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0)); }

}  // namespace

int ListViewSetColumns(HWND listView, const char* titles) {
  const std::vector<std::string> parts = SplitAtTabs(titles);
  for (size_t column = 0; column < parts.size(); ++column) {
    const std::string& part = parts[column];
    int width = kDefaultColumnWidth;
    size_t titleStart = 0;
    if (!part.empty() && IsDigit(part[0])) {
      width = 0;
      size_t digits = 0;
      for (; digits < part.size() && IsDigit(part[digits]); ++digits) {
        if (width <= kMaxColumnWidth) width = width * 10 + (part[digits] - '0');
      }
      if (width > kMaxColumnWidth) width = kMaxColumnWidth;
      // The title begins after the character that follows the digits, if any.
      titleStart = digits + 1 < part.size() ? digits + 1 : part.size();
    }
    std::string title = part.substr(titleStart);
    LVCOLUMNA description{};
    description.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    description.fmt = LVCFMT_LEFT;
    description.cx = width;
    description.pszText = title.data();
    description.iSubItem = static_cast<int>(column);
    SendMessageA(listView, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&description));
  }
  return 0;
}

int ListViewAddRow(HWND listView, const char* row) {
  std::vector<std::string> parts = SplitAtTabs(row);
  LVITEMA item{};
  item.mask = LVIF_TEXT;
  item.iItem = ItemCount(listView);
  item.pszText = parts[0].data();
  const int index = static_cast<int>(SendMessageA(listView, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  if (index < 0) return -1;
  for (size_t subItem = 1; subItem < parts.size(); ++subItem) {
    LVITEMA text{};
    text.iSubItem = static_cast<int>(subItem);
    text.pszText = parts[subItem].data();
    SendMessageA(listView, LVM_SETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&text));
  }
  return index;
}

int ListViewFirstSelected(HWND listView) {
  const int count = ItemCount(listView);
  for (int index = 0; index < count; ++index) {
    if (SelectedOrFocused(listView, index)) return index;
  }
  return -1;
}

int ListViewCountSelected(HWND listView) {
  const int count = ItemCount(listView);
  int selected = 0;
  for (int index = 0; index < count; ++index) {
    if (SelectedOrFocused(listView, index)) ++selected;
  }
  return selected;
}

int ListViewGetSelection(HWND listView, int most, int* indices) {
  if (indices == nullptr) return 0;
  const int count = ItemCount(listView);
  int stored = 0;
  for (int index = 0; index < count && stored < most; ++index) {
    if (SelectedOrFocused(listView, index)) indices[stored++] = index;
  }
  return stored;
}

void ListViewEnsureVisible(HWND listView, short index) {
  SendMessageA(listView, LVM_ENSUREVISIBLE, static_cast<WPARAM>(static_cast<INT_PTR>(index)), FALSE);
}
