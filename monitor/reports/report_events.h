// The foreground report's events: the status-log entries of one profile kept
// for the report, their normalised event names, and the up- and downtime
// statistics computed from them.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>

#include "qv_logstat.h"

// Field types of status-log entries the report reads.
inline constexpr int kReportFieldComputer = 1;
inline constexpr int kReportFieldEvent = 4;
inline constexpr int kReportFieldState = 5;
inline constexpr int kReportFieldAction = 6;
inline constexpr int kReportFieldProfileId = 8;
inline constexpr int kReportFieldUser = 9;
inline constexpr int kReportFieldStatus = 10;
inline constexpr int kReportFieldMessage = 11;
inline constexpr int kReportFieldRecovery = 12;

struct ReportEvent {
  int fieldCount;
  QVLS_ENTRY_FIELD* fields;  // from the status log (or made here); freed with FreeReportEvents
  int unused;
  int actionCount;
  int profileId;
};

// A growable table of events (QVUI_MyRealloc, one element more per event).
struct ReportEventTable {
  ReportEvent* events = nullptr;
  int count = 0;
};
// Appends; false when memory is short (the event is then not the table's).
bool AppendReportEvent(ReportEventTable* table, const ReportEvent& event);
// Frees every event's fields and the table.
void FreeReportEvents(ReportEventTable* table);

// The time stamp of an event (that of its fields).
time_t EventTime(const ReportEvent& event);
// The text of the event's first field of `type`, or null.
const char* EventField(const ReportEvent& event, int type);
// The text of the event's n-th (from 0) field of `type`, or null.
const char* EventFieldAt(const ReportEvent& event, int type, int n);
// Sets the event's name (its type-4 text).
void RenameEvent(ReportEvent* event, const char* name);

// Whether `when` lies in the time range (0-5) as seen at local time `now`.
bool InTimeRange(time_t when, int timeRange, time_t now);

// A "STATUS" or "INIT" event takes its state: "STATUS_UP", "STATUS_DOWN",
// "STATUS_DISABLED", "INIT_UP", ... (a state other than DOWN or DISABLED is up).
void NormaliseEvent(ReportEvent* event);

// What reading the status log needs: the log, the profile, the range, the
// clock, and a step between entries that answers false to stop (cancel).
struct EventQuery {
  std::string logPath;
  uint32_t profileId = 0;
  int timeRange = 0;
  time_t now = 0;
  std::function<bool(int line)> step;  // may be empty
};
// Reads the profile's entries in the range into the table, normalised, then
// appends a GOODBYE stamped `now`; the last-50 range keeps the last 50 events
// (the GOODBYE among them). False when stopped or memory ran short (the table
// then holds what was read).
bool ReadProfileEvents(const EventQuery& query, ReportEventTable* table, bool* outOfMemory);

// Up- and downtime statistics.
struct ReportStatistics {
  int64_t totalDown = 0;
  int64_t totalUp = 0;
  int64_t minDown = -1;  // -1: none
  int64_t minUp = -1;
  int64_t maxDown = 0;
  int64_t maxUp = 0;
  int64_t downCount = 0;
  int64_t upCount = 0;
  int periodKind = 3;  // 1 up, 2 down, 3 neither
  int64_t periodStart = 0;
  int64_t runningLength = 0;
  time_t firstTime = 0;
  time_t lastTime = 0;
  std::string computer;
  int64_t runningTime = 0;  // between HELLO and GOODBYE
  int64_t stoppedTime = 0;  // between GOODBYE and the next HELLO
  time_t helloTime = 0;
  time_t goodbyeTime = 0;
  int runState = 0;  // 1 after HELLO, 2 after GOODBYE
};

// Summarises the table into `stats` (reset first), renaming out-of-sequence
// events, repeated HELLOs and GOODBYEs, and events with unknown fields, and
// counting each event's actions. `step` (may be empty) is called per event
// and answers false to stop; false when stopped.
bool SummariseEvents(ReportEventTable* table, ReportStatistics* stats, const std::function<bool(int)>& step);

// "1 hours 2 minutes 5 seconds"; "0" for 0.
std::string DurationText(int64_t seconds);
// "%d" of the integer part of part / (down + up) x 100; "0" when nothing.
std::string PercentText(int64_t part, int64_t down, int64_t up);
