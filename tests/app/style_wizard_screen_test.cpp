// The style wizard on a screen: a new user opens it from the Tools menu of the
// built quorvane on a private X server, makes a new style with the keyboard
// and finishes; the style is in Style.ini beside the resource library.
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
#include "qvplatform.h"
#include "test_files.h"

namespace fs = std::filesystem;

namespace {

constexpr int kPatience = 60;  // seconds; a guard against a hung program
constexpr char kTitle[] = "Profile Manager - Quorvane 4.0";

class StyleWizardOnScreen : public ::testing::Test {
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
    const fs::path program = root_.path() / "program";
    fs::create_directories(program);
    fs::create_directories(root_.path() / "home");
    for (const char* name : {"quorvane", "libqvplatform.so", "libqv_ui.so", "PRODUCT.RSL", "BASE.RSL", "ctlpack4.dll",
                             "VIC32.DLL", "Style.ini"})
      fs::copy_file(fs::path(QV_TEST_DIST_DIR) / name, program / name);
    fs::copy(fs::path(QV_TEST_DIST_DIR) / "Base", program / "Base", fs::copy_options::recursive);
    root_.write("program/QUORVANE.INI",
                "[Defaults]\r\nAutoDetectLogFiles=1\r\nMainPanelX=40\r\nMainPanelY=30\r\n"
                "MainPanelWidthDlgUnits=420\r\nMainPanelHeightDlgUnits=274\r\nListView=0\r\n");
  }
  void TearDown() override {
    program_.reset();
    server_.reset();
  }
  std::vector<std::string> Environment() const {
    const std::string home = (root_.path() / "home").string();
    return {"HOME=" + home, "QV_STATE_DIR=" + home + "/state", "QV_DEBUG=1", "DISPLAY=" + server_->name(),
            "QV_REGISTRY=" + home + "/registry", "QV_WINDOWS_DIR=" + home + "/windows", "QV_TEST=", "QV_HEADLESS="};
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
  int Keys(std::vector<std::string> keys) {
    keys.insert(keys.begin(), {"key", "--delay", "250"});
    keys.insert(keys.end(), {"sleep", "0.3"});
    return Xdotool(keys);
  }
  unsigned long WaitForWindow(const char* title) {
    unsigned long window = 0;
    for (int i = 0; i < kPatience * 10 && !(window && server_->Viewable(window)); ++i) {
      window = server_->WindowTitled(title);
      Sleep(100);
    }
    return window != 0 && server_->Viewable(window) ? window : 0;
  }
  bool WaitUntilGone(const char* title) {
    for (int i = 0; i < kPatience * 10; ++i) {
      if (server_->WindowTitled(title) == 0) return true;
      Sleep(100);
    }
    return false;
  }
  std::string StyleFile() const {
    std::ifstream in(root_.path() / "program" / "Style.ini");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  std::unique_ptr<xvfbtest::Server> server_;
  std::unique_ptr<qvtest::ChildProcess> program_;
  qvtest::TempDir root_{"qvstylewiz"};
};

TEST_F(StyleWizardOnScreen, ANewUserMakesAStyleFromTheToolsMenu) {
  program_ = std::make_unique<qvtest::ChildProcess>((root_.path() / "program" / "quorvane").string(),
                                                    std::vector<std::string>{}, Environment(), root_.path().string(),
                                                    (root_.path() / "program.log").string());
  ASSERT_TRUE(program_->WaitForOutput("Start-up step: message loop", kPatience)) << program_->Output();
  const unsigned long panel = WaitForWindow(kTitle);
  ASSERT_NE(panel, 0u) << program_->Output();
  const RECT g = server_->Geometry(panel);
  // Tools on the menu bar, then its second item, Style Wizard.
  ASSERT_EQ(Click(g.left + 130, g.top + 31), 0);
  ASSERT_EQ(Click(g.left + 135, g.top + 82), 0);
  const unsigned long wizard = WaitForWindow("Style Wizard");
  ASSERT_NE(wizard, 0u) << program_->Output();
  const RECT w = server_->Geometry(wizard);
  ASSERT_EQ(Click(w.left + 200, w.top + 10), 0);  // its title bar
  // A new style (its radio button on the first page); through the five pages
  // with Next (the default button); a name in the box of the last page, and Finish.
  ASSERT_EQ(Click(w.left + 40, w.top + 92), 0);
  ASSERT_EQ(Keys({"Return", "Return", "Return", "Return", "Return"}), 0);
  ASSERT_EQ(Click(w.left + 60, w.top + 103), 0);
  ASSERT_EQ(Xdotool({"type", "--delay", "100", "Evening"}), 0);
  ASSERT_EQ(Click(w.left + 397, w.top + 413), 0);
  EXPECT_TRUE(WaitUntilGone("Style Wizard")) << program_->Output();
  const std::string styles = StyleFile();
  EXPECT_NE(styles.find("Style 3=Evening"), std::string::npos) << styles << program_->Output();
  EXPECT_NE(styles.find("[Evening]"), std::string::npos) << styles;
  EXPECT_NE(styles.find("[Sky]"), std::string::npos) << styles;
  // The program goes on; closing its panel ends it.
  server_->AskToClose(panel);
  EXPECT_EQ(program_->Wait(), 0) << program_->Output();
}

}  // namespace
