// Picking an item of a list as a user's mouse does, and reading a list's
// items: list boxes, combo boxes, list views and tab strips.
#include <algorithm>
#include <cstring>

#include "ui/driver/driver_input.h"

namespace qvp::driver {
namespace {

std::string ListItemText(HWND list, ListKind kind, int index) {
  char buf[1024] = {};
  switch (kind) {
    case ListKind::kListBox: {
      LRESULT n = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
      if (n < 0) return {};
      std::string text(static_cast<size_t>(n) + 1, '\0');
      SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
      text.resize(std::strlen(text.c_str()));
      return text;
    }
    case ListKind::kComboBox: {
      LRESULT n = SendMessageA(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
      if (n < 0) return {};
      std::string text(static_cast<size_t>(n) + 1, '\0');
      SendMessageA(list, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
      text.resize(std::strlen(text.c_str()));
      return text;
    }
    case ListKind::kListView: {
      LVITEMA item{};
      item.iSubItem = 0;
      item.pszText = buf;
      item.cchTextMax = sizeof(buf);
      SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
      return buf;
    }
    case ListKind::kTabs: {
      TCITEMA item{};
      item.mask = TCIF_TEXT;
      item.pszText = buf;
      item.cchTextMax = sizeof(buf);
      SendMessageA(list, TCM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
      return buf;
    }
    case ListKind::kNone:
      break;
  }
  return {};
}

int ItemCount(HWND list, ListKind kind) {
  switch (kind) {
    case ListKind::kListBox: return static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    case ListKind::kComboBox: return static_cast<int>(SendMessageA(list, CB_GETCOUNT, 0, 0));
    case ListKind::kListView: return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    case ListKind::kTabs: return static_cast<int>(SendMessageA(list, TCM_GETITEMCOUNT, 0, 0));
    case ListKind::kNone: break;
  }
  return 0;
}

bool Inside(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

// Where a list box, list view or tab strip shows item `index` (client
// coordinates), scrolled into view first as a user would scroll to it.
std::optional<RECT> ItemPlace(HWND list, ListKind kind, int index) {
  RECT r{};
  RECT client{};
  GetClientRect(list, &client);
  switch (kind) {
    case ListKind::kListBox:
      if (SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r)) < 0)
        return std::nullopt;
      if (!Inside(client, POINT{r.left, (r.top + r.bottom) / 2})) {
        SendMessageA(list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
        SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
      }
      return r;
    case ListKind::kListView:
      SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), FALSE);
      r.left = LVIR_LABEL;
      if (!SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r)))
        return std::nullopt;
      return r;
    case ListKind::kTabs:
      if (!SendMessageA(list, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r)))
        return std::nullopt;
      return r;
    default:
      return std::nullopt;
  }
}

Outcome CheckSelected(HWND list, int index) {
  int now = Selection(list);
  if (now == index) return Outcome::Done();
  return Outcome::Fail(Describe(list) + " shows item " + std::to_string(now) + " selected, not " +
                       std::to_string(index));
}

Phases ComboSelect(HWND combo, int index) {
  // Open the list with a click on the drop-down arrow (a drop-down list opens
  // wherever it is clicked), then click the item in the open list.
  auto open = [combo]() -> Outcome {
    if (Outcome u = Usable(combo); !u) return u;
    if (SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0)) return Outcome::Done();
    if (!MouseActivate(combo)) return Outcome::Done();
    RECT c{};
    GetClientRect(combo, &c);
    PostClick(combo, POINT{std::max<LONG>(c.left, c.right - 6), (c.top + c.bottom) / 2}, false);
    return Outcome::Done();
  };
  auto pick = [combo, index]() -> Outcome {
    const LONG style = static_cast<LONG>(GetWindowLongPtrA(combo, GWL_STYLE));
    const bool simple = (style & 0x3) == CBS_SIMPLE;
    if (!simple && !SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0))
      return Outcome::Fail(Describe(combo) + " did not open its list");
    const int height = std::max(1, static_cast<int>(SendMessageA(combo, CB_GETITEMHEIGHT, 0, 0)));
    const int field = static_cast<int>(SendMessageA(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
    RECT c{};
    GetClientRect(combo, &c);
    RECT dropped{};
    SendMessageA(combo, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
    // The open list starts below the selection field; a simple combo box's list
    // lies inside it, within its border.
    const int list_top = simple ? field + 6 + 2 : c.bottom;
    const int list_bottom = simple ? c.bottom - 2 : c.bottom + (dropped.bottom - dropped.top) - (c.bottom - c.top);
    const int visible = std::max(1, (list_bottom - list_top) / height);
    int top = static_cast<int>(SendMessageA(combo, CB_GETTOPINDEX, 0, 0));
    if (index < top || index >= top + visible) {
      SendMessageA(combo, CB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
      top = static_cast<int>(SendMessageA(combo, CB_GETTOPINDEX, 0, 0));
    }
    POINT at{(c.left + c.right) / 2, list_top + (index - top) * height + height / 2};
    PostClick(combo, at, false);
    return Outcome::Done();
  };
  return {open, pick, [combo, index] { return CheckSelected(combo, index); }};
}

}  // namespace

ListKind KindOfList(HWND list) {
  if (ClassIs(list, "LISTBOX")) return ListKind::kListBox;
  if (ClassIs(list, "COMBOBOX")) return ListKind::kComboBox;
  if (ClassIs(list, WC_LISTVIEWA)) return ListKind::kListView;
  if (ClassIs(list, WC_TABCONTROLA)) return ListKind::kTabs;
  return ListKind::kNone;
}

Phases SelectPhases(HWND list, int index) {
  const ListKind kind = KindOfList(list);
  if (kind == ListKind::kNone)
    return {[list] { return Outcome::Fail(Describe(list) + " is no list a driver can pick from"); }};
  if (kind == ListKind::kComboBox) return ComboSelect(list, index);
  auto click = [list, kind, index]() -> Outcome {
    if (Outcome u = Usable(list); !u) return u;
    if (index < 0 || index >= ItemCount(list, kind))
      return Outcome::Fail(Describe(list) + " has no item " + std::to_string(index));
    std::optional<RECT> r = ItemPlace(list, kind, index);
    if (!r) return Outcome::Fail(Describe(list) + " does not show item " + std::to_string(index));
    if (MouseActivate(list)) PostClick(list, POINT{(r->left + r->right) / 2, (r->top + r->bottom) / 2}, false);
    return Outcome::Done();
  };
  return {click, [list, index] { return CheckSelected(list, index); }};
}

Phases SelectTextPhases(HWND list, const std::string& text) {
  // The item is looked for when the step gets there, since lists fill late.
  auto phases = std::make_shared<Phases>();
  auto at = std::make_shared<size_t>(0);
  Phases out;
  out.push_back([list, text, phases]() -> Outcome {
    const ListKind kind = KindOfList(list);
    const int n = ItemCount(list, kind);
    for (int i = 0; i < n; ++i)
      if (ListItemText(list, kind, i) == text) {
        *phases = SelectPhases(list, i);
        return Outcome::Done();
      }
    return Outcome::Fail(Describe(list) + " has no item '" + text + "'");
  });
  // The picking itself, phase by phase.
  for (int k = 0; k < 3; ++k)
    out.push_back([phases, at]() -> Outcome {
      if (*at >= phases->size()) return Outcome::Done();
      return (*phases)[(*at)++]();
    });
  return out;
}

std::vector<std::string> ListItemsOf(HWND list) {
  const ListKind kind = KindOfList(list);
  std::vector<std::string> out;
  const int n = ItemCount(list, kind);
  for (int i = 0; i < n; ++i) out.push_back(ListItemText(list, kind, i));
  return out;
}

}  // namespace qvp::driver
