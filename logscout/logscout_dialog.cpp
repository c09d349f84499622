// LogFinderDlg: host, user and password for the provider, automatic or manual.
#include <cstdio>
#include <cstring>

#include "logscout_ids.h"
#include "logscout_internal.h"
#include "qv_ui_dialogs.h"  // the bitmap statics

namespace {

// The provider's own home page for "626".
constexpr char kHomePage626[] = "http://members.hosting-626.example/";

struct DialogState {
  LogscoutProfile* profile = nullptr;
  HFONT font = nullptr;
};

void EnableFields(HWND dialog) {
  const BOOL automatic = IsDlgButtonChecked(dialog, IDC_LS_AUTOMATIC) == BST_CHECKED;
  for (int id : {IDC_LS_HOST, IDC_LS_USER, IDC_LS_PASSWORD, IDC_LS_HOST_LABEL, IDC_LS_USER_LABEL,
                 IDC_LS_PASSWORD_LABEL, IDC_LS_EXAMPLE}) {
    EnableWindow(GetDlgItem(dialog, id), automatic);
  }
}

std::string Field(HWND dialog, int id) {
  char text[kLogscoutText] = "";
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}

// Fills the record for the provider from the values typed in.
void FillRecord(LogscoutProfile* p) {
  LogscoutLogSource& first = p->sources[0];
  const std::string host = first.host;
  const std::string user = first.user;
  const char* code = p->providerCode;
  first.kind = 0;
  first.second = 0;
  first.flag = 0;
  CopyField(first.homePage, sizeof first.homePage, "http://" + host + "/index.html");
  p->sourceCount = 1;
  if (SameCode(code, "404") || SameCode(code, "444")) {
    CopyField(first.logUrl, sizeof first.logUrl, "ftp://" + host + "/stats/access_log|*.gz");
    first.flag = 1;
    const char* paths[2] = {"/stats/referer_log", "/stats/agent_log"};
    const uint16_t kinds[2] = {7, 8};
    for (int i = 0; i < 2; ++i) {
      LogscoutLogSource& s = p->sources[i + 1];
      std::memset(&s, 0, sizeof s);
      s.kind = kinds[i];
      std::memcpy(s.host, first.host, sizeof s.host);
      std::memcpy(s.user, first.user, sizeof s.user);
      std::memcpy(s.password, first.password, sizeof s.password);
      CopyField(s.logUrl, sizeof s.logUrl, "ftp://" + host + paths[i]);
    }
    p->sourceCount = 3;
  } else if (SameCode(code, "456")) {
    CopyField(first.logUrl, sizeof first.logUrl, "ftp://" + host + "/log/*.gz");
  } else if (SameCode(code, "620")) {
    first.logUrl[0] = '\0';  // the search settles it
  } else if (SameCode(code, "626")) {
    CopyField(first.logUrl, sizeof first.logUrl, "ftp://" + host + "/webadmin/home/pub/" + user + "/public_html/httpd_access*");
    CopyField(first.homePage, sizeof first.homePage, kHomePage626);
  } else if (SameCode(code, "646")) {
    CopyField(first.logUrl, sizeof first.logUrl, "http://" + host + "/stats/access.log");
  }
}

}  // namespace

INT_PTR CALLBACK LogFinderDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      state = new DialogState;
      state->profile = reinterpret_cast<LogscoutProfile*>(lParam);
      SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
      LogscoutProfile* p = state->profile;
      if (p->fontCallback != nullptr) state->font = p->fontCallback(dialog);
      if (p->labelCallback != nullptr) {
        for (int id : {IDC_LS_HOST_LABEL, IDC_LS_USER_LABEL, IDC_LS_PASSWORD_LABEL}) {
          p->labelCallback(dialog, id, state->font);
        }
      }
      // The caller's texts may fill their fields without an end.
      const LogscoutLogSource& first = p->sources[0];
      SetDlgItemTextA(dialog, IDC_LS_HOST, std::string(first.host, strnlen(first.host, sizeof first.host)).c_str());
      SetDlgItemTextA(dialog, IDC_LS_USER, std::string(first.user, strnlen(first.user, sizeof first.user)).c_str());
      SetDlgItemTextA(dialog, IDC_LS_PASSWORD,
                      std::string(first.password, strnlen(first.password, sizeof first.password)).c_str());
      CheckRadioButton(dialog, IDC_LS_AUTOMATIC, IDC_LS_MANUAL, IDC_LS_AUTOMATIC);
      EnableFields(dialog);
      QVUI_SubclassFancyBitmap(GetDlgItem(dialog, IDC_LS_BITMAP), QVUI_GetBitmapResource(14), QVUI_GetBitmapInstance());
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_LS_AUTOMATIC:
        case IDC_LS_MANUAL:
          if (HIWORD(wParam) == BN_CLICKED) EnableFields(dialog);
          return TRUE;
        case IDOK: {
          if (IsDlgButtonChecked(dialog, IDC_LS_AUTOMATIC) != BST_CHECKED) {
            EndDialog(dialog, -1);
            return TRUE;
          }
          LogscoutLogSource& first = state->profile->sources[0];
          CopyField(first.host, sizeof first.host, Field(dialog, IDC_LS_HOST));
          CopyField(first.user, sizeof first.user, Field(dialog, IDC_LS_USER));
          CopyField(first.password, sizeof first.password, Field(dialog, IDC_LS_PASSWORD));
          FillRecord(state->profile);
          EndDialog(dialog, 1);
          return TRUE;
        }
        case IDCANCEL:
          EndDialog(dialog, 2);
          return TRUE;
        default:
          return FALSE;
      }
    case WM_CLOSE:
      EndDialog(dialog, 2);
      return TRUE;
    case WM_DESTROY:
      QVUI_UnsubclassWindow(GetDlgItem(dialog, IDC_LS_BITMAP));
      if (state != nullptr) {
        if (state->font != nullptr) DeleteObject(state->font);
        delete state;
        SetWindowLongPtrA(dialog, DWLP_USER, 0);
      }
      return FALSE;
    default:
      return FALSE;
  }
}
