// What the program asks of the plug-in about its rows and its state: the sort
// order of two rows, whether it may exit, and the release of a profile key that
// an outside caller hands back.
#pragma once

#include "plugin_api.h"

class CAlertPlugin;
class CMonitorProfile;

// The untouched sample profile: description "Sample Alert Profile (Local Host)",
// host "127.0.0.1", kind PING, all compared exactly.
bool IsSampleProfile(const CMonitorProfile* profile);

// The order of two rows for a column of the main list: negative, zero or
// positive, consistent in both directions. Columns: 0 descriptions (case
// ignored), 1 kind names, 2 hosts, 3 the devices' status texts, 4 the times of
// the devices' last state change (0 for a disabled profile); 3 and 4 compare
// equal unless both rows have devices. Any other column or a null row: 0.
int CompareProfileRows(const CAlertPlugin* plugin, const PROFILE* a, const PROFILE* b, int column);

// The program may exit unless some monitored device's profile is enabled;
// alerting switched off, or the untouched sample profile as the only device,
// also allow it.
bool IsShutDownAllowed(const CAlertPlugin* plugin);

// Releases the profile object in an event's key and clears the key. A profile
// that the plug-in's list (or any other list) still holds is never deleted, and
// a key that is no live profile object is left alone.
void ReleaseEventProfileKey(const CAlertPlugin* plugin, SCHEDULE_EVENT* event);
