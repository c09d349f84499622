// Modules: LoadLibrary / GetProcAddress / FreeLibrary over the dynamic loader.
//
// Our own modules are ELF shared objects under any file name ("qvm_alrt.dll",
// "PRODUCT.RSL"). A name without a directory is looked for in the program
// directory, then in the current directory; a name without an extension gets
// ".dll". The same file loaded twice gives the same handle, counted.
//
// A module may export `BOOL DllMain(HINSTANCE, DWORD reason, LPVOID)`: the
// layer sends DLL_PROCESS_ATTACH after the first load (FALSE refuses the
// load: the module gets DLL_PROCESS_DETACH, is unloaded, and LoadLibrary fails
// with ERROR_DLL_INIT_FAILED) and DLL_PROCESS_DETACH before the last
// FreeLibrary unloads it. Thread notifications are not sent. Only modules
// loaded through LoadLibrary get these calls: libraries linked at build time
// use their own constructors.
//
// HMODULE values are the layer's own, not loader addresses; a null module
// (GetModuleHandleA(NULL), GetModuleFileNameA(NULL, ...), GetProcAddress(NULL,
// ...)) is the program. GetModuleFileNameA gives the file's absolute path in
// Windows form, with '\' separators ("\opt\quorvane\qvm_alrt.dll"), which
// splits like a Windows path and which the path mapper takes back.
//
// GetProcAddress finds only what the module itself exports, not what the
// libraries it depends on export. Exports by ordinal: a module lists them in
//   extern "C" const QvOrdinalExport QvOrdinalExports[] = {{66, "Name"}, ..., {0, nullptr}};
// (exported, visible), and GetProcAddress(module, (LPCSTR)66) answers the
// export of that name.
//
// Windows system libraries the system loads by name ("icmp.dll",
// "WININET.DLL", "WSOCK32.DLL", "MAPI32.DLL", "NetApi32.dll", "KERNEL32.DLL")
// are built-in modules of the layer: their exports are tables that the
// layer's facilities register. "ODBC32.DLL" is the system's ODBC driver
// manager (unixODBC), whose exports GetProcAddress looks up by name. Built-in
// and system modules stay loaded until the process ends.
#pragma once

#include "qvplatform/types.h"
#include "qvplatform/errors.h"

#ifndef ERROR_BAD_EXE_FORMAT
#define ERROR_BAD_EXE_FORMAT 193L
#endif
#ifndef ERROR_DLL_INIT_FAILED
#define ERROR_DLL_INIT_FAILED 1114L
#endif

// DllMain reasons.
#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3

// LoadLibraryExA flags. The first two load without calling DllMain; the
// search path flag is accepted (dependencies are found through the modules'
// own run paths).
#define DONT_RESOLVE_DLL_REFERENCES 0x00000001
#define LOAD_LIBRARY_AS_DATAFILE 0x00000002
#define LOAD_WITH_ALTERED_SEARCH_PATH 0x00000008

// One entry of a module's ordinal table; the table ends with ordinal 0.
struct QvOrdinalExport {
  WORD ordinal;
  const char* name;
};

QV_API HMODULE LoadLibraryA(LPCSTR lpLibFileName);
QV_API HMODULE LoadLibraryExA(LPCSTR lpLibFileName, HANDLE hFile, DWORD dwFlags);
QV_API BOOL FreeLibrary(HMODULE hLibModule);
QV_API FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
QV_API HMODULE GetModuleHandleA(LPCSTR lpModuleName);
QV_API DWORD GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize);

namespace qvp {

// One export of a built-in module; a table ends with {nullptr, nullptr}.
struct BuiltinExport {
  const char* name;
  FARPROC proc;
};

// Adds a table of exports to the built-in module `name` (compared without
// regard to case, with or without ".dll"); several facilities may add tables
// to one module. The table must stay valid for the life of the process.
void RegisterBuiltinModule(const char* name, const BuiltinExport* exports);

// The address of a symbol the module exports (functions and data alike),
// or null. A null module is the program. Leaves the last error alone.
void* ModuleSymbol(HMODULE module, const char* name);

}  // namespace qvp
