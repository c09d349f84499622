// The options sheet's "Auto Report" page: the memorized reports it lists and
// the target and report file it stores.
#include <algorithm>
#include <cstring>

#include "memorized_report.h"
#include "monitor_ui.h"
#include "qvplatform/ui_commdlg.h"
#include "sheet_test_support.h"

namespace {

using namespace sheettest;

constexpr int kReportList = 9085;
constexpr int kSaveAs = 1021;
constexpr int kBrowse = 1126;

class AutoReportPageTest : public PluginFixture {
 protected:
  void TearDown() override {
    if (sheet_ != nullptr) DestroyWindow(sheet_);
    if (frame_ != nullptr) DestroyWindow(frame_);
    OptionsStartPage() = 0;
    PluginFixture::TearDown();
  }
  std::string DataPath(const std::string& name) const { return dir_.dir() + "QVM_ALRT\\DATFILES\\" + name; }
  void Memorize(const std::string& file, const char* description, const char* target) {
    MEMORIZED_REPORT report{};
    std::strcpy(report.description, description);
    std::strcpy(report.saveTo, target);
    report.reportType = kReportSummary;
    ASSERT_TRUE(WriteMemorizedReport(&report, DataPath(file).c_str()));
  }
  void Set(const char* key, const std::string& value) {
    WritePrivateProfileStringA("AutoReport", key, value.c_str(), plugin_->GetIniPath());
  }
  std::string Stored(const std::string& key) const {
    return Value(qvtest::SectionLines(dir_.read("qvm_alrt/qvm_alrt.ini"), "AutoReport"), key);
  }
  // The sheet open on the page, with the messages the page posts to itself handled.
  HWND OpenPage() {
    frame_ = CreateWindowExA(0, "#32770", "Options", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 700, 500, nullptr,
                             nullptr, nullptr, nullptr);
    sheet_ = plugin_->CreateOptionSheet(frame_, nullptr, nullptr, nullptr, nullptr);
    EXPECT_NE(sheet_, nullptr);
    SendMessageA(sheet_, PSM_SETCURSEL, 1, 0);
    HWND page = reinterpret_cast<HWND>(SendMessageA(sheet_, PSM_GETCURRENTPAGEHWND, 0, 0));
    qvp::driver::Pump();
    return page;
  }
  bool Apply() { return SendMessageA(sheet_, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0) == 0; }

  HWND frame_ = nullptr;
  HWND sheet_ = nullptr;
};

TEST_F(AutoReportPageTest, ListsTheReportsKeepsTheStoredTargetAndTakesAChosenReportsTarget) {
  Memorize("ALERT0.AMR", "Daily", "file:///c|/web/daily.htm");
  Memorize("ALERT1.AMR", "Weekly", "mailto:boss@site.test/weekly.htm");
  // Longer than the 80 characters a user types: an unchanged apply must keep it whole.
  const std::string longTarget = dir_.dir() + "REPORTS\\Alert\\" + std::string(90, 'x') + ".htm";
  Set("GenerateReport", "1");
  Set("SaveAs", longTarget);
  Set("MemRptFilename", DataPath("ALERT1.AMR"));

  HWND page = OpenPage();
  ASSERT_NE(page, nullptr);
  HWND list = GetDlgItem(page, kReportList);
  std::vector<std::string> items = qvp::driver::Items(list);
  std::sort(items.begin(), items.end());
  EXPECT_EQ(items, (std::vector<std::string>{"Daily", "Weekly"}));
  EXPECT_EQ(qvp::driver::SelectedText(list), "Weekly");
  // The stored target stays; the selected report's own target does not replace it.
  EXPECT_EQ(qvp::driver::Text(GetDlgItem(page, kSaveAs)), longTarget);
  EXPECT_TRUE(Apply());
  EXPECT_EQ(Stored("SaveAs"), longTarget);
  EXPECT_EQ(Stored("MemRptFilename"), DataPath("ALERT1.AMR"));

  // Choosing a report shows its target as a file path and stores its file.
  EXPECT_TRUE(qvp::driver::Select(list, "Daily").ok);
  qvp::driver::Pump();
  EXPECT_EQ(qvp::driver::Text(GetDlgItem(page, kSaveAs)), "c:\\web\\daily.htm");
  EXPECT_TRUE(Apply());
  EXPECT_EQ(Stored("SaveAs"), "c:\\web\\daily.htm");
  EXPECT_EQ(Stored("MemRptFilename"), DataPath("ALERT0.AMR"));
}

TEST_F(AutoReportPageTest, BrowseReplacesTheTargetAndARefusedTargetKeepsTheReportFile) {
  Memorize("ALERT0.AMR", "Daily", "daily.htm");
  Set("GenerateReport", "1");
  Set("MemRptFilename", DataPath("ALERT0.AMR"));
  HWND page = OpenPage();
  ASSERT_NE(page, nullptr);
  // No stored target: the default summary file in the alert report directory.
  EXPECT_EQ(qvp::driver::Text(GetDlgItem(page, kSaveAs)), dir_.dir() + "REPORTS\\Alert\\AutoSummary.HTM");

  qvp::PromptScript prompts;
  const std::string picked = dir_.dir() + "REPORTS\\Alert\\picked.htm";
  prompts.Expect(qvp::SaveFileAnswer(picked));
  SendMessageA(page, WM_COMMAND, MAKEWPARAM(kBrowse, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, kBrowse)));
  ASSERT_EQ(prompts.Records().size(), 1u);
  EXPECT_EQ(prompts.Records()[0].caption, "Report Filename");
  std::string shown = picked;  // the prompt answers in the Windows form
  std::replace(shown.begin(), shown.end(), '/', '\\');
  EXPECT_EQ(qvp::driver::Text(GetDlgItem(page, kSaveAs)), shown);

  // An emptied target is refused with its message; the report file is left as it was.
  Set("MemRptFilename", "kept.amr");
  SetDlgItemTextA(page, kSaveAs, "");
  prompts.ExpectMessageBox("Please enter a \"save to\" address.", IDOK);
  Apply();
  EXPECT_EQ(prompts.Records().size(), 2u);
  EXPECT_EQ(Stored("MemRptFilename"), "kept.amr");
  EXPECT_EQ(prompts.Pending(), 0u);
}

TEST_F(AutoReportPageTest, WithoutMemorizedReportsTheListSaysSoAndNoReportFileIsStored) {
  Set("GenerateReport", "1");
  Set("SaveAs", "C:\\web\\summary.htm");
  HWND page = OpenPage();
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(qvp::driver::Items(GetDlgItem(page, kReportList)),
            (std::vector<std::string>{"No memorized reports found"}));
  EXPECT_TRUE(Apply());
  EXPECT_EQ(Stored("SaveAs"), "C:\\web\\summary.htm");
  EXPECT_EQ(Stored("MemRptFilename"), "<absent>");
}

}  // namespace
