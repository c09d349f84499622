#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "menu_test_window.h"
#include "qvplatform.h"
#include "ui/menus/menu_hooks.h"

namespace {

using menutest::Pump;
using menutest::RecordingWindow;
using menutest::Seen;

// Open 101, Save 102, ---, Recent { One 111, Two 112 }, Locked (disabled) { Deep 121 }
struct Popup {
  HMENU menu = CreatePopupMenu();
  HMENU recent = CreatePopupMenu();
  HMENU locked = CreatePopupMenu();
  Popup() {
    AppendMenuA(recent, MF_STRING, 111, "One");
    AppendMenuA(recent, MF_STRING, 112, "Two");
    AppendMenuA(locked, MF_STRING, 121, "Deep");
    AppendMenuA(menu, MF_STRING, 101, "Open");
    AppendMenuA(menu, MF_STRING, 102, "Save");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(recent), "Recent");
    AppendMenuA(menu, MF_POPUP | MF_GRAYED, reinterpret_cast<UINT_PTR>(locked), "Locked");
  }
  ~Popup() { DestroyMenu(menu); }
};

class MenuTrack : public ::testing::Test {
 protected:
  void TearDown() override {
    qvp::SetMenuChooser(nullptr);
    qvp::ClearMenuChoices();
  }
};

std::vector<Seen> Only(const std::vector<Seen>& all, UINT msg) {
  std::vector<Seen> out;
  for (const Seen& s : all)
    if (s.msg == msg) out.push_back(s);
  return out;
}

TEST_F(MenuTrack, ReturnCmdAnswersThePickAfterTheOwnerInitialisedThePopup) {
  RecordingWindow w;
  Popup p;
  // The owner grays Save when the pop-up opens; the chooser sees that.
  w.on_message = [&](UINT msg, WPARAM wp, LPARAM) {
    if (msg == WM_INITMENUPOPUP && reinterpret_cast<HMENU>(wp) == p.menu)
      EnableMenuItem(p.menu, 102, MF_BYCOMMAND | MF_GRAYED);
  };
  HMENU asked_menu = nullptr;
  HWND asked_owner = nullptr;
  UINT save_state = 0;
  qvp::SetMenuChooser([&](HMENU m, HWND owner) {
    asked_menu = m;
    asked_owner = owner;
    save_state = GetMenuState(m, 102, MF_BYCOMMAND);
    return 101u;
  });
  EXPECT_EQ(TrackPopupMenu(p.menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, 10, 10, 0, w.hwnd, nullptr), 101);
  EXPECT_EQ(asked_menu, p.menu);
  EXPECT_EQ(asked_owner, w.hwnd);
  EXPECT_EQ(save_state, static_cast<UINT>(MF_GRAYED));

  std::vector<UINT> expected{WM_ENTERMENULOOP, WM_INITMENU, WM_INITMENUPOPUP, WM_MENUSELECT, WM_MENUSELECT,
                             WM_EXITMENULOOP};
  EXPECT_EQ(w.Ids(), expected);
  std::vector<Seen> seen = w.Messages();
  EXPECT_EQ(seen[0].wp, static_cast<WPARAM>(TRUE));  // entered for a pop-up
  EXPECT_EQ(seen[2].wp, reinterpret_cast<WPARAM>(p.menu));
  EXPECT_EQ(seen[2].lp, 0);
  EXPECT_EQ(LOWORD(seen[3].wp), 101);
  EXPECT_EQ(seen[3].lp, reinterpret_cast<LPARAM>(p.menu));
  EXPECT_EQ(HIWORD(seen[4].wp), 0xFFFF);  // closed
  EXPECT_EQ(seen[4].lp, 0);
  Pump();
  EXPECT_TRUE(Only(w.Messages(), WM_COMMAND).empty());  // the answer came back instead
}

TEST_F(MenuTrack, WithoutReturnCmdTheCommandIsPosted) {
  RecordingWindow w;
  Popup p;
  qvp::QueueMenuChoices({101});
  EXPECT_EQ(TrackPopupMenu(p.menu, 0, 10, 10, 0, w.hwnd, nullptr), TRUE);
  EXPECT_TRUE(Only(w.Messages(), WM_COMMAND).empty());  // not sent: waiting in the queue
  Pump();
  std::vector<Seen> commands = Only(w.Messages(), WM_COMMAND);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0].wp, static_cast<WPARAM>(101));  // HIWORD 0: from a menu
  EXPECT_EQ(commands[0].lp, 0);

  // Dismissed (no chooser): still success, and no command.
  w.Clear();
  qvp::CaptureDebugOutput(true);
  EXPECT_EQ(TrackPopupMenu(p.menu, 0, 10, 10, 0, w.hwnd, nullptr), TRUE);
  std::string out = qvp::TakeDebugOutput();
  qvp::CaptureDebugOutput(false);
  EXPECT_NE(out.find("dismissed"), std::string::npos);
  Pump();
  EXPECT_TRUE(Only(w.Messages(), WM_COMMAND).empty());
  EXPECT_EQ(TrackPopupMenu(p.menu, TPM_RETURNCMD, 10, 10, 0, w.hwnd, nullptr), 0);
}

TEST_F(MenuTrack, GrayedItemsAndItemsInDisabledPopupsCannotBePicked) {
  RecordingWindow w;
  Popup p;
  EnableMenuItem(p.menu, 102, MF_BYCOMMAND | MF_GRAYED);
  qvp::QueueMenuChoices({102, 121, 4242});
  for (int i = 0; i < 3; ++i) EXPECT_EQ(TrackPopupMenu(p.menu, TPM_RETURNCMD, 0, 0, 0, w.hwnd, nullptr), 0) << i;
  qvp::QueueMenuChoices({102});
  EXPECT_EQ(TrackPopupMenu(p.menu, 0, 0, 0, 0, w.hwnd, nullptr), TRUE);
  Pump();
  EXPECT_TRUE(Only(w.Messages(), WM_COMMAND).empty());
  // The disabled pop-up was never opened.
  for (const Seen& s : Only(w.Messages(), WM_INITMENUPOPUP)) EXPECT_NE(s.wp, reinterpret_cast<WPARAM>(p.locked));
}

TEST_F(MenuTrack, APickInASubMenuOpensItFirst) {
  RecordingWindow w;
  Popup p;
  bool gray_two = false;
  w.on_message = [&](UINT msg, WPARAM wp, LPARAM) {
    if (msg == WM_INITMENUPOPUP && reinterpret_cast<HMENU>(wp) == p.recent && gray_two)
      EnableMenuItem(p.recent, 112, MF_BYCOMMAND | MF_GRAYED);
  };
  qvp::QueueMenuChoices({112});
  EXPECT_EQ(TrackPopupMenu(p.menu, TPM_RETURNCMD, 0, 0, 0, w.hwnd, nullptr), 112);
  std::vector<Seen> popups = Only(w.Messages(), WM_INITMENUPOPUP);
  ASSERT_EQ(popups.size(), 2u);
  EXPECT_EQ(popups[1].wp, reinterpret_cast<WPARAM>(p.recent));
  EXPECT_EQ(LOWORD(popups[1].lp), 3);  // the position of "Recent" in its menu
  std::vector<Seen> selects = Only(w.Messages(), WM_MENUSELECT);
  ASSERT_EQ(selects.size(), 3u);
  EXPECT_EQ(LOWORD(selects[0].wp), 3);
  EXPECT_TRUE(HIWORD(selects[0].wp) & MF_POPUP);
  EXPECT_EQ(LOWORD(selects[1].wp), 112);
  EXPECT_EQ(selects[1].lp, reinterpret_cast<LPARAM>(p.recent));

  // The owner's WM_INITMENUPOPUP for the sub-menu decides too.
  gray_two = true;
  qvp::QueueMenuChoices({112});
  EXPECT_EQ(TrackPopupMenu(p.menu, TPM_RETURNCMD, 0, 0, 0, w.hwnd, nullptr), 0);
}

TEST_F(MenuTrack, NoNotifySendsNoMenuNotifications) {
  RecordingWindow w;
  Popup p;
  qvp::QueueMenuChoices({111});
  EXPECT_EQ(TrackPopupMenu(p.menu, TPM_RETURNCMD | TPM_NONOTIFY, 0, 0, 0, w.hwnd, nullptr), 111);
  EXPECT_EQ(w.Ids(), (std::vector<UINT>{WM_ENTERMENULOOP, WM_EXITMENULOOP}));
}

TEST_F(MenuTrack, RefusesBadArguments) {
  RecordingWindow w;
  Popup p;
  SetLastError(0);
  EXPECT_FALSE(TrackPopupMenu(reinterpret_cast<HMENU>(0x1234), 0, 0, 0, 0, w.hwnd, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_MENU_HANDLE));
  EXPECT_FALSE(TrackPopupMenu(p.menu, 0, 0, 0, 0, reinterpret_cast<HWND>(0x999999), nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  TPMPARAMS params{};
  params.cbSize = 3;
  EXPECT_FALSE(TrackPopupMenuEx(p.menu, 0, 0, 0, w.hwnd, &params));
  EXPECT_TRUE(w.Messages().empty());
}

TEST_F(MenuTrack, AThrowingChooserDismisses) {
  RecordingWindow w;
  Popup p;
  qvp::SetMenuChooser([](HMENU, HWND) -> UINT { throw std::runtime_error("test chooser failed"); });
  EXPECT_EQ(TrackPopupMenu(p.menu, TPM_RETURNCMD, 0, 0, 0, w.hwnd, nullptr), 0);
}

TEST_F(MenuTrack, ThreadsTrackTheirOwnPopupsAtOnce) {
  // The chooser picks each menu's first command; every thread must get its own.
  qvp::SetMenuChooser([](HMENU m, HWND) { return GetMenuItemID(m, 0); });
  std::vector<std::thread> threads;
  std::vector<int> wrong(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t, &wrong] {
      RecordingWindow w;
      HMENU m = CreatePopupMenu();
      AppendMenuA(m, MF_STRING, 1000 + static_cast<UINT>(t), "mine");
      for (int i = 0; i < 50; ++i)
        if (TrackPopupMenu(m, TPM_RETURNCMD, 0, 0, 0, w.hwnd, nullptr) != 1000 + t) ++wrong[static_cast<size_t>(t)];
      DestroyMenu(m);
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(wrong, std::vector<int>(4, 0));
}

TEST_F(MenuTrack, MenuBarOfAWindow) {
  RecordingWindow w;
  RECT before{};
  GetClientRect(w.hwnd, &before);
  HMENU bar = CreateMenu();
  Popup p;
  AppendMenuA(bar, MF_STRING, 7, "&Go");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(p.menu), "&File");
  ASSERT_TRUE(SetMenu(w.hwnd, bar));
  EXPECT_EQ(GetMenu(w.hwnd), bar);
  RECT after{};
  GetClientRect(w.hwnd, &after);
  EXPECT_EQ(before.bottom - after.bottom, GetSystemMetrics(SM_CYMENU));
  EXPECT_TRUE(DrawMenuBar(w.hwnd));

  w.Clear();
  ASSERT_TRUE(qvp::PickMenuBarItem(w.hwnd, 112));
  std::vector<UINT> expected{WM_ENTERMENULOOP, WM_INITMENU,      WM_MENUSELECT, WM_INITMENUPOPUP, WM_MENUSELECT,
                             WM_INITMENUPOPUP, WM_MENUSELECT,    WM_MENUSELECT, WM_EXITMENULOOP};
  EXPECT_EQ(w.Ids(), expected);
  std::vector<Seen> seen = w.Messages();
  EXPECT_EQ(seen[0].wp, static_cast<WPARAM>(FALSE));
  EXPECT_EQ(seen[1].wp, reinterpret_cast<WPARAM>(bar));
  EXPECT_EQ(seen[3].wp, reinterpret_cast<WPARAM>(p.menu));
  EXPECT_EQ(LOWORD(seen[3].lp), 1);
  Pump();
  std::vector<Seen> commands = Only(w.Messages(), WM_COMMAND);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0].wp, static_cast<WPARAM>(112));

  // Grayed, missing, or a disabled window: nothing is posted.
  w.Clear();
  EnableMenuItem(bar, 112, MF_BYCOMMAND | MF_GRAYED);
  EXPECT_FALSE(qvp::PickMenuBarItem(w.hwnd, 112));
  EXPECT_FALSE(qvp::PickMenuBarItem(w.hwnd, 4242));
  EnableMenuItem(bar, 112, MF_BYCOMMAND | MF_ENABLED);
  EnableWindow(w.hwnd, FALSE);
  EXPECT_FALSE(qvp::PickMenuBarItem(w.hwnd, 112));
  EnableWindow(w.hwnd, TRUE);
  Pump();
  EXPECT_TRUE(Only(w.Messages(), WM_COMMAND).empty());

  // A command on the bar itself; the window-menu key enters the bar through the chooser.
  ASSERT_TRUE(qvp::PickMenuBarItem(w.hwnd, 7));
  qvp::QueueMenuChoices({101});
  qvp::ui::EnterMenuBar(w.hwnd, SC_KEYMENU, 0);
  w.Clear();
  Pump();
  std::vector<Seen> picked = Only(w.Messages(), WM_COMMAND);
  ASSERT_EQ(picked.size(), 2u);
  EXPECT_EQ(picked[0].wp, static_cast<WPARAM>(7));
  EXPECT_EQ(picked[1].wp, static_cast<WPARAM>(101));

  ASSERT_TRUE(SetMenu(w.hwnd, nullptr));
  EXPECT_EQ(GetMenu(w.hwnd), nullptr);
  EXPECT_FALSE(qvp::PickMenuBarItem(w.hwnd, 7));
  EXPECT_TRUE(IsMenu(bar));  // taking a menu off a window does not destroy it
  RemoveMenu(bar, 1, MF_BYPOSITION);
  DestroyMenu(bar);
}

TEST_F(MenuTrack, SetMenuRefusesChildrenAndStaleMenus) {
  RecordingWindow parent;
  HWND child = CreateWindowExA(0, "MenuTestWindow", "c", WS_CHILD, 0, 0, 10, 10, parent.hwnd,
                               reinterpret_cast<HMENU>(5), nullptr, nullptr);
  HMENU m = CreateMenu();
  SetLastError(0);
  EXPECT_FALSE(SetMenu(child, m));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CHILD_WINDOW_NOMENU));
  EXPECT_EQ(GetMenu(child), nullptr);
  EXPECT_EQ(GetWindowLongPtrA(child, GWLP_ID), 5);  // the child keeps its id
  DestroyMenu(m);
  EXPECT_FALSE(SetMenu(parent.hwnd, m));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_MENU_HANDLE));
}

TEST_F(MenuTrack, WindowMenu) {
  RecordingWindow w;
  HMENU sys = GetSystemMenu(w.hwnd, FALSE);
  ASSERT_NE(sys, nullptr);
  EXPECT_EQ(GetSystemMenu(w.hwnd, FALSE), sys);
  EXPECT_EQ(GetMenuDefaultItem(sys, FALSE, 0), static_cast<UINT>(SC_CLOSE));
  EXPECT_NE(GetMenuState(sys, SC_MOVE, MF_BYCOMMAND), static_cast<UINT>(-1));
  // Changes stay in the window's copy until it is reverted.
  DeleteMenu(sys, SC_SIZE, MF_BYCOMMAND);
  EXPECT_EQ(GetMenuState(GetSystemMenu(w.hwnd, FALSE), SC_SIZE, MF_BYCOMMAND), static_cast<UINT>(-1));
  EXPECT_EQ(GetSystemMenu(w.hwnd, TRUE), nullptr);
  EXPECT_FALSE(IsMenu(sys));
  HMENU fresh = GetSystemMenu(w.hwnd, FALSE);
  EXPECT_NE(GetMenuState(fresh, SC_SIZE, MF_BYCOMMAND), static_cast<UINT>(-1));

  RecordingWindow plain(WS_POPUP);
  EXPECT_EQ(GetSystemMenu(plain.hwnd, FALSE), nullptr);

  // The window core hands a dying window's menus back.
  HMENU bar = CreateMenu();
  SetMenu(w.hwnd, bar);
  qvp::ui::ForgetWindowMenus(w.hwnd, bar);
  EXPECT_FALSE(IsMenu(bar));
  EXPECT_FALSE(IsMenu(fresh));
}

}  // namespace

TEST_F(MenuTrack, AWindowTakesItsMenuBarWithIt) {
  HMENU bar = CreateMenu();
  HMENU sub = CreatePopupMenu();
  AppendMenuA(sub, MF_STRING, 5, "&Open");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "&File");
  {
    RecordingWindow w;
    ASSERT_TRUE(SetMenu(w.hwnd, bar));
    ASSERT_TRUE(GetSystemMenu(w.hwnd, FALSE));
  }
  EXPECT_FALSE(IsMenu(bar));
  EXPECT_FALSE(IsMenu(sub));
}
