// Registration of the library's control classes, counted per process.
#include "ctlpack4.h"

#include <mutex>

#include "viewer_text.h"

namespace {

std::mutex g_lock;
int g_registrations = 0;
HINSTANCE g_instance = nullptr;  // the instance the classes were registered with

}  // namespace

QV_API BOOL CtlPack_RegisterControls(HINSTANCE instance) {
  std::lock_guard<std::mutex> hold(g_lock);
  if (g_registrations > 0) {
    ++g_registrations;
    return TRUE;
  }
  if (!RegisterViewerTextClass(instance)) return FALSE;
  g_instance = instance;
  g_registrations = 1;
  return TRUE;
}

QV_API BOOL CtlPack_UnregisterControls(HINSTANCE /*instance*/) {
  std::lock_guard<std::mutex> hold(g_lock);
  if (g_registrations == 0) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  if (--g_registrations > 0) return TRUE;
  // The classes go with the instance they were registered under, whatever
  // the caller hands back.
  const BOOL done = UnregisterViewerTextClass(g_instance);
  g_instance = nullptr;
  return done;
}

QV_API const QvOrdinalExport QvOrdinalExports[] = {
    {kCtlPackRegisterOrdinal, "CtlPack_RegisterControls"},
    {kCtlPackUnregisterOrdinal, "CtlPack_UnregisterControls"},
    {0, nullptr}};

// Classes still registered when the library goes would point windows at code
// that is gone: they are removed with the library.
QV_API BOOL DllMain(HINSTANCE /*module*/, DWORD reason, LPVOID /*reserved*/) {
  if (reason == DLL_PROCESS_DETACH) {
    std::lock_guard<std::mutex> hold(g_lock);
    if (g_registrations > 0) {
      UnregisterViewerTextClass(g_instance);
      g_registrations = 0;
      g_instance = nullptr;
    }
  }
  return TRUE;
}
