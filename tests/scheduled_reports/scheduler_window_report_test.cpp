// The program's scheduler window with the monitoring plug-in bound as the
// program binds it, driven as a user drives them: New opens the plug-in's
// schedule dialog, Save writes ALERT0.AMS and lists the event, Edit changes
// it, Run now makes the report through the real report engine, Delete removes
// the file and disabling is stored.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app_globals.h"
#include "entry_format.h"
#include "host_tables.h"
#include "later_parts.h"
#include "panel_state.h"
#include "plugin_host.h"
#include "program_dir.h"
#include "program_paths.h"
#include "qv_ui_internal.h"
#include "qvplatform/ui_driver.h"
#include "report_engine.h"
#include "resource_cache.h"
#include "scheduler.h"
#include "test_files.h"

namespace {

namespace fs = std::filesystem;

// Controls of the scheduler window.
constexpr int kList = 15001;
constexpr int kRunNow = 15010;
constexpr int kNew = 15020;
constexpr int kDelete = 15030;
constexpr int kEdit = 15040;
constexpr int kDisable = 15047;
// The plug-in's schedule dialog and its controls.
constexpr int kScheduleDialog = 7100;
constexpr int kTime = 1058;
constexpr int kDate = 1059;
constexpr int kFrequency = 1060;
constexpr int kRepeat = 1061;
constexpr int kTarget = 1055;

using qvtest::Lines;

// The [Main] lines of an event file, in file order.
std::vector<std::string> MainLines(const std::string& text) {
  std::vector<std::string> lines;
  bool inMain = false;
  for (const std::string& line : Lines(text)) {
    if (line[0] == '[') {
      inMain = line == "[Main]";
    } else if (inMain) {
      lines.push_back(line);
    }
  }
  return lines;
}

std::string RowText(HWND list, int row) {
  char text[256] = "";
  LVITEMA item{};
  item.iSubItem = 0;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return text;
}

class SchedulerWindowReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    const fs::path dist(QV_TEST_DIST_DIR);
    program_.LinkPluginWithReports(dist.string());
    dir_.write("qvm_alrt/datfiles/lert0000.amp",
               "[Profile]\nDescription=Web server\nProfileID=700\n[Monitor]\nHostName=h1\nMonitorType=PING\n");
    WriteMemorizedReportFile();
    std::string log;
    const uint32_t start = static_cast<uint32_t>(std::time(nullptr)) - 1200;
    const char* states[] = {"UP", "DOWN", "UP"};
    for (int i = 0; i < 3; ++i) {
      QVLS_FIELD fields[3] = {{4, "STATUS"}, {5, ""}, {8, "700"}};
      std::snprintf(fields[1].text, sizeof fields[1].text, "%s", states[i]);
      log += qvls::EncodeEntry(fields, 3, start + 300u * static_cast<uint32_t>(i));
    }
    dir_.write("qvm_alrt/QVM_ALRT.LOG", log);

    qv::SetProgramDirForTests(dir_.dir().c_str());
    qvui::SetProgramDirectoryForTests(dir_.dir());
    SetReportEngineFileForTests((dir_.dir() + "libqv_report.so").c_str());
    base_ = LoadLibraryA((dist / "BASE.RSL").string().c_str());
    ASSERT_NE(base_, nullptr);
    g_app.resourceModule = base_;
    g_app.instance = GetModuleHandleA(nullptr);
    g_panel = PanelState{};
    panel_ = CreateWindowExA(0, "STATIC", "panel", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
    CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 200, 20, panel_, reinterpret_cast<HMENU>(kStatusLineId), nullptr,
                    nullptr);
    g_app.mainPanel = panel_;
    ASSERT_EQ(LoadPlugins(dir_.path().string().c_str()), 1);
    ASSERT_EQ(RebuildProfileTable(panel_), 1);
  }
  void TearDown() override {
    {
      SchedulerLock hold;
      FreeScheduleTable();
    }
    UnloadPlugins();
    FreeProfileTable();
    DestroyWindow(panel_);
    g_app.mainPanel = nullptr;
    g_panel = PanelState{};
    FreeResourceCache();
    g_app.resourceModule = nullptr;
    if (base_ != nullptr) FreeLibrary(base_);
    SetReportEngineFileForTests(nullptr);
    qv::SetProgramDirForTests(nullptr);
    qvui::SetProgramDirectoryForTests("");
    EXPECT_TRUE(qvp::TakeUnexpectedPrompts().empty());
  }

  // A memorized complete report of all of the log.
  void WriteMemorizedReportFile() {
    dir_.write("qvm_alrt/datfiles/ALERT0.AMR",
               "[SaveAs]\r\nSaveReportAs=\r\n[General]\r\nDescription=Weekly\r\n[SaveAs]\r\nURLType=0\r\n"
               "[Content]\r\nReportTitle=From the window\r\nReportType=2\r\nTimeRange=0\r\n");
  }
  std::string DataPath(const std::string& name) const {
    std::string path = dir_.path().string() + "\\QVM_ALRT\\DATFILES\\" + name;
    for (char& c : path) c = c == '/' ? '\\' : c;
    return path;
  }

  qvtest::ProgramDir program_;
  const qvtest::TempDir& dir_ = program_.dir();
  HMODULE base_ = nullptr;
  HWND panel_ = nullptr;
};

TEST_F(SchedulerWindowReportTest, NewSaveEditRunNowDisableAndDelete) {
  std::string listed;
  qvp::UiDriver driver;
  driver.OnDialog(kSchedulerTemplate).Click(kNew);
  driver.OnDialog(kScheduleDialog)
      .Type(kTime, "10:30")
      .Type(kDate, "12/31/30")
      .Type(kFrequency, "2")
      .Select(kRepeat, 2)
      .Type(kTarget, "window.htm")
      .Click(IDOK);
  driver.OnDialog(kSchedulerTemplate)
      .Do([&](HWND window) { listed = RowText(GetDlgItem(window, kList), 0); })
      .Select(kList, 0)
      .Click(kEdit);
  driver.OnDialog(kScheduleDialog).Type(kFrequency, "3").Click(IDOK);
  driver.OnDialog(kSchedulerTemplate).Select(kList, 0).Click(kRunNow);
  EXPECT_EQ(ShowSchedulerWindow(panel_, 0), 1);
  for (const std::string& problem : driver.Problems()) ADD_FAILURE() << problem;

  // Saved in the writer's key order, edited, listed under its profile.
  const std::vector<std::string> lines = MainLines(dir_.read("qvm_alrt/datfiles/ALERT0.AMS"));
  ASSERT_EQ(lines.size(), 8u) << dir_.read("qvm_alrt/datfiles/ALERT0.AMS");
  EXPECT_EQ(lines[0], "StartTime=1924943400");
  EXPECT_EQ(lines[1], "RepeatType=2");
  EXPECT_EQ(lines[2], "RepeatFrequency=3");
  EXPECT_EQ(lines[3].rfind("SaveAsFilename=file:///", 0), 0u) << lines[3];
  EXPECT_NE(lines[3].find("window.htm"), std::string::npos) << lines[3];
  EXPECT_EQ(lines[4], "AssociatedProfileFilename=" + DataPath("lert0000.amp"));
  EXPECT_EQ(lines[5], "Username=");
  EXPECT_EQ(lines[6], "Password=");
  EXPECT_EQ(lines[7], "MemorizedReportFilename=" + DataPath("ALERT0.AMR"));
  EXPECT_EQ(listed, "Web server");
  ASSERT_EQ(ScheduleTable.count, 1);
  SCHEDULE_EVENT* event = ScheduleTable.events[0];
  EXPECT_EQ(int{event->runNow}, 1);
  EXPECT_EQ(int32_t{event->repeatFrequency}, 3);

  // Run now: the next tick runs it (without the countdown here), the host logs
  // the run, the plug-in BEGIN and END, and the report is made.
  g_panel.commandLineMode = true;
  RunSchedulerStep(panel_);
  g_panel.commandLineMode = false;
  const fs::path made = dir_.path() / "REPORTS" / "Alert" / "window.htm";
  ASSERT_TRUE(fs::exists(made)) << dir_.read("SCHEDULE.LOG") << lines[3];
  EXPECT_NE(dir_.read("REPORTS/Alert/window.htm").find("<span class=\"Var_Alert_Report_Title\">From the window</span>"),
            std::string::npos);
  const std::vector<std::string> log = Lines(dir_.read("SCHEDULE.LOG"));
  ASSERT_EQ(log.size(), 3u) << dir_.read("SCHEDULE.LOG");
  EXPECT_NE(log[0].find("\t\tWeb server"), std::string::npos) << log[0];
  EXPECT_NE(log[1].find(", BEGIN: foreground report\tVozed Uvarirada"), std::string::npos) << log[1];
  EXPECT_NE(log[2].find(", END: foreground report\tVozed Uvarirada"), std::string::npos) << log[2];
  EXPECT_EQ(int{event->runNow}, 0);

  // Disabling is stored; Delete asks, then the plug-in removes the file.
  qvp::UiDriver second;
  second.ExpectMessageBox("Delete the chosen scheduled items?", IDYES);
  second.OnDialog(kSchedulerTemplate).Select(kList, 0).Click(kDelete).Check(kDisable).Click(IDOK);
  EXPECT_EQ(ShowSchedulerWindow(panel_, 0), 1);
  for (const std::string& problem : second.Problems()) ADD_FAILURE() << problem;
  EXPECT_EQ(ScheduleTable.count, 0);
  EXPECT_FALSE(dir_.exists("qvm_alrt/datfiles/ALERT0.AMS"));
  EXPECT_FALSE(g_panel.schedulingEnabled);
  EXPECT_EQ(GetPrivateProfileIntA("Defaults", "DisableScheduledItems", 0, GetIniPath()), 1u);
}

}  // namespace
