// E-mail alerts through the spool queue and the real mail library, against a
// scripted SMTP server on loopback: a 4xx or 5xx answer spools the alert again
// with its attempt count, the subject travels with the mail, and the program's
// settings file is left as it was.
#include <gtest/gtest.h>

#include <string>

#include "alert_queues.h"
#include "alert_runtime.h"
#include "alert_senders.h"
#include "smtp_mail_control.h"
#include "scripted_smtp.h"
#include "test_files.h"

namespace {

TEST(EmailDeliveryTest, ServerRefusalsRespoolWithTheirCountUntilTheMailGoesThrough) {
  qvtest::TempDir dir("qvmaildelivery");
  const std::string settings = dir.file("QUORVANE.INI");
  ResetAlertSenders();
  SetAlertRetryCount(3);
  SetAlertingDisabled(false);

  CEmailAlertQueue queue(dir.path().string().c_str());
  queue.StartWithoutThread();
  CEmailAlert alert;
  alert.SetAddress("ops@example.org");
  alert.SetSubject("Web is down");
  alert.SetMessage("The device is down.");
  ASSERT_TRUE(queue.Add(alert));

  qvtest::SmtpScript busy;
  busy.replies["RCPT"] = "450 mailbox busy\r\n";
  qvtest::SmtpScript rejecting;
  rejecting.data_end_reply = "554 rejected\r\n";
  qvtest::SmtpScript accepting;
  const qvtest::SmtpScript* scripts[] = {&busy, &rejecting, &accepting};
  int round = 0;
  for (const qvtest::SmtpScript* script : scripts) {
    qvtest::SmtpServer server(*script);
    qvtest::WriteMailSettings(settings, "127.0.0.1:" + std::to_string(server.port()), "", "", "Quorvane Report");
    qvui::smtp::SetMailSettingsPathForTests(settings.c_str());
    ASSERT_EQ(queue.RunOnce(), CEmailAlertQueue::Pass::Delivered);
    ++round;
    const auto files = queue.ListSpoolFiles();
    if (round < 3) {
      ASSERT_EQ(files.size(), 1u);
      EXPECT_EQ(GetPrivateProfileIntA("EmailServer", "RetryCount", 0, dir.file(files[0]).c_str()),
                static_cast<UINT>(round));
    } else {
      EXPECT_TRUE(files.empty());
      ASSERT_TRUE(server.WaitForData());
      EXPECT_NE(server.Data().find("Subject: Web is down"), std::string::npos);
    }
  }
  qvui::smtp::SetMailSettingsPathForTests(nullptr);
  EXPECT_EQ(qvtest::SectionLines(dir.read("QUORVANE.INI"), "Email").back(), "Subject=Quorvane Report");
}

}  // namespace
