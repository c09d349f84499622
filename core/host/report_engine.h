// The report engine PerlRun of the qv_report library, bound by name on the
// first report, so that the program also runs where the library is missing
// (every report then answers "general error").
#pragma once

#include "plugin_api.h"

// The engine's library file, found in the program directory.
inline constexpr char kReportEngineFile[] = "libqv_report.so";

// Runs the engine with the six values unchanged; 9 when it cannot be bound.
int RunReportEngine(const char* scriptPath, void* request, ReportSummaryProc summary, ReportPropertyProc property,
                    ReportStatusProc status, ReportFileProc files);

// Tests only: binds the engine from this file from now on (null: the usual one).
void SetReportEngineFileForTests(const char* file);
