// Test helpers of the display facility: a scratch directory and the pixels of
// a written snapshot.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "display/image.h"
#include "qvplatform/display.h"

namespace disptest {

class ScratchDir {
 public:
  ScratchDir() {
    const auto base = std::filesystem::temp_directory_path();
    for (unsigned n = std::random_device{}();; ++n) {
      path_ = base / ("qvdisplay_" + std::to_string(n));
      std::error_code error;
      if (std::filesystem::create_directory(path_, error)) break;
    }
  }
  ~ScratchDir() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  std::string file(const std::string& name) const { return (path_ / name).string(); }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Skips a test that needs the installed fonts where they are missing (fails in CI).
#define QV_NEED_FONTS()                                                                          \
  do {                                                                                           \
    if (!qvp::RasterTextAvailable()) {                                                           \
      if (std::getenv("CI")) FAIL() << "no fonts: install fonts-liberation2 and fonts-dejavu-core"; \
      GTEST_SKIP() << "fonts-liberation2 is not installed";                                     \
    }                                                                                            \
  } while (0)

}  // namespace disptest
