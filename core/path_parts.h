// Splitting of Windows-form paths. A path separates at '\' and ':' (the drive
// colon), and also at '/', which this platform hands out in its own paths.
#pragma once

#include <cstddef>

// True for the characters at which a path separates.
bool IsPathSeparator(char c);

// The path up to and including its last separator; empty when it has none.
// "C:report.txt" gives "C:".
void GetDirectoryPart(const char* path, char* out, size_t outSize);

// The text after the last separator; the whole path when it has none.
// "C:report.txt" gives "report.txt".
void GetFileNamePart(const char* path, char* out, size_t outSize);

// Of the file-name part, the text from its last '.' on, dot included; empty
// when the file name has no dot.
void GetExtensionPart(const char* path, char* out, size_t outSize);

// Joins folder and file name: folder, a backslash when the folder is not empty
// and does not end in '\' (or '/'), then the file name. Returns out.
char* JoinPath(const char* folder, const char* fileName, char* out, size_t outSize);

// Cuts text at its first character 0x01 (the marker that ends the useful part
// of some stored texts).
void StripMarkerChars(char* text);
