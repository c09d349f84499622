#include "settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "program_paths.h"
#include "settings_keys.h"
#include "test_dir.h"

namespace {

// The program directory is a fresh temporary directory and the current
// directory another one, so that a file written relative to the current
// directory would be seen in the wrong place.
class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previousCwd_ = std::filesystem::current_path();
    std::filesystem::current_path(elsewhere_.path());
    qv::SetProgramDirForTests(program_.dir().c_str());
    qvp::SetRegistryFile(registry_.file("registry").c_str());
    ASSERT_TRUE(qvp::PreloadRegistry(""));
  }
  void TearDown() override {
    qvp::SetRegistryFile(nullptr);
    qv::SetProgramDirForTests(nullptr);
    std::filesystem::current_path(previousCwd_);
  }

  static void Put(const char* section, const char* key, const char* value) {
    ASSERT_TRUE(WritePrivateProfileStringA(section, key, value, GetIniPath()));
  }
  static std::string Get(const char* section, const char* key) {
    char text[256];
    GetPrivateProfileStringA(section, key, "<missing>", text, sizeof text, GetIniPath());
    return text;
  }

  TestDir program_;
  TestDir elsewhere_;
  TestDir registry_;
  std::filesystem::path previousCwd_;
};

TEST_F(SettingsTest, IniPathIsInTheProgramDirectory) {
  EXPECT_EQ(std::string(GetProgramDir()), program_.dir());
  EXPECT_EQ(std::string(GetIniPath()), program_.dir() + "QUORVANE.INI");
  // The hook adds the trailing separator the program keeps.
  qv::SetProgramDirForTests(program_.path().string().c_str());
  EXPECT_EQ(std::string(GetIniPath()), program_.path().string() + "/QUORVANE.INI");
}

TEST_F(SettingsTest, MissingFileReadsEveryDefaultAndCreatesNothing) {
  short top = -1;
  short selected = -1;
  ReadListPosition(&top, &selected);
  EXPECT_EQ(top, 0);
  EXPECT_EQ(selected, 0);
  EXPECT_EQ(ReadListRefreshRate(), 30);
  EXPECT_EQ(ReadCpuUsageSetting(), 100);
  char text[256] = "junk";
  ReadBrowserPath(text, sizeof text);
  EXPECT_STREQ(text, "");
  ReadProgramLanguage(text, sizeof text);
  EXPECT_STREQ(text, "ENGLISH");
  ReadReportLanguage(text, sizeof text);
  EXPECT_STREQ(text, "ENGLISH");
  ReadCountry(text, sizeof text);
  EXPECT_STREQ(text, "US");
  EXPECT_FALSE(program_.exists("QUORVANE.INI"));
  EXPECT_FALSE(elsewhere_.exists("QUORVANE.INI"));
}

TEST_F(SettingsTest, FirstWriteCreatesTheFileInTheProgramDirectory) {
  WriteBrowserPath("C:\\Browser\\browse.exe");
  EXPECT_TRUE(program_.exists("QUORVANE.INI"));
  EXPECT_FALSE(elsewhere_.exists("QUORVANE.INI"));
  char text[256];
  ReadBrowserPath(text, sizeof text);
  EXPECT_STREQ(text, "C:\\Browser\\browse.exe");
}

TEST_F(SettingsTest, CpuUsageIsCappedAndReadByItsLeadingDigits) {
  Put(ini::kDefaults, ini::kCpuUsage, "250");
  EXPECT_EQ(ReadCpuUsageSetting(), 100);
  Put(ini::kDefaults, ini::kCpuUsage, "abc");
  EXPECT_EQ(ReadCpuUsageSetting(), 0);
  Put(ini::kDefaults, ini::kCpuUsage, "40");
  EXPECT_EQ(ReadCpuUsageSetting(), 40);
}

TEST_F(SettingsTest, ListPositionKeepsSixteenBitValues) {
  WriteListPosition(-3, 1234);
  EXPECT_EQ(Get(ini::kDefaults, ini::kListStart), "-3");
  EXPECT_EQ(Get(ini::kDefaults, ini::kListOffset), "1234");
  short top = 0;
  short selected = 0;
  ReadListPosition(&top, &selected);
  EXPECT_EQ(top, -3);
  EXPECT_EQ(selected, 1234);
  Put(ini::kDefaults, ini::kListRefreshRate, "5");
  EXPECT_EQ(ReadListRefreshRate(), 5);
}

TEST_F(SettingsTest, IntegersAreWrittenUnsignedIntoAnyFile) {
  WriteIntSetting(ini::kDefaults, ini::kListView, 0xffffffffu, GetIniPath());
  EXPECT_EQ(Get(ini::kDefaults, ini::kListView), "4294967295");
  const std::string other = program_.file("other.ini");
  WriteIntSetting("Section", "Key", 7, other.c_str());
  EXPECT_NE(program_.read("other.ini").find("Key=7"), std::string::npos);
}

TEST_F(SettingsTest, TextsAreCutToTheKeysLength) {
  const std::string longPath(150, 'p');
  WriteBrowserPath(longPath.c_str());
  char text[256];
  ReadBrowserPath(text, sizeof text);
  EXPECT_EQ(std::string(text), std::string(ini::kBrowserPathLen - 1, 'p'));
  // A smaller caller buffer cuts further and is never overrun.
  char small[8];
  ReadBrowserPath(small, sizeof small);
  EXPECT_STREQ(small, "ppppppp");

  WriteProgramLanguage("GERMAN");
  WriteReportLanguage("FRENCHFRENCHFRENCHFRENCHFRENCHFRENCH");
  WriteCountry("DE");
  ReadProgramLanguage(text, sizeof text);
  EXPECT_STREQ(text, "GERMAN");
  ReadReportLanguage(text, sizeof text);
  EXPECT_EQ(std::string(text).size(), static_cast<size_t>(ini::kLanguageLen - 1));
  ReadCountry(text, sizeof text);
  EXPECT_STREQ(text, "DE");
}

TEST_F(SettingsTest, AuthorAndCompanyInTheFileAreKept) {
  Put(ini::kMain, ini::kAuthor, "Ada");
  Put(ini::kMain, ini::kCompany, "Analytical Engines");
  char author[256];
  char company[256];
  ReadAuthorAndCompany(author, sizeof author, company, sizeof company);
  EXPECT_STREQ(author, "Ada");
  EXPECT_STREQ(company, "Analytical Engines");
}

TEST_F(SettingsTest, EmptyAuthorAndCompanyComeFromTheRegistryAndAreKept) {
  ASSERT_TRUE(qvp::PreloadRegistry(
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]\n"
      "\"RegisteredOwner\"=sz:\"Owner of 95\"\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]\n"
      "\"RegisteredOwner\"=sz:\"Owner of NT\"\n"
      "\"RegisteredOrganization\"=sz:\"Organisation of NT\"\n"));
  char author[256];
  char company[256];
  ReadAuthorAndCompany(author, sizeof author, company, sizeof company);
  EXPECT_STREQ(author, "Owner of 95");
  EXPECT_STREQ(company, "Organisation of NT");
  EXPECT_EQ(Get(ini::kMain, ini::kAuthor), "Owner of 95");
  EXPECT_EQ(Get(ini::kMain, ini::kCompany), "Organisation of NT");
  // Kept in the file: the registry is no longer asked.
  ASSERT_TRUE(qvp::PreloadRegistry(""));
  ReadAuthorAndCompany(author, sizeof author, company, sizeof company);
  EXPECT_STREQ(author, "Owner of 95");
  EXPECT_STREQ(company, "Organisation of NT");
}

TEST_F(SettingsTest, NoOwnerAnywhereLeavesTheFileAlone) {
  char author[256] = "junk";
  char company[256] = "junk";
  ReadAuthorAndCompany(author, sizeof author, company, sizeof company);
  EXPECT_STREQ(author, "");
  EXPECT_STREQ(company, "");
  EXPECT_FALSE(program_.exists("QUORVANE.INI"));
}

TEST_F(SettingsTest, OwnerIsCutToTheCallersBuffer) {
  ASSERT_TRUE(qvp::PreloadRegistry(
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]\n"
      "\"RegisteredOwner\"=sz:\"A rather long owner name\"\n"));
  char author[9];
  char company[4];
  ReadAuthorAndCompany(author, sizeof author, company, sizeof company);
  EXPECT_STREQ(author, "A rather");
  EXPECT_STREQ(company, "");
}

}  // namespace
