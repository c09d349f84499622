// The program on a screen: the built quorvane started on a private X server
// shows its main panel there, and a user's clicks (xdotool) on its toolbar and
// menu bar and the window manager's close reach it.
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "child_process.h"
#include "display/image.h"
#include "display/xvfb_support.h"
#include "qvplatform.h"
#include "test_files.h"

namespace fs = std::filesystem;

namespace {

constexpr int kPatience = 60;  // seconds; a guard against a hung program
constexpr char kTitle[] = "Profile Manager - Quorvane 4.0";

class ProgramOnScreen : public ::testing::Test {
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
    fs::create_directories(root_.path() / "program");
    fs::create_directories(root_.path() / "home");
    fs::create_directories(root_.path() / "snapshots");
    for (const char* name : {"quorvane", "libqvplatform.so", "libqv_ui.so", "PRODUCT.RSL", "BASE.RSL", "ctlpack4.dll"})
      fs::copy_file(fs::path(QV_TEST_DIST_DIR) / name, root_.path() / "program" / name);
    fs::copy_file(QV_TEST_FAKE_PLUGIN, root_.path() / "program" / fs::path(QV_TEST_FAKE_PLUGIN).filename());
    // No log-file question; the panel at a known place in its template's size.
    root_.write("program/QUORVANE.INI",
                "[Defaults]\r\nAutoDetectLogFiles=1\r\nMainPanelX=40\r\nMainPanelY=30\r\n"
                "MainPanelWidthDlgUnits=420\r\nMainPanelHeightDlgUnits=274\r\nListView=0\r\n");
  }
  void TearDown() override {
    program_.reset();
    server_.reset();
  }

  // With snapshots, dialogs are pictured (and so painted whole) as they first appear.
  void Start(bool snapshots = true) {
    const std::string home = (root_.path() / "home").string();
    std::vector<std::string> environment{"HOME=" + home, "QV_STATE_DIR=" + home + "/state", "QV_DEBUG=1",
                                         "DISPLAY=" + server_->name(), "QV_REGISTRY=" + home + "/registry",
                                         "QV_WINDOWS_DIR=" + home + "/windows", "QV_TEST=", "QV_HEADLESS="};
    environment.push_back("QV_SNAPSHOT_DIR=" + (snapshots ? (root_.path() / "snapshots").string() : std::string()));
    program_ = std::make_unique<qvtest::ChildProcess>((root_.path() / "program" / "quorvane").string(),
                                                      std::vector<std::string>{}, environment, root_.path().string(),
                                                      (root_.path() / "program.log").string());
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
  // The X window with this title once the server shows it; 0 when it never does.
  unsigned long ShownWindow(const char* title) {
    unsigned long window = 0;
    for (int i = 0; i < kPatience * 10 && !(window && server_->Viewable(window)); ++i) {
      window = server_->WindowTitled(title);
      Sleep(100);
    }
    return window && server_->Viewable(window) ? window : 0;
  }
  std::string Settings() const {
    std::ifstream in(root_.path() / "program" / "QUORVANE.INI", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  std::unique_ptr<xvfbtest::Server> server_;
  std::unique_ptr<qvtest::ChildProcess> program_;
  qvtest::TempDir root_{"qvscreen"};
};

TEST_F(ProgramOnScreen, ThePanelShowsAndTakesTheUsersClicksAndItsClose) {
  Start();
  ASSERT_TRUE(program_->WaitForOutput("Start-up step: message loop", kPatience)) << program_->Output();
  EXPECT_NE(program_->Output().find("Start-up step: splash"), std::string::npos);
  const unsigned long panel = ShownWindow(kTitle);
  ASSERT_NE(panel, 0u) << program_->Output();
  const RECT g = server_->Geometry(panel);

  // The toolbar's Help button (the eighth, right of two group gaps) asks for help.
  ASSERT_EQ(Click(g.left + 4 + 7 * 76 + 24 + 36, g.top + 41 + 22), 0);
  EXPECT_TRUE(program_->WaitForOutput("HELP_CONTEXT 1004", kPatience)) << program_->Output();

  // View on the menu bar drops down; its second item is Small Icons.
  ASSERT_EQ(Click(g.left + 90, g.top + 31), 0);
  ASSERT_EQ(Click(g.left + 95, g.top + 81), 0);
  EXPECT_TRUE(program_->WaitForOutput("picked 40008", kPatience)) << program_->Output();

  // The window manager's close ends the program, which keeps the list style.
  server_->AskToClose(panel);
  EXPECT_EQ(program_->Wait(), 0) << program_->Output();
  EXPECT_NE(Settings().find("ListView=2"), std::string::npos) << Settings();
  EXPECT_NE(program_->Output().find("Start-up step: shutdown: product library"), std::string::npos);

  // The panel was pictured as it first showed: its caption bar with the title
  // in it, and the toolbar's raised buttons (light and dark edges) below it.
  qvp::display::Image shot;
  ASSERT_TRUE(qvp::display::ReadPng((root_.path() / "snapshots" / "dialog_100.png").c_str(), &shot));
  ASSERT_GT(shot.height, 100);
  const auto count = [&](int top, int bottom, COLORREF color) {
    int n = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = 0; x < shot.width; ++x) n += shot.ColorAt(x, y) == color ? 1 : 0;
    return n;
  };
  EXPECT_GT(count(4, 20, RGB(0, 0, 128)), 2000);        // the active caption
  EXPECT_GT(count(4, 20, RGB(255, 255, 255)), 40);      // its title text
  EXPECT_GT(count(41, 85, RGB(255, 255, 255)), 8 * 60);  // button highlights
  EXPECT_GT(count(41, 85, RGB(128, 128, 128)), 8 * 60);  // button shadows
}

// A first start asks the log-file question over the splash; once it is
// answered, the panel shows on the screen whole: toolbar, tab and frames too.
TEST_F(ProgramOnScreen, TheFirstStartsPanelShowsWholeAfterTheQuestion) {
  // A start as from a new installation, with the monitoring plug-in.
  fs::remove(root_.path() / "program" / "QUORVANE.INI");
  fs::remove(root_.path() / "program" / fs::path(QV_TEST_FAKE_PLUGIN).filename());
  for (const char* name : {"qvm_alrt.dll", "libqv_logstat.so"})
    fs::copy_file(fs::path(QV_TEST_DIST_DIR) / name, root_.path() / "program" / name);
  Start(false);
  const unsigned long question = ShownWindow("Log File Detection");
  ASSERT_NE(question, 0u) << program_->Output();
  // No: the right one of the two buttons centred at the foot of the box.
  const RECT box = server_->Geometry(question);
  const int middle = (box.left + box.right) / 2;
  ASSERT_EQ(Click(middle + 41, box.bottom - 26), 0);

  const unsigned long panel = ShownWindow(kTitle);
  ASSERT_NE(panel, 0u) << program_->Output();
  const RECT g = server_->Geometry(panel);
  // The screen itself, not a snapshot: the toolbar's raised buttons under the
  // menu bar, once the picture has settled.
  const auto count = [&](int top, int bottom, COLORREF color) {
    const std::vector<uint32_t> pixels = server_->Grab(RECT{g.left, g.top + top, g.right, g.top + bottom});
    const uint32_t want = (static_cast<uint32_t>(GetRValue(color)) << 16) |
                          (static_cast<uint32_t>(GetGValue(color)) << 8) | GetBValue(color);
    int n = 0;
    for (uint32_t p : pixels) n += (p & 0xFFFFFFu) == want ? 1 : 0;
    return n;
  };
  bool whole = false;
  for (int i = 0; i < kPatience * 10 && !whole; ++i) {
    whole = count(41, 85, RGB(255, 255, 255)) > 8 * 60 && count(41, 85, RGB(128, 128, 128)) > 8 * 60;
    if (!whole) Sleep(100);
  }
  EXPECT_TRUE(whole) << "the panel's toolbar never showed on the screen";
  EXPECT_NE(Settings().find("AutoDetectLogFiles=1"), std::string::npos) << Settings();
  server_->AskToClose(panel);
  EXPECT_EQ(program_->Wait(), 0) << program_->Output();
}

}  // namespace

