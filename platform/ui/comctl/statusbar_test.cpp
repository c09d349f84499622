// Status bar: parts and their texts, simple mode, its place along the parent's
// bottom edge, and what it paints.
#include <gtest/gtest.h>

#include "comctl_test_support.h"

namespace {

using cctest::Parent;

TEST(StatusBar, PartsKeepTheirTexts) {
  Parent parent;
  HWND sb = parent.Add(STATUSCLASSNAMEA, SBARS_SIZEGRIP, 19200, RECT{0, 0, 10, 10}, "Ready");
  EXPECT_EQ(cctest::Text(sb), "Ready");
  const int rights[] = {100, 250, -1};
  ASSERT_TRUE(SendMessageA(sb, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(rights)));
  int got[4] = {};
  EXPECT_EQ(SendMessageA(sb, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(got)), 3);
  EXPECT_EQ(got[1], 250);
  EXPECT_EQ(got[2], -1);

  ASSERT_TRUE(SendMessageA(sb, SB_SETTEXTA, 1 | SBT_POPOUT, reinterpret_cast<LPARAM>("Next run 10:00")));
  EXPECT_EQ(SendMessageA(sb, SB_GETTEXTLENGTHA, 1, 0), MAKELONG(14, SBT_POPOUT));
  char buf[32];
  EXPECT_EQ(SendMessageA(sb, SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(buf)), MAKELONG(14, SBT_POPOUT));
  EXPECT_STREQ(buf, "Next run 10:00");
  EXPECT_EQ(SendMessageA(sb, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(buf)), MAKELONG(5, 0));
  EXPECT_STREQ(buf, "Ready");
  EXPECT_FALSE(SendMessageA(sb, SB_SETTEXTA, 3, reinterpret_cast<LPARAM>("x")));
  EXPECT_FALSE(SendMessageA(sb, SB_SETPARTS, 0, reinterpret_cast<LPARAM>(rights)));
  EXPECT_FALSE(SendMessageA(sb, SB_SETPARTS, 300, reinterpret_cast<LPARAM>(rights)));

  // The last part ends before the grip.
  RECT client{}, last{};
  GetClientRect(sb, &client);
  ASSERT_TRUE(SendMessageA(sb, SB_GETRECT, 2, reinterpret_cast<LPARAM>(&last)));
  EXPECT_EQ(last.left, 252);
  EXPECT_LT(last.right, client.right);

  // Simple mode shows its own text and keeps the parts'.
  SendMessageA(sb, SB_SIMPLE, TRUE, 0);
  EXPECT_TRUE(SendMessageA(sb, SB_ISSIMPLE, 0, 0));
  SendMessageA(sb, SB_SETTEXTA, SB_SIMPLEID, reinterpret_cast<LPARAM>("Working..."));
  EXPECT_EQ(cctest::PaintedTexts(sb), std::vector<std::string>{"Working..."});
  SendMessageA(sb, SB_SIMPLE, FALSE, 0);
  EXPECT_EQ(cctest::PaintedTexts(sb), (std::vector<std::string>{"Ready", "Next run 10:00"}));
  // The grip's ridges run into the bottom-right corner.
  int ridges = 0;
  for (const qvp::PaintRecord& r : qvp::GetWindowPaintLog(sb).records)
    if (r.kind == qvp::PaintKind::kLine && r.to.x == client.right - 1 && r.from.y == client.bottom - 1) ++ridges;
  EXPECT_EQ(ridges, 9);
  EXPECT_TRUE(parent.notes.empty());
}

TEST(StatusBar, SitsAlongTheParentsBottomEdge) {
  Parent parent;
  HWND sb = parent.Add(STATUSCLASSNAMEA, 0, 19200, RECT{5, 5, 50, 50});
  RECT r{}, pr{};
  GetClientRect(parent.hwnd(), &pr);
  GetWindowRect(sb, &r);
  MapWindowPoints(nullptr, parent.hwnd(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.right, pr.right);
  EXPECT_EQ(r.bottom, pr.bottom);
  EXPECT_GT(r.bottom - r.top, 13);
  // After the parent changes size, WM_SIZE puts it back on the edge.
  SetWindowPos(parent.hwnd(), nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER);
  SendMessageA(sb, WM_SIZE, 0, 0);
  GetClientRect(parent.hwnd(), &pr);
  GetWindowRect(sb, &r);
  MapWindowPoints(nullptr, parent.hwnd(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.right, pr.right);
  EXPECT_EQ(r.bottom, pr.bottom);
}

// Where a status bar or a toolbar puts itself: the CCS_ styles choose the edge,
// or only the width, or leave the bar where it was made.
TEST(BarPlacement, TheCcsStylesChooseTheEdgeOrLeaveTheBarAlone) {
  Parent parent;
  RECT pr{};
  GetClientRect(parent.hwnd(), &pr);
  auto placed = [&](HWND bar) {
    RECT r{};
    GetWindowRect(bar, &r);
    MapWindowPoints(nullptr, parent.hwnd(), reinterpret_cast<POINT*>(&r), 2);
    return r;
  };
  const RECT plain = placed(parent.Add(STATUSCLASSNAMEA, 0, 1, RECT{5, 5, 50, 50}));
  const int height = plain.bottom - plain.top;

  RECT r = placed(parent.Add(STATUSCLASSNAMEA, CCS_TOP, 2, RECT{5, 5, 50, 50}));
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right, pr.right);
  EXPECT_EQ(r.bottom, height);

  r = placed(parent.Add(STATUSCLASSNAMEA, CCS_NOMOVEY, 3, RECT{5, 7, 50, 50}));
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 7);
  EXPECT_EQ(r.right, pr.right);

  r = placed(parent.Add(STATUSCLASSNAMEA, CCS_NOPARENTALIGN, 4, RECT{5, 7, 50, 50}));
  EXPECT_EQ(r.left, 5);
  EXPECT_EQ(r.top, 7);
  EXPECT_EQ(r.right, 5 + pr.right);
  EXPECT_EQ(r.bottom, 7 + height);

  r = placed(parent.Add(STATUSCLASSNAMEA, CCS_NORESIZE, 5, RECT{5, 7, 50, 50}));
  EXPECT_EQ(r.left, 5);
  EXPECT_EQ(r.top, 7);
  EXPECT_EQ(r.right, 50);
  EXPECT_EQ(r.bottom, 50);

  // A toolbar goes along the top unless told the bottom.
  HWND tb = parent.Add(TOOLBARCLASSNAMEA, CCS_BOTTOM, 6, RECT{5, 5, 50, 50});
  SendMessageA(tb, TB_AUTOSIZE, 0, 0);
  r = placed(tb);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.right, pr.right);
  EXPECT_EQ(r.bottom, pr.bottom);
  EXPECT_GT(r.bottom - r.top, 0);
}

TEST(InitCommonControls, RegisteringAgainIsHarmless) {
  InitCommonControls();
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
  EXPECT_TRUE(InitCommonControlsEx(&icc));
  icc.dwSize = 3;
  EXPECT_FALSE(InitCommonControlsEx(&icc));
  EXPECT_FALSE(InitCommonControlsEx(nullptr));
  WNDCLASSA wc{};
  for (const char* name : {WC_LISTVIEWA, WC_HEADERA, WC_TREEVIEWA, WC_TABCONTROLA, TOOLBARCLASSNAMEA,
                           STATUSCLASSNAMEA, PROGRESS_CLASSA, UPDOWN_CLASSA})
    EXPECT_TRUE(GetClassInfoA(nullptr, name, &wc)) << name;
}

}  // namespace
