// Tests: a fresh directory under the system's temporary directory, set as the
// library's program directory while the object lives.
#pragma once

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>

#include <unistd.h>

#include "qv_ui_internal.h"

class ProgramDirectoryForTest {
 public:
  ProgramDirectoryForTest() {
    static std::atomic<int> counter{0};
    const auto base = std::filesystem::temp_directory_path();
    for (;;) {
      path_ = base / ("qvui_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
      std::error_code error;
      if (std::filesystem::create_directory(path_, error)) break;
    }
    qvui::SetProgramDirectoryForTests(Windows(path_.string()));
  }
  ~ProgramDirectoryForTest() {
    qvui::SetProgramDirectoryForTests("");
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  ProgramDirectoryForTest(const ProgramDirectoryForTest&) = delete;
  ProgramDirectoryForTest& operator=(const ProgramDirectoryForTest&) = delete;

  static std::string Windows(std::string path) {
    for (char& c : path) {
      if (c == '/') c = '\\';
    }
    return path;
  }
  const std::filesystem::path& path() const { return path_; }
  void Write(const std::string& name, const std::string& text) const {
    std::ofstream(path_ / name, std::ios::binary) << text;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(path_ / name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

 private:
  std::filesystem::path path_;
};
