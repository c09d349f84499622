// The scheduler: runs the schedule events that plug-ins hand to the host at
// their due times. It has no thread of its own; the main panel's 2-second
// tick drives it on the GUI thread. Every access to the ScheduleTable holds
// the scheduler mutex (SchedulerLock).
//
// Times are seconds since 1970 held as unsigned 32-bit values (the event
// record stores them in a 32-bit field), so dates up to 2106 work.
#pragma once

#include <cstdint>

#include "plugin_api.h"
#include "qvplatform.h"

// The scheduler's clock: seconds since 1970. Tests put a clock of their own
// in its place; null restores the system clock.
using SchedulerClock = uint32_t (*)();
void SetSchedulerClock(SchedulerClock clock);
uint32_t SchedulerNow();

// The event's next run as the unsigned value it is, and back.
inline uint32_t NextRunOf(const SCHEDULE_EVENT* event) { return static_cast<uint32_t>(event->startTime); }
inline void SetNextRun(SCHEDULE_EVENT* event, uint32_t when) { event->startTime = static_cast<int32_t>(when); }

// Repeat units of an event.
inline constexpr int32_t kRepeatMinutes = 0;
inline constexpr int32_t kRepeatHours = 1;
inline constexpr int32_t kRepeatDays = 2;
inline constexpr int32_t kRepeatWeeks = 3;
inline constexpr int32_t kRepeatMonths = 4;
inline constexpr int32_t kRepeatOnce = 5;

// Advances the event's next run to its first whole step at or after now. A
// one-time event whose time has come is deactivated; so is a recurring event
// whose step is zero or negative, or whose next run would pass the unsigned
// 32-bit range. (ComputeNextRunTime itself is declared in host_tables.h.)

// The sort key "%d%d%d%08lx" of an event: not immediate, not active, not
// run-now, next run. out holds at least kScheduleKeySize characters.
inline constexpr int kScheduleKeySize = 12;
void ScheduleSortKey(const SCHEDULE_EVENT* event, char* out);
// Orders the table ascending by key (mutex held).
void SortSchedule();
// Chooses the next due event into ScheduleTable.nextDue (mutex held). With
// reset 1 every event is made active with run-now cleared, and past next runs
// are advanced.
void ChooseNextDueEvent(int reset);

// One run of the event and its re-planning; the tick calls them.
void RunScheduledEvent(HWND panel, SCHEDULE_EVENT* event, bool commandLineMode);
void ScheduleChanged(HWND panel, SCHEDULE_EVENT* event, bool commandLineMode);

// The time span as the text of status line 19200 ("Next run in ...").
void FormatTimeSpan(uint32_t seconds, char* out, int outSize);

// Whether scheduled items may run (the negation of [Defaults]
// DisableScheduledItems, kept by the panel).
bool SchedulingEnabled();

// The countdown dialog (template 700) and the scheduler window (template 640).
QV_API INT_PTR CALLBACK WaitAndCountDownDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
QV_API INT_PTR CALLBACK SchedulerDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void FillScheduleList(HWND dialog, HFONT font);
// The selected rows' events, in list order, in a new array (std::free) or
// null; the count.
int GetSelectedEvents(HWND dialog, SCHEDULE_EVENT*** out);

// Message 5028 of the scheduler window: reads the check box (wParam 1: stores
// it); answers whether scheduling is enabled.
inline constexpr UINT QVM_SCHEDULER_CHECK = 5028;

// Controls and resources.
inline constexpr int kCountdownTemplate = 700;
inline constexpr int kSchedulerTemplate = 640;
inline constexpr int kStatusLineId = 19200;
