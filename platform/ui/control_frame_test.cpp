#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <stdexcept>

#include "qvplatform.h"
#include "ui/control_frame.h"

namespace {

using qvp::ui::RunControlProc;
using qvp::ui::StateTable;

constexpr UINT kThrowBadAlloc = WM_USER + 1;
constexpr UINT kThrowOther = WM_USER + 2;
constexpr UINT kCount = WM_USER + 3;
constexpr UINT kDestroySelf = WM_USER + 4;

struct Probe {
  int handled = 0;
  int* destroyed = nullptr;
};

int g_destroyed = 0;
bool g_fail_make = false;

StateTable<Probe>& Probes() {
  static auto* t = new StateTable<Probe>;
  return *t;
}

LRESULT ProbeDispatch(Probe& p, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case kThrowBadAlloc:
      throw std::bad_alloc();
    case kThrowOther:
      throw 42;
    case kCount:
      return ++p.handled;
    case kDestroySelf:
      DestroyWindow(hwnd);
      // The record outlives the window while this message is handled.
      return ++p.handled;
    default:
      return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

LRESULT CALLBACK ProbeProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return RunControlProc(
      Probes(), hwnd, msg, wp, lp,
      [](HWND, LPARAM) {
        if (g_fail_make) throw std::bad_alloc();
        auto p = std::make_shared<Probe>();
        p->destroyed = &g_destroyed;
        return p;
      },
      ProbeDispatch, [](Probe& p) { ++*p.destroyed; });
}

class ControlFrame : public ::testing::Test {
 protected:
  void SetUp() override {
    static const ATOM atom = [] {
      WNDCLASSA wc{};
      wc.lpfnWndProc = ProbeProc;
      wc.lpszClassName = "FrameProbe";
      return RegisterClassA(&wc);
    }();
    ASSERT_NE(atom, 0);
    g_destroyed = 0;
    g_fail_make = false;
  }
  static HWND Make() {
    return CreateWindowExA(0, "FrameProbe", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  }
};

TEST_F(ControlFrame, NothingThrownLeavesTheProcedureAndTheControlLivesOn) {
  HWND h = Make();
  ASSERT_TRUE(h);
  SetLastError(0);
  EXPECT_EQ(SendMessageA(h, kThrowBadAlloc, 0, 0), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
  EXPECT_EQ(SendMessageA(h, kThrowOther, 0, 0), 0);
  EXPECT_TRUE(IsWindow(h));
  EXPECT_EQ(SendMessageA(h, kCount, 0, 0), 1);
  EXPECT_EQ(SendMessageA(h, kCount, 0, 0), 2);
  EXPECT_TRUE(DestroyWindow(h));
  EXPECT_EQ(g_destroyed, 1);
}

TEST_F(ControlFrame, FailingToMakeTheRecordFailsTheCreation) {
  g_fail_make = true;
  SetLastError(0);
  EXPECT_EQ(Make(), nullptr);
  g_fail_make = false;
  EXPECT_EQ(g_destroyed, 0);
  HWND h = Make();
  ASSERT_TRUE(h);
  EXPECT_EQ(SendMessageA(h, kCount, 0, 0), 1);  // a fresh record, not a stale one
  DestroyWindow(h);
}

TEST_F(ControlFrame, RecordOutlivesAWindowDestroyedWhileHandlingAMessage) {
  HWND h = Make();
  ASSERT_TRUE(h);
  EXPECT_EQ(SendMessageA(h, kDestroySelf, 0, 0), 1);
  EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(g_destroyed, 1);
}

}  // namespace
