#include "files/file_info.h"

#include <fcntl.h>

#include "qvplatform/files.h"

namespace qvp {
namespace {

// Seconds from 1601-01-01 to 1970-01-01.
constexpr int64_t kEpochDifference = 11644473600LL;
constexpr int64_t kTicksPerSecond = 10000000LL;

}  // namespace

FILETIME FileTimeFromTimespec(const struct timespec& ts) {
  int64_t ticks = (static_cast<int64_t>(ts.tv_sec) + kEpochDifference) * kTicksPerSecond +
                  static_cast<int64_t>(ts.tv_nsec) / 100;
  if (ticks < 0) ticks = 0;  // before 1601: not representable
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) & 0xFFFFFFFFu);
  ft.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) >> 32);
  return ft;
}

struct timespec TimespecFromFileTime(const FILETIME& ft) {
  uint64_t ticks = (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  struct timespec ts;
  ts.tv_sec = static_cast<time_t>(static_cast<int64_t>(ticks / kTicksPerSecond) - kEpochDifference);
  ts.tv_nsec = static_cast<long>((ticks % kTicksPerSecond) * 100);
  return ts;
}

DWORD AttributesFromStat(const struct stat& st, std::string_view name) {
  DWORD attributes = 0;
  if (S_ISDIR(st.st_mode)) {
    attributes |= FILE_ATTRIBUTE_DIRECTORY;
  } else if ((st.st_mode & S_IWUSR) == 0) {
    attributes |= FILE_ATTRIBUTE_READONLY;
  }
  if (name.size() > 1 && name[0] == '.' && name != "..") attributes |= FILE_ATTRIBUTE_HIDDEN;
  return attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
}

FILETIME CreationTimeOf(int fd, const char* path, const struct stat& st) {
  struct statx sx;
  int rc =
      fd >= 0 ? statx(fd, "", AT_EMPTY_PATH, STATX_BTIME, &sx) : statx(AT_FDCWD, path, 0, STATX_BTIME, &sx);
  if (rc == 0 && (sx.stx_mask & STATX_BTIME) != 0) {
    struct timespec ts;
    ts.tv_sec = static_cast<time_t>(sx.stx_btime.tv_sec);
    ts.tv_nsec = static_cast<long>(sx.stx_btime.tv_nsec);
    return FileTimeFromTimespec(ts);
  }
  return FileTimeFromTimespec(st.st_ctim);
}

}  // namespace qvp
