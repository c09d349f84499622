// The "ComboBox" control: its parts, its list and selection set from code.
// Nothing here notifies the parent except opening and closing the list with
// CB_SHOWDROPDOWN, which sends CBN_DROPDOWN and CBN_CLOSEUP as on Windows;
// CB_SETCURSEL, CB_SELECTSTRING and WM_SETTEXT send nothing.
#include "ui/controls/combo.h"

#include <algorithm>
#include <cstring>

#include "ui/controls/control_classes.h"
#include "ui/controls/control_common.h"
#include "ui/controls/edit.h"
#include "ui/controls/list_dir.h"

namespace qvp::ui {
namespace {

WindowSlot<ComboState>& States() { return SlotOf<ComboState>(); }

constexpr UINT kMaxItemHeight = 255;
constexpr int kEdge = 3;  // between the control's edge and its field

ComboModel::Kind KindOf(DWORD style) {
  switch (style & 3) {
    case CBS_SIMPLE: return ComboModel::Kind::kSimple;
    case CBS_DROPDOWNLIST: return ComboModel::Kind::kDropDownList;
    default: return ComboModel::Kind::kDropDown;
  }
}

bool OwnerDrawn(DWORD style) { return (style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) != 0; }
bool IsList(const ComboState& s) { return s.model.kind() == ComboModel::Kind::kDropDownList; }
bool IsSimple(const ComboState& s) { return s.model.kind() == ComboModel::Kind::kSimple; }

int FieldHeight(const ComboState& s) { return static_cast<int>(s.field_height) + 2 * kEdge; }

// Brings the window's height to the field's (a drop-down kind) and places the edit part.
void Layout(HWND hwnd, ComboState& s) {
  if (!IsSimple(s)) {
    RECT w{};
    GetWindowRect(hwnd, &w);
    if (w.bottom - w.top != FieldHeight(s)) {
      s.resizing = true;
      SetWindowPos(hwnd, nullptr, 0, 0, w.right - w.left, FieldHeight(s), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      if (auto still = States().Get(hwnd)) still->resizing = false;
    }
  }
  if (s.edit) {
    RECT f = FieldRect(hwnd, s);
    MoveWindow(s.edit, f.left, f.top, f.right - f.left, f.bottom - f.top, TRUE);
  }
  InvalidateRect(hwnd, nullptr, TRUE);
}

void SetEditText(ComboState& s, const std::string& text) {
  if (!s.edit) return;
  s.setting_text = true;
  SendMessageA(s.edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  s.setting_text = false;
  if (s.focused) SendMessageA(s.edit, EM_SETSEL, 0, -1);
}

void OnCreate(HWND hwnd, ComboState& s, const CREATESTRUCTA* cs) {
  const DWORD style = StyleOf(hwnd);
  s.metrics = MetricsOfFont(nullptr);
  s.item_height = static_cast<UINT>(s.metrics.height);
  s.field_height = static_cast<UINT>(s.metrics.height + 2);
  s.drop_height = cs ? cs->cy : 0;
  if (style & CBS_OWNERDRAWFIXED) {
    // The owner measures the selection field first, then the list's items.
    ListOwner owner = OwnerOf(hwnd, s);
    RECT r = ClientRectOf(hwnd);
    const UINT width = static_cast<UINT>(r.right - r.left);
    s.field_height = MeasureListItem(owner, static_cast<UINT>(-1), 0, s.field_height, width);
    s.item_height = MeasureListItem(owner, 0, 0, s.item_height, width);
  }
  if (!IsList(s)) {
    DWORD es = WS_CHILD | WS_VISIBLE | ES_LEFT;
    if (style & CBS_AUTOHSCROLL) es |= ES_AUTOHSCROLL;
    if (style & CBS_UPPERCASE) es |= ES_UPPERCASE;
    if (style & CBS_LOWERCASE) es |= ES_LOWERCASE;
    if (style & CBS_OEMCONVERT) es |= ES_OEMCONVERT;
    if (style & WS_DISABLED) es |= WS_DISABLED;
    RECT f = FieldRect(hwnd, s);
    s.edit = CreateWindowExA(0, WC_EDITA, "", es, f.left, f.top, f.right - f.left, f.bottom - f.top, hwnd,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(kComboEditId)),
                             cs ? cs->hInstance : nullptr, nullptr);
    AttachEditToCombo(s.edit, hwnd);
  }
  Layout(hwnd, s);
}

void OnWindowPosChanging(ComboState& s, WINDOWPOS* pos) {
  if (IsSimple(s) || !pos || (pos->flags & SWP_NOSIZE) || s.resizing) return;
  // The height given is the height with the list open; the field keeps its own.
  s.drop_height = pos->cy;
  pos->cy = FieldHeight(s);
}

LRESULT SetCurSel(HWND hwnd, ComboState& s, WPARAM wp) {
  const int index = static_cast<int>(static_cast<DWORD>(wp));
  const bool valid = s.model.items().valid(index);
  s.model.items().SetCurSel(valid ? index : -1);
  if (valid) s.model.items().EnsureVisible(index, ListVisibleItems(hwnd, s));
  ShowSelection(hwnd, s);
  return valid ? index : CB_ERR;
}

LRESULT SetText(HWND hwnd, ComboState& s, LPCSTR text) {
  const ListOwner owner = OwnerOf(hwnd, s);
  int found = owner.has_strings && text
                  ? FindListItem(s.model.items(), owner, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text), true)
                  : -1;
  if (IsList(s)) {
    // A drop-down list shows only its items: the text must name one.
    if (found < 0) return CB_ERR;
    s.model.items().SetCurSel(found);
    ShowSelection(hwnd, s);
    return TRUE;
  }
  s.model.items().SetCurSel(found);
  SetEditText(s, text ? text : "");
  InvalidateRect(hwnd, nullptr, FALSE);
  return TRUE;
}

LRESULT GetText(HWND hwnd, const ComboState& s, WPARAM size, LPARAM lp) {
  if (s.edit) return SendMessageA(s.edit, WM_GETTEXT, size, lp);
  auto* buf = reinterpret_cast<char*>(lp);
  if (!buf || size == 0) return 0;
  std::string text;
  const int sel = s.model.cur_sel();
  if (sel >= 0 && OwnerOf(hwnd, s).has_strings) text = s.model.items().at(sel).text;
  size_t n = std::min(text.size(), static_cast<size_t>(size) - 1);
  std::memcpy(buf, text.data(), n);
  buf[n] = '\0';
  return static_cast<LRESULT>(n);
}

LRESULT GetTextLength(HWND hwnd, const ComboState& s) {
  if (s.edit) return SendMessageA(s.edit, WM_GETTEXTLENGTH, 0, 0);
  const int sel = s.model.cur_sel();
  if (sel < 0 || !OwnerOf(hwnd, s).has_strings) return 0;
  return static_cast<LRESULT>(s.model.items().at(sel).text.size());
}

LRESULT SetItemHeight(HWND hwnd, ComboState& s, WPARAM wp, LPARAM lp) {
  const UINT height = LOWORD(lp);
  const int index = static_cast<int>(static_cast<DWORD>(wp));
  if (height == 0 || height > kMaxItemHeight) return CB_ERR;
  if (index == -1) {
    s.field_height = height;
    Layout(hwnd, s);
  } else if (StyleOf(hwnd) & CBS_OWNERDRAWVARIABLE) {
    if (!s.model.items().valid(index)) return CB_ERR;
    s.model.items().at(index).height = height;
  } else {
    s.item_height = height;
  }
  InvalidateRect(hwnd, nullptr, TRUE);
  return CB_OKAY;
}

LRESULT GetItemHeight(HWND hwnd, const ComboState& s, WPARAM wp) {
  const int index = static_cast<int>(static_cast<DWORD>(wp));
  if (index == -1) return s.field_height;
  if (StyleOf(hwnd) & CBS_OWNERDRAWVARIABLE) {
    if (!s.model.items().valid(index)) return CB_ERR;
    return s.model.items().at(index).height;
  }
  return s.item_height;
}

void OnSetFont(HWND hwnd, ComboState& s, WPARAM wp, LPARAM lp) {
  s.font = reinterpret_cast<HFONT>(wp);
  s.metrics = MetricsOfFont(s.font);
  if (!OwnerDrawn(StyleOf(hwnd))) {
    s.item_height = static_cast<UINT>(s.metrics.height);
    s.field_height = static_cast<UINT>(s.metrics.height + 2);
  }
  if (s.edit) SendMessageA(s.edit, WM_SETFONT, wp, lp);
  Layout(hwnd, s);
  if (LOWORD(lp)) InvalidateRect(hwnd, nullptr, TRUE);
}

LRESULT DialogCode(const ComboState& s, LPARAM lp) {
  LRESULT code = DLGC_WANTARROWS | DLGC_WANTCHARS;
  auto* m = reinterpret_cast<const MSG*>(lp);
  if (s.model.dropped() && m && m->message == WM_KEYDOWN && (m->wParam == VK_RETURN || m->wParam == VK_ESCAPE))
    code |= DLGC_WANTMESSAGE;
  return code;
}

}  // namespace

std::shared_ptr<ComboState> ComboStateOf(HWND hwnd) { return States().Get(hwnd); }

ListOwner OwnerOf(HWND hwnd, const ComboState& s) {
  const DWORD style = StyleOf(hwnd);
  ListOwner o;
  o.control = hwnd;
  o.ctl_type = ODT_COMBOBOX;
  o.has_strings = !OwnerDrawn(style) || (style & CBS_HASSTRINGS);
  o.sorted = (style & CBS_SORT) != 0;
  o.variable = (style & CBS_OWNERDRAWVARIABLE) != 0;
  o.default_height = s.item_height ? s.item_height : static_cast<UINT>(std::max(1, s.metrics.height));
  return o;
}

RECT FieldRect(HWND hwnd, const ComboState& s) {
  RECT c = ClientRectOf(hwnd);
  RECT f{c.left + kEdge, c.top + kEdge, c.right - kEdge, c.top + kEdge + static_cast<LONG>(s.field_height)};
  if (!IsSimple(s)) f.right -= GetSystemMetrics(SM_CXVSCROLL);
  f.right = std::max(f.left, f.right);
  return f;
}

RECT ButtonRect(HWND hwnd, const ComboState& s) {
  if (IsSimple(s)) return RECT{};
  RECT c = ClientRectOf(hwnd);
  return RECT{std::max(c.left, c.right - kEdge - GetSystemMetrics(SM_CXVSCROLL)), c.top + kEdge, c.right - kEdge,
              c.bottom - kEdge};
}

RECT ListRect(HWND hwnd, const ComboState& s) {
  RECT c = ClientRectOf(hwnd);
  if (IsSimple(s)) return RECT{c.left, FieldHeight(s), c.right, c.bottom};
  const int width = std::max(static_cast<int>(c.right - c.left), s.dropped_width);
  const int height = std::max(static_cast<int>(s.item_height), s.drop_height - FieldHeight(s));
  return RECT{c.left, c.bottom, c.left + width, c.bottom + height};
}

int ListVisibleItems(HWND hwnd, const ComboState& s) {
  RECT r = ListRect(hwnd, s);
  return std::max(1, static_cast<int>((r.bottom - r.top) / std::max<UINT>(1, s.item_height)));
}

RECT ListItemsRect(HWND hwnd, const ComboState& s) {
  RECT r = ListRect(hwnd, s);
  if (IsSimple(s)) r = RECT{r.left + 2, r.top + 2, r.right - 2, r.bottom - 2};
  return r;
}

int ListItemAt(HWND hwnd, const ComboState& s, POINT p) {
  RECT r = ListItemsRect(hwnd, s);
  if (!Inside(r, p)) return -1;
  const int index = s.model.items().top() + static_cast<int>((p.y - r.top) / std::max<UINT>(1, s.item_height));
  return s.model.items().valid(index) ? index : -1;
}

void ShowSelection(HWND hwnd, ComboState& s) {
  const int sel = s.model.cur_sel();
  if (s.edit) {
    const ListOwner owner = OwnerOf(hwnd, s);
    SetEditText(s, sel >= 0 && owner.has_strings ? s.model.items().at(sel).text : std::string());
  }
  InvalidateRect(hwnd, nullptr, FALSE);
}

void RunSteps(HWND hwnd, ComboState& s, const ComboModel::Steps& steps) {
  // While the list is open the combo box holds the mouse, so that a click anywhere else closes it.
  if (s.model.dropped()) {
    s.model.items().EnsureVisible(s.model.cur_sel(), ListVisibleItems(hwnd, s));
    if (GetCapture() != hwnd) SetCapture(hwnd);
  } else {
    s.hot = -1;
    if (GetCapture() == hwnd) ReleaseCapture();
  }
  ShowSelection(hwnd, s);
  if (s.list_window && s.model.dropped()) InvalidateRect(s.list_window, nullptr, TRUE);
  // The list shows after CBN_DROPDOWN ("about to open") and is gone before CBN_CLOSEUP.
  for (int code : steps) {
    if (code == CBN_CLOSEUP) ShowComboList(hwnd, s, false);
    NotifyParent(hwnd, code);
    if (code == CBN_DROPDOWN && s.model.dropped()) ShowComboList(hwnd, s, true);
  }
}

namespace {

LRESULT ComboBoxProc(ComboState& s, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  ItemList& items = s.model.items();
  const auto index = static_cast<int>(static_cast<DWORD>(wp));

  switch (msg) {
    case WM_CREATE:
      OnCreate(hwnd, s, reinterpret_cast<const CREATESTRUCTA*>(lp));
      return 0;
    case WM_DESTROY:
      if (s.list_window) DestroyWindow(s.list_window);
      s.list_window = nullptr;
      ClearListItems(items, OwnerOf(hwnd, s));
      return 0;
    case WM_WINDOWPOSCHANGING:
      OnWindowPosChanging(s, reinterpret_cast<WINDOWPOS*>(lp));
      return DefWindowProcA(hwnd, msg, wp, lp);
    case WM_SIZE:
      if (s.edit) {
        RECT f = FieldRect(hwnd, s);
        MoveWindow(s.edit, f.left, f.top, f.right - f.left, f.bottom - f.top, TRUE);
      }
      return 0;
    case WM_GETDLGCODE:
      return DialogCode(s, lp);
    case WM_SETTEXT:
      return SetText(hwnd, s, reinterpret_cast<LPCSTR>(lp));
    case WM_GETTEXT:
      return GetText(hwnd, s, wp, lp);
    case WM_GETTEXTLENGTH:
      return GetTextLength(hwnd, s);
    case WM_SETFONT:
      OnSetFont(hwnd, s, wp, lp);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(s.font);
    case WM_ENABLE:
      if (s.edit) EnableWindow(s.edit, static_cast<BOOL>(wp));
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_SETFOCUS:
      if (s.edit) {
        SetFocus(s.edit);
        return 0;
      }
      if (!s.focused) {
        s.focused = true;
        InvalidateRect(hwnd, nullptr, FALSE);
        NotifyParent(hwnd, CBN_SETFOCUS);
      }
      return 0;
    case WM_KILLFOCUS:
      if (s.edit) return 0;  // the edit part tells
      s.focused = false;
      if (s.model.dropped()) RunSteps(hwnd, s, s.model.CloseUp(false));
      if (GetCapture() == hwnd) ReleaseCapture();
      InvalidateRect(hwnd, nullptr, FALSE);
      NotifyParent(hwnd, CBN_KILLFOCUS);
      return 0;
    case WM_COMMAND:
      if (s.edit && reinterpret_cast<HWND>(lp) == s.edit) ComboEditCommand(hwnd, s, HIWORD(wp));
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      ComboMouse(hwnd, s, msg, lp);
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      ComboKey(hwnd, s, msg, wp);
      if (msg == WM_SYSKEYDOWN && wp != VK_DOWN && wp != VK_UP) return DefWindowProcA(hwnd, msg, wp, lp);
      return 0;
    case WM_CHAR:
      ComboChar(hwnd, s, wp);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT:
      return PaintClient(hwnd, msg, wp, [&](HDC hdc) { PaintCombo(hwnd, s, hdc); });

    case CB_ADDSTRING:
    case CB_INSERTSTRING: {
      const bool add = msg == CB_ADDSTRING;
      if (!add && index > items.count()) return CB_ERR;
      int at = AddListItem(items, OwnerOf(hwnd, s), lp, add ? -1 : index, add);
      if (at >= 0) InvalidateRect(hwnd, nullptr, FALSE);
      return at < 0 ? CB_ERR : at;
    }
    case CB_DELETESTRING: {
      const bool was_selected = index == s.model.cur_sel();
      if (!DeleteListItem(items, OwnerOf(hwnd, s), index)) return CB_ERR;
      if (was_selected && IsList(s)) ShowSelection(hwnd, s);
      InvalidateRect(hwnd, nullptr, FALSE);
      return items.count();
    }
    case CB_RESETCONTENT:
      ClearListItems(items, OwnerOf(hwnd, s));
      SetEditText(s, "");
      InvalidateRect(hwnd, nullptr, TRUE);
      return CB_OKAY;
    case CB_GETCOUNT:
      return items.count();
    case CB_GETLBTEXT:
      return GetListText(items, OwnerOf(hwnd, s), index, lp);
    case CB_GETLBTEXTLEN:
      return GetListTextLength(items, OwnerOf(hwnd, s), index);
    case CB_FINDSTRING:
    case CB_FINDSTRINGEXACT: {
      int found = FindListItem(items, OwnerOf(hwnd, s), wp, lp, msg == CB_FINDSTRINGEXACT);
      return found < 0 ? CB_ERR : found;
    }
    case CB_SELECTSTRING: {
      int found = FindListItem(items, OwnerOf(hwnd, s), wp, lp, false);
      if (found < 0) return CB_ERR;
      return SetCurSel(hwnd, s, static_cast<WPARAM>(found));
    }
    case CB_SETCURSEL:
      return SetCurSel(hwnd, s, wp);
    case CB_GETCURSEL:
      return s.model.cur_sel();
    case CB_GETITEMDATA:
      return items.valid(index) ? static_cast<LRESULT>(items.at(index).data) : CB_ERR;
    case CB_SETITEMDATA:
      if (!items.valid(index)) return CB_ERR;
      items.at(index).data = static_cast<ULONG_PTR>(lp);
      return TRUE;
    case CB_SHOWDROPDOWN:
      RunSteps(hwnd, s, s.model.Show(wp != 0));
      return TRUE;
    case CB_GETDROPPEDSTATE:
      return s.model.dropped() ? TRUE : FALSE;
    case CB_GETDROPPEDCONTROLRECT: {
      auto* r = reinterpret_cast<RECT*>(lp);
      if (!r) return CB_ERR;
      RECT w{};
      GetWindowRect(hwnd, &w);
      const int width = std::max(static_cast<int>(w.right - w.left), s.dropped_width);
      *r = RECT{w.left, w.top, w.left + width, w.top + std::max(static_cast<int>(w.bottom - w.top), s.drop_height)};
      return TRUE;
    }
    case CB_LIMITTEXT:
      if (!s.edit) return CB_ERR;
      SendMessageA(s.edit, EM_LIMITTEXT, wp, 0);
      return TRUE;
    case CB_GETEDITSEL:
      if (!s.edit) return CB_ERR;
      return SendMessageA(s.edit, EM_GETSEL, wp, lp);
    case CB_SETEDITSEL:
      if (!s.edit) return CB_ERR;
      SendMessageA(s.edit, EM_SETSEL, static_cast<WPARAM>(static_cast<LONG_PTR>(static_cast<SHORT>(LOWORD(lp)))),
                   static_cast<SHORT>(HIWORD(lp)));
      return TRUE;
    case CB_SETITEMHEIGHT:
      return SetItemHeight(hwnd, s, wp, lp);
    case CB_GETITEMHEIGHT:
      return GetItemHeight(hwnd, s, wp);
    case CB_SETEXTENDEDUI:
      s.extended_ui = wp != 0;
      return CB_OKAY;
    case CB_GETEXTENDEDUI:
      return s.extended_ui ? TRUE : FALSE;
    case CB_SETDROPPEDWIDTH:
      s.dropped_width = static_cast<int>(wp);
      return std::max(s.dropped_width, static_cast<int>(ClientRectOf(hwnd).right));
    case CB_GETDROPPEDWIDTH:
      return std::max(s.dropped_width, static_cast<int>(ClientRectOf(hwnd).right));
    case CB_GETTOPINDEX:
      return items.top();
    case CB_SETTOPINDEX:
      if (!items.valid(index)) return CB_ERR;
      items.set_top(index, ListVisibleItems(hwnd, s));
      return CB_OKAY;
    case CB_DIR:
      return AddDirectoryEntries(hwnd, CB_ADDSTRING, static_cast<UINT>(wp), reinterpret_cast<LPCSTR>(lp));
    case CB_INITSTORAGE:
      return items.count() + static_cast<LRESULT>(wp);
    default:
      return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

}  // namespace

LRESULT CALLBACK ComboBoxWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto make = [](HWND, LPARAM c) { return std::make_shared<ComboState>(KindOf(CreateStyle(c))); };
  return RunControlProc(States(), hwnd, msg, wp, lp, make, ComboBoxProc);
}

}  // namespace qvp::ui
