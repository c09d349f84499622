// The modal dialogs that set up reports and schedule events, and the report
// run's progress dialog.
#pragma once

#include "plugin_api.h"
#include "qvplatform.h"
#include "report_request.h"

// The report dialog (template 125) on the request: 1 when a report is to run
// (or was memorized in memorize-only mode), 0 when cancelled.
int RunReportDialog(HWND parent, ReportRequest* request);
// The schedule dialog (template 7100) on the event: 1 saved, 0 cancelled.
int RunScheduleDialog(HWND parent, SCHEDULE_EVENT* event);
// The progress dialog (template 30000) that makes and delivers the report: 1
// when the report was made (and delivered).
int RunAlertReportDialog(HWND parent, ReportRequest* request);
