// A user's actions on the common controls, as the test driver performs them:
// the mouse messages a person's click makes, at the place the control shows
// the item, so that the control notifies its parent as it would for a person.
#include <algorithm>
#include <cstring>

#include "qvplatform/ui.h"
#include "ui/user_action_steps.h"

namespace qvp {
namespace {

using ui::Centre;
using ui::IsClass;
using ui::Press;
using ui::Usable;

bool Empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

RECT ListItemRect(HWND list, int index, int code) {
  RECT r{};
  r.left = code;
  SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
  return r;
}

// Where a person would click a list view item: its label, or its picture
// when the first column leaves no room for the label.
bool ListItemPoint(HWND list, int index, POINT* out) {
  if (!Usable(list) || !IsClass(list, WC_LISTVIEWA)) return false;
  if (index < 0 || index >= SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) return false;
  SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), FALSE);
  RECT r = ListItemRect(list, index, LVIR_LABEL);
  if (Empty(r)) r = ListItemRect(list, index, LVIR_ICON);
  RECT client{};
  GetClientRect(list, &client);
  r.right = std::min(r.right, client.right);
  if (Empty(r)) return false;
  *out = Centre(r);
  return true;
}

}  // namespace

bool UserSelectListViewItem(HWND list, int index, bool twice) {
  POINT p{};
  if (!ListItemPoint(list, index, &p)) return false;
  Press(list, p, twice);
  return true;
}

bool UserRightClickListView(HWND list, int index) {
  POINT p{};
  if (index >= 0) {
    if (!ListItemPoint(list, index, &p)) return false;
  } else {
    // Empty space: below the last item, or right of the columns.
    if (!Usable(list) || !IsClass(list, WC_LISTVIEWA)) return false;
    RECT client{};
    GetClientRect(list, &client);
    const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    const RECT last = count ? ListItemRect(list, count - 1, LVIR_BOUNDS) : RECT{0, 0, 0, 0};
    if (last.bottom < client.bottom - 1)
      p = POINT{client.left + 1, client.bottom - 1};
    else if (last.right < client.right - 1)
      p = POINT{client.right - 1, client.bottom - 1};
    else
      return false;
    LVHITTESTINFO hit{};
    hit.pt = p;
    if (SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)) >= 0) return false;
  }
  Press(list, p, false, true);
  return true;
}

bool UserClickListViewColumn(HWND list, int column) {
  if (!Usable(list) || !IsClass(list, WC_LISTVIEWA)) return false;
  HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
  if (!Usable(header)) return false;
  RECT r{};
  if (!SendMessageA(header, HDM_GETITEMRECT, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&r)) || Empty(r))
    return false;
  Press(header, Centre(r), false);
  return true;
}

bool UserSelectTab(HWND tab, int index) {
  if (!Usable(tab) || !IsClass(tab, WC_TABCONTROLA)) return false;
  RECT r{};
  if (!SendMessageA(tab, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r))) return false;
  Press(tab, Centre(r), false);
  return true;
}

bool UserSelectTreeItem(HWND tree, HTREEITEM item, bool twice) {
  if (!Usable(tree) || !IsClass(tree, WC_TREEVIEWA)) return false;
  TVITEMA probe{};
  probe.mask = TVIF_HANDLE;
  probe.hItem = item;
  if (!item || !SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&probe))) return false;
  SendMessageA(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
  RECT r{};
  std::memcpy(&r, &item, sizeof(item));
  if (!SendMessageA(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r))) return false;
  Press(tree, Centre(r), twice);
  return true;
}

bool UserToggleTreeItem(HWND tree, HTREEITEM item) {
  if (!Usable(tree) || !IsClass(tree, WC_TREEVIEWA) || !item) return false;
  SendMessageA(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
  RECT r{};
  std::memcpy(&r, &item, sizeof(item));
  if (!SendMessageA(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r))) return false;
  // The button sits somewhere left of the label.
  for (int x = r.left - 1; x >= 0; --x) {
    TVHITTESTINFO hit{};
    hit.pt = POINT{x, (r.top + r.bottom) / 2};
    if (reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit))) == item &&
        (hit.flags & TVHT_ONITEMBUTTON)) {
      Press(tree, hit.pt, false);
      return true;
    }
  }
  return false;
}

bool UserClickToolbarButton(HWND toolbar, int command) {
  if (!Usable(toolbar) || !IsClass(toolbar, TOOLBARCLASSNAMEA)) return false;
  const LRESULT index = SendMessageA(toolbar, TB_COMMANDTOINDEX, static_cast<WPARAM>(command), 0);
  if (index < 0 || !SendMessageA(toolbar, TB_ISBUTTONENABLED, static_cast<WPARAM>(command), 0)) return false;
  RECT r{};
  if (!SendMessageA(toolbar, TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r))) return false;
  Press(toolbar, Centre(r), false);
  return true;
}

bool UserClickUpDown(HWND updown, bool up) {
  if (!Usable(updown) || !IsClass(updown, UPDOWN_CLASSA)) return false;
  RECT r{};
  GetClientRect(updown, &r);
  const bool horizontal = (GetWindowLongPtrA(updown, GWL_STYLE) & UDS_HORZ) != 0;
  const POINT p = horizontal ? POINT{up ? r.right * 3 / 4 : r.right / 4, r.bottom / 2}
                             : POINT{r.right / 2, up ? r.bottom / 4 : r.bottom * 3 / 4};
  Press(updown, p, false);
  return true;
}

}  // namespace qvp
