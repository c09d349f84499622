// The status log library: entries come back whole and in order, whatever
// happens around the file.
#include "qv_logstat.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "entry_format.h"
#include "test_files.h"

namespace {

using Entry = std::vector<std::pair<long, std::string>>;

int Write(const std::string& path, const Entry& entry) {
  std::vector<QVLS_FIELD> fields(entry.size());
  for (size_t n = 0; n < entry.size(); ++n) {
    fields[n].type = static_cast<LONG>(entry[n].first);
    lstrcpynA(fields[n].text, entry[n].second.c_str(), sizeof fields[n].text);
  }
  return QVLS_WriteEntryIntoLogStatusFile(nullptr, fields.data(), static_cast<int>(fields.size()), 0, path.c_str(), 0);
}

// Reads one entry: 1 with it in *out, 0 none yet, -1 error.
int ReadOne(HQVLSREADER reader, Entry* out) {
  QVLS_ENTRY_FIELD* fields = nullptr;
  int count = 0;
  const int result = QVLS_ReadEntryFromLogStatusFile(reader, &fields, &count);
  out->clear();
  for (int n = 0; n < count; ++n) out->emplace_back(fields[n].type, fields[n].text);
  QVLS_FreeEntry(fields);
  return result;
}

std::vector<Entry> ReadAll(const std::string& path) {
  HQVLSREADER reader = QVLS_LogStatusFileStartup(path.c_str());
  std::vector<Entry> entries;
  Entry entry;
  while (ReadOne(reader, &entry) == 1) entries.push_back(entry);
  QVLS_LogStatusFileCleanup(reader);
  return entries;
}

void AppendRaw(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::app) << bytes;
}

class LogStatusTest : public ::testing::Test {
 protected:
  qvtest::TempDir dir_{"qvls"};
  std::string path_ = dir_.file("status.log");
};

TEST_F(LogStatusTest, EntriesComeBackWithTheirFieldsInOrderAndAWritingTime) {
  const Entry hello = {{1, "host"}, {4, "HELLO"}, {9, "user"}};
  const Entry init = {{1, "host"}, {2, "127.0.0.1"}, {4, "INIT"}, {5, ""}, {10, "0 Up"}};
  const long before = static_cast<long>(std::time(nullptr));
  ASSERT_EQ(Write(path_, hello), 1);
  ASSERT_EQ(Write(path_, init), 1);
  EXPECT_EQ(ReadAll(path_), (std::vector<Entry>{hello, init}));

  HQVLSREADER reader = QVLS_LogStatusFileStartup(path_.c_str());
  QVLS_ENTRY_FIELD* fields = nullptr;
  int count = 0;
  ASSERT_EQ(QVLS_ReadEntryFromLogStatusFile(reader, &fields, &count), 1);
  EXPECT_GE(fields[0].time, before);
  EXPECT_LE(fields[0].time, static_cast<long>(std::time(nullptr)));
  QVLS_FreeEntry(fields);
  QVLS_LogStatusFileCleanup(reader);
}

TEST_F(LogStatusTest, TextsAreKeptUpTo259CharactersAndBadArgumentsAreRefused) {
  QVLS_FIELD field{};
  field.type = 11;
  std::memset(field.text, 'x', sizeof field.text);  // no terminator at all
  ASSERT_EQ(QVLS_WriteEntryIntoLogStatusFile(nullptr, &field, 1, 0, path_.c_str(), 0), 1);
  const std::vector<Entry> entries = ReadAll(path_);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0][0].second, std::string(259, 'x'));

  EXPECT_EQ(QVLS_WriteEntryIntoLogStatusFile(nullptr, &field, 0, 0, path_.c_str(), 0), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(QVLS_WriteEntryIntoLogStatusFile(nullptr, &field, QVLS_MAX_FIELDS + 1, 0, path_.c_str(), 0), 0);
  EXPECT_EQ(QVLS_WriteEntryIntoLogStatusFile(nullptr, nullptr, 1, 0, path_.c_str(), 0), 0);
  EXPECT_EQ(QVLS_WriteEntryIntoLogStatusFile(nullptr, &field, 1, 0, nullptr, 0), 0);
  EXPECT_EQ(QVLS_WriteEntryIntoLogStatusFile(nullptr, &field, 1, 0, dir_.file("no/such/dir/x.log").c_str(), 0), 0);
  EXPECT_EQ(QVLS_LogStatusFileStartup(nullptr), nullptr);
  EXPECT_EQ(QVLS_ReadEntryFromLogStatusFile(nullptr, nullptr, nullptr), -1);
}

TEST_F(LogStatusTest, AMissingFileReadsAsEmptyUntilItAppears) {
  HQVLSREADER reader = QVLS_LogStatusFileStartup(path_.c_str());
  Entry entry;
  EXPECT_EQ(ReadOne(reader, &entry), 0);
  ASSERT_EQ(Write(path_, {{4, "HELLO"}}), 1);
  EXPECT_EQ(ReadOne(reader, &entry), 1);
  EXPECT_EQ(entry, (Entry{{4, "HELLO"}}));
  EXPECT_EQ(ReadOne(reader, &entry), 0);
  QVLS_LogStatusFileCleanup(reader);
}

TEST_F(LogStatusTest, ConcurrentWritersNeverMixTheirEntries) {
  constexpr int kThreads = 8;
  constexpr int kEach = 150;
  std::vector<std::thread> writers;
  std::atomic<int> failures{0};
  for (int t = 0; t < kThreads; ++t) {
    writers.emplace_back([&, t] {
      // Long texts make every entry several hundred bytes.
      const std::string filler(200, static_cast<char>('a' + t));
      for (int n = 0; n < kEach; ++n) {
        if (Write(path_, {{1, std::to_string(t)}, {2, std::to_string(n)}, {3, filler}}) != 1) ++failures;
      }
    });
  }
  for (std::thread& writer : writers) writer.join();
  EXPECT_EQ(failures.load(), 0);

  std::map<int, int> next;  // each writer's entries in its own order
  const std::vector<Entry> entries = ReadAll(path_);
  ASSERT_EQ(entries.size(), static_cast<size_t>(kThreads * kEach));
  for (const Entry& entry : entries) {
    ASSERT_EQ(entry.size(), 3u);
    const int t = std::stoi(entry[0].second);
    EXPECT_EQ(std::stoi(entry[1].second), next[t]++);
    EXPECT_EQ(entry[2].second, std::string(200, static_cast<char>('a' + t)));
  }
}

TEST_F(LogStatusTest, AReaderDuringWritesSeesOnlyWholeEntriesInOrder) {
  constexpr int kCount = 2000;
  std::thread writer([&] {
    for (int n = 0; n < kCount; ++n) Write(path_, {{8, std::to_string(n)}, {11, std::string(n % 250, 'm')}});
  });
  HQVLSREADER reader = QVLS_LogStatusFileStartup(path_.c_str());
  int expected = 0;
  Entry entry;
  // Reads as the entries appear; a read that finds nothing new is tried again.
  while (expected < kCount) {
    const int result = ReadOne(reader, &entry);
    ASSERT_NE(result, -1);
    if (result == 0) {
      std::this_thread::yield();
      continue;
    }
    ASSERT_EQ(entry.size(), 2u);
    ASSERT_EQ(entry[0].second, std::to_string(expected));
    ASSERT_EQ(entry[1].second, std::string(expected % 250, 'm'));
    ++expected;
  }
  writer.join();
  EXPECT_EQ(ReadOne(reader, &entry), 0);
  QVLS_LogStatusFileCleanup(reader);
}

TEST_F(LogStatusTest, ADeletedFileIsMadeAnewByTheNextWrite) {
  ASSERT_EQ(Write(path_, {{4, "OLD"}}), 1);
  HQVLSREADER old = QVLS_LogStatusFileStartup(path_.c_str());
  Entry entry;
  ASSERT_EQ(ReadOne(old, &entry), 1);

  ASSERT_TRUE(DeleteFileA(path_.c_str()));
  ASSERT_EQ(Write(path_, {{4, "NEW"}}), 1);
  EXPECT_EQ(ReadAll(path_), (std::vector<Entry>{{{4, "NEW"}}}));
  EXPECT_EQ(ReadOne(old, &entry), 0);  // the reader of the deleted file finds nothing to misread
  QVLS_LogStatusFileCleanup(old);

  // Deleting while writers run loses no writer's result and leaves a readable file.
  std::atomic<bool> stop{false};
  std::atomic<int> failures{0};
  std::thread writer([&] {
    for (int n = 0; !stop.load(); ++n) {
      if (Write(path_, {{8, std::to_string(n)}}) != 1) ++failures;
    }
  });
  for (int n = 0; n < 50; ++n) {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
    std::this_thread::yield();
  }
  stop = true;
  writer.join();
  EXPECT_EQ(failures.load(), 0);
  ASSERT_EQ(Write(path_, {{4, "LAST"}}), 1);
  const std::vector<Entry> entries = ReadAll(path_);
  ASSERT_FALSE(entries.empty());
  EXPECT_EQ(entries.back(), (Entry{{4, "LAST"}}));
  for (const Entry& kept : entries) EXPECT_EQ(kept.size(), 1u);
}

TEST_F(LogStatusTest, ATornEntryIsSkippedAndTheEntriesAfterItAreFound) {
  ASSERT_EQ(Write(path_, {{4, "FIRST"}}), 1);
  const std::string whole = dir_.read("status.log");
  // Every cut of a whole entry, as a crash in mid-write leaves it.
  for (size_t cut = 1; cut < whole.size(); ++cut) {
    std::filesystem::remove(path_);
    ASSERT_EQ(Write(path_, {{4, "FIRST"}}), 1);
    AppendRaw(path_, whole.substr(0, cut));
    EXPECT_EQ(ReadAll(path_), (std::vector<Entry>{{{4, "FIRST"}}})) << cut;
    ASSERT_EQ(Write(path_, {{4, "AFTER"}}), 1);
    EXPECT_EQ(ReadAll(path_), (std::vector<Entry>{{{4, "FIRST"}}, {{4, "AFTER"}}})) << cut;
  }
}

TEST_F(LogStatusTest, DamagedBytesAreNeverReadAsAnEntry) {
  ASSERT_EQ(Write(path_, {{4, "ONE"}, {5, "UP"}}), 1);
  ASSERT_EQ(Write(path_, {{4, "TWO"}}), 1);
  const std::string whole = dir_.read("status.log");
  const size_t first = whole.find("QVLS", 1);
  ASSERT_NE(first, std::string::npos);
  // One flipped bit anywhere in the first entry drops that entry only.
  for (size_t at = 0; at < first; ++at) {
    std::string damaged = whole;
    damaged[at] = static_cast<char>(damaged[at] ^ 0x10);
    dir_.write("status.log", damaged);
    const std::vector<Entry> entries = ReadAll(path_);
    ASSERT_FALSE(entries.empty()) << at;
    EXPECT_EQ(entries.back(), (Entry{{4, "TWO"}})) << at;
    EXPECT_EQ(entries.size(), 1u) << at;
  }
  // Garbage before, between and after entries is passed over.
  dir_.write("status.log", "garbageQVLS\x01\x02" + whole.substr(0, first) + "QVQV" + whole.substr(first) + "QVL");
  EXPECT_EQ(ReadAll(path_), (std::vector<Entry>{{{4, "ONE"}, {5, "UP"}}, {{4, "TWO"}}}));
}

// The checksum of any span follows from the states around it, also after the
// buffer dropped bytes at its front.
TEST(LogStatusCrcIndex, SpansMatchTheDirectChecksum) {
  std::vector<unsigned char> bytes(40000);
  uint32_t seed = 12345;
  for (unsigned char& b : bytes) {
    seed = seed * 1103515245u + 12345u;
    b = static_cast<unsigned char>(seed >> 16);
  }
  qvls::CrcIndex index;
  index.Append(bytes.data(), 100);
  index.Append(bytes.data() + 100, bytes.size() - 100);
  for (auto [from, to] : {std::pair<size_t, size_t>{0, 0}, {0, 1}, {0, 16966}, {5, 6}, {17, 16983}, {23034, 40000}}) {
    EXPECT_EQ(index.Span(from, to), qvls::Crc32(bytes.data() + from, to - from)) << from << ".." << to;
  }
  index.DropFront(1000);
  EXPECT_EQ(index.Span(0, 16966), qvls::Crc32(bytes.data() + 1000, 16966));
  EXPECT_EQ(index.Span(3000, 3333), qvls::Crc32(bytes.data() + 4000, 333));
}

// A megabyte of headers that each claim a long body and whose checksums never
// match, between whole entries: every header is passed over, each without
// checksumming its claimed body again, and the entries around are found.
TEST_F(LogStatusTest, RepeatedFalseHeadersArePassedOverAndTheEntriesAroundFound) {
  ASSERT_EQ(Write(path_, {{4, "BEFORE"}}), 1);
  std::string header("QVLS", 4);
  for (uint32_t word : {0x4246u, 0x4246u ^ qvls::kLengthCheck, 0u}) {
    for (int shift = 0; shift < 32; shift += 8) header += static_cast<char>((word >> shift) & 0xFFu);
  }
  std::string junk;
  while (junk.size() < (1u << 20)) junk += header;
  AppendRaw(path_, junk);
  ASSERT_EQ(Write(path_, {{4, "AFTER"}}), 1);
  EXPECT_EQ(ReadAll(path_), (std::vector<Entry>{{{4, "BEFORE"}}, {{4, "AFTER"}}}));
  // Cut short, the same headers end the file: the reader waits for the rest.
  dir_.write("status.log", junk.substr(0, 100000));
  EXPECT_TRUE(ReadAll(path_).empty());
}

}  // namespace
