#include <gtest/gtest.h>
#include <sys/statvfs.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "files/test_dir.h"
#include "qvplatform/files.h"
#include "qvplatform/kernel.h"

namespace {

using qvp::test::TestDir;

std::string Backslashed(std::string path) {
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

TEST(CurrentDirectory, FollowsSetCurrentDirectoryAndReportsBufferNeeds) {
  TestDir dir;
  dir.Write("Work/f.txt", "");
  ASSERT_TRUE(SetCurrentDirectoryA("WORK"));
  const std::string expected = Backslashed(dir / "Work");
  char buffer[MAX_PATH];
  EXPECT_EQ(GetCurrentDirectoryA(MAX_PATH, buffer), expected.size());
  EXPECT_EQ(buffer, expected);
  // Too small: the size needed, with room for the NUL, and the buffer untouched.
  char small[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(GetCurrentDirectoryA(sizeof small, small), expected.size() + 1);
  EXPECT_EQ(small[0], 'x');
  EXPECT_EQ(GetCurrentDirectoryA(0, nullptr), expected.size() + 1);
  // Relative names now resolve from here, and the returned path leads back here.
  EXPECT_NE(GetFileAttributesA("F.TXT"), INVALID_FILE_ATTRIBUTES);
  ASSERT_TRUE(SetCurrentDirectoryA(".."));
  ASSERT_TRUE(SetCurrentDirectoryA(buffer));
  EXPECT_NE(GetFileAttributesA((std::string(buffer) + "\\f.txt").c_str()), INVALID_FILE_ATTRIBUTES);

  EXPECT_FALSE(SetCurrentDirectoryA("missing"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(SetCurrentDirectoryA("f.txt"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIRECTORY));
}

TEST(FullPathName, IsLexical) {
  TestDir dir;
  char buffer[MAX_PATH];
  char* file_part = nullptr;
  const std::string expected = Backslashed(dir / "sub/name.txt");
  EXPECT_EQ(GetFullPathNameA("x\\..\\sub\\.\\name.txt", MAX_PATH, buffer, &file_part), expected.size());
  EXPECT_EQ(buffer, expected);
  ASSERT_NE(file_part, nullptr);
  EXPECT_STREQ(file_part, "name.txt");

  ASSERT_TRUE(qvp::SetDriveMapping('C', dir.path().c_str()));
  EXPECT_EQ(GetFullPathNameA("c:\\Dir\\..\\Other\\File.txt", MAX_PATH, buffer, &file_part), 17u);
  EXPECT_STREQ(buffer, "C:\\Other\\File.txt");
  EXPECT_STREQ(file_part, "File.txt");
  GetFullPathNameA("C:\\Reports\\", MAX_PATH, buffer, &file_part);
  EXPECT_STREQ(buffer, "C:\\Reports\\");
  EXPECT_EQ(file_part, nullptr);

  EXPECT_EQ(GetFullPathNameA("C:\\a.txt", 4, buffer, &file_part), 9u);
  EXPECT_EQ(GetFullPathNameA("\\\\srv\\share\\x", MAX_PATH, buffer, nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_NETPATH));
}

TEST(TempFileName, CreatesAFreshFileEachTime) {
  TestDir dir;
  ASSERT_TRUE(CreateDirectoryA("tmp", nullptr));
  char first[MAX_PATH];
  char second[MAX_PATH];
  UINT a = GetTempFileNameA("tmp", "qvabc", 0, first);
  UINT b = GetTempFileNameA("tmp\\", "qv", 0, second);
  ASSERT_NE(a, 0u);
  ASSERT_NE(b, 0u);
  EXPECT_STRNE(first, second);
  EXPECT_EQ(std::strncmp(first, "tmp\\qva", 7), 0) << first;
  EXPECT_EQ(std::strncmp(second, "tmp\\qv", 6), 0) << second;
  EXPECT_EQ(std::strcmp(first + std::strlen(first) - 4, ".TMP"), 0);
  EXPECT_NE(GetFileAttributesA(first), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesA(second), INVALID_FILE_ATTRIBUTES);

  // A given number only composes the name.
  EXPECT_EQ(GetTempFileNameA("tmp", "q", 0x1A2B, first), 0x1A2Bu);
  EXPECT_STREQ(first, "tmp\\q1A2B.TMP");
  EXPECT_EQ(GetFileAttributesA(first), INVALID_FILE_ATTRIBUTES);

  EXPECT_EQ(GetTempFileNameA("nodir", "q", 0, first), 0u);
  EXPECT_NE(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  char temp_path[MAX_PATH];
  DWORD n = GetTempPathA(MAX_PATH, temp_path);
  ASSERT_GT(n, 0u);
  EXPECT_EQ(temp_path[n - 1], '\\');
}

TEST(WindowsDirectory, IsConfigurableAndDefaultsUnderHome) {
  TestDir dir;
  char buffer[MAX_PATH];
  qvp::SetWindowsDirectory((dir / "win").c_str());
  EXPECT_EQ(GetWindowsDirectoryA(buffer, MAX_PATH), (dir / "win").size());
  EXPECT_EQ(buffer, Backslashed(dir / "win"));

  qvp::SetWindowsDirectory(nullptr);
  const char* old_home = std::getenv("HOME");
  const std::string saved_home = old_home ? old_home : "";
  const char* old_env = std::getenv("QV_WINDOWS_DIR");
  const std::string saved_env = old_env ? old_env : "";
  ::setenv("HOME", dir.path().c_str(), 1);
  ::unsetenv("QV_WINDOWS_DIR");
  GetWindowsDirectoryA(buffer, MAX_PATH);
  EXPECT_EQ(buffer, Backslashed(dir / ".quorvane/windows"));
  EXPECT_EQ(GetFileAttributesA(buffer), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));  // made on demand
  ::setenv("QV_WINDOWS_DIR", (dir / "fromenv").c_str(), 1);
  GetWindowsDirectoryA(buffer, MAX_PATH);
  EXPECT_EQ(buffer, Backslashed(dir / "fromenv"));

  if (old_home) ::setenv("HOME", saved_home.c_str(), 1);
  if (old_env) {
    ::setenv("QV_WINDOWS_DIR", saved_env.c_str(), 1);
  } else {
    ::unsetenv("QV_WINDOWS_DIR");
  }
}

TEST(DiskFreeSpace, ThroughTheDriveMapAndNeverOverAShare) {
  TestDir dir;
  ASSERT_TRUE(qvp::SetDriveMapping('D', dir.path().c_str()));
  struct statvfs vfs;
  ASSERT_EQ(::statvfs(dir.path().c_str(), &vfs), 0);
  const uint64_t total = static_cast<uint64_t>(vfs.f_blocks) * vfs.f_frsize;

  ULARGE_INTEGER caller, total_bytes, free_bytes;
  ASSERT_TRUE(GetDiskFreeSpaceExA("d:\\", &caller, &total_bytes, &free_bytes));
  EXPECT_EQ(total_bytes.QuadPart, total);
  EXPECT_LE(caller.QuadPart, free_bytes.QuadPart);
  EXPECT_LE(free_bytes.QuadPart, total_bytes.QuadPart);

  DWORD spc = 0, bps = 0, free_clusters = 0, clusters = 0;
  ASSERT_TRUE(GetDiskFreeSpaceA("D:\\", &spc, &bps, &free_clusters, &clusters));
  const uint64_t cluster = static_cast<uint64_t>(spc) * bps;
  ASSERT_GT(cluster, 0u);
  EXPECT_LE(static_cast<uint64_t>(clusters) * cluster, total);
  EXPECT_GT(static_cast<uint64_t>(clusters) * cluster + cluster, total);  // nothing lost but the last cluster

  EXPECT_FALSE(GetDiskFreeSpaceExA("\\\\server\\share\\", &caller, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_NETPATH));
  EXPECT_FALSE(GetDiskFreeSpaceA("\\\\server\\share\\", &spc, &bps, &free_clusters, &clusters));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_NETPATH));
  EXPECT_FALSE(GetDiskFreeSpaceExA("Z:\\", &caller, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_TRUE(GetDiskFreeSpaceExA(nullptr, &caller, nullptr, nullptr));  // the current directory's volume
}

TEST(LogicalDrives, ListTheMappedDrives) {
  TestDir dir;
  char buffer[64];
  EXPECT_EQ(GetLogicalDriveStringsA(sizeof buffer, buffer), 0u);
  ASSERT_TRUE(qvp::SetDriveMapping('E', dir.path().c_str()));
  ASSERT_TRUE(qvp::SetDriveMapping('c', dir.path().c_str()));
  EXPECT_EQ(GetLogicalDriveStringsA(sizeof buffer, buffer), 8u);
  EXPECT_EQ(std::string(buffer, 9), std::string("C:\\\0E:\\\0\0", 9));
  EXPECT_EQ(GetLogicalDriveStringsA(5, buffer), 9u);
}

}  // namespace
