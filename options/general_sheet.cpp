// The General sheet: its page table, how it is built, the notifications all
// pages share, and the settings-file helpers of the pages.
#include "general_sheet.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "app/service_password.h"
#include "app_globals.h"
#include "dialog_fonts.h"
#include "program_paths.h"
#include "qv_ui.h"
#include "qv_ui_dialogs.h"
#include "res_templates.h"
#include "res_text.h"

GeneralSheetState g_general;

namespace {

struct PageRow {
  DLGPROC procedure;
  int templateId;
  int helpTopic;
};

constexpr PageRow kPages[kGeneralPageCount] = {
    {ConfigDefaultsDlg, 850, 1015},     {SelectBrowserDlg, 730, 1017},        {ServiceOptionsDlg, 9600, 1023},
    {ProxyOptionsDlg, 10701, 1025},     {EmailOptionsDlg, 10801, 1019},       {RemoteServerOptionsDlg, 31001, 1029},
    {SnmpOptionsDlg, 31009, 1100},
};

constexpr char kExtensionAgentsKey[] = "SYSTEM\\CurrentControlSet\\Services\\SNMP\\Parameters\\ExtensionAgents";
constexpr UINT kGeneralBitmapId = 26568;
constexpr UINT kSheetCaptionId = 10011;

}  // namespace

void ReadIniText(const char* section, const char* key, const char* fallback, char* out, int size) {
  GetPrivateProfileStringA(section, key, fallback, out, static_cast<DWORD>(size), GetIniPath());
}

void WriteIniText(const char* section, const char* key, const char* value) {
  WritePrivateProfileStringA(section, key, value, GetIniPath());
}

int ReadIniInt(const char* section, const char* key, int fallback) {
  char text[32];
  char fallbackText[32];
  std::snprintf(fallbackText, sizeof fallbackText, "%d", fallback);
  ReadIniText(section, key, fallbackText, text, sizeof text);
  return std::atoi(text);
}

void ReadScrambledPassword(const char* section, const char* key, char* out, int size) {
  char stored[kScrambledDigits + 2] = "";
  ReadIniText(section, key, "", stored, sizeof stored);
  // Anything but 80 hexadecimal digits reads as no password.
  if (!DecodeServicePassword(stored, out, static_cast<size_t>(size))) out[0] = '\0';
}

bool WriteScrambledPassword(const char* section, const char* key, const char* plain) {
  char stored[kScrambledDigits + 1];
  if (!EncodeServicePassword(plain, stored, sizeof stored)) return false;
  WriteIniText(section, key, stored);
  return true;
}

void RefuseApply(HWND page, HWND control) {
  MessageBoxA(page, "The password is too long: a password may have at most 35 characters.", kProgramCaption,
              MB_OK | MB_ICONWARNING);
  if (control != nullptr) {
    SetFocus(control);
    SendMessageA(control, EM_SETSEL, 0, -1);
  }
  SetWindowLongPtrA(page, DWL_MSGRESULT, PSNRET_INVALID);
}

bool IsWindowsNt() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

void BuildAgentKeyPath(char* out, size_t outSize) {
  char product[100] = "Product";
  if (g_app.prd.GetProductRegKey != nullptr) g_app.prd.GetProductRegKey(product);
  std::snprintf(out, outSize, "SOFTWARE\\Quorvane Corporation\\%s\\QVAgent", product);
}

int ReadSnmpRegistration(const char* agentKeyPath) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kExtensionAgentsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return -1;
  int state = 0;
  for (DWORD index = 0;; ++index) {
    char name[256];
    BYTE data[256];
    DWORD nameSize = sizeof name;
    DWORD dataSize = sizeof data - 1;
    DWORD type = 0;
    const LONG result = RegEnumValueA(key, index, name, &nameSize, nullptr, &type, data, &dataSize);
    if (result == ERROR_NO_MORE_ITEMS) break;
    if (result != ERROR_SUCCESS) continue;
    data[dataSize < sizeof data ? dataSize : sizeof data - 1] = 0;
    if (strcasecmp(reinterpret_cast<const char*>(data), agentKeyPath) == 0) {
      state = 1;
      break;
    }
  }
  RegCloseKey(key);
  return state;
}

BOOL HandleCommonPageNotify(HWND page, int index, const NMHDR* header) {
  switch (header->code) {
    case PSN_HELP:
      WinHelpA(page, g_app.helpPath, HELP_CONTEXT, static_cast<ULONG_PTR>(kPages[index].helpTopic));
      return TRUE;
    case PSN_SETACTIVE:
      g_general.lastPage = index;
      SetWindowLongPtrA(page, DWL_MSGRESULT, 0);
      return TRUE;
    case PSN_KILLACTIVE:
    case PSN_RESET:
      SetWindowLongPtrA(page, DWL_MSGRESULT, 0);
      return TRUE;
    default: return FALSE;
  }
}

HWND CreateGeneralOptionSheet(HWND frame, HBITMAP* bitmap, RECT* bitmapPart, char* label, char* title) {
  std::strcpy(label, "General");
  std::strcpy(title, "General Options");
  *bitmap = QVUI_GetBitmapHandleFromCache(frame, kGeneralBitmapId, g_app.resourceModule);
  *bitmapPart = RECT{0, 0, 32, 32};

  PROPSHEETPAGEA pages[kGeneralPageCount] = {};
  int count = 0;
  int start = 0;
  for (int i = 0; i < kGeneralPageCount; ++i) {
    std::free(g_general.templates[i]);
    g_general.templates[i] = CopyDialogTemplate(kPages[i].templateId, nullptr);
    if (g_general.templates[i] == nullptr) continue;  // a missing template leaves its page out
    PROPSHEETPAGEA& page = pages[count];
    page.dwSize = sizeof page;
    page.dwFlags = PSP_DLGINDIRECT | PSP_HASHELP;
    page.hInstance = g_app.resourceModule;
    page.pResource = static_cast<LPCDLGTEMPLATEA>(g_general.templates[i]);
    page.pfnDlgProc = kPages[i].procedure;
    page.lParam = i;
    if (i == g_general.lastPage) start = count;
    ++count;
  }
  if (count == 0) return nullptr;

  if (g_general.boldFont != nullptr) DeleteObject(g_general.boldFont);
  g_general.boldFont = QVUI_GetBoldFaceFont(frame);
  g_general.runAsService = g_app.serviceMode;
  g_general.accountChanged = false;
  BuildAgentKeyPath(g_general.agentKeyPath, sizeof g_general.agentKeyPath);
  g_general.snmpRegistration = ReadSnmpRegistration(g_general.agentKeyPath);
  g_general.snmpChoice = g_general.snmpRegistration == 1 ? 1 : 0;
  g_general.ok = false;

  PROPSHEETHEADERA header{};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW;
  header.hwndParent = frame;
  header.hInstance = g_app.resourceModule;
  char caption[kResTextMax + 1];
  header.pszCaption = LoadResText(kSheetCaptionId, caption, sizeof caption);
  header.nPages = static_cast<UINT>(count);
  header.nStartPage = static_cast<UINT>(start);
  header.ppsp = pages;
  return QVUI_PropertySheet(&header);
}

void FreeGeneralSheet() {
  for (void*& copy : g_general.templates) {
    std::free(copy);
    copy = nullptr;
  }
  if (g_general.boldFont != nullptr) {
    DeleteObject(g_general.boldFont);
    g_general.boldFont = nullptr;
  }
}
