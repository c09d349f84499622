// The Options window on a screen: a user opens it from the Tools menu of the
// built quorvane on a private X server, chooses to run it as a service and
// presses OK; the service takes over and a stop control ends it.
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

class OptionsOnScreen : public ::testing::Test {
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
    for (const char* name : {"quorvane", "libqvplatform.so", "libqv_ui.so", "PRODUCT.RSL", "BASE.RSL", "ctlpack4.dll"})
      fs::copy_file(fs::path(QV_TEST_DIST_DIR) / name, root_.path() / "program" / name);
    root_.write("program/QUORVANE.INI",
                "[Defaults]\r\nAutoDetectLogFiles=1\r\nMainPanelX=40\r\nMainPanelY=30\r\n"
                "MainPanelWidthDlgUnits=420\r\nMainPanelHeightDlgUnits=274\r\nListView=0\r\n");
  }
  void TearDown() override {
    // A service copy left running by a failed run is stopped.
    if (server_ != nullptr) {
      qvp::SetStateDirectory((root_.path() / "home" / "state").string().c_str());
      SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
      if (SC_HANDLE service = manager != nullptr ? OpenServiceA(manager, "Quorvane40", SERVICE_ALL_ACCESS) : nullptr) {
        SERVICE_STATUS status{};
        for (int i = 0; i < kPatience * 10; ++i) {
          if (!QueryServiceStatus(service, &status) || status.dwCurrentState == SERVICE_STOPPED) break;
          if (status.dwCurrentState == SERVICE_RUNNING) ControlService(service, SERVICE_CONTROL_STOP, &status);
          Sleep(100);
        }
        DeleteService(service);
        CloseServiceHandle(service);
      }
      if (manager != nullptr) CloseServiceHandle(manager);
      qvp::SetStateDirectory(nullptr);
      // Whatever did not end on its stop control must not outlive the test.
      EXPECT_EQ(qvtest::KillServiceCopies((root_.path() / "program").string(), kPatience), 0);
    }
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
  unsigned long WaitForWindow(const char* title) {
    unsigned long window = 0;
    for (int i = 0; i < kPatience * 10 && !(window && server_->Viewable(window)); ++i) {
      window = server_->WindowTitled(title);
      Sleep(100);
    }
    return window != 0 && server_->Viewable(window) ? window : 0;
  }

  std::unique_ptr<xvfbtest::Server> server_;
  std::unique_ptr<qvtest::ChildProcess> program_;
  qvtest::TempDir root_{"qvoptions"};
};

TEST_F(OptionsOnScreen, AUserInstallsTheServiceAndItTakesOver) {
  program_ = std::make_unique<qvtest::ChildProcess>((root_.path() / "program" / "quorvane").string(),
                                                    std::vector<std::string>{}, Environment(), root_.path().string(),
                                                    (root_.path() / "program.log").string());
  ASSERT_TRUE(program_->WaitForOutput("Start-up step: message loop", kPatience)) << program_->Output();
  const unsigned long panel = WaitForWindow(kTitle);
  ASSERT_NE(panel, 0u) << program_->Output();
  const RECT g = server_->Geometry(panel);
  // Tools on the menu bar, then its first item, Options.
  ASSERT_EQ(Click(g.left + 130, g.top + 31), 0);
  ASSERT_EQ(Click(g.left + 135, g.top + 63), 0);
  const unsigned long options = WaitForWindow("Options");
  ASSERT_NE(options, 0u) << program_->Output();
  const RECT o = server_->Geometry(options);
  // Into the window (its title bar), to the third page with the keyboard, the
  // service's box by its mnemonic, and OK.
  ASSERT_EQ(Click(o.left + 200, o.top + 30), 0);
  ASSERT_EQ(Xdotool({"key", "--delay", "200", "ctrl+Tab", "ctrl+Tab", "Tab", "space", "Return", "sleep", "0.3"}), 0);
  // The interactive copy ends; the service copy runs in its place.
  EXPECT_EQ(program_->Wait(), 0) << program_->Output();
  const std::string state = (root_.path() / "home" / "state").string();
  qvp::SetStateDirectory(state.c_str());
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  SC_HANDLE service = manager != nullptr ? OpenServiceA(manager, "Quorvane40", SERVICE_ALL_ACCESS) : nullptr;
  ASSERT_NE(service, nullptr) << program_->Output();
  const fs::path log = fs::path(state) / "services" / "Quorvane40.log";
  auto readLog = [&log] {
    std::ifstream in(log);
    std::stringstream read;
    read << in.rdbuf();
    return read.str();
  };
  std::string text;
  for (int i = 0; i < kPatience * 10 && text.find("Start-up step: message loop") == std::string::npos; ++i) {
    text = readLog();
    Sleep(100);
  }
  EXPECT_NE(text.find("Service: started with"), std::string::npos) << text;
  EXPECT_NE(text.find("start-hidden 0"), std::string::npos) << text;
  SERVICE_STATUS status{};
  for (int i = 0; i < kPatience * 10 && status.dwCurrentState != SERVICE_RUNNING; ++i) {
    QueryServiceStatus(service, &status);
    if (status.dwCurrentState != SERVICE_RUNNING) Sleep(100);
  }
  EXPECT_EQ(status.dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
  // A stop control ends the service.
  EXPECT_TRUE(ControlService(service, SERVICE_CONTROL_STOP, &status));
  for (int i = 0; i < kPatience * 10 && status.dwCurrentState != SERVICE_STOPPED; ++i) {
    Sleep(100);
    QueryServiceStatus(service, &status);
  }
  text = readLog();
  EXPECT_EQ(status.dwCurrentState, static_cast<DWORD>(SERVICE_STOPPED)) << text;
  EXPECT_EQ(status.dwWin32ExitCode, 0u) << text;
  EXPECT_NE(text.find("Start-up step: shutdown: product library"), std::string::npos) << text;
  CloseServiceHandle(service);
  CloseServiceHandle(manager);
  qvp::SetStateDirectory(nullptr);
}

}  // namespace
