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
extern HANDLE g_schedulerMutex;
// RAII holder of the scheduler mutex.
class SchedulerLock {
 public:
  SchedulerLock();
  ~SchedulerLock();
  SchedulerLock(const SchedulerLock&) = delete;
  SchedulerLock& operator=(const SchedulerLock&) = delete;
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
int AppendProfile(PROFILE* row);       // 1, or 3 when memory runs out
void RemoveProfileAt(int index);       // later rows move down
void FreeProfileTable();
int RebuildProfileTable(HWND panel);   // new count
void NotifyProfilesOfPlugins(HWND panel);

SCHEDULE_EVENT** GrowScheduleArray(SCHEDULE_EVENT** array, int32_t count, SCHEDULE_EVENT* event);
void FreeScheduleArray(SCHEDULE_EVENT** array);
void FreeScheduleTable();                         // call with the mutex held
int RemoveScheduledEvent(SCHEDULE_EVENT* event);  // the index it had, or -1
int RebuildSchedule(HWND panel);                  // call with the mutex held
void ReplaceEventProfile(PROFILE* oldRow, PROFILE* newRow);
void DeleteProfileEvents(HWND panel, PROFILE* row);  // call with the mutex held
// Safe from any thread: the work runs on the GUI thread.
void OfferRemoteCommandToPlugins(const char* text);

// The scheduler's re-ordering (its own module); the tables call it after a
// change. Until the scheduler exists it does nothing.
void RescheduleAll(int startUp);
void ComputeNextRunTime(SCHEDULE_EVENT* event);

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
int WINAPI HostRealtimeAnalysis(PROFILE* row, const char* fileName, int lines, int percent, int time);
int WINAPI HostFindScheduledEvent(void* key, SCHEDULE_EVENT** out);
int WINAPI HostRemoveScheduledEvent(SCHEDULE_EVENT* event);
int WINAPI HostAddProfile(PROFILE* row);
int WINAPI HostRequestRefresh(int refill, int rebuild, int notify);
// Exported for the report engine and plug-ins.
__attribute__((visibility("default"))) int CreateReport(void* a, void* b, void* c, void* d, void* e, void* f);
__attribute__((visibility("default"))) int PeekMessageCallback();
}

// The address of host callback `id` (1..15), for SupplyCallback.
FARPROC HostCallbackAddress(int id);
