// Messages of report runs, and the one lock that lets one report run at a time.
#pragma once

#include "qvplatform.h"
#include "report_request.h"

// A report message: with a user present (scheduled 0) a message box with the
// error icon; without one (scheduled 1) a line of the scheduler log at
// `logPath`: the date and time, ", " and the text. Never a box without a user.
void ReportError(HWND window, int scheduled, const char* logPath, const char* text);
// A line of the scheduler log for a run without a user ("BEGIN: ...").
void ReportLogLine(const char* logPath, const char* text);

// The engine's result as a message: 0 -> 1 (made); 1 template problems, 2
// cancelled, 9 general error and any other code -> "Could not create the
// report file ..." through ReportError, 0.
int ReportEngineError(int result, HWND window, int scheduled, const char* outputPath, const char* logPath);

// Takes "AlertReportMutex" for this run. A background request gives up at
// once (0) while another background report runs; otherwise the call waits
// for the running report (handling the window thread's messages meanwhile
// when `window` is given, without polling). 1 when the run may go on.
int LockReportMutex(HWND window, const ReportRequest* request);
// Releases the lock taken by LockReportMutex (and the background mark).
void UnlockReportMutex(const ReportRequest* request);
