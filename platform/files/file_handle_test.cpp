#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "files/test_dir.h"
#include "qvplatform/files.h"
#include "qvplatform/kernel.h"

namespace {

using qvp::test::TestDir;

HANDLE Open(const char* name, DWORD access, DWORD disposition) {
  return CreateFileA(name, access, FILE_SHARE_READ, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool WriteText(HANDLE h, const std::string& text) {
  DWORD written = 0;
  return WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size();
}

std::string ReadText(HANDLE h, DWORD max = 4096) {
  std::string buffer(max, '\0');
  DWORD got = 0;
  if (!ReadFile(h, buffer.data(), max, &got, nullptr)) return "<failed>";
  buffer.resize(got);
  return buffer;
}

TEST(FileHandle, WrittenUnderOneSpellingIsReadUnderAnotherAndNeverBecomesTwo) {
  TestDir dir;
  ASSERT_TRUE(CreateDirectoryA("QVM_ALRT", nullptr));
  ASSERT_TRUE(CreateDirectoryA("qvm_alrt\\DATFILES", nullptr));
  HANDLE h = Open("QVM_ALRT\\DATFILES\\x.amp", GENERIC_WRITE, CREATE_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(WriteText(h, "first"));
  CloseHandle(h);

  h = Open("qvm_alrt\\datfiles\\X.AMP", GENERIC_READ, OPEN_EXISTING);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(ReadText(h), "first");
  CloseHandle(h);

  h = Open("Qvm_Alrt\\DatFiles\\X.Amp", GENERIC_WRITE, CREATE_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  ASSERT_TRUE(WriteText(h, "second"));
  CloseHandle(h);

  EXPECT_EQ(dir.CountEntries(), 1u);
  EXPECT_EQ(dir.CountEntries("QVM_ALRT"), 1u);
  EXPECT_EQ(dir.CountEntries("QVM_ALRT/DATFILES"), 1u);
  EXPECT_EQ(dir.Read("QVM_ALRT/DATFILES/x.amp"), "second");
}

TEST(FileHandle, CreationDispositions) {
  TestDir dir;
  dir.Write("old.txt", "old content");

  HANDLE h = Open("old.txt", GENERIC_WRITE, CREATE_NEW);
  EXPECT_EQ(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));

  h = Open("new.txt", GENERIC_WRITE, CREATE_NEW);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);

  h = Open("OLD.TXT", GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(ReadText(h), "old content");  // not truncated
  CloseHandle(h);

  SetLastError(12345);
  h = Open("fresh.txt", GENERIC_WRITE, OPEN_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  CloseHandle(h);

  SetLastError(12345);
  h = Open("fresh2.txt", GENERIC_WRITE, CREATE_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  CloseHandle(h);

  h = Open("old.txt", GENERIC_WRITE, CREATE_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  CloseHandle(h);
  EXPECT_EQ(dir.Read("old.txt"), "");

  dir.Write("t.txt", "to be cut");
  h = Open("T.TXT", GENERIC_WRITE, TRUNCATE_EXISTING);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  EXPECT_EQ(dir.Read("t.txt"), "");

  EXPECT_EQ(Open("t.txt", GENERIC_READ, TRUNCATE_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(Open("t.txt", GENERIC_READ, 0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(Open("missing.txt", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(Open("missing.txt", GENERIC_WRITE, TRUNCATE_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(Open("nodir\\x.txt", GENERIC_WRITE, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST(FileHandle, DirectoriesAndReadOnlyFilesRefuseWhatWindowsRefuses) {
  TestDir dir;
  ASSERT_TRUE(CreateDirectoryA("sub", nullptr));
  EXPECT_EQ(Open("SUB", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(Open("sub", GENERIC_WRITE, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

  HANDLE h = CreateFileA("ro.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_READONLY, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(WriteText(h, "keep"));  // the creating handle may still write
  CloseHandle(h);
  EXPECT_EQ(Open("ro.txt", GENERIC_WRITE, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(Open("ro.txt", GENERIC_READ, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  h = Open("ro.txt", GENERIC_READ, OPEN_EXISTING);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(ReadText(h), "keep");
  CloseHandle(h);
}

TEST(FileHandle, AccessRightsOfAHandleAreEnforced) {
  TestDir dir;
  dir.Write("f.txt", "abc");
  HANDLE reader = Open("f.txt", GENERIC_READ, OPEN_EXISTING);
  HANDLE writer = Open("f.txt", GENERIC_WRITE, OPEN_EXISTING);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  DWORD n = 99;
  char c;
  EXPECT_FALSE(WriteFile(reader, "x", 1, &n, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(n, 0u);
  EXPECT_FALSE(ReadFile(writer, &c, 1, &n, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(SetEndOfFile(reader));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  CloseHandle(reader);
  CloseHandle(writer);
  EXPECT_EQ(dir.Read("f.txt"), "abc");
}

TEST(FileHandle, ReadsStopAtTheEndOfFile) {
  TestDir dir;
  dir.Write("f.txt", "hello");
  HANDLE h = Open("f.txt", GENERIC_READ, OPEN_EXISTING);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  char buffer[16];
  DWORD got = 0;
  ASSERT_TRUE(ReadFile(h, buffer, sizeof buffer, &got, nullptr));
  EXPECT_EQ(got, 5u);
  ASSERT_TRUE(ReadFile(h, buffer, sizeof buffer, &got, nullptr));
  EXPECT_EQ(got, 0u);  // at the end: success with nothing read
  CloseHandle(h);
}

TEST(FileHandle, FilePointerSizeAndEndOfFile) {
  TestDir dir;
  HANDLE h = Open("f.bin", GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(WriteText(h, "0123456789"));
  EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_CURRENT), 10u);
  EXPECT_EQ(SetFilePointer(h, 2, nullptr, FILE_BEGIN), 2u);
  EXPECT_EQ(ReadText(h, 3), "234");
  EXPECT_EQ(SetFilePointer(h, -2, nullptr, FILE_END), 8u);
  EXPECT_EQ(ReadText(h), "89");

  // A seek before the start fails and leaves the position where it was.
  EXPECT_EQ(SetFilePointer(h, -11, nullptr, FILE_END), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
  EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_CURRENT), 10u);
  EXPECT_EQ(SetFilePointer(h, 0, nullptr, 7), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  EXPECT_EQ(SetFilePointer(h, 4, nullptr, FILE_BEGIN), 4u);
  ASSERT_TRUE(SetEndOfFile(h));
  DWORD high = 99;
  EXPECT_EQ(GetFileSize(h, &high), 4u);
  EXPECT_EQ(high, 0u);
  ASSERT_TRUE(FlushFileBuffers(h));
  CloseHandle(h);
  EXPECT_EQ(dir.Read("f.bin"), "0123");
}

TEST(FileHandle, PositionsBeyondFourGigabytesUseTheHighPart) {
  TestDir dir;
  HANDLE h = Open("sparse.bin", GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  LONG high = 1;  // 4 GiB + 16
  EXPECT_EQ(SetFilePointer(h, 16, &high, FILE_BEGIN), 16u);
  EXPECT_EQ(high, 1);
  ASSERT_TRUE(SetEndOfFile(h));  // sparse: no real space used
  DWORD size_high = 0;
  EXPECT_EQ(GetFileSize(h, &size_high), 16u);
  EXPECT_EQ(size_high, 1u);
  // Without a high part the caller cannot be told such a position.
  EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_END), INVALID_SET_FILE_POINTER);
  EXPECT_NE(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  // A low part of all ones is a valid position, told apart by the last error.
  high = 0;
  EXPECT_EQ(SetFilePointer(h, -1, &high, FILE_BEGIN), 0xFFFFFFFFu);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(high, 0);
  high = -1;
  EXPECT_EQ(SetFilePointer(h, 0, &high, FILE_CURRENT), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
  CloseHandle(h);
}

TEST(FileHandle, ClosedAndForeignHandlesAreInvalid) {
  TestDir dir;
  HANDLE h = Open("f.txt", GENERIC_WRITE, CREATE_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(CloseHandle(h));
  DWORD n = 0;
  EXPECT_FALSE(WriteFile(h, "x", 1, &n, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(GetFileSize(h, nullptr), INVALID_FILE_SIZE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(ReadFile(INVALID_HANDLE_VALUE, &n, 1, &n, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  // A search handle is not a file.
  dir.Write("a.txt", "");
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA("*.txt", &data);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  EXPECT_EQ(SetFilePointer(search, 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  FindClose(search);
}

TEST(FileHandle, LastWriteTimeRoundTrips) {
  TestDir dir;
  HANDLE h = Open("f.txt", GENERIC_WRITE, CREATE_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  FILETIME set;
  set.dwHighDateTime = 0x01D00000;  // a date in 2014
  set.dwLowDateTime = 0x12345670;
  ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &set));
  FILETIME created, accessed, written;
  ASSERT_TRUE(GetFileTime(h, &created, &accessed, &written));
  EXPECT_EQ(written.dwHighDateTime, set.dwHighDateTime);
  EXPECT_EQ(written.dwLowDateTime, set.dwLowDateTime);
  EXPECT_GT(created.dwHighDateTime, 0x01D00000u);  // made now, well after 2014
  CloseHandle(h);
}

}  // namespace

namespace {

std::string FinalPath(HANDLE h) {
  char path[4096];
  const DWORD length = GetFinalPathNameByHandleA(h, path, sizeof path, 0);
  return length > 0 && length < sizeof path ? std::string(path, length) : std::string();
}

std::string WindowsForm(std::string path) {
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

}  // namespace

TEST(FileHandle, TheFinalPathResolvesLinksForFilesAndFolders) {
  TestDir dir;
  ASSERT_TRUE(CreateDirectoryA("real", nullptr));
  HANDLE h = CreateFileA("real\\file.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  std::filesystem::create_directory_symlink(dir.path() + "/real", dir.path() + "/link");

  h = Open("LINK\\file.txt", GENERIC_READ, OPEN_EXISTING);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(FinalPath(h), WindowsForm(dir.path() + "/real/file.txt"));
  char tiny[4];
  EXPECT_EQ(GetFinalPathNameByHandleA(h, tiny, sizeof tiny, 0), WindowsForm(dir.path() + "/real/file.txt").size() + 1);
  CloseHandle(h);

  // A folder opens for its path only, with backup semantics.
  h = CreateFileA("link", 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(FinalPath(h), WindowsForm(dir.path() + "/real"));
  CloseHandle(h);
  EXPECT_EQ(CreateFileA("link", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetFinalPathNameByHandleA(nullptr, tiny, sizeof tiny, 0), 0u);
}
