// The plug-in's options pages: "General" (worker threads, switching
// monitoring off, alert retries, startup alerts, maintenance) and "Auto
// Report" (the background summary report).
#include <cstdio>
#include <string>

#include "alert_plugin.h"
#include "alert_queues.h"
#include "alert_runtime.h"
#include "engine_instance.h"
#include "monitor_engine.h"
#include "monitor_ui.h"
#include "page_common.h"
#include "plugin_globals.h"
#include "plugin_helpers.h"
#include "qv_logstat.h"
#include "qv_ui.h"
#include "report_targets.h"

namespace {

// ---- General ----
constexpr int kDisable = 1017;
constexpr int kThreads = 1030;
constexpr int kThreadsSpin = 1031;
constexpr int kRetries = 1034;
constexpr int kRetriesSpin = 1035;
constexpr int kClearAlerts = 1120;
constexpr int kFlushLogs = 1029;
constexpr int kStartupAlerts = 1018;

unsigned MaxThreads() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  return GetVersionExA(&version) && version.dwPlatformId == 2 ? 100u : 25u;
}

const char* IniPath() {
  CAlertPlugin* plugin = ThePlugin();
  return plugin != nullptr ? plugin->GetIniPath() : "";
}

void InitGeneral(HWND page) {
  BoldControls(page, {1129, 1130, 1133, 1131, 1134});
  SendDlgItemMessageA(page, kThreads, EM_LIMITTEXT, 80, 0);
  char threads[81] = {};
  GetPrivateProfileStringA("General", "Thread", "10", threads, sizeof threads, IniPath());
  SetDlgItemTextA(page, kThreads, threads);
  MonitorEngine* engine = RunningMonitorEngine();
  const bool disabled = engine != nullptr ? engine->IsAlertingDisabled()
                                          : ReadProfileInt("General", "DisableAlertModule", 0, IniPath()) != 0;
  SetChecked(page, kDisable, disabled);
  CAlertPlugin* plugin = ThePlugin();
  SetChecked(page, kStartupAlerts, plugin != nullptr && plugin->GetGenerateStartupAlerts());
  char retries[16];
  std::snprintf(retries, sizeof retries, "%d", plugin != nullptr ? plugin->GetAlertRetryCount() : 3);
  SetDlgItemTextA(page, kRetries, retries);
}

INT_PTR ApplyGeneral(HWND page) {
  const unsigned maximum = MaxThreads();
  const std::string typed = ControlText(page, kThreads, 80);
  const long threads = ControlNumber(page, kThreads);
  if (typed.empty() || threads < 1 || static_cast<unsigned long>(threads) > maximum) {
    char text[80];
    std::snprintf(text, sizeof text, "Number of threads must be between 1 and %u", maximum);
    MessageBoxA(page, text, "Bad Value", MB_OK);
    return Answer(page, 2);
  }
  char value[16];
  std::snprintf(value, sizeof value, "%u", static_cast<unsigned>(threads));
  WritePrivateProfileStringA("General", "Thread", value, IniPath());
  MonitorEngine* engine = RunningMonitorEngine();
  if (engine != nullptr) engine->SetThreadSetting(static_cast<int>(threads));
  const bool disable = IsChecked(page, kDisable);
  WritePrivateProfileStringA("General", "DisableAlertModule", disable ? "1" : "0", IniPath());
  if (engine != nullptr) {
    engine->SetAlertingEnabled(disable ? 0 : 1);
  } else {
    SetAlertingDisabled(disable);
  }
  CAlertPlugin* plugin = ThePlugin();
  const int retries = static_cast<int>(ControlNumber(page, kRetries));
  SetAlertRetryCount(retries);
  if (plugin != nullptr) plugin->SetAlertRetryCount(retries);
  WriteProfileInt("General", "AlertRetryCount", retries, IniPath());
  const bool startup = IsChecked(page, kStartupAlerts);
  if (plugin != nullptr) plugin->SetGenerateStartupAlerts(startup);
  if (engine != nullptr) engine->SetStartupAlerts(startup);
  WriteProfileInt("General", "GenerateStartupAlerts", startup ? 1 : 0, IniPath());
  if (auto refresh = reinterpret_cast<PFN_HostRequestRefresh>(HostCallback(HC_REQUEST_REFRESH))) refresh(1, 0, 0);
  return Answer(page, 0);
}

void FlushAllLogs(HWND page) {
  if (MessageBoxA(page, "Are you sure you want to clear all log files?", "Clear Log Files", MB_YESNO) != IDYES) return;
  const std::string log = std::string(PluginLocalDirectory()) + "qvm_alrt\\qvm_alrt.log";
  QVLS_DeleteLogStatusFile(log.c_str());
  if (MonitorEngine* engine = RunningMonitorEngine()) engine->RestartStatusLog();
}

void ClearPendingAlerts(HWND page) {
  if (MessageBoxA(page, "Are you sure you want to clear all pending Alerts?", "Clear Alerts", MB_YESNO) != IDYES) {
    return;
  }
  const AlertQueues queues = GetAlertQueues();
  if (queues.pager != nullptr) queues.pager->Purge();
  if (queues.email != nullptr) queues.email->Purge();
  if (queues.audio != nullptr) queues.audio->Purge();
}

// ---- Auto Report ----
constexpr int kGenerate = 1017;
constexpr int kReportList = 9085;
constexpr int kSaveAs = 1021;
constexpr int kBrowse = 1126;
constexpr int kEvery = 1127;
constexpr int kEverySpin = 1128;
constexpr int kUnit = 1118;
constexpr UINT kInitSaveTo = 1034;
constexpr UINT kQueryState = 4025;
constexpr int kUnitMinutes[] = {1, 60, 1440};

std::string g_saveTo;

void AutoReportStates(HWND page) {
  const bool on = IsChecked(page, kGenerate);
  for (int id : {1131, kReportList, 1129, kSaveAs, kBrowse, 1130, kEvery, kEverySpin, kUnit}) {
    EnableWindow(GetDlgItem(page, id), on);
  }
}

void InitAutoReport(HWND page) {
  BoldControls(page, {1147});
  const char* ini = IniPath();
  char generate[16] = {};
  GetPrivateProfileStringA("AutoReport", "GenerateReport", "0", generate, sizeof generate, ini);
  SetChecked(page, kGenerate, generate[0] == '1');
  const int every = ReadProfileInt("AutoReport", "SaveEvery", 1, ini);
  // The largest unit that divides the interval exactly, so that an unchanged
  // apply writes the same number of minutes back.
  int unit = 0;
  if (every > 0 && every % 1440 == 0) {
    unit = 2;
  } else if (every > 0 && every % 60 == 0) {
    unit = 1;
  }
  HWND units = GetDlgItem(page, kUnit);
  SendMessageA(units, CB_RESETCONTENT, 0, 0);
  for (const char* name : {"minutes", "hours", "days"}) SendMessageA(units, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
  SendMessageA(units, CB_SETCURSEL, static_cast<WPARAM>(unit), 0);
  SendDlgItemMessageA(page, kEvery, EM_LIMITTEXT, 5, 0);
  SetControlNumber(page, kEvery, every > 0 ? every / kUnitMinutes[unit] : 1);
  char saveAs[MAX_PATH] = {};
  GetPrivateProfileStringA("AutoReport", "SaveAs", "", saveAs, sizeof saveAs, ini);
  SendDlgItemMessageA(page, kSaveAs, EM_LIMITTEXT, 80, 0);
  SetDlgItemTextA(page, kSaveAs, saveAs);
  g_saveTo = saveAs;
  char memorized[MAX_PATH] = {};
  GetPrivateProfileStringA("AutoReport", "MemRptFilename", "", memorized, sizeof memorized, ini);
  FillAutoReportList(page, kReportList, memorized);
  AutoReportStates(page);
  PostMessageA(page, kInitSaveTo, 0, 0);
}

INT_PTR ApplyAutoReport(HWND page) {
  const char* ini = IniPath();
  const bool generate = IsChecked(page, kGenerate);
  WritePrivateProfileStringA("AutoReport", "GenerateReport", generate ? "1" : "0", ini);
  const LRESULT unit = SendDlgItemMessageA(page, kUnit, CB_GETCURSEL, 0, 0);
  const long every = ControlNumber(page, kEvery) * kUnitMinutes[unit >= 0 && unit < 3 ? unit : 0];
  char value[24];
  std::snprintf(value, sizeof value, "%u", static_cast<unsigned>(every));
  WritePrivateProfileStringA("AutoReport", "SaveEvery", value, ini);
  if (MonitorEngine* engine = RunningMonitorEngine()) {
    engine->SetBackgroundReport(generate ? static_cast<uint32_t>(every) : 0);
  }
  // The whole target: the shown default alone may be longer than the 80
  // characters typed by hand.
  const std::string saveAs = ControlText(page, kSaveAs, MAX_PATH - 1);
  WritePrivateProfileStringA("AutoReport", "SaveAs", saveAs.c_str(), ini);
  std::string file;
  if (AutoReportFileFor(page, kReportList, kSaveAs, &file)) {
    WritePrivateProfileStringA("AutoReport", "MemRptFilename", file.c_str(), ini);
  }
  return Answer(page, 0);
}

}  // namespace

INT_PTR CALLBACK GeneralOptionsDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      InitGeneral(page);
      return TRUE;
    case WM_COMMAND:
      if (HIWORD(wParam) != BN_CLICKED) return FALSE;
      if (LOWORD(wParam) == kFlushLogs) {
        FlushAllLogs(page);
        return TRUE;
      }
      if (LOWORD(wParam) == kClearAlerts) {
        ClearPendingAlerts(page);
        return TRUE;
      }
      return FALSE;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header == nullptr) return FALSE;
      if (header->code == UDN_DELTAPOS) {
        const auto* change = reinterpret_cast<const NMUPDOWN*>(lParam);
        if (header->idFrom == static_cast<UINT_PTR>(kThreadsSpin)) {
          StepNumber(page, kThreads, change->iDelta, 1, MaxThreads());
        } else if (header->idFrom == static_cast<UINT_PTR>(kRetriesSpin)) {
          StepNumber(page, kRetries, change->iDelta, 1, 10);
        }
        return Answer(page, 0);
      }
      switch (header->code) {
        case PSN_APPLY: return ApplyGeneral(page);
        case PSN_SETACTIVE:
          OptionsStartPage() = 0;
          return Answer(page, 0);
        case PSN_KILLACTIVE:
        case PSN_RESET: return Answer(page, 0);
        case PSN_HELP:
          ShowHelp(page, 9042);
          return Answer(page, 0);
        default: return FALSE;
      }
    }
    case WM_DESTROY:
      ReleasePageDecor(page);
      return FALSE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK AutoReportDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      InitAutoReport(page);
      return TRUE;
    case kInitSaveTo:
      InitAutoReportSaveTo(page, kSaveAs, g_saveTo);
      return TRUE;
    case kQueryState: {
      // The options sheet asks the page: the integer the record's second field points to becomes 0.
      auto** record = reinterpret_cast<int**>(lParam);
      if (record != nullptr && record[1] != nullptr) *record[1] = 0;
      return TRUE;
    }
    case WM_MEASUREITEM:
      if (wParam == static_cast<WPARAM>(kReportList)) {
        QVUI_MeasureCustomComboBox(page, reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        return TRUE;
      }
      return FALSE;
    case WM_DRAWITEM:
      if (wParam == static_cast<WPARAM>(kReportList)) {
        QVUI_DrawCustomComboBox(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
      }
      return FALSE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kGenerate:
          if (HIWORD(wParam) == BN_CLICKED) AutoReportStates(page);
          return TRUE;
        case kBrowse:
          if (HIWORD(wParam) == BN_CLICKED) BrowseAutoReportTarget(page, kSaveAs);
          return TRUE;
        case kReportList:
          if (HIWORD(wParam) == CBN_SELCHANGE) {
            std::string target;
            if (AutoReportSelected(page, kReportList, &target)) {
              g_saveTo = target;
              InitAutoReportSaveTo(page, kSaveAs, g_saveTo);
            }
          }
          return TRUE;
        default:
          return FALSE;
      }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header == nullptr) return FALSE;
      if (header->code == UDN_DELTAPOS && header->idFrom == static_cast<UINT_PTR>(kEverySpin)) {
        StepNumber(page, kEvery, reinterpret_cast<const NMUPDOWN*>(lParam)->iDelta, 1, 14440);
        return Answer(page, 0);
      }
      switch (header->code) {
        case PSN_APPLY: return ApplyAutoReport(page);
        case PSN_SETACTIVE:
          OptionsStartPage() = 1;
          return Answer(page, 0);
        case PSN_KILLACTIVE:
        case PSN_RESET: return Answer(page, 0);
        case PSN_HELP:
          ShowHelp(page, 9048);
          return Answer(page, 0);
        default: return FALSE;
      }
    }
    case WM_DESTROY:
      ReleaseAutoReportList();
      ReleasePageDecor(page);
      return FALSE;
    default:
      return FALSE;
  }
}
