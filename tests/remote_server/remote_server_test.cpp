// The remote report server end to end: the built quorvane, headless, in a
// program directory of the test's own, serving on a loopback port; its users
// come from nss_wrapper and their passwords from pam_wrapper's pam_matrix;
// a kind-1 plug-in beside it. Every request goes through curl, as a browser's
// would.
#include <signal.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "child_process.h"
#include "net/test_client.h"
#include "test_files.h"

namespace fs = std::filesystem;

namespace {

constexpr int kPatience = 60;

using qvtest::ReadFile;

using qvtest::WriteFile;

// The sanitizer runtime mapped into this process: the child needs it first.
std::string SanitizerRuntime() {
  std::istringstream maps(ReadFile("/proc/self/maps"));
  std::string line;
  while (std::getline(maps, line)) {
    const size_t slash = line.find('/');
    if (slash == std::string::npos) continue;
    const std::string path = line.substr(slash);
    if (path.find("/libasan.so") != std::string::npos || path.find("/libtsan.so") != std::string::npos) return path;
  }
  return {};
}

std::string StatusBytes(const std::string& title, uint16_t status, const std::string& format) {
  std::string bytes(415, '\0');
  std::memcpy(bytes.data(), title.data(), title.size());
  bytes[101] = static_cast<char>(status & 0xff);
  bytes[102] = static_cast<char>(status >> 8);
  // A recent local time, so the idle clean-up keeps the report.
  const uint64_t fileTime = (static_cast<uint64_t>(time(nullptr)) + 11644473600ull) * 10000000ull;
  for (int i = 0; i < 8; ++i) bytes[407 + i] = static_cast<char>(fileTime >> (8 * i));
  return bytes + format;
}

// A form field as a browser encodes it.
std::string FormEncode(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '*') {
      out += static_cast<char>(c);
    } else if (c == ' ') {
      out += '+';
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      out += hex;
    }
  }
  return out;
}

std::string HtmlUnescape(std::string text) {
  for (const auto& [entity, c] : {std::pair<std::string, char>("&lt;", '<'), {"&gt;", '>'}, {"&quot;", '"'},
                                  {"&#39;", '\''}, {"&amp;", '&'}}) {
    for (size_t at = text.find(entity); at != std::string::npos; at = text.find(entity, at + 1)) {
      text.replace(at, entity.size(), 1, c);
    }
  }
  return text;
}

class RemoteServer : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string(QV_TEST_PAM_WRAPPER).empty() || std::string(QV_TEST_NSS_WRAPPER).empty() ||
        std::string(QV_TEST_PAM_MATRIX).empty() || access("/usr/bin/curl", X_OK) != 0) {
      const char* why = "pam_wrapper, nss_wrapper or curl is not installed (libpam-wrapper libnss-wrapper curl)";
      if (std::getenv("CI") != nullptr) FAIL() << why;
      GTEST_SKIP() << why;
    }
    const fs::path program = Program();
    fs::create_directories(program);
    fs::create_directories(root_.path() / "home");
    fs::create_directories(root_.path() / "state");
    for (const char* name : {"quorvane", "libqvplatform.so", "libqv_ui.so", "PRODUCT.RSL", "BASE.RSL",
                             "ctlpack4.dll", "FTP4W32.DLL"}) {
      fs::copy_file(fs::path(QV_TEST_DIST_DIR) / name, program / name);
    }
    fs::copy(fs::path(QV_TEST_DIST_DIR) / "wwwroot", program / "wwwroot", fs::copy_options::recursive);
    fs::copy_file(QV_TEST_PLUGIN, program / "qvm_logs.dll");

    // The accounts: ann, bob and boss; boss administers through his group.
    const std::string home = (root_.path() / "home").string();
    WriteFile(root_.path() / "passwd", "ann:x:5001:5001:Ann:" + home + ":/bin/false\n" + "bob:x:5002:5002:Bob:" +
                                           home + ":/bin/false\n" + "boss:x:5003:5003:Boss:" + home +
                                           ":/bin/false\n");
    WriteFile(root_.path() / "group", "ann:x:5001:\nbob:x:5002:\nboss:x:5003:\nqvadmins:x:5100:boss\n");
    WriteFile(root_.path() / "pam" / "passdb", "ann:ann-secret:quorvane\nbob:bob-secret:quorvane\n"
                                               "boss:boss-secret:quorvane\n");
    const std::string module = std::string(QV_TEST_PAM_MATRIX) + " passdb=" + (root_.path() / "pam" / "passdb").string();
    WriteFile(root_.path() / "pam" / "services" / "quorvane", "auth required " + module + "\naccount required " +
                                                                  module + "\n");

    port_ = std::to_string(qvtest::FreeLoopbackPort());
    WriteFile(program / "QUORVANE.INI", "[Defaults]\r\nAutoDetectLogFiles=1\r\nWebEnable=TRUE\r\nWebAddress=127.0.0.1:" +
                                            port_ + "\r\nWebAdmin=gqvadmins\r\nWebLogging=1\r\nWebNoDays=30\r\n");
    const fs::path users = program / "Reports" / "Remote Reports" / "users";
    WriteFile(users / "ann" / "r1" / "status.rep", StatusBytes("First report", 100, "0"));
    WriteFile(users / "ann" / "r1" / "rep.htm", "<p>ann's first</p>");
    WriteFile(users / "ann" / "my report" / "status.rep", StatusBytes("With a blank", 100, "4"));
    WriteFile(users / "ann" / "my report" / "rep.txt", "ann's blank one");
    WriteFile(users / "ann" / "running" / "status.rep", StatusBytes("Still going", 40, "0"));
    WriteFile(users / "bob" / "b1" / "status.rep", StatusBytes("Bob's", 100, "0"));
    WriteFile(users / "bob" / "b1" / "rep.htm", "<p>bob's secret</p>");
    WriteFile(program / "wwwroot" / "plugin.htm",
              "<!-- Quorvane Script -->\r\n%sendheader%[%fakevalue%|%?FakeVar%|%?FakeNum%]");
    WriteFile(program / "wwwroot" / "overrun.htm", "<!-- Quorvane Script -->\r\n%sendheader%before%fakeoverrun%after");
  }

  fs::path Program() const { return root_.path() / "program"; }

  std::vector<std::string> Environment() const {
    const std::string home = (root_.path() / "home").string();
    std::string preload = SanitizerRuntime();
    if (!preload.empty()) preload += ':';
    preload += std::string(QV_TEST_PAM_WRAPPER) + ":" + QV_TEST_NSS_WRAPPER;
    const char* tsan = std::getenv("TSAN_OPTIONS");
    const std::string tsanOptions = std::string(tsan != nullptr ? tsan : "") + ":suppressions=" + QV_TEST_TSAN_SUPP;
    return {"TSAN_OPTIONS=" + tsanOptions,"HOME=" + home, "QV_STATE_DIR=" + (root_.path() / "state").string(), "QV_DEBUG=1", "QV_TEST=1",
            "QV_HEADLESS=1", "QV_REGISTRY=" + home + "/registry", "QV_WINDOWS_DIR=" + home + "/windows",
            "LD_PRELOAD=" + preload, "PAM_WRAPPER=1",
            "PAM_WRAPPER_SERVICE_DIR=" + (root_.path() / "pam" / "services").string(),
            "PAM_WRAPPER_DISABLE_DEEPBIND=1", "NSS_WRAPPER_DISABLE_DEEPBIND=1", "UID_WRAPPER_DISABLE_DEEPBIND=1",
            "NSS_WRAPPER_PASSWD=" + (root_.path() / "passwd").string(),
            "NSS_WRAPPER_GROUP=" + (root_.path() / "group").string()};
  }

  // curl's whole answer (head and body) for a path of the server.
  std::string Curl(const std::string& path, const std::vector<std::string>& more = {}) {
    std::vector<std::string> arguments = {"-sS", "-i", "--max-time", "60", "--path-as-is"};
    arguments.insert(arguments.end(), more.begin(), more.end());
    arguments.push_back("http://127.0.0.1:" + port_ + path);
    const std::string out = (root_.path() / "curl.out").string();
    fs::remove(out);
    qvtest::RunToEnd("/usr/bin/curl", arguments, {}, root_.path().string(), out);
    return ReadFile(out);
  }

  // Logs on; the user id, or "" when the log-on failed.
  std::string LogOn(const std::string& user, const std::string& password) {
    const std::string answer = Curl("/logon.htm", {"--data", "Username=" + user + "&Password=" + password});
    std::smatch found;
    if (!std::regex_search(answer, found, std::regex("Location: http://[^/]+//?reports\\.htm\\?User=([0-9]+)\r\n")))
      return "";
    return found[1];
  }

  std::unique_ptr<qvtest::ChildProcess> Start() {
    auto program = std::make_unique<qvtest::ChildProcess>((Program() / "quorvane").string(),
                                                          std::vector<std::string>{}, Environment(),
                                                          root_.path().string(), (root_.path() / "out.log").string());
    return program;
  }

  qvtest::TempDir root_{"qvremote"};
  std::string port_;
};

TEST_F(RemoteServer, UsersLogOnSeeTheirReportsAndNoOneElses) {
  auto program = Start();
  ASSERT_TRUE(program->WaitForOutput("Remote server listening on port " + port_, kPatience)) << program->Output();

  const std::string front = Curl("/");
  EXPECT_NE(front.find("HTTP/1.0 200 OK\r\n"), std::string::npos) << front;
  EXPECT_NE(front.find("NAME=\"Password\""), std::string::npos);

  EXPECT_EQ(LogOn("ann", "wrong"), "");
  const std::string ann = LogOn("ann", "ann-secret");
  ASSERT_FALSE(ann.empty()) << program->Output();

  const std::string list = Curl("/reports.htm?User=" + ann);
  EXPECT_NE(list.find("First report"), std::string::npos) << list;
  EXPECT_NE(list.find("With a blank"), std::string::npos);
  EXPECT_NE(list.find("running (40)"), std::string::npos);
  EXPECT_EQ(list.find("Bob"), std::string::npos);

  // Viewing: a redirect to the finished report, then the report itself.
  std::string view = Curl("/view.htm?User=" + ann + "&Item=ann%5Cr1");
  EXPECT_NE(view.find("Location: http://127.0.0.1:" + port_ + "/" + ann + "/ann/r1/rep.htm\r\n"), std::string::npos)
      << view;
  EXPECT_NE(Curl("/" + ann + "/ann/r1/rep.htm").find("<p>ann's first</p>"), std::string::npos);
  view = Curl("/view.htm?User=" + ann + "&Item=ann%5Cmy+report");
  EXPECT_NE(view.find("/" + ann + "/ann/my%20report/rep.txt\r\n"), std::string::npos) << view;
  EXPECT_NE(Curl("/" + ann + "/ann/my%20report/rep.txt").find("ann's blank one"), std::string::npos);

  // Bob's report is out of reach, however it is asked for.
  for (const std::string& path : {"/" + ann + "/bob/b1/rep.htm", "/" + ann + "/x/../bob/b1/rep.htm",
                                  "/view.htm?User=" + ann + "&Item=bob%5Cb1",
                                  "/delete.htm?User=" + ann + "&Item=bob%5Cb1&Confirm=yes", std::string("/users/bob/b1/rep.htm")}) {
    EXPECT_EQ(Curl(path).find("bob's secret"), std::string::npos) << path;
  }
  EXPECT_TRUE(fs::exists(Program() / "Reports" / "Remote Reports" / "users" / "bob" / "b1" / "rep.htm"));

  // Deleting: the plug-in's event for the report goes with it; a running
  // report stays.
  const std::string deleted = Curl("/delete.htm?User=" + ann + "&Item=ann%5Cr1&Confirm=yes");
  EXPECT_NE(deleted.find("The report was deleted."), std::string::npos) << deleted;
  EXPECT_FALSE(fs::exists(Program() / "Reports" / "Remote Reports" / "users" / "ann" / "r1"));
  const std::string calls = ReadFile(Program() / "calls.log");
  EXPECT_NE(calls.find("remote ~ann/r1 taken\ndelete event ann/r1\n"), std::string::npos) << calls;
  const std::string kept = Curl("/delete.htm?User=" + ann + "&Item=ann%5Crunning&Confirm=yes");
  EXPECT_TRUE(fs::exists(Program() / "Reports" / "Remote Reports" / "users" / "ann" / "running" / "status.rep"));
  EXPECT_EQ(kept.find("The report was deleted."), std::string::npos) << kept;

  // Profile logs: ann sees her own and the open one.
  const std::string logs = Curl("/logs.htm?User=" + ann);
  EXPECT_NE(logs.find("Ann&#39;s log"), std::string::npos) << logs;
  EXPECT_NE(logs.find("Open log"), std::string::npos);
  // A plug-in's directive, through the request's operations.
  const std::string fake = Curl("/plugin.htm?User=" + ann + "&Fake=v+1");
  EXPECT_NE(fake.find("[|v 1|42]"), std::string::npos) << fake;
  EXPECT_NE(ReadFile(Program() / "calls.log").find("directive v 1 41"), std::string::npos);
  // A plug-in that claims more of the page than there is ends the page.
  const std::string overrun = Curl("/overrun.htm?User=" + ann);
  EXPECT_EQ(overrun.substr(overrun.size() - 6), "before") << overrun;

  // Bob sees only the open log; the options are not his.
  const std::string bob = LogOn("bob", "bob-secret");
  ASSERT_FALSE(bob.empty());
  const std::string bobLogs = Curl("/logs.htm?User=" + bob);
  EXPECT_EQ(bobLogs.find("Ann&#39;s log"), std::string::npos) << bobLogs;
  EXPECT_NE(bobLogs.find("Open log"), std::string::npos);
  EXPECT_NE(Curl("/allreports.htm?User=" + bob).find("Location: "), std::string::npos);
  Curl("/saveremote.htm?User=" + bob, {"--data", "RemoteNo=77&RemoteReport=on"});
  EXPECT_EQ(ReadFile(Program() / "QUORVANE.INI").find("WebNoReports=77"), std::string::npos);

  // The administrator sees everyone's reports and saves the options.
  const std::string boss = LogOn("boss", "boss-secret");
  ASSERT_FALSE(boss.empty());
  const std::string all = Curl("/allreports.htm?User=" + boss);
  EXPECT_NE(all.find("bob\\b1"), std::string::npos) << all;
  EXPECT_NE(all.find("ann\\my report"), std::string::npos);
  const std::string saved = Curl("/saveremote.htm?User=" + boss,
                                 {"--data", "RemoteNo=12&RemoteReport=on&RemoteDays=9&RemoteLogging=on"});
  EXPECT_NE(saved.find("The options were saved."), std::string::npos) << saved;
  const std::string modules = Curl("/modules.htm?User=" + boss);
  EXPECT_NE(modules.find("<TD>Log watch</TD><TD>1</TD>"), std::string::npos) << modules;
  EXPECT_NE(modules.find("A log analysis plug-in is installed."), std::string::npos);
  EXPECT_NE(Curl("/logs.htm?User=" + boss).find("<TD>1</TD><TD>1</TD>"), std::string::npos);
  Curl("/saveproxy.htm?User=" + boss, {"--data", "HTTPProxy=on&HTTPProxyAddr=proxy.lan&HTTPProxyPort=3128&"
                                                 "HTTPProxyUsername=pu&HTTPProxyPassword=proxy-secret"});
  const std::string proxy = Curl("/optproxy.htm?User=" + boss);
  EXPECT_NE(proxy.find("VALUE=\"proxy.lan\""), std::string::npos) << proxy;
  EXPECT_EQ(proxy.find("proxy-secret"), std::string::npos);
  const std::string ini = ReadFile(Program() / "QUORVANE.INI");
  EXPECT_NE(ini.find("WebNoReports=12"), std::string::npos) << ini;
  EXPECT_NE(ini.find("WebNoDays=-9"), std::string::npos) << ini;
  EXPECT_NE(ini.find("WebAllowReport=0"), std::string::npos) << ini;

  // The log: a line per request, and no password in it.
  const std::string log = ReadFile(Program() / "Remote.log");
  EXPECT_NE(log.find("127.0.0.1 - - ["), std::string::npos) << log;
  EXPECT_NE(log.find("] \"GET /reports.htm?User=" + ann + " HTTP/1.0\" 301 0\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("127.0.0.1 - ann ["), std::string::npos) << log;
  for (const char* secret : {"ann-secret", "bob-secret", "boss-secret", "proxy-secret"}) {
    EXPECT_EQ(log.find(secret), std::string::npos) << secret;
  }

  // The sixth failed log-on from an address is refused, right password or not.
  for (int i = 0; i < 5; ++i) EXPECT_EQ(LogOn("ann", "guess" + std::to_string(i)), "");
  EXPECT_EQ(LogOn("ann", "ann-secret"), "");

  program->Signal(SIGTERM);
  const int exitCode = program->Wait();
  const std::string out = program->Output();
  EXPECT_EQ(exitCode, 0) << out;
  EXPECT_NE(out.find("~ServerThread"), std::string::npos) << out;
  EXPECT_LT(out.find("~ServerThread"), out.find("Start-up step: shutdown: plug-ins"));
}

// Pages tried as a visitor would: every link a page shows leads to a page
// that is answered whole (redirects followed), with every directive carried
// out; a visitor who has not logged on reaches nobody's reports.
TEST_F(RemoteServer, EveryLinkOfThePagesLeadsToAWholePage) {
  // A report whose name holds characters with a meaning in a URL.
  const fs::path odd = Program() / "Reports" / "Remote Reports" / "users" / "ann" / "c+d & e#%1";
  WriteFile(odd / "status.rep", StatusBytes("Odd name", 100, "0"));
  WriteFile(odd / "rep.htm", "<p>the odd one</p>");
  auto program = Start();
  ASSERT_TRUE(program->WaitForOutput("Remote server listening on port " + port_, kPatience)) << program->Output();
  const std::regex leftover("%[A-Za-z?][A-Za-z0-9?:=()!<>.+_-]*%");
  const std::regex link("HREF=\"(/[^\"]*)\"");
  const std::regex form("<FORM METHOD=\"GET\" ACTION=\"(/[^\"]*)\"[^>]*>(.*?)</FORM>");
  const std::regex hidden("<INPUT TYPE=\"hidden\" NAME=\"([^\"]*)\" VALUE=\"([^\"]*)\">");
  // The last response of a chain of redirects: its status line and body.
  auto follow = [this](const std::string& path) {
    const std::string answer = Curl(path, {"-L", "--max-redirs", "5"});
    const size_t last = answer.rfind("HTTP/1.");
    return last == std::string::npos ? std::string() : answer.substr(last);
  };

  for (const fs::directory_entry& page : fs::directory_iterator(Program() / "wwwroot")) {
    const std::string name = page.path().filename().string();
    if (page.path().extension() != ".htm" || name.rfind("save", 0) == 0) continue;
    const std::string answer = follow("/" + name);
    EXPECT_EQ(answer.rfind("HTTP/1.0 200 OK\r\n", 0), 0u) << name << "\n" << answer;
    EXPECT_FALSE(std::regex_search(answer, leftover)) << name << "\n" << answer;
    for (const char* report : {"First report", "With a blank", "Bob's", "ann\\r1"}) {
      EXPECT_EQ(answer.find(report), std::string::npos) << name << " shows " << report;
    }
  }

  for (const auto& [user, password] : {std::pair<std::string, std::string>("boss", "boss-secret"),
                                       std::pair<std::string, std::string>("ann", "ann-secret")}) {
    SCOPED_TRACE(user);
    const std::string id = LogOn(user, password);
    ASSERT_FALSE(id.empty()) << program->Output();
    std::vector<std::string> pending = {"/reports.htm?User=" + id};
    std::set<std::string> seen(pending.begin(), pending.end());
    while (!pending.empty() && seen.size() < 80) {
      const std::string path = pending.back();
      pending.pop_back();
      const std::string answer = follow(path);
      EXPECT_EQ(answer.rfind("HTTP/1.0 200 OK\r\n", 0), 0u) << path << "\n" << answer;
      EXPECT_FALSE(std::regex_search(answer, leftover)) << path << "\n" << answer;
      if (path.find("Item=ann%5Cc%2Bd") != std::string::npos && path.rfind("/view.htm", 0) == 0) {
        EXPECT_NE(answer.find("<p>the odd one</p>"), std::string::npos) << answer;
      }
      if (user != "boss") {
        EXPECT_EQ(answer.find("bob's secret"), std::string::npos) << path;
      }
      for (std::sregex_iterator it(answer.begin(), answer.end(), link), end; it != end; ++it) {
        std::string next = (*it)[1];
        for (size_t amp = next.find("&amp;"); amp != std::string::npos; amp = next.find("&amp;", amp + 1)) {
          next.replace(amp, 5, "&");
        }
        // As a browser sends it: blanks and quotes in the query percent-encoded.
        for (size_t at = next.find_first_of(" \"<>"); at != std::string::npos; at = next.find_first_of(" \"<>", at)) {
          char hex[4];
          std::snprintf(hex, sizeof hex, "%%%02X", static_cast<unsigned char>(next[at]));
          next.replace(at, 1, hex);
        }
        if (next == "/default.htm") continue;  // logging off ends the walk of this user
        if (seen.insert(next).second) pending.push_back(next);
      }
      // Forms sent by GET, as a browser fills them in from their hidden
      // fields; a confirmed deletion is not walked into.
      for (std::sregex_iterator it(answer.begin(), answer.end(), form), end; it != end; ++it) {
        const std::string fields = (*it)[2];
        if (fields.find("NAME=\"Confirm\"") != std::string::npos) continue;
        std::string next = std::string((*it)[1]) + "?";
        for (std::sregex_iterator f(fields.begin(), fields.end(), hidden); f != end; ++f) {
          if (next.back() != '?') next += '&';
          next += FormEncode((*f)[1]) + "=" + FormEncode(HtmlUnescape((*f)[2]));
        }
        if (seen.insert(next).second) pending.push_back(next);
      }
    }
    // The walk saw the pages a user of this kind is offered.
    EXPECT_TRUE(seen.count("/view.htm?User=" + id + "&Item=ann%5Cr1")) << user;
    EXPECT_TRUE(seen.count("/view.htm?User=" + id + "&Item=ann%5Cc%2Bd+%26+e%23%251")) << user;
    EXPECT_EQ(seen.count("/modules.htm?User=" + id), user == "boss" ? 1u : 0u);
  }
  // Looking at pages deleted nothing.
  EXPECT_TRUE(fs::exists(Program() / "Reports" / "Remote Reports" / "users" / "ann" / "r1" / "rep.htm"));

  program->Signal(SIGTERM);
  EXPECT_EQ(program->Wait(), 0) << program->Output();
}

}  // namespace
