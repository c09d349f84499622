#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "files/test_dir.h"
#include "qvplatform/ini.h"

namespace {

using qvp::test::TestDir;

std::string KeyOf(int writer, int i) { return "w" + std::to_string(writer) + "_k" + std::to_string(i); }
std::string ValueOf(int writer, int i) { return "value " + std::to_string(writer) + "/" + std::to_string(i); }

// A complete file written by the test's writers: every line ends in CRLF and is
// the header or one whole "key=value" entry.
bool IsComplete(std::string_view text, size_t* entries) {
  *entries = 0;
  if (text.empty()) return true;
  constexpr std::string_view kHeader = "[Shared]\r\n";
  if (text.substr(0, kHeader.size()) != kHeader || text.size() < 2 ||
      text.substr(text.size() - 2) != "\r\n") {
    return false;
  }
  for (size_t pos = kHeader.size(); pos < text.size();) {
    size_t end = text.find("\r\n", pos);
    std::string_view line = text.substr(pos, end - pos);
    size_t eq = line.find('=');
    if (eq == std::string_view::npos || line.substr(eq + 1, 6) != "value ") return false;
    ++*entries;
    pos = end + 2;
  }
  return true;
}

TEST(ProfileConcurrency, EightThreadsLoseNoKeyAndReadersNeverSeeHalfAFile) {
  TestDir dir;
  constexpr int kWriters = 8;
  constexpr int kKeys = 500;
  const std::string file = dir / "shared.ini";
  std::atomic<int> writers_done{0};
  std::atomic<int> write_failures{0};
  std::atomic<int> bad_reads{0};
  std::atomic<int> reads{0};

  // The reader takes the raw file as it finds it, paced so as not to starve the writers.
  std::thread reader([&] {
    size_t last = 0;
    while (writers_done.load() < kWriters) {
      size_t entries = 0;
      if (!IsComplete(dir.Read("shared.ini"), &entries) || entries < last) ++bad_reads;
      last = entries;
      ++reads;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  });
  std::vector<std::thread> writers;
  for (int w = 0; w < kWriters; ++w) {
    writers.emplace_back([&, w] {
      for (int i = 0; i < kKeys; ++i) {
        if (!WritePrivateProfileStringA("Shared", KeyOf(w, i).c_str(), ValueOf(w, i).c_str(), file.c_str())) {
          ++write_failures;
        }
      }
      ++writers_done;
    });
  }
  for (std::thread& t : writers) t.join();
  reader.join();

  EXPECT_EQ(write_failures.load(), 0);
  EXPECT_EQ(bad_reads.load(), 0) << "of " << reads.load() << " reads";
  size_t entries = 0;
  ASSERT_TRUE(IsComplete(dir.Read("shared.ini"), &entries));
  EXPECT_EQ(entries, static_cast<size_t>(kWriters * kKeys));
  for (int w = 0; w < kWriters; ++w) {
    for (int i = 0; i < kKeys; i += 37) {
      char value[64];
      GetPrivateProfileStringA("shared", KeyOf(w, i).c_str(), "", value, sizeof value, file.c_str());
      EXPECT_EQ(value, ValueOf(w, i));
    }
  }
  EXPECT_EQ(dir.CountEntries(), 1u);  // no temporary file left behind
}

TEST(ProfileConcurrency, TwoSpellingsOfANewFileMakeOneFile) {
  TestDir dir;
  for (int round = 0; round < 20; ++round) {
    const std::string upper = dir / ("ROUND" + std::to_string(round) + ".INI");
    const std::string lower = dir / ("round" + std::to_string(round) + ".ini");
    std::thread a([&] { WritePrivateProfileStringA("S", "a", "1", upper.c_str()); });
    std::thread b([&] { WritePrivateProfileStringA("s", "b", "2", lower.c_str()); });
    a.join();
    b.join();
    EXPECT_EQ(GetPrivateProfileIntA("S", "a", 0, lower.c_str()), 1u);
    EXPECT_EQ(GetPrivateProfileIntA("S", "b", 0, upper.c_str()), 2u);
  }
  EXPECT_EQ(dir.CountEntries(), 20u);
}

TEST(ProfileConcurrency, ProcessesWritingOneFileLoseNoKey) {
  TestDir dir;
  constexpr int kProcesses = 4;
  constexpr int kKeys = 100;
  const std::string file = dir / "shared.ini";
  std::vector<pid_t> children;
  for (int p = 0; p < kProcesses; ++p) {
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      int failures = 0;
      for (int i = 0; i < kKeys; ++i) {
        if (!WritePrivateProfileStringA("Shared", KeyOf(p, i).c_str(), ValueOf(p, i).c_str(), file.c_str())) {
          ++failures;
        }
      }
      ::_exit(failures == 0 ? 0 : 1);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  size_t entries = 0;
  ASSERT_TRUE(IsComplete(dir.Read("shared.ini"), &entries));
  EXPECT_EQ(entries, static_cast<size_t>(kProcesses * kKeys));
}

}  // namespace
