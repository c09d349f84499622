// A port monitor goes down and its page is delivered through the built
// plug-in: by modem through socat to qv-modemsim (a TAP page or a numeric
// page), or by a web form to a CGI gateway. Failed calls are spooled again
// until the alert retry count is used up.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "local_peers.h"
#include "loopback_listener.h"
#include "loopback_peers.h"
#include "test_host.h"
#include "program_dir.h"

namespace {

constexpr unsigned kAlertingKind = 4;
constexpr int kLongWait = 90000;


// One call as qv-modemsim logs it.
struct LoggedCall {
  std::string dialed, result, ended, tones;
  std::vector<std::string> verdicts, pages;
};

std::vector<LoggedCall> ParseCalls(const std::string& log) {
  std::vector<LoggedCall> calls;
  std::stringstream lines(log);
  std::string line;
  auto field = [](const std::string& text, const std::string& key) {
    const size_t at = text.find(key + "=");
    if (at == std::string::npos) return std::string();
    const size_t start = at + key.size() + 1;
    return text.substr(start, text.find(' ', start) - start);
  };
  while (std::getline(lines, line)) {
    if (line.rfind("call ", 0) == 0) {
      LoggedCall call;
      call.dialed = field(line, "dialed");
      call.result = line.substr(line.find("result=") + 7, line.find(" ended=") - line.find("result=") - 7);
      call.ended = line.substr(line.find("ended=") + 6);
      calls.push_back(call);
    } else if (!calls.empty() && line.rfind("  verdict: ", 0) == 0) {
      calls.back().verdicts.push_back(line.substr(11));
    } else if (!calls.empty() && line.rfind("  page: ", 0) == 0) {
      calls.back().pages.push_back(line.substr(8));
    } else if (!calls.empty() && line.rfind("  tones: ", 0) == 0) {
      calls.back().tones = line.substr(9);
    }
  }
  return calls;
}

// Waits as the program's GUI thread does, serving its windows' messages (the
// senders report failed pages to the plug-in's Alert Errors window).
void Pump(DWORD milliseconds) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
}

class PagingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    program_.Link(QV_TEST_DIST_DIR, "qvm_alrt.dll");
    program_.LinkLibraries(QV_TEST_DIST_DIR);
    program_.dir().write("qvm_alrt/qvm_alrt.ini", "[General]\nAlertRetryCount=3\nGenerateStartupAlerts=0\n");
  }
  void TearDown() override {
    host_.Unbind();
    unsetenv("QV_COM1");
    if (holder_ >= 0) ::close(holder_);
  }

  // A peer program missing fails the test in CI and skips it elsewhere.
  static bool Available(const char* program) {
    if (!pagingtest::FindProgram(program).empty()) return true;
    const char* ci = std::getenv("CI");
    if (ci != nullptr && std::string(ci) == "true") {
      ADD_FAILURE() << program << " is missing (scripts/deps.sh installs it)";
    }
    return false;
  }

  // socat joins COM1 and the modem; the simulator answers on the far end.
  void StartModem(std::vector<std::string> options) {
    const std::string com1 = peers_.file("com1");
    const std::string modem = peers_.file("modem");
    socat_ = std::make_unique<qvtest::PeerProcess>(
        std::vector<std::string>{"socat", "-d", "-d", "pty,raw,echo=0,link=" + com1, "pty,raw,echo=0,link=" + modem},
        peers_.file("socat.out"));
    ASSERT_TRUE(socat_->started());
    ASSERT_TRUE(pagingtest::WaitForPath(com1, 20000));
    ASSERT_TRUE(pagingtest::WaitForPath(modem, 20000));
    // Held open so that socat keeps the line while the port is closed
    // between calls.
    holder_ = ::open(com1.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(holder_, 0);
    std::vector<std::string> argv = {QV_MODEMSIM, "--device", modem, "--log", peers_.file("calls.log"),
                                     "--s8-ms", "10", "--guard-ms", "500"};
    argv.insert(argv.end(), options.begin(), options.end());
    modemsim_ = std::make_unique<qvtest::PeerProcess>(argv, peers_.file("modemsim.out"));
    ASSERT_TRUE(modemsim_->started());
    ASSERT_TRUE(pagingtest::WaitForText(peers_.file("modemsim.out"), modem, 20000));
    setenv("QV_COM1", com1.c_str(), 1);
  }

  // A profile watching a loopback port, paging through the given [Pager] keys.
  void WriteProfile(const std::string& pagerKeys) {
    program_.dir().write("qvm_alrt/datfiles/lert0000.amp",
                         "[Profile]\nDescription=Local port\nMajorVersion=1\nMinorVersion=1\n[Monitor]\n"
                         "HostName=127.0.0.1\nMonitorType=TELNET\nPortID=" +
                             std::to_string(listener_->port()) +
                             "\nPollTime=1\nPollTimeUnit=0\nFailTime=1\nFailTimeUnit=0\nDisabled=0\n"
                             "[AlertConfig]\npager=1\naudio=0\nemail=0\n[Pager]\nPortName=COM1\n" +
                             pagerKeys);
  }

  // Starts monitoring and takes the port down.
  void GoDown() {
    ASSERT_EQ(host_.LoadPlugins(program_.path()), 1);
    ASSERT_EQ(host_.RebuildProfileTable().size(), 1u);
    ASSERT_EQ(host_.Function<PFN_StartService>(kAlertingKind, PF_START_SERVICE)(), PLUGIN_DONE);
    WaitForMainListStatus("Up");
    listener_.reset();
    WaitForMainListStatus("Down");
  }
  void WaitForMainListStatus(const std::string& wanted) {
    auto text = host_.Function<PFN_GetMainListText>(kAlertingKind, PF_GET_MAIN_LIST_TEXT);
    char buffer[1024] = "";
    for (int n = 0; n < kLongWait / 5; ++n) {
      text(host_.profileTable()[0], buffer, sizeof buffer);
      if (std::string(buffer).find("\t" + wanted + "\t") != std::string::npos) return;
      Pump(5);
    }
    FAIL() << "the device never showed " << wanted << ": " << buffer;
  }

  std::vector<LoggedCall> WaitForCalls(size_t count) {
    std::vector<LoggedCall> calls;
    for (int n = 0; n < kLongWait / 20; ++n) {
      calls = ParseCalls(qvtest::ReadFile(peers_.file("calls.log")));
      if (calls.size() >= count) break;
      Pump(20);
    }
    return calls;
  }
  // True once the pager spool holds no page.
  bool SpoolEmpties() {
    const std::string queue = program_.path() + "/qvm_alrt/queue";
    for (int n = 0; n < kLongWait / 20; ++n) {
      bool any = false;
      for (const auto& entry : std::filesystem::directory_iterator(queue)) {
        if (entry.path().extension() == ".pap") any = true;
      }
      if (!any) return true;
      Pump(20);
    }
    return false;
  }

  qvtest::ProgramDir program_;
  qvtest::TempDir peers_{"qvpagingpeers"};
  qvtest::PluginHost host_;
  std::unique_ptr<Listener> listener_ = std::make_unique<Listener>();
  std::unique_ptr<qvtest::PeerProcess> socat_;
  std::unique_ptr<qvtest::PeerProcess> modemsim_;
  int holder_ = -1;
};

// The tests that page by modem: they need socat for the line.
class ModemPagingTest : public PagingTest {
 protected:
  void SetUp() override {
    PagingTest::SetUp();
    if (!Available("socat")) GTEST_SKIP() << "socat is not installed";
  }
};

const char* const kAlphaPager =
    "DeliveryMode =1\nMode=0\nNumber=555-0100\nPagerID=123-456\nDialDelay=20\nParity=0\nDataBits=8\nStopBits=0\n";

TEST_F(ModemPagingTest, ATapPageCarriesTheDownAlert) {
  StartModem({});
  WriteProfile(kAlphaPager);
  GoDown();
  const auto calls = WaitForCalls(1);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].dialed, "5550100");
  EXPECT_EQ(calls[0].result, "CONNECT 19200");
  EXPECT_EQ(calls[0].verdicts, (std::vector<std::string>{"logon accepted", "block accepted", "end of transaction"}));
  ASSERT_EQ(calls[0].pages.size(), 1u);
  EXPECT_TRUE(std::regex_match(calls[0].pages[0],
                               std::regex(R"(123456 Local port \(127\.0\.0\.1\) is Down \(\d\d:\d\d:\d\d\))")))
      << calls[0].pages[0];
  EXPECT_EQ(calls[0].ended, "far end");
  EXPECT_TRUE(SpoolEmpties());
  // The modem trace stays beside the spool, its owner's alone.
  const std::string trace = program_.path() + "/qvm_alrt/queue/out.txt";
  EXPECT_NE(qvtest::ReadFile(trace).find("ATDT555-0100\r"), std::string::npos);
  EXPECT_EQ(std::filesystem::status(trace).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST_F(ModemPagingTest, ANumericPageDialsTheDownIdAfterItsPauses) {
  StartModem({"--numeric", "5550199"});
  WriteProfile("DeliveryMode =1\nMode=1\nNumber=555-0199\nDownID=4321\nConnectDelay=6\n");
  GoDown();
  const auto calls = WaitForCalls(1);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].dialed, ",5550199,,,,4321");
  EXPECT_EQ(calls[0].tones, ",,,,4321");
  EXPECT_EQ(calls[0].result, "OK");
  EXPECT_EQ(calls[0].ended, "ATH");
  EXPECT_TRUE(SpoolEmpties());
}

TEST_F(ModemPagingTest, ABusyServiceIsCalledAgainUntilItAnswers) {
  StartModem({"--number", "5550100=busy,busy,connect"});
  WriteProfile(kAlphaPager);
  GoDown();
  const auto calls = WaitForCalls(3);
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].result, "BUSY");
  EXPECT_EQ(calls[1].result, "BUSY");
  EXPECT_EQ(calls[2].result, "CONNECT 19200");
  EXPECT_EQ(calls[2].pages.size(), 1u);
  EXPECT_TRUE(SpoolEmpties());
}

TEST_F(ModemPagingTest, AnAlwaysBusyServiceGetsThreeCallsThenThePageIsDropped) {
  StartModem({"--number", "5550100=busy"});
  WriteProfile(kAlphaPager);
  GoDown();
  EXPECT_EQ(WaitForCalls(3).size(), 3u);
  EXPECT_TRUE(SpoolEmpties());
  Pump(3000);  // longer than the queue's pause between two pages
  EXPECT_EQ(ParseCalls(qvtest::ReadFile(peers_.file("calls.log"))).size(), 3u);
}

TEST_F(PagingTest, AWebGatewayDecodesEveryArgumentBack) {
  if (!Available("python3")) GTEST_SKIP() << "python3 is not installed";
  const std::string root = peers_.file("www");
  std::filesystem::create_directories(root + "/cgi-bin");
  const std::string script = root + "/cgi-bin/page.py";
  // The server runs scripts as "nobody" when it runs as root: the script needs
  // an interpreter anyone may run, and it reports what it decoded on its error
  // output, which is the server's log.
  const std::string python =
      ::access("/usr/bin/python3", X_OK) == 0 ? "/usr/bin/python3" : pagingtest::FindProgram("python3");
  peers_.write("www/cgi-bin/page.py",
               "#!" + python + "\n"
               "import os, sys, urllib.parse\n"
               "args = urllib.parse.parse_qs(os.environ.get('QUERY_STRING', ''), keep_blank_values=True)\n"
               "for key in sorted(args):\n"
               "    sys.stderr.write('decoded ' + key + '=' + args[key][0] + '\\n')\n"
               "sys.stderr.write('decoded end\\n')\n"
               "sys.stderr.flush()\n"
               "print('Content-Type: text/plain')\n"
               "print()\n"
               "print('queued')\n");
  std::filesystem::permissions(root, std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                                         std::filesystem::perms::group_exec | std::filesystem::perms::others_read |
                                         std::filesystem::perms::others_exec);
  std::filesystem::permissions(root + "/cgi-bin", std::filesystem::status(root).permissions());
  std::filesystem::permissions(script, std::filesystem::status(root).permissions());
  const int port = qvtest::FreePort();
  qvtest::PeerProcess server({"python3", "-m", "http.server", "--cgi", "--bind", "127.0.0.1", std::to_string(port), "--directory",
                root},
               peers_.file("http.out"));
  ASSERT_TRUE(server.WaitUntilListening(port)) << qvtest::ReadFile(peers_.file("http.out"));
  WriteProfile("DeliveryMode =0\nMode=0\nPagerID=42\nNumber=555 0100\nWebPageUrl=Gateway/http://127.0.0.1:" +
               std::to_string(port) +
               "/cgi-bin/page.py?id=%id%&num=%num%&msg=%msg%&key=%arg:key=a b&c=d+e%&fixed=x y\n");
  GoDown();
  ASSERT_TRUE(pagingtest::WaitForText(peers_.file("http.out"), "decoded end", kLongWait));
  ASSERT_TRUE(SpoolEmpties());
  std::string decoded;
  std::stringstream log(qvtest::ReadFile(peers_.file("http.out")));
  for (std::string line; std::getline(log, line);) {
    if (line.rfind("decoded ", 0) == 0) decoded += line.substr(8) + "\n";
  }
  EXPECT_TRUE(std::regex_match(decoded, std::regex("fixed=x y\nid=42\nkey=a b&c=d\\+e\nmsg=Local port \\(127\\.0\\.0\\.1\\) "
                                                   "is Down \\(\\d\\d:\\d\\d:\\d\\d\\)\nnum=555 0100\nend\n")))
      << decoded;
}

}  // namespace
