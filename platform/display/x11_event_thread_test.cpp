// The X11 display's event thread under a private X server: closing the display
// stops it whatever point of its loop it has reached.
#include <gtest/gtest.h>

#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

#include "display/x11_display.h"
#include "display/xvfb_support.h"
#include "qvplatform.h"
#include "display/x11_state.h"

namespace {

using namespace std::chrono_literals;
namespace x11 = qvp::display::x11;

// Generous: the machine may be loaded by sanitizer builds running at once.
constexpr auto kBound = 20s;

std::atomic<bool> g_armed{false};
std::atomic<bool> g_entered{false};
std::atomic<int> g_wake_write{-1};

bool Readable(int fd) {
  pollfd p{fd, POLLIN, 0};
  return poll(&p, 1, 0) == 1;
}

// Once armed, holds the event thread at the start of its next round until the
// closing thread has set the stop flag and written its wake-up byte: the
// moment at which a loop that read the flag first would take the stop's byte
// and sleep on. The bytes already there are taken first, as the round would.
void HoldUntilStopped(x11::Connection& c) {
  if (!g_armed.exchange(false)) return;
  g_wake_write = c.wake_write;
  char drain[64];
  while (read(c.wake_read, drain, sizeof drain) > 0) {
  }
  g_entered = true;
  const auto until = std::chrono::steady_clock::now() + kBound;
  while (std::chrono::steady_clock::now() < until) {
    if (c.stop && Readable(c.wake_read)) return;
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

TEST(X11EventThread, ACloseThatComesAsARoundBeginsStopsTheThread) {
  if (xvfbtest::FindProgram("Xvfb").empty()) {
    if (std::getenv("CI")) FAIL() << "Xvfb is needed: install xvfb";
    GTEST_SKIP() << "xvfb is not installed; the display is not tested";
  }
  xvfbtest::Server server;
  ASSERT_TRUE(server.ok()) << "Xvfb did not start";
  ASSERT_TRUE(qvp::display::OpenX11(server.name().c_str()));
  x11::SetRoundHookForTests(HoldUntilStopped);
  g_entered = false;
  g_armed = true;
  qvp::display::X11WindowChanged(nullptr);  // wakes the thread for a round
  ASSERT_TRUE(WaitFor([] { return g_entered.load(); })) << "the event thread never began a round";

  std::atomic<bool> closed{false};
  std::thread closer([&] {
    qvp::display::CloseX11();
    closed = true;
  });
  const bool in_time = WaitFor([&] { return closed.load(); });
  if (!in_time) {
    // The thread slept through its stop: one more byte lets the test end.
    const char byte = 1;
    EXPECT_EQ(write(g_wake_write, &byte, 1), 1);
  }
  closer.join();
  x11::SetRoundHookForTests(nullptr);
  EXPECT_TRUE(in_time) << "closing the display waited for an event thread that slept through its stop";
  EXPECT_FALSE(qvp::display::X11IsOpen());
}

}  // namespace
