// Menus and message boxes on a private X server: the menu bar drops down under
// xdotool's click, an item clicked or chosen with the keys reaches the window as
// WM_COMMAND, a click elsewhere or Escape dismisses the menu; a message box
// shows its text and answers the button the user pressed.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "display/xvfb_support.h"
#include "qvplatform.h"
#include "qvplatform/display.h"
#include "ui/nonclient.h"

namespace {

enum : UINT { kTick = 99, kOpen = 101, kExit = 102, kLarge = 201, kSmall = 202, kDeep = 301 };

std::vector<UINT>* g_commands = nullptr;
std::vector<HMENU>* g_popups = nullptr;

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COMMAND && g_commands) g_commands->push_back(LOWORD(wp));
  if (msg == WM_INITMENUPOPUP && g_popups) g_popups->push_back(reinterpret_cast<HMENU>(wp));
  return DefWindowProcA(hwnd, msg, wp, lp);
}

HMENU ViewMenu() {
  HMENU view = CreatePopupMenu();
  AppendMenuA(view, MF_STRING | MF_CHECKED, kLarge, "&Large");
  AppendMenuA(view, MF_STRING | MF_GRAYED, kSmall, "&Small");
  HMENU more = CreatePopupMenu();
  AppendMenuA(more, MF_STRING, kDeep, "&Deep");
  AppendMenuA(view, MF_POPUP, reinterpret_cast<UINT_PTR>(more), "&More");
  return view;
}

class X11Menu : public ::testing::Test {
 protected:
  void SetUp() override {
    const bool have = !xvfbtest::FindProgram("Xvfb").empty() && !xvfbtest::FindProgram("xdotool").empty();
    if (!have) {
      if (std::getenv("CI")) FAIL() << "Xvfb and xdotool are needed: install xvfb and xdotool";
      GTEST_SKIP() << "xvfb or xdotool is not installed; the display is not tested";
    }
    if (!qvp::RasterTextAvailable()) {
      if (std::getenv("CI")) FAIL() << "no fonts: install fonts-liberation2 and fonts-dejavu-core";
      GTEST_SKIP() << "fonts-liberation2 is not installed";
    }
    server_ = std::make_unique<xvfbtest::Server>();
    ASSERT_TRUE(server_->ok()) << "Xvfb did not start";
    ASSERT_TRUE(qvp::OpenDisplay(server_->name().c_str()));
    g_commands = &commands_;
    g_popups = &popups_;

    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    wc.lpszClassName = "MenuTestWindow";
    RegisterClassA(&wc);
    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, kOpen, "&Open\tCtrl+O");
    AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(file, MF_STRING, kExit, "E&xit");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(ViewMenu()), "&View");
    window_ = CreateWindowExA(0, "MenuTestWindow", "Menu Test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 320, 200,
                              nullptr, bar, nullptr, nullptr);
    ASSERT_TRUE(window_);
    SetForegroundWindow(window_);
    // Keeps every modal loop turning, so that the idle hooks below run again.
    SetTimer(window_, kTick, 50, nullptr);
    ASSERT_TRUE(xvfbtest::PumpUntil(nullptr, [&] { return server_->PixelAt(60, 46) == RGB(0, 0, 128); }, 10000));
  }
  void TearDown() override {
    qvp::SetModalIdleHook({});
    for (pid_t pid : spawned_) waitpid(pid, nullptr, 0);
    if (window_ && IsWindow(window_)) DestroyWindow(window_);
    UnregisterClassA("MenuTestWindow", nullptr);
    qvp::CloseDisplay();
    qvp::SetRasterText(false);
    g_commands = nullptr;
    g_popups = nullptr;
    server_.reset();
  }

  // Runs xdotool without waiting for it: the menu loop keeps the messages going.
  void Xdotool(std::vector<std::string> args) {
    args.insert(args.begin(), "xdotool");
    pid_t pid = server_->Spawn(args);
    ASSERT_GT(pid, 0);
    spawned_.push_back(pid);
  }
  static std::vector<std::string> ClickArgs(POINT p) {
    return {"mousemove", "--sync", std::to_string(p.x), std::to_string(p.y), "click", "1"};
  }
  // A step that never comes must fail the test, not hang it: after a while
  // whatever is up is dismissed as Esc and the buttons would.
  bool GaveUp() {
    if (GetTickCount64() - hook_set_ < 15000) return false;
    for (HWND w = FindWindowA("#32768", nullptr); w; w = FindWindowExA(nullptr, w, "#32768", nullptr))
      PostMessageA(window_, WM_KEYDOWN, VK_ESCAPE, 0);
    for (HWND w = GetWindow(GetDesktopWindow(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
      if (w == window_ || GetWindow(w, GW_OWNER) != window_) continue;
      for (int id : {IDCANCEL, IDNO, IDOK}) PostMessageA(w, WM_COMMAND, static_cast<WPARAM>(id), 0);
    }
    return true;
  }
  void SetHook(std::function<void()> hook) {
    hook_set_ = GetTickCount64();
    qvp::SetModalIdleHook([this, hook] {
      if (!GaveUp()) hook();
    });
  }
  // Once a menu window is up (`depth` of them), runs `then` from inside the menu loop.
  void WhenMenuShown(size_t depth, std::function<void(const std::vector<RECT>&)> then) {
    SetHook([this, depth, then] {
      std::vector<RECT> shown;
      for (HWND w = FindWindowA("#32768", nullptr); w; w = FindWindowExA(nullptr, w, "#32768", nullptr)) {
        RECT r;
        if (IsWindowVisible(w) && GetWindowRect(w, &r)) shown.push_back(r);
      }
      if (shown.size() < depth || acted_) return;
      acted_ = true;
      then(shown);
    });
  }
  POINT BarItem(int pos) {
    for (const auto& it : qvp::ui::MenuBarItems(window_))
      if (it.pos == pos) return POINT{(it.rect.left + it.rect.right) / 2, (it.rect.top + it.rect.bottom) / 2};
    ADD_FAILURE() << "no bar item " << pos;
    return POINT{};
  }
  bool Commanded(UINT id) const { return std::find(commands_.begin(), commands_.end(), id) != commands_.end(); }
  static bool MenusGone() { return FindWindowA("#32768", nullptr) == nullptr; }

  std::unique_ptr<xvfbtest::Server> server_;
  HWND window_ = nullptr;
  std::vector<UINT> commands_;
  std::vector<HMENU> popups_;
  std::vector<pid_t> spawned_;
  bool acted_ = false;
  ULONGLONG hook_set_ = 0;
};

TEST_F(X11Menu, TheMenuBarDropsDownAndAClickedItemIsTheCommand) {
  // The first item of the drop-down lies just under its top edge.
  WhenMenuShown(1, [this](const std::vector<RECT>& shown) {
    Xdotool(ClickArgs(POINT{shown[0].left + 30, shown[0].top + 10}));
  });
  Xdotool(ClickArgs(BarItem(0)));
  EXPECT_TRUE(xvfbtest::PumpUntil(nullptr, [&] { return Commanded(kOpen); }, 10000));
  EXPECT_TRUE(MenusGone());
  EXPECT_FALSE(popups_.empty());  // the window could prepare the drop-down
}

TEST_F(X11Menu, KeysWalkIntoASubMenuAndPickFromIt) {
  // View drops down with nothing highlighted; Down to Large, Down to Small
  // (grey, but it can be highlighted), Down to More, Right opens it with Deep
  // highlighted, Return picks it.
  WhenMenuShown(1, [this](const std::vector<RECT>&) {
    Xdotool({"key", "--delay", "60", "Down", "Down", "Down", "Right", "Return"});
  });
  Xdotool(ClickArgs(BarItem(1)));
  EXPECT_TRUE(xvfbtest::PumpUntil(nullptr, [&] { return Commanded(kDeep); }, 10000));
  EXPECT_FALSE(Commanded(kSmall));
  EXPECT_TRUE(MenusGone());
}

TEST_F(X11Menu, APopUpMenuIsDismissedByAClickElsewhereAndByEscape) {
  HMENU view = ViewMenu();
  WhenMenuShown(1, [this](const std::vector<RECT>&) { Xdotool(ClickArgs(POINT{300, 220})); });
  EXPECT_EQ(TrackPopupMenu(view, TPM_RETURNCMD, 100, 100, 0, window_, nullptr), 0);
  EXPECT_TRUE(MenusGone());

  acted_ = false;
  WhenMenuShown(1, [this](const std::vector<RECT>&) { Xdotool({"key", "Escape"}); });
  EXPECT_EQ(TrackPopupMenu(view, TPM_RETURNCMD, 100, 100, 0, window_, nullptr), 0);

  // A grey item clicked does nothing; the menu stays until an item is taken.
  acted_ = false;
  WhenMenuShown(1, [this](const std::vector<RECT>& shown) {
    const int x = shown[0].left + 30, top = shown[0].top;
    Xdotool({"mousemove", "--sync", std::to_string(x), std::to_string(top + 10 + 17), "click", "1", "sleep", "0.2",
             "mousemove", "--sync", std::to_string(x), std::to_string(top + 10), "click", "1"});
  });
  EXPECT_EQ(TrackPopupMenu(view, TPM_RETURNCMD, 100, 100, 0, window_, nullptr), static_cast<BOOL>(kLarge));
  DestroyMenu(view);
  EXPECT_TRUE(commands_.empty());  // TPM_RETURNCMD posts nothing
}

TEST_F(X11Menu, AMessageBoxShowsItsTextAndAnswersThePressedButton) {
  HWND box = nullptr;
  const auto when_box_shown = [&](std::function<void()> then) {
    acted_ = false;
    SetHook([&, then] {
      box = FindWindowA(nullptr, "Question");
      if (!box || !IsWindowVisible(box) || acted_) return;
      acted_ = true;
      then();
    });
  };
  when_box_shown([&] {
    RECT r;
    GetWindowRect(GetDlgItem(box, IDNO), &r);
    Xdotool(ClickArgs(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}));
  });
  EXPECT_EQ(MessageBoxA(window_, "Keep the changes you made?", "Question", MB_YESNO | MB_ICONQUESTION), IDNO);
  EXPECT_FALSE(IsWindow(box));
  EXPECT_TRUE(IsWindowEnabled(window_));

  // Esc on a Yes/No box does nothing; Enter presses the default button.
  when_box_shown([&] { Xdotool({"key", "--delay", "80", "Escape", "Return"}); });
  EXPECT_EQ(MessageBoxA(window_, "Keep the changes you made?", "Question", MB_YESNO | MB_DEFBUTTON2), IDNO);
  // Esc answers OK on an OK-only box.
  when_box_shown([&] { Xdotool({"key", "Escape"}); });
  EXPECT_EQ(MessageBoxA(window_, "Done.", "Question", MB_OK), IDOK);
}

}  // namespace
