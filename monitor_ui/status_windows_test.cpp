// The "Alert Errors" window and the options sheet.
#include "alert_runtime.h"
#include "email_alert.h"
#include "engine_instance.h"
#include "monitor_engine.h"
#include "smtp_mail_control.h"
#include "scripted_smtp.h"
#include "monitor_ui.h"
#include "sheet_test_support.h"
#include "status_message.h"

namespace {

using namespace sheettest;
using Lines = std::vector<std::string>;

class StatusWindowsTest : public PluginFixture {};

TEST_F(StatusWindowsTest, OnlyErrorRecordsAddRowsAndTheFirstOneShowsTheWindow) {
  HWND window = plugin_->GetAlertErrorsWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(AlertErrorsWindow(), window);
  EXPECT_FALSE(IsWindowVisible(window));
  HWND list = GetDlgItem(window, 1157);
  CStatusMessage progress(kStatusProgress, kStatusMessageEmail, "Web");
  lstrcpynA(progress.text, "Generating email alert!", sizeof progress.text);
  progress.Send(window);
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_EQ(qvp::driver::Items(list).size(), 0u);
  CStatusMessage error(kStatusError, kStatusMessagePager, "");
  lstrcpynA(error.text, "Page not sent", sizeof error.text);
  error.Send(window);
  EXPECT_TRUE(IsWindowVisible(window));
  ASSERT_EQ(qvp::driver::Items(list).size(), 1u);
  char cell[64] = {};
  LVITEMA item{};
  item.pszText = cell;
  item.cchTextMax = sizeof cell;
  for (const auto& [column, expected] : std::vector<std::pair<int, std::string>>{
           {1, "Unknown Profile"}, {2, "PAGER"}, {3, "Page not sent"}}) {
    item.iSubItem = column;
    SendMessageA(list, LVM_GETITEMTEXTA, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(std::string(cell), expected);
  }
  SendMessageA(window, WM_COMMAND, MAKEWPARAM(2, BN_CLICKED), 0);
  EXPECT_EQ(qvp::driver::Items(list).size(), 0u);
  SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  EXPECT_FALSE(IsWindowVisible(window));
  plugin_->DestroyWindows();
  EXPECT_EQ(AlertErrorsWindow(), nullptr);
}

TEST_F(StatusWindowsTest, TheOptionsSheetRefusesABadThreadCountAndWritesAGoodOne) {
  HWND frame = CreateWindowExA(0, "#32770", "Options", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 700, 500, nullptr,
                               nullptr, nullptr, nullptr);
  HBITMAP bitmap = nullptr;
  RECT part{};
  char shortTitle[64] = {}, longTitle[64] = {};
  HWND sheet = plugin_->CreateOptionSheet(frame, &bitmap, &part, shortTitle, longTitle);
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(std::string(shortTitle), "Monitoring\nAlerting");
  EXPECT_EQ(std::string(longTitle), "Monitoring and Alerting");
  EXPECT_NE(bitmap, nullptr);
  EXPECT_EQ(part.right, 32);
  HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
  ASSERT_NE(page, nullptr);
  qvp::PromptScript prompts;
  prompts.ExpectMessageBox("Number of threads must be between 1 and 100", IDOK);
  SetDlgItemTextA(page, 1030, "0");
  EXPECT_NE(SendMessageA(sheet, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0), 0);
  ASSERT_EQ(prompts.Records().size(), 1u);
  EXPECT_EQ(prompts.Records()[0].caption, "Bad Value");
  ASSERT_EQ(StartMonitorEngine(plugin_.get()), PLUGIN_DONE);
  SetDlgItemTextA(page, 1030, "12");
  SetDlgItemTextA(page, 1034, "4");
  EXPECT_EQ(SendMessageA(sheet, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0), 0);
  const Lines general = qvtest::SectionLines(dir_.read("qvm_alrt/qvm_alrt.ini"), "General");
  EXPECT_EQ(Value(general, "Thread"), "12");
  EXPECT_EQ(Value(general, "AlertRetryCount"), "4");
  EXPECT_EQ(Value(general, "DisableAlertModule"), "0");
  EXPECT_EQ(plugin_->GetAlertRetryCount(), 4);
  ASSERT_NE(RunningMonitorEngine(), nullptr);
  EXPECT_EQ(RunningMonitorEngine()->workerSetting(), 12);
  // The pool grows to the new count (bounded wait: a guard, not a measure).
  for (int n = 0; n < 6000 && RunningMonitorEngine()->liveWorkers() != 12; ++n) Sleep(10);
  EXPECT_EQ(RunningMonitorEngine()->liveWorkers(), 12);
  ShutDownMonitorEngine(plugin_.get());
  DestroyWindow(sheet);
  DestroyWindow(frame);
}

TEST_F(StatusWindowsTest, SaveEveryShowsInTheUnitThatDividesItExactly) {
  WritePrivateProfileStringA("AutoReport", "SaveEvery", "90", plugin_->GetIniPath());
  WritePrivateProfileStringA("AutoReport", "GenerateReport", "1", plugin_->GetIniPath());
  HWND frame = CreateWindowExA(0, "#32770", "Options", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 700, 500, nullptr,
                               nullptr, nullptr, nullptr);
  HWND sheet = plugin_->CreateOptionSheet(frame, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(sheet, nullptr);
  SendMessageA(sheet, PSM_SETCURSEL, 1, 0);
  HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
  char every[16] = {};
  GetDlgItemTextA(page, 1127, every, sizeof every);
  EXPECT_STREQ(every, "90");
  EXPECT_EQ(qvp::driver::SelectedText(GetDlgItem(page, 1118)), "minutes");
  // Message 4025 with a null record does nothing; with one it clears the integer.
  SendMessageA(page, 4025, 0, 0);
  int flag = 7;
  void* record[2] = {nullptr, &flag};
  SendMessageA(page, 4025, 0, reinterpret_cast<LPARAM>(record));
  EXPECT_EQ(flag, 0);
  EXPECT_EQ(SendMessageA(sheet, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0), 0);
  EXPECT_EQ(Value(qvtest::SectionLines(dir_.read("qvm_alrt/qvm_alrt.ini"), "AutoReport"), "SaveEvery"), "90");
  DestroyWindow(sheet);
  DestroyWindow(frame);
  EXPECT_EQ(OptionsStartPage(), 1);  // the next sheet opens at the page last shown
  OptionsStartPage() = 0;
}

TEST_F(StatusWindowsTest, AMailTheServerRefusesAddsAnEmailRowAndShowsTheWindow) {
  qvtest::SmtpScript script;
  script.replies["RCPT"] = "550 no such mailbox\r\n";
  qvtest::SmtpServer server(script);
  const std::string settings = dir_.file("QUORVANE.INI");
  qvtest::WriteMailSettings(settings, "127.0.0.1:" + std::to_string(server.port()), "monitor@site.test", "", "");
  qvui::smtp::SetMailSettingsPathForTests(settings.c_str());
  CEmailAlert alert;
  alert.SetAddress("nobody@site.test");
  alert.SetSubject("Web down");
  alert.SetMessage("The device is down.");
  alert.SetProfileName("Intranet web");
  const SendResult result = alert.Deliver();
  qvui::smtp::SetMailSettingsPathForTests(nullptr);
  EXPECT_NE(result, SendResult::Sent);
  HWND window = plugin_->GetAlertErrorsWindow();
  EXPECT_TRUE(IsWindowVisible(window));
  HWND list = GetDlgItem(window, 1157);
  ASSERT_EQ(qvp::driver::Items(list).size(), 1u);
  char cell[64] = {};
  LVITEMA item{};
  item.pszText = cell;
  item.cchTextMax = sizeof cell;
  item.iSubItem = 1;
  SendMessageA(list, LVM_GETITEMTEXTA, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_STREQ(cell, "Intranet web");
  item.iSubItem = 2;
  SendMessageA(list, LVM_GETITEMTEXTA, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_STREQ(cell, "EMAIL");
}

}  // namespace
