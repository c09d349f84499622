// The memorized report list and the save-to controls of the report dialogs.
#include "save_to_controls.h"

#include <cstring>
#include <string>

#include "install_paths.h"
#include "plugin_globals.h"
#include "plugin_helpers.h"
#include "qv_ui.h"
#include "report_pictures.h"
#include "report_resources.h"
#include "report_text.h"
#include "save_target.h"

const char* PluginString(int id) {
  static thread_local char text[512];
  if (LoadStringA(PluginInstance(), static_cast<UINT>(id), text, sizeof text) <= 0) text[0] = '\0';
  return text;
}

void AnswerReportQuery(LPARAM lParam) {
  struct Query {
    LPARAM first;
    int* answer;
  };
  auto* query = reinterpret_cast<Query*>(lParam);
  if (query != nullptr && query->answer != nullptr) *query->answer = 0;
}

void CenterReportDialog(HWND dialog) {
  RECT box;
  GetWindowRect(dialog, &box);
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  HWND owner = GetWindow(dialog, GW_OWNER);
  if (owner != nullptr) GetWindowRect(owner, &area);
  SetWindowPos(dialog, nullptr, area.left + (area.right - area.left - (box.right - box.left)) / 2,
               area.top + (area.bottom - area.top - (box.bottom - box.top)) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

FileListEntry* FillMemorizedReportCombo(HWND dialog, int comboId, FileListEntry* old, const char* file, int* count) {
  if (old != nullptr) QVUI_MyFree2(old);
  HWND combo = GetDlgItem(dialog, comboId);
  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  FileListEntry* list = ListMemorizedReports(count);
  char last[kMemorizedDescriptionSize] = "";
  if (file == nullptr || file[0] == '\0') {
    char ini[MAX_PATH];
    if (GetAlertIniPath(ini, sizeof ini)) GetPrivateProfileStringA("Main", "LastReport", "", last, sizeof last, ini);
  }
  int selected = 0;
  for (int i = 0; i < *count; ++i) {
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(list[i].description));
    const bool match = file != nullptr && file[0] != '\0' ? EqualsNoCase(list[i].path, file)
                                                          : last[0] != '\0' && EqualsNoCase(list[i].description, last);
    if (match && selected == 0) selected = i;
  }
  if (*count == 0) SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("No memorized reports found"));
  SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(comboId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
  return list;
}

bool OnMemorizedReportSelected(HWND dialog, int comboId, const FileListEntry* list, int count,
                               MEMORIZED_REPORT* report) {
  char text[kMemorizedDescriptionSize] = "";
  GetDlgItemTextA(dialog, comboId, text, sizeof text);
  char path[MAX_PATH] = "";
  const bool found = FindMemorizedReportFile(list, count, text, path);
  ReadMemorizedReport(report, found ? path : "");
  return found;
}

namespace {

std::string ReportDirectory() {
  char directory[MAX_PATH];
  return GetAlertReportDirectory(directory, sizeof directory) ? directory : "";
}

std::string ItemText(HWND dialog, int id, int size) {
  std::string text(static_cast<size_t>(size) + 1, '\0');
  const UINT length = GetDlgItemTextA(dialog, id, text.data(), size + 1);
  text.resize(length);
  return text;
}

void ShowSaveTarget(HWND dialog, const SaveToControls& ids, const std::string& text, int urlType) {
  if (urlType == kSaveToMail) {
    std::string address, file;
    SplitMailTarget(text, &address, &file);
    SetDlgItemTextA(dialog, ids.email, address.c_str());
    SetDlgItemTextA(dialog, ids.target, file.c_str());
  } else {
    SetDlgItemTextA(dialog, ids.target, text.c_str());
  }
}

}  // namespace

void InitSaveToControls(HWND dialog, const char* target, int* urlType, const SaveToControls& ids) {
  HWND scheme = GetDlgItem(dialog, ids.scheme);
  SendMessageA(scheme, CB_RESETCONTENT, 0, 0);
  for (const char* name : {"file:///", "ftp://", "mailto:"}) {
    SendMessageA(scheme, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
  }
  SendDlgItemMessageA(dialog, ids.target, EM_LIMITTEXT, 260, 0);
  SendDlgItemMessageA(dialog, ids.email, EM_LIMITTEXT, 64, 0);
  std::string text = ReportDirectory() + "AutoSummary.HTM";
  *urlType = kSaveToFile;
  if (target != nullptr && target[0] != '\0') *urlType = ParseSaveTarget(&text, target);
  if (*urlType != kSaveToFtp && *urlType != kSaveToMail) *urlType = kSaveToFile;
  SendMessageA(scheme, CB_SETCURSEL, static_cast<WPARAM>(*urlType == kSaveToMail ? 2 : *urlType), 0);
  OnSaveToSchemeChanged(dialog, urlType, ids);
  ShowSaveTarget(dialog, ids, text, *urlType);
}

void OnSaveToSchemeChanged(HWND dialog, int* urlType, const SaveToControls& ids) {
  const LRESULT index = SendDlgItemMessageA(dialog, ids.scheme, CB_GETCURSEL, 0, 0);
  *urlType = index == 2 ? kSaveToMail : index == 1 ? kSaveToFtp : kSaveToFile;
  SetDlgItemTextA(dialog, ids.target, "");
  SetDlgItemTextA(dialog, ids.email, "");
  const int showMail = *urlType == kSaveToMail ? SW_SHOW : SW_HIDE;
  ShowWindow(GetDlgItem(dialog, ids.email), showMail);
  ShowWindow(GetDlgItem(dialog, ids.emailLabel), showMail);
  ShowWindow(GetDlgItem(dialog, ids.browse), *urlType == kSaveToMail ? SW_HIDE : SW_SHOW);
  switch (*urlType) {
    case kSaveToFtp:
      SetDlgItemTextA(dialog, ids.browse, PluginString(IDS_LOGIN));
      SetDlgItemTextA(dialog, ids.example, "ftp.server.com/directory/report.htm");
      break;
    case kSaveToMail:
      SetDlgItemTextA(dialog, ids.example, "report.htm");
      SetDlgItemTextA(dialog, ids.target, "SUMMARY.HTM");
      break;
    default:
      SetDlgItemTextA(dialog, ids.browse, PluginString(IDS_BROWSE));
      SetDlgItemTextA(dialog, ids.example, "c:\\websrvr\\report.htm");
      SetDlgItemTextA(dialog, ids.target, (ReportDirectory() + "SUMMARY.HTM").c_str());
      break;
  }
}

bool GetSaveToTarget(HWND dialog, int urlType, const SaveToControls& ids, char* out) {
  const std::string target = ItemText(dialog, ids.target, 260);
  const std::string address = ItemText(dialog, ids.email, 128);
  std::string checked;
  int messageId = 0;
  if (!ValidateSaveTo(urlType, target, address, ReportDirectory(), &checked, &messageId)) {
    MessageBoxA(dialog, PluginString(messageId), kDialogCaption, MB_OK | MB_ICONWARNING);
    SetFocus(GetDlgItem(dialog, messageId == 7 ? ids.email : ids.target));
    return false;
  }
  std::string built;
  if (!BuildSaveTarget(urlType, checked, &built) || built.size() >= MAX_PATH) {
    MessageBoxA(dialog, PluginString(IDS_INVALID_URL), kDialogCaption, MB_OK | MB_ICONWARNING);
    SetFocus(GetDlgItem(dialog, ids.target));
    return false;
  }
  CopyText(out, MAX_PATH, built.c_str());
  return true;
}

void BrowseReportFilename(HWND dialog, int targetId) {
  const std::string directory = ReportDirectory();
  std::string current = ItemText(dialog, targetId, 260);
  const size_t cut = current.find_last_of("\\/");
  std::string name = cut == std::string::npos ? current : current.substr(cut + 1);
  if (name.empty()) name = "REPORT.HTM";
  char path[MAX_PATH] = "";
  if (QVUI_GetFilename(dialog, PluginInstance(), path, directory.c_str(), name.c_str(), "Report Filename",
                       PluginString(IDS_HTML_FILTER), 0)) {
    SetDlgItemTextA(dialog, targetId, path);
  }
}

namespace {

INT_PTR CALLBACK WebServerLoginDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* record = reinterpret_cast<WebLoginRecord*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      record = reinterpret_cast<WebLoginRecord*>(lParam);
      ShowDialogPicture(dialog, IDC_LOGIN_BITMAP, kWebLoginPicture, true);
      CenterReportDialog(dialog);
      SendDlgItemMessageA(dialog, IDC_LOGIN_USER, EM_LIMITTEXT, 40, 0);
      SendDlgItemMessageA(dialog, IDC_LOGIN_PASSWORD, EM_LIMITTEXT, 40, 0);
      SetDlgItemTextA(dialog, IDC_LOGIN_USER, record->user);
      SetDlgItemTextA(dialog, IDC_LOGIN_PASSWORD, record->password);
      if (record->kind == kSaveToFtp) {
        SetDlgItemTextA(dialog, IDC_LOGIN_TEXT, PluginString(IDS_FTP_LOGIN_TEXT));
      } else {
        ShowWindow(GetDlgItem(dialog, IDC_LOGIN_BROWSE), SW_HIDE);
      }
      return TRUE;
    case WM_REPORT_QUERY:
      AnswerReportQuery(lParam);
      SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_LOGIN_BROWSE:
        case IDOK:
          GetDlgItemTextA(dialog, IDC_LOGIN_USER, record->user, sizeof record->user);
          GetDlgItemTextA(dialog, IDC_LOGIN_PASSWORD, record->password, sizeof record->password);
          if (LOWORD(wParam) == IDOK) {
            EndDialog(dialog, 1);
          } else {
            QVUI_FtpBrowse(dialog, record);
          }
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, 2);
          return TRUE;
        case IDC_HELP_BUTTON: {
          char help[MAX_PATH];
          if (GetAlertHelpPath(help, sizeof help)) WinHelpA(dialog, help, HELP_CONTEXT, 9068);
          return TRUE;
        }
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

}  // namespace

int RunWebServerLoginDialog(HWND parent, WebLoginRecord* record) {
  const INT_PTR result = DialogBoxParamA(PluginInstance(), MAKEINTRESOURCEA(IDD_WEB_LOGIN), parent,
                                         &WebServerLoginDlg, reinterpret_cast<LPARAM>(record));
  return result == 1 ? 1 : 2;
}
