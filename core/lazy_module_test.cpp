#include "lazy_module.h"

#include <gtest/gtest.h>

namespace {

int Answer() {
  return 42;
}

const qvp::BuiltinExport kExports[] = {
    {"Answer", reinterpret_cast<FARPROC>(&Answer)},
    {nullptr, nullptr},
};

class LazyModuleTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { qvp::RegisterBuiltinModule("QvCoreLazyTest.dll", kExports); }
};

TEST_F(LazyModuleTest, MissingLibraryIsAClearErrorNotACrash) {
  LazyModule module("QvCoreNoSuchLibrary.dll");
  SetLastError(ERROR_SUCCESS);
  EXPECT_EQ(module.Find("Answer"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  LazyProc proc(module, "Answer");
  EXPECT_EQ(proc.As<int (*)()>(), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

TEST_F(LazyModuleTest, MissingExportIsAClearError) {
  LazyModule module("QvCoreLazyTest.dll");
  SetLastError(ERROR_SUCCESS);
  EXPECT_EQ(module.Find("NoSuchExport"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
}

TEST_F(LazyModuleTest, ExportIsBoundOnceAndCalled) {
  LazyModule module("QvCoreLazyTest.dll");
  LazyProc proc(module, "Answer");
  auto fn = proc.As<int (*)()>();
  ASSERT_NE(fn, nullptr);
  EXPECT_EQ(fn(), 42);
  EXPECT_EQ(proc.As<int (*)()>(), fn);
}

}  // namespace
