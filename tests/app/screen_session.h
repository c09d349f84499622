// Tests only: the built program on a private X server, steered as a user
// steers it. The fixture starts Xvfb, makes a test folder with the program's
// directory (the built modules copied into it and settings that ask nothing
// at the start), starts the program there as a child process and offers
// xdotool's clicks and keys and waits for windows and files.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "child_process.h"
#include "display/xvfb_support.h"
#include "test_files.h"

namespace qvtest {

// The monitoring plug-in and the status-log library it loads.
inline const std::vector<std::string> kMonitoringPlugIn{"qvm_alrt.dll", "libqv_logstat.so"};

// What one screen test needs beyond the program, Xvfb, xdotool and fonts.
struct ScreenNeeds {
  std::string folder = "qvscreen";  // the test folder's name starts so
  // More built files or folders copied into the program directory: a name in
  // the built distribution, or a full path.
  std::vector<std::string> modules = {};
  // Folders made in the test folder ("snapshots" for pictured dialogs).
  std::vector<std::string> folders = {};
  // More that this machine must have: a program on PATH or a full file path,
  // each with the Debian package that brings it.
  std::vector<std::pair<std::string, std::string>> tools = {};
};

class ScreenTest : public ::testing::Test {
 protected:
  static constexpr int kPatience = 60;  // seconds; a guard against a hung program
  static constexpr char kPanelTitle[] = "Profile Manager - Quorvane 4.0";

  explicit ScreenTest(ScreenNeeds needs);

  // Fails under CI and skips elsewhere when something needed is missing;
  // otherwise starts the server, makes the folders and calls Prepare().
  void SetUp() override;
  // Ends the program (a kill when it still runs), then the server.
  void TearDown() override;
  // What a test adds to its folder before the program starts.
  virtual void Prepare() {}

  // The program's environment: its home, state, registry and Windows folders
  // in the test folder, debug output on, this server's display, and no
  // snapshots; an entry of `more` replaces the one of the same name.
  std::vector<std::string> Environment(const std::vector<std::string>& more = {}) const;
  // Pictures dialogs into the folder "snapshots" as they first show.
  std::string Snapshots() const { return "QV_SNAPSHOT_DIR=" + Path("snapshots").string(); }
  void Start(const std::vector<std::string>& more = {});
  // Starts the program and waits for its panel (WaitForPanel).
  unsigned long StartToPanel(const std::vector<std::string>& more = {});

  std::filesystem::path Path(const std::string& relative) const { return root_.path() / relative; }
  // Copies built modules into the program directory (names as ScreenNeeds::modules).
  void Install(const std::vector<std::string>& modules) const;
  std::string ReadProgramFile(const std::string& name) const { return root_.read("program/" + name); }

  // ---- A user's hands: xdotool on this server; each returns its exit code ----
  int Xdotool(std::vector<std::string> args) const;
  // `settle`: seconds xdotool waits after the click, for the program to take it.
  int Click(int x, int y, const char* settle = "0.3") const;
  // Types text, then waits 0.3 s.
  int Type(const std::string& text, int delayMs = 40) const;
  // Presses keys `delayMs` apart (xdotool's own pace by default), then waits `settle` seconds.
  int Keys(std::vector<std::string> keys, int delayMs = 12, const char* settle = "0.5") const;
  int Key(const std::string& key) const { return Keys({key}); }
  // A pick on the panel's menu bar: the menu at `menuX` on the bar, then the
  // item at (`itemX`, `itemY`) of the menu that drops down, from the panel's corner.
  int PickMenuItem(unsigned long panel, int menuX, int itemX, int itemY, const char* settle = "0.3") const;
  // The window titled `title` that such a pick opens, once it shows; 0 when it never does.
  unsigned long OpenFromMenu(unsigned long panel, int menuX, int itemX, int itemY, const std::string& title,
                             const char* settle = "0.3") const;

  // ---- Waits, each at most kPatience ----
  // Asks `done` every tenth of a second; whether it came true.
  bool Eventually(const std::function<bool()>& done) const;
  // The X window with this title once it shows; 0 when it never does.
  unsigned long WaitForWindow(const std::string& title) const;
  // The same, with a click on its title bar so that the keys go to it.
  unsigned long Focus(const std::string& title) const;
  // The panel once the program has reached its message loop and shows it.
  unsigned long WaitForPanel() const;
  // Until no window with this title shows.
  bool WaitUntilClosed(const std::string& title) const;
  bool WaitForFile(const std::filesystem::path& path) const;

  std::unique_ptr<xvfbtest::Server> server_;
  std::unique_ptr<ChildProcess> program_;
  TempDir root_;

 private:
  ScreenNeeds needs_;
};

// The value of `key` in `section` of a settings file's text; "<absent>"
// when it has none.
std::string SettingIn(const std::string& text, const std::string& section, const std::string& key);

}  // namespace qvtest
