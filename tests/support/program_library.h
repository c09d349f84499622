// Tests only: a library of the program directory loaded as the program loads
// it, by its file name, freed after the test, its entry points looked up by
// name. For tests built with QV_DIST_DIR, the program directory.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "qvplatform.h"

namespace qvtest {

// The path of `file` in the program directory, in the program's own form.
inline std::string DistPath(const char* file) {
  std::string path = std::string(QV_DIST_DIR) + "/" + file;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

class ProgramLibraryTest : public ::testing::Test {
 protected:
  // Loads `file`; the test fails when it does not load (call it under
  // ASSERT_NO_FATAL_FAILURE).
  void Load(const char* file) {
    module_ = LoadLibraryA(DistPath(file).c_str());
    ASSERT_NE(module_, nullptr) << file << ": " << GetLastError();
  }
  void TearDown() override {
    if (module_ != nullptr) FreeLibrary(module_);
    module_ = nullptr;
  }
  // Looks an entry point up; the test fails when it is missing.
  template <class F>
  void Bind(F* slot, const char* name) {
    *slot = reinterpret_cast<F>(GetProcAddress(module_, name));
    ASSERT_NE(*slot, nullptr) << name;
  }

  HMODULE module_ = nullptr;
};

}  // namespace qvtest
