#include <gtest/gtest.h>

#include "ui/controls/controls_test_support.h"

namespace {

using ctltest::Parent;

TEST(StaticTest, ClicksReachTheParentOnlyWithSsNotify) {
  Parent p;
  HWND plain = p.Add("Static", "label", SS_LEFT, 1);
  HWND notify = p.Add("Static", "link", SS_NOTIFY, 2);
  EXPECT_EQ(SendMessageA(plain, WM_NCHITTEST, 0, MAKELPARAM(15, 15)), HTTRANSPARENT);
  EXPECT_EQ(SendMessageA(notify, WM_NCHITTEST, 0, MAKELPARAM(15, 15)), HTCLIENT);
  ctltest::Click(plain, 2, 2);
  ctltest::Click(notify, 2, 2);
  SendMessageA(notify, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(2, 2));
  EnableWindow(notify, FALSE);
  EXPECT_TRUE(p.Codes(1).empty());
  EXPECT_EQ(p.Codes(2), (std::vector<int>{STN_CLICKED, STN_DBLCLK, STN_DISABLE}));
  EXPECT_EQ(SendMessageA(plain, WM_GETDLGCODE, 0, 0), DLGC_STATIC);
  SetWindowTextA(plain, "changed");
  EXPECT_EQ(ctltest::Text(plain), "changed");
}

TEST(StaticTest, ImagesMatchTheStyle) {
  Parent p;
  HWND bmp = p.Add("Static", "", SS_BITMAP, 1);
  HWND icon = p.Add("Static", "", SS_ICON, 2);
  LPARAM h1 = 0x1000;
  LPARAM h2 = 0x2000;
  EXPECT_EQ(SendMessageA(bmp, STM_SETIMAGE, IMAGE_BITMAP, h1), 0);
  EXPECT_EQ(SendMessageA(bmp, STM_SETIMAGE, IMAGE_BITMAP, h2), h1);
  EXPECT_EQ(SendMessageA(bmp, STM_GETIMAGE, IMAGE_BITMAP, 0), h2);
  // An image of the other kind is refused.
  EXPECT_EQ(SendMessageA(bmp, STM_SETIMAGE, IMAGE_ICON, h1), 0);
  EXPECT_EQ(SendMessageA(bmp, STM_GETIMAGE, IMAGE_BITMAP, 0), h2);
  EXPECT_EQ(SendMessageA(icon, STM_SETICON, static_cast<WPARAM>(h1), 0), 0);
  EXPECT_EQ(SendMessageA(icon, STM_GETICON, 0, 0), h1);
  EXPECT_EQ(SendMessageA(icon, STM_GETIMAGE, IMAGE_ICON, 0), h1);
}

TEST(StaticTest, OwnerDrawnStaticAsksItsParent) {
  Parent p;
  HWND s = p.Add("Static", "", SS_OWNERDRAW, 20100, RECT{0, 0, 90, 60});
  p.draws.clear();
  SendMessageA(s, WM_PAINT, 0, 0);
  ASSERT_EQ(p.draws.size(), 1u);
  EXPECT_EQ(p.draws[0].CtlType, static_cast<UINT>(ODT_STATIC));
  EXPECT_EQ(p.draws[0].CtlID, 20100u);
  EXPECT_EQ(p.draws[0].rcItem.bottom, 60);
}

TEST(ScrollTest, WindowBarsKeepPositionWithinRangeAndPage) {
  Parent p;
  HWND w = p.hwnd();
  EXPECT_EQ(GetScrollPos(w, SB_VERT), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_SCROLLBARS));
  SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 95, 0};
  EXPECT_EQ(SetScrollInfo(w, SB_VERT, &si, TRUE), 90);  // the last page starts at 90
  EXPECT_TRUE(GetWindowLongPtrA(w, GWL_STYLE) & WS_VSCROLL);
  EXPECT_EQ(SetScrollPos(w, SB_VERT, 5, TRUE), 90);
  EXPECT_EQ(GetScrollPos(w, SB_VERT), 5);
  SCROLLINFO got{sizeof(got), SIF_ALL, 0, 0, 0, 0, 0};
  ASSERT_TRUE(GetScrollInfo(w, SB_VERT, &got));
  EXPECT_EQ(got.nMax, 99);
  EXPECT_EQ(got.nPage, 10u);
  // A range with nothing to scroll hides the bar, unless it is to stay disabled.
  EXPECT_TRUE(SetScrollRange(w, SB_VERT, 0, 0, TRUE));
  EXPECT_FALSE(GetWindowLongPtrA(w, GWL_STYLE) & WS_VSCROLL);
  si = SCROLLINFO{sizeof(si), SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL, 0, 5, 10, 0, 0};
  SetScrollInfo(w, SB_HORZ, &si, TRUE);
  EXPECT_TRUE(GetWindowLongPtrA(w, GWL_STYLE) & WS_HSCROLL);
  int lo = -1, hi = -1;
  EXPECT_TRUE(GetScrollRange(w, SB_HORZ, &lo, &hi));
  EXPECT_EQ(lo, 0);
  EXPECT_EQ(hi, 5);
  EXPECT_EQ(SetScrollPos(nullptr, SB_HORZ, 1, TRUE), 0);
}

TEST(ScrollTest, ScrollBarControlAsksItsParentToScroll) {
  Parent p;
  HWND sb = p.Add("ScrollBar", "", SBS_VERT, 9, RECT{0, 0, 16, 200});
  EXPECT_EQ(GetScrollPos(sb, SB_CTL), 0);
  int lo = -1, hi = -1;
  GetScrollRange(sb, SB_CTL, &lo, &hi);
  EXPECT_EQ(hi, 0);  // a new control's range is empty
  EXPECT_EQ(SendMessageA(sb, SBM_SETRANGE, 0, 50), 0);
  EXPECT_EQ(SendMessageA(sb, SBM_SETPOS, 70, TRUE), 0);
  EXPECT_EQ(SendMessageA(sb, SBM_GETPOS, 0, 0), 50);
  EXPECT_EQ(SetScrollPos(sb, SB_CTL, 20, TRUE), 50);
  // A click on the lower arrow asks for a line; the bar itself stays until told.
  ctltest::Click(sb, 8, 195);
  ASSERT_EQ(p.scrolls.size(), 2u);
  EXPECT_EQ(p.scrolls[0].first, static_cast<UINT>(WM_VSCROLL));
  EXPECT_EQ(LOWORD(p.scrolls[0].second), SB_LINEDOWN);
  EXPECT_EQ(LOWORD(p.scrolls[1].second), SB_ENDSCROLL);
  EXPECT_EQ(SendMessageA(sb, SBM_GETPOS, 0, 0), 20);
  p.scrolls.clear();
  ctltest::Click(sb, 8, 2);
  EXPECT_EQ(LOWORD(p.scrolls[0].second), SB_LINEUP);
  // A size grip sizes its parent instead.
  HWND grip = p.Add("ScrollBar", "", SBS_SIZEGRIP, 32001, RECT{100, 100, 116, 116});
  EXPECT_EQ(SendMessageA(grip, WM_NCHITTEST, 0, 0), HTBOTTOMRIGHT);
}

TEST(StaticTest, ImageControlTakesItsImagesSizeUnlessCentring) {
  Parent p;
  HWND fit = p.Add("Static", "", SS_BITMAP, 1, RECT{0, 0, 100, 100});
  HWND centre = p.Add("Static", "", SS_BITMAP | SS_CENTERIMAGE, 2, RECT{0, 0, 100, 100});
  HBITMAP bm = CreateBitmap(20, 10, 1, 32, nullptr);
  SendMessageA(fit, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bm));
  SendMessageA(centre, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bm));
  RECT r{};
  GetClientRect(fit, &r);
  EXPECT_EQ(r.right, 20);
  EXPECT_EQ(r.bottom, 10);
  GetClientRect(centre, &r);
  EXPECT_EQ(r.right, 100);
  // The control draws the bitmap it was given; the bitmap stays its owner's.
  size_t blits = 0;
  for (const auto& rec : ctltest::Print(centre).records) blits += rec.kind == qvp::PaintKind::kBlit;
  EXPECT_EQ(blits, 1u);
  DestroyWindow(fit);
  DestroyWindow(centre);
  EXPECT_TRUE(DeleteObject(bm));
}

}  // namespace
