// DefDlgProcA: the dialog class's window procedure. It gives every message to
// the dialog procedure first (DWL_DLGPROC) and does the dialog manager's part
// with those the procedure leaves.
#include "qvplatform.h"
#include "qvplatform/gdi_text.h"
#include "ui/dialog_state.h"
#include "ui/last_error.h"
#include "ui/window_state.h"

namespace qvp::ui {
namespace {

bool IsPushButton(HWND h) {
  return (SendMessageA(h, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0;
}

// The push button that looks like the default one now, if any.
HWND VisualDefault(HWND dlg) {
  for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if (SendMessageA(c, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON) return c;
  return nullptr;
}

// Makes `button` look like the default push button (null: the DM_SETDEFID one).
void ShowAsDefault(HWND dlg, HWND button) {
  if (!button) {
    LRESULT def = DefaultId(dlg);
    if (HIWORD(def) == DC_HASDEFID) button = GetDlgItem(dlg, LOWORD(def));
    if (button && !IsPushButton(button)) button = nullptr;
  }
  HWND now = VisualDefault(dlg);
  if (now && now != button) SendMessageA(now, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
  if (button && button != now) SendMessageA(button, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

// The control keeping the focus inside the dialog: the saved one, else the first tab stop.
HWND FocusTarget(HWND dlg) {
  DialogInfo info;
  if (GetDialog(dlg, &info) && info.saved_focus && IsChild(dlg, info.saved_focus) &&
      IsWindowVisible(info.saved_focus) && IsWindowEnabled(info.saved_focus))
    return info.saved_focus;
  return GetNextDlgTabItem(dlg, nullptr, FALSE);
}

void SaveFocus(HWND dlg) {
  HWND focus = GetFocus();
  if (focus && IsChild(dlg, focus)) UpdateDialog(dlg, [&](DialogInfo& i) { i.saved_focus = focus; });
}

LRESULT NextControl(HWND dlg, WPARAM wp, LPARAM lp) {
  HWND target;
  if (LOWORD(lp)) {
    target = reinterpret_cast<HWND>(wp);  // a given control
  } else {
    HWND focus = GetFocus();
    if (focus && !IsChild(dlg, focus)) focus = nullptr;
    target = GetNextDlgTabItem(dlg, focus, wp != 0);
  }
  if (target) DialogFocus(dlg, target);
  return 0;
}

INT_PTR CallDialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  auto proc = reinterpret_cast<DLGPROC>(GetWindowLongPtrA(dlg, DWL_DLGPROC));
  return proc ? proc(dlg, msg, wp, lp) : 0;
}

// Messages whose answer is the dialog procedure's return value itself, not DWL_MSGRESULT.
bool AnswersDirectly(UINT msg) {
  switch (msg) {
    case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC: case WM_COMPAREITEM:
    case WM_VKEYTOITEM: case WM_CHARTOITEM: case WM_QUERYDRAGICON: case WM_INITDIALOG:
      return true;
    default:
      return false;
  }
}

LRESULT DialogDefault(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND: {
      auto brush = reinterpret_cast<HBRUSH>(SendMessageA(dlg, WM_CTLCOLORDLG, wp, reinterpret_cast<LPARAM>(dlg)));
      if (!brush) brush = GetSysColorBrush(COLOR_3DFACE);
      RECT r;
      GetClientRect(dlg, &r);
      FillRect(reinterpret_cast<HDC>(wp), &r, brush);
      return TRUE;
    }
    case WM_CLOSE: {
      // Closing is cancelling: the Cancel button is pressed, unless it is disabled.
      HWND cancel = GetDlgItem(dlg, IDCANCEL);
      if (cancel && !IsWindowEnabled(cancel))
        MessageBeep(0);
      else
        PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wp) == WA_INACTIVE)
        SaveFocus(dlg);
      else if (HWND target = FocusTarget(dlg))
        DialogFocus(dlg, target);
      else
        SetFocus(dlg);
      return 0;
    case WM_SETFOCUS:
      if (HWND target = FocusTarget(dlg)) DialogFocus(dlg, target);
      return 0;
    case WM_SHOWWINDOW:
      if (!wp) SaveFocus(dlg);
      return DefWindowProcA(dlg, msg, wp, lp);
    case WM_NEXTDLGCTL:
      return NextControl(dlg, wp, lp);
    case DM_GETDEFID:
      return DefaultId(dlg);
    case DM_SETDEFID:
      UpdateDialog(dlg, [&](DialogInfo& i) { i.def_id = static_cast<UINT>(wp); });
      ShowAsDefault(dlg, nullptr);
      return TRUE;
    case WM_SETFONT:
      UpdateDialog(dlg, [&](DialogInfo& i) { i.font = reinterpret_cast<HFONT>(wp); });
      return 0;
    case WM_GETFONT: {
      DialogInfo info;
      return GetDialog(dlg, &info) ? reinterpret_cast<LRESULT>(info.font) : 0;
    }
    case WM_NCDESTROY: {
      DialogInfo info = RemoveDialog(dlg);
      if (info.owns_font && info.font) DeleteObject(info.font);
      return DefWindowProcA(dlg, msg, wp, lp);
    }
    default:
      return DefWindowProcA(dlg, msg, wp, lp);
  }
}

}  // namespace

LRESULT DefaultId(HWND dlg) {
  DialogInfo info;
  if (!GetDialog(dlg, &info) || info.def_id == 0) return 0;
  return MAKELRESULT(info.def_id, DC_HASDEFID);
}

void DialogFocus(HWND dlg, HWND control) {
  LRESULT code = SendMessageA(control, WM_GETDLGCODE, 0, 0);
  if (code & DLGC_HASSETSEL) SendMessageA(control, EM_SETSEL, 0, -1);
  if (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))
    ShowAsDefault(dlg, control);
  else
    ShowAsDefault(dlg, nullptr);
  SetFocus(control);
}

}  // namespace qvp::ui

using namespace qvp::ui;

LRESULT WINAPI DefDlgProcA(HWND hDlg, UINT Msg, WPARAM wParam, LPARAM lParam) {
  if (!IsWindow(hDlg)) {
    SetError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  DialogInfo known;
  if (!GetDialog(hDlg, &known) && Msg != WM_NCDESTROY) {
    // A dialog-class window made with CreateWindowEx: it gets the system font's units.
    known.base = qvp::FontDialogBaseUnits(nullptr);
    AddDialog(hDlg, known);
  }
  INT_PTR handled = CallDialogProc(hDlg, Msg, wParam, lParam);
  if (AnswersDirectly(Msg) && (handled || Msg == WM_INITDIALOG)) return handled;
  if (handled) return IsWindow(hDlg) ? GetWindowLongPtrA(hDlg, DWL_MSGRESULT) : 0;
  if (!IsWindow(hDlg)) return 0;
  return DialogDefault(hDlg, Msg, wParam, lParam);
}
