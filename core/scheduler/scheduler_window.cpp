// The scheduler window (template 640): the list of scheduled items with Run
// now, New, Edit, Delete, the scheduler log and the switch that disables
// scheduled items.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app_globals.h"
#include "date_time.h"
#include "host_tables.h"
#include "later_parts.h"
#include "list_view_helpers.h"
#include "panel_state.h"
#include "plugin_host.h"
#include "program_paths.h"
#include "qv_ui_shell.h"
#include "res_templates.h"
#include "res_text.h"
#include "schedule_walk.h"
#include "scheduler.h"
#include "settings.h"
#include "settings_keys.h"
#include "window_geometry.h"

namespace {

constexpr int kListId = 15001;
constexpr int kRunNowId = 15010;
constexpr int kNewId = 15020;
constexpr int kDeleteId = 15030;
constexpr int kEditId = 15040;
constexpr int kLogId = 15046;
constexpr int kDisableId = 15047;
constexpr int kClearLogId = 15048;
constexpr int kHelpId = 16200;
constexpr ULONG_PTR kHelpContext = 1032;

constexpr UINT kColumnsText = 10116;
constexpr UINT kRunNowCaption = 9138;
constexpr UINT kRunNowNoneText = 9139;
constexpr UINT kDeleteCaption = 9140;
constexpr UINT kDeleteAskText = 9141;
constexpr UINT kDeleteNoneCaption = 9142;
constexpr UINT kDeleteNoneText = 9143;
constexpr UINT kEditNoneCaption = 9144;
constexpr UINT kEditNoneText = 9145;
constexpr UINT kClearLogText = 11023;
constexpr char kProgramCaption[] = "Quorvane";

// The event each row of the list shows (the window is modal: one at a time).
// Rows are mapped back through the table, so an event that left it meanwhile
// is never handed out.
std::vector<SCHEDULE_EVENT*> g_rowEvents;

int Ask(HWND window, UINT captionId, UINT textId, UINT style) {
  char caption[kResTextMax + 1];
  char text[kResTextMax + 1];
  LoadResText(captionId, caption, sizeof caption);
  LoadResText(textId, text, sizeof text);
  return MessageBoxA(window, text, caption, style);
}

const char* PluginName(unsigned int kind) {
  const PluginEntry* entry = FindPlugin(kind);
  return entry != nullptr ? entry->name : "";
}

void EnableCommands(HWND dialog) {
  const bool any = ScheduleTable.count > 0;
  EnableWindow(GetDlgItem(dialog, kRunNowId), any && SchedulingEnabled());
  EnableWindow(GetDlgItem(dialog, kDeleteId), any);
  EnableWindow(GetDlgItem(dialog, kEditId), any);
}

void RunNow(HWND dialog) {
  SCHEDULE_EVENT** selected = nullptr;
  const int count = GetSelectedEvents(dialog, &selected);
  if (count == 0) {
    Ask(dialog, kRunNowCaption, kRunNowNoneText, MB_OK | MB_ICONINFORMATION);
    return;
  }
  {
    SchedulerLock lock;
    for (int i = 0; i < count; ++i) selected[i]->runNow = 1;
  }
  std::free(selected);
  SendMessageA(dialog, WM_COMMAND, IDOK, 0);
}

void NewEvent(HWND dialog) {
  SchedulerLock lock;
  ScheduleWalk walk;
  const int kind = ChoosePlugin(dialog, PF_EDIT_SCHEDULED_EVENT);
  if (kind < 0) return;
  const auto edit = GetPluginFunctionAs<PFN_EditScheduledEvent>(static_cast<unsigned int>(kind), PF_EDIT_SCHEDULED_EVENT);
  if (edit == nullptr) return;
  SCHEDULE_EVENT* made = nullptr;
  if (edit(dialog, nullptr, &made) != PLUGIN_DONE || made == nullptr) return;
  // One that cannot be added (no memory) stays out of the table.
  AppendScheduledEvent(made);
  RescheduleAll(0);
  FillScheduleList(dialog, nullptr);
}

void DeleteEvents(HWND dialog) {
  SchedulerLock lock;
  ScheduleWalk walk;
  SCHEDULE_EVENT** selected = nullptr;
  const int count = GetSelectedEvents(dialog, &selected);
  if (count == 0) {
    Ask(dialog, kDeleteNoneCaption, kDeleteNoneText, MB_OK | MB_ICONINFORMATION);
    return;
  }
  if (Ask(dialog, kDeleteCaption, kDeleteAskText, MB_YESNO | MB_ICONQUESTION) == IDYES) {
    // Last selected first; each event leaves the table before its plug-in
    // deletes it, and one that a plug-in call removed meanwhile is left alone.
    for (int i = count - 1; i >= 0; --i) {
      SCHEDULE_EVENT* event = selected[i];
      if (!IsEventInTable(event) || event->profile == nullptr) continue;
      const auto kind = static_cast<unsigned int>(event->profile->type);
      RemoveScheduledEvent(event);
      if (auto erase = GetPluginFunctionAs<PFN_DeleteScheduledEvent>(kind, PF_DELETE_SCHEDULED_EVENT))
        erase(dialog, event);
    }
    RescheduleAll(0);
    FillScheduleList(dialog, nullptr);
    if (g_app.mainPanel != nullptr) SetDlgItemTextA(g_app.mainPanel, kStatusLineId, "");
  }
  std::free(selected);
}

void EditEvents(HWND dialog) {
  SchedulerLock lock;
  ScheduleWalk walk;
  SCHEDULE_EVENT** selected = nullptr;
  const int count = GetSelectedEvents(dialog, &selected);
  if (count == 0) {
    Ask(dialog, kEditNoneCaption, kEditNoneText, MB_OK | MB_ICONINFORMATION);
    return;
  }
  for (int i = 0; i < count; ++i) {
    SCHEDULE_EVENT* event = selected[i];
    // An earlier edit may have removed this one.
    if (!IsEventInTable(event) || event->profile == nullptr) continue;
    const auto kind = static_cast<unsigned int>(event->profile->type);
    const auto edit = GetPluginFunctionAs<PFN_EditScheduledEvent>(kind, PF_EDIT_SCHEDULED_EVENT);
    if (edit == nullptr) continue;
    SCHEDULE_EVENT* out = nullptr;
    if (edit(dialog, event, &out) != PLUGIN_DONE || out == nullptr) continue;
    // The edited record takes the old one's place while that is still in the table.
    int32_t index = -1;
    for (int32_t k = 0; k < ScheduleTable.count; ++k) {
      if (ScheduleTable.events[k] == event) index = k;
    }
    if (index < 0) continue;
    ScheduleTable.events[index] = out;
    if (out->repeatType != kRepeatOnce && NextRunOf(out) <= SchedulerNow()) ComputeNextRunTime(out);
  }
  std::free(selected);
  RescheduleAll(0);
  FillScheduleList(dialog, nullptr);
}

void ClearLog(HWND dialog) {
  char text[kResTextMax + 1];
  LoadResText(kClearLogText, text, sizeof text);
  if (MessageBoxA(dialog, text, kProgramCaption, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  const char* log = QVUI_GetScheduleLogFilename(g_app.instance);
  if (GetFileAttributesA(log) != INVALID_FILE_ATTRIBUTES) DeleteFileA(log);
  QVUI_CreateSchedulerLogFile(g_app.instance);
}

INT_PTR CheckMessage(HWND dialog, WPARAM store) {
  const bool disabled = IsDlgButtonChecked(dialog, kDisableId) == BST_CHECKED;
  if (store == 1) {
    WriteIntSetting(ini::kDefaults, ini::kDisableScheduledItems, disabled ? 1 : 0, GetIniPath());
    g_panel.schedulingEnabled = !disabled;
  }
  {
    SchedulerLock lock;
    EnableWindow(GetDlgItem(dialog, kRunNowId), SchedulingEnabled() && ScheduleTable.count > 0);
  }
  const INT_PTR enabled = SchedulingEnabled() ? 1 : 0;
  SetWindowLongPtrA(dialog, DWLP_MSGRESULT, enabled);
  return enabled;
}

}  // namespace

void FillScheduleList(HWND dialog, HFONT font) {
  HWND list = GetDlgItem(dialog, kListId);
  if (list == nullptr) return;
  if (font != nullptr) SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SchedulerLock lock;
  SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
  g_rowEvents.clear();
  for (int32_t i = 0; i < ScheduleTable.count; ++i) {
    const SCHEDULE_EVENT* event = ScheduleTable.events[i];
    if (event == nullptr || event->profile == nullptr || event->hiddenRecurring != 0 || event->immediateOneShot != 0)
      continue;
    char timeText[DATE_TIME_TEXT_SIZE];
    char dateText[DATE_TIME_TEXT_SIZE];
    FormatDateTime(timeText, dateText, static_cast<time_t>(NextRunOf(event)));
    char row[PROFILE_DESCRIPTION_LEN + 2 * DATE_TIME_TEXT_SIZE + PLUGIN_NAME_LEN + 8];
    std::snprintf(row, sizeof row, "%.80s\t%s\t%s\t%s", event->profile->description, dateText, timeText,
                  PluginName(static_cast<unsigned int>(event->profile->type)));
    if (ListViewAddRow(list, row) >= 0) g_rowEvents.push_back(ScheduleTable.events[i]);
  }
  if (!g_rowEvents.empty()) {
    LVITEMA state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
    ListViewEnsureVisible(list, 0);
  }
  EnableCommands(dialog);
}

int GetSelectedEvents(HWND dialog, SCHEDULE_EVENT*** out) {
  *out = nullptr;
  HWND list = GetDlgItem(dialog, kListId);
  if (list == nullptr) return 0;
  const int selectedCount = ListViewCountSelected(list);
  if (selectedCount <= 0) return 0;
  std::vector<int> rows(static_cast<size_t>(selectedCount));
  const int got = ListViewGetSelection(list, selectedCount, rows.data());
  SchedulerLock lock;
  std::vector<SCHEDULE_EVENT*> events;
  for (int i = 0; i < got; ++i) {
    const int row = rows[static_cast<size_t>(i)];
    if (row < 0 || static_cast<size_t>(row) >= g_rowEvents.size()) continue;
    SCHEDULE_EVENT* event = g_rowEvents[static_cast<size_t>(row)];
    if (IsEventInTable(event)) events.push_back(event);
  }
  if (events.empty()) return 0;
  auto* array = static_cast<SCHEDULE_EVENT**>(std::malloc(events.size() * sizeof(SCHEDULE_EVENT*)));
  if (array == nullptr) return 0;
  std::memcpy(array, events.data(), events.size() * sizeof(SCHEDULE_EVENT*));
  *out = array;
  return static_cast<int>(events.size());
}

INT_PTR CALLBACK SchedulerDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      {
        SchedulerLock lock;
        char columns[kResTextMax + 1];
        ListViewSetColumns(GetDlgItem(dialog, kListId), LoadResText(kColumnsText, columns, sizeof columns));
        CenterWindow(dialog);
        FillScheduleList(dialog, nullptr);
        const UINT disabled = GetPrivateProfileIntA(ini::kDefaults, ini::kDisableScheduledItems, 0, GetIniPath());
        CheckDlgButton(dialog, kDisableId, disabled != 0 ? BST_CHECKED : BST_UNCHECKED);
      }
      SendMessageA(dialog, QVM_SCHEDULER_CHECK, 0, 0);
      return TRUE;
    }
    case QVM_SCHEDULER_CHECK:
      return CheckMessage(dialog, wParam);
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header != nullptr && header->idFrom == kListId && header->code == NM_DBLCLK) EditEvents(dialog);
      return FALSE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kRunNowId: RunNow(dialog); return TRUE;
        case kNewId: NewEvent(dialog); return TRUE;
        case kDeleteId: DeleteEvents(dialog); return TRUE;
        case kEditId: EditEvents(dialog); return TRUE;
        case kLogId: ShowScheduleLog(dialog); return TRUE;
        case kClearLogId: ClearLog(dialog); return TRUE;
        case kHelpId: WinHelpA(dialog, g_app.helpPath, HELP_CONTEXT, kHelpContext); return TRUE;
        case IDOK:
          SendMessageA(dialog, QVM_SCHEDULER_CHECK, 1, 0);
          EndDialog(dialog, 1);
          return TRUE;
        case IDCANCEL: EndDialog(dialog, 2); return TRUE;
        default: return FALSE;
      }
    case WM_DESTROY:
      g_rowEvents.clear();
      return FALSE;
    default:
      return FALSE;
  }
}

INT_PTR ShowSchedulerWindow(HWND panel, LPARAM row) {
  return DialogBoxIndirectParamA(g_app.resourceModule, LoadDialogTemplate(kSchedulerTemplate), panel, SchedulerDlg,
                                 row);
}

void ShowScheduleLog(HWND owner) {
  ShowTextViewer(owner, QVUI_GetScheduleLogFilename(g_app.instance), 0);
}
