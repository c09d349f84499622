#include <gtest/gtest.h>

#include <optional>

#include "qvplatform.h"
#include "ui_test_support.h"

namespace {

using uitest::Recorder;

std::vector<UINT> Seq(std::initializer_list<UINT> l) { return std::vector<UINT>(l); }

TEST(WindowCreate, HiddenTopLevelWindowSeesWindowsCreationOrder) {
  Recorder rec;
  HWND h = rec.Create(WS_OVERLAPPEDWINDOW);
  ASSERT_TRUE(h);
  EXPECT_EQ(rec.Of(h), Seq({WM_GETMINMAXINFO, WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE}));
  // An overlapped window always has a caption.
  EXPECT_EQ(GetWindowLongA(h, GWL_STYLE) & WS_CAPTION, static_cast<LONG_PTR>(WS_CAPTION));
  EXPECT_FALSE(IsWindowVisible(h));
  DestroyWindow(h);
}

TEST(WindowCreate, VisibleWindowIsShownAndActivatedAfterCreation) {
  Recorder rec;
  HWND h = rec.Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  ASSERT_TRUE(h);
  EXPECT_EQ(rec.Of(h), Seq({WM_GETMINMAXINFO, WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE,
                            WM_SHOWWINDOW, WM_WINDOWPOSCHANGING, WM_NCACTIVATE, WM_ACTIVATE, WM_SETFOCUS,
                            WM_WINDOWPOSCHANGED}));
  EXPECT_TRUE(IsWindowVisible(h));
  EXPECT_EQ(GetActiveWindow(), h);
  EXPECT_EQ(GetFocus(), h);
  EXPECT_EQ(GetForegroundWindow(), h);
  DestroyWindow(h);
  EXPECT_EQ(GetActiveWindow(), nullptr);
  EXPECT_EQ(GetFocus(), nullptr);
}

TEST(WindowCreate, CreateStructCarriesTheArgumentsAndTheTitleIsStored) {
  Recorder rec;
  int param = 7;
  CREATESTRUCTA seen{};
  rec.SetHook([&](HWND, UINT m, WPARAM, LPARAM lp) -> std::optional<LRESULT> {
    if (m == WM_CREATE) seen = *reinterpret_cast<CREATESTRUCTA*>(lp);
    return std::nullopt;
  });
  HWND parent = rec.Create(WS_POPUP);
  HWND child = CreateWindowExA(WS_EX_CLIENTEDGE, rec.cls(), "Title", WS_CHILD, 5, 6, 70, 80, parent,
                               reinterpret_cast<HMENU>(1234), nullptr, &param);
  ASSERT_TRUE(child);
  EXPECT_EQ(seen.lpCreateParams, &param);
  EXPECT_EQ(seen.hwndParent, parent);
  EXPECT_EQ(reinterpret_cast<intptr_t>(seen.hMenu), 1234);
  EXPECT_EQ(seen.x, 5);
  EXPECT_EQ(seen.cy, 80);
  EXPECT_STREQ(seen.lpszName, "Title");
  EXPECT_EQ(seen.dwExStyle & WS_EX_CLIENTEDGE, static_cast<DWORD>(WS_EX_CLIENTEDGE));
  char text[16];
  EXPECT_EQ(GetWindowTextA(child, text, sizeof(text)), 5);
  EXPECT_STREQ(text, "Title");
  EXPECT_EQ(GetWindowLongA(child, GWL_ID), 1234);
  EXPECT_EQ(GetParent(child), parent);
  DestroyWindow(parent);
}

TEST(WindowCreate, RefusedCreationFailsAndLeavesNoWindow) {
  Recorder rec;
  HWND refused = nullptr;
  rec.SetHook([&](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_NCCREATE) {
      refused = h;
      return FALSE;
    }
    return std::nullopt;
  });
  EXPECT_EQ(rec.Create(WS_POPUP), nullptr);
  EXPECT_EQ(rec.Of(refused), Seq({WM_NCCREATE, WM_NCDESTROY}));
  EXPECT_FALSE(IsWindow(refused));

  rec.Clear();
  rec.SetHook([&](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_CREATE) {
      refused = h;
      return -1;
    }
    return std::nullopt;
  });
  EXPECT_EQ(rec.Create(WS_POPUP), nullptr);
  EXPECT_EQ(rec.Of(refused), Seq({WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}));
  EXPECT_FALSE(IsWindow(refused));
  // The class has no windows left, so it can go.
  rec.SetHook(nullptr);
}

TEST(WindowCreate, FramesGetAnEdgeAndSizeableWindowsAreBoundByTheirTrackingLimits) {
  Recorder rec;
  SIZE created{};
  rec.SetHook([&](HWND, UINT m, WPARAM, LPARAM lp) -> std::optional<LRESULT> {
    if (m == WM_GETMINMAXINFO) {
      auto* mm = reinterpret_cast<MINMAXINFO*>(lp);
      mm->ptMinTrackSize = POINT{300, 250};
      mm->ptMaxTrackSize = POINT{400, 350};
      return 0;
    }
    if (m == WM_CREATE) {
      auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lp);
      created = SIZE{cs->cx, cs->cy};
    }
    return std::nullopt;
  });
  auto size_of = [](HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
  };

  // A sizing frame asks, and the window and WM_CREATE's record take the bounded size.
  HWND small = rec.Create(WS_POPUP | WS_THICKFRAME, nullptr, 0, 0, "w", RECT{0, 0, 10, 10});
  ASSERT_TRUE(small);
  EXPECT_EQ(size_of(small).cx, 300);
  EXPECT_EQ(size_of(small).cy, 250);
  EXPECT_EQ(created.cx, 300);
  EXPECT_EQ(created.cy, 250);
  EXPECT_TRUE(GetWindowLongA(small, GWL_EXSTYLE) & WS_EX_WINDOWEDGE);
  HWND big = rec.Create(WS_OVERLAPPEDWINDOW, nullptr, 0, 0, "w", RECT{0, 0, 1000, 1000});
  ASSERT_TRUE(big);
  EXPECT_EQ(size_of(big).cx, 400);
  EXPECT_EQ(size_of(big).cy, 350);

  // A plain popup neither asks nor gets an edge; a dialog frame gets one.
  rec.Clear();
  HWND plain = rec.Create(WS_POPUP, nullptr, 0, 0, "w", RECT{0, 0, 10, 10});
  ASSERT_TRUE(plain);
  EXPECT_EQ(rec.Of(plain, {WM_GETMINMAXINFO}), Seq({}));
  EXPECT_EQ(size_of(plain).cx, 10);
  EXPECT_FALSE(GetWindowLongA(plain, GWL_EXSTYLE) & WS_EX_WINDOWEDGE);
  HWND dialog = rec.Create(WS_POPUP | WS_DLGFRAME, nullptr, 0, 0, "w", RECT{0, 0, 10, 10});
  EXPECT_TRUE(GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_WINDOWEDGE);
  HWND modal = rec.Create(WS_POPUP, nullptr, 0, WS_EX_DLGMODALFRAME, "w", RECT{0, 0, 10, 10});
  EXPECT_TRUE(GetWindowLongA(modal, GWL_EXSTYLE) & WS_EX_WINDOWEDGE);
  for (HWND h : {small, big, plain, dialog, modal}) DestroyWindow(h);
}

TEST(WindowCreate, BadArgumentsFailWithWindowsErrors) {
  Recorder rec;
  SetLastError(0);
  EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
  EXPECT_EQ(rec.Create(WS_CHILD), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TLW_WITH_WSCHILD));
  HWND gone = rec.Create(WS_POPUP);
  DestroyWindow(gone);
  EXPECT_EQ(rec.Create(WS_CHILD, gone), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST(WindowCreate, DefaultPositionAndSizeOnlyForOverlappedWindows) {
  Recorder rec;
  HWND over = CreateWindowExA(0, rec.cls(), "", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, nullptr,
                              nullptr, nullptr, nullptr);
  HWND popup = CreateWindowExA(0, rec.cls(), "", WS_POPUP, CW_USEDEFAULT, 5, CW_USEDEFAULT, 5, nullptr, nullptr,
                               nullptr, nullptr);
  RECT r;
  GetWindowRect(over, &r);
  EXPECT_GT(r.left, 0);
  EXPECT_GT(r.right - r.left, 100);
  GetWindowRect(popup, &r);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right, 0);
  DestroyWindow(over);
  DestroyWindow(popup);
}

TEST(WindowDestroy, ParentGetsDestroyBeforeChildrenAndNcDestroyAfterThem) {
  Recorder rec;
  HWND top = rec.Create(WS_OVERLAPPEDWINDOW);
  HWND a = rec.Create(WS_CHILD | WS_VISIBLE, top, 1);
  HWND a1 = rec.Create(WS_CHILD, a, 11);
  HWND b = rec.Create(WS_CHILD, top, 2);
  rec.Clear();
  ASSERT_TRUE(DestroyWindow(top));
  std::vector<std::pair<HWND, UINT>> order;
  for (const auto& s : rec.All())
    if (s.msg == WM_DESTROY || s.msg == WM_NCDESTROY) order.emplace_back(s.hwnd, s.msg);
  std::vector<std::pair<HWND, UINT>> expected{
      {top, WM_DESTROY}, {a, WM_DESTROY}, {a1, WM_DESTROY},  {b, WM_DESTROY},
      {a1, WM_NCDESTROY}, {a, WM_NCDESTROY}, {b, WM_NCDESTROY}, {top, WM_NCDESTROY}};
  EXPECT_EQ(order, expected);
  for (HWND h : {top, a, a1, b}) EXPECT_FALSE(IsWindow(h));
}

TEST(WindowDestroy, ChildNotifiesItsParentOnCreationAndDestruction) {
  Recorder rec;
  HWND top = rec.Create(WS_POPUP);
  HWND child = rec.Create(WS_CHILD, top, 42);
  HWND quiet = rec.Create(WS_CHILD, top, 43, WS_EX_NOPARENTNOTIFY);
  DestroyWindow(child);
  DestroyWindow(quiet);
  std::vector<uitest::Seen> notes;
  for (const auto& s : rec.All())
    if (s.msg == WM_PARENTNOTIFY) notes.push_back(s);
  ASSERT_EQ(notes.size(), 2u);
  EXPECT_EQ(notes[0].hwnd, top);
  EXPECT_EQ(notes[0].wp, MAKEWPARAM(WM_CREATE, 42));
  EXPECT_EQ(reinterpret_cast<HWND>(notes[0].lp), child);
  EXPECT_EQ(notes[1].wp, MAKEWPARAM(WM_DESTROY, 42));
  DestroyWindow(top);
}

TEST(WindowDestroy, OwnedPopupsGoBeforeTheirOwner) {
  Recorder rec;
  HWND owner = rec.Create(WS_OVERLAPPEDWINDOW);
  HWND owned = rec.Create(WS_POPUP, owner);
  EXPECT_EQ(GetWindow(owned, GW_OWNER), owner);
  EXPECT_EQ(GetParent(owned), owner);  // a popup's "parent" is its owner
  rec.Clear();
  DestroyWindow(owner);
  EXPECT_EQ(rec.Receivers(WM_DESTROY), (std::vector<HWND>{owned, owner}));
  EXPECT_FALSE(IsWindow(owned));
}

TEST(WindowDestroy, HandlesStayInvalidAndAreNotReused) {
  Recorder rec;
  HWND first = rec.Create(WS_POPUP);
  DestroyWindow(first);
  SetLastError(0);
  EXPECT_FALSE(DestroyWindow(first));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_EQ(SendMessageA(first, WM_USER, 0, 0), 0);
  for (int i = 0; i < 50; ++i) {
    HWND h = rec.Create(WS_POPUP);
    EXPECT_NE(h, first);
    DestroyWindow(h);
  }
}

TEST(WindowDestroy, FocusedChildHandsFocusToItsParent) {
  Recorder rec;
  HWND top = rec.Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND child = rec.Create(WS_CHILD | WS_VISIBLE, top, 1);
  SetFocus(child);
  EXPECT_EQ(GetFocus(), child);
  SetCapture(child);
  rec.Clear();
  DestroyWindow(child);
  EXPECT_EQ(GetFocus(), top);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(rec.Of(child, {WM_KILLFOCUS, WM_CAPTURECHANGED, WM_DESTROY}),
            Seq({WM_KILLFOCUS, WM_CAPTURECHANGED, WM_DESTROY}));
  DestroyWindow(top);
}

TEST(WindowDestroy, CloseAndSysCloseDestroyThroughTheDefaultProcedure) {
  Recorder rec;
  HWND h = rec.Create(WS_OVERLAPPEDWINDOW);
  SendMessageA(h, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(rec.Of(h, {WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY}), Seq({WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY}));
}

TEST(WindowDestroy, AnotherThreadCannotDestroyAWindow) {
  Recorder rec;
  HWND h = rec.Create(WS_POPUP);
  BOOL ok = TRUE;
  DWORD err = 0;
  std::thread([&] {
    ok = DestroyWindow(h);
    err = GetLastError();
  }).join();
  EXPECT_FALSE(ok);
  EXPECT_EQ(err, static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(IsWindow(h));
  DestroyWindow(h);
}

TEST(WindowDestroy, WindowsOfAnEndedThreadAreGone) {
  Recorder rec;
  HWND h = nullptr;
  std::thread([&] { h = rec.Create(WS_OVERLAPPEDWINDOW); }).join();
  ASSERT_NE(h, nullptr);
  EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(SendMessageA(h, WM_USER, 1, 2), 0);
}

}  // namespace
