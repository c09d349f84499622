// Entry points of other parts of the program that the main panel calls. The
// later parts' entry points are defined in later_parts.cpp with a body that
// does nothing until their own module takes its place; start-up's (timers,
// web pages, service start, import offer, first-start step) are its own.
#pragma once

#include "app/app_start.h"         // ServiceStartHidden
#include "app/product_binding.h"   // GetProductWebPage
#include "app/qv_timer.h"          // SetQvTimer, KillQvTimer
#include "import/browser_import.h"  // ProxySettingsWereImported
#include "import/import_offer.h"    // OfferImport, FindExcelProgram
#include "qvplatform.h"

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
int SendSnmpTrap(const char* text);
// The panel's title as the SNMP link answers it.
void KeepSnmpPanelTitle(const char* title);

// ---- Options, viewer, style wizard, support mail ----
void ShowOptionWindow(HWND owner);
// The text viewer (template 320) on a file, in text-file mode, with its help topic.
void ShowTextViewer(HWND owner, const char* file, int helpTopic);
void RunStyleWizard(HWND owner);
int SendMapiMail(HWND owner, const char* subject, const char* address, const char* addressName,
                 const char* body);
