// Small services for the report dialogs: the progress bar that takes the
// report messages, window timers, a message pump step, TAB order and the
// tab pages' keyboard hook.
#include "qv_ui.h"

#include <vector>

#include "qvplatform/ui_hooks.h"

namespace {

constexpr char kOldProcProperty[] = "QVUI_ProgressOldProc";

LRESULT CALLBACK ProgressProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto old = reinterpret_cast<WNDPROC>(GetPropA(window, kOldProcProperty));
  switch (message) {
    case QVUI_PROGRESS_SETRANGE:
      return CallWindowProcA(old, window, PBM_SETRANGE32, 0, static_cast<LPARAM>(wParam));
    case QVUI_PROGRESS_SETPOS:
      return CallWindowProcA(old, window, PBM_SETPOS, wParam, 0);
    case WM_NCDESTROY:
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
      RemovePropA(window, kOldProcProperty);
      break;
    default:
      break;
  }
  return CallWindowProcA(old, window, message, wParam, lParam);
}

}  // namespace

QV_API HWND QVUI_CreateProgressBar(HWND dialog, int itemId) {
  HWND item = GetDlgItem(dialog, itemId);
  if (item == nullptr) return nullptr;
  RECT place;
  GetWindowRect(item, &place);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
  HWND bar = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, place.left, place.top,
                             place.right - place.left, place.bottom - place.top, dialog, nullptr,
                             reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE)), nullptr);
  if (bar == nullptr) return nullptr;
  const LONG_PTR old = SetWindowLongPtrA(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ProgressProc));
  SetPropA(bar, kOldProcProperty, reinterpret_cast<HANDLE>(old));
  ShowWindow(item, SW_HIDE);
  return bar;
}

QV_API BOOL QVUI_SetTimerEx(HWND window, UINT id, UINT elapseMs) {
  return SetTimer(window, id, elapseMs, nullptr) != 0 ? TRUE : FALSE;
}

QV_API BOOL QVUI_KillTimerEx(HWND window, UINT id) { return KillTimer(window, id); }

QV_API BOOL QVUI_PumpMessages(HWND dialog) {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return FALSE;
    }
    if (dialog != nullptr && IsDialogMessageA(dialog, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return TRUE;
}

QV_API BOOL QVUI_SetTabOrder(HWND dialog, const int* ids, int count) {
  if (dialog == nullptr || ids == nullptr) return FALSE;
  HWND previous = nullptr;
  for (int i = 0; i < count; ++i) {
    HWND control = GetDlgItem(dialog, ids[i]);
    if (control == nullptr) continue;
    if (previous != nullptr) {
      SetWindowPos(control, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    previous = control;
  }
  return TRUE;
}

// The tab pages' keyboard hook: one message filter of the thread serves every
// dialog that asked for it. Ctrl+Tab and Ctrl+PgDn go to the next tab page,
// Ctrl+Shift+Tab and Ctrl+PgUp to the previous one, wrapping around, with the
// notifications a click on the tab gives.
namespace {

struct TabbedDialog {
  HWND dialog;
  HWND tabs;
};

struct TabKeys {
  HHOOK hook = nullptr;
  std::vector<TabbedDialog> dialogs;
};

thread_local TabKeys t_tab_keys;

LRESULT Notify(HWND tabs, UINT code) {
  NMHDR header{};
  header.hwndFrom = tabs;
  header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(tabs));
  header.code = code;
  return SendMessageA(GetParent(tabs), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

// Moves the tab control one page on (or back), as a click on that tab would.
void TurnPage(HWND tabs, bool back) {
  const int count = static_cast<int>(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
  if (count < 2) return;
  const int current = static_cast<int>(SendMessageA(tabs, TCM_GETCURSEL, 0, 0));
  const int next = current < 0 ? 0 : (current + (back ? count - 1 : 1)) % count;
  if (Notify(tabs, TCN_SELCHANGING) != 0) return;  // the dialog refuses to leave its page
  SendMessageA(tabs, TCM_SETCURSEL, static_cast<WPARAM>(next), 0);
  Notify(tabs, TCN_SELCHANGE);
}

bool IsPageKey(const MSG& message) {
  if (message.message != WM_KEYDOWN || !(GetKeyState(VK_CONTROL) & 0x8000)) return false;
  return message.wParam == VK_TAB || message.wParam == VK_NEXT || message.wParam == VK_PRIOR;
}

LRESULT CALLBACK TabKeysFilter(int code, WPARAM wParam, LPARAM lParam) {
  const HHOOK self = t_tab_keys.hook;
  const auto* message = reinterpret_cast<const MSG*>(lParam);
  if (code == MSGF_DIALOGBOX && message != nullptr && IsPageKey(*message)) {
    for (const TabbedDialog& entry : t_tab_keys.dialogs) {
      if (message->hwnd != entry.dialog && !IsChild(entry.dialog, message->hwnd)) continue;
      if (!IsWindowEnabled(entry.dialog) || !IsWindow(entry.tabs)) break;
      const bool back = message->wParam == VK_PRIOR ||
                        (message->wParam == VK_TAB && (GetKeyState(VK_SHIFT) & 0x8000));
      TurnPage(entry.tabs, back);
      return 1;
    }
  }
  return CallNextHookEx(self, code, wParam, lParam);
}

}  // namespace

QV_API BOOL QVUI_SetKeyboardHook(HWND dialog, HWND tabControl) {
  if (dialog == nullptr || tabControl == nullptr || !IsWindow(dialog) || !IsWindow(tabControl)) return FALSE;
  TabKeys& keys = t_tab_keys;
  if (keys.hook == nullptr) {
    keys.hook = SetWindowsHookExA(WH_MSGFILTER, TabKeysFilter, nullptr, GetCurrentThreadId());
    if (keys.hook == nullptr) return FALSE;
  }
  for (TabbedDialog& entry : keys.dialogs) {
    if (entry.dialog == dialog) {
      entry.tabs = tabControl;
      return TRUE;
    }
  }
  keys.dialogs.push_back(TabbedDialog{dialog, tabControl});
  return TRUE;
}

QV_API void QVUI_RemoveKeyboardHook(HWND dialog) {
  TabKeys& keys = t_tab_keys;
  std::erase_if(keys.dialogs, [dialog](const TabbedDialog& entry) { return entry.dialog == dialog; });
  if (keys.dialogs.empty() && keys.hook != nullptr) {
    UnhookWindowsHookEx(keys.hook);
    keys.hook = nullptr;
  }
}
