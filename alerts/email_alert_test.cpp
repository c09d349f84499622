#include "email_alert.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "alert_runtime.h"
#include "fake_senders.h"
#include "test_files.h"

namespace {

using fake_senders::record;

class EmailAlertTest : public ::testing::Test {
 protected:
  void SetUp() override { fake_senders::Install(); }
  void TearDown() override { ResetAlertSenders(); }
  qvtest::TempDir dir{"qvemail"};
};

TEST_F(EmailAlertTest, MessagesAreEscapedWithTheLettersSwappedAndReadBackEqual) {
  EXPECT_EQ(CEmailAlert::EncodeMessage("a\\b\nc\r"), "a\\\\b\\rc\\n");
  EXPECT_EQ(CEmailAlert::DecodeMessage("a\\\\b\\rc\\n"), "a\\b\nc\r");
  // A backslash before any other letter is never written; it is kept as it stands.
  EXPECT_EQ(CEmailAlert::DecodeMessage("x\\ty\\"), "x\\ty\\");
  // The escaped text is cut whole: never inside an escape.
  const std::string lines(1500, '\n');
  const std::string stored = CEmailAlert::EncodeMessage(lines.c_str());
  EXPECT_EQ(stored.size(), 2046u);
  EXPECT_EQ(CEmailAlert::DecodeMessage(stored.c_str()), std::string(1023, '\n'));
}

TEST_F(EmailAlertTest, WritesItsKeysInOrderAndReadsThemBack) {
  CEmailAlert alert;
  alert.SetAddress("ops@example.org");
  alert.SetMessage("Device down\r\nat C:\\x");
  alert.SetProfileName("Web");
  const std::string path = dir.file("e.eap");
  ASSERT_TRUE(alert.Write(path.c_str()));
  EXPECT_EQ(qvtest::SectionLines(dir.read("e.eap"), "Email"),
            (std::vector<std::string>{"Message=Device down\\n\\rat C:\\\\x", "Address=ops@example.org",
                                      "ProfileName=Web", "Subject=<mt>", "TestMode=0"}));
  ASSERT_TRUE(CEmailAlert::IsValidFile(path.c_str()));
  CEmailAlert back(path.c_str());
  EXPECT_STREQ(back.GetMessage(), "Device down\r\nat C:\\x");
  EXPECT_STREQ(back.GetAddress(), "ops@example.org");
  EXPECT_EQ(back.GetSubject(), nullptr);
  EXPECT_EQ(CEmailAlert(back).GetOwnPath(), nullptr);
}

TEST_F(EmailAlertTest, TheSubjectGoesToTheMailerAndNoSettingsFileIsWritten) {
  CEmailAlert alert;
  alert.SetAddress("ops@example.org");
  alert.SetSubject("Web is down");
  alert.SetMessage("text");
  EXPECT_EQ(alert.Deliver(), SendResult::Sent);
  CEmailAlert plain;
  plain.SetAddress("ops@example.org");
  EXPECT_EQ(plain.Deliver(), SendResult::Sent);
  ASSERT_EQ(record().mails.size(), 2u);
  EXPECT_EQ(record().mails[0].subject, "Web is down");
  EXPECT_EQ(record().mails[0].body, "text");
  EXPECT_FALSE(record().mails[0].withCancel);
  EXPECT_EQ(record().mails[1].subject, "Quorvane Alert");
  EXPECT_EQ(record().mails[1].body, "This message intentionally left blank.");
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
  // A test mail can be cancelled.
  plain.SetTestMode(true);
  plain.Deliver();
  EXPECT_TRUE(record().mails[2].withCancel);
}

TEST_F(EmailAlertTest, AddressesThatCouldForgeCommandsAreRefusedUnsent) {
  for (const char* bad : {"a@b.org\r\nRCPT TO:<x@y.org>", "a@b.org\n", "<a@b.org>", "a@b.org>"}) {
    CEmailAlert alert;
    alert.SetAddress(bad);
    EXPECT_EQ(alert.Deliver(), SendResult::Refused) << bad;
  }
  EXPECT_TRUE(record().mails.empty());
}

TEST_F(EmailAlertTest, AMailWithoutAddressOrWithAServerRefusalIsNotSent) {
  CEmailAlert alert;
  EXPECT_EQ(alert.Deliver(), SendResult::Failed);
  alert.SetAddress("");  // what a missing key reads as
  EXPECT_EQ(alert.Deliver(), SendResult::Failed);
  EXPECT_TRUE(record().mails.empty());
  alert.SetAddress("ops@example.org");
  record().mailAnswer = 10;  // the server answered 4xx
  EXPECT_EQ(alert.Deliver(), SendResult::Failed);
  record().mailAnswer = 11;  // 5xx
  EXPECT_EQ(alert.Deliver(), SendResult::Failed);
  record().mailAnswer = 1;  // the mail library refused the address
  EXPECT_EQ(alert.Deliver(), SendResult::Refused);
}

}  // namespace
