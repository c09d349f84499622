// The mail calls against a real SMTP server: Debian's aiosmtpd, started by
// the test on loopback, storing what it receives in a mail directory.
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

#include "smtp_mail.h"
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

// A Python that has aiosmtpd (Debian's, not necessarily the first on PATH).
std::string FindPython() {
  for (const char* candidate : {"/usr/bin/python3", "python3"}) {
    const pid_t pid = Spawn({candidate, "-c", "import aiosmtpd.handlers"});
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

// True once something accepts connections on the port (bounded wait).
bool Listening(u_short port, pid_t server) {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  bool up = false;
  for (int attempt = 0; attempt < 400 && !up; ++attempt) {
    int status = 0;
    if (waitpid(server, &status, WNOHANG) == server) break;  // it died
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

std::string Normalised(std::string text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  return out;
}

TEST(SmtpRelayTest, RealServerReceivesSubjectAndBodyIntact) {
  const std::string python = FindPython();
  if (python.empty()) {
    if (std::getenv("CI") != nullptr) FAIL() << "python3-aiosmtpd is needed in CI";
    GTEST_SKIP() << "python3-aiosmtpd is not installed";
  }
  const std::string dir = smtptest::MakeTempDir();
  ASSERT_FALSE(dir.empty());
  const std::string maildir = dir + "/maildir";
  const u_short port = FreePort();
  const pid_t server = Spawn({python, "-m", "aiosmtpd", "-n", "-l", "127.0.0.1:" + std::to_string(port), "-c",
                              "aiosmtpd.handlers.Mailbox", maildir});
  ASSERT_GT(server, 0);
  const bool up = Listening(port, server);

  const std::string settings = dir + "/QUORVANE.INI";
  smtptest::WriteMailSettings(settings, "127.0.0.1:" + std::to_string(port), "alerts@site.test",
                              "admin@site.test", "Configured subject");
  qvui::smtp::SetMailSettingsPathForTests(settings.c_str());
  qvui::smtp::SetMailClientDomainForTests("client.test");
  int result = -1;
  if (up) {
    result = QVUI_SendMailBodySubject(nullptr, "one@rcpt.test; two@rcpt.test", "Disk C: low",
                                      "Line one\n.Line two starts with a dot\r\n\r\nLast line", nullptr);
  }
  qvui::smtp::SetMailSettingsPathForTests(nullptr);
  qvui::smtp::SetMailClientDomainForTests(nullptr);
  kill(server, SIGTERM);
  waitpid(server, nullptr, 0);

  ASSERT_TRUE(up) << "the SMTP server did not start";
  ASSERT_EQ(result, QVUI_MAIL_SENT);
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(maildir + "/new")) files.push_back(entry.path());
  ASSERT_EQ(files.size(), 1u);
  std::ifstream in(files[0], std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  const std::string message = Normalised(text.str());
  EXPECT_NE(message.find("\nSubject: Disk C: low\n"), std::string::npos) << message;
  EXPECT_NE(message.find("\nFrom: alerts@site.test\n"), std::string::npos) << message;
  EXPECT_NE(message.find("\nReply-To: admin@site.test\n"), std::string::npos) << message;
  EXPECT_NE(message.find("X-MailFrom: alerts@site.test\n"), std::string::npos) << message;
  EXPECT_NE(message.find("X-RcptTo: one@rcpt.test, two@rcpt.test\n"), std::string::npos) << message;
  EXPECT_NE(message.find("\n\nLine one\n.Line two starts with a dot\n\nLast line\n"), std::string::npos)
      << message;
  smtptest::RemoveTree(dir);
}

}  // namespace
