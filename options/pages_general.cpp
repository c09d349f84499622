// The General sheet's first pages: languages and country, web browser, the
// NT service account; the proxy logon prompt and the browser prompt.
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <strings.h>
#include <vector>

#include "app/service_password.h"
#include "app_globals.h"
#include "dialog_fonts.h"
#include "general_sheet.h"
#include "program_paths.h"
#include "qv_ui.h"
#include "qv_ui_dialogs.h"
#include "qv_ui_shell.h"
#include "qv_ui_windows.h"
#include "res_templates.h"
#include "res_text.h"
#include "settings.h"
#include "settings_keys.h"

namespace {

constexpr int kLanguagesPage = 0;
constexpr int kBrowserPage = 1;
constexpr int kServicePage = 2;
constexpr int kPageBitmap = 8;  // the library's own picture at the pages' top left

// The country codes of the General page's list, in list order.
std::vector<std::string> g_countryCodes;
char g_programLanguage[ini::kLanguageLen + 1];
char g_serviceUser[201];
char g_servicePassword[kScrambledBytes + 1];

void SetBold(HWND page, std::initializer_list<int> ids) {
  if (g_general.boldFont == nullptr) return;
  for (int id : ids) SendDlgItemMessageA(page, id, WM_SETFONT, reinterpret_cast<WPARAM>(g_general.boldFont), FALSE);
}

void SubclassPicture(HWND page, int id) {
  QVUI_SubclassFancyBitmap(GetDlgItem(page, id), QVUI_GetBitmapResource(kPageBitmap), QVUI_GetBitmapInstance());
}

void SelectByPrefix(HWND combo, const char* text) {
  LRESULT found = SendMessageA(combo, CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
  if (found == CB_ERR) found = 0;
  SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(found), 0);
}

BOOL CALLBACK AddMenuLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR param) {
  char name[64];
  if (GetLocaleInfoA(language, LOCALE_SENGLANGUAGE, name, sizeof name) <= 0) return TRUE;
  for (char* c = name; *c; ++c) *c = static_cast<char>(std::toupper(static_cast<unsigned char>(*c)));
  auto combo = reinterpret_cast<HWND>(param);
  if (SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name)) == CB_ERR)
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
  return TRUE;
}

void FillReportLanguages(HWND combo) {
  SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ini::kDefaultLanguage));
  char folder[MAX_PATH];
  char pattern[MAX_PATH];
  MakeProgramPath(GetProgramDir(), "LANG", folder, sizeof folder);
  MakeProgramPath(folder, "*.*", pattern, sizeof pattern);
  WIN32_FIND_DATAA found{};
  HANDLE search = FindFirstFileA(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    if (std::strcmp(found.cFileName, ".") == 0 || std::strcmp(found.cFileName, "..") == 0) continue;
    if (char* dot = std::strrchr(found.cFileName, '.')) *dot = '\0';
    if (found.cFileName[0] != '\0') SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(found.cFileName));
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

void FillCountries(HWND combo) {
  g_countryCodes.clear();
  char current[ini::kLanguageLen + 1];
  ReadCountry(current, sizeof current);
  int size = 0;
  char* text = LoadTextResource(5613, &size);
  int selected = 0;
  if (text != nullptr) {
    for (char* line = text; line != nullptr && *line != '\0';) {
      char* next = std::strchr(line, '\n');
      if (next != nullptr) *next++ = '\0';
      if (char* cr = std::strchr(line, '\r')) *cr = '\0';
      if (char* comma = std::strchr(line, ',')) {
        *comma = '\0';
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
        if (strcasecmp(comma + 1, current) == 0) selected = static_cast<int>(g_countryCodes.size());
        g_countryCodes.emplace_back(comma + 1);
      }
      line = next;
    }
    std::free(text);
  }
  SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

bool SelectedText(HWND combo, char* out, int size) {
  out[0] = '\0';
  return QVUI_GetSelectedComboText(combo, 0, out, size, -1) != CB_ERR && out[0] != '\0';
}

void EnableServiceAccount(HWND page) {
  const bool on = IsDlgButtonChecked(page, 9601) == BST_CHECKED;
  EnableWindow(GetDlgItem(page, 9604), on);
  EnableWindow(GetDlgItem(page, 9605), on);
}

}  // namespace

INT_PTR CALLBACK ConfigDefaultsDlg(HWND page, UINT message, WPARAM, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      SubclassPicture(page, 1140);
      SetBold(page, {8311, 8313, 8315});
      HWND report = GetDlgItem(page, 8314);
      FillReportLanguages(report);
      char text[ini::kLanguageLen + 1];
      ReadReportLanguage(text, sizeof text);
      SelectByPrefix(report, text);
      HWND program = GetDlgItem(page, 8312);
      EnumResourceLanguagesA(g_app.resourceModule, RT_MENU, MAKEINTRESOURCEA(100), AddMenuLanguage,
                             reinterpret_cast<LONG_PTR>(program));
      ReadProgramLanguage(text, sizeof text);
      SelectByPrefix(program, text);
      SelectedText(program, g_programLanguage, sizeof g_programLanguage);
      FillCountries(GetDlgItem(page, 8316));
      QVUI_CenterDialog(page);
      return TRUE;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->code != PSN_APPLY) return HandleCommonPageNotify(page, kLanguagesPage, header);
      g_general.ok = true;
      SendMessageA(GetParent(page), PSM_CANCELTOCLOSE, 0, 0);
      char text[ini::kLanguageLen + 1];
      if (SelectedText(GetDlgItem(page, 8312), text, sizeof text)) {
        WriteProgramLanguage(text);
        if (strcasecmp(text, g_programLanguage) != 0) {
          char caption[kResTextMax + 1];
          char body[kResTextMax + 1];
          MessageBoxA(page, LoadResText(9179, body, sizeof body), LoadResText(9178, caption, sizeof caption), MB_OK);
          std::strcpy(g_programLanguage, text);
        }
      }
      if (SelectedText(GetDlgItem(page, 8314), text, sizeof text)) WriteReportLanguage(text);
      const LRESULT country = SendDlgItemMessageA(page, 8316, CB_GETCURSEL, 0, 0);
      if (country >= 0 && static_cast<size_t>(country) < g_countryCodes.size())
        WriteCountry(g_countryCodes[static_cast<size_t>(country)].c_str());
      SetWindowLongPtrA(page, DWL_MSGRESULT, PSNRET_NOERROR);
      return TRUE;
    }
    case WM_DESTROY: QVUI_UnsubclassWindow(GetDlgItem(page, 1140)); return FALSE;
    default: return FALSE;
  }
}

int BrowseForBrowser(HWND owner, char* path) {
  char folder[MAX_PATH] = "";
  char name[MAX_PATH] = "";
  const char* slash = std::strrchr(path, '\\');
  if (slash != nullptr) {
    const size_t length = static_cast<size_t>(slash - path);
    std::memcpy(folder, path, length);
    folder[length] = '\0';
    std::strncpy(name, slash + 1, sizeof name - 1);
  } else {
    std::strncpy(name, path, sizeof name - 1);
  }
  return QVUI_GetFilename(owner, g_app.resourceModule, path, folder, name, MAKEINTRESOURCEA(9157),
                          MAKEINTRESOURCEA(9156), QVUI_FILE_MUST_EXIST)
             ? 1
             : 0;
}

INT_PTR CALLBACK SelectBrowserDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      SubclassPicture(page, 1138);
      SetBold(page, {8410});
      char path[ini::kBrowserPathLen + 1];
      ReadBrowserPath(path, sizeof path);
      SetDlgItemTextA(page, 8411, path);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == 8412 && HIWORD(wParam) == BN_CLICKED) {
        char path[MAX_PATH] = "";
        GetDlgItemTextA(page, 8411, path, 260);
        if (BrowseForBrowser(page, path)) SetDlgItemTextA(page, 8411, path);
        return TRUE;
      }
      return FALSE;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->code != PSN_APPLY) return HandleCommonPageNotify(page, kBrowserPage, header);
      g_general.ok = true;
      SendMessageA(GetParent(page), PSM_CANCELTOCLOSE, 0, 0);
      char path[MAX_PATH] = "";
      GetDlgItemTextA(page, 8411, path, 260);
      WriteBrowserPath(path);
      SetWindowLongPtrA(page, DWL_MSGRESULT, PSNRET_NOERROR);
      return TRUE;
    }
    case WM_DESTROY: QVUI_UnsubclassWindow(GetDlgItem(page, 1138)); return FALSE;
    default: return FALSE;
  }
}

INT_PTR CALLBACK ServiceOptionsDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      CheckDlgButton(page, 9601, g_app.serviceMode ? BST_CHECKED : BST_UNCHECKED);
      ReadIniText(ini::kDefaults, ini::kUsername, "", g_serviceUser, sizeof g_serviceUser);
      ReadScrambledPassword(ini::kDefaults, ini::kPassword, g_servicePassword, sizeof g_servicePassword);
      SetDlgItemTextA(page, 9604, g_serviceUser);
      SetDlgItemTextA(page, 9605, g_servicePassword);
      SendDlgItemMessageA(page, 9605, EM_LIMITTEXT, 30, 0);
      EnableServiceAccount(page);
      if (!IsWindowsNt()) {
        for (int id = 9601; id <= 9610; ++id) EnableWindow(GetDlgItem(page, id), FALSE);
        EnableWindow(GetDlgItem(page, 1085), FALSE);
      }
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == 9601) {
        EnableServiceAccount(page);
        return TRUE;
      }
      return FALSE;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->code == PSN_RESET) g_general.runAsService = g_app.serviceMode;
      if (header->code != PSN_APPLY) return HandleCommonPageNotify(page, kServicePage, header);
      char user[201] = "";
      char password[256] = "";
      GetDlgItemTextA(page, 9604, user, 200);
      GetDlgItemTextA(page, 9605, password, sizeof password);
      if (std::strlen(password) > static_cast<size_t>(kMaxEncodedPassword)) {
        RefuseApply(page, GetDlgItem(page, 9605));
        return TRUE;
      }
      g_general.ok = true;
      SendMessageA(GetParent(page), PSM_CANCELTOCLOSE, 0, 0);
      g_general.runAsService = IsDlgButtonChecked(page, 9601) == BST_CHECKED;
      WriteIniText(ini::kDefaults, ini::kUsername, user);
      WriteScrambledPassword(ini::kDefaults, ini::kPassword, password);
      if (std::strcmp(user, g_serviceUser) != 0 || std::strcmp(password, g_servicePassword) != 0)
        g_general.accountChanged = true;
      SetWindowLongPtrA(page, DWL_MSGRESULT, PSNRET_NOERROR);
      return TRUE;
    }
    default: return FALSE;
  }
}

INT_PTR CALLBACK CyberLoginDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  constexpr char kRecord[] = "CyberLoginRecord";
  constexpr char kFont[] = "CyberLoginFont";
  auto* record = static_cast<CyberLogin*>(GetPropA(dialog, kRecord));
  switch (message) {
    case WM_INITDIALOG:
      record = reinterpret_cast<CyberLogin*>(lParam);
      SetPropA(dialog, kRecord, record);
      SetPropA(dialog, kFont, PrepWindowFonts(dialog));
      QVUI_CenterDialog(dialog);
      if (record != nullptr) {
        SetDlgItemTextA(dialog, 8391, record->user);
        SetDlgItemTextA(dialog, 8393, record->password);
      }
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
        case 8397:
          if (record != nullptr) {
            GetDlgItemTextA(dialog, 8391, record->user, sizeof record->user);
            GetDlgItemTextA(dialog, 8393, record->password, sizeof record->password);
          }
          EndDialog(dialog, 1);
          return TRUE;
        case IDCANCEL:
        case 8398: EndDialog(dialog, 2); return TRUE;
        case 8399:
        case 16200:
          WinHelpA(dialog, g_app.helpPath, HELP_CONTEXT, record != nullptr && record->helpKind == 1 ? 1098 : 1097);
          return TRUE;
        default: return FALSE;
      }
    case WM_PAINT: QVUI_DisplayDlgBmp(dialog, 1145, 26568, g_app.resourceModule); return FALSE;
    case WM_QUERYNEWPALETTE: InvalidateRect(dialog, nullptr, TRUE); return TRUE;
    case WM_PALETTECHANGED:
      if (reinterpret_cast<HWND>(wParam) != dialog) InvalidateRect(dialog, nullptr, TRUE);
      return TRUE;
    case WM_SYSCOMMAND: return (wParam & 0xFFF0) == SC_CLOSE ? TRUE : FALSE;
    case WM_DESTROY: {
      QVUI_DestroyDlgBmp(dialog);
      auto font = static_cast<HFONT>(GetPropA(dialog, kFont));
      HFONT dialogFont = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
      if (font != nullptr && font != dialogFont) DeleteObject(font);
      RemovePropA(dialog, kFont);
      RemovePropA(dialog, kRecord);
      return FALSE;
    }
    default: return FALSE;
  }
}
