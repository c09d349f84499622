// The options window's child property sheet: a modeless sheet inside a frame,
// applied and cancelled by commands the frame sends it.
#include "qv_ui.h"

namespace {

constexpr char kOldProcedure[] = "QVUI_SheetProc";

// The caller's own creation callback while its sheet is being made.
thread_local PFNPROPSHEETCALLBACK t_callerCallback = nullptr;

int CALLBACK ChildSheetCallback(HWND window, UINT message, LPARAM lParam) {
  if (message == PSCB_PRECREATE && lParam != 0) {
    auto* dialog = reinterpret_cast<DLGTEMPLATE*>(lParam);
    dialog->style = (dialog->style & ~(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_MODALFRAME)) |
                    WS_CHILD | DS_CONTROL;
  }
  return t_callerCallback != nullptr ? t_callerCallback(window, message, lParam) : 0;
}

LRESULT NotifyPage(HWND sheet, HWND page, UINT code, LPARAM lParam) {
  PSHNOTIFY notify{};
  notify.hdr.hwndFrom = sheet;
  notify.hdr.code = code;
  notify.lParam = lParam;
  return SendMessageA(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify));
}

int PageCount(HWND sheet) {
  auto tabs = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
  return tabs != nullptr ? static_cast<int>(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0)) : 0;
}

HWND PageWindow(HWND sheet, int index) {
  return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_INDEXTOHWND, static_cast<WPARAM>(index), 0));
}

// Non-zero when a page refused.
LRESULT ApplyPages(HWND sheet) {
  if (auto current = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0))) {
    if (NotifyPage(sheet, current, PSN_KILLACTIVE, 0) != 0) return 1;
  }
  const int count = PageCount(sheet);
  for (int i = 0; i < count; ++i) {
    HWND page = PageWindow(sheet, i);
    if (page == nullptr || !IsWindow(page)) continue;  // never shown: nothing to apply
    const LRESULT answer = NotifyPage(sheet, page, PSN_APPLY, TRUE);
    if (answer == PSNRET_INVALID) {
      SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(i), 0);
      return 1;
    }
    if (answer == PSNRET_INVALID_NOCHANGEPAGE) return 1;
  }
  return 0;
}

void ResetPages(HWND sheet) {
  const int count = PageCount(sheet);
  for (int i = 0; i < count; ++i) {
    HWND page = PageWindow(sheet, i);
    if (page != nullptr && IsWindow(page)) NotifyPage(sheet, page, PSN_RESET, FALSE);
  }
}

bool IsFramesCommand(HWND sheet, LPARAM lParam) {
  auto control = reinterpret_cast<HWND>(lParam);
  return control == nullptr || GetParent(control) == sheet;
}

LRESULT CALLBACK ChildSheetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto old = reinterpret_cast<WNDPROC>(GetPropA(window, kOldProcedure));
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED && IsFramesCommand(window, lParam)) {
    if (LOWORD(wParam) == IDOK) return ApplyPages(window);
    if (LOWORD(wParam) == IDCANCEL) {
      ResetPages(window);
      return 0;
    }
  }
  if (message == WM_NCDESTROY) {
    RemovePropA(window, kOldProcedure);
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
  }
  return old != nullptr ? CallWindowProcA(old, window, message, wParam, lParam)
                        : DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

QV_API HWND QVUI_PropertySheet(const PROPSHEETHEADERA* header) {
  if (header == nullptr || header->hwndParent == nullptr) return nullptr;
  PROPSHEETHEADERA sheetHeader = *header;
  sheetHeader.dwFlags |= PSH_MODELESS | PSH_USECALLBACK;
  t_callerCallback = (header->dwFlags & PSH_USECALLBACK) ? header->pfnCallback : nullptr;
  sheetHeader.pfnCallback = ChildSheetCallback;
  const INT_PTR made = PropertySheetA(&sheetHeader);
  t_callerCallback = nullptr;
  auto sheet = reinterpret_cast<HWND>(made);
  if (made == -1 || sheet == nullptr || !IsWindow(sheet)) return nullptr;
  // The frame has the buttons.
  for (int id : {IDOK, IDCANCEL, ID_APPLY_NOW, IDHELP}) {
    if (HWND button = GetDlgItem(sheet, id)) ShowWindow(button, SW_HIDE);
  }
  SetWindowPos(sheet, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  const LONG_PTR old = SetWindowLongPtrA(sheet, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ChildSheetProc));
  SetPropA(sheet, kOldProcedure, reinterpret_cast<HANDLE>(old));
  return sheet;
}
