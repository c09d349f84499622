// A scheduled report made by the real report engine and delivered by the
// plug-in to peers the test starts on loopback: by FTP to pyftpdlib (every
// file arrives byte for byte; a bad password is logged, not reported made) and
// by mail to aiosmtpd (the attachments are the report's files).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "entry_format.h"
#include "loopback_peers.h"
#include "mail_peer.h"
#include "report_host.h"

namespace {

namespace fs = std::filesystem;
using reporthost::ReadFile;

class ScheduledReportDelivery : public reporthost::ReportHostTest {
 protected:
  void SetUp() override {
    ReportHostTest::SetUp();
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    program_.dir().write("qvm_alrt/datfiles/lert0000.amp",
                         "[Profile]\nDescription=Delivered port\nProfileID=700\n[Monitor]\nHostName=127.0.0.1\n"
                         "MonitorType=TELNET\nPortID=1\n");
    std::string log;
    const uint32_t start = static_cast<uint32_t>(std::time(nullptr)) - 3600;
    const char* states[] = {"UP", "DOWN", "UP"};
    for (int i = 0; i < 3; ++i) {
      QVLS_FIELD fields[4] = {{1, "BOX"}, {4, "STATUS"}, {5, ""}, {8, "700"}};
      std::snprintf(fields[2].text, sizeof fields[2].text, "%s", states[i]);
      log += qvls::EncodeEntry(fields, 4, start + 600u * static_cast<uint32_t>(i));
    }
    program_.dir().write("qvm_alrt/QVM_ALRT.LOG", log);
    WriteReportSettings(2, 0);
  }
  void TearDown() override {
    WSACleanup();
    ReportHostTest::TearDown();
  }

  // The files of the report: the page and the pictures copied beside it.
  std::set<std::string> Made() const {
    std::set<std::string> names;
    for (const auto& item : fs::directory_iterator(ReportDirectory())) names.insert(item.path().filename().string());
    return names;
  }
  fs::path ReportDirectory() const { return fs::path(program_.path()) / "REPORTS" / "Alert"; }
};

TEST_F(ScheduledReportDelivery, FtpUploadsEveryFileByteForByteAndABadPasswordIsLogged) {
  const std::string python = qvtest::PythonWith("pyftpdlib");
  QVTEST_REQUIRE_PACKAGE(!python.empty(), "python3-pyftpdlib");
  const fs::path root = fs::path(program_.path()) / "ftproot";
  fs::create_directories(root / "reports");
  const int port = qvtest::FreePort();
  qvtest::PeerProcess server({python, "-m", "pyftpdlib", "-i", "127.0.0.1", "-p", std::to_string(port), "-w", "-d",
                              root.string(), "-u", "anna", "-P", "s3cret"});
  ASSERT_TRUE(server.WaitUntilListening(port)) << "the FTP server did not start";
  const std::string target = "ftp://127.0.0.1:" + std::to_string(port) + "/reports/r.htm";
  WriteEvent(target, "anna", "s3cret");
  ASSERT_NE(Bind(), nullptr);
  qvtest::InDirectory here(program_.path());

  SCHEDULE_EVENT* event = Event();
  ASSERT_NE(event, nullptr);
  ASSERT_EQ(Run(event), PLUGIN_DONE) << SchedulerLog();
  const std::set<std::string> made = Made();
  EXPECT_TRUE(made.count("r.htm") == 1 && made.count("qvlogoss.gif") == 1) << made.size();
  std::set<std::string> uploaded;
  for (const auto& item : fs::directory_iterator(root / "reports")) uploaded.insert(item.path().filename().string());
  EXPECT_EQ(uploaded, made);
  for (const std::string& name : made) {
    EXPECT_EQ(ReadFile(root / "reports" / name), ReadFile(ReportDirectory() / name)) << name;
  }
  EXPECT_NE(ReadFile(root / "reports" / "r.htm").find("Delivered port"), std::string::npos);

  // A bad password: nothing is reported made; the failure is in the log.
  fs::remove_all(root / "reports");
  fs::create_directories(root / "reports");
  WriteEvent(target, "anna", "wrong");
  event = Event();
  ASSERT_NE(event, nullptr);
  EXPECT_EQ(Run(event), PLUGIN_FAILED);
  EXPECT_TRUE(fs::is_empty(root / "reports"));
  const std::string log = SchedulerLog();
  EXPECT_NE(log.find(", FTP upload to  " + target + "  failed.\tVozed Uvarirada"), std::string::npos) << log;
}

TEST_F(ScheduledReportDelivery, MailCarriesTheReportsFilesAsAttachments) {
  QVTEST_REQUIRE_PACKAGE(qvtest::MailServer::Available(), "python3-aiosmtpd");
  qvtest::MailServer server(program_.path() + "/maildir");
  ASSERT_TRUE(server.running()) << "the SMTP server did not start";
  const std::string settings = program_.path() + "/QUORVANE.INI";
  program_.dir().write("QUORVANE.INI",
                       "[Email]\r\nSMTPServer=" + server.address() + "\r\nFrom=alerts@site.test\r\nSubject=Report\r\n");
  qvui::smtp::SetMailSettingsPathForTests(settings.c_str());
  WriteEvent("mailto:boss@site.test/r.htm");
  ASSERT_NE(Bind(), nullptr);
  SCHEDULE_EVENT* event = Event();
  ASSERT_NE(event, nullptr);
  const int result = Run(event);
  qvui::smtp::SetMailSettingsPathForTests(nullptr);
  ASSERT_EQ(result, PLUGIN_DONE) << SchedulerLog();

  const auto messages = server.MessageFiles();
  ASSERT_EQ(messages.size(), 1u);
  // The message as a mail reader takes it apart: its addressee, then each
  // attachment's name and bytes.
  const qvtest::ReadMail mail = qvtest::MailServer::Read(messages[0]);
  ASSERT_TRUE(mail.ok);
  EXPECT_NE(mail.to.find("boss@site.test"), std::string::npos) << mail.to;
  const std::set<std::string> made = Made();
  EXPECT_EQ(made.count("r.htm"), 1u);
  for (const std::string& name : made) {
    const auto attachment = std::find_if(mail.attachments.begin(), mail.attachments.end(),
                                         [&](const qvtest::ReadMail::Attachment& a) { return a.name == name; });
    ASSERT_NE(attachment, mail.attachments.end()) << name;
    EXPECT_EQ(attachment->bytes, ReadFile(ReportDirectory() / name)) << name;
  }
}

}  // namespace
