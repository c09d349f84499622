// Entry points of parts of the program that come later. Each body below is a
// stand-in: the part's own module replaces it.
#include "later_parts.h"

// Entry point; the scheduler replaces this body.
void ShowNextScheduledRunText(HWND) {}

// Entry point; the scheduler replaces this body.
void RunSchedulerStep(HWND) {}

// Entry point; the scheduler replaces this body.
bool IsScheduledRunActive() { return false; }

// Entry point; the scheduler window replaces this body.
INT_PTR ShowSchedulerWindow(HWND, LPARAM) { return 2; }

// Entry point; the scheduler window replaces this body.
void ShowScheduleLog(HWND) {}

// Entry point; the remote report server replaces this body.
void ApplyWebServerSettings() {}

// Entry point; the SNMP agent link replaces this body.
void SendSnmpTrap(const char*) {}

// Entry point; the report viewer replaces this body.
void ShowTextViewer(HWND, const char*, int) {}

// Entry point; the style wizard replaces this body.
void RunStyleWizard(HWND) {}
