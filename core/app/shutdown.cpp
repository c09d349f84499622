// The orderly end: caches, the product library's registrations, window
// classes and custom controls, plug-ins, and the resource libraries.
#include "app_globals.h"
#include "app_start.h"
#include "custom_controls.h"
#include "host/plugin_host.h"
#include "pending_links.h"
#include "progress_bar.h"
#include "qv_ui.h"
#include "resource_cache.h"
#include "start_steps.h"

void ShutdownApplication() {
  if (EnterStep(StartStep::kFreeResourceCache)) FreeResourceCache();

  if (EnterStep(StartStep::kReleaseProductSplash)) {
    if (g_app.prd.DestroySplash != nullptr) g_app.prd.DestroySplash(g_app.splashWindow);
    g_app.splashWindow = nullptr;
    if (g_app.prd.Unregister != nullptr) g_app.prd.Unregister();
    QVUI_Unregister();
  }

  if (EnterStep(StartStep::kUnregisterControls)) {
    UnregisterProgressBarClass(g_app.instance);
    UnregisterCustomControls(g_app.instance);
  }

  StopRemoteServer();
  if (EnterStep(StartStep::kUnloadPlugins)) UnloadPlugins();

  if (EnterStep(StartStep::kReleaseResourceModule) && g_app.resourceModule != nullptr &&
      g_app.resourceModule != g_app.instance) {
    FreeLibrary(g_app.resourceModule);
    g_app.resourceModule = g_app.instance;
  }

  if (EnterStep(StartStep::kReleaseProductLibrary)) {
    if (g_app.prd.Unregister != nullptr) g_app.prd.Unregister();
    if (g_app.productModule != nullptr) FreeLibrary(g_app.productModule);
    g_app.productModule = nullptr;
    g_app.prd = ProductFunctions{};
  }
}
