// The peers tests start on loopback: free ports are free, a peer that dies
// is seen at once and reaped, one that listens is found, a stopped one is gone
// with its port, and the mail server keeps what it receives where the tests
// read it back.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "line_peer.h"
#include "loopback_peers.h"
#include "mail_peer.h"
#include "test_files.h"

namespace {

sockaddr_in Loopback(int port) {
  return sockaddr_in{AF_INET, htons(static_cast<uint16_t>(port)), {htonl(INADDR_LOOPBACK)}, {}};
}

// The port as the system numbers it: a test binds it for its own peer.
bool Bindable(int type, int port) {
  const int fd = socket(AF_INET, type, 0);
  const sockaddr_in address = Loopback(port);
  const bool bound = bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return bound;
}

TEST(FreePortTest, TcpAndUdpPortsCanBeBoundByThePeer) {
  const int tcp = qvtest::FreePort();
  const int udp = qvtest::FreeUdpPort();
  ASSERT_GT(tcp, 0);
  ASSERT_GT(udp, 0);
  EXPECT_TRUE(Bindable(SOCK_STREAM, tcp)) << tcp;
  EXPECT_TRUE(Bindable(SOCK_DGRAM, udp)) << udp;
}

TEST(PeerProcessTest, APeerThatEndsWithoutListeningIsSeenAtOnceAndReaped) {
  qvtest::PeerProcess peer({"true"});
  ASSERT_TRUE(peer.started());
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(peer.WaitUntilListening(qvtest::FreePort()));
  // Far below the bound of a peer that is still starting (a minute).
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
  EXPECT_FALSE(peer.started());

  qvtest::PeerProcess missing;
  EXPECT_FALSE(missing.Start({"/nonexistent/peer-program"}));
  EXPECT_FALSE(missing.WaitUntilListening(qvtest::FreePort()));
}

TEST(PeerProcessTest, AListeningPeerIsFoundAndItsPortClosesWhenItStops) {
  const std::string python = qvtest::PythonWith("http.server");
  QVTEST_REQUIRE_PACKAGE(!python.empty(), "python3");
  const qvtest::TempDir dir;
  const int port = qvtest::FreePort();
  ASSERT_GT(port, 0);
  qvtest::PeerProcess web({python, "-m", "http.server", "--bind", "127.0.0.1", "--directory", dir.path().string(),
                           std::to_string(port)});
  ASSERT_TRUE(web.WaitUntilListening(port));
  web.Stop();
  EXPECT_FALSE(web.started());
  EXPECT_FALSE(qvtest::Accepting(port));
}

TEST(PeerProcessTest, APeerKeepsNoneOfTheTestsSockets) {
  // A port the test closes must close, though a peer started meanwhile lives on.
  const int listener = socket(AF_INET, SOCK_STREAM, 0);  // inheritable on purpose
  sockaddr_in address = Loopback(0);
  ASSERT_EQ(bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listener, 4), 0);
  socklen_t length = sizeof address;
  getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
  const int port = ntohs(address.sin_port);
  qvtest::PeerProcess sleeper({"sleep", "60"});
  ASSERT_TRUE(sleeper.started());
  close(listener);
  EXPECT_FALSE(qvtest::Accepting(port));
}

TEST(PeerProcessTest, APeerStartsThoughTheTestsFolderWasRemoved) {
  const std::string python = qvtest::PythonWith("http.server");
  QVTEST_REQUIRE_PACKAGE(!python.empty(), "python3");
  const qvtest::TempDir root;
  const int port = qvtest::FreePort();
  qvtest::PeerProcess web;
  {
    const auto gone = std::make_unique<qvtest::TempDir>("qvgone");
    const qvtest::InDirectory inside(gone->path());
    std::filesystem::remove_all(gone->path());
    // As a test does that starts its peers with the interpreter on PATH.
    ASSERT_TRUE(web.Start({"python3", "-m", "http.server", "--bind", "127.0.0.1", "--directory",
                           root.path().string(), std::to_string(port)}));
  }
  EXPECT_TRUE(web.WaitUntilListening(port));
}

TEST(PeerProcessTest, APythonWithoutTheModuleIsNoneAndRunToExitGivesTheExitCode) {
  EXPECT_EQ(qvtest::PythonWith("qv_no_such_module"), "");
  EXPECT_EQ(qvtest::RunToExit({"sh", "-c", "exit 3"}), 3);
  EXPECT_EQ(qvtest::RunToExit({"/nonexistent/program"}), -1);
}

// Connects, sends `text` and reads the answer until the server closes.
std::string Exchange(int port, const std::string& text) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  const sockaddr_in address = Loopback(port);
  std::string answer;
  if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 && qvtest::SendAll(fd, text)) {
    char buffer[256];
    while (qvtest::Readable(fd, 30000)) {
      const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
      if (got <= 0) break;
      answer.append(buffer, static_cast<size_t>(got));
    }
  }
  close(fd);
  return answer;
}

TEST(LoopbackServerTest, ServesConnectionsInTurnUntilServeSaysStop) {
  int served = 0;
  qvtest::LoopbackServer server([&](int fd) {
    char buffer[64];
    const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
    qvtest::SendAll(fd, "echo " + std::string(buffer, got > 0 ? static_cast<size_t>(got) : 0));
    close(fd);
    return ++served < 2;
  });
  ASSERT_GT(server.port(), 0);
  EXPECT_EQ(server.address(), "127.0.0.1:" + std::to_string(server.port()));
  EXPECT_EQ(Exchange(server.port(), "one"), "echo one");
  EXPECT_EQ(Exchange(server.port(), "two"), "echo two");
  // The third is queued by the system but never served, and the server still
  // stops when it goes.
  const int third = socket(AF_INET, SOCK_STREAM, 0);
  const sockaddr_in address = Loopback(server.port());
  EXPECT_EQ(connect(third, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  EXPECT_FALSE(qvtest::Readable(third, 200));
  EXPECT_EQ(server.connections(), 2);
  close(third);
}

TEST(LoopbackServerTest, AServerNobodyCalledStopsAndFreesItsPort) {
  int port = 0;
  {
    qvtest::LoopbackServer server([](int fd) {
      close(fd);
      return true;
    });
    port = server.port();
    ASSERT_GT(port, 0);
    EXPECT_TRUE(qvtest::Accepting(port));
  }
  EXPECT_FALSE(qvtest::Accepting(port));
}

TEST(LinePeerTest, LinesComeInOrderAndTheEndIsTold) {
  qvtest::LinePeer talker({"sh", "-c", "echo one; echo two >&2; printf 'three'; exit 4"}, true,
                          {"PATH=/usr/bin:/bin"});
  EXPECT_EQ(talker.Line(), "one");
  EXPECT_EQ(talker.Line(), "two");
  EXPECT_EQ(talker.Line(), "");  // a last line without its end is no line
  EXPECT_EQ(talker.Wait(), 4);
  EXPECT_EQ(talker.Wait(), 4);

  // Without errors_too the error output is not read; the environment is the one given.
  qvtest::LinePeer quiet({"sh", "-c", "echo lost >&2; echo \"$QV_PEER_WORD\""}, false,
                         {"PATH=/usr/bin:/bin", "QV_PEER_WORD=given"});
  EXPECT_EQ(quiet.Line(), "given");

  // A program ended by a signal tells it; one that never started tells -1.
  qvtest::LinePeer killed({"sh", "-c", "kill -TERM $$"});
  EXPECT_EQ(killed.Line(), "");
  EXPECT_EQ(killed.Wait(), 128 + SIGTERM);
  qvtest::LinePeer missing({"/nonexistent/program"});
  EXPECT_FALSE(missing.started());
  EXPECT_EQ(missing.Wait(), -1);
}

TEST(MailServerTest, KeepsEachMessageAndReadsItBackAsAMailReaderDoes) {
  QVTEST_REQUIRE_PACKAGE(qvtest::MailServer::Available(), "python3-aiosmtpd");
  const qvtest::TempDir dir;
  qvtest::MailServer server(dir.file("maildir"));
  ASSERT_TRUE(server.running());
  EXPECT_TRUE(server.Messages().empty());
  // Python's own client sends a message with two attachments, one of every byte.
  const char* send =
      "import smtplib, sys\n"
      "from email.message import EmailMessage\n"
      "m = EmailMessage()\n"
      "m['From'] = 'a@site.test'\n"
      "m['To'] = 'b@site.test'\n"
      "m['Subject'] = 'Two files'\n"
      "m.set_content('first line\\nsecond line\\n')\n"
      "m.add_attachment(b'report', maintype='text', subtype='plain', filename='r.txt')\n"
      "m.add_attachment(bytes(range(256)), maintype='application', subtype='octet-stream', filename='all.bin')\n"
      "s = smtplib.SMTP('127.0.0.1', int(sys.argv[1]))\n"
      "s.send_message(m)\n"
      "s.quit()\n";
  ASSERT_EQ(qvtest::RunToExit({qvtest::PythonWith("smtplib"), "-c", send, std::to_string(server.port())}), 0);

  const auto messages = server.Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].find('\r'), std::string::npos);
  EXPECT_NE(messages[0].find("\nSubject: Two files\n"), std::string::npos) << messages[0];
  EXPECT_NE(messages[0].find("first line\nsecond line\n"), std::string::npos) << messages[0];

  const auto files = server.MessageFiles();
  ASSERT_EQ(files.size(), 1u);
  const qvtest::ReadMail mail = qvtest::MailServer::Read(files[0]);
  ASSERT_TRUE(mail.ok);
  EXPECT_EQ(mail.to, "b@site.test");
  ASSERT_EQ(mail.attachments.size(), 2u);
  EXPECT_EQ(mail.attachments[0].name, "r.txt");
  EXPECT_EQ(mail.attachments[0].bytes, "report");
  std::string every;
  for (int b = 0; b < 256; ++b) every += static_cast<char>(b);
  EXPECT_EQ(mail.attachments[1].name, "all.bin");
  EXPECT_EQ(mail.attachments[1].bytes, every);

  EXPECT_FALSE(qvtest::MailServer::Read(dir.file("no such message")).ok);
}

}  // namespace
