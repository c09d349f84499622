// Tests only: a fresh directory under the system's temporary directory,
// removed with everything in it when the object goes away, a change of the
// current directory for a while, and small readers of the settings files
// tests look into.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

namespace qvtest {

// A whole file's bytes; "" when it cannot be read.
inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Writes `bytes` as the whole file, making its folders.
inline void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

class TempDir {
 public:
  explicit TempDir(const std::string& prefix = "qvtest") {
    static std::atomic<int> counter{0};
    const auto base = std::filesystem::temp_directory_path();
    const unsigned run = std::random_device{}();
    for (;;) {
      // A name taken by another run is skipped: create_directory only succeeds once.
      path_ = base / (prefix + "_" + std::to_string(run) + "_" + std::to_string(counter++));
      std::error_code error;
      if (std::filesystem::create_directory(path_, error)) break;
    }
  }
  ~TempDir() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The directory with a trailing '/', as the system keeps its directories.
  std::string dir() const { return path_.string() + "/"; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

  void write(const std::string& name, const std::string& text) const { WriteFile(path_ / name, text); }
  std::string read(const std::string& name) const { return ReadFile(path_ / name); }
  bool exists(const std::string& name) const { return std::filesystem::exists(path_ / name); }

 private:
  std::filesystem::path path_;
};

// Works in `directory` while the object lives (modules and peers find their
// files in the current directory), then goes back where it was.
class InDirectory {
 public:
  explicit InDirectory(const std::filesystem::path& directory) {
    std::error_code error;
    previous_ = std::filesystem::current_path(error);
    std::filesystem::current_path(directory, error);
  }
  ~InDirectory() {
    std::error_code error;
    if (!previous_.empty()) std::filesystem::current_path(previous_, error);
  }
  InDirectory(const InDirectory&) = delete;
  InDirectory& operator=(const InDirectory&) = delete;

 private:
  std::filesystem::path previous_;
};

// The lines of a text that are not empty, without their line ends ("\r\n" or "\n").
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

// The "key=value" lines of one section of a settings file's text, in file order.
inline std::vector<std::string> SectionLines(const std::string& text, const std::string& section) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  bool inside = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line.front() == '[') {
      inside = line == "[" + section + "]";
      continue;
    }
    if (inside && !line.empty()) lines.push_back(line);
  }
  return lines;
}

// The keys of those lines.
inline std::vector<std::string> SectionKeys(const std::string& text, const std::string& section) {
  std::vector<std::string> keys;
  for (const std::string& line : SectionLines(text, section)) keys.push_back(line.substr(0, line.find('=')));
  return keys;
}

// The section names of a settings file's text, in file order.
inline std::vector<std::string> SectionNames(const std::string& text) {
  std::vector<std::string> names;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > 2 && line.front() == '[' && line.back() == ']') names.push_back(line.substr(1, line.size() - 2));
  }
  return names;
}

}  // namespace qvtest
