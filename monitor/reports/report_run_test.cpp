// Report runs against a fake report engine behind host callback 15 that asks
// the callbacks what the real engine asks: every property, every token, the
// table rows until "TOKEN RETRIEVAL ERROR", and the file actions.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "entry_format.h"
#include "qv_ui.h"
#include "qv_ui_internal.h"
#include "report_callbacks.h"
#include "report_context.h"
#include "report_control_file.h"
#include "report_dialogs.h"
#include "report_runner.h"
#include "report_test_support.h"

namespace {

constexpr time_t kT = 1000000000;  // Sun Sep 9 2001 01:46:40 UTC

const char* const kAllTokens[] = {
    "Var_Alert_Report_Title", "Var_Alert_Profile_Name", "Var_Alert_Device_Name", "Var_Alert_Device_Type",
    "Var_Alert_Start_Date", "Var_Alert_Start_Time", "Var_Alert_End_Date", "Var_Alert_End_Time",
    "Var_Alert_Host_Name", "Var_Alert_Date_And_Time", "Var_Alert_Timeframe", "Var_Alert_Downtime",
    "Var_Alert_Downtime_in_Percent", "Var_Alert_Min_Downtime", "Var_Alert_Max_Downtime",
    "Var_Alert_Average_Downtime", "Var_Alert_Min_Uptime", "Var_Alert_Max_Uptime", "Var_Alert_Average_Uptime",
    "Var_Alert_Total_Alerts", "Var_Alert_Total_Events", "Var_Alert_Event_Index", "Var_Alert_Event_Type",
    "Var_Alert_Extended_Error_Code", "Var_Alert_Action_Taken_Type", "Var_Alert_Action_Taken_Value",
    "Var_Alert_Event_Date", "Var_Alert_Event_Time", "Var_Alert_Num_Actions_Taken", "Var_Alert_Profile_Type",
    "Var_Alert_Host_Device", "Var_Alert_Status", "Var_Alert_Last_Changed", "Var_Alert_Num_Profiles",
    "Var_Alert_Extended_Error_Desc", "Var_Alert_Login_ID", "Var_Alert_Action_Details",
    "Var_Alert_Status_Description", "Var_Alert_Previous_State", "Var_Alert_Auto_Frequency",
    "Var_Alert_Extended_Status_Code", "Var_Alert_Extended_Status_Desc", "Var_Alert_Current_State",
    "Var_Alert_Uptime", "Var_Alert_Uptime_In_Percent", "Var_Alert_Recovery_Text", "Var_Alert_Not_A_Token"};

// What the fake engine saw.
struct EngineLog {
  std::string script;
  std::string control;  // the control file's bytes
  std::string properties[5];
  std::map<std::string, std::string> values;  // token -> value at index 0 (before any row)
  std::map<std::string, std::string> status;  // token -> status at index 0
  std::vector<std::map<std::string, std::string>> rows;  // per row: token -> value (or the status when failed)
  std::vector<std::vector<std::string>> actions;         // per event: action types until the error
  int fileActions = 0;
  int result = 0;
};
EngineLog g_engine;

std::string ReadAll(const std::string& path) {
  std::string bytes;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(file);
  return bytes;
}

int FakeEngine(const char* script, void* request, ReportSummaryProc summary, ReportPropertyProc property,
               ReportStatusProc takeStatus, ReportFileProc files) {
  g_engine.script = script;
  for (int p = 0; p < 5; ++p) g_engine.properties[p] = property(request, p + 1);
  g_engine.control = ReadAll(g_engine.properties[2]);
  char status[64];
  for (const char* token : kAllTokens) {
    g_engine.values[token] = summary(request, token, 0, 0, nullptr, status);
    g_engine.status[token] = status;
  }
  // The table: rows until the row token fails, each with its actions.
  const bool background = summary == &GetSummaryValueBackground;
  const char* rowToken = background ? "Var_Alert_Host_Device" : "Var_Alert_Event_Type";
  for (int row = 0;; ++row) {
    std::string value = summary(request, rowToken, row, 0, nullptr, status);
    if (std::string(status) == kTokenRetrievalError) break;
    std::map<std::string, std::string> cells;
    for (const char* token : kAllTokens) {
      cells[token] = summary(request, token, row, 0, nullptr, status);
      if (std::string(status) != kTokenRetrieved) cells[token] = status;
    }
    g_engine.rows.push_back(cells);
    if (!background) {
      std::vector<std::string> types;
      for (int k = 0;; ++k) {
        value = summary(request, "Var_Alert_Action_Taken_Type", k, 0, nullptr, status);
        if (std::string(status) == kTokenRetrievalError) break;
        types.push_back(value + "|" + summary(request, "Var_Alert_Action_Taken_Value", k, 0, nullptr, status));
      }
      g_engine.actions.push_back(types);
    }
    if (!takeStatus(request, row, 100, "row", 0)) return 2;
  }
  // The report file, named by the control file.
  const std::string key = "SaveReportAs=";
  const size_t at = g_engine.control.find(key);
  const std::string output = g_engine.control.substr(at + key.size(), g_engine.control.find('\r', at) - at - key.size());
  HANDLE file = CreateFileA(output.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 9;
  DWORD written = 0;
  WriteFile(file, "<html></html>", 13, &written, nullptr);
  CloseHandle(file);
  const size_t cut = output.find_last_of("\\/");
  g_engine.fileActions += files(request, 1, output.substr(cut + 1).c_str());
  return g_engine.result;
}

struct Field {
  int type;
  std::string text;
};

class ReportRunTest : public ReportPluginTest {
 protected:
  void SetUp() override {
    ReportPluginTest::SetUp();
    setenv("TZ", "UTC", 1);
    tzset();
    g_engine = EngineLog{};
    qvui::SetProgramDirectoryForTests(dir_.dir());
    SetReportClockForTests([this] { return now_; });
  }
  void TearDown() override {
    SetReportClockForTests(nullptr);
    qvui::SetProgramDirectoryForTests("");
    ReportPluginTest::TearDown();
  }
  void UseFakeEngine() { StoreHostCallback(HC_CREATE_REPORT, reinterpret_cast<FARPROC>(&FakeEngine)); }
  // Appends an entry with a chosen time stamp to the status log.
  void Log(time_t when, const std::vector<Field>& fields) {
    std::vector<QVLS_FIELD> entry(fields.size());
    for (size_t i = 0; i < fields.size(); ++i) {
      entry[i].type = fields[i].type;
      std::snprintf(entry[i].text, sizeof entry[i].text, "%s", fields[i].text.c_str());
    }
    log_ += qvls::EncodeEntry(entry.data(), static_cast<int>(entry.size()), static_cast<uint32_t>(when));
    dir_.write("qvm_alrt/QVM_ALRT.LOG", log_);
  }
  void Status(time_t when, const char* event, const char* state, const std::string& id = "700") {
    Log(when, {{1, "BOX"}, {2, "h1"}, {3, "PING"}, {4, event}, {5, state}, {8, id}, {10, "0 Up"}});
  }
  std::string SchedulerLog() { return dir_.read("SCHEDULE.LOG"); }

  time_t now_ = kT + 2600;
  std::string log_;
};

TEST_F(ReportRunTest, ControlFilesByteForByte) {
  EXPECT_EQ(ReportControlText(1, "o.htm", "Blue", "L.rpl", "T.VAR", 5),
            "[General]\r\nSaveReportAs=o.htm\r\nReportStyle=Blue\r\nReportLanguage=L.rpl\r\nTemplateFile=T.VAR\r\n"
            "ReportFormat=HTML\r\n[Content]\r\nReportObjects=2\r\nTableOfContents=0\r\n"
            "Object1=GeneralStatsChapter\r\nObject1_Type=SIMPLE\r\nObject1_Desc=SHORT\r\n"
            "Object2=GeneralStatsSection\r\nObject2_Type =SIMPLE\r\nObject2_Desc=SHORT\r\n");
  EXPECT_EQ(ReportControlText(2, "o.htm", "Blue", "L.rpl", "T.VAR", 5),
            "[General]\r\nSaveReportAs=o.htm\r\nReportStyle=Blue\r\nReportLanguage=L.rpl\r\nTemplateFile=T.VAR\r\n"
            "ReportFormat=HTML\r\n[Content]\r\nReportObjects=4\r\nTableOfContents=1\r\n"
            "Object1=GeneralStatsChapter\r\nObject1_Type=SIMPLE\r\nObject1_Desc=SHORT\r\n"
            "Object2=GeneralStatsSection\r\nObject2_Type =SIMPLE\r\nObject2_Desc=SHORT\r\n"
            "Object3=DetailsChapter\r\nObject3_Type=SIMPLE\r\nObject3_Desc=SHORT\r\n"
            "Object4=DetailsTable1\r\nObject4_Type=TABLE\r\nObject4_Desc=SHORT\r\nObject4_Nested=2\r\n"
            "Object4_TableElements1=5\r\nObject4_TableElements2=3\r\n");
  EXPECT_EQ(ReportControlText(3, "o.htm", "Blue\r\nX=1", "L.rpl", "T.VAR", 5),
            "[General]\r\nSaveReportAs=o.htm\r\nReportStyle=Blue  X=1\r\nReportLanguage=L.rpl\r\nTemplateFile=T.VAR\r\n"
            "ReportFormat=HTML\r\n[Content]\r\nReportObjects=2\r\nTableOfContents=0\r\n"
            "Object1=SummaryReportChapter\r\nObject1_Type=SIMPLE\r\nObject1_Desc=SHORT\r\n"
            "Object2=SummaryReportSection\r\nObject2_Type =SIMPLE\r\nObject2_Desc=SHORT\r\n");
}

TEST_F(ReportRunTest, TargetsSplitIntoDirectoryAndBareName) {
  MEMORIZED_REPORT report{};
  std::string directory, file, problem;
  const std::string reports = dir_.dir() + "REPORTS\\Alert\\";
  std::strcpy(report.saveTo, "mailto:a@b.example/../../etc/x.htm");
  report.urlType = kSaveToMail;
  ASSERT_TRUE(SplitReportTarget(&report, &directory, &file, &problem));
  EXPECT_EQ(file, "x.htm");
  EXPECT_EQ(directory, reports);
  std::strcpy(report.saveTo, "ftp://host/dir/r.htm");
  report.urlType = kSaveToFtp;
  ASSERT_TRUE(SplitReportTarget(&report, &directory, &file, &problem));
  EXPECT_EQ(file, "r.htm");
  std::strcpy(report.saveTo, "file:///c|/web/r.htm");
  report.urlType = kSaveToFile;
  ASSERT_TRUE(SplitReportTarget(&report, &directory, &file, &problem));
  EXPECT_EQ(directory, "c:\\web\\");
  EXPECT_EQ(file, "r.htm");
  std::strcpy(report.saveTo, "http://host/r.htm");
  report.urlType = kSaveToHttp;
  EXPECT_FALSE(SplitReportTarget(&report, &directory, &file, &problem));
  EXPECT_NE(problem.find("http://host/r.htm"), std::string::npos);
}

TEST_F(ReportRunTest, ForegroundReportAnswersEveryTokenFromTheStatisticsOfTheLog) {
  Profile("lert0000.amp", "Web server", "h1");
  Profile("lert0001.amp", "Other", "h2");
  Start();
  UseFakeEngine();
  Log(kT, {{1, "BOX"}, {4, "HELLO"}, {9, "anna"}});  // before the profile is seen: not its event
  Status(kT + 10, "INIT", "UP");
  Status(kT + 50, "STATUS", "DOWN", "701");  // another profile
  Status(kT + 100, "STATUS", "DOWN");
  Log(kT + 160, {{1, "BOX"}, {4, "DOWN"}, {5, "Host down now"}, {6, "EMAIL a@b"}, {6, "AUDIO alarm.wav"},
                 {8, "700"}, {11, "10060 timed out"}, {12, "Restart"}});
  Status(kT + 400, "STATUS", "UP");
  Log(kT + 1000, {{1, "BOX"}, {4, "GOODBYE"}, {9, "anna"}});
  Log(kT + 1100, {{1, "BOX"}, {4, "HELLO"}, {9, "anna"}});
  Status(kT + 1110, "INIT", "UP");
  Status(kT + 2000, "STATUS", "DOWN");

  ReportRequestWithReport run{};
  run.request.profile = rows_[0];
  run.request.report = &run.report;
  run.request.scheduled = 1;
  std::strcpy(run.request.logPath, QVUI_GetScheduleLogFilename(nullptr));
  std::strcpy(run.report.reportTitle, "Weekly");
  run.report.reportType = 2;
  std::strcpy(run.report.saveTo, (dir_.dir() + "out\\r.htm").c_str());
  EXPECT_EQ(RunAlertReportDialog(nullptr, &run.request), 1);
  EXPECT_TRUE(dir_.exists("out/r.htm"));

  EXPECT_EQ(g_engine.script, dir_.path().string() + "\\qv_report.pl");
  EXPECT_EQ(g_engine.properties[0], dir_.path().string());
  EXPECT_EQ(g_engine.properties[1], dir_.dir() + "QVM_ALRT");
  EXPECT_EQ(g_engine.properties[2], dir_.dir() + "QVM_ALRT\\ALERT.WCT");
  EXPECT_EQ(g_engine.properties[3], dir_.path().string());
  EXPECT_EQ(g_engine.properties[4], "PROPERTY_UNKNOWN");
  EXPECT_EQ(g_engine.control,
            ReportControlText(2, dir_.dir() + "out\\r.htm", "", dir_.dir() + "QVM_ALRT\\TEMPLATE\\ENGLISH.rpl",
                              dir_.dir() + "QVM_ALRT\\TEMPLATE\\COMPLETE.VAR", 9));

  // Periods: up 10-100, down 100-400, up 400-1000, stopped 1000-1100, up 1110-2000, down 2000-2600.
  const std::map<std::string, std::string> expected = {
      {"Var_Alert_Report_Title", "Weekly"},
      {"Var_Alert_Profile_Name", "Web server"},
      {"Var_Alert_Device_Name", "h1"},
      {"Var_Alert_Device_Type", "PING"},
      {"Var_Alert_Start_Date", "Sun, Sep 9, 2001"},
      {"Var_Alert_Start_Time", "01:46:50"},
      {"Var_Alert_End_Date", "Sun, Sep 9, 2001"},
      {"Var_Alert_End_Time", "02:30:00"},
      {"Var_Alert_Host_Name", "BOX"},
      {"Var_Alert_Date_And_Time", "Sun, Sep 9, 2001 at 02:30:00"},
      {"Var_Alert_Timeframe", "All of log"},
      {"Var_Alert_Downtime", "15 minutes "},
      {"Var_Alert_Downtime_in_Percent", "36"},
      {"Var_Alert_Min_Downtime", "5 minutes "},
      {"Var_Alert_Max_Downtime", "10 minutes "},
      {"Var_Alert_Average_Downtime", "7 minutes 30 seconds"},
      {"Var_Alert_Min_Uptime", "1 minutes 30 seconds"},
      {"Var_Alert_Max_Uptime", "14 minutes 50 seconds"},
      {"Var_Alert_Average_Uptime", "8 minutes 46 seconds"},
      {"Var_Alert_Total_Alerts", ""},
      {"Var_Alert_Total_Events", "9"},
      {"Var_Alert_Event_Index", "0"},
      {"Var_Alert_Event_Type", "INIT_UP"},
      {"Var_Alert_Uptime", "26 minutes 20 seconds"},
      {"Var_Alert_Uptime_In_Percent", "63"},
      {"Var_Alert_Previous_State", ""},
  };
  for (const auto& [token, value] : expected) EXPECT_EQ(g_engine.values[token], value) << token;
  EXPECT_EQ(g_engine.status["Var_Alert_Not_A_Token"], kTokenUnknown);
  EXPECT_EQ(g_engine.status["Var_Alert_Report_Title"], kTokenRetrieved);

  ASSERT_EQ(g_engine.rows.size(), 9u);
  const std::vector<std::string> names = {"INIT_UP", "STATUS_DOWN", "DOWN",   "STATUS_UP",  "GOODBYE",
                                          "HELLO",   "INIT_UP",     "STATUS_DOWN", "GOODBYE"};
  for (size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(g_engine.rows[i]["Var_Alert_Event_Type"], names[i]) << i;
    EXPECT_EQ(g_engine.rows[i]["Var_Alert_Event_Index"], std::to_string(i));
  }
  auto& alert = g_engine.rows[2];
  EXPECT_EQ(alert["Var_Alert_Extended_Error_Code"], "Host");
  EXPECT_EQ(alert["Var_Alert_Extended_Error_Desc"], "down now");
  EXPECT_EQ(alert["Var_Alert_Num_Actions_Taken"], "2");
  EXPECT_EQ(alert["Var_Alert_Action_Details"], "EMAIL");
  EXPECT_EQ(alert["Var_Alert_Event_Time"], "01:49:20");
  EXPECT_EQ(alert["Var_Alert_Extended_Status_Code"], "10060");
  EXPECT_EQ(alert["Var_Alert_Extended_Status_Desc"], "timed out");
  EXPECT_EQ(alert["Var_Alert_Recovery_Text"], "Restart");
  EXPECT_EQ(alert["Var_Alert_Previous_State"], "STATUS_DOWN");
  EXPECT_EQ(g_engine.rows[1]["Var_Alert_Current_State"], "0");
  EXPECT_EQ(g_engine.rows[5]["Var_Alert_Login_ID"], "anna");
  EXPECT_EQ(g_engine.rows[6]["Var_Alert_Previous_State"], "");  // after HELLO
  EXPECT_EQ(g_engine.actions[2], (std::vector<std::string>{"EMAIL|a@b", "AUDIO|alarm.wav"}));
  EXPECT_TRUE(g_engine.actions[0].empty());
  EXPECT_EQ(g_engine.fileActions, 1);  // a file target collects nothing

  const std::string log = SchedulerLog();
  EXPECT_NE(log.find(", BEGIN: foreground report\tVozed Uvarirada"), std::string::npos);
  EXPECT_NE(log.find(", END: foreground report\tVozed Uvarirada"), std::string::npos);
  EXPECT_TRUE(qvp::TakeUnexpectedPrompts().empty());
}

TEST_F(ReportRunTest, TokensOfAnEventWithoutACurrentEventAreRetrievalErrors) {
  ReportRequestWithReport run{};
  run.request.report = &run.report;
  ReportContext context;
  context.request = &run.request;
  RegisterReportContext(&context);
  char status[64];
  EXPECT_STREQ(GetSummaryValue(&run.request, "Var_Alert_Extended_Error_Code", 0, 0, nullptr, status), "");
  EXPECT_STREQ(status, kTokenRetrievalError);
  EXPECT_STREQ(GetSummaryValue(&run.request, "var_alert_total_events", 0, 0, nullptr, status), "0");
  EXPECT_STREQ(status, kTokenRetrieved);
  EXPECT_STREQ(GetSummaryValue(&run.request, "Var_Alert_Downtime_in_Percent", 0, 0, nullptr, status), "0");
  EXPECT_STREQ(GetSummaryValueBackground(&run.request, "Nope", 0, 0, nullptr, status), "");
  EXPECT_STREQ(status, kTokenBad);
  UnregisterReportContext(&context);
  EXPECT_STREQ(GetSummaryValue(&run.request, "Var_Alert_Total_Events", 0, 0, nullptr, status), "");
  EXPECT_STREQ(status, kTokenRetrievalError);
  EXPECT_EQ(SummaryTokenId("VAR_ALERT_PROFILE_NAME"), 2);
  EXPECT_EQ(SummaryTokenId("Var_Alert_Recovery_Text"), 46);
  EXPECT_EQ(SummaryTokenId(""), -1);
  EXPECT_EQ(DurationText(3725), "1 hours 2 minutes 5 seconds");
  EXPECT_EQ(PercentText(int64_t{3} << 40, int64_t{3} << 40, int64_t{1} << 40), "75");  // no 32-bit overflow
}

TEST_F(ReportRunTest, LastFiftyEntriesEndWithTheClosingGoodbye) {
  Profile("lert0000.amp", "Web server", "h1");
  Start();
  UseFakeEngine();
  for (int i = 0; i < 120; ++i) Status(kT + 10 * i, "STATUS", i % 2 == 0 ? "UP" : "DOWN");
  ReportRequestWithReport run{};
  run.request.profile = rows_[0];
  run.request.report = &run.report;
  run.request.scheduled = 1;
  std::strcpy(run.request.logPath, QVUI_GetScheduleLogFilename(nullptr));
  run.report.reportType = 1;
  run.report.timeRange = 5;
  std::strcpy(run.report.saveTo, "r.htm");  // a bare name goes below the report directory
  EXPECT_EQ(RunAlertReportDialog(nullptr, &run.request), 1);
  EXPECT_EQ(g_engine.values["Var_Alert_Total_Events"], "50");
  EXPECT_EQ(g_engine.rows.back()["Var_Alert_Event_Type"], "GOODBYE");
  EXPECT_EQ(g_engine.rows.front()["Var_Alert_Event_Time"], "01:58:30");  // entries 71-119, then GOODBYE
  EXPECT_TRUE(dir_.exists("REPORTS/Alert/r.htm"));
}

TEST_F(ReportRunTest, ScheduledFailuresGoToTheLogNeverABox) {
  Profile("lert0000.amp", "Web server", "h1");
  Start();
  UseFakeEngine();
  ReportRequestWithReport run{};
  run.request.profile = rows_[0];
  run.request.report = &run.report;
  run.request.scheduled = 1;
  std::strcpy(run.request.logPath, QVUI_GetScheduleLogFilename(nullptr));
  run.report.reportType = 1;
  std::strcpy(run.report.saveTo, "r.htm");
  EXPECT_EQ(RunAlertReportDialog(nullptr, &run.request), 0);  // no status log
  EXPECT_NE(SchedulerLog().find("Unable to locate the status log file"), std::string::npos);

  Status(kT, "STATUS", "UP", "999");
  EXPECT_EQ(RunAlertReportDialog(nullptr, &run.request), 0);
  EXPECT_NE(SchedulerLog().find("No applicable entries found in the status log"), std::string::npos);

  Status(kT + 5, "STATUS", "UP");
  g_engine.result = 1;
  EXPECT_EQ(RunAlertReportDialog(nullptr, &run.request), 0);
  EXPECT_NE(SchedulerLog().find("Problems with the template file."), std::string::npos);

  g_engine.result = 0;
  run.report.urlType = kSaveToHttp;
  std::strcpy(run.report.saveTo, "http://host/r.htm");
  EXPECT_EQ(RunAlertReportDialog(nullptr, &run.request), 0);  // refused, never reported made
  EXPECT_NE(SchedulerLog().find("http://host/r.htm"), std::string::npos);
  EXPECT_TRUE(qvp::TakeUnexpectedPrompts().empty());
}

TEST_F(ReportRunTest, BackgroundReportAnswersFromTheDeviceSnapshot) {
  Profile("lert0000.amp", "Web server", "h1");
  Profile("lert0001.amp", "Mail server", "h2");
  Start();
  UseFakeEngine();
  MEMORIZED_REPORT memorized{};
  std::strcpy(memorized.description, "Auto");
  std::strcpy(memorized.reportTitle, "All devices");
  ASSERT_TRUE(WriteMemorizedReport(&memorized, DataPath("ALERT0.AMR").c_str()));
  const std::string ini = dir_.dir() + "QVM_ALRT\\QVM_ALRT.INI";
  WritePrivateProfileStringA("AutoReport", "GenerateReport", "1", ini.c_str());
  WritePrivateProfileStringA("AutoReport", "SaveEvery", "10", ini.c_str());
  WritePrivateProfileStringA("AutoReport", "MemRptFilename", DataPath("ALERT0.AMR").c_str(), ini.c_str());

  // No devices yet: logged, no report.
  WritePrivateProfileStringA("AutoReport", "SaveAs", (dir_.dir() + "auto\\summary.htm").c_str(), ini.c_str());
  EXPECT_EQ(RunBackgroundReport(1, nullptr), 0);
  EXPECT_NE(SchedulerLog().find("No device summary data available yet."), std::string::npos);

  const auto& profiles = plugin_->GetProfiles();
  devices_.devices = {profiles[0], profiles[1]};
  DeviceStatus up;
  up.statusCode = 0;
  std::strcpy(up.statusText, "Up");
  up.stateChangedTime = static_cast<int32_t>(kT);
  DeviceStatus testing;
  testing.statusCode = 1;
  std::strcpy(testing.statusText, "Testing...");
  devices_.status[profiles[0]] = up;
  devices_.status[profiles[1]] = testing;
  EXPECT_EQ(RunBackgroundReport(1, nullptr), 1);
  EXPECT_TRUE(dir_.exists("auto/summary.htm"));
  EXPECT_EQ(g_engine.properties[2], dir_.dir() + "QVM_ALRT\\BKGND.WCT");
  EXPECT_NE(g_engine.control.find("Object1=SummaryReportChapter"), std::string::npos);
  EXPECT_EQ(g_engine.status["Var_Alert_Not_A_Token"], kTokenBad);
  ASSERT_EQ(g_engine.rows.size(), 2u);
  EXPECT_EQ(g_engine.rows[0]["Var_Alert_Report_Title"], "All devices");
  EXPECT_EQ(g_engine.rows[0]["Var_Alert_Profile_Name"], "Web server");
  EXPECT_EQ(g_engine.rows[0]["Var_Alert_Host_Device"], "h1");
  EXPECT_EQ(g_engine.rows[0]["Var_Alert_Profile_Type"], "PING");
  EXPECT_EQ(g_engine.rows[0]["Var_Alert_Status"], "UP");
  EXPECT_EQ(g_engine.rows[0]["Var_Alert_Last_Changed"], "Sun, Sep 9, 2001, 01:46:40");
  EXPECT_EQ(g_engine.rows[0]["Var_Alert_Num_Profiles"], "2");
  EXPECT_EQ(g_engine.rows[0]["Var_Alert_Auto_Frequency"], "300");
  EXPECT_EQ(g_engine.rows[1]["Var_Alert_Status"], "INDETERMINATE");
  EXPECT_EQ(g_engine.rows[1]["Var_Alert_Status_Description"], "Down / Verifying");
  EXPECT_EQ(g_engine.rows[1]["Var_Alert_Last_Changed"], "n/a");
  const std::string log = SchedulerLog();
  EXPECT_NE(log.find("BEGIN: background report"), std::string::npos);
  EXPECT_NE(log.find("END: background report"), std::string::npos);
  EXPECT_TRUE(qvp::TakeUnexpectedPrompts().empty());
}

}  // namespace

namespace {

// An engine for runs on several threads: writes the report and counts; a
// background run can be held inside the engine until the test lets it go.
struct ConcurrentEngine {
  std::mutex lock;
  int made = 0;
  HANDLE entered = nullptr;  // set when a held background run is inside
  HANDLE release = nullptr;  // the held run goes on when set
  bool holdBackground = false;
};
ConcurrentEngine g_concurrent;

int ConcurrentEngineRun(const char* /*script*/, void* request, ReportSummaryProc summary,
                        ReportPropertyProc property, ReportStatusProc /*status*/, ReportFileProc /*files*/) {
  char status[64];
  const char* rowToken = summary == &GetSummaryValueBackground ? "Var_Alert_Host_Device" : "Var_Alert_Event_Type";
  for (int row = 0;; ++row) {
    summary(request, rowToken, row, 0, nullptr, status);
    if (std::string(status) == kTokenRetrievalError) break;
  }
  bool hold = false;
  {
    std::lock_guard<std::mutex> guard(g_concurrent.lock);
    hold = summary == &GetSummaryValueBackground && g_concurrent.holdBackground;
    g_concurrent.holdBackground = false;
  }
  if (hold) {
    SetEvent(g_concurrent.entered);
    WaitForSingleObject(g_concurrent.release, INFINITE);
  }
  char output[MAX_PATH] = "";
  GetPrivateProfileStringA("General", "SaveReportAs", "", output, sizeof output, property(request, 3));
  HANDLE file = CreateFileA(output, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 9;
  CloseHandle(file);
  std::lock_guard<std::mutex> guard(g_concurrent.lock);
  ++g_concurrent.made;
  return 0;
}

TEST_F(ReportRunTest, AutoReportRunsBesideAForegroundReportAndASecondOneGivesUp) {
  Profile("lert0000.amp", "Web server", "h1");
  Start();
  StoreHostCallback(HC_CREATE_REPORT, reinterpret_cast<FARPROC>(&ConcurrentEngineRun));
  g_concurrent.entered = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  g_concurrent.release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  MEMORIZED_REPORT memorized{};
  ASSERT_TRUE(WriteMemorizedReport(&memorized, DataPath("ALERT0.AMR").c_str()));
  const std::string ini = dir_.dir() + "QVM_ALRT\\QVM_ALRT.INI";
  WritePrivateProfileStringA("AutoReport", "MemRptFilename", DataPath("ALERT0.AMR").c_str(), ini.c_str());
  WritePrivateProfileStringA("AutoReport", "SaveAs", (dir_.dir() + "auto\\summary.htm").c_str(), ini.c_str());
  devices_.devices = {plugin_->GetProfiles()[0]};
  devices_.status[plugin_->GetProfiles()[0]] = DeviceStatus{};
  Status(kT, "STATUS", "UP");

  // A held AutoReport: a second one gives up at once instead of queueing.
  g_concurrent.holdBackground = true;
  int held = -1;
  std::thread worker([&] { held = RunBackgroundReport(1, nullptr); });
  ASSERT_EQ(WaitForSingleObject(g_concurrent.entered, 60000), WAIT_OBJECT_0);
  EXPECT_EQ(RunBackgroundReport(1, nullptr), 0);
  SetEvent(g_concurrent.release);
  worker.join();
  EXPECT_EQ(held, 1);

  // AutoReport on a worker while the user's report runs: both are made, one after the other.
  ReportRequestWithReport run{};
  run.request.profile = rows_[0];
  run.request.report = &run.report;
  run.request.scheduled = 1;
  std::strcpy(run.request.logPath, QVUI_GetScheduleLogFilename(nullptr));
  run.report.reportType = 1;
  std::strcpy(run.report.saveTo, "fg.htm");
  int background = -1;
  std::thread second([&] { background = RunBackgroundReport(1, nullptr); });
  const int foreground = RunAlertReportDialog(nullptr, &run.request);
  second.join();
  EXPECT_EQ(foreground, 1);
  EXPECT_EQ(background, 1);
  EXPECT_EQ(g_concurrent.made, 3);
  CloseHandle(g_concurrent.entered);
  CloseHandle(g_concurrent.release);
}

}  // namespace
