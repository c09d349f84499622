// The plug-in's monitor engine instance.
#include "engine_instance.h"

#include <new>

#include "alert_plugin.h"
#include "monitor_engine.h"
#include "plugin_api.h"

namespace {

// Touched only by the host's thread (start, shut-down, library detach).
MonitorEngine* g_engine = nullptr;

}  // namespace

int StartMonitorEngine(CAlertPlugin* plugin) {
  if (plugin == nullptr) return PLUGIN_FAILED;
  if (g_engine != nullptr) return PLUGIN_DONE;
  auto* engine = new (std::nothrow) MonitorEngine(plugin);
  if (engine == nullptr) return PLUGIN_FAILED;
  plugin->SetDeviceList(engine);
  g_engine = engine;
  if (!engine->Start()) {
    ShutDownMonitorEngine(plugin);
    return PLUGIN_FAILED;
  }
  return PLUGIN_DONE;
}

void ShutDownMonitorEngine(CAlertPlugin* plugin) {
  MonitorEngine* engine = g_engine;
  if (engine == nullptr) return;
  engine->StopMonitoring();
  if (plugin != nullptr && plugin->GetDeviceList() == engine) plugin->SetDeviceList(nullptr);
  g_engine = nullptr;
  delete engine;
}

MonitorEngine* RunningMonitorEngine() { return g_engine; }
