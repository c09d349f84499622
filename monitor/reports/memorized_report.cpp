// Memorized report files, save-to kinds, unique file names and listings.
#include "memorized_report.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "install_paths.h"
#include "plugin_helpers.h"
#include "qv_ui.h"
#include "report_text.h"

const char* const kTimeRangeNames[kRangeCount] = {"All of log", "Today", "Yesterday", "This month", "Last month",
                                                  "Last 50 log entries"};

namespace {

constexpr char kGeneral[] = "General";
constexpr char kSaveAs[] = "SaveAs";
constexpr char kStyle[] = "Style";
constexpr char kContent[] = "Content";

}  // namespace

// A file made by this module holds passwords: it is its owner's alone before
// the first key goes in (later rewrites keep the file's permissions).
bool PrepareOwnerOnlyFile(const char* path) {
  if (path == nullptr || path[0] == '\0') return false;
  // A file left readable by others (an older copy) is closed to them first.
  if (QVUI_FindFile(path)) return qvp::RestrictToOwner(path);
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  if (!qvp::RestrictToOwner(path)) {
    DeleteFileA(path);
    return false;
  }
  return true;
}

bool ReadMemorizedReport(MEMORIZED_REPORT* report, const char* path) {
  if (report == nullptr) return false;
  std::memset(report, 0, sizeof *report);
  report->reportType = kReportShort;  // what a report without a file holds
  CopyText(report->filePath, path);
  if (path == nullptr || path[0] == '\0') return false;
  GetPrivateProfileStringA(kGeneral, "Description", "", report->description, sizeof report->description, path);
  GetPrivateProfileStringA(kSaveAs, "SaveReportAs", "", report->saveTo, sizeof report->saveTo, path);
  const int urlType = static_cast<int>(GetPrivateProfileIntA(kSaveAs, "URLType", 0, path));
  report->urlType = urlType == kSaveToFtp || urlType == kSaveToMail ? urlType : kSaveToFile;
  GetPrivateProfileStringA(kSaveAs, "SaveToUserName", "", report->saveToUserName, sizeof report->saveToUserName,
                           path);
  char stored[kStoredPasswordSize];
  GetPrivateProfileStringA(kSaveAs, "SaveToPassword", "", stored, sizeof stored, path);
  QVUI_DecryptPassword(stored, report->saveToPassword, sizeof report->saveToPassword);
  GetPrivateProfileStringA(kStyle, "ReportLanguage", "", report->reportLanguage, sizeof report->reportLanguage,
                           path);
  GetPrivateProfileStringA(kStyle, "ReportStyle", "", report->reportStyle, sizeof report->reportStyle, path);
  GetPrivateProfileStringA(kContent, "ReportTitle", "", report->reportTitle, sizeof report->reportTitle, path);
  const int type = static_cast<int>(GetPrivateProfileIntA(kContent, "ReportType", kReportShort, path));
  report->reportType = type >= kReportShort && type <= kReportSummary ? type : kReportShort;
  const int range = static_cast<int>(GetPrivateProfileIntA(kContent, "TimeRange", kRangeAll, path));
  report->timeRange = range >= 0 && range < kRangeCount ? range : kRangeAll;
  return QVUI_FindFile(path) != FALSE;
}

bool WriteMemorizedReport(const MEMORIZED_REPORT* report, const char* path) {
  if (report == nullptr || !PrepareOwnerOnlyFile(path)) return false;
  char stored[kStoredPasswordSize];
  QVUI_EncryptPassword(report->saveToPassword, stored, sizeof stored);
  bool ok = WritePrivateProfileStringA(kSaveAs, "SaveReportAs", report->saveTo, path) != FALSE;
  ok = WritePrivateProfileStringA(kSaveAs, "SaveToUserName", report->saveToUserName, path) != FALSE && ok;
  ok = WritePrivateProfileStringA(kSaveAs, "SaveToPassword", stored, path) != FALSE && ok;
  ok = WritePrivateProfileStringA(kGeneral, "Description", report->description, path) != FALSE && ok;
  ok = WriteProfileInt(kSaveAs, "URLType", report->urlType, path) && ok;
  ok = WritePrivateProfileStringA(kStyle, "ReportStyle", report->reportStyle, path) != FALSE && ok;
  ok = WritePrivateProfileStringA(kStyle, "ReportLanguage", report->reportLanguage, path) != FALSE && ok;
  ok = WritePrivateProfileStringA(kContent, "ReportTitle", report->reportTitle, path) != FALSE && ok;
  ok = WriteProfileInt(kContent, "ReportType", report->reportType, path) && ok;
  ok = WriteProfileInt(kContent, "TimeRange", report->timeRange, path) && ok;
  return ok;
}

bool MakeUniqueFileName(const char* directory, const char* base, const char* pattern, char* out, size_t size) {
  if (out == nullptr || size == 0) return false;
  out[0] = '\0';
  const char* dot = pattern != nullptr ? std::strrchr(pattern, '.') : nullptr;
  const std::string extension = dot != nullptr ? dot : "";
  for (unsigned n = 0; n < 1000000; ++n) {
    const std::string path = std::string(directory != nullptr ? directory : "") + (base != nullptr ? base : "") +
                             std::to_string(n) + extension;
    if (QVUI_FindFile(path.c_str())) continue;
    if (path.size() >= size) return false;
    std::memcpy(out, path.c_str(), path.size() + 1);
    return true;
  }
  return false;
}

int GetSaveToType(const char* target) {
  if (StartsWithNoCase(target, "http://")) return kSaveToHttp;
  if (StartsWithNoCase(target, "ftp://")) return kSaveToFtp;
  if (StartsWithNoCase(target, "mailto:")) return kSaveToMail;
  return kSaveToFile;  // "file:///" or a plain path
}

void GetReportLanguage(HWND dialog, MEMORIZED_REPORT* report) {
  if (report == nullptr) return;
  if (report->reportLanguage[0] != '\0' && !EqualsNoCase(report->reportLanguage, "(Default)")) return;
  char ini[MAX_PATH];
  if (!GetAlertIniPath(ini, sizeof ini)) ini[0] = '\0';
  GetPrivateProfileStringA("Language", "Report", "ENGLISH", report->reportLanguage, sizeof report->reportLanguage,
                           ini);
  if (dialog != nullptr) {
    HWND list = GetDlgItem(dialog, 10001);
    if (list != nullptr) {
      const LRESULT found = SendMessageA(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(report->reportLanguage));
      if (found != CB_ERR) SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(found), 0);
    }
  }
}

namespace {

// Calls `each` with the path of every file of the data directory matching
// `pattern`, in directory order, at most `limit` times.
template <typename Each>
void ForEachDataFile(const char* pattern, int limit, Each each) {
  char directory[MAX_PATH];
  if (!GetDataDirectory(directory, sizeof directory)) return;
  const std::string search = std::string(directory) + pattern;
  WIN32_FIND_DATAA found;
  HANDLE handle = FindFirstFileA(search.c_str(), &found);
  if (handle == INVALID_HANDLE_VALUE) return;
  int n = 0;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
    const std::string path = std::string(directory) + found.cFileName;
    if (path.size() >= MAX_PATH) continue;
    each(path.c_str(), n++);
  } while (n < limit && FindNextFileA(handle, &found));
  FindClose(handle);
}

int CountDataFiles(const char* pattern) {
  char directory[MAX_PATH];
  if (!GetDataDirectory(directory, sizeof directory)) return 0;
  return QVUI_CountFiles((std::string(directory) + pattern).c_str());
}

FileListEntry* ListWithDescriptions(const char* pattern, const char* section, const char* fallback, int* count) {
  *count = 0;
  const int expected = CountDataFiles(pattern);
  if (expected <= 0) return nullptr;
  auto* list = static_cast<FileListEntry*>(QVUI_MyAlloc(static_cast<DWORD>(expected * sizeof(FileListEntry))));
  if (list == nullptr) return nullptr;
  int filled = 0;
  ForEachDataFile(pattern, expected, [&](const char* path, int n) {
    CopyText(list[n].path, path);
    GetPrivateProfileStringA(section, "Description", "", list[n].description, sizeof list[n].description, path);
    if (list[n].description[0] == '\0') CopyText(list[n].description, fallback);
    filled = n + 1;
  });
  if (filled == 0) {
    QVUI_MyFree2(list);
    return nullptr;
  }
  *count = filled;
  return list;
}

}  // namespace

FileListEntry* ListProfileFiles(int* count) {
  return ListWithDescriptions("*.AMP", "Profile", "No profile description found", count);
}

FileListEntry* ListMemorizedReports(int* count) {
  return ListWithDescriptions("*.AMR", "General", "Report description", count);
}

char (*ListScheduleEventFiles(int* count))[MAX_PATH] {
  *count = 0;
  const int expected = CountDataFiles("*.AMS");
  if (expected <= 0) return nullptr;
  auto* list = static_cast<char(*)[MAX_PATH]>(QVUI_MyAlloc(static_cast<DWORD>(expected * MAX_PATH)));
  if (list == nullptr) return nullptr;
  int filled = 0;
  ForEachDataFile("*.AMS", expected, [&](const char* path, int n) {
    CopyText(list[n], MAX_PATH, path);
    filled = n + 1;
  });
  if (filled == 0) {
    QVUI_MyFree2(list);
    return nullptr;
  }
  *count = filled;
  return list;
}

bool FindMemorizedReportFile(const FileListEntry* list, int count, const char* description, char* out) {
  if (list == nullptr || description == nullptr) return false;
  for (int i = 0; i < count; ++i) {
    if (EqualsNoCase(list[i].description, description)) {
      if (out != nullptr) CopyText(out, MAX_PATH, list[i].path);
      return true;
    }
  }
  return false;
}
