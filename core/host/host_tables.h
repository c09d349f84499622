// The host's two tables of plug-in-owned records and the host callbacks through
// which plug-ins read and change them.
//
// ProfileTable: the main panel's rows, touched only on the GUI thread.
// ScheduleTable: the scheduler's events, every access under the scheduler
// mutex "QV40_SchedulerMutex" (re-entrant for its owner).
#pragma once

#include <atomic>

#include "plugin_api.h"
#include "qvplatform.h"

struct ProfileTableData {
  PROFILE** rows;
  int32_t count;
};
struct ScheduleTableData {
  SCHEDULE_EVENT** events;
  int32_t count;
  SCHEDULE_EVENT* nextDue;  // the chosen next-due event, or null
  int32_t nextDueTime;      // its next run, seconds since 1970
};

extern ProfileTableData ProfileTable;
extern ScheduleTableData ScheduleTable;

// The scheduler mutex, created at start-up.
inline constexpr char kSchedulerMutexName[] = "QV40_SchedulerMutex";
extern std::atomic<HANDLE> g_schedulerMutex;
// Creates the named mutex (not owned) into g_schedulerMutex; false (the
// last error set) when it cannot be had. CloseSchedulerMutex closes it.
bool CreateSchedulerMutex();
void CloseSchedulerMutex();
// RAII holder of the scheduler mutex. Re-entrant for the owning thread. Until
// the named mutex exists (or when it could not be made) a process-local
// re-entrant lock stands in, so the table is never left unguarded.
class SchedulerLock {
 public:
  SchedulerLock();
  ~SchedulerLock();
  SchedulerLock(const SchedulerLock&) = delete;
  SchedulerLock& operator=(const SchedulerLock&) = delete;

 private:
  HANDLE mutex_;  // the mutex taken; null: the stand-in lock
};

// Refresh requests that the main panel consumes on its next tick; callback 14
// sets them from any thread.
struct PanelRefreshRequests {
  std::atomic<bool> refill{false};
  std::atomic<bool> rebuild{false};
  std::atomic<bool> notify{false};
};
extern PanelRefreshRequests g_refreshRequests;

// Set by the scheduler while it runs an event; read by callback 9.
extern std::atomic<bool> g_scheduledRunInProgress;

// ---- Table operations ----
PROFILE** GrowProfileArray(PROFILE** array, int32_t count, PROFILE* row);
void FreeProfileArray(PROFILE** array);
// 1, or 3 when memory runs out or row is null; a row already in the table stays once.
int AppendProfile(PROFILE* row);
void RemoveProfileAt(int index);       // later rows move down; no effect out of range
void FreeProfileTable();
// Whether the row is (still) in the ProfileTable: a row that left it must
// never be handed to a plug-in again. Its index, or -1.
bool IsProfileInTable(const PROFILE* row);
int ProfileIndex(const PROFILE* row);
// New count. A plug-in is offered for refilling only the old rows it handed
// out itself, in their table order (the first plug-in of a kind also the
// rows of its kind added since the last rebuild).
int RebuildProfileTable(HWND panel);
void NotifyProfilesOfPlugins(HWND panel);

// Code that walks the ScheduleTable and calls plug-ins meanwhile (which may
// pump messages) holds a ScheduleWalk (schedule_walk.h) around the walk.
SCHEDULE_EVENT** GrowScheduleArray(SCHEDULE_EVENT** array, int32_t count, SCHEDULE_EVENT* event);
void FreeScheduleArray(SCHEDULE_EVENT** array);
void FreeScheduleTable();                         // call with the mutex held
int RemoveScheduledEvent(SCHEDULE_EVENT* event);  // the index it had, or -1
// Appends an event (the mutex is taken): 1, or 3 when memory runs out or the
// event (or its owner row) is null. An event already in the table stays once.
int AppendScheduledEvent(SCHEDULE_EVENT* event);
// Whether the event is (still) in the ScheduleTable (the mutex is taken).
bool IsEventInTable(const SCHEDULE_EVENT* event);
int RebuildSchedule(HWND panel);                  // call with the mutex held
void ReplaceEventProfile(PROFILE* oldRow, PROFILE* newRow);
void DeleteProfileEvents(HWND panel, PROFILE* row);  // call with the mutex held
// Safe from any thread: the work runs on the GUI thread (the thread that bound
// the plug-ins), through a hidden window of the host; with no plug-in bound
// there is nobody to offer the command to and nothing happens. A thread that
// calls it must be stopped before the GUI thread stops serving messages.
void OfferRemoteCommandToPlugins(const char* text);

// The scheduler's entry points (core/scheduler); the tables call them after a
// change, with the mutex held.
void RescheduleAll(int startUp);
void ComputeNextRunTime(SCHEDULE_EVENT* event);

// The progress-bar window that callback 4 posts to (made by the panel's
// progress code, which sets it here; null: no bar).
void SetProgressBarWindow(HWND bar);
HWND ProgressBarWindow();

// The report engine's result "general error", answered while no engine is bound.
inline constexpr int kReportEngineGeneralError = 9;

// ---- Host callbacks (handed to every plug-in) ----
extern "C" {
int WINAPI HostSetStatusText(const char* text);
int WINAPI HostSetLinesText(const char* text);
int WINAPI HostSetTimeText(const char* text);
int WINAPI HostSetProgress(int value);
int WINAPI HostIdle();
int WINAPI HostCheckProfileName(PROFILE* candidate, PROFILE* self);
int WINAPI HostSetSplashText(const char* text);
int WINAPI HostFindProfile(void* key, PROFILE** out);
int WINAPI HostAddScheduledEvent(SCHEDULE_EVENT* event);
int WINAPI HostRealtimeAnalysis(PROFILE* row, const char* fileName, int lines, int percent, int elapsed);
int WINAPI HostFindScheduledEvent(void* key, SCHEDULE_EVENT** out);
int WINAPI HostRemoveScheduledEvent(SCHEDULE_EVENT* event);
int WINAPI HostAddProfile(PROFILE* row);
int WINAPI HostRequestRefresh(int refill, int rebuild, int notify);
// Exported for the report engine and plug-ins.
__attribute__((visibility("default"))) int CreateReport(const char* scriptPath, void* request,
                                                        ReportSummaryProc summary, ReportPropertyProc property,
                                                        ReportStatusProc status, ReportFileProc files);
__attribute__((visibility("default"))) int PeekMessageCallback();
}

// The address of host callback `id` (1..15), for SupplyCallback.
FARPROC HostCallbackAddress(int id);
