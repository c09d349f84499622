// Integer settings, bounded copies, handle tests and separators.
#include "plugin_helpers.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

bool WriteProfileInt(const char* section, const char* key, int value, const char* file) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  return WritePrivateProfileStringA(section, key, text, file) != FALSE;
}

int ReadProfileInt(const char* section, const char* key, int fallback, const char* file) {
  char text[64];
  GetPrivateProfileStringA(section, key, "", text, sizeof text, file);
  const char* p = text;
  while (*p == ' ' || *p == '\t') ++p;
  const char* digits = (*p == '-' || *p == '+') ? p + 1 : p;
  if (*digits < '0' || *digits > '9') return fallback;
  const long long value = std::strtoll(p, nullptr, 10);
  if (value > 2147483647LL) return 2147483647;
  if (value < -2147483647LL - 1) return -2147483647 - 1;
  return static_cast<int>(value);
}

void CopyText(char* out, size_t size, const char* source) {
  if (out == nullptr || size == 0) return;
  size_t length = 0;
  if (source != nullptr) {
    while (length + 1 < size && source[length] != '\0') ++length;
    std::memmove(out, source, length);
  }
  out[length] = '\0';
}

bool IsValidHandle(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }

void OnSyncError(DWORD /*error*/) {}

bool IsSeparator(char c) {
  switch (c) {
    case '\t': case '\n': case '\r': case ' ': case ',': case ':': case ';': case '=': case '[':
    case ']':
      return true;
    default:
      return false;
  }
}

const char* SkipSeparators(const char* text, int* remaining) {
  if (text == nullptr || remaining == nullptr) return nullptr;
  int count = *remaining;
  while (count > 0 && IsSeparator(*text)) {
    ++text;
    --count;
  }
  if (count <= 0) return nullptr;
  *remaining = count;
  return text;
}

int ReadMonitorThreadCount(const char* iniPath) {
  const int count = ReadProfileInt("General", "Thread", kDefaultMonitorThreads, iniPath);
  if (count < 1) return 1;
  if (count > kMaxMonitorThreads) return kMaxMonitorThreads;
  return count;
}
