// Where a settings file lives, reading it whole, and replacing it safely.
//
// There is no cache: every read takes the file as it is now. A change is a
// whole-file replacement made under a process-wide lock and an advisory lock on
// the file's directory (so that other processes writing the same way wait too):
// the file is read again under the locks, edited, written beside itself and
// renamed over the old one. A reader therefore sees the old or the new file,
// never a part of one, and no concurrent change is lost.
#pragma once

#include <functional>
#include <string>

#include "ini/ini_text.h"
#include "qvplatform/types.h"

namespace qvp::ini {

struct ProfileLocation {
  DWORD error = 0;        // the Windows error when the name cannot be used
  std::string directory;  // the Linux directory
  std::string name;       // the file name as given (resolved again under the lock)
};

// A name without a directory part lives in the Windows directory; a null name
// is WIN.INI there.
ProfileLocation LocateProfile(const char* file_name);

struct ProfileContent {
  bool exists = false;
  DWORD error = 0;  // why the file could not be read (ERROR_FILE_NOT_FOUND when missing)
  std::string text;
};

ProfileContent ReadProfile(const ProfileLocation& where);
// The file read under its name exactly as written, without resolving any
// name's case: the common case, tried before LocateProfile and ReadProfile.
// exists is false when it is not there under that name.
ProfileContent ReadProfileAsWritten(const char* file_name);

// Applies `edit` to the current text; writes only when it reports a change (so a
// deletion from a missing file creates nothing). Returns ERROR_SUCCESS or the
// Windows error.
DWORD UpdateProfile(const ProfileLocation& where, const std::function<bool(IniText&)>& edit);

}  // namespace qvp::ini
