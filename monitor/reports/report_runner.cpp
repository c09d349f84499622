// Report runs: the foreground report's reading and summarising, the device
// snapshot, the background report and the delivery.
#include "report_runner.h"

#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

#include "alert_plugin.h"
#include "device_list.h"
#include "install_paths.h"
#include "monitor_profile.h"
#include "monitor_settings.h"
#include "plugin_globals.h"
#include "plugin_helpers.h"
#include "qv_ui.h"
#include "report_callbacks.h"
#include "report_control_file.h"
#include "report_errors.h"

namespace {

std::mutex g_clock_lock;
std::function<time_t()> g_clock;

// A message whose "%s" is replaced by the value.
std::string Format(const char* pattern, const std::string& value) {
  std::string text = pattern;
  const size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, value);
  return text;
}

std::string AlertIniPath() {
  char ini[MAX_PATH];
  return GetAlertIniPath(ini, sizeof ini) ? ini : "";
}

}  // namespace

void SetReportClockForTests(std::function<time_t()> now) {
  std::lock_guard<std::mutex> hold(g_clock_lock);
  g_clock = std::move(now);
}

time_t ReportNow() {
  std::function<time_t()> clock;
  {
    std::lock_guard<std::mutex> hold(g_clock_lock);
    clock = g_clock;
  }
  return clock ? clock() : std::time(nullptr);
}

int MakeForegroundReport(ReportContext* context, const char* statusLog, const ReportStep& step) {
  ReportRequest* request = context->request;
  MEMORIZED_REPORT* report = request->report;
  const HWND window = context->dialog;
  if (request->profile == nullptr || report == nullptr) {
    ReportError(window, request->scheduled, request->logPath, "General error.");
    return 0;
  }
  auto* profile = static_cast<CMonitorProfile*>(request->profile->key);
  CAlertPlugin* plugin = ThePlugin();
  if (profile == nullptr || plugin == nullptr || plugin->FindLoadedProfile(profile) == nullptr) {
    ReportError(window, request->scheduled, request->logPath, "General error.");
    return 0;
  }
  context->description = profile->GetDescription();
  if (profile->GetSettings() != nullptr) {
    context->host = profile->GetSettings()->GetHostName();
    context->kindName = profile->GetSettings()->GetMonitorTypeName();
  }
  context->now = [] { return ReportNow(); };

  EventQuery query;
  query.logPath = statusLog;
  query.profileId = profile->GetProfileID();
  query.timeRange = report->timeRange;
  query.now = ReportNow();
  query.step = [&](int line) {
    char text[64];
    std::snprintf(text, sizeof text, "Reading line #%d...", line);
    return step(text, 0, 0);
  };
  bool outOfMemory = false;
  const bool read = ReadProfileEvents(query, &context->events, &outOfMemory);
  if (!read) {
    if (outOfMemory) ReportError(window, request->scheduled, request->logPath, "Unable to save an event into dynamic memory.");
    return 0;
  }
  // The closing GOODBYE alone means the log had nothing of the profile.
  if (context->events.count <= 1) {
    ReportError(window, request->scheduled, request->logPath,
                Format("No applicable entries found in the status log\r\n%s.", statusLog).c_str());
    return 0;
  }
  const int events = context->events.count;
  if (!step("Summarizing data...0%", 0, events)) return 0;
  if (!WriteReportControlFile(window, events, report->reportType, request->scheduled, report,
                              request->outputDirectory, request->outputPath, request->controlPath, request->logPath,
                              0)) {
    return 0;
  }
  const bool summarised = SummariseEvents(&context->events, &context->stats, [&](int line) {
    char text[64];
    std::snprintf(text, sizeof text, "Summarizing line #%d...", line);
    return step(text, line, events);
  });
  if (!summarised) return 0;
  if (!step("Creating report...0%", 0, 0)) return 0;
  const int result = RunReportEngine(context, &GetSummaryValue);
  return ReportEngineError(result, window, request->scheduled, request->outputPath, request->logPath);
}

bool TakeDeviceSnapshot(ReportContext* context) {
  context->rows.clear();
  CAlertPlugin* plugin = ThePlugin();
  DeviceList* devices = plugin != nullptr ? plugin->GetDeviceList() : nullptr;
  if (devices == nullptr) return false;
  const bool alertingDisabled = devices->IsAlertingDisabled();
  for (CMonitorProfile* profile : devices->DeviceProfiles()) {
    DeviceStatus status;
    if (profile == nullptr || !devices->GetDeviceStatus(profile, &status)) continue;
    DeviceSummaryRow row{};
    const CMonitorSettings* settings = profile->GetSettings();
    CopyText(row.host, settings != nullptr ? settings->GetHostName() : "");
    CopyText(row.kindName, settings != nullptr ? settings->GetMonitorTypeName() : "");
    CopyText(row.description, profile->GetDescription());
    row.disabled = (settings != nullptr && settings->GetDisabled()) || alertingDisabled ? 1 : 0;
    row.statusCode = status.statusCode;
    row.lastResult = status.statusCode == 0 ? 1 : 0;
    row.profile = profile;
    row.stateChangedTime = status.stateChangedTime;
    CopyText(row.statusText, status.statusText);
    context->rows.push_back(row);
  }
  return !context->rows.empty();
}

int RunBackgroundReport(int autoReport, ReportContext* dialogContext) {
  ReportRequestWithReport own{};
  ReportContext ownContext;
  ReportContext* context = dialogContext;
  if (autoReport != 0) {
    CopyText(own.request.logPath, QVUI_GetScheduleLogFilename(PluginInstance()));
    own.request.scheduled = 1;
    own.request.background = 1;
    own.request.report = &own.report;
    ownContext.request = &own.request;
    context = &ownContext;
  }
  if (context == nullptr || context->request == nullptr) return 0;
  ReportRequest* request = context->request;
  context->now = [] { return ReportNow(); };
  if (autoReport != 0) {
    if (!LockReportMutex(nullptr, request)) return 0;
    ReportLogLine(request->logPath, "BEGIN: background report");
  }
  int made = 0;
  [&] {
    const std::string ini = AlertIniPath();
    if (autoReport != 0) {
      char memorized[MAX_PATH] = "";
      GetPrivateProfileStringA("AutoReport", "MemRptFilename", "", memorized, sizeof memorized, ini.c_str());
      if (memorized[0] == '\0') {
        ReportError(nullptr, 1, request->logPath,
                    Format("No memorized report filename field found in the INI file\r\n%s.", ini).c_str());
        return;
      }
      if (!ReadMemorizedReport(request->report, memorized)) {
        ReportError(nullptr, 1, request->logPath,
                    Format("Unable to obtain memorized report data from the file\r\n%s.", memorized).c_str());
        return;
      }
      char saveAs[MAX_PATH] = "";
      GetPrivateProfileStringA("AutoReport", "SaveAs", "", saveAs, sizeof saveAs, ini.c_str());
      if (saveAs[0] == '\0') {
        ReportError(nullptr, 1, request->logPath,
                    Format("No \"SaveAs\" filename field found in the INI file\r\n%s.", ini).c_str());
        return;
      }
      CopyText(request->report->saveTo, saveAs);
      request->report->reportType = kReportSummary;
      request->report->urlType = kSaveToFile;
      char generate[8] = "";
      GetPrivateProfileStringA("AutoReport", "GenerateReport", "0", generate, sizeof generate, ini.c_str());
      context->autoReportMinutes =
          generate[0] == '1' ? ReadProfileInt("AutoReport", "SaveEvery", 1, ini.c_str()) : 0;
    }
    const HWND window = context->dialog;
    // The snapshot first: its size is the control file's event count.
    if (!TakeDeviceSnapshot(context)) {
      ReportError(window, request->scheduled, request->logPath, "No device summary data available yet.");
      return;
    }
    if (!WriteReportControlFile(window, static_cast<int>(context->rows.size()), kReportSummary, request->scheduled,
                                request->report, request->outputDirectory, request->outputPath, request->controlPath,
                                request->logPath, autoReport)) {
      return;
    }
    const int result = RunReportEngine(context, &GetSummaryValueBackground);
    made = ReportEngineError(result, window, request->scheduled, request->outputPath, request->logPath);
  }();
  context->rows.clear();
  if (autoReport != 0) {
    FreeUploadFiles(request);
    UnlockReportMutex(request);
    ReportLogLine(request->logPath, "END: background report");
  }
  return made;
}

void FreeUploadFiles(ReportRequest* request) {
  for (int i = 0; i < request->uploadCount; ++i) QVUI_MyFree2(request->uploadFiles[i]);
  if (request->uploadFiles != nullptr) QVUI_MyFree2(request->uploadFiles);
  request->uploadFiles = nullptr;
  request->uploadCount = 0;
}

namespace {

// The address of an e-mail target: after "mailto:", up to the first '/' or '\'.
std::string MailAddress(const char* target) {
  std::string text = target != nullptr ? target : "";
  if (text.size() >= 7 && (text.compare(0, 7, "mailto:") == 0 || text.compare(0, 7, "MAILTO:") == 0)) {
    text = text.substr(7);
  }
  const size_t cut = text.find_first_of("/\\");
  return cut == std::string::npos ? text : text.substr(0, cut);
}

}  // namespace

int DeliverReport(ReportContext* context, const std::function<void(const char*)>& status) {
  ReportRequest* request = context->request;
  const MEMORIZED_REPORT* report = request->report;
  int result = 0;
  switch (report->urlType) {
    case kSaveToFile:
      result = 1;
      break;
    case kSaveToFtp:
      status("FTP upload...");
      if (request->uploadCount > 0) {
        result = QVUI_FTPSendFiles(context->progress, report->saveTo, request->uploadCount, request->uploadFiles,
                                   report->saveToUserName, report->saveToPassword);
      }
      if (result == 0) {
        ReportError(context->dialog, request->scheduled, request->logPath,
                    Format("FTP upload to\r\n%s\r\nfailed.", report->saveTo).c_str());
      }
      break;
    case kSaveToMail:
      status("e-mail upload...");
      if (request->uploadCount > 0) {
        const std::string address = MailAddress(report->saveTo);
        if (QVUI_SendMail(context->progress, address.c_str(), request->uploadCount, request->uploadFiles) == -1) {
          ReportError(context->dialog, request->scheduled, request->logPath, "e-mail upload failed.");
        } else {
          result = 1;
        }
      }
      break;
    default:
      break;
  }
  FreeUploadFiles(request);
  return result;
}
