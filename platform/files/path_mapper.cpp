#include "files/path_mapper.h"

#include <dirent.h>
#include <sys/stat.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <mutex>

#include "qvplatform/nocase.h"

namespace qvp {
namespace {

constexpr size_t kMaxComponent = 255;

struct DriveMap {
  std::mutex lock;
  std::array<std::string, 26> roots;
};

DriveMap& Drives() {
  static DriveMap* map = new DriveMap;  // lives past static destructors of other modules
  return *map;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Characters Windows refuses in a name. '*' and '?' are allowed in a pattern.
bool IsReservedChar(char c, bool pattern) {
  if (static_cast<unsigned char>(c) < 0x20) return true;
  switch (c) {
    case '<':
    case '>':
    case ':':
    case '"':
    case '|':
      return true;
    case '*':
    case '?':
      return !pattern;
    default:
      return false;
  }
}

// Windows ignores trailing dots and spaces of a name ("x.txt." is "x.txt").
std::string TrimTrailingDotsAndSpaces(const std::string& name) {
  size_t end = name.size();
  while (end > 0 && (name[end - 1] == '.' || name[end - 1] == ' ')) --end;
  return name.substr(0, end);
}

// Resolves the first `count` components under the root. A missing last
// component is kept as written when `last_may_be_missing`; any other missing
// component gives ERROR_PATH_NOT_FOUND.
MappedPath Resolve(const ParsedPath& parsed, size_t count, bool last_may_be_missing) {
  MappedPath out;
  switch (parsed.root) {
    case PathRoot::kRelative:
      out.path.assign(1, '.');
      break;
    case PathRoot::kLinuxRoot:
      out.path.assign(1, '/');
      break;
    case PathRoot::kDrive:
      out.path = DriveRoot(parsed.drive);
      if (out.path.empty()) {
        out.error = ERROR_PATH_NOT_FOUND;
        return out;
      }
      break;
  }
  // The common case first: the path exists as written, found by one look-up
  // instead of one per component.
  if (count > 0) {
    std::string whole = out.path;
    for (size_t k = 0; k < count; ++k) whole = JoinPath(whole, parsed.components[k]);
    struct stat st;
    if (lstat(whole.c_str(), &st) == 0) {
      out.path = std::move(whole);
      return out;
    }
  }
  for (size_t k = 0; k < count; ++k) {
    const std::string& name = parsed.components[k];
    const bool last = k + 1 == count;
    std::string candidate = JoinPath(out.path, name);
    struct stat st;
    if (name == ".." || lstat(candidate.c_str(), &st) == 0) {
      out.path = std::move(candidate);
      continue;
    }
    if (errno == ENOENT) {
      std::string found = FindNameNoCase(out.path, name);
      if (!found.empty()) {
        out.path = JoinPath(out.path, found);
        continue;
      }
      if (last && last_may_be_missing) {
        out.path = std::move(candidate);
        continue;
      }
      out.error = ERROR_PATH_NOT_FOUND;
      return out;
    }
    if (errno == ENOTDIR) {
      out.error = ERROR_PATH_NOT_FOUND;
      return out;
    }
    // Anything else (no permission to look) is left to the call that uses the path.
    out.path = std::move(candidate);
  }
  return out;
}

}  // namespace

ParsedPath ParseWindowsPath(const char* path, bool pattern_leaf) {
  ParsedPath out;
  if (path == nullptr) {
    out.error = ERROR_INVALID_PARAMETER;
    return out;
  }
  const size_t n = strnlen(path, MAX_PATH);
  if (n >= MAX_PATH) {
    out.error = ERROR_FILENAME_EXCED_RANGE;
    return out;
  }
  if (n == 0) {
    out.error = ERROR_PATH_NOT_FOUND;
    return out;
  }
  size_t i = 0;
  if (n >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    // "\\?\" and "\\.\" name Windows' own namespaces; anything else is a share.
    const bool device = n >= 4 && (path[2] == '?' || path[2] == '.') && IsSeparator(path[3]);
    out.error = device ? ERROR_INVALID_NAME : ERROR_BAD_NETPATH;
    return out;
  }
  if (n >= 2 && IsLetter(path[0]) && path[1] == ':') {
    out.root = PathRoot::kDrive;
    out.drive = Upper(path[0]);
    i = 2;
  } else if (IsSeparator(path[0])) {
    out.root = PathRoot::kLinuxRoot;
    i = 1;
  }
  out.trailing_separator = n > i && IsSeparator(path[n - 1]);

  // Split into raw components.
  std::vector<std::string> raw;
  while (i < n) {
    while (i < n && IsSeparator(path[i])) ++i;
    size_t start = i;
    while (i < n && !IsSeparator(path[i])) ++i;
    if (i > start) raw.emplace_back(path + start, i - start);
  }

  for (size_t k = 0; k < raw.size(); ++k) {
    const bool is_pattern = pattern_leaf && k + 1 == raw.size() && !out.trailing_separator;
    const std::string& name = raw[k];
    for (char c : name) {
      if (IsReservedChar(c, is_pattern)) {
        out.error = ERROR_INVALID_NAME;
        return out;
      }
    }
    if (name.size() > kMaxComponent) {
      out.error = ERROR_FILENAME_EXCED_RANGE;
      return out;
    }
    if (is_pattern) {
      out.components.push_back(name);
      continue;
    }
    if (name == ".") continue;
    if (name == "..") {
      if (!out.components.empty() && out.components.back() != "..") {
        out.components.pop_back();
      } else if (out.root == PathRoot::kRelative) {
        out.components.push_back(name);
      }  // at a root, ".." stays at the root
      continue;
    }
    std::string trimmed = TrimTrailingDotsAndSpaces(name);
    if (!trimmed.empty()) out.components.push_back(std::move(trimmed));
  }
  return out;
}

std::string JoinPath(const std::string& directory, const std::string& name) {
  if (directory.empty() || directory == ".") return name;
  if (directory.back() == '/') return directory + name;
  return directory + "/" + name;
}

std::string ParentOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string FindNameNoCase(const std::string& directory, const std::string& name) {
  // The exact name is looked up directly; only a missing one costs a listing.
  struct stat st;
  if (!name.empty() && lstat(JoinPath(directory, name).c_str(), &st) == 0) return name;
  DIR* dir = opendir(directory.c_str());
  if (dir == nullptr) return {};
  std::string best;
  bool found = false;
  while (struct dirent* entry = readdir(dir)) {
    std::string_view entry_name(entry->d_name);
    if (!EqualNoCase(entry_name, name)) continue;
    if (entry_name == name) {  // the exact name wins outright
      best = name;
      found = true;
      break;
    }
    if (!found || entry_name < best) best = entry_name;
    found = true;
  }
  closedir(dir);
  return best;
}

std::string PathAsWritten(const ParsedPath& parsed) {
  std::string path;
  switch (parsed.root) {
    case PathRoot::kRelative:
      path.assign(1, '.');
      break;
    case PathRoot::kLinuxRoot:
      path.assign(1, '/');
      break;
    case PathRoot::kDrive:
      path = DriveRoot(parsed.drive);
      if (path.empty()) return path;
      break;
  }
  for (const std::string& name : parsed.components) path = JoinPath(path, name);
  return path;
}

MappedPath MapPath(const char* windows_path) {
  ParsedPath parsed = ParseWindowsPath(windows_path, false);
  if (parsed.error != ERROR_SUCCESS) {
    MappedPath out;
    out.error = parsed.error;
    return out;
  }
  MappedPath out = Resolve(parsed, parsed.components.size(), true);
  if (out.ok() && !parsed.components.empty()) out.leaf = parsed.components.back();
  return out;
}

MappedPath MapSearchPattern(const char* windows_pattern) {
  ParsedPath parsed = ParseWindowsPath(windows_pattern, true);
  MappedPath out;
  if (parsed.error != ERROR_SUCCESS) {
    out.error = parsed.error;
    return out;
  }
  if (parsed.trailing_separator || parsed.components.empty()) {
    out.error = ERROR_FILE_NOT_FOUND;
    return out;
  }
  out = Resolve(parsed, parsed.components.size() - 1, false);
  if (out.ok()) out.leaf = parsed.components.back();
  return out;
}

std::string DriveRoot(char drive) {
  if (!IsLetter(drive)) return {};
  DriveMap& map = Drives();
  std::lock_guard<std::mutex> g(map.lock);
  return map.roots[static_cast<size_t>(Upper(drive) - 'A')];
}

std::vector<char> MappedDrives() {
  DriveMap& map = Drives();
  std::lock_guard<std::mutex> g(map.lock);
  std::vector<char> out;
  for (size_t i = 0; i < map.roots.size(); ++i) {
    if (!map.roots[i].empty()) out.push_back(static_cast<char>('A' + i));
  }
  return out;
}

bool SetDriveMapping(char drive, const char* linux_directory) {
  if (!IsLetter(drive)) return false;
  std::string root = linux_directory ? linux_directory : "";
  if (!root.empty() && root[0] != '/') return false;
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  DriveMap& map = Drives();
  std::lock_guard<std::mutex> g(map.lock);
  map.roots[static_cast<size_t>(Upper(drive) - 'A')] = std::move(root);
  return true;
}

void ClearDriveMappings() {
  DriveMap& map = Drives();
  std::lock_guard<std::mutex> g(map.lock);
  for (std::string& root : map.roots) root.clear();
}

}  // namespace qvp
