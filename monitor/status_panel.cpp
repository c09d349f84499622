// The status panel inside the program's main panel.
#include "status_panel.h"

#include <atomic>
#include <cstring>

#include "alert_plugin.h"
#include "clock_text.h"
#include "device_list.h"
#include "monitor_resources.h"
#include "plugin_globals.h"
#include "qv_ui.h"

namespace {

std::atomic<HWND> g_panel{nullptr};
std::atomic<CMonitorProfile*> g_profile{nullptr};
HFONT g_boldFont = nullptr;

constexpr char kNotAvailable[] = "n/a";

void ShowProfile(HWND dialog, const PROFILE* row) {
  CAlertPlugin* plugin = ThePlugin();
  CMonitorProfile* profile = plugin != nullptr && row != nullptr ? plugin->FindLoadedProfile(row->key) : nullptr;
  g_profile.store(profile);
  const char* description = profile != nullptr ? profile->GetDescription() : "";
  SetDlgItemTextA(dialog, IDC_PANEL_DESCRIPTION, description[0] != '\0' ? description : kNotAvailable);

  DeviceList* devices = plugin != nullptr ? plugin->GetDeviceList() : nullptr;
  DeviceStatus status;
  if (devices != nullptr && devices->IsAlertingDisabled()) {
    SetDlgItemTextA(dialog, IDC_PANEL_STATUS, "Alerting System is Disabled");
  } else if (devices != nullptr && profile != nullptr && devices->GetDeviceStatus(profile, &status)) {
    SetDlgItemTextA(dialog, IDC_PANEL_STATUS, status.statusText);
  } else {
    SetDlgItemTextA(dialog, IDC_PANEL_STATUS, kNotAvailable);
  }
}

// The shown profile's status and the clock time of its next test ("n/a"
// before the first test).
void ShowDeviceStatus(HWND dialog) {
  CAlertPlugin* plugin = ThePlugin();
  DeviceList* devices = plugin != nullptr ? plugin->GetDeviceList() : nullptr;
  CMonitorProfile* profile = g_profile.load();
  DeviceStatus status;
  if (devices == nullptr || profile == nullptr || !devices->GetDeviceStatus(profile, &status)) return;
  SetDlgItemTextA(dialog, IDC_PANEL_STATUS, status.statusText);
  char next[32];
  CalendarText(status.nextDueTime, next);
  const char* colon = std::strchr(next, ':');
  if (status.lastTestTick == 0 || colon == nullptr || colon - next < 2) {
    SetDlgItemTextA(dialog, IDC_PANEL_NEXT_TEST, kNotAvailable);
    return;
  }
  char clock[9];
  lstrcpynA(clock, colon - 2, sizeof clock);
  SetDlgItemTextA(dialog, IDC_PANEL_NEXT_TEST, clock);
}

}  // namespace

INT_PTR CALLBACK StatusPanelDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      g_boldFont = QVUI_GetBoldFaceFont(dialog);
      for (int id : {IDC_PANEL_PROFILE_LABEL, IDC_PANEL_STATUS_LABEL, IDC_PANEL_NEXT_LABEL}) {
        SendDlgItemMessageA(dialog, id, WM_SETFONT, reinterpret_cast<WPARAM>(g_boldFont), FALSE);
      }
      SetWindowPos(dialog, nullptr, 2, 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      return TRUE;
    case kShowPanelProfile:
      ShowProfile(dialog, reinterpret_cast<const PROFILE*>(lParam));
      return TRUE;
    case kShowPanelStatus:
      ShowDeviceStatus(dialog);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_PANEL_REPORT) {
        MessageBoxA(dialog, "HTML Report Generator", "Alert", MB_OK);
        return TRUE;
      }
      return FALSE;
    case WM_DESTROY:
      if (g_boldFont != nullptr) DeleteObject(g_boldFont);
      g_boldFont = nullptr;
      g_profile.store(nullptr);
      g_panel.store(nullptr);
      return FALSE;
    default:
      return FALSE;
  }
}

bool UpdateStatusPanel(HWND parent, PROFILE* selected, int mode) {
  HWND panel = g_panel.load();
  if (panel == nullptr || !IsWindow(panel)) {
    panel = CreateDialogParamA(PluginInstance(), MAKEINTRESOURCEA(IDD_STATUS_PANEL), parent, StatusPanelDlg, 0);
    if (panel == nullptr) return false;
    g_panel.store(panel);
  }
  SendMessageA(panel, kShowPanelProfile, 0, reinterpret_cast<LPARAM>(selected));
  if (mode == PANEL_SHOW) ShowWindow(panel, SW_SHOWNA);
  if (mode == PANEL_HIDE) ShowWindow(panel, SW_HIDE);
  InvalidateRect(panel, nullptr, TRUE);
  UpdateWindow(panel);
  return true;
}

void DestroyStatusPanel() {
  HWND panel = g_panel.load();
  if (panel != nullptr && IsWindow(panel)) DestroyWindow(panel);
  g_panel.store(nullptr);
  g_profile.store(nullptr);
}

HWND StatusPanelWindow() { return g_panel.load(); }

CMonitorProfile* StatusPanelProfile() { return g_profile.load(); }

void ForgetStatusPanelProfile(const CMonitorProfile* profile) {
  if (profile == nullptr || g_profile.load() != profile) return;
  g_profile.store(nullptr);
  HWND panel = g_panel.load();
  if (panel != nullptr && IsWindow(panel)) ShowProfile(panel, nullptr);
}
