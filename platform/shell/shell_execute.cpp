// ShellExecuteA: programs are started, everything else goes to the desktop's
// opener.
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cctype>

#include "files/path_mapper.h"
#include "files/win_error.h"
#include "qvplatform/shell.h"
#include "shell/child_process.h"
#include "shell/command_line.h"
#include "shell/launcher.h"
#include "shell/program_search.h"

namespace qvp::shell {
namespace {

constexpr const char* kOpener = "xdg-open";
constexpr INT_PTR kDone = 42;

HINSTANCE Result(INT_PTR code) { return reinterpret_cast<HINSTANCE>(code); }

HINSTANCE Fail(INT_PTR code, DWORD error) {
  SetLastError(error);
  return Result(code);
}

// "scheme:rest" with a scheme of two characters or more ("C:\x" is a path).
bool IsUrl(const std::string& text) {
  if (text.empty() || !std::isalpha(static_cast<unsigned char>(text[0]))) return false;
  size_t i = 1;
  while (i < text.size() && (std::isalnum(static_cast<unsigned char>(text[i])) || text[i] == '+' ||
                             text[i] == '-' || text[i] == '.')) {
    ++i;
  }
  return i >= 2 && i < text.size() && text[i] == ':';
}

// A file we would run rather than open: one we may execute that is an ELF
// program or a script. Documents with an execute bit (as on some mounted
// volumes) are opened instead.
bool IsProgramFile(const std::string& path) {
  if (!IsRegularFile(path) || access(path.c_str(), X_OK) != 0) return false;
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char magic[4] = {};
  const ssize_t n = read(fd, magic, sizeof magic);
  close(fd);
  return (n >= 4 && magic[0] == 0x7f && magic[1] == 'E' && magic[2] == 'L' && magic[3] == 'F') ||
         (n >= 2 && magic[0] == '#' && magic[1] == '!');
}

HINSTANCE FromLaunch(const ProcessLaunch& launch, bool opener) {
  LaunchResult started = Launch(launch);
  if (started.error == 0) {
    WatchChild(started.pid);
    SetLastError(ERROR_SUCCESS);
    return Result(kDone);
  }
  switch (started.error) {
    case ENOENT:
      return opener ? Fail(SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION) : Fail(SE_ERR_FNF, ERROR_FILE_NOT_FOUND);
    case EACCES:
    case EPERM: return Fail(SE_ERR_ACCESSDENIED, ERROR_ACCESS_DENIED);
    case ENOEXEC: return Fail(ERROR_BAD_FORMAT, ERROR_BAD_FORMAT);
    case ENOMEM:
    case EAGAIN: return Fail(SE_ERR_OOM, ERROR_NOT_ENOUGH_MEMORY);
    default: return Fail(SE_ERR_FNF, ErrorFromSpawn(started.error));
  }
}

HINSTANCE Open(const std::string& target, const std::string& directory) {
  ProcessLaunch launch;
  launch.program = kOpener;
  launch.search_path = true;
  launch.argv = {kOpener, target};
  launch.directory = directory;
  return FromLaunch(launch, true);
}

HINSTANCE Run(const std::string& program, const char* parameters, const std::string& directory) {
  ProcessLaunch launch;
  launch.program = program;
  launch.argv.push_back(program);
  if (parameters != nullptr) {
    for (std::string& word : SplitArguments(parameters)) launch.argv.push_back(std::move(word));
  }
  launch.directory = directory;
  return FromLaunch(launch, false);
}

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsRelative(const std::string& name) {
  if (name.empty()) return true;
  if (name[0] == '\\' || name[0] == '/') return false;
  return !(name.size() >= 2 && name[1] == ':');
}

HINSTANCE Execute(const char* operation, const char* file, const char* parameters, const char* directory) {
  const bool open = operation == nullptr || *operation == '\0' || strcasecmp(operation, "open") == 0;
  const bool explore = !open && strcasecmp(operation, "explore") == 0;
  if (!open && !explore) return Fail(SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION);
  if (file == nullptr || *file == '\0') return Fail(SE_ERR_FNF, ERROR_FILE_NOT_FOUND);

  std::string work_dir;
  if (directory != nullptr && *directory != '\0') {
    MappedPath dir = MapPath(directory);
    if (!dir.ok() || !IsDirectory(dir.path)) return Fail(SE_ERR_PNF, ERROR_PATH_NOT_FOUND);
    work_dir = dir.path;
  }
  const std::string name = file;
  if (IsUrl(name)) {
    if (explore) return Fail(SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION);
    return Open(name, work_dir);
  }
  // A relative name is found in the working directory the caller gave.
  const std::string windows_path = !work_dir.empty() && IsRelative(name) ? JoinPath(work_dir, name) : name;
  MappedPath mapped = MapPath(windows_path.c_str());
  struct stat st {};
  if (mapped.ok() && stat(mapped.path.c_str(), &st) == 0) {
    const std::string path = AbsolutePath(mapped.path);
    if (S_ISDIR(st.st_mode)) return Open(path, work_dir);
    if (explore) return Fail(SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION);
    if (IsProgramFile(path)) return Run(path, parameters, work_dir);
    return Open(path, work_dir);
  }
  if (explore) return Fail(SE_ERR_FNF, ERROR_FILE_NOT_FOUND);
  // Not a file here: a program on the search path ("notepad.exe"), or a
  // program given without its ".exe".
  FoundProgram program = FindProgram(name);
  if (program.ok() && IsProgramFile(program.path)) return Run(program.path, parameters, work_dir);
  if (program.ok()) return Open(program.path, work_dir);
  if (mapped.error == ERROR_PATH_NOT_FOUND) return Fail(SE_ERR_PNF, ERROR_PATH_NOT_FOUND);
  return Fail(SE_ERR_FNF, ERROR_FILE_NOT_FOUND);
}

}  // namespace
}  // namespace qvp::shell

QV_API HINSTANCE ShellExecuteA(HWND, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters, LPCSTR lpDirectory,
                               INT) {
  return qvp::NoThrow<HINSTANCE>(reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(SE_ERR_OOM)), [&] {
    return qvp::shell::Execute(lpOperation, lpFile, lpParameters, lpDirectory);
  });
}
