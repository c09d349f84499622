// The host callbacks 1 to 15 that every plug-in is handed, and the program's
// exports for the report engine.
#include <atomic>
#include <cstring>
#include <type_traits>

#include "analysis_hook.h"
#include "app_globals.h"
#include "host_tables.h"
#include "report_engine.h"

RealtimeAnalysisHook g_realtimeAnalysisHook = nullptr;

namespace {

// The panel's three status lines.
constexpr int kStatusLine = 19200;
constexpr int kLinesLine = 19210;
constexpr int kTimeLine = 19220;
// The progress bar's "set the position" message.
constexpr UINT kProgressSetPosition = 2024;

std::atomic<HWND> g_progressBar{nullptr};

int SetPanelLine(int id, const char* text) {
  if (g_app.mainPanel != nullptr) SetDlgItemTextA(g_app.mainPanel, id, text != nullptr ? text : "");
  return 1;
}

template <typename F>
FARPROC Address(F function) {
  return reinterpret_cast<FARPROC>(function);
}

}  // namespace

void SetProgressBarWindow(HWND bar) { g_progressBar.store(bar); }
HWND ProgressBarWindow() { return g_progressBar.load(); }

extern "C" {

int WINAPI HostSetStatusText(const char* text) { return SetPanelLine(kStatusLine, text); }
int WINAPI HostSetLinesText(const char* text) { return SetPanelLine(kLinesLine, text); }
int WINAPI HostSetTimeText(const char* text) { return SetPanelLine(kTimeLine, text); }

int WINAPI HostSetProgress(int value) {
  HWND bar = g_progressBar.load();
  if (bar != nullptr) PostMessageA(bar, kProgressSetPosition, static_cast<WPARAM>(value & 0xFFFF), 0);
  return 1;
}

int WINAPI HostIdle() { return 1; }

int WINAPI HostCheckProfileName(PROFILE* candidate, PROFILE* self) {
  if (candidate == nullptr) return PLUGIN_FAILED;
  for (int32_t i = 0; i < ProfileTable.count; ++i) {
    const PROFILE* row = ProfileTable.rows[i];
    if (row == self) continue;
    if (std::strncmp(row->description, candidate->description, PROFILE_DESCRIPTION_LEN) == 0) return PLUGIN_FAILED;
  }
  return PLUGIN_DONE;
}

int WINAPI HostSetSplashText(const char* text) {
  HWND textWindow = g_app.prd.GetSplashTextWnd != nullptr ? g_app.prd.GetSplashTextWnd() : nullptr;
  if (textWindow != nullptr) SetWindowTextA(textWindow, text != nullptr ? text : "");
  return 1;
}

int WINAPI HostFindProfile(void* key, PROFILE** out) {
  for (int32_t i = 0; i < ProfileTable.count; ++i) {
    if (ProfileTable.rows[i]->key == key) {
      if (out != nullptr) *out = ProfileTable.rows[i];
      return PLUGIN_DONE;
    }
  }
  if (out != nullptr) *out = nullptr;
  return PLUGIN_FAILED;
}

int WINAPI HostAddScheduledEvent(SCHEDULE_EVENT* event) {
  SchedulerLock lock;
  const int result = AppendScheduledEvent(event);
  if (result != PLUGIN_DONE) return result;
  if (event->hiddenRecurring != 0) ComputeNextRunTime(event);
  if (!g_scheduledRunInProgress.load()) RescheduleAll(0);
  return PLUGIN_DONE;
}

int WINAPI HostRealtimeAnalysis(PROFILE* row, const char* fileName, int lines, int percent, int elapsed) {
  const int index = ProfileIndex(row);
  RealtimeAnalysisHook hook = g_realtimeAnalysisHook;
  if (hook == nullptr) return PLUGIN_DONE;
  return hook(index, fileName, lines, percent, elapsed) != 0 ? PLUGIN_STOP : PLUGIN_DONE;
}

int WINAPI HostFindScheduledEvent(void* key, SCHEDULE_EVENT** out) {
  SchedulerLock lock;
  for (int32_t i = 0; i < ScheduleTable.count; ++i) {
    if (ScheduleTable.events[i]->key == key) {
      if (out != nullptr) *out = ScheduleTable.events[i];
      return PLUGIN_DONE;
    }
  }
  if (out != nullptr) *out = nullptr;
  return PLUGIN_FAILED;
}

int WINAPI HostRemoveScheduledEvent(SCHEDULE_EVENT* event) {
  SchedulerLock lock;
  RemoveScheduledEvent(event);
  RescheduleAll(0);
  return PLUGIN_DONE;
}

int WINAPI HostAddProfile(PROFILE* row) { return AppendProfile(row); }

int WINAPI HostRequestRefresh(int refill, int rebuild, int notify) {
  if (refill != 0) g_refreshRequests.refill.store(true);
  if (rebuild != 0) g_refreshRequests.rebuild.store(true);
  if (notify != 0) g_refreshRequests.notify.store(true);
  return 0;
}

int CreateReport(const char* scriptPath, void* request, ReportSummaryProc summary, ReportPropertyProc property,
                 ReportStatusProc status, ReportFileProc files) {
  // The six values go to the engine unchanged; the current directory is
  // nobody's to change (the script path is a full path).
  return RunReportEngine(scriptPath, request, summary, property, status, files);
}

int PeekMessageCallback() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(0);
      return 1;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}

}  // extern "C"

FARPROC HostCallbackAddress(int id) {
  switch (id) {
    case HC_SET_STATUS_TEXT: return Address(HostSetStatusText);
    case HC_SET_LINES_TEXT: return Address(HostSetLinesText);
    case HC_SET_TIME_TEXT: return Address(HostSetTimeText);
    case HC_SET_PROGRESS: return Address(HostSetProgress);
    case HC_IDLE: return Address(HostIdle);
    case HC_CHECK_PROFILE_NAME: return Address(HostCheckProfileName);
    case HC_SET_SPLASH_TEXT: return Address(HostSetSplashText);
    case HC_FIND_PROFILE: return Address(HostFindProfile);
    case HC_ADD_SCHEDULED_EVENT: return Address(HostAddScheduledEvent);
    case HC_REALTIME_ANALYSIS: return Address(HostRealtimeAnalysis);
    case HC_FIND_SCHEDULED_EVENT: return Address(HostFindScheduledEvent);
    case HC_REMOVE_SCHEDULED_EVENT: return Address(HostRemoveScheduledEvent);
    case HC_ADD_PROFILE: return Address(HostAddProfile);
    case HC_REQUEST_REFRESH: return Address(HostRequestRefresh);
    case HC_CREATE_REPORT: return Address(CreateReport);
    default: return nullptr;
  }
}

// Each callback has the shape its id promises to the plug-ins.
static_assert(std::is_same_v<decltype(&HostSetStatusText), PFN_HostSetText>);
static_assert(std::is_same_v<decltype(&HostSetLinesText), PFN_HostSetText>);
static_assert(std::is_same_v<decltype(&HostSetTimeText), PFN_HostSetText>);
static_assert(std::is_same_v<decltype(&HostSetProgress), PFN_HostSetProgress>);
static_assert(std::is_same_v<decltype(&HostIdle), PFN_HostIdle>);
static_assert(std::is_same_v<decltype(&HostCheckProfileName), PFN_HostCheckProfileName>);
static_assert(std::is_same_v<decltype(&HostSetSplashText), PFN_HostSetText>);
static_assert(std::is_same_v<decltype(&HostFindProfile), PFN_HostFindProfile>);
static_assert(std::is_same_v<decltype(&HostAddScheduledEvent), PFN_HostAddScheduledEvent>);
static_assert(std::is_same_v<decltype(&HostRealtimeAnalysis), PFN_HostRealtimeAnalysis>);
static_assert(std::is_same_v<decltype(&HostFindScheduledEvent), PFN_HostFindScheduledEvent>);
static_assert(std::is_same_v<decltype(&HostRemoveScheduledEvent), PFN_HostRemoveScheduledEvent>);
static_assert(std::is_same_v<decltype(&HostAddProfile), PFN_HostAddProfile>);
static_assert(std::is_same_v<decltype(&HostRequestRefresh), PFN_HostRequestRefresh>);
static_assert(std::is_same_v<decltype(&CreateReport), PFN_HostCreateReport>);
