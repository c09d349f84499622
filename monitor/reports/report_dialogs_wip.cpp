// Placeholder until the report and schedule dialogs are in.
#include "report_dialogs.h"

int RunReportDialog(HWND, ReportRequest*) { return 0; }
int RunScheduleDialog(HWND, SCHEDULE_EVENT*) { return 0; }
