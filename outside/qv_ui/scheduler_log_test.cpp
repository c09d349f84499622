#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "qv_ui.h"
#include "shell_test_dir.h"

namespace {

TEST(SchedulerLog, LivesInTheProgramDirectoryAndIsCreatedOnce) {
  ProgramDirectoryForTest dir;
  const std::string name = QVUI_GetScheduleLogFilename(nullptr);
  EXPECT_EQ(name, ProgramDirectoryForTest::Windows((dir.path() / "SCHEDULE.LOG").string()));
  ASSERT_TRUE(QVUI_CreateSchedulerLogFile(nullptr));
  EXPECT_EQ(dir.Read("SCHEDULE.LOG"), "");
  ASSERT_TRUE(QVUI_WriteSchedulerLogFile(nullptr, "1 kept", nullptr));
  // Creating it again keeps what it holds.
  ASSERT_TRUE(QVUI_CreateSchedulerLogFile(nullptr));
  EXPECT_EQ(dir.Read("SCHEDULE.LOG"), "1 kept\r\n");
}

TEST(SchedulerLog, EachCallAppendsOneLine) {
  ProgramDirectoryForTest dir;
  ASSERT_TRUE(QVUI_WriteSchedulerLogFile(nullptr, "12/09/26 08:00:00\t\tWeb server", nullptr));
  ASSERT_TRUE(QVUI_WriteSchedulerLogFile(nullptr, "12/09/26 08:00:01, No log files found", "Reports"));
  ASSERT_TRUE(QVUI_WriteSchedulerLogFile(nullptr, "09 only", ""));
  // A text with line breaks cannot forge a second line.
  ASSERT_TRUE(QVUI_WriteSchedulerLogFile(nullptr, "1 two\r\nlines", "and\nmore"));
  EXPECT_EQ(dir.Read("SCHEDULE.LOG"),
            "12/09/26 08:00:00\t\tWeb server\r\n"
            "12/09/26 08:00:01, No log files found\tReports\r\n"
            "09 only\r\n"
            "1 two  lines\tand more\r\n");
}

TEST(SchedulerLog, ALineWithoutItsDateAndTimeIsLedByThePresentOnes) {
  ProgramDirectoryForTest dir;
  // A caller that passes its caption first still gets a line that begins with its time.
  ASSERT_TRUE(QVUI_WriteSchedulerLogFile(nullptr, "Reports", "No log files found"));
  ASSERT_TRUE(QVUI_WriteSchedulerLogFile(nullptr, "", nullptr));
  const std::string log = dir.Read("SCHEDULE.LOG");
  EXPECT_TRUE(std::regex_match(log, std::regex("\\d\\d/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d Reports\tNo log files found\r\n"
                                               "\\d\\d/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d \r\n")))
      << log;
}

TEST(SchedulerLog, WritersOnSeveralThreadsKeepTheirLinesWhole) {
  ProgramDirectoryForTest dir;
  constexpr int kThreads = 4;
  constexpr int kLines = 40;
  std::vector<std::thread> writers;
  std::vector<std::string> names(kThreads);
  for (int t = 0; t < kThreads; ++t) {
    writers.emplace_back([t, &names] {
      names[t] = QVUI_GetScheduleLogFilename(nullptr);
      const std::string text(30, static_cast<char>('1' + t));
      for (int i = 0; i < kLines; ++i) QVUI_WriteSchedulerLogFile(nullptr, text.c_str(), "end");
    });
  }
  for (auto& w : writers) w.join();
  const std::string log = dir.Read("SCHEDULE.LOG");
  size_t start = 0;
  int lines = 0;
  while (start < log.size()) {
    const size_t end = log.find("\r\n", start);
    ASSERT_NE(end, std::string::npos);
    const std::string line = log.substr(start, end - start);
    ASSERT_EQ(line.size(), 34u) << line;
    EXPECT_EQ(line.find_first_not_of(line[0]), 30u) << line;
    EXPECT_EQ(line.substr(30), "\tend");
    ++lines;
    start = end + 2;
  }
  EXPECT_EQ(lines, kThreads * kLines);
  for (const std::string& name : names) EXPECT_EQ(name, names[0]);
}

TEST(SchedulerLog, AKeptFilenameStaysValid) {
  ProgramDirectoryForTest first;
  const char* kept = QVUI_GetScheduleLogFilename(nullptr);
  const std::string text = kept;
  EXPECT_EQ(QVUI_GetScheduleLogFilename(nullptr), kept);  // the same path, the same text
  {
    ProgramDirectoryForTest second;
    EXPECT_NE(std::string(QVUI_GetScheduleLogFilename(nullptr)), text);
  }
  EXPECT_EQ(std::string(kept), text);
}

TEST(SchedulerLog, AMissingDirectoryIsAFailure) {
  ProgramDirectoryForTest dir;
  qvui::SetProgramDirectoryForTests(ProgramDirectoryForTest::Windows((dir.path() / "gone").string()));
  EXPECT_FALSE(QVUI_CreateSchedulerLogFile(nullptr));
  EXPECT_FALSE(QVUI_WriteSchedulerLogFile(nullptr, "line", nullptr));
}

}  // namespace
