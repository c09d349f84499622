#include "ini/profile_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>

#include "files/path_mapper.h"
#include "files/sibling_file.h"
#include "files/win_error.h"

namespace qvp::ini {
namespace {

std::mutex& WriteLock() {
  static std::mutex* lock = new std::mutex;  // lives past static destructors of other modules
  return *lock;
}

// The file's full path, its name resolved without regard to case.
std::string Resolve(const ProfileLocation& where) {
  std::string existing = FindNameNoCase(where.directory, where.name);
  return JoinPath(where.directory, existing.empty() ? where.name : existing);
}

// Reads a whole file; ENOENT and other failures come back as a Windows error.
ProfileContent ReadWhole(const std::string& path) {
  ProfileContent out;
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    out.error = WinErrorFromErrno(errno);
    return out;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    out.error = ERROR_ACCESS_DENIED;
    return out;
  }
  // Read straight into the text, sized by the file; a file still growing just
  // takes more rounds.
  out.text.resize(static_cast<size_t>(st.st_size) + 1);
  size_t used = 0;
  for (;;) {
    if (used == out.text.size()) out.text.resize(out.text.size() * 2);
    ssize_t got = ::read(fd, out.text.data() + used, out.text.size() - used);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      out.error = WinErrorFromErrno(errno);
      ::close(fd);
      out.text.clear();
      return out;
    }
    if (got == 0) break;
    used += static_cast<size_t>(got);
  }
  out.text.resize(used);
  ::close(fd);
  out.exists = true;
  return out;
}

// Holds an exclusive advisory lock on a directory while alive.
class DirectoryLock {
 public:
  explicit DirectoryLock(const std::string& directory) {
    fd_ = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0) {
      error_ = errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : WinErrorFromErrno(errno);
      return;
    }
    while (::flock(fd_, LOCK_EX) != 0) {
      if (errno != EINTR) {
        error_ = WinErrorFromErrno(errno);
        return;
      }
    }
  }
  ~DirectoryLock() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
  }
  DirectoryLock(const DirectoryLock&) = delete;
  DirectoryLock& operator=(const DirectoryLock&) = delete;

  DWORD error() const { return error_; }

 private:
  int fd_ = -1;
  DWORD error_ = ERROR_SUCCESS;
};

// Writes `text` beside `path` and renames it over `path`. `mode` (when not 0)
// carries the old file's permissions over.
DWORD ReplaceFile(const std::string& path, const std::string& text, mode_t mode) {
  std::string temp;
  int fd = CreateSiblingFile(path, &temp);
  if (fd < 0) return WinErrorFromErrno(errno);
  // The permissions first, so that the text is never readable more widely
  // than the file it replaces.
  bool ok = true;
  int err = 0;
  if (mode != 0 && ::fchmod(fd, mode) != 0) {
    ok = false;
    err = errno;
  }
  if (ok && !WriteAll(fd, text.data(), text.size())) {
    ok = false;
    err = errno;
  }
  if (::close(fd) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (ok && ::rename(temp.c_str(), path.c_str()) != 0) {
    ok = false;
    err = errno;
  }
  if (!ok) {
    ::unlink(temp.c_str());
    return WinErrorFromErrno(err);
  }
  return ERROR_SUCCESS;
}

}  // namespace

ProfileLocation LocateProfile(const char* file_name) {
  ProfileLocation out;
  if (file_name == nullptr) file_name = "WIN.INI";
  ParsedPath parsed = ParseWindowsPath(file_name, false);
  if (parsed.error != ERROR_SUCCESS) {
    out.error = parsed.error;
    return out;
  }
  const bool bare = parsed.root == PathRoot::kRelative && std::strpbrk(file_name, "\\/") == nullptr;
  if (bare) {
    if (parsed.components.size() != 1 || parsed.components[0] == "..") {
      out.error = ERROR_INVALID_NAME;
      return out;
    }
    out.directory = WindowsDirectory();
    out.name = parsed.components[0];
    return out;
  }
  MappedPath mapped = MapPath(file_name);
  if (!mapped.ok()) {
    out.error = mapped.error;
    return out;
  }
  if (mapped.leaf.empty() || mapped.leaf == "..") {
    out.error = ERROR_INVALID_NAME;
    return out;
  }
  out.directory = ParentOf(mapped.path);
  out.name = mapped.leaf;
  return out;
}

ProfileContent ReadProfile(const ProfileLocation& where) {
  // The exact name is tried first; only a missing one is looked for by case.
  ProfileContent exact = ReadWhole(JoinPath(where.directory, where.name));
  if (exact.exists || exact.error != ERROR_FILE_NOT_FOUND) return exact;
  return ReadWhole(Resolve(where));
}

ProfileContent ReadProfileAsWritten(const char* file_name) {
  ProfileContent out;
  out.error = ERROR_FILE_NOT_FOUND;
  if (file_name == nullptr) return out;
  ParsedPath parsed = ParseWindowsPath(file_name, false);
  if (parsed.error != ERROR_SUCCESS || parsed.components.empty() || parsed.trailing_separator) return out;
  const std::string& leaf = parsed.components.back();
  if (leaf == "..") return out;
  const bool bare = parsed.root == PathRoot::kRelative && std::strpbrk(file_name, "\\/") == nullptr;
  if (bare && parsed.components.size() != 1) return out;
  const std::string path = bare ? JoinPath(WindowsDirectory(), leaf) : PathAsWritten(parsed);
  if (path.empty()) return out;
  return ReadWhole(path);
}

DWORD UpdateProfile(const ProfileLocation& where, const std::function<bool(IniText&)>& edit) {
  std::lock_guard<std::mutex> process_wide(WriteLock());
  DirectoryLock across_processes(where.directory);
  if (across_processes.error() != ERROR_SUCCESS) return across_processes.error();

  // Resolved under the locks, so that two writers spelling the name differently
  // still write one file.
  const std::string path = FollowLinks(Resolve(where));
  struct stat st;
  mode_t mode = 0;
  if (::stat(path.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode) || (st.st_mode & S_IWUSR) == 0) return ERROR_ACCESS_DENIED;
    mode = st.st_mode & 07777;
  }
  ProfileContent current = ReadWhole(path);
  // A file that exists but cannot be read is never replaced by a blank one.
  if (!current.exists && current.error != ERROR_FILE_NOT_FOUND) return current.error;
  IniText text(std::move(current.text));
  if (!edit(text)) return ERROR_SUCCESS;
  return ReplaceFile(path, text.Serialize(), mode);
}

}  // namespace qvp::ini
