// Next runs per repeat unit, the order of the schedule and the choice of the
// next due event, on a clock of the test's own (UTC).
#include <cstdlib>
#include <ctime>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "host_tables.h"
#include "scheduler.h"

namespace {

uint32_t g_now = 0;
uint32_t TestClock() { return g_now; }

// Seconds since 1970 of a UTC date and time.
uint32_t Utc(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  std::tm fields{};
  fields.tm_year = year - 1900;
  fields.tm_mon = month - 1;
  fields.tm_mday = day;
  fields.tm_hour = hour;
  fields.tm_min = minute;
  fields.tm_sec = second;
  return static_cast<uint32_t>(timegm(&fields));
}

class ScheduleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    SetSchedulerClock(TestClock);
    row_.type = 4;
  }
  void TearDown() override {
    SetSchedulerClock(nullptr);
    FreeScheduleTable();
  }

  SCHEDULE_EVENT* Event(uint32_t next, int32_t unit, int32_t count, bool inTable = true) {
    owned_.push_back(std::make_unique<SCHEDULE_EVENT>());
    SCHEDULE_EVENT* event = owned_.back().get();
    event->profile = &row_;
    SetNextRun(event, next);
    event->repeatType = unit;
    event->repeatFrequency = count;
    event->active = 1;
    if (inTable) AppendScheduledEvent(event);
    return event;
  }
  std::vector<SCHEDULE_EVENT*> Table() const {
    return {ScheduleTable.events, ScheduleTable.events + ScheduleTable.count};
  }

  PROFILE row_{};
  std::vector<std::unique_ptr<SCHEDULE_EVENT>> owned_;
};

TEST_F(ScheduleTest, RecurringEventsLandOnTheirFirstWholeStepAfterNow) {
  // Two and a half days overdue: three days on, the same time of day.
  g_now = Utc(2024, 5, 10, 12);
  SCHEDULE_EVENT* daily = Event(Utc(2024, 5, 8, 0), kRepeatDays, 1, false);
  ComputeNextRunTime(daily);
  EXPECT_EQ(NextRunOf(daily), Utc(2024, 5, 11, 0));
  EXPECT_EQ(int{daily->active}, 1);

  // Not yet due: still one step on.
  SCHEDULE_EVENT* hourly = Event(Utc(2024, 5, 10, 13), kRepeatHours, 2, false);
  ComputeNextRunTime(hourly);
  EXPECT_EQ(NextRunOf(hourly), Utc(2024, 5, 10, 15));

  // Exactly on a step counts as after now.
  SCHEDULE_EVENT* minutes = Event(Utc(2024, 5, 10, 11, 0), kRepeatMinutes, 15, false);
  ComputeNextRunTime(minutes);
  EXPECT_EQ(NextRunOf(minutes), Utc(2024, 5, 10, 12, 0));

  SCHEDULE_EVENT* weekly = Event(Utc(2024, 4, 1, 9), kRepeatWeeks, 1, false);
  ComputeNextRunTime(weekly);
  EXPECT_EQ(NextRunOf(weekly), Utc(2024, 5, 13, 9));

  // From 1970 every minute, to 2040: one computation, no step-by-step walk.
  g_now = Utc(2040, 3, 1, 8, 30, 10);
  SCHEDULE_EVENT* ancient = Event(0, kRepeatMinutes, 1, false);
  ComputeNextRunTime(ancient);
  EXPECT_EQ(NextRunOf(ancient), Utc(2040, 3, 1, 8, 31));
}

TEST_F(ScheduleTest, MonthsStepByTheLengthOfTheMonthTheRunIsIn) {
  g_now = Utc(2023, 2, 1);
  SCHEDULE_EVENT* monthly = Event(Utc(2023, 1, 31, 10), kRepeatMonths, 1, false);
  ComputeNextRunTime(monthly);
  EXPECT_EQ(NextRunOf(monthly), Utc(2023, 3, 3, 10));  // 31 days of January
  g_now = Utc(2023, 3, 20);
  SetNextRun(monthly, Utc(2023, 1, 31, 10));
  ComputeNextRunTime(monthly);
  EXPECT_EQ(NextRunOf(monthly), Utc(2023, 4, 3, 10));  // then 31 days of March

  // February of a leap year has 29 days.
  g_now = Utc(2024, 2, 2);
  SCHEDULE_EVENT* leap = Event(Utc(2024, 2, 1), kRepeatMonths, 1, false);
  ComputeNextRunTime(leap);
  EXPECT_EQ(NextRunOf(leap), Utc(2024, 3, 1));
}

TEST_F(ScheduleTest, OneTimeAndStepLessEventsAreDeactivatedNeverLooped) {
  g_now = Utc(2024, 5, 10);
  SCHEDULE_EVENT* pastOnce = Event(Utc(2024, 5, 9), kRepeatOnce, 1, false);
  ComputeNextRunTime(pastOnce);
  EXPECT_EQ(int{pastOnce->active}, 0);
  EXPECT_EQ(NextRunOf(pastOnce), Utc(2024, 5, 9));

  SCHEDULE_EVENT* futureOnce = Event(Utc(2024, 5, 11), kRepeatOnce, 1, false);
  ComputeNextRunTime(futureOnce);
  EXPECT_EQ(int{futureOnce->active}, 1);
  EXPECT_EQ(NextRunOf(futureOnce), Utc(2024, 5, 11));

  for (int32_t count : {0, -1, INT32_MIN}) {
    SCHEDULE_EVENT* stepless = Event(Utc(2024, 5, 9), kRepeatMinutes, count, false);
    ComputeNextRunTime(stepless);
    EXPECT_EQ(int{stepless->active}, 0) << count;
  }
  SCHEDULE_EVENT* unknownUnit = Event(Utc(2024, 5, 9), 9, 1, false);
  ComputeNextRunTime(unknownUnit);
  EXPECT_EQ(int{unknownUnit->active}, 0);
}

TEST_F(ScheduleTest, TimesAreUnsigned32BitAndAStepPastTheRangeDeactivates) {
  // 2040 lies past the signed 32-bit range.
  g_now = Utc(2040, 6, 1, 12, 0, 30);
  SCHEDULE_EVENT* event = Event(Utc(2040, 6, 1, 12), kRepeatMinutes, 1, false);
  ComputeNextRunTime(event);
  EXPECT_EQ(NextRunOf(event), Utc(2040, 6, 1, 12, 1));
  EXPECT_EQ(int{event->active}, 1);

  // A step wider than the range.
  SCHEDULE_EVENT* huge = Event(Utc(2040, 6, 1), kRepeatWeeks, INT32_MAX, false);
  ComputeNextRunTime(huge);
  EXPECT_EQ(int{huge->active}, 0);
  EXPECT_EQ(NextRunOf(huge), Utc(2040, 6, 1));

  // A next run that would pass the last second of the range.
  g_now = UINT32_MAX - 10;
  SCHEDULE_EVENT* last = Event(UINT32_MAX - 100, kRepeatHours, 1, false);
  ComputeNextRunTime(last);
  EXPECT_EQ(int{last->active}, 0);
  SCHEDULE_EVENT* lastMonth = Event(UINT32_MAX - 100, kRepeatMonths, 1, false);
  ComputeNextRunTime(lastMonth);
  EXPECT_EQ(int{lastMonth->active}, 0);
}

TEST_F(ScheduleTest, TheSortKeyAndTheOrderItGives) {
  SCHEDULE_EVENT* event = Event(0x1234abcdu, kRepeatMinutes, 1, false);
  event->immediateOneShot = 1;
  char key[kScheduleKeySize];
  ScheduleSortKey(event, key);
  EXPECT_STREQ(key, "0011234abcd");
  event->immediateOneShot = 0;
  event->active = 0;
  event->runNow = 1;
  SetNextRun(event, 0xF0000000u);
  ScheduleSortKey(event, key);
  EXPECT_STREQ(key, "110f0000000");

  g_now = 100;
  SCHEDULE_EVENT* late = Event(500, kRepeatMinutes, 1);
  SCHEDULE_EVENT* inactive = Event(50, kRepeatMinutes, 1);
  inactive->active = 0;
  SCHEDULE_EVENT* early = Event(300, kRepeatMinutes, 1);
  SCHEDULE_EVENT* tie = Event(300, kRepeatMinutes, 1);
  SCHEDULE_EVENT* runNow = Event(900, kRepeatMinutes, 1);
  runNow->runNow = 1;
  SCHEDULE_EVENT* immediate = Event(0xFFFFFFF0u, kRepeatOnce, 1);
  immediate->immediateOneShot = 1;
  SortSchedule();
  EXPECT_EQ(Table(), (std::vector<SCHEDULE_EVENT*>{immediate, runNow, early, tie, late, inactive}));
}

TEST_F(ScheduleTest, TheChoicePrefersRunNowThenTheEarliestActiveEvent) {
  g_now = 1000;
  SCHEDULE_EVENT* first = Event(2000, kRepeatMinutes, 1);
  SCHEDULE_EVENT* same = Event(2000, kRepeatMinutes, 1);
  SCHEDULE_EVENT* inactive = Event(1500, kRepeatMinutes, 1);
  inactive->active = 0;
  ChooseNextDueEvent(0);
  EXPECT_EQ(ScheduleTable.nextDue, first);  // a tie keeps the earlier in table order
  EXPECT_EQ(static_cast<uint32_t>(ScheduleTable.nextDueTime), 2000u);

  SCHEDULE_EVENT* laterRunNow = Event(5000, kRepeatMinutes, 1);
  laterRunNow->runNow = 1;
  laterRunNow->active = 0;
  SCHEDULE_EVENT* earlierRunNow = Event(4000, kRepeatMinutes, 1);
  earlierRunNow->runNow = 1;
  ChooseNextDueEvent(0);
  EXPECT_EQ(ScheduleTable.nextDue, earlierRunNow);
  EXPECT_EQ(int{laterRunNow->active}, 1);  // taken on the way, made active
  (void)same;

  // A reset clears run-now, activates everything and moves past runs on.
  g_now = 1700;
  ChooseNextDueEvent(1);
  EXPECT_EQ(ScheduleTable.nextDue, inactive);
  EXPECT_EQ(NextRunOf(inactive), 1740u);
  for (SCHEDULE_EVENT* event : Table()) {
    EXPECT_EQ(int{event->runNow}, 0);
    EXPECT_EQ(int{event->active}, 1);
  }

  // Nothing active: nothing chosen.
  for (SCHEDULE_EVENT* event : Table()) event->active = 0;
  RescheduleAll(0);
  EXPECT_EQ(ScheduleTable.nextDue, nullptr);
}

TEST_F(ScheduleTest, AResetDeactivatesAPastOneTimeEventWhichIsThenNotChosen) {
  g_now = 1000;
  SCHEDULE_EVENT* once = Event(900, kRepeatOnce, 1);
  SCHEDULE_EVENT* later = Event(1200, kRepeatMinutes, 1);
  RescheduleAll(1);
  EXPECT_EQ(int{once->active}, 0);
  EXPECT_EQ(ScheduleTable.nextDue, later);
  RescheduleAll(0);
  EXPECT_EQ(Table().back(), once);  // inactive events sort last
}

}  // namespace
