// The main panel's dialog procedure: its start, messages and end.
#include <cstdio>
#include <cstring>
#include <optional>

#include "analysis_hook.h"
#include "analysis_status.h"
#include "app_globals.h"
#include "dialog_fonts.h"
#include "host_tables.h"
#include "later_parts.h"
#include "list_item_draw.h"
#include "modeless_dialog.h"
#include "panel_state.h"
#include "plugin_host.h"
#include "program_paths.h"
#include "qv_ui.h"
#include "res_templates.h"
#include "res_text.h"
#include "settings.h"
#include "settings_keys.h"
#include "sizeable_control.h"
#include "text_copy.h"

PanelState g_panel;

namespace {

int ReadDefault(const char* key, int fallback) {
  return static_cast<int>(GetPrivateProfileIntA(ini::kDefaults, key, fallback, GetIniPath()));
}

void WriteDefault(const char* key, DWORD value) { WriteIntSetting(ini::kDefaults, key, value, GetIniPath()); }

bool IsWindowsNt(DWORD* major) {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExA(&version)) return false;
  if (major) *major = version.dwMajorVersion;
  return version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

// Every plug-in that has the function, in list order.
template <typename F, typename Call>
void ForEachPluginWith(int id, Call call) {
  for (PluginEntry* entry = g_pluginList; entry; entry = entry->next) {
    if (!entry->IsFunctionSupported) continue;
    const auto function = reinterpret_cast<F>(entry->IsFunctionSupported(id));
    if (function && !call(function)) return;
  }
}

void AddTab(HWND tabs, int position, const char* text, int kind) {
  TCITEMA item{};
  item.mask = TCIF_TEXT | TCIF_PARAM;
  item.pszText = const_cast<char*>(text);
  item.lParam = kind;
  SendMessageA(tabs, TCM_INSERTITEMA, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(&item));
}

void BuildTabs(HWND panel) {
  const HWND tabs = GetDlgItem(panel, kKindTabsId);
  g_panel.tabs = tabs;
  if (!tabs) return;
  int plugins = 0;
  for (PluginEntry* entry = g_pluginList; entry; entry = entry->next) ++plugins;
  int position = 0;
  if (plugins != 1) AddTab(tabs, position++, "All Profiles", kAllProfiles);
  for (PluginEntry* entry = g_pluginList; entry; entry = entry->next) {
    AddTab(tabs, position++, entry->name, static_cast<int>(entry->kind));
  }
  SendMessageA(tabs, TCM_SETCURSEL, 0, 0);
  g_panel.viewKind = GetSelectedTab();
  SetChooserViewKind(g_panel.viewKind);
}

void AskToDetectLogFiles(HWND panel) {
  if (ReadDefault(ini::kAutoDetectLogFiles, 0) != 0 || !IsWindowsNt(nullptr)) return;
  char caption[kResTextMax + 1], text[kResTextMax + 1];
  LoadResText(9411, caption, sizeof caption);
  LoadResText(9410, text, sizeof text);
  if (MessageBoxA(panel, text, caption, MB_YESNO | MB_ICONQUESTION) == IDYES) {
    ForEachPluginWith<PFN_MenuCommand>(PF_MENU_COMMAND_5270, [&](PFN_MenuCommand detect) {
      detect(panel);
      return true;
    });
  }
  WritePrivateProfileStringA(ini::kDefaults, ini::kAutoDetectLogFiles, "1", GetIniPath());
}

void LoadMenuAndImages(HWND panel) {
  if (g_app.prd.GetResourceID) {
    const void* menuTemplate = LoadProductMenuTemplate(g_app.prd.GetResourceID(10));
    if (menuTemplate) {
      g_panel.menu = LoadMenuIndirectA(static_cast<const MENUTEMPLATEA*>(menuTemplate));
      if (g_panel.menu) SetMenu(panel, g_panel.menu);
    }
  }
  if (!g_panel.list) return;
  g_panel.smallImages =
      ImageList_LoadImageA(g_app.resourceModule, MAKEINTRESOURCEA(3201), 16, 0, 0xFF00FF, IMAGE_BITMAP, 0);
  g_panel.largeImages =
      ImageList_LoadImageA(g_app.resourceModule, MAKEINTRESOURCEA(122), 32, 0, 0xFF00FF, IMAGE_BITMAP, 0);
  if (g_panel.smallImages) {
    SendMessageA(g_panel.list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(g_panel.smallImages));
  }
  if (g_panel.largeImages) {
    SendMessageA(g_panel.list, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(g_panel.largeImages));
  }
  SetListStyle(g_panel.list, ReadDefault(ini::kListView, 0));
}

void HandCommandLineToPlugins(HWND panel) {
  if (!g_app.commandLine[0]) return;
  ForEachPluginWith<PFN_CommandLine>(PF_COMMAND_LINE, [&](PFN_CommandLine take) {
    const int answer = take(panel, g_app.commandLine);
    if (answer == PLUGIN_DONE) {
      g_panel.commandLineMode = true;
      return false;
    }
    if (answer == PLUGIN_NOT_MINE) return true;
    g_panel.exitWhenIdle = true;
    return false;
  });
}

void RestoreListPosition() {
  short top = 0, selected = 0;
  ReadListPosition(&top, &selected);
  const HWND list = g_panel.list;
  if (!list) return;
  const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  if (top > 0 && top < count) SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(top), FALSE);
  if (selected >= 0 && selected < count) {
    LVITEMA state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(&state));
  }
}

// The panel's start (WM_INITDIALOG). False when it ends at once.
void StartPanel(HWND panel) {
  // Known at once, so that an exit command from another thread finds the panel.
  g_app.mainPanel = panel;
  OfferImport(panel);
  g_panel = PanelState{};
  g_panel.panel = panel;
  g_panel.boldFont = PrepWindowFonts(panel);
  g_panel.list = GetDlgItem(panel, kProfileListId);
  GetWindowTextA(panel, g_panel.caption, sizeof g_panel.caption);
  const WORD cpuUsage = g_status.cpuUsage;  // set once at start-up
  g_status = AnalysisStatus{};
  g_status.panel = panel;
  g_status.cpuUsage = cpuUsage;
  // Host callback 10 reaches the analysis progress through this hook.
  g_realtimeAnalysisHook = RealtimeAnalysisCallback;

  const HICON icon = ProgramIcon();
  if (icon) SetClassLongPtrA(panel, GCLP_HICON, reinterpret_cast<LONG_PTR>(icon));
  DWORD major = 0;
  IsWindowsNt(&major);
  g_panel.trayCapable = major == 4;

  AskToDetectLogFiles(panel);
  QVUI_CreateSchedulerLogFile(g_app.instance);
  LoadMenuAndImages(panel);

  CreateStatusProgressBar();
  SetQvTimer(panel, kTickTimer, 2000, nullptr);
  const int refreshRate = ReadListRefreshRate();
  if (refreshRate > 0) SetQvTimer(panel, kListRefreshTimer, static_cast<UINT>(refreshRate) * 1000, nullptr);
  SetQvTimer(panel, kExitWhenIdleTimer, 250, nullptr);

  BuildTabs(panel);
  FillProfileList(panel, nullptr, true, true);
  {
    SchedulerLock lock;
    RebuildSchedule(panel);
    RescheduleAll(1);
  }
  if (g_app.splashWindow && IsWindow(g_app.splashWindow)) DestroyWindow(g_app.splashWindow);
  g_app.splashWindow = nullptr;

  HandCommandLineToPlugins(panel);

  g_refreshRequests.refill = true;
  PanelTick(panel, 0);
  g_panel.schedulingEnabled = ReadDefault(ini::kDisableScheduledItems, 0) == 0;
  ShowNextScheduledRunText(panel);
  RestoreListPosition();
  if (g_panel.commandLineMode) PostMessageA(panel, WM_TIMER, kTickTimer, 0);

  g_panel.toolbar = g_app.prd.CreateBigBtnToolbar ? g_app.prd.CreateBigBtnToolbar(panel, kToolbarId) : nullptr;
  if (!g_panel.toolbar || !IsWindow(g_panel.toolbar)) {
    g_panel.toolbar = nullptr;
    PostMessageA(panel, WM_COMMAND, kCmdExitRequest, 0);
    return;
  }

  for (int id : {kStatusLinesId, kStatusTimeId, kProgressFrameId, kStatusFileId}) PrepSizeableControl(panel, id);
  ClearAnalysisStatus(panel);
  UpdateProfileCommands(panel, true);
  ReplaceSizeGrip(panel);
  RecordLayout(panel);
  PlacePanel(panel);

  PostMessageA(panel, QVM_SET_CAPTION, 0, 0);
  SendSnmpTrap("Quorvane is Up");
  ApplyWebServerSettings();
  if (ProxySettingsWereImported()) {
    char caption[kResTextMax + 1], text[kResTextMax + 1];
    MessageBoxA(panel, LoadResText(32033, text, sizeof text), LoadResText(32034, caption, sizeof caption),
                MB_OK | MB_ICONINFORMATION);
  }
  ForEachPluginWith<PFN_StartService>(PF_START_SERVICE, [](PFN_StartService start) {
    start();
    return true;
  });
  g_panel.started = true;
}

void SetCaption(HWND panel) {
  char version[200] = "";
  if (g_app.prd.GetTitleAndVersion) g_app.prd.GetTitleAndVersion(version, sizeof version);
  char caption[320];
  CopyText(caption, sizeof caption, g_panel.caption);
  AppendText(caption, sizeof caption, " ");
  AppendText(caption, sizeof caption, version);
  SetWindowTextA(panel, caption);
  KeepSnmpPanelTitle(caption);
}

void ShowPopupMenu(HWND panel, int submenu, bool forList) {
  if (!g_app.prd.GetResourceID) return;
  const void* menuTemplate = LoadProductMenuTemplate(g_app.prd.GetResourceID(20));
  if (!menuTemplate) return;
  const HMENU menu = LoadMenuIndirectA(static_cast<const MENUTEMPLATEA*>(menuTemplate));
  if (!menu) return;
  const HMENU popup = GetSubMenu(menu, submenu);
  if (popup) {
    if (forList) {
      static const UINT kStyles[] = {kCmdViewDetails, kCmdViewLarge, kCmdViewSmall, kCmdViewList};
      const int style = GetListStyle(g_panel.list);
      for (int i = 0; i < 4; ++i) {
        CheckMenuItem(popup, kStyles[i], MF_BYCOMMAND | (i == style ? MF_CHECKED : MF_UNCHECKED));
      }
      if (g_panel.toolbar && !SendMessageA(g_panel.toolbar, QV_TOOLBAR_IS_ENABLED, 0, kCmdUpdateNow)) {
        EnableMenuItem(popup, kCmdUpdateNow, MF_BYCOMMAND | MF_GRAYED);
      }
    }
    const DWORD where = GetMessagePos();
    const POINT at{static_cast<short>(LOWORD(where)), static_cast<short>(HIWORD(where))};
    SetForegroundWindow(panel);
    TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, panel, nullptr);
  }
  DestroyMenu(menu);
}

void OnListNotify(HWND panel, NMHDR* header) {
  const bool free = !g_panel.busy && !g_panel.inTick;
  switch (header->code) {
    case LVN_KEYDOWN: {
      if (!free) return;
      const WORD key = reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey;
      const bool control = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
      WORD command = 0;
      if (key == VK_INSERT) command = kCmdNewProfile;
      else if (key == VK_DELETE) command = kCmdDeleteProfile;
      else if (control && key == 'C') command = kCmdCopyProfile;
      else if (control && key == 'M') command = kCmdPluginCommands;
      if (command) PostMessageA(panel, WM_COMMAND, command, 0);
      return;
    }
    case LVN_ITEMCHANGED: {
      const auto* change = reinterpret_cast<NMLISTVIEW*>(header);
      if (free && (change->uChanged & LVIF_STATE) &&
          ((change->uNewState ^ change->uOldState) & LVIS_SELECTED)) {
        UpdateProfileCommands(panel, true);
      }
      return;
    }
    case NM_DBLCLK:
      if (free) PostMessageA(panel, WM_COMMAND, kRowDoubleClickCommand, 0);
      return;
    case LVN_COLUMNCLICK:
      if (!free) return;
      g_panel.sortColumn = reinterpret_cast<NMLISTVIEW*>(header)->iSubItem;
      SendMessageA(g_panel.list, LVM_SORTITEMS, static_cast<WPARAM>(g_panel.sortColumn),
                   reinterpret_cast<LPARAM>(&CompareProfiles));
      return;
    case NM_RCLICK: {
      if (!free) return;
      const int item = reinterpret_cast<NMITEMACTIVATE*>(header)->iItem;
      ShowPopupMenu(panel, item >= 0 ? 2 : 1, true);
      return;
    }
    default:
      return;
  }
}

// The tray icon's clicks: a double click brings the panel back, a right click opens its menu.
std::optional<INT_PTR> OnTray(HWND panel, UINT message, WPARAM, LPARAM mouse) {
  if (message != QVM_TRAY_NOTIFY) return std::nullopt;
  if (mouse == WM_LBUTTONDBLCLK) {
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = panel;
    data.uID = kTrayIconId;
    Shell_NotifyIconA(NIM_DELETE, &data);
    g_panel.hiddenToTray = false;
    g_app.panelInTray = false;
    ShowWindow(panel, SW_RESTORE);
    SetForegroundWindow(panel);
  } else if (mouse == WM_RBUTTONUP && !g_panel.busy && !g_panel.inTick) {
    ShowPopupMenu(panel, 0, false);
  }
  return TRUE;
}

void EndPanel(HWND panel) {
  if (g_panel.list) {
    const int top = static_cast<int>(SendMessageA(g_panel.list, LVM_GETTOPINDEX, 0, 0));
    const int selected =
        static_cast<int>(SendMessageA(g_panel.list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    WriteListPosition(static_cast<short>(top < 0 ? 0 : top), static_cast<short>(selected < 0 ? 0 : selected));
    WriteDefault(ini::kListView, static_cast<DWORD>(GetListStyle(g_panel.list)));
  }
  SavePlacement(panel);
  if (g_panel.boldFont && g_panel.boldFont != reinterpret_cast<HFONT>(SendMessageA(panel, WM_GETFONT, 0, 0))) {
    DeleteObject(g_panel.boldFont);
  }
  g_panel.boldFont = nullptr;
  for (UINT_PTR timer : {kTickTimer, kListRefreshTimer, kExitWhenIdleTimer, kSizePollTimer, kRetryTimer}) {
    KillQvTimer(panel, timer);
  }
  ForgetDeferredCommands();
  {
    SchedulerLock lock;
    FreeScheduleTable();
  }
  CloseSchedulerMutex();
  if (g_panel.smallImages) ImageList_Destroy(g_panel.smallImages);
  if (g_panel.largeImages) ImageList_Destroy(g_panel.largeImages);
  g_panel.smallImages = g_panel.largeImages = nullptr;
  if (g_panel.menu) {
    SetMenu(panel, nullptr);
    DestroyMenu(g_panel.menu);
    g_panel.menu = nullptr;
  }
  g_panel.selected = g_panel.previous = nullptr;
  if (g_app.mainPanel == panel) g_app.mainPanel = nullptr;
  g_status.panel = nullptr;
  g_status.bar = nullptr;
  SetProgressBarWindow(nullptr);
  g_panel.panel = nullptr;
  g_panel.list = nullptr;
  g_panel.tabs = nullptr;
  g_panel.toolbar = nullptr;
}

// The panel's start and end.
std::optional<INT_PTR> OnLifetime(HWND panel, UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      StartPanel(panel);
      return TRUE;
    case WM_DESTROY:
      EndPanel(panel);
      return FALSE;
    default:
      return std::nullopt;
  }
}

// Requests the program's other parts post or send to the panel.
std::optional<INT_PTR> OnRequest(HWND panel, UINT message, WPARAM, LPARAM lParam) {
  switch (message) {
    case QVM_GET_PROFILES:
      FillProfileSnapshot(reinterpret_cast<ProfileSnapshot*>(lParam));
      return TRUE;
    case QVM_REQUEST_REFILL:
      g_refreshRequests.rebuild = true;
      g_refreshRequests.notify = true;
      g_refreshRequests.refill = true;
      return TRUE;
    case QVM_SET_CAPTION:
      SetCaption(panel);
      return TRUE;
    case QVM_TICK_NOW:
      PanelTick(panel, 0);
      UpdateProfileCommands(panel, true);
      return TRUE;
    default:
      return std::nullopt;
  }
}

// Commands from the menu, the toolbar and the close box.
std::optional<INT_PTR> OnCommand(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case QV_TOOLBAR_COMMAND:
      HandleCommand(panel, wParam, 0, true);
      return TRUE;
    case WM_CLOSE:
      HandleCommand(panel, kCmdExitRequest, 0, false);
      return TRUE;
    case WM_COMMAND:
      HandleCommand(panel, wParam, lParam, false);
      return TRUE;
    default:
      return std::nullopt;
  }
}

// While a menu is open the panel counts as busy: no analysis, no command.
std::optional<INT_PTR> OnMenuLoop(HWND panel, UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_ENTERMENULOOP:
      CancelAnalysis(panel, nullptr);
      g_panel.busy = true;
      g_status.commandPending = true;
      return TRUE;
    case WM_EXITMENULOOP:
      PostMessageA(panel, QVM_MENU_DONE, 0, 0);
      return TRUE;
    case QVM_MENU_DONE:
      g_panel.busy = false;
      g_status.commandPending = false;
      return TRUE;
    default:
      return std::nullopt;
  }
}

std::optional<INT_PTR> OnTimer(HWND panel, UINT message, WPARAM timer, LPARAM) {
  if (message != WM_TIMER) return std::nullopt;
  if (timer == kSizePollTimer) {
    PostMessageA(panel, QVM_SIZE_POLL, 0, 0);
  } else if (timer == kRetryTimer) {
    RetryDeferredCommands(panel);
  } else {
    PanelTick(panel, timer);
  }
  return TRUE;
}

std::optional<INT_PTR> OnNotify(HWND panel, UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_NOTIFY) return std::nullopt;
  auto* header = reinterpret_cast<NMHDR*>(lParam);
  if (!header) return FALSE;
  if (static_cast<int>(header->idFrom) == kProfileListId) {
    OnListNotify(panel, header);
  } else if (static_cast<int>(header->idFrom) == kKindTabsId && header->code == TCN_SELCHANGE) {
    g_panel.viewKind = GetSelectedTab();
    SetChooserViewKind(g_panel.viewKind);
    g_panel.sortColumn = 0;
    g_refreshRequests.refill = true;
  }
  return TRUE;
}

// Moving, sizing, minimizing to the tray and the size the panel may not go below.
std::optional<INT_PTR> OnSizing(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case QVM_SIZE_POLL:
      PollSizing(panel);
      return TRUE;
    case WM_WINDOWPOSCHANGING: {
      auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
      if (g_app.serviceMode && ServiceStartHidden()) {
        position->flags = (position->flags | SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOACTIVATE) & ~SWP_SHOWWINDOW;
        return TRUE;
      }
      const bool movesOrSizes = (position->flags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE);
      if (movesOrSizes && !g_panel.sizing && g_panel.layoutRecorded) {
        g_panel.sizing = true;
        ShowSizeGrip(panel, false);
        PostMessageA(panel, QVM_SIZE_POLL, 0, 0);
      }
      return FALSE;
    }
    case WM_GETMINMAXINFO: {
      if (!g_panel.layoutRecorded) return FALSE;
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMinTrackSize.x = g_panel.minRect.right - g_panel.minRect.left;
      info->ptMinTrackSize.y = g_panel.minRect.bottom - g_panel.minRect.top;
      return TRUE;
    }
    case WM_SIZE:
      if (wParam == SIZE_MINIMIZED) {
        g_panel.hiddenToTray = true;
        g_app.panelInTray = true;
        ShowStatusWindow(g_app.statusWindow);
      } else if (wParam == SIZE_RESTORED) {
        g_panel.hiddenToTray = false;
        g_app.panelInTray = false;
        RestoreStatusWindow();
      } else if (wParam == SIZE_MAXIMIZED) {
        ShowSizeGrip(panel, false);
      }
      return FALSE;
    default:
      return std::nullopt;
  }
}

// The display's colour depth and palette.
std::optional<INT_PTR> OnDisplay(HWND panel, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_DISPLAYCHANGE:
      if (static_cast<int>(wParam) != g_app.colorDepth) {
        g_app.colorDepth = static_cast<int>(wParam);
        char text[kResTextMax + 1];
        MessageBoxA(panel, LoadResText(11075, text, sizeof text), kProgramCaption, MB_OK | MB_ICONINFORMATION);
      }
      return TRUE;
    case WM_PALETTECHANGED:
    case WM_QUERYNEWPALETTE:
      if (g_panel.toolbar) InvalidateRect(g_panel.toolbar, nullptr, TRUE);
      return FALSE;
    default:
      return std::nullopt;
  }
}

// The profile list's rows are drawn by the panel.
std::optional<INT_PTR> OnOwnerDraw(HWND panel, UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_DRAWITEM && message != WM_MEASUREITEM) return std::nullopt;
  if (message == WM_DRAWITEM)
    return DrawListItemWithIcon(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)) ? TRUE : FALSE;
  auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
  if (!item || static_cast<int>(item->CtlID) != kProfileListId) return FALSE;
  UINT height = 16;
  HDC dc = GetDC(panel);
  if (dc) {
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(panel, WM_GETFONT, 0, 0)));
    TEXTMETRICA metrics{};
    if (GetTextMetricsA(dc, &metrics) && metrics.tmHeight >= 18) height = static_cast<UINT>(metrics.tmHeight - 2);
    SelectObject(dc, old);
    ReleaseDC(panel, dc);
  }
  item->itemHeight = height;
  return TRUE;
}

}  // namespace

bool MainPanelStarted() { return g_panel.started && g_panel.panel != nullptr; }

extern "C" INT_PTR CALLBACK Big_Buttons_Dialog(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
  // Each group answers the messages it handles and passes on the rest.
  using Group = std::optional<INT_PTR> (*)(HWND, UINT, WPARAM, LPARAM);
  static constexpr Group kGroups[] = {OnLifetime, OnRequest, OnCommand, OnMenuLoop, OnTimer,
                                      OnNotify,   OnTray,    OnSizing,  OnDisplay,  OnOwnerDraw};
  for (Group group : kGroups)
    if (std::optional<INT_PTR> answer = group(panel, message, wParam, lParam)) return *answer;
  return FALSE;
}
