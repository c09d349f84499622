// The AutoReport of the built monitoring plug-in beside the user's reports:
// the engine watches a loopback listener and makes its periodic summary on a
// worker (through the real report engine) while the test thread makes
// foreground reports one after the other. Both kinds are made whole, the
// summary holds the watched device, and the scheduler log has every run's
// BEGIN and END and no error.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "loopback_listener.h"
#include "port_profile.h"
#include "report_host.h"

namespace {

using reporthost::kAlertingKind;
using reporthost::ReadFile;
namespace fs = std::filesystem;

size_t Count(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++count;
  return count;
}

class AutoReportBesideForeground : public reporthost::ReportHostTest {
 protected:
  // Polls the row's status column (generous deadline) until it reads `wanted`.
  bool WaitForStatus(PROFILE* row, const std::string& wanted) {
    auto text = host_.Function<PFN_GetMainListText>(kAlertingKind, PF_GET_MAIN_LIST_TEXT);
    for (int n = 0; n < 12000; ++n) {
      char buffer[1024] = "";
      text(row, buffer, sizeof buffer);
      std::string columns = buffer;
      for (int c = 0; c < 3 && columns.find('\t') != std::string::npos; ++c) columns.erase(0, columns.find('\t') + 1);
      if (columns.substr(0, columns.find('\t')) == wanted) return true;
      Sleep(5);
    }
    return false;
  }
};

TEST_F(AutoReportBesideForeground, BothAreMadeWholeAndTheLogHasEveryRunAndNoError) {
  Listener listener;
  ASSERT_TRUE(listener.ok());
  program_.dir().write("qvm_alrt/datfiles/lert0000.amp", PortProfile("Watched port", "TELNET", listener.port()));
  // The user's report: the complete report of the profile.
  const std::string foreground = program_.path() + "/fg.htm";
  WriteEvent(foreground);
  WriteReportSettings(2, 0);
  // The AutoReport: a summary every minute, the first a few seconds after the start.
  program_.dir().write("qvm_alrt/datfiles/ALERT1.AMR",
                       "[SaveAs]\r\nSaveReportAs=\r\n[General]\r\nDescription=Auto\r\n[Content]\r\n"
                       "ReportTitle=Every device\r\n");
  const std::string summary = program_.path() + "/auto/summary.htm";
  fs::create_directories(fs::path(summary).parent_path());
  program_.dir().write("qvm_alrt/qvm_alrt.ini", "[AutoReport]\r\nGenerateReport=1\r\nSaveEvery=1\r\nMemRptFilename=" +
                                                    DataPath("ALERT1.AMR") + "\r\nSaveAs=" + summary + "\r\n");
  PROFILE* row = Bind();
  ASSERT_NE(row, nullptr);
  SCHEDULE_EVENT* event = Event();
  ASSERT_NE(event, nullptr);
  ASSERT_EQ(host_.Function<PFN_StartService>(kAlertingKind, PF_START_SERVICE)(), PLUGIN_DONE);
  ASSERT_TRUE(WaitForStatus(row, "Up"));  // the log has the profile's first entries

  // Foreground reports back to back until the summary has been made, and one
  // more after it (a generous bound: the summary is due five seconds in).
  int foregroundRuns = 0;
  bool summaryMade = false;
  const ULONGLONG giveUp = GetTickCount64() + 120000;
  while (!summaryMade && GetTickCount64() < giveUp) {
    summaryMade = SchedulerLog().find("END: background report") != std::string::npos;
    fs::remove(foreground);
    ASSERT_EQ(Run(event), PLUGIN_DONE) << SchedulerLog();
    ASSERT_TRUE(fs::exists(foreground));
    ++foregroundRuns;
    Sleep(10);
  }
  ASSERT_TRUE(summaryMade) << SchedulerLog();
  ASSERT_EQ(host_.Function<PFN_ShutDown>(kAlertingKind, PF_SHUT_DOWN)(), PLUGIN_DONE);
  std::printf("%d foreground reports were made while the AutoReport ran\n", foregroundRuns);

  // Each report is whole: its page ends, and the summary lists the watched device.
  const std::string fg = ReadFile(foreground);
  EXPECT_NE(fg.find("<span class=\"Var_Alert_Profile_Name\">Watched port</span>"), std::string::npos) << fg;
  EXPECT_NE(fg.find("</html>"), std::string::npos);
  const std::string auto_ = ReadFile(summary);
  EXPECT_NE(auto_.find("<span class=\"Var_Alert_Report_Title\">Every device</span>"), std::string::npos) << auto_;
  EXPECT_NE(auto_.find("<span class=\"Var_Alert_Host_Device\">127.0.0.1</span>"), std::string::npos) << auto_;
  EXPECT_NE(auto_.find("</html>"), std::string::npos);
  EXPECT_FALSE(fs::exists(summary + ".part"));

  // Every run began and ended, and nothing else was logged.
  const std::string log = SchedulerLog();
  const size_t background = Count(log, "BEGIN: background report");
  EXPECT_GE(background, 1u) << log;
  EXPECT_EQ(Count(log, "END: background report"), background) << log;
  EXPECT_EQ(Count(log, "BEGIN: foreground report"), static_cast<size_t>(foregroundRuns)) << log;
  EXPECT_EQ(Count(log, "END: foreground report"), static_cast<size_t>(foregroundRuns)) << log;
  size_t lines = 0;
  for (char c : log) lines += c == '\n' ? 1 : 0;
  EXPECT_EQ(lines, 2 * (background + static_cast<size_t>(foregroundRuns))) << log;
}

}  // namespace
