// Binding of the custom-controls library by ordinal.
#include "custom_controls.h"

#include "app_globals.h"
#include "qv_ui.h"

namespace {

constexpr char kLibrary[] = "ctlpack4.dll";
constexpr WORD kRegisterOrdinal = 66;
constexpr WORD kUnregisterOrdinal = 67;

typedef BOOL (*ControlsEntry)(HINSTANCE instance);

HMODULE g_library = nullptr;

}  // namespace

bool RegisterCustomControls(HINSTANCE instance) {
  if (g_library == nullptr) g_library = LoadLibraryA(kLibrary);
  auto entry = reinterpret_cast<ControlsEntry>(
      g_library != nullptr ? GetProcAddress(g_library, MAKEINTRESOURCEA(kRegisterOrdinal)) : nullptr);
  if (entry == nullptr) {
    OutputDebugStringA("Custom controls: ctlpack4.dll or its ordinal 66 is missing\r\n");
    return false;
  }
  return entry(instance) != FALSE;
}

void UnregisterCustomControls(HINSTANCE instance) {
  if (g_library == nullptr) return;
  auto entry = reinterpret_cast<ControlsEntry>(GetProcAddress(g_library, MAKEINTRESOURCEA(kUnregisterOrdinal)));
  if (entry != nullptr) entry(instance);
  FreeLibrary(g_library);
  g_library = nullptr;
}

void StoreColourDepthAndRegisterControls(HINSTANCE instance) {
  g_app.colorDepth = QVUI_GetNumSysColors();
  RegisterCustomControls(instance);
}
