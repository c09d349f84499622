// The import offer and the spreadsheet program's lookup.
#include "import_offer.h"

#include <cstdio>

#include "app_globals.h"
#include "dialog_fonts.h"
#include "program_paths.h"
#include "res_templates.h"
#include "settings.h"
#include "settings_keys.h"
#include "window_geometry.h"

namespace {

constexpr char kPreviousFile[] = "qv_prev.ini";
constexpr char kPrevious[] = "Previous";
constexpr char kImportProgram[] = "qvimport.exe";

HFONT g_importBoldFont = nullptr;

bool ReadDefaultValue(const char* key, char* out, DWORD size) {
  HKEY handle = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  DWORD length = size - 1;
  const LONG result = RegQueryValueExA(handle, nullptr, nullptr, nullptr, reinterpret_cast<LPBYTE>(out), &length);
  RegCloseKey(handle);
  if (result != ERROR_SUCCESS) return false;
  out[length < size ? length : size - 1] = '\0';
  return true;
}

bool IsProgramDir(const char* path) { return lstrcmpiA(path, GetProgramDir()) == 0; }

void EndImportDialog(HWND dialog, INT_PTR result) {
  if (IsDlgButtonChecked(dialog, kDontShowAgainBox) == BST_CHECKED)
    WriteIntSetting(ini::kDefaults, ini::kDontDisplayImportDlg, 1, GetIniPath());
  EndDialog(dialog, result);
}

}  // namespace

int OfferImport(HWND panel) {
  if (GetPrivateProfileIntA(ini::kDefaults, ini::kDontDisplayImportDlg, 0, GetIniPath()) != 0) return 0;

  char previous[MAX_PATH];
  MakeProgramPath(nullptr, kPreviousFile, previous, sizeof previous);
  if (GetPrivateProfileIntA(kPrevious, "Migrated", 0, previous) != 0) return 0;
  char first[MAX_PATH] = "";
  char second[MAX_PATH] = "";
  GetPrivateProfileStringA(kPrevious, "InstallPath", "", first, sizeof first, previous);
  if (first[0] == '\0') return 0;
  if (IsProgramDir(first)) {
    GetPrivateProfileStringA(kPrevious, "InstallPath2", "", second, sizeof second, previous);
    if (second[0] == '\0' || IsProgramDir(second)) return 0;
  }

  if (DialogBoxIndirectParamA(g_app.resourceModule, LoadDialogTemplate(kImportDialogTemplate), panel, ImportDlg, 0) !=
      1)
    return 0;

  char program[MAX_PATH];
  MakeProgramPath(nullptr, kImportProgram, program, sizeof program);
  char command[MAX_PATH + 2];
  std::snprintf(command, sizeof command, "\"%s\"", program);
  if (WinExec(command, SW_SHOWNORMAL) > 32) {
    PostMessageA(panel, WM_CLOSE, 0, 0);
    return 1;
  }
  MessageBoxA(panel, "Unable to launch the Quorvane Import Program.", "Error", MB_OK | MB_ICONERROR);
  return 0;
}

extern "C" INT_PTR CALLBACK ImportDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
    {
      // Only a font made for this dialog is the dialog's to delete.
      HFONT bold = PrepWindowFonts(dialog);
      if (bold != reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0))) g_importBoldFont = bold;
    }
      CenterWindow(dialog);
      SetCursor(LoadCursorA(nullptr, IDC_ARROW));
      return 0;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
        case 1137:
          EndImportDialog(dialog, 1);
          return 1;
        case IDCANCEL:
        case 1138:
          EndImportDialog(dialog, 2);
          return 1;
        default:
          return 0;
      }
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) {
        EndDialog(dialog, 2);
        return 1;
      }
      return 0;
    case WM_DESTROY:
      if (g_importBoldFont != nullptr) DeleteObject(g_importBoldFont);
      g_importBoldFont = nullptr;
      return 0;
    default:
      return 0;
  }
}

int FindExcelProgram(char* path) {
  char root[MAX_PATH];
  path[0] = '\0';
  if (ReadDefaultValue("SOFTWARE\\Microsoft\\Microsoft Office\\95\\InstallRoot", root, sizeof root)) {
    std::snprintf(path, MAX_PATH, "%.*s\\EXCEL\\EXCEL.EXE", MAX_PATH - 20, root);
    if (FileExists(path, nullptr)) return 1;
  }
  if (ReadDefaultValue("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\EXCEL.EXE", path, MAX_PATH) &&
      FileExists(path, nullptr))
    return 1;
  return 0;
}
