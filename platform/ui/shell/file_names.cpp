// Filters, names and the result of the open and save dialogs.
#include "ui/shell/file_names.h"

#include <algorithm>
#include <cstring>

#include "ui/shell/commdlg_common.h"

namespace qvp::ui::commdlg {

std::vector<std::string> ParseFilters(const char* filter, size_t limit) {
  std::vector<std::string> out;
  if (!filter) return out;
  size_t at = 0;
  while (at < limit && filter[at] != '\0') {
    std::string description = BoundedText(filter + at, limit - at);
    at += description.size() + 1;
    if (at >= limit || filter[at] == '\0') break;  // a description without patterns ends the list
    std::string patterns = BoundedText(filter + at, limit - at);
    at += patterns.size() + 1;
    out.push_back(description + "|" + patterns);
  }
  return out;
}

size_t NameOffset(const std::string& path) {
  size_t cut = path.find_last_of("\\/");
  size_t start = cut == std::string::npos ? 0 : cut + 1;
  if (start == 0 && path.size() >= 2 && path[1] == ':') start = 2;
  return start;
}

size_t ExtensionOffset(const std::string& path) {
  size_t start = NameOffset(path);
  size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || dot < start) return path.size();
  if (dot + 1 == path.size()) return 0;
  return dot + 1;
}

bool ValidFileName(const std::string& name, bool allow_wildcards) {
  if (name.empty()) return false;
  for (unsigned char c : name) {
    if (c < 0x20 || std::strchr(allow_wildcards ? "<>|\"" : "<>|\"*?", c) != nullptr) return false;
  }
  return NameOffset(name) < name.size();  // names a file, not only a folder
}

std::string WithDefaultExtension(const std::string& path, const char* default_extension) {
  if (!default_extension || default_extension[0] == '\0') return path;
  size_t start = NameOffset(path);
  if (path.find('.', start) != std::string::npos) return path;
  return path + "." + BoundedText(default_extension, 3);
}

std::string FullPathIn(const std::string& folder, const std::string& name) {
  if (name.empty()) return {};
  const bool absolute = (name.size() >= 2 && name[1] == ':') || name[0] == '\\' || name[0] == '/';
  std::string joined = (absolute || folder.empty()) ? name : folder + "\\" + name;
  char buffer[MAX_PATH * 4];
  DWORD n = GetFullPathNameA(joined.c_str(), sizeof buffer, buffer, nullptr);
  if (n == 0 || n >= sizeof buffer) return {};
  std::string full(buffer, n);
  // The name keeps a final '.' the user typed (it says "no extension").
  if (name.back() == '.' && full.back() != '.' && full.back() != '\\' && full.back() != '/') full.push_back('.');
  return full;
}

std::string FolderOf(const std::string& full_path) {
  size_t start = NameOffset(full_path);
  if (start == 0) return {};
  std::string folder = full_path.substr(0, start);
  // Keep the separator of a root ("C:\", "/"), drop any other.
  bool root = start == 1 || (start == 3 && full_path[1] == ':');
  if (!root && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  return folder;
}

namespace {

// Stores a length the way a too-small buffer reports it: in its first two bytes.
DWORD TooSmall(OPENFILENAMEA& ofn, size_t needed) {
  if (ofn.nMaxFile >= 2) {
    WORD size = static_cast<WORD>(std::min<size_t>(needed, 0xFFFF));
    std::memcpy(ofn.lpstrFile, &size, sizeof size);
  }
  return FNERR_BUFFERTOOSMALL;
}

void WriteTitle(OPENFILENAMEA& ofn, const std::string& name) {
  if (!ofn.lpstrFileTitle || ofn.nMaxFileTitle == 0) return;
  size_t n = std::min<size_t>(name.size(), ofn.nMaxFileTitle - 1);
  std::memcpy(ofn.lpstrFileTitle, name.data(), n);
  ofn.lpstrFileTitle[n] = '\0';
}

}  // namespace

DWORD WriteFileResult(OPENFILENAMEA& ofn, const std::vector<std::string>& full_paths) {
  const bool multi = (ofn.Flags & OFN_ALLOWMULTISELECT) != 0;
  std::string out;
  WORD name_offset = 0;
  WORD extension_offset = 0;
  if (full_paths.size() == 1) {
    const std::string& path = full_paths.front();
    out = path;
    out.push_back('\0');
    if (multi) out.push_back('\0');
    name_offset = static_cast<WORD>(std::min<size_t>(NameOffset(path), 0xFFFF));
    extension_offset = static_cast<WORD>(std::min<size_t>(ExtensionOffset(path), 0xFFFF));
  } else {
    const bool explorer = (ofn.Flags & OFN_EXPLORER) != 0;
    const char separator = explorer ? '\0' : ' ';
    out = FolderOf(full_paths.front());
    name_offset = static_cast<WORD>(std::min<size_t>(out.size() + 1, 0xFFFF));
    for (const std::string& path : full_paths) {
      out.push_back(separator);
      out += path.substr(NameOffset(path));
    }
    out.push_back('\0');
    if (explorer) out.push_back('\0');
  }
  if (out.size() > ofn.nMaxFile) return TooSmall(ofn, out.size());
  std::memcpy(ofn.lpstrFile, out.data(), out.size());
  ofn.nFileOffset = name_offset;
  ofn.nFileExtension = extension_offset;
  WriteTitle(ofn, full_paths.size() == 1 ? full_paths.front().substr(NameOffset(full_paths.front())) : "");
  return 0;
}

}  // namespace qvp::ui::commdlg
