// Scheduled runs on the panel's tick with an in-process plug-in: the due
// test, the countdown, the scheduler log line, re-planning, events that leave
// the table during a run, and the scheduler window. Clock of the test's own,
// UTC.
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app_globals.h"
#include "host_tables.h"
#include "later_parts.h"
#include "modeless_dialog.h"
#include "panel_state.h"
#include "plugin_host.h"
#include "program_paths.h"
#include "qv_ui_internal.h"
#include "qvplatform/ui_driver.h"
#include "resource_cache.h"
#include "scheduler.h"
#include "test_dir.h"

namespace {

uint32_t g_now = 0;
uint32_t TestClock() { return g_now; }

uint32_t Utc(int year, int month, int day, int hour, int minute, int second) {
  std::tm fields{};
  fields.tm_year = year - 1900;
  fields.tm_mon = month - 1;
  fields.tm_mday = day;
  fields.tm_hour = hour;
  fields.tm_min = minute;
  fields.tm_sec = second;
  return static_cast<uint32_t>(timegm(&fields));
}

// The plug-in: what the host asked of it, and what it does meanwhile.
struct FakeScheduling {
  std::vector<SCHEDULE_EVENT*> started;
  std::vector<SCHEDULE_EVENT*> deleted;
  std::function<void(SCHEDULE_EVENT*)> onStart;
  std::function<SCHEDULE_EVENT*(SCHEDULE_EVENT*)> onEdit;  // the record it answers, null: cancelled
};
FakeScheduling g_fake;

int StartEvent(HWND, SCHEDULE_EVENT* event) {
  g_fake.started.push_back(event);
  if (g_fake.onStart) g_fake.onStart(event);
  return PLUGIN_DONE;
}
int EditEvent(HWND, SCHEDULE_EVENT* event, SCHEDULE_EVENT** out) {
  *out = g_fake.onEdit ? g_fake.onEdit(event) : nullptr;
  return *out != nullptr ? PLUGIN_DONE : PLUGIN_FAILED;
}
int DeleteEvent(HWND, SCHEDULE_EVENT* event) {
  g_fake.deleted.push_back(event);
  return PLUGIN_DONE;
}
FARPROC Supported(int id) {
  switch (id) {
    case PF_START_SCHEDULED_EVENT: return reinterpret_cast<FARPROC>(StartEvent);
    case PF_EDIT_SCHEDULED_EVENT: return reinterpret_cast<FARPROC>(EditEvent);
    case PF_DELETE_SCHEDULED_EVENT: return reinterpret_cast<FARPROC>(DeleteEvent);
    default: return nullptr;
  }
}

// What the test does to the countdown once it is up.
std::function<void(HWND)> g_countdownAction;
void CALLBACK DriveCountdown(HWND window, UINT, UINT_PTR id, DWORD) {
  qvp::driver::WindowQuery query;
  query.template_id = kCountdownTemplate;
  HWND countdown = qvp::driver::Find(query);
  if (countdown == nullptr || !g_countdownAction) return;
  KillTimer(window, id);
  auto action = std::move(g_countdownAction);
  g_countdownAction = nullptr;
  action(countdown);
}

constexpr int kCountdownTime = 8355;
constexpr int kCountdownGroup = 14710;

class ScheduledRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    SetSchedulerClock(TestClock);
    g_now = Utc(2024, 5, 10, 12, 0, 5);
    qv::SetProgramDirForTests(dir_.dir().c_str());
    qvui::SetProgramDirectoryForTests(dir_.dir());
    base_ = LoadLibraryA(QV_DIST_DIR "/BASE.RSL");
    ASSERT_NE(base_, nullptr);
    g_app.resourceModule = base_;
    g_panel = PanelState{};
    g_fake = FakeScheduling{};
    entry_ = PluginEntry{};
    entry_.kind = 4;
    std::strcpy(entry_.name, "Alerting");
    entry_.IsFunctionSupported = Supported;
    for (int slot = 0; slot < 32; ++slot) entry_.slots[slot] = Supported(kPluginSlotOrder[slot]);
    g_pluginList = &entry_;
    row_.type = 4;
    std::strcpy(row_.description, "Web server");
    panel_ = CreateWindowExA(0, "STATIC", "panel", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
    CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 200, 20, panel_, reinterpret_cast<HMENU>(kStatusLineId), nullptr,
                    nullptr);
    g_app.mainPanel = panel_;
    g_app.instance = GetModuleHandleA(nullptr);
  }
  void TearDown() override {
    DestroyWindow(panel_);
    g_app.mainPanel = nullptr;
    FreeScheduleTable();
    g_pluginList = nullptr;
    g_panel = PanelState{};
    SetSchedulerClock(nullptr);
    FreeResourceCache();
    g_app.resourceModule = nullptr;
    FreeLibrary(base_);
    qv::SetProgramDirForTests(nullptr);
    qvui::SetProgramDirectoryForTests("");
    EXPECT_TRUE(qvp::TakeUnexpectedPrompts().empty());
  }

  SCHEDULE_EVENT* Event(uint32_t next, int32_t unit = kRepeatMinutes, int32_t count = 1) {
    owned_.push_back(std::make_unique<SCHEDULE_EVENT>());
    SCHEDULE_EVENT* event = owned_.back().get();
    event->profile = &row_;
    SetNextRun(event, next);
    event->repeatType = unit;
    event->repeatFrequency = count;
    event->active = 1;
    AppendScheduledEvent(event);
    return event;
  }
  void Free(SCHEDULE_EVENT* event) {
    for (auto& owned : owned_) {
      if (owned.get() == event) owned.reset();
    }
  }
  std::string Log() const { return dir_.read("SCHEDULE.LOG"); }
  std::string StatusLine() const { return qvp::driver::Text(GetDlgItem(panel_, kStatusLineId)); }
  // Runs the tick with a countdown the test acts on once it is up.
  void TickWithCountdown(std::function<void(HWND)> action) {
    g_countdownAction = std::move(action);
    SetTimer(panel_, 77, 5, DriveCountdown);
    RunSchedulerStep(panel_);
    KillTimer(panel_, 77);
    g_countdownAction = nullptr;
  }

  TestDir dir_;
  HMODULE base_ = nullptr;
  PluginEntry entry_{};
  PROFILE row_{};
  HWND panel_ = nullptr;
  std::vector<std::unique_ptr<SCHEDULE_EVENT>> owned_;
};

TEST_F(ScheduledRunTest, ADueEventRunsIsLoggedAndReplannedOnItsGrid) {
  g_panel.commandLineMode = true;  // no countdown
  SCHEDULE_EVENT* event = Event(Utc(2024, 5, 10, 12, 0, 0));
  RescheduleAll(0);
  RunSchedulerStep(panel_);
  ASSERT_EQ(g_fake.started, std::vector<SCHEDULE_EVENT*>{event});
  EXPECT_EQ(Log(), "05/10/24 12:00:05\t\tWeb server\r\n");
  EXPECT_EQ(NextRunOf(event), Utc(2024, 5, 10, 12, 1, 0));
  EXPECT_EQ(StatusLine(), "Next run in 55 seconds");
  EXPECT_TRUE(g_panel.exitWhenIdle);
  EXPECT_FALSE(IsScheduledRunActive());
  EXPECT_FALSE(g_scheduledRunInProgress.load());

  // Not due again until the next minute of the grid.
  g_now = Utc(2024, 5, 10, 12, 0, 59);
  RunSchedulerStep(panel_);
  EXPECT_EQ(g_fake.started.size(), 1u);
  g_now = Utc(2024, 5, 10, 12, 1, 1);
  RunSchedulerStep(panel_);
  EXPECT_EQ(g_fake.started.size(), 2u);
  EXPECT_EQ(NextRunOf(event), Utc(2024, 5, 10, 12, 2, 0));
  EXPECT_EQ(Log(), "05/10/24 12:00:05\t\tWeb server\r\n05/10/24 12:01:01\t\tWeb server\r\n");
}

TEST_F(ScheduledRunTest, WhileDisabledOnlyHiddenAndImmediateEventsRun) {
  g_panel.schedulingEnabled = false;
  SCHEDULE_EVENT* ordinary = Event(Utc(2024, 5, 10, 11, 0, 0));
  RescheduleAll(0);
  RunSchedulerStep(panel_);
  EXPECT_TRUE(g_fake.started.empty());
  ShowNextScheduledRunText(panel_);
  EXPECT_EQ(StatusLine(), "Scheduled items are disabled.");

  SCHEDULE_EVENT* hidden = Event(Utc(2024, 5, 10, 11, 30, 0), kRepeatHours);
  hidden->hiddenRecurring = 1;
  ordinary->active = 1;
  RescheduleAll(0);
  ASSERT_EQ(ScheduleTable.nextDue, ordinary);
  RunSchedulerStep(panel_);  // the chosen one is ordinary: nothing runs
  EXPECT_TRUE(g_fake.started.empty());
  ordinary->active = 0;
  RescheduleAll(0);
  TickWithCountdown([](HWND countdown) { SendMessageA(countdown, WM_COMMAND, IDOK, 0); });
  EXPECT_EQ(g_fake.started, std::vector<SCHEDULE_EVENT*>{hidden});

  // An immediate one-shot runs without a countdown and leaves the table.
  SCHEDULE_EVENT* immediate = Event(Utc(2024, 5, 10, 12, 0, 0), kRepeatOnce);
  immediate->immediateOneShot = 1;
  RescheduleAll(0);
  RunSchedulerStep(panel_);
  EXPECT_EQ(g_fake.started.back(), immediate);
  EXPECT_FALSE(IsEventInTable(immediate));
  EXPECT_TRUE(IsEventInTable(hidden));
}

TEST_F(ScheduledRunTest, TheCountdownCountsPausesAndRunsAtZero) {
  SCHEDULE_EVENT* event = Event(Utc(2024, 5, 10, 12, 0, 0));
  RescheduleAll(0);
  std::vector<std::string> seen;
  TickWithCountdown([&](HWND countdown) {
    seen.push_back(qvp::driver::Text(GetDlgItem(countdown, kCountdownTime)));
    SendMessageA(countdown, WM_COMMAND, 8352, 0);  // pause: ticks do nothing
    seen.push_back(qvp::driver::Text(GetDlgItem(countdown, kCountdownGroup)));
    SendMessageA(countdown, WM_TIMER, 1, 0);
    seen.push_back(qvp::driver::Text(GetDlgItem(countdown, kCountdownTime)));
    SendMessageA(countdown, WM_COMMAND, 8352, 0);
    seen.push_back(qvp::driver::Text(GetDlgItem(countdown, kCountdownGroup)));
    for (int tick = 0; tick < 10 && IsWindow(countdown); ++tick) {
      SendMessageA(countdown, WM_TIMER, 1, 0);
      if (tick == 3) seen.push_back(qvp::driver::Text(GetDlgItem(countdown, kCountdownTime)));
    }
    EXPECT_TRUE(IsWindow(countdown));
    EXPECT_TRUE(g_fake.started.empty());
    SendMessageA(countdown, WM_TIMER, 1, 0);  // the count has run out
    EXPECT_FALSE(IsWindow(countdown));
  });
  EXPECT_EQ(seen, (std::vector<std::string>{"Next run in 10 seconds", "Countdown paused", "Next run in 10 seconds",
                                            "Next run starts in", "Next run in 7 seconds"}));
  EXPECT_EQ(g_fake.started, std::vector<SCHEDULE_EVENT*>{event});
  EXPECT_FALSE(IsScheduledRunActive());
}

TEST_F(ScheduledRunTest, ASkippedCountdownStillCountsAsARunForReplanning) {
  SCHEDULE_EVENT* event = Event(Utc(2024, 5, 10, 11, 58, 0));
  RescheduleAll(0);
  TickWithCountdown([](HWND countdown) { SendMessageA(countdown, WM_COMMAND, 8350, 0); });
  EXPECT_TRUE(g_fake.started.empty());
  EXPECT_EQ(Log(), "");
  EXPECT_EQ(NextRunOf(event), Utc(2024, 5, 10, 12, 1, 0));
  EXPECT_FALSE(IsScheduledRunActive());
  EXPECT_FALSE(g_scheduledRunInProgress.load());
}

TEST_F(ScheduledRunTest, AnEventRemovedDuringTheCountdownIsNotStartedNorTouched) {
  SCHEDULE_EVENT* event = Event(Utc(2024, 5, 10, 12, 0, 0));
  SCHEDULE_EVENT* other = Event(Utc(2024, 5, 10, 13, 0, 0));
  RescheduleAll(0);
  TickWithCountdown([&](HWND countdown) {
    HostRemoveScheduledEvent(event);  // its plug-in drops it
    Free(event);
    SendMessageA(countdown, WM_COMMAND, 8351, 0);
  });
  EXPECT_TRUE(g_fake.started.empty());
  EXPECT_EQ(ScheduleTable.nextDue, other);
}

TEST_F(ScheduledRunTest, AnEventItsPluginRemovesAndFreesDuringItsRunIsNotTouchedAfterwards) {
  g_panel.commandLineMode = true;
  SCHEDULE_EVENT* event = Event(Utc(2024, 5, 10, 12, 0, 0), kRepeatOnce);
  event->immediateOneShot = 1;
  g_fake.onStart = [&](SCHEDULE_EVENT* started) {
    HostRemoveScheduledEvent(started);
    Free(started);
  };
  RescheduleAll(0);
  RunSchedulerStep(panel_);
  EXPECT_EQ(g_fake.started.size(), 1u);
  EXPECT_EQ(ScheduleTable.count, 0);
  EXPECT_EQ(ScheduleTable.nextDue, nullptr);
  EXPECT_EQ(StatusLine(), "");
}

TEST_F(ScheduledRunTest, TimeSpanTexts) {
  char text[100];
  const std::vector<std::pair<uint32_t, std::string>> spans = {
      {0, "Next run in 0 seconds"},   {60, "Next run in 60 seconds"}, {61, "Next run in 1 minutes"},
      {3600, "Next run in 60 minutes"}, {3725, "Next run in 1 hours"},  {86400, "Next run in 24 hours"},
      {86401, "Next run in 1 days"},    {86400u * 49000u, "Next run in 49000 days"}};
  for (const auto& [seconds, expected] : spans) {
    FormatTimeSpan(seconds, text, sizeof text);
    EXPECT_EQ(std::string(text), expected) << seconds;
  }
  g_now = 1000;
  Event(1000);
  RescheduleAll(0);
  ShowNextScheduledRunText(panel_);
  EXPECT_EQ(StatusLine(), "A scheduled item is due now.");
}

// ---- The scheduler window ----

std::vector<std::string> Rows(HWND list) {
  std::vector<std::string> rows;
  const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char cell[100] = "";
    LVITEMA item{};
    item.iSubItem = 0;
    item.pszText = cell;
    item.cchTextMax = sizeof cell;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    std::string row = cell;
    for (int column = 1; column < 4; ++column) {
      item.iSubItem = column;
      SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
      row += std::string("|") + cell;
    }
    rows.push_back(row);
  }
  return rows;
}

TEST_F(ScheduledRunTest, TheWindowListsVisibleEventsAndRunsTheChosenOnesNow) {
  SCHEDULE_EVENT* first = Event(Utc(2024, 5, 11, 8, 30, 0));
  SCHEDULE_EVENT* hidden = Event(Utc(2024, 5, 11, 9, 0, 0));
  hidden->hiddenRecurring = 1;
  SCHEDULE_EVENT* second = Event(Utc(2024, 5, 12, 7, 0, 0));
  RescheduleAll(0);
  std::vector<std::string> rows;
  qvp::UiDriver driver;
  driver.OnDialog(kSchedulerTemplate)
      .Do([&](HWND window) { rows = Rows(GetDlgItem(window, 15001)); })
      .Select(15001, 1)
      .Click(15010);
  EXPECT_EQ(ShowSchedulerWindow(panel_, 0), 1);
  EXPECT_TRUE(driver.Problems().empty()) << driver.Problems().front();
  EXPECT_EQ(rows, (std::vector<std::string>{"Web server|05/11/24|08:30:00|Alerting",
                                            "Web server|05/12/24|07:00:00|Alerting"}));
  EXPECT_EQ(int{second->runNow}, 1);
  EXPECT_EQ(int{first->runNow}, 0);
  RescheduleAll(0);
  EXPECT_EQ(ScheduleTable.nextDue, second);
}

TEST_F(ScheduledRunTest, TheWindowDeletesEditsAndDisablesScheduling) {
  SCHEDULE_EVENT* first = Event(Utc(2024, 5, 11, 8, 30, 0));
  SCHEDULE_EVENT* second = Event(Utc(2024, 5, 12, 7, 0, 0));
  RescheduleAll(0);
  // Editing answers a new record in a past time: it takes the old one's place, moved on.
  SCHEDULE_EVENT* edited = nullptr;
  g_fake.onEdit = [&](SCHEDULE_EVENT* old) {
    EXPECT_EQ(old, second);
    owned_.push_back(std::make_unique<SCHEDULE_EVENT>(*old));
    edited = owned_.back().get();
    SetNextRun(edited, Utc(2024, 5, 10, 11, 0, 30));
    return edited;
  };
  qvp::UiDriver driver;
  driver.ExpectMessageBox("Delete the chosen scheduled items?", IDYES);
  driver.OnDialog(kSchedulerTemplate)
      .Select(15001, 0)
      .Click(15030)
      .Select(15001, 0)
      .Click(15040)
      .Check(15047)
      .Click(IDOK);
  EXPECT_EQ(ShowSchedulerWindow(panel_, 0), 1);
  EXPECT_TRUE(driver.Problems().empty()) << driver.Problems().front();
  EXPECT_EQ(g_fake.deleted, std::vector<SCHEDULE_EVENT*>{first});
  ASSERT_EQ(ScheduleTable.count, 1);
  EXPECT_EQ(ScheduleTable.events[0], edited);
  EXPECT_EQ(NextRunOf(edited), Utc(2024, 5, 10, 12, 0, 30));
  EXPECT_FALSE(g_panel.schedulingEnabled);
  EXPECT_EQ(GetPrivateProfileIntA("Defaults", "DisableScheduledItems", 0, GetIniPath()), 1u);
}

TEST_F(ScheduledRunTest, NewAddsThePluginsRecordAndListsIt) {
  SCHEDULE_EVENT* made = nullptr;
  g_fake.onEdit = [&](SCHEDULE_EVENT* old) -> SCHEDULE_EVENT* {
    EXPECT_EQ(old, nullptr);
    owned_.push_back(std::make_unique<SCHEDULE_EVENT>());
    made = owned_.back().get();
    made->profile = &row_;
    SetNextRun(made, Utc(2040, 1, 2, 3, 4, 5));  // past the signed 32-bit range
    made->repeatType = kRepeatDays;
    made->repeatFrequency = 1;
    made->active = 1;
    return made;
  };
  std::vector<std::string> rows;
  qvp::UiDriver driver;
  driver.OnDialog(kSchedulerTemplate)
      .Click(15020)
      .Do([&](HWND window) { rows = Rows(GetDlgItem(window, 15001)); })
      .Click(IDCANCEL);
  EXPECT_EQ(ShowSchedulerWindow(panel_, 0), 2);
  EXPECT_TRUE(driver.Problems().empty()) << driver.Problems().front();
  ASSERT_NE(made, nullptr);
  EXPECT_TRUE(IsEventInTable(made));
  EXPECT_EQ(ScheduleTable.nextDue, made);
  EXPECT_EQ(rows, std::vector<std::string>{"Web server|01/02/40|03:04:05|Alerting"});
}

TEST_F(ScheduledRunTest, WithNothingChosenTheWindowSaysSo) {
  Event(Utc(2024, 5, 11, 8, 30, 0));
  RescheduleAll(0);
  qvp::UiDriver driver;
  driver.ExpectMessageBox("Choose the scheduled items to delete first.", IDOK);
  driver.ExpectMessageBox("Choose the scheduled items to edit first.", IDOK);
  driver.ExpectMessageBox("Clear the scheduler log?", IDYES);
  driver.OnDialog(kSchedulerTemplate)
      .Do([](HWND window) {
        LVITEMA none{};
        none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;  // a focused row counts as chosen
        SendMessageA(GetDlgItem(window, 15001), LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&none));
      })
      .Click(15030)
      .Click(15040)
      .Click(15048)
      .Click(IDCANCEL);
  dir_.write("SCHEDULE.LOG", "old line\r\n");
  EXPECT_EQ(ShowSchedulerWindow(panel_, 0), 2);
  EXPECT_TRUE(driver.Problems().empty()) << driver.Problems().front();
  EXPECT_EQ(Log(), "");
}

}  // namespace
