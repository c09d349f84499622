#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "files/test_dir.h"
#include "qvplatform/kernel.h"
#include "qvplatform/shell.h"
#include "shell/shell_test_support.h"

namespace {

using Words = std::vector<std::string>;

INT_PTR Execute(const char* verb, const char* file, const char* parameters = nullptr,
                const char* directory = nullptr) {
  return reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, verb, file, parameters, directory, 1));
}

class ShellExecuteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.Write("Docs/Report.HTM", "<html></html>");
    dir_.Write("tools/run.sh", "#!/bin/sh\n");
    dir_.Write("tools/data.txt", "text with an execute bit");
    namespace fs = std::filesystem;
    fs::permissions(dir_ / "tools/run.sh", fs::perms::owner_all);
    fs::permissions(dir_ / "tools/data.txt", fs::perms::owner_all);
  }
  qvp::test::TestDir dir_;
};

TEST_F(ShellExecuteTest, UrlsAndDocumentsGoToTheOpener) {
  qvp::test::RecordingLauncher launcher;
  EXPECT_GT(Execute("open", "http://localhost/a b?x=1&y=$(z)"), 32);
  EXPECT_GT(Execute(nullptr, "docs\\report.htm", "ignored params"), 32);
  EXPECT_GT(Execute("Open", "tools\\data.txt"), 32);
  EXPECT_GT(Execute("explore", "DOCS"), 32);
  std::vector<qvp::ProcessLaunch> launches = launcher.Launches();
  ASSERT_EQ(launches.size(), 4u);
  for (const qvp::ProcessLaunch& l : launches) {
    EXPECT_EQ(l.program, "xdg-open");
    EXPECT_TRUE(l.search_path);
  }
  EXPECT_EQ(launches[0].argv, (Words{"xdg-open", "http://localhost/a b?x=1&y=$(z)"}));
  EXPECT_EQ(launches[1].argv, (Words{"xdg-open", dir_.path() + "/Docs/Report.HTM"}));
  EXPECT_EQ(launches[2].argv, (Words{"xdg-open", dir_.path() + "/tools/data.txt"}));
  EXPECT_EQ(launches[3].argv, (Words{"xdg-open", dir_.path() + "/Docs"}));
}

TEST_F(ShellExecuteTest, ProgramsRunWithTheirParametersSplit) {
  qvp::test::RecordingLauncher launcher;
  EXPECT_GT(Execute("open", "run.sh", "-a \"b c\" d\\\\\"e\" ;f|g", (dir_.path() + "/TOOLS").c_str()), 32);
  qvp::ProcessLaunch launch = launcher.Only();
  EXPECT_EQ(launch.program, dir_.path() + "/tools/run.sh");
  EXPECT_EQ(launch.argv, (Words{dir_.path() + "/tools/run.sh", "-a", "b c", "d\\e", ";f|g"}));
  EXPECT_EQ(launch.directory, dir_.path() + "/tools");
  EXPECT_FALSE(launch.search_path);
}

TEST_F(ShellExecuteTest, FailuresAnswerTheShellCodes) {
  qvp::test::RecordingLauncher launcher;
  EXPECT_EQ(Execute("open", "docs\\missing.htm"), SE_ERR_FNF);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(Execute("open", "nodir\\missing.htm"), SE_ERR_PNF);
  EXPECT_EQ(Execute("open", "docs\\report.htm", nullptr, "no-such-dir"), SE_ERR_PNF);
  EXPECT_EQ(Execute("print", "docs\\report.htm"), SE_ERR_NOASSOC);
  EXPECT_EQ(Execute("explore", "docs\\report.htm"), SE_ERR_NOASSOC);
  EXPECT_EQ(Execute("open", ""), SE_ERR_FNF);
  EXPECT_TRUE(launcher.Launches().empty());
}

TEST_F(ShellExecuteTest, AMissingOpenerMeansNoAssociation) {
  qvp::test::RecordingLauncher launcher(ENOENT);
  EXPECT_EQ(Execute("open", "https://localhost/"), SE_ERR_NOASSOC);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_ASSOCIATION));
  // The same from a program that cannot start is "file not found".
  EXPECT_EQ(Execute("open", "tools\\run.sh"), SE_ERR_FNF);
}

TEST_F(ShellExecuteTest, RealOpenerLookupOnPath) {
  // No launcher replaced: with an empty PATH directory the opener is not found.
  std::filesystem::create_directory(dir_ / "emptybin");
  std::string old_path = getenv("PATH") ? getenv("PATH") : "";
  ASSERT_TRUE(SetEnvironmentVariableA("PATH", (dir_.path() + "/emptybin").c_str()));
  const INT_PTR result = Execute("open", "https://localhost/");
  SetEnvironmentVariableA("PATH", old_path.c_str());
  EXPECT_EQ(result, SE_ERR_NOASSOC);
}

}  // namespace
