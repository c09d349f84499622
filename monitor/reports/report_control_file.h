// The report engine's control file: what to make, in which style and
// language, from which template, and where to put it.
#pragma once

#include <string>

#include "memorized_report.h"
#include "qvplatform.h"

// The control file's text for a report type (1-3) with its placeholders filled.
std::string ReportControlText(int reportType, const std::string& outputPath, const std::string& style,
                              const std::string& languageFile, const std::string& templateFile, int eventCount);

// Where a report goes, split from its save-to target: the directory (ending in
// a backslash) and the file name. False with a message in *problem when the
// target cannot be a report's place (an HTTP target, which nothing can upload
// to, or an empty target).
bool SplitReportTarget(const MEMORIZED_REPORT* report, std::string* directory, std::string* file,
                       std::string* problem);

// Writes the control file of a run: fills outputDirectory, outputPath and
// controlPath (MAX_PATH each). 1 when written; 0 after reporting why not.
int WriteReportControlFile(HWND window, int eventCount, int reportType, int scheduled, MEMORIZED_REPORT* report,
                           char* outputDirectory, char* outputPath, char* controlPath, const char* logPath,
                           int background);
