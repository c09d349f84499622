// The built program runs a scheduled alert report end to end: headless, with
// the monitoring plug-in watching a port on the loopback address that the test
// owns, and a schedule event (".AMS") with its memorized report (".AMR")
// written by the test, due a minute ahead and repeating every minute.
// The program follows a test clock that the test moves on whenever the
// program is idle, so its minutes pass in moments. The countdown runs out by
// itself; the host logs the run, the plug-in logs BEGIN and END around it,
// and the report engine writes the report from the status log. The next run
// comes a minute later on the same grid, and again after the program was
// ended by SIGTERM and started anew.
#include <signal.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "child_process.h"
#include "child_process_clock.h"
#include "loopback_listener.h"
#include "qvplatform/kernel.h"
#include "qvplatform/services.h"
#include "qvplatform/test_clock_shared.h"
#include "test_files.h"

namespace fs = std::filesystem;

namespace {

using qvtest::ReadFile;

using qvtest::Lines;

size_t Count(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

bool Has(const std::string& text, const std::string& what) { return text.find(what) != std::string::npos; }

// A generous guard against a hung program (in real time); never a measure of
// speed.
constexpr int kPatience = 240;
constexpr char kLoopReached[] = "Start-up step: message loop";
constexpr char kProfile[] = "Loopback web port";
constexpr char kRunLine[] = "\t\tLoopback web port";
constexpr char kBegin[] = ", BEGIN: foreground report\tVozed Uvarirada";
constexpr char kEnd[] = ", END: foreground report\tVozed Uvarirada";
// A run starts after the tick (2 s) and the countdown (10 s) that follow its
// due time; the bound leaves room for a loaded machine.
constexpr long kLatestStart = 60;

class ScheduledProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* dir : {"program", "home", "state", "reports"}) fs::create_directories(root_.path() / dir);
    for (const char* name : {"quorvane", "libqvplatform.so", "libqv_ui.so", "libqv_logstat.so", "libqv_report.so",
                             "PRODUCT.RSL", "BASE.RSL", "ctlpack4.dll", "qvm_alrt.dll", "qv_report.pl", "Style.ini"})
      fs::copy_file(fs::path(QV_TEST_DIST_DIR) / name, Program() / name);
    for (const char* dir : {"Base", "qvm_alrt"})
      fs::copy(fs::path(QV_TEST_DIST_DIR) / dir, Program() / dir, fs::copy_options::recursive);
    root_.write("program/QUORVANE.INI", "[Defaults]\r\nAutoDetectLogFiles=1\r\n");
    qvp::SetStateDirectory(State().c_str());
  }
  void TearDown() override { qvp::SetStateDirectory(nullptr); }

  fs::path Program() const { return root_.path() / "program"; }
  std::string State() const { return (root_.path() / "state").string(); }
  // A data file's path as the plug-in spells it, in the Windows form.
  std::string DataPath(const std::string& name) const {
    std::string path = Program().string() + "\\QVM_ALRT\\DATFILES\\" + name;
    for (char& c : path) c = c == '/' ? '\\' : c;
    return path;
  }
  std::string Report() const { return (root_.path() / "reports" / "minute.htm").string(); }

  // A profile watching `port` (tested every 30 s: the listener never accepts,
  // and its queue must not fill up), a memorized complete report of all of
  // its log, and an event that runs it every minute from `start` into a plain
  // file.
  void WriteSchedule(int port, long start) {
    root_.write("program/qvm_alrt/datfiles/lert0000.amp",
                std::string("[Profile]\r\nDescription=") + kProfile +
                    "\r\nMajorVersion=1\r\nMinorVersion=1\r\n[Monitor]\r\nHostName=127.0.0.1\r\n"
                    "MonitorType=TELNET\r\nPortID=" +
                    std::to_string(port) +
                    "\r\nPollTime=30\r\nPollTimeUnit=0\r\nFailTime=1\r\nFailTimeUnit=0\r\nDisabled=0\r\n");
    root_.write("program/qvm_alrt/datfiles/ALERT0.AMR",
                "[SaveAs]\r\nSaveReportAs=\r\nSaveToUserName=\r\nSaveToPassword=\r\n[General]\r\n"
                "Description=Every minute\r\n[SaveAs]\r\nURLType=0\r\n[Style]\r\nReportStyle=\r\n"
                "ReportLanguage=\r\n[Content]\r\nReportTitle=Minute report\r\nReportType=2\r\nTimeRange=0\r\n");
    root_.write("program/qvm_alrt/datfiles/ALERT0.AMS",
                "[Main]\r\nStartTime=" + std::to_string(start) +
                    "\r\nRepeatType=0\r\nRepeatFrequency=1\r\nSaveAsFilename=" + Report() +
                    "\r\nAssociatedProfileFilename=" + DataPath("lert0000.amp") +
                    "\r\nUsername=\r\nPassword=\r\nMemorizedReportFilename=" + DataPath("ALERT0.AMR") + "\r\n");
  }

  std::unique_ptr<qvtest::ChildProcess> Start(const std::string& log) {
    const std::string home = (root_.path() / "home").string();
    const std::vector<std::string> environment = {
        "HOME=" + home, "QV_STATE_DIR=" + State(), "QV_DEBUG=1", "QV_TEST=1", "QV_HEADLESS=1", "TZ=UTC",
        "QV_REGISTRY=" + home + "/registry", "QV_WINDOWS_DIR=" + home + "/windows", clock_.Environment()};
    return std::make_unique<qvtest::ChildProcess>((Program() / "quorvane").string(), std::vector<std::string>{},
                                                  environment, root_.path().string(),
                                                  (root_.path() / log).string());
  }

  std::string SchedulerLog() const { return ReadFile(Program() / "SCHEDULE.LOG"); }

  // Moves the program's clock on until the scheduler log holds `runs` ended
  // reports.
  bool RunUntil(const qvtest::ChildProcess& program, size_t runs) {
    const auto ran = [&] { return Count(SchedulerLog(), kEnd) >= runs; };
    qvtest::DriveClock(clock_, program, [&] {
      const std::string output = program.Output();
      return ran() || Has(output, "Start-up step: shutdown") || Has(output, "MessageBox");
    }, kPatience);
    return ran();
  }
  // The monitoring engine paces its tests by waits of its own, in real time:
  // its first test comes a moment after the start, and a report has nothing
  // to show of a program that has not tested yet. Until the status log holds
  // one more test's "INIT" entry the clock moves in small steps, not much
  // faster than the real time, once the program is in its message loop.
  std::string StatusLog() const { return ReadFile(Program() / "qvm_alrt" / "qvm_alrt.log"); }
  bool RunUntilFirstTest(const qvtest::ChildProcess& program, size_t before) {
    return qvtest::DriveClock(clock_, program, [&] { return Has(program.Output(), kLoopReached); }, kPatience) &&
           qvtest::DriveClock(clock_, program, [&] { return Count(StatusLog(), "INIT") > before; }, kPatience, 10);
  }
  // Ends the program as the system would, its clock going on in small steps
  // until it is gone, so that the next program starts well before the next
  // run is due.
  int Stop(qvtest::ChildProcess& program) {
    program.Signal(SIGTERM);
    qvtest::DriveClock(clock_, program, [&] { return program.Ended(); }, kPatience, 10);
    return program.Wait();
  }

  qvp::SharedTestClock clock_;
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

TEST_F(ScheduledProgram, RunsARealReportOnItsMinuteGridAcrossARestart) {
  Listener listener;
  ASSERT_TRUE(listener.ok());
  const long grid = static_cast<long>(clock_.UnixSeconds()) + 60;
  WriteSchedule(listener.port(), grid);

  auto first = Start("first.log");
  ASSERT_TRUE(RunUntilFirstTest(*first, 0)) << first->Output();
  ASSERT_LT(clock_.UnixSeconds(), grid);
  ASSERT_TRUE(RunUntil(*first, 1)) << first->Output() << SchedulerLog();
  // The first report: the engine's page with this profile's statistics.
  const std::string report = ReadFile(Report());
  EXPECT_TRUE(Has(report, "<!DOCTYPE html>")) << report;
  EXPECT_TRUE(Has(report, "<span class=\"Var_Alert_Report_Title\">Minute report</span>")) << report;
  EXPECT_TRUE(Has(report, std::string("<span class=\"Var_Alert_Profile_Name\">") + kProfile + "</span>"));
  EXPECT_TRUE(Has(report, "<span class=\"Var_Alert_Device_Name\">127.0.0.1</span>"));
  EXPECT_TRUE(Has(report, "<span class=\"Var_Alert_Event_Type\">INIT_UP</span>"));  // the engine's first test
  EXPECT_TRUE(Has(report, "<span class=\"Var_Alert_Event_Type\">GOODBYE</span>"));
  ASSERT_TRUE(RunUntil(*first, 2)) << first->Output() << SchedulerLog();
  EXPECT_EQ(Stop(*first), 0);

  fs::remove(Report());
  const size_t tests = Count(StatusLog(), "INIT");
  auto second = Start("second.log");
  ASSERT_TRUE(RunUntilFirstTest(*second, tests)) << second->Output();
  ASSERT_TRUE(RunUntil(*second, 3)) << second->Output() << SchedulerLog();
  EXPECT_EQ(Stop(*second), 0);
  EXPECT_TRUE(fs::exists(Report()));

  // Per run three lines: the host's run line (date and time, two tabs, the
  // profile's description), then the plug-in's BEGIN and END; nothing else
  // (an error would be a line of its own). Each run soon after a whole minute
  // of the grid, one minute apart at least.
  const std::string log = SchedulerLog();
  const std::vector<std::string> lines = Lines(log);
  ASSERT_EQ(lines.size(), 9u) << log;
  long previousSlot = -1;
  for (size_t run = 0; run < 3; ++run) {
    const std::string& line = lines[3 * run];
    EXPECT_TRUE(Has(line, kRunLine)) << line;
    EXPECT_TRUE(Has(lines[3 * run + 1], kBegin)) << log;
    EXPECT_TRUE(Has(lines[3 * run + 2], kEnd)) << log;
    const long when = LineTime(line);
    ASSERT_GE(when, grid) << line;
    const long slot = (when - grid) / 60;
    EXPECT_LE(when - (grid + slot * 60), kLatestStart) << line;
    EXPECT_GT(slot, previousSlot) << line;
    previousSlot = slot;
    for (size_t n = 1; n < 3; ++n) {
      const long logged = LineTime(lines[3 * run + n]);
      EXPECT_GE(logged, when) << lines[3 * run + n];
      EXPECT_LE(logged - when, kLatestStart) << lines[3 * run + n];
    }
  }
  EXPECT_FALSE(Has(first->Output(), "MessageBox")) << first->Output();
  EXPECT_FALSE(Has(second->Output(), "MessageBox")) << second->Output();
}

}  // namespace
