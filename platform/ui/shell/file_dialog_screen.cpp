// The open and save dialogs on the screen: the folder's subfolders and the
// files the chosen filter matches, a name to type, and the filters.
#include <algorithm>
#include <string>
#include <vector>

#include "files/wildcard.h"
#include "ui/shell/commdlg_common.h"
#include "ui/shell/file_names.h"
#include "ui/shell/screen_dialog.h"

namespace qvp::ui::commdlg {

namespace {

constexpr int kFolder = 1088, kList = 1120, kNameLabel = 1090, kName = 1152, kTypesLabel = 1089, kTypes = 1136;
constexpr char kUp[] = "[..]";

struct Run {
  const OPENFILENAMEA& ofn;
  bool save;
  std::string folder;
  const std::vector<std::string>& filters;  // "description|patterns"
  std::string pattern;                      // typed by the user, in place of the filter's
  PromptAnswer answer;
};

bool Multi(const Run& run) { return !run.save && (run.ofn.Flags & OFN_ALLOWMULTISELECT) != 0; }

bool IsFolder(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool HasWildcards(const std::string& name) { return name.find_first_of("*?") != std::string::npos; }

// The patterns in force: the typed one, else the chosen filter's ("*.txt;*.log").
std::vector<std::string> Patterns(HWND dlg, const Run& run) {
  std::string list = run.pattern;
  if (list.empty()) {
    const LRESULT at = SendDlgItemMessageA(dlg, kTypes, CB_GETCURSEL, 0, 0);
    if (at >= 0 && static_cast<size_t>(at) < run.filters.size()) {
      const std::string& f = run.filters[static_cast<size_t>(at)];
      list = f.substr(f.find('|') + 1);
    }
  }
  if (list.empty()) list = "*";
  std::vector<std::string> out;
  size_t start = 0;
  while (start <= list.size()) {
    const size_t end = std::min(list.find(';', start), list.size());
    if (end > start) out.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

void Refill(HWND dlg, Run& run) {
  SetDlgItemTextA(dlg, kFolder, run.folder.c_str());
  HWND list = GetDlgItem(dlg, kList);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  std::vector<std::string> folders, files;
  const std::vector<std::string> patterns = Patterns(dlg, run);
  WIN32_FIND_DATAA found{};
  const std::string all = run.folder + (run.folder.empty() || run.folder.back() == '\\' || run.folder.back() == '/' ? "*" : "\\*");
  HANDLE find = FindFirstFileA(all.c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        folders.push_back(name);
      } else if (std::any_of(patterns.begin(), patterns.end(),
                             [&](const std::string& p) { return MatchesPattern(p, name); })) {
        files.push_back(name);
      }
    } while (FindNextFileA(find, &found));
    FindClose(find);
  }
  std::sort(folders.begin(), folders.end());
  std::sort(files.begin(), files.end());
  if (FolderOf(run.folder) != run.folder) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kUp));
  for (const std::string& f : folders)
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(("[" + f + "]").c_str()));
  for (const std::string& f : files) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(f.c_str()));
}

std::string ListText(HWND dlg, LRESULT at) {
  HWND list = GetDlgItem(dlg, kList);
  const LRESULT n = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(at), 0);
  if (n <= 0) return {};
  std::string text(static_cast<size_t>(n) + 1, '\0');
  SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(n));
  return text;
}

bool IsFolderEntry(const std::string& text) { return text.size() >= 2 && text.front() == '[' && text.back() == ']'; }

// Goes into a folder entry of the list ("[..]" is the parent).
void Enter(HWND dlg, Run& run, const std::string& entry) {
  run.folder = entry == kUp ? FolderOf(run.folder) : FullPathIn(run.folder, entry.substr(1, entry.size() - 2));
  SetDlgItemTextA(dlg, kName, "");
  Refill(dlg, run);
}

// The files selected in the list (several only in a multiple-selection dialog).
std::vector<std::string> SelectedFiles(HWND dlg, const Run& run) {
  std::vector<std::string> out;
  HWND list = GetDlgItem(dlg, kList);
  if (!Multi(run)) return out;
  const LRESULT count = SendMessageA(list, LB_GETSELCOUNT, 0, 0);
  if (count <= 1) return out;
  std::vector<int> items(static_cast<size_t>(count));
  SendMessageA(list, LB_GETSELITEMS, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(items.data()));
  for (int at : items) {
    const std::string text = ListText(dlg, at);
    if (!IsFolderEntry(text)) out.push_back(FullPathIn(run.folder, text));
  }
  return out;
}

bool Choose(HWND dlg, Run& run) {
  const LRESULT type = SendDlgItemMessageA(dlg, kTypes, CB_GETCURSEL, 0, 0);
  run.answer.filter_index = type >= 0 ? static_cast<int>(type) + 1 : 0;
  std::vector<std::string> several = SelectedFiles(dlg, run);
  if (several.size() > 1) {
    run.answer.result = 1;
    run.answer.files = std::move(several);
    return true;
  }
  const std::string typed = ItemText(dlg, kName);
  if (typed.empty()) return false;
  if (HasWildcards(typed)) {
    run.pattern = typed;
    Refill(dlg, run);
    return false;
  }
  const std::string full = FullPathIn(run.folder, typed);
  if (!full.empty() && IsFolder(full)) {
    run.folder = full;
    SetDlgItemTextA(dlg, kName, "");
    Refill(dlg, run);
    return false;
  }
  run.answer.result = 1;
  run.answer.text = full.empty() ? typed : full;
  return true;
}

INT_PTR CALLBACK FileProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  auto* run = reinterpret_cast<Run*>(GetWindowLongPtrA(dlg, DWLP_USER));
  if (msg == WM_INITDIALOG) {
    run = reinterpret_cast<Run*>(lp);
    SetWindowLongPtrA(dlg, DWLP_USER, lp);
    for (const std::string& f : run->filters)
      SendDlgItemMessageA(dlg, kTypes, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(f.substr(0, f.find('|')).c_str()));
    const size_t index = run->ofn.nFilterIndex > 0 ? run->ofn.nFilterIndex - 1 : 0;
    if (index < run->filters.size()) SendDlgItemMessageA(dlg, kTypes, CB_SETCURSEL, index, 0);
    const std::string start = BoundedText(run->ofn.lpstrFile, run->ofn.nMaxFile);
    const std::string name = start.substr(NameOffset(start));
    if (HasWildcards(name))
      run->pattern = name;
    else
      SetDlgItemTextA(dlg, kName, name.c_str());
    Refill(dlg, *run);
    // The name is selected: what the user types replaces it.
    SetFocus(GetDlgItem(dlg, kName));
    SendDlgItemMessageA(dlg, kName, EM_SETSEL, 0, -1);
    return FALSE;
  }
  if (run == nullptr || msg != WM_COMMAND) return FALSE;
  const int id = LOWORD(wp);
  const int code = HIWORD(wp);
  if (id == kList && (code == LBN_SELCHANGE || code == LBN_DBLCLK)) {
    const LRESULT at = SendDlgItemMessageA(dlg, kList, LB_GETCARETINDEX, 0, 0);
    const std::string text = at >= 0 ? ListText(dlg, at) : std::string();
    if (IsFolderEntry(text)) {
      if (code == LBN_DBLCLK) Enter(dlg, *run, text);
    } else if (!text.empty()) {
      SetDlgItemTextA(dlg, kName, text.c_str());
      if (code == LBN_DBLCLK && Choose(dlg, *run)) EndDialog(dlg, IDOK);
    }
    return TRUE;
  }
  if (id == kTypes && code == CBN_SELCHANGE) {
    run->pattern.clear();
    Refill(dlg, *run);
    return TRUE;
  }
  if (id == IDOK) {
    if (Choose(dlg, *run)) EndDialog(dlg, IDOK);
    return TRUE;
  }
  if (id == IDCANCEL) {
    EndDialog(dlg, IDCANCEL);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

std::optional<PromptAnswer> ShowFileDialog(const OPENFILENAMEA& ofn, bool save, const std::string& title,
                                           const std::string& folder, const std::vector<std::string>& filters) {
  if (!DisplayOpen()) return std::nullopt;
  Run run{ofn, save, folder, filters, {}, {}};
  const uint32_t list_style = LBS_NOTIFY | WS_VSCROLL | WS_BORDER | WS_TABSTOP |
                              (Multi(run) ? static_cast<uint32_t>(LBS_EXTENDEDSEL) : 0u);
  DialogDesc d = ScreenDialog(title, 280, 190);
  AddControl(d, "Static", -1, "Look in:", SS_LEFT, 6, 6, 40, 8);
  AddControl(d, "Static", kFolder, "", SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS, 48, 6, 226, 8);
  AddControl(d, "ListBox", kList, "", list_style, 6, 18, 268, 112);
  AddControl(d, "Static", kNameLabel, "File &name:", SS_LEFT, 6, 138, 60, 8);
  AddControl(d, "Edit", kName, "", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 70, 136, 150, 12);
  AddControl(d, "Static", kTypesLabel, save ? "Save as &type:" : "Files of &type:", SS_LEFT, 6, 156, 60, 8);
  AddControl(d, "ComboBox", kTypes, "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 70, 154, 150, 80);
  AddControl(d, "Button", IDOK, save ? "&Save" : "&Open", BS_DEFPUSHBUTTON | WS_TABSTOP, 226, 136, 48, 14);
  AddControl(d, "Button", IDCANCEL, "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 226, 154, 48, 14);
  const INT_PTR result = RunScreenDialog(d, ofn.hwndOwner, FileProc, reinterpret_cast<LPARAM>(&run));
  if (result < 0) return std::nullopt;
  if (result != IDOK) return PromptAnswer{};
  return run.answer;
}

}  // namespace qvp::ui::commdlg
