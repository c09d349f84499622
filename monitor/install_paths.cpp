// Install-relative paths of the plug-in.
#include "install_paths.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "plugin_globals.h"
#include "plugin_helpers.h"

namespace {

constexpr char kReportCaption[] = "Vozed Uvarirada";

bool JoinLocal(const char* relative, char* out, size_t size) {
  if (out == nullptr || size == 0) return false;
  const std::string path = std::string(PluginLocalDirectory()) + relative;
  if (PluginLocalDirectory()[0] == '\0' || path.size() >= size) {
    out[0] = '\0';
    return false;
  }
  std::memcpy(out, path.c_str(), path.size() + 1);
  return true;
}

bool DirectoryExists(const std::string& path) {
  if (path.size() == 2 && path[1] == ':') return true;  // a bare drive
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

bool GetReportsDirectory(char* out, size_t size) { return JoinLocal("REPORTS\\", out, size); }

bool GetAlertReportDirectory(char* out, size_t size) {
  if (!JoinLocal("REPORTS\\Alert\\", out, size)) return false;
  char reports[MAX_PATH];
  if (GetReportsDirectory(reports, sizeof reports)) CreateDirectoryA(reports, nullptr);
  CreateDirectoryA(out, nullptr);
  return true;
}

bool GetAlertDirectory(char* out, size_t size) { return JoinLocal("QVM_ALRT\\", out, size); }

bool GetDataDirectory(char* out, size_t size) {
  return JoinLocal("QVM_ALRT\\DATFILES\\", out, size);
}

bool GetProfileListDirectory(char* out, size_t size) { return GetDataDirectory(out, size); }

bool GetMemorizedReportDirectory(char* out, size_t size) { return GetDataDirectory(out, size); }

bool GetScheduleEventDirectory(char* out, size_t size) { return GetDataDirectory(out, size); }

bool GetAlertIniPath(char* out, size_t size) {
  return JoinLocal("QVM_ALRT\\QVM_ALRT.INI", out, size);
}

bool GetAlertHelpPath(char* out, size_t size) {
  return JoinLocal("HELP\\ENGLISH\\QVM_ALRT.HLP", out, size);
}

bool EnsureReportDirectory(HWND owner, const char* reportPath, bool quiet) {
  const std::string path = reportPath != nullptr ? reportPath : "";
  const size_t lastSlash = path.rfind('\\');
  const std::string directory = lastSlash == std::string::npos ? std::string() : path.substr(0, lastSlash);
  if (directory.empty() || DirectoryExists(directory)) return true;

  if (!quiet) {
    std::string question = "The report directory\r\n" + directory +
                           "\r\ndoes not exist.\r\nDo you want to create it?";
    if (MessageBoxA(owner, question.c_str(), kReportCaption, MB_YESNO | MB_ICONQUESTION) != IDYES) {
      return false;
    }
  }
  // Every level from the second backslash on; the upper ones may exist already.
  size_t at = directory.find('\\');
  if (at != std::string::npos) at = directory.find('\\', at + 1);
  while (at != std::string::npos) {
    CreateDirectoryA(directory.substr(0, at).c_str(), nullptr);
    at = directory.find('\\', at + 1);
  }
  if (CreateDirectoryA(directory.c_str(), nullptr)) return true;
  const std::string failure = "The report directory " + directory + " could not be created!";
  MessageBoxA(owner, failure.c_str(), kReportCaption, MB_OK | MB_ICONERROR);
  return false;
}
