// A user on a screen makes a database profile: in the built quorvane with the
// monitoring plug-in on a private X server, Browse on the ODBC page shows the
// data-source chooser over a SQLite data source; the user picks it with a
// login, and a second Browse cancelled changes nothing.
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
#include "qv_ui.h"
#include "qvplatform.h"
#include "test_files.h"

namespace fs = std::filesystem;

namespace {

constexpr int kPatience = 60;  // seconds; a guard against a hung program
constexpr char kSqliteDriver[] = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";
constexpr char kPanelTitle[] = "Profile Manager - Quorvane 4.0";
constexpr char kWizardTitle[] = "Add Monitoring and Alerting Profile - Description and Monitor Type";
constexpr char kChooserTitle[] = "Select Data Source";

class OdbcChooserOnScreen : public ::testing::Test {
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
    if (!fs::exists(kSqliteDriver)) {
      if (std::getenv("CI")) FAIL() << "the SQLite ODBC driver is needed: install libsqliteodbc";
      GTEST_SKIP() << "the SQLite ODBC driver is not installed";
    }
    server_ = std::make_unique<xvfbtest::Server>();
    ASSERT_TRUE(server_->ok()) << "Xvfb did not start";
    for (const char* dir : {"program", "home", "snapshots", "odbc"}) fs::create_directories(root_.path() / dir);
    for (const char* name : {"quorvane", "libqvplatform.so", "libqv_ui.so", "libqv_logstat.so", "PRODUCT.RSL",
                             "BASE.RSL", "ctlpack4.dll", "qvm_alrt.dll"}) {
      fs::copy_file(fs::path(QV_TEST_DIST_DIR) / name, root_.path() / "program" / name);
    }
    root_.write("program/QUORVANE.INI",
                "[Defaults]\r\nAutoDetectLogFiles=1\r\nMainPanelX=40\r\nMainPanelY=30\r\n"
                "MainPanelWidthDlgUnits=420\r\nMainPanelHeightDlgUnits=274\r\nListView=0\r\n");
    root_.write("odbc/odbcinst.ini", std::string("[QvSQLite3]\nDescription=SQLite 3\nDriver=") + kSqliteDriver + "\n");
    root_.write("odbc/odbc.ini",
                "[Sales]\nDriver=QvSQLite3\nDatabase=" + (root_.path() / "odbc" / "sales.db").string() + "\n");
  }
  void TearDown() override {
    program_.reset();
    server_.reset();
  }

  void Start() {
    const std::string home = (root_.path() / "home").string();
    const std::string odbc = (root_.path() / "odbc").string();
    program_ = std::make_unique<qvtest::ChildProcess>(
        (root_.path() / "program" / "quorvane").string(), std::vector<std::string>{},
        std::vector<std::string>{"HOME=" + home, "QV_STATE_DIR=" + home + "/state", "QV_DEBUG=1",
                                 "DISPLAY=" + server_->name(), "QV_REGISTRY=" + home + "/registry",
                                 "QV_WINDOWS_DIR=" + home + "/windows", "QV_TEST=", "QV_HEADLESS=",
                                 "ODBCSYSINI=" + odbc, "ODBCINI=" + odbc + "/odbc.ini",
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
  bool WaitForWindowGone(const char* title) {
    for (int i = 0; i < kPatience * 10; ++i) {
      const unsigned long window = server_->WindowTitled(title);
      if (window == 0 || !server_->Viewable(window)) return true;
      Sleep(100);
    }
    return false;
  }
  bool Exists(const fs::path& path) {
    for (int i = 0; i < kPatience * 10; ++i) {
      if (fs::exists(path)) return true;
      Sleep(100);
    }
    return false;
  }

  std::unique_ptr<xvfbtest::Server> server_;
  std::unique_ptr<qvtest::ChildProcess> program_;
  qvtest::TempDir root_{"qvodbcscreen"};
};

TEST_F(OdbcChooserOnScreen, BrowseOffersTheDataSourceFillsTheFieldsAndCancelChangesNothing) {
  Start();
  const unsigned long panel = WaitForWindow(kPanelTitle);
  ASSERT_NE(panel, 0u) << program_->Output();
  const RECT g = server_->Geometry(panel);
  ASSERT_EQ(Click(g.left + 4 + 36, g.top + 41 + 22), 0);  // New: the toolbar's first button
  const unsigned long wizard = WaitForWindow(kWizardTitle);
  ASSERT_NE(wizard, 0u) << program_->Output();
  const RECT w = server_->Geometry(wizard);
  ASSERT_EQ(Click(w.left + (w.right - w.left) / 2, w.top + 8), 0);  // the keys go to the wizard

  Type("Sales database");
  Key("Tab");
  Key("Up");  // the sorted kind list shows Ping; ODBC is just above it
  Key("alt+n");
  // The ODBC page: the data source field has the focus, Browse is next.
  Key("Tab");
  Key("space");
  const unsigned long chooser = WaitForWindow(kChooserTitle);
  ASSERT_NE(chooser, 0u) << "the data-source chooser did not show\n" << program_->Output().substr(0, 4000);
  // The list has the focus with the only data source chosen.
  Key("Tab");
  Type("alice");
  Key("Tab");
  Type("se;c}ret");  // a value the connection string must brace
  Key("Return");
  ASSERT_TRUE(WaitForWindowGone(kChooserTitle));

  // Again, and cancelled: the fields keep what the first choice put there.
  Key("alt+d");  // the data source field
  Key("Tab");
  Key("space");
  ASSERT_NE(WaitForWindow(kChooserTitle), 0u) << program_->Output();
  Key("Escape");
  ASSERT_TRUE(WaitForWindowGone(kChooserTitle));

  Key("alt+n");   // the Audio page
  Key("alt+n");   // the E-Mail page
  Key("alt+n");   // the Pager page
  Key("Return");  // Finish

  const fs::path file = root_.path() / "program" / "qvm_alrt" / "datfiles" / "lert0000.amp";
  ASSERT_TRUE(Exists(file)) << program_->Output().substr(0, 4000);
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
  EXPECT_EQ(value("MonitorType"), "ODBC") << text.str();
  EXPECT_EQ(value("HostName"), "Sales");
  EXPECT_EQ(value("UserName"), "alice");
  char password[165] = {};
  ASSERT_TRUE(QVUI_DecryptPassword(value("Password").c_str(), password, sizeof password));
  EXPECT_STREQ(password, "se;c}ret");
  EXPECT_TRUE(fs::exists(root_.path() / "snapshots" / "dialog_17000.png"));
}

}  // namespace
