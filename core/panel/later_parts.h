// Entry points of other parts of the program that the main panel calls. Each
// is defined with a body that does nothing (or the least that keeps the panel
// working) until its own module takes its place: in later_parts.cpp, or, for
// start-up's, in stand_ins/ (built only while start-up's module is absent).
#pragma once

#include "qvplatform.h"

// ---- Timers of the program's windows ----
// Every window timer of the program goes through these two.
UINT_PTR SetQvTimer(HWND window, UINT_PTR id, UINT interval, TIMERPROC procedure);
BOOL KillQvTimer(HWND window, UINT_PTR id);

// ---- Scheduler ----
// Status line 19200: the time left to the next scheduled run.
void ShowNextScheduledRunText(HWND panel);
// The scheduler's step on the panel's tick: runs the due event, if any.
void RunSchedulerStep(HWND panel);
// True while a scheduled run is under way (set at its start, cleared when it
// has been re-planned).
bool IsScheduledRunActive();
// The scheduler window (template 640) for the row; its result.
INT_PTR ShowSchedulerWindow(HWND panel, LPARAM row);
// The scheduler log in the text viewer.
void ShowScheduleLog(HWND owner);

// ---- Remote report server, SNMP link ----
void ApplyWebServerSettings();
void SendSnmpTrap(const char* text);

// ---- Options, viewer, style wizard, support mail ----
void ShowOptionWindow(HWND owner);
// The text viewer (template 320) on a file, in text-file mode, with its help topic.
void ShowTextViewer(HWND owner, const char* file, int helpTopic);
void RunStyleWizard(HWND owner);
int SendMapiMail(HWND owner, const char* subject, const char* address, const char* addressName,
                 const char* body);

// ---- Start-up helpers ----
// True while the service was started with a nonzero start-hidden value.
bool ServiceStartHidden();
// Offers the import of an older installation's settings; 1 when the import
// program was started.
int OfferImport(HWND panel);
// The spreadsheet program's path into path (MAX_PATH); 1 when found, else 0.
int FindExcelProgram(char* path);
// True when the first-start step imported the browser's proxy settings.
bool ProxySettingsWereImported();
// The address of a product web page (1..5), or null.
const char* GetProductWebPage(HINSTANCE instance, int page, char* text);
