// Tick counts, performance counter, and system/local/file time conversions.
#include <time.h>

#include <cstdint>

#include "kernel/test_clock_hooks.h"
#include "qvplatform/kernel.h"

namespace {

constexpr uint64_t kTicksPerSecond = 10000000;  // FILETIME counts 100 ns intervals
constexpr int64_t kSecondsFrom1601To1970 = 11644473600;
constexpr uint64_t kMaxFileTime = 0x7FFFFFFFFFFFFFFFull;  // larger values are invalid

uint64_t MonotonicNanoseconds() {
  if (qvp::TestClockInstalled()) return qvp::TestClockMonotonicNs();
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1000000000ull + static_cast<uint64_t>(ts.tv_nsec);
}

uint64_t ToU64(const FILETIME& ft) {
  return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

FILETIME FromU64(uint64_t value) {
  return FILETIME{static_cast<DWORD>(value & 0xFFFFFFFFu), static_cast<DWORD>(value >> 32)};
}

uint64_t NowFileTime() {
  if (qvp::TestClockInstalled()) {
    const uint64_t unix_ns = qvp::TestClockUnixNs();
    return (unix_ns / 1000000000ull + kSecondsFrom1601To1970) * kTicksPerSecond + unix_ns % 1000000000ull / 100;
  }
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return static_cast<uint64_t>(ts.tv_sec + kSecondsFrom1601To1970) * kTicksPerSecond +
         static_cast<uint64_t>(ts.tv_nsec) / 100;
}

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int64_t* year, unsigned* month, unsigned* day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  *day = doy - (153 * mp + 2) / 5 + 1;
  *month = mp < 10 ? mp + 3 : mp - 9;
  *year = static_cast<int64_t>(yoe) + era * 400 + (*month <= 2);
}

bool IsLeap(unsigned year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

unsigned DaysInMonth(unsigned year, unsigned month) {
  static const unsigned kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

SYSTEMTIME SystemTimeFrom(uint64_t filetime) {
  const uint64_t total_ms = filetime / 10000;
  const int64_t days_since_1601 = static_cast<int64_t>(total_ms / 86400000ull);
  uint64_t ms_of_day = total_ms % 86400000ull;
  int64_t year = 0;
  unsigned month = 0, day = 0;
  const int64_t days_since_1970 = days_since_1601 - kSecondsFrom1601To1970 / 86400;
  CivilFromDays(days_since_1970, &year, &month, &day);
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(year);
  st.wMonth = static_cast<WORD>(month);
  st.wDay = static_cast<WORD>(day);
  st.wDayOfWeek = static_cast<WORD>((days_since_1601 + 1) % 7);  // 1601-01-01 was a Monday
  st.wHour = static_cast<WORD>(ms_of_day / 3600000);
  ms_of_day %= 3600000;
  st.wMinute = static_cast<WORD>(ms_of_day / 60000);
  ms_of_day %= 60000;
  st.wSecond = static_cast<WORD>(ms_of_day / 1000);
  st.wMilliseconds = static_cast<WORD>(ms_of_day % 1000);
  return st;
}

// Seconds east of UTC that the C library's zone rules give at the UTC instant.
int64_t LocalOffsetAt(int64_t unix_seconds) {
  const time_t t = static_cast<time_t>(unix_seconds);
  tm local{};
  if (localtime_r(&t, &local) == nullptr) return 0;
  return local.tm_gmtoff;
}

int64_t UnixSecondsOf(uint64_t filetime) {
  return static_cast<int64_t>(filetime / kTicksPerSecond) - kSecondsFrom1601To1970;
}

bool ShiftFileTime(uint64_t value, int64_t offset_seconds, uint64_t* out) {
  const int64_t shift = offset_seconds * static_cast<int64_t>(kTicksPerSecond);
  if (shift < 0 && value < static_cast<uint64_t>(-shift)) return false;
  const uint64_t result = value + static_cast<uint64_t>(shift);
  if (result > kMaxFileTime) return false;
  *out = result;
  return true;
}

}  // namespace

QV_API ULONGLONG GetTickCount64(void) { return MonotonicNanoseconds() / 1000000ull; }

QV_API DWORD GetTickCount(void) { return static_cast<DWORD>(GetTickCount64()); }

QV_API DWORD timeGetTime(void) { return static_cast<DWORD>(GetTickCount64()); }

QV_API BOOL QueryPerformanceCounter(LARGE_INTEGER* lpPerformanceCount) {
  if (lpPerformanceCount == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  lpPerformanceCount->QuadPart = static_cast<LONGLONG>(MonotonicNanoseconds());
  return TRUE;
}

QV_API BOOL QueryPerformanceFrequency(LARGE_INTEGER* lpFrequency) {
  if (lpFrequency == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  lpFrequency->QuadPart = 1000000000;
  return TRUE;
}

QV_API void GetSystemTimeAsFileTime(LPFILETIME lpSystemTimeAsFileTime) {
  if (lpSystemTimeAsFileTime != nullptr) *lpSystemTimeAsFileTime = FromU64(NowFileTime());
}

QV_API void GetSystemTime(LPSYSTEMTIME lpSystemTime) {
  if (lpSystemTime != nullptr) *lpSystemTime = SystemTimeFrom(NowFileTime());
}

QV_API void GetLocalTime(LPSYSTEMTIME lpSystemTime) {
  if (lpSystemTime == nullptr) return;
  const uint64_t now = NowFileTime();
  uint64_t local = now;
  ShiftFileTime(now, LocalOffsetAt(UnixSecondsOf(now)), &local);
  *lpSystemTime = SystemTimeFrom(local);
}

QV_API BOOL FileTimeToSystemTime(const FILETIME* lpFileTime, LPSYSTEMTIME lpSystemTime) {
  if (lpFileTime == nullptr || lpSystemTime == nullptr || ToU64(*lpFileTime) > kMaxFileTime) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *lpSystemTime = SystemTimeFrom(ToU64(*lpFileTime));
  return TRUE;
}

QV_API BOOL SystemTimeToFileTime(const SYSTEMTIME* lpSystemTime, LPFILETIME lpFileTime) {
  if (lpSystemTime == nullptr || lpFileTime == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const SYSTEMTIME& st = *lpSystemTime;
  if (st.wYear < 1601 || st.wYear > 30827 || st.wMonth < 1 || st.wMonth > 12 || st.wDay < 1 ||
      st.wDay > DaysInMonth(st.wYear, st.wMonth) || st.wHour > 23 || st.wMinute > 59 ||
      st.wSecond > 59 || st.wMilliseconds > 999) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const int64_t days = DaysFromCivil(st.wYear, st.wMonth, st.wDay) + kSecondsFrom1601To1970 / 86400;
  const uint64_t ms = static_cast<uint64_t>(days) * 86400000ull + st.wHour * 3600000ull +
                      st.wMinute * 60000ull + st.wSecond * 1000ull + st.wMilliseconds;
  *lpFileTime = FromU64(ms * 10000);
  return TRUE;
}

// Local time follows the zone rules in force at the instant converted (not the
// offset of today), so a winter date stays correct in summer and back.
QV_API BOOL FileTimeToLocalFileTime(const FILETIME* lpFileTime, LPFILETIME lpLocalFileTime) {
  if (lpFileTime == nullptr || lpLocalFileTime == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const uint64_t utc = ToU64(*lpFileTime);
  uint64_t local = 0;
  if (utc > kMaxFileTime || !ShiftFileTime(utc, LocalOffsetAt(UnixSecondsOf(utc)), &local)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *lpLocalFileTime = FromU64(local);
  return TRUE;
}

QV_API BOOL LocalFileTimeToFileTime(const FILETIME* lpLocalFileTime, LPFILETIME lpFileTime) {
  if (lpLocalFileTime == nullptr || lpFileTime == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const uint64_t local = ToU64(*lpLocalFileTime);
  if (local > kMaxFileTime) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // The offset belongs to the UTC instant sought: guess with the offset at the
  // local reading, then correct once with the offset at the guess.
  const int64_t local_seconds = UnixSecondsOf(local);
  const int64_t guess = local_seconds - LocalOffsetAt(local_seconds);
  const int64_t offset = LocalOffsetAt(guess);
  uint64_t utc = 0;
  if (!ShiftFileTime(local, -offset, &utc)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *lpFileTime = FromU64(utc);
  return TRUE;
}

QV_API LONG CompareFileTime(const FILETIME* lpFileTime1, const FILETIME* lpFileTime2) {
  if (lpFileTime1 == nullptr || lpFileTime2 == nullptr) return 0;
  const uint64_t a = ToU64(*lpFileTime1);
  const uint64_t b = ToU64(*lpFileTime2);
  return a < b ? -1 : (a > b ? 1 : 0);
}

// The C library's time(), for every module of the process: it follows the
// layer's clock, so that a test clock moves it as it moves the rest.
extern "C" __attribute__((visibility("default"))) time_t time(time_t* out) noexcept {
  time_t now = 0;
  if (qvp::TestClockInstalled()) {
    now = static_cast<time_t>(qvp::TestClockUnixNs() / 1000000000ull);
  } else {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME_COARSE, &ts);  // what the C library answers with
    now = ts.tv_sec;
  }
  if (out != nullptr) *out = now;
  return now;
}
