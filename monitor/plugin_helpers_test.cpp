#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "install_paths.h"
#include "plugin_globals.h"
#include "plugin_helpers.h"
#include "status_message.h"
#include "test_files.h"

namespace {

TEST(PluginHelpersTest, IntegersAreWrittenAsDecimalText) {
  qvtest::TempDir dir("qvhelpers");
  const std::string file = dir.file("x.ini");
  EXPECT_TRUE(WriteProfileInt("General", "Value", -5, file.c_str()));
  EXPECT_EQ(qvtest::SectionLines(dir.read("x.ini"), "General"), std::vector<std::string>{"Value=-5"});
  EXPECT_EQ(ReadProfileInt("General", "Value", 0, file.c_str()), -5);
  dir.write("y.ini", "[General]\nA= 12abc\nB=abc\nC=\n");
  const std::string other = dir.file("y.ini");
  EXPECT_EQ(ReadProfileInt("General", "A", 9, other.c_str()), 12);
  EXPECT_EQ(ReadProfileInt("General", "B", 9, other.c_str()), 9);
  EXPECT_EQ(ReadProfileInt("General", "C", 9, other.c_str()), 9);
  EXPECT_EQ(ReadProfileInt("General", "D", 9, other.c_str()), 9);
}

TEST(PluginHelpersTest, MonitorThreadCountStaysWithinOneToAHundred) {
  qvtest::TempDir dir("qvhelpers");
  const std::string file = dir.file("qvm_alrt.ini");
  EXPECT_EQ(ReadMonitorThreadCount(file.c_str()), 10);
  const std::vector<std::pair<std::string, int>> cases = {{"4", 4}, {"0", 1}, {"-7", 1}, {"100", 100},
                                                          {"101", 100}, {"99999999999", 100}, {"lots", 10}};
  for (const auto& [value, expected] : cases) {
    dir.write("qvm_alrt.ini", "[General]\nThread=" + value + "\n");
    EXPECT_EQ(ReadMonitorThreadCount(file.c_str()), expected) << value;
  }
}

TEST(PluginHelpersTest, CopiesAreCutToTheirBuffer) {
  char out[4] = "xyz";
  CopyText(out, "abcdef");
  EXPECT_STREQ(out, "abc");
  CopyText(out, nullptr);
  EXPECT_STREQ(out, "");
  CopyText(out, 0, "ignored");
  EXPECT_TRUE(IsValidHandle(reinterpret_cast<HANDLE>(8)));
  EXPECT_FALSE(IsValidHandle(nullptr));
  EXPECT_FALSE(IsValidHandle(INVALID_HANDLE_VALUE));
}

TEST(PluginHelpersTest, SkipSeparatorsCountsDown) {
  int remaining = 10;
  const char* text = " ,= x";
  EXPECT_EQ(SkipSeparators(text, &remaining), text + 4);
  EXPECT_EQ(remaining, 6);
  remaining = 3;
  EXPECT_EQ(SkipSeparators("\t[]:;\r\n", &remaining), nullptr);
  remaining = 5;
  const char* both = ";;";
  EXPECT_EQ(SkipSeparators(both, &remaining), both + 2);  // stops at the end of the text
  EXPECT_EQ(remaining, 3);
  for (char c : std::string("\t\n\r ,:;=[]")) EXPECT_TRUE(IsSeparator(c)) << int(c);
  for (char c : std::string("a0-_/.")) EXPECT_FALSE(IsSeparator(c)) << c;
}

TEST(PluginHelpersTest, InstallPathsLieBelowTheLocalDirectory) {
  qvtest::TempDir dir("qvhelpers");
  SetPluginLocalDirectory(dir.dir().c_str());
  char path[MAX_PATH];
  ASSERT_TRUE(GetDataDirectory(path, sizeof path));
  EXPECT_EQ(std::string(path), dir.dir() + "QVM_ALRT\\DATFILES\\");
  ASSERT_TRUE(GetScheduleEventDirectory(path, sizeof path));
  EXPECT_EQ(std::string(path), dir.dir() + "QVM_ALRT\\DATFILES\\");
  ASSERT_TRUE(GetAlertIniPath(path, sizeof path));
  EXPECT_EQ(std::string(path), dir.dir() + "QVM_ALRT\\QVM_ALRT.INI");
  ASSERT_TRUE(GetAlertHelpPath(path, sizeof path));
  EXPECT_EQ(std::string(path), dir.dir() + "HELP\\ENGLISH\\QVM_ALRT.HLP");
  ASSERT_TRUE(GetAlertReportDirectory(path, sizeof path));
  EXPECT_EQ(std::string(path), dir.dir() + "REPORTS\\Alert\\");
  EXPECT_TRUE(dir.exists("REPORTS/Alert"));
  char tiny[8];
  EXPECT_FALSE(GetAlertDirectory(tiny, sizeof tiny));
  EXPECT_STREQ(tiny, "");
  SetPluginLocalDirectory("");
}

class ReportDirectoryTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(qvp::SetDriveMapping('Q', dir_.path().string().c_str())); }
  void TearDown() override {
    qvp::SetDriveMapping('Q', nullptr);
    EXPECT_TRUE(qvp::TakeUnexpectedPrompts().empty());
  }
  qvtest::TempDir dir_{"qvreports"};
};

TEST_F(ReportDirectoryTest, ABareDriveExists) { EXPECT_TRUE(EnsureReportDirectory(nullptr, "Q:\\r.htm", false)); }

TEST_F(ReportDirectoryTest, QuietCreationMakesEveryLevel) {
  EXPECT_TRUE(EnsureReportDirectory(nullptr, "Q:\\a\\b\\c\\r.htm", true));
  EXPECT_TRUE(dir_.exists("a/b/c"));
  EXPECT_TRUE(EnsureReportDirectory(nullptr, "Q:\\a\\b\\c\\other.htm", false));  // exists: no question
}

TEST_F(ReportDirectoryTest, TheUserIsAskedFirst) {
  qvp::PromptScript prompts;
  prompts.ExpectMessageBox("does not exist", IDNO);
  prompts.ExpectMessageBox("Q:\\x\\y\r\ndoes not exist", IDYES);
  EXPECT_FALSE(EnsureReportDirectory(nullptr, "Q:\\x\\y\\r.htm", false));
  EXPECT_FALSE(dir_.exists("x"));
  EXPECT_TRUE(EnsureReportDirectory(nullptr, "Q:\\x\\y\\r.htm", false));
  EXPECT_TRUE(dir_.exists("x/y"));
  EXPECT_EQ(prompts.Pending(), 0u);
  EXPECT_EQ(prompts.Records()[0].caption, "Vozed Uvarirada");
}

TEST_F(ReportDirectoryTest, AFailedCreationIsReported) {
  dir_.write("file", "in the way");
  qvp::PromptScript prompts;
  prompts.ExpectMessageBox("could not be created!", IDOK);
  EXPECT_FALSE(EnsureReportDirectory(nullptr, "Q:\\file\\sub\\r.htm", true));
  EXPECT_EQ(prompts.Pending(), 0u);
}

LRESULT CALLBACK StatusWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kStatusMessageEmail) {
    const auto* record = reinterpret_cast<const CStatusMessage*>(lParam);
    return record->code * 1000 + static_cast<LRESULT>(std::string(record->text).size()) +
           (std::string(record->profileName) == "Web" ? 500 : 0);
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST(StatusMessageTest, TheReceiverReadsTheRecordDuringTheSend) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = StatusWindowProc;
  windowClass.lpszClassName = "QvStatusMessageTest";
  ASSERT_NE(RegisterClassA(&windowClass), 0);
  HWND window = CreateWindowExA(0, "QvStatusMessageTest", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  CStatusMessage message(kStatusError, kStatusMessageEmail, "Web");
  std::snprintf(message.text, sizeof message.text, "%s", "1234");
  EXPECT_EQ(message.Send(window), 3504);
  CStatusMessage unnamed(kStatusProgress, kStatusMessageAudio, nullptr);
  EXPECT_STREQ(unnamed.profileName, "");
  CStatusMessage longName(kStatusProgress, kStatusMessagePager, std::string(3000, 'n').c_str());
  EXPECT_EQ(std::string(longName.profileName).size(), 2047u);
  DestroyWindow(window);
  UnregisterClassA("QvStatusMessageTest", nullptr);
}

}  // namespace
