// The scheduler's clock and the advance of an event's next run.
#include <atomic>
#include <ctime>

#include "date_time.h"
#include "host_tables.h"
#include "scheduler.h"

namespace {

std::atomic<SchedulerClock> g_clock{nullptr};

constexpr uint64_t kMinute = 60;
constexpr uint64_t kHour = 3600;
constexpr uint64_t kDay = 86400;
constexpr uint64_t kWeek = 604800;
constexpr uint64_t kLastTime = UINT32_MAX;

// Days of the month in which `when` falls, in local time.
uint64_t DaysOfMonthAt(uint32_t when) {
  const time_t value = static_cast<time_t>(when);
  std::tm fields{};
  if (localtime_r(&value, &fields) == nullptr) return 31;
  return static_cast<uint64_t>(DaysInMonth(fields.tm_mon, fields.tm_year));
}

// One unit's length in seconds at `next`; 0 for a one-time or unknown unit.
uint64_t UnitLength(int32_t unit, uint32_t next) {
  switch (unit) {
    case kRepeatMinutes: return kMinute;
    case kRepeatHours: return kHour;
    case kRepeatDays: return kDay;
    case kRepeatWeeks: return kWeek;
    case kRepeatMonths: return kDay * DaysOfMonthAt(next);
    default: return 0;
  }
}

}  // namespace

void SetSchedulerClock(SchedulerClock clock) { g_clock.store(clock); }

uint32_t SchedulerNow() {
  const SchedulerClock clock = g_clock.load();
  if (clock != nullptr) return clock();
  return static_cast<uint32_t>(std::time(nullptr));
}

void ComputeNextRunTime(SCHEDULE_EVENT* event) {
  if (event == nullptr) return;
  const uint64_t now = SchedulerNow();
  uint64_t next = NextRunOf(event);
  if (event->repeatType == kRepeatOnce) {
    if (next <= now) event->active = 0;
    return;
  }
  // A count of zero or less never moves the event on: it would run forever.
  if (event->repeatFrequency <= 0 || UnitLength(event->repeatType, static_cast<uint32_t>(next)) == 0) {
    event->active = 0;
    return;
  }
  const uint64_t count = static_cast<uint64_t>(event->repeatFrequency);
  if (event->repeatType != kRepeatMonths) {
    // Whole steps of a fixed length: the first one at or past now, at least one.
    const uint64_t step = UnitLength(event->repeatType, 0) * count;
    uint64_t steps = 1;
    if (next + step < now) steps = (now - next + step - 1) / step;
    const uint64_t target = next + steps * step;
    if (step > kLastTime || target > kLastTime) {
      event->active = 0;
      return;
    }
    SetNextRun(event, static_cast<uint32_t>(target));
    return;
  }
  // Months: each step is the length of the month the next run is in.
  do {
    const uint64_t step = UnitLength(kRepeatMonths, static_cast<uint32_t>(next)) * count;
    if (step > kLastTime || next + step > kLastTime) {
      SetNextRun(event, static_cast<uint32_t>(next));
      event->active = 0;
      return;
    }
    next += step;
  } while (next < now);
  SetNextRun(event, static_cast<uint32_t>(next));
}
