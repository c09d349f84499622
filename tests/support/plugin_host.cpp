// The test host's binding of plug-ins and its host callbacks.
#include "plugin_host.h"

#include <algorithm>
#include <cstring>

namespace qvtest {

const int kPluginSlotOrder[32] = {2, 3, 4, 6, 5, 28, 7, 8, 10, 9, 1, 11, 13, 15, 16, 17,
                                  18, 19, 12, 14, 20, 21, 24, 22, 23, 25, 26, 27, 29, 30, 31, 32};
const int kPluginFillOrder[32] = {1, 2, 3, 4, 6, 5, 28, 7, 8, 10, 9, 11, 13, 15, 16, 17,
                                  18, 19, 12, 14, 20, 21, 24, 22, 23, 25, 26, 27, 29, 30, 31, 32};
const int kHostCallbackOrder[15] = {5, 1, 2, 3, 4, 6, 7, 8, 11, 9, 10, 12, 13, 14, 15};

namespace {

// Host callbacks reach the one host that is alive.
std::mutex g_lock;
PluginHost* g_host = nullptr;
HostCallbackLog g_log;

void Note(int id) {
  std::lock_guard<std::mutex> hold(g_lock);
  g_log.ids.push_back(id);
}

int SlotIndex(int functionId) {
  for (int i = 0; i < 32; ++i) {
    if (kPluginSlotOrder[i] == functionId) return i;
  }
  return -1;
}

int HostSetStatusText(const char* text) {
  std::lock_guard<std::mutex> hold(g_lock);
  g_log.ids.push_back(HC_SET_STATUS_TEXT);
  g_log.statusText = text != nullptr ? text : "";
  return 1;
}
int HostSetLinesText(const char*) { return Note(HC_SET_LINES_TEXT), 1; }
int HostSetTimeText(const char*) { return Note(HC_SET_TIME_TEXT), 1; }
int HostSetProgress(int) { return Note(HC_SET_PROGRESS), 1; }
int HostIdle() { return Note(HC_IDLE), 1; }
int HostCheckProfileName(PROFILE*, PROFILE*) { return Note(HC_CHECK_PROFILE_NAME), 1; }
int HostSetSplashText(const char*) { return Note(HC_SET_SPLASH_TEXT), 1; }
int HostFindProfile(void* key, PROFILE** out) {
  Note(HC_FIND_PROFILE);
  if (out != nullptr) *out = nullptr;
  if (g_host == nullptr) return PLUGIN_FAILED;
  for (PROFILE* row : g_host->profileTable()) {
    if (row->key == key) {
      if (out != nullptr) *out = row;
      return PLUGIN_DONE;
    }
  }
  return PLUGIN_FAILED;
}
int HostAddScheduledEvent(SCHEDULE_EVENT*) { return Note(HC_ADD_SCHEDULED_EVENT), 1; }
int HostRealtimeAnalysis(PROFILE*, const char*, int, int, int) { return Note(HC_REALTIME_ANALYSIS), 1; }
int HostFindScheduledEvent(void*, SCHEDULE_EVENT** out) {
  Note(HC_FIND_SCHEDULED_EVENT);
  if (out != nullptr) *out = nullptr;
  return PLUGIN_FAILED;
}
int HostRemoveScheduledEvent(SCHEDULE_EVENT*) { return Note(HC_REMOVE_SCHEDULED_EVENT), 1; }
int HostAddProfile(PROFILE*) { return Note(HC_ADD_PROFILE), 1; }
int HostRequestRefresh(int, int, int) {
  std::lock_guard<std::mutex> hold(g_lock);
  g_log.ids.push_back(HC_REQUEST_REFRESH);
  ++g_log.refreshRequests;
  return 0;
}
int HostCreateReport(const char*, void*, ReportSummaryProc, ReportPropertyProc, ReportStatusProc, ReportFileProc) {
  return Note(HC_CREATE_REPORT), 0;
}

template <typename F>
FARPROC Address(F function) {
  return reinterpret_cast<FARPROC>(function);
}

FARPROC HostFunction(int id) {
  switch (id) {
    case HC_SET_STATUS_TEXT: return Address(HostSetStatusText);
    case HC_SET_LINES_TEXT: return Address(HostSetLinesText);
    case HC_SET_TIME_TEXT: return Address(HostSetTimeText);
    case HC_SET_PROGRESS: return Address(HostSetProgress);
    case HC_IDLE: return Address(HostIdle);
    case HC_CHECK_PROFILE_NAME: return Address(HostCheckProfileName);
    case HC_SET_SPLASH_TEXT: return Address(HostSetSplashText);
    case HC_FIND_PROFILE: return Address(HostFindProfile);
    case HC_ADD_SCHEDULED_EVENT: return Address(HostAddScheduledEvent);
    case HC_REALTIME_ANALYSIS: return Address(HostRealtimeAnalysis);
    case HC_FIND_SCHEDULED_EVENT: return Address(HostFindScheduledEvent);
    case HC_REMOVE_SCHEDULED_EVENT: return Address(HostRemoveScheduledEvent);
    case HC_ADD_PROFILE: return Address(HostAddProfile);
    case HC_REQUEST_REFRESH: return Address(HostRequestRefresh);
    case HC_CREATE_REPORT: return Address(HostCreateReport);
    default: return nullptr;
  }
}

}  // namespace

FARPROC PluginEntry::Slot(int functionId) const {
  const int index = SlotIndex(functionId);
  return index < 0 ? nullptr : slots[index];
}

PluginHost::PluginHost() {
  std::lock_guard<std::mutex> hold(g_lock);
  g_host = this;
  g_log = HostCallbackLog();
}

PluginHost::~PluginHost() {
  Unbind();
  std::lock_guard<std::mutex> hold(g_lock);
  if (g_host == this) g_host = nullptr;
}

HostCallbackLog PluginHost::CallbackLog() const {
  std::lock_guard<std::mutex> hold(g_lock);
  return g_log;
}

int PluginHost::LoadPlugins(const std::string& directory) {
  // The names first: binding a plug-in must not disturb the search.
  std::vector<std::string> files;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((directory + "\\qvm*.dll").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      files.emplace_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  bool any = false;
  for (const std::string& file : files) any = LoadPluginFile(directory, file) || any;
  return any ? 1 : 0;
}

bool PluginHost::LoadPluginFile(const std::string& directory, const std::string& file) {
  HMODULE module = LoadLibraryA((directory + "\\" + file).c_str());
  if (module == nullptr) {
    dropped_.push_back(file);
    return false;
  }
  auto* entry = new PluginEntry();
  entry->module = module;
  entry->file = file;
  if (!BindPluginEntryPoints(entry)) {
    FreeLibrary(module);
    delete entry;
    dropped_.push_back(file);
    return false;
  }
  auto after = std::find_if(plugins_.begin(), plugins_.end(),
                            [entry](const PluginEntry* other) { return other->kind > entry->kind; });
  plugins_.insert(after, entry);
  return true;
}

bool PluginHost::BindPluginEntryPoints(PluginEntry* entry) {
  entry->initialize =
      reinterpret_cast<PFN_InitializeSupportLibrary>(GetProcAddress(entry->module, PLUGIN_EXPORT_INITIALIZE));
  if (entry->initialize == nullptr) return false;
  if (entry->initialize(nullptr, &entry->major, &entry->minor, &entry->kind, entry->name) == 0) return false;
  entry->supplyCallback =
      reinterpret_cast<PFN_SupplyCallback>(GetProcAddress(entry->module, PLUGIN_EXPORT_SUPPLY_CALLBACK));
  entry->isFunctionSupported =
      reinterpret_cast<PFN_IsFunctionSupported>(GetProcAddress(entry->module, PLUGIN_EXPORT_IS_SUPPORTED));
  if (entry->supplyCallback == nullptr || entry->isFunctionSupported == nullptr) return false;
  FillPluginSlots(entry);
  return true;
}

void PluginHost::FillPluginSlots(PluginEntry* entry) {
  for (int id : kPluginFillOrder) entry->slots[SlotIndex(id)] = entry->isFunctionSupported(id);
  for (int id : kHostCallbackOrder) entry->supplyAnswers.push_back(entry->supplyCallback(id, HostFunction(id)));
}

void PluginHost::Unbind() {
  for (PluginEntry* entry : plugins_) {
    if (auto shutDown = reinterpret_cast<PFN_ShutDown>(entry->Slot(PF_SHUT_DOWN))) shutDown();
    FreeLibrary(entry->module);
    delete entry;
  }
  plugins_.clear();
  profiles_.clear();
}

PluginEntry* PluginHost::Find(unsigned int kind) const {
  for (PluginEntry* entry : plugins_) {
    if (entry->kind == kind) return entry;
  }
  return nullptr;
}

FARPROC PluginHost::GetPluginFunction(unsigned int kind, int id) const {
  PluginEntry* entry = Find(kind);
  return entry != nullptr ? entry->isFunctionSupported(id) : nullptr;
}

int PluginHost::DeleteProfile(PROFILE* row, HWND panel) {
  auto erase = Function<PFN_DeleteProfile>(static_cast<unsigned int>(row->type), PF_DELETE_PROFILE);
  if (erase == nullptr) return PLUGIN_FAILED;
  const int result = erase(panel, row);
  if (result == PLUGIN_DONE) std::erase(profiles_, row);
  return result;
}

const std::vector<PROFILE*>& PluginHost::RebuildProfileTable(HWND panel) {
  std::vector<PROFILE*> fresh;
  for (PluginEntry* entry : plugins_) {
    auto find = reinterpret_cast<PFN_FindProfile>(entry->Slot(PF_FIND_PROFILE));
    if (find == nullptr) continue;
    std::vector<PROFILE*> old;
    for (PROFILE* row : profiles_) {
      if (row->type == static_cast<int32_t>(entry->kind)) old.push_back(row);
    }
    size_t reuse = 0;
    PROFILE* previous = nullptr;
    PROFILE* out = nullptr;
    while (find(panel, previous, reuse < old.size() ? old[reuse] : nullptr, &out) == PLUGIN_DONE) {
      fresh.push_back(out);
      previous = out;
      ++reuse;
    }
  }
  profiles_ = std::move(fresh);
  return profiles_;
}

}  // namespace qvtest
