// What the Auto Report page asks of the memorized reports and report targets.
#pragma once

#include <string>

#include "qvplatform.h"

// Fills the page's list with the memorized reports and selects the one kept in
// `memorizedFile`.
void FillAutoReportList(HWND list, const char* memorizedFile);
// Shows the save-to target in the page's field.
void InitAutoReportSaveTo(HWND edit, const std::string& target);
// The save-to target of the report chosen in the list; false when none.
bool AutoReportSelected(HWND list, std::string* target);
// Lets the user pick where the report goes, starting from `target`.
bool BrowseAutoReportTarget(HWND page, std::string* target);
// The file of the chosen memorized report when `saveAs` is an accepted target.
bool AutoReportFileFor(HWND list, const std::string& saveAs, std::string* file);
