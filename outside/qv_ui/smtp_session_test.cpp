// The mail calls against the scripted server on loopback.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "smtp_mail.h"
#include "smtp_mail_control.h"
#include "scripted_smtp.h"
#include "test_files.h"

namespace {

using Script = qvtest::SmtpScript;
using Server = qvtest::SmtpServer;

class SmtpDialogueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    settings_ = dir_.file("QUORVANE.INI");
    qvui::smtp::SetMailSettingsPathForTests(settings_.c_str());
    qvui::smtp::SetMailClientDomainForTests("client.test");
    // Short waits, so that a silent server ends a test quickly.
    qvui::smtp::SetMailTimeoutsForTests(5000, 300, 300);
  }
  void TearDown() override {
    qvui::smtp::SetMailSettingsPathForTests(nullptr);
    qvui::smtp::SetMailClientDomainForTests(nullptr);
    qvui::smtp::SetMailTimeoutsForTests(0, 0, 0);
  }
  void PointAt(const Server& server, const std::string& subject = "Configured") {
    qvtest::WriteMailSettings(settings_, "127.0.0.1:" + std::to_string(server.port()),
                                "alerts@site.test", "admin@site.test", subject);
  }
  static std::vector<std::string> Commands(Server& server) {
    std::vector<std::string> commands;
    for (const std::string& line : server.Transcript()) {
      if (line.rfind("C: ", 0) == 0) commands.push_back(line.substr(3));
    }
    return commands;
  }

  qvtest::TempDir dir_{"qv_smtp"};
  std::string settings_;
};

TEST_F(SmtpDialogueTest, WholeDialogueWithMultiLineRepliesAndStuffedDots) {
  Server server{Script{}};
  PointAt(server);
  const char* body = "First line\n.starts with a dot\r\n..two dots\rlast";
  ASSERT_EQ(QVUI_SendMailBodySubject(nullptr, " a@x.test; b@y.test ,, ;", "Disk full", body, nullptr),
            QVUI_MAIL_SENT);
  ASSERT_TRUE(server.WaitForEnd());
  const std::vector<std::string> expected = {
      "S: 220 mx.test ESMTP ready",
      "C: EHLO client.test",
      "S: 250-mx.test greets you",
      "S: 250-PIPELINING",
      "S: 250 8BITMIME",
      "C: MAIL FROM:<alerts@site.test>",
      "S: 250 sender ok",
      "C: RCPT TO:<a@x.test>",
      "S: 250 recipient ok",
      "C: RCPT TO:<b@y.test>",
      "S: 250 recipient ok",
      "C: DATA",
      "S: 354 end with <CRLF>.<CRLF>",
      "S: 250 queued as 42",
      "C: QUIT",
      "S: 221 bye",
  };
  EXPECT_EQ(server.Transcript(), expected);

  const std::string data = server.Data();
  const size_t split = data.find("\r\n\r\n");
  ASSERT_NE(split, std::string::npos);
  const std::string head = data.substr(0, split + 2);
  EXPECT_NE(head.find("From: alerts@site.test\r\n"), std::string::npos);
  EXPECT_NE(head.find("To: a@x.test, b@y.test\r\n"), std::string::npos);
  EXPECT_NE(head.find("Reply-To: admin@site.test\r\n"), std::string::npos);
  EXPECT_NE(head.find("Subject: Disk full\r\n"), std::string::npos);
  EXPECT_NE(head.find("Message-ID: <"), std::string::npos);
  EXPECT_NE(head.find("@site.test>\r\n"), std::string::npos);
  EXPECT_EQ(head.rfind("Date: ", 0), 0u);
  // Every line break became CR LF and each leading dot was doubled on the wire.
  EXPECT_EQ(data.substr(split + 4),
            "First line\r\n..starts with a dot\r\n...two dots\r\nlast\r\n");
}

TEST_F(SmtpDialogueTest, ServerWithoutEhloIsGreetedWithHelo) {
  Script script;
  script.replies["EHLO"] = "502 command not implemented\r\n";
  Server server{script};
  PointAt(server);
  ASSERT_EQ(QVUI_SendMailBody(nullptr, "ops@x.test", nullptr, nullptr, "body", nullptr), QVUI_MAIL_SENT);
  ASSERT_TRUE(server.WaitForEnd());
  const std::vector<std::string> commands = Commands(server);
  ASSERT_GE(commands.size(), 3u);
  EXPECT_EQ(commands[0], "EHLO client.test");
  EXPECT_EQ(commands[1], "HELO client.test");
  EXPECT_EQ(commands[2], "MAIL FROM:<alerts@site.test>");
  // The subject of the plain call comes from the settings file.
  EXPECT_NE(server.Data().find("Subject: Configured\r\n"), std::string::npos);
}

TEST_F(SmtpDialogueTest, SubjectDefaultsWhenTheSettingsHaveNone) {
  Server server{Script{}};
  PointAt(server, "");
  ASSERT_EQ(QVUI_SendMailBody(nullptr, "ops@x.test", nullptr, nullptr, nullptr, nullptr), QVUI_MAIL_SENT);
  ASSERT_TRUE(server.WaitForEnd());
  EXPECT_NE(server.Data().find("Subject: Quorvane Reports\r\n"), std::string::npos);
}

struct Refusal {
  friend void PrintTo(const Refusal& r, std::ostream* os) { *os << r.word << " answered " << r.reply; }
  const char* word;  // the command refused ("greeting", "DATA-END" for the final reply)
  const char* reply;
  int result;
};

class SmtpRefusalTest : public SmtpDialogueTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(SmtpRefusalTest, RefusalAtEachStepFailsAndSaysGoodbye) {
  const Refusal& r = GetParam();
  Script script;
  const std::string word = r.word;
  if (word == "greeting") {
    script.greeting = r.reply;
  } else if (word == "DATA-END") {
    script.data_end_reply = r.reply;
  } else {
    script.replies[word] = r.reply;
  }
  Server server{script};
  PointAt(server);
  EXPECT_EQ(QVUI_SendMailBody(nullptr, "a@x.test,b@x.test", nullptr, nullptr, "text", nullptr), r.result);
  ASSERT_TRUE(server.WaitForEnd());
  const std::vector<std::string> commands = Commands(server);
  ASSERT_FALSE(commands.empty());
  EXPECT_EQ(commands.back(), "QUIT");
  // Nothing goes out after a refusal: no second recipient, no message text.
  for (const std::string& c : commands) {
    if (word == "RCPT") {
      EXPECT_NE(c, "RCPT TO:<b@x.test>");
    }
    if (word != "DATA-END" && word != "DATA") {
      EXPECT_NE(c, "DATA");
    }
  }
  if (word != "DATA-END") {
    EXPECT_TRUE(server.Data().empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Steps, SmtpRefusalTest,
    ::testing::Values(Refusal{"greeting", "554 no service here\r\n", QVUI_MAIL_REFUSED_PERMANENT},
                      Refusal{"greeting", "421-busy\r\n421 come back later\r\n", QVUI_MAIL_REFUSED_TEMPORARY},
                      Refusal{"EHLO", "421 closing\r\n", QVUI_MAIL_REFUSED_TEMPORARY},
                      Refusal{"MAIL", "451 local error\r\n", QVUI_MAIL_REFUSED_TEMPORARY},
                      Refusal{"MAIL", "553 sender refused\r\n", QVUI_MAIL_REFUSED_PERMANENT},
                      Refusal{"RCPT", "550 no such user\r\n", QVUI_MAIL_REFUSED_PERMANENT},
                      Refusal{"RCPT", "450 mailbox busy\r\n", QVUI_MAIL_REFUSED_TEMPORARY},
                      Refusal{"DATA", "554 no valid recipients\r\n", QVUI_MAIL_REFUSED_PERMANENT},
                      Refusal{"DATA-END", "452 storage full\r\n", QVUI_MAIL_REFUSED_TEMPORARY},
                      Refusal{"DATA-END", "552 too big\r\n", QVUI_MAIL_REFUSED_PERMANENT}));

TEST_F(SmtpDialogueTest, ASilentServerTimesOut) {
  for (const char* silent_after : {"greeting", "RCPT", "DATA"}) {
    Script script;
    script.silent_after = silent_after;
    Server server{script};
    PointAt(server);
    EXPECT_EQ(QVUI_SendMailBody(nullptr, "a@x.test", nullptr, nullptr, "text", nullptr), QVUI_MAIL_TIMEOUT)
        << silent_after;
    EXPECT_TRUE(server.WaitForEnd());
  }
}

TEST_F(SmtpDialogueTest, NoAnswerToTheMessageIsATimeoutNotASend) {
  Script script;
  script.data_end_reply = "";
  Server server{script};
  PointAt(server);
  EXPECT_EQ(QVUI_SendMailBody(nullptr, "a@x.test", nullptr, nullptr, "text", nullptr), QVUI_MAIL_TIMEOUT);
  EXPECT_TRUE(server.WaitForEnd());
}

TEST_F(SmtpDialogueTest, CancelFlagEndsTheSendBetweenCommands) {
  {
    // Set before the call: no connection is made.
    Server server{Script{}};
    PointAt(server);
    const BYTE cancel = 1;
    EXPECT_EQ(QVUI_SendMailBody(nullptr, "a@x.test", nullptr, nullptr, "text", &cancel), QVUI_MAIL_CANCELLED);
    EXPECT_TRUE(server.Transcript().empty());
  }
  {
    // Set while the server sits on MAIL FROM: the client gives up without waiting for the time-out.
    qvui::smtp::SetMailTimeoutsForTests(5000, 600000, 600000);
    Script script;
    script.silent_after = "MAIL";
    Server server{script};
    PointAt(server);
    BYTE cancel = 0;
    std::thread setter([&] {
      if (server.WaitForCommands(2)) __atomic_store_n(&cancel, 1, __ATOMIC_RELEASE);
    });
    EXPECT_EQ(QVUI_SendMailBody(nullptr, "a@x.test", nullptr, nullptr, "text", &cancel), QVUI_MAIL_CANCELLED);
    setter.join();
    ASSERT_TRUE(server.WaitForEnd());
    const std::vector<std::string> commands = Commands(server);
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[1], "MAIL FROM:<alerts@site.test>");
  }
}

TEST_F(SmtpDialogueTest, CancelAfterTheMessageWentOutStillWaitsForTheVerdict) {
  qvui::smtp::SetMailTimeoutsForTests(5000, 600000, 600000);
  Script script;
  script.hold_data_end = true;
  Server server{script};
  PointAt(server);
  BYTE cancel = 0;
  std::thread setter([&] {
    if (server.WaitForData()) {
      __atomic_store_n(&cancel, 1, __ATOMIC_RELEASE);
      server.Release();
    }
  });
  // The server took the message, so it counts as sent whatever the flag says.
  EXPECT_EQ(QVUI_SendMailBody(nullptr, "a@x.test", nullptr, nullptr, "text", &cancel), QVUI_MAIL_SENT);
  setter.join();
}

TEST_F(SmtpDialogueTest, ForgedAddressesAndHeadersAreRefusedBeforeConnecting) {
  Server server{Script{}};
  PointAt(server);
  EXPECT_EQ(QVUI_SendMailBody(nullptr, "a@x.test>\r\nRCPT TO:<b@x.test", nullptr, nullptr, "t", nullptr),
            QVUI_MAIL_BAD_ADDRESS);
  EXPECT_EQ(QVUI_SendMailBody(nullptr, "ok@x.test; <b@x.test>", nullptr, nullptr, "t", nullptr),
            QVUI_MAIL_BAD_ADDRESS);
  EXPECT_EQ(QVUI_SendMailBody(nullptr, " ; , ", nullptr, nullptr, "t", nullptr), QVUI_MAIL_BAD_ADDRESS);
  EXPECT_EQ(QVUI_SendMailBody(nullptr, nullptr, nullptr, nullptr, "t", nullptr), QVUI_MAIL_BAD_ADDRESS);
  EXPECT_EQ(QVUI_SendMailBodySubject(nullptr, "a@x.test", "Hi\r\nBcc: c@x.test", "t", nullptr),
            QVUI_MAIL_BAD_HEADER);
  EXPECT_EQ(QVUI_SendMailBodySubject(nullptr, "a@x.test", "Hi\nthere", "t", nullptr), QVUI_MAIL_BAD_HEADER);
  EXPECT_TRUE(server.Transcript().empty());
}

TEST_F(SmtpDialogueTest, TransportFailuresHaveTheirOwnResults) {
  // A server that answers with something that is not SMTP.
  {
    Script script;
    script.greeting = "hello there\r\n";
    Server server{script};
    PointAt(server);
    EXPECT_EQ(QVUI_SendMailBody(nullptr, "a@x.test", nullptr, nullptr, "t", nullptr), QVUI_MAIL_PROTOCOL_ERROR);
  }
  // A multi-line reply whose lines disagree on the code.
  {
    Script script;
    script.replies["EHLO"] = "250-fine\r\n550 not fine\r\n";
    Server server{script};
    PointAt(server);
    EXPECT_EQ(QVUI_SendMailBody(nullptr, "a@x.test", nullptr, nullptr, "t", nullptr), QVUI_MAIL_PROTOCOL_ERROR);
  }
  // A port that nothing listens on.
  u_short closed = 0;
  {
    Server server{Script{}};
    closed = server.port();
  }
  qvtest::WriteMailSettings(settings_, "127.0.0.1:" + std::to_string(closed), "", "", "");
  EXPECT_EQ(QVUI_SendMailBody(nullptr, "a@x.test", nullptr, nullptr, "t", nullptr), QVUI_MAIL_CONNECT_FAILED);
  // Unusable server settings.
  for (const char* value : {"127.0.0.1:0", "127.0.0.1:70000", "127.0.0.1:25x", ":25"}) {
    qvtest::WriteMailSettings(settings_, value, "", "", "");
    EXPECT_EQ(QVUI_SendMailBody(nullptr, "a@x.test", nullptr, nullptr, "t", nullptr), QVUI_MAIL_BAD_SETTINGS)
        << value;
  }
  // A sender address that would forge the envelope.
  {
    Server server{Script{}};
    qvtest::WriteMailSettings(settings_, "127.0.0.1:" + std::to_string(server.port()), "me@x.test> x", "", "");
    EXPECT_EQ(QVUI_SendMailBody(nullptr, "a@x.test", nullptr, nullptr, "t", nullptr), QVUI_MAIL_BAD_ADDRESS);
    EXPECT_TRUE(server.Transcript().empty());
  }
}

TEST_F(SmtpDialogueTest, FailuresLeaveADebugLine) {
  Script script;
  script.replies["RCPT"] = "550 5.1.1 unknown user\r\n";
  Server server{script};
  PointAt(server);
  qvp::CaptureDebugOutput(true);
  EXPECT_EQ(QVUI_SendMailBody(nullptr, "nobody@x.test", nullptr, nullptr, "t", nullptr),
            QVUI_MAIL_REFUSED_PERMANENT);
  const std::string debug = qvp::TakeDebugOutput();
  qvp::CaptureDebugOutput(false);
  EXPECT_NE(debug.find("RCPT TO"), std::string::npos);
  EXPECT_NE(debug.find("550 5.1.1 unknown user"), std::string::npos);
  EXPECT_EQ(debug.substr(debug.size() - 2), "\r\n");
}

}  // namespace
