// Entry points of parts of the program that come later. Each body below is a
// stand-in: the part's own module replaces it.
#include "later_parts.h"

// Entry point; the remote report server replaces this body.
__attribute__((weak)) void ApplyWebServerSettings() {}
// Entry points; the SNMP link replaces these bodies.
__attribute__((weak)) int SendSnmpTrap(const char*) { return 0; }
__attribute__((weak)) void KeepSnmpPanelTitle(const char*) {}

