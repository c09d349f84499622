// The program's side of the link to its SNMP agent: traps out, and the
// request thread that answers the agent's get, get-next and set of the four
// variables. The link is off while the product's root identifier is empty.
#pragma once

#include "qvplatform.h"
#include "snmp_record.h"

// Posts the trap for the text ("Quorvane is Up", "... Down", "... Enabled",
// "... Disabled"): 0 when the link is off, else PostSnmpRecord's result. The
// first trap makes the named objects and starts the request thread (once,
// whichever threads trap together); "Down" stops the thread and joins it.
int SendSnmpTrap(const char* text);

// Hands the record to the agent and waits for its answer (at most 1000 ms for
// the mutex and 1000 ms for the answer): 0 with the answer in the record, -1
// when there is no shared memory or no answer.
int PostSnmpRecord(SnmpRecord* record);

// The request thread: serves the agent until the link stops it.
DWORD WINAPI SnmpThread(LPVOID);

// Answers one request of the agent in the record.
void HandleSnmpRequest(SnmpRecord* record);
// 0 no match, 1 answer (a get-next takes the id), 2 set.
int MatchSnmpVariable(SnmpRecord* record, const char* id);

// The main panel keeps its title here whenever it sets it: the request thread
// answers "3.0" from this copy and never waits on the panel's thread.
void KeepSnmpPanelTitle(const char* title);

// The trap code of a text: 102 "Up", 103 "Down", 104 "Enabled", 105
// "Disabled" (searched in that order), else 0.
unsigned SnmpTrapCode(const char* text);
// N: the number after the last '.' of the root text, 0 without a '.'.
unsigned SnmpInstanceNumber(const char* root);
