// Date and time texts in the short form of the user's regional settings
// ([intl] of the Windows settings file), two digits per field and a two-digit
// year, and the calendar arithmetic of the scheduler.
#pragma once

#include <ctime>

// Size of a time or date text buffer: "hh:mm:ss" or a date of three two-digit
// fields with two separators, or "N/A", and the terminating zero.
inline constexpr int DATE_TIME_TEXT_SIZE = 9;

// The regional form of dates and times.
struct DateTimeForm {
  int dateOrder;       // iDate: 0 month-day-year, 1 day-month-year, 2 year-month-day
  char dateSeparator;  // first character of sDate; 0 for none
  char timeSeparator;  // first character of sTime; 0 for none
};

// Reads [intl] iDate, sDate and sTime of the Windows settings file (defaults
// 0, "/" and ":").
DateTimeForm ReadDateTimeForm();

// Formats broken-down time fields by form into the two texts (each at least
// DATE_TIME_TEXT_SIZE characters). A date order other than 0, 1 or 2 is read
// as 0, so both texts are always set.
void FormatDateTimeParts(const std::tm& fields, const DateTimeForm& form, char* timeText,
                         char* dateText);

// The time value in local time / in UTC as time and date texts (each at least
// DATE_TIME_TEXT_SIZE characters). A negative value, or one too large to break
// down, gives "N/A" in both.
void FormatDateTime(char* timeText, char* dateText, time_t value);
void FormatDateTimeGmt(char* timeText, char* dateText, time_t value);

// 1 when the year (given as years since 1900) is a leap year, else 0.
int IsLeapYear(int yearsSince1900);

// Days of the month (0 January .. 11 December) in the year (years since
// 1900); 0 for a month outside 0-11.
int DaysInMonth(int month, int yearsSince1900);
