#include "date_time.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "qvplatform.h"
#include "test_dir.h"

namespace {

std::tm Fields(int year, int month, int day, int hour, int minute, int second) {
  std::tm fields{};
  fields.tm_year = year - 1900;
  fields.tm_mon = month - 1;
  fields.tm_mday = day;
  fields.tm_hour = hour;
  fields.tm_min = minute;
  fields.tm_sec = second;
  return fields;
}

struct Texts {
  std::string time;
  std::string date;
};

Texts Format(const std::tm& fields, DateTimeForm form) {
  char timeText[DATE_TIME_TEXT_SIZE];
  char dateText[DATE_TIME_TEXT_SIZE];
  FormatDateTimeParts(fields, form, timeText, dateText);
  return {timeText, dateText};
}

TEST(FormatDateTimeParts, YearsKeepTwoDigitsInEveryCentury) {
  EXPECT_EQ(Format(Fields(2000, 1, 1, 0, 0, 0), {2, '/', ':'}).date, "00/01/01");
  EXPECT_EQ(Format(Fields(2040, 6, 15, 0, 0, 0), {2, '/', ':'}).date, "40/06/15");
  EXPECT_EQ(Format(Fields(2105, 6, 15, 0, 0, 0), {2, '/', ':'}).date, "05/06/15");
}

TEST(FormatDateTimeParts, EmptySeparatorJoinsTheFields) {
  EXPECT_EQ(Format(Fields(1999, 12, 31, 1, 2, 3), {1, '\0', '\0'}).date, "311299");
  EXPECT_EQ(Format(Fields(1999, 12, 31, 1, 2, 3), {1, '\0', '\0'}).time, "010203");
}

TEST(Calendar, LeapYearsOfTheGregorianRule) {
  EXPECT_EQ(IsLeapYear(100), 1);   // 2000
  EXPECT_EQ(IsLeapYear(0), 0);     // 1900
  EXPECT_EQ(IsLeapYear(200), 0);   // 2100
  EXPECT_EQ(IsLeapYear(104), 1);   // 2004
  EXPECT_EQ(IsLeapYear(101), 0);   // 2001
  EXPECT_EQ(IsLeapYear(500), 1);   // 2400
}

TEST(Calendar, DaysInMonth) {
  EXPECT_EQ(DaysInMonth(1, 100), 29);
  EXPECT_EQ(DaysInMonth(1, 0), 28);
  EXPECT_EQ(DaysInMonth(1, 101), 28);
  EXPECT_EQ(DaysInMonth(0, 101), 31);
  EXPECT_EQ(DaysInMonth(3, 101), 30);
  EXPECT_EQ(DaysInMonth(11, 101), 31);
  int total = 0;
  for (int month = 0; month < 12; ++month) total += DaysInMonth(month, 104);
  EXPECT_EQ(total, 366);
  EXPECT_EQ(DaysInMonth(12, 101), 0);
  EXPECT_EQ(DaysInMonth(-1, 101), 0);
}

}  // namespace

namespace {

// WIN.INI of a temporary Windows directory supplies the regional settings.
class RegionalFormTest : public ::testing::Test {
 protected:
  void SetUp() override { qvp::SetWindowsDirectory(windows_.path().string().c_str()); }
  void TearDown() override { qvp::SetWindowsDirectory(nullptr); }
  void Intl(const std::string& lines) { windows_.write("WIN.INI", "[intl]\r\n" + lines); }

  static Texts Gmt(time_t value) {
    char timeText[DATE_TIME_TEXT_SIZE] = "unset";
    char dateText[DATE_TIME_TEXT_SIZE] = "unset";
    FormatDateTimeGmt(timeText, dateText, value);
    return {timeText, dateText};
  }

  TestDir windows_;
};

constexpr time_t kLastSecondOf1999 = 946684799;
constexpr time_t kFirstOf2040 = 2208988800;

TEST_F(RegionalFormTest, MissingSettingsGiveMonthFirstWithSlashAndColon) {
  const Texts texts = Gmt(kLastSecondOf1999);
  EXPECT_EQ(texts.date, "12/31/99");
  EXPECT_EQ(texts.time, "23:59:59");
}

TEST_F(RegionalFormTest, DayFirstWithADot) {
  Intl("iDate=1\r\nsDate=.\r\nsTime=.\r\n");
  const Texts texts = Gmt(kLastSecondOf1999);
  EXPECT_EQ(texts.date, "31.12.99");
  EXPECT_EQ(texts.time, "23.59.59");
}

TEST_F(RegionalFormTest, UnknownDateOrderStillSetsBothTexts) {
  Intl("iDate=9\r\n");
  const Texts texts = Gmt(kLastSecondOf1999);
  EXPECT_EQ(texts.date, "12/31/99");
  EXPECT_EQ(texts.time, "23:59:59");
}

TEST_F(RegionalFormTest, NegativeTimeIsNotAvailable) {
  const Texts texts = Gmt(-1);
  EXPECT_EQ(texts.date, "N/A");
  EXPECT_EQ(texts.time, "N/A");
  char timeText[DATE_TIME_TEXT_SIZE];
  char dateText[DATE_TIME_TEXT_SIZE];
  FormatDateTime(timeText, dateText, -1);
  EXPECT_STREQ(dateText, "N/A");
  EXPECT_STREQ(timeText, "N/A");
}

TEST_F(RegionalFormTest, TimesPast2038AreDates) {
  Intl("iDate=2\r\nsDate=-\r\n");
  EXPECT_EQ(Gmt(kFirstOf2040).date, "40-01-01");
  EXPECT_EQ(Gmt(kFirstOf2040).time, "00:00:00");
}

TEST_F(RegionalFormTest, LocalTimeFollowsTheLocalCalendar) {
  Intl("iDate=2\r\nsDate=-\r\n");
  const time_t value = kFirstOf2040 + 12 * 3600;
  std::tm local{};
  {
    const std::tm* fields = std::localtime(&value);
    ASSERT_NE(fields, nullptr);
    local = *fields;
  }
  char expectedDate[40];
  char expectedTime[40];
  std::snprintf(expectedDate, sizeof expectedDate, "%02d-%02d-%02d", local.tm_year % 100,
                local.tm_mon + 1, local.tm_mday);
  std::snprintf(expectedTime, sizeof expectedTime, "%02d:%02d:%02d", local.tm_hour,
                local.tm_min, local.tm_sec);
  char timeText[DATE_TIME_TEXT_SIZE];
  char dateText[DATE_TIME_TEXT_SIZE];
  FormatDateTime(timeText, dateText, value);
  EXPECT_STREQ(dateText, expectedDate);
  EXPECT_STREQ(timeText, expectedTime);
}

}  // namespace
