// Temporary program directories for tests.
#include "program_dir.h"

#include <filesystem>

namespace qvtest {

void ProgramDir::Link(const std::string& fromDirectory, const std::string& name) const {
  std::filesystem::create_symlink(std::filesystem::path(fromDirectory) / name, dir_.path() / name);
}

void ProgramDir::LinkLibraries(const std::string& fromDirectory) const {
  for (const auto& item : std::filesystem::directory_iterator(fromDirectory)) {
    if (item.is_regular_file() && item.path().extension() == ".so") Link(fromDirectory, item.path().filename().string());
  }
}

void ProgramDir::LinkPluginWithReports(const std::string& fromDirectory) const {
  LinkLibraries(fromDirectory);
  for (const char* name : {"qvm_alrt.dll", "qv_report.pl", "Style.ini", "Base"}) Link(fromDirectory, name);
  const std::filesystem::path plugin = dir_.path() / "qvm_alrt";
  std::filesystem::create_directories(plugin / "datfiles");
  std::filesystem::create_symlink(std::filesystem::path(fromDirectory) / "qvm_alrt" / "TEMPLATE", plugin / "TEMPLATE");
}

}  // namespace qvtest
