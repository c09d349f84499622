#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/test_dir.h"
#include "qvplatform/files.h"
#include "qvplatform/kernel.h"

namespace {

using qvp::test::TestDir;

// Every name a search lists, in order; "<error N>" when the search fails.
std::vector<std::string> List(const char* pattern) {
  WIN32_FIND_DATAA data;
  HANDLE h = FindFirstFileA(pattern, &data);
  if (h == INVALID_HANDLE_VALUE) return {"<error " + std::to_string(GetLastError()) + ">"};
  std::vector<std::string> names;
  do {
    names.emplace_back(data.cFileName);
  } while (FindNextFileA(h, &data));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
  EXPECT_TRUE(FindClose(h));
  return names;
}

using Names = std::vector<std::string>;

TEST(FindFiles, ListsMatchesSortedWithoutRegardToCase) {
  TestDir dir;
  for (const char* name : {"LERT0003.AMP", "lert0001.amp", "Lert0002.Amp", "lert0004.txt", "xlert0005.amp"}) {
    dir.Write(std::string("qvm_alrt/datfiles/") + name, "");
  }
  EXPECT_EQ(List("QVM_ALRT\\DATFILES\\lert*.amp"), (Names{"lert0001.amp", "Lert0002.Amp", "LERT0003.AMP"}));
  EXPECT_EQ(List("qvm_alrt\\datfiles\\*.AMP"),
            (Names{"lert0001.amp", "Lert0002.Amp", "LERT0003.AMP", "xlert0005.amp"}));
}

TEST(FindFiles, StarDotStarIncludesNamesWithoutADotAndTheDotEntries) {
  TestDir dir;
  dir.Write("sub/README", "");
  dir.Write("sub/b.txt", "");
  EXPECT_EQ(List("sub\\*.*"), (Names{".", "..", "b.txt", "README"}));
  EXPECT_EQ(List("sub\\*"), (Names{".", "..", "b.txt", "README"}));
}

TEST(FindFiles, TheTopOfADriveHasNoDotEntries) {
  TestDir dir;
  dir.Write("vol/x.txt", "");
  ASSERT_TRUE(qvp::SetDriveMapping('Q', (dir / "vol").c_str()));
  EXPECT_EQ(List("Q:\\*"), (Names{"x.txt"}));
  EXPECT_EQ(List("Q:\\*.txt"), (Names{"x.txt"}));
}

TEST(FindFiles, FailuresTellNoMatchFromNoDirectory) {
  TestDir dir;
  dir.Write("sub/a.txt", "");
  EXPECT_EQ(List("sub\\*.amp"), (Names{"<error 2>"}));    // ERROR_FILE_NOT_FOUND
  EXPECT_EQ(List("nodir\\*.amp"), (Names{"<error 3>"}));  // ERROR_PATH_NOT_FOUND
  EXPECT_EQ(List("sub\\"), (Names{"<error 2>"}));
  EXPECT_EQ(List("\\\\server\\share\\*"), (Names{"<error 53>"}));  // ERROR_BAD_NETPATH
}

TEST(FindFiles, ANameWithoutWildcardsFindsThatEntry) {
  TestDir dir;
  dir.Write("Reports/x.htm", "");
  WIN32_FIND_DATAA data;
  HANDLE h = FindFirstFileA("REPORTS", &data);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_STREQ(data.cFileName, "Reports");
  EXPECT_TRUE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_FALSE(FindNextFileA(h, &data));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
  FindClose(h);
}

TEST(FindFiles, EntriesCarrySizeAttributesAndTimes) {
  TestDir dir;
  dir.Write("data.bin", std::string(1234, 'x'));
  dir.Write(".secret", "");
  dir.Write("ro.txt", "");
  ASSERT_TRUE(SetFileAttributesA("ro.txt", FILE_ATTRIBUTE_READONLY));
  WIN32_FIND_DATAA data;
  HANDLE h = FindFirstFileA("DATA.BIN", &data);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(data.nFileSizeLow, 1234u);
  EXPECT_EQ(data.nFileSizeHigh, 0u);
  EXPECT_EQ(data.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
  EXPECT_NE(data.ftLastWriteTime.dwHighDateTime, 0u);
  EXPECT_STREQ(data.cAlternateFileName, "");
  FindClose(h);
  h = FindFirstFileA(".secret", &data);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(data.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
  FindClose(h);
  h = FindFirstFileA("ro.*", &data);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(data.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  FindClose(h);
}

TEST(FindFiles, ASearchIsASnapshotAndItsHandleDiesWithFindClose) {
  TestDir dir;
  dir.Write("a.txt", "");
  dir.Write("b.txt", "");
  WIN32_FIND_DATAA data;
  HANDLE h = FindFirstFileA("*.txt", &data);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_STREQ(data.cFileName, "a.txt");
  ASSERT_TRUE(DeleteFileA("b.txt"));  // listed names stay listed
  dir.Write("c.txt", "");             // and new ones do not appear
  ASSERT_TRUE(FindNextFileA(h, &data));
  EXPECT_STREQ(data.cFileName, "b.txt");
  EXPECT_FALSE(FindNextFileA(h, &data));
  ASSERT_TRUE(FindClose(h));
  EXPECT_FALSE(FindNextFileA(h, &data));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(FindClose(h));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(FindFirstFileA("*.txt", nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
