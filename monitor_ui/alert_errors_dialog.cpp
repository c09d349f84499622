// "Alert Errors": the modeless window that shows the alerts that could not be
// delivered. Made hidden with the plug-in; the first error row shows it.
#include <ctime>

#include "monitor_ui.h"
#include "page_common.h"
#include "qv_ui.h"
#include "status_message.h"

namespace {

constexpr int kList = 1157;
constexpr int kClear = 2;

int g_rows = 0;

void AddColumn(HWND list, int index, const char* title, int width) {
  LVCOLUMNA column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  column.cx = width;
  column.pszText = const_cast<char*>(title);
  column.iSubItem = index;
  SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

void SetCell(HWND list, int row, int column, const char* text) {
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = const_cast<char*>(text);
  SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void OnInit(HWND dialog) {
  g_rows = 0;
  HWND list = GetDlgItem(dialog, kList);
  RECT client{};
  GetClientRect(list, &client);
  const int fifth = (client.right - client.left) / 5;
  AddColumn(list, 0, "Timestamp", fifth);
  AddColumn(list, 1, "Profile Name", fifth);
  AddColumn(list, 2, "Alert Type", fifth);
  AddColumn(list, 3, "Status", client.right - client.left - 3 * fifth);
  QVUI_CenterDialog(dialog);
}

void AddRow(HWND dialog, UINT message, const CStatusMessage* record) {
  if (record == nullptr || record->code != kStatusError) return;
  if (!IsWindowVisible(dialog)) {
    QVUI_CenterDialog(dialog);
    ShowWindow(dialog, SW_SHOW);
    SetFocus(dialog);
  }
  HWND list = GetDlgItem(dialog, kList);
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[16];
  std::snprintf(stamp, sizeof stamp, "%02u:%02u:%02u", static_cast<unsigned>(local.tm_hour),
                static_cast<unsigned>(local.tm_min), static_cast<unsigned>(local.tm_sec));
  LVITEMA item{};
  item.mask = LVIF_TEXT;
  item.iItem = g_rows;
  item.pszText = stamp;
  const int row = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  if (row < 0) return;
  ++g_rows;
  SetCell(list, row, 1, record->profileName[0] != '\0' ? record->profileName : "Unknown Profile");
  SetCell(list, row, 2, message == kStatusMessageEmail   ? "EMAIL"
                        : message == kStatusMessageAudio ? "AUDIO"
                                                         : "PAGER");
  SetCell(list, row, 3, record->text);
  LVITEMA state{};
  state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
  SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

}  // namespace

INT_PTR CALLBACK AlertErrorsDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInit(dialog);
      return TRUE;
    case kStatusMessageEmail:
    case kStatusMessageAudio:
    case kStatusMessagePager:
      AddRow(dialog, message, reinterpret_cast<const CStatusMessage*>(lParam));
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          ShowWindow(dialog, SW_HIDE);
          return TRUE;
        case kClear:
          SendDlgItemMessageA(dialog, kList, LVM_DELETEALLITEMS, 0, 0);
          g_rows = 0;
          return TRUE;
        case IDHELP:
          ShowHelp(dialog, 0, HELP_INDEX);
          return TRUE;
        default:
          return FALSE;
      }
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) {
        ShowWindow(dialog, SW_HIDE);
        return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      ShowWindow(dialog, SW_HIDE);
      return TRUE;
    default:
      return FALSE;
  }
}
