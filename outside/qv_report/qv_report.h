// The report engine: makes an HTML report from a control file, a template of
// blocks and the values its caller's callbacks hand over.
//
// PerlRun(script, request, summary, property, status, files):
//   script    the page frame ("qv_report.pl"), a Windows path;
//   request   passed back unchanged to every callback;
//   summary   the value of a token at an index, with a status text;
//   property  1 the caller's directory (Style.ini and "Base\Images\" lie
//             there), 3 the control file;
//   status    progress per report object; an answer of 0 cancels;
//   files     0: copy this file beside the report; 1: this file (a bare
//             name beside the report) was written.
// Results: 0 made, 1 a template problem, 2 cancelled, 9 any other error. A
// report that is not made leaves the file that was there before unchanged.
// The engine keeps no state between calls; calls on several threads at once
// are safe as far as the callbacks are.
#pragma once

#include "qvplatform.h"

typedef char* (*QvrSummaryProc)(void* request, const char* token, int index, int reserved, char* unused,
                                char* status);
typedef char* (*QvrPropertyProc)(void* request, int property);
typedef int (*QvrStatusProc)(void* request, int position, int range, const char* text, int textOnly);
typedef int (*QvrFileProc)(void* request, int action, const char* file);

inline constexpr int QVR_MADE = 0;
inline constexpr int QVR_TEMPLATE_PROBLEM = 1;
inline constexpr int QVR_CANCELLED = 2;
inline constexpr int QVR_GENERAL_ERROR = 9;

// Properties the engine asks for.
inline constexpr int QVR_PROPERTY_DIRECTORY = 1;
inline constexpr int QVR_PROPERTY_CONTROL_FILE = 3;

// Status texts of the summary callback.
inline constexpr char QVR_TOKEN_OK[] = "TOKEN RETREIVED SUCCESSFULLY";
inline constexpr char QVR_TOKEN_END[] = "TOKEN RETRIEVAL ERROR";

QV_API int PerlRun(const char* script, void* request, QvrSummaryProc summary, QvrPropertyProc property,
                   QvrStatusProc status, QvrFileProc files);
