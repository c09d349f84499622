// The scheduler log: one text file that the program and the plug-ins append
// lines to.
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
