// The library's services around the program's shell: the run-time language,
// the display, the scheduler log, file prompts and showing documents in the
// browser. Included by qv_ui.h.
#pragma once

#include "qvplatform.h"

// ---------------------------------------------------------------------------
// Language and display.
//
// QVUI_ReadRuntimeLanguage: the name of the language the program registered
// with (QVUI_Register with a non-zero id): "ENGLISH" (also for any language
// the library has no name for), "FRENCH", "GERMAN" or "JAPANESE"; a constant
// text. QVUI_GetWebPageProductIndex: which product's pages the product
// library's web page `page` (1-5) belongs to: 1, the one product there is;
// 0 for a page number outside 1-5. QVUI_GetNumSysColors: the display's colour
// depth in bits per pixel.
QV_API const char* QVUI_ReadRuntimeLanguage();
QV_API int QVUI_GetWebPageProductIndex(HINSTANCE instance, int page, const char* text);
QV_API int QVUI_GetNumSysColors();

// ---------------------------------------------------------------------------
// Scheduler log: "SCHEDULE.LOG" in the program directory, one line per
// scheduled run or report message, each ending in CR LF. The instance names
// the calling module; program and plug-ins share the one log.
//
// QVUI_GetScheduleLogFilename: the log's path, a text that stays valid and
// unchanged for the life of the process (any thread may keep it).
// QVUI_CreateSchedulerLogFile: makes an empty log when there is none; TRUE
// when the log exists afterwards. QVUI_WriteSchedulerLogFile: appends
// `first`, then, when `second` is given and not empty, a tab and `second`
// (line breaks inside either become blanks, so one call is one line); TRUE
// when written. Every line begins with its date and time: a line whose first
// text does not begin with a digit is led by the present local date and time
// in the regional short form ("12/09/26 08:00:00 "). Writers on several
// threads never mix their lines.
QV_API const char* QVUI_GetScheduleLogFilename(HINSTANCE instance);
QV_API BOOL QVUI_CreateSchedulerLogFile(HINSTANCE instance);
QV_API BOOL QVUI_WriteSchedulerLogFile(HINSTANCE instance, const char* first, const char* second);

// ---------------------------------------------------------------------------
// File prompt. Asks the user for a file, starting in `folder` with the file
// name `name` offered (either may be null or empty). `title` and `filter` are
// texts, or string ids of `instance` (MAKEINTRESOURCE); the filter is pairs of
// description and patterns, each followed by '|' ("Reports|*.htm|"). Flag
// bit 0: the file must exist (an open prompt); without it a save prompt.
// On a choice, `path` (MAX_PATH characters) receives the file and the answer
// is TRUE; a cancelled prompt answers FALSE and leaves `path` alone.
#define QVUI_FILE_MUST_EXIST 0x0001
QV_API BOOL QVUI_GetFilename(HWND owner, HINSTANCE instance, char* path, const char* folder, const char* name,
                             const char* title, const char* filter, int flags);

// ---------------------------------------------------------------------------
// Shows a document (a file or an address) in the web browser named by
// [Browser] Path of the program's settings file "QUORVANE.INI", or with the
// desktop's opener when none is named. A file (anything but an address with
// a scheme, "http:...") reaches the browser by its path on this system.
// TRUE when the browser was started; FALSE (last error set) for an empty
// document, one holding a double quote, a file path that cannot be mapped, or
// a browser that could not be started.
QV_API BOOL QVUI_ShowHTMDocument(HWND window, const char* document);
