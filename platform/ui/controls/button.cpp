// The "Button" control: push buttons, check boxes, radio buttons and group
// boxes. A user's click, the space bar and BM_CLICK change an automatic
// button's check and send BN_CLICKED; BM_SETCHECK and BM_SETSTATE from code
// send nothing. An automatic radio button that receives the focus other than
// by a click checks itself and tells its parent, as on Windows, so that moving
// through a group with the keyboard selects as it goes.
#include <memory>
#include <vector>

#include "ui/controls/button.h"
#include "ui/controls/control_classes.h"
#include "ui/controls/control_common.h"

namespace qvp::ui {
namespace {

WindowSlot<ButtonState>& States() { return SlotOf<ButtonState>(); }

bool IsCheckable(UINT type) {
  switch (type) {
    case BS_CHECKBOX: case BS_AUTOCHECKBOX: case BS_RADIOBUTTON: case BS_AUTORADIOBUTTON:
    case BS_3STATE: case BS_AUTO3STATE:
      return true;
    default:
      return false;
  }
}

bool IsRadio(UINT type) { return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON; }

bool Clickable(UINT type) { return type != BS_GROUPBOX && type != BS_USERBUTTON; }

LRESULT DialogCode(UINT type) {
  switch (type) {
    case BS_PUSHBUTTON: case BS_PUSHBOX: return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
    case BS_DEFPUSHBUTTON: return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
    case BS_RADIOBUTTON: case BS_AUTORADIOBUTTON: return DLGC_BUTTON | DLGC_RADIOBUTTON;
    case BS_GROUPBOX: return DLGC_STATIC;
    default: return DLGC_BUTTON;
  }
}

// Draws an owner-drawn button through its parent.
void DrawOwner(HWND hwnd, const ButtonState& s, HDC hdc, UINT action) {
  HWND parent = ParentOf(hwnd);
  if (!parent) return;
  DRAWITEMSTRUCT dis{};
  dis.CtlType = ODT_BUTTON;
  dis.CtlID = ControlId(hwnd);
  dis.itemID = 0;
  dis.itemAction = action;
  dis.itemState = (s.pushed ? ODS_SELECTED : 0) | (s.focused ? ODS_FOCUS : 0) |
                  (IsWindowEnabled(hwnd) ? 0 : ODS_DISABLED);
  dis.hwndItem = hwnd;
  dis.hDC = hdc;
  dis.rcItem = ClientRectOf(hwnd);
  SendMessageA(parent, WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
}

// Shows a change of state: an owner-drawn button is asked to draw just that
// change, any other button repaints.
void Redraw(HWND hwnd, const ButtonState& s, UINT action) {
  if (ButtonType(StyleOf(hwnd)) != BS_OWNERDRAW) {
    InvalidateRect(hwnd, nullptr, FALSE);
    return;
  }
  if (!IsWindowVisible(hwnd)) return;
  HDC hdc = GetDC(hwnd);
  DrawOwner(hwnd, s, hdc, action);
  ReleaseDC(hwnd, hdc);
}

void SetPushed(HWND hwnd, ButtonState& s, bool pushed) {
  if (s.pushed == pushed) return;
  s.pushed = pushed;
  Redraw(hwnd, s, ODA_SELECT);
}

// The sibling that starts the WS_GROUP group holding `hwnd`.
HWND GroupStart(HWND hwnd) {
  HWND h = hwnd;
  while (!(StyleOf(h) & WS_GROUP)) {
    HWND prev = GetWindow(h, GW_HWNDPREV);
    if (!prev) break;
    h = prev;
  }
  return h;
}

// Unchecks every other radio button of the group, whatever its state.
void UncheckGroup(HWND hwnd) {
  std::vector<HWND> group;
  const HWND start = GroupStart(hwnd);
  for (HWND h = start; h; h = GetWindow(h, GW_HWNDNEXT)) {
    if (h != start && (StyleOf(h) & WS_GROUP)) break;
    group.push_back(h);
  }
  for (HWND h : group) {
    if (h == hwnd) continue;
    if (SendMessageA(h, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) SendMessageA(h, BM_SETCHECK, BST_UNCHECKED, 0);
  }
}

// What a user's click does: an automatic button changes its check, then the parent hears BN_CLICKED.
void Click(HWND hwnd) {
  const UINT type = ButtonType(StyleOf(hwnd));
  const auto check = static_cast<UINT>(SendMessageA(hwnd, BM_GETCHECK, 0, 0));
  switch (type) {
    case BS_AUTOCHECKBOX:
      SendMessageA(hwnd, BM_SETCHECK, check ? BST_UNCHECKED : BST_CHECKED, 0);
      break;
    case BS_AUTO3STATE:
      SendMessageA(hwnd, BM_SETCHECK, (check + 1) % 3, 0);
      break;
    case BS_AUTORADIOBUTTON:
      SendMessageA(hwnd, BM_SETCHECK, BST_CHECKED, 0);
      UncheckGroup(hwnd);
      break;
    default:
      break;
  }
  NotifyParent(hwnd, BN_CLICKED);
}

LRESULT SetCheck(HWND hwnd, ButtonState& s, WPARAM wp) {
  const UINT type = ButtonType(StyleOf(hwnd));
  if (!IsCheckable(type)) return 0;
  UINT value = static_cast<UINT>(wp) & 3;
  const UINT most = (type == BS_3STATE || type == BS_AUTO3STATE) ? BST_INDETERMINATE : BST_CHECKED;
  if (value > most) value = most;
  // The checked radio button of a group is the one the Tab key reaches.
  if (IsRadio(type)) SetStyleBits(hwnd, WS_TABSTOP, value ? WS_TABSTOP : 0);
  if (s.check != value) {
    s.check = value;
    InvalidateRect(hwnd, nullptr, FALSE);
  }
  return 0;
}

void MouseDown(HWND hwnd, ButtonState& s) {
  if (!Clickable(ButtonType(StyleOf(hwnd)))) return;
  s.mouse_pressing = true;
  if (!HasFocus(hwnd)) SetFocus(hwnd);
  s.mouse_pressing = false;
  SetCapture(hwnd);
  s.tracking = true;
  SetPushed(hwnd, s, true);
}

void MouseUp(HWND hwnd, ButtonState& s, LPARAM lp) {
  if (!s.tracking) return;
  s.tracking = false;
  const bool was_pushed = s.pushed;
  const bool counts = s.clicking || Inside(ClientRectOf(hwnd), PointOf(lp));
  SetPushed(hwnd, s, false);
  if (GetCapture() == hwnd) ReleaseCapture();
  if (was_pushed && counts) Click(hwnd);
}

// Ends a press without a click (capture or focus lost).
void CancelPress(HWND hwnd, ButtonState& s) {
  if (!s.tracking && !s.space_down) return;
  s.tracking = s.space_down = false;
  SetPushed(hwnd, s, false);
}

LRESULT SetImage(ButtonState& s, WPARAM type, LPARAM image) {
  if (type != IMAGE_BITMAP && type != IMAGE_ICON) return 0;
  HANDLE old = s.image_type == type ? s.image : nullptr;
  s.image = reinterpret_cast<HANDLE>(image);
  s.image_type = static_cast<UINT>(type);
  return reinterpret_cast<LRESULT>(old);
}

}  // namespace

namespace {

LRESULT ButtonProc(ButtonState& s, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  const UINT type = ButtonType(StyleOf(hwnd));

  switch (msg) {
    case WM_GETDLGCODE:
      return DialogCode(type);
    case WM_NCHITTEST:
      // Clicks on a group box go to what lies beneath it.
      if (type == BS_GROUPBOX) return HTTRANSPARENT;
      return DefWindowProcA(hwnd, msg, wp, lp);
    case WM_ENABLE:
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_SETTEXT:
      return SetShownText(hwnd, wp, lp);
    case WM_SETFONT:
      KeepFont(hwnd, &s.font, wp, lp);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(s.font);
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT:
      return PaintClient(hwnd, msg, wp, [&](HDC hdc) {
        if (type == BS_OWNERDRAW)
          DrawOwner(hwnd, s, hdc, ODA_DRAWENTIRE);
        else
          PaintButton(hwnd, s, hdc);
      });

    case WM_SETFOCUS: {
      s.focused = true;
      Redraw(hwnd, s, ODA_FOCUS);
      if (StyleOf(hwnd) & BS_NOTIFY) NotifyParent(hwnd, BN_SETFOCUS);
      if (type == BS_AUTORADIOBUTTON && !s.mouse_pressing && !s.tracking && s.check == BST_UNCHECKED &&
          HasFocus(hwnd))
        Click(hwnd);
      return 0;
    }
    case WM_KILLFOCUS:
      s.focused = false;
      CancelPress(hwnd, s);
      if (GetCapture() == hwnd) ReleaseCapture();
      Redraw(hwnd, s, ODA_FOCUS);
      if (StyleOf(hwnd) & BS_NOTIFY) NotifyParent(hwnd, BN_KILLFOCUS);
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lp) != hwnd) CancelPress(hwnd, s);
      return 0;

    case WM_LBUTTONDBLCLK:
      // Radio, user and owner-drawn buttons (and any with BS_NOTIFY) tell a double click;
      // the others take it as a second press.
      if ((StyleOf(hwnd) & BS_NOTIFY) || type == BS_RADIOBUTTON || type == BS_USERBUTTON || type == BS_OWNERDRAW) {
        NotifyParent(hwnd, BN_DOUBLECLICKED);
        return 0;
      }
      MouseDown(hwnd, s);
      return 0;
    case WM_LBUTTONDOWN:
      MouseDown(hwnd, s);
      return 0;
    case WM_MOUSEMOVE:
      if (s.tracking) SetPushed(hwnd, s, s.clicking || Inside(ClientRectOf(hwnd), PointOf(lp)));
      return 0;
    case WM_LBUTTONUP:
      MouseUp(hwnd, s, lp);
      return 0;
    case WM_KEYDOWN:
      if (wp == VK_SPACE && Clickable(type) && !s.tracking && !s.space_down) {
        s.space_down = true;
        SetPushed(hwnd, s, true);
        SetCapture(hwnd);
      }
      return 0;
    case WM_KEYUP:
      if (wp == VK_SPACE && s.space_down) {
        s.space_down = false;
        const bool was_pushed = s.pushed;
        SetPushed(hwnd, s, false);
        if (GetCapture() == hwnd) ReleaseCapture();
        if (was_pushed) Click(hwnd);
      }
      return 0;

    case BM_GETCHECK:
      return IsCheckable(type) ? s.check : BST_UNCHECKED;
    case BM_SETCHECK:
      return SetCheck(hwnd, s, wp);
    case BM_GETSTATE:
      return (IsCheckable(type) ? s.check : 0) | (s.pushed ? BST_PUSHED : 0) | (s.focused ? BST_FOCUS : 0);
    case BM_SETSTATE:
      SetPushed(hwnd, s, wp != 0);
      return 0;
    case BM_SETSTYLE:
      SetStyleBits(hwnd, BS_TYPEMASK, static_cast<DWORD>(wp));
      if (LOWORD(lp)) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case BM_CLICK:
      // A user's click: the press and release a mouse would make.
      if (!IsWindowEnabled(hwnd) || !Clickable(type)) return 0;
      s.clicking = true;
      SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, 0);
      SendMessageA(hwnd, WM_LBUTTONUP, 0, 0);
      if (auto still = States().Get(hwnd)) still->clicking = false;
      return 0;
    case BM_GETIMAGE:
      return wp == s.image_type ? reinterpret_cast<LRESULT>(s.image) : 0;
    case BM_SETIMAGE: {
      LRESULT old = SetImage(s, wp, lp);
      InvalidateRect(hwnd, nullptr, TRUE);
      return old;
    }
    default:
      return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

}  // namespace

LRESULT CALLBACK ButtonWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return RunControlProc(States(), hwnd, msg, wp, lp, NewRecord<ButtonState>, ButtonProc);
}

}  // namespace qvp::ui
