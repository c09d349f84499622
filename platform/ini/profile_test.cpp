#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "files/test_dir.h"
#include "qvplatform/files.h"
#include "qvplatform/ini.h"
#include "qvplatform/kernel.h"

namespace {

using qvp::test::TestDir;

constexpr const char* kIni = "QUORVANE.INI";  // bare: in the Windows directory (the test directory)

std::string Get(const char* section, const char* key, const char* def = "", const char* file = kIni) {
  char buffer[512];
  DWORD n = GetPrivateProfileStringA(section, key, def, buffer, sizeof buffer, file);
  return std::string(buffer, n);
}

// The list forms, split at the NULs.
std::vector<std::string> GetList(const char* section, const char* file = kIni) {
  char buffer[4096];
  DWORD n = GetPrivateProfileStringA(section, nullptr, "", buffer, sizeof buffer, file);
  std::vector<std::string> items;
  for (DWORD i = 0; i < n; i += static_cast<DWORD>(items.back().size()) + 1) items.emplace_back(buffer + i);
  return items;
}

using Strings = std::vector<std::string>;

TEST(Profile, MissingFileReadsAsDefaultsAndTheFirstWriteCreatesIt) {
  TestDir dir;
  EXPECT_EQ(Get("Language", "Program", "ENGLISH"), "ENGLISH");
  EXPECT_EQ(GetPrivateProfileIntA("Defaults", "ListRefreshRate", 30, kIni), 30u);
  EXPECT_EQ(GetList(nullptr), Strings{});
  // Deleting from a missing file creates nothing.
  EXPECT_TRUE(WritePrivateProfileStringA("Defaults", "X", nullptr, kIni));
  EXPECT_TRUE(WritePrivateProfileStringA("Defaults", nullptr, nullptr, kIni));
  EXPECT_FALSE(dir.Exists(kIni));

  ASSERT_TRUE(WritePrivateProfileStringA("Language", "Program", "GERMAN", kIni));
  EXPECT_EQ(dir.Read(kIni), "[Language]\r\nProgram=GERMAN\r\n");
  EXPECT_EQ(Get("LANGUAGE", "program", "ENGLISH"), "GERMAN");
}

TEST(Profile, SectionsAndKeysIgnoreCaseSoEmailAndEMailAreOneSection) {
  TestDir dir;
  ASSERT_TRUE(WritePrivateProfileStringA("eMail", "Subject", "Quorvane Reports", kIni));
  ASSERT_TRUE(WritePrivateProfileStringA("Email", "subject", "Quorvane Alert", kIni));
  ASSERT_TRUE(WritePrivateProfileStringA("EMAIL", "From", "qv@example.org", kIni));
  EXPECT_EQ(Get("email", "SUBJECT"), "Quorvane Alert");
  EXPECT_EQ(dir.Read(kIni), "[eMail]\r\nSubject=Quorvane Alert\r\nFrom=qv@example.org\r\n");
  // The file name itself is found without regard to case: one file, not two.
  EXPECT_EQ(Get("eMail", "From", "", "quorvane.ini"), "qv@example.org");
  ASSERT_TRUE(WritePrivateProfileStringA("eMail", "ReplyTo", "r@example.org", "quorvane.ini"));
  EXPECT_EQ(dir.CountEntries(), 1u);
}

TEST(Profile, IntegersTakeTheLeadingDigits) {
  TestDir dir;
  dir.Write(kIni,
            "[Defaults]\nCPUUsage=abc\nA=42x\nB=  -7\nC=+5\nD=\"12\"\nE=\nF=99999999999\nG=4294967295\n");
  EXPECT_EQ(GetPrivateProfileIntA("Defaults", "CPUUsage", 100, kIni), 0u);
  EXPECT_EQ(GetPrivateProfileIntA("Defaults", "A", 1, kIni), 42u);
  EXPECT_EQ(static_cast<INT>(GetPrivateProfileIntA("Defaults", "B", 1, kIni)), -7);
  EXPECT_EQ(GetPrivateProfileIntA("Defaults", "C", 1, kIni), 5u);
  EXPECT_EQ(GetPrivateProfileIntA("Defaults", "D", 1, kIni), 12u);
  EXPECT_EQ(GetPrivateProfileIntA("Defaults", "E", 8, kIni), 8u);
  EXPECT_EQ(GetPrivateProfileIntA("Defaults", "F", 1, kIni), 0xFFFFFFFFu);
  EXPECT_EQ(GetPrivateProfileIntA("Defaults", "G", 1, kIni),
            0xFFFFFFFFu);  // "%lu" of the largest value round-trips
  EXPECT_EQ(GetPrivateProfileIntA("Defaults", "Missing", 30, kIni), 30u);
  EXPECT_EQ(static_cast<INT>(GetPrivateProfileIntA("Missing", "A", -1, kIni)), -1);
}

TEST(Profile, LineBreaksAndOtherForgingTextAreRefused) {
  TestDir dir;
  ASSERT_TRUE(WritePrivateProfileStringA("Main", "Author", "Ann", kIni));
  const std::string before = dir.Read(kIni);
  struct Bad {
    const char* section;
    const char* key;
    const char* value;
  };
  const Bad bad[] = {
      {"Main", "Author", "Ann\r\n[Defaults]\r\nPassword=x"},
      {"Main", "Author", "line\nbreak"},
      {"Main", "Auth\ror", "v"},
      {"Ma\nin", "Author", "v"},
      {"Main]x", "Author", "v"},
      {"Main", "a=b", "v"},
      {"Main", "[Section]", "v"},
      {"Main", " ;comment", "v"},
      {"Main\n", nullptr, nullptr},
  };
  for (const Bad& b : bad) {
    SetLastError(0);
    EXPECT_FALSE(WritePrivateProfileStringA(b.section, b.key, b.value, kIni)) << b.key;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }
  EXPECT_FALSE(WritePrivateProfileStringA(nullptr, "k", "v", kIni));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(WritePrivateProfileSectionA("Main", "a=1\0b=2\nc=3\0", kIni));
  EXPECT_FALSE(WritePrivateProfileSectionA("Main", "a=1\0[Other]\0", kIni));
  EXPECT_EQ(dir.Read(kIni), before);
  EXPECT_TRUE(WritePrivateProfileStringA(nullptr, nullptr, nullptr, kIni));  // a flush: nothing to do
}

TEST(Profile, NullKeyDeletesTheSectionNullValueTheKey) {
  TestDir dir;
  dir.Write(kIni, "[A]\nx=1\ny=2\n\n; about B\n[B]\nz=3\n");
  ASSERT_TRUE(WritePrivateProfileStringA("a", "X", nullptr, kIni));
  EXPECT_EQ(Get("A", "x", "gone"), "gone");
  EXPECT_EQ(Get("A", "y"), "2");
  ASSERT_TRUE(WritePrivateProfileStringA("a", nullptr, nullptr, kIni));
  EXPECT_EQ(GetList(nullptr), Strings{"B"});
  EXPECT_EQ(dir.Read(kIni), "\r\n; about B\r\n[B]\r\nz=3\r\n");
}

TEST(Profile, ListFormsAndTruncation) {
  TestDir dir;
  dir.Write(kIni, "[First]\nalpha=1\nbeta=2\n[Second]\n[first]\ngamma=3\n");
  EXPECT_EQ(GetList(nullptr), (Strings{"First", "Second"}));
  EXPECT_EQ(GetList("FIRST"), (Strings{"alpha", "beta"}));
  EXPECT_EQ(GetList("Second"), Strings{});
  EXPECT_EQ(GetList("Missing"), Strings{});

  char buffer[16];
  std::memset(buffer, 'x', sizeof buffer);
  // "First\0Second\0\0" needs 14; with 10 it is cut and still ends in two NULs.
  EXPECT_EQ(GetPrivateProfileStringA(nullptr, nullptr, "", buffer, 10, kIni), 8u);
  EXPECT_EQ(std::string(buffer, 10), std::string("First\0Se\0\0", 10));
  EXPECT_EQ(buffer[10], 'x');
  EXPECT_EQ(GetPrivateProfileStringA("First", nullptr, "", buffer, 12, kIni), 11u);  // fits exactly
  EXPECT_EQ(std::string(buffer, 12), std::string("alpha\0beta\0\0", 12));

  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(GetPrivateProfileStringA("First", "alpha", "", buffer, 1, kIni), 0u);
  EXPECT_EQ(buffer[0], '\0');
  EXPECT_EQ(GetPrivateProfileStringA("None", "k", "long default", buffer, 5, kIni), 4u);
  EXPECT_STREQ(buffer, "long");
  EXPECT_EQ(GetPrivateProfileStringA("None", "k", "dflt   ", buffer, sizeof buffer, kIni), 4u);
  EXPECT_STREQ(buffer, "dflt");
  EXPECT_EQ(GetPrivateProfileStringA("None", "k", nullptr, buffer, sizeof buffer, kIni), 0u);
  EXPECT_EQ(GetPrivateProfileStringA("First", "alpha", "", nullptr, 10, kIni), 0u);
}

TEST(Profile, EveryCallReadsTheFileAsItIsNow) {
  TestDir dir;
  dir.Write(kIni, "[S]\nk=one\n");
  EXPECT_EQ(Get("S", "k"), "one");
  dir.Write(kIni, "[S]\r\nk = \"two\"\r\n");
  EXPECT_EQ(Get("S", "k"), "two");
}

TEST(Profile, ReadOnlyFilesAreNotWritten) {
  TestDir dir;
  dir.Write(kIni, "[S]\nk=v\n");
  ASSERT_TRUE(SetFileAttributesA(kIni, FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "w", kIni));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(dir.Read(kIni), "[S]\nk=v\n");
}

TEST(Profile, FileNamesWithAndWithoutADirectory) {
  TestDir dir;
  qvp::SetWindowsDirectory((dir / "windows").c_str());
  dir.Write("windows/keep", "");
  dir.Write("prog/keep", "");
  ASSERT_TRUE(SetCurrentDirectoryA("prog"));
  ASSERT_TRUE(WritePrivateProfileStringA("S", "where", "windows", "bare.ini"));
  ASSERT_TRUE(WritePrivateProfileStringA("S", "where", "current", ".\\bare.ini"));
  EXPECT_EQ(Get("S", "where", "", "BARE.INI"), "windows");
  EXPECT_EQ(Get("S", "where", "", ".\\Bare.Ini"), "current");
  EXPECT_TRUE(dir.Exists("windows/bare.ini"));
  EXPECT_TRUE(dir.Exists("prog/bare.ini"));

  ASSERT_TRUE(qvp::SetDriveMapping('C', dir.path().c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("Previous", "Migrated", "1", "c:\\PROG\\qv_prev.ini"));
  EXPECT_EQ(GetPrivateProfileIntA("Previous", "Migrated", 0, "qv_prev.ini"),
            0u);  // not in the Windows directory
  EXPECT_EQ(GetPrivateProfileIntA("Previous", "Migrated", 0, "C:\\prog\\QV_PREV.INI"), 1u);
  EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "v", "C:\\nodir\\x.ini"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "v", "\\\\server\\share\\x.ini"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_NETPATH));
  EXPECT_EQ(Get("S", "k", "dflt", "\\\\server\\share\\x.ini"), "dflt");
}

TEST(Profile, WinIniLivesInTheWindowsDirectory) {
  TestDir dir;
  dir.Write("win.ini", "[intl]\r\nsDate=.\r\niDate=1\r\n");
  char buffer[32];
  EXPECT_EQ(GetProfileStringA("Intl", "sDate", "/", buffer, sizeof buffer), 1u);
  EXPECT_STREQ(buffer, ".");
  EXPECT_EQ(GetProfileIntA("intl", "iDate", 0), 1u);
  EXPECT_EQ(GetProfileIntA("intl", "Missing", 7), 7u);
  ASSERT_TRUE(WriteProfileStringA("intl", "sTime", ":"));
  EXPECT_EQ(dir.Read("win.ini"), "[intl]\r\nsDate=.\r\niDate=1\r\nsTime=:\r\n");
  EXPECT_EQ(dir.CountEntries(), 1u);
}

TEST(Profile, WholeSections) {
  TestDir dir;
  dir.Write(kIni, "[Style]\n; how it looks\nFont = Arial\nSize=8\n[Next]\nk=v\n");
  char buffer[64];
  DWORD n = GetPrivateProfileSectionA("style", buffer, sizeof buffer, kIni);
  EXPECT_EQ(std::string(buffer, n + 1), std::string("Font=Arial\0Size=8\0\0", 19));
  n = GetPrivateProfileSectionA("style", buffer, 8, kIni);
  EXPECT_EQ(n, 6u);
  EXPECT_EQ(std::string(buffer, 8), std::string("Font=A\0\0", 8));

  ASSERT_TRUE(WritePrivateProfileSectionA("STYLE", "Font=Courier\0Bold=1\0", kIni));
  EXPECT_EQ(dir.Read(kIni), "[Style]\r\nFont=Courier\r\nBold=1\r\n[Next]\r\nk=v\r\n");
  ASSERT_TRUE(WritePrivateProfileSectionA("New", "a=1\0", kIni));
  EXPECT_EQ(Get("new", "A"), "1");
  ASSERT_TRUE(WritePrivateProfileSectionA("style", nullptr, kIni));
  EXPECT_EQ(GetList(nullptr), (Strings{"Next", "New"}));
}

}  // namespace
