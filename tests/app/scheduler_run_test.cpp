// The built program runs a plug-in's schedule event end to end: headless,
// with a fake plug-in whose event repeats every minute from a time the test
// chooses a few seconds ahead. The countdown runs out by itself; the run is
// logged in the scheduler log; the next run comes a minute later on the same
// grid, and again after the program was ended by SIGTERM and started anew.
#include <signal.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "child_process.h"
#include "qvplatform/kernel.h"
#include "qvplatform/services.h"
#include "test_files.h"

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

size_t Count(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

// A generous guard against a hung program; never a measure of speed.
constexpr int kPatience = 240;
constexpr char kLoopReached[] = "Start-up step: message loop";
constexpr char kRun[] = "qvm_fake.dll fn 11 Scheduled web check";
// A run starts after the tick (2 s) and the countdown (10 s) that follow its
// due time; the bound leaves room for a loaded machine.
constexpr long kLatestStart = 60;

class ScheduledProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(root_.path() / "program");
    fs::create_directories(root_.path() / "home");
    fs::create_directories(root_.path() / "state");
    for (const char* name : {"quorvane", "libqvplatform.so", "libqv_ui.so", "PRODUCT.RSL", "BASE.RSL", "ctlpack4.dll"})
      Install(fs::path(QV_TEST_DIST_DIR) / name);
    Install(QV_TEST_SCHEDULE_PLUGIN);
    root_.write("program/QUORVANE.INI", "[Defaults]\r\nAutoDetectLogFiles=1\r\n");
    qvp::SetStateDirectory(State().c_str());
  }
  void TearDown() override { qvp::SetStateDirectory(nullptr); }

  void Install(const fs::path& file) {
    fs::copy_file(file, Program() / file.filename(), fs::copy_options::overwrite_existing);
  }
  fs::path Program() const { return root_.path() / "program"; }
  std::string State() const { return (root_.path() / "state").string(); }

  std::unique_ptr<qvtest::ChildProcess> Start(const std::string& log) {
    const std::string home = (root_.path() / "home").string();
    const std::vector<std::string> environment = {
        "HOME=" + home, "QV_STATE_DIR=" + State(), "QV_DEBUG=1", "QV_TEST=1", "QV_HEADLESS=1", "TZ=UTC",
        "QV_REGISTRY=" + home + "/registry", "QV_WINDOWS_DIR=" + home + "/windows"};
    return std::make_unique<qvtest::ChildProcess>((Program() / "quorvane").string(), std::vector<std::string>{},
                                                  environment, root_.path().string(),
                                                  (root_.path() / log).string());
  }

  // Waits until calls.log holds `runs` runs of the event.
  bool WaitForRuns(const qvtest::ChildProcess& program, size_t runs) const {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(kPatience);
    while (std::chrono::steady_clock::now() < end) {
      if (Count(ReadFile(Program() / "calls.log"), kRun) >= runs) return true;
      if (program.Output().find("Start-up step: shutdown") != std::string::npos) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    return false;
  }

  qvtest::TempDir root_{"qvsched"};
};

// Seconds since 1970 of a scheduler log line's "mm/dd/yy hh:mm:ss" (UTC).
long LineTime(const std::string& line) {
  std::tm fields{};
  if (std::sscanf(line.c_str(), "%d/%d/%d %d:%d:%d", &fields.tm_mon, &fields.tm_mday, &fields.tm_year,
                  &fields.tm_hour, &fields.tm_min, &fields.tm_sec) != 6)
    return -1;
  fields.tm_mon -= 1;
  fields.tm_year += 100;
  return static_cast<long>(timegm(&fields));
}

TEST_F(ScheduledProgram, RunsOnItsMinuteGridAcrossARestart) {
  const long grid = static_cast<long>(std::time(nullptr)) + 5;
  root_.write("program/schedule.txt", std::to_string(grid) + "\n");

  auto first = Start("first.log");
  ASSERT_TRUE(first->WaitForOutput(kLoopReached, kPatience)) << first->Output();
  ASSERT_TRUE(WaitForRuns(*first, 2)) << first->Output() << ReadFile(Program() / "calls.log");
  first->Signal(SIGTERM);
  EXPECT_EQ(first->Wait(), 0);

  auto second = Start("second.log");
  ASSERT_TRUE(WaitForRuns(*second, 3)) << second->Output() << ReadFile(Program() / "calls.log");
  second->Signal(SIGTERM);
  EXPECT_EQ(second->Wait(), 0);

  // One log line per run: its date and time, two tabs, the profile's name;
  // each run soon after a whole minute of the grid, one minute apart at least.
  const std::vector<std::string> lines = Lines(ReadFile(Program() / "SCHEDULE.LOG"));
  ASSERT_EQ(lines.size(), 3u) << ReadFile(Program() / "SCHEDULE.LOG");
  long previousSlot = -1;
  for (const std::string& line : lines) {
    EXPECT_NE(line.find("\t\tScheduled web check"), std::string::npos) << line;
    const long when = LineTime(line);
    ASSERT_GE(when, grid) << line;
    const long slot = (when - grid) / 60;
    EXPECT_LE(when - (grid + slot * 60), kLatestStart) << line;
    EXPECT_GT(slot, previousSlot) << line;
    previousSlot = slot;
  }
  EXPECT_EQ(first->Output().find("MessageBox"), std::string::npos) << first->Output();
  EXPECT_EQ(second->Output().find("MessageBox"), std::string::npos) << second->Output();
}

}  // namespace
