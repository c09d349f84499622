// Language names, the system directory with its mail services file, the
// logon privilege switch, and the idle hook of loops that poll their queue.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "qvplatform.h"

namespace {

TEST(LocaleInfoTest, EnglishNamesOfLanguagesAndTheBufferRules) {
  char name[32];
  EXPECT_EQ(GetLocaleInfoA(MAKELANGID(0x07, 0x01), LOCALE_SENGLANGUAGE, name, sizeof name), 7);
  EXPECT_STREQ(name, "German");
  EXPECT_EQ(GetLocaleInfoA(1033, LOCALE_SENGLANGUAGE, nullptr, 0), 8);  // "English" and its zero
  EXPECT_EQ(GetLocaleInfoA(1033, LOCALE_SENGLANGUAGE, name, 3), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(GetLocaleInfoA(0x3FF, LOCALE_SENGLANGUAGE, name, sizeof name), 0);
  EXPECT_EQ(GetLocaleInfoA(1033, 0x2, name, sizeof name), 0);
}

TEST(SystemDirectoryTest, IsMadeWithAMailServicesFileThatIsThenKept) {
  const std::filesystem::path windows =
      std::filesystem::temp_directory_path() / ("qv_sysdir_" + std::to_string(GetCurrentProcessId()));
  std::filesystem::create_directories(windows);
  qvp::SetWindowsDirectory(windows.c_str());
  char path[MAX_PATH];
  ASSERT_GT(GetSystemDirectoryA(path, sizeof path), 0u);
  EXPECT_NE(std::string(path).find("system32"), std::string::npos) << path;
  char service[64];
  const std::string services = std::string(path) + "\\MAPISVC.INF";
  GetPrivateProfileStringA("Services", "IMAIL", "", service, sizeof service, services.c_str());
  EXPECT_STRNE(service, "");
  WritePrivateProfileStringA("Services", "IMAIL", nullptr, services.c_str());
  ASSERT_GT(GetSystemDirectoryA(path, sizeof path), 0u);  // a second call keeps the file as it is
  GetPrivateProfileStringA("Services", "IMAIL", "", service, sizeof service, services.c_str());
  EXPECT_STREQ(service, "");
  EXPECT_GT(GetSystemDirectoryA(path, 2), 2u);  // too small: the size needed
  qvp::SetWindowsDirectory(nullptr);
  std::filesystem::remove_all(windows);
}

TEST(LogonPrivilegeTest, TheSwitchMakesEveryLogonFailWith1314) {
  // Without the switch the answer is the system's own (1314 too where this
  // process cannot check passwords); with it, always 1314; and back again.
  HANDLE token = nullptr;
  EXPECT_FALSE(LogonUserA("LocalSystem", "", "x", LOGON32_LOGON_INTERACTIVE, LOGON32_PROVIDER_DEFAULT, &token));
  const DWORD before = GetLastError();
  qvp::SetLogonPrivilegeMissingForTests(true);
  EXPECT_FALSE(LogonUserA("LocalSystem", "", "x", LOGON32_LOGON_INTERACTIVE, LOGON32_PROVIDER_DEFAULT, &token));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PRIVILEGE_NOT_HELD));
  qvp::SetLogonPrivilegeMissingForTests(false);
  EXPECT_FALSE(LogonUserA("LocalSystem", "", "x", LOGON32_LOGON_INTERACTIVE, LOGON32_PROVIDER_DEFAULT, &token));
  EXPECT_EQ(GetLastError(), before);
}

TEST(PollingLoopTest, ASleepAfterAnEmptyPeekRunsTheModalIdleHook) {
  int idles = 0;
  qvp::SetModalIdleHook([&] { ++idles; });
  MSG message{};
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
  Sleep(1);
  EXPECT_EQ(idles, 1);
  Sleep(1);  // no peek before it: an ordinary sleep
  EXPECT_EQ(idles, 1);
  PostThreadMessageA(GetCurrentThreadId(), WM_USER, 0, 0);
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  Sleep(1);  // the peek found a message
  EXPECT_EQ(idles, 1);
  qvp::SetModalIdleHook(nullptr);
}

}  // namespace
