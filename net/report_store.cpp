// "status.rep", the report folders and their removal.
#include "report_store.h"

#include <cstdio>
#include <cstring>

namespace {

std::string Join(const char* folder, const std::string& name) {
  std::string path = folder;
  if (!path.empty() && path.back() != '\\') path += '\\';
  return path + name;
}

// The real path of a folder, or "" when it cannot be opened as one.
std::string FinalFolderPath(const char* folder) {
  HANDLE dir = CreateFileA(folder, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (dir == INVALID_HANDLE_VALUE) return {};
  char path[1024];
  const DWORD length = GetFinalPathNameByHandleA(dir, path, sizeof path, 0);
  CloseHandle(dir);
  if (length == 0 || length >= sizeof path) return {};
  return std::string(path, length);
}

bool IsUnder(const std::string& path, const std::string& root) {
  if (root.empty() || path.size() <= root.size()) return false;
  if (path.compare(0, root.size(), root) != 0) return false;
  return root.back() == '\\' || path[root.size()] == '\\';
}

// Every entry of a folder (not "." and ".."), with its attributes.
template <class Visit>
void ForEachEntry(const std::string& folder, Visit visit) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    if (std::strcmp(data.cFileName, ".") == 0 || std::strcmp(data.cFileName, "..") == 0) continue;
    visit(data);
  } while (FindNextFileA(find, &data));
  FindClose(find);
}

}  // namespace

bool ParseReportStatus(const char* bytes, size_t size, ReportStatus* out) {
  std::memset(out, 0, sizeof *out);
  if (bytes == nullptr || size < kStatusFixedBytes) return false;
  if (size > kStatusFileBytes) size = kStatusFileBytes;
  std::memcpy(out->title, bytes, 100);
  out->title[100] = '\0';
  out->status = static_cast<uint16_t>(static_cast<unsigned char>(bytes[101]) |
                                      static_cast<unsigned char>(bytes[102]) << 8);
  std::memcpy(out->message, bytes + 103, 303);
  out->message[303] = '\0';
  uint32_t low = 0;
  uint32_t high = 0;
  for (int i = 3; i >= 0; --i) {
    low = low << 8 | static_cast<unsigned char>(bytes[407 + i]);
    high = high << 8 | static_cast<unsigned char>(bytes[411 + i]);
  }
  out->time.dwLowDateTime = low;
  out->time.dwHighDateTime = high;
  int format = 0;
  size_t at = kStatusFixedBytes;
  while (at < size && bytes[at] == ' ') ++at;
  size_t digits = 0;
  while (at < size && bytes[at] >= '0' && bytes[at] <= '9' && digits < 3) {
    format = format * 10 + (bytes[at] - '0');
    ++at;
    ++digits;
  }
  out->format = format <= 4 ? format : 0;
  return true;
}

bool ReadReportStatus(const char* reportFolder, ReportStatus* out) {
  std::memset(out, 0, sizeof *out);
  const std::string path = Join(reportFolder, "status.rep");
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  char bytes[kStatusFileBytes];
  DWORD got = 0;
  const BOOL read = ReadFile(file, bytes, sizeof bytes, &got, nullptr);
  CloseHandle(file);
  return read && ParseReportStatus(bytes, got, out);
}

const char* ReportExtension(int format) {
  static const char* const kExtensions[] = {"htm", "doc", "xls", "cvs", "txt"};
  return format >= 0 && format <= 4 ? kExtensions[format] : kExtensions[0];
}

bool IsSafeComponent(const std::string& name) {
  if (name.empty() || name.size() > 99 || name == "." || name == "..") return false;
  for (unsigned char c : name) {
    if (c < 0x20 || c == 0x7f || c == '\\' || c == '/' || c == ':') return false;
  }
  return true;
}

bool SplitReportName(const std::string& item, std::string* user, std::string* report) {
  const size_t slash = item.find('\\');
  if (slash == std::string::npos) return false;
  *user = item.substr(0, slash);
  *report = item.substr(slash + 1);
  return IsSafeComponent(*user) && IsSafeComponent(*report);
}

void ListReportFolders(const char* usersFolder, std::vector<std::string>* out) {
  ForEachEntry(usersFolder, [&](const WIN32_FIND_DATAA& user) {
    if (user.cFileName[0] == '.' || !(user.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return;
    const std::string userName = user.cFileName;
    ForEachEntry(Join(usersFolder, userName), [&](const WIN32_FIND_DATAA& report) {
      if (report.cFileName[0] == '.' || !(report.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return;
      out->push_back(userName + "\\" + report.cFileName);
    });
  });
}

bool HandleLiesUnder(HANDLE file, const char* folder) {
  char path[1024];
  const DWORD length = GetFinalPathNameByHandleA(file, path, sizeof path, 0);
  if (length == 0 || length >= sizeof path) return false;
  return IsUnder(std::string(path, length), FinalFolderPath(folder));
}

bool DeleteReportFolder(const char* usersFolder, const std::string& item) {
  std::string user;
  std::string report;
  if (!SplitReportName(item, &user, &report)) return false;
  const std::string userFolder = Join(usersFolder, user);
  const std::string reportFolder = Join(userFolder.c_str(), report);
  // The folder itself must be what it says: a folder of that user's, not a
  // link to somewhere else.
  const std::string expected = FinalFolderPath(usersFolder);
  const std::string real = FinalFolderPath(reportFolder.c_str());
  const std::string realUser = FinalFolderPath(userFolder.c_str());
  auto parent = [](const std::string& path) {
    const size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
  };
  if (expected.empty() || real.empty() || parent(realUser) != expected || parent(real) != realUser) return false;
  ForEachEntry(real, [&](const WIN32_FIND_DATAA& entry) {
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return;
    // Deleting a link removes the link, never what it points to.
    DeleteFileA((real + "\\" + entry.cFileName).c_str());
  });
  RemoveDirectoryA(real.c_str());
  RemoveDirectoryA(realUser.c_str());  // only when empty
  return true;
}

int RemoveOldReports(const char* usersFolder, const FILETIME& cutoff) {
  std::vector<std::string> reports;
  ListReportFolders(usersFolder, &reports);
  int removed = 0;
  for (const std::string& item : reports) {
    ReportStatus status;
    if (!ReadReportStatus(Join(usersFolder, item).c_str(), &status)) continue;
    if (status.status >= 1 && status.status <= 99) continue;  // still being made
    if (CompareFileTime(&status.time, &cutoff) >= 0) continue;
    char line[400];
    std::snprintf(line, sizeof line, "Removing Old Reports (%s)\r\n", item.c_str());
    OutputDebugStringA(line);
    if (DeleteReportFolder(usersFolder, item)) ++removed;
  }
  return removed;
}
