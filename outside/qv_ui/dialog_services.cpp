// Small services for the report dialogs: the progress bar that takes the
// report messages, window timers, a message pump step, TAB order and the
// tab pages' keyboard hook.
#include "qv_ui.h"

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

// The window system offers no keyboard hooks; the dialog's own keys (TAB, the
// arrows, mnemonics) work without one, and Ctrl+Tab is left to the tab control.
QV_API BOOL QVUI_SetKeyboardHook(HWND dialog, HWND tabControl) {
  return dialog != nullptr && tabControl != nullptr ? TRUE : FALSE;
}

QV_API void QVUI_RemoveKeyboardHook(HWND /*dialog*/) {}
