#include "program_paths.h"

#include <gtest/gtest.h>

#include <string>

#include "test_dir.h"

namespace {

class ProgramPathsTest : public ::testing::Test {
 protected:
  void TearDown() override { qv::SetProgramDirForTests(nullptr); }
};

TEST_F(ProgramPathsTest, MakeProgramPathJoinsFolderAndName) {
  char out[MAX_PATH];
  EXPECT_STREQ(MakeProgramPath("", "Remote.log", out, sizeof out), "Remote.log");
  EXPECT_STREQ(MakeProgramPath("C:\\qv", "Remote.log", out, sizeof out), "C:\\qv\\Remote.log");
  qv::SetProgramDirForTests("C:\\Program\\");
  EXPECT_STREQ(MakeProgramPath(nullptr, "BASE.RSL", out, sizeof out), "C:\\Program\\BASE.RSL");
}

TEST_F(ProgramPathsTest, ProgramDirectoryIsTheModulesDirectory) {
  char fullName[MAX_PATH];
  char directory[MAX_PATH];
  GetModuleDirectory(nullptr, fullName, directory);
  ASSERT_NE(fullName[0], '\0');
  const std::string full = fullName;
  const std::string dir = directory;
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(full.compare(0, dir.size(), dir), 0);
  EXPECT_EQ(full.find_first_of("\\/:", dir.size()), std::string::npos);

  FindModulePath(nullptr);
  EXPECT_EQ(std::string(GetProgramDir()), dir);
  EXPECT_EQ(std::string(GetIniPath()), dir + "QUORVANE.INI");
  GetModuleDirectory(nullptr, nullptr, nullptr);  // both outputs optional
}

}  // namespace
