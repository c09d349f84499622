// The report and schedule dialogs driven as a user drives them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "entry_format.h"
#include "qv_ui.h"
#include "qv_ui_internal.h"
#include "qvplatform/ui_driver.h"
#include "report_dialogs.h"
#include "report_resources.h"
#include "report_runner.h"
#include "report_test_support.h"
#include "save_target.h"

namespace {

using qvp::UiDriver;

std::string g_made;  // the last report file the engine wrote

// An engine that writes the report file the control file names.
int WritingEngine(const char* /*script*/, void* request, ReportSummaryProc summary, ReportPropertyProc property,
                  ReportStatusProc /*status*/, ReportFileProc files) {
  char status[64];
  summary(request, "Var_Alert_Report_Title", 0, 0, nullptr, status);
  char output[MAX_PATH] = "";
  GetPrivateProfileStringA("General", "SaveReportAs", "", output, sizeof output, property(request, 3));
  HANDLE file = CreateFileA(output, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 9;
  CloseHandle(file);
  g_made = output;
  const char* leaf = std::strrchr(output, '\\');
  files(request, 1, leaf != nullptr ? leaf + 1 : output);
  return 0;
}

// An engine that runs until told to stop, as a user's Cancel does: it clicks
// the progress dialog's Cancel itself after its first step.
int CancelledEngine(const char* /*script*/, void* request, ReportSummaryProc /*summary*/,
                    ReportPropertyProc /*property*/, ReportStatusProc status, ReportFileProc /*files*/) {
  for (int step = 0; step < 1000; ++step) {
    if (status(request, step, 1000, "working", 0) == 0) return 2;
    if (step == 0) {
      qvp::driver::WindowQuery progress;
      progress.template_id = IDD_ALERT_REPORT;
      // The progress shows while the report is made (not only when it is done).
      const qvp::Outcome clicked =
          qvp::driver::Click(qvp::driver::FindControl(qvp::driver::Find(progress), IDC_ALERT_REPORT_CANCEL));
      if (!clicked) {
        ADD_FAILURE() << clicked.problem;
        return 9;
      }
    }
  }
  return 0;
}

class ReportDialogsTest : public ReportPluginTest {
 protected:
  void SetUp() override {
    ReportPluginTest::SetUp();
    setenv("TZ", "UTC", 1);
    tzset();
    g_made.clear();
    qvui::SetProgramDirectoryForTests(dir_.dir());
    qvp::SetProcessLauncher([this](const qvp::ProcessLaunch& launch) {
      launches_.push_back(launch);
      return qvp::LaunchResult{};
    });
    SetReportClockForTests([] { return static_cast<time_t>(1000000100); });
    StoreHostCallback(HC_CREATE_REPORT, reinterpret_cast<FARPROC>(&WritingEngine));
    amp_ = Profile("lert0000.amp", "Web server", "h1");
    QVLS_FIELD fields[3] = {{4, "STATUS"}, {5, "UP"}, {8, "700"}};
    dir_.write("qvm_alrt/QVM_ALRT.LOG", qvls::EncodeEntry(fields, 3, 1000000000u));
    Start();
  }
  void TearDown() override {
    // The timed message of a shown report closes itself later; not in a test.
    qvp::driver::WindowQuery timedMessage;
    timedMessage.template_id = IDD_TIMED_MESSAGE;
    while (HWND timed = qvp::driver::Find(timedMessage)) DestroyWindow(timed);
    qvp::SetProcessLauncher(nullptr);
    SetReportClockForTests(nullptr);
    qvui::SetProgramDirectoryForTests("");
    ReportPluginTest::TearDown();
  }
  std::string ReportsDir() const { return dir_.dir() + "REPORTS\\Alert\\"; }

  std::string amp_;
  std::vector<qvp::ProcessLaunch> launches_;
};

TEST_F(ReportDialogsTest, NewEditRunNowAndDeleteAScheduleEvent) {
  MEMORIZED_REPORT report{};
  std::strcpy(report.description, "Weekly");
  report.reportType = 1;
  ASSERT_TRUE(WriteMemorizedReport(&report, DataPath("ALERT0.AMR").c_str()));

  // New: a bad time first, then a good one.
  UiDriver driver;
  driver.OnDialog(IDD_SCHEDULE)
      .Type(IDC_SCHEDULE_TIME, "24:00:00")
      .Type(IDC_SCHEDULE_DATE, "12/31/30")
      .Type(IDC_SCHEDULE_FREQUENCY, "2")
      .Select(IDC_SCHEDULE_REPEAT, 1)
      .Type(IDC_SCHEDULE_TARGET, "x.htm")
      .Click(IDOK);
  driver.ExpectMessageBox("Invalid time.", IDOK);
  driver.OnDialog(IDD_SCHEDULE).Type(IDC_SCHEDULE_TIME, "10:30").Click(IDOK);
  SCHEDULE_EVENT* event = nullptr;
  ASSERT_EQ(EditScheduledEvent(nullptr, nullptr, &event), PLUGIN_DONE);
  for (const std::string& problem : driver.Problems()) ADD_FAILURE() << problem;
  ASSERT_NE(event, nullptr);
  EXPECT_EQ(event->profile, rows_[0]);
  EXPECT_EQ(int32_t{event->active}, 1);
  const std::string text = dir_.read("qvm_alrt/datfiles/ALERT0.AMS");
  EXPECT_EQ(qvtest::SectionLines(text, "Main"),
            (std::vector<std::string>{"StartTime=1924943400", "RepeatType=1", "RepeatFrequency=2",
                                      "SaveAsFilename=file:///" + ReportsDir() + "x.htm",
                                      "AssociatedProfileFilename=" + amp_, "Username=", "Password=",
                                      "MemorizedReportFilename=" + DataPath("ALERT0.AMR")}));

  // Edit: the same record changes in place.
  driver.OnDialog(IDD_SCHEDULE).Type(IDC_SCHEDULE_FREQUENCY, "5").Click(IDOK);
  SCHEDULE_EVENT* edited = nullptr;
  ASSERT_EQ(EditScheduledEvent(nullptr, event, &edited), PLUGIN_DONE);
  EXPECT_EQ(edited, event);
  EXPECT_EQ(int32_t{event->repeatFrequency}, 5);
  EXPECT_EQ(DynamicEventCount(), 1);

  // Run now: a scheduled run makes the report without a user and ends by itself.
  EXPECT_EQ(StartScheduledEvent(nullptr, event), PLUGIN_DONE);
  EXPECT_EQ(g_made, ReportsDir() + "x.htm");
  EXPECT_TRUE(launches_.empty());  // no browser without a user
  const std::string log = dir_.read("SCHEDULE.LOG");
  EXPECT_NE(log.find("BEGIN: foreground report"), std::string::npos);
  EXPECT_NE(log.find("END: foreground report"), std::string::npos);

  // Delete.
  EXPECT_EQ(DeleteScheduledEvent(nullptr, event), PLUGIN_DONE);
  EXPECT_FALSE(dir_.exists("qvm_alrt/datfiles/ALERT0.AMS"));
  EXPECT_EQ(DynamicEventCount(), 0);
  EXPECT_TRUE(driver.Problems().empty());
}

TEST_F(ReportDialogsTest, MemorizeThenStartMakesAndShowsTheReport) {
  UiDriver driver;
  driver.OnDialog(IDD_REPORT).Click(IDC_REPORT_MEMORIZE);
  driver.OnDialog(IDD_MEMORIZED_NAME).Type(IDC_NAME_EDIT, "Daily check").Click(IDOK);
  driver.OnDialog(IDD_REPORT_RANGE).Check(IDC_RANGE_COMPLETE).Select(IDC_RANGE_LIST, 1);
  driver.OnDialog(IDD_REPORT).Click(IDC_REPORT_MEMORIZE);
  driver.OnDialog(IDD_MEMORIZED_NAME).Click(IDOK);  // the same name again
  driver.OnDialog(IDD_REPORT).Click(IDC_REPORT_START);
  EXPECT_EQ(GenerateReportForRow(nullptr, rows_[0]), PLUGIN_DONE);
  for (const std::string& problem : driver.Problems()) ADD_FAILURE() << problem;

  // Memorizing again under the same name rewrote the one file.
  EXPECT_TRUE(dir_.exists("qvm_alrt/datfiles/ALERT0.AMR"));
  EXPECT_FALSE(dir_.exists("qvm_alrt/datfiles/ALERT1.AMR"));
  MEMORIZED_REPORT stored;
  ASSERT_TRUE(ReadMemorizedReport(&stored, DataPath("ALERT0.AMR").c_str()));
  EXPECT_STREQ(stored.description, "Daily check");
  EXPECT_EQ(stored.reportType, 2);
  EXPECT_EQ(stored.timeRange, 1);
  EXPECT_EQ(std::string(stored.saveTo), "file:///" + ReportsDir() + "AutoSummary.HTM");
  EXPECT_EQ(std::string(stored.reportTitle), "Alert Monitor Report");
  // Started: the report made where the Save As page said, shown in the browser.
  EXPECT_EQ(g_made, ReportsDir() + "AutoSummary.HTM");
  EXPECT_EQ(launches_.size(), 1u);
  char last[80] = "";
  GetPrivateProfileStringA("Main", "LastReport", "", last, sizeof last,
                           (dir_.dir() + "QVM_ALRT\\QVM_ALRT.INI").c_str());
  EXPECT_STREQ(last, "Daily check");
}

TEST_F(ReportDialogsTest, AnEmptyTitleOrAMissingMailAddressKeepsTheDialogOpen) {
  UiDriver driver;
  driver.OnDialog(IDD_REPORT).Select(IDC_REPORT_TABS, 1);
  driver.OnDialog(IDD_REPORT_STYLE).Type(IDC_STYLE_TITLE, "\b");
  driver.OnDialog(IDD_REPORT).Click(IDC_REPORT_START);  // stays open on the Style tab
  driver.OnDialog(IDD_REPORT_STYLE).Type(IDC_STYLE_TITLE, "T");
  driver.OnDialog(IDD_REPORT).Select(IDC_REPORT_TABS, 2);
  driver.OnDialog(IDD_REPORT_SAVE_AS).Select(IDC_SAVE_SCHEME, 2);
  driver.OnDialog(IDD_REPORT).Click(IDC_REPORT_START);
  driver.ExpectMessageBox("Please enter an e-Mail address.", IDOK);
  driver.OnDialog(IDD_REPORT).Click(IDCANCEL);
  EXPECT_EQ(GenerateReportForRow(nullptr, rows_[0]), PLUGIN_FAILED);
  for (const std::string& problem : driver.Problems()) ADD_FAILURE() << problem;
  EXPECT_TRUE(g_made.empty());
}

// Ctrl+Tab (with Shift: backwards) and Ctrl+PgDn/PgUp, as held keys reach the
// dialog's own loop.
void PressWithControl(HWND dialog, UINT key, bool shift) {
  HWND target = GetFocus() != nullptr ? GetFocus() : dialog;
  PostMessageA(target, WM_KEYDOWN, VK_CONTROL, 1);
  if (shift) PostMessageA(target, WM_KEYDOWN, VK_SHIFT, 1);
  PostMessageA(target, WM_KEYDOWN, key, 1);
  PostMessageA(target, WM_KEYUP, key, 1);
  if (shift) PostMessageA(target, WM_KEYUP, VK_SHIFT, 1);
  PostMessageA(target, WM_KEYUP, VK_CONTROL, 1);
}

TEST_F(ReportDialogsTest, ControlTabTurnsTheTabPagesAndShowsEachPage) {
  UiDriver driver;
  std::vector<int> tabs;  // the selected tab after each key
  std::vector<bool> shown;  // whether that tab's page was the one shown
  const int pages[3] = {IDD_REPORT_RANGE, IDD_REPORT_STYLE, IDD_REPORT_SAVE_AS};
  const auto note = [&](HWND dialog) {
    const int tab = static_cast<int>(SendDlgItemMessageA(dialog, IDC_REPORT_TABS, TCM_GETCURSEL, 0, 0));
    tabs.push_back(tab);
    qvp::driver::WindowQuery page;
    page.template_id = pages[tab < 0 || tab > 2 ? 0 : tab];
    HWND found = qvp::driver::Find(page);
    shown.push_back(found != nullptr && IsWindowVisible(found));
  };
  driver.OnDialog(IDD_REPORT).Select(IDC_REPORT_TABS, 0).Do([&](HWND dialog) {
    note(dialog);
    PressWithControl(dialog, VK_TAB, false);
  });
  driver.OnDialog(IDD_REPORT).Do([&](HWND dialog) {
    note(dialog);
    PressWithControl(dialog, VK_TAB, true);
  });
  driver.OnDialog(IDD_REPORT).Do([&](HWND dialog) {
    note(dialog);
    PressWithControl(dialog, VK_PRIOR, false);
  });
  driver.OnDialog(IDD_REPORT).Do([&](HWND dialog) {
    note(dialog);
    PressWithControl(dialog, VK_NEXT, false);
  });
  driver.OnDialog(IDD_REPORT).Do([&](HWND dialog) { note(dialog); }).Click(IDCANCEL);
  EXPECT_EQ(GenerateReportForRow(nullptr, rows_[0]), PLUGIN_FAILED);
  for (const std::string& problem : driver.Problems()) ADD_FAILURE() << problem;
  EXPECT_EQ(tabs, (std::vector<int>{0, 1, 0, 2, 0}));
  EXPECT_EQ(shown, (std::vector<bool>{true, true, true, true, true}));
}

TEST_F(ReportDialogsTest, CancelStopsTheEngineAndTheUserIsTold) {
  StoreHostCallback(HC_CREATE_REPORT, reinterpret_cast<FARPROC>(&CancelledEngine));
  ReportRequestWithReport run{};
  run.request.profile = rows_[0];
  run.request.report = &run.report;
  run.report.reportType = 1;
  std::strcpy(run.report.saveTo, "r.htm");
  qvp::PromptScript prompts;
  prompts.ExpectMessageBox("Report was canceled.", IDOK);
  EXPECT_EQ(RunAlertReportDialog(nullptr, &run.request), 0);  // ends by itself: nobody clicks Close
  EXPECT_EQ(prompts.Pending(), 0u);
  EXPECT_TRUE(launches_.empty());
  for (const auto& prompt : qvp::TakeUnexpectedPrompts()) ADD_FAILURE() << prompt.text;
}

TEST(SaveTargetTest, TargetsAsUsersTypeThem) {
  std::string text, out;
  EXPECT_EQ(ParseSaveTarget(&text, "c:\\web\\x.htm"), 0);
  EXPECT_EQ(ParseSaveTarget(&text, "FILE:///c|/web/x.htm"), 0);
  EXPECT_EQ(text, "c:\\web\\x.htm");
  EXPECT_EQ(ParseSaveTarget(&text, "Ftp://h/d/r.htm"), 1);
  EXPECT_EQ(text, "h/d/r.htm");
  EXPECT_EQ(ParseSaveTarget(&text, "odbc:dsn"), 4);
  EXPECT_EQ(ParseSaveTarget(&text, "weird"), 0);

  int message = 0;
  ASSERT_TRUE(ValidateSaveTo(0, ".\\x.htm", "", "C:\\R\\", &out, &message));
  EXPECT_EQ(out, "C:\\R\\x.htm");
  ASSERT_TRUE(ValidateSaveTo(0, "x.htm", "", "C:\\R\\", &out, &message));
  EXPECT_EQ(out, "C:\\R\\x.htm");
  ASSERT_TRUE(ValidateSaveTo(0, "c:\\web\\x.htm", "", "C:\\R\\", &out, &message));
  EXPECT_EQ(out, "c:\\web\\x.htm");
  // A full path from the root, as the dialog stores it, is kept on the next edit.
  ASSERT_TRUE(ValidateSaveTo(0, "\\srv\\R\\x.htm", "", "\\srv\\R\\", &out, &message));
  EXPECT_EQ(out, "\\srv\\R\\x.htm");
  ASSERT_TRUE(ValidateSaveTo(0, "\\x.htm", "", "C:\\R\\", &out, &message));
  EXPECT_EQ(out, "C:\\R\\x.htm");
  EXPECT_FALSE(ValidateSaveTo(0, "", "", "C:\\R\\", &out, &message));
  EXPECT_EQ(message, 6);
  EXPECT_FALSE(ValidateSaveTo(3, "r.htm", "", "C:\\R\\", &out, &message));
  EXPECT_EQ(message, 7);
  ASSERT_TRUE(ValidateSaveTo(3, "r.htm", "a@b.example", "C:\\R\\", &out, &message));
  EXPECT_EQ(out, "mailto:a@b.example/r.htm");

  EXPECT_TRUE(BuildSaveTarget(0, "C:\\R\\x.htm", &out));
  EXPECT_EQ(out, "file:///C:\\R\\x.htm");
  EXPECT_FALSE(BuildSaveTarget(1, "hostonly", &out));
  EXPECT_TRUE(BuildSaveTarget(1, "ftp://hostonly", &out));  // typed whole: kept
  EXPECT_TRUE(BuildSaveTarget(1, "host/dir/r.htm", &out));
  EXPECT_EQ(out, "ftp://host/dir/r.htm");
  EXPECT_FALSE(BuildSaveTarget(3, "nobody/r.htm", &out));
}

TEST(SaveTargetTest, DatesAndTimesByTheRegionalSettings) {
  int day = 0, month = 0, year = 0;
  EXPECT_TRUE(ParseScheduleDate("12/31/98", &day, &month, &year));
  EXPECT_EQ(day, 31);
  EXPECT_EQ(month, 12);
  EXPECT_EQ(year, 98);
  EXPECT_TRUE(ParseScheduleDate("02/01/05", &day, &month, &year));
  EXPECT_EQ(year, 105);
  EXPECT_FALSE(ParseScheduleDate("02/30/99", &day, &month, &year));
  EXPECT_FALSE(ParseScheduleDate("01/01/1969", &day, &month, &year));
  EXPECT_TRUE(ParseScheduleDate("01/01/2040", &day, &month, &year));
  EXPECT_EQ(year, 140);
  EXPECT_FALSE(ParseScheduleDate("1/2", &day, &month, &year));
  EXPECT_FALSE(ParseScheduleTime("24:00:00"));
  EXPECT_TRUE(ParseScheduleTime("23:59"));
  EXPECT_FALSE(ParseScheduleTime("12:60"));
  EXPECT_FALSE(ParseScheduleTime("ab"));
  setenv("TZ", "UTC", 1);
  tzset();
  std::string date, time;
  time_t when = 1924943400;  // 31 Dec 2030 10:30 UTC
  FormatScheduleDateTime(true, &date, &time, &when);
  EXPECT_EQ(date, "12/31/2030");
  EXPECT_EQ(time, "10:30:00");
  when = 915100200;  // 31 Dec 1998
  FormatScheduleDateTime(false, &date, &time, &when);
  EXPECT_EQ(date, "12/31/98");
}

}  // namespace
