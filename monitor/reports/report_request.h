// The record that starts one report run, filled by the report dialog, the
// scheduler and the background report, and handed to the report engine (which
// gives it back to every callback).
#pragma once

#include <cstdint>

#include "memorized_report.h"
#include "plugin_api.h"
#include "qvplatform.h"

struct ReportRequest {
  PROFILE* profile;           // the row the report is about; null for the background report
  MEMORIZED_REPORT* report;   // the report's settings
  int32_t memorizeOnly;       // the report dialog memorizes instead of starting
  int32_t scheduled;          // no user present: messages go to the scheduler log
  char logPath[MAX_PATH];     // the scheduler log
  char controlPath[MAX_PATH];     // the engine's control file
  char outputPath[MAX_PATH];      // the report file the engine writes
  char outputDirectory[MAX_PATH]; // its directory, ending in a backslash
  char** uploadFiles;         // files to send for FTP or e-mail delivery (QVUI_MyAlloc)
  int32_t uploadCount;
  int32_t background;         // the background (AutoReport) run
};

// A request followed by the memorized report it points to, as the report
// dialog and the scheduler make them.
struct ReportRequestWithReport {
  ReportRequest request;
  MEMORIZED_REPORT report;
};
