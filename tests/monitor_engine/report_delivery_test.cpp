// A scheduled report made by the real report engine and delivered by the
// plug-in to peers the test starts on loopback: by FTP to pyftpdlib (every
// file arrives byte for byte; a bad password is logged, not reported made) and
// by mail to aiosmtpd (the attachments are the report's files).
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "entry_format.h"
#include "report_host.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using reporthost::ReadFile;

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
  const pid_t pid = Spawn({"/usr/bin/python3", "-c", std::string("import ") + module});
  return pid > 0 && WaitExit(pid) == 0 ? "/usr/bin/python3" : "";
}

// A free port on the loopback address (bound once to learn it).
int FreePort() {
  SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(s, reinterpret_cast<const sockaddr*>(&a), sizeof a);
  int length = sizeof a;
  getsockname(s, reinterpret_cast<sockaddr*>(&a), &length);
  closesocket(s);
  return ntohs(a.sin_port);
}

// Whether the peer listens (generous bound); false once it has ended.
bool Listening(int port, pid_t server) {
  for (int attempt = 0; attempt < 600; ++attempt) {
    int status = 0;
    if (waitpid(server, &status, WNOHANG) == server) return false;
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<u_short>(port));
    const bool up = connect(s, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
    closesocket(s);
    if (up) return true;
    Sleep(50);
  }
  return false;
}

// A peer process ended with the test.
class Peer {
 public:
  explicit Peer(const std::vector<std::string>& args) : pid_(Spawn(args)) {}
  ~Peer() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  Peer(const Peer&) = delete;
  Peer& operator=(const Peer&) = delete;
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_;
};

// The FTP library is found in the current directory.
class InDirectory {
 public:
  explicit InDirectory(const std::string& directory) : previous_(fs::current_path()) { fs::current_path(directory); }
  ~InDirectory() {
    std::error_code error;
    fs::current_path(previous_, error);
  }
  InDirectory(const InDirectory&) = delete;
  InDirectory& operator=(const InDirectory&) = delete;

 private:
  fs::path previous_;
};

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

void SkipOrFail(const char* what) {
  if (std::getenv("CI") != nullptr) FAIL() << what << " is needed in CI";
  GTEST_SKIP() << what << " is not installed";
}

TEST_F(ScheduledReportDelivery, FtpUploadsEveryFileByteForByteAndABadPasswordIsLogged) {
  const std::string python = PythonWith("pyftpdlib");
  if (python.empty()) return SkipOrFail("python3-pyftpdlib");
  const fs::path root = fs::path(program_.path()) / "ftproot";
  fs::create_directories(root / "reports");
  const int port = FreePort();
  Peer server({python, "-m", "pyftpdlib", "-i", "127.0.0.1", "-p", std::to_string(port), "-w", "-d", root.string(),
               "-u", "anna", "-P", "s3cret"});
  ASSERT_TRUE(Listening(port, server.pid())) << "the FTP server did not start";
  const std::string target = "ftp://127.0.0.1:" + std::to_string(port) + "/reports/r.htm";
  WriteEvent(target, "anna", "s3cret");
  ASSERT_NE(Bind(), nullptr);
  InDirectory here(program_.path());

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
  const std::string python = PythonWith("aiosmtpd.handlers");
  if (python.empty()) return SkipOrFail("python3-aiosmtpd");
  const std::string maildir = program_.path() + "/maildir";
  const int port = FreePort();
  Peer server({python, "-m", "aiosmtpd", "-n", "-l", "127.0.0.1:" + std::to_string(port), "-c",
               "aiosmtpd.handlers.Mailbox", maildir});
  ASSERT_TRUE(Listening(port, server.pid())) << "the SMTP server did not start";
  const std::string settings = program_.path() + "/QUORVANE.INI";
  program_.dir().write("QUORVANE.INI", "[Email]\r\nSMTPServer=127.0.0.1:" + std::to_string(port) +
                                           "\r\nFrom=alerts@site.test\r\nSubject=Report\r\n");
  qvui::smtp::SetMailSettingsPathForTests(settings.c_str());
  WriteEvent("mailto:boss@site.test/r.htm");
  ASSERT_NE(Bind(), nullptr);
  SCHEDULE_EVENT* event = Event();
  ASSERT_NE(event, nullptr);
  const int result = Run(event);
  qvui::smtp::SetMailSettingsPathForTests(nullptr);
  ASSERT_EQ(result, PLUGIN_DONE) << SchedulerLog();

  std::vector<fs::path> messages;
  for (const auto& item : fs::directory_iterator(maildir + "/new")) messages.push_back(item.path());
  ASSERT_EQ(messages.size(), 1u);
  // The message as a mail reader takes it apart: its addressee, then each
  // attachment's name and bytes.
  const std::string parts = program_.path() + "/parts";
  fs::create_directory(parts);
  const char* script =
      "import email, sys, os\n"
      "m = email.message_from_binary_file(open(sys.argv[1], 'rb'))\n"
      "open(os.path.join(sys.argv[2], 'to'), 'w').write(m['To'])\n"
      "for p in m.walk():\n"
      "    if p.get_filename():\n"
      "        open(os.path.join(sys.argv[2], p.get_filename()), 'wb').write(p.get_payload(decode=True))\n";
  ASSERT_EQ(WaitExit(Spawn({python, "-c", script, messages[0].string(), parts})), 0);
  EXPECT_NE(ReadFile(parts + "/to").find("boss@site.test"), std::string::npos);
  const std::set<std::string> made = Made();
  EXPECT_EQ(made.count("r.htm"), 1u);
  for (const std::string& name : made) {
    EXPECT_TRUE(fs::exists(parts + "/" + name)) << name;
    EXPECT_EQ(ReadFile(parts + "/" + name), ReadFile(ReportDirectory() / name)) << name;
  }
}

}  // namespace
