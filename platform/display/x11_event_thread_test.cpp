// The X11 display's event thread under a private X server, held at the start
// of a round to play out what a loaded machine does to it: closing the display
// stops it whatever point of its loop it has reached, and input that comes
// while it is late is not lost.
#include <gtest/gtest.h>

#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "display/x11_display.h"
#include "display/xvfb_support.h"
#include "qvplatform.h"
#include "qvplatform/display.h"
#include "display/x11_state.h"

namespace {

using namespace std::chrono_literals;
namespace x11 = qvp::display::x11;

// Generous: the machine may be loaded by sanitizer builds running at once.
constexpr auto kBound = 20s;

enum class Hold { kNone, kUntilStopped, kUntilLetGo };
std::atomic<Hold> g_hold{Hold::kNone};
std::atomic<bool> g_held{false};
std::atomic<bool> g_let_go{false};
std::atomic<int> g_wake_write{-1};

bool Readable(int fd) {
  pollfd p{fd, POLLIN, 0};
  return poll(&p, 1, 0) == 1;
}

// Once armed, holds the event thread at the start of its next round, before it
// has taken its wake-ups or read an event:
// - kUntilStopped: until the closing thread has set the stop flag and written
//   its wake-up byte, the moment at which a loop that read the flag first would
//   take the stop's byte and sleep on (the bytes already there are taken first,
//   as the round would);
// - kUntilLetGo: until the test lets it go.
void HoldRound(x11::Connection& c) {
  const Hold hold = g_hold.exchange(Hold::kNone);
  if (hold == Hold::kNone) return;
  g_wake_write = c.wake_write;
  if (hold == Hold::kUntilStopped) {
    char drain[64];
    while (read(c.wake_read, drain, sizeof drain) > 0) {
    }
  }
  g_held = true;
  const auto until = std::chrono::steady_clock::now() + kBound;
  while (std::chrono::steady_clock::now() < until) {
    if (hold == Hold::kUntilStopped ? c.stop && Readable(c.wake_read) : g_let_go.load()) return;
    std::this_thread::sleep_for(1ms);
  }
}

template <class Done>
bool WaitFor(Done done) {
  const auto until = std::chrono::steady_clock::now() + kBound;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= until) return false;
    std::this_thread::sleep_for(2ms);
  }
  return true;
}

class X11EventThread : public ::testing::Test {
 protected:
  void SetUp() override {
    if (xvfbtest::FindProgram("Xvfb").empty()) {
      if (std::getenv("CI")) FAIL() << "Xvfb is needed: install xvfb";
      GTEST_SKIP() << "xvfb is not installed; the display is not tested";
    }
    server_ = std::make_unique<xvfbtest::Server>();
    ASSERT_TRUE(server_->ok()) << "Xvfb did not start";
    ASSERT_TRUE(qvp::OpenDisplay(server_->name().c_str()));
    g_held = false;
    g_let_go = false;
    x11::SetRoundHookForTests(HoldRound);
  }
  void TearDown() override {
    g_let_go = true;
    x11::SetRoundHookForTests(nullptr);
    g_hold = Hold::kNone;
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
    UnregisterClassA("EventThreadTestFrame", nullptr);
    qvp::CloseDisplay();
    qvp::SetRasterText(false);
    server_.reset();
  }

  // Holds the event thread at the start of its next round (woken for one).
  bool HoldNextRound(Hold how) {
    g_held = false;
    g_hold = how;
    qvp::display::X11WindowChanged(nullptr);
    return WaitFor([] { return g_held.load(); });
  }

  int Xdotool(std::vector<std::string> args) {
    args.insert(args.begin(), "xdotool");
    return xvfbtest::RunPumping(*server_, nullptr, args);
  }

  // The middle of the part of the window that answers `hit`, screen coordinates.
  POINT Where(LRESULT hit) const {
    RECT r;
    GetWindowRect(hwnd_, &r);
    long sx = 0, sy = 0, n = 0;
    for (LONG y = r.top; y < r.top + 40; ++y)
      for (LONG x = r.left; x < r.right; ++x)
        if (SendMessageA(hwnd_, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == hit) {
          sx += x;
          sy += y;
          ++n;
        }
    return n ? POINT{static_cast<LONG>(sx / n), static_cast<LONG>(sy / n)} : POINT{-1, -1};
  }

  std::unique_ptr<xvfbtest::Server> server_;
  HWND hwnd_ = nullptr;
};

TEST_F(X11EventThread, ACloseThatComesAsARoundBeginsStopsTheThread) {
  ASSERT_TRUE(HoldNextRound(Hold::kUntilStopped)) << "the event thread never began a round";
  std::atomic<bool> closed{false};
  std::thread closer([&] {
    qvp::CloseDisplay();
    closed = true;
  });
  const bool in_time = WaitFor([&] { return closed.load(); });
  if (!in_time) {
    // The thread slept through its stop: one more byte lets the test end.
    const char byte = 1;
    EXPECT_EQ(write(g_wake_write, &byte, 1), 1);
  }
  closer.join();
  EXPECT_TRUE(in_time) << "closing the display waited for an event thread that slept through its stop";
  EXPECT_FALSE(qvp::DisplayOpen());
}

// A caption drag ends with the release, and a click on the close box right
// after it closes the window, even when the event thread reads the release
// only after the click has happened.
TEST_F(X11EventThread, AClickRightAfterADragIsNotLostWhileTheThreadIsLate) {
  if (xvfbtest::FindProgram("xdotool").empty()) {
    if (std::getenv("CI")) FAIL() << "xdotool is needed: install xdotool";
    GTEST_SKIP() << "xdotool is not installed";
  }
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "EventThreadTestFrame";
  ASSERT_TRUE(RegisterClassA(&wc));
  hwnd_ = CreateWindowExA(0, "EventThreadTestFrame", "Grab Test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300,
                          200, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(hwnd_);
  unsigned long xid = 0;
  ASSERT_TRUE(xvfbtest::PumpUntil(nullptr, [&] {
    xid = server_->WindowTitled("Grab Test");
    return xid != 0 && server_->Viewable(xid);
  }, 10000));

  // Press on the caption and move until the window follows: the drag is on.
  const POINT caption = Where(HTCAPTION);
  ASSERT_GE(caption.x, 0);
  RECT before;
  GetWindowRect(hwnd_, &before);
  ASSERT_EQ(
      Xdotool({"mousemove", "--sync", std::to_string(caption.x), std::to_string(caption.y), "mousedown", "1"}), 0);
  bool dragging = false;
  for (int step = 1; step <= 20 && !dragging; ++step) {
    const POINT to{caption.x + 3 * step, caption.y + 2 * step};
    ASSERT_EQ(Xdotool({"mousemove", "--sync", std::to_string(to.x), std::to_string(to.y)}), 0);
    dragging = xvfbtest::PumpUntil(nullptr, [&] {
      RECT now;
      return GetWindowRect(hwnd_, &now) && now.left != before.left;
    }, 300);
  }
  if (!dragging) Xdotool({"mouseup", "1"});
  ASSERT_TRUE(dragging) << "the caption drag never began";

  // The release and a click on the close box all happen while the thread is late.
  const POINT close_box = Where(HTCLOSE);
  ASSERT_GE(close_box.x, 0);
  ASSERT_TRUE(HoldNextRound(Hold::kUntilLetGo)) << "the event thread never began a round";
  const int clicked = Xdotool({"mouseup", "1", "mousemove", "--sync", std::to_string(close_box.x),
                               std::to_string(close_box.y), "click", "1"});
  g_let_go = true;
  ASSERT_EQ(clicked, 0);
  EXPECT_TRUE(xvfbtest::PumpUntil(nullptr, [&] { return !IsWindow(hwnd_); }, 10000))
      << "the click on the close box was lost";
}

}  // namespace
