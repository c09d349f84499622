// Reading, normalising and summarising the foreground report's events.
#include "report_events.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "memorized_report.h"
#include "qv_ui.h"
#include "report_text.h"

bool AppendReportEvent(ReportEventTable* table, const ReportEvent& event) {
  auto* grown = static_cast<ReportEvent*>(
      QVUI_MyRealloc(table->events, static_cast<DWORD>((table->count + 1) * sizeof(ReportEvent))));
  if (grown == nullptr) return false;
  table->events = grown;
  table->events[table->count++] = event;
  return true;
}

void FreeReportEvents(ReportEventTable* table) {
  for (int i = 0; i < table->count; ++i) QVLS_FreeEntry(table->events[i].fields);
  if (table->events != nullptr) QVUI_MyFree2(table->events);
  table->events = nullptr;
  table->count = 0;
}

time_t EventTime(const ReportEvent& event) {
  return event.fieldCount > 0 ? static_cast<time_t>(static_cast<uint32_t>(event.fields[0].time)) : 0;
}

const char* EventFieldAt(const ReportEvent& event, int type, int n) {
  if (n < 0) return nullptr;
  for (int i = 0; i < event.fieldCount; ++i) {
    if (event.fields[i].type == type && n-- == 0) return event.fields[i].text;
  }
  return nullptr;
}

const char* EventField(const ReportEvent& event, int type) { return EventFieldAt(event, type, 0); }

void RenameEvent(ReportEvent* event, const char* name) {
  for (int i = 0; i < event->fieldCount; ++i) {
    if (event->fields[i].type == kReportFieldEvent) {
      std::snprintf(event->fields[i].text, sizeof event->fields[i].text, "%s", name);
      return;
    }
  }
}

namespace {

std::mutex g_time_lock;

std::tm LocalFields(time_t when) {
  std::lock_guard<std::mutex> hold(g_time_lock);
  const std::tm* fields = std::localtime(&when);
  return fields != nullptr ? *fields : std::tm{};
}

// The event's name up to its first blank.
std::string FirstWord(const char* text) {
  if (text == nullptr) return "";
  const char* blank = std::strchr(text, ' ');
  return blank != nullptr ? std::string(text, blank) : std::string(text);
}

bool IsEvent(const ReportEvent& event, const char* name) {
  return EqualsNoCase(FirstWord(EventField(event, kReportFieldEvent)).c_str(), name);
}

}  // namespace

bool InTimeRange(time_t when, int timeRange, time_t now) {
  if (timeRange == kRangeAll || timeRange == kRangeLast50) return true;
  const std::tm at = LocalFields(when);
  const std::tm today = LocalFields(now);
  switch (timeRange) {
    case 1:
      return at.tm_year == today.tm_year && at.tm_yday == today.tm_yday;
    case 2: {
      std::tm yesterday = today;
      yesterday.tm_mday -= 1;
      yesterday.tm_isdst = -1;
      yesterday.tm_hour = 12;  // away from daylight-saving edges
      const time_t back = std::mktime(&yesterday);
      const std::tm day = LocalFields(back);
      return at.tm_year == day.tm_year && at.tm_yday == day.tm_yday;
    }
    case 3:
      return at.tm_year == today.tm_year && at.tm_mon == today.tm_mon;
    case 4: {
      const int month = today.tm_mon == 0 ? 11 : today.tm_mon - 1;
      const int year = today.tm_mon == 0 ? today.tm_year - 1 : today.tm_year;
      return at.tm_year == year && at.tm_mon == month;
    }
    default:
      return false;
  }
}

void NormaliseEvent(ReportEvent* event) {
  const std::string name = FirstWord(EventField(*event, kReportFieldEvent));
  if (!EqualsNoCase(name.c_str(), "STATUS") && !EqualsNoCase(name.c_str(), "INIT")) return;
  const std::string state = FirstWord(EventField(*event, kReportFieldState));
  const char* suffix = "_UP";
  if (EqualsNoCase(state.c_str(), "DOWN")) suffix = "_DOWN";
  if (EqualsNoCase(state.c_str(), "DISABLED")) suffix = "_DISABLED";
  const std::string renamed = (EqualsNoCase(name.c_str(), "STATUS") ? "STATUS" : "INIT") + std::string(suffix);
  RenameEvent(event, renamed.c_str());
}

bool ReadProfileEvents(const EventQuery& query, ReportEventTable* table, bool* outOfMemory) {
  if (outOfMemory != nullptr) *outOfMemory = false;
  HQVLSREADER reader = QVLS_LogStatusFileStartup(query.logPath.c_str());
  if (reader == nullptr) return false;
  const std::string id = std::to_string(query.profileId);
  bool seen = false;
  bool going = true;
  for (int line = 1;; ++line) {
    if (query.step && !query.step(line)) {
      going = false;
      break;
    }
    QVLS_ENTRY_FIELD* fields = nullptr;
    int count = 0;
    if (QVLS_ReadEntryFromLogStatusFile(reader, &fields, &count) != 1) break;
    ReportEvent event{count, fields, 0, 0, static_cast<int>(query.profileId)};
    bool keep = false;
    if (count > 0 && InTimeRange(EventTime(event), query.timeRange, query.now)) {
      const char* owner = EventField(event, kReportFieldProfileId);
      if (owner != nullptr && id == owner) {
        keep = seen = true;
      } else if (seen && (IsEvent(event, "HELLO") || IsEvent(event, "GOODBYE"))) {
        keep = true;
      }
    }
    if (!keep) {
      QVLS_FreeEntry(fields);
      continue;
    }
    NormaliseEvent(&event);
    if (!AppendReportEvent(table, event)) {
      QVLS_FreeEntry(fields);
      if (outOfMemory != nullptr) *outOfMemory = true;
      going = false;
      break;
    }
  }
  QVLS_LogStatusFileCleanup(reader);
  if (!going) return false;

  // The closing GOODBYE: the report ends now.
  auto* goodbye = static_cast<QVLS_ENTRY_FIELD*>(std::calloc(1, sizeof(QVLS_ENTRY_FIELD)));
  if (goodbye == nullptr) {
    if (outOfMemory != nullptr) *outOfMemory = true;
    return false;
  }
  goodbye->type = kReportFieldEvent;
  std::snprintf(goodbye->text, sizeof goodbye->text, "GOODBYE");
  goodbye->time = static_cast<LONG>(query.now);
  if (!AppendReportEvent(table, ReportEvent{1, goodbye, 0, 0, static_cast<int>(query.profileId)})) {
    std::free(goodbye);
    if (outOfMemory != nullptr) *outOfMemory = true;
    return false;
  }
  if (query.timeRange == kRangeLast50 && table->count > 50) {
    const int drop = table->count - 50;
    for (int i = 0; i < drop; ++i) QVLS_FreeEntry(table->events[i].fields);
    std::memmove(table->events, table->events + drop, 50 * sizeof(ReportEvent));
    table->count = 50;
  }
  return true;
}

namespace {

void ClosePeriod(ReportStatistics* s, int64_t at, int kind) {
  const int64_t d = at - s->periodStart;
  if (d > 0 && s->periodKind == 1) {
    s->runningLength += d;
    s->totalUp += d;
    if (kind != 1) {
      if (s->minUp < 0 || s->runningLength < s->minUp) s->minUp = s->runningLength;
      if (s->runningLength > s->maxUp) s->maxUp = s->runningLength;
      s->runningLength = 0;
    }
  } else if (d > 0 && s->periodKind == 2) {
    s->runningLength += d;
    s->totalDown += d;
    if (kind != 2) {
      if (s->minDown < 0 || s->runningLength < s->minDown) s->minDown = s->runningLength;
      if (s->runningLength > s->maxDown) s->maxDown = s->runningLength;
      s->runningLength = 0;
    }
  }
  s->periodStart = at;
  s->periodKind = kind;
}

bool IsOneOf(const std::string& name, const char* a, const char* b, const char* c) {
  return EqualsNoCase(name.c_str(), a) || EqualsNoCase(name.c_str(), b) || EqualsNoCase(name.c_str(), c);
}

void ApplyEvent(ReportEvent* event, ReportStatistics* s) {
  const int64_t at = EventTime(*event);
  event->actionCount = 0;
  bool invalid = false;
  for (int i = 0; i < event->fieldCount; ++i) {
    const int type = event->fields[i].type;
    if (type == kReportFieldComputer && s->computer.empty()) s->computer = event->fields[i].text;
    if (type == kReportFieldAction) ++event->actionCount;
    if (type > 10000) invalid = true;
  }
  if (invalid) {
    RenameEvent(event, "INVALID_FIELD");
    return;
  }
  const std::string name = FirstWord(EventField(*event, kReportFieldEvent));
  if (EqualsNoCase(name.c_str(), "HELLO")) {
    if (s->runState == 1) {
      RenameEvent(event, "CARTRIDGE_CRASH");
    } else if (s->runState == 2) {
      s->stoppedTime += at - s->goodbyeTime;
    }
    s->runState = 1;
    s->helloTime = at;
    s->periodStart = at;
  } else if (EqualsNoCase(name.c_str(), "GOODBYE")) {
    if (s->runState == 2) {
      RenameEvent(event, "CARTRIDGE_CRASH");
    } else if (s->runState == 1) {
      s->runningTime += at - s->helloTime;
    }
    s->runState = 2;
    s->goodbyeTime = at;
    ClosePeriod(s, at, 3);
  } else if (IsOneOf(name, "UP", "STATUS_UP", "INIT_UP")) {
    if (s->periodKind != 1) ++s->upCount;
    ClosePeriod(s, at, 1);
  } else if (IsOneOf(name, "DOWN", "STATUS_DOWN", "INIT_DOWN")) {
    if (s->periodKind != 2) ++s->downCount;
    ClosePeriod(s, at, 2);
  } else if (IsOneOf(name, "DISABLED", "STATUS_DISABLED", "INIT_DISABLED")) {
    ClosePeriod(s, at, 3);
  }
}

}  // namespace

bool SummariseEvents(ReportEventTable* table, ReportStatistics* stats, const std::function<bool(int)>& step) {
  *stats = ReportStatistics{};
  for (int i = 0; i < table->count; ++i) {
    if (step && !step(i + 1)) return false;
    ReportEvent* event = &table->events[i];
    if (i > 0 && EventTime(*event) < EventTime(table->events[i - 1])) {
      RenameEvent(event, "OUT_OF_SEQUENCE");
      *stats = ReportStatistics{};
      continue;
    }
    if (stats->firstTime == 0) stats->firstTime = EventTime(*event);
    stats->lastTime = EventTime(*event);
    ApplyEvent(event, stats);
  }
  return true;
}

std::string DurationText(int64_t seconds) {
  if (seconds <= 0) return "0";
  std::string text;
  const int64_t hours = seconds / 3600;
  const int64_t minutes = seconds % 3600 / 60;
  const int64_t rest = seconds % 60;
  if (hours > 0) text += std::to_string(hours) + " hours ";
  if (minutes > 0) text += std::to_string(minutes) + " minutes ";
  if (rest > 0) text += std::to_string(rest) + " seconds";
  return text;
}

std::string PercentText(int64_t part, int64_t down, int64_t up) {
  const int64_t whole = down + up;
  if (whole <= 0) return "0";
  return std::to_string(part * 100 / whole);
}
