// Calendar texts of the engine, made without the C library's shared buffers
// so that any thread may ask.
#pragma once

#include <ctime>

// The classic 24-character text "Wed Jan  2 02:03:55 1980" of a calendar
// time in local time, followed by "\n" (26 bytes with the terminator). An
// instant that cannot be converted gives "".
void CalendarText(time_t when, char (&out)[32]);

// Hour, minute and second of a calendar time in local time; false when the
// instant cannot be converted.
bool ClockOfDay(time_t when, unsigned* hour, unsigned* minute, unsigned* second);
