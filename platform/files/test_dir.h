// For tests: a fresh directory under the system's temporary directory, made the
// current directory for the test's life and removed with everything in it
// afterwards. Drive mappings and the Windows directory are reset as well.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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
  // The whole file; empty when it cannot be read.
  std::string Read(const std::string& relative) const {
    std::string text;
    std::FILE* f = std::fopen((path_ + "/" + relative).c_str(), "rb");
    if (f == nullptr) return text;
    std::error_code ignored;
    const size_t size = static_cast<size_t>(std::filesystem::file_size(path_ + "/" + relative, ignored));
    text.resize(size == static_cast<size_t>(-1) ? 4096 : size + 1);
    size_t used = 0;
    size_t got;
    while ((got = std::fread(text.data() + used, 1, text.size() - used, f)) > 0) {
      used += got;
      if (used == text.size()) text.resize(text.size() * 2);
    }
    std::fclose(f);
    text.resize(used);
    return text;
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
