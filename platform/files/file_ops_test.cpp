#include <gtest/gtest.h>

#include <string>

#include "files/test_dir.h"
#include "qvplatform/files.h"
#include "qvplatform/kernel.h"

namespace {

using qvp::test::TestDir;

DWORD Err() { return GetLastError(); }

TEST(CopyFile, OntoItselfFailsAndKeepsTheData) {
  TestDir dir;
  dir.Write("Lang/ENGLISH.RPL", "precious");
  EXPECT_FALSE(CopyFileA("Lang\\ENGLISH.RPL", "Lang\\ENGLISH.RPL", FALSE));
  EXPECT_EQ(Err(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_FALSE(CopyFileA("lang\\english.rpl", "LANG\\English.Rpl", FALSE));
  EXPECT_EQ(dir.Read("Lang/ENGLISH.RPL"), "precious");
  EXPECT_EQ(dir.CountEntries("Lang"), 1u);
}

TEST(CopyFile, ReplacesOrRefusesAnExistingTarget) {
  TestDir dir;
  dir.Write("a.org", "original");
  dir.Write("A.RPL", "edited");
  EXPECT_FALSE(CopyFileA("a.org", "a.rpl", TRUE));
  EXPECT_EQ(Err(), static_cast<DWORD>(ERROR_FILE_EXISTS));
  EXPECT_EQ(dir.Read("A.RPL"), "edited");

  ASSERT_TRUE(CopyFileA("A.ORG", "a.rpl", FALSE));
  EXPECT_EQ(dir.Read("A.RPL"), "original");  // the existing spelling is reused
  EXPECT_EQ(dir.CountEntries(), 2u);         // and no temporary is left behind

  ASSERT_TRUE(CopyFileA("a.org", "copy.txt", TRUE));
  EXPECT_EQ(dir.Read("copy.txt"), "original");
}

TEST(CopyFile, FailuresNameTheCause) {
  TestDir dir;
  dir.Write("src.txt", "s");
  dir.Write("ro.txt", "r");
  ASSERT_TRUE(SetFileAttributesA("ro.txt", FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(CopyFileA("missing.txt", "x.txt", FALSE));
  EXPECT_EQ(Err(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(CopyFileA("src.txt", "nodir\\x.txt", FALSE));
  EXPECT_EQ(Err(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_FALSE(CopyFileA("src.txt", "ro.txt", FALSE));
  EXPECT_EQ(Err(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(dir.Read("ro.txt"), "r");
  ASSERT_TRUE(CreateDirectoryA("sub", nullptr));
  EXPECT_FALSE(CopyFileA("sub", "y.txt", FALSE));
  EXPECT_EQ(Err(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST(MoveFile, RenamesWithoutReplacing) {
  TestDir dir;
  dir.Write("a.txt", "A");
  dir.Write("b.txt", "B");
  EXPECT_FALSE(MoveFileA("a.txt", "B.TXT"));
  EXPECT_EQ(Err(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(dir.Read("a.txt"), "A");
  EXPECT_EQ(dir.Read("b.txt"), "B");

  ASSERT_TRUE(MoveFileA("A.TXT", "c.txt"));
  EXPECT_FALSE(dir.Exists("a.txt"));
  EXPECT_EQ(dir.Read("c.txt"), "A");

  // A change of case only renames the file.
  ASSERT_TRUE(MoveFileA("c.txt", "C.TXT"));
  EXPECT_EQ(dir.Read("C.TXT"), "A");
  EXPECT_EQ(dir.CountEntries(), 2u);

  ASSERT_TRUE(CreateDirectoryA("d1", nullptr));
  ASSERT_TRUE(MoveFileA("D1", "d2"));
  EXPECT_EQ(GetFileAttributesA("d2"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_FALSE(MoveFileA("missing", "x"));
  EXPECT_EQ(Err(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(DeleteFile, RefusesDirectoriesAndReadOnlyFiles) {
  TestDir dir;
  dir.Write("f.txt", "x");
  ASSERT_TRUE(CreateDirectoryA("sub", nullptr));
  EXPECT_FALSE(DeleteFileA("missing.txt"));
  EXPECT_EQ(Err(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(DeleteFileA("nodir\\f.txt"));
  EXPECT_EQ(Err(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_FALSE(DeleteFileA("SUB"));
  EXPECT_EQ(Err(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

  ASSERT_TRUE(SetFileAttributesA("F.TXT", FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(DeleteFileA("f.txt"));
  EXPECT_EQ(Err(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  ASSERT_TRUE(SetFileAttributesA("f.txt", FILE_ATTRIBUTE_NORMAL));
  ASSERT_TRUE(DeleteFileA("F.txt"));
  EXPECT_FALSE(dir.Exists("f.txt"));
}

TEST(Directories, CreateAndRemove) {
  TestDir dir;
  ASSERT_TRUE(CreateDirectoryA("Data", nullptr));
  EXPECT_FALSE(CreateDirectoryA("DATA", nullptr));
  EXPECT_EQ(Err(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_FALSE(CreateDirectoryA("nodir\\sub", nullptr));
  EXPECT_EQ(Err(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  dir.Write("Data/f.txt", "");
  EXPECT_FALSE(RemoveDirectoryA("data"));
  EXPECT_EQ(Err(), static_cast<DWORD>(ERROR_DIR_NOT_EMPTY));
  EXPECT_FALSE(RemoveDirectoryA("data\\F.TXT"));
  EXPECT_EQ(Err(), static_cast<DWORD>(ERROR_DIRECTORY));
  ASSERT_TRUE(DeleteFileA("data\\f.txt"));
  ASSERT_TRUE(RemoveDirectoryA("data"));
  EXPECT_FALSE(RemoveDirectoryA("data"));
  EXPECT_EQ(Err(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(Attributes, FromKindPermissionAndName) {
  TestDir dir;
  dir.Write("plain.txt", "");
  dir.Write(".hidden", "");
  ASSERT_TRUE(CreateDirectoryA("sub", nullptr));
  EXPECT_EQ(GetFileAttributesA("PLAIN.TXT"), static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(GetFileAttributesA(".HIDDEN"), static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
  EXPECT_EQ(GetFileAttributesA("sub"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  ASSERT_TRUE(SetFileAttributesA("plain.txt", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_EQ(GetFileAttributesA("plain.txt"), static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  // A directory never turns read-only: that would stop files being made in it.
  ASSERT_TRUE(SetFileAttributesA("sub", FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(GetFileAttributesA("sub"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));

  EXPECT_EQ(GetFileAttributesA("missing"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(Err(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(GetFileAttributesA("nodir\\missing"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(Err(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(GetFileAttributesA("\\\\server\\share"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(Err(), static_cast<DWORD>(ERROR_BAD_NETPATH));
  EXPECT_FALSE(SetFileAttributesA("missing", FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(Err(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

}  // namespace
