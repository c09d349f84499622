// The functions the program calls by id, and the exports kept for outside callers.
#include "plugin_exports.h"

#include "alert_plugin.h"
#include "device_list.h"
#include "engine_instance.h"
#include "monitor_engine.h"
#include "monitor_resources.h"
#include "plugin_globals.h"
#include "plugin_queries.h"
#include "status_panel.h"

namespace {

// Each help text lives in a buffer of its own in the plug-in, so that one
// answer never changes under a caller still reading the other.
template <UINT id>
char* LoadHelpText() {
  static char text[1024];
  if (LoadStringA(PluginInstance(), id, text, sizeof text) <= 0) text[0] = '\0';
  return text;
}

template <typename T>
void ClearOut(T** out) {
  if (out != nullptr) *out = nullptr;
}

}  // namespace

// ---- Profiles -----------------------------------------------------------------

QV_API int QVM_EditProfile(HWND parent, PROFILE* row, PROFILE** out) {
  CAlertPlugin* plugin = ThePlugin();
  if (plugin == nullptr) {
    ClearOut(out);
    return PLUGIN_FAILED;
  }
  return row != nullptr ? plugin->EditProfile(parent, row, out) : plugin->AddProfile(parent, row, out);
}

QV_API int QVM_DeleteProfile(HWND parent, PROFILE* row) {
  CAlertPlugin* plugin = ThePlugin();
  return plugin != nullptr ? plugin->DeleteProfile(parent, row) : PLUGIN_FAILED;
}

QV_API int QVM_CopyProfile(HWND parent, PROFILE* row, PROFILE** out) {
  CAlertPlugin* plugin = ThePlugin();
  if (plugin == nullptr) {
    ClearOut(out);
    return PLUGIN_FAILED;
  }
  return plugin->CopyProfile(parent, row, out);
}

QV_API int QVM_FindProfile(HWND parent, PROFILE* previous, PROFILE* row, PROFILE** out) {
  CAlertPlugin* plugin = ThePlugin();
  if (plugin == nullptr) {
    ClearOut(out);
    return PLUGIN_NO_MORE;
  }
  return plugin->FindProfile(parent, previous, row, out);
}

// ---- Main panel, sort order, exit -----------------------------------------------

QV_API int QVM_UpdatePanel(HWND parent, PROFILE* selected, PROFILE* /*previous*/, int mode) {
  return UpdateStatusPanel(parent, selected, mode) ? PLUGIN_DONE : PLUGIN_FAILED;
}

QV_API int QVM_GetMainListText(PROFILE* row, char* buffer, int size) {
  CAlertPlugin* plugin = ThePlugin();
  return FormatMainListText(plugin, plugin != nullptr ? plugin->GetDeviceList() : nullptr, row, buffer, size);
}

QV_API int QVM_CompareFunc(PROFILE* a, PROFILE* b, int column) {
  return CompareProfileRows(ThePlugin(), a, b, column);
}

QV_API int QVM_IsShutDownOK() { return IsShutDownAllowed(ThePlugin()) ? 1 : 0; }

QV_API int QVM_ShutDown() {
  CAlertPlugin* plugin = ThePlugin();
  if (plugin != nullptr) plugin->DestroyWindows();
  DestroyStatusPanel();
  ShutDownMonitorEngine(plugin);
  return PLUGIN_DONE;
}

QV_API int QVM_StartService() { return StartMonitorEngine(ThePlugin()); }

// ---- Options and help ---------------------------------------------------------------

QV_API HWND QVM_CreateOptionDialog(HWND parent, HBITMAP* bitmap, RECT* bitmapPart, char* shortTitle,
                                   char* longTitle) {
  CAlertPlugin* plugin = ThePlugin();
  return plugin != nullptr ? plugin->CreateOptionSheet(parent, bitmap, bitmapPart, shortTitle, longTitle) : nullptr;
}

QV_API char QVM_CloseOptionDialog(int ok) {
  CAlertPlugin* plugin = ThePlugin();
  return plugin != nullptr && plugin->CloseOptionSheet(ok) ? 1 : 0;
}

QV_API char* QVM_GetProfileHelp(int /*kind*/, int /*size*/) { return LoadHelpText<IDS_SERVER_HEALTH_HELP>(); }

QV_API char* PSL_GetProfileHelp(int /*kind*/, int /*size*/) { return LoadHelpText<IDS_SITE_QUALITY_HELP>(); }

// ---- Reports and schedule events ------------------------------------------------------
// Alert reports, schedule events and memorized reports join these exports as
// they are built; until then there are no events and no report runs.

QV_API int PSL_GenerateReport(HWND /*parent*/, PROFILE* /*row*/, int /*mode*/) { return PLUGIN_FAILED; }

QV_API int PSL_EditScheduledEvent(HWND /*parent*/, SCHEDULE_EVENT* /*event*/, SCHEDULE_EVENT** out) {
  ClearOut(out);
  return PLUGIN_FAILED;
}

QV_API int PSL_DeleteScheduledEvent(HWND /*parent*/, SCHEDULE_EVENT* /*event*/) { return PLUGIN_FAILED; }

QV_API int PSL_FindScheduledEvent(HWND /*parent*/, SCHEDULE_EVENT* previous, SCHEDULE_EVENT** out) {
  ClearOut(out);
  return previous == nullptr ? PLUGIN_FAILED : PLUGIN_NO_MORE;
}

QV_API int PSL_StartScheduledEvent(HWND /*parent*/, SCHEDULE_EVENT* /*event*/) { return PLUGIN_FAILED; }

// ---- Exports for outside callers ----------------------------------------------------------

QV_API int QVM_DeleteScheduledEvent(void* /*any*/, SCHEDULE_EVENT* event) {
  ReleaseEventProfileKey(ThePlugin(), event);
  return PLUGIN_DONE;
}

QV_API int QVM_OnRemoteCommand(char* /*command*/, void* /*context*/) { return PLUGIN_DONE; }

QV_API void WINAPI Ping(void* context, const char* host, DWORD timeoutMs, int /*unused*/, PingCallback callback) {
  RunPingRequest(context, host, timeoutMs, callback);
}

QV_API void WINAPI TryConnect(void* context, const char* host, int type, int port, DWORD timeoutMs, int /*unused*/,
                              ConnectCallback callback) {
  RunConnectRequest(context, host, type, port, timeoutMs, callback);
}
