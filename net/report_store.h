// The remote reports on disk: one folder per report inside a folder named
// after its user in the users folder, each with its status file "status.rep".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "qvplatform.h"

inline constexpr size_t kStatusFileBytes = 1971;  // what is read of "status.rep"
inline constexpr size_t kStatusFixedBytes = 415;  // title, status, message, time

struct ReportStatus {
  char title[101];
  uint16_t status;  // 100 finished, 1-99 running, above 100 failed, 0 not started
  char message[304];
  FILETIME time;    // local time
  int format;       // 0 htm, 1 doc, 2 xls, 3 cvs, 4 txt
};

// Reads the fields from the bytes of a status file, each within its width.
// False when there are fewer than kStatusFixedBytes. A format that is no
// number from 0 to 4 reads as 0.
bool ParseReportStatus(const char* bytes, size_t size, ReportStatus* out);
// Reads "status.rep" of a report folder; false when it is missing or short.
bool ReadReportStatus(const char* reportFolder, ReportStatus* out);

// The extension of an output format.
const char* ReportExtension(int format);

// True when `name` can be one component of a path below the users folder:
// not empty, not "." or "..", no separator, no control byte, at most 99.
bool IsSafeComponent(const std::string& name);
// Splits "user\report" into its two safe components; false otherwise.
bool SplitReportName(const std::string& item, std::string* user, std::string* report);

// Appends "user\report" for every folder two levels below the users folder
// whose names do not start with '.'.
void ListReportFolders(const char* usersFolder, std::vector<std::string>* out);

// Deletes the regular files of the report folder "user\report" (following no
// link; a folder that is a link, or lies outside the users folder, is left),
// removes the folder and then the user's folder when it is empty. False when
// the report folder is not a folder of the users folder.
bool DeleteReportFolder(const char* usersFolder, const std::string& item);

// True when the real path of the open handle lies under the real path of
// `folder` (a folder of the program's).
bool HandleLiesUnder(HANDLE file, const char* folder);

// Removes the reports whose time is before `cutoff` (local FILETIME) and that
// are not running (status 1 to 99). Each removal is reported with a debug
// line. How many went.
int RemoveOldReports(const char* usersFolder, const FILETIME& cutoff);
