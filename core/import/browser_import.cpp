// The browser search and the take-over of its proxy settings.
#include "browser_import.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "program_paths.h"
#include "qv_ui.h"
#include "settings.h"
#include "settings_keys.h"
#include "settings_values.h"

namespace {

struct RegistryRow {
  const char* key;
  const char* program;
  const char* browser;
};
constexpr RegistryRow kRegistryRows[] = {
    {"SOFTWARE\\Classes\\http\\shell\\open\\command", "NETSCAPE.EXE", "Default Browser"},
    {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Netscape.exe", "NETSCAPE.EXE", "Netscape Navigator"},
    {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE", "IEXPLORE.EXE", "Internet Explorer"},
};

struct IniRow {
  const char* file;  // null: the Windows profile file
  const char* section;
  const char* key;
  const char* program;
  const char* browser;
};
constexpr IniRow kIniRows[] = {
    {nullptr, "Netscape", "ini", "NETSCAPE.EXE", "Netscape Navigator"},
    {"MOSAIC.INI", "Document Caching", "Cache Directory", "MOSAIC.EXE", "Mosaic"},
    {"QDECK.INI", "QMOSAIC", "Program", "QMOSAIC.EXE", "Quarterdeck QMosaic"},
    {"WEBSTATN.INI", "Setup", "BaseDir", "BROWSE95.EXE", "Oracle PowerBrowser"},
};

struct FixedRow {
  const char* path;
  const char* browser;
};
constexpr FixedRow kFixedRows[] = {
    {"C:\\Program Files\\Plus!\\Microsoft Internet\\iexplore.exe", "Internet Explorer"},
    {"C:\\PROGRA~1\\PLUS!\\MICROS~1\\IEXPLORE.EXE", "Internet Explorer"},
    {"C:\\Program Files\\Netscape\\Navigator\\Program\\Netscape.exe", "Netscape Navigator"},
    {"C:\\PROGRA~1\\NETSCAPE\\NAVIGA~1\\PROGRAM\\NETSCAPE.EXE", "Netscape Navigator"},
    {"C:\\WEBSITE\\EMOSAIC\\EMOSAIC.EXE", "Web Site EMosaic"},
};

bool g_proxyImported = false;

void ToUpper(char* text) {
  for (; *text; ++text) *text = static_cast<char>(std::toupper(static_cast<unsigned char>(*text)));
}
void ToLower(char* text) {
  for (; *text; ++text) *text = static_cast<char>(std::tolower(static_cast<unsigned char>(*text)));
}

// The default value of a key under HKEY_LOCAL_MACHINE; false when absent.
bool ReadDefaultValue(const char* key, char* out, DWORD size) {
  HKEY handle = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  DWORD length = size - 1;
  const LONG result = RegQueryValueExA(handle, nullptr, nullptr, nullptr, reinterpret_cast<LPBYTE>(out), &length);
  RegCloseKey(handle);
  if (result != ERROR_SUCCESS) return false;
  out[length < size ? length : size - 1] = '\0';
  return true;
}

// A registry command text made into a program path: the first quoted word
// (or the whole text), upper-cased, a folder completed with the program
// name, cut just after its first ".EXE".
void RegistryCommandToPath(const char* text, const char* program, char* path) {
  while (*text == '"') ++text;
  size_t length = 0;
  while (text[length] != '\0' && text[length] != '"' && length < kBrowserPathSize - 1) ++length;
  std::memcpy(path, text, length);
  path[length] = '\0';
  ToUpper(path);
  if (std::strstr(path, "EXE") == nullptr) {
    length = std::strlen(path);
    std::string full(path);
    if (length == 0 || path[length - 1] != '\\') full += '\\';
    full += program;
    std::snprintf(path, kBrowserPathSize, "%s", full.c_str());
  }
  if (char* exe = std::strstr(path, ".EXE")) exe[4] = '\0';
}

void WriteProxy(const char* host) {
  const char* ini = GetIniPath();
  WritePrivateProfileStringA(ini::kDefaults, ini::kProxyEnable, BoolWord(true), ini);
  WritePrivateProfileStringA(ini::kDefaults, ini::kHttpProxy, host, ini);
  WritePrivateProfileStringA(ini::kDefaults, ini::kHttpProxyAuth, "", ini);
  g_proxyImported = true;
}

void ImportExplorerProxy() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", 0, KEY_READ,
                    &key) != ERROR_SUCCESS)
    return;
  BYTE enable[16] = {};
  DWORD size = sizeof enable;
  char server[101] = "";
  if (RegQueryValueExA(key, "ProxyEnable", nullptr, nullptr, enable, &size) == ERROR_SUCCESS && size > 0 &&
      enable[0] == 1) {
    size = sizeof server - 1;
    if (RegQueryValueExA(key, "ProxyServer", nullptr, nullptr, reinterpret_cast<LPBYTE>(server), &size) !=
        ERROR_SUCCESS)
      server[0] = '\0';
    server[sizeof server - 1] = '\0';
    char host[101];
    ExplorerProxyText(server, host, sizeof host);
    if (host[0] != '\0') WriteProxy(host);
  }
  RegCloseKey(key);
}

void ImportNetscapeProxy() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Netscape\\Netscape Navigator\\Proxy Information", 0, KEY_READ,
                    &key) != ERROR_SUCCESS)
    return;
  BYTE type[16] = {};
  DWORD size = sizeof type;
  if (RegQueryValueExA(key, "Proxy Type", nullptr, nullptr, type, &size) == ERROR_SUCCESS && size > 0 &&
      type[0] == 1) {
    char server[101] = "";
    size = sizeof server - 1;
    if (RegQueryValueExA(key, "HTTP_Proxy", nullptr, nullptr, reinterpret_cast<LPBYTE>(server), &size) !=
        ERROR_SUCCESS)
      server[0] = '\0';
    server[sizeof server - 1] = '\0';
    DWORD port = 0;
    size = sizeof port;
    const bool havePort =
        RegQueryValueExA(key, "Http_ProxyPort", nullptr, nullptr, reinterpret_cast<LPBYTE>(&port), &size) ==
            ERROR_SUCCESS &&
        size == sizeof port;
    char host[120];
    NetscapeProxyText(server, havePort, port, host, sizeof host);
    if (host[0] != '\0') WriteProxy(host);
  }
  RegCloseKey(key);
}

}  // namespace

void ExplorerProxyText(const char* proxyServer, char* out, size_t size) {
  char text[101];
  std::snprintf(text, sizeof text, "%s", proxyServer != nullptr ? proxyServer : "");
  ToLower(text);
  const char* start = std::strstr(text, "http=");
  start = start != nullptr ? start + 5 : text;
  std::snprintf(out, size, "%s", start);
  if (char* semicolon = std::strchr(out, ';')) *semicolon = '\0';
}

void NetscapeProxyText(const char* host, bool havePort, DWORD port, char* out, size_t size) {
  if (havePort && port != 0)
    std::snprintf(out, size, "%s:%u", host != nullptr ? host : "", static_cast<unsigned>(port));
  else
    std::snprintf(out, size, "%s", host != nullptr ? host : "");
  ToLower(out);
}

int FindBrowser(char* path, const char** browserName) {
  char text[kBrowserPathSize];
  for (const RegistryRow& row : kRegistryRows) {
    if (!ReadDefaultValue(row.key, text, sizeof text)) continue;
    RegistryCommandToPath(text, row.program, path);
    if (FileExists(path, nullptr)) {
      *browserName = row.browser;
      return 1;
    }
  }
  for (const IniRow& row : kIniRows) {
    if (row.file == nullptr)
      GetProfileStringA(row.section, row.key, "", text, sizeof text);
    else
      GetPrivateProfileStringA(row.section, row.key, "", text, sizeof text, row.file);
    if (text[0] == '\0') continue;
    std::snprintf(path, kBrowserPathSize, "%.*s\\%s", static_cast<int>(kBrowserPathSize - 14), text, row.program);
    if (FileExists(path, nullptr)) {
      *browserName = row.browser;
      return 1;
    }
  }
  for (const FixedRow& row : kFixedRows) {
    for (char drive : {'C', 'D', 'E'}) {
      std::snprintf(path, kBrowserPathSize, "%s", row.path);
      path[0] = drive;
      if (FileExists(path, nullptr)) {
        *browserName = row.browser;
        return 1;
      }
    }
  }
  return 0;
}

int ImportBrowserSettings(HWND) {
  char path[kBrowserPathSize] = "";
  ReadBrowserPath(path, sizeof path);
  if (path[0] != '\0') {
    WriteBrowserPath(path);
    return 1;
  }
  const char* browser = nullptr;
  if (!FindBrowser(path, &browser)) return 1;
  WriteBrowserPath(path);
  ToLower(path);
  if (std::strstr(path, "iexplore.exe") != nullptr)
    ImportExplorerProxy();
  else if (std::strstr(path, "netscape.exe") != nullptr)
    ImportNetscapeProxy();
  return 1;
}

bool ProxySettingsWereImported() { return g_proxyImported; }

BOOL ShowHtmlDocument(HWND window, const char* document) { return QVUI_ShowHTMDocument(window, document); }

QV_API HDDEDATA CALLBACK DdeCallBack(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) { return nullptr; }
