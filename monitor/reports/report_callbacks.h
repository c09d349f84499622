// The report engine's callbacks, exported by name.
#pragma once

#include "qvplatform.h"

// Status texts of the summary callbacks.
inline constexpr char kTokenRetrieved[] = "TOKEN RETREIVED SUCCESSFULLY";
inline constexpr char kTokenUnknown[] = "TOKEN WAS UNKNOWN";
inline constexpr char kTokenRetrievalError[] = "TOKEN RETRIEVAL ERROR";
inline constexpr char kTokenBad[] = "BAD";

// The value of `token` at `index` for the foreground report (events and
// statistics); `status` (at least 64 characters) gets the outcome.
QV_API char* GetSummaryValue(void* request, const char* token, int index, int reserved, char* unused, char* status);
// The same for the summary and background reports: index is the device row.
QV_API char* GetSummaryValueBackground(void* request, const char* token, int index, int reserved, char* unused,
                                       char* status);
// 1 and 4: the plug-in's directory, 2: the alert directory (both without the
// final backslash), 3: the control file; else "PROPERTY_UNKNOWN".
QV_API char* GetPropertyValue(void* request, int property);
// Shows the engine's progress; 0 asks the engine to stop.
QV_API int TakeStatus(void* request, int position, int range, const char* text, int textOnly);
// 0: copy `file` into the report's directory; 1: a file written for the
// report, collected for FTP and e-mail delivery.
QV_API int FileActions(void* request, int action, const char* file);
