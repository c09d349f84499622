// What one report run keeps while the report engine runs: the request, the
// dialog showing the progress, the events and statistics (foreground) or the
// device snapshot (summary and background), and the buffer of the value last
// handed to the engine. The engine passes the request back to every callback;
// the callbacks find the run by it.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "plugin_api.h"
#include "qvplatform.h"
#include "report_events.h"
#include "report_request.h"

class CMonitorProfile;

// One device of the summary and background reports' snapshot.
struct DeviceSummaryRow {
  char host[256];
  int32_t lastResult;
  int32_t disabled;
  int32_t statusCode;
  CMonitorProfile* profile;
  time_t stateChangedTime;
  char statusText[256];
  char description[80];  // the profile's, copied with the snapshot
  char kindName[64];
};

struct ReportContext {
  ReportRequest* request = nullptr;
  HWND dialog = nullptr;    // the progress dialog; null for background runs
  HWND progress = nullptr;  // its progress bar
  bool cancelled = false;
  bool rangeSet = false;
  // Foreground report.
  ReportEventTable events;
  ReportStatistics stats;
  int current = -1;  // the event Var_Alert_Event_Type chose last
  std::string host;
  std::string kindName;
  std::string description;
  // Summary and background reports.
  std::vector<DeviceSummaryRow> rows;
  // AutoReport interval in minutes when the run is a background one with AutoReport on.
  int autoReportMinutes = 0;
  // The clock of the run (tests set their own).
  std::function<time_t()> now;
  // The value last handed out.
  char value[1024] = "";
};

// The run of a request while its engine runs: registered around the engine
// call. Null when the request has no run.
void RegisterReportContext(ReportContext* context);
void UnregisterReportContext(ReportContext* context);
ReportContext* FindReportContext(const void* request);

// The summary-token table: the token's id, -1 when unknown (case ignored).
int SummaryTokenId(const char* token);
inline constexpr int kSummaryTokenCount = 47;

// The date "%s, %s %d, %d" and time "%02d:%02d:%02d" texts of a moment in
// local time; "n/a" for 0.
std::string ReportDateText(time_t when);
std::string ReportTimeText(time_t when);
// "Wed, Dec 9, 2026 at 12:48:31".
std::string ReportNowText(time_t now);

// Runs the engine through host callback 15 on the context with the given
// summary callback; the engine's result (9 when the host gave no callback 15).
int RunReportEngine(ReportContext* context, ReportSummaryProc summary);
