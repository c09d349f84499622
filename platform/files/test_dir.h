// For tests: a fresh directory under the system's temporary directory, made the
// current directory for the test's life and removed with everything in it
// afterwards. Drive mappings and the Windows directory are reset as well.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "qvplatform/files.h"

namespace qvp::test {

class TestDir {
 public:
  TestDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qvp-test-XXXXXX").string();
    char* made = ::mkdtemp(pattern.data());
    if (made == nullptr) std::abort();
    path_ = std::filesystem::canonical(made).string();
    old_cwd_ = std::filesystem::current_path().string();
    std::filesystem::current_path(path_);
    ClearDriveMappings();
    SetWindowsDirectory(path_.c_str());
  }
  ~TestDir() {
    std::error_code ignored;
    std::filesystem::current_path(old_cwd_, ignored);
    ClearDriveMappings();
    SetWindowsDirectory(nullptr);
    // Read-only files and directories must not stop the clean-up.
    for (auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored)) {
      std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ignored);
    }
    std::filesystem::remove_all(path_, ignored);
  }
  TestDir(const TestDir&) = delete;
  TestDir& operator=(const TestDir&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& relative) const { return path_ + "/" + relative; }

  // Writes a file given by its Linux path relative to the directory, creating
  // the directories on the way.
  void Write(const std::string& relative, const std::string& content) const {
    std::filesystem::path p = std::filesystem::path(path_) / relative;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << content;
  }
  std::string Read(const std::string& relative) const {
    std::ifstream in(std::filesystem::path(path_) / relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  bool Exists(const std::string& relative) const {
    return std::filesystem::exists(std::filesystem::path(path_) / relative);
  }
  size_t CountEntries(const std::string& relative = ".") const {
    size_t n = 0;
    for (auto& entry : std::filesystem::directory_iterator(std::filesystem::path(path_) / relative)) {
      (void)entry;
      ++n;
    }
    return n;
  }

 private:
  std::string path_;
  std::string old_cwd_;
};

}  // namespace qvp::test
