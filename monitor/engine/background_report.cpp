// The background report's entry point.
#include "background_report.h"

#include "report_runner.h"

void GenerateBackgroundReport(int mode, void* /*unused*/) { RunBackgroundReport(mode, nullptr); }
