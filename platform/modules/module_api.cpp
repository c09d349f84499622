// LoadLibrary, FreeLibrary, GetProcAddress, GetModuleHandle, GetModuleFileName.
#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>

#include <cstring>
#include <string>

#include "modules/module_paths.h"
#include "modules/module_table.h"
#include "qvplatform/kernel.h"

namespace qvp::modules {
namespace {

using DllMainProc = BOOL (*)(HINSTANCE, DWORD, LPVOID);

// Sends a DllMain notification when the module has an entry point. A
// module without one accepts.
BOOL Notify(Module& m, DWORD reason) {
  void* entry = OwnSymbol(m, "DllMain");
  if (!entry) return TRUE;
  try {
    return reinterpret_cast<DllMainProc>(entry)(m.handle, reason, nullptr);
  } catch (...) {
    return FALSE;  // an exception does not cross into the caller of LoadLibrary
  }
}

DWORD ErrorFromLoader(const char* message) {
  std::string text = message ? message : "";
  if (text.find("undefined symbol") != std::string::npos) return ERROR_PROC_NOT_FOUND;
  if (text.find("cannot open shared object") != std::string::npos) return ERROR_MOD_NOT_FOUND;
  return ERROR_BAD_EXE_FORMAT;
}

void Unload(Module& m) {
  void* dl = m.dl;
  EraseModule(m.handle);
  if (dl) dlclose(dl);
}

HMODULE LoadFile(const std::string& path, bool call_entry) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  if (Module* loaded = FindFileByIdentity(st.st_dev, st.st_ino)) {
    if (loaded->kind == Kind::kProgram) return loaded->handle;
    ++loaded->refs;
    if (call_entry && !loaded->attached) {
      // First full load of a module loaded as data so far.
      if (!Notify(*loaded, DLL_PROCESS_ATTACH)) {
        --loaded->refs;
        SetLastError(ERROR_DLL_INIT_FAILED);
        return nullptr;
      }
      loaded->attached = true;
    }
    return loaded->handle;
  }
  dlerror();
  void* dl = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!dl) {
    const char* why = dlerror();
    std::string note = "LoadLibrary: " + path + ": " + (why ? why : "not loadable") + "\n";
    OutputDebugStringA(note.c_str());  // the loader's reason, for whoever looks at the debug output
    SetLastError(ErrorFromLoader(why));
    return nullptr;
  }
  link_map* lm = nullptr;
  if (dlinfo(dl, RTLD_DI_LINKMAP, &lm) != 0 || !lm) {
    dlclose(dl);
    SetLastError(ERROR_BAD_EXE_FORMAT);
    return nullptr;
  }
  auto fresh = std::make_unique<Module>();
  fresh->kind = Kind::kFile;
  fresh->path = path;
  fresh->name = std::string(FileNamePart(path));
  fresh->dl = dl;
  fresh->link_map = lm;
  fresh->dev = st.st_dev;
  fresh->ino = st.st_ino;
  fresh->refs = 1;
  Module& m = InsertModule(std::move(fresh));
  if (call_entry) {
    if (!Notify(m, DLL_PROCESS_ATTACH)) {
      // As on Windows: a refused attach is followed by the detach notice.
      Notify(m, DLL_PROCESS_DETACH);
      Unload(m);
      SetLastError(ERROR_DLL_INIT_FAILED);
      return nullptr;
    }
    m.attached = true;
  }
  return m.handle;
}

}  // namespace
}  // namespace qvp::modules

using namespace qvp::modules;

QV_API HMODULE LoadLibraryExA(LPCSTR lpLibFileName, HANDLE /*hFile*/, DWORD dwFlags) {
  if (!lpLibFileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::lock_guard<std::recursive_mutex> g(LoaderLock());
  if (Module* named = FindNamedModule(lpLibFileName)) {
    if (named->kind == Kind::kSystem && !OpenSystemModule(*named)) {
      SetLastError(ERROR_MOD_NOT_FOUND);
      return nullptr;
    }
    ++named->refs;
    return named->handle;
  }
  std::string path = FindModuleFile(lpLibFileName);
  if (path.empty()) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  bool call_entry = (dwFlags & (DONT_RESOLVE_DLL_REFERENCES | LOAD_LIBRARY_AS_DATAFILE)) == 0;
  return LoadFile(path, call_entry);
}

QV_API HMODULE LoadLibraryA(LPCSTR lpLibFileName) { return LoadLibraryExA(lpLibFileName, nullptr, 0); }

QV_API BOOL FreeLibrary(HMODULE hLibModule) {
  std::lock_guard<std::recursive_mutex> g(LoaderLock());
  Module* m = hLibModule ? FindModule(hLibModule) : nullptr;
  if (!m || m->refs <= 0) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return FALSE;
  }
  if (m->kind == Kind::kProgram) return TRUE;
  if (--m->refs > 0 || m->kind != Kind::kFile) return TRUE;  // built-in and system modules stay
  if (m->attached) {
    m->attached = false;
    Notify(*m, DLL_PROCESS_DETACH);
    if (m->refs > 0) return TRUE;  // loaded again from its own DllMain
  }
  Unload(*m);
  return TRUE;
}

QV_API FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
  std::lock_guard<std::recursive_mutex> g(LoaderLock());
  Module* m = FindModule(hModule);
  if (!m) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  void* address = ExportedAddress(*m, lpProcName);
  if (!address) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<FARPROC>(address);
}

QV_API HMODULE GetModuleHandleA(LPCSTR lpModuleName) {
  std::lock_guard<std::recursive_mutex> g(LoaderLock());
  if (!lpModuleName) return ProgramModule().handle;
  if (Module* named = FindNamedModule(lpModuleName)) {
    if (named->kind == Kind::kBuiltin || named->dl) return named->handle;
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  Module* found = nullptr;
  std::string wanted = WithDefaultExtension(lpModuleName);
  if (HasDirectoryPart(wanted)) {
    std::string path = FindModuleFile(wanted);
    struct stat st {};
    if (!path.empty() && stat(path.c_str(), &st) == 0) found = FindFileByIdentity(st.st_dev, st.st_ino);
  } else {
    found = FindFileByName(wanted);
    // The program file carries no extension on Linux.
    if (!found && FindFileByName(lpModuleName) == &ProgramModule()) found = &ProgramModule();
  }
  if (!found) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  return found->handle;
}

QV_API DWORD GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
  std::string path;
  {
    std::lock_guard<std::recursive_mutex> g(LoaderLock());
    Module* m = FindModule(hModule);
    if (!m) {
      SetLastError(ERROR_MOD_NOT_FOUND);
      return 0;
    }
    path = m->kind == Kind::kBuiltin ? LayerLibraryPath() : m->path;
  }
  if (!lpFilename && nSize) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string windows = ToWindowsPath(path);
  if (nSize == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (windows.size() < nSize) {
    std::memcpy(lpFilename, windows.c_str(), windows.size() + 1);
    return static_cast<DWORD>(windows.size());
  }
  // Too long: as much as fits, still terminated, and the buffer size as the result.
  std::memcpy(lpFilename, windows.data(), nSize - 1);
  lpFilename[nSize - 1] = '\0';
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return nSize;
}

namespace qvp {

void* ModuleSymbol(HMODULE module, const char* name) {
  if (!name || reinterpret_cast<uintptr_t>(name) < 0x10000) return nullptr;
  std::lock_guard<std::recursive_mutex> g(modules::LoaderLock());
  modules::Module* m = modules::FindModule(module);
  return m ? modules::ExportedAddress(*m, name) : nullptr;
}

}  // namespace qvp
