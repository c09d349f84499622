#include "date_time.h"

#include <cstdio>
#include <mutex>

#include "qvplatform.h"
#include "settings_keys.h"

namespace {

constexpr int kCommonYear[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
constexpr int kLeapYear[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

// Three two-digit fields joined by a separator (none when it is 0).
void JoinFields(char* out, int a, int b, int c, char separator) {
  if (separator != '\0') {
    std::snprintf(out, DATE_TIME_TEXT_SIZE, "%02d%c%02d%c%02d", a, separator, b, separator, c);
  } else {
    std::snprintf(out, DATE_TIME_TEXT_SIZE, "%02d%02d%02d", a, b, c);
  }
}

// Keeps a field to two digits whatever the broken-down value holds.
int TwoDigits(int value) {
  value %= 100;
  return value < 0 ? value + 100 : value;
}

}  // namespace

void FormatDateTimeParts(const std::tm& fields, const DateTimeForm& form, char* timeText,
                         char* dateText) {
  const int year = TwoDigits(fields.tm_year);
  const int month = TwoDigits(fields.tm_mon + 1);
  const int day = TwoDigits(fields.tm_mday);
  switch (form.dateOrder) {
    case 1:
      JoinFields(dateText, day, month, year, form.dateSeparator);
      break;
    case 2:
      JoinFields(dateText, year, month, day, form.dateSeparator);
      break;
    default:
      JoinFields(dateText, month, day, year, form.dateSeparator);
      break;
  }
  JoinFields(timeText, TwoDigits(fields.tm_hour), TwoDigits(fields.tm_min),
             TwoDigits(fields.tm_sec), form.timeSeparator);
}

DateTimeForm ReadDateTimeForm() {
  DateTimeForm form{};
  form.dateOrder = static_cast<int>(GetProfileIntA(ini::kIntl, ini::kIDate, 0));
  char separator[8];
  GetProfileStringA(ini::kIntl, ini::kSDate, ini::kDefaultDateSeparator, separator,
                    sizeof separator);
  form.dateSeparator = separator[0];
  GetProfileStringA(ini::kIntl, ini::kSTime, ini::kDefaultTimeSeparator, separator,
                    sizeof separator);
  form.timeSeparator = separator[0];
  return form;
}

namespace {

// The C runtime breaks a time down into one shared result; one lock keeps the
// core's callers from overwriting each other's.
std::mutex g_breakDownLock;

void FormatTimeValue(char* timeText, char* dateText, time_t value, bool local) {
  const DateTimeForm form = ReadDateTimeForm();
  std::tm fields{};
  bool valid = false;
  if (value >= 0) {
    std::lock_guard<std::mutex> guard(g_breakDownLock);
    const std::tm* result = local ? std::localtime(&value) : std::gmtime(&value);
    if (result != nullptr) {
      fields = *result;
      valid = true;
    }
  }
  if (!valid) {
    std::snprintf(timeText, DATE_TIME_TEXT_SIZE, "N/A");
    std::snprintf(dateText, DATE_TIME_TEXT_SIZE, "N/A");
    return;
  }
  FormatDateTimeParts(fields, form, timeText, dateText);
}

}  // namespace

void FormatDateTime(char* timeText, char* dateText, time_t value) {
  FormatTimeValue(timeText, dateText, value, true);
}

void FormatDateTimeGmt(char* timeText, char* dateText, time_t value) {
  FormatTimeValue(timeText, dateText, value, false);
}

int IsLeapYear(int yearsSince1900) {
  if (yearsSince1900 % 4 != 0) return 0;
  const long long year = static_cast<long long>(yearsSince1900) + 1900;
  return (year % 100 != 0 || year % 400 == 0) ? 1 : 0;
}

int DaysInMonth(int month, int yearsSince1900) {
  if (month < 0 || month > 11) return 0;
  return IsLeapYear(yearsSince1900) ? kLeapYear[month] : kCommonYear[month];
}
