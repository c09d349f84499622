#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "kernel/handles.h"
#include "qvplatform.h"
#include "qvplatform/test_clock.h"
#include "ui_test_support.h"

namespace {

using uitest::Recorder;

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

TEST(Quit, PostedMessagesComeBeforeWmQuit) {
  Recorder rec;
  HWND h = rec.Create(WS_POPUP);
  PostQuitMessage(3);
  PostMessageA(h, WM_USER + 1, 0, 0);
  PostMessageA(nullptr, WM_USER + 2, 0, 0);
  MSG m;
  ASSERT_TRUE(GetMessageA(&m, nullptr, 0, 0));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_USER + 1));
  EXPECT_EQ(m.hwnd, h);
  ASSERT_TRUE(GetMessageA(&m, nullptr, 0, 0));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_USER + 2));
  EXPECT_FALSE(GetMessageA(&m, nullptr, 0, 0));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(m.wParam, 3u);
  EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));  // the request is used up
  DestroyWindow(h);
}

TEST(Quit, QuitIgnoresTheRangeButNotTheWindowFilter) {
  Recorder rec;
  HWND h = rec.Create(WS_POPUP);
  PostQuitMessage(0);
  MSG m;
  EXPECT_FALSE(PeekMessageA(&m, h, 0, 0, PM_NOREMOVE));
  EXPECT_TRUE(PeekMessageA(&m, nullptr, WM_USER, WM_USER, PM_REMOVE));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_QUIT));
  DestroyWindow(h);
}

TEST(Peek, FiltersByRangeAndWindowIncludingChildren) {
  Recorder rec;
  HWND top = rec.Create(WS_POPUP);
  HWND child = rec.Create(WS_CHILD, top, 1);
  HWND other = rec.Create(WS_POPUP);
  PostMessageA(other, WM_USER + 1, 0, 0);
  PostMessageA(child, WM_USER + 2, 0, 0);
  PostMessageA(top, WM_COMMAND, 0, 0);
  MSG m;
  ASSERT_TRUE(PeekMessageA(&m, top, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(m.hwnd, child);
  ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_COMMAND, WM_COMMAND, PM_REMOVE));
  EXPECT_EQ(m.hwnd, top);
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.hwnd, other);  // PM_NOREMOVE left the order alone
  ASSERT_TRUE(PeekMessageA(&m, reinterpret_cast<HWND>(-1), 0, 0, PM_NOREMOVE) == FALSE);
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.hwnd, child);
  EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  DestroyWindow(top);
  DestroyWindow(other);
}

TEST(Peek, MessagesForADestroyedWindowAreDropped) {
  Recorder rec;
  HWND h = rec.Create(WS_POPUP);
  PostMessageA(h, WM_USER, 0, 0);
  DestroyWindow(h);
  MSG m;
  EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST(Paint, WmPaintOnlyWhenNothingElseIsWaiting) {
  Recorder rec;
  HWND h = rec.Create(WS_POPUP | WS_VISIBLE);
  uitest::PumpPending();  // paints what showing the window invalidated
  MSG m;
  EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));

  RECT part{5, 5, 20, 20};
  InvalidateRect(h, &part, TRUE);
  PostMessageA(h, WM_USER, 0, 0);
  ASSERT_TRUE(GetMessageA(&m, nullptr, 0, 0));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_USER));
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_PAINT));
  // Removing WM_PAINT does not validate: only painting does.
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_PAINT));
  RECT u;
  EXPECT_TRUE(GetUpdateRect(h, &u, FALSE));
  EXPECT_EQ(u.left, 5);
  EXPECT_EQ(u.bottom, 20);
  rec.Clear();
  DispatchMessageA(&m);  // DefWindowProc: BeginPaint/EndPaint
  EXPECT_EQ(rec.Of(h), (std::vector<UINT>{WM_PAINT, WM_ERASEBKGND}));
  EXPECT_FALSE(GetUpdateRect(h, &u, FALSE));
  EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  DestroyWindow(h);
}

TEST(Paint, BeginPaintReportsTheUpdateRectangle) {
  Recorder rec;
  HWND h = rec.Create(WS_POPUP | WS_VISIBLE);
  ValidateRect(h, nullptr);
  RECT a{0, 0, 10, 10}, b{30, 40, 50, 60};
  InvalidateRect(h, &a, FALSE);
  InvalidateRect(h, &b, FALSE);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(h, &ps);
  EXPECT_NE(dc, nullptr);
  EXPECT_EQ(ps.rcPaint.left, 0);
  EXPECT_EQ(ps.rcPaint.right, 50);
  EXPECT_EQ(ps.rcPaint.bottom, 60);
  EXPECT_FALSE(ps.fErase);
  EXPECT_TRUE(EndPaint(h, &ps));
  EXPECT_EQ(ReleaseDC(h, dc), 0);  // already given back
  // Hidden windows are not painted at all.
  ShowWindow(h, SW_HIDE);
  InvalidateRect(h, nullptr, TRUE);
  MSG m;
  EXPECT_FALSE(PeekMessageA(&m, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));
  HDC wdc = GetDC(h);
  EXPECT_EQ(ReleaseDC(h, wdc), 1);
  DestroyWindow(h);
}

TEST(Paint, ParentsArePaintedBeforeChildren) {
  Recorder rec;
  HWND top = rec.Create(WS_POPUP | WS_VISIBLE);
  HWND child = rec.Create(WS_CHILD | WS_VISIBLE, top, 1, 0, "c", RECT{0, 0, 50, 50});
  uitest::PumpPending();
  InvalidateRect(child, nullptr, TRUE);
  InvalidateRect(top, nullptr, TRUE);  // reaches the child too: no WS_CLIPCHILDREN
  rec.Clear();
  uitest::PumpPending();
  EXPECT_EQ(rec.Receivers(WM_PAINT), (std::vector<HWND>{top, child}));
  DestroyWindow(top);
}

TEST(Timers, FireInDueOrderAndAKilledTimerNeverFires) {
  Recorder rec;
  HWND h = rec.Create(WS_POPUP);
  std::vector<UINT_PTR> fired;
  rec.SetHook([&](HWND hwnd, UINT m, WPARAM wp, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_TIMER) {
      fired.push_back(wp);
      KillTimer(hwnd, wp);
      if (fired.size() == 3) PostQuitMessage(0);
    }
    return std::nullopt;
  });
  EXPECT_EQ(SetTimer(h, 1, 60, nullptr), 1u);
  EXPECT_EQ(SetTimer(h, 2, 20, nullptr), 2u);
  EXPECT_EQ(SetTimer(h, 3, 40, nullptr), 3u);
  SetTimer(h, 4, 10, nullptr);
  EXPECT_TRUE(KillTimer(h, 4));
  EXPECT_FALSE(KillTimer(h, 4));
  MSG m;
  while (GetMessageA(&m, nullptr, 0, 0)) DispatchMessageA(&m);
  EXPECT_EQ(fired, (std::vector<UINT_PTR>{2, 3, 1}));
  rec.SetHook(nullptr);
  DestroyWindow(h);
}

TEST(Timers, TimerWaitsForPostedMessagesAndDiesWithItsWindow) {
  Recorder rec;
  HWND h = rec.Create(WS_POPUP);
  qvp::TestClock clock;
  SetTimer(h, 7, USER_TIMER_MINIMUM, nullptr);
  clock.Advance(USER_TIMER_MINIMUM);  // the timer is due now
  PostMessageA(h, WM_USER, 0, 0);
  MSG m;
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_USER));
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_TIMER));
  EXPECT_EQ(m.wParam, 7u);
  clock.Advance(USER_TIMER_MINIMUM);
  DestroyWindow(h);
  EXPECT_FALSE(PeekMessageA(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
  SetLastError(0);
  EXPECT_FALSE(KillTimer(h, 7));
}

int g_proc_calls = 0;
UINT_PTR g_proc_id = 0;
void CALLBACK OnTimer(HWND hwnd, UINT msg, UINT_PTR id, DWORD) {
  EXPECT_EQ(hwnd, nullptr);
  EXPECT_EQ(msg, static_cast<UINT>(WM_TIMER));
  g_proc_id = id;
  ++g_proc_calls;
}
void CALLBACK NotATimer(HWND, UINT, UINT_PTR, DWORD) { ++g_proc_calls; }

TEST(Timers, ThreadTimerCallsItsProcedureAndForgedOnesAreIgnored) {
  g_proc_calls = 0;
  UINT_PTR id = SetTimer(nullptr, 12345, 10, OnTimer);
  ASSERT_NE(id, 0u);
  MSG m;
  do {
    ASSERT_TRUE(GetMessageA(&m, nullptr, 0, 0));
  } while (m.message != WM_TIMER);
  EXPECT_EQ(m.hwnd, nullptr);
  EXPECT_EQ(m.wParam, id);
  DispatchMessageA(&m);
  EXPECT_EQ(g_proc_calls, 1);
  EXPECT_EQ(g_proc_id, id);
  EXPECT_TRUE(KillTimer(nullptr, id));
  // A WM_TIMER whose lParam is no registered timer procedure calls nothing.
  MSG forged{nullptr, WM_TIMER, id, reinterpret_cast<LPARAM>(&NotATimer), 0, {0, 0}};
  DispatchMessageA(&forged);
  EXPECT_EQ(g_proc_calls, 1);
}

TEST(Input, TranslateMessageMakesCharactersFromKeys) {
  Recorder rec;
  HWND h = rec.Create(WS_POPUP);
  PostMessageA(h, WM_KEYDOWN, 'A', 1);
  PostMessageA(h, WM_KEYUP, 'A', 1);
  PostMessageA(h, WM_KEYDOWN, VK_SHIFT, 1);
  PostMessageA(h, WM_KEYDOWN, '1', 1);
  PostMessageA(h, WM_KEYUP, VK_SHIFT, 1);
  PostMessageA(h, WM_KEYDOWN, VK_F5, 1);
  uitest::PumpPending();
  std::vector<WPARAM> chars;
  for (const auto& s : rec.All())
    if (s.msg == WM_CHAR) chars.push_back(s.wp);
  EXPECT_EQ(chars, (std::vector<WPARAM>{'a', '!'}));
  auto order = rec.Of(h, {WM_KEYDOWN, WM_KEYUP, WM_CHAR});
  EXPECT_EQ(order[0], static_cast<UINT>(WM_KEYDOWN));
  EXPECT_EQ(order[1], static_cast<UINT>(WM_CHAR));  // the character comes before the next key
  EXPECT_EQ(order[2], static_cast<UINT>(WM_KEYUP));
  EXPECT_FALSE(GetKeyState(VK_SHIFT) & 0x8000);
  DestroyWindow(h);
}

TEST(Wait, MsgWaitWakesOnAPostedMessage) {
  Recorder rec;
  HWND h = rec.Create(WS_POPUP);
  MSG m;
  PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE);
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT), static_cast<DWORD>(WAIT_TIMEOUT));
  std::thread poster([&] {
    SleepMs(10);
    PostMessageA(h, WM_USER, 0, 0);
  });
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_ALLINPUT), static_cast<DWORD>(WAIT_OBJECT_0));
  poster.join();
  // Input already looked at is not new; MWMO_INPUTAVAILABLE still sees it.
  PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE);
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(MsgWaitForMultipleObjectsEx(0, nullptr, 0, QS_ALLINPUT, MWMO_INPUTAVAILABLE),
            static_cast<DWORD>(WAIT_OBJECT_0));
  // A wake mask without posted messages does not wake for them.
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_PAINT), static_cast<DWORD>(WAIT_TIMEOUT));
  uitest::PumpPending();
  DestroyWindow(h);
}

struct Flag : qvp::KernelObject {
  bool set = false;
  int taken = 0;
  bool IsWaitable() const override { return true; }
  bool IsSignaled(uint64_t) const override { return set; }
  bool Acquire(uint64_t) override {
    ++taken;
    return false;
  }
};

TEST(Wait, MsgWaitReturnsTheSignaledObjectFirst) {
  auto a = std::make_shared<Flag>();
  auto b = std::make_shared<Flag>();
  HANDLE handles[2] = {qvp::InsertHandle(a), qvp::InsertHandle(b)};
  PostMessageA(nullptr, WM_USER, 0, 0);
  {
    std::lock_guard<std::mutex> g(qvp::WaitLock());
    b->set = true;
  }
  EXPECT_EQ(MsgWaitForMultipleObjects(2, handles, FALSE, 0, QS_ALLINPUT), static_cast<DWORD>(WAIT_OBJECT_0 + 1));
  EXPECT_EQ(b->taken, 1);
  {
    std::lock_guard<std::mutex> g(qvp::WaitLock());
    b->set = false;
  }
  EXPECT_EQ(MsgWaitForMultipleObjects(2, handles, FALSE, 0, QS_ALLINPUT), static_cast<DWORD>(WAIT_OBJECT_0 + 2));
  std::thread setter([&] {
    SleepMs(10);
    {
      std::lock_guard<std::mutex> g(qvp::WaitLock());
      a->set = true;
    }
    qvp::NotifyWaiters();
  });
  MSG m;
  PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE);
  EXPECT_EQ(MsgWaitForMultipleObjects(2, handles, FALSE, INFINITE, QS_ALLINPUT), static_cast<DWORD>(WAIT_OBJECT_0));
  setter.join();
  HANDLE bogus = reinterpret_cast<HANDLE>(0x7777);
  EXPECT_EQ(MsgWaitForMultipleObjects(1, &bogus, FALSE, 0, QS_ALLINPUT), WAIT_FAILED);
  qvp::RemoveHandle(handles[0]);
  qvp::RemoveHandle(handles[1]);
}

TEST(Wait, WaitMessageReturnsWhenAnotherThreadPosts) {
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
  }
  DWORD me = 0;
  {
    Recorder rec;
    HWND h = rec.Create(WS_POPUP);
    me = GetWindowThreadProcessId(h, nullptr);
    DestroyWindow(h);
  }
  std::thread poster([&] {
    SleepMs(10);
    PostThreadMessageA(me, WM_USER + 3, 0, 0);
  });
  EXPECT_TRUE(WaitMessage());
  poster.join();
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_USER + 3));
  EXPECT_EQ(HIWORD(GetQueueStatus(QS_ALLINPUT)) & QS_POSTMESSAGE, 0);
}

}  // namespace
