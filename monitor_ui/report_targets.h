// What the Auto Report page asks of the memorized reports and of the save-to
// target controls that the report dialogs share.
#pragma once

#include <string>

#include "qvplatform.h"

// Lists the memorized reports into the page's list and selects the one kept in
// `memorizedFile`. The list posts its selection change; the first one that
// arrives is the fill's own and AutoReportSelected ignores it.
void FillAutoReportList(HWND page, int listId, const char* memorizedFile);
// Shows the save-to target in the page's edit (an empty one becomes the
// default summary file in the alert report directory).
void InitAutoReportSaveTo(HWND page, int editId, const std::string& target);
// A selection change of the list: the save-to target of the memorized report
// chosen; false when none was chosen or the change is the fill's own.
bool AutoReportSelected(HWND page, int listId, std::string* target);
// Lets the user pick the report file; a chosen one replaces the edit's text.
void BrowseAutoReportTarget(HWND page, int editId);
// When the edit holds a target the report dialogs accept (a message box says
// why not), the file of the memorized report selected in the list; false when
// the target is refused or the entry has no file.
bool AutoReportFileFor(HWND page, int listId, int editId, std::string* file);
// Frees the list of memorized reports when the page goes.
void ReleaseAutoReportList();
