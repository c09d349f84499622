// The plug-in module's process-wide state.
#include "plugin_globals.h"

#include <atomic>

#include "plugin_helpers.h"
#include "qv_ui.h"

namespace {

HINSTANCE g_instance = nullptr;
char g_localDirectory[MAX_PATH] = "";
CAlertPlugin* g_plugin = nullptr;
std::atomic<FARPROC> g_callbacks[HOST_CALLBACK_LAST + 1];

}  // namespace

HINSTANCE PluginInstance() { return g_instance; }

void SetPluginInstance(HINSTANCE instance) {
  g_instance = instance;
  if (!QVUI_GetLocalDirectory(instance, g_localDirectory, sizeof g_localDirectory)) {
    g_localDirectory[0] = '\0';
  }
}

const char* PluginLocalDirectory() { return g_localDirectory; }

void SetPluginLocalDirectory(const char* directory) { CopyText(g_localDirectory, directory); }

CAlertPlugin* ThePlugin() { return g_plugin; }

void SetThePlugin(CAlertPlugin* plugin) { g_plugin = plugin; }

bool IsKeptHostCallback(int id) {
  return id >= HOST_CALLBACK_FIRST && id <= HOST_CALLBACK_LAST && id != HC_IDLE &&
         id != HC_FIND_SCHEDULED_EVENT;
}

bool StoreHostCallback(int id, FARPROC callback) {
  if (!IsKeptHostCallback(id)) return false;
  g_callbacks[id].store(callback);
  return true;
}

FARPROC HostCallback(int id) {
  if (!IsKeptHostCallback(id)) return nullptr;
  return g_callbacks[id].load();
}

void ClearHostCallbacks() {
  for (auto& slot : g_callbacks) slot.store(nullptr);
}
