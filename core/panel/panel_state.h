// The main panel (template 100, procedure Big_Buttons_Dialog): its controls,
// messages and process-wide state. GUI thread only, except where noted.
#pragma once

#include <cstdint>

#include "panel_ids.h"
#include "plugin_api.h"
#include "qvplatform.h"

// Controls of template 100.
inline constexpr int kPluginPanelId = 1132;
inline constexpr int kSizeGripId = 32001;
inline constexpr int kToolbarId = 7000;

// Messages of the panel.
inline constexpr UINT QVM_GET_PROFILES = 1457;     // lParam: ProfileSnapshot*, filled with a copy
inline constexpr UINT QVM_REQUEST_REFILL = 1458;   // refill with rebuild and notify
inline constexpr UINT QVM_SET_CAPTION = 5026;
inline constexpr UINT QVM_SIZE_POLL = 5029;
inline constexpr UINT QVM_TRAY_NOTIFY = 5031;
inline constexpr UINT QVM_TICK_NOW = 5033;
inline constexpr UINT QVM_MENU_DONE = 5034;

// Timers of the panel.
inline constexpr UINT_PTR kTickTimer = 1;
inline constexpr UINT_PTR kListRefreshTimer = 2;
inline constexpr UINT_PTR kExitWhenIdleTimer = 3;
inline constexpr UINT_PTR kSizePollTimer = 15998;
inline constexpr UINT_PTR kRetryTimer = 15997;  // re-posts commands that came while busy

inline constexpr UINT kTrayIconId = 10;
inline constexpr int kAllProfiles = -1;  // the view kind of the "All Profiles" tab

// The record of message 1457. The panel fills it on the GUI thread with a
// copy of its table: `rows` points to one heap block holding `count` row
// pointers followed by the rows they point to; the caller frees that block
// with std::free (one call frees everything). Null with a count of 0 when the
// table is empty or memory runs out.
struct ProfileSnapshot {
  int32_t count;
  PROFILE** rows;
};

// Asks the panel for a copy of its profile rows; safe from any thread (the
// copy is made on the panel's thread). False when there is no panel.
bool RequestProfileSnapshot(HWND panel, ProfileSnapshot* out);
// The panel's side of 1457, on its own thread.
void FillProfileSnapshot(ProfileSnapshot* out);

struct LayoutEntry {
  int id;
  RECT start;  // in the panel's client coordinates
  int width;
  int height;
  bool moveRight, moveDown, growWide, growTall;
  HWND window;
};
inline constexpr int kLayoutCount = 11;

struct PanelState {
  HWND panel = nullptr;
  HWND list = nullptr;
  HWND tabs = nullptr;
  HWND toolbar = nullptr;
  HMENU menu = nullptr;
  HFONT boldFont = nullptr;
  HIMAGELIST smallImages = nullptr;
  HIMAGELIST largeImages = nullptr;
  int viewKind = kAllProfiles;
  int loadedKind = kAllProfiles;  // whose column widths were loaded last
  bool widthsLoaded = false;
  int sortColumn = 0;
  bool busy = false;
  bool inTick = false;
  bool exiting = false;
  bool hiddenToTray = false;
  bool started = false;
  bool commandLineMode = false;
  bool exitWhenIdle = false;
  bool schedulingEnabled = true;
  bool trayCapable = false;
  bool pluginRunInProgress = false;
  PROFILE* selected = nullptr;
  PROFILE* previous = nullptr;
  char pendingName[PROFILE_DESCRIPTION_LEN] = {};
  bool afterRebuild = false;  // the next UpdateProfileCommands takes the row at ListOffset
                             // (a rebuild that found no row to keep selected)
  RECT minRect{};
  RECT startRect{};
  bool layoutRecorded = false;
  bool sizing = false;
  LayoutEntry layout[kLayoutCount]{};
  char caption[100] = {};  // the template's caption
};

extern PanelState g_panel;

extern "C" __attribute__((visibility("default"))) INT_PTR CALLBACK Big_Buttons_Dialog(HWND panel, UINT message,
                                                                                      WPARAM wParam, LPARAM lParam);

// True once the panel has finished its start (a second start's request to
// see the program waits for it).
bool MainPanelStarted();

// ---- The profile list (panel_list.cpp) ----
int GetSelectedProfileIndex(HWND list);
void GetSelectedProfileName(HWND panel, char* out, int outSize);
void FillProfileList(HWND panel, HFONT font, bool rebuild, bool notify);
int CALLBACK CompareProfiles(LPARAM a, LPARAM b, LPARAM column);
void UpdateProfileCommands(HWND panel, bool enable);
void UpdateProgressPanelProfiles(int mode);
// Forgets the selected and previous rows when they have left the table.
void ForgetRowsNotInTable();
// The list style of [Defaults] ListView (0 details, 1 large, 2 small, 3 list).
void SetListStyle(HWND list, int style);
int GetListStyle(HWND list);
void LoadColumnWidths(int kind);

// ---- Commands (panel_commands.cpp) ----
// The double-click on a row, handled as a command of the panel's own.
inline constexpr WORD kRowDoubleClickCommand = 0xFF01;
void HandleCommand(HWND panel, WPARAM wParam, LPARAM lParam, bool fromToolbar);
void RunActiveProfiles(HWND panel);
void PanelTick(HWND panel, UINT_PTR timer);
// The exit request (40001): hide to the tray while work is pending, else exit.
void RequestExit(HWND panel);
void ExitPanel(HWND panel);
void ShowProductWebPage(HWND owner);
// Icon 1 of the resource module (the window class's and the tray's icon).
HICON ProgramIcon();
// Re-posts the commands that came while another one was handled (the retry timer).
void RetryDeferredCommands(HWND panel);
// Drops the commands still waiting (the panel goes away).
void ForgetDeferredCommands();
// The resume callback handed with a cancel: posts the commands that stopped
// the analysis to the panel again. Any thread.
void ResumeKeptCommands();

// ---- Report programs (report_programs.cpp) ----
int ReportFormatFromExtension(const char* file);
int FindWordProgram(char* path, int* word97);
// Starts the word processor on the report with its page-layout macro.
BOOL LaunchWordOnReport(const char* wordPath, const char* reportPath);
// Starts the spreadsheet program on the file.
BOOL LaunchExcelOnReport(const char* excelPath, const char* reportPath);
void OpenReport(HWND panel);

// ---- Size and place (panel_layout.cpp) ----
void ShowSizeGrip(HWND panel, bool show);
// Replaces the grip control by a size-grip scroll bar of the same id and place.
void ReplaceSizeGrip(HWND panel);
// Keeps the minimum size and each laid-out control's start rectangle.
void RecordLayout(HWND panel);
void ApplyLayout(HWND panel);
void PollSizing(HWND panel);
// Places the panel by [Defaults] MainPanelX/Y/WidthDlgUnits/HeightDlgUnits.
void PlacePanel(HWND panel);
void SavePlacement(HWND panel);
