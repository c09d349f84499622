// Schedule events (".AMS"): the event file, the plug-in's table of the
// SCHEDULE_EVENT records handed to the program, and the program's functions
// on events and reports (ids 1, 7, 8, 9 and 11).
#pragma once

#include "plugin_api.h"
#include "qvplatform.h"

// Zeroes the record, keeps `path` as its event file and reads [Main].
void ReadScheduleEvent(SCHEDULE_EVENT* event, const char* path);
// Writes [Main] in its fixed key order; a new file is its owner's alone before
// any key goes in. False when a key could not be written.
bool WriteScheduleEvent(const SCHEDULE_EVENT* event, const char* path);

// The table of dynamic events. Adding copies the record into a new block and
// answers the copy (null when memory is short), reusing the first free slot;
// removing frees the record and leaves its slot free. Removing a record the
// table does not hold does nothing (false).
SCHEDULE_EVENT* AddDynamicEvent(const SCHEDULE_EVENT* event);
bool RemoveDynamicEvent(SCHEDULE_EVENT* event);
// Slots in the table (used and free) and records held, for tests.
int DynamicEventSlots();
int DynamicEventCount();
// Frees every record and the table (plug-in detach).
void FreeDynamicEvents();

// The program's functions.
int GenerateReportForRow(HWND parent, PROFILE* row);
int FindScheduledEvent(HWND parent, SCHEDULE_EVENT* previous, SCHEDULE_EVENT** out);
int EditScheduledEvent(HWND parent, SCHEDULE_EVENT* event, SCHEDULE_EVENT** out);
int DeleteScheduledEvent(HWND parent, SCHEDULE_EVENT* event);
int StartScheduledEvent(HWND parent, SCHEDULE_EVENT* event);

// Forgets which event files were reported as lacking their profile (tests).
void ForgetReportedOrphanEvents();
