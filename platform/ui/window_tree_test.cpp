#include <gtest/gtest.h>

#include <thread>

#include "qvplatform.h"
#include "ui_test_support.h"

namespace {

using uitest::Recorder;

TEST(WindowTree, SiblingsFollowCreationOrderForChildren) {
  Recorder rec;
  HWND top = rec.Create(WS_POPUP);
  HWND a = rec.Create(WS_CHILD, top, 1);
  HWND b = rec.Create(WS_CHILD, top, 2);
  HWND c = rec.Create(WS_CHILD, top, 3);
  EXPECT_EQ(GetWindow(top, GW_CHILD), a);
  EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), b);
  EXPECT_EQ(GetWindow(c, GW_HWNDNEXT), nullptr);
  EXPECT_EQ(GetWindow(c, GW_HWNDPREV), b);
  EXPECT_EQ(GetWindow(b, GW_HWNDFIRST), a);
  EXPECT_EQ(GetWindow(a, GW_HWNDLAST), c);
  EXPECT_TRUE(IsChild(top, b));
  EXPECT_FALSE(IsChild(b, top));
  SetWindowPos(c, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_EQ(GetWindow(top, GW_CHILD), c);
  SetWindowPos(c, b, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_EQ(GetWindow(b, GW_HWNDNEXT), c);
  EXPECT_EQ(GetWindow(GetDesktopWindow(), GW_CHILD), top);  // the newest top-level window is on top
  EXPECT_EQ(GetParent(top), nullptr);
  DestroyWindow(top);
}

TEST(WindowTree, OwnedWindowsStayAboveTheirOwner) {
  Recorder rec;
  HWND owner = rec.Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND popup = rec.Create(WS_POPUP | WS_VISIBLE, owner);
  HWND other = rec.Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  EXPECT_EQ(GetWindow(GetDesktopWindow(), GW_CHILD), other);
  SetActiveWindow(owner);
  EXPECT_EQ(GetWindow(GetDesktopWindow(), GW_CHILD), popup);
  EXPECT_EQ(GetWindow(popup, GW_HWNDNEXT), owner);
  EXPECT_EQ(GetWindow(owner, GW_HWNDNEXT), other);
  DestroyWindow(owner);
  DestroyWindow(other);
}

TEST(WindowTree, FindWindowMatchesClassAndTitleWithoutCase) {
  Recorder rec("FindClass");
  HWND top = rec.Create(WS_POPUP, nullptr, 0, 0, "Quorvane Main");
  HWND c1 = rec.Create(WS_CHILD, top, 1, 0, "Apply");
  HWND c2 = rec.Create(WS_CHILD, top, 2, 0, "Apply");
  EXPECT_EQ(FindWindowA("findclass", "QUORVANE main"), top);
  EXPECT_EQ(FindWindowA(nullptr, "Quorvane Main"), top);
  EXPECT_EQ(FindWindowA("FindClass", "Other"), nullptr);
  EXPECT_EQ(FindWindowExA(top, nullptr, nullptr, "apply"), c1);
  EXPECT_EQ(FindWindowExA(top, c1, nullptr, "apply"), c2);
  EXPECT_EQ(FindWindowExA(top, c2, nullptr, "apply"), nullptr);
  DestroyWindow(top);
}

TEST(WindowTree, EnumerationIsRecursiveAndStopsWhenAsked) {
  Recorder rec;
  HWND top = rec.Create(WS_POPUP);
  HWND a = rec.Create(WS_CHILD, top, 1);
  HWND a1 = rec.Create(WS_CHILD, a, 2);
  HWND b = rec.Create(WS_CHILD, top, 3);
  std::vector<HWND> seen;
  EnumChildWindows(
      top,
      [](HWND h, LPARAM lp) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&seen));
  EXPECT_EQ(seen, (std::vector<HWND>{a, a1, b}));

  int calls = 0;
  EXPECT_FALSE(EnumChildWindows(
      top,
      [](HWND, LPARAM lp) -> BOOL {
        ++*reinterpret_cast<int*>(lp);
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&calls)));
  EXPECT_EQ(calls, 1);

  std::vector<HWND> mine;
  DWORD tid = GetWindowThreadProcessId(top, nullptr);
  EXPECT_TRUE(EnumThreadWindows(
      tid,
      [](HWND h, LPARAM lp) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&mine)));
  EXPECT_NE(std::find(mine.begin(), mine.end(), top), mine.end());
  EXPECT_EQ(std::find(mine.begin(), mine.end(), a), mine.end());  // top-level windows only
  DestroyWindow(top);
  EXPECT_FALSE(EnumThreadWindows(tid, [](HWND, LPARAM) -> BOOL { return TRUE; }, 0));  // none left
}

TEST(WindowTree, SetParentMovesAWindowAndRefusesLoops) {
  Recorder rec;
  HWND p1 = rec.Create(WS_POPUP);
  HWND p2 = rec.Create(WS_POPUP);
  HWND c = rec.Create(WS_CHILD, p1, 1);
  HWND cc = rec.Create(WS_CHILD, c, 2);
  EXPECT_EQ(SetParent(c, p2), p1);
  EXPECT_EQ(GetParent(c), p2);
  EXPECT_FALSE(IsChild(p1, cc));
  EXPECT_TRUE(IsChild(p2, cc));
  EXPECT_EQ(SetParent(c, cc), nullptr);  // a window cannot go below itself
  DestroyWindow(p2);
  EXPECT_FALSE(IsWindow(cc));
  DestroyWindow(p1);
}

TEST(WindowState, ShowWindowReportsPreviousVisibilityAndAncestorsCount) {
  Recorder rec;
  HWND top = rec.Create(WS_OVERLAPPEDWINDOW);
  HWND child = rec.Create(WS_CHILD | WS_VISIBLE, top, 1);
  EXPECT_FALSE(IsWindowVisible(child));  // its parent is hidden
  EXPECT_FALSE(ShowWindow(top, SW_SHOWNA));
  EXPECT_TRUE(IsWindowVisible(child));
  EXPECT_NE(GetActiveWindow(), top);  // SW_SHOWNA does not activate
  EXPECT_TRUE(ShowWindow(top, SW_SHOW));
  rec.Clear();
  EXPECT_TRUE(ShowWindow(child, SW_HIDE));
  EXPECT_FALSE(ShowWindow(child, SW_HIDE));
  EXPECT_EQ(rec.Of(child, {WM_SHOWWINDOW}).size(), 1u);
  DestroyWindow(top);
}

TEST(WindowState, MinimizeAndRestoreKeepTheNormalPlace) {
  Recorder rec;
  HWND top = rec.Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  RECT normal;
  GetWindowRect(top, &normal);
  rec.Clear();
  ShowWindow(top, SW_MINIMIZE);
  EXPECT_TRUE(IsIconic(top));
  RECT client;
  GetClientRect(top, &client);
  EXPECT_EQ(client.right, 0);
  auto sizes = rec.All();
  bool saw_minimized = false;
  for (const auto& s : sizes)
    if (s.msg == WM_SIZE && s.wp == SIZE_MINIMIZED) saw_minimized = true;
  EXPECT_TRUE(saw_minimized);
  ShowWindow(top, SW_RESTORE);
  EXPECT_FALSE(IsIconic(top));
  RECT back;
  GetWindowRect(top, &back);
  EXPECT_EQ(back.left, normal.left);
  EXPECT_EQ(back.bottom, normal.bottom);
  ShowWindow(top, SW_MAXIMIZE);
  EXPECT_TRUE(IsZoomed(top));
  GetClientRect(top, &client);
  EXPECT_EQ(client.right, GetSystemMetrics(SM_CXSCREEN));
  DestroyWindow(top);
}

TEST(WindowState, EnableWindowAnnouncesChangesAndDropsFocus) {
  Recorder rec;
  HWND top = rec.Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND child = rec.Create(WS_CHILD | WS_VISIBLE, top, 1);
  SetFocus(child);
  rec.Clear();
  EXPECT_FALSE(EnableWindow(top, FALSE));  // it was enabled
  EXPECT_TRUE(EnableWindow(top, FALSE));   // now it was disabled; nothing sent
  EXPECT_FALSE(IsWindowEnabled(top));
  EXPECT_TRUE(IsWindowEnabled(child));  // the child's own state is unchanged
  EXPECT_EQ(GetFocus(), child);           // and so is its focus
  EXPECT_EQ(rec.Of(top, {WM_CANCELMODE, WM_ENABLE}), (std::vector<UINT>{WM_CANCELMODE, WM_ENABLE}));
  EXPECT_TRUE(EnableWindow(top, TRUE));
  EXPECT_EQ(rec.Of(top, {WM_ENABLE}).size(), 2u);
  SetFocus(top);
  EnableWindow(top, FALSE);  // the focused window itself loses it
  EXPECT_EQ(GetFocus(), nullptr);
  DestroyWindow(top);
}

TEST(WindowState, FocusMovesWithKillBeforeSet) {
  Recorder rec;
  HWND top = rec.Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND a = rec.Create(WS_CHILD | WS_VISIBLE, top, 1);
  HWND b = rec.Create(WS_CHILD | WS_VISIBLE, top, 2);
  SetFocus(a);
  rec.Clear();
  EXPECT_EQ(SetFocus(b), a);
  auto all = rec.All();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0].hwnd, a);
  EXPECT_EQ(all[0].msg, static_cast<UINT>(WM_KILLFOCUS));
  EXPECT_EQ(reinterpret_cast<HWND>(all[0].wp), b);
  EXPECT_EQ(all[1].hwnd, b);
  EXPECT_EQ(all[1].msg, static_cast<UINT>(WM_SETFOCUS));
  EXPECT_EQ(reinterpret_cast<HWND>(all[1].wp), a);
  // Focus is per thread.
  HWND other = reinterpret_cast<HWND>(1);
  std::thread([&] { other = GetFocus(); }).join();
  EXPECT_EQ(other, nullptr);
  DestroyWindow(top);
}

TEST(WindowState, ActivationTracksOwnersLastActivePopup) {
  Recorder rec;
  HWND owner = rec.Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND popup = rec.Create(WS_POPUP | WS_VISIBLE, owner);
  EXPECT_EQ(GetActiveWindow(), popup);
  EXPECT_EQ(GetLastActivePopup(owner), popup);
  rec.Clear();
  EXPECT_EQ(SetActiveWindow(owner), popup);
  EXPECT_EQ(rec.Of(popup, {WM_NCACTIVATE, WM_ACTIVATE}), (std::vector<UINT>{WM_NCACTIVATE, WM_ACTIVATE}));
  EXPECT_EQ(GetLastActivePopup(owner), popup);
  DestroyWindow(popup);
  EXPECT_EQ(GetLastActivePopup(owner), owner);
  // Destroying the active window hands activation on.
  HWND second = rec.Create(WS_POPUP | WS_VISIBLE, owner);
  EXPECT_EQ(GetActiveWindow(), second);
  DestroyWindow(second);
  EXPECT_EQ(GetActiveWindow(), owner);
  DestroyWindow(owner);
}

TEST(WindowGeometry, ClientAreaFollowsTheFrameModel) {
  Recorder rec;
  HWND top = rec.Create(WS_OVERLAPPEDWINDOW, nullptr, 0, 0, "w", RECT{100, 100, 500, 400});
  RECT wr, cr;
  GetWindowRect(top, &wr);
  GetClientRect(top, &cr);
  EXPECT_EQ(wr.right - wr.left, 400);
  int frame = GetSystemMetrics(SM_CXFRAME);
  EXPECT_EQ(cr.right, 400 - 2 * frame);
  EXPECT_EQ(cr.bottom, 300 - 2 * frame - GetSystemMetrics(SM_CYCAPTION));

  RECT want{0, 0, cr.right, cr.bottom};
  AdjustWindowRect(&want, WS_OVERLAPPEDWINDOW, FALSE);
  EXPECT_EQ(want.right - want.left, 400);
  EXPECT_EQ(want.bottom - want.top, 300);
  RECT with_menu{0, 0, 10, 10};
  AdjustWindowRectEx(&with_menu, WS_POPUP | WS_BORDER, TRUE, WS_EX_CLIENTEDGE);
  EXPECT_EQ(with_menu.top, -(1 + 2 + GetSystemMetrics(SM_CYMENU)));
  EXPECT_EQ(with_menu.left, -3);

  HWND child = rec.Create(WS_CHILD | WS_BORDER, top, 1, 0, "c", RECT{10, 20, 60, 70});
  POINT p{0, 0};
  ClientToScreen(child, &p);
  EXPECT_EQ(p.x, wr.left + frame + 10 + 1);
  EXPECT_EQ(p.y, wr.top + frame + GetSystemMetrics(SM_CYCAPTION) + 20 + 1);
  ScreenToClient(child, &p);
  EXPECT_EQ(p.x, 0);
  POINT pts[2] = {{0, 0}, {5, 5}};
  int delta = MapWindowPoints(child, top, pts, 2);
  EXPECT_EQ(pts[1].x, 5 + 11);
  EXPECT_EQ(static_cast<SHORT>(LOWORD(delta)), 11);
  EXPECT_EQ(static_cast<SHORT>(HIWORD(delta)), 21);
  DestroyWindow(top);
}

TEST(WindowGeometry, SetWindowPosAnnouncesMoveAndSize) {
  Recorder rec;
  HWND top = rec.Create(WS_POPUP);
  rec.Clear();
  SetWindowPos(top, nullptr, 30, 40, 100, 50, SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(rec.Of(top), (std::vector<UINT>{WM_WINDOWPOSCHANGING, WM_NCCALCSIZE, WM_WINDOWPOSCHANGED, WM_MOVE,
                                            WM_SIZE}));
  rec.Clear();
  MoveWindow(top, 30, 40, 100, 50, TRUE);  // nothing changes
  EXPECT_EQ(rec.Of(top), (std::vector<UINT>{WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED}));
  // A window can veto through WM_WINDOWPOSCHANGING.
  rec.SetHook([](HWND, UINT m, WPARAM, LPARAM lp) -> std::optional<LRESULT> {
    if (m == WM_WINDOWPOSCHANGING) reinterpret_cast<WINDOWPOS*>(lp)->flags |= SWP_NOMOVE;
    return std::nullopt;
  });
  SetWindowPos(top, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  RECT r;
  GetWindowRect(top, &r);
  EXPECT_EQ(r.left, 30);
  rec.SetHook(nullptr);

  HDWP dwp = BeginDeferWindowPos(2);
  dwp = DeferWindowPos(dwp, top, nullptr, 1, 2, 3, 4, SWP_NOZORDER);
  ASSERT_TRUE(dwp);
  EXPECT_TRUE(EndDeferWindowPos(dwp));
  GetWindowRect(top, &r);
  EXPECT_EQ(r.left, 1);
  EXPECT_EQ(r.bottom, 6);
  EXPECT_FALSE(EndDeferWindowPos(dwp));
  DestroyWindow(top);
}

TEST(WindowGeometry, OverlappedWindowsRespectTheMinimumTrackingSize) {
  Recorder rec;
  HWND top = rec.Create(WS_OVERLAPPEDWINDOW, nullptr, 0, 0, "w", RECT{0, 0, 10, 10});
  RECT r;
  GetWindowRect(top, &r);
  EXPECT_EQ(r.right - r.left, GetSystemMetrics(SM_CXMINTRACK));
  EXPECT_EQ(r.bottom - r.top, GetSystemMetrics(SM_CYMINTRACK));
  HWND popup = rec.Create(WS_POPUP, nullptr, 0, 0, "p", RECT{0, 0, 10, 10});
  GetWindowRect(popup, &r);
  EXPECT_EQ(r.right - r.left, 10);
  DestroyWindow(top);
  DestroyWindow(popup);
}

TEST(SystemMetrics, FixedClassicDisplay) {
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
  EXPECT_EQ(GetSystemMetrics(SM_CYCAPTION), 19);
  EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), 16);
  EXPECT_EQ(GetSystemMetrics(9999), 0);
}

}  // namespace
