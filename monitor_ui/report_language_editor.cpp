// The report-language editor's state: the current language's text and file,
// the items of the tree, and the files of the template directory.
#include <algorithm>
#include <cstring>
#include <string>

#include "alert_plugin.h"
#include "language_tree.h"
#include "plugin_globals.h"
#include "report_language.h"

namespace report_language {

namespace {

bool SameName(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

void SetPicture(const TemplateItem& item, int picture) {
  if (Editor().page == nullptr || item.handle == nullptr) return;
  TVITEMA change{};
  change.mask = TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  change.hItem = item.handle;
  change.iImage = picture - kFirstPicture;
  change.iSelectedImage = picture - kFirstPicture;
  SendDlgItemMessageA(Editor().page, kItemTree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&change));
}

}  // namespace

LanguageEditor& Editor() {
  static LanguageEditor editor;
  return editor;
}

std::string TemplateDirectory() { return std::string(PluginLocalDirectory()) + "QVM_Alrt\\Template\\"; }

std::string LanguageFile(const std::string& language, const char* extension) {
  return TemplateDirectory() + language + extension;
}

std::string DefaultLanguage() {
  CAlertPlugin* plugin = ThePlugin();
  char language[MAX_PATH] = {};
  GetPrivateProfileStringA("Language", "Report", "ENGLISH", language, sizeof language,
                           plugin != nullptr ? plugin->GetIniPath() : "");
  return language;
}

bool ReadWholeFile(const std::string& path, std::string* text) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::string content;
  char buffer[65536];
  DWORD got = 0;
  bool ok = true;
  while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr) != FALSE) && got > 0) content.append(buffer, got);
  CloseHandle(file);
  if (!ok) return false;
  *text = std::move(content);
  return true;
}

bool WriteFileAtomically(const std::string& path, const std::string& text, bool replace) {
  char temporary[MAX_PATH] = {};
  if (GetTempFileNameA(DirectoryOf(path).c_str(), "rpl", 0, temporary) == 0) return false;
  HANDLE file = CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  bool ok = file != INVALID_HANDLE_VALUE;
  for (size_t done = 0; ok && done < text.size();) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - done, 1u << 20));
    DWORD written = 0;
    ok = WriteFile(file, text.data() + done, chunk, &written, nullptr) != FALSE && written == chunk;
    done += written;
  }
  if (file != INVALID_HANDLE_VALUE && !CloseHandle(file)) ok = false;
  if (ok) ok = CopyFileA(temporary, path.c_str(), replace ? FALSE : TRUE) != FALSE;
  DeleteFileA(temporary);
  return ok;
}

bool LoadTemplateFile(const std::string& path) {
  LanguageEditor& editor = Editor();
  std::string text;
  if (!ReadWholeFile(path, &text)) return false;
  editor.text = std::move(text);
  editor.path = path;
  editor.modified = false;
  ClearMarkers();
  return true;
}

void FillLanguageList(HWND list, const std::string& select) {
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  const std::string chosen = DefaultLanguage();
  WIN32_FIND_DATAA found{};
  HANDLE search = FindFirstFileA((TemplateDirectory() + "*.RPL").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      std::string line = replang::LanguageOfFile(found.cFileName);
      if (line.empty()) continue;
      if (SameName(line, chosen)) line += kDefaultMark;
      SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
  int line = 0;
  for (int i = 0; i < count; ++i) {
    if (SameName(LanguageOfLine(list, i), select)) line = i;
  }
  SendMessageA(list, LB_SETCURSEL, count > 0 ? static_cast<WPARAM>(line) : static_cast<WPARAM>(-1), 0);
}

std::string LanguageOfLine(HWND list, int index) {
  const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (index < 0 || length == LB_ERR) return {};
  std::string line(static_cast<size_t>(length) + 1, '\0');
  SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(line.data()));
  line.resize(std::strlen(line.c_str()));
  const size_t mark = std::strlen(kDefaultMark);
  if (line.size() >= mark && line.compare(line.size() - mark, mark, kDefaultMark) == 0) line.resize(line.size() - mark);
  return line;
}

int SelectedLine(HWND list) {
  const LRESULT line = SendMessageA(list, LB_GETCURSEL, 0, 0);
  return line == LB_ERR ? -1 : static_cast<int>(line);
}

int SelectedItem() {
  LanguageEditor& editor = Editor();
  if (editor.page == nullptr) return -1;
  HWND tree = GetDlgItem(editor.page, kItemTree);
  const auto selected = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (selected == nullptr) return -1;
  for (size_t i = 0; i < editor.items.size(); ++i) {
    if (editor.items[i].handle == selected) return static_cast<int>(i);
  }
  return -1;
}

void SelectItem(int index) {
  LanguageEditor& editor = Editor();
  if (editor.page == nullptr || index < 0 || static_cast<size_t>(index) >= editor.items.size()) return;
  SendDlgItemMessageA(editor.page, kItemTree, TVM_SELECTITEM, TVGN_CARET,
                      reinterpret_cast<LPARAM>(editor.items[static_cast<size_t>(index)].handle));
}

void MarkItem(int index, bool modified) {
  LanguageEditor& editor = Editor();
  if (index < 0 || static_cast<size_t>(index) >= editor.items.size()) return;
  TemplateItem& item = editor.items[static_cast<size_t>(index)];
  if (item.tag.empty()) return;
  item.modified = modified;
  SetPicture(item, modified ? kModifiedItemPicture : kItemPicture);
}

void ClearMarkers() {
  LanguageEditor& editor = Editor();
  for (size_t i = 0; i < editor.items.size(); ++i) {
    if (editor.items[i].modified) MarkItem(static_cast<int>(i), false);
  }
}

void RefreshItemEdit() {
  LanguageEditor& editor = Editor();
  if (editor.page == nullptr) return;
  const int index = SelectedItem();
  std::string text;
  const bool found = index >= 0 && !editor.path.empty() &&
                     GetTemplateItemText(editor.items[static_cast<size_t>(index)].tag, &text);
  HWND edit = GetDlgItem(editor.page, kItemEdit);
  editor.settingEdit = true;
  SetWindowTextA(edit, found ? text.c_str() : "");
  SendMessageA(edit, EM_SETREADONLY, found ? FALSE : TRUE, 0);
  editor.settingEdit = false;
}

bool SaveBeforeSwitch(HWND owner) {
  LanguageEditor& editor = Editor();
  if (!editor.modified) return true;
  const int answer = MessageBoxA(owner,
                                 "You've made changes to the current report language, do you want to save it before "
                                 "switch to the other?",
                                 kEditorCaption, MB_YESNO | MB_ICONQUESTION);
  if (answer == IDYES) return SaveTemplateFile(owner, editor.path);
  ClearMarkers();
  return true;
}

}  // namespace report_language

using report_language::Editor;

bool GetTemplateItemText(const std::string& tag, std::string* text) {
  return replang::ItemText(Editor().text, tag, text);
}

bool SetTemplateItemText(const std::string& tag, const std::string& text) {
  if (!replang::SetItemText(&Editor().text, tag, text)) return false;
  Editor().modified = true;
  return true;
}

bool SaveTemplateFile(HWND window, const std::string& path) {
  if (path.empty() || !report_language::WriteFileAtomically(path, Editor().text, true)) {
    MessageBoxA(window, "Cannot save file", "Save", MB_OK | MB_ICONSTOP);
    return false;
  }
  Editor().modified = false;
  report_language::ClearMarkers();
  return true;
}
