// A plug-in for the host's own tests: it answers every function id 1 to 32
// with a function that returns its id, and appends every call it gets to
// "calls.log" beside its own file, with the addresses of the host callbacks it
// is handed. FAKE_KIND sets its kind; FAKE_FULL_NAME gives it a name that
// fills the whole name field;
// FAKE_REFUSE makes it refuse initialisation; FAKE_NO_INIT, FAKE_NO_SUPPLY and
// FAKE_NO_QUERY leave out an entry point.
#include <array>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <utility>

#include "plugin_api.h"
#include "qvplatform.h"

namespace {

HINSTANCE g_instance = nullptr;

// The plug-in's own file, as a Linux path.
std::string OwnFile() {
  char path[1024];
  const DWORD length = GetModuleFileNameA(g_instance, path, sizeof path);
  std::string file(path, length);
  for (char& c : file) {
    if (c == '\\') c = '/';
  }
  return file;
}

void Log(const std::string& what) {
  const std::string file = OwnFile();
  const size_t slash = file.rfind('/');
  std::ofstream(file.substr(0, slash) + "/calls.log", std::ios::app) << file.substr(slash + 1) << " " << what << "\n";
}

// The host calls each function through the type of its id, while these stand-ins
// all have one type: clang's check of the callee's type is left out for them.
#if defined(__clang__)
#define QV_FAKE_ANY_TYPE __attribute__((no_sanitize("function")))
#else
#define QV_FAKE_ANY_TYPE
#endif

template <int N>
QV_FAKE_ANY_TYPE int Function() {
  Log("fn " + std::to_string(N));
  return N;
}

template <int... N>
constexpr auto MakeFunctions(std::integer_sequence<int, N...>) {
  return std::array<FARPROC, sizeof...(N)>{reinterpret_cast<FARPROC>(Function<N>)...};
}

[[maybe_unused]] const auto kFunctions = MakeFunctions(std::make_integer_sequence<int, 33>{});  // not in FAKE_NO_QUERY


}  // namespace

QV_API BOOL DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  g_instance = instance;
  Log(reason == DLL_PROCESS_ATTACH ? "attach" : "detach");
  return TRUE;
}

#ifndef FAKE_NO_INIT
QV_API int InitializeSupportLibrary(HANDLE, int* major, int* minor, unsigned int* kind, char* name) {
  Log("init");
  *major = 1;
  *minor = 0;
  *kind = FAKE_KIND;
#ifdef FAKE_FULL_NAME
  // A name that fills the whole field: the host must end it itself.
  std::memset(name, 'N', PLUGIN_NAME_LEN);
#else
  std::strcpy(name, "Fake");
#endif
#ifdef FAKE_REFUSE
  return 0;
#else
  return 1;
#endif
}
#endif

#ifndef FAKE_NO_SUPPLY
QV_API int SupplyCallback(int id, FARPROC callback) {
  char address[32];
  std::snprintf(address, sizeof address, "%p", reinterpret_cast<void*>(callback));
  Log("cb " + std::to_string(id) + " " + address);
  return 1;
}
#endif

#ifndef FAKE_NO_QUERY
QV_API FARPROC IsFunctionSupported(int id) {
  Log("isf " + std::to_string(id));
  return id >= 1 && id <= 32 ? kFunctions[static_cast<size_t>(id)] : nullptr;
}
#endif
