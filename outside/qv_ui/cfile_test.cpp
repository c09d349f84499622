#include <gtest/gtest.h>

#include <string>

#include "qv_ui.h"
#include "test_files.h"

namespace {

std::string ReadAll(CFile& file) {
  std::string text;
  char buffer[7];  // small, so that reads end inside the file and at its end
  for (DWORD got; (got = file.Read(buffer, sizeof buffer)) > 0;) text.append(buffer, got);
  return text;
}

TEST(CFileTest, WriteSeekAndReadBack) {
  qvtest::TempDir dir("qvui_cfile");
  const std::string path = dir.file("data.bin");
  CFile file;
  ASSERT_TRUE(file.Open(path.c_str(), CFile::modeReadWrite | CFile::modeCreate));
  EXPECT_STREQ(file.GetFilePath(), path.c_str());
  ASSERT_TRUE(file.Write("hello world", 11));
  EXPECT_EQ(file.GetPosition(), 11);
  EXPECT_EQ(file.GetLength(), 11);
  EXPECT_EQ(file.Seek(-5, CFile::end), 6);
  char word[5];
  EXPECT_EQ(file.Read(word, sizeof word), 5u);
  EXPECT_EQ(std::string(word, 5), "world");

  // At the end a read answers 0 and is no failure.
  EXPECT_EQ(file.Read(word, sizeof word), 0u);
  EXPECT_EQ(file.LastError(), 0u);

  // Seeking past the end is allowed; a write there leaves a gap of zeros.
  EXPECT_EQ(file.Seek(3, CFile::current), 14);
  ASSERT_TRUE(file.Write("!", 1));
  EXPECT_EQ(file.GetLength(), 15);
  EXPECT_EQ(file.SeekToBegin(), 0);
  EXPECT_EQ(ReadAll(file), std::string("hello world\0\0\0!", 15));

  // A position before the start is refused and the position stays.
  EXPECT_EQ(file.Seek(-100, CFile::end), -1);
  EXPECT_EQ(file.LastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
  EXPECT_EQ(file.Seek(0, 7), -1);
  EXPECT_EQ(file.LastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(file.GetPosition(), 15);

  // Positions beyond 4 GiB keep their high part.
  const LONGLONG far = 5LL * 1024 * 1024 * 1024 + 3;
  EXPECT_EQ(file.Seek(far, CFile::begin), far);
  EXPECT_EQ(file.GetLength(), 15);
  EXPECT_TRUE(file.Flush());
  EXPECT_TRUE(file.Close());
  EXPECT_EQ(dir.read("data.bin"), std::string("hello world\0\0\0!", 15));
}

TEST(CFileTest, SetLengthGrowsAndCutsAndKeepsThePosition) {
  qvtest::TempDir dir("qvui_cfile");
  dir.write("a.txt", "0123456789");
  CFile file;
  ASSERT_TRUE(file.Open(dir.file("a.txt").c_str(), CFile::modeReadWrite));
  EXPECT_EQ(file.Seek(8, CFile::begin), 8);

  EXPECT_TRUE(file.SetLength(4));
  EXPECT_EQ(file.GetLength(), 4);
  EXPECT_EQ(file.GetPosition(), 8);  // now past the end
  char c;
  EXPECT_EQ(file.Read(&c, 1), 0u);

  EXPECT_TRUE(file.SetLength(12));
  EXPECT_EQ(file.GetLength(), 12);
  EXPECT_EQ(file.GetPosition(), 8);
  file.SeekToBegin();
  EXPECT_EQ(ReadAll(file), std::string("0123\0\0\0\0\0\0\0\0", 12));

  EXPECT_FALSE(file.SetLength(-1));
  EXPECT_EQ(file.LastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
  EXPECT_EQ(file.GetLength(), 12);
}

TEST(CFileTest, OpenModes) {
  qvtest::TempDir dir("qvui_cfile");
  const std::string path = dir.file("m.txt");
  CFile file;
  EXPECT_FALSE(file.Open(path.c_str(), CFile::modeRead));  // no modeCreate: must exist
  EXPECT_EQ(file.LastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(file.IsOpen());
  EXPECT_FALSE(file.Open(path.c_str(), 3));
  EXPECT_EQ(file.LastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(file.Open(nullptr, CFile::modeRead));

  dir.write("m.txt", "keep");
  ASSERT_TRUE(file.Open(path.c_str(), CFile::modeWrite | CFile::modeCreate | CFile::modeNoTruncate));
  EXPECT_EQ(file.GetLength(), 4);
  char c;
  EXPECT_EQ(file.Read(&c, 1), 0u);  // opened for writing only
  EXPECT_EQ(file.LastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

  // Opening again closes the first file.
  ASSERT_TRUE(file.Open(path.c_str(), CFile::modeRead));
  EXPECT_FALSE(file.Write("x", 1));
  EXPECT_EQ(file.LastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(file.SetLength(0));
  EXPECT_EQ(file.GetLength(), 4);
  EXPECT_EQ(file.GetPosition(), 0);

  ASSERT_TRUE(file.Open(path.c_str(), CFile::modeWrite | CFile::modeCreate));  // truncates
  EXPECT_EQ(file.GetLength(), 0);
}

TEST(CFileTest, EveryCallOnAClosedFileFailsCleanly) {
  qvtest::TempDir dir("qvui_cfile");
  CFile never;
  CFile closed;
  ASSERT_TRUE(closed.Open(dir.file("c.txt").c_str(), CFile::modeReadWrite | CFile::modeCreate));
  ASSERT_TRUE(closed.Close());
  EXPECT_STREQ(closed.GetFilePath(), "");
  for (CFile* file : {&never, &closed}) {
    char buffer[4];
    EXPECT_FALSE(file->Close());
    EXPECT_EQ(file->Read(buffer, sizeof buffer), 0u);
    EXPECT_FALSE(file->Write("x", 1));
    EXPECT_EQ(file->Seek(0, CFile::begin), -1);
    EXPECT_EQ(file->GetPosition(), -1);
    EXPECT_EQ(file->GetLength(), -1);
    EXPECT_FALSE(file->SetLength(1));
    EXPECT_FALSE(file->Flush());
    EXPECT_EQ(file->LastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  }
  EXPECT_EQ(dir.read("c.txt"), "");
}

}  // namespace
