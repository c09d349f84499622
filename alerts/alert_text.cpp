// Reading and writing the alert channels' settings sections.
#include "alert_text.h"

#include <cstring>

#include "plugin_helpers.h"

OwnedText ReadAlertText(const char* section, const char* key, const char* path) {
  char buffer[kAlertTextBuffer] = "";
  GetPrivateProfileStringA(section, key, "", buffer, sizeof buffer, path);
  if (std::strcmp(buffer, kEmptyMark) == 0) return OwnedText();
  return OwnedText(buffer);
}

void ReadAlertArray(const char* section, const char* key, char* out, size_t size, const char* path) {
  if (out == nullptr || size == 0) return;
  out[0] = '\0';
  GetPrivateProfileStringA(section, key, "", out, static_cast<DWORD>(size), path);
}

bool WriteAlertText(const char* section, const char* key, const char* text, const char* path) {
  const char* stored = (text == nullptr || *text == '\0') ? kEmptyMark : text;
  return WritePrivateProfileStringA(section, key, stored, path) != FALSE;
}

int ReadAlertInt(const char* section, const char* key, int fallback, const char* path) {
  return static_cast<int>(GetPrivateProfileIntA(section, key, fallback, path));
}

bool WriteAlertInt(const char* section, const char* key, int value, const char* path) {
  return WriteProfileInt(section, key, value, path);
}

bool AlertSectionComplete(const char* section, const char* const* textKeys, const char* const* intKeys,
                          const char* path) {
  if (path == nullptr || *path == '\0') return false;
  for (const char* const* key = textKeys; key != nullptr && *key != nullptr; ++key) {
    char buffer[kAlertTextBuffer] = "";
    GetPrivateProfileStringA(section, *key, kMissingMark, buffer, sizeof buffer, path);
    if (std::strcmp(buffer, kMissingMark) == 0) return false;
  }
  for (const char* const* key = intKeys; key != nullptr && *key != nullptr; ++key) {
    if (static_cast<int>(GetPrivateProfileIntA(section, *key, -1, path)) == -1) return false;
  }
  return true;
}
