// Files and directories of the layer: Windows paths over the Linux file system.
//
// Every call here takes a Windows path and hands it to the path mapper first:
// '\' and '/' both separate components, a drive letter goes through the drive
// map, each component is found without regard to case when the exact name does
// not exist, and new names are created as written. A path rooted without a
// drive ("\home\user\x") is the Linux path of that name. The paths these calls
// return (current directory, Windows directory, temporary directory, full path
// of a relative name) are the real absolute Linux paths in that form, with '\'
// separators, so that callers can split them as Windows paths; every call here
// accepts them back, as it accepts '/' separators.
#pragma once

#include <string>

#include "qvplatform/errors.h"
#include "qvplatform/types.h"

#ifndef ERROR_NOT_SAME_DEVICE
#define ERROR_NOT_SAME_DEVICE 17L
#endif
#ifndef ERROR_GEN_FAILURE
#define ERROR_GEN_FAILURE 31L
#endif
#ifndef ERROR_BUFFER_OVERFLOW
#define ERROR_BUFFER_OVERFLOW 111L
#endif

// Access rights.
#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define GENERIC_EXECUTE 0x20000000u
#define GENERIC_ALL 0x10000000u

// Share modes (accepted; Linux has no mandatory sharing).
#define FILE_SHARE_READ 0x00000001u
#define FILE_SHARE_WRITE 0x00000002u
#define FILE_SHARE_DELETE 0x00000004u

// Creation dispositions.
#define CREATE_NEW 1u
#define CREATE_ALWAYS 2u
#define OPEN_EXISTING 3u
#define OPEN_ALWAYS 4u
#define TRUNCATE_EXISTING 5u

// File attributes. READONLY is the owner's write permission bit; HIDDEN is a
// name beginning with a dot.
#define FILE_ATTRIBUTE_READONLY 0x00000001u
#define FILE_ATTRIBUTE_HIDDEN 0x00000002u
#define FILE_ATTRIBUTE_SYSTEM 0x00000004u
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010u
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020u
#define FILE_ATTRIBUTE_NORMAL 0x00000080u
#define FILE_ATTRIBUTE_TEMPORARY 0x00000100u
#define INVALID_FILE_ATTRIBUTES (static_cast<DWORD>(0xFFFFFFFFu))

// File flags (accepted and ignored).
#define FILE_FLAG_WRITE_THROUGH 0x80000000u
#define FILE_FLAG_OVERLAPPED 0x40000000u
#define FILE_FLAG_NO_BUFFERING 0x20000000u
#define FILE_FLAG_RANDOM_ACCESS 0x10000000u
#define FILE_FLAG_SEQUENTIAL_SCAN 0x08000000u
#define FILE_FLAG_DELETE_ON_CLOSE 0x04000000u
#define FILE_FLAG_BACKUP_SEMANTICS 0x02000000u

// SetFilePointer origins and failure values.
#define FILE_BEGIN 0u
#define FILE_CURRENT 1u
#define FILE_END 2u
#define INVALID_SET_FILE_POINTER (static_cast<DWORD>(0xFFFFFFFFu))
#define INVALID_FILE_SIZE (static_cast<DWORD>(0xFFFFFFFFu))

// Overlapped I/O is offered for serial ports only (qvplatform/comm.h);
// ReadFile/WriteFile on a file refuse a non-null OVERLAPPED with
// ERROR_NOT_SUPPORTED.
struct OVERLAPPED;
typedef struct OVERLAPPED* LPOVERLAPPED;

struct WIN32_FIND_DATAA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  CHAR cFileName[MAX_PATH];
  CHAR cAlternateFileName[14];  // always empty: Linux keeps no short names
};
typedef WIN32_FIND_DATAA* PWIN32_FIND_DATAA;
typedef WIN32_FIND_DATAA* LPWIN32_FIND_DATAA;
static_assert(offsetof(WIN32_FIND_DATAA, ftCreationTime) == 4);
static_assert(offsetof(WIN32_FIND_DATAA, nFileSizeHigh) == 28);
static_assert(offsetof(WIN32_FIND_DATAA, cFileName) == 44);
static_assert(offsetof(WIN32_FIND_DATAA, cAlternateFileName) == 304);
static_assert(sizeof(WIN32_FIND_DATAA) == 320);

// Handles: files are kernel objects closed with CloseHandle.
QV_API HANDLE CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                          LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                          DWORD dwFlagsAndAttributes, HANDLE hTemplateFile);
QV_API BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
                     LPOVERLAPPED lpOverlapped);
QV_API BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                      LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped);
QV_API DWORD SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh,
                            DWORD dwMoveMethod);
QV_API DWORD GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh);
QV_API BOOL SetEndOfFile(HANDLE hFile);
QV_API BOOL FlushFileBuffers(HANDLE hFile);
// The creation time reads as the birth time where the file system keeps one, else
// the change time; setting it is accepted and ignored.
QV_API BOOL GetFileTime(HANDLE hFile, LPFILETIME lpCreationTime, LPFILETIME lpLastAccessTime,
                        LPFILETIME lpLastWriteTime);
QV_API BOOL SetFileTime(HANDLE hFile, const FILETIME* lpCreationTime, const FILETIME* lpLastAccessTime,
                        const FILETIME* lpLastWriteTime);

// Names.
QV_API BOOL DeleteFileA(LPCSTR lpFileName);
QV_API BOOL CopyFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, BOOL bFailIfExists);
QV_API BOOL MoveFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName);
QV_API BOOL CreateDirectoryA(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES lpSecurityAttributes);
QV_API BOOL RemoveDirectoryA(LPCSTR lpPathName);
QV_API DWORD GetFileAttributesA(LPCSTR lpFileName);
QV_API BOOL SetFileAttributesA(LPCSTR lpFileName, DWORD dwFileAttributes);

// Searches: a find handle is closed with FindClose. Names are listed sorted
// without regard to case.
QV_API HANDLE FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData);
QV_API BOOL FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData);
QV_API BOOL FindClose(HANDLE hFindFile);

// Directories of the process and of the layer.
QV_API DWORD GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer);
QV_API BOOL SetCurrentDirectoryA(LPCSTR lpPathName);
// Lexical, as on Windows: a drive path stays on its drive ("C:\dir\x"), any other
// path becomes the absolute Linux path in Windows form ("\home\user\x").
QV_API DWORD GetFullPathNameA(LPCSTR lpFileName, DWORD nBufferLength, LPSTR lpBuffer, LPSTR* lpFilePart);
// The real path of an open file or folder (links resolved), in the layer's
// form ('\' separators). With CreateFileA, FILE_FLAG_BACKUP_SEMANTICS opens a
// folder for this (no access rights). The length without the NUL, or the size
// needed with it when the buffer is too small; 0 on failure.
QV_API DWORD GetFinalPathNameByHandleA(HANDLE hFile, LPSTR lpszFilePath, DWORD cchFilePath, DWORD dwFlags);
QV_API DWORD GetTempPathA(DWORD nBufferLength, LPSTR lpBuffer);
QV_API UINT GetTempFileNameA(LPCSTR lpPathName, LPCSTR lpPrefixString, UINT uUnique, LPSTR lpTempFileName);
QV_API UINT GetWindowsDirectoryA(LPSTR lpBuffer, UINT uSize);
// "system32" under the Windows directory, made on first use together with a
// "MAPISVC.INF" whose [Services] IMAIL names the layer's own MAPI mail service.
QV_API UINT GetSystemDirectoryA(LPSTR lpBuffer, UINT uSize);
// One "X:\" string for each mapped drive, in letter order, ending in an empty string.
QV_API DWORD GetLogicalDriveStringsA(DWORD nBufferLength, LPSTR lpBuffer);

// Free space through statvfs; any directory of the volume may be named.
QV_API BOOL GetDiskFreeSpaceA(LPCSTR lpRootPathName, LPDWORD lpSectorsPerCluster, LPDWORD lpBytesPerSector,
                              LPDWORD lpNumberOfFreeClusters, LPDWORD lpTotalNumberOfClusters);
QV_API BOOL GetDiskFreeSpaceExA(LPCSTR lpDirectoryName, PULARGE_INTEGER lpFreeBytesAvailableToCaller,
                                PULARGE_INTEGER lpTotalNumberOfBytes,
                                PULARGE_INTEGER lpTotalNumberOfFreeBytes);

namespace qvp {

// A Windows path mapped onto the Linux file system.
struct MappedPath {
  DWORD error = ERROR_SUCCESS;  // the Windows error when the path cannot be mapped
  std::string path;             // the Linux path, existing components resolved without regard to case
  std::string leaf;             // the last component as written (empty for a root)
  bool ok() const { return error == ERROR_SUCCESS; }
};

// Maps a path for any file call. A missing last component is kept as written
// (so that it can be created); a missing directory before it gives
// ERROR_PATH_NOT_FOUND.
MappedPath MapPath(const char* windows_path);

// Drive letters ('A'..'Z', either case) map onto Linux directories. An empty or
// null directory removes the mapping. False for a bad letter or a relative directory.
bool SetDriveMapping(char drive, const char* linux_directory);
void ClearDriveMappings();

// The layer's Windows directory (where WIN.INI and bare profile-file names live).
// A null or empty path returns to the default: $QV_WINDOWS_DIR, else
// $HOME/.quorvane/windows, created when first used.
void SetWindowsDirectory(const char* linux_directory);
std::string WindowsDirectory();

// Makes an existing file readable and writable by its owner only (for files
// that hold passwords). False with a Windows error set when it cannot.
bool RestrictToOwner(const char* windows_path);

}  // namespace qvp
