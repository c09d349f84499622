// The program directory, where the program's settings file and the
// scheduler log live.
#include <mutex>

#include "qv_ui.h"
#include "qv_ui_internal.h"

namespace {

std::mutex g_lock;
std::string g_override;

}  // namespace

std::string QvUiProgramDirectory() {
  {
    std::lock_guard<std::mutex> hold(g_lock);
    if (!g_override.empty()) return g_override;
  }
  char directory[MAX_PATH];
  if (!QVUI_GetLocalDirectory(nullptr, directory, sizeof directory)) return {};
  return directory;
}

namespace qvui {

void SetProgramDirectoryForTests(const std::string& windows_directory) {
  std::lock_guard<std::mutex> hold(g_lock);
  g_override = windows_directory;
  if (!g_override.empty() && g_override.back() != '\\' && g_override.back() != '/') g_override += '\\';
}

}  // namespace qvui
