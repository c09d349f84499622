// The server on a loopback port of the test's own: starting and stopping by
// the settings, gathering requests without a thread per client, the access
// log.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#include "access_log.h"
#include "net_test_site.h"
#include "program_paths.h"
#include "qvplatform/test_clock.h"
#include "remote_server.h"
#include "remote_users.h"
#include "server_globals.h"
#include "test_client.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kPatienceMs = 60000;

class Server : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::copy_file(QV_TEST_FTP_LIBRARY, site_.Root() / "FTP4W32.DLL");
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    old_ = cwd;
    ASSERT_EQ(chdir(site_.Root().c_str()), 0);
    qv::SetProgramDirForTests(site_.settings.programDir);
    // The program's PAM service is configured (its log-on probe fails, as
    // the dummy account's does): the server may start.
    TestSite::Write(site_.Root() / "pam" / "quorvane", "auth required pam_deny.so\n");
    setenv("PAM_WRAPPER", "1", 1);
    setenv("PAM_WRAPPER_SERVICE_DIR", (site_.Root() / "pam").c_str(), 1);
    port_ = qvtest::FreeLoopbackPort();
    TestSite::Write(site_.Web() / "index.htm", "<p>home</p>");
    Configure("TRUE", 1);
    ApplyWebServerSettings();
    ASSERT_TRUE(qvnet::WaitUntilListening(kPatienceMs));
  }
  void TearDown() override {
    StopRemoteServer();
    qv::SetProgramDirForTests(nullptr);
    unsetenv("PAM_WRAPPER");
    unsetenv("PAM_WRAPPER_SERVICE_DIR");
    ASSERT_EQ(chdir(old_.c_str()), 0);
  }
  void Configure(const char* enable, int logging) {
    TestSite::Write(site_.Root() / "QUORVANE.INI",
                    std::string("[Defaults]\r\nWebEnable=") + enable + "\r\nWebAddress=127.0.0.1:" +
                        std::to_string(port_) + "\r\nWebLogging=" + std::to_string(logging) + "\r\n");
  }
  std::string Log() const {
    std::ifstream in(site_.Root() / "Remote.log", std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }

  TestSite site_;
  std::string old_;
  uint16_t port_ = 0;
};

TEST_F(Server, ServesLogsAndStopsWhenDisabled) {
  const std::string answer = qvtest::Exchange(port_, "GET /index.htm?Password=x&a=1 HTTP/1.0\r\nHost: h\r\n\r\n");
  EXPECT_NE(answer.find("<p>home</p>"), std::string::npos) << answer;
  EXPECT_NE(Log().find("127.0.0.1 - - ["), std::string::npos);
  EXPECT_NE(Log().find("] \"GET \\index.htm?Password=&a=1 HTTP/1.0\" 200 0\r\n"), std::string::npos) << Log();
  EXPECT_EQ(fs::status(site_.Root() / "Remote.log").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(fs::status(site_.Root() / "Reports").permissions() & fs::perms::all, fs::perms::owner_all);

  // Logging off and on again while the server runs: the log is reopened
  // and appended to.
  Configure("TRUE", 0);
  ApplyWebServerSettings();
  qvtest::Exchange(port_, "GET /unlogged.htm HTTP/1.0\r\nHost: h\r\n\r\n");
  Configure("TRUE", 1);
  ApplyWebServerSettings();
  qvtest::Exchange(port_, "GET /logged.htm HTTP/1.0\r\nHost: h\r\n\r\n");
  EXPECT_EQ(Log().find("unlogged"), std::string::npos);
  EXPECT_NE(Log().find("\\logged.htm"), std::string::npos) << Log();
  EXPECT_NE(Log().find("\\index.htm"), std::string::npos);

  Configure("Yes", 1);
  ApplyWebServerSettings();
  for (int i = 0; i < 6000 && qvnet::ServerRunning(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_FALSE(qvnet::ServerRunning());
  // Enabled again: a new listener, and the log goes on.
  Configure("true", 1);
  ApplyWebServerSettings();
  ASSERT_TRUE(qvnet::WaitUntilListening(kPatienceMs));
  qvtest::Exchange(port_, "GET /again.htm HTTP/1.0\r\nHost: h\r\n\r\n");
  EXPECT_NE(Log().find("\"GET \\again.htm HTTP/1.0\" 404 0"), std::string::npos) << Log();
  EXPECT_NE(Log().find("\\index.htm"), std::string::npos);
}

TEST_F(Server, ARequestInPiecesIsReadWhole) {
  const int fd = qvtest::Connect(port_);
  ASSERT_GE(fd, 0);
  ASSERT_TRUE(qvtest::SendText(fd, "GET /index.htm HT"));
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  ASSERT_TRUE(qvtest::SendText(fd, "TP/1.0\r\nHost: h\r\n\r\n"));
  EXPECT_NE(qvtest::ReadToEnd(fd).find("<p>home</p>"), std::string::npos);
  qvtest::Close(fd);
}

// A client that says nothing is given up after some ten seconds, with the
// answer to a request that could not be read.
TEST_F(Server, ASilentClientGetsTheNotFoundText) {
  const int fd = qvtest::Connect(port_);
  ASSERT_GE(fd, 0);
  const std::string answer = qvtest::ReadToEnd(fd);
  qvtest::Close(fd);
  EXPECT_EQ(answer.rfind("HTTP/1.0 404 URL Not Found\r\n\r\n<TITLE>URL Not Found</TITLE>\r\n", 0), 0u) << answer;
}

// Clients that connect and say nothing hold no thread: with a thousand of
// them waiting, another client is answered.
TEST_F(Server, IdleClientsDoNotHoldUpOthers) {
  std::vector<int> idle;
  for (int i = 0; i < 1000; ++i) {
    const int fd = qvtest::Connect(port_);
    if (fd < 0) break;
    idle.push_back(fd);
  }
  EXPECT_EQ(idle.size(), 1000u);
  const auto start = std::chrono::steady_clock::now();
  const std::string answer = qvtest::Exchange(port_, "GET /index.htm HTTP/1.0\r\nHost: h\r\n\r\n");
  const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  EXPECT_NE(answer.find("<p>home</p>"), std::string::npos);
  // The answer came while every idle client was still held: none of them had
  // been given up (answered or closed) to make room.
  std::vector<pollfd> waiting;
  for (int fd : idle) waiting.push_back({fd, POLLIN, 0});
  EXPECT_EQ(poll(waiting.data(), waiting.size(), 0), 0);
  std::printf("served beside %zu idle clients in %lld ms\n", idle.size(), static_cast<long long>(waited.count()));
  for (int fd : idle) qvtest::Close(fd);
}

// The attack corpus sent raw: nothing outside the web root comes back, and
// nothing the client wrote breaks a header line.
TEST_F(Server, RawAttacksGetTheNotFoundText) {
  TestSite::Write(site_.Root() / "secret.txt", "top secret");
  fs::create_symlink(site_.Root() / "secret.txt", site_.Web() / "link.htm");
  for (const char* path : {"/..%2Fsecret.txt", "/..%2fsecret.txt", "/..%5Csecret.txt", "/%2e%2e/secret.txt",
                           "/secret.txt%00.htm", "/..%252Fsecret.txt", "/%c0%af../secret.txt", "/..\\secret.txt",
                           "/users/../secret.txt", "/12345/../../secret.txt", "/link.htm", "/../secret.txt"}) {
    const std::string answer = qvtest::Exchange(port_, std::string("GET ") + path + " HTTP/1.0\r\nHost: h\r\n\r\n");
    EXPECT_EQ(answer.rfind("HTTP/1.0 404 URL Not Found\r\n\r\n", 0), 0u) << path << "\n" << answer;
    EXPECT_EQ(answer.find("secret"), std::string::npos) << path;
  }
  TestSite::Write(site_.Web() / "go.htm", "<!-- Quorvane Script -->\r\n%redirect%next.htm?x=%qitem%\r\n%sendheader%");
  const std::string moved =
      qvtest::Exchange(port_, "GET /go.htm?Item=a%0D%0ASet-Cookie:+x=1 HTTP/1.0\r\nHost: bad\"host\r\n\r\n");
  EXPECT_EQ(moved.substr(0, moved.find("\r\n\r\n")).find("\r\nSet-Cookie"), std::string::npos) << moved;
  EXPECT_NE(moved.find("Location: http://127.0.0.1:" + std::to_string(port_) + "/next.htm?x=a%0D%0ASet-Cookie:%20x=1\r\n"),
            std::string::npos)
      << moved;
}

// While the process has no descriptor to spare every accept fails; once
// descriptors are free again the waiting clients are taken and served.
TEST_F(Server, FailedAcceptsDoNotEndTheListener) {
  std::vector<int> clients;
  for (int i = 0; i < 5; ++i) clients.push_back(qvtest::OpenSocket());
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &old), 0);
  int highest = 0;
  for (const fs::directory_entry& fd : fs::directory_iterator("/proc/self/fd")) {
    highest = std::max(highest, std::atoi(fd.path().filename().c_str()));
  }
  rlimit tight = old;
  tight.rlim_cur = static_cast<rlim_t>(highest) + 1;
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &tight), 0);
  std::vector<int> fillers;  // every free descriptor below the limit taken
  for (int fd = dup(0); fd >= 0; fd = dup(0)) fillers.push_back(fd);
  for (int fd : clients) EXPECT_TRUE(qvtest::ConnectSocket(fd, port_));
  std::this_thread::sleep_for(std::chrono::milliseconds(500));  // the listener meets the failures
  for (int fd : fillers) close(fd);
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &old), 0);
  for (int fd : clients) {
    ASSERT_TRUE(qvtest::SendText(fd, "GET /index.htm HTTP/1.0\r\nHost: h\r\n\r\n"));
    EXPECT_NE(qvtest::ReadToEnd(fd).find("<p>home</p>"), std::string::npos);
    qvtest::Close(fd);
  }
  EXPECT_NE(qvtest::Exchange(port_, "GET /index.htm HTTP/1.0\r\nHost: h\r\n\r\n").find("<p>home</p>"),
            std::string::npos);
}

// A client that sends more than the server reads (a form longer than it
// takes) still gets the whole answer: the connection ends with a close, not
// a reset that would drop what is still on its way.
TEST_F(Server, AnAnswerIsWholeWhenTheClientSentMoreThanWasRead) {
  std::string big(2 << 20, 'x');
  TestSite::Write(site_.Web() / "big.htm", big);
  const std::string form(20000, 'f');
  const int fd = qvtest::Connect(port_);
  ASSERT_GE(fd, 0);
  ASSERT_TRUE(qvtest::SendText(fd, "POST /big.htm HTTP/1.0\r\nHost: h\r\nContent-Length: " +
                                       std::to_string(form.size()) + "\r\n\r\n" + form));
  const std::string answer = qvtest::ReadToEnd(fd);
  qvtest::Close(fd);
  ASSERT_GE(answer.size(), big.size());
  EXPECT_EQ(answer.substr(answer.size() - big.size()), big);
}

TEST_F(Server, APostedFormIsReadWithItsHead) {
  TestSite::Write(site_.Web() / "form.htm", "<!-- Quorvane Script -->\r\n[%?Name%]");
  const std::string body = "Name=a%20b&Other=1";
  const std::string answer = qvtest::Exchange(
      port_, "POST /form.htm HTTP/1.0\r\nHost: h\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
  EXPECT_NE(answer.find("[a b]"), std::string::npos) << answer;
}

// The server on a clock the test moves: its clean-up comes every 30 seconds.
class ServerOnTestClock : public Server {
 protected:
  void SetUp() override {
    clock_ = std::make_unique<qvp::TestClock>();
    Server::SetUp();
  }
  void TearDown() override {
    Server::TearDown();
    clock_.reset();
  }
  std::unique_ptr<qvp::TestClock> clock_;
};

TEST_F(ServerOnTestClock, TheCleanUpComesEveryThirtySeconds) {
  g_remoteUsers.Clear();
  // Idle for longer than the 30 minutes a user is kept.
  g_remoteUsers.LogOn("idle", 0, GetTickCount64() - 31 * 60000ull);
  clock_->Advance(29999);
  EXPECT_NE(qvtest::Exchange(port_, "GET /index.htm HTTP/1.0\r\nHost: h\r\n\r\n").find("<p>home</p>"),
            std::string::npos);
  EXPECT_EQ(g_remoteUsers.Count(), 1u);
  clock_->Advance(1);
  for (int i = 0; i < 6000 && g_remoteUsers.Count() != 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(g_remoteUsers.Count(), 0u);
  // And again thirty seconds on.
  g_remoteUsers.LogOn("later", 0, GetTickCount64() - 31 * 60000ull);
  clock_->Advance(30000);
  for (int i = 0; i < 6000 && g_remoteUsers.Count() != 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(g_remoteUsers.Count(), 0u);
}

// Turns the server on in the site's settings, applies them and gives back
// what the attempt wrote to the debug output.
std::string ApplyEnabledServer(const TestSite& site) {
  TestSite::Write(site.Root() / "QUORVANE.INI", "[Defaults]\r\nWebEnable=True\r\nWebAddress=127.0.0.1:" +
                                                    std::to_string(qvtest::FreeLoopbackPort()) + "\r\n");
  qvp::CaptureDebugOutput(true);
  ApplyWebServerSettings();
  std::string debug = qvp::TakeDebugOutput();
  qvp::CaptureDebugOutput(false);
  return debug;
}

// A process that cannot check passwords says so in a box and starts nothing.
TEST(ServerStart, WithoutTheRightToLogUsersOnTheServerStaysOff) {
  TestSite site;
  fs::copy_file(QV_TEST_FTP_LIBRARY, site.Root() / "FTP4W32.DLL");
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  ASSERT_EQ(chdir(site.Root().c_str()), 0);
  fs::create_directories(site.Root() / "no-pam");
  setenv("PAM_WRAPPER", "1", 1);
  setenv("PAM_WRAPPER_SERVICE_DIR", (site.Root() / "no-pam").c_str(), 1);
  qv::SetProgramDirForTests(site.settings.programDir);
  const std::string debug = ApplyEnabledServer(site);
  EXPECT_NE(debug.find("MessageBox"), std::string::npos) << debug;
  EXPECT_EQ(debug.find("ServerThread"), std::string::npos) << debug;
  EXPECT_FALSE(qvnet::ServerRunning());
  EXPECT_FALSE(qvnet::WaitUntilListening(0));
  StopRemoteServer();
  qv::SetProgramDirForTests(nullptr);
  unsetenv("PAM_WRAPPER");
  unsetenv("PAM_WRAPPER_SERVICE_DIR");
  ASSERT_EQ(chdir(cwd), 0);
}

// Without the FTP library the network libraries are not bound: nothing
// listens, and the debug output says why.
TEST(ServerStart, WithoutTheNetworkLibrariesNothingListens) {
  if (g_serverGlobals.LibrariesBound()) GTEST_SKIP() << "the libraries were bound by an earlier test of this process";
  TestSite site;
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  ASSERT_EQ(chdir(site.Root().c_str()), 0);
  qv::SetProgramDirForTests(site.settings.programDir);
  const std::string debug = ApplyEnabledServer(site);
  EXPECT_NE(debug.find("the network libraries are not bound"), std::string::npos) << debug;
  EXPECT_EQ(debug.find("ServerThread"), std::string::npos) << debug;
  EXPECT_FALSE(qvnet::ServerRunning());
  EXPECT_FALSE(qvnet::WaitUntilListening(0));
  StopRemoteServer();
  qv::SetProgramDirForTests(nullptr);
  ASSERT_EQ(chdir(cwd), 0);
}

TEST(ListenAddress, TheFormsOfTheSetting) {
  std::string host;
  uint16_t port = 0;
  ASSERT_TRUE(ParseListenAddress(":8080", &host, &port));
  EXPECT_EQ(host, "");
  EXPECT_EQ(port, 8080);
  ASSERT_TRUE(ParseListenAddress("10.1.2.3", &host, &port));
  EXPECT_EQ(host, "10.1.2.3");
  EXPECT_EQ(port, 99);
  ASSERT_TRUE(ParseListenAddress("", &host, &port));
  EXPECT_EQ(port, 99);
  EXPECT_FALSE(ParseListenAddress("1.2.3.4:http", &host, &port));
  EXPECT_FALSE(ParseListenAddress("1.2.3.4:70000", &host, &port));
}

}  // namespace
