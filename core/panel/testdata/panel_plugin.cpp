// A plug-in file for the panel's tests: kind FAKE_KIND, named FAKE_NAME, with
// one profile of the same name.
#include <cstring>

#include "plugin_api.h"
#include "qvplatform.h"

namespace {

PROFILE g_row{};

int FindProfile(HWND, PROFILE* previous, PROFILE*, PROFILE** out) {
  if (previous) return PLUGIN_NO_MORE;
  g_row.type = FAKE_KIND;
  std::strncpy(g_row.description, FAKE_NAME, sizeof g_row.description - 1);
  std::strncpy(g_row.host, "localhost", sizeof g_row.host - 1);
  *out = &g_row;
  return PLUGIN_DONE;
}

}  // namespace

QV_API int InitializeSupportLibrary(HANDLE, int* major, int* minor, unsigned int* kind, char* name) {
  *major = 1;
  *minor = 1;
  *kind = FAKE_KIND;
  std::strncpy(name, FAKE_NAME, PLUGIN_NAME_LEN - 1);
  return 1;
}

QV_API int SupplyCallback(int, FARPROC) { return 1; }

QV_API FARPROC IsFunctionSupported(int id) {
  return id == PF_FIND_PROFILE ? reinterpret_cast<FARPROC>(&FindProfile) : nullptr;
}
