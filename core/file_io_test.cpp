#include "file_io.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "program_paths.h"
#include "test_dir.h"
#include "test_strings.h"

namespace {

// Every message box is recorded; one a test did not expect fails it.
class FileIoTest : public ::testing::Test {
 protected:
  void SetUp() override { qvp::TakeUnexpectedPrompts(); }
  void TearDown() override { EXPECT_TRUE(qvp::TakeUnexpectedPrompts().empty()); }

  TestDir dir_;
  TestStrings strings_{{{10018, "Not enough memory."},
                        {10019, "Cannot lock memory."},
                        {10020, "Memory is still locked."},
                        {10021, "Cannot free memory."},
                        {10032, "Cannot open %s."}}};
};

std::string Pattern(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>('a' + (i * 7 + i / 251) % 26);
  return bytes;
}

TEST_F(FileIoTest, LockedBufferIsZeroFilledWithSpareBytes) {
  HGLOBAL holder = nullptr;
  auto* data = static_cast<unsigned char*>(AllocLockedBuffer(&holder, 10));
  ASSERT_NE(data, nullptr);
  ASSERT_NE(holder, nullptr);
  for (DWORD i = 0; i < 10 + kLockedBufferSpare; ++i) ASSERT_EQ(data[i], 0) << i;
  FreeLockedBuffer(&holder);
  EXPECT_EQ(holder, nullptr);
  FreeLockedBuffer(&holder);  // an empty holder stays empty, silently
  EXPECT_EQ(holder, nullptr);
}

TEST_F(FileIoTest, BlockStillLockedElsewhereIsKeptWithAMessage) {
  HGLOBAL holder = nullptr;
  ASSERT_NE(AllocLockedBuffer(&holder, 100), nullptr);
  HGLOBAL block = holder;
  ASSERT_NE(GlobalLock(block), nullptr);  // a second lock
  qvp::PromptScript script;
  script.ExpectMessageBox("Memory is still locked.", IDOK);
  FreeLockedBuffer(&holder);
  EXPECT_EQ(holder, nullptr);
  EXPECT_EQ(script.Pending(), 0u);
  // The block was not freed: its last lock can still be released.
  EXPECT_FALSE(GlobalUnlock(block));
  EXPECT_EQ(GlobalFree(block), nullptr);
}

TEST_F(FileIoTest, SizeWhoseBlockWouldPassFourGigabytesIsRefused) {
  qvp::PromptScript script;
  script.ExpectMessageBox("Not enough memory.", IDOK);
  HGLOBAL holder = reinterpret_cast<HGLOBAL>(1);
  EXPECT_EQ(AllocLockedBuffer(&holder, 0xfffffff0u), nullptr);
  EXPECT_EQ(holder, nullptr);
  const auto records = script.Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].caption, "Quorvane");
  EXPECT_EQ(records[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
}

TEST_F(FileIoTest, FileOfTwoFullPiecesReadsWholeAndEndsInZeros) {
  const std::string bytes = Pattern(2 * kWholeFilePiece);
  dir_.write("two.bin", bytes);
  HGLOBAL holder = nullptr;
  DWORD size = 0;
  const std::string path = dir_.file("two.bin");
  auto* data = static_cast<const char*>(
      ReadWholeFile(path.c_str(), &holder, TRUE, FILE_SHARE_READ, &size));
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(size, 64000u);
  EXPECT_EQ(std::string(data, size), bytes);
  for (DWORD i = 0; i < kLockedBufferSpare; ++i) ASSERT_EQ(data[size + i], '\0') << i;
  FreeLockedBuffer(&holder);
}

TEST_F(FileIoTest, OddSizesAndEmptyFilesReadWhole) {
  for (size_t length : {size_t{0}, size_t{1}, size_t{31999}, size_t{32001}, size_t{100000}}) {
    const std::string bytes = Pattern(length);
    dir_.write("f.bin", bytes);
    HGLOBAL holder = nullptr;
    DWORD size = 12345;
    const std::string path = dir_.file("f.bin");
    auto* data = static_cast<const char*>(ReadWholeFile(path.c_str(), &holder, FALSE, 0, &size));
    ASSERT_NE(data, nullptr) << length;
    EXPECT_EQ(size, length);
    EXPECT_EQ(std::string(data, size), bytes);
    EXPECT_EQ(data[size], '\0');
    FreeLockedBuffer(&holder);
  }
}

TEST_F(FileIoTest, MissingFileGivesNullWithoutAMessage) {
  HGLOBAL holder = reinterpret_cast<HGLOBAL>(1);
  DWORD size = 5;
  const std::string path = dir_.file("missing.txt");
  EXPECT_EQ(ReadWholeFile(path.c_str(), &holder, TRUE, 0, &size), nullptr);
  EXPECT_EQ(holder, nullptr);
  EXPECT_EQ(size, 0u);
}

TEST_F(FileIoTest, FileLargerThanFourGigabytesIsRefused) {
  // A sparse file: no disk space is used.
  {
    std::ofstream(dir_.path() / "huge.bin");
  }
  std::error_code error;
  std::filesystem::resize_file(dir_.path() / "huge.bin", (1ull << 32) + 10, error);
  if (error) GTEST_SKIP() << "no sparse files here: " << error.message();
  qvp::PromptScript script;
  script.ExpectMessageBox("Not enough memory.", IDOK);
  HGLOBAL holder = nullptr;
  DWORD size = 0;
  const std::string path = dir_.file("huge.bin");
  EXPECT_EQ(ReadWholeFile(path.c_str(), &holder, TRUE, 0, &size), nullptr);
  EXPECT_EQ(holder, nullptr);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(script.Pending(), 0u);
}

TEST_F(FileIoTest, FileThatCannotBeOpenedIsNamedInAWarning) {
  std::filesystem::create_directory(dir_.path() / "folder");
  const std::string path = dir_.file("folder");
  HGLOBAL holder = nullptr;
  DWORD size = 0;
  EXPECT_EQ(ReadWholeFile(path.c_str(), &holder, FALSE, 0, &size), nullptr);  // silently
  qvp::PromptScript script;
  script.ExpectMessageBox("Cannot open", IDOK);
  EXPECT_EQ(ReadWholeFile(path.c_str(), &holder, TRUE, 0, &size), nullptr);
  EXPECT_EQ(holder, nullptr);
  const auto records = script.Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].caption, "Quorvane");
  EXPECT_EQ(records[0].text, "Cannot open " + path + ".");
  EXPECT_EQ(records[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONWARNING));
}

TEST_F(FileIoTest, WriteWholeFileWritesEveryPiece) {
  const std::string bytes = Pattern(2 * kWholeFilePiece + 17);
  const std::string path = dir_.file("out.bin");
  dir_.write("out.bin", std::string(200000, 'x'));  // truncated first
  EXPECT_EQ(WriteWholeFile(path.c_str(), bytes.data(), static_cast<DWORD>(bytes.size())), 1);
  EXPECT_EQ(dir_.read("out.bin"), bytes);
  EXPECT_EQ(WriteWholeFile(path.c_str(), "", 0), 1);
  EXPECT_EQ(dir_.read("out.bin"), "");
}

TEST_F(FileIoTest, WriteWholeFileReportsAFailedWrite) {
  const std::string bytes = Pattern(1000);
  const DWORD size = static_cast<DWORD>(bytes.size());
  // A device that is always full.
  if (std::filesystem::exists("/dev/full")) {
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(WriteWholeFile("/dev/full", bytes.data(), size), 0);
    EXPECT_NE(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  }
  // A file nobody may write, root included.
  if (std::filesystem::exists("/proc/version")) {
    EXPECT_EQ(WriteWholeFile("/proc/version", bytes.data(), size), 0);
  }
  // A folder that does not exist.
  const std::string nowhere = dir_.file("no_such_dir/out.bin");
  EXPECT_EQ(WriteWholeFile(nowhere.c_str(), bytes.data(), size), 0);
  EXPECT_EQ(WriteWholeFile(dir_.file("null.bin").c_str(), nullptr, 10), 0);
}

TEST_F(FileIoTest, FileExistsFillsTheFindData) {
  dir_.write("here.txt", "12345");
  WIN32_FIND_DATAA found{};
  EXPECT_TRUE(FileExists(dir_.file("here.txt").c_str(), &found));
  EXPECT_EQ(found.nFileSizeLow, 5u);
  EXPECT_STREQ(found.cFileName, "here.txt");
  EXPECT_TRUE(FileExists(dir_.file("HERE.TXT").c_str(), nullptr));
  EXPECT_FALSE(FileExists(dir_.file("gone.txt").c_str(), nullptr));
}

}  // namespace
