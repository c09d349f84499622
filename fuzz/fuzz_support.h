// What the fuzz targets share: a check that stops the run with a message when a
// property does not hold, and a scratch directory of the process for targets
// whose code under test reads files.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#define FUZZ_CHECK(condition)                                                                     \
  do {                                                                                            \
    if (!(condition)) {                                                                           \
      std::fprintf(stderr, "%s:%d: property does not hold: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                               \
    }                                                                                             \
  } while (0)

namespace qvfuzz {

inline std::string_view Bytes(const uint8_t* data, size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// The text up to the first NUL, as a C string argument would take it.
inline std::string CString(std::string_view bytes) { return std::string(bytes.substr(0, bytes.find('\0'))); }

// A directory of this process, made on first use and removed at a normal exit.
inline const std::string& ScratchDir() {
  static const std::string dir = [] {
    char pattern[] = "/tmp/qvfuzz_XXXXXX";
    if (mkdtemp(pattern) == nullptr) std::abort();
    return std::string(pattern);
  }();
  static const bool cleanup = [] {
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(dir, ignored);
    });
    return true;
  }();
  (void)cleanup;
  return dir;
}

// Writes `bytes` to the scratch file `name` and answers its path.
inline std::string WriteScratch(const std::string& name, std::string_view bytes) {
  const std::string path = ScratchDir() + "/" + name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

inline std::string ReadScratch(const std::string& name) {
  std::ifstream in(ScratchDir() + "/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace qvfuzz
