// CreateFileA and the calls on an open file handle.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>

#include "comm/comm_port.h"
#include "files/file_info.h"
#include "files/file_object.h"
#include "files/path_mapper.h"
#include "files/win_error.h"
#include "qvplatform/files.h"
#include "qvplatform/kernel.h"

namespace {

HANDLE FailHandle(DWORD error) {
  SetLastError(error);
  return INVALID_HANDLE_VALUE;
}

// Opens with the flags of a disposition, telling whether the file was there
// before. Creation and truncation are decided by O_EXCL, so a file appearing or
// vanishing between two steps is still reported truthfully.
int OpenForDisposition(const std::string& path, int access_flags, DWORD disposition, mode_t mode,
                       bool* existed) {
  *existed = false;
  switch (disposition) {
    case CREATE_NEW:
      return ::open(path.c_str(), access_flags | O_CREAT | O_EXCL, mode);
    case OPEN_EXISTING:
      *existed = true;
      return ::open(path.c_str(), access_flags);
    case TRUNCATE_EXISTING:
      *existed = true;
      return ::open(path.c_str(), access_flags | O_TRUNC);
    case CREATE_ALWAYS:
    case OPEN_ALWAYS: {
      const int keep = disposition == CREATE_ALWAYS ? O_TRUNC : 0;
      for (int attempt = 0; attempt < 8; ++attempt) {
        int fd = ::open(path.c_str(), access_flags | O_CREAT | O_EXCL, mode);
        if (fd >= 0 || errno != EEXIST) return fd;
        fd = ::open(path.c_str(), access_flags | keep);
        if (fd >= 0 || errno != ENOENT) {
          *existed = true;
          return fd;
        }
      }
      errno = EBUSY;
      return -1;
    }
    default:
      errno = EINVAL;
      return -1;
  }
}

std::shared_ptr<qvp::FileObject> LookupFile(HANDLE h) { return qvp::LookupHandleAs<qvp::FileObject>(h); }

}  // namespace

HANDLE CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD /*dwShareMode*/,
                   LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/, DWORD dwCreationDisposition,
                   DWORD dwFlagsAndAttributes, HANDLE /*hTemplateFile*/) {
  return qvp::NoThrow<HANDLE>(INVALID_HANDLE_VALUE, [&]() -> HANDLE {
    int com_number = 0;
    if (qvp::ParseCommPortName(lpFileName, &com_number)) {
      return qvp::OpenCommPort(lpFileName, dwDesiredAccess, dwCreationDisposition);
    }
    if (dwCreationDisposition < CREATE_NEW || dwCreationDisposition > TRUNCATE_EXISTING) {
      return FailHandle(ERROR_INVALID_PARAMETER);
    }
    const bool want_read = (dwDesiredAccess & (GENERIC_READ | GENERIC_ALL)) != 0;
    const bool want_write = (dwDesiredAccess & (GENERIC_WRITE | GENERIC_ALL)) != 0;
    if (dwCreationDisposition == TRUNCATE_EXISTING && !want_write) {
      return FailHandle(ERROR_INVALID_PARAMETER);
    }
    qvp::MappedPath mapped = qvp::MapPath(lpFileName);
    if (!mapped.ok()) return FailHandle(mapped.error);

    // A read-only file refuses writing and truncation even to a privileged
    // process, as the read-only attribute does; a directory is never a file.
    struct stat st;
    if (::stat(mapped.path.c_str(), &st) == 0) {
      if (S_ISDIR(st.st_mode)) {
        // A folder opens only for its handle's own uses (its real path).
        if (!(dwFlagsAndAttributes & FILE_FLAG_BACKUP_SEMANTICS) || want_write ||
            dwCreationDisposition != OPEN_EXISTING) {
          return FailHandle(ERROR_ACCESS_DENIED);
        }
        const int dir = ::open(mapped.path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir < 0) return FailHandle(qvp::WinErrorFromErrno(errno));
        return qvp::InsertHandle(std::make_shared<qvp::FileObject>(dir, false, false, false));
      }
      const bool truncates =
          dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == TRUNCATE_EXISTING;
      if ((want_write || truncates) && (st.st_mode & S_IWUSR) == 0 && S_ISREG(st.st_mode)) {
        return FailHandle(ERROR_ACCESS_DENIED);
      }
    }

    int access_flags = want_read && want_write                  ? O_RDWR
                       : want_write                             ? O_WRONLY
                       : want_read                              ? O_RDONLY
                       : dwCreationDisposition == OPEN_EXISTING ? O_PATH
                                                                : O_RDONLY;
    access_flags |= O_CLOEXEC | O_NOCTTY;
    const mode_t mode = (dwFlagsAndAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;

    bool existed = false;
    int fd = OpenForDisposition(mapped.path, access_flags, dwCreationDisposition, mode, &existed);
    if (fd < 0) {
      const int err = errno;
      if (err == EEXIST) return FailHandle(ERROR_FILE_EXISTS);
      return FailHandle(qvp::WinErrorFromErrno(err));
    }
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
      ::close(fd);
      return FailHandle(ERROR_ACCESS_DENIED);
    }
    HANDLE h =
        qvp::InsertHandle(std::make_shared<qvp::FileObject>(fd, want_read, want_write, S_ISREG(st.st_mode)));
    const bool reports_existing =
        dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == OPEN_ALWAYS;
    SetLastError(reports_existing && existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return h;
  });
}

BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
              LPOVERLAPPED lpOverlapped) {
  if (lpNumberOfBytesRead) *lpNumberOfBytesRead = 0;
  if (auto port = qvp::LookupHandleAs<qvp::CommObject>(hFile)) {
    return qvp::CommReadFile(port, lpBuffer, nNumberOfBytesToRead, lpNumberOfBytesRead, lpOverlapped);
  }
  auto file = LookupFile(hFile);
  if (!file) return qvp::FailWith(ERROR_INVALID_HANDLE);
  if (lpOverlapped) return qvp::FailWith(ERROR_NOT_SUPPORTED);
  if (!file->can_read()) return qvp::FailWith(ERROR_ACCESS_DENIED);
  if (lpBuffer == nullptr && nNumberOfBytesToRead > 0) return qvp::FailWith(ERROR_NOACCESS);
  char* out = static_cast<char*>(lpBuffer);
  DWORD done = 0;
  while (done < nNumberOfBytesToRead) {
    ssize_t got = ::read(file->fd(), out + done, nNumberOfBytesToRead - done);
    if (got < 0) {
      if (errno == EINTR) continue;
      if (lpNumberOfBytesRead) *lpNumberOfBytesRead = done;
      return qvp::FailWithErrno();
    }
    if (got == 0) break;  // end of file: success with what was read
    done += static_cast<DWORD>(got);
    if (!file->regular()) break;
  }
  if (lpNumberOfBytesRead) *lpNumberOfBytesRead = done;
  return TRUE;
}

BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
               LPOVERLAPPED lpOverlapped) {
  if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = 0;
  if (auto port = qvp::LookupHandleAs<qvp::CommObject>(hFile)) {
    return qvp::CommWriteFile(port, lpBuffer, nNumberOfBytesToWrite, lpNumberOfBytesWritten, lpOverlapped);
  }
  auto file = LookupFile(hFile);
  if (!file) return qvp::FailWith(ERROR_INVALID_HANDLE);
  if (lpOverlapped) return qvp::FailWith(ERROR_NOT_SUPPORTED);
  if (!file->can_write()) return qvp::FailWith(ERROR_ACCESS_DENIED);
  if (lpBuffer == nullptr && nNumberOfBytesToWrite > 0) return qvp::FailWith(ERROR_NOACCESS);
  const char* in = static_cast<const char*>(lpBuffer);
  DWORD done = 0;
  while (done < nNumberOfBytesToWrite) {
    ssize_t put = ::write(file->fd(), in + done, nNumberOfBytesToWrite - done);
    if (put < 0) {
      if (errno == EINTR) continue;
      if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = done;
      return qvp::FailWithErrno();
    }
    done += static_cast<DWORD>(put);
  }
  if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = done;
  return TRUE;
}

DWORD SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh, DWORD dwMoveMethod) {
  auto file = LookupFile(hFile);
  if (!file) {
    SetLastError(ERROR_INVALID_HANDLE);
    return INVALID_SET_FILE_POINTER;
  }
  const int64_t distance = lpDistanceToMoveHigh ? static_cast<int64_t>(*lpDistanceToMoveHigh) * 4294967296LL +
                                                      static_cast<uint32_t>(lDistanceToMove)
                                                : static_cast<int64_t>(lDistanceToMove);
  int64_t origin = 0;
  switch (dwMoveMethod) {
    case FILE_BEGIN:
      break;
    case FILE_CURRENT:
      origin = ::lseek(file->fd(), 0, SEEK_CUR);
      break;
    case FILE_END: {
      struct stat st;
      origin = ::fstat(file->fd(), &st) == 0 ? st.st_size : -1;
      break;
    }
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return INVALID_SET_FILE_POINTER;
  }
  if (origin < 0) {
    SetLastError(qvp::WinErrorFromErrno(errno));
    return INVALID_SET_FILE_POINTER;
  }
  int64_t target = 0;
  if (__builtin_add_overflow(origin, distance, &target)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  if (target < 0) {
    SetLastError(ERROR_NEGATIVE_SEEK);
    return INVALID_SET_FILE_POINTER;
  }
  if (!lpDistanceToMoveHigh && target > 0xFFFFFFFFLL) {
    SetLastError(ERROR_INVALID_PARAMETER);  // the caller could not be told the high part
    return INVALID_SET_FILE_POINTER;
  }
  if (::lseek(file->fd(), static_cast<off_t>(target), SEEK_SET) < 0) {
    SetLastError(qvp::WinErrorFromErrno(errno));
    return INVALID_SET_FILE_POINTER;
  }
  if (lpDistanceToMoveHigh) *lpDistanceToMoveHigh = static_cast<LONG>(target >> 32);
  SetLastError(ERROR_SUCCESS);  // tells a position ending in 0xFFFFFFFF from a failure
  return static_cast<DWORD>(static_cast<uint64_t>(target) & 0xFFFFFFFFu);
}

DWORD GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh) {
  auto file = LookupFile(hFile);
  if (!file) {
    SetLastError(ERROR_INVALID_HANDLE);
    return INVALID_FILE_SIZE;
  }
  struct stat st;
  if (::fstat(file->fd(), &st) != 0) {
    SetLastError(qvp::WinErrorFromErrno(errno));
    return INVALID_FILE_SIZE;
  }
  const uint64_t size = static_cast<uint64_t>(st.st_size);
  if (lpFileSizeHigh) *lpFileSizeHigh = static_cast<DWORD>(size >> 32);
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(size & 0xFFFFFFFFu);
}

BOOL SetEndOfFile(HANDLE hFile) {
  auto file = LookupFile(hFile);
  if (!file) return qvp::FailWith(ERROR_INVALID_HANDLE);
  if (!file->can_write()) return qvp::FailWith(ERROR_ACCESS_DENIED);
  off_t position = ::lseek(file->fd(), 0, SEEK_CUR);
  if (position < 0 || ::ftruncate(file->fd(), position) != 0) return qvp::FailWithErrno();
  return TRUE;
}

BOOL FlushFileBuffers(HANDLE hFile) {
  auto file = LookupFile(hFile);
  if (!file) return qvp::FailWith(ERROR_INVALID_HANDLE);
  if (!file->can_write()) return qvp::FailWith(ERROR_ACCESS_DENIED);
  if (::fsync(file->fd()) != 0 && errno != EINVAL) return qvp::FailWithErrno();
  return TRUE;
}

BOOL GetFileTime(HANDLE hFile, LPFILETIME lpCreationTime, LPFILETIME lpLastAccessTime,
                 LPFILETIME lpLastWriteTime) {
  auto file = LookupFile(hFile);
  if (!file) return qvp::FailWith(ERROR_INVALID_HANDLE);
  struct stat st;
  if (::fstat(file->fd(), &st) != 0) return qvp::FailWithErrno();
  if (lpCreationTime) *lpCreationTime = qvp::CreationTimeOf(file->fd(), nullptr, st);
  if (lpLastAccessTime) *lpLastAccessTime = qvp::FileTimeFromTimespec(st.st_atim);
  if (lpLastWriteTime) *lpLastWriteTime = qvp::FileTimeFromTimespec(st.st_mtim);
  return TRUE;
}

BOOL SetFileTime(HANDLE hFile, const FILETIME* /*lpCreationTime*/, const FILETIME* lpLastAccessTime,
                 const FILETIME* lpLastWriteTime) {
  auto file = LookupFile(hFile);
  if (!file) return qvp::FailWith(ERROR_INVALID_HANDLE);
  // A missing time, zero, or all ones leaves that time as it is.
  auto to_times = [](const FILETIME* ft) {
    struct timespec ts;
    ts.tv_sec = 0;
    ts.tv_nsec = UTIME_OMIT;
    if (ft == nullptr) return ts;
    const bool all_zero = ft->dwLowDateTime == 0 && ft->dwHighDateTime == 0;
    const bool all_ones = ft->dwLowDateTime == 0xFFFFFFFFu && ft->dwHighDateTime == 0xFFFFFFFFu;
    return all_zero || all_ones ? ts : qvp::TimespecFromFileTime(*ft);
  };
  struct timespec times[2] = {to_times(lpLastAccessTime), to_times(lpLastWriteTime)};
  if (::futimens(file->fd(), times) != 0) return qvp::FailWithErrno();
  return TRUE;
}

DWORD GetFinalPathNameByHandleA(HANDLE hFile, LPSTR lpszFilePath, DWORD cchFilePath, DWORD /*dwFlags*/) {
  auto file = LookupFile(hFile);
  if (!file) {
    qvp::FailWith(ERROR_INVALID_HANDLE);
    return 0;
  }
  const std::string link = "/proc/self/fd/" + std::to_string(file->fd());
  char target[4096];
  const ssize_t length = ::readlink(link.c_str(), target, sizeof target - 1);
  if (length <= 0) {
    qvp::FailWithErrno();
    return 0;
  }
  std::string path(target, static_cast<size_t>(length));
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  if (lpszFilePath == nullptr || cchFilePath <= path.size()) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return static_cast<DWORD>(path.size() + 1);
  }
  std::memcpy(lpszFilePath, path.c_str(), path.size() + 1);
  return static_cast<DWORD>(path.size());
}
