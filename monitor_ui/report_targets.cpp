// The Auto Report page's memorized report list and save-to target, through
// the helpers of the report dialogs. The page has a target edit and a Browse
// button only: its target is always a file.
#include "report_targets.h"

#include "memorized_report.h"
#include "qv_ui.h"
#include "save_to_controls.h"

namespace {

// Process-wide like the report dialog's own state: one options sheet at a time.
FileListEntry* g_reports = nullptr;
int g_reportCount = 0;
int g_urlType = kSaveToFile;
bool g_fillNotificationPending = false;

SaveToControls TargetOnly(int editId) { return SaveToControls{0, editId, 0, 0, 0, 0}; }

}  // namespace

void FillAutoReportList(HWND page, int listId, const char* memorizedFile) {
  g_fillNotificationPending = true;
  g_reports = FillMemorizedReportCombo(page, listId, g_reports, memorizedFile, &g_reportCount);
}

void InitAutoReportSaveTo(HWND page, int editId, const std::string& target) {
  InitSaveToControls(page, target.c_str(), &g_urlType, TargetOnly(editId));
}

bool AutoReportSelected(HWND page, int listId, std::string* target) {
  if (g_fillNotificationPending) {
    // The fill selects the stored report; its notification must not replace
    // the stored target with that report's own.
    g_fillNotificationPending = false;
    return false;
  }
  MEMORIZED_REPORT report;
  if (!OnMemorizedReportSelected(page, listId, g_reports, g_reportCount, &report)) return false;
  *target = report.saveTo;
  return true;
}

void BrowseAutoReportTarget(HWND page, int editId) { BrowseReportFilename(page, editId); }

bool AutoReportFileFor(HWND page, int listId, int editId, std::string* file) {
  char built[MAX_PATH] = "";
  if (!GetSaveToTarget(page, g_urlType, TargetOnly(editId), built)) return false;
  char description[41] = "";
  GetDlgItemTextA(page, listId, description, sizeof description);
  char path[MAX_PATH] = "";
  if (!FindMemorizedReportFile(g_reports, g_reportCount, description, path)) return false;
  *file = path;
  return true;
}

void ReleaseAutoReportList() {
  if (g_reports != nullptr) QVUI_MyFree2(g_reports);
  g_reports = nullptr;
  g_reportCount = 0;
  g_fillNotificationPending = false;
}
