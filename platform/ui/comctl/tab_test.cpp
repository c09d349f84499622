// Tab strip: items, selection from code and by a user, the refusal of a
// change, geometry and painting.
#include <gtest/gtest.h>

#include "comctl_test_support.h"

namespace {

using cctest::Parent;

constexpr int kId = 1097;

int AddTab(HWND tab, int index, const char* text, LPARAM param) {
  TCITEMA ti{};
  ti.mask = TCIF_TEXT | TCIF_PARAM;
  ti.pszText = const_cast<LPSTR>(text);
  ti.lParam = param;
  return static_cast<int>(SendMessageA(tab, TCM_INSERTITEMA, index, reinterpret_cast<LPARAM>(&ti)));
}

LPARAM ParamOf(HWND tab, int index) {
  TCITEMA ti{};
  ti.mask = TCIF_PARAM;
  EXPECT_TRUE(SendMessageA(tab, TCM_GETITEMA, index, reinterpret_cast<LPARAM>(&ti)));
  return ti.lParam;
}

RECT TabRect(HWND tab, int index) {
  RECT r{};
  EXPECT_TRUE(SendMessageA(tab, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r)));
  return r;
}

void ClickTab(HWND tab, int index) {
  POINT p = cctest::Centre(TabRect(tab, index));
  cctest::Click(tab, p.x, p.y);
}

class TabTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tab = parent.Add(WC_TABCONTROLA, 0, kId, RECT{10, 10, 410, 310});
    EXPECT_EQ(AddTab(tab, 0, "All Profiles", -1), 0);
    EXPECT_EQ(AddTab(tab, 1, "Ping", 1), 1);
    EXPECT_EQ(AddTab(tab, 2, "Disk", 4), 2);
    parent.Clear();
  }
  Parent parent;
  HWND tab = nullptr;
};

TEST_F(TabTest, ItemsKeepTextsAndParams) {
  EXPECT_EQ(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(ParamOf(tab, 0), -1);
  EXPECT_EQ(ParamOf(tab, 2), 4);
  char buf[5];
  TCITEMA ti{};
  ti.mask = TCIF_TEXT;
  ti.pszText = buf;
  ti.cchTextMax = sizeof(buf);
  ASSERT_TRUE(SendMessageA(tab, TCM_GETITEMA, 0, reinterpret_cast<LPARAM>(&ti)));
  EXPECT_STREQ(buf, "All ");
  ti.pszText = const_cast<LPSTR>("Mail");
  ASSERT_TRUE(SendMessageA(tab, TCM_SETITEMA, 2, reinterpret_cast<LPARAM>(&ti)));
  ti.pszText = buf;
  SendMessageA(tab, TCM_GETITEMA, 2, reinterpret_cast<LPARAM>(&ti));
  EXPECT_STREQ(buf, "Mail");
  EXPECT_EQ(ParamOf(tab, 2), 4);  // the text alone changed
  EXPECT_FALSE(SendMessageA(tab, TCM_GETITEMA, 3, reinterpret_cast<LPARAM>(&ti)));
  // Inserting past the end appends; a negative place is refused.
  EXPECT_EQ(AddTab(tab, 9, "Web", 6), 3);
  EXPECT_EQ(AddTab(tab, -1, "Bad", 7), -1);
  EXPECT_TRUE(parent.notes.empty());
}

TEST_F(TabTest, SelectionFromCodeNotifiesNobody) {
  EXPECT_EQ(SendMessageA(tab, TCM_GETCURSEL, 0, 0), 0);  // the first tab inserted
  EXPECT_EQ(SendMessageA(tab, TCM_SETCURSEL, 2, 0), 0);
  EXPECT_EQ(SendMessageA(tab, TCM_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(SendMessageA(tab, TCM_SETCURSEL, 5, 0), -1);
  EXPECT_EQ(SendMessageA(tab, TCM_GETCURSEL, 0, 0), 2);
  EXPECT_TRUE(parent.notes.empty());
  // Inserting before the selection moves it along; deleting it leaves none.
  AddTab(tab, 0, "First", 9);
  EXPECT_EQ(SendMessageA(tab, TCM_GETCURSEL, 0, 0), 3);
  EXPECT_TRUE(SendMessageA(tab, TCM_DELETEITEM, 0, 0));
  EXPECT_EQ(SendMessageA(tab, TCM_GETCURSEL, 0, 0), 2);
  EXPECT_TRUE(SendMessageA(tab, TCM_DELETEITEM, 2, 0));
  EXPECT_EQ(SendMessageA(tab, TCM_GETCURSEL, 0, 0), -1);
  EXPECT_TRUE(SendMessageA(tab, TCM_DELETEALLITEMS, 0, 0));
  EXPECT_EQ(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0), 0);
  EXPECT_TRUE(parent.notes.empty());
}

TEST_F(TabTest, UserClickAsksThenTells) {
  ClickTab(tab, 1);
  EXPECT_EQ(parent.Codes(), (std::vector<UINT>{TCN_SELCHANGING, TCN_SELCHANGE, NM_CLICK}));
  EXPECT_EQ(parent.notes[0].id, static_cast<UINT_PTR>(kId));
  EXPECT_EQ(SendMessageA(tab, TCM_GETCURSEL, 0, 0), 1);

  // While TCN_SELCHANGING runs the old tab is still the selected one.
  LRESULT seen = -2;
  parent.on_notify = [&](NMHDR* h) -> LRESULT {
    if (h->code == TCN_SELCHANGING) seen = SendMessageA(h->hwndFrom, TCM_GETCURSEL, 0, 0);
    return 0;
  };
  ClickTab(tab, 2);
  EXPECT_EQ(seen, 1);

  // Clicking the selected tab changes nothing.
  parent.Clear();
  ClickTab(tab, 2);
  EXPECT_EQ(parent.Codes(), (std::vector<UINT>{NM_CLICK}));
}

TEST_F(TabTest, NonzeroAnswerToSelChangingRefusesTheChange) {
  parent.on_notify = [](NMHDR* h) -> LRESULT { return h->code == TCN_SELCHANGING ? TRUE : 0; };
  ClickTab(tab, 2);
  EXPECT_EQ(SendMessageA(tab, TCM_GETCURSEL, 0, 0), 0);
  EXPECT_TRUE(parent.Of(TCN_SELCHANGE).empty());
  cctest::Key(tab, VK_RIGHT);
  EXPECT_EQ(SendMessageA(tab, TCM_GETCURSEL, 0, 0), 0);
  parent.on_notify = nullptr;
  parent.Clear();
  cctest::Key(tab, VK_RIGHT);
  EXPECT_EQ(SendMessageA(tab, TCM_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(parent.Codes(), (std::vector<UINT>{TCN_KEYDOWN, TCN_SELCHANGING, TCN_SELCHANGE}));
  EXPECT_EQ(parent.notes[0].key, VK_RIGHT);
}

TEST_F(TabTest, GeometryHitTestAndDisplayArea) {
  const RECT a = TabRect(tab, 0), b = TabRect(tab, 1);
  EXPECT_EQ(a.top, b.top);
  EXPECT_LE(a.right, b.left);
  EXPECT_GT(a.right - a.left, b.right - b.left);  // wider title, wider tab
  TCHITTESTINFO hit{};
  hit.pt = cctest::Centre(b);
  EXPECT_EQ(SendMessageA(tab, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), 1);
  EXPECT_EQ(hit.flags, static_cast<UINT>(TCHT_ONITEMLABEL));
  hit.pt = POINT{390, 200};
  EXPECT_EQ(SendMessageA(tab, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), -1);
  EXPECT_EQ(hit.flags, static_cast<UINT>(TCHT_NOWHERE));

  // The display area lies below the tabs, inside the frame; the reverse gives the window back.
  RECT r{0, 0, 400, 300};
  SendMessageA(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
  EXPECT_GE(r.top, a.bottom);
  EXPECT_GT(r.left, 0);
  EXPECT_LT(r.right, 400);
  EXPECT_LT(r.bottom, 300);
  SendMessageA(tab, TCM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&r));
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right, 400);
  EXPECT_EQ(r.bottom, 300);

  EXPECT_EQ(cctest::PaintedTexts(tab), (std::vector<std::string>{"All Profiles", "Ping", "Disk"}));
}

TEST_F(TabTest, ImageListIsKeptNotOwned) {
  HIMAGELIST il = ImageList_Create(16, 16, ILC_COLOR, 1, 1);
  EXPECT_EQ(SendMessageA(tab, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(il)), 0);
  EXPECT_EQ(SendMessageA(tab, TCM_GETIMAGELIST, 0, 0), reinterpret_cast<LRESULT>(il));
  DestroyWindow(tab);
  EXPECT_TRUE(ImageList_Destroy(il));
}

}  // namespace
