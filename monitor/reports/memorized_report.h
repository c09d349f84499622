// Memorized reports (".AMR"): a named set of report settings, the kinds of
// save-to targets, and the directory listings the report and schedule dialogs
// choose from.
#pragma once

#include <cstddef>
#include <cstdint>

#include "qvplatform.h"

// Kinds of save-to target (URLType).
enum SaveToType : int32_t {
  kSaveToFile = 0,
  kSaveToFtp = 1,
  kSaveToHttp = 2,
  kSaveToMail = 3,
  kSaveToOdbc = 4,  // recognised in targets, never stored
};

// ReportType: 1 short report of the device, 2 complete report (with the event
// log), 3 summary of all monitored devices.
inline constexpr int kReportShort = 1;
inline constexpr int kReportComplete = 2;
inline constexpr int kReportSummary = 3;

// TimeRange: 0 all of log, 1 today, 2 yesterday, 3 this month, 4 last month,
// 5 the last 50 log entries.
inline constexpr int kRangeAll = 0;
inline constexpr int kRangeToday = 1;
inline constexpr int kRangeYesterday = 2;
inline constexpr int kRangeThisMonth = 3;
inline constexpr int kRangeLastMonth = 4;
inline constexpr int kRangeLast50 = 5;
inline constexpr int kRangeCount = 6;
// The names of the ranges as the report and the range list show them.
extern const char* const kTimeRangeNames[kRangeCount];

inline constexpr int kMemorizedDescriptionSize = 80;
inline constexpr int kSaveToUserSize = 41;
inline constexpr int kSaveToPasswordSize = 41;
inline constexpr int kStyleTextSize = 256;
// Stored passwords: the scrambled form of up to 82 characters.
inline constexpr int kStoredPasswordSize = 165;

struct MEMORIZED_REPORT {
  char filePath[MAX_PATH];
  char description[kMemorizedDescriptionSize];
  char saveTo[MAX_PATH];
  int32_t urlType;
  char saveToUserName[kSaveToUserSize];
  char saveToPassword[kSaveToPasswordSize];
  char reportLanguage[kStyleTextSize];
  char reportStyle[kStyleTextSize];
  char reportTitle[kStyleTextSize];
  int32_t reportType;
  int32_t timeRange;
};

// Zeroes the record, keeps the path and reads the file; out-of-range values
// read as their defaults (URLType 0 unless 0, 1 or 3; ReportType 1 unless 1-3;
// TimeRange 0 unless 0-5). True when the file exists.
bool ReadMemorizedReport(MEMORIZED_REPORT* report, const char* path);
// Writes the record's keys to `path` in their fixed order; a new file is its
// owner's alone before any key goes in. False when a key could not be written.
bool WriteMemorizedReport(const MEMORIZED_REPORT* report, const char* path);

// Makes `path` when missing, readable and writable by its owner alone (the
// files hold passwords); an existing file is closed to others the same way.
// False when the file cannot be made so.
bool PrepareOwnerOnlyFile(const char* path);

// The first of <directory>ALERT0<ext>, ALERT1<ext>, ... that does not exist;
// `pattern` gives the extension ("*.AMS"). False when the path does not fit.
bool MakeUniqueFileName(const char* directory, const char* base, const char* pattern, char* out, size_t size);

// The kind of a stored target by its scheme (without regard to case):
// "http://" 2, "ftp://" 1, "mailto:" 3, "file:///" 0; a plain path is a file (0).
int GetSaveToType(const char* target);

// An empty language or "(Default)" becomes [Language] Report of the plug-in's
// settings file ("ENGLISH" when missing); with the report dialog given, the
// language is also selected in its language list.
void GetReportLanguage(HWND dialog, MEMORIZED_REPORT* report);

// One entry of a directory listing.
struct FileListEntry {
  char path[MAX_PATH];
  char description[kMemorizedDescriptionSize];
};

// Listings of the data directory, allocated with QVUI_MyAlloc and freed by the
// caller with QVUI_MyFree2; null with *count 0 when there is no such file.
// Profiles ("*.AMP", [Profile] Description, "No profile description found"
// when empty) and memorized reports ("*.AMR", [General] Description, "Report
// description" when empty), in directory order.
FileListEntry* ListProfileFiles(int* count);
FileListEntry* ListMemorizedReports(int* count);
// The schedule event files ("*.AMS"), MAX_PATH characters each.
char (*ListScheduleEventFiles(int* count))[MAX_PATH];

// The first entry whose description equals `description` without regard to
// case; its path into out (MAX_PATH). False when none.
bool FindMemorizedReportFile(const FileListEntry* list, int count, const char* description, char* out);
