// Opening a report file: by its kind in the word processor, the spreadsheet
// program, the browser or the text viewer.
#include <algorithm>
#include <cstring>

#include "app_globals.h"
#include "later_parts.h"
#include "panel_state.h"
#include "program_paths.h"
#include "qv_ui.h"
#include "res_text.h"
#include "text_copy.h"

namespace {

inline constexpr DWORD kWordStartDelay = 7000;

// True when the text after the file's last '.' ends in "htm" or "html".
bool IsHtmlName(const char* file) {
  const char* dot = std::strrchr(file, '.');
  if (!dot) return false;
  const char* extension = dot + 1;
  const size_t length = std::strlen(extension);
  return (length >= 3 && lstrcmpiA(extension + length - 3, "htm") == 0) ||
         (length >= 4 && lstrcmpiA(extension + length - 4, "html") == 0);
}

// The path when it names an existing file.
bool Existing(const char* path) { return path[0] && FileExists(path, nullptr); }

// Starts program with its own name as the first word and the report as one
// quoted argument, followed by extra switches. No shell reads this line: the
// program gets its words as an argument vector.
BOOL StartWithReport(const char* program, const char* report, const char* extra) {
  if (!program || !program[0] || !report || std::strchr(report, '"') || std::strchr(program, '"')) return FALSE;
  char line[4 * MAX_PATH];
  CopyText(line, sizeof line, "\"");
  AppendText(line, sizeof line, program);
  AppendText(line, sizeof line, "\" \"");
  AppendText(line, sizeof line, report);
  AppendText(line, sizeof line, "\"");
  if (extra) AppendText(line, sizeof line, extra);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(program, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) return FALSE;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return TRUE;
}

// Keeps the windows alive for a while (the word processor's start waits for
// the report file to be released).
void DispatchFor(DWORD milliseconds) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(message.wParam));
        return;
      }
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
}

void ShowError(HWND owner, UINT textId) {
  char text[kResTextMax + 1];
  MessageBoxA(owner, LoadResText(textId, text, sizeof text), kProgramCaption, MB_OK | MB_ICONERROR);
}

}  // namespace

int ReportFormatFromExtension(const char* file) {
  if (!file || std::strlen(file) < 4) return 6;
  const char* dot = std::strrchr(file, '.');
  if (!dot) return 6;
  static const struct {
    const char* extension;
    int format;
  } kFormats[] = {{".HTM", 0}, {".HTML", 0}, {".DOC", 1}, {".XLS", 2}, {".CMA", 3}, {".TXT", 4}};
  for (const auto& known : kFormats) {
    if (lstrcmpiA(dot, known.extension) == 0) return known.format;
  }
  return 6;
}

int FindWordProgram(char* path, int* word97) {
  char found[MAX_PATH];
  path[0] = '\0';
  if (word97) *word97 = 0;
  if (QVUI_FindRegistryStringData(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Office\\8.0", "BinDirPath", found,
                                  sizeof found)) {
    AppendText(found, sizeof found, "\\WINWORD.EXE");
    if (Existing(found)) {
      CopyText(path, MAX_PATH, found);
      if (word97) *word97 = 1;
      return 1;
    }
  }
  if (QVUI_FindRegistryStringData(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Office\\8.0\\Word\\InstallRoot",
                                  "Path", found, sizeof found)) {
    // The value stands between two characters of its own (quotes).
    const size_t length = std::strlen(found);
    char inner[MAX_PATH] = "";
    if (length >= 2) CopyText(inner, std::min(sizeof inner, length - 1), found + 1);
    AppendText(inner, sizeof inner, "\\WINWORD.EXE");
    if (length >= 2 && Existing(inner)) {
      CopyText(path, MAX_PATH, inner);
      if (word97) *word97 = 1;
      return 1;
    }
  }
  if (QVUI_FindRegistryStringData(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Microsoft Office\\95\\InstallRoot", "",
                                  found, sizeof found)) {
    AppendText(found, sizeof found, "\\WINWORD\\WINWORD.EXE");
    if (Existing(found)) {
      CopyText(path, MAX_PATH, found);
      return 1;
    }
  }
  return 0;
}

BOOL LaunchWordOnReport(const char* wordPath, const char* reportPath) {
  DispatchFor(kWordStartDelay);
  return StartWithReport(wordPath, reportPath, "  /mQVPageLayoutView /a");
}

BOOL LaunchExcelOnReport(const char* excelPath, const char* reportPath) {
  return StartWithReport(excelPath, reportPath, nullptr);
}

void OpenReport(HWND panel) {
  char folder[MAX_PATH];
  MakeProgramPath(nullptr, "REPORTS", folder, sizeof folder);
  if (!FileExists(folder, nullptr)) CreateDirectoryA(folder, nullptr);
  char file[MAX_PATH] = "";
  if (!QVUI_GetFilename(panel, g_app.resourceModule, file, folder, "REPORT.HTM", MAKEINTRESOURCEA(9101),
                        MAKEINTRESOURCEA(9102), QVUI_FILE_MUST_EXIST)) {
    return;
  }
  switch (ReportFormatFromExtension(file)) {
    case 1: {
      char word[MAX_PATH];
      if (FindWordProgram(word, nullptr)) {
        LaunchWordOnReport(word, file);
      } else {
        ShowError(panel, 10163);
      }
      return;
    }
    case 2: {
      char excel[MAX_PATH];
      if (FindExcelProgram(excel)) {
        LaunchExcelOnReport(excel, file);
      } else {
        ShowError(panel, 10168);
      }
      return;
    }
    default:
      if (IsHtmlName(file)) {
        QVUI_ShowHTMDocument(panel, file);
      } else {
        ShowTextViewer(panel, file, 1037);
      }
      return;
  }
}
