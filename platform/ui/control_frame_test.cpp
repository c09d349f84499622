#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <stdexcept>

#include "qvplatform.h"
#include "ui/control_frame.h"

namespace {

using qvp::ui::RunControlProc;
using qvp::ui::WindowSlot;

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

WindowSlot<Probe>& Slots() {
  static auto* t = new WindowSlot<Probe>;
  return *t;
}

LRESULT CALLBACK ProbeProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return RunControlProc(
      Slots(), hwnd, msg, wp, lp,
      [](HWND, LPARAM) {
        if (g_fail_make) throw std::bad_alloc();
        auto p = std::make_shared<Probe>();
        p->destroyed = &g_destroyed;
        return p;
      },
      ProbeDispatch, [](Probe& p) { ++*p.destroyed; });
}

ATOM Register(const char* name, WNDPROC proc, int extra) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = proc;
  wc.lpszClassName = name;
  wc.cbWndExtra = extra;
  return RegisterClassA(&wc);
}

class ControlFrame : public ::testing::Test {
 protected:
  void SetUp() override {
    static const bool registered = [] {
      return Register("FrameProbe", ProbeProc, qvp::ui::kStateBytes) != 0 &&
             Register("FrameProbeNoRoom", ProbeProc, 0) != 0;
    }();
    ASSERT_TRUE(registered);
    g_destroyed = 0;
    g_fail_make = false;
  }
  static HWND Make(const char* cls = nullptr) {
    return CreateWindowExA(0, cls ? cls : "FrameProbe", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                           nullptr);
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

TEST_F(ControlFrame, AWindowWithoutRoomForItsRecordIsNotCreated) {
  EXPECT_EQ(Make("FrameProbeNoRoom"), nullptr);
  EXPECT_EQ(g_destroyed, 0);
}

}  // namespace
