// The test host over the program's plug-in host.
#include "test_host.h"

namespace qvtest {

PluginHost::~PluginHost() { Unbind(); }

int PluginHost::LoadPlugins(const std::string& directory) {
  bound_ = true;
  return ::LoadPlugins(directory.c_str());
}

void PluginHost::Unbind() {
  if (!bound_) return;
  bound_ = false;
  UnloadPlugins();
  // The rows and events belonged to the plug-ins just freed.
  FreeProfileTable();
  FreeScheduleTable();
  TakeRefreshRequest();
}

std::vector<const PluginEntry*> PluginHost::plugins() const {
  std::vector<const PluginEntry*> entries;
  for (const PluginEntry* entry = g_pluginList; entry != nullptr; entry = entry->next) entries.push_back(entry);
  return entries;
}

std::vector<PROFILE*> PluginHost::RebuildProfileTable(HWND panel) {
  ::RebuildProfileTable(panel);
  return profileTable();
}

std::vector<PROFILE*> PluginHost::profileTable() const {
  return std::vector<PROFILE*>(ProfileTable.rows, ProfileTable.rows + ProfileTable.count);
}

int PluginHost::DeleteProfile(PROFILE* row, HWND panel) {
  auto erase = Function<PFN_DeleteProfile>(static_cast<unsigned int>(row->type), PF_DELETE_PROFILE);
  if (erase == nullptr) return PLUGIN_FAILED;
  const int result = erase(panel, row);
  if (result == PLUGIN_DONE) RemoveProfileAt(ProfileIndex(row));
  return result;
}

bool PluginHost::TakeRefreshRequest() {
  const bool refill = g_refreshRequests.refill.exchange(false);
  const bool rebuild = g_refreshRequests.rebuild.exchange(false);
  const bool notify = g_refreshRequests.notify.exchange(false);
  return refill || rebuild || notify;
}

}  // namespace qvtest
