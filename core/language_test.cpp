#include "language.h"

#include <gtest/gtest.h>

#include <string>

#include "program_paths.h"
#include "settings.h"
#include "test_dir.h"

namespace {

TEST(Language, IdFollowsTheLanguageNameWithoutRegardToCase) {
  EXPECT_EQ(LanguageIdFromName("german"), 1031);
  EXPECT_EQ(LanguageIdFromName("GERMAN"), 1031);
  EXPECT_EQ(LanguageIdFromName("French"), 1036);
  EXPECT_EQ(LanguageIdFromName("japanese"), 1041);
  EXPECT_EQ(LanguageIdFromName("English"), 1033);
  EXPECT_EQ(LanguageIdFromName("Spanish"), 1033);
  EXPECT_EQ(LanguageIdFromName("GERMANY"), 1033);
  EXPECT_EQ(LanguageIdFromName(""), 1033);
  EXPECT_EQ(LanguageIdFromName(nullptr), 1033);
}

class LanguageSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { qv::SetProgramDirForTests(program_.dir().c_str()); }
  void TearDown() override { qv::SetProgramDirForTests(nullptr); }

  TestDir program_;
};

TEST_F(LanguageSettingsTest, TheSettingChoosesTheLanguage) {
  char name[31];
  EXPECT_EQ(ReadProgramLanguageId(name, sizeof name), 1033);
  EXPECT_STREQ(name, "ENGLISH");
  WriteProgramLanguage("german");
  EXPECT_EQ(ReadProgramLanguageId(name, sizeof name), 1031);
  EXPECT_STREQ(name, "german");
  WriteProgramLanguage("Spanish");
  EXPECT_EQ(ReadProgramLanguageId(name, sizeof name), 1033);
  EXPECT_STREQ(name, "Spanish");
  WriteProgramLanguage("");
  EXPECT_EQ(ReadProgramLanguageId(name, sizeof name), 1033);
  EXPECT_STREQ(name, "");
}

TEST_F(LanguageSettingsTest, HelpPathNamesTheLanguageFolder) {
  char path[304];
  const std::string dir = GetProgramDir();
  EXPECT_EQ(std::string(BuildHelpPath("Spanish", path, sizeof path)), dir + "HELP\\Spanish\\PRODUCT.HLP");
  // An empty language leaves an empty folder name between two backslashes.
  EXPECT_EQ(std::string(BuildHelpPath("", path, sizeof path)), dir + "HELP\\\\PRODUCT.HLP");
  char small[8];
  BuildHelpPath("GERMAN", small, sizeof small);
  EXPECT_EQ(std::string(small), (dir + "HELP").substr(0, 7));
}

}  // namespace
