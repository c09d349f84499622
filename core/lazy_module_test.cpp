#include "lazy_module.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

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

TEST_F(LazyModuleTest, FirstUseFromManyThreadsBindsOneAddress) {
  LazyModule module("QvCoreLazyTest.dll");
  LazyProc proc(module, "Answer");
  std::atomic<int> sum{0};
  std::vector<std::thread> threads;
  for (int i = 0; i < 4; ++i) {
    threads.emplace_back([&] {
      auto fn = proc.As<int (*)()>();
      if (fn != nullptr) sum += fn();
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(sum.load(), 4 * 42);
}

}  // namespace
