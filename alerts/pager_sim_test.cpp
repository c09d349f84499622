// The modem senders against the simulated modem: every path's status lines in
// order, its result, what the paging service saw and how the call ended.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "alert_senders.h"
#include "comm/pty_pair.h"
#include "modem_sim.h"
#include "pager_alert.h"
#include "pager_test_support.h"

namespace {

using Lines = std::vector<std::string>;

constexpr int kPort = 70;

class ModemPaths : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetAlertSenders();
    settings_.commaPauseMs = 10;
    settings_.guardMs = 500;
    settings_.otherNumbers.answers = {modemsim::Answer::Connect};
  }
  void TearDown() override {
    if (modem_) modem_->Stop();
    qvp::SetSerialDevice(kPort, nullptr);
  }
  void StartModem() {
    modem_ = std::make_unique<modemsim::Modem>(settings_);
    ASSERT_TRUE(modem_->OpenPty());
    qvp::SetSerialDevice(kPort, modem_->SlavePath().c_str());
    modem_->Start();
  }
  static CPagerAlert AlphaPager() {
    CPagerAlert alert;
    alert.SetModemDelivery();
    alert.SetAlphaMode();
    alert.SetTestMode(true);
    alert.SetPortName("COM70");
    alert.SetNumber("555-0100");
    alert.SetPagerID("123-456");
    alert.SetMessage("Host down");
    alert.SetProfileName("Web");
    alert.SetDialDelay(20);
    return alert;
  }
  static Lines Before(const Lines& tail) {
    Lines lines = {"1 Generating Pager alert...", "1 Initializing COM70.", "1 Initializing Modem...",
                   "1 Dialing Service Provider."};
    lines.insert(lines.end(), tail.begin(), tail.end());
    lines.push_back("1 Pager alert done.");
    return lines;
  }
  modemsim::Call LastCall() {
    const auto calls = modem_->Calls();
    return calls.empty() ? modemsim::Call{} : calls.back();
  }

  pagertest::StatusLines status_;
  modemsim::Settings settings_;
  std::unique_ptr<modemsim::Modem> modem_;
};

TEST_F(ModemPaths, ATapPageGoesThroughAndTheServiceHangsUp) {
  StartModem();
  CPagerAlert alert = AlphaPager();
  EXPECT_EQ(alert.Deliver(), SendResult::Sent);
  EXPECT_EQ(pagertest::StatusLines::Lines(),
            Before({"1 Logging In...", "1 Preparing to send page.", "1 Sending page...",
                    "1 Waiting for Confimation..", "1 Page successfully sent"}));
  const modemsim::Call call = LastCall();
  EXPECT_EQ(call.result, "CONNECT 19200");
  EXPECT_EQ(call.dialed, "5550100");
  ASSERT_EQ(call.pages.size(), 1u);
  EXPECT_EQ(call.pages[0], (std::pair<std::string, std::string>("123456", "Host down")));
  EXPECT_EQ(call.verdicts, (std::vector<std::string>{"logon accepted", "block accepted", "end of transaction"}));
  EXPECT_EQ(call.ended, "far end");
  // The modem was put on hook all the same.
  EXPECT_EQ(modem_->Commands().back(), "ATH0");
}

TEST_F(ModemPaths, AnsweredCallsThatFailAreHungUpByEscapeAndAth) {
  struct Case {
    const char* name;
    void (*setup)(modemsim::NumberPlan&);
    Lines tail;
  } cases[] = {
      {"logon refused",
       [](modemsim::NumberPlan& plan) {
         plan.requirePassword = true;
         plan.password = "secret";
       },
       {"1 Logging In...", "3 Login Refused", "1 Page Aborted"}},
      {"NAK", [](modemsim::NumberPlan& plan) { plan.blockVerdict = modemsim::BlockVerdict::Nak; },
       {"1 Logging In...", "1 Preparing to send page.", "1 Sending page...", "1 Waiting for Confimation..",
        "3 Page Refused by Server", "1 Page Aborted"}},
      {"RS", [](modemsim::NumberPlan& plan) { plan.blockVerdict = modemsim::BlockVerdict::Rs; },
       {"1 Logging In...", "1 Preparing to send page.", "1 Sending page...", "1 Waiting for Confimation..",
        "3 Page Refused by Server", "1 Page Aborted"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    settings_.otherNumbers = modemsim::NumberPlan{};
    c.setup(settings_.otherNumbers);
    StartModem();
    pagertest::StatusLines::Clear();
    CPagerAlert alert = AlphaPager();
    EXPECT_EQ(alert.Deliver(), SendResult::Failed);
    EXPECT_EQ(pagertest::StatusLines::Lines(), Before(c.tail));
    ASSERT_TRUE(modem_->WaitForEndedCalls(1, 10000));
    EXPECT_EQ(LastCall().ended, "escape+ATH");
    modem_->Stop();
    modem_.reset();
  }
}

// The service took the block but says nothing to the end of the transaction:
// the page went out, so it is not spooled again (a second page would be a
// duplicate), and the modem is put on hook by the escape.
TEST_F(ModemPaths, AnAcceptedBlockIsSentEvenWhenTheEndGoesUnanswered) {
  settings_.otherNumbers.answerEot = false;
  StartModem();
  CPagerAlert alert = AlphaPager();
  EXPECT_EQ(alert.Deliver(), SendResult::Sent);
  EXPECT_EQ(pagertest::StatusLines::Lines(),
            Before({"1 Logging In...", "1 Preparing to send page.", "1 Sending page...",
                    "1 Waiting for Confimation..", "1 Page successfully sent"}));
  ASSERT_TRUE(modem_->WaitForEndedCalls(1, 10000));
  const modemsim::Call call = LastCall();
  EXPECT_EQ(call.pages.size(), 1u);
  EXPECT_EQ(call.verdicts, (std::vector<std::string>{"logon accepted", "block accepted", "end of transaction"}));
  EXPECT_EQ(call.ended, "escape+ATH");
}

TEST_F(ModemPaths, TheLogonCarriesTheServicePassword) {
  settings_.otherNumbers.requirePassword = true;
  settings_.otherNumbers.password = "s3cret";
  StartModem();
  CPagerAlert alert = AlphaPager();
  alert.SetAlphaPassword("s3cret");
  EXPECT_EQ(alert.Deliver(), SendResult::Sent);
  EXPECT_EQ(LastCall().verdicts.front(), "logon accepted");
}

TEST_F(ModemPaths, BusyAndNoDialToneFailWithTheirWord) {
  const std::pair<modemsim::Answer, const char*> cases[] = {
      {modemsim::Answer::Busy, "BUSY"},
      {modemsim::Answer::NoDialtone, "NO DIALTONE"},
      {modemsim::Answer::NoDialTone, "NO DIAL TONE"},
  };
  for (const auto& [answer, word] : cases) {
    settings_.otherNumbers.answers = {answer};
    StartModem();
    pagertest::StatusLines::Clear();
    CPagerAlert alert = AlphaPager();
    EXPECT_EQ(alert.Deliver(), SendResult::Failed);
    EXPECT_EQ(pagertest::StatusLines::Lines(),
              Before({std::string("3 Error Connecting to Service: ") + word, "1 Page Aborted"}));
    EXPECT_EQ(LastCall().ended, "not connected");
    EXPECT_EQ(modem_->Commands().back(), "ATH0");
    modem_->Stop();
    modem_.reset();
  }
}

TEST_F(ModemPaths, WithoutAPromptSevenTwoSecondWaitsEachEndInACr) {
  settings_.otherNumbers.crsBeforeId = -1;
  StartModem();
  CPagerAlert alert = AlphaPager();
  EXPECT_EQ(alert.Deliver(), SendResult::Failed);
  EXPECT_EQ(pagertest::StatusLines::Lines(),
            Before({"1 Logging In...", "3 Error Getting Login Prompt", "1 Page Aborted"}));
  ASSERT_TRUE(modem_->WaitForEndedCalls(1, 10000));
  const modemsim::Call call = LastCall();
  EXPECT_EQ(call.toFar, std::string(7, '\r'));
  EXPECT_EQ(call.ended, "escape+ATH");
}

TEST_F(ModemPaths, AModemThatNeverAnswersIsTriedThreeTimes) {
  settings_.mute = true;
  StartModem();
  CPagerAlert alert = AlphaPager();
  EXPECT_EQ(alert.Deliver(), SendResult::Failed);
  EXPECT_EQ(pagertest::StatusLines::Lines(),
            (Lines{"1 Generating Pager alert...", "1 Initializing COM70.", "1 Initializing Modem...",
                   "3 Error Initializing modem", "1 Page Aborted", "1 Pager alert done."}));
  EXPECT_EQ(modem_->Commands(), (std::vector<std::string>{"ATZ", "ATZ", "ATZ"}));
  EXPECT_TRUE(modem_->Calls().empty());
}

TEST_F(ModemPaths, AMissingDeviceFailsTheOpening) {
  qvp::SetSerialDevice(7, "/nonexistent/ttyQV7");
  CPagerAlert alert = AlphaPager();
  alert.SetPortName("COM7");
  EXPECT_EQ(alert.Deliver(), SendResult::Failed);
  EXPECT_EQ(pagertest::StatusLines::Lines(),
            (Lines{"1 Generating Pager alert...", "1 Initializing COM7.", "3 Error initializing COM7",
                   "1 Page Aborted", "1 Pager alert done."}));
  qvp::SetSerialDevice(7, nullptr);
}

TEST_F(ModemPaths, ACancelledTestAfterConnectHangsUpAndIsNotRetried) {
  settings_.otherNumbers.crsBeforeId = 5;  // the prompt is slow to come
  StartModem();
  std::thread canceller([this] {
    // The first CR asking for the prompt shows the sender is logging in.
    for (int i = 0; i < 3000 && LastCall().toFar.empty(); ++i) Sleep(10);
    SetAlertTestCancelled(true);
  });
  CPagerAlert alert = AlphaPager();
  EXPECT_EQ(alert.Deliver(), SendResult::Sent);
  canceller.join();
  EXPECT_EQ(pagertest::StatusLines::Lines(),
            Before({"1 Logging In...", "1 Page canceled by User", "1 Page Aborted"}));
  ASSERT_TRUE(modem_->WaitForEndedCalls(1, 10000));
  EXPECT_EQ(LastCall().ended, "escape+ATH");
}

TEST_F(ModemPaths, MonitoringStoppingWhileDiallingLeavesThePageSpooled) {
  settings_.otherNumbers.answers = {modemsim::Answer::Silence};
  StartModem();
  std::atomic<bool> running{true};
  std::thread stopper([this, &running] {
    for (int i = 0; i < 1000 && modem_->Calls().empty(); ++i) Sleep(10);
    running.store(false);
  });
  CPagerAlert alert = AlphaPager();
  alert.SetTestMode(false);
  EXPECT_EQ(alert.Deliver(&running), SendResult::Unavailable);
  stopper.join();
  EXPECT_TRUE(pagertest::StatusLines::Lines().empty());  // a real page shows no progress
  ASSERT_TRUE(modem_->WaitForEndedCalls(1, 10000));
  EXPECT_EQ(LastCall().ended, "aborted");  // the escape's first byte ended the dialling
  EXPECT_EQ(modem_->Commands().back(), "ATH0");
}

CPagerAlert NumericPager() {
  CPagerAlert alert;
  alert.SetModemDelivery();
  alert.SetNumericMode();
  alert.SetTestMode(true);
  alert.SetPortName("COM70");
  alert.SetNumber("555-0199");
  alert.SetConnectDelay(6);
  alert.SetMessage("0000");
  return alert;
}

TEST_F(ModemPaths, ANumericPageDialsItsDigitsAfterThePauses) {
  settings_.numbers["5550199"].far = modemsim::FarSide::Numeric;
  StartModem();
  CPagerAlert alert = NumericPager();
  EXPECT_EQ(alert.Deliver(), SendResult::Sent);
  EXPECT_EQ(pagertest::StatusLines::Lines(),
            (Lines{"1 Generating Pager alert...", "1 Initializing COM70.", "1 Initializing Modem...",
                   "1 Dialing modem...", "1 Hanging Up...", "1 Numeric page successfully sent",
                   "1 Pager alert done."}));
  const modemsim::Call call = LastCall();
  EXPECT_EQ(call.dialed, ",5550199,,,,0000");
  EXPECT_EQ(call.tones, ",,,,0000");
  EXPECT_EQ(call.ended, "ATH");
}

// A numeric test cancelled while its dial is waiting: hung up, and done with
// (not tried again).
TEST_F(ModemPaths, ACancelledNumericTestHangsUpAndIsNotRetried) {
  settings_.otherNumbers.answers = {modemsim::Answer::Silence};
  StartModem();
  std::thread canceller([this] {
    for (int i = 0; i < 3000 && modem_->Calls().empty(); ++i) Sleep(10);
    SetAlertTestCancelled(true);
  });
  CPagerAlert alert = NumericPager();
  EXPECT_EQ(alert.Deliver(), SendResult::Sent);
  canceller.join();
  SetAlertTestCancelled(false);
  EXPECT_EQ(pagertest::StatusLines::Lines(),
            (Lines{"1 Generating Pager alert...", "1 Initializing COM70.", "1 Initializing Modem...",
                   "1 Dialing modem...", "1 Page canceled by User", "1 Page Aborted", "1 Pager alert done."}));
  ASSERT_TRUE(modem_->WaitForEndedCalls(1, 10000));
  EXPECT_EQ(modem_->Commands().back(), "ATH0");
}

TEST_F(ModemPaths, ANumericDialTheModemRefusesFailsWithError) {
  settings_.maxDialLength = 12;
  StartModem();
  CPagerAlert alert = NumericPager();
  EXPECT_EQ(alert.Deliver(), SendResult::Failed);
  const Lines lines = pagertest::StatusLines::Lines();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[lines.size() - 3], "3 Error Connecting to Service: ERROR");
  EXPECT_TRUE(modem_->Calls().empty());
}

}  // namespace
