// Every monitor profile object alive in the process, with its ProfileID. New
// ids are drawn from the clock and stepped past ids already in use, so two
// profiles made within one clock tick still differ; and a profile key handed
// back by a caller can be recognised before it is used.
#pragma once

#include <cstdint>

class CMonitorProfile;

namespace profile_registry {

// Adds the profile with its id, or changes the id of one already added.
void SetId(const CMonitorProfile* profile, uint32_t id);
// Gives the profile an id that no other live profile holds, starting from the
// clock (the low 32 bits of the system time in 100-ns units), and returns it.
uint32_t AssignNewId(const CMonitorProfile* profile);
void Remove(const CMonitorProfile* profile);
// True while `key` is the address of a live profile object.
bool IsLive(const void* key);
// Marks a profile as held by a list that will delete it (the plug-in's loaded
// profiles, a monitor server's), or as no longer held.
void SetHeld(const CMonitorProfile* profile, bool held);
// True while `key` is a live profile that no list holds.
bool IsUnheld(const void* key);

// Tests: the clock the ids start from (null: the system time).
using IdClock = uint32_t (*)();
void SetIdClockForTests(IdClock clock);

}  // namespace profile_registry
