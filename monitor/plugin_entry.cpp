// Library entry and the binding entry points of the monitoring plug-in.
#include <cstring>
#include <new>

#include "alert_plugin.h"
#include "device_list.h"
#include "engine_instance.h"
#include "plugin_exports.h"
#include "plugin_globals.h"
#include "plugin_helpers.h"
#include "probe_libraries.h"
#include "qv_ui.h"
#include "schedule_events.h"
#include "status_panel.h"

namespace {

constexpr char kPluginName[] = "Alerting";

struct FunctionEntry {
  int id;
  FARPROC function;
};

template <typename F>
FARPROC Address(F function) {
  return reinterpret_cast<FARPROC>(function);
}

const FunctionEntry kFunctions[] = {
    {PF_GENERATE_REPORT, Address(PSL_GenerateReport)},
    {PF_EDIT_PROFILE, Address(QVM_EditProfile)},
    {PF_DELETE_PROFILE, Address(QVM_DeleteProfile)},
    {PF_COPY_PROFILE, Address(QVM_CopyProfile)},
    {PF_FIND_PROFILE, Address(QVM_FindProfile)},
    {PF_EDIT_SCHEDULED_EVENT, Address(PSL_EditScheduledEvent)},
    {PF_DELETE_SCHEDULED_EVENT, Address(PSL_DeleteScheduledEvent)},
    {PF_FIND_SCHEDULED_EVENT, Address(PSL_FindScheduledEvent)},
    {PF_START_SCHEDULED_EVENT, Address(PSL_StartScheduledEvent)},
    {PF_UPDATE_PANEL, Address(QVM_UpdatePanel)},
    {PF_SHUT_DOWN, Address(QVM_ShutDown)},
    {PF_CREATE_OPTION_DIALOG, Address(QVM_CreateOptionDialog)},
    {PF_CLOSE_OPTION_DIALOG, Address(QVM_CloseOptionDialog)},
    {PF_GET_HELP_TEXT, Address(QVM_GetProfileHelp)},
    {PF_GET_MAIN_LIST_TEXT, Address(QVM_GetMainListText)},
    {PF_IS_SHUT_DOWN_OK, Address(QVM_IsShutDownOK)},
    {PF_COMPARE_ROWS, Address(QVM_CompareFunc)},
    {PF_START_SERVICE, Address(QVM_StartService)},
};

bool g_socketsStarted = false;

void Attach(HINSTANCE instance) {
  QVUI_Register(0);
  WSADATA sockets{};
  g_socketsStarted = WSAStartup(MAKEWORD(2, 2), &sockets) == 0;
  // The ICMP library and the ODBC driver manager stay loaded while the
  // plug-in is; a missing one leaves its probes to report the failure.
  LoadProbeLibraries();
  InitCommonControls();
  ClearHostCallbacks();
  SetPluginInstance(instance);
  try {
    SetThePlugin(new CAlertPlugin(instance));
  } catch (const std::bad_alloc&) {
    SetThePlugin(nullptr);  // every export then answers "failed"
  }
}

void Detach() {
  QVUI_Unregister();
  CAlertPlugin* plugin = ThePlugin();
  SetThePlugin(nullptr);
  if (plugin != nullptr) {
    // A program that never called the shut-down function still leaves no
    // window or engine thread behind that would outlive the plug-in.
    DestroyStatusPanel();
    plugin->DestroyWindows();
    ShutDownMonitorEngine(plugin);
    delete plugin;
  }
  FreeDynamicEvents();
  ClearHostCallbacks();
  // Sockets and libraries go only after the engine's threads have ended.
  if (g_socketsStarted) WSACleanup();
  g_socketsStarted = false;
  UnloadProbeLibraries();
}

}  // namespace

QV_API BOOL DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
  if (reason == DLL_PROCESS_ATTACH) Attach(instance);
  if (reason == DLL_PROCESS_DETACH) Detach();
  return TRUE;
}

QV_API int InitializeSupportLibrary(HANDLE /*logonToken*/, int* major, int* minor, unsigned int* kind,
                                    char* name) {
  if (major != nullptr) *major = GetMajorVersion();
  if (minor != nullptr) *minor = GetMinorVersion();
  if (kind != nullptr) *kind = static_cast<unsigned int>(GetProfileRowType());
  if (name != nullptr) CopyText(name, PLUGIN_NAME_LEN, kPluginName);
  return 1;
}

QV_API int SupplyCallback(int callbackId, FARPROC callback) {
  return StoreHostCallback(callbackId, callback) ? 1 : 0;
}

QV_API FARPROC IsFunctionSupported(int functionId) {
  for (const FunctionEntry& entry : kFunctions) {
    if (entry.id == functionId) return entry.function;
  }
  return nullptr;
}
