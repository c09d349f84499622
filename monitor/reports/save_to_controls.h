// The controls the report and schedule dialogs share: the memorized report
// list and the save-to target (scheme, target, e-mail address, Browse/Login).
#pragma once

#include "memorized_report.h"
#include "qvplatform.h"

// The ids of one dialog's save-to controls.
struct SaveToControls {
  int scheme;
  int target;
  int email;
  int browse;
  int example;
  int emailLabel;
};
inline constexpr SaveToControls kReportSaveToControls = {11004, 11005, 9065, 11006, 11007, 11008};
inline constexpr SaveToControls kScheduleSaveToControls = {9080, 1055, 9065, 1056, 9081, 9082};

inline constexpr char kDialogCaption[] = "Vozed Uvarirada";

// Lists the memorized reports into the combo (freeing `old`); selects the
// one of `file`, or without a file the one named by [Main] LastReport of the
// plug-in's settings, else the first; "No memorized reports found" when
// there is none. Posts the combo's selection change. The new list.
FileListEntry* FillMemorizedReportCombo(HWND dialog, int comboId, FileListEntry* old, const char* file, int* count);
// The selected memorized report read into `report` (zeroed with the default
// values when none is selected); true when found.
bool OnMemorizedReportSelected(HWND dialog, int comboId, const FileListEntry* list, int count,
                               MEMORIZED_REPORT* report);

// Fills the scheme combo and shows `target` split into its parts; *urlType
// gets its kind.
void InitSaveToControls(HWND dialog, const char* target, int* urlType, const SaveToControls& ids);
// The scheme combo changed: clears the edits and shows the kind's defaults.
void OnSaveToSchemeChanged(HWND dialog, int* urlType, const SaveToControls& ids);
// Reads and checks the target, then builds the stored form into out
// (MAX_PATH). A message box and the focus on the field when it fails.
bool GetSaveToTarget(HWND dialog, int urlType, const SaveToControls& ids, char* out);
// Asks for a report file (HTML files) into the target edit.
void BrowseReportFilename(HWND dialog, int targetId);

// Loads a string of the plug-in.
const char* PluginString(int id);
// Answers message 4025: lParam's record's second field points to an int set to 0.
void AnswerReportQuery(LPARAM lParam);
// Centres a dialog over its owner (or the screen).
void CenterReportDialog(HWND dialog);

// The login record of the web server login dialog.
struct WebLoginRecord {
  int32_t kind;  // 1 FTP
  char user[41];
  char password[41];
  char target[300];
};
// The login dialog (136): 1 OK, 2 cancelled.
int RunWebServerLoginDialog(HWND parent, WebLoginRecord* record);
