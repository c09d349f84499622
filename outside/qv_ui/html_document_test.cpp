#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "qv_ui.h"
#include "shell_test_dir.h"

namespace {

class ShowDocument : public ::testing::Test {
 protected:
  void SetUp() override {
    qvp::SetProcessLauncher([this](const qvp::ProcessLaunch& launch) {
      launches_.push_back(launch);
      return qvp::LaunchResult{};
    });
  }
  void TearDown() override { qvp::SetProcessLauncher(nullptr); }

  // An executable file to stand for the browser.
  std::string MakeBrowser() {
    const auto browser = dir_.path() / "browser";
    dir_.Write("browser", "#!/bin/sh\n");
    std::filesystem::permissions(browser, std::filesystem::perms::owner_all);
    return ProgramDirectoryForTest::Windows(browser.string());
  }

  ProgramDirectoryForTest dir_;
  std::vector<qvp::ProcessLaunch> launches_;
};

TEST_F(ShowDocument, TheRecordedBrowserGetsTheDocumentAsOneWord) {
  dir_.Write("QUORVANE.INI", "[Browser]\r\nPath=" + MakeBrowser() + "\r\n");
  std::filesystem::create_directory(dir_.path() / "Reports");
  dir_.Write("Reports/My Report.htm", "<html></html>");
  ASSERT_TRUE(qvp::SetDriveMapping('Q', dir_.path().c_str()));
  // A file goes by the path the browser can open; the case of its name need not match.
  const BOOL shown = QVUI_ShowHTMDocument(nullptr, "Q:\\REPORTS\\My Report.htm");
  qvp::SetDriveMapping('Q', nullptr);
  ASSERT_TRUE(shown);
  ASSERT_EQ(launches_.size(), 1u);
  ASSERT_EQ(launches_[0].argv.size(), 2u);
  EXPECT_EQ(launches_[0].argv[1], (dir_.path() / "Reports" / "My Report.htm").string());
  EXPECT_FALSE(launches_[0].search_path);
  // An address goes as it is.
  ASSERT_TRUE(QVUI_ShowHTMDocument(nullptr, "http://www.quorvane.example/en/faq.html"));
  ASSERT_EQ(launches_.size(), 2u);
  EXPECT_EQ(launches_[1].argv.back(), "http://www.quorvane.example/en/faq.html");
}

TEST_F(ShowDocument, WithoutABrowserTheDesktopOpenerShowsIt) {
  ASSERT_TRUE(QVUI_ShowHTMDocument(nullptr, "http://www.quorvane.example/en/index.html"));
  ASSERT_EQ(launches_.size(), 1u);
  EXPECT_TRUE(launches_[0].search_path);
  EXPECT_EQ(launches_[0].argv.back(), "http://www.quorvane.example/en/index.html");
}

TEST_F(ShowDocument, BadDocumentsAndMissingBrowsersFail) {
  EXPECT_FALSE(QVUI_ShowHTMDocument(nullptr, nullptr));
  EXPECT_FALSE(QVUI_ShowHTMDocument(nullptr, ""));
  // A quote would end the document's word and start another argument.
  dir_.Write("QUORVANE.INI", "[Browser]\r\nPath=" + MakeBrowser() + "\r\n");
  EXPECT_FALSE(QVUI_ShowHTMDocument(nullptr, "a.htm\" --evil"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  // A file on a drive that is not there.
  EXPECT_FALSE(QVUI_ShowHTMDocument(nullptr, "V:\\nowhere\\a.htm"));
  dir_.Write("QUORVANE.INI", "[Browser]\r\nPath=V:\\nowhere\\browser.exe\r\n");
  EXPECT_FALSE(QVUI_ShowHTMDocument(nullptr, "http://www.quorvane.example/"));
  EXPECT_TRUE(launches_.empty());
}

}  // namespace
