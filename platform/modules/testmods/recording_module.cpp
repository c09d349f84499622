// A module for the loader tests: reports every DllMain call to the test
// program (QvTestRecord, exported by the test executable) and exports two
// functions by name and by ordinal.
#include <cstdio>

#include "qvplatform.h"

extern "C" void QvTestRecord(const char* event);

QV_API BOOL DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
  char path[MAX_PATH];
  char line[MAX_PATH + 64];
  if (reason == DLL_PROCESS_ATTACH) {
    // The module can already ask for its own file name while attaching.
    if (GetModuleFileNameA(instance, path, sizeof path) == 0) path[0] = '\0';
    std::snprintf(line, sizeof line, "attach %p %s", static_cast<void*>(instance), path);
  } else {
    std::snprintf(line, sizeof line, "%s %p", reason == DLL_PROCESS_DETACH ? "detach" : "other",
                  static_cast<void*>(instance));
  }
  QvTestRecord(line);
#ifdef QVTEST_REFUSE
  return reason == DLL_PROCESS_ATTACH ? FALSE : TRUE;
#else
  return TRUE;
#endif
}

QV_API int Sixty() { return 60; }
QV_API int SixtySeven() { return 67; }

QV_API const QvOrdinalExport QvOrdinalExports[] = {{66, "Sixty"}, {67, "SixtySeven"}, {68, "Missing"}, {0, nullptr}};
