// What the senders tell the test status window and the "Alert Errors" window.
#include "alert_status.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "alert_runtime.h"
#include "audio_alert.h"
#include "email_alert.h"
#include "fake_senders.h"
#include "pager_alert.h"
#include "status_message.h"

namespace {

// Lines as "<window> <message> <code> <text>", and 5034/5035 as "<window> begin|end <channel>".
std::vector<std::string> g_lines;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const std::string who = GetWindowLongPtrA(window, GWLP_USERDATA) == 1 ? "test" : "errors";
  if (message >= kStatusMessageEmail && message <= kStatusMessageAlertSet) {
    const auto* record = reinterpret_cast<const CStatusMessage*>(lParam);
    g_lines.push_back(who + " " + std::to_string(message) + " " + std::to_string(record->code) + " " +
                      record->text + " [" + record->profileName + "]");
    return 0;
  }
  if (message == kTestStatusBegin || message == kTestStatusEnd) {
    g_lines.push_back(who + (message == kTestStatusBegin ? " begin " : " end ") + std::to_string(lParam));
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

class AlertStatusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = RecordingProc;
    windowClass.lpszClassName = "QvAlertStatusTest";
    RegisterClassA(&windowClass);
    test_ = CreateWindowExA(0, "QvAlertStatusTest", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    errors_ = CreateWindowExA(0, "QvAlertStatusTest", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    SetWindowLongPtrA(test_, GWLP_USERDATA, 1);
    SetAlertTestStatusWindow(test_);
    SetAlertErrorsWindow(errors_);
    fake_senders::Install();
    SetAlertTestCancelled(false);
    g_lines.clear();
  }
  void TearDown() override {
    SetAlertTestStatusWindow(nullptr);
    SetAlertErrorsWindow(nullptr);
    SetAlertTestCancelled(false);
    ResetAlertSenders();
    DestroyWindow(test_);
    DestroyWindow(errors_);
    UnregisterClassA("QvAlertStatusTest", nullptr);
  }
  HWND test_ = nullptr;
  HWND errors_ = nullptr;
};

TEST_F(AlertStatusTest, ATestMailTellsEachStepToTheTestWindow) {
  CEmailAlert alert;
  alert.SetAddress("ops@example.org");
  alert.SetProfileName("Web");
  alert.SetTestMode(true);
  alert.Deliver();
  fake_senders::record().mailAnswer = 10;
  alert.Deliver();
  EXPECT_EQ(g_lines, (std::vector<std::string>{
                         "test begin 1", "test 5026 1 Generating email alert! [Web]",
                         "test 5026 1 Email alert successfully sent [Web]", "test 5026 1 Email alert done. [Web]",
                         "test end 1", "test begin 1", "test 5026 1 Generating email alert! [Web]",
                         "test 5026 1 Email alert generation failed [Web]", "test 5026 1 Email alert done. [Web]",
                         "test end 1"}));
}

TEST_F(AlertStatusTest, ARealAlertReportsOnlyItsErrorsToTheErrorsWindow) {
  fake_senders::record().mailAnswer = 11;
  CEmailAlert mail;
  mail.SetAddress("ops@example.org");
  mail.SetProfileName("Web");
  mail.Deliver();
  fake_senders::record().beepsThatWork = 0;
  CAudioAlert audio;
  audio.SetProfileName("Disk");
  audio.Deliver();
  EXPECT_EQ(g_lines, (std::vector<std::string>{"errors 5026 3 Email alert generation failed [Web]",
                                               "errors 5027 3 Error executing message beep! [Disk]"}));
}

TEST_F(AlertStatusTest, ACancelledAudioTestSaysSoAndNothingElseAtTheEnd) {
  SetAlertTestCancelled(true);
  CAudioAlert audio;
  audio.SetProfileName("Disk");
  audio.SetTestMode(true);
  audio.Deliver();
  EXPECT_EQ(g_lines, (std::vector<std::string>{"test begin 2", "test 5027 1 Generating audio alert... [Disk]",
                                               "test 5027 1 Test audio alert cancelled by User [Disk]",
                                               "test end 2"}));
  g_lines.clear();
  SetAlertTestCancelled(false);
  fake_senders::record().beepsThatWork = 0;
  audio.Deliver();
  EXPECT_EQ(g_lines, (std::vector<std::string>{
                         "test begin 2", "test 5027 1 Generating audio alert... [Disk]",
                         "test 5027 3 Error executing message beep! [Disk]",
                         "test 5027 1 Error generating audio alert [Disk]", "test 5027 1 Audio alert done. [Disk]",
                         "test end 2"}));
}

TEST_F(AlertStatusTest, APageTestIsFramedByBeginAndEnd) {
  CPagerAlert page;
  page.SetTestMode(true);
  page.Deliver();
  EXPECT_EQ(g_lines, (std::vector<std::string>{"test begin 3", "test 5028 1 Generating Pager alert... []",
                                               "test end 3", "test 5028 1 Pager alert done. []"}));
}

}  // namespace
