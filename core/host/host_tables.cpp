// The ProfileTable and the ScheduleTable: growth, removal, rebuilds through
// the plug-ins' enumerations, and the removal of a profile's events.
#include "host_tables.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

#include "host_alloc.h"
#include "plugin_host.h"
#include "remote_command.h"
#include "schedule_walk.h"

ProfileTableData ProfileTable = {nullptr, 0};
ScheduleTableData ScheduleTable = {nullptr, 0, nullptr, 0};
PanelRefreshRequests g_refreshRequests;
std::atomic<bool> g_scheduledRunInProgress{false};
HostReallocProc g_hostRealloc = std::realloc;

namespace {

thread_local int t_scheduleWalks = 0;

// Which plug-in handed out each row at the last rebuild (GUI thread only).
// Rows added since then have no entry here.
std::unordered_map<const PROFILE*, const PluginEntry*> g_rowOwners;

// Descriptions compared without regard to case, as bytes folded to lower case
// (a row's text need not end inside its field).
int CompareDescriptions(const PROFILE* a, const PROFILE* b) {
  for (int i = 0; i < PROFILE_DESCRIPTION_LEN; ++i) {
    auto x = static_cast<unsigned char>(a->description[i]);
    auto y = static_cast<unsigned char>(b->description[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
    if (x != y) return x < y ? -1 : 1;
    if (x == 0) return 0;
  }
  return 0;
}

bool SameProfileFile(const PROFILE* a, const PROFILE* b) {
  return std::strncmp(a->profileFile, b->profileFile, PROFILE_TEXT_LEN) == 0;
}

int EventIndexLocked(const SCHEDULE_EVENT* event) {
  for (int32_t i = 0; i < ScheduleTable.count; ++i) {
    if (ScheduleTable.events[i] == event) return i;
  }
  return -1;
}

// Whether the plug-in may be offered the old row to refill: a row of its
// kind that it handed out itself, or, for the first plug-in of the kind, one
// whose origin is not known. Two plug-ins of one kind never get each
// other's rows.
bool MayReuse(const PROFILE* row, const PluginEntry* entry) {
  if (row == nullptr || row->type != static_cast<int32_t>(entry->kind)) return false;
  auto owner = g_rowOwners.find(row);
  return owner != g_rowOwners.end() ? owner->second == entry : FindPlugin(entry->kind) == entry;
}

// The next row the plug-in may reuse after position `from` of the old table, or -1.
int32_t NextReusable(PROFILE** rows, int32_t count, int32_t from, const PluginEntry* entry) {
  for (int32_t i = from; i < count; ++i) {
    if (MayReuse(rows[i], entry)) return i;
  }
  return -1;
}

}  // namespace

ScheduleWalk::ScheduleWalk() { ++t_scheduleWalks; }

ScheduleWalk::~ScheduleWalk() {
  if (--t_scheduleWalks == 0) RunDeferredRemoteCommands();
}

bool ScheduleWalk::InProgress() { return t_scheduleWalks > 0; }

// ---- ProfileTable ----

PROFILE** GrowProfileArray(PROFILE** array, int32_t count, PROFILE* row) {
  return GrowPointerArray(array, count, row);
}

void FreeProfileArray(PROFILE** array) { std::free(array); }

int ProfileIndex(const PROFILE* row) {
  if (row == nullptr) return -1;
  for (int32_t i = 0; i < ProfileTable.count; ++i) {
    if (ProfileTable.rows[i] == row) return i;
  }
  return -1;
}

bool IsProfileInTable(const PROFILE* row) { return ProfileIndex(row) >= 0; }

int AppendProfile(PROFILE* row) {
  if (row == nullptr) return PLUGIN_FAILED;
  // A row shows once; a second copy would outlive the row in the table.
  if (IsProfileInTable(row)) return PLUGIN_DONE;
  PROFILE** grown = GrowProfileArray(ProfileTable.rows, ProfileTable.count, row);
  if (grown == nullptr) return PLUGIN_FAILED;
  ProfileTable.rows = grown;
  ++ProfileTable.count;
  return PLUGIN_DONE;
}

void RemoveProfileAt(int index) {
  if (index < 0 || index >= ProfileTable.count) return;
  // The row's memory may come back as another plug-in's row.
  g_rowOwners.erase(ProfileTable.rows[index]);
  std::memmove(ProfileTable.rows + index, ProfileTable.rows + index + 1,
               static_cast<size_t>(ProfileTable.count - index - 1) * sizeof(PROFILE*));
  if (--ProfileTable.count == 0) {
    FreeProfileArray(ProfileTable.rows);
    ProfileTable.rows = nullptr;
  }
}

void FreeProfileTable() {
  g_rowOwners.clear();
  FreeProfileArray(ProfileTable.rows);
  ProfileTable.rows = nullptr;
  ProfileTable.count = 0;
}

int RebuildProfileTable(HWND panel) {
  PROFILE** oldRows = ProfileTable.rows;
  const int32_t oldCount = ProfileTable.count;
  PROFILE** rows = nullptr;
  int32_t count = 0;
  std::unordered_set<PROFILE*> seen;
  std::unordered_map<const PROFILE*, const PluginEntry*> owners;
  for (PluginEntry* entry = g_pluginList; entry != nullptr; entry = entry->next) {
    auto find = reinterpret_cast<PFN_FindProfile>(PluginSlot(entry, PF_FIND_PROFILE));
    if (find == nullptr) continue;
    int32_t reuseAt = NextReusable(oldRows, oldCount, 0, entry);
    PROFILE* previous = nullptr;
    for (;;) {
      PROFILE* reuse = reuseAt >= 0 ? oldRows[reuseAt] : nullptr;
      PROFILE* out = nullptr;
      if (find(panel, previous, reuse, &out) != PLUGIN_DONE) break;
      // A row handed out twice would end the enumeration nowhere.
      if (out == nullptr || !seen.insert(out).second) break;
      if (reuse != nullptr && reuse != out) ReplaceEventProfile(reuse, out);
      previous = out;
      reuseAt = reuseAt >= 0 ? NextReusable(oldRows, oldCount, reuseAt + 1, entry) : -1;
      PROFILE** grown = GrowProfileArray(rows, count, out);
      if (grown == nullptr) break;  // keep what was gathered
      rows = grown;
      ++count;
      owners.emplace(out, entry);
    }
  }
  FreeProfileArray(oldRows);
  g_rowOwners = std::move(owners);
  std::stable_sort(rows, rows + count,
                   [](const PROFILE* a, const PROFILE* b) { return CompareDescriptions(a, b) < 0; });
  ProfileTable.rows = rows;
  ProfileTable.count = count;
  return count;
}

void NotifyProfilesOfPlugins(HWND panel) {
  // A plug-in's call may change the table: the count is read at every step.
  for (int32_t i = 0; i < ProfileTable.count; ++i) {
    PROFILE* row = ProfileTable.rows[i];
    auto notify = GetPluginFunctionAs<PFN_NotifyRow>(static_cast<unsigned int>(row->type), PF_NOTIFY_ROW);
    if (notify != nullptr) notify(panel, row);
  }
}

// ---- ScheduleTable ----

SCHEDULE_EVENT** GrowScheduleArray(SCHEDULE_EVENT** array, int32_t count, SCHEDULE_EVENT* event) {
  return GrowPointerArray(array, count, event);
}

void FreeScheduleArray(SCHEDULE_EVENT** array) { std::free(array); }

void FreeScheduleTable() {
  SchedulerLock lock;
  FreeScheduleArray(ScheduleTable.events);
  ScheduleTable.events = nullptr;
  ScheduleTable.count = 0;
  ScheduleTable.nextDue = nullptr;
  ScheduleTable.nextDueTime = 0;
}

bool IsEventInTable(const SCHEDULE_EVENT* event) {
  if (event == nullptr) return false;
  SchedulerLock lock;
  return EventIndexLocked(event) >= 0;
}

int AppendScheduledEvent(SCHEDULE_EVENT* event) {
  if (event == nullptr || event->profile == nullptr) return PLUGIN_FAILED;
  SchedulerLock lock;
  if (EventIndexLocked(event) >= 0) return PLUGIN_DONE;
  SCHEDULE_EVENT** grown = GrowScheduleArray(ScheduleTable.events, ScheduleTable.count, event);
  if (grown == nullptr) return PLUGIN_FAILED;
  ScheduleTable.events = grown;
  ++ScheduleTable.count;
  return PLUGIN_DONE;
}

int RemoveScheduledEvent(SCHEDULE_EVENT* event) {
  if (event == nullptr) return -1;
  SchedulerLock lock;
  const int index = EventIndexLocked(event);
  if (index < 0) return -1;
  std::memmove(ScheduleTable.events + index, ScheduleTable.events + index + 1,
               static_cast<size_t>(ScheduleTable.count - index - 1) * sizeof(SCHEDULE_EVENT*));
  if (--ScheduleTable.count == 0) {
    FreeScheduleArray(ScheduleTable.events);
    ScheduleTable.events = nullptr;
  }
  // The chosen event never outlives its place in the table.
  if (ScheduleTable.nextDue == event) {
    ScheduleTable.nextDue = nullptr;
    ScheduleTable.nextDueTime = 0;
  }
  return index;
}

int RebuildSchedule(HWND panel) {
  SchedulerLock lock;
  ScheduleWalk walk;
  SCHEDULE_EVENT** events = nullptr;
  int32_t count = 0;
  std::unordered_set<SCHEDULE_EVENT*> seen;
  for (PluginEntry* entry = g_pluginList; entry != nullptr; entry = entry->next) {
    auto find = reinterpret_cast<PFN_FindScheduledEvent>(PluginSlot(entry, PF_FIND_SCHEDULED_EVENT));
    if (find == nullptr) continue;
    SCHEDULE_EVENT* previous = nullptr;
    for (;;) {
      SCHEDULE_EVENT* out = nullptr;
      if (find(panel, previous, &out) != PLUGIN_DONE) break;
      if (out == nullptr || !seen.insert(out).second) break;
      previous = out;
      // An event without its owner row cannot be run or shown: left out.
      if (out->profile == nullptr) continue;
      SCHEDULE_EVENT** grown = GrowScheduleArray(events, count, out);
      if (grown == nullptr) break;
      events = grown;
      ++count;
      if (out->hiddenRecurring != 0) ComputeNextRunTime(out);
    }
  }
  FreeScheduleArray(ScheduleTable.events);
  ScheduleTable.events = events;
  ScheduleTable.count = count;
  if (EventIndexLocked(ScheduleTable.nextDue) < 0) {
    ScheduleTable.nextDue = nullptr;
    ScheduleTable.nextDueTime = 0;
  }
  return count;
}

void ReplaceEventProfile(PROFILE* oldRow, PROFILE* newRow) {
  if (oldRow == nullptr || newRow == nullptr) return;
  SchedulerLock lock;
  for (int32_t i = 0; i < ScheduleTable.count; ++i) {
    if (ScheduleTable.events[i]->profile == oldRow) ScheduleTable.events[i]->profile = newRow;
  }
}

void DeleteProfileEvents(HWND panel, PROFILE* row) {
  if (row == nullptr) return;
  SchedulerLock lock;
  ScheduleWalk walk;
  bool removed = false;
  for (int32_t i = ScheduleTable.count - 1; i >= 0; --i) {
    if (i >= ScheduleTable.count) {
      i = ScheduleTable.count;  // a plug-in call shortened the table
      continue;
    }
    SCHEDULE_EVENT* event = ScheduleTable.events[i];
    if (event->profile == nullptr || !SameProfileFile(event->profile, row)) continue;
    // Out of the table first: the plug-in frees the event.
    RemoveScheduledEvent(event);
    removed = true;
    auto erase = GetPluginFunctionAs<PFN_DeleteScheduledEvent>(static_cast<unsigned int>(row->type),
                                                                PF_DELETE_SCHEDULED_EVENT);
    if (erase != nullptr) erase(panel, event);
  }
  if (removed) RescheduleAll(0);
}
