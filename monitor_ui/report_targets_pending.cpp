// Stand-in for the memorized-report helpers of the report dialogs, until they
// are built: no memorized reports, and a plain file name as the target.
#include "report_targets.h"

void FillAutoReportList(HWND list, const char* /*memorizedFile*/) { SendMessageA(list, CB_RESETCONTENT, 0, 0); }

void InitAutoReportSaveTo(HWND edit, const std::string& target) { SetWindowTextA(edit, target.c_str()); }

bool AutoReportSelected(HWND /*list*/, std::string* /*target*/) { return false; }

bool BrowseAutoReportTarget(HWND page, std::string* target) {
  char file[MAX_PATH] = {};
  target->copy(file, sizeof file - 1);
  OPENFILENAMEA save{};
  save.lStructSize = sizeof save;
  save.hwndOwner = page;
  save.lpstrFilter = "All Files (*.*)\0*.*\0";
  save.lpstrFile = file;
  save.nMaxFile = sizeof file;
  save.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
  if (!GetSaveFileNameA(&save)) return false;
  *target = file;
  return true;
}

bool AutoReportFileFor(HWND /*list*/, const std::string& /*saveAs*/, std::string* /*file*/) { return false; }
