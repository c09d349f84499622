// What Windows reports about a file, computed from what Linux keeps.
#pragma once

#include <sys/stat.h>

#include <ctime>
#include <string_view>

#include "qvplatform/types.h"

namespace qvp {

// FILETIME counts 100-nanosecond steps since 1601-01-01 UTC.
FILETIME FileTimeFromTimespec(const struct timespec& ts);
struct timespec TimespecFromFileTime(const FILETIME& ft);

// DIRECTORY, READONLY (no owner write bit; never for a directory), HIDDEN (a
// name beginning with a dot), else NORMAL.
DWORD AttributesFromStat(const struct stat& st, std::string_view name);

// The creation time: the birth time where the file system keeps one, else the
// change time. `fd` is used when >= 0, else `path`.
FILETIME CreationTimeOf(int fd, const char* path, const struct stat& st);

}  // namespace qvp
