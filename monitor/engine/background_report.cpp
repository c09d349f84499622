// The background report's entry point.
#include "background_report.h"

void GenerateBackgroundReport(int /*mode*/, void* /*unused*/) {}
