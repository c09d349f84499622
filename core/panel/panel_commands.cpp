// The main panel's commands, its timer tick and its exit.
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

#include "analysis_status.h"
#include "app_globals.h"
#include "host_tables.h"
#include "later_parts.h"
#include "modeless_dialog.h"
#include "panel_state.h"
#include "plugin_host.h"
#include "program_paths.h"
#include "qv_ui.h"
#include "res_text.h"
#include "settings_keys.h"
#include "settings_values.h"
#include "text_copy.h"

namespace {

// Commands that came while another was handled; re-posted by the retry timer.
std::vector<std::pair<WPARAM, LPARAM>> g_deferred;

inline constexpr UINT kRetryDelay = 200;

void Defer(HWND panel, WPARAM wParam, LPARAM lParam) {
  g_deferred.emplace_back(wParam, lParam);
  SetQvTimer(panel, kRetryTimer, kRetryDelay, nullptr);
}

// Commands that stopped a running analysis; posted again when the analysis
// has stopped (a plug-in calls the resume callback from any thread, the
// panel's own run calls it at its end).
std::mutex g_keptLock;
HWND g_keptFor = nullptr;
std::vector<std::pair<WPARAM, LPARAM>> g_kept;

void KeepUntilAnalysisStops(HWND panel, WPARAM wParam, LPARAM lParam) {
  std::lock_guard<std::mutex> hold(g_keptLock);
  g_keptFor = panel;
  g_kept.emplace_back(wParam, lParam);
}

PROFILE* SelectedRow(HWND panel, int* index = nullptr) {
  const int found = GetSelectedProfileIndex(GetDlgItem(panel, kProfileListId));
  if (index) *index = found;
  return found >= 0 ? ProfileTable.rows[found] : nullptr;
}

// The plug-in kind for a command in the current view: the view's kind, or
// the user's choice among the plug-ins that have the function.
int KindFor(HWND panel, int function) {
  return g_panel.viewKind == kAllProfiles ? ChoosePlugin(panel, function) : g_panel.viewKind;
}

template <typename F>
F Function(int kind, int id) {
  return kind < 0 ? nullptr : GetPluginFunctionAs<F>(static_cast<unsigned int>(kind), id);
}

void SetPendingName(const PROFILE* row) {
  CopyText(g_panel.pendingName, sizeof g_panel.pendingName, row ? row->description : "");
}

void OpenWebPage(HWND panel, int page, const char* suffix) {
  char text[kResTextMax + 1] = "";
  const char* address = GetProductWebPage(g_app.instance, page, text);
  if (!address || !address[0]) return;
  char full[1024];
  CopyText(full, sizeof full, address);
  if (suffix) AppendText(full, sizeof full, suffix);
  QVUI_ShowHTMDocument(panel, full);
}

void Help(HWND panel, UINT command, ULONG_PTR data) { WinHelpA(panel, g_app.helpPath, command, data); }

void NewProfile(HWND panel) {
  const auto edit = Function<PFN_EditProfile>(KindFor(panel, PF_EDIT_PROFILE), PF_EDIT_PROFILE);
  if (edit) {
    PROFILE* out = nullptr;
    if (edit(panel, nullptr, &out) == PLUGIN_DONE && out && AppendProfile(out) == PLUGIN_DONE) SetPendingName(out);
  }
  g_refreshRequests.refill = true;
}

void EditProfile(HWND panel) {
  int index = -1;
  PROFILE* row = SelectedRow(panel, &index);
  if (!row) return;
  const auto edit = Function<PFN_EditProfile>(row->type, PF_EDIT_PROFILE);
  if (edit) {
    PROFILE* out = nullptr;
    if (edit(panel, row, &out) == PLUGIN_DONE && out) {
      // The plug-in's dialog may have let other commands change the table.
      index = ProfileIndex(row);
      if (out != row && index >= 0) {
        ReplaceEventProfile(row, out);
        ProfileTable.rows[index] = out;
      }
      SetPendingName(out);
    }
  }
  ForgetRowsNotInTable();
  g_refreshRequests.refill = true;
}

void CopyProfile(HWND panel) {
  PROFILE* row = SelectedRow(panel);
  if (!row) return;
  const auto copy = Function<PFN_CopyProfile>(row->type, PF_COPY_PROFILE);
  if (copy) {
    PROFILE* out = nullptr;
    if (copy(panel, row, &out) == PLUGIN_DONE && out && AppendProfile(out) == PLUGIN_DONE) SetPendingName(out);
  }
  g_refreshRequests.refill = true;
}

void DeleteProfile(HWND panel) {
  PROFILE* row = SelectedRow(panel);
  if (!row) return;
  char caption[kResTextMax + 1], text[kResTextMax + 1];
  LoadResText(9122, caption, sizeof caption);
  LoadResText(9123, text, sizeof text);
  if (MessageBoxA(panel, text, caption, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  {
    SchedulerLock lock;
    DeleteProfileEvents(panel, row);
    const auto remove = Function<PFN_DeleteProfile>(row->type, PF_DELETE_PROFILE);
    if (remove && remove(panel, row) == PLUGIN_DONE) {
      const int index = ProfileIndex(row);
      if (index >= 0) RemoveProfileAt(index);
    }
  }
  ForgetRowsNotInTable();
  g_refreshRequests.refill = true;
}

void MenuFunction(HWND panel, int function) {
  const auto run = Function<PFN_MenuCommand>(ChoosePlugin(panel, function), function);
  if (run) run(panel);
}

void SupportMail(HWND panel) {
  char subject[kResTextMax + 1], name[kResTextMax + 1], body[1024];
  char author[ini::kAuthorLen], company[ini::kAuthorLen];
  LoadResText(10066, subject, sizeof subject);
  LoadResText(10065, name, sizeof name);
  LoadResText(10064, body, sizeof body);
  GetPrivateProfileStringA(ini::kMain, ini::kAuthor, "", author, sizeof author, GetIniPath());
  GetPrivateProfileStringA(ini::kMain, ini::kCompany, "", company, sizeof company, GetIniPath());
  AppendText(body, sizeof body, "\r\n\r\n");
  AppendText(body, sizeof body, author);
  AppendText(body, sizeof body, "\r\n");
  AppendText(body, sizeof body, company);
  SendMapiMail(panel, subject, "support@quorvane.com", name, body);
}

void RunCommand(HWND panel, WORD command) {
  switch (command) {
    case kCmdReport: {
      PROFILE* row = SelectedRow(panel);
      const auto report = row ? Function<PFN_GenerateReport>(row->type, PF_GENERATE_REPORT) : nullptr;
      if (report) report(panel, row, 4);
      UpdateProfileCommands(panel, true);
      break;
    }
    case kRowDoubleClickCommand: {
      PROFILE* row = SelectedRow(panel);
      const auto report = row ? Function<PFN_GenerateReport>(row->type, PF_GENERATE_REPORT) : nullptr;
      if (report) report(panel, row, 1);
      break;
    }
    case kCmdCheckUpdates: {
      char version[200] = "";
      if (g_app.prd.GetTitleAndVersion) g_app.prd.GetTitleAndVersion(version, sizeof version);
      char suffix[220] = "?Version=";
      AppendText(suffix, sizeof suffix, version);
      OpenWebPage(panel, 3, suffix);
      break;
    }
    case kCmdHomePage:
    case kCmdHomePageAlt:
    case kCmdHomePageAlt2:
    case kCmdHomePageAlt3: OpenWebPage(panel, 1, nullptr); break;
    case kCmdSupportPage: OpenWebPage(panel, 2, nullptr); break;
    case kCmdFaqPage: OpenWebPage(panel, 4, nullptr); break;
    case kCmdNewsPage: ShowProductWebPage(panel); break;
    case kCmdUpdateNow: {
      PROFILE* row = SelectedRow(panel);
      const auto run = row ? Function<PFN_ProfileCommand>(row->type, PF_PROFILE_COMMAND_5010) : nullptr;
      if (run) run(panel, row);
      UpdateProfileCommands(panel, true);
      break;
    }
    case kCmdSchedule: {
      PROFILE* row = SelectedRow(panel);
      if (!row) break;
      ShowSchedulerWindow(panel, reinterpret_cast<LPARAM>(row));
      SchedulerLock lock;
      RescheduleAll(0);
      ShowNextScheduledRunText(panel);
      break;
    }
    case kCmdNewProfile: NewProfile(panel); break;
    case kCmdEditProfile: EditProfile(panel); break;
    case kCmdCopyProfile: CopyProfile(panel); break;
    case kCmdDeleteProfile: DeleteProfile(panel); break;
    case kCmdHelp: case kCmdHelpIndex: Help(panel, HELP_CONTEXT, 1004); break;
    case kCmdOptions: case kCmdOptionsAlt: ShowOptionWindow(panel); break;
    case kCmdSchedulerLog: ShowScheduleLog(panel); break;
    case kCmdStyleWizard: RunStyleWizard(panel); break;
    case kCmdPluginTool1: MenuFunction(panel, PF_MENU_COMMAND_5250); break;
    case kCmdPluginTool2: MenuFunction(panel, PF_MENU_COMMAND_5260); break;
    case kCmdDetectLogs:
      MenuFunction(panel, PF_MENU_COMMAND_5270);
      g_refreshRequests.rebuild = true;
      g_refreshRequests.refill = true;
      break;
    case kCmdHelpContents: Help(panel, HELP_FINDER, 0); break;
    case kCmdHelpSearch: Help(panel, HELP_PARTIALKEY, reinterpret_cast<ULONG_PTR>("")); break;
    case kCmdHelpOnHelp: Help(panel, HELP_HELPONHELP, 0); break;
    case kCmdOpenReport: OpenReport(panel); break;
    case kCmdExit: ExitPanel(panel); break;
    case kCmdMailSupport: SupportMail(panel); break;
    case kCmdExitRequest: RequestExit(panel); break;
    case kCmdPluginCommands: {
      const auto run = Function<PFN_MenuCommand>(KindFor(panel, PF_MENU_COMMAND_40002), PF_MENU_COMMAND_40002);
      if (run) run(panel);
      break;
    }
    case kCmdViewLarge: SetListStyle(g_panel.list, 1); break;
    case kCmdViewList: SetListStyle(g_panel.list, 3); break;
    case kCmdViewDetails: SetListStyle(g_panel.list, 0); break;
    case kCmdViewSmall: SetListStyle(g_panel.list, 2); break;
    default: break;
  }
}

bool AnyRowRunning() {
  for (int32_t i = 0; i < ProfileTable.count; ++i) {
    if (ProfileTable.rows[i] && ProfileTable.rows[i]->running) return true;
  }
  return false;
}

// Work is pending that the exit must not end.
bool ProgramBusy() {
  char web[20];
  GetPrivateProfileStringA(ini::kDefaults, ini::kWebEnable, "FALSE", web, sizeof web, GetIniPath());
  if (IsWebEnabledValue(web)) return true;
  if (AnyRowRunning()) return true;
  if (g_panel.schedulingEnabled) {
    SchedulerLock lock;
    if (ScheduleTable.nextDue && ScheduleTable.nextDue->active) return true;
  }
  for (PluginEntry* entry = g_pluginList; entry; entry = entry->next) {
    if (!entry->IsFunctionSupported) continue;
    const auto mayExit = reinterpret_cast<PFN_IsShutDownOK>(entry->IsFunctionSupported(PF_IS_SHUT_DOWN_OK));
    if (mayExit && mayExit() == 0) return true;
  }
  return false;
}

NOTIFYICONDATAA TrayIconData(HWND panel) {
  NOTIFYICONDATAA data{};
  data.cbSize = sizeof data;
  data.hWnd = panel;
  data.uID = kTrayIconId;
  return data;
}

}  // namespace

void RetryDeferredCommands(HWND panel) {
  KillQvTimer(panel, kRetryTimer);
  const auto waiting = std::move(g_deferred);
  g_deferred.clear();
  for (const auto& [wParam, lParam] : waiting) PostMessageA(panel, WM_COMMAND, wParam, lParam);
}

void ForgetDeferredCommands() {
  g_deferred.clear();
  std::lock_guard<std::mutex> hold(g_keptLock);
  g_kept.clear();
  g_keptFor = nullptr;
}

void ResumeKeptCommands() {
  std::vector<std::pair<WPARAM, LPARAM>> kept;
  HWND panel = nullptr;
  {
    std::lock_guard<std::mutex> hold(g_keptLock);
    kept.swap(g_kept);
    panel = g_keptFor;
  }
  if (panel == nullptr) return;
  for (const auto& [wParam, lParam] : kept) PostMessageA(panel, WM_COMMAND, wParam, lParam);
}

void HandleCommand(HWND panel, WPARAM wParam, LPARAM lParam, bool fromToolbar) {
  if (!fromToolbar && g_panel.busy) {
    Defer(panel, wParam, lParam);
    return;
  }
  if (g_status.runState == 1) {
    // The running analysis stops first; the command comes back after it.
    KeepUntilAnalysisStops(panel, wParam, lParam);
    CancelAnalysis(panel, ResumeKeptCommands);
    return;
  }
  const bool wasBusy = g_panel.busy;
  g_panel.busy = true;
  g_status.commandPending = true;
  RunCommand(panel, LOWORD(wParam));
  g_panel.busy = wasBusy && fromToolbar;
  g_status.commandPending = false;
  if (g_panel.exiting) return;
  StartCountdown(panel);
  PanelTick(panel, 0);
  // The command may have changed the list: the commands follow its selection.
  UpdateProfileCommands(panel, true);
}

void RunActiveProfiles(HWND panel) {
  g_status.runState = 1;
  g_status.runStopped = false;
  g_status.cancelRequested = false;
  g_panel.pluginRunInProgress = true;
  bool stopped = false;
  for (bool more = true; more && !stopped;) {
    more = false;
    for (int32_t i = 0; i < ProfileTable.count && !stopped; ++i) {
      PROFILE* row = ProfileTable.rows[i];
      if (!row || !row->running) continue;
      const auto work = Function<PFN_ContinueWork>(row->type, PF_CONTINUE_WORK);
      if (!work) continue;
      const int result = work(panel, row);
      if (result == PLUGIN_STOP_ALL || g_status.runStopped || g_panel.exiting) stopped = true;
      if (result == PLUGIN_DONE) more = true;
    }
  }
  stopped = stopped || g_status.runStopped;
  g_panel.pluginRunInProgress = false;
  g_status.runState = 0;
  g_status.runStopped = false;
  ClearAnalysisStatus(panel);
  char text[kResTextMax + 1];
  SetStatusText(LoadResText(stopped ? 32006 : 32007, text, sizeof text));
  ResumeKeptCommands();
}

void PanelTick(HWND panel, UINT_PTR timer) {
  if (g_panel.exiting || g_panel.busy) return;
  if (timer == kExitWhenIdleTimer) {
    if (g_panel.exitWhenIdle && !IsScheduledRunActive()) {
      const HWND popup = GetLastActivePopup(panel);
      PostMessageA(popup, WM_COMMAND, IDCANCEL, 0);
      PumpMessages();
      if (popup == panel) PostQuitMessage(0);
    }
    return;
  }
  if (timer == kListRefreshTimer) {
    g_refreshRequests.refill = true;
    g_refreshRequests.notify = true;
    return;
  }
  if (timer != 0 && timer != kTickTimer) return;
  // An analysis that ended without calling back still gives its commands back.
  if (g_status.runState != 1) ResumeKeptCommands();
  ShowNextScheduledRunText(panel);
  if (g_panel.exiting || g_panel.busy || g_panel.inTick) return;
  g_panel.inTick = true;
  if (g_refreshRequests.refill.exchange(false)) {
    const bool rebuild = g_refreshRequests.rebuild.exchange(false);
    const bool notify = g_refreshRequests.notify.exchange(false);
    FillProfileList(panel, nullptr, rebuild, notify);
  }
  if (AnyRowRunning() && TickCountdown(panel)) {
    RunActiveProfiles(panel);
  } else {
    RunSchedulerStep(panel);
  }
  g_panel.inTick = false;
}

void RequestExit(HWND panel) {
  if (g_app.serviceMode) {
    g_panel.hiddenToTray = true;
    g_app.panelInTray = true;
    ShowWindow(panel, SW_HIDE);
    ShowStatusWindow(g_app.statusWindow);
    return;
  }
  if (g_panel.trayCapable && ProgramBusy() && IsWindowVisible(panel)) {
    NOTIFYICONDATAA data = TrayIconData(panel);
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = QVM_TRAY_NOTIFY;
    data.hIcon = ProgramIcon();
    CopyText(data.szTip, sizeof data.szTip, kProgramCaption);
    Shell_NotifyIconA(NIM_ADD, &data);
    g_panel.hiddenToTray = true;
    g_app.panelInTray = true;
    ShowWindow(panel, SW_HIDE);
    return;
  }
  PostMessageA(panel, WM_COMMAND, kCmdExit, 0);
}

void ExitPanel(HWND panel) {
  g_panel.exiting = true;
  CancelAnalysis(panel, nullptr);
  FreeProfileTable();
  g_panel.selected = nullptr;
  g_panel.previous = nullptr;
  if (!IsWindowVisible(panel)) {
    NOTIFYICONDATAA data = TrayIconData(panel);
    Shell_NotifyIconA(NIM_DELETE, &data);
  }
  EndDialog(panel, 0);
  SendSnmpTrap("Quorvane is Down");
  if (g_app.hiddenWindow && IsWindow(g_app.hiddenWindow)) PostMessageA(g_app.hiddenWindow, WM_CLOSE, 0, 0);
}

void ShowProductWebPage(HWND owner) { OpenWebPage(owner, 5, nullptr); }

HICON ProgramIcon() {
  // Loaded once: the class and the tray icon keep using it.
  static const HICON icon = static_cast<HICON>(
      LoadImageA(g_app.resourceModule, MAKEINTRESOURCEA(1), IMAGE_ICON, 0, 0, LR_DEFAULTCOLOR));
  return icon;
}
