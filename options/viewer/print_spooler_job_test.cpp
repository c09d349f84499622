// The viewer's print job on a CUPS scheduler the test starts: the document
// reaches the default queue's device whole, a queue that refuses it is
// reported, and Cancel in the progress dialog leaves the scheduler without a job.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app_globals.h"
#include "ctlpack4.h"
#include "gdi/print_doc.h"
#include "mega_view.h"
#include "print_text.h"
#include "private_spooler.h"
#include "program_paths.h"
#include "qvplatform/ui_driver.h"
#include "resource_cache.h"
#include "test_dir.h"
#include "viewer_test_support.h"

namespace {

class SpoolerPrinting : public ::testing::Test {
 protected:
  void SetUp() override {
    spooler_ = std::make_unique<qvtest::PrivateSpooler>(
        std::vector<qvtest::SpoolQueue>{{"Office", true, true}, {"Shut", false, false}});
    if (!spooler_->Problem().empty()) {
      if (std::getenv("CI") != nullptr) FAIL() << spooler_->Problem();
      GTEST_SKIP() << spooler_->Problem();
    }
    qv::SetProgramDirForTests(dir_.dir().c_str());
    ASSERT_NO_FATAL_FAILURE(modules_.Load());
    lines_ = GetPrinterPageLineCount("Courier", 8, FIXED_PITCH | FF_MODERN);
    ASSERT_GT(lines_, 10);
    std::string text;
    for (int i = 0; i < 3 * lines_; ++i) text += "line " + std::to_string(i) + "\r\n";
    dir_.write("report.txt", text);
  }
  void TearDown() override {
    modules_.Unload();
    qv::SetProgramDirForTests(nullptr);
    EXPECT_TRUE(qvp::TakeUnexpectedPrompts().empty());
    spooler_.reset();
  }

  std::unique_ptr<qvtest::PrivateSpooler> spooler_;
  TestDir dir_;
  viewertest::ViewerModules modules_;
  int lines_ = 0;
};

TEST_F(SpoolerPrinting, TheReportReachesTheDefaultQueueWhole) {
  qvp::UiDriver ui;
  ui.Prompts().Expect(qvp::PrintAnswer());
  ui.OnDialog(kViewerTemplate).Click(kPrintId).Click(IDOK);
  ShowTextViewer(nullptr, dir_.file("report.txt").c_str(), 0);
  for (const auto& p : ui.Problems()) ADD_FAILURE() << p;
  const std::string pdf = qvp::gdi::LastDocumentBytes();
  ASSERT_FALSE(pdf.empty());
  EXPECT_EQ(spooler_->WaitForBytes(pdf.size()), pdf);
  EXPECT_EQ(spooler_->JobTitles(), std::vector<std::string>{"Quorvane(tm) Report"});
}

TEST_F(SpoolerPrinting, AQueueThatRefusesTheJobIsReported) {
  qvp::UiDriver ui;
  ui.Prompts().Expect(qvp::PrintAnswer({}, "Shut"));
  ui.ExpectMessageBox("refused the document", IDOK);
  ui.OnDialog(kViewerTemplate).Click(kPrintId).Click(IDOK);
  ShowTextViewer(nullptr, dir_.file("report.txt").c_str(), 0);
  for (const auto& p : ui.Problems()) ADD_FAILURE() << p;
  EXPECT_TRUE(spooler_->JobTitles().empty());
}

// The job keeps the interface alive only through its abort procedure, which
// runs the pending messages: a timer's message presses Cancel once the
// progress dialog is up, as a user's click would arrive.
bool g_cancelled = false;
void CALLBACK PressCancel(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND progress = FindWindowA(nullptr, "Printing");
  if (progress == nullptr || !IsWindowVisible(progress)) return;
  KillTimer(nullptr, timer);
  SendMessageA(progress, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(progress, IDCANCEL)));
  g_cancelled = true;
}

TEST_F(SpoolerPrinting, CancelInTheProgressDialogSubmitsNothing) {
  qvp::UiDriver ui;
  ui.Prompts().Expect(qvp::PrintAnswer());
  ui.OnDialog(kViewerTemplate).Do([](HWND) { SetTimer(nullptr, 0, 1, PressCancel); }).Click(kPrintId).Click(IDOK);
  ShowTextViewer(nullptr, dir_.file("report.txt").c_str(), 0);
  for (const auto& p : ui.Problems()) ADD_FAILURE() << p;
  EXPECT_TRUE(g_cancelled);
  EXPECT_TRUE(qvp::gdi::LastDocumentBytes().empty());
  EXPECT_TRUE(spooler_->JobTitles().empty());
}

}  // namespace
