// Schedule event files, the table of dynamic events, and the program's
// functions on schedule events and reports.
#include "schedule_events.h"

#include <cstring>
#include <mutex>
#include <set>
#include <string>

#include "alert_plugin.h"
#include "install_paths.h"
#include "memorized_report.h"
#include "plugin_globals.h"
#include "plugin_helpers.h"
#include "qv_ui.h"
#include "report_dialogs.h"
#include "report_errors.h"
#include "report_request.h"

namespace {

constexpr char kMain[] = "Main";
constexpr char kCaption[] = "Vozed Uvarirada";

// The dynamic table: record pointers, null for a free slot.
std::mutex g_table_lock;
SCHEDULE_EVENT** g_table = nullptr;
int g_slots = 0;

// The enumeration: the event files, the next one to hand out, the window of
// the last call; and the files already reported as lacking their profile.
struct Enumeration {
  char (*paths)[MAX_PATH] = nullptr;
  int count = 0;
  int next = 0;
  HWND window = nullptr;
};
Enumeration g_enumeration;
std::set<std::string> g_reported_orphans;

void FreeEnumeration() {
  if (g_enumeration.paths != nullptr) QVUI_MyFree2(g_enumeration.paths);
  g_enumeration.paths = nullptr;
  g_enumeration.count = 0;
  g_enumeration.next = 0;
}

std::string UpperPath(const char* path) {
  std::string text = path;
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

PROFILE* RowOfProfileFile(const char* path) {
  CAlertPlugin* plugin = ThePlugin();
  return plugin != nullptr ? plugin->FindProfileRowByFile(path) : nullptr;
}

}  // namespace

void ReadScheduleEvent(SCHEDULE_EVENT* event, const char* path) {
  if (event == nullptr) return;
  std::memset(event, 0, sizeof *event);
  CopyText(event->eventFile, path);
  if (path == nullptr || path[0] == '\0') return;
  event->startTime = ReadProfileInt(kMain, "StartTime", 0, path);
  event->repeatType = ReadProfileInt(kMain, "RepeatType", 0, path);
  event->repeatFrequency = ReadProfileInt(kMain, "RepeatFrequency", 0, path);
  GetPrivateProfileStringA(kMain, "SaveAsFilename", "", event->saveAs, sizeof event->saveAs, path);
  GetPrivateProfileStringA(kMain, "AssociatedProfileFilename", "", event->associatedProfileFile,
                           sizeof event->associatedProfileFile, path);
  GetPrivateProfileStringA(kMain, "Username", "", event->userName, sizeof event->userName, path);
  char stored[kStoredPasswordSize];
  GetPrivateProfileStringA(kMain, "Password", "", stored, sizeof stored, path);
  QVUI_DecryptPassword(stored, event->password, sizeof event->password);
  GetPrivateProfileStringA(kMain, "MemorizedReportFilename", "", event->memorizedReportFile,
                           sizeof event->memorizedReportFile, path);
}

bool WriteScheduleEvent(const SCHEDULE_EVENT* event, const char* path) {
  if (event == nullptr || !PrepareOwnerOnlyFile(path)) return false;
  char stored[kStoredPasswordSize];
  QVUI_EncryptPassword(event->password, stored, sizeof stored);
  bool ok = QVUI_WritePrivateProfileInt(kMain, "StartTime", event->startTime, path) != FALSE;
  ok = QVUI_WritePrivateProfileInt(kMain, "RepeatType", event->repeatType, path) != FALSE && ok;
  ok = QVUI_WritePrivateProfileInt(kMain, "RepeatFrequency", event->repeatFrequency, path) != FALSE && ok;
  ok = WritePrivateProfileStringA(kMain, "SaveAsFilename", event->saveAs, path) != FALSE && ok;
  ok = WritePrivateProfileStringA(kMain, "AssociatedProfileFilename", event->associatedProfileFile, path) != FALSE &&
       ok;
  ok = WritePrivateProfileStringA(kMain, "Username", event->userName, path) != FALSE && ok;
  ok = WritePrivateProfileStringA(kMain, "Password", stored, path) != FALSE && ok;
  ok = WritePrivateProfileStringA(kMain, "MemorizedReportFilename", event->memorizedReportFile, path) != FALSE && ok;
  return ok;
}

SCHEDULE_EVENT* AddDynamicEvent(const SCHEDULE_EVENT* event) {
  if (event == nullptr) return nullptr;
  auto* copy = static_cast<SCHEDULE_EVENT*>(QVUI_MyAlloc(sizeof(SCHEDULE_EVENT)));
  if (copy == nullptr) return nullptr;
  std::memcpy(copy, event, sizeof *copy);
  std::lock_guard<std::mutex> hold(g_table_lock);
  for (int i = 0; i < g_slots; ++i) {
    if (g_table[i] == nullptr) {
      g_table[i] = copy;
      return copy;
    }
  }
  auto* grown = static_cast<SCHEDULE_EVENT**>(
      QVUI_MyRealloc(g_table, static_cast<DWORD>((g_slots + 1) * sizeof(SCHEDULE_EVENT*))));
  if (grown == nullptr) {
    QVUI_MyFree2(copy);
    return nullptr;
  }
  g_table = grown;
  g_table[g_slots++] = copy;
  return copy;
}

bool RemoveDynamicEvent(SCHEDULE_EVENT* event) {
  if (event == nullptr) return false;
  std::lock_guard<std::mutex> hold(g_table_lock);
  for (int i = 0; i < g_slots; ++i) {
    if (g_table[i] == event) {
      QVUI_MyFree2(event);
      g_table[i] = nullptr;
      return true;
    }
  }
  return false;
}

int DynamicEventSlots() {
  std::lock_guard<std::mutex> hold(g_table_lock);
  return g_slots;
}

int DynamicEventCount() {
  std::lock_guard<std::mutex> hold(g_table_lock);
  int count = 0;
  for (int i = 0; i < g_slots; ++i) count += g_table[i] != nullptr ? 1 : 0;
  return count;
}

void FreeDynamicEvents() {
  std::lock_guard<std::mutex> hold(g_table_lock);
  for (int i = 0; i < g_slots; ++i) {
    if (g_table[i] != nullptr) QVUI_MyFree2(g_table[i]);
  }
  if (g_table != nullptr) QVUI_MyFree2(g_table);
  g_table = nullptr;
  g_slots = 0;
  FreeEnumeration();
}

void ForgetReportedOrphanEvents() { g_reported_orphans.clear(); }

int GenerateReportForRow(HWND parent, PROFILE* row) {
  ReportRequestWithReport run{};
  run.request.profile = row;
  run.request.report = &run.report;
  if (RunReportDialog(parent, &run.request) != 1) return PLUGIN_FAILED;
  return RunAlertReportDialog(parent, &run.request) != 0 ? PLUGIN_DONE : PLUGIN_FAILED;
}

int FindScheduledEvent(HWND parent, SCHEDULE_EVENT* previous, SCHEDULE_EVENT** out) {
  if (out != nullptr) *out = nullptr;
  g_enumeration.window = parent;
  if (previous == nullptr) {
    FreeEnumeration();
    g_enumeration.paths = ListScheduleEventFiles(&g_enumeration.count);
    if (g_enumeration.paths == nullptr) return PLUGIN_FAILED;
  }
  // An event whose profile is gone is reported once and passed over, so that
  // the events after it still reach the program.
  while (g_enumeration.paths != nullptr && g_enumeration.next < g_enumeration.count) {
    const char* path = g_enumeration.paths[g_enumeration.next++];
    SCHEDULE_EVENT record;
    ReadScheduleEvent(&record, path);
    record.profile = RowOfProfileFile(record.associatedProfileFile);
    if (record.profile == nullptr) {
      if (g_reported_orphans.insert(UpperPath(path)).second) {
        const std::string text = std::string("The schedule data file\r\n") + path +
                                 "\r\nhas no associated Alert profile.\r\nPlease delete the schedule data file "
                                 "and restart the schedule dialog.";
        MessageBoxA(parent, text.c_str(), kCaption, MB_OK | MB_ICONWARNING);
      }
      continue;
    }
    record.active = 1;
    SCHEDULE_EVENT* copy = AddDynamicEvent(&record);
    if (copy == nullptr) {
      MessageBoxA(parent, "Couldn't create a dynamic schedule event.", kCaption, MB_OK | MB_ICONWARNING);
      return PLUGIN_FAILED;
    }
    if (out != nullptr) *out = copy;
    return PLUGIN_DONE;
  }
  FreeEnumeration();
  return PLUGIN_NO_MORE;
}

int EditScheduledEvent(HWND parent, SCHEDULE_EVENT* event, SCHEDULE_EVENT** out) {
  if (out != nullptr) *out = nullptr;
  SCHEDULE_EVENT record;
  if (event == nullptr) {
    std::memset(&record, 0, sizeof record);
    char directory[MAX_PATH];
    if (!GetScheduleEventDirectory(directory, sizeof directory) ||
        !MakeUniqueFileName(directory, "ALERT", "*.AMS", record.eventFile, sizeof record.eventFile)) {
      return PLUGIN_FAILED;
    }
  } else {
    std::memcpy(&record, event, sizeof record);
  }
  if (RunScheduleDialog(parent, &record) != 1) return PLUGIN_FAILED;
  const std::string file = record.eventFile;
  ReadScheduleEvent(&record, file.c_str());
  record.profile = RowOfProfileFile(record.associatedProfileFile);
  if (record.profile == nullptr) return PLUGIN_FAILED;
  record.active = 1;
  if (event == nullptr) {
    SCHEDULE_EVENT* copy = AddDynamicEvent(&record);
    if (copy == nullptr) return PLUGIN_FAILED;
    if (out != nullptr) *out = copy;
    return PLUGIN_DONE;
  }
  // Changed in place: the program keeps its pointer and its own flags.
  record.immediateOneShot = event->immediateOneShot;
  record.runNow = event->runNow;
  record.hiddenRecurring = event->hiddenRecurring;
  record.key = event->key;
  std::memcpy(event, &record, sizeof record);
  if (out != nullptr) *out = event;
  return PLUGIN_DONE;
}

int DeleteScheduledEvent(HWND /*parent*/, SCHEDULE_EVENT* event) {
  if (event == nullptr) return PLUGIN_FAILED;
  if (event->eventFile[0] != '\0') DeleteFileA(event->eventFile);
  RemoveDynamicEvent(event);
  return PLUGIN_DONE;
}

int StartScheduledEvent(HWND parent, SCHEDULE_EVENT* event) {
  if (event == nullptr) return PLUGIN_FAILED;
  ReportRequestWithReport run{};
  QVUI_CreateSchedulerLogFile(PluginInstance());
  CopyText(run.request.logPath, QVUI_GetScheduleLogFilename(PluginInstance()));
  run.request.scheduled = 1;
  if (!ReadMemorizedReport(&run.report, event->memorizedReportFile)) {
    const std::string text =
        std::string("Unable to obtain memorized report data from the file\r\n") + event->memorizedReportFile + ".";
    ReportError(nullptr, 1, run.request.logPath, text.c_str());
    return PLUGIN_FAILED;
  }
  CopyText(run.report.saveTo, event->saveAs);
  run.report.urlType = GetSaveToType(event->saveAs);
  CopyText(run.report.saveToUserName, event->userName);
  CopyText(run.report.saveToPassword, event->password);
  run.request.profile = event->profile;
  run.request.report = &run.report;
  return RunAlertReportDialog(parent, &run.request) != 0 ? PLUGIN_DONE : PLUGIN_FAILED;
}
