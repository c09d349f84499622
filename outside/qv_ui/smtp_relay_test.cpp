// The mail calls against a real SMTP server: Debian's aiosmtpd, started by
// the test on loopback, storing what it receives in a mail directory.
#include <gtest/gtest.h>

#include <string>

#include "mail_peer.h"
#include "smtp_mail.h"
#include "smtp_mail_control.h"
#include "scripted_smtp.h"
#include "test_files.h"

namespace {

TEST(SmtpRelayTest, RealServerReceivesSubjectAndBodyIntact) {
  QVTEST_REQUIRE_PACKAGE(qvtest::MailServer::Available(), "python3-aiosmtpd");
  const qvtest::TempDir dir;
  qvtest::MailServer server(dir.file("maildir"));
  ASSERT_TRUE(server.running()) << "the SMTP server did not start";

  const std::string settings = dir.file("QUORVANE.INI");
  qvtest::WriteMailSettings(settings, server.address(), "alerts@site.test", "admin@site.test",
                              "Configured subject");
  qvui::smtp::SetMailSettingsPathForTests(settings.c_str());
  qvui::smtp::SetMailClientDomainForTests("client.test");
  const int result = QVUI_SendMailBodySubject(nullptr, "one@rcpt.test; two@rcpt.test", "Disk C: low",
                                              "Line one\n.Line two starts with a dot\r\n\r\nLast line", nullptr);
  qvui::smtp::SetMailSettingsPathForTests(nullptr);
  qvui::smtp::SetMailClientDomainForTests(nullptr);

  ASSERT_EQ(result, QVUI_MAIL_SENT);
  const auto messages = server.Messages();
  ASSERT_EQ(messages.size(), 1u);
  const std::string& message = messages[0];
  EXPECT_NE(message.find("\nSubject: Disk C: low\n"), std::string::npos) << message;
  EXPECT_NE(message.find("\nFrom: alerts@site.test\n"), std::string::npos) << message;
  EXPECT_NE(message.find("\nReply-To: admin@site.test\n"), std::string::npos) << message;
  EXPECT_NE(message.find("X-MailFrom: alerts@site.test\n"), std::string::npos) << message;
  EXPECT_NE(message.find("X-RcptTo: one@rcpt.test, two@rcpt.test\n"), std::string::npos) << message;
  EXPECT_NE(message.find("\n\nLine one\n.Line two starts with a dot\n\nLast line\n"), std::string::npos)
      << message;
}

}  // namespace
