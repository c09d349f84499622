#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include <unistd.h>

#include "ui/controls/controls_test_support.h"

namespace {

using ctltest::Parent;

LRESULT Add(HWND lb, const char* text) { return SendMessageA(lb, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)); }

std::string ItemText(HWND lb, int i) {
  char buf[256] = {};
  if (SendMessageA(lb, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buf)) == LB_ERR) return "<err>";
  return buf;
}

// The client y of the middle of item i of a list whose items are `h` high, from the top.
int ItemY(HWND lb, int i) {
  RECT r{};
  SendMessageA(lb, LB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r));
  return (r.top + r.bottom) / 2;
}

TEST(ListBoxTest, SortedListReturnsInsertionPositions) {
  Parent p;
  HWND lb = p.Add("ListBox", "", LBS_SORT, 1, RECT{0, 0, 150, 200});
  EXPECT_EQ(Add(lb, "pear"), 0);
  EXPECT_EQ(Add(lb, "Apple"), 0);
  EXPECT_EQ(Add(lb, "banana"), 1);
  EXPECT_EQ(Add(lb, "APPLE"), 1);  // after its equal
  EXPECT_EQ(Add(lb, "zebra"), 4);
  // LB_INSERTSTRING places where it is told, sorted or not.
  EXPECT_EQ(SendMessageA(lb, LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>("zz-first")), 0);
  EXPECT_EQ(SendMessageA(lb, LB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("aa-last")), 6);
  EXPECT_EQ(SendMessageA(lb, LB_INSERTSTRING, 99, reinterpret_cast<LPARAM>("x")), LB_ERR);
  EXPECT_EQ(SendMessageA(lb, LB_GETCOUNT, 0, 0), 7);
  EXPECT_EQ(ItemText(lb, 2), "APPLE");
  EXPECT_EQ(SendMessageA(lb, LB_GETTEXTLEN, 3, 0), 6);
  EXPECT_EQ(ItemText(lb, 7), "<err>");
  EXPECT_TRUE(p.commands.empty());
}

TEST(ListBoxTest, FindSelectAndItemData) {
  Parent p;
  HWND lb = p.Add("ListBox", "", LBS_NOTIFY, 1, RECT{0, 0, 150, 200});
  for (const char* t : {"Alpha", "beta", "alphabet", "Gamma"}) Add(lb, t);
  EXPECT_EQ(SendMessageA(lb, LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("ALP")), 0);
  EXPECT_EQ(SendMessageA(lb, LB_FINDSTRING, 0, reinterpret_cast<LPARAM>("alp")), 2);
  EXPECT_EQ(SendMessageA(lb, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("gamma")), 3);
  EXPECT_EQ(SendMessageA(lb, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("gam")), LB_ERR);

  EXPECT_EQ(SendMessageA(lb, LB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("be")), 1);
  EXPECT_EQ(SendMessageA(lb, LB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(SendMessageA(lb, LB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("no")), LB_ERR);
  EXPECT_EQ(SendMessageA(lb, LB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(SendMessageA(lb, LB_SETCURSEL, 3, 0), 3);
  EXPECT_EQ(SendMessageA(lb, LB_SETCURSEL, 9, 0), LB_ERR);
  EXPECT_EQ(SendMessageA(lb, LB_GETCURSEL, 0, 0), 3);
  EXPECT_EQ(SendMessageA(lb, LB_SETCURSEL, static_cast<WPARAM>(-1), 0), LB_ERR);
  EXPECT_EQ(SendMessageA(lb, LB_GETCURSEL, 0, 0), LB_ERR);
  // Selection from code is never told, even with LBS_NOTIFY.
  EXPECT_TRUE(p.commands.empty());

  EXPECT_EQ(SendMessageA(lb, LB_SETITEMDATA, 2, 0xBEEF), TRUE);
  EXPECT_EQ(SendMessageA(lb, LB_GETITEMDATA, 2, 0), 0xBEEF);
  EXPECT_EQ(SendMessageA(lb, LB_GETITEMDATA, 4, 0), LB_ERR);
  // Removing an item with item data tells the parent.
  EXPECT_EQ(SendMessageA(lb, LB_DELETESTRING, 2, 0), 3);
  ASSERT_EQ(p.deletes.size(), 1u);
  EXPECT_EQ(p.deletes[0].itemData, 0xBEEFu);
  EXPECT_EQ(p.deletes[0].itemID, 2u);
  EXPECT_EQ(p.deletes[0].CtlType, static_cast<UINT>(ODT_LISTBOX));
  EXPECT_EQ(SendMessageA(lb, LB_DELETESTRING, 3, 0), LB_ERR);
  SendMessageA(lb, LB_RESETCONTENT, 0, 0);
  EXPECT_EQ(SendMessageA(lb, LB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(p.deletes.size(), 1u);
}

TEST(ListBoxTest, MultipleSelectionQueries) {
  Parent p;
  HWND lb = p.Add("ListBox", "", LBS_MULTIPLESEL, 1, RECT{0, 0, 150, 200});
  for (int i = 0; i < 5; ++i) Add(lb, std::to_string(i).c_str());
  EXPECT_EQ(SendMessageA(lb, LB_SETCURSEL, 1, 0), LB_ERR);
  EXPECT_EQ(SendMessageA(lb, LB_SETSEL, TRUE, 1), LB_OKAY);
  EXPECT_EQ(SendMessageA(lb, LB_SETSEL, TRUE, 3), LB_OKAY);
  EXPECT_EQ(SendMessageA(lb, LB_SETSEL, TRUE, 7), LB_ERR);
  EXPECT_EQ(SendMessageA(lb, LB_GETSELCOUNT, 0, 0), 2);
  int items[8] = {};
  EXPECT_EQ(SendMessageA(lb, LB_GETSELITEMS, 8, reinterpret_cast<LPARAM>(items)), 2);
  EXPECT_EQ(items[0], 1);
  EXPECT_EQ(items[1], 3);
  EXPECT_EQ(SendMessageA(lb, LB_GETSELITEMS, 1, reinterpret_cast<LPARAM>(items)), 1);
  EXPECT_GT(SendMessageA(lb, LB_GETSEL, 3, 0), 0);
  EXPECT_EQ(SendMessageA(lb, LB_GETSEL, 2, 0), 0);
  EXPECT_EQ(SendMessageA(lb, LB_GETSEL, 9, 0), LB_ERR);
  SendMessageA(lb, LB_SELITEMRANGEEX, 4, 2);  // backwards: deselect
  EXPECT_EQ(SendMessageA(lb, LB_GETSELCOUNT, 0, 0), 1);
  SendMessageA(lb, LB_SETSEL, TRUE, static_cast<LPARAM>(-1));
  EXPECT_EQ(SendMessageA(lb, LB_GETSELCOUNT, 0, 0), 5);
  SendMessageA(lb, LB_SELITEMRANGE, FALSE, MAKELPARAM(0, 3));
  EXPECT_EQ(SendMessageA(lb, LB_GETSELCOUNT, 0, 0), 1);

  HWND single = p.Add("ListBox", "", 0, 2, RECT{200, 0, 350, 200});
  Add(single, "a");
  EXPECT_EQ(SendMessageA(single, LB_GETSELCOUNT, 0, 0), LB_ERR);
  EXPECT_EQ(SendMessageA(single, LB_GETSELITEMS, 8, reinterpret_cast<LPARAM>(items)), LB_ERR);
  EXPECT_EQ(SendMessageA(single, LB_SETSEL, TRUE, 0), LB_ERR);
}

TEST(ListBoxTest, UserClicksAndKeysNotifyWithLbsNotifyOnly) {
  Parent p;
  HWND lb = p.Add("ListBox", "", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 1, RECT{0, 0, 150, 200});
  HWND quiet = p.Add("ListBox", "", LBS_NOINTEGRALHEIGHT, 2, RECT{200, 0, 350, 200});
  for (const char* t : {"a", "b", "c"}) {
    Add(lb, t);
    Add(quiet, t);
  }
  ctltest::Click(lb, 5, ItemY(lb, 1));
  EXPECT_EQ(SendMessageA(lb, LB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(p.Codes(1), (std::vector<int>{LBN_SETFOCUS, LBN_SELCHANGE}));
  // Clicking the selected item again changes nothing.
  p.Clear();
  ctltest::Click(lb, 5, ItemY(lb, 1));
  EXPECT_TRUE(p.commands.empty());
  SendMessageA(lb, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, ItemY(lb, 1)));
  SendMessageA(lb, WM_LBUTTONUP, 0, MAKELPARAM(5, ItemY(lb, 1)));
  EXPECT_EQ(p.Codes(1), (std::vector<int>{LBN_DBLCLK}));

  p.Clear();
  ctltest::Key(lb, VK_DOWN);
  EXPECT_EQ(SendMessageA(lb, LB_GETCURSEL, 0, 0), 2);
  ctltest::Key(lb, VK_DOWN);  // at the end: no change, nothing told
  ctltest::Key(lb, VK_HOME);
  EXPECT_EQ(p.Codes(1), (std::vector<int>{LBN_SELCHANGE, LBN_SELCHANGE}));
  SendMessageA(lb, WM_CHAR, 'C', 1);
  EXPECT_EQ(SendMessageA(lb, LB_GETCURSEL, 0, 0), 2);

  ctltest::Click(quiet, 5, ItemY(quiet, 2));
  EXPECT_EQ(SendMessageA(quiet, LB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(p.Codes(2), (std::vector<int>{LBN_SETFOCUS}));
}

TEST(ListBoxTest, ExtendedSelectionByMouse) {
  Parent p;
  HWND lb = p.Add("ListBox", "", LBS_NOTIFY | LBS_EXTENDEDSEL | LBS_NOINTEGRALHEIGHT, 1, RECT{0, 0, 150, 200});
  for (int i = 0; i < 5; ++i) Add(lb, std::to_string(i).c_str());
  ctltest::Click(lb, 5, ItemY(lb, 1));
  // Dragging extends the selection from where the press began.
  SendMessageA(lb, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, ItemY(lb, 2)));
  SendMessageA(lb, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, ItemY(lb, 4)));
  SendMessageA(lb, WM_LBUTTONUP, 0, MAKELPARAM(5, ItemY(lb, 4)));
  int items[8] = {};
  ASSERT_EQ(SendMessageA(lb, LB_GETSELITEMS, 8, reinterpret_cast<LPARAM>(items)), 3);
  EXPECT_EQ(items[0], 2);
  EXPECT_EQ(items[2], 4);
  EXPECT_EQ(SendMessageA(lb, LB_GETCARETINDEX, 0, 0), 4);
  EXPECT_EQ(SendMessageA(lb, LB_GETANCHORINDEX, 0, 0), 2);
  EXPECT_EQ(p.Codes(1), (std::vector<int>{LBN_SETFOCUS, LBN_SELCHANGE, LBN_SELCHANGE}));
}

TEST(ListBoxTest, OwnerDrawnFixedListMeasuresOnceAndDrawsEachItem) {
  Parent p;
  p.on_measure = [](MEASUREITEMSTRUCT& m) { m.itemHeight = 20; };
  HWND lb = p.Add("ListBox", "", LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT, 4,
                  RECT{0, 0, 120, 50});
  ASSERT_EQ(p.measures.size(), 1u);
  EXPECT_EQ(p.measures[0].CtlType, static_cast<UINT>(ODT_LISTBOX));
  EXPECT_EQ(p.measures[0].itemID, 0u);
  EXPECT_EQ(SendMessageA(lb, LB_GETITEMHEIGHT, 0, 0), 20);
  for (const char* t : {"a", "b", "c", "d"}) Add(lb, t);
  SendMessageA(lb, LB_SETITEMDATA, 1, 77);
  SendMessageA(lb, LB_SETCURSEL, 1, 0);
  p.draws.clear();
  SendMessageA(lb, WM_PAINT, 0, 0);
  // Items 0..2 reach into the 50 pixels of the list.
  ASSERT_EQ(p.draws.size(), 3u);
  EXPECT_EQ(p.draws[1].itemID, 1u);
  EXPECT_EQ(p.draws[1].itemData, 77u);
  EXPECT_TRUE(p.draws[1].itemState & ODS_SELECTED);
  EXPECT_FALSE(p.draws[0].itemState & ODS_SELECTED);
  EXPECT_EQ(p.draws[1].rcItem.top, 20);
  EXPECT_EQ(p.draws[1].rcItem.bottom, 40);
  EXPECT_EQ(SendMessageA(lb, LB_SETITEMHEIGHT, 0, 300), LB_ERR);
}

TEST(ListBoxTest, OwnerDrawnItemsWithoutTextsAreData) {
  Parent p;
  p.on_compare = [](const COMPAREITEMSTRUCT& c) {
    return c.itemData1 < c.itemData2 ? -1 : (c.itemData1 > c.itemData2 ? 1 : 0);
  };
  HWND lb = p.Add("ListBox", "", LBS_OWNERDRAWFIXED | LBS_SORT, 5, RECT{0, 0, 120, 100});
  EXPECT_EQ(SendMessageA(lb, LB_ADDSTRING, 0, 30), 0);
  EXPECT_EQ(SendMessageA(lb, LB_ADDSTRING, 0, 10), 0);
  EXPECT_EQ(SendMessageA(lb, LB_ADDSTRING, 0, 20), 1);
  EXPECT_EQ(SendMessageA(lb, LB_GETITEMDATA, 2, 0), 30);
  ULONG_PTR data = 0;
  EXPECT_EQ(SendMessageA(lb, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(&data)), static_cast<LRESULT>(sizeof(data)));
  EXPECT_EQ(data, 20u);
  EXPECT_EQ(SendMessageA(lb, LB_FINDSTRING, static_cast<WPARAM>(-1), 30), 2);
}

TEST(ListBoxTest, TopIndexAndIntegralHeight) {
  Parent p;
  HWND lb = p.Add("ListBox", "", WS_VSCROLL, 1, RECT{0, 0, 100, 100});
  RECT c{};
  GetClientRect(lb, &c);
  const LRESULT h = SendMessageA(lb, LB_GETITEMHEIGHT, 0, 0);
  ASSERT_GT(h, 0);
  EXPECT_EQ(c.bottom % h, 0);  // no item shows in part
  for (int i = 0; i < 30; ++i) Add(lb, std::to_string(i).c_str());
  const int visible = static_cast<int>(c.bottom / h);
  EXPECT_EQ(SendMessageA(lb, LB_SETTOPINDEX, 29, 0), LB_OKAY);
  EXPECT_EQ(SendMessageA(lb, LB_GETTOPINDEX, 0, 0), 30 - visible);
  SCROLLINFO si{sizeof(si), SIF_ALL, 0, 0, 0, 0, 0};
  ASSERT_TRUE(GetScrollInfo(lb, SB_VERT, &si));
  EXPECT_EQ(si.nMax, 29);
  EXPECT_EQ(si.nPage, static_cast<UINT>(visible));
  EXPECT_EQ(si.nPos, 30 - visible);
  SendMessageA(lb, LB_SETCURSEL, 0, 0);
  EXPECT_EQ(SendMessageA(lb, LB_GETTOPINDEX, 0, 0), 0);
  EXPECT_EQ(SendMessageA(lb, LB_SETTOPINDEX, 40, 0), LB_ERR);
}

TEST(ListBoxTest, DirectoryListingFollowsTheFileKinds) {
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / ("qv_lbdir_" + std::to_string(::getpid()));
  fs::create_directories(dir / "sub");
  std::ofstream(dir / "b.txt") << "x";
  std::ofstream(dir / "a.log") << "x";
  Parent p;
  HWND lb = p.Add("ListBox", "", LBS_SORT, 1, RECT{0, 0, 150, 200});
  const std::string pattern = (dir / "*").string();
  EXPECT_EQ(SendMessageA(lb, LB_DIR, DDL_READWRITE, reinterpret_cast<LPARAM>(pattern.c_str())), 1);
  EXPECT_EQ(ItemText(lb, 0), "a.log");
  EXPECT_EQ(ItemText(lb, 1), "b.txt");
  SendMessageA(lb, LB_RESETCONTENT, 0, 0);
  SendMessageA(lb, LB_DIR, DDL_DIRECTORY | DDL_EXCLUSIVE, reinterpret_cast<LPARAM>(pattern.c_str()));
  ASSERT_EQ(SendMessageA(lb, LB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(ItemText(lb, 0), "[..]");
  EXPECT_EQ(ItemText(lb, 1), "[sub]");
  const std::string none = (dir / "*.none").string();
  EXPECT_EQ(SendMessageA(lb, LB_DIR, DDL_READWRITE, reinterpret_cast<LPARAM>(none.c_str())), LB_ERR);
  fs::remove_all(dir);
}

TEST(ListBoxTest, ParentMayDestroyTheListWhileItIsTold) {
  Parent p;
  HWND lb = p.Add("ListBox", "", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 1, RECT{0, 0, 150, 200});
  for (const char* t : {"a", "b"}) Add(lb, t);
  SendMessageA(lb, LB_SETITEMDATA, 0, 5);
  p.on_command = [&](const ctltest::Command& c) {
    if (c.code == LBN_SELCHANGE) DestroyWindow(c.from);
  };
  ctltest::Key(lb, VK_DOWN);
  EXPECT_FALSE(IsWindow(lb));
  // Its items went with it, the one with data told.
  ASSERT_EQ(p.deletes.size(), 1u);
  EXPECT_EQ(p.deletes[0].itemData, 5u);
}

}  // namespace

namespace {

// Another thread fills a list and an edit of the window thread: each message
// is served by the window's own thread while it waits for messages.
TEST(ListBoxTest, OtherThreadsFillTheControlsThroughMessages) {
  Parent p;
  HWND lb = p.Add("ListBox", "", LBS_SORT, 1, RECT{0, 0, 150, 200});
  HWND edit = p.Add("Edit", "", ES_AUTOHSCROLL, 2, RECT{0, 210, 150, 230});
  const DWORD main_thread = GetCurrentThreadId();
  std::thread worker([&] {
    for (int i = 0; i < 50; ++i) {
      std::string t = "n" + std::to_string(99 - i);
      SendMessageA(lb, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t.c_str()));
      SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>("x"));
    }
    PostThreadMessageA(main_thread, WM_QUIT, 0, 0);
  });
  MSG m;
  while (GetMessageA(&m, nullptr, 0, 0) > 0) DispatchMessageA(&m);
  worker.join();
  EXPECT_EQ(SendMessageA(lb, LB_GETCOUNT, 0, 0), 50);
  EXPECT_EQ(ItemText(lb, 0), "n50");
  EXPECT_EQ(ItemText(lb, 49), "n99");
  EXPECT_EQ(ctltest::Text(edit), std::string(50, 'x'));
}

}  // namespace
