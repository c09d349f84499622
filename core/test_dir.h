// Tests only: a fresh directory under the system's temporary directory,
// removed with everything in it when the object goes away.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

class TestDir {
 public:
  TestDir() {
    static std::atomic<int> counter{0};
    const auto base = std::filesystem::temp_directory_path();
    for (;;) {
      path_ = base / ("qvcore_" + std::to_string(reinterpret_cast<std::uintptr_t>(this)) + "_" +
                      std::to_string(counter++));
      std::error_code error;
      if (std::filesystem::create_directory(path_, error)) break;
    }
  }
  ~TestDir() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  TestDir(const TestDir&) = delete;
  TestDir& operator=(const TestDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The directory with a trailing '/', as the program keeps its own.
  std::string dir() const { return path_.string() + "/"; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

  void write(const std::string& name, const std::string& text) const {
    std::ofstream(path_ / name, std::ios::binary) << text;
  }
  std::string read(const std::string& name) const {
    std::error_code error;
    const auto size = std::filesystem::file_size(path_ / name, error);
    if (error) return {};
    std::string text(static_cast<size_t>(size), '\0');
    std::ifstream in(path_ / name, std::ios::binary);
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(in.gcount()));
    return text;
  }
  bool exists(const std::string& name) const { return std::filesystem::exists(path_ / name); }

 private:
  std::filesystem::path path_;
};
