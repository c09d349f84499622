// Small helpers the plug-in's parts share: integer settings, bounded text
// copies, handle tests and the separator test of the small text parsers.
#pragma once

#include <cstddef>

#include "qvplatform.h"

// Writes `value` as decimal text ("%d") with WritePrivateProfileStringA; its result.
bool WriteProfileInt(const char* section, const char* key, int value, const char* file);

// Reads an integer setting: the value's leading integer (blanks and a sign
// allowed before the digits); `fallback` when the key is missing or its value
// does not begin with a number (a hand-edited "abc" reads as the default, not 0).
int ReadProfileInt(const char* section, const char* key, int fallback, const char* file);

// Copies `source` (null reads as empty) into `out` of `size` characters, cutting
// it to size - 1 characters; out always ends in a zero. No effect when size is 0.
void CopyText(char* out, size_t size, const char* source);
template <size_t N>
void CopyText(char (&out)[N], const char* source) {
  CopyText(out, N, source);
}

// Neither null nor INVALID_HANDLE_VALUE.
bool IsValidHandle(HANDLE handle);
// The kernel-object wrappers report failures here; nothing is done with them.
void OnSyncError(DWORD error);

// TAB, LF, CR, blank, ',', ':', ';', '=', '[' and ']'.
bool IsSeparator(char c);
// Skips separators while *remaining counts down. Null when the count reaches 0;
// otherwise the first other character, with the count left in *remaining.
const char* SkipSeparators(const char* text, int* remaining);

// [General] Thread of the plug-in's settings file: the number of monitor workers,
// 10 by default, kept within 1 to 100 whatever the file says.
inline constexpr int kDefaultMonitorThreads = 10;
inline constexpr int kMaxMonitorThreads = 100;
int ReadMonitorThreadCount(const char* iniPath);
