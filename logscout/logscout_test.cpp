// Logscout.dll as its caller uses it: the dialogs driven as a user would,
// the log-in and the listings against pyftpdlib and a scripted FTP server
// on loopback, the record read field by field.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "ftp_test_server.h"
#include "logscout_ids.h"
#include "logscout_profile.h"
#include "loopback_peers.h"
#include "proftpd_peer.h"
#include "qvplatform/ui_driver.h"
#include "test_files.h"

namespace {

std::vector<std::string> g_progress;
int g_stopAt = 0;  // the progress call (1-based) that asks to stop; 0: none
int g_errorCalls = 0;

int WINAPI Progress(HWND, LPCSTR text) {
  g_progress.push_back(text);
  return static_cast<int>(g_progress.size()) == g_stopAt ? 1 : 0;
}
void WINAPI OnError() { ++g_errorCalls; }

class Logscout : public ::testing::Test {
 protected:
  void SetUp() override {
    g_progress.clear();
    g_stopAt = 0;
    g_errorCalls = 0;
    // The caller's folder: "FTP4W32.DLL" is found in the current directory.
    SetCurrentDirectoryA(QV_DIST_DIR);
    module_ = LoadLibraryA((std::string(QV_DIST_DIR) + "/Logscout.dll").c_str());
    ASSERT_NE(module_, nullptr);
    find_ = reinterpret_cast<PFN_Logscout_Find>(GetProcAddress(module_, reinterpret_cast<LPCSTR>(100)));
    sample_ = reinterpret_cast<PFN_Logscout_IsItASampleProfile>(GetProcAddress(module_, reinterpret_cast<LPCSTR>(103)));
    ASSERT_NE(find_, nullptr);
    ASSERT_NE(sample_, nullptr);
    profile_ = std::make_unique<LogscoutProfile>();
    std::memset(profile_.get(), 0, sizeof *profile_);
    std::string folder = work_.dir();
    std::snprintf(profile_->workFolder, sizeof profile_->workFolder, "%s", folder.c_str());
    profile_->errorCallback = OnError;
  }
  void TearDown() override {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  void Code(const char* code) { std::snprintf(profile_->providerCode, sizeof profile_->providerCode, "%s", code); }
  void Run() { find_(nullptr, profile_.get(), Progress, nullptr); }
  // Types the three fields of the next dialog and clicks OK.
  static void Fill(qvp::UiDriver& driver, UINT dialog, const std::string& host, const std::string& user,
                   const std::string& password) {
    driver.OnDialog(dialog)
        .Type(IDC_LS_HOST, host)
        .Type(IDC_LS_USER, user)
        .Type(IDC_LS_PASSWORD, password)
        .Click(IDOK);
  }

  qvtest::TempDir work_{"logscout_work"};
  HMODULE module_ = nullptr;
  PFN_Logscout_Find find_ = nullptr;
  PFN_Logscout_IsItASampleProfile sample_ = nullptr;
  std::unique_ptr<LogscoutProfile> profile_;
};

TEST_F(Logscout, SampleLogsAndUnknownCodes) {
  EXPECT_EQ(sample_("FILE:///..\\SAMPLES\\SAMPLE.LOG"), 1);
  EXPECT_EQ(sample_("file:///..\\samples\\raptor.log"), 1);
  EXPECT_EQ(sample_(""), 0);
  EXPECT_EQ(sample_("file:///..\\samples\\other.log"), 0);
  qvp::UiDriver driver;
  Code("123");
  Run();
  EXPECT_EQ(static_cast<int>(profile_->status), 3);
  EXPECT_TRUE(driver.Problems().empty());
  EXPECT_TRUE(g_progress.empty());
}

TEST_F(Logscout, CancelManualAndAMissingFtpLibrary) {
  Code("456");
  {
    qvp::UiDriver driver;
    driver.OnDialog(IDD_LOGSCOUT_FIND).Click(IDCANCEL);
    Run();
    EXPECT_EQ(static_cast<int>(profile_->status), 2);
    EXPECT_TRUE(driver.Problems().empty());
  }
  {
    qvp::UiDriver driver;
    driver.OnDialog(IDD_LOGSCOUT_FIND).Check(IDC_LS_MANUAL).Do([](HWND dialog) {
      // The fields go grey with the manual way.
      EXPECT_FALSE(qvp::driver::Enabled(GetDlgItem(dialog, IDC_LS_HOST)));
      EXPECT_FALSE(qvp::driver::Enabled(GetDlgItem(dialog, IDC_LS_EXAMPLE)));
    }).Click(IDOK);
    Run();
    EXPECT_EQ(static_cast<int>(profile_->status), 5);
    EXPECT_TRUE(driver.Problems().empty());
  }
  qvtest::TempDir elsewhere("logscout_nolib");
  SetCurrentDirectoryA(elsewhere.dir().c_str());
  qvp::UiDriver driver;
  Fill(driver, IDD_LOGSCOUT_FIND, "127.0.0.1:1", "alice", "pw");
  driver.ExpectMessageBox("Error from WinSockRegister", IDOK);
  Run();
  EXPECT_EQ(static_cast<int>(profile_->status), 4);
  EXPECT_TRUE(driver.Problems().empty()) << driver.Problems()[0];
}

class LogscoutAgainstPyftpdlib : public Logscout {
 protected:
  void SetUp() override {
    Logscout::SetUp();
    QVTEST_REQUIRE_PACKAGE(!qvtest::PythonWith("pyftpdlib").empty(), "python3-pyftpdlib");
    root_.write("stats/access_log", "log line\n");
    root_.write("stats/referer_log", "");
    root_.write("log/a.gz", "");
    server_ = std::make_unique<ftptest::PyFtpServer>(root_.dir(), "alice", "s3cret");
    ASSERT_TRUE(server_->running());
  }
  qvtest::TempDir root_{"logscout_site"};
  std::unique_ptr<ftptest::PyFtpServer> server_;
};

TEST_F(LogscoutAgainstPyftpdlib, Code444FillsThreeSources) {
  Code("444");
  profile_->sourceCount = 0;
  qvp::UiDriver driver;
  Fill(driver, IDD_LOGSCOUT_FIND, server_->host(), "alice", "s3cret");
  Run();
  ASSERT_TRUE(driver.Problems().empty()) << driver.Problems()[0];
  EXPECT_EQ(static_cast<int>(profile_->status), 1);
  EXPECT_EQ(static_cast<int>(profile_->sourceCount), 3);
  const std::string host = server_->host();
  const uint16_t kinds[3] = {0, 7, 8};
  const char* urls[3] = {"/stats/access_log|*.gz", "/stats/referer_log", "/stats/agent_log"};
  for (int i = 0; i < 3; ++i) {
    const LogscoutLogSource& s = profile_->sources[i];
    // Packed fields are read by value: they need not be aligned.
    EXPECT_EQ(static_cast<int>(s.kind), kinds[i]);
    EXPECT_STREQ(s.host, host.c_str());
    EXPECT_STREQ(s.user, "alice");
    EXPECT_STREQ(s.password, "s3cret");
    EXPECT_EQ(std::string(s.logUrl), "ftp://" + host + urls[i]);
    EXPECT_EQ(static_cast<int>(s.flag), i == 0 ? 1 : 0);
    EXPECT_EQ(static_cast<int>(s.second), 0);
  }
  EXPECT_EQ(std::string(profile_->sources[0].homePage), "http://" + host + "/index.html");
  EXPECT_STREQ(profile_->sources[1].homePage, "");
  EXPECT_EQ(g_progress, (std::vector<std::string>{"Logging in to remote host...", "Searching for log files..."}));
  EXPECT_FALSE(work_.exists("ftpdir.tmp"));
}

TEST_F(LogscoutAgainstPyftpdlib, AWrongPasswordBringsTheDialogBack) {
  Code("456");
  qvp::UiDriver driver;
  Fill(driver, IDD_LOGSCOUT_FIND, server_->host(), "alice", "wrong");
  driver.ExpectMessageBox("could not login to your host", IDOK);
  std::string hostShown;
  driver.OnDialog(IDD_LOGSCOUT_FIND).Read(IDC_LS_HOST, &hostShown).Click(IDCANCEL);
  Run();
  EXPECT_TRUE(driver.Problems().empty()) << driver.Problems()[0];
  EXPECT_EQ(static_cast<int>(profile_->status), 2);
  EXPECT_EQ(hostShown, server_->host());  // the values typed so far
  EXPECT_EQ(g_errorCalls, 1);
}

TEST_F(LogscoutAgainstPyftpdlib, ALineEndInTheUserForgesNoCommand) {
  Code("404");
  qvp::UiDriver driver;
  // Pasted in, as keys would press Enter.
  std::string typed;
  driver.OnDialog(IDD_LOGSCOUT_FIND)
      .Type(IDC_LS_HOST, server_->host())
      .Do([](HWND dialog) { SetDlgItemTextA(dialog, IDC_LS_USER, "x\r\nDELE stats/access_log"); })
      .Read(IDC_LS_USER, &typed)
      .Type(IDC_LS_PASSWORD, "s3cret")
      .Click(IDOK);
  driver.ExpectMessageBox("could not login to your host", IDOK);
  driver.OnDialog(IDD_LOGSCOUT_FIND).Click(IDCANCEL);
  Run();
  EXPECT_TRUE(driver.Problems().empty()) << driver.Problems()[0];
  EXPECT_EQ(typed, "x\r\nDELE stats/access_log");
  EXPECT_EQ(static_cast<int>(profile_->status), 2);
  EXPECT_TRUE(root_.exists("stats/access_log"));
}

TEST_F(LogscoutAgainstPyftpdlib, NothingFoundAndStopsAtEitherProgressText) {
  Code("646");  // "/stats/access.log" is not on the site
  {
    qvp::UiDriver driver;
    Fill(driver, IDD_LOGSCOUT_FIND, server_->host(), "alice", "s3cret");
    driver.ExpectMessageBox("could not find log files", IDOK);
    driver.OnDialog(IDD_LOGSCOUT_FIND).Click(IDCANCEL);
    Run();
    EXPECT_TRUE(driver.Problems().empty()) << driver.Problems()[0];
    EXPECT_EQ(static_cast<int>(profile_->status), 2);
  }
  for (int stop : {1, 2}) {
    g_progress.clear();
    g_stopAt = stop;
    Code("456");
    qvp::UiDriver driver;
    Fill(driver, IDD_LOGSCOUT_FIND, server_->host(), "alice", "s3cret");
    Run();
    EXPECT_TRUE(driver.Problems().empty()) << driver.Problems()[0];
    EXPECT_EQ(static_cast<int>(profile_->status), stop == 1 ? 4 : 5);
  }
}

// The scripted server for the listings pyftpdlib cannot give (patterns, an
// empty control listing) and to see what is stored.
struct Script {
  std::mutex lock;
  std::vector<std::string> commands;
  std::string stored;
};

void Serve(ftptest::ScriptedConnection& c, Script& script, const std::vector<std::string>& listings) {
  c.Send("220 ready\r\n");
  size_t next = 0;
  for (;;) {
    const std::string command = c.Command();
    if (command.empty()) return;
    {
      std::lock_guard<std::mutex> hold(script.lock);
      script.commands.push_back(command);
    }
    if (command.rfind("USER", 0) == 0) {
      c.Send("331 password\r\n");
    } else if (command.rfind("PASS", 0) == 0) {
      c.Send("230 in\r\n");
    } else if (command.rfind("TYPE", 0) == 0) {
      c.Send("200 ok\r\n");
    } else if (command == "PASV") {
      const int port = c.ListenData();
      c.Send("227 Entering Passive Mode (127,0,0,1," + std::to_string(port / 256) + "," + std::to_string(port % 256) +
             ")\r\n");
    } else if (command.rfind("LIST", 0) == 0) {
      const std::string listing = next < listings.size() ? listings[next++] : "-";
      if (listing == "-") {
        c.Send("450 No files found\r\n");
      } else {
        c.Send("150 listing\r\n");
        c.SendData(listing);
        c.Send("226 done\r\n");
      }
    } else if (command.rfind("STOR", 0) == 0) {
      c.Send("150 go\r\n");
      const std::string bytes = c.ReceiveData();
      {
        std::lock_guard<std::mutex> hold(script.lock);
        script.stored = bytes;
      }
      c.Send("226 stored\r\n");
    } else if (command == "QUIT") {
      c.Send("221 bye\r\n");
      return;
    } else {
      c.Send("502 no\r\n");
    }
  }
}

TEST_F(Logscout, Code620TakesTheArchiveOrTheUsersLogs) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"-rw-r--r-- 1 a a 5 Jan 1 2000 access1.gz\r\n"}, "/log_archive/*[0123456789].gz"},
      {{"-", "-rw-r--r-- 1 a a 5 Jan 1 2000 x.log\r\n"}, "/logs/*.log"},
  };
  for (const auto& [replies, path] : cases) {
    const std::vector<std::string>& listings = replies;  // a lambda may not capture a structured binding
    Script script;
    ftptest::ScriptedServer server([&](ftptest::ScriptedConnection& c) { Serve(c, script, listings); });
    Code("620");
    qvp::UiDriver driver;
    Fill(driver, IDD_LOGSCOUT_FIND, server.host(), "alice", "pw");
    Run();
    EXPECT_TRUE(driver.Problems().empty()) << driver.Problems()[0];
    EXPECT_EQ(static_cast<int>(profile_->status), 1);
    EXPECT_EQ(std::string(profile_->sources[0].logUrl), "ftp://" + server.host() + path);
  }
  // Neither: not found, the dialog again.
  Script script;
  ftptest::ScriptedServer server([&](ftptest::ScriptedConnection& c) { Serve(c, script, {"-", ""}); });
  qvp::UiDriver driver;
  Fill(driver, IDD_LOGSCOUT_FIND, server.host(), "alice", "pw");
  driver.ExpectMessageBox("could not find log files", IDOK);
  driver.OnDialog(IDD_LOGSCOUT_FIND).Click(IDCANCEL);
  Run();
  EXPECT_TRUE(driver.Problems().empty()) << driver.Problems()[0];
  EXPECT_EQ(static_cast<int>(profile_->status), 2);
  std::lock_guard<std::mutex> hold(script.lock);
  EXPECT_NE(std::find(script.commands.begin(), script.commands.end(), "LIST /alice/logs/*.log"),
            script.commands.end());
}

TEST_F(Logscout, Codes456And646FillOneSourceAndListTheirPaths) {
  const std::pair<const char*, std::string> cases[] = {{"456", "/log/*.gz"}, {"646", "/stats/access.log"}};
  for (const auto& [code, path] : cases) {
    Script script;
    ftptest::ScriptedServer server(
        [&](ftptest::ScriptedConnection& c) { Serve(c, script, {"-rw-r--r-- 1 a a 5 Jan 1 2000 x\r\n"}); });
    std::memset(profile_->sources, 0, sizeof profile_->sources);
    profile_->sourceCount = 0;
    Code(code);
    const std::string host = server.host();
    qvp::UiDriver driver;
    Fill(driver, IDD_LOGSCOUT_FIND, host, "alice", "pw");
    Run();
    ASSERT_TRUE(driver.Problems().empty()) << code << ": " << driver.Problems()[0];
    EXPECT_EQ(static_cast<int>(profile_->status), 1) << code;
    EXPECT_EQ(static_cast<int>(profile_->sourceCount), 1) << code;
    const LogscoutLogSource& s = profile_->sources[0];
    EXPECT_EQ(static_cast<int>(s.kind), 0) << code;
    EXPECT_STREQ(s.host, host.c_str());
    EXPECT_STREQ(s.user, "alice");
    EXPECT_STREQ(s.password, "pw");
    EXPECT_EQ(std::string(s.logUrl), (code == std::string("456") ? "ftp://" : "http://") + host + path);
    EXPECT_EQ(static_cast<int>(s.flag), 0) << code;
    EXPECT_EQ(static_cast<int>(s.second), 0) << code;
    EXPECT_EQ(std::string(s.homePage), "http://" + host + "/index.html");
    std::lock_guard<std::mutex> hold(script.lock);
    EXPECT_NE(std::find(script.commands.begin(), script.commands.end(), "LIST " + path), script.commands.end())
        << code;
  }
}

TEST_F(Logscout, Code626EnablesLoggingWhenTheControlListingIsEmpty) {
  Script script;
  ftptest::ScriptedServer server([&](ftptest::ScriptedConnection& c) { Serve(c, script, {""}); });
  Code("626");
  qvp::UiDriver driver;
  Fill(driver, IDD_LOGSCOUT_FIND_626, server.host(), "alice", "pw");
  driver.ExpectMessageBox("Would you like Quorvane to enable logging?", IDYES);
  driver.ExpectMessageBox("Your logging option has been enabled.", IDOK);
  Run();
  EXPECT_TRUE(driver.Problems().empty()) << driver.Problems()[0];
  EXPECT_EQ(static_cast<int>(profile_->status), 1);
  EXPECT_EQ(std::string(profile_->sources[0].logUrl),
            "ftp://" + server.host() + "/webadmin/home/pub/alice/public_html/httpd_access*");
  std::lock_guard<std::mutex> hold(script.lock);
  EXPECT_EQ(script.stored, "35z\n");
  EXPECT_NE(std::find(script.commands.begin(), script.commands.end(),
                      "STOR /webadmin/home/pub/alice/public_html/.logctl"),
            script.commands.end());
  EXPECT_FALSE(work_.exists("logctl.tmp"));
  EXPECT_EQ(g_progress.back(), "Enabling Logging.");
}

class LogscoutAgainstProftpd : public Logscout {
 protected:
  // A site of its own for each server: the user's home is its root.
  std::unique_ptr<logscouttest::Proftpd> Serve(const std::string& home) {
    auto server = std::make_unique<logscouttest::Proftpd>(state_.dir(), home, "alice", "s3cret");
    if (!server->running()) {
      if (std::getenv("CI") != nullptr) ADD_FAILURE() << "proftpd (proftpd-basic, proftpd-mod-vroot) is missing";
      return nullptr;
    }
    return server;
  }
  qvtest::TempDir state_{"logscout_proftpd"};
  qvtest::TempDir site_{"logscout_home"};
};

TEST_F(LogscoutAgainstProftpd, Code620ListsBothWaysOrNeither) {
  site_.write("archive/log_archive/access1.gz", "x");
  site_.write("archive/log_archive/access.gz", "x");
  site_.write("users/alice/logs/a.log", "x");
  site_.write("neither/logs/a.txt", "x");
  struct Case {
    const char* home;
    int status;
    const char* path;
  };
  for (const Case& c : {Case{"archive", 1, "/log_archive/*[0123456789].gz"}, Case{"users", 1, "/logs/*.log"},
                        Case{"neither", 2, ""}}) {
    auto server = Serve(site_.file(c.home));
    if (server == nullptr) GTEST_SKIP() << "proftpd is missing";
    Code("620");
    qvp::UiDriver driver;
    Fill(driver, IDD_LOGSCOUT_FIND, server->host(), "alice", "s3cret");
    if (c.status == 2) {
      driver.ExpectMessageBox("could not find log files", IDOK);
      driver.OnDialog(IDD_LOGSCOUT_FIND).Click(IDCANCEL);
    }
    Run();
    EXPECT_TRUE(driver.Problems().empty()) << c.home << ": " << driver.Problems()[0];
    EXPECT_EQ(static_cast<int>(profile_->status), c.status) << c.home;
    if (c.status == 1) {
      EXPECT_EQ(std::string(profile_->sources[0].logUrl), "ftp://" + server->host() + c.path);
    }
  }
}

TEST_F(LogscoutAgainstProftpd, Code404FindsTheStatsAndAWrongPasswordAsksAgain) {
  site_.write("site/stats/access_log", "x");
  auto server = Serve(site_.file("site"));
  if (server == nullptr) GTEST_SKIP() << "proftpd is missing";
  Code("404");
  qvp::UiDriver driver;
  Fill(driver, IDD_LOGSCOUT_FIND, server->host(), "alice", "wrong");
  driver.ExpectMessageBox("could not login to your host", IDOK);
  driver.OnDialog(IDD_LOGSCOUT_FIND).Type(IDC_LS_PASSWORD, "s3cret").Click(IDOK);
  Run();
  EXPECT_TRUE(driver.Problems().empty()) << driver.Problems()[0];
  EXPECT_EQ(static_cast<int>(profile_->status), 1);
  EXPECT_EQ(static_cast<int>(profile_->sourceCount), 3);
  EXPECT_STREQ(profile_->sources[2].password, "s3cret");
}

}  // namespace
