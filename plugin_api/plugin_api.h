// The plug-in interface shared by the program and every plug-in: the numbered
// plug-in functions, the numbered host callbacks, the result codes, the shapes
// of every function that crosses the interface, and the two records that
// plug-ins own and the program keeps pointers to.
//
// The records are packed and little-endian with their historical field order
// and widths; a pointer field is 8 bytes wide here, so every offset after a
// pointer moves by 4. The static_asserts below pin each offset.
#pragma once

#include <cstddef>
#include <cstdint>

#include "qvplatform/types.h"

// ---------------------------------------------------------------------------
// Result codes, the same numbers in both directions.
enum PluginResult : int {
  PLUGIN_DONE = 1,      // done, found, or one more item delivered
  PLUGIN_NOT_MINE = 2,  // command line (function 20) only: ask the next plug-in
  PLUGIN_FAILED = 3,    // failed, cancelled or not found
  PLUGIN_STOP_ALL = 4,  // continue-work (function 13) only: stop all pending work
  PLUGIN_NO_MORE = 5,   // enumerations: no more items
  PLUGIN_STOP = 7,      // realtime analysis (host callback 10) only: the user cancelled
};

// ---------------------------------------------------------------------------
// The numbered plug-in functions that IsFunctionSupported hands out.
enum PluginFunctionId : int {
  PF_GENERATE_REPORT = 1,
  PF_EDIT_PROFILE = 2,
  PF_DELETE_PROFILE = 3,
  PF_COPY_PROFILE = 4,
  PF_FIND_PROFILE = 5,
  PF_RESERVED_6 = 6,
  PF_EDIT_SCHEDULED_EVENT = 7,
  PF_DELETE_SCHEDULED_EVENT = 8,
  PF_FIND_SCHEDULED_EVENT = 9,
  PF_RESERVED_10 = 10,
  PF_START_SCHEDULED_EVENT = 11,
  PF_UPDATE_PANEL = 12,
  PF_CONTINUE_WORK = 13,
  PF_SHUT_DOWN = 14,
  PF_PROFILE_COMMAND_5010 = 15,
  PF_RESERVED_16 = 16,
  PF_MENU_COMMAND_5250 = 17,
  PF_MENU_COMMAND_5260 = 18,
  PF_MENU_COMMAND_5270 = 19,
  PF_COMMAND_LINE = 20,
  PF_MENU_COMMAND_40002 = 21,
  PF_CREATE_OPTION_DIALOG = 22,
  PF_CLOSE_OPTION_DIALOG = 23,
  PF_CANCEL_ANALYSIS = 24,
  PF_REMOTE_COMMAND = 25,
  PF_GET_HELP_TEXT = 26,
  PF_RESERVED_27 = 27,
  PF_NOTIFY_ROW = 28,
  PF_GET_MAIN_LIST_TEXT = 29,
  PF_IS_SHUT_DOWN_OK = 30,
  PF_COMPARE_ROWS = 31,
  PF_START_SERVICE = 32,
};
inline constexpr int PLUGIN_FUNCTION_FIRST = 1;
inline constexpr int PLUGIN_FUNCTION_LAST = 32;

// The numbered host callbacks that the host hands to SupplyCallback.
enum HostCallbackId : int {
  HC_SET_STATUS_TEXT = 1,
  HC_SET_LINES_TEXT = 2,
  HC_SET_TIME_TEXT = 3,
  HC_SET_PROGRESS = 4,
  HC_IDLE = 5,
  HC_CHECK_PROFILE_NAME = 6,
  HC_SET_SPLASH_TEXT = 7,
  HC_FIND_PROFILE = 8,
  HC_ADD_SCHEDULED_EVENT = 9,
  HC_REALTIME_ANALYSIS = 10,
  HC_FIND_SCHEDULED_EVENT = 11,
  HC_REMOVE_SCHEDULED_EVENT = 12,
  HC_ADD_PROFILE = 13,
  HC_REQUEST_REFRESH = 14,
  HC_CREATE_REPORT = 15,
};
inline constexpr int HOST_CALLBACK_FIRST = 1;
inline constexpr int HOST_CALLBACK_LAST = 15;

// Text widths of the records and of the plug-in's name.
inline constexpr int PLUGIN_NAME_LEN = 100;
inline constexpr int PROFILE_DESCRIPTION_LEN = 80;
inline constexpr int PROFILE_TEXT_LEN = 260;
inline constexpr int SCHEDULE_USERNAME_LEN = 41;
inline constexpr int SCHEDULE_PASSWORD_LEN = 105;

// ---------------------------------------------------------------------------
// Records.
#pragma pack(push, 1)

// One row of the main profile list. The plug-in allocates, fills and frees it;
// the five program values belong to the program and are zeroed by the plug-in
// each time it fills the row.
struct PROFILE {
  int32_t majorVersion;                       // the profile's format major version
  int32_t type;                               // kind of the plug-in that made the row
  char description[PROFILE_DESCRIPTION_LEN];  // the profile's name
  char host[PROFILE_TEXT_LEN];                // the monitored host
  char extraText[PROFILE_TEXT_LEN];           // third text; the program does not read it
  char profileFile[PROFILE_TEXT_LEN];         // full path of the profile file
  int32_t itemCount;                          // program: a count shown in the kind-1 view
  int32_t firstTime;                          // program: seconds since 1970
  int32_t lastTime;                           // program: seconds since 1970
  int32_t state;                              // program: 1 and other values pick the icon
  int32_t running;                            // program: nonzero while work is pending
  void* key;                                  // the plug-in's own profile object
};

// One entry of the program's scheduler. The plug-in allocates, fills and frees
// it; the program changes the start time, the repeat and its own flags in place.
struct SCHEDULE_EVENT {
  PROFILE* profile;                              // owner row, never null when handed out
  char eventFile[PROFILE_TEXT_LEN];              // full path of the event's file
  char associatedProfileFile[PROFILE_TEXT_LEN];  // the profile the report covers
  char saveAs[PROFILE_TEXT_LEN];                 // report target, plain path or with a scheme
  char userName[SCHEDULE_USERNAME_LEN];          // for an FTP or HTTP target
  char password[SCHEDULE_PASSWORD_LEN];          // plain text
  char memorizedReportFile[PROFILE_TEXT_LEN];    // the ".AMR" file whose settings the run uses
  int32_t startTime;                             // next run, seconds since 1970 (UTC)
  int32_t repeatType;                            // 0 minutes .. 4 months, 5 once
  int32_t repeatFrequency;                       // repeat units between runs
  int32_t active;                                // 1 from the plug-in
  int32_t immediateOneShot;                      // program: runs without a countdown
  int32_t runNow;                                // program: set by Run now
  int32_t hiddenRecurring;                       // program: hidden, runs while disabled
  void* key;                                     // the plug-in's own object, may be null
};

#pragma pack(pop)

static_assert(offsetof(PROFILE, majorVersion) == 0);
static_assert(offsetof(PROFILE, type) == 4);
static_assert(offsetof(PROFILE, description) == 8);
static_assert(offsetof(PROFILE, host) == 88);
static_assert(offsetof(PROFILE, extraText) == 348);
static_assert(offsetof(PROFILE, profileFile) == 608);
static_assert(offsetof(PROFILE, itemCount) == 868);
static_assert(offsetof(PROFILE, firstTime) == 872);
static_assert(offsetof(PROFILE, lastTime) == 876);
static_assert(offsetof(PROFILE, state) == 880);
static_assert(offsetof(PROFILE, running) == 884);
static_assert(offsetof(PROFILE, key) == 888);
static_assert(sizeof(PROFILE) == 896);

static_assert(offsetof(SCHEDULE_EVENT, profile) == 0);
static_assert(offsetof(SCHEDULE_EVENT, eventFile) == 8);
static_assert(offsetof(SCHEDULE_EVENT, associatedProfileFile) == 268);
static_assert(offsetof(SCHEDULE_EVENT, saveAs) == 528);
static_assert(offsetof(SCHEDULE_EVENT, userName) == 788);
static_assert(offsetof(SCHEDULE_EVENT, password) == 829);
static_assert(offsetof(SCHEDULE_EVENT, memorizedReportFile) == 934);
static_assert(offsetof(SCHEDULE_EVENT, startTime) == 1194);
static_assert(offsetof(SCHEDULE_EVENT, repeatType) == 1198);
static_assert(offsetof(SCHEDULE_EVENT, repeatFrequency) == 1202);
static_assert(offsetof(SCHEDULE_EVENT, active) == 1206);
static_assert(offsetof(SCHEDULE_EVENT, immediateOneShot) == 1210);
static_assert(offsetof(SCHEDULE_EVENT, runNow) == 1214);
static_assert(offsetof(SCHEDULE_EVENT, hiddenRecurring) == 1218);
static_assert(offsetof(SCHEDULE_EVENT, key) == 1222);
static_assert(sizeof(SCHEDULE_EVENT) == 1230);

// ---------------------------------------------------------------------------
// The three exports every plug-in file carries, found by name.
//
// InitializeSupportLibrary(logon token or null, major out, minor out, kind out,
//   name out of PLUGIN_NAME_LEN characters) -> nonzero accepts, 0 refuses.
// SupplyCallback(HostCallbackId, address of the host function) -> ignored.
// IsFunctionSupported(PluginFunctionId) -> the function's address or null.
typedef int (*PFN_InitializeSupportLibrary)(HANDLE logonToken, int* major, int* minor,
                                            unsigned int* kind, char* name);
typedef int (*PFN_SupplyCallback)(int callbackId, FARPROC callback);
typedef FARPROC (*PFN_IsFunctionSupported)(int functionId);

inline constexpr const char* PLUGIN_EXPORT_INITIALIZE = "InitializeSupportLibrary";
inline constexpr const char* PLUGIN_EXPORT_SUPPLY_CALLBACK = "SupplyCallback";
inline constexpr const char* PLUGIN_EXPORT_IS_SUPPORTED = "IsFunctionSupported";

// ---------------------------------------------------------------------------
// Plug-in functions, one type per id. "panel" is the program's main panel.

// 24: the program's resume step, handed to the plug-in when an analysis is cancelled.
typedef void (*PluginResumeProc)();

typedef int (*PFN_GenerateReport)(HWND panel, PROFILE* row, int mode);                 // 1
typedef int (*PFN_EditProfile)(HWND panel, PROFILE* row, PROFILE** out);               // 2
typedef int (*PFN_DeleteProfile)(HWND panel, PROFILE* row);                            // 3
typedef int (*PFN_CopyProfile)(HWND panel, PROFILE* row, PROFILE** out);               // 4
typedef int (*PFN_FindProfile)(HWND panel, PROFILE* previous, PROFILE* reuse,
                               PROFILE** out);                                         // 5
typedef int (*PFN_EditScheduledEvent)(HWND owner, SCHEDULE_EVENT* event,
                                      SCHEDULE_EVENT** out);                           // 7
typedef int (*PFN_DeleteScheduledEvent)(HWND owner, SCHEDULE_EVENT* event);            // 8
typedef int (*PFN_FindScheduledEvent)(HWND panel, SCHEDULE_EVENT* previous,
                                      SCHEDULE_EVENT** out);                           // 9
typedef int (*PFN_StartScheduledEvent)(HWND panel, SCHEDULE_EVENT* event);             // 11
typedef int (*PFN_UpdatePanel)(HWND panelControl, PROFILE* selected, PROFILE* previous,
                               int mode);                                              // 12
typedef int (*PFN_ContinueWork)(HWND panel, PROFILE* row);                             // 13
typedef int (*PFN_ShutDown)();                                                         // 14
typedef int (*PFN_ProfileCommand)(HWND panel, PROFILE* row);                           // 15
typedef int (*PFN_MenuCommand)(HWND panel);                                  // 17, 18, 19, 21
typedef int (*PFN_CommandLine)(HWND panel, const char* commandLine);                   // 20
typedef HWND (*PFN_CreateOptionDialog)(HWND parent, HBITMAP* bitmap, RECT* bitmapPart,
                                       char* shortTitle, char* longTitle);             // 22
typedef char (*PFN_CloseOptionDialog)(int ok);                                         // 23
typedef int (*PFN_CancelAnalysis)(HWND panel, PluginResumeProc resume);                // 24
typedef int (*PFN_RemoteCommand)(const char* text, void* context);                     // 25
typedef char* (*PFN_GetHelpText)(int functionId, int size);                            // 26
typedef int (*PFN_NotifyRow)(HWND panel, PROFILE* row);                                // 28
typedef int (*PFN_GetMainListText)(PROFILE* row, char* buffer, int size);              // 29
typedef int (*PFN_IsShutDownOK)();                                                     // 30
typedef int (*PFN_CompareRows)(PROFILE* a, PROFILE* b, int column);                    // 31
typedef int (*PFN_StartService)();                                                     // 32

// Modes of function 12.
inline constexpr int PANEL_SHOW = 1;
inline constexpr int PANEL_HIDE = 2;
inline constexpr int PANEL_REFRESH = 3;

// ---------------------------------------------------------------------------
// Host callbacks, one type per id.

// The report engine's questions, passed with host callback 15.
typedef char* (*ReportSummaryProc)(void* request, const char* token, int index, int reserved,
                                   char* unused, char* status);
typedef char* (*ReportPropertyProc)(void* request, int property);
typedef int (*ReportStatusProc)(void* request, int position, int range, const char* text,
                                int textOnly);
typedef int (*ReportFileProc)(void* request, int action, const char* file);

typedef int (*PFN_HostSetText)(const char* text);                                      // 1, 2, 3, 7
typedef int (*PFN_HostSetProgress)(int value);                                         // 4
typedef int (*PFN_HostIdle)();                                                         // 5
typedef int (*PFN_HostCheckProfileName)(PROFILE* candidate, PROFILE* self);            // 6
typedef int (*PFN_HostFindProfile)(void* key, PROFILE** out);                          // 8
typedef int (*PFN_HostAddScheduledEvent)(SCHEDULE_EVENT* event);                       // 9
typedef int (*PFN_HostRealtimeAnalysis)(PROFILE* row, const char* file, int lines,
                                        int percent, int elapsed);                     // 10
typedef int (*PFN_HostFindScheduledEvent)(void* key, SCHEDULE_EVENT** out);            // 11
typedef int (*PFN_HostRemoveScheduledEvent)(SCHEDULE_EVENT* event);                    // 12
typedef int (*PFN_HostAddProfile)(PROFILE* row);                                       // 13
typedef int (*PFN_HostRequestRefresh)(int refillList, int rebuildTable,
                                      int notifyRows);                                 // 14
typedef int (*PFN_HostCreateReport)(const char* scriptPath, void* request,
                                    ReportSummaryProc summary, ReportPropertyProc property,
                                    ReportStatusProc status, ReportFileProc files);    // 15
