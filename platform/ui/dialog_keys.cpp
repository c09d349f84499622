// IsDialogMessageA: the dialog manager's keyboard interface (Tab, arrows,
// Enter, Esc and mnemonics) for modal and modeless dialogs.
#include <cctype>
#include <string>
#include <vector>

#include "qvplatform/ui_hooks.h"
#include "ui/dialog_state.h"

namespace qvp::ui {
namespace {

LRESULT CodeOf(HWND h, const MSG* msg) {
  return SendMessageA(h, WM_GETDLGCODE, msg ? msg->wParam : 0, reinterpret_cast<LPARAM>(msg));
}

void Press(HWND dlg, HWND button) {
  SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void Enter(HWND dlg, HWND focus, LRESULT code) {
  if (focus && (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) && IsWindowEnabled(focus)) {
    Press(dlg, focus);  // a focused push button is the one Enter presses
    return;
  }
  LRESULT def = SendMessageA(dlg, DM_GETDEFID, 0, 0);
  if (HIWORD(def) == DC_HASDEFID) {
    HWND button = GetDlgItem(dlg, LOWORD(def));
    if (!button || IsWindowEnabled(button))
      SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(LOWORD(def), BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return;
  }
  SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDOK)));
}

char MnemonicOf(HWND h) {
  char text[256] = {};
  GetWindowTextA(h, text, sizeof(text));
  for (const char* p = text; *p; ++p) {
    if (*p != '&') continue;
    if (p[1] == '&') {
      ++p;
      continue;
    }
    return static_cast<char>(std::tolower(static_cast<unsigned char>(p[1])));
  }
  return 0;
}

// Alt+letter (or a plain letter where the focused control takes no characters):
// the control whose text underlines the letter gets the focus, a button is pressed.
bool Mnemonic(HWND dlg, WPARAM ch) {
  char want = static_cast<char>(std::tolower(static_cast<int>(ch & 0xFF)));
  if (!want) return false;
  std::vector<HWND> controls;
  for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) controls.push_back(c);
  HWND focus = GetFocus();
  size_t start = 0;
  for (size_t i = 0; i < controls.size(); ++i)
    if (controls[i] == focus) start = i + 1;
  for (size_t k = 0; k < controls.size(); ++k) {
    HWND c = controls[(start + k) % controls.size()];
    if (!IsWindowVisible(c) || !IsWindowEnabled(c) || MnemonicOf(c) != want) continue;
    LRESULT code = CodeOf(c, nullptr);
    if (code & DLGC_STATIC) {
      HWND next = GetNextDlgTabItem(dlg, c, FALSE);
      if (next) DialogFocus(dlg, next);
    } else if (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) {
      DialogFocus(dlg, c);
      Press(dlg, c);
    } else if (code & (DLGC_BUTTON | DLGC_RADIOBUTTON)) {
      DialogFocus(dlg, c);
      SendMessageA(c, BM_CLICK, 0, 0);
    } else {
      DialogFocus(dlg, c);
    }
    return true;
  }
  return false;
}

}  // namespace
}  // namespace qvp::ui

using namespace qvp::ui;

BOOL WINAPI IsDialogMessageA(HWND hDlg, LPMSG lpMsg) {
  if (!lpMsg) return FALSE;
  // The thread's message filters see the message first and may take it.
  if (CallMsgFilterA(lpMsg, MSGF_DIALOGBOX)) return TRUE;
  if (!hDlg || !IsWindow(hDlg)) return FALSE;
  if (lpMsg->hwnd != hDlg && !IsChild(hDlg, lpMsg->hwnd)) return FALSE;
  switch (lpMsg->message) {
    case WM_KEYDOWN: {
      LRESULT code = CodeOf(lpMsg->hwnd, lpMsg);
      if (code & DLGC_WANTMESSAGE) break;
      switch (lpMsg->wParam) {
        case VK_TAB:
          if (code & DLGC_WANTTAB) break;
          SendMessageA(hDlg, WM_NEXTDLGCTL, (GetKeyState(VK_SHIFT) & 0x8000) ? 1 : 0, 0);
          return TRUE;
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN: {
          if (code & DLGC_WANTARROWS) break;
          HWND focus = GetFocus();
          HWND next = GetNextDlgGroupItem(hDlg, focus, lpMsg->wParam == VK_LEFT || lpMsg->wParam == VK_UP);
          if (next && next != focus) {
            LRESULT next_code = CodeOf(next, nullptr);
            DialogFocus(hDlg, next);
            // An automatic radio button checks itself when it gains the focus; click only one
            // that is still unchecked, so the parent hears a single BN_CLICKED.
            if ((next_code & DLGC_RADIOBUTTON) && SendMessageA(next, BM_GETCHECK, 0, 0) != BST_CHECKED)
              SendMessageA(next, BM_CLICK, 0, 0);
          }
          return TRUE;
        }
        case VK_ESCAPE:
        case VK_CANCEL: {
          HWND cancel = GetDlgItem(hDlg, IDCANCEL);
          if (!cancel || IsWindowEnabled(cancel))
            SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
          return TRUE;
        }
        case VK_RETURN:
        case VK_EXECUTE:
          Enter(hDlg, GetFocus(), code);
          return TRUE;
        default:
          break;
      }
      break;
    }
    case WM_CHAR: {
      LRESULT code = CodeOf(lpMsg->hwnd, lpMsg);
      if (code & (DLGC_WANTCHARS | DLGC_WANTMESSAGE)) break;
      if (lpMsg->wParam == '\t' && (code & DLGC_WANTTAB)) break;
      if (lpMsg->wParam == '\t' || lpMsg->wParam == '\r' || lpMsg->wParam == 0x1B) return TRUE;
      if (Mnemonic(hDlg, lpMsg->wParam)) return TRUE;
      break;
    }
    case WM_SYSCHAR:
      if (Mnemonic(hDlg, lpMsg->wParam)) return TRUE;
      break;
    default:
      break;
  }
  TranslateMessage(lpMsg);
  DispatchMessageA(lpMsg);
  return TRUE;
}
