// Calls on names: delete, copy, move, directories, attributes.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "files/file_info.h"
#include "files/path_mapper.h"
#include "files/sibling_file.h"
#include "files/win_error.h"
#include "qvplatform/files.h"
#include "qvplatform/kernel.h"

namespace {

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

std::string BaseName(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Copies `source` into a new file beside `target` and renames it over the
// target, so that a failed copy never leaves a half-written target. Keeps the
// source's permissions and times. `replace` false refuses an existing target.
BOOL CopyOver(const std::string& source, const std::string& target, bool replace) {
  int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return qvp::FailWithErrno();
  struct stat st;
  if (::fstat(in, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(in);
    return qvp::FailWith(ERROR_ACCESS_DENIED);
  }
  std::string temp;
  int out = qvp::CreateSiblingFile(target, &temp);
  if (out < 0) {
    const int err = errno;
    ::close(in);
    return qvp::FailWith(qvp::WinErrorFromErrno(err));
  }
  std::vector<char> buffer(1 << 16);
  bool ok = true;
  while (ok) {
    ssize_t got = ::read(in, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      ok = got == 0;
      break;
    }
    ok = qvp::WriteAll(out, buffer.data(), static_cast<size_t>(got));
  }
  int err = errno;
  if (ok) {
    ::fchmod(out, st.st_mode & 07777);
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::futimens(out, times);
  }
  ::close(in);
  if (::close(out) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (ok) {
    int rc = replace ? ::rename(temp.c_str(), target.c_str())
                     : ::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE);
    if (rc != 0) {
      ok = false;
      err = errno;
    }
  }
  if (!ok) {
    ::unlink(temp.c_str());
    return qvp::FailWith(err == EEXIST ? ERROR_FILE_EXISTS : qvp::WinErrorFromErrno(err));
  }
  return TRUE;
}

}  // namespace

BOOL DeleteFileA(LPCSTR lpFileName) {
  return qvp::NoThrow<BOOL>(FALSE, [&]() -> BOOL {
    qvp::MappedPath mapped = qvp::MapPath(lpFileName);
    if (!mapped.ok()) return qvp::FailWith(mapped.error);
    struct stat st;
    if (::lstat(mapped.path.c_str(), &st) != 0) return qvp::FailWithErrno();
    if (S_ISDIR(st.st_mode)) return qvp::FailWith(ERROR_ACCESS_DENIED);
    if (S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR) == 0) return qvp::FailWith(ERROR_ACCESS_DENIED);
    if (::unlink(mapped.path.c_str()) != 0) return qvp::FailWithErrno();
    return TRUE;
  });
}

BOOL CopyFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, BOOL bFailIfExists) {
  return qvp::NoThrow<BOOL>(FALSE, [&]() -> BOOL {
    qvp::MappedPath source = qvp::MapPath(lpExistingFileName);
    if (!source.ok()) return qvp::FailWith(source.error);
    qvp::MappedPath target = qvp::MapPath(lpNewFileName);
    if (!target.ok()) return qvp::FailWith(target.error);
    struct stat src_st;
    if (::stat(source.path.c_str(), &src_st) != 0) return qvp::FailWithErrno();
    if (S_ISDIR(src_st.st_mode)) return qvp::FailWith(ERROR_ACCESS_DENIED);
    const std::string final_target = qvp::FollowLinks(target.path);
    struct stat dst_st;
    if (::stat(final_target.c_str(), &dst_st) == 0) {
      // Copying a file onto itself would destroy it; the source stays as it is.
      if (SameFile(src_st, dst_st)) return qvp::FailWith(ERROR_SHARING_VIOLATION);
      if (bFailIfExists) return qvp::FailWith(ERROR_FILE_EXISTS);
      if (S_ISDIR(dst_st.st_mode) || (dst_st.st_mode & S_IWUSR) == 0) {
        return qvp::FailWith(ERROR_ACCESS_DENIED);
      }
    }
    return CopyOver(source.path, final_target, !bFailIfExists);
  });
}

BOOL MoveFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName) {
  return qvp::NoThrow<BOOL>(FALSE, [&]() -> BOOL {
    qvp::MappedPath source = qvp::MapPath(lpExistingFileName);
    if (!source.ok()) return qvp::FailWith(source.error);
    qvp::MappedPath target = qvp::MapPath(lpNewFileName);
    if (!target.ok()) return qvp::FailWith(target.error);
    struct stat src_st;
    if (::lstat(source.path.c_str(), &src_st) != 0) return qvp::FailWithErrno();
    std::string destination = target.path;
    struct stat dst_st;
    if (::lstat(target.path.c_str(), &dst_st) == 0) {
      if (!SameFile(src_st, dst_st)) return qvp::FailWith(ERROR_ALREADY_EXISTS);
      // The same file under another spelling: a change of case only.
      destination = qvp::JoinPath(qvp::ParentOf(target.path), target.leaf);
      if (destination == source.path) return TRUE;
    }
    if (::renameat2(AT_FDCWD, source.path.c_str(), AT_FDCWD, destination.c_str(), RENAME_NOREPLACE) == 0) {
      return TRUE;
    }
    const int err = errno;
    if (err == EEXIST) return qvp::FailWith(ERROR_ALREADY_EXISTS);
    if (err == EXDEV && S_ISREG(src_st.st_mode)) {
      // Another volume: a file is copied and the original removed.
      if (!CopyOver(source.path, destination, false)) return FALSE;
      if (::unlink(source.path.c_str()) != 0) return qvp::FailWithErrno();
      return TRUE;
    }
    return qvp::FailWith(qvp::WinErrorFromErrno(err));
  });
}

BOOL CreateDirectoryA(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/) {
  return qvp::NoThrow<BOOL>(FALSE, [&]() -> BOOL {
    qvp::MappedPath mapped = qvp::MapPath(lpPathName);
    if (!mapped.ok()) return qvp::FailWith(mapped.error);
    if (::mkdir(mapped.path.c_str(), 0777) == 0) return TRUE;
    const int err = errno;
    if (err == EEXIST) return qvp::FailWith(ERROR_ALREADY_EXISTS);
    if (err == ENOENT) return qvp::FailWith(ERROR_PATH_NOT_FOUND);
    return qvp::FailWith(qvp::WinErrorFromErrno(err));
  });
}

BOOL RemoveDirectoryA(LPCSTR lpPathName) {
  return qvp::NoThrow<BOOL>(FALSE, [&]() -> BOOL {
    qvp::MappedPath mapped = qvp::MapPath(lpPathName);
    if (!mapped.ok()) return qvp::FailWith(mapped.error);
    struct stat st;
    if (::lstat(mapped.path.c_str(), &st) != 0) return qvp::FailWithErrno();
    if (!S_ISDIR(st.st_mode)) return qvp::FailWith(ERROR_DIRECTORY);
    if (::rmdir(mapped.path.c_str()) == 0) return TRUE;
    const int err = errno;
    if (err == ENOTEMPTY || err == EEXIST) return qvp::FailWith(ERROR_DIR_NOT_EMPTY);
    return qvp::FailWith(qvp::WinErrorFromErrno(err));
  });
}

DWORD GetFileAttributesA(LPCSTR lpFileName) {
  return qvp::NoThrow<DWORD>(INVALID_FILE_ATTRIBUTES, [&]() -> DWORD {
    qvp::MappedPath mapped = qvp::MapPath(lpFileName);
    if (!mapped.ok()) {
      SetLastError(mapped.error);
      return INVALID_FILE_ATTRIBUTES;
    }
    struct stat st;
    if (::stat(mapped.path.c_str(), &st) != 0) {
      SetLastError(qvp::WinErrorFromErrno(errno));
      return INVALID_FILE_ATTRIBUTES;
    }
    return qvp::AttributesFromStat(st, BaseName(mapped.path));
  });
}

BOOL SetFileAttributesA(LPCSTR lpFileName, DWORD dwFileAttributes) {
  return qvp::NoThrow<BOOL>(FALSE, [&]() -> BOOL {
    qvp::MappedPath mapped = qvp::MapPath(lpFileName);
    if (!mapped.ok()) return qvp::FailWith(mapped.error);
    struct stat st;
    if (::stat(mapped.path.c_str(), &st) != 0) return qvp::FailWithErrno();
    if (S_ISDIR(st.st_mode)) return TRUE;  // a directory's read-only mark changes nothing
    mode_t mode = st.st_mode & 07777;
    mode_t wanted =
        (dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? (mode & ~static_cast<mode_t>(0222)) : (mode | S_IWUSR);
    if (wanted != mode && ::chmod(mapped.path.c_str(), wanted) != 0) return qvp::FailWithErrno();
    return TRUE;
  });
}

namespace qvp {

bool RestrictToOwner(const char* windows_path) {
  MappedPath mapped = MapPath(windows_path);
  if (mapped.error != ERROR_SUCCESS) {
    SetLastError(mapped.error);
    return false;
  }
  if (::chmod(mapped.path.c_str(), S_IRUSR | S_IWUSR) != 0) {
    SetLastError(WinErrorFromErrno(errno));
    return false;
  }
  return true;
}

}  // namespace qvp
