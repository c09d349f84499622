#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "qvplatform.h"

namespace {

constexpr UINT kNotFound = static_cast<UINT>(-1);

std::string TextOf(HMENU m, UINT item, UINT flags) {
  char buf[64];
  int n = GetMenuStringA(m, item, buf, sizeof buf, flags);
  return std::string(buf, static_cast<size_t>(n));
}

// File { Open 101, Save 102 (grayed), ---, Recent { One 111, Two 112 } }, Help 200
struct Sample {
  HMENU bar = CreateMenu();
  HMENU file = CreatePopupMenu();
  HMENU recent = CreatePopupMenu();
  Sample() {
    AppendMenuA(recent, MF_STRING, 111, "One");
    AppendMenuA(recent, MF_STRING, 112, "Two");
    AppendMenuA(file, MF_STRING, 101, "&Open");
    AppendMenuA(file, MF_STRING | MF_GRAYED, 102, "&Save");
    AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(file, MF_POPUP, reinterpret_cast<UINT_PTR>(recent), "&Recent");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    AppendMenuA(bar, MF_STRING, 200, "&Help");
  }
  ~Sample() { DestroyMenu(bar); }
};

TEST(MenuItems, BuildAndReadBack) {
  Sample s;
  EXPECT_EQ(GetMenuItemCount(s.bar), 2);
  EXPECT_EQ(GetMenuItemCount(s.file), 4);
  EXPECT_EQ(GetSubMenu(s.bar, 0), s.file);
  EXPECT_EQ(GetSubMenu(s.bar, 1), nullptr);
  EXPECT_EQ(GetSubMenu(s.file, 3), s.recent);
  EXPECT_EQ(GetMenuItemID(s.bar, 0), kNotFound);  // a pop-up has no command
  EXPECT_EQ(GetMenuItemID(s.bar, 1), 200u);
  EXPECT_EQ(GetMenuItemID(s.file, 2), 0u);  // the separator
  EXPECT_EQ(GetMenuItemID(s.file, 9), kNotFound);

  EXPECT_EQ(TextOf(s.bar, 0, MF_BYPOSITION), "&File");
  EXPECT_EQ(TextOf(s.bar, 112, MF_BYCOMMAND), "Two");  // found in a sub-menu of a sub-menu
  EXPECT_EQ(GetMenuStringA(s.bar, 102, nullptr, 0, MF_BYCOMMAND), 5);  // the length when no buffer
  char small[3] = "xx";
  EXPECT_EQ(GetMenuStringA(s.bar, 101, small, 3, MF_BYCOMMAND), 2);
  EXPECT_STREQ(small, "&O");
  EXPECT_EQ(GetMenuStringA(s.file, 2, small, 3, MF_BYPOSITION), 0);  // a separator has no text
  EXPECT_STREQ(small, "");

  EXPECT_EQ(GetMenuState(s.bar, 102, MF_BYCOMMAND), static_cast<UINT>(MF_GRAYED));
  EXPECT_EQ(GetMenuState(s.file, 2, MF_BYPOSITION), static_cast<UINT>(MF_SEPARATOR));
  // A pop-up: its item count in the high byte, MF_POPUP in the low byte.
  EXPECT_EQ(GetMenuState(s.file, 3, MF_BYPOSITION), (2u << 8) | MF_POPUP);
  EXPECT_EQ(GetMenuState(s.bar, 999, MF_BYCOMMAND), kNotFound);
}

TEST(MenuItems, EnableAndCheckAnswerThePreviousState) {
  Sample s;
  // By command from the bar reaches items two levels down.
  EXPECT_EQ(EnableMenuItem(s.bar, 111, MF_BYCOMMAND | MF_GRAYED), MF_ENABLED);
  EXPECT_EQ(EnableMenuItem(s.bar, 111, MF_BYCOMMAND | MF_DISABLED), MF_GRAYED);
  EXPECT_EQ(EnableMenuItem(s.bar, 111, MF_BYCOMMAND | MF_ENABLED), MF_DISABLED);
  EXPECT_EQ(GetMenuState(s.recent, 0, MF_BYPOSITION), static_cast<UINT>(MF_ENABLED));
  EXPECT_EQ(EnableMenuItem(s.bar, 102, MF_BYCOMMAND | MF_ENABLED), MF_GRAYED);
  EXPECT_EQ(EnableMenuItem(s.bar, 4242, MF_BYCOMMAND | MF_GRAYED), -1);
  // By position only the given menu counts.
  EXPECT_EQ(EnableMenuItem(s.bar, 0, MF_BYPOSITION | MF_GRAYED), MF_ENABLED);
  EXPECT_EQ(GetMenuState(s.bar, 0, MF_BYPOSITION) & 0xFF, static_cast<UINT>(MF_POPUP | MF_GRAYED));
  EXPECT_EQ(EnableMenuItem(s.bar, 5, MF_BYPOSITION | MF_GRAYED), -1);

  EXPECT_EQ(CheckMenuItem(s.bar, 112, MF_BYCOMMAND | MF_CHECKED), static_cast<DWORD>(MF_UNCHECKED));
  EXPECT_EQ(CheckMenuItem(s.bar, 112, MF_BYCOMMAND | MF_CHECKED), static_cast<DWORD>(MF_CHECKED));
  EXPECT_EQ(CheckMenuItem(s.bar, 112, MF_BYCOMMAND | MF_UNCHECKED), static_cast<DWORD>(MF_CHECKED));
  EXPECT_EQ(CheckMenuItem(s.bar, 4242, MF_BYCOMMAND | MF_CHECKED), static_cast<DWORD>(-1));
  // Checking leaves the enabled state alone and the other way round.
  EnableMenuItem(s.bar, 101, MF_BYCOMMAND | MF_GRAYED);
  CheckMenuItem(s.bar, 101, MF_BYCOMMAND | MF_CHECKED);
  EXPECT_EQ(GetMenuState(s.bar, 101, MF_BYCOMMAND), static_cast<UINT>(MF_GRAYED | MF_CHECKED));
}

TEST(MenuItems, ByCommandPrefersACommandOverAPopupOfTheSameId) {
  HMENU bar = CreateMenu();
  HMENU sub = CreatePopupMenu();
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "Sub");
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_ID;
  info.wID = 77;
  ASSERT_TRUE(SetMenuItemInfoA(bar, 0, TRUE, &info));
  EXPECT_EQ(EnableMenuItem(bar, 77, MF_BYCOMMAND | MF_GRAYED), MF_ENABLED);  // the pop-up itself
  AppendMenuA(sub, MF_STRING, 77, "Same id");
  EXPECT_EQ(EnableMenuItem(bar, 77, MF_BYCOMMAND | MF_GRAYED), MF_ENABLED);  // now the command
  EXPECT_EQ(GetMenuState(sub, 0, MF_BYPOSITION), static_cast<UINT>(MF_GRAYED));
  DestroyMenu(bar);
}

TEST(MenuItems, InsertModifyDeleteRemove) {
  Sample s;
  // By command the item goes before the one named, in that item's own menu.
  ASSERT_TRUE(InsertMenuA(s.bar, 112, MF_BYCOMMAND | MF_STRING, 113, "One and a half"));
  EXPECT_EQ(GetMenuItemCount(s.recent), 3);
  EXPECT_EQ(GetMenuItemID(s.recent, 1), 113u);
  // Past the end appends; -1 too.
  ASSERT_TRUE(InsertMenuA(s.bar, 50, MF_BYPOSITION | MF_STRING, 300, "Last"));
  ASSERT_TRUE(InsertMenuA(s.bar, static_cast<UINT>(-1), MF_BYPOSITION | MF_STRING, 301, "Very last"));
  EXPECT_EQ(GetMenuItemID(s.bar, 2), 300u);
  EXPECT_EQ(GetMenuItemID(s.bar, 3), 301u);
  SetLastError(0);
  EXPECT_FALSE(InsertMenuA(s.bar, 4242, MF_BYCOMMAND | MF_STRING, 1, "x"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MENU_ITEM_NOT_FOUND));

  ASSERT_TRUE(ModifyMenuA(s.bar, 300, MF_BYCOMMAND | MF_STRING | MF_CHECKED, 310, "Changed"));
  EXPECT_EQ(GetMenuItemID(s.bar, 2), 310u);
  EXPECT_EQ(TextOf(s.bar, 310, MF_BYCOMMAND), "Changed");
  EXPECT_EQ(GetMenuState(s.bar, 310, MF_BYCOMMAND), static_cast<UINT>(MF_CHECKED));

  // Replacing the pop-up item destroys the pop-up it opened; RemoveMenu keeps it.
  HMENU keep = CreatePopupMenu();
  AppendMenuA(s.bar, MF_POPUP, reinterpret_cast<UINT_PTR>(keep), "Keep");
  ASSERT_TRUE(ModifyMenuA(s.file, 3, MF_BYPOSITION | MF_STRING, 120, "No longer a pop-up"));
  EXPECT_FALSE(IsMenu(s.recent));
  ASSERT_TRUE(RemoveMenu(s.bar, 4, MF_BYPOSITION));
  EXPECT_TRUE(IsMenu(keep));
  EXPECT_EQ(GetMenuItemCount(s.bar), 4);
  ASSERT_TRUE(DeleteMenu(s.bar, 0, MF_BYPOSITION));
  EXPECT_FALSE(IsMenu(s.file));
  EXPECT_FALSE(DeleteMenu(s.bar, 101, MF_BYCOMMAND));  // went with the pop-up
  DestroyMenu(keep);
}

TEST(MenuItems, DestroyIsRecursiveAndHandlesGoStale) {
  Sample s;
  HMENU bar = s.bar;
  ASSERT_TRUE(DestroyMenu(bar));
  EXPECT_FALSE(IsMenu(bar));
  EXPECT_FALSE(IsMenu(s.file));
  EXPECT_FALSE(IsMenu(s.recent));
  SetLastError(0);
  EXPECT_FALSE(DestroyMenu(bar));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_MENU_HANDLE));
  EXPECT_EQ(GetMenuItemCount(bar), -1);
  EXPECT_FALSE(AppendMenuA(bar, MF_STRING, 1, "x"));
  EXPECT_FALSE(AppendMenuA(CreateMenu(), MF_POPUP, reinterpret_cast<UINT_PTR>(s.file), "stale pop-up"));
  s.bar = nullptr;
}

TEST(MenuItems, AMenuCannotContainItself) {
  HMENU a = CreatePopupMenu();
  HMENU b = CreatePopupMenu();
  ASSERT_TRUE(AppendMenuA(a, MF_POPUP, reinterpret_cast<UINT_PTR>(b), "b"));
  SetLastError(0);
  EXPECT_FALSE(AppendMenuA(b, MF_POPUP, reinterpret_cast<UINT_PTR>(a), "a"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(AppendMenuA(a, MF_POPUP, reinterpret_cast<UINT_PTR>(a), "self"));
  AppendMenuA(b, MF_STRING, 5, "five");
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_SUBMENU;
  info.hSubMenu = a;
  EXPECT_FALSE(SetMenuItemInfoA(b, 0, TRUE, &info));
  EXPECT_EQ(GetMenuState(a, 5, MF_BYCOMMAND), static_cast<UINT>(MF_ENABLED));
  DestroyMenu(a);
  EXPECT_FALSE(IsMenu(b));
}

TEST(MenuItems, RadioGroupsAndDefaults) {
  HMENU m = CreatePopupMenu();
  for (UINT id = 10; id <= 14; ++id) AppendMenuA(m, MF_STRING | MF_CHECKED, id, "v");
  ASSERT_TRUE(CheckMenuRadioItem(m, 11, 13, 12, MF_BYCOMMAND));
  EXPECT_EQ(GetMenuState(m, 10, MF_BYCOMMAND), static_cast<UINT>(MF_CHECKED));  // outside the group
  EXPECT_EQ(GetMenuState(m, 11, MF_BYCOMMAND), 0u);
  EXPECT_EQ(GetMenuState(m, 12, MF_BYCOMMAND), static_cast<UINT>(MF_CHECKED | MFT_RADIOCHECK));
  EXPECT_EQ(GetMenuState(m, 13, MF_BYCOMMAND), 0u);
  EXPECT_FALSE(CheckMenuRadioItem(m, 11, 13, 14, MF_BYCOMMAND));  // not in the group
  ASSERT_TRUE(CheckMenuRadioItem(m, 0, 4, 4, MF_BYPOSITION));
  EXPECT_EQ(GetMenuState(m, 12, MF_BYCOMMAND), 0u);
  EXPECT_EQ(GetMenuState(m, 14, MF_BYCOMMAND), static_cast<UINT>(MF_CHECKED | MFT_RADIOCHECK));

  EXPECT_EQ(GetMenuDefaultItem(m, FALSE, 0), kNotFound);
  ASSERT_TRUE(SetMenuDefaultItem(m, 13, FALSE));
  ASSERT_TRUE(SetMenuDefaultItem(m, 1, TRUE));  // only one default
  EXPECT_EQ(GetMenuDefaultItem(m, FALSE, 0), 11u);
  EXPECT_EQ(GetMenuDefaultItem(m, TRUE, 0), 1u);
  EnableMenuItem(m, 11, MF_BYCOMMAND | MF_GRAYED);
  EXPECT_EQ(GetMenuDefaultItem(m, FALSE, 0), kNotFound);
  EXPECT_EQ(GetMenuDefaultItem(m, FALSE, GMDI_USEDISABLED), 11u);
  EXPECT_FALSE(SetMenuDefaultItem(m, 99, FALSE));
  ASSERT_TRUE(SetMenuDefaultItem(m, static_cast<UINT>(-1), FALSE));
  EXPECT_EQ(GetMenuDefaultItem(m, FALSE, GMDI_USEDISABLED), kNotFound);

  // Into pop-ups: the pop-up's own default when it has one, else the pop-up item.
  HMENU bar = CreateMenu();
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(m), "m");
  SetMenuDefaultItem(bar, 0, TRUE);
  EXPECT_EQ(GetMenuDefaultItem(bar, TRUE, GMDI_GOINTOPOPUPS), 0u);
  SetMenuDefaultItem(m, 14, FALSE);
  EXPECT_EQ(GetMenuDefaultItem(bar, FALSE, GMDI_GOINTOPOPUPS), 14u);
  EXPECT_EQ(GetMenuDefaultItem(bar, TRUE, GMDI_GOINTOPOPUPS), 4u);
  DestroyMenu(bar);
}

TEST(MenuItems, ItemInfoRoundTrip) {
  Sample s;
  char text[16] = {};
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING | MIIM_FTYPE | MIIM_DATA;
  info.dwTypeData = text;
  info.cch = sizeof text;
  ASSERT_TRUE(GetMenuItemInfoA(s.bar, 102, FALSE, &info));
  EXPECT_EQ(info.fState, static_cast<UINT>(MF_GRAYED));
  EXPECT_EQ(info.wID, 102u);
  EXPECT_EQ(info.hSubMenu, nullptr);
  EXPECT_EQ(info.fType, static_cast<UINT>(MFT_STRING));
  EXPECT_STREQ(text, "&Save");
  EXPECT_EQ(info.cch, 5u);

  info.fMask = MIIM_STRING;
  info.dwTypeData = nullptr;
  ASSERT_TRUE(GetMenuItemInfoA(s.file, 3, TRUE, &info));
  EXPECT_EQ(info.cch, 7u);  // "&Recent"
  info.fMask = MIIM_SUBMENU | MIIM_TYPE;
  info.dwTypeData = text;
  info.cch = 4;
  ASSERT_TRUE(GetMenuItemInfoA(s.file, 3, TRUE, &info));
  EXPECT_EQ(info.hSubMenu, s.recent);
  EXPECT_STREQ(text, "&Re");  // cut to the buffer
  EXPECT_EQ(info.cch, 3u);

  MENUITEMINFOA set{};
  set.cbSize = sizeof set;
  set.fMask = MIIM_STATE | MIIM_ID | MIIM_STRING | MIIM_DATA;
  set.fState = MFS_CHECKED | MFS_DEFAULT;
  set.wID = 150;
  set.dwTypeData = const_cast<char*>("Renamed");
  set.dwItemData = 0xfeed;
  ASSERT_TRUE(SetMenuItemInfoA(s.bar, 101, FALSE, &set));
  EXPECT_EQ(GetMenuState(s.file, 150, MF_BYCOMMAND), static_cast<UINT>(MF_CHECKED | MF_DEFAULT));
  EXPECT_EQ(TextOf(s.bar, 150, MF_BYCOMMAND), "Renamed");
  MENUITEMINFOA got{};
  got.cbSize = sizeof got;
  got.fMask = MIIM_DATA;
  ASSERT_TRUE(GetMenuItemInfoA(s.file, 0, TRUE, &got));
  EXPECT_EQ(got.dwItemData, 0xfeedu);

  // Taking the sub-menu away leaves a plain command; the menu itself lives on.
  set.fMask = MIIM_SUBMENU;
  set.hSubMenu = nullptr;
  ASSERT_TRUE(SetMenuItemInfoA(s.file, 3, TRUE, &set));
  EXPECT_EQ(GetSubMenu(s.file, 3), nullptr);
  EXPECT_TRUE(IsMenu(s.recent));
  DestroyMenu(s.recent);

  // The structure must say what it is.
  MENUITEMINFOA bad{};
  bad.cbSize = 12;
  bad.fMask = MIIM_ID;
  SetLastError(0);
  EXPECT_FALSE(GetMenuItemInfoA(s.bar, 0, TRUE, &bad));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  bad.cbSize = sizeof bad;
  bad.fMask = MIIM_TYPE | MIIM_STRING;
  EXPECT_FALSE(SetMenuItemInfoA(s.bar, 0, TRUE, &bad));
  EXPECT_FALSE(GetMenuItemInfoA(s.bar, 7, TRUE, &got));
}

TEST(MenuItems, ThreadsShareOneTable) {
  HMENU shared = CreatePopupMenu();
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([shared, t] {
      for (UINT i = 0; i < 200; ++i) {
        HMENU own = CreatePopupMenu();
        AppendMenuA(own, MF_STRING, i, "x");
        AppendMenuA(shared, MF_STRING, static_cast<UINT>(t) * 1000 + i, "y");
        CheckMenuItem(shared, static_cast<UINT>(t) * 1000 + i, MF_BYCOMMAND | MF_CHECKED);
        DestroyMenu(own);
      }
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(GetMenuItemCount(shared), 800);
  EXPECT_EQ(GetMenuState(shared, 3199, MF_BYCOMMAND), static_cast<UINT>(MF_CHECKED));
  DestroyMenu(shared);
}

}  // namespace
