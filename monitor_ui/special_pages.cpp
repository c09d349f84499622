// The protocol pages with fields of their own: Disk Space (a drive or UNC
// path and a free-space threshold), ODBC (data source, account, Browse) and
// NT Service (a service of this computer and the restart option).
#include <string>
#include <vector>

#include "connection_text.h"
#include "monitor_ui.h"
#include "probe_libraries.h"
#include "protocol_common.h"

namespace {

using namespace page_ids;

constexpr int kDriveCombo = 1118;
constexpr int kFreeSpace = 1021;
constexpr int kFreeSpaceSpin = 1123;
constexpr int kUserName = 1099;
constexpr int kPassword = 1008;
constexpr int kDataSource = 1026;
constexpr int kBrowse = 1117;
constexpr int kServiceCombo = 1118;
constexpr int kRestart = 1018;
constexpr long kDefaultFreeSpace = 50;
constexpr size_t kFieldLimit = 80;

constexpr char kCaption[] = "Invalid Profile Data";

// ---- Disk Space ----

void FillDrives(HWND page) {
  HWND combo = GetDlgItem(page, kDriveCombo);
  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  char drives[512];
  const DWORD length = GetLogicalDriveStringsA(sizeof drives, drives);
  if (length == 0 || length >= sizeof drives) return;
  for (const char* drive = drives; *drive != '\0'; drive += std::string(drive).size() + 1) {
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(drive));
  }
}

void ShowFreeSpace(HWND page, CMonitorProfile* profile) {
  CMonitorSettings* settings = profile->GetSettings();
  if (settings->GetPortID() == 0) settings->SetPortID(kDefaultFreeSpace);
  SetControlNumber(page, kFreeSpace, settings->GetPortID());
}

bool StoreDiskPage(HWND page, CMonitorProfile* profile, int /*failIndex*/) {
  // Refusals return to the page's own index, 1 in both sheets.
  const int own = MONITOR_DISK_SPACE;
  std::string path = ControlText(page, kDriveCombo, kFieldLimit);
  if (path.empty() && !profile->IsTypeChanged()) {
    Refuse(page, own, kDriveCombo, "You must enter a valid drive letter or UNC path.", kCaption);
    return false;
  }
  if (!path.empty() && path.back() != '\\') {
    // The backslash must fit within the field's 80 characters.
    if (path.size() >= kFieldLimit) {
      Refuse(page, own, kDriveCombo, "The drive or UNC path is too long.", kCaption);
      return false;
    }
    path += '\\';
  }
  CMonitorSettings* settings = profile->GetSettings();
  settings->SetHostName(path.c_str());
  settings->SetUserName(ControlText(page, kUserName, kFieldLimit).c_str());
  settings->SetPassword(ControlText(page, kPassword, kFieldLimit).c_str());
  settings->SetPortID(static_cast<int>(ControlNumber(page, kFreeSpace)));
  return StoreTiming(page, profile, own);
}

// ---- ODBC ----

bool StoreOdbcPage(HWND page, CMonitorProfile* profile, int failIndex) {
  const std::string source = ControlText(page, kDataSource, kFieldLimit);
  if (source.empty() && !profile->IsTypeChanged()) {
    Refuse(page, failIndex, kDataSource, "You must enter a valid ODBC data source name.", kCaption);
    return false;
  }
  CMonitorSettings* settings = profile->GetSettings();
  settings->SetHostName(source.c_str());
  const std::string user = ControlText(page, kUserName, kFieldLimit);
  if (user.empty() && !profile->IsTypeChanged()) {
    Refuse(page, failIndex, kUserName, "You must enter a user name.", kCaption);
    return false;
  }
  settings->SetUserName(user.c_str());
  settings->SetPassword(ControlText(page, kPassword, kFieldLimit).c_str());
  return StoreTiming(page, profile, failIndex);
}

// Lets the driver manager prompt for a data source and takes its DSN, UID and
// PWD into the fields. A cancelled or failed prompt changes nothing.
void BrowseDataSources(HWND page) {
  std::shared_ptr<const OdbcLibrary> odbc = OdbcBinding();
  if (odbc == nullptr) return;
  constexpr SQLUSMALLINT kDriverPrompt = 2;
  SQLHENV environment = nullptr;
  SQLHDBC connection = nullptr;
  if (odbc->allocEnv(&environment) == SQL_SUCCESS && odbc->allocConnect(environment, &connection) == SQL_SUCCESS) {
    SQLCHAR input[1] = {0};
    SQLCHAR output[1025] = {0};
    SQLSMALLINT length = 0;
    const SQLRETURN result =
        odbc->driverConnect(connection, page, input, 0, output, 1024, &length, kDriverPrompt);
    if (result == SQL_SUCCESS || result == SQL_SUCCESS_WITH_INFO) {
      if (length < 0) length = 0;
      if (length > 1024) length = 1024;
      const std::string text(reinterpret_cast<const char*>(output), static_cast<size_t>(length));
      std::string value;
      SetDlgItemTextA(page, kDataSource, ConnectionValue(text, "DSN", &value) ? value.c_str() : "");
      SetDlgItemTextA(page, kUserName, ConnectionValue(text, "UID", &value) ? value.c_str() : "");
      SetDlgItemTextA(page, kPassword, ConnectionValue(text, "PWD", &value) ? value.c_str() : "");
      odbc->disconnect(connection);
    }
  }
  if (connection != nullptr) odbc->freeConnect(connection);
  if (environment != nullptr) odbc->freeEnv(environment);
}

// ---- NT Service ----

std::vector<char> g_services;  // the enumeration, from WM_INITDIALOG to WM_DESTROY

void FillServices(HWND page, CMonitorProfile* profile) {
  HWND combo = GetDlgItem(page, kServiceCombo);
  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  g_services.assign(36, 0);
  DWORD returned = 0;
  if (SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS)) {
    DWORD needed = 0, resume = 0;
    BOOL ok = EnumServicesStatusA(manager, SERVICE_WIN32, SERVICE_STATE_ALL,
                                  reinterpret_cast<LPENUM_SERVICE_STATUSA>(g_services.data()),
                                  static_cast<DWORD>(g_services.size()), &needed, &returned, &resume);
    if (!ok && GetLastError() == ERROR_MORE_DATA) {
      g_services.assign(36 + needed, 0);
      resume = 0;
      ok = EnumServicesStatusA(manager, SERVICE_WIN32, SERVICE_STATE_ALL,
                               reinterpret_cast<LPENUM_SERVICE_STATUSA>(g_services.data()),
                               static_cast<DWORD>(g_services.size()), &needed, &returned, &resume);
    }
    if (!ok) returned = 0;
    CloseServiceHandle(manager);
  }
  const auto* services = reinterpret_cast<const ENUM_SERVICE_STATUSA*>(g_services.data());
  const CMonitorSettings* settings = profile->GetSettings();
  for (DWORD i = 0; i < returned; ++i) {
    const LRESULT index = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(services[i].lpDisplayName));
    if (index >= 0) {
      SendMessageA(combo, CB_SETITEMDATA, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(services[i].lpServiceName));
    }
  }
  if (returned == 0 && IsEditSheet(profile) && settings->GetHostName()[0] != '\0') {
    // The stored service stays visible (its key is not known here).
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(settings->GetHostName()));
  }
  const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const auto* key = reinterpret_cast<const char*>(SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0));
    if (key != nullptr && std::string(key) == settings->GetHostPath()) {
      SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
      break;
    }
  }
}

bool StoreServicePage(HWND page, CMonitorProfile* profile, int failIndex) {
  HWND combo = GetDlgItem(page, kServiceCombo);
  const LRESULT index = SendMessageA(combo, CB_GETCURSEL, 0, 0);
  std::string name;
  const char* key = nullptr;
  if (index >= 0) {
    char text[256];
    SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    name = text;
    key = reinterpret_cast<const char*>(SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
  }
  if (name.empty()) {
    Refuse(page, failIndex, kServiceCombo, "You must select a NT Service.", kCaption);
    return false;
  }
  CMonitorSettings* settings = profile->GetSettings();
  settings->SetHostName(name.c_str());
  settings->SetHostPath(key != nullptr && key != reinterpret_cast<const char*>(CB_ERR) ? key : settings->GetHostPath());
  settings->SetPortID(IsChecked(page, kRestart) ? 1 : 0);
  return StoreTiming(page, profile, failIndex);
}

void FreeSpaceStep(HWND page, LPARAM lParam) {
  const auto* change = reinterpret_cast<const NMUPDOWN*>(lParam);
  StepNumber(page, kFreeSpace, change->iDelta, 1, 2000);
}

bool IsFreeSpaceSpin(LPARAM lParam) {
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  return header != nullptr && header->code == UDN_DELTAPOS && header->idFrom == static_cast<UINT_PTR>(kFreeSpaceSpin);
}

}  // namespace

INT_PTR CALLBACK DiskSpaceMonitorDlg(HWND page, UINT message, WPARAM /*wParam*/, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      CMonitorProfile* profile = InitProtocolPage(page, MONITOR_DISK_SPACE, lParam);
      SendDlgItemMessageA(page, kDriveCombo, CB_LIMITTEXT, kFieldLimit, 0);
      SendDlgItemMessageA(page, kFreeSpace, EM_LIMITTEXT, 5, 0);
      SendDlgItemMessageA(page, kUserName, EM_LIMITTEXT, kFieldLimit, 0);
      SendDlgItemMessageA(page, kPassword, EM_LIMITTEXT, kFieldLimit, 0);
      FillDrives(page);
      if (profile == nullptr) return TRUE;
      const CMonitorSettings* settings = profile->GetSettings();
      SetDlgItemTextA(page, kDriveCombo, settings->GetHostName());
      SetDlgItemTextA(page, kUserName, settings->GetUserName());
      SetDlgItemTextA(page, kPassword, settings->GetPassword());
      ShowFreeSpace(page, profile);
      return TRUE;
    }
    case WM_NOTIFY:
      if (IsFreeSpaceSpin(lParam)) {
        FreeSpaceStep(page, lParam);
        return Answer(page, 0);
      }
      return ProtocolNotify(page, MONITOR_DISK_SPACE, 9003, lParam, StoreDiskPage, ShowFreeSpace);
    case WM_DESTROY:
      ReleasePageDecor(page);
      return FALSE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK OdbcMonitorDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      CMonitorProfile* profile = InitProtocolPage(page, MONITOR_ODBC, lParam);
      SendDlgItemMessageA(page, kDataSource, EM_LIMITTEXT, kFieldLimit, 0);
      SendDlgItemMessageA(page, kUserName, EM_LIMITTEXT, kFieldLimit, 0);
      SendDlgItemMessageA(page, kPassword, EM_LIMITTEXT, kFieldLimit, 0);
      EnableWindow(GetDlgItem(page, kBrowse), OdbcBinding() != nullptr);
      if (profile == nullptr) return TRUE;
      const CMonitorSettings* settings = profile->GetSettings();
      SetDlgItemTextA(page, kDataSource, settings->GetHostName());
      SetDlgItemTextA(page, kUserName, settings->GetUserName());
      SetDlgItemTextA(page, kPassword, settings->GetPassword());
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == kBrowse && HIWORD(wParam) == BN_CLICKED) {
        BrowseDataSources(page);
        return TRUE;
      }
      return FALSE;
    case WM_NOTIFY:
      return ProtocolNotify(page, MONITOR_ODBC, 9019, lParam, StoreOdbcPage, nullptr);
    case WM_DESTROY:
      ReleasePageDecor(page);
      return FALSE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK NtServiceMonitorDlg(HWND page, UINT message, WPARAM /*wParam*/, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      CMonitorProfile* profile = InitProtocolPage(page, MONITOR_NT_SERVICE, lParam);
      if (profile == nullptr) return TRUE;
      FillServices(page, profile);
      SetChecked(page, kRestart, profile->GetSettings()->GetPortID() != 0);
      return TRUE;
    }
    case WM_NOTIFY:
      return ProtocolNotify(page, MONITOR_NT_SERVICE, 0, lParam, StoreServicePage, nullptr);
    case WM_DESTROY:
      ReleasePageDecor(page);
      g_services.clear();
      g_services.shrink_to_fit();
      return FALSE;
    default:
      return FALSE;
  }
}
