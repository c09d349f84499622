// The main panel's large-button toolbar: a child window across the top of the
// panel holding one push button per panel command. The panel enables and
// disables commands with message 3031 and asks with 3033; a pressed button
// sends the panel 3032 with its command.
#include <map>

#include "module_state.h"
#include "prd_exports.h"
#include "product_ids.h"

namespace {

constexpr int kBarHeight = 44;
constexpr int kButtonWidth = 70;  // eight buttons and their gaps fit the panel at its default size
constexpr int kButtonHeight = 36;
constexpr int kGap = 4;
constexpr int kGroupGap = 12;

struct BigButton {
  int command;
  const char* text;
  bool group_start;  // a wider gap before it
};

constexpr BigButton kButtons[] = {
    {CMD_NEW, "New", false},          {CMD_EDIT, "Edit", false},         {CMD_COPY, "Copy", false},
    {CMD_DELETE, "Delete", false},    {CMD_REPORT, "Report", true},      {CMD_SCHEDULE, "Schedule", false},
    {CMD_OPTIONS, "Options", true},   {CMD_HELP, "Help", false},
};

// The enabled state of every command the panel has named, buttons or not.
// A command never named counts as enabled.
struct BarState {
  std::map<int, bool> enabled;
};

BarState* StateOf(HWND bar) { return reinterpret_cast<BarState*>(GetWindowLongPtrA(bar, GWLP_USERDATA)); }

bool CreateButtons(HWND bar) {
  int x = kGap;
  for (const BigButton& b : kButtons) {
    if (b.group_start) x += kGroupGap;
    HWND button = CreateWindowExA(0, "BUTTON", b.text, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, x,
                                  (kBarHeight - kButtonHeight) / 2, kButtonWidth, kButtonHeight, bar,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(b.command)), ProductModule(), nullptr);
    if (button == nullptr) return false;
    SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    x += kButtonWidth + kGap;
  }
  return true;
}

LRESULT SetEnabled(HWND bar, bool enable, int command) {
  BarState* state = StateOf(bar);
  if (state == nullptr) return 0;
  state->enabled[command] = enable;
  HWND button = GetDlgItem(bar, command);
  if (button == nullptr) return 0;
  EnableWindow(button, enable ? TRUE : FALSE);
  return 1;
}

LRESULT IsEnabled(HWND bar, int command) {
  BarState* state = StateOf(bar);
  if (state == nullptr) return 0;
  auto it = state->enabled.find(command);
  return it == state->enabled.end() || it->second ? 1 : 0;
}

}  // namespace

LRESULT CALLBACK BigButtonsProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      SetWindowLongPtrA(bar, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new BarState));
      return CreateButtons(bar) ? 0 : -1;
    case WM_NCDESTROY:
      delete StateOf(bar);
      SetWindowLongPtrA(bar, GWLP_USERDATA, 0);
      break;
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED && IsEnabled(bar, LOWORD(wParam)) != 0) {
        SendMessageA(GetParent(bar), QV_TOOLBAR_COMMAND, LOWORD(wParam), 0);
      }
      return 0;
    case QV_TOOLBAR_ENABLE:
      return SetEnabled(bar, wParam != 0, static_cast<int>(lParam));
    case QV_TOOLBAR_IS_ENABLED:
      return IsEnabled(bar, static_cast<int>(lParam));
    default:
      break;
  }
  return DefWindowProcA(bar, message, wParam, lParam);
}

QV_API HWND PRD_CreateBigBtnToolbar(HWND panel, int id) {
  if (panel == nullptr || !IsWindow(panel) || !EnsureProductClasses()) return nullptr;
  RECT client;
  GetClientRect(panel, &client);
  return CreateWindowExA(0, kBigButtonsClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                         client.right - client.left, kBarHeight, panel,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ProductModule(), nullptr);
}

QV_API void PRD_DestroyBigBtnToolbar(HWND toolbar) {
  if (IsProductWindow(toolbar, kBigButtonsClass)) DestroyWindow(toolbar);
}
