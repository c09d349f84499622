// The scheduler log: one text file that the program and the plug-ins append
// lines to.
#include <cctype>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <set>
#include <string>

#include "qv_ui.h"
#include "qv_ui_internal.h"

namespace {

// Appends from every thread go through this lock, so lines never interleave.
std::mutex g_write_lock;

std::string LogPath() { return QvUiProgramDirectory() + "SCHEDULE.LOG"; }

// A text as one line: CR and LF become blanks.
std::string OneLine(const char* text) {
  std::string line = text != nullptr ? text : "";
  for (char& c : line) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return line;
}

// Now as "date time" in the short form of the user's regional settings
// ([intl] iDate, sDate and sTime of the Windows settings file), two digits a
// field, as the program's own log lines begin.
std::string NowText() {
  const std::time_t now = std::time(nullptr);
  std::tm fields{};
  if (localtime_r(&now, &fields) == nullptr) return "N/A N/A";
  const int order = static_cast<int>(GetProfileIntA("intl", "iDate", 0));
  char dateSeparator[8];
  char timeSeparator[8];
  GetProfileStringA("intl", "sDate", "/", dateSeparator, sizeof dateSeparator);
  GetProfileStringA("intl", "sTime", ":", timeSeparator, sizeof timeSeparator);
  const int year = fields.tm_year % 100;
  const int month = fields.tm_mon + 1;
  const int first = order == 1 ? fields.tm_mday : order == 2 ? year : month;
  const int second = order == 1 ? month : order == 2 ? month : fields.tm_mday;
  const int third = order == 1 ? year : order == 2 ? fields.tm_mday : year;
  const std::string ds = dateSeparator[0] != '\0' ? std::string(1, dateSeparator[0]) : std::string();
  const std::string ts = timeSeparator[0] != '\0' ? std::string(1, timeSeparator[0]) : std::string();
  char text[64];
  std::snprintf(text, sizeof text, "%02d%s%02d%s%02d %02d%s%02d%s%02d", first, ds.c_str(), second, ds.c_str(), third,
                fields.tm_hour, ts.c_str(), fields.tm_min, ts.c_str(), fields.tm_sec);
  return text;
}

}  // namespace

// Callers keep the answer (a report request carries it to a worker thread),
// so each path is kept once for the life of the process and never rewritten.
QV_API const char* QVUI_GetScheduleLogFilename(HINSTANCE /*instance*/) {
  static std::mutex names_lock;
  static std::set<std::string> names;
  std::lock_guard<std::mutex> hold(names_lock);
  return names.insert(LogPath()).first->c_str();
}

QV_API BOOL QVUI_CreateSchedulerLogFile(HINSTANCE /*instance*/) {
  std::lock_guard<std::mutex> hold(g_write_lock);
  HANDLE file = CreateFileA(LogPath().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return FALSE;
  CloseHandle(file);
  return TRUE;
}

QV_API BOOL QVUI_WriteSchedulerLogFile(HINSTANCE /*instance*/, const char* first, const char* second) {
  std::string line = OneLine(first);
  if (second != nullptr && second[0] != '\0') line += "\t" + OneLine(second);
  // Every line begins with its date and time: a line that does not bring
  // its own (its first text does not begin with a digit) gets the present ones.
  if (line.empty() || std::isdigit(static_cast<unsigned char>(line[0])) == 0) line = NowText() + " " + line;
  line += "\r\n";
  std::lock_guard<std::mutex> hold(g_write_lock);
  HANDLE file = CreateFileA(LogPath().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return FALSE;
  BOOL done = SetFilePointer(file, 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER;
  DWORD written = 0;
  if (done) done = WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(file);
  return done && written == line.size() ? TRUE : FALSE;
}
