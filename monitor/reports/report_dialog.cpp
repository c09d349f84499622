// The report dialog (125) with its three pages, and the memorized report
// name dialog (14000).
#include <cstring>
#include <string>

#include "install_paths.h"
#include "plugin_globals.h"
#include "plugin_helpers.h"
#include "qv_ui.h"
#include "report_dialogs.h"
#include "report_pictures.h"
#include "report_resources.h"
#include "save_to_controls.h"

namespace {

constexpr UINT kReloadPage = WM_APP + 1;
constexpr int kRange = 0;
constexpr int kStyle = 1;
constexpr int kSaveAs = 2;

// The tab shown last, kept across openings.
int g_tab_index = 0;

struct ReportDialogState {
  ReportRequest* request = nullptr;
  MEMORIZED_REPORT* report = nullptr;
  FileListEntry* list = nullptr;
  int count = 0;
  HWND tabs = nullptr;
  HWND pages[3] = {nullptr, nullptr, nullptr};
  int pageCount = 0;
  HFONT bold = nullptr;
  int urlType = 0;  // of the Save As page
};

ReportDialogState* StateOf(HWND window) {
  return reinterpret_cast<ReportDialogState*>(GetWindowLongPtrA(window, DWLP_USER));
}

// A page's dialog state lives in its report dialog.
ReportDialogState* PageState(HWND page) { return StateOf(GetParent(GetParent(page))); }

void SelectReportTab(ReportDialogState* state, int index) {
  if (index < 0 || index >= state->pageCount) return;
  for (int i = 0; i < state->pageCount; ++i) {
    if (i != index) ShowWindow(state->pages[i], SW_HIDE);
  }
  SendMessageA(state->tabs, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
  ShowWindow(state->pages[index], SW_SHOW);
  g_tab_index = index;
  HWND dialog = GetParent(state->tabs);
  static constexpr int kOrders[3][7] = {{13003, 1151, 1019, 1020, 1021, 0, 0},
                                        {13003, 1106, 10001, 10002, 13004, 13005, 0},
                                        {13003, 11004, 11005, 11006, 9065, 13004, 13005}};
  static constexpr int kCounts[3] = {5, 6, 7};
  QVUI_SetTabOrder(dialog, kOrders[index], kCounts[index]);
}

// ---- Range and Content ----

void LoadRangePage(HWND page, const MEMORIZED_REPORT* report) {
  CheckRadioButton(page, IDC_RANGE_SHORT, IDC_RANGE_SUMMARY,
                   report->reportType == 1   ? IDC_RANGE_SHORT
                   : report->reportType == 2 ? IDC_RANGE_COMPLETE
                   : report->reportType == 3 ? IDC_RANGE_SUMMARY
                                             : 0);
  EnableWindow(GetDlgItem(page, IDC_RANGE_LIST), report->reportType == 1 || report->reportType == 2);
}

bool RangePageOk(HWND page, MEMORIZED_REPORT* report) {
  report->reportType = IsDlgButtonChecked(page, IDC_RANGE_SHORT) == BST_CHECKED      ? 1
                       : IsDlgButtonChecked(page, IDC_RANGE_COMPLETE) == BST_CHECKED ? 2
                                                                                     : 3;
  const LRESULT range = SendDlgItemMessageA(page, IDC_RANGE_LIST, CB_GETCURSEL, 0, 0);
  report->timeRange = range >= 0 && range < kRangeCount ? static_cast<int32_t>(range) : 0;
  return true;
}

INT_PTR CALLBACK ReportRangeDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      auto* report = reinterpret_cast<MEMORIZED_REPORT*>(lParam);
      for (const char* name : kTimeRangeNames) {
        SendDlgItemMessageA(page, IDC_RANGE_LIST, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
      }
      SendDlgItemMessageA(page, IDC_RANGE_LIST, CB_SETCURSEL, static_cast<WPARAM>(report->timeRange), 0);
      LoadRangePage(page, report);
      return TRUE;
    }
    case kReloadPage:
      LoadRangePage(page, reinterpret_cast<MEMORIZED_REPORT*>(lParam));
      return TRUE;
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED &&
          (LOWORD(wParam) == IDC_RANGE_SHORT || LOWORD(wParam) == IDC_RANGE_COMPLETE ||
           LOWORD(wParam) == IDC_RANGE_SUMMARY)) {
        EnableWindow(GetDlgItem(page, IDC_RANGE_LIST), LOWORD(wParam) != IDC_RANGE_SUMMARY);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

// ---- Style ----

void FillStyleLists(HWND page) {
  HWND languages = GetDlgItem(page, IDC_STYLE_LANGUAGE);
  SendMessageA(languages, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("(Default)"));
  char alert[MAX_PATH];
  if (GetAlertDirectory(alert, sizeof alert)) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((std::string(alert) + "TEMPLATE\\*.RPL").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        std::string name = found.cFileName;
        const size_t dot = name.rfind('.');
        if (dot != std::string::npos) name.resize(dot);
        SendMessageA(languages, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
      } while (FindNextFileA(search, &found));
      FindClose(search);
    }
  }
  const std::string styleIni = std::string(PluginLocalDirectory()) + "Style.ini";
  for (int n = 1; n < 10000; ++n) {
    char key[32];
    std::snprintf(key, sizeof key, "Style %d", n);
    char value[256] = "";
    GetPrivateProfileStringA("Quorvane Styles", key, "", value, sizeof value, styleIni.c_str());
    if (value[0] == '\0') break;
    SendDlgItemMessageA(page, IDC_STYLE_STYLE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(value));
  }
}

void LoadStylePage(HWND page, const MEMORIZED_REPORT* report) {
  const char* language = report->reportLanguage[0] != '\0' ? report->reportLanguage : "(Default)";
  if (SendDlgItemMessageA(page, IDC_STYLE_LANGUAGE, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                          reinterpret_cast<LPARAM>(language)) == CB_ERR) {
    SendDlgItemMessageA(page, IDC_STYLE_LANGUAGE, CB_SETCURSEL, 0, 0);
  }
  if (SendDlgItemMessageA(page, IDC_STYLE_STYLE, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                          reinterpret_cast<LPARAM>(report->reportStyle)) == CB_ERR) {
    SendDlgItemMessageA(page, IDC_STYLE_STYLE, CB_SETCURSEL, 0, 0);
  }
  SendDlgItemMessageA(page, IDC_STYLE_TITLE, EM_LIMITTEXT, 255, 0);
  const char* title = report->reportTitle[0] != '\0'   ? report->reportTitle
                      : report->description[0] != '\0' ? report->description
                                                        : "Alert Monitor Report";
  SetDlgItemTextA(page, IDC_STYLE_TITLE, title);
}

bool StylePageOk(HWND page, MEMORIZED_REPORT* report) {
  GetDlgItemTextA(page, IDC_STYLE_TITLE, report->reportTitle, sizeof report->reportTitle);
  if (report->reportTitle[0] != '\0') return true;
  SelectReportTab(PageState(page), kStyle);
  SetFocus(GetDlgItem(page, IDC_STYLE_TITLE));
  return false;
}

INT_PTR CALLBACK ReportStyleDlg(HWND page, UINT message, WPARAM /*wParam*/, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      FillStyleLists(page);
      LoadStylePage(page, reinterpret_cast<MEMORIZED_REPORT*>(lParam));
      return TRUE;
    case kReloadPage:
      LoadStylePage(page, reinterpret_cast<MEMORIZED_REPORT*>(lParam));
      return TRUE;
    default:
      return FALSE;
  }
}

// ---- Save As / Mail To ----

bool SaveAsPageOk(HWND page, ReportDialogState* state) {
  if (GetSaveToTarget(page, state->urlType, kReportSaveToControls, state->report->saveTo)) {
    state->report->urlType = state->urlType;
    return true;
  }
  SelectReportTab(state, kSaveAs);
  return false;
}

INT_PTR CALLBACK ReportSaveAsDlg(HWND page, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case kReloadPage: {
      ReportDialogState* state = PageState(page);
      if (state != nullptr) InitSaveToControls(page, state->report->saveTo, &state->urlType, kReportSaveToControls);
      return TRUE;
    }
    case WM_COMMAND: {
      ReportDialogState* state = PageState(page);
      if (state == nullptr) return FALSE;
      if (LOWORD(wParam) == IDC_SAVE_SCHEME && HIWORD(wParam) == CBN_SELCHANGE) {
        OnSaveToSchemeChanged(page, &state->urlType, kReportSaveToControls);
        return TRUE;
      }
      if (LOWORD(wParam) == IDC_SAVE_BROWSE && HIWORD(wParam) == BN_CLICKED) {
        if (state->urlType == kSaveToFile) {
          BrowseReportFilename(page, IDC_SAVE_TARGET);
        } else if (state->urlType == kSaveToFtp) {
          WebLoginRecord login{};
          login.kind = kSaveToFtp;
          CopyText(login.user, state->report->saveToUserName);
          CopyText(login.password, state->report->saveToPassword);
          GetDlgItemTextA(page, IDC_SAVE_TARGET, login.target, sizeof login.target);
          RunWebServerLoginDialog(GetParent(GetParent(page)), &login);
          CopyText(state->report->saveToUserName, login.user);
          CopyText(state->report->saveToPassword, login.password);
          SetDlgItemTextA(page, IDC_SAVE_TARGET, login.target);
        }
        return TRUE;
      }
      return FALSE;
    }
    default:
      return FALSE;
  }
}

// ---- The memorized report name ----

INT_PTR CALLBACK MemorizedReportNameDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* description = reinterpret_cast<char*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      ShowDialogPicture(dialog, IDC_NAME_BITMAP, kReportNamePicture, false);
      CenterReportDialog(dialog);
      SendDlgItemMessageA(dialog, IDC_NAME_EDIT, EM_LIMITTEXT, kMemorizedDescriptionSize - 1, 0);
      SetDlgItemTextA(dialog, IDC_NAME_EDIT, reinterpret_cast<const char*>(lParam));
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        char text[kMemorizedDescriptionSize] = "";
        GetDlgItemTextA(dialog, IDC_NAME_EDIT, text, sizeof text);
        if (text[0] == '\0') {
          MessageBoxA(dialog, "Please enter a description.", kDialogCaption, MB_OK | MB_ICONWARNING);
          SetFocus(GetDlgItem(dialog, IDC_NAME_EDIT));
          return TRUE;
        }
        std::memcpy(description, text, sizeof text);
        EndDialog(dialog, 1);
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

// ---- The report dialog ----

void ReloadPages(ReportDialogState* state) {
  const auto param = reinterpret_cast<LPARAM>(state->report);
  if (state->pageCount > kSaveAs) SendMessageA(state->pages[kSaveAs], kReloadPage, 0, param);
  SendMessageA(state->pages[kRange], kReloadPage, 0, param);
  SendMessageA(state->pages[kStyle], kReloadPage, 0, param);
}

void CreatePages(HWND dialog, ReportDialogState* state) {
  state->tabs = GetDlgItem(dialog, IDC_REPORT_TABS);
  state->pageCount = state->request->scheduled != 0 ? 2 : 3;
  static constexpr int kTexts[3] = {IDS_TAB_RANGE, IDS_TAB_STYLE, IDS_TAB_SAVE_AS};
  static constexpr int kTemplates[3] = {IDD_REPORT_RANGE, IDD_REPORT_STYLE, IDD_REPORT_SAVE_AS};
  static constexpr DLGPROC kProcs[3] = {&ReportRangeDlg, &ReportStyleDlg, &ReportSaveAsDlg};
  RECT area;
  GetClientRect(state->tabs, &area);
  SendMessageA(state->tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
  for (int i = 0; i < state->pageCount; ++i) {
    std::string text = PluginString(kTexts[i]);
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    SendMessageA(state->tabs, TCM_INSERTITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    state->pages[i] = CreateDialogParamA(PluginInstance(), MAKEINTRESOURCEA(kTemplates[i]), state->tabs, kProcs[i],
                                         reinterpret_cast<LPARAM>(state->report));
    SetWindowPos(state->pages[i], nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(state->pages[i], SW_HIDE);
  }
  if (g_tab_index >= state->pageCount) g_tab_index = 0;
  SelectReportTab(state, g_tab_index);
}

// Checks the pages and takes their values; then either memorizes the record
// or ends the dialog to start the report.
bool TakePages(HWND dialog, ReportDialogState* state, bool memorizing) {
  MEMORIZED_REPORT* report = state->report;
  if (!StylePageOk(state->pages[kStyle], report)) return false;
  if (!RangePageOk(state->pages[kRange], report)) return false;
  if (state->pageCount > kSaveAs && !SaveAsPageOk(state->pages[kSaveAs], state)) return false;
  GetDlgItemTextA(state->pages[kStyle], IDC_STYLE_STYLE, report->reportStyle, sizeof report->reportStyle);
  GetDlgItemTextA(state->pages[kStyle], IDC_STYLE_LANGUAGE, report->reportLanguage, sizeof report->reportLanguage);
  if (!memorizing) GetReportLanguage(state->pages[kStyle], report);
  if (!FindMemorizedReportFile(state->list, state->count, report->description, report->filePath)) {
    char directory[MAX_PATH];
    if (!GetMemorizedReportDirectory(directory, sizeof directory) ||
        !MakeUniqueFileName(directory, "ALERT", "*.AMR", report->filePath, sizeof report->filePath)) {
      return false;
    }
  }
  if (memorizing) return WriteMemorizedReport(report, report->filePath);
  char ini[MAX_PATH];
  if (GetAlertIniPath(ini, sizeof ini)) WritePrivateProfileStringA("Main", "LastReport", report->description, ini);
  EndDialog(dialog, 1);
  return true;
}

void Memorize(HWND dialog, ReportDialogState* state) {
  char description[kMemorizedDescriptionSize] = "";
  GetDlgItemTextA(dialog, IDC_REPORT_MEMORIZED, description, sizeof description);
  if (state->count == 0) description[0] = '\0';
  if (DialogBoxParamA(PluginInstance(), MAKEINTRESOURCEA(IDD_MEMORIZED_NAME), dialog, &MemorizedReportNameDlg,
                      reinterpret_cast<LPARAM>(description)) != 1) {
    return;
  }
  CopyText(state->report->description, description);
  if (!TakePages(dialog, state, true)) return;
  const std::string file = state->report->filePath;
  state->list = FillMemorizedReportCombo(dialog, IDC_REPORT_MEMORIZED, state->list, file.c_str(), &state->count);
  if (state->request->memorizeOnly != 0) EndDialog(dialog, 1);
}

void DeleteMemorized(HWND dialog, ReportDialogState* state) {
  if (MessageBoxA(dialog, "Are you sure you want to remove this memorized report?", kDialogCaption,
                  MB_YESNO | MB_ICONWARNING) != IDYES) {
    return;
  }
  char description[kMemorizedDescriptionSize] = "";
  GetDlgItemTextA(dialog, IDC_REPORT_MEMORIZED, description, sizeof description);
  char path[MAX_PATH];
  if (FindMemorizedReportFile(state->list, state->count, description, path)) {
    DeleteFileA(path);
    state->list = FillMemorizedReportCombo(dialog, IDC_REPORT_MEMORIZED, state->list, nullptr, &state->count);
  }
}

INT_PTR CALLBACK ReportDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  ReportDialogState* state = StateOf(dialog);
  switch (message) {
    case WM_INITDIALOG: {
      state = new ReportDialogState;
      state->request = reinterpret_cast<ReportRequest*>(lParam);
      state->report = state->request->report;
      SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
      state->bold = QVUI_GetBoldFaceFont(GetDlgItem(dialog, IDC_REPORT_TITLE_TEXT));
      if (state->bold != nullptr) {
        SendDlgItemMessageA(dialog, IDC_REPORT_TITLE_TEXT, WM_SETFONT, reinterpret_cast<WPARAM>(state->bold), 0);
      }
      ShowDialogPicture(dialog, IDC_REPORT_BITMAP, kReportDialogPicture, true);
      CenterReportDialog(dialog);
      ReadMemorizedReport(state->report, "");
      state->list = FillMemorizedReportCombo(dialog, IDC_REPORT_MEMORIZED, nullptr, nullptr, &state->count);
      CreatePages(dialog, state);
      if (state->request->memorizeOnly != 0) SetDlgItemTextA(dialog, IDC_REPORT_START, "OK");
      QVUI_SetKeyboardHook(dialog, state->tabs);
      return TRUE;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (state == nullptr || header == nullptr || header->idFrom != IDC_REPORT_TABS) return FALSE;
      if (header->code == TCN_SELCHANGE) {
        SelectReportTab(state, static_cast<int>(SendMessageA(state->tabs, TCM_GETCURSEL, 0, 0)));
      }
      return FALSE;
    }
    case WM_REPORT_QUERY:
      AnswerReportQuery(lParam);
      SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
      return TRUE;
    case WM_COMMAND:
      if (state == nullptr) return FALSE;
      switch (LOWORD(wParam)) {
        case IDC_REPORT_MEMORIZED:
          if (HIWORD(wParam) == CBN_SELCHANGE) {
            if (OnMemorizedReportSelected(dialog, IDC_REPORT_MEMORIZED, state->list, state->count, state->report)) {
              ReloadPages(state);
            } else if (state->pageCount > kSaveAs) {
              SendMessageA(state->pages[kSaveAs], kReloadPage, 0, reinterpret_cast<LPARAM>(state->report));
            }
            EnableWindow(GetDlgItem(dialog, IDC_REPORT_DELETE), state->count > 0);
          }
          return TRUE;
        case IDC_REPORT_MEMORIZE:
          Memorize(dialog, state);
          return TRUE;
        case IDC_REPORT_DELETE:
          DeleteMemorized(dialog, state);
          return TRUE;
        case IDC_REPORT_START:
        case IDOK:
          if (state->request->memorizeOnly != 0) {
            Memorize(dialog, state);
          } else {
            TakePages(dialog, state, false);
          }
          return TRUE;
        case IDC_HELP_BUTTON: {
          char help[MAX_PATH];
          if (GetAlertHelpPath(help, sizeof help)) WinHelpA(dialog, help, HELP_CONTEXT, 9051);
          return TRUE;
        }
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
        default:
          return FALSE;
      }
    case WM_DESTROY:
      if (state != nullptr) {
        QVUI_RemoveKeyboardHook(dialog);
        RemoveDialogPicture(dialog, IDC_REPORT_BITMAP);
        if (state->bold != nullptr) DeleteObject(state->bold);
        if (state->list != nullptr) QVUI_MyFree2(state->list);
        SetWindowLongPtrA(dialog, DWLP_USER, 0);
        delete state;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

int RunReportDialog(HWND parent, ReportRequest* request) {
  if (request == nullptr || request->report == nullptr) return 0;
  const INT_PTR result = DialogBoxParamA(PluginInstance(), MAKEINTRESOURCEA(IDD_REPORT), parent, &ReportDlg,
                                         reinterpret_cast<LPARAM>(request));
  return result == 1 ? 1 : 0;
}
