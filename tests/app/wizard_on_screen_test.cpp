// A new user on a screen: the built quorvane with the monitoring plug-in on a
// private X server; xdotool clicks New and types through the profile wizard as
// a user would. The profile lands in its file, the engine finds the device up
// (status log) and every page of the wizard was pictured.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "child_process.h"
#include "display/xvfb_support.h"
#include "qv_logstat.h"
#include "qvplatform.h"
#include "test_files.h"

namespace fs = std::filesystem;

extern char** environ;

namespace {

constexpr int kPatience = 60;  // seconds; a guard against a hung program
constexpr char kPanelTitle[] = "Profile Manager - Quorvane 4.0";
constexpr char kWizardTitle[] = "Add Monitoring and Alerting Profile - Description and Monitor Type";

class WizardOnScreen : public ::testing::Test {
 protected:
  void SetUp() override {
    if (xvfbtest::FindProgram("Xvfb").empty() || xvfbtest::FindProgram("xdotool").empty()) {
      if (std::getenv("CI")) FAIL() << "Xvfb and xdotool are needed: install xvfb and xdotool";
      GTEST_SKIP() << "xvfb or xdotool is not installed; the program is not shown";
    }
    if (!qvp::RasterTextAvailable()) {
      if (std::getenv("CI")) FAIL() << "no fonts: install fonts-liberation2 and fonts-dejavu-core";
      GTEST_SKIP() << "fonts-liberation2 is not installed";
    }
    server_ = std::make_unique<xvfbtest::Server>();
    ASSERT_TRUE(server_->ok()) << "Xvfb did not start";
    for (const char* dir : {"program", "home", "snapshots", "web"}) fs::create_directories(root_.path() / dir);
    for (const char* name : {"quorvane", "libqvplatform.so", "libqv_ui.so", "libqv_logstat.so", "PRODUCT.RSL",
                             "BASE.RSL", "ctlpack4.dll", "qvm_alrt.dll"}) {
      fs::copy_file(fs::path(QV_TEST_DIST_DIR) / name, root_.path() / "program" / name);
    }
    root_.write("program/QUORVANE.INI",
                "[Defaults]\r\nAutoDetectLogFiles=1\r\nMainPanelX=40\r\nMainPanelY=30\r\n"
                "MainPanelWidthDlgUnits=420\r\nMainPanelHeightDlgUnits=274\r\nListView=0\r\n");
    StartWeb();
  }
  void TearDown() override {
    program_.reset();
    server_.reset();
    if (web_ > 0) {
      kill(web_, SIGTERM);
      waitpid(web_, nullptr, 0);
    }
  }

  void StartWeb() {
    // A port for the server: bound once to learn a free one.
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
    webPort_ = ntohs(a.sin_port);
    const std::vector<std::string> args = {"/usr/bin/python3", "-m", "http.server", "--bind", "127.0.0.1",
                                           "--directory", (root_.path() / "web").string(), std::to_string(webPort_)};
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ASSERT_EQ(posix_spawn(&web_, argv[0], nullptr, nullptr, argv.data(), environ), 0);
  }

  void Start() {
    const std::string home = (root_.path() / "home").string();
    program_ = std::make_unique<qvtest::ChildProcess>(
        (root_.path() / "program" / "quorvane").string(), std::vector<std::string>{},
        std::vector<std::string>{"HOME=" + home, "QV_STATE_DIR=" + home + "/state", "QV_DEBUG=1",
                                 "DISPLAY=" + server_->name(), "QV_REGISTRY=" + home + "/registry",
                                 "QV_WINDOWS_DIR=" + home + "/windows", "QV_TEST=", "QV_HEADLESS=",
                                 "QV_SNAPSHOT_DIR=" + (root_.path() / "snapshots").string()},
        root_.path().string(), (root_.path() / "program.log").string());
  }
  int Xdotool(std::vector<std::string> args) {
    args.insert(args.begin(), "xdotool");
    pid_t pid = server_->Spawn(args);
    int status = -1;
    if (pid <= 0 || waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  int Click(int x, int y) {
    return Xdotool({"mousemove", "--sync", std::to_string(x), std::to_string(y), "click", "1", "sleep", "0.3"});
  }
  int Type(const std::string& text) {
    const int typed = Xdotool({"type", "--delay", "40", text});
    Xdotool({"sleep", "0.3"});
    return typed;
  }
  int Key(const std::string& key) { return Xdotool({"key", key, "sleep", "0.5"}); }
  unsigned long WaitForWindow(const char* title) {
    unsigned long window = 0;
    for (int i = 0; i < kPatience * 10 && !(window && server_->Viewable(window)); ++i) {
      window = server_->WindowTitled(title);
      Sleep(100);
    }
    return window && server_->Viewable(window) ? window : 0;
  }
  bool Exists(const fs::path& path, int seconds = kPatience) {
    for (int i = 0; i < seconds * 10; ++i) {
      if (fs::exists(path)) return true;
      Sleep(100);
    }
    return false;
  }
  // The events of the status log ("INIT" with its state, ...).
  std::vector<std::string> LogEvents() {
    std::vector<std::string> events;
    const std::string path = (root_.path() / "program" / "qvm_alrt" / "qvm_alrt.log").string();
    HQVLSREADER reader = QVLS_LogStatusFileStartup(path.c_str());
    if (reader == nullptr) return events;
    QVLS_ENTRY_FIELD* fields = nullptr;
    int count = 0;
    while (QVLS_ReadEntryFromLogStatusFile(reader, &fields, &count) == 1) {
      std::string event, state;
      for (int n = 0; n < count; ++n) {
        if (fields[n].type == 4 && event.empty()) event = fields[n].text;
        if (fields[n].type == 5 && state.empty()) state = fields[n].text;
      }
      events.push_back(event + " " + state);
      QVLS_FreeEntry(fields);
    }
    QVLS_LogStatusFileCleanup(reader);
    return events;
  }

  std::unique_ptr<xvfbtest::Server> server_;
  std::unique_ptr<qvtest::ChildProcess> program_;
  qvtest::TempDir root_{"qvwizardscreen"};
  pid_t web_ = -1;
  unsigned short webPort_ = 0;
};

TEST_F(WizardOnScreen, ANewUserMakesAWebProfileWithTheMouseAndKeyboard) {
  Start();
  const unsigned long panel = WaitForWindow(kPanelTitle);
  ASSERT_NE(panel, 0u) << program_->Output();
  const RECT g = server_->Geometry(panel);
  // New: the toolbar's first button.
  ASSERT_EQ(Click(g.left + 4 + 36, g.top + 41 + 22), 0);
  const unsigned long wizard = WaitForWindow(kWizardTitle);
  ASSERT_NE(wizard, 0u) << program_->Output();
  const RECT w = server_->Geometry(wizard);
  // A click on the wizard's caption: the keys go to it from here on.
  ASSERT_EQ(Click(w.left + (w.right - w.left) / 2, w.top + 8), 0);

  Type("Intranet web");
  Key("Tab");
  // The kind list (sorted) shows Ping; HTTP is six entries above it.
  for (int i = 0; i < 6; ++i) Key("Up");
  Key("alt+n");
  Type("127.0.0.1");
  Key("Tab");
  Type(std::to_string(webPort_));
  Key("Tab");
  Type("30");
  Key("Tab");
  Type("S");  // Seconds
  Key("Tab");
  Type("1");
  Key("alt+n");  // the Audio page
  Key("alt+n");  // the E-Mail page
  Key("alt+n");  // the Pager page
  Key("Return");  // Finish

  const fs::path file = root_.path() / "program" / "qvm_alrt" / "datfiles" / "lert0000.amp";
  if (!Exists(file)) {
    std::string shots;
    for (const auto& entry : fs::directory_iterator(root_.path() / "snapshots")) shots += entry.path().filename().string() + " ";
    FAIL() << "no profile file; pictured: " << shots << "\n" << program_->Output().substr(0, 4000);
  }
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  const std::vector<std::string> monitor = qvtest::SectionLines(text.str(), "Monitor");
  auto value = [&](const std::string& key) {
    for (const std::string& line : monitor) {
      if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
    }
    return std::string("<absent>");
  };
  EXPECT_EQ(value("MonitorType"), "HTTP") << text.str();
  EXPECT_EQ(value("HostName"), "127.0.0.1");
  EXPECT_EQ(value("PortID"), std::to_string(webPort_));
  EXPECT_EQ(value("PollTime"), "30");
  EXPECT_EQ(value("PollTimeUnit"), "0");

  // The engine tests the new device at once and finds it up.
  bool up = false;
  for (int i = 0; i < kPatience * 10 && !up; ++i) {
    for (const std::string& event : LogEvents()) up = up || event.rfind("INIT", 0) == 0;
    if (!up) Sleep(100);
  }
  EXPECT_TRUE(up) << program_->Output();
  std::string states;
  for (const std::string& event : LogEvents()) states += event + "\n";
  EXPECT_NE(states.find("INIT UP"), std::string::npos) << states;

  for (int id : {112, 16013, 31010, 31011, 31012}) {
    EXPECT_TRUE(fs::exists(root_.path() / "snapshots" / ("dialog_" + std::to_string(id) + ".png"))) << id;
  }
  // A monitored profile keeps the program running when its window closes;
  // the test ends it (TearDown).
}

}  // namespace
