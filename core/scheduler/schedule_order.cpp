// The order of the ScheduleTable and the choice of the next due event.
#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "host_tables.h"
#include "scheduler.h"

void ScheduleSortKey(const SCHEDULE_EVENT* event, char* out) {
  std::snprintf(out, kScheduleKeySize, "%d%d%d%08lx", event->immediateOneShot != 1 ? 1 : 0,
                event->active != 1 ? 1 : 0, event->runNow != 1 ? 1 : 0,
                static_cast<unsigned long>(NextRunOf(event)));
}

void SortSchedule() {
  SchedulerLock lock;
  const int32_t count = ScheduleTable.count;
  if (count < 2) return;
  std::vector<std::pair<std::string, SCHEDULE_EVENT*>> keyed;
  keyed.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    char key[kScheduleKeySize];
    ScheduleSortKey(ScheduleTable.events[i], key);
    keyed.emplace_back(key, ScheduleTable.events[i]);
  }
  // Ascending by key; events with equal keys keep their order.
  std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
    return strcasecmp(a.first.c_str(), b.first.c_str()) < 0;
  });
  for (int32_t i = 0; i < count; ++i) ScheduleTable.events[i] = keyed[static_cast<size_t>(i)].second;
}

void ChooseNextDueEvent(int reset) {
  SchedulerLock lock;
  SCHEDULE_EVENT* chosen = nullptr;
  uint32_t chosenTime = 0;
  bool runNowTaken = false;
  for (int32_t i = 0; i < ScheduleTable.count; ++i) {
    SCHEDULE_EVENT* event = ScheduleTable.events[i];
    if (event == nullptr) continue;
    if (reset == 1) {
      event->runNow = 0;
      event->active = 1;
      // Each advance lands at or after now, or deactivates: two rounds at most.
      for (int round = 0; round < 2 && event->active != 0 && NextRunOf(event) < SchedulerNow(); ++round)
        ComputeNextRunTime(event);
    }
    if (event->runNow != 0) {
      if (!runNowTaken || NextRunOf(event) < chosenTime) {
        runNowTaken = true;
        event->active = 1;
        chosen = event;
        chosenTime = NextRunOf(event);
      }
    } else if (event->active != 0 && !runNowTaken) {
      if (chosen == nullptr || NextRunOf(event) < chosenTime) {
        chosen = event;
        chosenTime = NextRunOf(event);
      }
    }
  }
  ScheduleTable.nextDue = chosen;
  ScheduleTable.nextDueTime = static_cast<int32_t>(chosenTime);
}

void RescheduleAll(int reset) {
  SchedulerLock lock;
  SortSchedule();
  ChooseNextDueEvent(reset);
}
