#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include "qvplatform/kernel.h"

namespace {

uint64_t MonotonicMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1000 + static_cast<uint64_t>(ts.tv_nsec) / 1000000;
}

uint64_t Value(const FILETIME& ft) { return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime; }
FILETIME Make(uint64_t v) { return FILETIME{static_cast<DWORD>(v), static_cast<DWORD>(v >> 32)}; }

TEST(Ticks, ComeFromTheSixtyFourBitMonotonicClock) {
  const uint64_t before = MonotonicMs();
  const ULONGLONG tick64 = GetTickCount64();
  const DWORD tick32 = GetTickCount();
  const DWORD media = timeGetTime();
  const uint64_t after = MonotonicMs();
  EXPECT_GE(tick64, before);
  EXPECT_LE(tick64, after);
  // The 32-bit counts are the low half of the same clock (modulo the wrap).
  EXPECT_LE(static_cast<DWORD>(tick32 - static_cast<DWORD>(before)), static_cast<DWORD>(after - before));
  EXPECT_LE(static_cast<DWORD>(media - static_cast<DWORD>(before)), static_cast<DWORD>(after - before));

  ULONGLONG last = GetTickCount64();
  for (int i = 0; i < 1000; ++i) {
    const ULONGLONG now = GetTickCount64();
    ASSERT_GE(now, last);
    last = now;
  }
  Sleep(5);
  EXPECT_GE(GetTickCount64(), tick64 + 5);
}

TEST(Ticks, PerformanceCounterAdvancesAtItsFrequency) {
  LARGE_INTEGER frequency{}, first{}, second{};
  ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
  EXPECT_GT(frequency.QuadPart, 0);
  ASSERT_TRUE(QueryPerformanceCounter(&first));
  Sleep(2);
  ASSERT_TRUE(QueryPerformanceCounter(&second));
  EXPECT_GE(second.QuadPart - first.QuadPart, frequency.QuadPart * 2 / 1000);
  EXPECT_FALSE(QueryPerformanceCounter(nullptr));
}

TEST(FileTimes, ConvertToAndFromCalendarDates) {
  // 2000-02-29 13:14:15.678 UTC, a leap day and a Tuesday.
  SYSTEMTIME st{2000, 2, 0, 29, 13, 14, 15, 678};
  FILETIME ft{};
  ASSERT_TRUE(SystemTimeToFileTime(&st, &ft));
  EXPECT_EQ(Value(ft), (static_cast<uint64_t>(951830055) + 11644473600ull) * 10000000ull + 6780000ull);
  SYSTEMTIME back{};
  ASSERT_TRUE(FileTimeToSystemTime(&ft, &back));
  EXPECT_EQ(back.wYear, 2000);
  EXPECT_EQ(back.wMonth, 2);
  EXPECT_EQ(back.wDay, 29);
  EXPECT_EQ(back.wDayOfWeek, 2);
  EXPECT_EQ(back.wHour, 13);
  EXPECT_EQ(back.wMinute, 14);
  EXPECT_EQ(back.wSecond, 15);
  EXPECT_EQ(back.wMilliseconds, 678);

  FILETIME zero = Make(0);
  ASSERT_TRUE(FileTimeToSystemTime(&zero, &back));
  EXPECT_EQ(back.wYear, 1601);
  EXPECT_EQ(back.wMonth, 1);
  EXPECT_EQ(back.wDay, 1);
  EXPECT_EQ(back.wDayOfWeek, 1);  // a Monday

  SYSTEMTIME bad = st;
  bad.wYear = 1999;
  bad.wDay = 29;  // 1999 has no Feb 29
  EXPECT_FALSE(SystemTimeToFileTime(&bad, &ft));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  bad = st;
  bad.wMonth = 13;
  EXPECT_FALSE(SystemTimeToFileTime(&bad, &ft));
  bad = st;
  bad.wYear = 1600;
  EXPECT_FALSE(SystemTimeToFileTime(&bad, &ft));
  FILETIME too_big = Make(0x8000000000000000ull);
  EXPECT_FALSE(FileTimeToSystemTime(&too_big, &back));
}

time_t RealtimeSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return ts.tv_sec;
}

TEST(FileTimes, SystemTimeMatchesTheClock) {
  FILETIME ft{};
  const time_t before = RealtimeSeconds();
  GetSystemTimeAsFileTime(&ft);
  SYSTEMTIME st{};
  GetSystemTime(&st);
  const time_t after = RealtimeSeconds();
  const int64_t seconds = static_cast<int64_t>(Value(ft) / 10000000ull) - 11644473600ll;
  EXPECT_GE(seconds, before);
  EXPECT_LE(seconds, after);
  tm utc{};
  gmtime_r(&after, &utc);
  EXPECT_EQ(st.wYear, utc.tm_year + 1900);
}

TEST(FileTimes, LocalTimeFollowsTheZoneRulesOfTheInstant) {
  setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
  tzset();
  // 2021-01-15 12:00 UTC (winter, +1) and 2021-07-15 12:00 UTC (summer, +2).
  SYSTEMTIME winter_utc{2021, 1, 0, 15, 12, 0, 0, 0};
  SYSTEMTIME summer_utc{2021, 7, 0, 15, 12, 0, 0, 0};
  FILETIME winter{}, summer{}, local{}, round_trip{};
  ASSERT_TRUE(SystemTimeToFileTime(&winter_utc, &winter));
  ASSERT_TRUE(SystemTimeToFileTime(&summer_utc, &summer));

  ASSERT_TRUE(FileTimeToLocalFileTime(&winter, &local));
  EXPECT_EQ(Value(local) - Value(winter), 3600ull * 10000000ull);
  ASSERT_TRUE(LocalFileTimeToFileTime(&local, &round_trip));
  EXPECT_EQ(Value(round_trip), Value(winter));

  ASSERT_TRUE(FileTimeToLocalFileTime(&summer, &local));
  EXPECT_EQ(Value(local) - Value(summer), 7200ull * 10000000ull);
  ASSERT_TRUE(LocalFileTimeToFileTime(&local, &round_trip));
  EXPECT_EQ(Value(round_trip), Value(summer));

  // GetLocalTime is the clock read through the same rules.
  FILETIME before{}, after{}, local_now{}, utc_now{};
  SYSTEMTIME now_local{};
  GetSystemTimeAsFileTime(&before);
  GetLocalTime(&now_local);
  GetSystemTimeAsFileTime(&after);
  ASSERT_TRUE(SystemTimeToFileTime(&now_local, &local_now));
  ASSERT_TRUE(LocalFileTimeToFileTime(&local_now, &utc_now));
  EXPECT_GE(Value(utc_now) + 10000, Value(before));  // milliseconds are truncated
  EXPECT_LE(Value(utc_now), Value(after));
}

TEST(FileTimes, CompareOrdersByValue) {
  FILETIME a = Make(0x100000000ull), b = Make(0xFFFFFFFFull);
  EXPECT_EQ(CompareFileTime(&a, &b), 1);  // the high part decides
  EXPECT_EQ(CompareFileTime(&b, &a), -1);
  EXPECT_EQ(CompareFileTime(&a, &a), 0);
}

}  // namespace
