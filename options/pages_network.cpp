// The General sheet's network pages: proxy servers, e-mail, the remote report
// server and the SNMP agent.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <strings.h>

#include "app/service_password.h"
#include "app_globals.h"
#include "general_sheet.h"
#include "netapi_lazy.h"
#include "res_templates.h"
#include "res_text.h"
#include "settings_keys.h"
#include "settings_values.h"

namespace {

constexpr int kProxyPage = 3;
constexpr int kEmailPage = 4;
constexpr int kRemotePage = 5;
constexpr int kSnmpPage = 6;

void SetBold(HWND page, int first, int last) {
  if (g_general.boldFont == nullptr) return;
  for (int id = first; id <= last; ++id)
    SendDlgItemMessageA(page, id, WM_SETFONT, reinterpret_cast<WPARAM>(g_general.boldFont), FALSE);
}

bool Checked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }

void Enable(HWND page, int id, bool on) { EnableWindow(GetDlgItem(page, id), on ? TRUE : FALSE); }

// A port field's number: 1-65535, else 0.
unsigned ValidPort(HWND page, int id) {
  char text[16] = "";
  GetDlgItemTextA(page, id, text, sizeof text);
  if (text[0] == '\0') return 0;
  char* end = nullptr;
  const unsigned long value = std::strtoul(text, &end, 10);
  if (*end != '\0' || text[0] == '-' || text[0] == '+' || value < 1 || value > 65535) return 0;
  return static_cast<unsigned>(value);
}

void FinishApply(HWND page) {
  g_general.ok = true;
  SendMessageA(GetParent(page), PSM_CANCELTOCLOSE, 0, 0);
}

// ---- Proxy ----

void ShowHostAndPort(HWND page, const char* key, int hostId, int portId) {
  char value[ini::kProxyLen + 1];
  ReadIniText(ini::kDefaults, key, "", value, sizeof value);
  unsigned port = 80;
  if (char* colon = std::strchr(value, ':')) {
    *colon = '\0';
    port = static_cast<unsigned>(std::strtoul(colon + 1, nullptr, 10));
  }
  SetDlgItemTextA(page, hostId, value);
  if (value[0] != '\0') SetDlgItemInt(page, portId, port, FALSE);
}

void WriteHostAndPort(HWND page, const char* key, int hostId, int portId) {
  char host[ini::kProxyLen + 1] = "";
  GetDlgItemTextA(page, hostId, host, sizeof host - 8);
  const unsigned port = ValidPort(page, portId);
  if (host[0] != '\0' && port != 0) {
    const size_t length = std::strlen(host);
    std::snprintf(host + length, sizeof host - length, ":%u", port);
  }
  WriteIniText(ini::kDefaults, key, host);
}

void EnableProxy(HWND page) {
  const bool on = Checked(page, 10702);
  for (int id = 10703; id <= 10711; ++id) Enable(page, id, on);
  Enable(page, 10800, on);
}

void EditProxyLogon(HWND page) {
  CyberLogin record{};
  record.helpKind = 0;
  const char* colon = std::strchr(g_general.proxyAuth, ':');
  const size_t userLength = colon != nullptr ? static_cast<size_t>(colon - g_general.proxyAuth)
                                             : std::strlen(g_general.proxyAuth);
  std::snprintf(record.user, sizeof record.user, "%.*s", static_cast<int>(userLength), g_general.proxyAuth);
  if (colon != nullptr) std::snprintf(record.password, sizeof record.password, "%s", colon + 1);
  LPCDLGTEMPLATEA dialog = LoadDialogTemplate(820);
  if (dialog == nullptr) return;
  if (DialogBoxIndirectParamA(g_app.resourceModule, dialog, page, CyberLoginDlg, reinterpret_cast<LPARAM>(&record)) !=
      1)
    return;
  if (record.user[0] != '\0')
    std::snprintf(g_general.proxyAuth, sizeof g_general.proxyAuth, "%s:%s", record.user, record.password);
  else
    g_general.proxyAuth[0] = '\0';
}

// ---- Remote server ----

char g_webAddress[ini::kProxyLen + 1];

std::string Narrow(LPCWSTR wide) {
  char text[512] = "";
  if (wide != nullptr) WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
  return text;
}

void FillAdministrators(HWND combo) {
  DWORD_PTR groupResume = 0;
  NET_API_STATUS status;
  do {
    LPBYTE buffer = nullptr;
    DWORD read = 0, total = 0;
    status = LazyNetLocalGroupEnum(nullptr, 0, &buffer, MAX_PREFERRED_LENGTH, &read, &total, &groupResume);
    if ((status == NERR_Success || status == ERROR_MORE_DATA) && buffer != nullptr) {
      const auto* groups = reinterpret_cast<const LOCALGROUP_INFO_0*>(buffer);
      for (DWORD i = 0; i < read; ++i) {
        const std::string entry = "[" + Narrow(groups[i].lgrpi0_name) + "]";
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
      }
    }
    if (buffer != nullptr) LazyNetApiBufferFree(buffer);
  } while (status == ERROR_MORE_DATA);
  DWORD userResume = 0;
  do {
    LPBYTE buffer = nullptr;
    DWORD read = 0, total = 0;
    status = LazyNetUserEnum(nullptr, 0, FILTER_NORMAL_ACCOUNT, &buffer, MAX_PREFERRED_LENGTH, &read, &total,
                             &userResume);
    if ((status == NERR_Success || status == ERROR_MORE_DATA) && buffer != nullptr) {
      const auto* users = reinterpret_cast<const USER_INFO_0*>(buffer);
      for (DWORD i = 0; i < read; ++i) {
        const std::string entry = Narrow(users[i].usri0_name);
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
      }
    }
    if (buffer != nullptr) LazyNetApiBufferFree(buffer);
  } while (status == ERROR_MORE_DATA);
}

void SelectAdministrator(HWND combo) {
  char admin[ini::kProxyLen + 1];
  ReadIniText(ini::kDefaults, ini::kWebAdmin, "", admin, sizeof admin);
  const int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
  int chosen = -1;
  int administrator = -1;
  for (int i = 0; i < count && chosen < 0; ++i) {
    char item[300] = "";
    if (SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0) >= static_cast<LRESULT>(sizeof item)) continue;
    SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
    if (admin[0] == 'g' && item[0] == '[') {
      const size_t length = std::strlen(admin + 1);
      if (std::strncmp(item + 1, admin + 1, length) == 0 && item[1 + length] == ']') chosen = i;
    } else if (admin[0] == 'u' && item[0] != '[' && std::strcmp(item, admin + 1) == 0) {
      chosen = i;
    }
    if (administrator < 0 && item[0] != '[' && strcasecmp(item, "Administrator") == 0) administrator = i;
  }
  if (chosen < 0) chosen = administrator >= 0 ? administrator : 0;
  SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
}

constexpr int kRemoteControls[] = {1065, 1066, 8102, 1072, 1083, 1084, 1075, 1076};

void EnableRemote(HWND page) {
  const bool on = Checked(page, 1064);
  for (int id : kRemoteControls) Enable(page, id, on);
  Enable(page, 1073, on && Checked(page, 1076));
  Enable(page, 1070, on && Checked(page, 1075));
  if (!on) return;
  if (Checked(page, 1072)) {
    Enable(page, 1065, false);
    SetDlgItemTextA(page, 1065, "<All Addresses>");
  } else {
    SetDlgItemTextA(page, 1065, g_webAddress);
  }
}

void InitRemote(HWND page) {
  if (!IsWindowsNt()) {
    for (HWND child = GetWindow(page, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
      EnableWindow(child, FALSE);
    return;
  }
  LVCOLUMNA column{};
  column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
  column.fmt = LVCFMT_CENTER;
  column.cx = 300;
  column.pszText = const_cast<char*>("Username");
  SendDlgItemMessageA(page, 1068, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));

  char text[ini::kProxyLen + 1];
  ReadIniText(ini::kDefaults, ini::kWebEnable, ini::kDefaultWebEnable, text, sizeof text);
  CheckDlgButton(page, 1064, IsWebEnabledValue(text) ? BST_CHECKED : BST_UNCHECKED);
  ReadIniText(ini::kDefaults, ini::kWebAddress, "", text, sizeof text);
  char port[16] = "99";
  if (char* colon = std::strchr(text, ':')) {
    *colon = '\0';
    std::snprintf(port, sizeof port, "%.15s", colon + 1);
  }
  std::strcpy(g_webAddress, text);
  SetDlgItemTextA(page, 1065, text);
  SetDlgItemTextA(page, 1066, port);
  CheckDlgButton(page, 1072, text[0] == '\0' ? BST_CHECKED : BST_UNCHECKED);
  const int days = ReadIniInt(ini::kDefaults, ini::kWebNoDays, ini::kDefaultWebNoDays);
  CheckDlgButton(page, 1075, days > 0 ? BST_CHECKED : BST_UNCHECKED);
  SetDlgItemInt(page, 1070, static_cast<UINT>(days < 0 ? -days : days), FALSE);
  const int reports = ReadIniInt(ini::kDefaults, ini::kWebNoReports, ini::kDefaultWebNoReports);
  CheckDlgButton(page, 1076, reports > 0 ? BST_CHECKED : BST_UNCHECKED);
  SetDlgItemInt(page, 1073, static_cast<UINT>(reports < 0 ? -reports : reports), FALSE);
  CheckDlgButton(page, 1083, ReadIniInt(ini::kDefaults, ini::kWebLogging, 0) > 0 ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(page, 1084, ReadIniInt(ini::kDefaults, ini::kWebAllowReport, 1) > 0 ? BST_CHECKED : BST_UNCHECKED);
  HWND admin = GetDlgItem(page, 8102);
  FillAdministrators(admin);
  SelectAdministrator(admin);
  EnableRemote(page);
}

// TRUE unless the account lacks the right to log users on, which the server needs.
bool MayServeRemotely(HWND page) {
  HANDLE token = nullptr;
  if (LogonUserA("LocalSystem", "", "MORLIVEX", LOGON32_LOGON_INTERACTIVE, LOGON32_PROVIDER_DEFAULT, &token)) {
    CloseHandle(token);
    return true;
  }
  if (GetLastError() != ERROR_PRIVILEGE_NOT_HELD) return true;
  char text[kResTextMax + 1];
  MessageBoxA(page, LoadResText(5718, text, sizeof text), kProgramCaption, MB_OK | MB_ICONWARNING);
  return false;
}

void WriteKeepCount(HWND page, const char* key, int fieldId, int boxId, int fallback) {
  BOOL ok = FALSE;
  int value = static_cast<int>(GetDlgItemInt(page, fieldId, &ok, FALSE));
  if (!ok || value <= 0) value = fallback;
  if (!Checked(page, boxId)) value = -value;
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  WriteIniText(ini::kDefaults, key, text);
}

void ApplyRemote(HWND page) {
  // The server runs only on Windows NT; elsewhere the page was disabled and
  // its stored settings stay as they are.
  if (!IsWindowsNt()) return;
  const bool enable = Checked(page, 1064) && MayServeRemotely(page);
  WriteIniText(ini::kDefaults, ini::kWebEnable, BoolWord(enable));
  char address[ini::kProxyLen + 1] = "";
  if (!Checked(page, 1072)) GetDlgItemTextA(page, 1065, address, sizeof address - 8);
  if (const unsigned port = ValidPort(page, 1066)) {
    const size_t length = std::strlen(address);
    std::snprintf(address + length, sizeof address - length, ":%u", port);
  }
  WriteIniText(ini::kDefaults, ini::kWebAddress, address);
  char admin[ini::kProxyLen + 2] = "";
  char chosen[ini::kProxyLen + 1] = "";
  GetDlgItemTextA(page, 8102, chosen, sizeof chosen);
  if (chosen[0] == '[') {
    char* end = std::strchr(chosen + 1, ']');
    if (end != nullptr) *end = '\0';
    std::snprintf(admin, sizeof admin, "g%s", chosen + 1);
  } else {
    std::snprintf(admin, sizeof admin, "u%s", chosen);
  }
  WriteIniText(ini::kDefaults, ini::kWebAdmin, admin);
  WriteKeepCount(page, ini::kWebNoReports, 1073, 1076, ini::kDefaultWebNoReports);
  WriteKeepCount(page, ini::kWebNoDays, 1070, 1075, ini::kDefaultWebNoDays);
  WriteIniText(ini::kDefaults, ini::kWebLogging, Checked(page, 1083) ? "1" : "0");
  WriteIniText(ini::kDefaults, ini::kWebAllowReport, Checked(page, 1084) ? "1" : "0");
}

// ---- E-mail ----

void EnableMailSystem(HWND page, bool mapi) {
  for (int id = 10804; id <= 10806; ++id) Enable(page, id, !mapi);
  for (int id = 10807; id <= 10808; ++id) Enable(page, id, mapi);
}

void InitEmail(HWND page) {
  SetBold(page, 10708, 10710);
  char text[ini::kEmailLen + 1];
  ReadIniText(ini::kEmail, ini::kEmailType, ini::kDefaultEmailType, text, sizeof text);
  const bool mapi = text[0] == 'M' || text[0] == 'm';
  CheckDlgButton(page, mapi ? 10803 : 10802, BST_CHECKED);
  EnableMailSystem(page, mapi);
  ReadIniText(ini::kEmail, ini::kSubject, ini::kDefaultSubject, text, sizeof text);
  SetDlgItemTextA(page, 10900, text);
  ReadIniText(ini::kEmail, ini::kSmtpServer, "", text, sizeof text);
  SetDlgItemTextA(page, 10804, text[0] != '\0' ? text : ini::kDefaultSmtpServer);
  ReadIniText(ini::kEmail, ini::kFrom, "", text, sizeof text);
  SetDlgItemTextA(page, 10805, text[0] != '\0' ? text : ini::kDefaultSender);
  ReadIniText(ini::kEmail, ini::kReplyTo, "", text, sizeof text);
  SetDlgItemTextA(page, 10806, text[0] != '\0' ? text : ini::kDefaultSender);
  ReadIniText(ini::kEmail, ini::kMapiProfile, "", text, sizeof text);
  SetDlgItemTextA(page, 10807, text);
  ReadScrambledPassword(ini::kEmail, ini::kMapiPassword, text, sizeof text);
  SetDlgItemTextA(page, 10808, text);
  SendDlgItemMessageA(page, 10808, EM_LIMITTEXT, kMaxEncodedPassword, 0);
}

bool ApplyEmail(HWND page) {
  char password[256] = "";
  GetDlgItemTextA(page, 10808, password, sizeof password);
  if (std::strlen(password) > static_cast<size_t>(kMaxEncodedPassword)) {
    RefuseApply(page, GetDlgItem(page, 10808));
    return false;
  }
  FinishApply(page);
  WriteIniText(ini::kEmail, ini::kEmailType, Checked(page, 10803) ? "MAPI" : "SMTP");
  const std::pair<int, const char*> fields[] = {{10900, ini::kSubject},    {10804, ini::kSmtpServer},
                                                {10805, ini::kFrom},       {10806, ini::kReplyTo},
                                                {10807, ini::kMapiProfile}};
  for (const auto& [id, key] : fields) {
    char text[ini::kEmailLen + 1] = "";
    GetDlgItemTextA(page, id, text, ini::kEmailLen);
    WriteIniText(ini::kEmail, key, text);
  }
  WriteScrambledPassword(ini::kEmail, ini::kMapiPassword, password);
  return true;
}

LRESULT Answer(HWND page, LRESULT value) {
  SetWindowLongPtrA(page, DWL_MSGRESULT, value);
  return TRUE;
}

}  // namespace

INT_PTR CALLBACK ProxyOptionsDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      SetBold(page, 10708, 10710);
      char text[ini::kProxyLen + 1];
      ReadIniText(ini::kDefaults, ini::kProxyEnable, "", text, sizeof text);
      CheckDlgButton(page, 10702, IsProxyEnabledValue(text) ? BST_CHECKED : BST_UNCHECKED);
      ShowHostAndPort(page, ini::kHttpProxy, 10703, 10704);
      ReadIniText(ini::kDefaults, ini::kHttpProxyAuth, "", g_general.proxyAuth, sizeof g_general.proxyAuth);
      ShowHostAndPort(page, ini::kFtpProxy, 10706, 10707);
      EnableProxy(page);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == 10702) {
        EnableProxy(page);
        return TRUE;
      }
      if (LOWORD(wParam) == 10705 && HIWORD(wParam) == BN_CLICKED) {
        EditProxyLogon(page);
        return TRUE;
      }
      return FALSE;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->code != PSN_APPLY) return HandleCommonPageNotify(page, kProxyPage, header);
      FinishApply(page);
      WriteIniText(ini::kDefaults, ini::kProxyEnable, BoolWord(Checked(page, 10702)));
      WriteHostAndPort(page, ini::kHttpProxy, 10703, 10704);
      WriteIniText(ini::kDefaults, ini::kHttpProxyAuth, g_general.proxyAuth);
      WriteHostAndPort(page, ini::kFtpProxy, 10706, 10707);
      return Answer(page, PSNRET_NOERROR);
    }
    default: return FALSE;
  }
}

INT_PTR CALLBACK EmailOptionsDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: InitEmail(page); return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == 10802 || LOWORD(wParam) == 10803) {
        EnableMailSystem(page, LOWORD(wParam) == 10803);
        return TRUE;
      }
      return FALSE;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->code != PSN_APPLY) return HandleCommonPageNotify(page, kEmailPage, header);
      if (ApplyEmail(page)) Answer(page, PSNRET_NOERROR);
      return TRUE;
    }
    default: return FALSE;
  }
}

INT_PTR CALLBACK RemoteServerOptionsDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: InitRemote(page); return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case 1064:
        case 1072:
        case 1075:
        case 1076:
          if (IsWindowsNt()) {
            if (LOWORD(wParam) == 1072 && Checked(page, 1072) && Checked(page, 1064)) {
              // Remember what the user typed before it is replaced.
              char typed[ini::kProxyLen + 1] = "";
              GetDlgItemTextA(page, 1065, typed, sizeof typed);
              if (std::strcmp(typed, "<All Addresses>") != 0) std::strcpy(g_webAddress, typed);
            }
            EnableRemote(page);
          }
          return TRUE;
        default: return FALSE;
      }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->code != PSN_APPLY) return HandleCommonPageNotify(page, kRemotePage, header);
      FinishApply(page);
      ApplyRemote(page);
      return Answer(page, PSNRET_NOERROR);
    }
    default: return FALSE;
  }
}

INT_PTR CALLBACK SnmpOptionsDlg(HWND page, UINT message, WPARAM, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      g_general.snmpChoice = g_general.snmpRegistration == 1 ? 1 : 0;
      if (g_general.snmpRegistration == -1) {
        EnableWindow(GetDlgItem(page, 1148), FALSE);
      } else {
        char text[kResTextMax + 1];
        SetDlgItemTextA(page, 1147, LoadResText(32153, text, sizeof text));
        CheckDlgButton(page, 1148, g_general.snmpRegistration == 1 ? BST_CHECKED : BST_UNCHECKED);
      }
      return TRUE;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->code != PSN_APPLY) return HandleCommonPageNotify(page, kSnmpPage, header);
      FinishApply(page);
      g_general.snmpChoice = Checked(page, 1148) ? 1 : 0;
      return Answer(page, PSNRET_NOERROR);
    }
    default: return FALSE;
  }
}
