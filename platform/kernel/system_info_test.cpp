#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "qvplatform/kernel.h"

namespace {

TEST(Version, AnswersWindowsNt4ByDefaultAndSwitchesForTests) {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof(info);
  ASSERT_TRUE(GetVersionExA(&info));
  EXPECT_EQ(info.dwMajorVersion, 4u);
  EXPECT_EQ(info.dwMinorVersion, 0u);
  EXPECT_EQ(info.dwBuildNumber, 1381u);
  EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_NT);
  EXPECT_STREQ(info.szCSDVersion, "Service Pack 6");
  EXPECT_EQ(GetVersion(), 4u | (1381u << 16));

  qvp::SetVersionForTests(4, 10, VER_PLATFORM_WIN32_WINDOWS);
  ASSERT_TRUE(GetVersionExA(&info));
  EXPECT_EQ(info.dwMajorVersion, 4u);
  EXPECT_EQ(info.dwMinorVersion, 10u);
  EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_WINDOWS);
  EXPECT_EQ(LOWORD(info.dwBuildNumber), 1998u);
  EXPECT_STREQ(info.szCSDVersion, "");
  EXPECT_NE(GetVersion() & 0x80000000u, 0u);  // not NT
  EXPECT_EQ(GetVersion() & 0xFFFFu, 4u | (10u << 8));

  qvp::SetVersionForTests(5, 0, VER_PLATFORM_WIN32_NT);
  ASSERT_TRUE(GetVersionExA(&info));
  EXPECT_EQ(info.dwMajorVersion, 5u);
  EXPECT_EQ(info.dwBuildNumber, 2195u);

  qvp::ResetVersionForTests();
  ASSERT_TRUE(GetVersionExA(&info));
  EXPECT_EQ(info.dwMajorVersion, 4u);
  EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_NT);

  info.dwOSVersionInfoSize = sizeof(info) - 1;
  EXPECT_FALSE(GetVersionExA(&info));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST(Environment, FollowsTheWindowsReturnRules) {
  ASSERT_TRUE(SetEnvironmentVariableA("QV_TEST_VAR", "hello"));
  EXPECT_STREQ(getenv("QV_TEST_VAR"), "hello");  // the real process environment

  char buffer[16];
  std::memset(buffer, 'x', sizeof(buffer));
  EXPECT_EQ(GetEnvironmentVariableA("QV_TEST_VAR", buffer, sizeof(buffer)), 5u);
  EXPECT_STREQ(buffer, "hello");
  EXPECT_EQ(GetEnvironmentVariableA("QV_TEST_VAR", buffer, 5), 6u);  // too small: size with NUL
  EXPECT_EQ(GetEnvironmentVariableA("QV_TEST_VAR", nullptr, 0), 6u);
  EXPECT_EQ(GetEnvironmentVariableA("qv_test_var", buffer, sizeof(buffer)), 5u);  // any case

  ASSERT_TRUE(SetEnvironmentVariableA("Qv_Test_Var", "again"));  // same variable
  EXPECT_STREQ(getenv("QV_TEST_VAR"), "again");

  ASSERT_TRUE(SetEnvironmentVariableA("QV_TEST_VAR", ""));
  SetLastError(99);
  EXPECT_EQ(GetEnvironmentVariableA("QV_TEST_VAR", buffer, sizeof(buffer)), 0u);
  EXPECT_EQ(GetLastError(), 0u);  // set but empty

  ASSERT_TRUE(SetEnvironmentVariableA("QV_TEST_VAR", nullptr));
  EXPECT_EQ(getenv("QV_TEST_VAR"), nullptr);
  EXPECT_EQ(GetEnvironmentVariableA("QV_TEST_VAR", buffer, sizeof(buffer)), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ENVVAR_NOT_FOUND));

  EXPECT_FALSE(SetEnvironmentVariableA("A=B", "x"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(SetEnvironmentVariableA("", "x"));
}

TEST(ComputerName, IsTheUpperCaseFirstLabelWithinFifteenCharacters) {
  DWORD size = 0;
  EXPECT_FALSE(GetComputerNameA(nullptr, &size));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BUFFER_OVERFLOW));
  ASSERT_GE(size, 1u);
  ASSERT_LE(size, static_cast<DWORD>(MAX_COMPUTERNAME_LENGTH + 1));
  char name[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD length = sizeof(name);
  ASSERT_TRUE(GetComputerNameA(name, &length));
  EXPECT_EQ(length, size - 1);
  EXPECT_EQ(std::strlen(name), length);
  EXPECT_EQ(std::strchr(name, '.'), nullptr);
  for (const char* p = name; *p; ++p) EXPECT_FALSE(*p >= 'a' && *p <= 'z');
}

TEST(MulDiv, RoundsAndReportsOverflow) {
  EXPECT_EQ(MulDiv(10, 96, 72), 13);    // 13.33
  EXPECT_EQ(MulDiv(9, 96, 72), 12);
  EXPECT_EQ(MulDiv(3, 1, 2), 2);        // halves round away from zero
  EXPECT_EQ(MulDiv(-3, 1, 2), -2);
  EXPECT_EQ(MulDiv(3, -1, 2), -2);
  EXPECT_EQ(MulDiv(3, 1, -2), -2);
  EXPECT_EQ(MulDiv(-3, -1, -2), -2);
  EXPECT_EQ(MulDiv(-12, 96, 72), -16);
  EXPECT_EQ(MulDiv(0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF), 0x7FFFFFFF);  // 64-bit intermediate
  EXPECT_EQ(MulDiv(0x7FFFFFFF, 2, 1), -1);
  EXPECT_EQ(MulDiv(5, 5, 0), -1);
}

TEST(DebugOutput, CapturedForTestsFromEveryThread) {
  qvp::CaptureDebugOutput(true);
  OutputDebugStringA("first\n");
  OutputDebugStringA(nullptr);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([] {
      for (int i = 0; i < 50; ++i) OutputDebugStringA("x");
    });
  }
  for (auto& t : threads) t.join();
  const std::string taken = qvp::TakeDebugOutput();
  EXPECT_EQ(taken.substr(0, 6), "first\n");
  EXPECT_EQ(taken.size(), 6u + 200u);
  EXPECT_EQ(qvp::TakeDebugOutput(), "");  // taking empties the buffer

  qvp::CaptureDebugOutput(false);
  OutputDebugStringA("not kept");
  qvp::CaptureDebugOutput(true);
  EXPECT_EQ(qvp::TakeDebugOutput(), "");
  qvp::CaptureDebugOutput(false);
}

TEST(DebugOutput, GoesToStderrOnlyWhenQvDebugIsSet) {
  unsetenv("QV_DEBUG");
  testing::internal::CaptureStderr();
  OutputDebugStringA("quiet\n");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  setenv("QV_DEBUG", "1", 1);
  testing::internal::CaptureStderr();
  OutputDebugStringA("loud\n");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "loud\n");
  unsetenv("QV_DEBUG");
}

}  // namespace
