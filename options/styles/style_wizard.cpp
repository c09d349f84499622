#include "style_wizard.h"

#include <cstring>
#include <string>

#include "app_globals.h"
#include "dialog_fonts.h"
#include "later_parts.h"
#include "style_preview.h"

namespace style_wizard {
namespace {

constexpr char kFontProp[] = "StyleWizardFont";
constexpr int kHelpTopics[kWizardPageCount] = {1043, 1045, 1046, 1047, 1048, 1049};
constexpr int kRenameHelpTopic = 1044;
constexpr int kRenameHelpButton = 16200;

void SetResult(HWND page, LRESULT value, INT_PTR* result) {
  SetWindowLongPtrA(page, DWL_MSGRESULT, value);
  *result = TRUE;
}

}  // namespace

void RepaintPreview(HWND page) {
  HWND preview = GetDlgItem(page, kPreviewId);
  if (preview != nullptr) InvalidateRect(preview, nullptr, FALSE);
}

void ShowError(HWND owner, const std::string& text) {
  MessageBoxA(owner, text.c_str(), kWizardBoxCaption, MB_OK | MB_ICONERROR);
}

bool HandleCommonNotify(HWND page, int index, const NMHDR* header, INT_PTR* result) {
  switch (header->code) {
    case PSN_SETACTIVE: {
      DWORD buttons = PSWIZB_BACK | PSWIZB_NEXT;
      if (index == 0) buttons = PSWIZB_NEXT;
      if (index == kWizardPageCount - 1)
        buttons = PSWIZB_BACK | (TheStyleModel().newStyleMode ? PSWIZB_DISABLEDFINISH : PSWIZB_FINISH);
      PostMessageA(GetParent(page), PSM_SETWIZBUTTONS, 0, static_cast<LPARAM>(buttons));
      return false;  // the page loads its controls, then answers
    }
    case PSN_WIZNEXT:
      SetCursor(LoadCursorA(nullptr, IDC_WAIT));
      SetResult(page, 0, result);
      return true;
    case PSN_KILLACTIVE:
    case PSN_RESET:
      SetResult(page, 0, result);
      return true;
    case PSN_HELP:
      WinHelpA(page, g_app.helpPath, HELP_CONTEXT, static_cast<ULONG_PTR>(kHelpTopics[index]));
      SetResult(page, 0, result);
      return true;
    default:
      return false;
  }
}

bool HandleCommonMessage(HWND page, UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result) {
  switch (message) {
    case WM_INITDIALOG:
      SetPropA(page, kFontProp, PrepWindowFonts(page));
      return false;
    case WM_DESTROY: {
      HFONT font = static_cast<HFONT>(RemovePropA(page, kFontProp));
      if (font != nullptr && font != reinterpret_cast<HFONT>(SendMessageA(page, WM_GETFONT, 0, 0)))
        DeleteObject(font);
      return false;
    }
    case WM_PALETTECHANGED:
      if (reinterpret_cast<HWND>(wParam) != page) InvalidateRect(page, nullptr, FALSE);
      *result = TRUE;
      return true;
    case WM_QUERYNEWPALETTE:
      InvalidateRect(page, nullptr, FALSE);
      *result = TRUE;
      return true;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item == nullptr || item->CtlID != static_cast<UINT>(kPreviewId)) return false;
      DrawStylePreview(TheStyleModel(), page, item);
      *result = TRUE;
      return true;
    }
    default:
      return false;
  }
}

}  // namespace style_wizard

using namespace style_wizard;

namespace {

std::string ListText(HWND list, int index) {
  const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == LB_ERR) return {};
  std::string text(static_cast<size_t>(length) + 1, '\0');
  SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(std::strlen(text.c_str()));
  return text;
}

void FillStyleList(HWND page) {
  HWND list = GetDlgItem(page, kStyleList);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  for (const std::string& name : TheStyleModel().styleNames)
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
}

// Only a new style can be made when the list is empty.
void OfferOnlyNewStyle(HWND page) {
  EnableWindow(GetDlgItem(page, kDeleteButton), FALSE);
  EnableWindow(GetDlgItem(page, kRenameButton), FALSE);
  TheStyleModel().newStyleMode = 1;
  CheckDlgButton(page, kNewStyle, BST_CHECKED);
  CheckDlgButton(page, kEditSelected, BST_UNCHECKED);
  EnableWindow(GetDlgItem(page, kEditSelected), FALSE);
}

// Makes entry `index` the current style; false when there is none.
bool SelectStyle(HWND page, int index) {
  HWND list = GetDlgItem(page, kStyleList);
  if (SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0) == LB_ERR) return false;
  StyleModel& m = TheStyleModel();
  m.currentStyle = ListText(list, index);
  LoadStyle(page, m.currentStyle);
  m.colorBitmapStale = 1;
  return true;
}

std::string FileError(const StyleModel& m) { return "Cannot open file:" + m.filePath; }

const char* NameRule() {
  return "A style name has 1 to 64 characters, without '[', ']', '=', control characters or blanks at its ends.";
}

std::string ComboText(HWND combo) {
  char text[261] = {};
  GetWindowTextA(combo, text, sizeof text);
  return text;
}

void SetSaveButtons(HWND page, bool hasName) {
  PostMessageA(GetParent(page), PSM_SETWIZBUTTONS, 0,
               static_cast<LPARAM>(PSWIZB_BACK | (hasName ? PSWIZB_FINISH : PSWIZB_DISABLEDFINISH)));
}

std::string Normalised(const std::string& path) {
  char full[MAX_PATH] = {};
  if (GetFullPathNameA(path.c_str(), sizeof full, full, nullptr) == 0) std::strncpy(full, path.c_str(), MAX_PATH - 1);
  std::string out;
  for (char c : std::string(full)) {
    if (c == '\\') c = '/';
    if (c == '/' && !out.empty() && out.back() == '/') continue;
    out += c;
  }
  return out;
}

}  // namespace

// ---- Operations on the styles of the file ----

void ListStyles(HWND page) {
  StyleModel& m = TheStyleModel();
  m.styleNames = ReadStyleNames(m);
  FillStyleList(page);
}

void LoadStyle(HWND, const std::string& name) { ReadStyle(TheStyleModel(), name); }

int SaveStyleAs(HWND lastPage) {
  StyleModel& m = TheStyleModel();
  std::string name = ComboText(GetDlgItem(lastPage, kSaveName));
  if (!IsValidStyleName(name)) {
    ShowError(lastPage, NameRule());
    return 0;
  }
  const int found = FindStyleName(m.styleNames, name);
  if (found >= 0) {
    if (m.newStyleMode == 1) {
      const std::string question = name + " already existed, do you want to overwrite it?";
      if (MessageBoxA(lastPage, question.c_str(), kWizardBoxCaption, MB_YESNO | MB_ICONQUESTION) != IDYES) return 0;
    }
    name = m.styleNames[static_cast<size_t>(found)];  // the one section, as the list spells it
  }
  if (SaveStyle(m, name) != StyleChange::kDone) {
    ShowError(lastPage, FileError(m));
    return 0;
  }
  m.currentStyle = name;
  return 1;
}

void DeleteStyle(HWND page, int index) {
  StyleModel& m = TheStyleModel();
  const std::string name = ListText(GetDlgItem(page, kStyleList), index);
  if (name.empty()) return;
  const StyleChange done = RemoveStyle(m, name);
  if (done == StyleChange::kFileError) {
    ShowError(page, FileError(m));
    return;
  }
  FillStyleList(page);
  const int count = static_cast<int>(m.styleNames.size());
  if (count == 0) {
    OfferOnlyNewStyle(page);
  } else {
    SelectStyle(page, index < count ? index : count - 1);
  }
  RepaintPreview(page);
}

void RenameStyle(HWND page, int index) {
  StyleModel& m = TheStyleModel();
  const std::string oldName = ListText(GetDlgItem(page, kStyleList), index);
  if (oldName.empty()) return;
  const std::string remembered = m.currentStyle;
  m.currentStyle = oldName;
  if (DialogBoxParamA(m.resourceModule, MAKEINTRESOURCEA(kRenameTemplate), page, RenameStyleDlg, 0) != 1) {
    m.currentStyle = remembered;
    return;
  }
  const std::string newName = m.currentStyle;
  const StyleChange done = RenameStyleSection(m, oldName, newName);
  if (done != StyleChange::kDone) {
    m.currentStyle = remembered;
    if (done == StyleChange::kBadName) ShowError(page, NameRule());
    if (done == StyleChange::kExists) ShowError(page, "There is already a style named " + newName + ".");
    if (done == StyleChange::kFileError || done == StyleChange::kMissing) ShowError(page, FileError(m));
    return;
  }
  FillStyleList(page);
  SendMessageA(GetDlgItem(page, kStyleList), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  RepaintPreview(page);
}

int ChooseImageFile(HWND owner, std::string* name) {
  StyleModel& m = TheStyleModel();
  const std::string images = StyleImagePath(m, "");
  char file[MAX_PATH] = {};
  std::strncpy(file, name->c_str(), sizeof file - 1);
  OPENFILENAMEA open{};
  open.lStructSize = 76;
  open.hwndOwner = owner;
  open.hInstance = m.resourceModule;
  open.lpstrFilter = "Graphic Files (.gif;.jpg)\0*.gif;*.jpg\0";
  open.lpstrFile = file;
  open.nMaxFile = sizeof file;
  open.lpstrInitialDir = images.c_str();
  open.lpstrTitle = "Open a File";
  open.Flags = OFN_EXPLORER | OFN_SHOWHELP;
  if (!GetOpenFileNameA(&open)) return 0;
  const std::string chosen = file;
  const size_t slash = chosen.find_last_of('\\');
  const std::string base = slash == std::string::npos ? chosen : chosen.substr(slash + 1);
  if (base.empty()) return 0;
  const std::string target = images + base;
  // A picture already in the folder is used as it is.
  if (Normalised(chosen) != Normalised(target)) {
    const std::string parent = images.substr(0, images.size() - std::strlen("Images\\"));
    CreateDirectoryA(parent.c_str(), nullptr);  // the folders may not be there yet
    CreateDirectoryA(images.c_str(), nullptr);
    if (!CopyFileA(chosen.c_str(), target.c_str(), FALSE)) {
      ShowError(owner, "Cannot copy file:" + chosen);
      return 0;
    }
  }
  *name = base;
  return 1;
}

// ---- Page 1: which style ----

INT_PTR CALLBACK StyleListPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  INT_PTR result = FALSE;
  if (HandleCommonMessage(page, message, wParam, lParam, &result)) return result;
  StyleModel& m = TheStyleModel();
  switch (message) {
    case WM_INITDIALOG:
      CheckDlgButton(page, kEditSelected, BST_CHECKED);
      m.newStyleMode = 0;
      ListStyles(page);
      if (!SelectStyle(page, 0)) OfferOnlyNewStyle(page);
      RepaintPreview(page);
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const int index = static_cast<int>(SendDlgItemMessageA(page, kStyleList, LB_GETCURSEL, 0, 0));
      if (id == kStyleList && HIWORD(wParam) == LBN_SELCHANGE && index >= 0) {
        SelectStyle(page, index);
        RepaintPreview(page);
      } else if (id == kEditSelected && HIWORD(wParam) == BN_CLICKED) {
        m.newStyleMode = 0;
      } else if (id == kNewStyle && HIWORD(wParam) == BN_CLICKED) {
        m.newStyleMode = 1;
      } else if (id == kDeleteButton && index >= 0) {
        DeleteStyle(page, index);
      } else if (id == kRenameButton && index >= 0) {
        RenameStyle(page, index);
      } else {
        return FALSE;
      }
      return TRUE;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (HandleCommonNotify(page, 0, header, &result)) return result;
      if (header->code == PSN_SETACTIVE) {
        SetWindowLongPtrA(page, DWL_MSGRESULT, 0);
        return TRUE;
      }
      return FALSE;
    }
    default:
      return FALSE;
  }
}

// ---- Page 6: the name to save under ----

INT_PTR CALLBACK StyleSavePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  INT_PTR result = FALSE;
  if (HandleCommonMessage(page, message, wParam, lParam, &result)) return result;
  StyleModel& m = TheStyleModel();
  HWND combo = GetDlgItem(page, kSaveName);
  auto refill = [&] {
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (const std::string& name : m.styleNames)
      SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  };
  switch (message) {
    case WM_INITDIALOG:
      SendMessageA(combo, CB_LIMITTEXT, kStyleNameMax, 0);
      refill();
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) != kSaveName) return FALSE;
      if (HIWORD(wParam) == CBN_EDITCHANGE) {
        SetSaveButtons(page, GetWindowTextLengthA(combo) > 0);
      } else if (HIWORD(wParam) == CBN_SELCHANGE) {
        const LRESULT at = SendMessageA(combo, CB_GETCURSEL, 0, 0);
        const LRESULT length = at == CB_ERR ? 0 : SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(at), 0);
        SetSaveButtons(page, length != CB_ERR && length > 0);
      } else {
        return FALSE;
      }
      return TRUE;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (HandleCommonNotify(page, kWizardPageCount - 1, header, &result)) return result;
      if (header->code == PSN_SETACTIVE) {
        refill();
        if (!m.newStyleMode) {
          const int at = FindStyleName(m.styleNames, m.currentStyle);
          if (at >= 0) SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
        }
        SetWindowLongPtrA(page, DWL_MSGRESULT, 0);
        return TRUE;
      }
      if (header->code == PSN_WIZFINISH) {
        const LRESULT stay = SaveStyleAs(page) == 0 ? 1 : 0;
        SetWindowLongPtrA(page, DWL_MSGRESULT, stay);
        return stay;
      }
      return FALSE;
    }
    default:
      return FALSE;
  }
}

// ---- The rename dialog ----

INT_PTR CALLBACK RenameStyleDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      SendDlgItemMessageA(dialog, kRenameNew, EM_LIMITTEXT, kStyleNameMax, 0);
      SetDlgItemTextA(dialog, kRenameOld, TheStyleModel().currentStyle.c_str());
      EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
      SetFocus(GetDlgItem(dialog, kRenameNew));
      return FALSE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kRenameNew:
          if (HIWORD(wParam) == EN_CHANGE)
            EnableWindow(GetDlgItem(dialog, IDOK), GetWindowTextLengthA(GetDlgItem(dialog, kRenameNew)) > 0);
          return TRUE;
        case IDOK: {
          char text[kStyleNameMax + 1] = {};
          GetDlgItemTextA(dialog, kRenameNew, text, sizeof text);
          TheStyleModel().currentStyle = text;
          EndDialog(dialog, 1);
          return TRUE;
        }
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
        case kRenameHelpButton:
          WinHelpA(dialog, g_app.helpPath, HELP_CONTEXT, kRenameHelpTopic);
          return TRUE;
        default:
          return FALSE;
      }
    case WM_CLOSE:
      EndDialog(dialog, 0);
      return TRUE;
    default:
      return FALSE;
  }
}

// ---- The sheet ----

INT_PTR ShowStyleWizard(HWND owner) {
  StyleModel& m = TheStyleModel();
  ResetStyleModel(m, g_app.resourceModule);
  OutputDebugStringA("Calling PropertySheet\n");
  static constexpr DLGPROC kProcs[kWizardPageCount] = {StyleListPageProc,   StyleColorsPageProc, StyleFontsPageProc,
                                                       StyleTablePageProc,  StyleLayoutPageProc, StyleSavePageProc};
  PROPSHEETPAGEA pages[kWizardPageCount] = {};
  for (int i = 0; i < kWizardPageCount; ++i) {
    pages[i].dwSize = PROPSHEETPAGEA_V1_SIZE;
    pages[i].dwFlags = PSP_HASHELP;
    pages[i].hInstance = m.resourceModule;
    pages[i].pszTemplate = MAKEINTRESOURCEA(kWizardFirstTemplate + i);
    pages[i].pfnDlgProc = kProcs[i];
  }
  PROPSHEETHEADERA header{};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_WIZARD | PSH_NOAPPLYNOW;
  header.hwndParent = owner;
  header.hInstance = m.resourceModule;
  header.pszCaption = "Style Wizard";
  header.nPages = kWizardPageCount;
  header.nStartPage = 0;
  header.ppsp = pages;
  const INT_PTR result = PropertySheetA(&header);
  ReleaseStyleImages(m);  // the pictures are only shown in the wizard
  return result;
}

void RunStyleWizard(HWND owner) { ShowStyleWizard(owner); }
