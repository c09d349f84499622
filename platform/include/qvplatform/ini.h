// Settings files in the Windows private-profile form ("[section]" and
// "key=value" lines), read and written with Windows semantics.
//
// Section and key names compare without regard to case; blanks around names and
// values are ignored; a value wholly enclosed in quotes reads without them; a
// missing file, section or key reads as the default. A file name without a
// directory part names a file in the layer's Windows directory (see
// GetWindowsDirectoryA); the Profile forms use WIN.INI there.
//
// Every call reads the file anew. Writes replace the file as a whole under a
// process-wide lock and an advisory lock, so concurrent writers from any thread
// or process lose no change and readers never see half a file. CR, LF and NUL
// cannot be written into a name or value (ERROR_INVALID_PARAMETER), nor can a
// section name holding ']' or a key holding '=' or beginning with '[' or ';',
// since each would read back as something else.
#pragma once

#include "qvplatform/errors.h"
#include "qvplatform/types.h"

// With a null section: every section name, each ended by a NUL, then one more
// NUL. With a null key: every key of the section in the same form. Otherwise the
// value or the default (trailing blanks of the default dropped). Truncates to
// the buffer: a value returns nSize - 1, a list nSize - 2 (still ending in two NULs).
QV_API DWORD GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                                      LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName);
// The leading decimal digits (after blanks and an optional sign) of the value;
// a value without digits ("abc") reads as 0; nDefault when the key is missing or
// its value is empty.
QV_API UINT GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault, LPCSTR lpFileName);
// A null key deletes the section, a null value deletes the key. The first write
// creates the file; a new key goes at the end of its section, a new section at
// the end of the file. All three null: nothing to flush, TRUE.
QV_API BOOL WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString,
                                       LPCSTR lpFileName);
// The section's "key=value" lines, each ended by a NUL, then one more NUL;
// truncated like the lists above.
QV_API DWORD GetPrivateProfileSectionA(LPCSTR lpAppName, LPSTR lpReturnedString, DWORD nSize,
                                       LPCSTR lpFileName);
// Replaces the section's lines with the NUL-separated, double-NUL-ended list; a
// null list deletes the section.
QV_API BOOL WritePrivateProfileSectionA(LPCSTR lpAppName, LPCSTR lpString, LPCSTR lpFileName);

QV_API DWORD GetProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault, LPSTR lpReturnedString,
                               DWORD nSize);
QV_API UINT GetProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault);
QV_API BOOL WriteProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString);
