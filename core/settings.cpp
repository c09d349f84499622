#include "settings.h"

#include <cstdio>

#include "program_paths.h"
#include "qv_ui.h"
#include "settings_keys.h"

namespace {

// Length passed to the profile reader: the caller's buffer, at most the key's own.
DWORD ReadLength(size_t bufferSize, int keyLength) {
  return static_cast<DWORD>(bufferSize < static_cast<size_t>(keyLength) ? bufferSize
                                                                        : keyLength);
}

void ReadText(const char* section, const char* key, const char* fallback, char* buffer,
              size_t size, int keyLength) {
  if (buffer == nullptr || size == 0) return;
  GetPrivateProfileStringA(section, key, fallback, buffer, ReadLength(size, keyLength),
                           GetIniPath());
}

void WriteText(const char* section, const char* key, const char* text) {
  WritePrivateProfileStringA(section, key, text, GetIniPath());
}

constexpr char kWindowsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr char kWindowsNtKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

// [Main] key, else the registry value of the system's two version keys, which
// is then kept in the file.
void ReadOwnerText(const char* key, const char* registryValue, char* buffer, size_t size) {
  if (buffer == nullptr || size == 0) return;
  const DWORD length = ReadLength(size, ini::kAuthorLen);
  GetPrivateProfileStringA(ini::kMain, key, "", buffer, length, GetIniPath());
  if (buffer[0] != '\0') return;
  if (!QVUI_FindRegistryStringData(HKEY_LOCAL_MACHINE, kWindowsKey, registryValue, buffer,
                                   length) ||
      buffer[0] == '\0') {
    QVUI_FindRegistryStringData(HKEY_LOCAL_MACHINE, kWindowsNtKey, registryValue, buffer,
                                length);
  }
  if (buffer[0] != '\0') WriteText(ini::kMain, key, buffer);
}

}  // namespace

void WriteIntSetting(const char* section, const char* key, DWORD value, const char* filePath) {
  char text[16];
  std::snprintf(text, sizeof text, "%lu", static_cast<unsigned long>(value));
  WritePrivateProfileStringA(section, key, text, filePath);
}

void ReadListPosition(short* top, short* selected) {
  const char* path = GetIniPath();
  if (top != nullptr) {
    *top = static_cast<short>(GetPrivateProfileIntA(ini::kDefaults, ini::kListStart, 0, path));
  }
  if (selected != nullptr) {
    *selected =
        static_cast<short>(GetPrivateProfileIntA(ini::kDefaults, ini::kListOffset, 0, path));
  }
}

void WriteListPosition(short top, short selected) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", top);
  WriteText(ini::kDefaults, ini::kListStart, text);
  std::snprintf(text, sizeof text, "%d", selected);
  WriteText(ini::kDefaults, ini::kListOffset, text);
}

int ReadListRefreshRate() {
  return static_cast<int>(GetPrivateProfileIntA(ini::kDefaults, ini::kListRefreshRate,
                                                ini::kDefaultListRefreshRate, GetIniPath()));
}

WORD ReadCpuUsageSetting() {
  const UINT value = GetPrivateProfileIntA(ini::kDefaults, ini::kCpuUsage,
                                           ini::kDefaultCpuUsage, GetIniPath());
  return static_cast<WORD>(value > 100 ? 100 : value);
}

void ReadBrowserPath(char* buffer, size_t size) {
  ReadText(ini::kBrowser, ini::kPath, "", buffer, size, ini::kBrowserPathLen);
}

void WriteBrowserPath(const char* path) {
  WriteText(ini::kBrowser, ini::kPath, path);
}

void ReadProgramLanguage(char* buffer, size_t size) {
  ReadText(ini::kLanguage, ini::kProgram, ini::kDefaultLanguage, buffer, size,
           ini::kLanguageLen);
}

void WriteProgramLanguage(const char* text) {
  WriteText(ini::kLanguage, ini::kProgram, text);
}

void ReadReportLanguage(char* buffer, size_t size) {
  ReadText(ini::kLanguage, ini::kReportLanguage, ini::kDefaultLanguage, buffer, size,
           ini::kLanguageLen);
}

void WriteReportLanguage(const char* text) {
  WriteText(ini::kLanguage, ini::kReportLanguage, text);
}

void ReadCountry(char* buffer, size_t size) {
  ReadText(ini::kLanguage, ini::kCountry, ini::kDefaultCountry, buffer, size,
           ini::kLanguageLen);
}

void WriteCountry(const char* text) {
  WriteText(ini::kLanguage, ini::kCountry, text);
}

void ReadAuthorAndCompany(char* author, size_t authorSize, char* company, size_t companySize) {
  ReadOwnerText(ini::kAuthor, "RegisteredOwner", author, authorSize);
  ReadOwnerText(ini::kCompany, "RegisteredOrganization", company, companySize);
}
