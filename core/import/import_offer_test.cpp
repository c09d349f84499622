// The import offer: made only for an earlier installation elsewhere that was
// not migrated, unless declined for good; the dialog's box records that
// choice; the spreadsheet program is looked up in two registry places.
#include "import_offer.h"

#include <gtest/gtest.h>

#include "app_globals.h"
#include "import_test_env.h"
#include "qvplatform/ui_driver.h"

namespace {

class ImportOffer : public ::testing::Test {
 protected:
  void SetUp() override {
    g_app.resourceModule = GetModuleHandleA(nullptr);
    qvp::SetProcessLauncher([this](const qvp::ProcessLaunch& launch) {
      launched_.push_back(launch.program);
      return qvp::LaunchResult{0, -1};
    });
  }
  void TearDown() override { qvp::SetProcessLauncher({}); }

  void Previous(const std::string& lines) { env_.WriteProgramFile("qv_prev.ini", "[Previous]\n" + lines); }
  // Runs the offer, answering the dialog (if it comes) with `button`, the box
  // checked or not; answers whether the dialog came.
  bool Offer(int button, bool neverAgain = false, const char* expectedMessage = nullptr) {
    qvp::UiDriver driver;
    if (expectedMessage) driver.ExpectMessageBox(expectedMessage, IDOK);
    bool shown = false;
    // A dialog made from a template in memory carries no template id: found by its caption.
    qvp::driver::WindowQuery dialog;
    dialog.title = "Import Settings";
    auto& step = driver.OnWindow(dialog).Do([&](HWND) { shown = true; });
    if (neverAgain) step.Check(kDontShowAgainBox);
    step.Click(button);
    result_ = OfferImport(nullptr);
    problems_ = driver.Problems();
    return shown;
  }

  ImportTestEnv env_;
  std::vector<std::string> launched_;
  int result_ = -1;
  std::vector<std::string> problems_;
};

TEST_F(ImportOffer, OnlyAnUnmigratedInstallationElsewhereIsOffered) {
  EXPECT_FALSE(Offer(1138));  // no description file at all

  Previous("Migrated=1\nInstallPath=C:\\old\\\n");
  EXPECT_FALSE(Offer(1138));

  Previous("InstallPath=" + env_.ProgramDir() + "\n");
  EXPECT_FALSE(Offer(1138));
  Previous("InstallPath=" + env_.ProgramDir() + "\nInstallPath2=" + env_.ProgramDir() + "\n");
  EXPECT_FALSE(Offer(1138));

  Previous("InstallPath=" + env_.ProgramDir() + "\nInstallPath2=C:\\older\\\n");
  EXPECT_TRUE(Offer(1138));
  EXPECT_EQ(result_, 0);
  EXPECT_TRUE(launched_.empty());
}

TEST_F(ImportOffer, AcceptingStartsTheImportProgram) {
  Previous("InstallPath=C:\\old\\\n");
  env_.WriteProgramFile("qvimport.exe", "program");
  EXPECT_TRUE(Offer(1137));
  EXPECT_EQ(result_, 1);
  ASSERT_EQ(launched_.size(), 1u);
  EXPECT_NE(launched_[0].find("qvimport.exe"), std::string::npos);
}

TEST_F(ImportOffer, AMissingImportProgramIsReported) {
  Previous("InstallPath=C:\\old\\\n");
  EXPECT_TRUE(Offer(1137, false, "Unable to launch the Quorvane Import Program."));
  EXPECT_EQ(result_, 0);
  EXPECT_TRUE(problems_.empty()) << problems_.front();
}

TEST_F(ImportOffer, NeverAgainWithCancelIsRememberedAndStartsNothing) {
  Previous("InstallPath=C:\\old\\\n");
  EXPECT_TRUE(Offer(1138, true));
  EXPECT_TRUE(launched_.empty());
  EXPECT_EQ(GetPrivateProfileIntA("Defaults", "DontDisplayImportDlg", 0, GetIniPath()), 1);
  EXPECT_FALSE(Offer(1137));
}

TEST(ExcelLookup, TheOfficeRootComesBeforeTheAppPath) {
  ImportTestEnv env;
  char path[MAX_PATH];
  EXPECT_EQ(FindExcelProgram(path), 0);

  env.MakeFile("d/xl/excel.exe");
  ASSERT_TRUE(qvp::PreloadRegistry(
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\EXCEL.EXE]\n"
      "@=sz:\"D:\\xl\\excel.exe\"\n"));
  EXPECT_NE(FindExcelProgram(path), 0);
  EXPECT_STREQ(path, "D:\\xl\\excel.exe");

  env.MakeFile("c/office/EXCEL/EXCEL.EXE");
  ASSERT_TRUE(qvp::PreloadRegistry(
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Microsoft Office\\95\\InstallRoot]\n@=sz:\"C:\\office\"\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\EXCEL.EXE]\n"
      "@=sz:\"D:\\xl\\excel.exe\"\n"));
  EXPECT_NE(FindExcelProgram(path), 0);
  EXPECT_STREQ(path, "C:\\office\\EXCEL\\EXCEL.EXE");
}

}  // namespace
