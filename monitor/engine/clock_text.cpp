// Calendar texts through the layer's file-time conversions.
#include "clock_text.h"

#include <cstdio>

#include "qvplatform.h"

namespace {

constexpr long long kEpochDifference = 11644473600LL;  // seconds from 1601 to 1970

bool LocalFields(time_t when, SYSTEMTIME* local) {
  const long long seconds = static_cast<long long>(when) + kEpochDifference;
  if (when < 0 || seconds < 0) return false;
  const unsigned long long ticks = static_cast<unsigned long long>(seconds) * 10000000ULL;
  FILETIME utc;
  utc.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFFu);
  utc.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  FILETIME localTime;
  return FileTimeToLocalFileTime(&utc, &localTime) && FileTimeToSystemTime(&localTime, local);
}

}  // namespace

void CalendarText(time_t when, char (&out)[32]) {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  out[0] = '\0';
  SYSTEMTIME local;
  if (!LocalFields(when, &local) || local.wDayOfWeek > 6 || local.wMonth < 1 || local.wMonth > 12) return;
  std::snprintf(out, sizeof out, "%s %s%3u %02u:%02u:%02u %u\n", kDays[local.wDayOfWeek], kMonths[local.wMonth - 1],
                static_cast<unsigned>(local.wDay), static_cast<unsigned>(local.wHour),
                static_cast<unsigned>(local.wMinute), static_cast<unsigned>(local.wSecond),
                static_cast<unsigned>(local.wYear));
}

bool ClockOfDay(time_t when, unsigned* hour, unsigned* minute, unsigned* second) {
  SYSTEMTIME local;
  if (!LocalFields(when, &local)) return false;
  *hour = local.wHour;
  *minute = local.wMinute;
  *second = local.wSecond;
  return true;
}
