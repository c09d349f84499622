// The steps of a report run that the progress dialog and the background
// report share: reading and summarising the status log, the device snapshot,
// the engine, and delivering the made report.
#pragma once

#include <functional>

#include "qvplatform.h"
#include "report_context.h"

// A status text with a progress position: false asks the run to stop.
using ReportStep = std::function<bool(const char* text, int position, int range)>;

// The foreground report of the request's profile: reads the status log at
// `statusLog`, summarises, writes the control file and runs the engine. 1
// when the report was made; failures are reported through ReportError.
int MakeForegroundReport(ReportContext* context, const char* statusLog, const ReportStep& step);

// Fills the context's rows with a snapshot of every device; false when the
// engine has no devices.
bool TakeDeviceSnapshot(ReportContext* context);

// The summary report (autoReport 0, the dialog's request and context, the
// lock already held) or the periodic background report (autoReport 1, built
// here, the lock taken and released here). 1 when the engine made the report.
int RunBackgroundReport(int autoReport, ReportContext* dialogContext);

// Delivers a made report by the report's URLType: shows it (a file, when a
// user is present), uploads it by FTP, or mails it. The result: 1 delivered.
int DeliverReport(ReportContext* context, const std::function<void(const char*)>& status);
// Frees the request's upload list.
void FreeUploadFiles(ReportRequest* request);

// Tests: the clock of report runs (null: the system's).
void SetReportClockForTests(std::function<time_t()> now);
time_t ReportNow();
