#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <thread>

#include "files/test_dir.h"
#include "qvplatform/kernel.h"
#include "qvplatform/shell.h"
#include "shell/shell_test_support.h"

namespace {

using Words = std::vector<std::string>;

struct Started {
  BOOL ok = FALSE;
  DWORD error = 0;
  PROCESS_INFORMATION info{};
};

Started Start(const char* app, const char* command_line, DWORD flags = 0, const char* env = nullptr,
              const char* dir = nullptr) {
  Started s;
  std::string line = command_line ? command_line : "";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  SetLastError(0);
  s.ok = CreateProcessA(app, command_line ? line.data() : nullptr, nullptr, nullptr, FALSE, flags,
                        const_cast<char*>(env), dir, &startup, &s.info);
  s.error = GetLastError();
  return s;
}

DWORD ExitCodeAfterWait(const PROCESS_INFORMATION& info) {
  EXPECT_EQ(WaitForSingleObject(info.hProcess, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(info.hThread, INFINITE), WAIT_OBJECT_0);
  DWORD code = 12345;
  EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
  DWORD thread_code = 54321;
  EXPECT_TRUE(GetExitCodeThread(info.hThread, &thread_code));
  EXPECT_EQ(thread_code, code);
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);
  return code;
}

TEST(CreateProcess, ExitCodesOfRealPrograms) {
  Started t = Start(nullptr, "/bin/true");
  ASSERT_TRUE(t.ok) << t.error;
  EXPECT_NE(t.info.dwProcessId, 0u);
  Started f = Start(nullptr, "\\bin\\false.exe");  // Windows form, ".exe" not on disk
  ASSERT_TRUE(f.ok) << f.error;
  EXPECT_EQ(ExitCodeAfterWait(t.info), 0u);
  EXPECT_EQ(ExitCodeAfterWait(f.info), 1u);

  Started s = Start("/bin/sh", "sh -c \"exit 7\"");
  ASSERT_TRUE(s.ok) << s.error;
  EXPECT_EQ(ExitCodeAfterWait(s.info), 7u);
}

TEST(CreateProcess, StillActiveUntilTerminated) {
  Started s = Start(nullptr, "/bin/sleep 30");
  ASSERT_TRUE(s.ok) << s.error;
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeProcess(s.info.hProcess, &code));
  EXPECT_EQ(code, STILL_ACTIVE);
  EXPECT_EQ(WaitForSingleObject(s.info.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_TRUE(TerminateProcess(s.info.hProcess, 99));
  EXPECT_EQ(ExitCodeAfterWait(s.info), 99u);
}

TEST(CreateProcess, ThreadsStartAndWaitAtOnce) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t] {
      HANDLE handles[3];
      for (HANDLE& h : handles) {
        Started s = Start(nullptr, t % 2 == 0 ? "/bin/true" : "/bin/false");
        ASSERT_TRUE(s.ok) << s.error;
        CloseHandle(s.info.hThread);
        h = s.info.hProcess;
      }
      EXPECT_EQ(WaitForMultipleObjects(3, handles, TRUE, INFINITE), WAIT_OBJECT_0);
      for (HANDLE h : handles) {
        DWORD code = 99;
        EXPECT_TRUE(GetExitCodeProcess(h, &code));
        EXPECT_EQ(code, t % 2 == 0 ? 0u : 1u);
        CloseHandle(h);
      }
    });
  }
  for (std::thread& t : threads) t.join();
}

TEST(CreateProcess, TerminatingAnEndedProgramFails) {
  Started s = Start(nullptr, "/bin/true");
  ASSERT_TRUE(s.ok);
  ASSERT_EQ(WaitForSingleObject(s.info.hProcess, INFINITE), WAIT_OBJECT_0);
  SetLastError(0);
  EXPECT_FALSE(TerminateProcess(s.info.hProcess, 5));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(ExitCodeAfterWait(s.info), 0u);
}

TEST(CreateProcess, ShellCharactersReachTheProgramLiterally) {
  qvp::test::TestDir dir;
  Started s = Start(nullptr, "/usr/bin/touch \"a;b\" c|d $(e) `f`", 0, nullptr, dir.path().c_str());
  ASSERT_TRUE(s.ok) << s.error;
  EXPECT_EQ(ExitCodeAfterWait(s.info), 0u);
  for (const char* name : {"a;b", "c|d", "$(e)", "`f`"}) EXPECT_TRUE(dir.Exists(name)) << name;
  EXPECT_EQ(dir.CountEntries(), 4u);
}

TEST(CreateProcess, EnvironmentBlockAndWorkingDirectory) {
  qvp::test::TestDir dir;
  std::filesystem::create_directory(dir / "Work");
  const char env[] = "QV_ONE=first value\0QV_TWO=2\0";
  Started s = Start("/bin/sh", "sh -c \"pwd > out; echo $QV_ONE-$QV_TWO-$HOME >> out\"", 0, env, "work");
  ASSERT_TRUE(s.ok) << s.error;
  EXPECT_EQ(ExitCodeAfterWait(s.info), 0u);
  EXPECT_EQ(dir.Read("Work/out"), dir.path() + "/Work\nfirst value-2-\n");
}

TEST(CreateProcess, FailuresSayWhy) {
  qvp::test::TestDir dir;
  dir.Write("plain.txt", "not a program");
  EXPECT_EQ(Start(nullptr, "no-such-program-anywhere x").error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(Start(nullptr, "nodir\\prog.exe").error, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(Start("plain.txt", nullptr).error, static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(Start(nullptr, "/bin/true", 0, nullptr, "missing").error, static_cast<DWORD>(ERROR_DIRECTORY));
  EXPECT_EQ(Start(nullptr, "/bin/true", CREATE_SUSPENDED).error, static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(Start(nullptr, nullptr).error, static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(CreateProcess, ArgumentVectorsThroughTheLauncher) {
  qvp::test::RecordingLauncher launcher;
  Started s = Start(nullptr, "/bin/echo \"two words\" back\\\\\"slash\" \"\" x", DETACHED_PROCESS);
  ASSERT_TRUE(s.ok) << s.error;
  qvp::ProcessLaunch launch = launcher.Only();
  EXPECT_EQ(launch.program, "/bin/echo");
  EXPECT_EQ(launch.argv, (Words{"/bin/echo", "two words", "back\\slash", "", "x"}));
  EXPECT_TRUE(launch.new_session);
  EXPECT_FALSE(launch.search_path);
  // A launch without a real process has ended with exit code 0.
  EXPECT_EQ(ExitCodeAfterWait(s.info), 0u);

  // With an application name the command line's first word is not an argument.
  qvp::test::RecordingLauncher second;
  Started n = Start("/bin/echo", "echo-name -n");
  ASSERT_TRUE(n.ok);
  EXPECT_EQ(second.Only().argv, (Words{"/bin/echo", "-n"}));
  ExitCodeAfterWait(n.info);
}

TEST(WinExec, SplitsAndStarts) {
  {
    qvp::test::RecordingLauncher launcher;
    EXPECT_GT(WinExec("/bin/echo a\\b \"c d\" e;f", 1), 31u);
    EXPECT_EQ(launcher.Only().argv, (Words{"/bin/echo", "a\\b", "c d", "e;f"}));
  }
  {
    qvp::test::RecordingLauncher failing(ENOEXEC);
    EXPECT_EQ(WinExec("/bin/true", 1), static_cast<UINT>(ERROR_BAD_FORMAT));
  }
  EXPECT_EQ(WinExec("surely-not-a-program", 1), static_cast<UINT>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(WinExec("nodir\\x.exe", 1), static_cast<UINT>(ERROR_PATH_NOT_FOUND));
  EXPECT_GT(WinExec("/bin/true", 1), 31u);  // a real start, reaped by the layer
}

}  // namespace
