#include "program_paths.h"

#include <cstring>
#include <mutex>

#include "path_parts.h"
#include "settings_keys.h"
#include "text_copy.h"

namespace {

std::mutex g_pathLock;
char g_programDir[MAX_PATH];
bool g_programDirKnown = false;
char g_iniPath[MAX_PATH];
bool g_iniPathKnown = false;

// Sets the program directory from a module file name; the caller holds the lock.
void KeepProgramDirLocked(HINSTANCE instance) {
  char name[MAX_PATH];
  const DWORD length = GetModuleFileNameA(instance, name, sizeof name);
  // A failed or truncated name has no trustworthy directory part.
  if (length == 0 || length >= sizeof name) name[0] = '\0';
  GetDirectoryPart(name, g_programDir, sizeof g_programDir);
  g_programDirKnown = true;
  g_iniPathKnown = false;
}

void EnsureProgramDirLocked() {
  if (!g_programDirKnown) KeepProgramDirLocked(nullptr);
}

}  // namespace

void FindModulePath(HINSTANCE instance) {
  std::lock_guard<std::mutex> guard(g_pathLock);
  KeepProgramDirLocked(instance);
}

const char* GetProgramDir() {
  std::lock_guard<std::mutex> guard(g_pathLock);
  EnsureProgramDirLocked();
  return g_programDir;
}

const char* GetIniPath() {
  std::lock_guard<std::mutex> guard(g_pathLock);
  EnsureProgramDirLocked();
  if (!g_iniPathKnown) {
    JoinPath(g_programDir, ini::kFileName, g_iniPath, sizeof g_iniPath);
    g_iniPathKnown = true;
  }
  return g_iniPath;
}

char* MakeProgramPath(const char* folder, const char* fileName, char* out, size_t outSize) {
  return JoinPath(folder != nullptr ? folder : GetProgramDir(), fileName, out, outSize);
}

void GetModuleDirectory(HMODULE module, char* fullName, char* directory) {
  char name[MAX_PATH];
  const DWORD length = GetModuleFileNameA(module, name, sizeof name);
  if (length == 0 || length >= sizeof name) name[0] = '\0';
  if (fullName != nullptr) CopyText(fullName, MAX_PATH, name);
  if (directory != nullptr) GetDirectoryPart(name, directory, MAX_PATH);
}

BOOL FileExists(const char* path, WIN32_FIND_DATAA* findData) {
  WIN32_FIND_DATAA local;
  HANDLE search = FindFirstFileA(path, findData != nullptr ? findData : &local);
  if (search == INVALID_HANDLE_VALUE) return FALSE;
  FindClose(search);
  return TRUE;
}

namespace qv {

void SetProgramDirForTests(const char* dir) {
  std::lock_guard<std::mutex> guard(g_pathLock);
  g_iniPathKnown = false;
  if (dir == nullptr) {
    g_programDirKnown = false;
    return;
  }
  CopyText(g_programDir, sizeof g_programDir, dir);
  const size_t length = std::strlen(g_programDir);
  if (length > 0 && g_programDir[length - 1] != '\\' && g_programDir[length - 1] != '/') {
    // The separator the directory already uses; a backslash when it uses none.
    const bool linuxForm = std::strchr(g_programDir, '/') != nullptr &&
                           std::strchr(g_programDir, '\\') == nullptr;
    AppendText(g_programDir, sizeof g_programDir, linuxForm ? "/" : "\\");
  }
  g_programDirKnown = true;
}

}  // namespace qv
