// Report messages and the report lock.
#include "report_errors.h"

#include <atomic>
#include <mutex>
#include <string>

#include "plugin_globals.h"
#include "qv_ui.h"

namespace {

constexpr char kCaption[] = "Vozed Uvarirada";
constexpr char kMutexName[] = "AlertReportMutex";

std::once_flag g_mutex_once;
HANDLE g_mutex = nullptr;
std::atomic<bool> g_background_running{false};

HANDLE ReportMutex() {
  // Made once and kept for the life of the plug-in.
  std::call_once(g_mutex_once, [] { g_mutex = CreateMutexA(nullptr, FALSE, kMutexName); });
  return g_mutex;
}

}  // namespace

void ReportLogLine(const char* logPath, const char* text) {
  if (logPath == nullptr || logPath[0] == '\0') return;
  char stamp[64];
  QVUI_GetDateTime(stamp, sizeof stamp);
  const std::string line = std::string(stamp) + ", " + (text != nullptr ? text : "");
  QVUI_WriteSchedulerLogFile(PluginInstance(), line.c_str(), kCaption);
}

void ReportError(HWND window, int scheduled, const char* logPath, const char* text) {
  if (scheduled == 0) {
    MessageBoxA(window, text, kCaption, MB_OK | MB_ICONERROR);
    return;
  }
  if (logPath != nullptr && logPath[0] != '\0') {
    ReportLogLine(logPath, text);
  } else {
    OutputDebugStringA((std::string("Alert report: ") + (text != nullptr ? text : "") + "\r\n").c_str());
  }
}

int ReportEngineError(int result, HWND window, int scheduled, const char* outputPath, const char* logPath) {
  if (result == 0) return 1;
  const char* reason = "";
  if (result == 1) reason = "Problems with the template file.";
  if (result == 2) reason = "Report was canceled.";
  if (result == 9) reason = "General error.";
  const std::string text = std::string("Could not create the report file\r\n") +
                           (outputPath != nullptr ? outputPath : "") + ".\r\n" + reason;
  ReportError(window, scheduled, logPath, text.c_str());
  return 0;
}

int LockReportMutex(HWND window, const ReportRequest* request) {
  const bool background = request != nullptr && request->background != 0;
  if (background && g_background_running.exchange(true)) return 0;
  HANDLE mutex = ReportMutex();
  if (mutex == nullptr) {
    if (background) g_background_running = false;
    ReportError(window, request != nullptr ? request->scheduled : 0, request != nullptr ? request->logPath : nullptr,
                "Unable to create a mutex object.");
    return 0;
  }
  for (;;) {
    if (window == nullptr) {
      const DWORD waited = WaitForSingleObject(mutex, INFINITE);
      if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) return 1;
    } else {
      // The window thread keeps handling its messages while it waits.
      const DWORD waited = MsgWaitForMultipleObjects(1, &mutex, FALSE, INFINITE, QS_ALLINPUT);
      if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) return 1;
      if (waited == WAIT_OBJECT_0 + 1) {
        QVUI_PumpMessages(window);
        continue;
      }
    }
    if (background) g_background_running = false;
    return 0;
  }
}

void UnlockReportMutex(const ReportRequest* request) {
  if (g_mutex != nullptr) ReleaseMutex(g_mutex);
  if (request != nullptr && request->background != 0) g_background_running = false;
}
