// CreateProcessA, WinExec and the process handles they give.
#include <sys/stat.h>

#include <cstring>

#include "files/win_error.h"
#include "qvplatform/kernel.h"
#include "qvplatform/shell.h"
#include "shell/child_process.h"
#include "shell/command_line.h"
#include "shell/launcher.h"
#include "shell/program_search.h"

namespace qvp::shell {
namespace {

// "NAME=value\0...\0\0" into entries.
std::vector<std::string> EnvironmentBlock(const char* block) {
  std::vector<std::string> entries;
  for (const char* p = block; *p != '\0'; p += std::strlen(p) + 1) entries.emplace_back(p);
  return entries;
}

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The program named separately: the current directory completes a relative
// name; there is no search.
FoundProgram FindNamedProgram(const char* name) {
  std::string windows_name = name;
  if (windows_name.find_first_of("\\/:") == std::string::npos) windows_name = ".\\" + windows_name;
  return FindProgram(windows_name);
}

}  // namespace
}  // namespace qvp::shell

QV_API BOOL CreateProcessA(LPCSTR lpApplicationName, LPSTR lpCommandLine, LPSECURITY_ATTRIBUTES,
                           LPSECURITY_ATTRIBUTES, BOOL, DWORD dwCreationFlags, LPVOID lpEnvironment,
                           LPCSTR lpCurrentDirectory, LPSTARTUPINFOA,
                           LPPROCESS_INFORMATION lpProcessInformation) {
  using namespace qvp::shell;
  return qvp::NoThrow<BOOL>(FALSE, [&]() -> BOOL {
    if (lpProcessInformation == nullptr || (lpApplicationName == nullptr && lpCommandLine == nullptr) ||
        (dwCreationFlags & (CREATE_SUSPENDED | CREATE_UNICODE_ENVIRONMENT)) != 0) {
      return qvp::FailWith(ERROR_INVALID_PARAMETER);
    }
    qvp::ProcessLaunch launch;
    if (lpApplicationName != nullptr) {
      FoundProgram found = FindNamedProgram(lpApplicationName);
      if (!found.ok()) return qvp::FailWith(found.error);
      launch.program = found.path;
      launch.argv.push_back(found.path);
      if (lpCommandLine != nullptr) {
        // The command line's first word names the program by convention; the
        // program gets its Linux path as argv[0] instead.
        ProgramWord first = TakeProgramWord(lpCommandLine);
        for (std::string& word : SplitArguments(first.rest)) launch.argv.push_back(std::move(word));
      }
    } else {
      CommandLineProgram program = FindCommandLineProgram(lpCommandLine);
      if (!program.found.ok()) return qvp::FailWith(program.found.error);
      launch.program = program.found.path;
      launch.argv.push_back(program.found.path);
      for (std::string& word : SplitArguments(program.rest)) launch.argv.push_back(std::move(word));
    }
    if (lpEnvironment != nullptr) {
      launch.environment = EnvironmentBlock(static_cast<const char*>(lpEnvironment));
      launch.replace_environment = true;
    }
    if (lpCurrentDirectory != nullptr) {
      qvp::MappedPath dir = qvp::MapPath(lpCurrentDirectory);
      if (!dir.ok() || !IsDirectory(dir.path)) return qvp::FailWith(ERROR_DIRECTORY);
      launch.directory = dir.path;
    }
    launch.new_session = (dwCreationFlags & (DETACHED_PROCESS | CREATE_NEW_CONSOLE)) != 0;

    qvp::LaunchResult started = Launch(launch);
    if (started.error != 0) return qvp::FailWith(ErrorFromSpawn(started.error));
    std::shared_ptr<ChildProcess> child = WatchChild(started.pid);
    lpProcessInformation->hProcess = qvp::InsertHandle(child);
    lpProcessInformation->hThread = qvp::InsertHandle(child->thread);
    lpProcessInformation->dwProcessId = started.pid > 0 ? static_cast<DWORD>(started.pid) : 0;
    lpProcessInformation->dwThreadId = lpProcessInformation->dwProcessId;
    return TRUE;
  });
}

QV_API BOOL GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode) {
  if (lpExitCode == nullptr) return qvp::FailWith(ERROR_INVALID_PARAMETER);
  if (hProcess == GetCurrentProcess()) {
    *lpExitCode = STILL_ACTIVE;
    return TRUE;
  }
  auto child = qvp::LookupHandleAs<qvp::shell::ChildProcess>(hProcess);
  if (!child) return qvp::FailWith(ERROR_INVALID_HANDLE);
  std::lock_guard<std::mutex> guard(qvp::WaitLock());
  *lpExitCode = child->finished ? child->exit_code : STILL_ACTIVE;
  return TRUE;
}

QV_API BOOL TerminateProcess(HANDLE hProcess, UINT uExitCode) {
  auto child = qvp::LookupHandleAs<qvp::shell::ChildProcess>(hProcess);
  if (!child) return qvp::FailWith(ERROR_INVALID_HANDLE);
  if (!qvp::shell::KillChild(*child, uExitCode)) return qvp::FailWith(ERROR_ACCESS_DENIED);
  return TRUE;
}

QV_API UINT WinExec(LPCSTR lpCmdLine, UINT) {
  using namespace qvp::shell;
  constexpr UINT kStarted = 33;
  return qvp::NoThrow<UINT>(0, [&]() -> UINT {
    if (lpCmdLine == nullptr || *lpCmdLine == '\0') {
      SetLastError(ERROR_FILE_NOT_FOUND);
      return ERROR_FILE_NOT_FOUND;
    }
    CommandLineProgram program = FindCommandLineProgram(lpCmdLine);
    if (!program.found.ok()) {
      SetLastError(program.found.error);
      return program.found.error;
    }
    qvp::ProcessLaunch launch;
    launch.program = program.found.path;
    launch.argv.push_back(program.found.path);
    for (std::string& word : SplitArguments(program.rest)) launch.argv.push_back(std::move(word));
    qvp::LaunchResult started = Launch(launch);
    if (started.error != 0) {
      DWORD error = ErrorFromSpawn(started.error);
      if (error == ERROR_BAD_EXE_FORMAT) error = ERROR_BAD_FORMAT;
      if (error == ERROR_NOT_ENOUGH_MEMORY) error = 0;
      SetLastError(error == 0 ? ERROR_NOT_ENOUGH_MEMORY : error);
      return error;
    }
    WatchChild(started.pid);
    return kStarted;
  });
}

namespace qvp {

std::vector<std::string> SplitCommandLine(const char* command_line) {
  return command_line == nullptr ? std::vector<std::string>() : shell::SplitCommandLine(command_line);
}

}  // namespace qvp
