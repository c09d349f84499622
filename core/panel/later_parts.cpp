// Entry points of parts of the program that come later. Each body below is a
// stand-in: the part's own module replaces it.
#include "later_parts.h"

// Entry point; the remote report server replaces this body.
void ApplyWebServerSettings() {}

// Entry point; the SNMP agent link replaces this body.
void SendSnmpTrap(const char*) {}

// Entry point; the options window replaces this body.
void ShowOptionWindow(HWND) {}

// Entry point; the style wizard replaces this body.
void RunStyleWizard(HWND) {}

// Entry point; the support mail replaces this body.
int SendMapiMail(HWND, const char*, const char*, const char*, const char*) { return 0; }
