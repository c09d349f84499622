#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>
#include <string>

#include "memorized_report.h"
#include "qv_ui.h"
#include "report_test_support.h"

namespace {

using qvtest::SectionKeys;
using qvtest::SectionLines;

class ScheduleEventsTest : public ReportPluginTest {};

TEST_F(ScheduleEventsTest, EventFileKeysInWriterOrderAndBackWithPasswordBoundedByItsField) {
  SCHEDULE_EVENT event{};
  event.startTime = 1700000000;
  event.repeatType = 2;
  event.repeatFrequency = 3;
  std::strcpy(event.saveAs, "ftp://host/dir/r.htm");
  std::strcpy(event.associatedProfileFile, "c:\\x\\lert0000.amp");
  std::strcpy(event.userName, "anna");
  std::memset(event.password, 'p', 82);
  std::strcpy(event.memorizedReportFile, "c:\\x\\ALERT0.AMR");
  const std::string path = dir_.file("ALERT0.AMS");
  ASSERT_TRUE(WriteScheduleEvent(&event, path.c_str()));
  EXPECT_EQ(SectionKeys(dir_.read("ALERT0.AMS"), "Main"),
            (std::vector<std::string>{"StartTime", "RepeatType", "RepeatFrequency", "SaveAsFilename",
                                      "AssociatedProfileFilename", "Username", "Password",
                                      "MemorizedReportFilename"}));
  EXPECT_EQ(dir_.read("ALERT0.AMS").find("pppp"), std::string::npos);  // never in plain text
  struct stat info{};
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);

  SCHEDULE_EVENT back;
  std::memset(&back, 0x5A, sizeof back);
  ReadScheduleEvent(&back, path.c_str());
  EXPECT_STREQ(back.eventFile, path.c_str());
  EXPECT_EQ(int32_t{back.startTime}, 1700000000);
  EXPECT_EQ(int32_t{back.repeatType}, 2);
  EXPECT_EQ(int32_t{back.repeatFrequency}, 3);
  EXPECT_STREQ(back.saveAs, event.saveAs);
  EXPECT_STREQ(back.password, event.password);
  EXPECT_EQ(back.profile, nullptr);
  EXPECT_EQ(int32_t{back.active}, 0);

  // A stored password longer than the field is cut to the field.
  char stored[400];
  std::string longPassword(150, 'q');
  QVUI_EncryptPassword(longPassword.c_str(), stored, 165);
  WritePrivateProfileStringA("Main", "Password", stored, path.c_str());
  ReadScheduleEvent(&back, path.c_str());
  EXPECT_EQ(std::strlen(back.password), 82u);
}

TEST_F(ScheduleEventsTest, MemorizedReportClampsAndReadsTheWholeDescription) {
  dir_.write("r.amr",
             "[General]\nDescription=A description longer than thirty-nine characters, kept whole\n"
             "[SaveAs]\nURLType=2\nSaveReportAs=x.htm\n[Content]\nReportType=7\nTimeRange=-1\n");
  MEMORIZED_REPORT report;
  ASSERT_TRUE(ReadMemorizedReport(&report, dir_.file("r.amr").c_str()));
  EXPECT_STREQ(report.description, "A description longer than thirty-nine characters, kept whole");
  EXPECT_EQ(report.urlType, kSaveToFile);
  EXPECT_EQ(report.reportType, 1);
  EXPECT_EQ(report.timeRange, 0);
  EXPECT_FALSE(ReadMemorizedReport(&report, dir_.file("missing.amr").c_str()));
  EXPECT_EQ(report.reportType, 1);

  MEMORIZED_REPORT written{};
  std::strcpy(written.description, "Weekly");
  std::strcpy(written.saveTo, "mailto:a@b/r.htm");
  written.urlType = kSaveToMail;
  std::strcpy(written.saveToPassword, "secret");
  written.reportType = 2;
  written.timeRange = 5;
  ASSERT_TRUE(WriteMemorizedReport(&written, dir_.file("w.amr").c_str()));
  const std::string text = dir_.read("w.amr");
  EXPECT_EQ(qvtest::SectionNames(text), (std::vector<std::string>{"SaveAs", "General", "Style", "Content"}));
  EXPECT_EQ(SectionKeys(text, "SaveAs"),
            (std::vector<std::string>{"SaveReportAs", "SaveToUserName", "SaveToPassword", "URLType"}));
  EXPECT_EQ(SectionKeys(text, "Style"), (std::vector<std::string>{"ReportStyle", "ReportLanguage"}));
  EXPECT_EQ(SectionKeys(text, "Content"), (std::vector<std::string>{"ReportTitle", "ReportType", "TimeRange"}));
  EXPECT_EQ(text.find("secret"), std::string::npos);
  ASSERT_TRUE(ReadMemorizedReport(&report, dir_.file("w.amr").c_str()));
  EXPECT_STREQ(report.saveToPassword, "secret");
  EXPECT_EQ(report.urlType, kSaveToMail);
  EXPECT_EQ(report.timeRange, 5);
}

TEST_F(ScheduleEventsTest, UniqueNamesAndSaveToKinds) {
  dir_.write("d/ALERT0.AMS", "");
  dir_.write("d/alert2.ams", "");
  char path[MAX_PATH];
  ASSERT_TRUE(MakeUniqueFileName((dir_.dir() + "d\\").c_str(), "ALERT", "*.AMS", path, sizeof path));
  EXPECT_EQ(std::string(path), dir_.dir() + "d\\ALERT1.AMS");
  ASSERT_TRUE(MakeUniqueFileName((dir_.dir() + "d\\").c_str(), "ALERT", "*.AMR", path, sizeof path));
  EXPECT_EQ(std::string(path), dir_.dir() + "d\\ALERT0.AMR");

  EXPECT_EQ(GetSaveToType("FTP://host/dir/r.htm"), kSaveToFtp);
  EXPECT_EQ(GetSaveToType("c:\\reports\\r.htm"), kSaveToFile);  // a plain path is a file
  EXPECT_EQ(GetSaveToType("file:///c:/r.htm"), kSaveToFile);
  EXPECT_EQ(GetSaveToType("Mailto:a@b/r.htm"), kSaveToMail);
  EXPECT_EQ(GetSaveToType("http://h/r.htm"), kSaveToHttp);
}

TEST_F(ScheduleEventsTest, DynamicTableReusesFreedSlots) {
  SCHEDULE_EVENT event{};
  SCHEDULE_EVENT* a = AddDynamicEvent(&event);
  SCHEDULE_EVENT* b = AddDynamicEvent(&event);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(DynamicEventSlots(), 2);
  EXPECT_TRUE(RemoveDynamicEvent(a));
  EXPECT_FALSE(RemoveDynamicEvent(a));
  EXPECT_EQ(DynamicEventCount(), 1);
  SCHEDULE_EVENT* c = AddDynamicEvent(&event);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(DynamicEventSlots(), 2);
  EXPECT_EQ(DynamicEventCount(), 2);
}

TEST_F(ScheduleEventsTest, EnumerationSkipsAnEventWithoutItsProfileAndReportsItOnce) {
  const std::string amp = Profile("lert0000.amp", "Web server");
  Start();
  ASSERT_EQ(rows_.size(), 1u);
  SCHEDULE_EVENT* out = nullptr;
  EXPECT_EQ(FindScheduledEvent(nullptr, nullptr, &out), PLUGIN_FAILED);  // no event file yet

  SCHEDULE_EVENT event{};
  std::strcpy(event.associatedProfileFile, "c:\\gone\\lert0042.amp");
  ASSERT_TRUE(WriteScheduleEvent(&event, DataPath("ALERT0.AMS").c_str()));
  std::strcpy(event.associatedProfileFile, amp.c_str());
  event.startTime = 99;
  ASSERT_TRUE(WriteScheduleEvent(&event, DataPath("ALERT1.AMS").c_str()));

  qvp::PromptScript prompts;
  prompts.ExpectMessageBox("has no associated Alert profile", IDOK);
  for (int round = 0; round < 2; ++round) {
    std::vector<SCHEDULE_EVENT*> found;
    SCHEDULE_EVENT* previous = nullptr;
    int result;
    while ((result = FindScheduledEvent(nullptr, previous, &out)) == PLUGIN_DONE) {
      found.push_back(out);
      previous = out;
    }
    EXPECT_EQ(result, PLUGIN_NO_MORE);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(int32_t{found[0]->startTime}, 99);
    EXPECT_EQ(found[0]->profile, rows_[0]);
    EXPECT_EQ(int32_t{found[0]->active}, 1);
  }
  EXPECT_EQ(prompts.Pending(), 0u);
  ASSERT_EQ(prompts.Records().size(), 1u);  // once, not at every enumeration
  EXPECT_TRUE(qvp::TakeUnexpectedPrompts().empty());
}

TEST_F(ScheduleEventsTest, DeleteRemovesFileAndRecord) {
  const std::string amp = Profile("lert0000.amp", "Web server");
  Start();
  SCHEDULE_EVENT event{};
  std::strcpy(event.associatedProfileFile, amp.c_str());
  ASSERT_TRUE(WriteScheduleEvent(&event, DataPath("ALERT0.AMS").c_str()));
  SCHEDULE_EVENT* out = nullptr;
  ASSERT_EQ(FindScheduledEvent(nullptr, nullptr, &out), PLUGIN_DONE);
  EXPECT_EQ(DynamicEventCount(), 1);
  EXPECT_EQ(DeleteScheduledEvent(nullptr, out), PLUGIN_DONE);
  EXPECT_EQ(DynamicEventCount(), 0);
  EXPECT_FALSE(dir_.exists("qvm_alrt/datfiles/ALERT0.AMS") || dir_.exists("QVM_ALRT/DATFILES/ALERT0.AMS"));
}

}  // namespace
