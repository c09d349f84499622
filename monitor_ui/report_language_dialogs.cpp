// The report-language page's modal dialogs: adding a language as a copy of
// another, and choosing what to restore from the unchanged copy.
#include <string>

#include "language_tree.h"
#include "report_language.h"

using namespace report_language;

namespace {

constexpr int kNewName = 16015;
constexpr int kBaseList = 16016;
constexpr int kRestoreItem = 16030;
constexpr int kRestoreLanguage = 16031;
constexpr char kAddCaption[] = "Add New Report Language";

std::string Trimmed(std::string text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void FillBaseList(HWND dialog) {
  HWND pageList = GetDlgItem(Editor().page, kLanguageList);
  HWND list = GetDlgItem(dialog, kBaseList);
  const int count = static_cast<int>(SendMessageA(pageList, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    const std::string language = LanguageOfLine(pageList, i);
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(language.c_str()));
  }
  SendMessageA(list, LB_SETCURSEL, 0, 0);
}

// False when the dialog stays open (the user is told why).
bool AddLanguage(HWND dialog) {
  LanguageEditor& editor = Editor();
  char typed[128] = {};
  GetDlgItemTextA(dialog, kNewName, typed, sizeof typed);
  const std::string name = Trimmed(typed);
  if (name.empty()) return true;
  if (!replang::IsPlainLanguageName(name)) {
    MessageBoxA(dialog,
                "A language name is a plain file name of at most 63 characters, without \\ / : * ? \" < > | . { }",
                kAddCaption, MB_OK | MB_ICONSTOP);
    return false;
  }
  const std::string working = LanguageFile(name, ".RPL");
  const std::string original = LanguageFile(name, ".ORG");
  if (Exists(working) || Exists(original)) {
    MessageBoxA(dialog, ("The report language " + name + " already exists.").c_str(), kAddCaption,
                MB_OK | MB_ICONSTOP);
    return false;
  }
  HWND list = GetDlgItem(dialog, kBaseList);
  const std::string base = LanguageOfLine(list, SelectedLine(list));
  std::string text;
  if (base.empty() || !ReadWholeFile(LanguageFile(base, ".RPL"), &text)) {
    MessageBoxA(dialog, ("Cannot open file: " + LanguageFile(base, ".RPL")).c_str(), kAddCaption, MB_OK | MB_ICONSTOP);
    return false;
  }
  if (!SaveBeforeSwitch(dialog)) return false;
  // Never over another language: each file is created only where none is.
  if (!WriteFileAtomically(original, text, false)) {
    MessageBoxA(dialog, "Cannot save file", "Save", MB_OK | MB_ICONSTOP);
    return false;
  }
  if (!WriteFileAtomically(working, text, false)) {
    DeleteFileA(original.c_str());
    MessageBoxA(dialog, "Cannot save file", "Save", MB_OK | MB_ICONSTOP);
    return false;
  }
  // The new language becomes the current one.
  editor.text = text;
  editor.path = working;
  editor.language = name;
  editor.modified = false;
  ClearMarkers();
  FillLanguageList(GetDlgItem(editor.page, kLanguageList), name);
  return true;
}

}  // namespace

INT_PTR CALLBACK AddLanguageDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
  switch (message) {
    case WM_INITDIALOG:
      SendDlgItemMessageA(dialog, kNewName, EM_LIMITTEXT, 63, 0);
      FillBaseList(dialog);
      return TRUE;
    case WM_COMMAND:
      if (HIWORD(wParam) != BN_CLICKED) return FALSE;
      if (LOWORD(wParam) == IDOK) {
        if (AddLanguage(dialog)) EndDialog(dialog, 1);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 0);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK RestoreLanguageDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
  switch (message) {
    case WM_INITDIALOG:
      CheckRadioButton(dialog, kRestoreItem, kRestoreLanguage, kRestoreItem);
      return TRUE;
    case WM_COMMAND:
      if (HIWORD(wParam) != BN_CLICKED) return FALSE;
      if (LOWORD(wParam) == IDOK) {
        EndDialog(dialog, IsDlgButtonChecked(dialog, kRestoreLanguage) == BST_CHECKED ? 2 : 1);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 0);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}
