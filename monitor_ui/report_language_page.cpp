// The options sheet's "Report Language" page: picks a report language, edits
// the text of each report item, adds, removes and restores languages and
// chooses the default one.
#include <string>

#include "alert_plugin.h"
#include "language_tree.h"
#include "monitor_ui.h"
#include "page_common.h"
#include "plugin_globals.h"
#include "qv_ui.h"
#include "report_language.h"

using namespace report_language;

namespace {

constexpr int kAddDialog = 16006;
constexpr int kFindDialog = 16007;
constexpr int kRestoreDialog = 16008;
constexpr ULONG_PTR kPageHelp = 9070;

HWND List() { return GetDlgItem(Editor().page, kLanguageList); }
HWND Tree() { return GetDlgItem(Editor().page, kItemTree); }

void SetGroupPicture(const TemplateItem& item, bool open) {
  TVITEMA change{};
  change.mask = TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  change.hItem = item.handle;
  change.iImage = change.iSelectedImage = (open ? kOpenGroupPicture : kClosedGroupPicture) - kFirstPicture;
  SendMessageA(Tree(), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&change));
}

void InitTreePictures(HWND page) {
  HIMAGELIST pictures = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 5, 1);
  for (int id = kFirstPicture; id <= kClosedGroupPicture; ++id) {
    HBITMAP picture = LoadBitmapA(PluginInstance(), MAKEINTRESOURCEA(id));
    ImageList_AddMasked(pictures, picture, RGB(255, 0, 255));
    if (picture != nullptr) DeleteObject(picture);
  }
  SendDlgItemMessageA(page, kItemTree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(pictures));
}

void ReleaseTreePictures(HWND page) {
  const auto pictures = reinterpret_cast<HIMAGELIST>(
      SendDlgItemMessageA(page, kItemTree, TVM_SETIMAGELIST, TVSIL_NORMAL, 0));
  if (pictures != nullptr) ImageList_Destroy(pictures);
}

// The items of LANG.TRE into the tree, in file order.
void BuildTree() {
  LanguageEditor& editor = Editor();
  SendMessageA(Tree(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  editor.items.clear();
  std::string text;
  if (!ReadWholeFile(TemplateDirectory() + "LANG.TRE", &text)) return;
  const std::vector<replang::TreeEntry> entries = replang::ParseLanguageTree(text);
  editor.items.reserve(entries.size());
  for (const replang::TreeEntry& entry : entries) {
    TemplateItem item;
    item.label = entry.label;
    item.tag = entry.tag;
    TVINSERTSTRUCTA insert{};
    insert.hParent = entry.parent < 0 ? TVI_ROOT : editor.items[static_cast<size_t>(entry.parent)].handle;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    insert.item.pszText = const_cast<char*>(item.label.c_str());
    insert.item.iImage = insert.item.iSelectedImage =
        (item.tag.empty() ? kClosedGroupPicture : kItemPicture) - kFirstPicture;
    insert.item.lParam = static_cast<LPARAM>(editor.items.size());
    item.handle = reinterpret_cast<HTREEITEM>(SendMessageA(Tree(), TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    editor.items.push_back(std::move(item));
  }
  SelectItem(0);
}

void Activate() {
  LanguageEditor& editor = Editor();
  editor.activated = true;
  CWaitCursor wait;
  FillLanguageList(List(), "");
  const std::string first = LanguageOfLine(List(), 0);
  if (!first.empty() && LoadTemplateFile(LanguageFile(first, ".RPL"))) {
    editor.language = first;
    BuildTree();
  }
  RefreshItemEdit();
}

void ItemEdited() {
  LanguageEditor& editor = Editor();
  if (editor.settingEdit) return;
  const int index = SelectedItem();
  if (index < 0 || editor.path.empty()) return;
  const std::string tag = editor.items[static_cast<size_t>(index)].tag;
  HWND edit = GetDlgItem(editor.page, kItemEdit);
  std::string text(static_cast<size_t>(GetWindowTextLengthA(edit)) + 1, '\0');
  text.resize(static_cast<size_t>(GetWindowTextA(edit, text.data(), static_cast<int>(text.size()))));
  if (!replang::IsValidItemText(text)) {
    // The braces delimit the item in the file: they never enter its text.
    std::string kept;
    for (char c : text) {
      if (c != '{' && c != '}') kept.push_back(c);
    }
    text = kept;
    editor.settingEdit = true;
    SetWindowTextA(edit, text.c_str());
    SendMessageA(edit, EM_SETSEL, text.size(), text.size());
    editor.settingEdit = false;
  }
  if (SetTemplateItemText(tag, text)) MarkItem(index, true);
}

void LanguageChosen(HWND page) {
  LanguageEditor& editor = Editor();
  const int line = SelectedLine(List());
  if (line < 0) return;
  const std::string language = LanguageOfLine(List(), line);
  if (!SaveBeforeSwitch(page)) {
    FillLanguageList(List(), editor.language);
    return;
  }
  const std::string file = LanguageFile(language, ".RPL");
  if (!LoadTemplateFile(file)) {
    MessageBoxA(page, ("Cannot open file: " + file).c_str(), kEditorCaption, MB_OK | MB_ICONSTOP);
    FillLanguageList(List(), editor.language);
    return;
  }
  editor.language = language;
  RefreshItemEdit();
}

void SetDefault() {
  const int line = SelectedLine(List());
  if (line < 0) return;
  const std::string language = LanguageOfLine(List(), line);
  CAlertPlugin* plugin = ThePlugin();
  if (plugin == nullptr) return;
  WritePrivateProfileStringA("Language", "Report", language.c_str(), plugin->GetIniPath());
  FillLanguageList(List(), language);
}

void RemoveLanguage(HWND page) {
  LanguageEditor& editor = Editor();
  const int line = SelectedLine(List());
  if (line < 0) return;
  const std::string language = LanguageOfLine(List(), line);
  if (lstrcmpiA(language.c_str(), DefaultLanguage().c_str()) == 0) {
    MessageBoxA(page, "The default report language cannot be removed.", kEditorCaption, MB_OK | MB_ICONSTOP);
    return;
  }
  const bool current = lstrcmpiA(language.c_str(), editor.language.c_str()) == 0;
  if (!current && !SaveBeforeSwitch(page)) return;
  const std::string file = LanguageFile(language, ".RPL");
  if (!DeleteFileA(file.c_str())) {
    MessageBoxA(page, ("Cannot delete file: " + file).c_str(), kEditorCaption, MB_OK | MB_ICONSTOP);
    return;
  }
  DeleteFileA(LanguageFile(language, ".ORG").c_str());
  FillLanguageList(List(), "");
  const std::string first = LanguageOfLine(List(), 0);
  if (!first.empty() && LoadTemplateFile(LanguageFile(first, ".RPL"))) {
    editor.language = first;
  } else {
    editor.text.clear();
    editor.path.clear();
    editor.language.clear();
    editor.modified = false;
  }
  RefreshItemEdit();
}

void Restore(HWND page) {
  LanguageEditor& editor = Editor();
  const INT_PTR choice = DialogBoxParamA(PluginInstance(), MAKEINTRESOURCEA(kRestoreDialog), page, RestoreLanguageDlg, 0);
  if ((choice != 1 && choice != 2) || editor.path.empty()) return;
  const std::string original = replang::OriginalPathOf(editor.path);
  if (choice == 1) {
    const int index = SelectedItem();
    if (index < 0 || editor.items[static_cast<size_t>(index)].tag.empty()) return;
    std::string kept, text;
    if (original.empty() || !ReadWholeFile(original, &kept) ||
        !replang::ItemText(kept, editor.items[static_cast<size_t>(index)].tag, &text) ||
        !SetTemplateItemText(editor.items[static_cast<size_t>(index)].tag, text)) {
      MessageBoxA(page, "Cannot restore the item from the original report language.", "Restore", MB_OK | MB_ICONSTOP);
      return;
    }
    MarkItem(index, true);
  } else if (original.empty() || !CopyFileA(original.c_str(), editor.path.c_str(), FALSE) ||
             !LoadTemplateFile(editor.path)) {
    MessageBoxA(page, "Cannot restore the report language from its original copy.", "Restore", MB_OK | MB_ICONSTOP);
    return;
  }
  RefreshItemEdit();
}

void ExpandAll(bool open) {
  for (const TemplateItem& item : Editor().items) {
    if (!item.tag.empty()) continue;
    SendMessageA(Tree(), TVM_EXPAND, open ? TVE_EXPAND : TVE_COLLAPSE, reinterpret_cast<LPARAM>(item.handle));
    SetGroupPicture(item, open);
  }
}

void OpenFind(HWND page) {
  LanguageEditor& editor = Editor();
  if (editor.findDialog != nullptr) {
    ShowWindow(editor.findDialog, SW_SHOW);
    SetFocus(editor.findDialog);
    return;
  }
  CreateDialogParamA(PluginInstance(), MAKEINTRESOURCEA(kFindDialog), SheetOf(page), FindReplaceDlg, 0);
}

// True when the page may go; with unsaved changes the user decides (with
// `buttons` MB_YESNOCANCEL, Cancel keeps the page).
bool MayClose(HWND page, UINT buttons) {
  LanguageEditor& editor = Editor();
  if (!editor.modified) return true;
  const int answer = MessageBoxA(page,
                                 "You've made changes to the current report language, do you want to save it before "
                                 "switch to the other?",
                                 kEditorCaption, buttons | MB_ICONQUESTION);
  if (answer == IDCANCEL) return false;
  if (answer == IDYES) return SaveTemplateFile(page, editor.path);
  return true;
}

bool Command(HWND page, int id, int code) {
  switch (id) {
    case kItemEdit:
      if (code == EN_CHANGE) ItemEdited();
      return true;
    case kLanguageList:
      if (code == LBN_SELCHANGE) LanguageChosen(page);
      return true;
    default:
      break;
  }
  if (code != BN_CLICKED) return false;
  switch (id) {
    case kSaveButton:
      if (Editor().modified) SaveTemplateFile(page, Editor().path);
      return true;
    case kSetDefault:
      SetDefault();
      return true;
    case kAddButton:
      if (DialogBoxParamA(PluginInstance(), MAKEINTRESOURCEA(kAddDialog), page, AddLanguageDlg, 0) == 1) {
        RefreshItemEdit();
      }
      return true;
    case kRemoveButton:
      RemoveLanguage(page);
      return true;
    case kRestoreButton:
      Restore(page);
      return true;
    case kExpandAll:
    case kCollapseAll:
      ExpandAll(id == kExpandAll);
      return true;
    case kFindButton:
      OpenFind(page);
      return true;
    default:
      return false;
  }
}

INT_PTR Notify(HWND page, const NMHDR* header) {
  if (header->idFrom == static_cast<UINT_PTR>(kItemTree)) {
    const auto* change = reinterpret_cast<const NMTREEVIEWA*>(header);
    if (header->code == TVN_SELCHANGEDA) RefreshItemEdit();
    if (header->code == TVN_ITEMEXPANDEDA) {
      for (const TemplateItem& item : Editor().items) {
        if (item.handle == change->itemNew.hItem && item.tag.empty()) SetGroupPicture(item, change->action == TVE_EXPAND);
      }
    }
    return FALSE;
  }
  switch (header->code) {
    case PSN_SETACTIVE:
      OptionsStartPage() = 2;
      if (!Editor().activated) Activate();
      return Answer(page, 0);
    case PSN_QUERYCANCEL:
      if (!MayClose(page, MB_YESNOCANCEL)) return Answer(page, TRUE);
      Editor().modified = false;  // asked once: the reset that follows does not ask again
      return Answer(page, FALSE);
    case PSN_RESET:
      // A sheet that cannot stay open (the options window's Cancel) still
      // lets the user keep the changes.
      MayClose(page, MB_YESNO);
      return Answer(page, 0);
    case PSN_APPLY:
      // Changes not saved yet are not dropped without asking.
      if (!MayClose(page, MB_YESNO)) return Answer(page, PSNRET_INVALID_NOCHANGEPAGE);
      SendMessageA(SheetOf(page), PSM_CANCELTOCLOSE, 0, 0);
      return Answer(page, PSNRET_NOERROR);
    case PSN_KILLACTIVE:
      return Answer(page, 0);
    case PSN_HELP:
      ShowHelp(page, kPageHelp);
      return Answer(page, 0);
    default:
      return FALSE;
  }
}

}  // namespace

INT_PTR CALLBACK ReportLanguageDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      LanguageEditor& editor = Editor();
      editor = LanguageEditor{};
      editor.page = page;
      InitTreePictures(page);
      // The item text has no length limit of its own.
      SendDlgItemMessageA(page, kItemEdit, EM_LIMITTEXT, 0, 0);
      return TRUE;
    }
    case WM_COMMAND:
      return Command(page, LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    case WM_NOTIFY:
      return lParam != 0 ? Notify(page, reinterpret_cast<const NMHDR*>(lParam)) : FALSE;
    case WM_DESTROY: {
      LanguageEditor& editor = Editor();
      // The find dialog works on this page's items: it goes with the page.
      if (editor.findDialog != nullptr) DestroyWindow(editor.findDialog);
      ReleaseTreePictures(page);
      editor = LanguageEditor{};
      return FALSE;
    }
    default:
      return FALSE;
  }
}
