// Printing a report on a screen: a user of the built quorvane on a private X
// server opens a text report from the panel's File menu, prints it from the
// report viewer with the print dialog's "PDF File" printer, and finds the PDF.
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <memory>
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
constexpr char kPanelTitle[] = "Profile Manager - Quorvane 4.0";

std::string Output(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  pclose(pipe);
  return out;
}

class ReportPrintOnScreen : public ::testing::Test {
 protected:
  void SetUp() override {
    if (xvfbtest::FindProgram("Xvfb").empty() || xvfbtest::FindProgram("xdotool").empty() ||
        xvfbtest::FindProgram("pdftotext").empty()) {
      if (std::getenv("CI")) FAIL() << "Xvfb, xdotool and pdftotext are needed";
      GTEST_SKIP() << "xvfb, xdotool or poppler-utils is not installed; the program is not shown";
    }
    if (!qvp::RasterTextAvailable()) {
      if (std::getenv("CI")) FAIL() << "no fonts: install fonts-liberation2 and fonts-dejavu-core";
      GTEST_SKIP() << "fonts-liberation2 is not installed";
    }
    server_ = std::make_unique<xvfbtest::Server>();
    ASSERT_TRUE(server_->ok()) << "Xvfb did not start";
    for (const char* dir : {"program/REPORTS", "home", "pdf"}) fs::create_directories(root_.path() / dir);
    for (const char* name : {"quorvane", "libqvplatform.so", "libqv_ui.so", "PRODUCT.RSL", "BASE.RSL", "ctlpack4.dll"})
      fs::copy_file(fs::path(QV_TEST_DIST_DIR) / name, root_.path() / "program" / name);
    root_.write("program/QUORVANE.INI",
                "[Defaults]\r\nAutoDetectLogFiles=1\r\nMainPanelX=40\r\nMainPanelY=30\r\n"
                "MainPanelWidthDlgUnits=420\r\nMainPanelHeightDlgUnits=274\r\nListView=0\r\n");
    std::string report;
    for (int i = 1; i <= 12; ++i) report += "Weekly uptime line " + std::to_string(i) + "\r\n";
    root_.write("program/REPORTS/weekly.txt", report);
  }
  void TearDown() override {
    program_.reset();
    server_.reset();
  }
  int Xdotool(std::vector<std::string> args) {
    args.insert(args.begin(), "xdotool");
    pid_t pid = server_->Spawn(args);
    int status = -1;
    if (pid <= 0 || waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  // Waits for a window; with `click`, clicks its title bar so that the keys go to it.
  unsigned long Focus(const char* title, bool click = true) {
    unsigned long window = 0;
    for (int i = 0; i < kPatience * 10 && !(window && server_->Viewable(window)); ++i) {
      window = server_->WindowTitled(title);
      Sleep(100);
    }
    if (window == 0 || !server_->Viewable(window)) return 0;
    if (!click) return window;
    const RECT r = server_->Geometry(window);
    Xdotool({"mousemove", "--sync", std::to_string((r.left + r.right) / 2), std::to_string(r.top + 8), "click", "1",
             "sleep", "0.3"});
    return window;
  }
  int Click(int x, int y) {
    return Xdotool({"mousemove", "--sync", std::to_string(x), std::to_string(y), "click", "1", "sleep", "0.5"});
  }
  int Keys(std::vector<std::string> keys) {
    keys.insert(keys.begin(), {"key", "--delay", "150"});
    keys.insert(keys.end(), {"sleep", "0.5"});
    return Xdotool(keys);
  }

  std::unique_ptr<xvfbtest::Server> server_;
  std::unique_ptr<qvtest::ChildProcess> program_;
  qvtest::TempDir root_{"qvreportprint"};
};

TEST_F(ReportPrintOnScreen, AUserOpensAReportAndPrintsItToAPdfFile) {
  const std::string home = (root_.path() / "home").string();
  // CUPS_SERVER names a loopback port nobody listens on: no spooler, only the file printer.
  program_ = std::make_unique<qvtest::ChildProcess>(
      (root_.path() / "program" / "quorvane").string(), std::vector<std::string>{},
      std::vector<std::string>{"HOME=" + home, "QV_STATE_DIR=" + home + "/state", "QV_DEBUG=1",
                               "DISPLAY=" + server_->name(), "QV_REGISTRY=" + home + "/registry",
                               "QV_WINDOWS_DIR=" + home + "/windows", "QV_TEST=", "QV_HEADLESS=",
                               "QV_PRINT_DIR=" + (root_.path() / "pdf").string(), "CUPS_SERVER=127.0.0.1:1"},
      root_.path().string(), (root_.path() / "program.log").string());
  const unsigned long panel = Focus(kPanelTitle, false);
  ASSERT_NE(panel, 0u) << program_->Output();
  // File on the menu bar, then its eighth item, Open Report..., below two separators.
  const RECT g = server_->Geometry(panel);
  ASSERT_EQ(Click(g.left + 20, g.top + 31), 0);
  ASSERT_EQ(Click(g.left + 40, g.top + 205), 0);
  ASSERT_NE(Focus("Open Report"), 0u) << program_->Output();
  ASSERT_EQ(Xdotool({"type", "--delay", "60", "weekly.txt"}), 0);
  ASSERT_EQ(Keys({"Return"}), 0);
  ASSERT_NE(Focus("weekly.txt"), 0u) << program_->Output();
  // Print... in the viewer, then OK in the print dialog on its only printer.
  ASSERT_EQ(Keys({"alt+p"}), 0);
  ASSERT_NE(Focus("Print"), 0u) << program_->Output();
  ASSERT_EQ(Keys({"Return"}), 0);

  const fs::path pdf = root_.path() / "pdf" / "Quorvane(tm) Report 1.pdf";
  for (int i = 0; i < kPatience * 10 && !fs::exists(pdf); ++i) Sleep(100);
  ASSERT_TRUE(fs::exists(pdf)) << program_->Output().substr(0, 4000);
  // The file is whole once the viewer is back: pdftotext reads every line.
  std::string text;
  for (int i = 0; i < kPatience * 10 && text.find("line 12") == std::string::npos; ++i) {
    text = Output("pdftotext '" + pdf.string() + "' - 2>/dev/null");
    if (text.find("line 12") == std::string::npos) Sleep(100);
  }
  for (int i = 1; i <= 12; ++i)
    EXPECT_NE(text.find("Weekly uptime line " + std::to_string(i) + "\n"), std::string::npos) << i << "\n" << text;
  // The viewer and the panel close as a user closes them.
  Focus("weekly.txt");
  Keys({"Escape"});
  Focus(kPanelTitle);
  Keys({"alt+F4"});
}

}  // namespace
