// Control events: a signal reaches the newest handler on the layer's thread,
// falls through to older handlers, and removing the last handler gives the
// signals back.
#include <signal.h>

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "qvplatform.h"

namespace {

std::mutex g_lock;
std::condition_variable g_changed;
std::vector<std::pair<char, DWORD>> g_calls;
std::thread::id g_thread;

void Record(char who, DWORD event) {
  std::lock_guard<std::mutex> g(g_lock);
  g_calls.emplace_back(who, event);
  g_thread = std::this_thread::get_id();
  g_changed.notify_all();
}

BOOL WINAPI Declines(DWORD event) {
  Record('d', event);
  return FALSE;
}
BOOL WINAPI Takes(DWORD event) {
  Record('t', event);
  return TRUE;
}

std::vector<std::pair<char, DWORD>> WaitForCalls(size_t count) {
  std::unique_lock<std::mutex> g(g_lock);
  g_changed.wait(g, [&] { return g_calls.size() >= count; });
  return std::exchange(g_calls, {});
}

TEST(ConsoleCtrl, SignalsReachHandlersNewestFirstOnAnotherThread) {
  ASSERT_TRUE(SetConsoleCtrlHandler(Takes, TRUE));
  ASSERT_TRUE(SetConsoleCtrlHandler(Declines, TRUE));

  raise(SIGTERM);
  auto calls = WaitForCalls(2);
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0], std::make_pair('d', DWORD{CTRL_SHUTDOWN_EVENT}));
  EXPECT_EQ(calls[1], std::make_pair('t', DWORD{CTRL_SHUTDOWN_EVENT}));
  EXPECT_NE(g_thread, std::this_thread::get_id());

  raise(SIGINT);
  calls = WaitForCalls(2);
  EXPECT_EQ(calls[1], std::make_pair('t', DWORD{CTRL_C_EVENT}));
  raise(SIGHUP);
  calls = WaitForCalls(2);
  EXPECT_EQ(calls[1], std::make_pair('t', DWORD{CTRL_CLOSE_EVENT}));

  ASSERT_TRUE(SetConsoleCtrlHandler(Declines, FALSE));
  EXPECT_FALSE(SetConsoleCtrlHandler(Declines, FALSE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  ASSERT_TRUE(SetConsoleCtrlHandler(Takes, FALSE));

  struct sigaction now = {};
  sigaction(SIGTERM, nullptr, &now);
  EXPECT_EQ(now.sa_handler, SIG_DFL);
}

TEST(ConsoleCtrl, NullRoutineIsRefused) {
  EXPECT_FALSE(SetConsoleCtrlHandler(nullptr, TRUE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
