// File tests, integer settings and the date-and-time text of log lines.
#include <cstdio>
#include <ctime>
#include <mutex>
#include <string>

#include "qv_ui.h"

QV_API BOOL QVUI_FindFile(const char* path) {
  if (path == nullptr || path[0] == '\0') return FALSE;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path, &found);
  if (search == INVALID_HANDLE_VALUE) return FALSE;
  FindClose(search);
  return TRUE;
}

QV_API int QVUI_CountFiles(const char* pattern) {
  if (pattern == nullptr || pattern[0] == '\0') return 0;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  int count = 0;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) ++count;
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return count;
}

QV_API BOOL QVUI_WritePrivateProfileInt(const char* section, const char* key, int value, const char* file) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  return WritePrivateProfileStringA(section, key, text, file);
}

namespace {

std::mutex g_break_down_lock;

// Three two-digit fields joined by the separator (none when it is empty).
std::string Join(int a, int b, int c, char separator) {
  char text[32];
  if (separator != '\0') {
    std::snprintf(text, sizeof text, "%02d%c%02d%c%02d", a % 100, separator, b % 100, separator, c % 100);
  } else {
    std::snprintf(text, sizeof text, "%02d%02d%02d", a % 100, b % 100, c % 100);
  }
  return text;
}

}  // namespace

QV_API int QVUI_GetDateTime(char* out, int outSize) {
  if (out == nullptr || outSize <= 0) return 0;
  const int order = static_cast<int>(GetProfileIntA("intl", "iDate", 0));
  char dateSeparator[8];
  char timeSeparator[8];
  GetProfileStringA("intl", "sDate", "/", dateSeparator, sizeof dateSeparator);
  GetProfileStringA("intl", "sTime", ":", timeSeparator, sizeof timeSeparator);
  const time_t now = std::time(nullptr);
  std::tm fields{};
  {
    std::lock_guard<std::mutex> hold(g_break_down_lock);
    const std::tm* local = std::localtime(&now);
    if (local != nullptr) fields = *local;
  }
  const int year = fields.tm_year % 100;
  std::string date;
  switch (order) {
    case 1:
      date = Join(fields.tm_mday, fields.tm_mon + 1, year, dateSeparator[0]);
      break;
    case 2:
      date = Join(year, fields.tm_mon + 1, fields.tm_mday, dateSeparator[0]);
      break;
    default:
      date = Join(fields.tm_mon + 1, fields.tm_mday, year, dateSeparator[0]);
      break;
  }
  const std::string text = date + " " + Join(fields.tm_hour, fields.tm_min, fields.tm_sec, timeSeparator[0]);
  const size_t length = text.size() < static_cast<size_t>(outSize) ? text.size() : static_cast<size_t>(outSize) - 1;
  text.copy(out, length);
  out[length] = '\0';
  return static_cast<int>(length);
}
