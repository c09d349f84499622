// The engine's callbacks: token values of the foreground and the background
// reports, properties, progress and file actions.
#include "report_callbacks.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include "install_paths.h"
#include "plugin_globals.h"
#include "plugin_helpers.h"
#include "qv_ui.h"
#include "report_context.h"
#include "report_text.h"

namespace {

struct TokenRow {
  const char* name;
  int id;
};

// Looked up in this order; the first match wins.
constexpr TokenRow kTokens[kSummaryTokenCount] = {
    {"Var_Alert_Report_Title", 1},          {"Var_Alert_Profile_Name", 2},
    {"Var_Alert_Device_Name", 23},          {"Var_Alert_Device_Type", 24},
    {"Var_Alert_Start_Date", 25},           {"Var_Alert_Start_Time", 26},
    {"Var_Alert_End_Date", 27},             {"Var_Alert_End_Time", 28},
    {"Var_Alert_Host_Name", 29},            {"Var_Alert_Date_And_Time", 3},
    {"Var_Alert_Timeframe", 4},             {"Var_Alert_Downtime", 5},
    {"Var_Alert_Downtime_in_Percent", 6},   {"Var_Alert_Min_Downtime", 7},
    {"Var_Alert_Max_Downtime", 8},          {"Var_Alert_Average_Downtime", 9},
    {"Var_Alert_Min_Uptime", 10},           {"Var_Alert_Max_Uptime", 11},
    {"Var_Alert_Average_Uptime", 12},       {"Var_Alert_Total_Alerts", 13},
    {"Var_Alert_Total_Events", 14},         {"Var_Alert_Event_Index", 15},
    {"Var_Alert_Event_Type", 16},           {"Var_Alert_Extended_Error_Code", 17},
    {"Var_Alert_Action_Taken_Type", 18},    {"Var_Alert_Action_Taken_Value", 19},
    {"Var_Alert_Event_Date", 20},           {"Var_Alert_Event_Time", 21},
    {"Var_Alert_Num_Actions_Taken", 22},    {"Var_Alert_Profile_Name", 2},
    {"Var_Alert_Profile_Type", 30},         {"Var_Alert_Host_Device", 31},
    {"Var_Alert_Status", 32},               {"Var_Alert_Last_Changed", 33},
    {"Var_Alert_Num_Profiles", 34},         {"Var_Alert_Extended_Error_Desc", 35},
    {"Var_Alert_Login_ID", 36},             {"Var_Alert_Action_Details", 37},
    {"Var_Alert_Status_Description", 39},   {"Var_Alert_Previous_State", 38},
    {"Var_Alert_Auto_Frequency", 40},       {"Var_Alert_Extended_Status_Code", 41},
    {"Var_Alert_Extended_Status_Desc", 42}, {"Var_Alert_Current_State", 43},
    {"Var_Alert_Uptime", 44},               {"Var_Alert_Uptime_In_Percent", 45},
    {"Var_Alert_Recovery_Text", 46},
};

constexpr const char* kWeekdays[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::mutex g_contexts_lock;
std::map<const void*, ReportContext*> g_contexts;
std::mutex g_time_lock;

std::tm Local(time_t when) {
  std::lock_guard<std::mutex> hold(g_time_lock);
  const std::tm* fields = std::localtime(&when);
  return fields != nullptr ? *fields : std::tm{};
}

std::string FirstWord(const char* text) {
  if (text == nullptr) return "";
  const char* blank = std::strchr(text, ' ');
  return blank != nullptr ? std::string(text, blank) : std::string(text);
}

std::string AfterFirstBlank(const char* text) {
  if (text == nullptr) return "";
  const char* blank = std::strchr(text, ' ');
  return blank != nullptr ? std::string(blank + 1) : std::string();
}

void SetStatus(char* status, const char* text) {
  if (status != nullptr) std::snprintf(status, 64, "%s", text);
}

char* Answer(ReportContext* context, const std::string& text) {
  std::snprintf(context->value, sizeof context->value, "%s", text.c_str());
  return context->value;
}

// The buffer of calls without a run (a request the plug-in does not know).
char* NoValue() {
  static thread_local char empty[1] = "";
  empty[0] = '\0';
  return empty;
}

time_t Now(const ReportContext* context) { return context->now ? context->now() : std::time(nullptr); }

std::string DirectoryWithoutSeparator(bool alert) {
  char directory[MAX_PATH];
  if (alert) {
    if (!GetAlertDirectory(directory, sizeof directory)) return "";
  } else {
    CopyText(directory, PluginLocalDirectory());
  }
  std::string text = directory;
  if (!text.empty() && (text.back() == '\\' || text.back() == '/')) text.pop_back();
  return text;
}

// Foreground values of the current event; false when there is none.
bool CurrentEvent(ReportContext* context, const ReportEvent** event) {
  if (context->current < 0 || context->current >= context->events.count) return false;
  *event = &context->events.events[context->current];
  return true;
}

std::string ForegroundValue(ReportContext* context, int id, int index, char* status) {
  const ReportStatistics& s = context->stats;
  const MEMORIZED_REPORT* report = context->request->report;
  const int events = context->events.count;
  switch (id) {
    case 1:
      return report != nullptr ? report->reportTitle : "";
    case 2:
      return context->description;
    case 3:
      return ReportNowText(Now(context));
    case 4:
      return report != nullptr && report->timeRange >= 0 && report->timeRange < kRangeCount
                 ? kTimeRangeNames[report->timeRange]
                 : "";
    case 5:
      return DurationText(s.totalDown);
    case 7:
      return DurationText(s.minDown < 0 ? 0 : s.minDown);
    case 8:
      return DurationText(s.maxDown);
    case 10:
      return DurationText(s.minUp < 0 ? 0 : s.minUp);
    case 11:
      return DurationText(s.maxUp);
    case 44:
      return DurationText(s.totalUp);
    case 9:
      return DurationText(s.totalDown != 0 && s.downCount != 0 ? s.totalDown / s.downCount : 0);
    case 12:
      return DurationText(s.totalUp != 0 && s.upCount != 0 ? s.totalUp / s.upCount : 0);
    case 6:
      return PercentText(s.totalDown, s.totalDown, s.totalUp);
    case 45:
      return PercentText(s.totalUp, s.totalDown, s.totalUp);
    case 14:
      return std::to_string(events);
    case 15:
      return std::to_string(index);
    case 16:
      if (index < 0 || index >= events) {
        SetStatus(status, kTokenRetrievalError);
        return "";
      }
      context->current = index;
      return FirstWord(EventField(context->events.events[index], kReportFieldEvent));
    case 23:
      return context->host;
    case 24:
      return context->kindName;
    case 25:
      return ReportDateText(s.firstTime);
    case 26:
      return ReportTimeText(s.firstTime);
    case 27:
      return ReportDateText(s.lastTime);
    case 28:
      return ReportTimeText(s.lastTime);
    case 29:
      return s.computer;
    case 38:
      if (index > 0 && index <= events) {
        const std::string previous = FirstWord(EventField(context->events.events[index - 1], kReportFieldEvent));
        if (EqualsNoCase(previous.c_str(), "HELLO") || EqualsNoCase(previous.c_str(), "GOODBYE") ||
            EqualsNoCase(previous.c_str(), "CARTRIDGE_CRASH")) {
          return "";
        }
        return previous;
      }
      return "";
    case 17: case 35: case 18: case 19: case 37: case 20: case 21: case 22:
    case 36: case 41: case 42: case 43: case 46: {
      const ReportEvent* event = nullptr;
      if (!CurrentEvent(context, &event)) {
        SetStatus(status, kTokenRetrievalError);
        return "";
      }
      switch (id) {
        case 17:
          return FirstWord(EventField(*event, kReportFieldState));
        case 35:
          return AfterFirstBlank(EventField(*event, kReportFieldState));
        case 18:
        case 19: {
          const char* action = EventFieldAt(*event, kReportFieldAction, index);
          if (action == nullptr) {
            SetStatus(status, kTokenRetrievalError);
            return "";
          }
          return id == 18 ? FirstWord(action) : AfterFirstBlank(action);
        }
        case 37:
          return FirstWord(EventField(*event, kReportFieldAction));
        case 20:
          return ReportDateText(EventTime(*event));
        case 21:
          return ReportTimeText(EventTime(*event));
        case 22:
          return std::to_string(event->actionCount);
        case 36:
          return FirstWord(EventField(*event, kReportFieldUser));
        case 41:
          return FirstWord(EventField(*event, kReportFieldMessage));
        case 42:
          return AfterFirstBlank(EventField(*event, kReportFieldMessage));
        case 43:
          return FirstWord(EventField(*event, kReportFieldStatus));
        default:
          return FirstWord(EventField(*event, kReportFieldRecovery));
      }
    }
    default:
      return "";  // 13, 30-34, 39, 40
  }
}

std::string BackgroundValue(ReportContext* context, int id, const DeviceSummaryRow& row) {
  const MEMORIZED_REPORT* report = context->request->report;
  switch (id) {
    case 1:
      return report != nullptr ? report->reportTitle : "";
    case 2:
      return row.description;
    case 3:
      return ReportNowText(Now(context));
    case 30:
      return row.kindName;
    case 31:
      return row.host;
    case 32:
      switch (row.statusCode) {
        case 0:
          return "UP";
        case 2:
          return "DOWN";
        case 3:
          return "DISABLED";
        default:
          return "INDETERMINATE";
      }
    case 33: {
      const std::string date = ReportDateText(row.stateChangedTime);
      return date == "n/a" ? date : date + ", " + ReportTimeText(row.stateChangedTime);
    }
    case 34:
      return std::to_string(context->rows.size());
    case 39:
      if (StartsWith(row.statusText, "Testing")) {
        switch (row.statusCode) {
          case 0:
            return "Up";
          case 1:
            return "Down / Verifying";
          case 2:
            return "Down";
          case 3:
            return "Disabled";
          default:
            return row.statusText;
        }
      }
      return row.statusText;
    case 40:
      return context->request->background != 0 && context->autoReportMinutes > 0
                 ? std::to_string(static_cast<int64_t>(context->autoReportMinutes) * 30)
                 : "";
    default:
      return "";
  }
}

}  // namespace

void RegisterReportContext(ReportContext* context) {
  std::lock_guard<std::mutex> hold(g_contexts_lock);
  g_contexts[context->request] = context;
}

void UnregisterReportContext(ReportContext* context) {
  std::lock_guard<std::mutex> hold(g_contexts_lock);
  auto found = g_contexts.find(context->request);
  if (found != g_contexts.end() && found->second == context) g_contexts.erase(found);
}

ReportContext* FindReportContext(const void* request) {
  std::lock_guard<std::mutex> hold(g_contexts_lock);
  auto found = g_contexts.find(request);
  return found != g_contexts.end() ? found->second : nullptr;
}

int SummaryTokenId(const char* token) {
  if (token == nullptr) return -1;
  for (const TokenRow& row : kTokens) {
    if (EqualsNoCase(row.name, token)) return row.id;
  }
  return -1;
}

std::string ReportDateText(time_t when) {
  if (when == 0) return "n/a";
  const std::tm at = Local(when);
  char text[64];
  std::snprintf(text, sizeof text, "%s, %s %d, %d", kWeekdays[at.tm_wday % 7], kMonths[at.tm_mon % 12], at.tm_mday,
                at.tm_year + 1900);
  return text;
}

std::string ReportTimeText(time_t when) {
  if (when == 0) return "n/a";
  const std::tm at = Local(when);
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", at.tm_hour, at.tm_min, at.tm_sec);
  return text;
}

std::string ReportNowText(time_t now) {
  const std::tm at = Local(now);
  char text[64];
  std::snprintf(text, sizeof text, "%s, %s %d, %d at %02d:%02d:%02d", kWeekdays[at.tm_wday % 7],
                kMonths[at.tm_mon % 12], at.tm_mday, at.tm_year + 1900, at.tm_hour, at.tm_min, at.tm_sec);
  return text;
}

int RunReportEngine(ReportContext* context, ReportSummaryProc summary) {
  auto create = reinterpret_cast<PFN_HostCreateReport>(HostCallback(HC_CREATE_REPORT));
  if (create == nullptr) return 9;
  // The plug-in's directory and the engine's script joined with one backslash.
  const std::string script = DirectoryWithoutSeparator(false) + "\\qv_report.pl";
  RegisterReportContext(context);
  const int result = create(script.c_str(), context->request, summary, &GetPropertyValue, &TakeStatus, &FileActions);
  UnregisterReportContext(context);
  return result;
}

QV_API char* GetSummaryValue(void* request, const char* token, int index, int /*reserved*/, char* /*unused*/,
                             char* status) {
  SetStatus(status, kTokenRetrieved);
  ReportContext* context = FindReportContext(request);
  if (context == nullptr) {
    SetStatus(status, kTokenRetrievalError);
    return NoValue();
  }
  const int id = SummaryTokenId(token);
  if (id < 0) {
    SetStatus(status, kTokenUnknown);
    return Answer(context, "");
  }
  return Answer(context, ForegroundValue(context, id, index, status));
}

QV_API char* GetSummaryValueBackground(void* request, const char* token, int index, int /*reserved*/,
                                       char* /*unused*/, char* status) {
  SetStatus(status, kTokenRetrieved);
  ReportContext* context = FindReportContext(request);
  if (context == nullptr) {
    SetStatus(status, kTokenRetrievalError);
    return NoValue();
  }
  const int id = SummaryTokenId(token);
  if (id < 0) {
    SetStatus(status, kTokenBad);
    return Answer(context, "");
  }
  if (index < 0 || static_cast<size_t>(index) >= context->rows.size()) {
    SetStatus(status, kTokenRetrievalError);
    return Answer(context, "");
  }
  return Answer(context, BackgroundValue(context, id, context->rows[static_cast<size_t>(index)]));
}

QV_API char* GetPropertyValue(void* request, int property) {
  ReportContext* context = FindReportContext(request);
  static thread_local char unknown[] = "PROPERTY_UNKNOWN";
  if (context == nullptr) return unknown;
  switch (property) {
    case 1:
    case 4:
      return Answer(context, DirectoryWithoutSeparator(false));
    case 2:
      return Answer(context, DirectoryWithoutSeparator(true));
    case 3:
      return Answer(context, context->request->controlPath);
    default:
      return Answer(context, "PROPERTY_UNKNOWN");
  }
}

QV_API int TakeStatus(void* request, int position, int range, const char* text, int textOnly) {
  ReportContext* context = FindReportContext(request);
  if (context == nullptr || context->dialog == nullptr) return 1;
  SetDlgItemTextA(context->dialog, 30004, text != nullptr ? text : "");
  if (textOnly != 0) return 0;
  if (context->progress != nullptr) {
    if (!context->rangeSet && range != 0) {
      SendMessageA(context->progress, QVUI_PROGRESS_SETRANGE, static_cast<WPARAM>(range), 0);
      context->rangeSet = true;
    }
    if (position <= range) SendMessageA(context->progress, QVUI_PROGRESS_SETPOS, static_cast<WPARAM>(position), 0);
  }
  if (!QVUI_PumpMessages(context->dialog)) context->cancelled = true;
  return context->cancelled || !IsWindow(context->dialog) ? 0 : 1;
}

QV_API int FileActions(void* request, int action, const char* file) {
  ReportContext* context = FindReportContext(request);
  if (context == nullptr || file == nullptr) return 0;
  ReportRequest* run = context->request;
  if (action == 0) {
    const char* leaf = file;
    for (const char* p = file; *p != '\0'; ++p) {
      if (*p == '\\' || *p == '/') leaf = p + 1;
    }
    const std::string target = std::string(run->outputDirectory) + leaf;
    return CopyFileA(file, target.c_str(), FALSE) ? 1 : 0;
  }
  if (action == 1) {
    if (run->report == nullptr || run->report->urlType == kSaveToFile) return 1;
    // A name is taken below the report's directory; a full path as it is.
    const bool full = file[0] == '\\' || file[0] == '/' || (file[0] != '\0' && file[1] == ':');
    const std::string path = full ? std::string(file) : std::string(run->outputDirectory) + file;
    auto* copy = static_cast<char*>(QVUI_MyAlloc(static_cast<DWORD>(path.size() + 1)));
    if (copy == nullptr) return 0;
    std::memcpy(copy, path.c_str(), path.size() + 1);
    auto* grown = static_cast<char**>(
        QVUI_MyRealloc(run->uploadFiles, static_cast<DWORD>((run->uploadCount + 1) * sizeof(char*))));
    if (grown == nullptr) {
      QVUI_MyFree2(copy);
      return 0;
    }
    run->uploadFiles = grown;
    run->uploadFiles[run->uploadCount++] = copy;
    return 1;
  }
  return 1;
}
