// The kernel facility of the layer: handles, threads, waits and synchronisation
// objects, time, version and environment, debug output, global memory, and the
// ANSI string and code-page helpers the system code uses.
#pragma once

#include <cstdarg>
#include <string>

#include "qvplatform/types.h"
#include "qvplatform/errors.h"

// ---------------------------------------------------------------------------
// Error codes the kernel reports that the shared list does not hold yet.
#ifndef ERROR_BUFFER_OVERFLOW
#define ERROR_BUFFER_OVERFLOW 111L
#endif
#ifndef ERROR_DISCARDED
#define ERROR_DISCARDED 157L
#endif
#ifndef ERROR_NOT_LOCKED
#define ERROR_NOT_LOCKED 158L
#endif
#ifndef ERROR_INVALID_FLAGS
#define ERROR_INVALID_FLAGS 1004L
#endif
#ifndef ERROR_NO_UNICODE_TRANSLATION
#define ERROR_NO_UNICODE_TRANSLATION 1113L
#endif

// ---------------------------------------------------------------------------
// Last error (per thread)
QV_API DWORD GetLastError(void);
QV_API void SetLastError(DWORD dwErrCode);

// ---------------------------------------------------------------------------
// Handles and processes
#define DUPLICATE_CLOSE_SOURCE 0x00000001u
#define DUPLICATE_SAME_ACCESS 0x00000002u

#define SYNCHRONIZE 0x00100000u
#define STANDARD_RIGHTS_REQUIRED 0x000F0000u
#define PROCESS_ALL_ACCESS (STANDARD_RIGHTS_REQUIRED | SYNCHRONIZE | 0xFFFu)
#define THREAD_ALL_ACCESS (STANDARD_RIGHTS_REQUIRED | SYNCHRONIZE | 0x3FFu)

QV_API BOOL CloseHandle(HANDLE hObject);
QV_API BOOL DuplicateHandle(HANDLE hSourceProcessHandle, HANDLE hSourceHandle,
                            HANDLE hTargetProcessHandle, LPHANDLE lpTargetHandle,
                            DWORD dwDesiredAccess, BOOL bInheritHandle, DWORD dwOptions);
// Pseudo handles: the current process is (HANDLE)-1, the current thread (HANDLE)-2.
// Closing them has no effect.
QV_API HANDLE GetCurrentProcess(void);
QV_API HANDLE GetCurrentThread(void);
QV_API DWORD GetCurrentProcessId(void);
QV_API DWORD GetCurrentThreadId(void);

// ---------------------------------------------------------------------------
// Threads
typedef DWORD(WINAPI* PTHREAD_START_ROUTINE)(LPVOID lpThreadParameter);
typedef PTHREAD_START_ROUTINE LPTHREAD_START_ROUTINE;

#define CREATE_SUSPENDED 0x00000004u
#define STACK_SIZE_PARAM_IS_A_RESERVATION 0x00010000u
#define STILL_ACTIVE 259u

QV_API HANDLE CreateThread(LPSECURITY_ATTRIBUTES lpThreadAttributes, SIZE_T dwStackSize,
                           LPTHREAD_START_ROUTINE lpStartAddress, LPVOID lpParameter,
                           DWORD dwCreationFlags, LPDWORD lpThreadId);
// Starts a thread made with CREATE_SUSPENDED. Returns the previous suspend count
// (1 the first time, 0 afterwards), or (DWORD)-1 on failure.
QV_API DWORD ResumeThread(HANDLE hThread);
QV_API BOOL GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode);
// Ends the synchronous operation the thread is blocked in (a host name look-up)
// with ERROR_OPERATION_ABORTED; FALSE and ERROR_NOT_FOUND when it is in none.
QV_API BOOL CancelSynchronousIo(HANDLE hThread);

QV_API void Sleep(DWORD dwMilliseconds);
QV_API DWORD SleepEx(DWORD dwMilliseconds, BOOL bAlertable);

// ---------------------------------------------------------------------------
// Waits
#define WAIT_OBJECT_0 0x00000000u
#define WAIT_ABANDONED 0x00000080u
#define WAIT_ABANDONED_0 0x00000080u
#define WAIT_FAILED 0xFFFFFFFFu
#define MAXIMUM_WAIT_OBJECTS 64u

QV_API DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);
QV_API DWORD WaitForMultipleObjects(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll,
                                    DWORD dwMilliseconds);

// ---------------------------------------------------------------------------
// Mutexes, events, semaphores. Names form one namespace for all three kinds;
// an object lives while any handle to it is open.
#define MUTEX_MODIFY_STATE 0x0001u
#define MUTEX_ALL_ACCESS (STANDARD_RIGHTS_REQUIRED | SYNCHRONIZE | MUTEX_MODIFY_STATE)
#define EVENT_MODIFY_STATE 0x0002u
#define EVENT_ALL_ACCESS (STANDARD_RIGHTS_REQUIRED | SYNCHRONIZE | 0x3u)
#define SEMAPHORE_MODIFY_STATE 0x0002u
#define SEMAPHORE_ALL_ACCESS (STANDARD_RIGHTS_REQUIRED | SYNCHRONIZE | 0x3u)

QV_API HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES lpMutexAttributes, BOOL bInitialOwner,
                           LPCSTR lpName);
QV_API HANDLE OpenMutexA(DWORD dwDesiredAccess, BOOL bInheritHandle, LPCSTR lpName);
QV_API BOOL ReleaseMutex(HANDLE hMutex);

QV_API HANDLE CreateEventA(LPSECURITY_ATTRIBUTES lpEventAttributes, BOOL bManualReset,
                           BOOL bInitialState, LPCSTR lpName);
QV_API HANDLE OpenEventA(DWORD dwDesiredAccess, BOOL bInheritHandle, LPCSTR lpName);
QV_API BOOL SetEvent(HANDLE hEvent);
QV_API BOOL ResetEvent(HANDLE hEvent);
QV_API BOOL PulseEvent(HANDLE hEvent);

QV_API HANDLE CreateSemaphoreA(LPSECURITY_ATTRIBUTES lpSemaphoreAttributes, LONG lInitialCount,
                               LONG lMaximumCount, LPCSTR lpName);
QV_API HANDLE OpenSemaphoreA(DWORD dwDesiredAccess, BOOL bInheritHandle, LPCSTR lpName);
QV_API BOOL ReleaseSemaphore(HANDLE hSemaphore, LONG lReleaseCount, LPLONG lpPreviousCount);

// ---------------------------------------------------------------------------
// File mappings of the paging file. A named mapping is shared with the user's
// other processes (and so are the mutexes and events the system shares with a
// program of its own); see kernel/shared_objects.h in the layer. Views are
// unmapped with UnmapViewOfFile and outlive the mapping's handles.
#define PAGE_READONLY 0x02u
#define PAGE_READWRITE 0x04u
#define FILE_MAP_COPY 0x0001u
#define FILE_MAP_WRITE 0x0002u
#define FILE_MAP_READ 0x0004u
#define FILE_MAP_ALL_ACCESS 0x000F001Fu

QV_API HANDLE CreateFileMappingA(HANDLE hFile, LPSECURITY_ATTRIBUTES lpFileMappingAttributes, DWORD flProtect,
                                 DWORD dwMaximumSizeHigh, DWORD dwMaximumSizeLow, LPCSTR lpName);
QV_API HANDLE OpenFileMappingA(DWORD dwDesiredAccess, BOOL bInheritHandle, LPCSTR lpName);
QV_API LPVOID MapViewOfFile(HANDLE hFileMappingObject, DWORD dwDesiredAccess, DWORD dwFileOffsetHigh,
                            DWORD dwFileOffsetLow, SIZE_T dwNumberOfBytesToMap);
QV_API BOOL UnmapViewOfFile(LPCVOID lpBaseAddress);

// ---------------------------------------------------------------------------
// Critical sections. The section owns a lock object of the layer on the heap
// between Initialize and Delete.
struct CRITICAL_SECTION {
  void* LockObject;
};
typedef CRITICAL_SECTION* LPCRITICAL_SECTION;
typedef CRITICAL_SECTION* PCRITICAL_SECTION;

QV_API void InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
QV_API void EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
QV_API BOOL TryEnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
QV_API void LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
QV_API void DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection);

// ---------------------------------------------------------------------------
// Interlocked operations (sequentially consistent). Increment and Decrement
// return the new value; the others return the value before the operation.
QV_API LONG InterlockedIncrement(LONG volatile* Addend);
QV_API LONG InterlockedDecrement(LONG volatile* Addend);
QV_API LONG InterlockedExchange(LONG volatile* Target, LONG Value);
QV_API LONG InterlockedExchangeAdd(LONG volatile* Addend, LONG Value);
QV_API LONG InterlockedCompareExchange(LONG volatile* Destination, LONG Exchange, LONG Comparand);
QV_API PVOID InterlockedExchangePointer(PVOID volatile* Target, PVOID Value);
QV_API PVOID InterlockedCompareExchangePointer(PVOID volatile* Destination, PVOID Exchange,
                                               PVOID Comparand);

// ---------------------------------------------------------------------------
// Time. Tick counts come from the 64-bit monotonic clock; GetTickCount and
// timeGetTime are its low 32 bits.
QV_API DWORD GetTickCount(void);
QV_API ULONGLONG GetTickCount64(void);
QV_API DWORD timeGetTime(void);
QV_API BOOL QueryPerformanceCounter(LARGE_INTEGER* lpPerformanceCount);
QV_API BOOL QueryPerformanceFrequency(LARGE_INTEGER* lpFrequency);

QV_API void GetSystemTimeAsFileTime(LPFILETIME lpSystemTimeAsFileTime);
QV_API void GetSystemTime(LPSYSTEMTIME lpSystemTime);
QV_API void GetLocalTime(LPSYSTEMTIME lpSystemTime);
QV_API BOOL FileTimeToSystemTime(const FILETIME* lpFileTime, LPSYSTEMTIME lpSystemTime);
QV_API BOOL SystemTimeToFileTime(const SYSTEMTIME* lpSystemTime, LPFILETIME lpFileTime);
QV_API BOOL FileTimeToLocalFileTime(const FILETIME* lpFileTime, LPFILETIME lpLocalFileTime);
QV_API BOOL LocalFileTimeToFileTime(const FILETIME* lpLocalFileTime, LPFILETIME lpFileTime);
QV_API LONG CompareFileTime(const FILETIME* lpFileTime1, const FILETIME* lpFileTime2);

// ---------------------------------------------------------------------------
// Version, environment, machine
#define VER_PLATFORM_WIN32s 0u
#define VER_PLATFORM_WIN32_WINDOWS 1u
#define VER_PLATFORM_WIN32_NT 2u
#define MAX_COMPUTERNAME_LENGTH 15

struct OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  CHAR szCSDVersion[128];
};
typedef OSVERSIONINFOA* POSVERSIONINFOA;
typedef OSVERSIONINFOA* LPOSVERSIONINFOA;

QV_API BOOL GetVersionExA(LPOSVERSIONINFOA lpVersionInformation);

// Locale information: only LOCALE_SENGLANGUAGE, a language's English name
// ("German") by the primary language of the locale id.
typedef DWORD LCTYPE;
#define LOCALE_SENGLANGUAGE 0x00001001
QV_API int GetLocaleInfoA(LCID Locale, LCTYPE LCType, LPSTR lpLCData, int cchData);
QV_API DWORD GetVersion(void);

QV_API DWORD GetEnvironmentVariableA(LPCSTR lpName, LPSTR lpBuffer, DWORD nSize);
QV_API BOOL SetEnvironmentVariableA(LPCSTR lpName, LPCSTR lpValue);
QV_API BOOL GetComputerNameA(LPSTR lpBuffer, LPDWORD nSize);
QV_API int MulDiv(int nNumber, int nNumerator, int nDenominator);

QV_API void OutputDebugStringA(LPCSTR lpOutputString);

// ---------------------------------------------------------------------------
// Global and local memory. A fixed block's handle is its address; a moveable
// block is reached through GlobalLock, which counts locks.
#define GMEM_FIXED 0x0000u
#define GMEM_MOVEABLE 0x0002u
#define GMEM_NOCOMPACT 0x0010u
#define GMEM_NODISCARD 0x0020u
#define GMEM_ZEROINIT 0x0040u
#define GMEM_MODIFY 0x0080u
#define GMEM_DISCARDABLE 0x0100u
#define GMEM_SHARE 0x2000u
#define GMEM_DDESHARE 0x2000u
#define GMEM_DISCARDED 0x4000u
#define GMEM_INVALID_HANDLE 0x8000u
#define GMEM_LOCKCOUNT 0x00FFu
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)
#define GPTR (GMEM_FIXED | GMEM_ZEROINIT)

#define LMEM_FIXED 0x0000u
#define LMEM_MOVEABLE 0x0002u
#define LMEM_ZEROINIT 0x0040u
#define LMEM_MODIFY 0x0080u
#define LMEM_DISCARDABLE 0x0F00u
#define LMEM_DISCARDED 0x4000u
#define LMEM_INVALID_HANDLE 0x8000u
#define LMEM_LOCKCOUNT 0x00FFu
#define LHND (LMEM_MOVEABLE | LMEM_ZEROINIT)
#define LPTR (LMEM_FIXED | LMEM_ZEROINIT)

#define HEAP_NO_SERIALIZE 0x00000001u
#define HEAP_GENERATE_EXCEPTIONS 0x00000004u
#define HEAP_ZERO_MEMORY 0x00000008u

QV_API HGLOBAL GlobalAlloc(UINT uFlags, SIZE_T dwBytes);
QV_API HGLOBAL GlobalReAlloc(HGLOBAL hMem, SIZE_T dwBytes, UINT uFlags);
QV_API HGLOBAL GlobalFree(HGLOBAL hMem);
QV_API LPVOID GlobalLock(HGLOBAL hMem);
QV_API BOOL GlobalUnlock(HGLOBAL hMem);
QV_API SIZE_T GlobalSize(HGLOBAL hMem);
QV_API UINT GlobalFlags(HGLOBAL hMem);

QV_API HLOCAL LocalAlloc(UINT uFlags, SIZE_T uBytes);
QV_API HLOCAL LocalReAlloc(HLOCAL hMem, SIZE_T uBytes, UINT uFlags);
QV_API HLOCAL LocalFree(HLOCAL hMem);
QV_API LPVOID LocalLock(HLOCAL hMem);
QV_API BOOL LocalUnlock(HLOCAL hMem);
QV_API SIZE_T LocalSize(HLOCAL hMem);

QV_API HANDLE GetProcessHeap(void);
QV_API LPVOID HeapAlloc(HANDLE hHeap, DWORD dwFlags, SIZE_T dwBytes);
QV_API BOOL HeapFree(HANDLE hHeap, DWORD dwFlags, LPVOID lpMem);

// ---------------------------------------------------------------------------
// ANSI strings (Windows-1252)
QV_API int lstrlenA(LPCSTR lpString);
QV_API LPSTR lstrcpyA(LPSTR lpString1, LPCSTR lpString2);
// Copies at most iMaxLength - 1 characters and always terminates the result.
QV_API LPSTR lstrcpynA(LPSTR lpString1, LPCSTR lpString2, int iMaxLength);
QV_API LPSTR lstrcatA(LPSTR lpString1, LPCSTR lpString2);
// Linguistic order: letters before case (a < B), accents and then case break ties
// (lower case first). The results are -1, 0 or 1.
QV_API int lstrcmpA(LPCSTR lpString1, LPCSTR lpString2);
QV_API int lstrcmpiA(LPCSTR lpString1, LPCSTR lpString2);

// With a pointer whose upper bits are zero, CharUpperA/CharLowerA convert the
// single character in its low byte and return it the same way.
QV_API LPSTR CharUpperA(LPSTR lpsz);
QV_API LPSTR CharLowerA(LPSTR lpsz);
QV_API LPSTR CharNextA(LPCSTR lpsz);
QV_API LPSTR CharPrevA(LPCSTR lpszStart, LPCSTR lpszCurrent);
QV_API BOOL IsCharAlphaA(CHAR ch);
QV_API BOOL IsCharAlphaNumericA(CHAR ch);

// Formats like Windows: at most 1023 characters plus the terminating NUL are
// written; %ld, %lu, %lx read 32-bit values; no floating point. Returns the
// number of characters written, without the NUL.
QV_API int wsprintfA(LPSTR lpOut, LPCSTR lpFmt, ...);
QV_API int wvsprintfA(LPSTR lpOut, LPCSTR lpFmt, va_list arglist);

// ---------------------------------------------------------------------------
// Code pages: the ANSI code page is Windows-1252.
#define CP_ACP 0u
#define CP_OEMCP 1u
#define CP_THREAD_ACP 3u
#define CP_UTF8 65001u

#define MB_PRECOMPOSED 0x00000001u
#define MB_COMPOSITE 0x00000002u
#define MB_USEGLYPHCHARS 0x00000004u
#define MB_ERR_INVALID_CHARS 0x00000008u

#define WC_DISCARDNS 0x00000010u
#define WC_SEPCHARS 0x00000020u
#define WC_DEFAULTCHAR 0x00000040u
#define WC_ERR_INVALID_CHARS 0x00000080u
#define WC_COMPOSITECHECK 0x00000200u
#define WC_NO_BEST_FIT_CHARS 0x00000400u

QV_API int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr,
                               int cbMultiByte, LPWSTR lpWideCharStr, int cchWideChar);
QV_API int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr,
                               int cchWideChar, LPSTR lpMultiByteStr, int cbMultiByte,
                               LPCSTR lpDefaultChar, LPBOOL lpUsedDefaultChar);

// ---------------------------------------------------------------------------
// Control events. SIGINT arrives as CTRL_C_EVENT, SIGHUP as CTRL_CLOSE_EVENT
// and SIGTERM as CTRL_SHUTDOWN_EVENT while at least one handler is installed:
// the signal itself only wakes a thread of the layer, which calls the
// handlers, newest first, until one answers TRUE. When none does, the signal
// takes its default course (the process ends by it). Removing the last
// handler restores the signals' previous dispositions.
#define CTRL_C_EVENT 0u
#define CTRL_BREAK_EVENT 1u
#define CTRL_CLOSE_EVENT 2u
#define CTRL_LOGOFF_EVENT 5u
#define CTRL_SHUTDOWN_EVENT 6u
typedef BOOL(WINAPI* PHANDLER_ROUTINE)(DWORD dwCtrlType);
// A null routine is refused (ERROR_INVALID_PARAMETER); removing a routine that
// is not installed fails with ERROR_INVALID_PARAMETER.
QV_API BOOL WINAPI SetConsoleCtrlHandler(PHANDLER_ROUTINE HandlerRoutine, BOOL Add);

// ---------------------------------------------------------------------------
// Layer control for tests and start-up.
namespace qvp {

// GetVersionExA/GetVersion answer Windows NT 4.0 (build 1381, "Service Pack 6")
// until a test switches them; the reset restores that answer.
void SetVersionForTests(DWORD major, DWORD minor, DWORD platform_id);
void ResetVersionForTests();

// While capturing, OutputDebugStringA also appends to a buffer that
// TakeDebugOutput returns and empties. Switching capture on or off empties it.
// Independently, the text goes to stderr when QV_DEBUG is set.
void CaptureDebugOutput(bool on);
std::string TakeDebugOutput();

}  // namespace qvp
