// The built program on a private X server, for the tests that steer it.
#include "screen_session.h"

#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "qvplatform.h"

#include <X11/Xlib.h>

namespace fs = std::filesystem;

namespace qvtest {

namespace {

// The program and what every start of it loads.
const char* const kProgramFiles[] = {"quorvane", "libqvplatform.so", "libqv_ui.so",
                                     "PRODUCT.RSL", "BASE.RSL",         "ctlpack4.dll"};

// No log-file question; the panel at a known place in its template's size.
constexpr char kSettings[] =
    "[Defaults]\r\nAutoDetectLogFiles=1\r\nMainPanelX=40\r\nMainPanelY=30\r\n"
    "MainPanelWidthDlgUnits=420\r\nMainPanelHeightDlgUnits=274\r\nListView=0\r\n";

std::string NameOf(const std::string& entry) { return entry.substr(0, entry.find('=') + 1); }

// The program's windows come and go while the test looks at the screen: a
// window gone between listing the windows and asking about one is no fault of
// the test. Any other error goes to Xlib's own handler, which ends the test.
XErrorHandler xlibHandler = nullptr;
int IgnoreVanishedWindows(::Display* display, XErrorEvent* error) {
  if (error->error_code == BadWindow || error->error_code == BadDrawable) return 0;
  return xlibHandler != nullptr ? xlibHandler(display, error) : 0;
}

}  // namespace

ScreenTest::ScreenTest(ScreenNeeds needs) : root_(needs.folder), needs_(std::move(needs)) {}

void ScreenTest::SetUp() {
  std::vector<std::pair<std::string, std::string>> tools{{"Xvfb", "xvfb"}, {"xdotool", "xdotool"}};
  tools.insert(tools.end(), needs_.tools.begin(), needs_.tools.end());
  std::string missing, packages;
  for (const auto& [tool, package] : tools) {
    const bool present = tool.front() == '/' ? fs::exists(tool) : !xvfbtest::FindProgram(tool).empty();
    if (!present) {
      missing += " " + tool;
      packages += " " + package;
    }
  }
  if (!missing.empty()) {
    if (std::getenv("CI")) FAIL() << "needed but missing:" << missing << "; install" << packages;
    GTEST_SKIP() << "missing:" << missing << "; the program is not shown";
  }
  if (!qvp::RasterTextAvailable()) {
    if (std::getenv("CI")) FAIL() << "no fonts: install fonts-liberation2 and fonts-dejavu-core";
    GTEST_SKIP() << "fonts-liberation2 is not installed";
  }
  static std::once_flag handlerSet;
  std::call_once(handlerSet, [] { xlibHandler = XSetErrorHandler(IgnoreVanishedWindows); });
  server_ = std::make_unique<xvfbtest::Server>();
  ASSERT_TRUE(server_->ok()) << "Xvfb did not start";
  fs::create_directories(Path("program"));
  fs::create_directories(Path("home"));
  for (const std::string& folder : needs_.folders) fs::create_directories(Path(folder));
  Install({std::begin(kProgramFiles), std::end(kProgramFiles)});
  Install(needs_.modules);
  root_.write("program/QUORVANE.INI", kSettings);
  Prepare();
}

void ScreenTest::TearDown() {
  program_.reset();
  server_.reset();
}

void ScreenTest::Install(const std::vector<std::string>& modules) const {
  // Copied, not linked: the program finds its directory from its own file.
  for (const std::string& module : modules) {
    const fs::path from = fs::path(QV_TEST_DIST_DIR) / module;  // a full path stays as it is
    fs::copy(from, Path("program") / from.filename(), fs::copy_options::recursive);
  }
}

std::vector<std::string> ScreenTest::Environment(const std::vector<std::string>& more) const {
  const std::string home = Path("home").string();
  std::vector<std::string> environment{"HOME=" + home,
                                       "QV_STATE_DIR=" + home + "/state",
                                       "QV_DEBUG=1",
                                       "DISPLAY=" + server_->name(),
                                       "QV_REGISTRY=" + home + "/registry",
                                       "QV_WINDOWS_DIR=" + home + "/windows",
                                       "QV_TEST=",
                                       "QV_HEADLESS=",
                                       "QV_SNAPSHOT_DIR="};
  for (const std::string& entry : more) {
    std::erase_if(environment, [&](const std::string& mine) { return NameOf(mine) == NameOf(entry); });
    environment.push_back(entry);
  }
  return environment;
}

void ScreenTest::Start(const std::vector<std::string>& more) {
  program_ = std::make_unique<ChildProcess>(Path("program/quorvane").string(), std::vector<std::string>{},
                                            Environment(more), root_.path().string(), Path("program.log").string());
}

unsigned long ScreenTest::StartToPanel(const std::vector<std::string>& more) {
  Start(more);
  return WaitForPanel();
}

int ScreenTest::Xdotool(std::vector<std::string> args) const {
  args.insert(args.begin(), "xdotool");
  const pid_t pid = server_->Spawn(args);
  int status = -1;
  if (pid <= 0 || waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int ScreenTest::Click(int x, int y, const char* settle) const {
  return Xdotool({"mousemove", "--sync", std::to_string(x), std::to_string(y), "click", "1", "sleep", settle});
}

int ScreenTest::PickMenuItem(unsigned long panel, int menuX, int itemX, int itemY, const char* settle) const {
  const RECT g = server_->Geometry(panel);
  const int menu = Click(g.left + menuX, g.top + 31, settle);
  return menu != 0 ? menu : Click(g.left + itemX, g.top + itemY, settle);
}

unsigned long ScreenTest::OpenFromMenu(unsigned long panel, int menuX, int itemX, int itemY,
                                       const std::string& title, const char* settle) const {
  return PickMenuItem(panel, menuX, itemX, itemY, settle) == 0 ? WaitForWindow(title) : 0;
}

int ScreenTest::Type(const std::string& text, int delayMs) const {
  // Everything after "type" is typed: the pause is a command of its own.
  const int typed = Xdotool({"type", "--delay", std::to_string(delayMs), text});
  Xdotool({"sleep", "0.3"});
  return typed;
}

int ScreenTest::Keys(std::vector<std::string> keys, int delayMs, const char* settle) const {
  keys.insert(keys.begin(), {"key", "--delay", std::to_string(delayMs)});
  keys.insert(keys.end(), {"sleep", settle});
  return Xdotool(keys);
}

bool ScreenTest::Eventually(const std::function<bool()>& done) const {
  for (int i = 0; i < kPatience * 10; ++i) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return done();
}

unsigned long ScreenTest::WaitForWindow(const std::string& title) const {
  unsigned long window = 0;
  const bool shown = Eventually([&] {
    window = server_->WindowTitled(title);
    return window != 0 && server_->Viewable(window);
  });
  return shown ? window : 0;
}

unsigned long ScreenTest::Focus(const std::string& title) const {
  const unsigned long window = WaitForWindow(title);
  if (window == 0) return 0;
  const RECT r = server_->Geometry(window);
  Click((r.left + r.right) / 2, r.top + 8);
  return window;
}

unsigned long ScreenTest::WaitForPanel() const {
  return program_->WaitForOutput("Start-up step: message loop", kPatience) ? WaitForWindow(kPanelTitle) : 0;
}

bool ScreenTest::WaitUntilClosed(const std::string& title) const {
  return Eventually([&] {
    const unsigned long window = server_->WindowTitled(title);
    return window == 0 || !server_->Viewable(window);
  });
}

bool ScreenTest::WaitForFile(const fs::path& path) const {
  return Eventually([&] { return fs::exists(path); });
}

std::string SettingIn(const std::string& text, const std::string& section, const std::string& key) {
  for (const std::string& line : SectionLines(text, section)) {
    if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
  }
  return "<absent>";
}

}  // namespace qvtest
