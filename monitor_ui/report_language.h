// The report-language page of the options sheet and its dialogs: the state
// they share (the current language's text and file, the report items of the
// tree) and the operations on it.
#pragma once

#include <string>
#include <vector>

#include "qvplatform.h"

namespace report_language {

// Control ids of the page.
inline constexpr int kItemEdit = 16010;
inline constexpr int kItemTree = 16011;
inline constexpr int kAddButton = 16012;
inline constexpr int kRemoveButton = 16013;
inline constexpr int kLanguageList = 16014;
inline constexpr int kRestoreButton = 16009;
inline constexpr int kCollapseAll = 16017;
inline constexpr int kExpandAll = 16018;
inline constexpr int kFindButton = 16020;
inline constexpr int kSaveButton = 16029;
inline constexpr int kSetDefault = 21015;

// Tree pictures: bitmaps 16000-16004 in this order in the image list.
inline constexpr int kFirstPicture = 16000;
inline constexpr int kOpenGroupPicture = 16001;
inline constexpr int kItemPicture = 16002;
inline constexpr int kModifiedItemPicture = 16003;
inline constexpr int kClosedGroupPicture = 16004;

inline constexpr char kDefaultMark[] = " (Default)";
inline constexpr char kEditorCaption[] = "Report Editor";

struct TemplateItem {
  std::string label;
  std::string tag;  // empty for a group
  HTREEITEM handle = nullptr;
  bool modified = false;
};

// One options sheet runs at a time, and with it one page.
struct LanguageEditor {
  HWND page = nullptr;
  HWND findDialog = nullptr;
  bool activated = false;
  bool settingEdit = false;  // the page itself is changing the edit box
  std::string text;          // the current language's whole file
  std::string path;          // its file; empty when none is loaded
  std::string language;      // its name
  bool modified = false;
  std::vector<TemplateItem> items;
};
LanguageEditor& Editor();

// "QVM_Alrt\Template\" under the plug-in's local directory, and a file there.
std::string TemplateDirectory();
std::string LanguageFile(const std::string& language, const char* extension);
// The plug-in's default report language ([Language] Report, "ENGLISH").
std::string DefaultLanguage();

bool ReadWholeFile(const std::string& path, std::string* text);
// Writes a new file beside `path` and puts it in place in one step, so that
// the old file stays whole when anything fails. Without `replace` an
// existing file is never overwritten.
bool WriteFileAtomically(const std::string& path, const std::string& text, bool replace);

// Reads `path` into the current text; clears the modified flag and markers.
bool LoadTemplateFile(const std::string& path);

// The list's lines: every language file, the default one marked. The line of
// `select` (any case) is selected, else the first one.
void FillLanguageList(HWND list, const std::string& select);
std::string LanguageOfLine(HWND list, int index);
int SelectedLine(HWND list);

// The item selected in the tree (index into Editor().items), or -1.
int SelectedItem();
void SelectItem(int index);
void MarkItem(int index, bool modified);
void ClearMarkers();
// The edit box shows the selected item's text (empty for a group or an item
// whose text is not found, and then it cannot be typed into).
void RefreshItemEdit();

// With unsaved changes: asks whether to save them before another language
// becomes current. False when the user's Yes could not be carried out.
bool SaveBeforeSwitch(HWND owner);

}  // namespace report_language

// The current language's items and file.
bool GetTemplateItemText(const std::string& tag, std::string* text);
bool SetTemplateItemText(const std::string& tag, const std::string& text);
bool SaveTemplateFile(HWND window, const std::string& path);

INT_PTR CALLBACK AddLanguageDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK RestoreLanguageDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK FindReplaceDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
