#include "ui/controls/list_dir.h"

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "qvplatform/files.h"
#include "qvplatform/ui_controls.h"

namespace qvp::ui {
namespace {

// Whether a found entry belongs in the list for these DDL_ flags.
bool Admitted(DWORD file_attrs, UINT attrs) {
  const bool dir = (file_attrs & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (dir && !(attrs & DDL_DIRECTORY)) return false;
  if (attrs & DDL_EXCLUSIVE) {
    if (dir) return true;
    const DWORD wanted = (attrs & (DDL_READONLY | DDL_HIDDEN | DDL_SYSTEM | DDL_ARCHIVE));
    return (file_attrs & wanted) != 0;
  }
  // Hidden and system entries show only when asked for.
  if ((file_attrs & FILE_ATTRIBUTE_HIDDEN) && !(attrs & DDL_HIDDEN)) return false;
  if ((file_attrs & FILE_ATTRIBUTE_SYSTEM) && !(attrs & DDL_SYSTEM)) return false;
  return true;
}

}  // namespace

LRESULT AddDirectoryEntries(HWND control, UINT add_msg, UINT attrs, LPCSTR pattern) {
  LRESULT last = LB_ERR;
  auto add = [&](const std::string& text) {
    LRESULT r = SendMessageA(control, add_msg, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (r == LB_ERRSPACE) return false;
    if (r >= 0) last = r;
    return true;
  };
  if (!(attrs & DDL_EXCLUSIVE) || (attrs & ~(DDL_DRIVES | DDL_EXCLUSIVE | DDL_POSTMSGS))) {
    WIN32_FIND_DATAA fd{};
    HANDLE find = FindFirstFileA(pattern && *pattern ? pattern : "*.*", &fd);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        if (std::strcmp(fd.cFileName, ".") == 0 || !Admitted(fd.dwFileAttributes, attrs)) continue;
        const bool dir = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (!add(dir ? "[" + std::string(fd.cFileName) + "]" : std::string(fd.cFileName))) {
          FindClose(find);
          return LB_ERRSPACE;
        }
      } while (FindNextFileA(find, &fd));
      FindClose(find);
    }
  }
  if (attrs & DDL_DRIVES) {
    char drives[128] = {};
    DWORD n = GetLogicalDriveStringsA(sizeof(drives), drives);
    for (const char* d = drives; n && d < drives + n && *d; d += std::strlen(d) + 1) {
      const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(d[0])));
      if (!add(std::string("[-") + letter + "-]")) return LB_ERRSPACE;
    }
  }
  return last;
}

}  // namespace qvp::ui
