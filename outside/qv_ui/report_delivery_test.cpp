// Report delivery against real servers on loopback: mail with attachments to
// Debian's aiosmtpd, files by FTP to pyftpdlib (when the FTP library is there).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "loopback_peers.h"
#include "mail_peer.h"
#include "qv_ui.h"
#include "smtp_mail_control.h"
#include "scripted_smtp.h"
#include "test_files.h"

namespace {

using qvtest::ReadFile;

using qvtest::WriteFile;

std::string EveryByte() {
  std::string bytes;
  for (int round = 0; round < 3; ++round) {
    for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
  }
  return bytes + "tail";
}

TEST(ReportDeliveryTest, MailCarriesTheFilesAsAttachmentsByteForByte) {
  QVTEST_REQUIRE_PACKAGE(qvtest::MailServer::Available(), "python3-aiosmtpd");
  const qvtest::TempDir temp;
  const std::string dir = temp.path().string();
  WriteFile(dir + "/report.htm", "<html><body>report</body></html>\n");
  WriteFile(dir + "/logo x.gif", EveryByte());
  qvtest::MailServer server(dir + "/maildir");
  ASSERT_TRUE(server.running()) << "the SMTP server did not start";
  const std::string settings = dir + "/QUORVANE.INI";
  qvtest::WriteMailSettings(settings, server.address(), "alerts@site.test", "admin@site.test", "Report");
  qvui::smtp::SetMailSettingsPathForTests(settings.c_str());
  std::string first = dir + "/report.htm";
  std::string second = dir + "/logo x.gif";
  char* files[] = {first.data(), second.data()};
  const int result = QVUI_SendMail(nullptr, "boss@site.test", 2, files);
  std::string missing = dir + "/nothing.htm";
  char* none[] = {missing.data()};
  const int unreadable = QVUI_SendMail(nullptr, "boss@site.test", 1, none);
  qvui::smtp::SetMailSettingsPathForTests(nullptr);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(unreadable, -1);

  const auto messages = server.MessageFiles();
  ASSERT_EQ(messages.size(), 1u);
  const qvtest::ReadMail mail = qvtest::MailServer::Read(messages[0]);
  ASSERT_TRUE(mail.ok);
  ASSERT_EQ(mail.attachments.size(), 2u);
  EXPECT_EQ(mail.attachments[0].bytes, ReadFile(first));
  EXPECT_EQ(mail.attachments[0].name, "report.htm");
  EXPECT_EQ(mail.attachments[1].bytes, EveryByte());
  EXPECT_EQ(mail.attachments[1].name, "logo x.gif");
}

// Uploads a report and a binary file to pyftpdlib on loopback, then tries a
// wrong password.
void UploadThroughTheFtpLibrary(const char* libraryDirectory) {
  // Modules are found in the program directory and the current one: the
  // test works from the directory that holds the FTP library it wants.
  qvtest::InDirectory libraryFolder(libraryDirectory);
  HMODULE library = LoadLibraryA("FTP4W32.DLL");
  if (library == nullptr) GTEST_SKIP() << "the FTP library FTP4W32.DLL is not in " << libraryDirectory;
  FreeLibrary(library);
  const std::string python = qvtest::PythonWith("pyftpdlib");
  QVTEST_REQUIRE_PACKAGE(!python.empty(), "python3-pyftpdlib");
  const qvtest::TempDir temp;
  const std::string dir = temp.path().string();
  std::filesystem::create_directories(dir + "/root/reports");
  WriteFile(dir + "/made.htm", "<html>made</html>\n");
  WriteFile(dir + "/logo.gif", EveryByte());
  const int port = qvtest::FreePort();
  qvtest::PeerProcess server({python, "-m", "pyftpdlib", "-i", "127.0.0.1", "-p", std::to_string(port), "-w", "-d",
                              dir + "/root", "-u", "anna", "-P", "s3cret"});
  ASSERT_TRUE(server.WaitUntilListening(port)) << "the FTP server did not start";
  std::string first = dir + "/made.htm";
  std::string second = dir + "/logo.gif";
  char* files[] = {first.data(), second.data()};
  const std::string target = "ftp://127.0.0.1:" + std::to_string(port) + "/reports/summary.htm";
  EXPECT_EQ(QVUI_FTPSendFiles(nullptr, target.c_str(), 2, files, "anna", "s3cret"), 1);
  EXPECT_EQ(QVUI_FTPSendFiles(nullptr, target.c_str(), 2, files, "anna", "wrong"), 0);
  server.Stop();
  EXPECT_EQ(ReadFile(dir + "/root/reports/summary.htm"), ReadFile(first));
  EXPECT_EQ(ReadFile(dir + "/root/reports/logo.gif"), EveryByte());
}

TEST(ReportDeliveryTest, FtpUploadsTheFilesByteForByteAndRefusesABadPassword) {
  UploadThroughTheFtpLibrary(QV_TEST_DIST_DIR);
}

TEST(ReportDeliveryTest, FtpUploadsThroughTheTestStandInOfTheLibrary) {
  UploadThroughTheFtpLibrary(QV_TEST_FAKE_FTP_DIR);
}

TEST(ReportDeliveryTest, WithoutTheFtpLibraryNothingIsSentAndNothingBreaks) {
  const qvtest::TempDir empty;
  qvtest::InDirectory nowhere(empty.path());
  std::string file = empty.file("x.htm");
  WriteFile(file, "x");
  char* files[] = {file.data()};
  if (HMODULE library = LoadLibraryA("FTP4W32.DLL")) {
    FreeLibrary(library);
    GTEST_SKIP() << "an FTP library is in the program directory";
  }
  EXPECT_EQ(QVUI_FTPSendFiles(nullptr, "ftp://127.0.0.1/x.htm", 1, files, "u", "p"), 0);
}

TEST(ReportDeliveryTest, FtpTargetsThatCannotBeUsedAreRefusedBeforeAnyConnection) {
  std::string file = "/nonexistent/x.htm";
  char* files[] = {file.data()};
  EXPECT_EQ(QVUI_FTPSendFiles(nullptr, "ftp://", 1, files, "u", "p"), 0);
  EXPECT_EQ(QVUI_FTPSendFiles(nullptr, "ftp://host:99999/x.htm", 1, files, "u", "p"), 0);
  EXPECT_EQ(QVUI_FTPSendFiles(nullptr, "ftp://host/a\r\nDELE x/x.htm", 1, files, "u", "p"), 0);
  EXPECT_EQ(QVUI_FTPSendFiles(nullptr, "ftp://host/x.htm", 0, files, "u", "p"), 0);
}

}  // namespace
