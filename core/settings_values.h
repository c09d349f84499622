// The value conventions of the settings file that more than one reader shares.
#pragma once

#include <cstddef>

// The word a switch stored as "TRUE"/"FALSE" is written as.
const char* BoolWord(bool on);

// [Defaults] ProxyEnable is on when its first character is 't', 'T' or '1'.
bool IsProxyEnabledValue(const char* text);

// [Defaults] WebEnable is on only when its first character is 't' or 'T'
// ("1" is off).
bool IsWebEnabledValue(const char* text);

// The narrowest column width the panel uses; narrower stored widths read as this.
inline constexpr int kMinColumnWidth = 10;

// Parses a ColumnPos_ value: decimal widths separated by commas, each read by
// its leading digits (an empty or unreadable field is 0) and raised to at least
// kMinColumnWidth. Stores at most maxCount widths and returns how many it
// stored; an empty text has no fields.
int ParseColumnWidths(const char* text, int* widths, int maxCount);

// The key that holds the column widths of a plug-in kind: "ColumnPos_" and the
// kind in lower-case hexadecimal, at least four digits ("ColumnPos_0004"; the
// all-profiles view's -1 gives "ColumnPos_ffffffff").
void FormatColumnPosKey(int kind, char* out, size_t outSize);
