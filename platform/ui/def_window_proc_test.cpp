#include <gtest/gtest.h>

#include <optional>

#include "qvplatform.h"
#include "ui_test_support.h"

namespace {

using uitest::Recorder;

struct Family {
  Recorder rec{"DefaultProcFamily"};
  HWND parent = nullptr;
  HWND child = nullptr;
  Family() {
    parent = rec.Create(WS_OVERLAPPEDWINDOW);
    child = rec.Create(WS_CHILD | WS_VISIBLE, parent, 7, 0, "child", RECT{5, 5, 60, 40});
  }
  ~Family() { DestroyWindow(parent); }
};

TEST(DefaultProcedure, AChildPassesMouseHelpAndMenuRequestsUpToItsParent) {
  Family f;
  LRESULT parent_answer = 0;
  f.rec.SetHook([&](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (h != f.parent) return std::nullopt;
    if (m == WM_MOUSEACTIVATE || m == WM_SETCURSOR || m == WM_CONTEXTMENU || m == WM_MOUSEWHEEL || m == WM_HELP)
      return parent_answer;
    return std::nullopt;
  });

  // The parent's answer holds; where it has none, the child is activated and keeps its cursor unset.
  parent_answer = MA_NOACTIVATE;
  EXPECT_EQ(SendMessageA(f.child, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(f.parent), 0), MA_NOACTIVATE);
  EXPECT_EQ(SendMessageA(f.child, WM_SETCURSOR, reinterpret_cast<WPARAM>(f.child), HTCLIENT), TRUE);
  parent_answer = 0;
  EXPECT_EQ(SendMessageA(f.child, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(f.parent), 0), MA_ACTIVATE);
  EXPECT_EQ(SendMessageA(f.child, WM_SETCURSOR, reinterpret_cast<WPARAM>(f.child), HTCLIENT), FALSE);

  // The context menu and the wheel reach the parent with the child's arguments.
  parent_answer = 5;
  f.rec.Clear();
  EXPECT_EQ(SendMessageA(f.child, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(f.child), MAKELPARAM(30, 40)), 5);
  EXPECT_EQ(SendMessageA(f.child, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), MAKELPARAM(30, 40)), 5);
  EXPECT_EQ(SendMessageA(f.child, WM_HELP, 0, 0), 5);
  std::vector<uitest::Seen> seen;
  for (const uitest::Seen& s : f.rec.All())
    if (s.hwnd == f.parent) seen.push_back(s);
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].msg, static_cast<UINT>(WM_CONTEXTMENU));
  EXPECT_EQ(seen[0].wp, reinterpret_cast<WPARAM>(f.child));
  EXPECT_EQ(seen[0].lp, MAKELPARAM(30, 40));
  EXPECT_EQ(seen[1].msg, static_cast<UINT>(WM_MOUSEWHEEL));
  EXPECT_EQ(seen[2].msg, static_cast<UINT>(WM_HELP));

  // A top-level window has nobody above it for these, but a help request goes to its owner.
  HWND owned = f.rec.Create(WS_POPUP, f.parent, 0, 0, "owned");
  ASSERT_TRUE(owned);
  f.rec.Clear();
  EXPECT_EQ(SendMessageA(owned, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(owned), 0), 0);
  EXPECT_EQ(SendMessageA(owned, WM_MOUSEACTIVATE, 0, 0), MA_ACTIVATE);
  EXPECT_EQ(SendMessageA(owned, WM_SETCURSOR, 0, 0), FALSE);
  EXPECT_TRUE(f.rec.Of(f.parent).empty());
  EXPECT_EQ(SendMessageA(owned, WM_HELP, 0, 0), 5);
  EXPECT_EQ(f.rec.Of(f.parent), (std::vector<UINT>{WM_HELP}));
}

TEST(DefaultProcedure, QuestionsWithFixedAnswersAndTheIconSlots) {
  Recorder rec("DefaultProcAnswers");
  HWND h = rec.Create(WS_OVERLAPPEDWINDOW);
  ASSERT_TRUE(h);
  EXPECT_EQ(SendMessageA(h, WM_NOTIFYFORMAT, reinterpret_cast<WPARAM>(h), NF_QUERY), NFR_ANSI);
  EXPECT_EQ(SendMessageA(h, WM_NOTIFYFORMAT, reinterpret_cast<WPARAM>(h), NF_REQUERY), 0);
  EXPECT_EQ(SendMessageA(h, WM_VKEYTOITEM, VK_DOWN, 0), -1);
  EXPECT_EQ(SendMessageA(h, WM_CHARTOITEM, 'a', 0), -1);
  EXPECT_EQ(SendMessageA(h, WM_QUERYOPEN, 0, 0), TRUE);
  EXPECT_EQ(SendMessageA(h, WM_QUERYENDSESSION, 0, 0), TRUE);
  // An unregistered message number nobody handles answers 0.
  EXPECT_EQ(SendMessageA(h, WM_USER + 77, 1, 2), 0);

  // The big and the small icon are kept apart; setting one answers the one it replaced.
  auto* big = reinterpret_cast<HICON>(0x1110);
  auto* small = reinterpret_cast<HICON>(0x2220);
  EXPECT_EQ(SendMessageA(h, WM_GETICON, ICON_BIG, 0), 0);
  EXPECT_EQ(SendMessageA(h, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big)), 0);
  EXPECT_EQ(SendMessageA(h, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small)), 0);
  EXPECT_EQ(SendMessageA(h, WM_GETICON, ICON_BIG, 0), reinterpret_cast<LRESULT>(big));
  EXPECT_EQ(SendMessageA(h, WM_GETICON, ICON_SMALL, 0), reinterpret_cast<LRESULT>(small));
  EXPECT_EQ(SendMessageA(h, WM_SETICON, ICON_BIG, 0), reinterpret_cast<LRESULT>(big));
  EXPECT_EQ(SendMessageA(h, WM_GETICON, ICON_BIG, 0), 0);
  DestroyWindow(h);
}

TEST(DefaultProcedure, RedrawSwitchAndWindowMenuCommands) {
  Recorder rec("DefaultProcRedraw");
  HWND h = rec.Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  ASSERT_TRUE(h);
  ASSERT_TRUE(IsWindowVisible(h));

  // Redraw off hides the window from painting and tells nobody; on shows it again.
  rec.Clear();
  SendMessageA(h, WM_SETREDRAW, FALSE, 0);
  EXPECT_FALSE(IsWindowVisible(h));
  EXPECT_EQ(rec.Of(h), (std::vector<UINT>{WM_SETREDRAW}));
  SendMessageA(h, WM_SETREDRAW, TRUE, 0);
  EXPECT_TRUE(IsWindowVisible(h));

  SendMessageA(h, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(IsIconic(h));
  SendMessageA(h, WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_FALSE(IsIconic(h));
  SendMessageA(h, WM_SYSCOMMAND, SC_MAXIMIZE | 0x2, 0);  // the low four bits are the system's own
  EXPECT_TRUE(IsZoomed(h));
  SendMessageA(h, WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_FALSE(IsZoomed(h));

  // Alt+F4 on a child closes its top-level window; F4 alone does nothing.
  HWND child = rec.Create(WS_CHILD | WS_VISIBLE, h, 3, 0, "child", RECT{0, 0, 20, 20});
  ASSERT_TRUE(child);
  SendMessageA(child, WM_SYSKEYDOWN, VK_F4, 0);
  EXPECT_TRUE(IsWindow(h));
  SendMessageA(child, WM_SYSKEYDOWN, VK_F4, 1L << 29);
  EXPECT_FALSE(IsWindow(h));
}

}  // namespace
