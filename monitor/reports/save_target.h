// Save-to targets as the report and schedule dialogs edit them, and the
// dates and times of the schedule dialog by the Windows [intl] settings.
#pragma once

#include <ctime>
#include <string>

// The kind of a target and the text after its scheme: a path (second
// character ':' or '\', or a leading "..") or any unknown text is a file (0);
// "file:///" (0, "c|/x/y" becomes "c:\x\y"), "ftp://" (1), "http://" (2),
// "mailto:" (3), "odbc:" (4), schemes without regard to case.
int ParseSaveTarget(std::string* text, const char* target);

// The e-mail address and the file of an e-mail target's text: split at its
// first '/' (else '\'); no separator: all of it is the address.
void SplitMailTarget(const std::string& text, std::string* address, std::string* file);

// What a user's entry becomes, before its scheme is added. `reportDirectory`
// ends in a backslash. File: a path with its own directory is kept; a bare
// name, or one starting with '.' or '\', loses a leading ".\" (or '\') and goes
// below the report directory. E-mail: "mailto:" + address + "/" + the file.
// Fails with the string id of the message: 6 empty target, 7 empty address.
bool ValidateSaveTo(int urlType, const std::string& target, const std::string& address,
                    const std::string& reportDirectory, std::string* out, int* messageId);

// The stored target: text already carrying "file:///", "ftp://", "http://",
// "odbc:" or "mailto:" (this case) stays; else the kind's scheme is added,
// FTP and HTTP needing a '/' (not first) and no '\', e-mail an '@' and no '\'
// and no leading '/'. False when the text cannot be such a target.
bool BuildSaveTarget(int urlType, const std::string& text, std::string* out);

// [intl] date and time texts of a moment (local or UTC); 0 is first set to
// now + 300 seconds. Fields "%02d"; the year as years since 1900 below 100,
// else the full year. "N/A" and "" when the moment cannot be converted.
void FormatScheduleDateTime(bool local, std::string* date, std::string* time, time_t* when);

// A date in the [intl] order and separator: day 1-31 (February 1-29), month
// 1-12, *year as years since 1900 (below 70: 2000 added first; from 1900:
// below 1970 invalid).
bool ParseScheduleDate(const std::string& text, int* day, int* month, int* year);
// A time: hours below 24, minutes and seconds below 60; missing fields are 0.
bool ParseScheduleTime(const std::string& text);
void ReadScheduleTime(const std::string& text, int* hours, int* minutes, int* seconds);
