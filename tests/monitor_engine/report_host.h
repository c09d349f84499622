// Tests only: the built monitoring plug-in bound as the program binds it, in a
// program directory of the test's own with the report engine, its script and
// templates beside it; host callback 15 runs the real report engine, and the
// scheduler log lies in that directory. Reports start as the scheduler starts
// them: plug-in function 9 hands out the ".AMS" event, function 11 runs it.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "test_host.h"
#include "program_dir.h"
#include "qv_ui.h"
#include "qv_ui_internal.h"
#include "smtp_mail_control.h"
#include "test_files.h"

namespace reporthost {

namespace fs = std::filesystem;

constexpr unsigned kAlertingKind = 4;

using PerlRunFn = int (*)(const char*, void*, ReportSummaryProc, ReportPropertyProc, ReportStatusProc,
                          ReportFileProc);
inline PerlRunFn g_perlRun = nullptr;

// Host callback 15 as the program answers it: the report engine of qv_report.
inline int RealCreateReport(const char* script, void* request, ReportSummaryProc summary,
                            ReportPropertyProc property, ReportStatusProc status, ReportFileProc files) {
  return g_perlRun(script, request, summary, property, status, files);
}

using qvtest::ReadFile;

// The Windows form of a path.
inline std::string Windows(std::string path) {
  for (char& c : path) c = c == '/' ? '\\' : c;
  return path;
}

class ReportHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    program_.LinkPluginWithReports(QV_TEST_DIST_DIR);
    program_.Link(QV_TEST_DIST_DIR, "FTP4W32.DLL");
    qvui::SetProgramDirectoryForTests(Windows(program_.path()));
    engine_ = LoadLibraryA((program_.path() + "/libqv_report.so").c_str());
    ASSERT_NE(engine_, nullptr);
    g_perlRun = reinterpret_cast<PerlRunFn>(GetProcAddress(engine_, "PerlRun"));
    ASSERT_NE(g_perlRun, nullptr);
  }
  void TearDown() override {
    host_.Unbind();
    if (engine_ != nullptr) FreeLibrary(engine_);
    g_perlRun = nullptr;
    qvui::SetProgramDirectoryForTests("");
    EXPECT_TRUE(qvp::TakeUnexpectedPrompts().empty());
  }

  // Binds the plug-in with the real report engine behind callback 15.
  PROFILE* Bind() {
    if (host_.LoadPlugins(program_.path()) != 1) return nullptr;
    host_.plugins().front()->SupplyCallback(HC_CREATE_REPORT, reinterpret_cast<FARPROC>(&RealCreateReport));
    const auto& rows = host_.RebuildProfileTable();
    return rows.empty() ? nullptr : rows.front();
  }

  // A data file's path as the plug-in spells it.
  std::string DataPath(const std::string& name) const {
    return Windows(program_.path() + "\\QVM_ALRT\\DATFILES\\" + name);
  }
  std::string SchedulerLog() const { return ReadFile(program_.path() + "/SCHEDULE.LOG"); }

  // The event: the memorized report ALERT0.AMR of lert0000.amp, saved to `target`.
  void WriteEvent(const std::string& target, const std::string& user = "", const std::string& password = "") {
    char scrambled[165] = "";
    QVUI_EncryptPassword(password.c_str(), scrambled, sizeof scrambled);
    program_.dir().write("qvm_alrt/datfiles/ALERT0.AMS",
                         "[Main]\r\nStartTime=0\r\nRepeatType=0\r\nRepeatFrequency=1\r\nSaveAsFilename=" + target +
                             "\r\nAssociatedProfileFilename=" + DataPath("lert0000.amp") + "\r\nUsername=" + user +
                             "\r\nPassword=" + scrambled + "\r\nMemorizedReportFilename=" + DataPath("ALERT0.AMR") +
                             "\r\n");
  }
  void WriteReportSettings(int type, int range) {
    program_.dir().write("qvm_alrt/datfiles/ALERT0.AMR",
                         "[SaveAs]\r\nSaveReportAs=\r\n[General]\r\nDescription=Statistics\r\n[SaveAs]\r\nURLType=0\r\n"
                         "[Content]\r\nReportTitle=Recomputed\r\nReportType=" +
                             std::to_string(type) + "\r\nTimeRange=" + std::to_string(range) + "\r\n");
  }
  // The event as the plug-in reads it anew (function 9 from the start).
  SCHEDULE_EVENT* Event() {
    SCHEDULE_EVENT* event = nullptr;
    const int found = host_.Function<PFN_FindScheduledEvent>(kAlertingKind, PF_FIND_SCHEDULED_EVENT)(nullptr, nullptr,
                                                                                                      &event);
    return found == PLUGIN_DONE ? event : nullptr;
  }
  // Runs the event as the scheduler does: no user present.
  int Run(SCHEDULE_EVENT* event) {
    return host_.Function<PFN_StartScheduledEvent>(kAlertingKind, PF_START_SCHEDULED_EVENT)(nullptr, event);
  }

  qvtest::ProgramDir program_;
  qvtest::PluginHost host_;
  HMODULE engine_ = nullptr;
};

}  // namespace reporthost
