// Tests only: a small stand-in for the plug-in host and its tables, enough
// for the panel's tests, until the host's own module is part of the build.
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "host_tables.h"
#include "plugin_host.h"

PluginEntry* g_pluginList = nullptr;
ProfileTableData ProfileTable{};
ScheduleTableData ScheduleTable{};
HANDLE g_schedulerMutex = nullptr;
PanelRefreshRequests g_refreshRequests;
std::atomic<bool> g_scheduledRunInProgress{false};

namespace {
std::recursive_mutex g_fakeSchedulerLock;
int g_chooserViewKind = -1;
}  // namespace

SchedulerLock::SchedulerLock() { g_fakeSchedulerLock.lock(); }
SchedulerLock::~SchedulerLock() { g_fakeSchedulerLock.unlock(); }

PluginEntry* FindPlugin(unsigned int kind) {
  for (PluginEntry* entry = g_pluginList; entry; entry = entry->next) {
    if (entry->kind == kind) return entry;
  }
  return nullptr;
}

FARPROC GetPluginFunction(unsigned int kind, int id) {
  PluginEntry* entry = FindPlugin(kind);
  return entry && entry->IsFunctionSupported ? entry->IsFunctionSupported(id) : nullptr;
}

int ChoosePlugin(HWND, int id) {
  int kind = -1;
  int count = 0;
  for (PluginEntry* entry = g_pluginList; entry; entry = entry->next) {
    if (entry->IsFunctionSupported && entry->IsFunctionSupported(id)) {
      ++count;
      kind = static_cast<int>(entry->kind);
    }
  }
  if (count > 1 && g_chooserViewKind >= 0) return g_chooserViewKind;
  return kind;
}

void SetChooserViewKind(int viewKind) { g_chooserViewKind = viewKind; }

int AppendProfile(PROFILE* row) {
  auto** grown = static_cast<PROFILE**>(
      std::realloc(ProfileTable.rows, sizeof(PROFILE*) * static_cast<size_t>(ProfileTable.count + 1)));
  if (!grown) return 3;
  grown[ProfileTable.count++] = row;
  ProfileTable.rows = grown;
  return 1;
}

void RemoveProfileAt(int index) {
  if (index < 0 || index >= ProfileTable.count) return;
  std::memmove(&ProfileTable.rows[index], &ProfileTable.rows[index + 1],
               sizeof(PROFILE*) * static_cast<size_t>(ProfileTable.count - index - 1));
  --ProfileTable.count;
}

void FreeProfileTable() {
  std::free(ProfileTable.rows);
  ProfileTable.rows = nullptr;
  ProfileTable.count = 0;
}

int RebuildProfileTable(HWND panel) {
  FreeProfileTable();
  for (PluginEntry* entry = g_pluginList; entry; entry = entry->next) {
    const auto find = reinterpret_cast<PFN_FindProfile>(entry->IsFunctionSupported(PF_FIND_PROFILE));
    if (!find) continue;
    PROFILE* previous = nullptr;
    PROFILE* out = nullptr;
    while (find(panel, previous, nullptr, &out) == 1 && out) {
      AppendProfile(out);
      previous = out;
    }
  }
  for (int i = 0; i < ProfileTable.count; ++i) {
    for (int j = 0; j < ProfileTable.count; ++j) {
      if (lstrcmpiA(ProfileTable.rows[i]->description, ProfileTable.rows[j]->description) < 0) {
        std::swap(ProfileTable.rows[i], ProfileTable.rows[j]);
      }
    }
  }
  return ProfileTable.count;
}

void NotifyProfilesOfPlugins(HWND panel) {
  for (int i = 0; i < ProfileTable.count; ++i) {
    const auto notify = GetPluginFunctionAs<PFN_NotifyRow>(ProfileTable.rows[i]->type, PF_NOTIFY_ROW);
    if (notify) notify(panel, ProfileTable.rows[i]);
  }
}

void FreeScheduleTable() {
  std::free(ScheduleTable.events);
  ScheduleTable = ScheduleTableData{};
}
int RebuildSchedule(HWND) { return ScheduleTable.count; }
void ReplaceEventProfile(PROFILE* oldRow, PROFILE* newRow) {
  for (int i = 0; i < ScheduleTable.count; ++i) {
    if (ScheduleTable.events[i]->profile == oldRow) ScheduleTable.events[i]->profile = newRow;
  }
}
void DeleteProfileEvents(HWND, PROFILE*) {}
void RescheduleAll(int) {}

int WINAPI HostRequestRefresh(int refill, int rebuild, int notify) {
  if (refill) g_refreshRequests.refill = true;
  if (rebuild) g_refreshRequests.rebuild = true;
  if (notify) g_refreshRequests.notify = true;
  return 0;
}
