// FindFirstFileA / FindNextFileA / FindClose: a search lists the matching names
// of one directory, taken when the search starts and sorted without regard to case.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "files/file_info.h"
#include "qvplatform/nocase.h"
#include "files/path_mapper.h"
#include "files/sibling_file.h"
#include "files/wildcard.h"
#include "files/win_error.h"
#include "kernel/handles.h"
#include "qvplatform/files.h"
#include "qvplatform/kernel.h"

namespace {

class FindObject : public qvp::KernelObject {
 public:
  explicit FindObject(std::vector<WIN32_FIND_DATAA> entries) : entries_(std::move(entries)) {}

  bool Next(WIN32_FIND_DATAA* out) {
    std::lock_guard<std::mutex> g(lock_);
    if (next_ >= entries_.size()) return false;
    *out = entries_[next_++];
    return true;
  }

 private:
  std::mutex lock_;
  std::vector<WIN32_FIND_DATAA> entries_;
  size_t next_ = 0;
};

// "." and ".." are listed except at the top of a volume, as Windows does.
bool IsVolumeTop(const std::string& directory) {
  const std::string real = qvp::FollowLinks(directory);
  if (real == "/") return true;
  for (char drive : qvp::MappedDrives()) {
    if (qvp::FollowLinks(qvp::DriveRoot(drive)) == real) return true;
  }
  return false;
}

bool Describe(const std::string& directory, const std::string& name, WIN32_FIND_DATAA* out) {
  const std::string path = qvp::JoinPath(directory, name);
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 && ::lstat(path.c_str(), &st) != 0) return false;
  std::memset(out, 0, sizeof *out);
  out->dwFileAttributes = qvp::AttributesFromStat(st, name);
  out->ftCreationTime = qvp::CreationTimeOf(-1, path.c_str(), st);
  out->ftLastAccessTime = qvp::FileTimeFromTimespec(st.st_atim);
  out->ftLastWriteTime = qvp::FileTimeFromTimespec(st.st_mtim);
  const uint64_t size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
  out->nFileSizeHigh = static_cast<DWORD>(size >> 32);
  out->nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
  std::memcpy(out->cFileName, name.c_str(), std::min<size_t>(name.size(), MAX_PATH - 1));
  return true;
}

// The sorted entries of `directory` matching `pattern`; false with the Windows
// error when the directory cannot be read.
bool ListMatches(const std::string& directory, const std::string& pattern, std::vector<WIN32_FIND_DATAA>* out,
                 DWORD* error) {
  DIR* dir = ::opendir(directory.c_str());
  if (dir == nullptr) {
    *error = errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : qvp::WinErrorFromErrno(errno);
    return false;
  }
  std::vector<std::string> names;
  while (struct dirent* entry = ::readdir(dir)) {
    if (qvp::MatchesPattern(pattern, entry->d_name)) names.emplace_back(entry->d_name);
  }
  ::closedir(dir);
  const bool dots_allowed = !IsVolumeTop(directory);
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return qvp::LessNoCase(a, b); });
  for (const std::string& name : names) {
    if ((name == "." || name == "..") && !dots_allowed) continue;
    WIN32_FIND_DATAA data;
    if (Describe(directory, name, &data)) out->push_back(data);
  }
  return true;
}

}  // namespace

HANDLE FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData) {
  return qvp::NoThrow<HANDLE>(INVALID_HANDLE_VALUE, [&]() -> HANDLE {
    if (lpFindFileData == nullptr) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return INVALID_HANDLE_VALUE;
    }
    qvp::MappedPath mapped = qvp::MapSearchPattern(lpFileName);
    if (!mapped.ok()) {
      SetLastError(mapped.error);
      return INVALID_HANDLE_VALUE;
    }
    std::vector<WIN32_FIND_DATAA> entries;
    DWORD error = ERROR_SUCCESS;
    if (!ListMatches(mapped.path, mapped.leaf, &entries, &error)) {
      SetLastError(error);
      return INVALID_HANDLE_VALUE;
    }
    if (entries.empty()) {
      SetLastError(ERROR_FILE_NOT_FOUND);
      return INVALID_HANDLE_VALUE;
    }
    auto search = std::make_shared<FindObject>(std::move(entries));
    search->Next(lpFindFileData);
    return qvp::InsertHandle(std::move(search));
  });
}

BOOL FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData) {
  auto search = qvp::LookupHandleAs<FindObject>(hFindFile);
  if (!search) return qvp::FailWith(ERROR_INVALID_HANDLE);
  if (lpFindFileData == nullptr) return qvp::FailWith(ERROR_INVALID_PARAMETER);
  if (!search->Next(lpFindFileData)) return qvp::FailWith(ERROR_NO_MORE_FILES);
  return TRUE;
}

BOOL FindClose(HANDLE hFindFile) {
  if (!qvp::LookupHandleAs<FindObject>(hFindFile)) return qvp::FailWith(ERROR_INVALID_HANDLE);
  qvp::RemoveHandle(hFindFile);
  return TRUE;
}
