// Starting programs and opening documents: CreateProcessA, WinExec and
// ShellExecuteA.
//
// Programs are started for real with an argument vector (posix_spawn), never
// through a shell: no character of a command line or a parameter has any
// meaning beyond the Windows word-splitting rules. A command line is split as
// Windows programs split theirs: the first word is the program (a quoted part
// may hold blanks), the words after it follow the C runtime's rules for
// quotes and backslashes. Program names are Windows paths and go through the
// path mapper; a bare name is looked for in the program directory, the
// current directory and then PATH; "name.exe" is also found as "name".
//
// Every program the layer starts is reaped by the layer; a process handle
// becomes signalled when the program ends and then tells its exit code. A
// program ended by a signal reports 128 + the signal number, unless
// TerminateProcess ended it, which reports the code it was given.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "qvplatform/types.h"
#include "qvplatform/errors.h"

#ifndef ERROR_BAD_FORMAT
#define ERROR_BAD_FORMAT 11L
#endif
#ifndef ERROR_BAD_EXE_FORMAT
#define ERROR_BAD_EXE_FORMAT 193L
#endif
#ifndef ERROR_NO_ASSOCIATION
#define ERROR_NO_ASSOCIATION 1155L
#endif

// ShellExecuteA results of 32 and below: the failure.
#define SE_ERR_FNF 2
#define SE_ERR_PNF 3
#define SE_ERR_ACCESSDENIED 5
#define SE_ERR_OOM 8
#define SE_ERR_SHARE 26
#define SE_ERR_ASSOCINCOMPLETE 27
#define SE_ERR_DDETIMEOUT 28
#define SE_ERR_DDEFAIL 29
#define SE_ERR_DDEBUSY 30
#define SE_ERR_NOASSOC 31
#define SE_ERR_DLLNOTFOUND 32

// Process creation flags. DETACHED_PROCESS and CREATE_NEW_CONSOLE start the
// program in a session of its own, apart from ours; the priority classes and
// the other flags are accepted and have no effect. CREATE_SUSPENDED is refused.
#define DEBUG_PROCESS 0x00000001u
#define DEBUG_ONLY_THIS_PROCESS 0x00000002u
#define DETACHED_PROCESS 0x00000008u
#define CREATE_NEW_CONSOLE 0x00000010u
#define NORMAL_PRIORITY_CLASS 0x00000020u
#define IDLE_PRIORITY_CLASS 0x00000040u
#define HIGH_PRIORITY_CLASS 0x00000080u
#define REALTIME_PRIORITY_CLASS 0x00000100u
#define CREATE_NEW_PROCESS_GROUP 0x00000200u
#define CREATE_UNICODE_ENVIRONMENT 0x00000400u
#define CREATE_DEFAULT_ERROR_MODE 0x04000000u
#define CREATE_NO_WINDOW 0x08000000u

// STARTUPINFOA flags (accepted; the layer has no consoles or windows to place).
#define STARTF_USESHOWWINDOW 0x00000001u
#define STARTF_USESIZE 0x00000002u
#define STARTF_USEPOSITION 0x00000004u
#define STARTF_USECOUNTCHARS 0x00000008u
#define STARTF_USEFILLATTRIBUTE 0x00000010u
#define STARTF_FORCEONFEEDBACK 0x00000040u
#define STARTF_FORCEOFFFEEDBACK 0x00000080u
#define STARTF_USESTDHANDLES 0x00000100u

struct STARTUPINFOA {
  DWORD cb;
  LPSTR lpReserved;
  LPSTR lpDesktop;
  LPSTR lpTitle;
  DWORD dwX;
  DWORD dwY;
  DWORD dwXSize;
  DWORD dwYSize;
  DWORD dwXCountChars;
  DWORD dwYCountChars;
  DWORD dwFillAttribute;
  DWORD dwFlags;
  WORD wShowWindow;
  WORD cbReserved2;
  LPBYTE lpReserved2;
  HANDLE hStdInput;
  HANDLE hStdOutput;
  HANDLE hStdError;
};
typedef STARTUPINFOA* LPSTARTUPINFOA;

struct PROCESS_INFORMATION {
  HANDLE hProcess;
  HANDLE hThread;
  DWORD dwProcessId;
  DWORD dwThreadId;
};
typedef PROCESS_INFORMATION* LPPROCESS_INFORMATION;
typedef PROCESS_INFORMATION* PPROCESS_INFORMATION;

// Starts a program. With lpApplicationName the program is that file (no
// search) and lpCommandLine, when given, supplies the arguments after its
// first word; without it the program is the first word of lpCommandLine,
// searched for as above (an unquoted word that names no file grows through the
// blanks after it, as on Windows). The process and thread handles are waitable
// and become signalled when the program ends; close both. lpEnvironment, when
// given, is an ANSI block of "NAME=value" strings ending in an empty string;
// lpCurrentDirectory goes through the path mapper. Handles are never
// inherited: the program gets only the standard input, output and error.
QV_API BOOL CreateProcessA(LPCSTR lpApplicationName, LPSTR lpCommandLine,
                           LPSECURITY_ATTRIBUTES lpProcessAttributes,
                           LPSECURITY_ATTRIBUTES lpThreadAttributes, BOOL bInheritHandles,
                           DWORD dwCreationFlags, LPVOID lpEnvironment, LPCSTR lpCurrentDirectory,
                           LPSTARTUPINFOA lpStartupInfo,
                           LPPROCESS_INFORMATION lpProcessInformation);
// STILL_ACTIVE (259) while the program runs. The current process pseudo
// handle is always STILL_ACTIVE.
QV_API BOOL GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode);
// Kills the program (SIGKILL); its exit code becomes uExitCode. Fails with
// ERROR_ACCESS_DENIED once the program has ended.
QV_API BOOL TerminateProcess(HANDLE hProcess, UINT uExitCode);

// Starts the program of a command line. Returns a value above 31 on success,
// else ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_BAD_FORMAT or 0 (out
// of resources). The show command is accepted and has no effect.
QV_API UINT WinExec(LPCSTR lpCmdLine, UINT uCmdShow);

// The verbs "open" (or none) and "explore". An executable file (a Linux
// program or script we may run) is started with lpParameters split into
// words; any other file, a folder or a URL ("scheme:..." with a scheme of two
// letters or more) is handed to the desktop's opener (xdg-open) as one
// argument, and lpParameters is not used. Returns a value above 32 on success
// (as an HINSTANCE), else SE_ERR_FNF, SE_ERR_PNF, SE_ERR_ACCESSDENIED,
// SE_ERR_NOASSOC (no opener, or an unknown verb), ERROR_BAD_FORMAT or
// SE_ERR_OOM; the last error is set as well.
QV_API HINSTANCE ShellExecuteA(HWND hwnd, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters,
                               LPCSTR lpDirectory, INT nShowCmd);

namespace qvp {

// What the layer asks the launcher to start.
struct ProcessLaunch {
  std::string program;                   // Linux path; a bare name when search_path
  bool search_path = false;              // look the program up on PATH (the opener)
  std::vector<std::string> argv;         // argv[0] first
  std::vector<std::string> environment;  // "NAME=value" entries; empty: the process's own
  bool replace_environment = false;      // use `environment` even when it is empty
  std::string directory;                 // working directory (Linux path); empty: ours
  bool new_session = false;              // DETACHED_PROCESS / CREATE_NEW_CONSOLE
};

struct LaunchResult {
  int error = 0;  // errno of the failed start (ENOENT, EACCES, ENOEXEC, ...); 0 on success
  int pid = -1;   // the started process, or -1 when no real process was started
};

// Replaces the launcher for tests: it receives each request instead of the
// system. A result with pid -1 stands for a program that ended at once with
// exit code 0. An empty function restores the real launcher.
using ProcessLauncher = std::function<LaunchResult(const ProcessLaunch&)>;
void SetProcessLauncher(ProcessLauncher launcher);

// A command line split by the Windows rules above (the program word first).
std::vector<std::string> SplitCommandLine(const char* command_line);

}  // namespace qvp
