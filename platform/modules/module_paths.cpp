#include "modules/module_paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "files/path_mapper.h"

namespace qvp::modules {
namespace {

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string Absolute(const std::string& path) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::absolute(path, ec);
  if (ec) return path;
  return p.lexically_normal().string();
}

}  // namespace

const std::string& ExecutablePath() {
  static const std::string path = [] {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : p.string();
  }();
  return path;
}

std::string ProgramDirectory() {
  const std::string& exe = ExecutablePath();
  size_t slash = exe.rfind('/');
  return slash == std::string::npos ? std::string(".") : exe.substr(0, slash == 0 ? 1 : slash);
}

std::string_view FileNamePart(std::string_view path) {
  size_t sep = path.find_last_of("\\/:");
  return sep == std::string_view::npos ? path : path.substr(sep + 1);
}

bool HasDirectoryPart(std::string_view name) { return name.find_first_of("\\/:") != std::string_view::npos; }

std::string WithDefaultExtension(std::string_view name) {
  std::string out(name);
  std::string_view file = FileNamePart(name);
  if (!file.empty() && file.back() == '.') {
    out.pop_back();
  } else if (file.find('.') == std::string_view::npos) {
    out += ".dll";
  }
  return out;
}

std::string FindModuleFile(std::string_view name) {
  // Through the path mapper: a drive letter goes through the drive map, and
  // each name is found without regard to case.
  auto existing = [](const std::string& windows_path) -> std::string {
    MappedPath mapped = MapPath(windows_path.c_str());
    return mapped.ok() && IsRegularFile(mapped.path) ? Absolute(mapped.path) : std::string();
  };
  std::string wanted = WithDefaultExtension(name);
  if (HasDirectoryPart(wanted)) return existing(wanted);
  std::error_code ec;
  std::string cwd = std::filesystem::current_path(ec).string();
  for (const std::string& dir : {ProgramDirectory(), cwd}) {
    if (dir.empty()) continue;
    if (std::string path = existing(JoinPath(dir, wanted)); !path.empty()) return path;
  }
  return {};
}

std::string ToWindowsPath(std::string_view path) {
  std::string out(path);
  for (char& c : out) {
    if (c == '/') c = '\\';
  }
  return out;
}

}  // namespace qvp::modules
