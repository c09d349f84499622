// The list of bound plug-ins: binding at start-up, lookups by kind and
// function id, unbinding at exit.
#include "plugin_host.h"

#include <new>
#include <string>
#include <vector>

#include "app_globals.h"
#include "host_tables.h"
#include "remote_command.h"

const int kPluginSlotOrder[32] = {2, 3, 4, 6, 5, 28, 7, 8, 10, 9, 1, 11, 13, 15, 16, 17,
                                  18, 19, 12, 14, 20, 21, 24, 22, 23, 25, 26, 27, 29, 30, 31, 32};
const int kPluginFillOrder[32] = {1, 2, 3, 4, 6, 5, 28, 7, 8, 10, 9, 11, 13, 15, 16, 17,
                                  18, 19, 12, 14, 20, 21, 24, 22, 23, 25, 26, 27, 29, 30, 31, 32};
const int kHostCallbackOrder[15] = {5, 1, 2, 3, 4, 6, 7, 8, 11, 9, 10, 12, 13, 14, 15};

PluginEntry* g_pluginList = nullptr;

namespace {

int SlotIndex(int functionId) {
  for (int i = 0; i < 32; ++i) {
    if (kPluginSlotOrder[i] == functionId) return i;
  }
  return -1;
}

bool ValidFunctionId(int id) { return id >= PLUGIN_FUNCTION_FIRST && id <= PLUGIN_FUNCTION_LAST; }

// After the last entry whose kind is not greater than the new one's.
void InsertByKind(PluginEntry* entry) {
  PluginEntry** link = &g_pluginList;
  while (*link != nullptr && (*link)->kind <= entry->kind) link = &(*link)->next;
  entry->next = *link;
  *link = entry;
}

}  // namespace

FARPROC PluginSlot(const PluginEntry* entry, int functionId) {
  const int index = SlotIndex(functionId);
  return entry == nullptr || index < 0 ? nullptr : entry->slots[index];
}

int LoadPlugins(const char* directory) {
  if (directory == nullptr) return 0;
  // Remote commands reach the plug-ins on this thread.
  CreateRemoteCommandWindow();
  // The names first: binding a plug-in must not disturb the search.
  std::vector<std::string> files;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((std::string(directory) + "\\qvm*.dll").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) files.emplace_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  int bound = 0;
  for (const std::string& file : files) bound |= LoadPluginFile(directory, file.c_str());
  return bound;
}

int LoadPluginFile(const char* directory, const char* fileName) {
  if (directory == nullptr || fileName == nullptr) return 0;
  const std::string path = std::string(directory) + "\\" + fileName;
  HMODULE module = LoadLibraryA(path.c_str());
  if (module == nullptr) return 0;
  auto* entry = new (std::nothrow) PluginEntry{};
  if (entry == nullptr) {
    FreeLibrary(module);
    return 0;
  }
  entry->module = module;
  if (BindPluginEntryPoints(entry) == 0) {
    FreeLibrary(module);
    delete entry;
    return 0;
  }
  InsertByKind(entry);
  return 1;
}

int BindPluginEntryPoints(PluginEntry* entry) {
  entry->InitializeSupportLibrary =
      reinterpret_cast<PFN_InitializeSupportLibrary>(GetProcAddress(entry->module, PLUGIN_EXPORT_INITIALIZE));
  if (entry->InitializeSupportLibrary == nullptr) return 0;
  if (entry->InitializeSupportLibrary(g_app.logonToken, &entry->major, &entry->minor, &entry->kind, entry->name) ==
      0) {
    return 0;
  }
  // The name is shown as it is: never without its end.
  entry->name[PLUGIN_NAME_LEN - 1] = '\0';
  entry->SupplyCallback =
      reinterpret_cast<PFN_SupplyCallback>(GetProcAddress(entry->module, PLUGIN_EXPORT_SUPPLY_CALLBACK));
  entry->IsFunctionSupported =
      reinterpret_cast<PFN_IsFunctionSupported>(GetProcAddress(entry->module, PLUGIN_EXPORT_IS_SUPPORTED));
  if (entry->SupplyCallback == nullptr || entry->IsFunctionSupported == nullptr) return 0;
  FillPluginSlots(entry);
  return 1;
}

void FillPluginSlots(PluginEntry* entry) {
  for (int id : kPluginFillOrder) entry->slots[SlotIndex(id)] = entry->IsFunctionSupported(id);
  for (int id : kHostCallbackOrder) entry->SupplyCallback(id, HostCallbackAddress(id));
}

void UnloadPlugins() {
  // No remote command reaches a plug-in that is going.
  DestroyRemoteCommandWindow();
  // Each entry leaves the list before its library goes, so the list never
  // shows an entry whose code is gone.
  while (g_pluginList != nullptr) {
    PluginEntry* entry = g_pluginList;
    g_pluginList = entry->next;
    if (auto shutDown = reinterpret_cast<PFN_ShutDown>(PluginSlot(entry, PF_SHUT_DOWN))) shutDown();
    FreeLibrary(entry->module);
    delete entry;
  }
}

PluginEntry* FindPlugin(unsigned int kind) {
  for (PluginEntry* entry = g_pluginList; entry != nullptr; entry = entry->next) {
    if (entry->kind == kind) return entry;
  }
  return nullptr;
}

FARPROC GetPluginFunction(unsigned int kind, int id) {
  if (!ValidFunctionId(id)) return nullptr;
  PluginEntry* entry = FindPlugin(kind);
  return entry != nullptr ? entry->IsFunctionSupported(id) : nullptr;
}
