// A module's directory and joined file names.
#include <cstring>

#include "qv_ui.h"
#include "qvplatform.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

QV_API BOOL QVUI_GetLocalDirectory(HINSTANCE module, char* out, DWORD outSize) {
  if (out == nullptr || outSize == 0) return FALSE;
  out[0] = '\0';
  char path[2048];
  const DWORD length = GetModuleFileNameA(module, path, sizeof path);
  if (length == 0 || length >= sizeof path) return FALSE;
  size_t cut = length;
  while (cut > 0 && !IsSeparator(path[cut - 1])) --cut;
  if (cut == 0 || cut >= outSize) return FALSE;
  std::memcpy(out, path, cut);
  out[cut - 1] = '\\';  // the system's directories end in a backslash
  out[cut] = '\0';
  return TRUE;
}

QV_API BOOL QVUI_ConstructFullFilename(const char* directory, const char* name, char* out,
                                       DWORD outSize) {
  if (out == nullptr || outSize == 0) return FALSE;
  out[0] = '\0';
  const char* dir = directory != nullptr ? directory : "";
  const char* file = name != nullptr ? name : "";
  const size_t dirLength = std::strlen(dir);
  const size_t fileLength = std::strlen(file);
  const bool addSeparator = dirLength > 0 && !IsSeparator(dir[dirLength - 1]);
  const size_t total = dirLength + (addSeparator ? 1 : 0) + fileLength;
  if (total >= outSize) return FALSE;
  std::memcpy(out, dir, dirLength);
  size_t at = dirLength;
  if (addSeparator) out[at++] = '\\';
  std::memcpy(out + at, file, fileLength);
  out[total] = '\0';
  return TRUE;
}
