// One scheduled run on the panel's tick: choosing whether the next event is
// due, the countdown, the scheduler log line, the plug-in's start of the
// event, re-planning, and the next-run text of the panel's status line.
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>

#include "analysis_status.h"
#include "app_globals.h"
#include "date_time.h"
#include "host_tables.h"
#include "later_parts.h"
#include "modeless_dialog.h"
#include "panel_state.h"
#include "plugin_host.h"
#include "qv_ui_shell.h"
#include "res_text.h"
#include "schedule_walk.h"
#include "scheduler.h"

namespace {

// Set while a scheduled run is under way, cleared by its re-planning.
std::atomic<bool> g_scheduledRunActive{false};

constexpr UINT kDisabledText = 5728;
constexpr UINT kDueText = 9105;
constexpr UINT kSecondsText = 10175;
constexpr UINT kMinutesText = 10176;
constexpr UINT kHoursText = 10177;
constexpr UINT kDaysText = 11080;
constexpr int kCountdownSkipped = 2;

// The format text with its first number field ("%u", "%d", "%hu", ...)
// replaced by the number; "%%" stands for '%'. Texts come from a resource
// module, so they never reach printf.
std::string FormatNumberText(const char* format, unsigned int number) {
  std::string out;
  bool done = false;
  for (const char* p = format; *p != '\0'; ++p) {
    if (*p != '%') {
      out += *p;
      continue;
    }
    if (p[1] == '%') {
      out += '%';
      ++p;
      continue;
    }
    const char* q = p + 1;
    while (*q == 'h' || *q == 'l') ++q;
    if (!done && (*q == 'u' || *q == 'd' || *q == 'i')) {
      out += std::to_string(number);
      done = true;
      p = q;
      continue;
    }
    out += *p;
  }
  return out;
}

// Whether the chosen event is due now (mutex held).
bool IsChosenEventDue(const SCHEDULE_EVENT* event) {
  if (event == nullptr || !IsEventInTable(event) || event->active == 0) return false;
  if (event->runNow == 0 && NextRunOf(event) > SchedulerNow()) return false;
  if (!SchedulingEnabled()) return event->immediateOneShot != 0 || event->hiddenRecurring != 0;
  return true;
}

void WriteRunLine(const char* description) {
  char timeText[DATE_TIME_TEXT_SIZE];
  char dateText[DATE_TIME_TEXT_SIZE];
  FormatDateTime(timeText, dateText, static_cast<time_t>(SchedulerNow()));
  char line[2 * DATE_TIME_TEXT_SIZE + PROFILE_DESCRIPTION_LEN + 8];
  std::snprintf(line, sizeof line, "%s %s\t\t%s", dateText, timeText, description);
  QVUI_WriteSchedulerLogFile(g_app.instance, line, nullptr);
}

}  // namespace

bool SchedulingEnabled() { return g_panel.schedulingEnabled; }

bool IsScheduledRunActive() { return g_scheduledRunActive.load(); }

void FormatTimeSpan(uint32_t seconds, char* out, int outSize) {
  UINT id = kSecondsText;
  uint32_t number = seconds;
  if (seconds >= 86401) {
    id = kDaysText;
    number = seconds / 86400;
  } else if (seconds >= 3601) {
    id = kHoursText;
    number = seconds / 3600;
  } else if (seconds >= 61) {
    id = kMinutesText;
    number = seconds / 60;
  }
  char format[kResTextMax + 1];
  LoadResText(id, format, sizeof format);
  const std::string text = FormatNumberText(format, number & 0xFFFFu);
  std::snprintf(out, static_cast<size_t>(outSize), "%s", text.c_str());
}

void ShowNextScheduledRunText(HWND panel) {
  if (g_panel.pluginRunInProgress) return;
  char text[kResTextMax + 1] = "";
  if (!SchedulingEnabled()) {
    LoadResText(kDisabledText, text, sizeof text);
  } else {
    SchedulerLock lock;
    const SCHEDULE_EVENT* chosen = ScheduleTable.nextDue;
    if (chosen != nullptr) {
      const uint32_t now = SchedulerNow();
      const uint32_t next = NextRunOf(chosen);
      if (next > now) {
        FormatTimeSpan(next - now, text, sizeof text);
      } else {
        LoadResText(kDueText, text, sizeof text);
      }
    }
  }
  if (panel != nullptr) SetDlgItemTextA(panel, kStatusLineId, text);
}

void RunSchedulerStep(HWND panel) {
  SCHEDULE_EVENT* event = nullptr;
  {
    SchedulerLock lock;
    event = ScheduleTable.nextDue;
    if (!IsChosenEventDue(event)) return;
  }
  // Remote commands that arrive meanwhile wait until the run is over.
  ScheduleWalk walk;
  RunScheduledEvent(panel, event, g_panel.commandLineMode);
  ScheduleChanged(panel, event, g_panel.commandLineMode);
}

void RunScheduledEvent(HWND panel, SCHEDULE_EVENT* event, bool commandLineMode) {
  if (g_panel.exiting) return;
  bool countdown = false;
  {
    SchedulerLock lock;
    if (!IsEventInTable(event)) return;
    if (event->runNow == 0 || commandLineMode) {
      ComputeNextRunTime(event);
    } else if (event->repeatType == kRepeatOnce && NextRunOf(event) <= SchedulerNow()) {
      event->active = 0;
    }
    event->runNow = 0;
    countdown = !commandLineMode && event->immediateOneShot == 0;
  }
  g_scheduledRunActive = true;
  g_scheduledRunInProgress = true;
  if (countdown) {
    int answer = 0;
    RunModelessDialog(panel, WaitAndCountDownDlg, kCountdownTemplate, 0, SW_SHOW, TRUE, &answer);
    if (answer == kCountdownSkipped) return;
  }
  PumpMessages();
  if (g_panel.exiting) return;
  // The countdown and the messages may have removed the event (and its
  // plug-in freed it): it is looked for again before it is used.
  unsigned int kind = 0;
  char description[PROFILE_DESCRIPTION_LEN + 1] = "";
  {
    SchedulerLock lock;
    if (!IsEventInTable(event) || event->profile == nullptr) return;
    kind = static_cast<unsigned int>(event->profile->type);
    std::memcpy(description, event->profile->description, PROFILE_DESCRIPTION_LEN);
  }
  const auto start = GetPluginFunctionAs<PFN_StartScheduledEvent>(kind, PF_START_SCHEDULED_EVENT);
  if (start != nullptr) {
    WriteRunLine(description);
    g_panel.pluginRunInProgress = true;
    start(panel, event);
    g_panel.pluginRunInProgress = false;
  }
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
}

void ScheduleChanged(HWND panel, SCHEDULE_EVENT* event, bool commandLineMode) {
  SchedulerLock lock;
  // The plug-in's run may have removed the event: only one still in the
  // table is read.
  if (IsEventInTable(event) && event->immediateOneShot != 0) RemoveScheduledEvent(event);
  RescheduleAll(0);
  ShowNextScheduledRunText(panel);
  g_scheduledRunInProgress = false;
  if (commandLineMode) g_panel.exitWhenIdle = true;
  g_scheduledRunActive = false;
  if (panel != nullptr) StartCountdown(panel);
}
