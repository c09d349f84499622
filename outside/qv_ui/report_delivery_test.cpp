// Report delivery against real servers on loopback: mail with attachments to
// Debian's aiosmtpd, files by FTP to pyftpdlib (when the FTP library is there).
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "qv_ui.h"
#include "smtp_mail_control.h"
#include "smtp_test_server.h"

extern char** environ;

namespace {

pid_t Spawn(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  return pid;
}

int WaitExit(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Debian's Python when it has the module.
std::string PythonWith(const char* module) {
  for (const char* candidate : {"/usr/bin/python3", "python3"}) {
    const pid_t pid = Spawn({candidate, "-c", std::string("import ") + module});
    if (pid > 0 && WaitExit(pid) == 0) return candidate;
  }
  return std::string();
}

u_short FreePort() {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(s, reinterpret_cast<const sockaddr*>(&a), sizeof a);
  int length = sizeof a;
  getsockname(s, reinterpret_cast<sockaddr*>(&a), &length);
  closesocket(s);
  WSACleanup();
  return ntohs(a.sin_port);
}

bool Listening(u_short port, pid_t server) {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  bool up = false;
  for (int attempt = 0; attempt < 400 && !up; ++attempt) {
    int status = 0;
    if (waitpid(server, &status, WNOHANG) == server) break;
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(port);
    up = connect(s, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
    closesocket(s);
    if (!up) Sleep(50);
  }
  WSACleanup();
  return up;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string EveryByte() {
  std::string bytes;
  for (int round = 0; round < 3; ++round) {
    for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
  }
  return bytes + "tail";
}

void SkipOrFail(const char* what) {
  if (std::getenv("CI") != nullptr) FAIL() << what << " is needed in CI";
  GTEST_SKIP() << what << " is not installed";
}

TEST(ReportDeliveryTest, MailCarriesTheFilesAsAttachmentsByteForByte) {
  const std::string python = PythonWith("aiosmtpd.handlers");
  if (python.empty()) return SkipOrFail("python3-aiosmtpd");
  const std::string dir = smtptest::MakeTempDir();
  ASSERT_FALSE(dir.empty());
  const std::string maildir = dir + "/maildir";
  WriteFile(dir + "/report.htm", "<html><body>report</body></html>\n");
  WriteFile(dir + "/logo x.gif", EveryByte());
  const u_short port = FreePort();
  const pid_t server = Spawn({python, "-m", "aiosmtpd", "-n", "-l", "127.0.0.1:" + std::to_string(port), "-c",
                              "aiosmtpd.handlers.Mailbox", maildir});
  ASSERT_GT(server, 0);
  const bool up = Listening(port, server);
  const std::string settings = dir + "/QUORVANE.INI";
  smtptest::WriteMailSettings(settings, "127.0.0.1:" + std::to_string(port), "alerts@site.test", "admin@site.test",
                              "Report");
  qvui::smtp::SetMailSettingsPathForTests(settings.c_str());
  std::string first = dir + "/report.htm";
  std::string second = dir + "/logo x.gif";
  char* files[] = {first.data(), second.data()};
  const int result = up ? QVUI_SendMail(nullptr, "boss@site.test", 2, files) : -2;
  std::string missing = dir + "/nothing.htm";
  char* none[] = {missing.data()};
  const int unreadable = up ? QVUI_SendMail(nullptr, "boss@site.test", 1, none) : -2;
  qvui::smtp::SetMailSettingsPathForTests(nullptr);
  kill(server, SIGTERM);
  waitpid(server, nullptr, 0);
  ASSERT_TRUE(up) << "the SMTP server did not start";
  EXPECT_EQ(result, 0);
  EXPECT_EQ(unreadable, -1);

  std::vector<std::filesystem::path> messages;
  for (const auto& entry : std::filesystem::directory_iterator(maildir + "/new")) messages.push_back(entry.path());
  ASSERT_EQ(messages.size(), 1u);
  // The attachments as a mail reader takes them apart.
  const std::string out = dir + "/parts";
  std::filesystem::create_directory(out);
  const char* script =
      "import email, sys, os\n"
      "m = email.message_from_binary_file(open(sys.argv[1], 'rb'))\n"
      "n = 0\n"
      "for p in m.walk():\n"
      "    if p.get_filename():\n"
      "        n += 1\n"
      "        open(os.path.join(sys.argv[2], str(n)), 'wb').write(p.get_payload(decode=True))\n"
      "        open(os.path.join(sys.argv[2], str(n) + '.name'), 'w').write(p.get_filename())\n";
  ASSERT_EQ(WaitExit(Spawn({python, "-c", script, messages[0].string(), out})), 0);
  EXPECT_EQ(ReadFile(out + "/1"), ReadFile(first));
  EXPECT_EQ(ReadFile(out + "/1.name"), "report.htm");
  EXPECT_EQ(ReadFile(out + "/2"), EveryByte());
  EXPECT_EQ(ReadFile(out + "/2.name"), "logo x.gif");
  smtptest::RemoveTree(dir);
}

// Modules are found in the program directory and the current one: the test
// works from the directory that holds the FTP library it wants.
class InDirectory {
 public:
  explicit InDirectory(const char* directory) : previous_(std::filesystem::current_path()) {
    std::error_code error;
    std::filesystem::current_path(directory, error);
  }
  ~InDirectory() {
    std::error_code error;
    std::filesystem::current_path(previous_, error);
  }
  InDirectory(const InDirectory&) = delete;
  InDirectory& operator=(const InDirectory&) = delete;

 private:
  std::filesystem::path previous_;
};

// Uploads a report and a binary file to pyftpdlib on loopback, then tries a
// wrong password.
void UploadThroughTheFtpLibrary(const char* libraryDirectory) {
  InDirectory libraryFolder(libraryDirectory);
  HMODULE library = LoadLibraryA("FTP4W32.DLL");
  if (library == nullptr) GTEST_SKIP() << "the FTP library FTP4W32.DLL is not in " << libraryDirectory;
  FreeLibrary(library);
  const std::string python = PythonWith("pyftpdlib");
  if (python.empty()) return SkipOrFail("python3-pyftpdlib");
  const std::string dir = smtptest::MakeTempDir();
  ASSERT_FALSE(dir.empty());
  std::filesystem::create_directories(dir + "/root/reports");
  WriteFile(dir + "/made.htm", "<html>made</html>\n");
  WriteFile(dir + "/logo.gif", EveryByte());
  const u_short port = FreePort();
  const pid_t server = Spawn({python, "-m", "pyftpdlib", "-i", "127.0.0.1", "-p", std::to_string(port), "-w", "-d",
                              dir + "/root", "-u", "anna", "-P", "s3cret"});
  ASSERT_GT(server, 0);
  const bool up = Listening(port, server);
  std::string first = dir + "/made.htm";
  std::string second = dir + "/logo.gif";
  char* files[] = {first.data(), second.data()};
  const std::string target = "ftp://127.0.0.1:" + std::to_string(port) + "/reports/summary.htm";
  const int sent = up ? QVUI_FTPSendFiles(nullptr, target.c_str(), 2, files, "anna", "s3cret") : -1;
  const int refused = up ? QVUI_FTPSendFiles(nullptr, target.c_str(), 2, files, "anna", "wrong") : -1;
  kill(server, SIGTERM);
  waitpid(server, nullptr, 0);
  ASSERT_TRUE(up) << "the FTP server did not start";
  EXPECT_EQ(sent, 1);
  EXPECT_EQ(refused, 0);
  EXPECT_EQ(ReadFile(dir + "/root/reports/summary.htm"), ReadFile(first));
  EXPECT_EQ(ReadFile(dir + "/root/reports/logo.gif"), EveryByte());
  smtptest::RemoveTree(dir);
}

TEST(ReportDeliveryTest, FtpUploadsTheFilesByteForByteAndRefusesABadPassword) {
  UploadThroughTheFtpLibrary(QV_TEST_DIST_DIR);
}

TEST(ReportDeliveryTest, FtpUploadsThroughTheTestStandInOfTheLibrary) {
  UploadThroughTheFtpLibrary(QV_TEST_FAKE_FTP_DIR);
}

TEST(ReportDeliveryTest, WithoutTheFtpLibraryNothingIsSentAndNothingBreaks) {
  const std::string empty = smtptest::MakeTempDir();
  InDirectory nowhere(empty.c_str());
  std::string file = empty + "/x.htm";
  WriteFile(file, "x");
  char* files[] = {file.data()};
  if (HMODULE library = LoadLibraryA("FTP4W32.DLL")) {
    FreeLibrary(library);
    GTEST_SKIP() << "an FTP library is in the program directory";
  }
  EXPECT_EQ(QVUI_FTPSendFiles(nullptr, "ftp://127.0.0.1/x.htm", 1, files, "u", "p"), 0);
  smtptest::RemoveTree(empty);
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
