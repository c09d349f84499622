// The status log library: typed entries appended to a log file and read back
// in the order they were written.
//
// An entry is an array of fields, each a type number and a text. Every write
// appends one whole entry; entries written by several threads at once never
// mix, and a reader that runs while others write sees each entry either whole
// or not yet. The file's layout is this library's own: each entry is framed
// with a marker, its length and a checksum, so that a torn last entry (a write
// cut short by a crash) is skipped, never misread, and the entries after it
// are still found.
#pragma once

#include "qvplatform.h"

// One field as the writer hands it over.
struct QVLS_FIELD {
  LONG type;
  CHAR text[260];
};

// One field as a reader gets it back: the text as written and the calendar
// time (seconds since 1970) at which its entry was written.
struct QVLS_ENTRY_FIELD {
  LONG type;
  CHAR text[260];
  LONG time;
};

// A reader of one log file.
typedef struct QVLS_READER* HQVLSREADER;

// Appends one entry of `count` fields (1 to 64) to the file at `path`,
// creating the file when it is missing. Each text is taken up to its first NUL
// or its 260th character. `owner`, `flags` and `reserved` are not used.
// 1 when the entry was written; 0 with the last error set otherwise
// (ERROR_INVALID_PARAMETER for bad arguments, the file error otherwise).
QV_API int QVLS_WriteEntryIntoLogStatusFile(HWND owner, const QVLS_FIELD* fields, int count, int flags,
                                            LPCSTR path, int reserved);

// Opens a reader positioned at the first entry of the file at `path`. A
// missing file reads as empty. Null with the last error set when the path is
// null or memory runs out.
QV_API HQVLSREADER QVLS_LogStatusFileStartup(LPCSTR path);

// The next whole entry: 1 with *fields (allocated; free with QVLS_FreeEntry)
// and *count set; 0 when no further whole entry is there yet (a later call may
// find entries written meanwhile); -1 with the last error set on bad arguments
// or a read error. Damaged bytes between entries are skipped.
QV_API int QVLS_ReadEntryFromLogStatusFile(HQVLSREADER reader, QVLS_ENTRY_FIELD** fields, int* count);

// Frees an entry returned by QVLS_ReadEntryFromLogStatusFile (null is allowed).
QV_API void QVLS_FreeEntry(QVLS_ENTRY_FIELD* fields);

// Closes a reader (null is allowed).
QV_API void QVLS_LogStatusFileCleanup(HQVLSREADER reader);

// Most fields one entry may have.
#define QVLS_MAX_FIELDS 64

#ifndef ERROR_WRITE_FAULT
#define ERROR_WRITE_FAULT 29L
#endif

// Deletes the log file at `path` under the lock its writers take, so that no
// entry is being appended while it goes. 1 when the file is gone (also when it
// did not exist); 0 with the last error set otherwise.
QV_API int QVLS_DeleteLogStatusFile(LPCSTR path);
