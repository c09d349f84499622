// Paths of the plug-in's files below the program directory, and the check and
// creation of a report's directory.
#pragma once

#include <cstddef>

#include "qvplatform.h"

// Each writes the path into out (size characters with the zero) and answers
// true; false with out empty when the path does not fit. The directories end in
// a backslash.
bool GetReportsDirectory(char* out, size_t size);      // <local>REPORTS\            .
bool GetAlertReportDirectory(char* out, size_t size);  // <local>REPORTS\Alert\, created when missing
bool GetAlertDirectory(char* out, size_t size);        // <local>QVM_ALRT\            .
bool GetDataDirectory(char* out, size_t size);         // <local>QVM_ALRT\DATFILES\   .
bool GetProfileListDirectory(char* out, size_t size);  // the data directory
bool GetMemorizedReportDirectory(char* out, size_t size);  // the data directory
bool GetScheduleEventDirectory(char* out, size_t size);    // the data directory
bool GetAlertIniPath(char* out, size_t size);          // <local>QVM_ALRT\QVM_ALRT.INI
bool GetAlertHelpPath(char* out, size_t size);         // <local>HELP\ENGLISH\QVM_ALRT.HLP

// Makes sure the directory of `reportPath` (everything before its last
// backslash) exists. A bare drive ("C:") counts as existing. Unless quiet, the
// user is asked before it is created. Every missing level is created in order.
// False when the user declines or the directory cannot be created (which is
// reported in a message box).
bool EnsureReportDirectory(HWND owner, const char* reportPath, bool quiet);
