#include "shell/program_search.h"

#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>

#include "files/path_mapper.h"
#include "kernel/environment.h"
#include "modules/module_paths.h"
#include "shell/command_line.h"

namespace qvp::shell {
namespace {

bool EndsWithExe(const std::string& name) {
  return name.size() > 4 && strcasecmp(name.c_str() + name.size() - 4, ".exe") == 0;
}

// The mapped file for one Windows path; "x.exe" falls back to "x".
FoundProgram MapExisting(const std::string& windows_path) {
  FoundProgram found;
  MappedPath mapped = MapPath(windows_path.c_str());
  if (mapped.ok() && IsRegularFile(mapped.path)) {
    found.path = mapped.path;
    return found;
  }
  if (EndsWithExe(windows_path)) {
    MappedPath bare = MapPath(windows_path.substr(0, windows_path.size() - 4).c_str());
    if (bare.ok() && IsRegularFile(bare.path)) {
      found.path = bare.path;
      return found;
    }
  }
  found.error = mapped.ok() ? static_cast<DWORD>(ERROR_FILE_NOT_FOUND) : mapped.error;
  if (found.error == ERROR_SUCCESS) found.error = ERROR_FILE_NOT_FOUND;
  return found;
}

}  // namespace

std::string AbsolutePath(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  std::error_code ec;
  std::filesystem::path p = std::filesystem::absolute(path, ec);
  return ec ? path : p.lexically_normal().string();
}

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

FoundProgram FindProgram(const std::string& name) {
  FoundProgram found;
  if (name.empty()) {
    found.error = ERROR_FILE_NOT_FOUND;
    return found;
  }
  if (modules::HasDirectoryPart(name)) {
    found = MapExisting(name);
    if (found.ok()) found.path = AbsolutePath(found.path);
    return found;
  }
  std::error_code ec;
  const std::string cwd = std::filesystem::current_path(ec).string();
  for (const std::string& dir : {modules::ProgramDirectory(), cwd}) {
    if (dir.empty()) continue;
    found = MapExisting(JoinPath(dir, name));
    if (found.ok()) return found;
  }
  const std::optional<std::string> path_list = ReadEnvironment("PATH");
  std::string_view rest = path_list ? std::string_view(*path_list) : std::string_view("/usr/bin:/bin");
  const std::string bare = EndsWithExe(name) ? name.substr(0, name.size() - 4) : name;
  while (!rest.empty()) {
    const size_t colon = rest.find(':');
    std::string dir(rest.substr(0, colon));
    rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    if (dir.empty() || dir[0] != '/') continue;  // only absolute entries: the current directory was tried
    for (const std::string& candidate : {JoinPath(dir, name), JoinPath(dir, bare)}) {
      if (IsRegularFile(candidate) && access(candidate.c_str(), X_OK) == 0) {
        found.error = 0;
        found.path = candidate;
        return found;
      }
    }
  }
  found.error = ERROR_FILE_NOT_FOUND;
  found.path.clear();
  return found;
}

CommandLineProgram FindCommandLineProgram(std::string_view command_line) {
  CommandLineProgram result;
  ProgramWord first = TakeProgramWord(command_line);
  result.word = first.program;
  result.rest = first.rest;
  result.found = FindProgram(first.program);
  if (result.found.ok() || first.quoted) return result;
  // Grow the unquoted word through the blanks that follow it.
  size_t start = 0;
  while (start < command_line.size() && (command_line[start] == ' ' || command_line[start] == '\t')) ++start;
  size_t end = command_line.size() - first.rest.size();
  if (command_line.substr(start, end - start).find('"') != std::string_view::npos) return result;
  for (;;) {
    size_t next = end;
    while (next < command_line.size() && (command_line[next] == ' ' || command_line[next] == '\t')) ++next;
    if (next >= command_line.size()) break;
    while (next < command_line.size() && command_line[next] != ' ' && command_line[next] != '\t') ++next;
    end = next;
    const std::string candidate(command_line.substr(start, end - start));
    if (candidate.find('"') != std::string::npos) break;
    FoundProgram found = FindProgram(candidate);
    if (found.ok()) {
      result.found = std::move(found);
      result.word = candidate;
      result.rest = command_line.substr(end);
      return result;
    }
  }
  return result;
}

}  // namespace qvp::shell
