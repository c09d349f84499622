// Fills, shapes, lines and clipping, checked pixel by pixel.
#include <gtest/gtest.h>

#include "gdi/gdi_test_util.h"

namespace {

using qvp::gdi::test::Canvas;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);

TEST(FillRect, CoversLeftAndTopButNotRightAndBottom) {
  Canvas c(10, 10);
  HBRUSH red = CreateSolidBrush(kRed);
  RECT r{2, 3, 6, 8};
  EXPECT_NE(FillRect(c.dc(), &r, red), 0);
  EXPECT_EQ(c.Count(kRed), 4 * 5);
  EXPECT_EQ(c.Count(kRed, r), 20);
  // A system colour index + 1 stands for the system colour's brush.
  RECT all{0, 0, 10, 10};
  FillRect(c.dc(), &all, reinterpret_cast<HBRUSH>(static_cast<intptr_t>(COLOR_BTNFACE + 1)));
  EXPECT_EQ(c.Count(RGB(192, 192, 192)), 100);
  DeleteObject(red);
}

TEST(Clipping, IntersectExcludeAndSelectClipRgn) {
  Canvas c(10, 10);
  HBRUSH red = CreateSolidBrush(kRed);
  RECT all{0, 0, 10, 10};
  EXPECT_EQ(IntersectClipRect(c.dc(), 2, 2, 8, 8), SIMPLEREGION);
  EXPECT_EQ(ExcludeClipRect(c.dc(), 4, 4, 6, 6), COMPLEXREGION);
  FillRect(c.dc(), &all, red);
  EXPECT_EQ(c.Count(kRed), 36 - 4);
  EXPECT_EQ(c.At(4, 4), kWhite);
  EXPECT_EQ(c.At(1, 1), kWhite);
  RECT box{};
  EXPECT_EQ(GetClipBox(c.dc(), &box), COMPLEXREGION);
  EXPECT_EQ(box.left, 2);
  EXPECT_EQ(box.bottom, 8);
  // Pixels outside the clip are neither set nor read.
  EXPECT_EQ(SetPixel(c.dc(), 0, 0, kBlack), CLR_INVALID);
  EXPECT_EQ(GetPixel(c.dc(), 5, 5), CLR_INVALID);

  // A clip region is in device units: the viewport origin does not move it.
  SelectClipRgn(c.dc(), nullptr);
  c.Fill(kWhite);
  HRGN rgn = CreateRectRgn(0, 0, 3, 3);
  SetViewportOrgEx(c.dc(), 5, 5, nullptr);
  EXPECT_EQ(SelectClipRgn(c.dc(), rgn), SIMPLEREGION);
  DeleteObject(rgn);  // the DC keeps a copy
  RECT logical{-5, -5, 5, 5};
  FillRect(c.dc(), &logical, red);
  EXPECT_EQ(c.Count(kRed), 9);
  EXPECT_EQ(c.At(2, 2), kRed);
  EXPECT_EQ(GetClipBox(c.dc(), &box), SIMPLEREGION);
  EXPECT_EQ(box.left, -5);
  EXPECT_EQ(box.right, -2);
  DeleteObject(red);
}

TEST(Clipping, SaveDCAndRestoreDCBringBackClipAndAttributes) {
  Canvas c(10, 10);
  HPEN pen = CreatePen(PS_SOLID, 1, kRed);
  int level = SaveDC(c.dc());
  EXPECT_EQ(level, 1);
  HGDIOBJ before = SelectObject(c.dc(), pen);
  SetTextColor(c.dc(), kRed);
  IntersectClipRect(c.dc(), 0, 0, 1, 1);
  EXPECT_EQ(SaveDC(c.dc()), 2);
  SetBkMode(c.dc(), TRANSPARENT);
  EXPECT_TRUE(RestoreDC(c.dc(), -1));
  EXPECT_EQ(GetBkMode(c.dc()), OPAQUE);
  EXPECT_EQ(GetTextColor(c.dc()), kRed);
  EXPECT_TRUE(RestoreDC(c.dc(), 1));
  EXPECT_EQ(GetTextColor(c.dc()), kBlack);
  EXPECT_EQ(GetCurrentObject(c.dc(), OBJ_PEN), before);
  EXPECT_TRUE(DeleteObject(pen));  // no longer selected
  RECT box{};
  EXPECT_EQ(GetClipBox(c.dc(), &box), SIMPLEREGION);
  EXPECT_EQ(box.right, 10);
  EXPECT_FALSE(RestoreDC(c.dc(), 1));  // that level is gone
}

TEST(Rectangle, OutlinesWithThePenAndFillsWithTheBrush) {
  Canvas c(10, 10, RGB(0, 0, 255));
  ASSERT_TRUE(Rectangle(c.dc(), 1, 1, 6, 5));  // black pen, white brush by default
  EXPECT_EQ(c.Count(kBlack), 2 * 5 + 2 * 2);
  EXPECT_EQ(c.Count(kWhite), 3 * 2);
  EXPECT_EQ(c.At(5, 4), kBlack);
  EXPECT_EQ(c.At(6, 5), RGB(0, 0, 255));

  // Without a pen the filled area is one pixel smaller on the right and bottom.
  c.Fill(RGB(0, 0, 255));
  SelectObject(c.dc(), GetStockObject(NULL_PEN));
  Rectangle(c.dc(), 1, 1, 6, 5);
  EXPECT_EQ(c.Count(kWhite), 4 * 3);
  EXPECT_EQ(c.At(5, 1), RGB(0, 0, 255));

  // An inside-frame pen stays within the rectangle.
  c.Fill(RGB(0, 0, 255));
  HPEN wide = CreatePen(PS_INSIDEFRAME, 2, kRed);
  SelectObject(c.dc(), wide);
  SelectObject(c.dc(), GetStockObject(NULL_BRUSH));
  Rectangle(c.dc(), 1, 1, 7, 7);
  EXPECT_EQ(c.Count(kRed), 36 - 4);
  EXPECT_EQ(c.Count(kRed, RECT{1, 1, 7, 7}), 32);
  SelectObject(c.dc(), GetStockObject(BLACK_PEN));
  DeleteObject(wide);
}

TEST(Lines, LineToLeavesOutTheEndPointAndMovesTheCurrentPosition) {
  Canvas c(10, 10);
  MoveToEx(c.dc(), 1, 1, nullptr);
  ASSERT_TRUE(LineTo(c.dc(), 6, 1));
  EXPECT_EQ(c.Count(kBlack), 5);
  EXPECT_EQ(c.At(6, 1), kWhite);
  LineTo(c.dc(), 6, 6);
  EXPECT_EQ(c.At(6, 1), kBlack);
  EXPECT_EQ(c.At(6, 6), kWhite);
  POINT p{};
  GetCurrentPositionEx(c.dc(), &p);
  EXPECT_EQ(p.x, 6);
  EXPECT_EQ(p.y, 6);
  // A diagonal lights one pixel per step.
  c.Fill(kWhite);
  MoveToEx(c.dc(), 0, 0, nullptr);
  LineTo(c.dc(), 9, 3);
  EXPECT_EQ(c.Count(kBlack), 9);
  for (int x = 0; x < 9; ++x) EXPECT_EQ(c.Count(kBlack, RECT{x, 0, x + 1, 10}), 1) << x;
  // Far-away end points are clipped, not walked pixel by pixel.
  MoveToEx(c.dc(), -2000000000, 5, nullptr);
  LineTo(c.dc(), 2000000000, 5);
  EXPECT_EQ(c.Count(kBlack, RECT{0, 5, 10, 6}), 10);
}

TEST(Lines, XorPenDrawnTwiceRestoresThePixels) {
  Canvas c(10, 10, RGB(10, 20, 30));
  HPEN pen = CreatePen(PS_SOLID, 1, kWhite);
  SelectObject(c.dc(), pen);
  EXPECT_EQ(SetROP2(c.dc(), R2_XORPEN), R2_COPYPEN);
  POINT pts[3] = {{0, 0}, {9, 9}, {0, 9}};
  Polyline(c.dc(), pts, 3);
  EXPECT_EQ(c.At(0, 0), RGB(245, 235, 225));
  Polyline(c.dc(), pts, 3);
  EXPECT_EQ(c.Count(RGB(10, 20, 30)), 100);
  SelectObject(c.dc(), GetStockObject(BLACK_PEN));
  DeleteObject(pen);
}

TEST(Lines, DottedPensFillGapsOnlyInOpaqueMode) {
  Canvas c(12, 2, RGB(0, 0, 255));
  HPEN dot = CreatePen(PS_DOT, 1, kRed);
  SelectObject(c.dc(), dot);
  SetBkMode(c.dc(), TRANSPARENT);
  MoveToEx(c.dc(), 0, 0, nullptr);
  LineTo(c.dc(), 12, 0);
  EXPECT_EQ(c.Count(kRed), 6);
  EXPECT_EQ(c.Count(RGB(0, 0, 255), RECT{0, 0, 12, 1}), 6);
  SetBkMode(c.dc(), OPAQUE);
  SetBkColor(c.dc(), RGB(0, 255, 0));
  MoveToEx(c.dc(), 0, 1, nullptr);
  LineTo(c.dc(), 12, 1);
  EXPECT_EQ(c.Count(RGB(0, 255, 0), RECT{0, 1, 12, 2}), 6);
  SelectObject(c.dc(), GetStockObject(BLACK_PEN));
  DeleteObject(dot);
}

TEST(Lines, WidePensAreThickAndPaintJointsOnce) {
  Canvas c(20, 20);
  HPEN wide = CreatePen(PS_SOLID, 3, kBlack);
  SelectObject(c.dc(), wide);
  MoveToEx(c.dc(), 5, 10, nullptr);
  LineTo(c.dc(), 15, 10);
  EXPECT_EQ(c.Count(kBlack, RECT{10, 0, 11, 20}), 3);  // three pixels thick
  EXPECT_EQ(c.At(10, 9), kBlack);
  EXPECT_EQ(c.At(10, 11), kBlack);
  // Inverting along a bent path inverts the joint once, not twice.
  c.Fill(kWhite);
  SetROP2(c.dc(), R2_NOT);
  POINT bend[3] = {{2, 2}, {10, 10}, {18, 2}};
  Polyline(c.dc(), bend, 3);
  EXPECT_EQ(c.At(10, 10), kBlack);
  EXPECT_EQ(c.Count(kWhite) + c.Count(kBlack), 400);
  SelectObject(c.dc(), GetStockObject(BLACK_PEN));
  DeleteObject(wide);
}

TEST(Shapes, EllipseStaysInItsBoxAndIsSymmetric) {
  Canvas c(20, 20, RGB(0, 0, 255));
  HBRUSH red = CreateSolidBrush(kRed);
  SelectObject(c.dc(), red);
  ASSERT_TRUE(Ellipse(c.dc(), 2, 4, 18, 14));
  EXPECT_EQ(c.Count(RGB(0, 0, 255)) - c.Count(RGB(0, 0, 255), RECT{2, 4, 18, 14}), 400 - 160);
  for (int y = 4; y < 14; ++y)
    for (int x = 2; x < 18; ++x) {
      bool painted = c.At(x, y) != RGB(0, 0, 255);
      EXPECT_EQ(painted, c.At(19 - x, y) != RGB(0, 0, 255)) << x << "," << y;
      EXPECT_EQ(painted, c.At(x, 17 - y) != RGB(0, 0, 255)) << x << "," << y;
    }
  EXPECT_EQ(c.At(10, 9), kRed);    // interior
  EXPECT_EQ(c.At(10, 4), kBlack);  // outline at the top
  EXPECT_EQ(c.At(2, 4), RGB(0, 0, 255));  // corner of the box stays
  SelectObject(c.dc(), GetStockObject(WHITE_BRUSH));
  DeleteObject(red);
}

TEST(Shapes, RoundRectCutsItsCorners) {
  Canvas c(20, 20, RGB(0, 0, 255));
  ASSERT_TRUE(RoundRect(c.dc(), 0, 0, 20, 20, 8, 8));
  EXPECT_EQ(c.At(0, 0), RGB(0, 0, 255));
  EXPECT_EQ(c.At(10, 0), kBlack);
  EXPECT_EQ(c.At(0, 10), kBlack);
  EXPECT_EQ(c.At(10, 10), kWhite);
}

TEST(Shapes, PolygonFillsItsInterior) {
  Canvas c(10, 10, RGB(0, 0, 255));
  SelectObject(c.dc(), GetStockObject(NULL_PEN));
  POINT square[4] = {{2, 2}, {8, 2}, {8, 8}, {2, 8}};
  ASSERT_TRUE(Polygon(c.dc(), square, 4));
  EXPECT_EQ(c.Count(kWhite), 36);
  EXPECT_EQ(c.Count(kWhite, RECT{2, 2, 8, 8}), 36);
  EXPECT_FALSE(Polygon(c.dc(), square, 1));
}

TEST(Rects, FrameInvertAndFocusRect) {
  Canvas c(10, 10);
  RECT r{1, 1, 6, 6};
  HBRUSH red = CreateSolidBrush(kRed);
  FrameRect(c.dc(), &r, red);
  EXPECT_EQ(c.Count(kRed), 16);
  EXPECT_EQ(c.At(3, 3), kWhite);
  InvertRect(c.dc(), &r);
  EXPECT_EQ(c.At(1, 1), RGB(0, 255, 255));
  EXPECT_EQ(c.At(3, 3), kBlack);
  InvertRect(c.dc(), &r);

  // The focus rectangle inverts every other border pixel; twice undoes it.
  c.Fill(kWhite);
  DrawFocusRect(c.dc(), &r);
  EXPECT_EQ(c.Count(kBlack), 8);
  EXPECT_EQ(c.At(1, 1), kBlack);
  EXPECT_EQ(c.At(2, 1), kWhite);
  EXPECT_EQ(c.At(3, 3), kWhite);
  DrawFocusRect(c.dc(), &r);
  EXPECT_EQ(c.Count(kWhite), 100);
  DeleteObject(red);
}

TEST(DrawEdge, RaisedEdgeUsesTheThreeDColoursWithBottomRightCorners) {
  Canvas c(10, 10, RGB(0, 0, 255));
  RECT r{0, 0, 10, 10};
  ASSERT_TRUE(DrawEdge(c.dc(), &r, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST));
  EXPECT_EQ(c.At(0, 0), GetSysColor(COLOR_3DLIGHT));
  EXPECT_EQ(c.At(9, 9), GetSysColor(COLOR_3DDKSHADOW));
  EXPECT_EQ(c.At(9, 0), GetSysColor(COLOR_3DDKSHADOW));  // the corners belong to the bottom-right
  EXPECT_EQ(c.At(1, 1), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(c.At(8, 8), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(c.At(5, 5), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(r.left, 2);
  EXPECT_EQ(r.bottom, 8);

  c.Fill(RGB(0, 0, 255));
  RECT s{0, 0, 10, 10};
  DrawEdge(c.dc(), &s, EDGE_SUNKEN, BF_TOP | BF_LEFT);
  EXPECT_EQ(c.At(5, 0), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(c.At(5, 1), GetSysColor(COLOR_3DDKSHADOW));
  EXPECT_EQ(c.At(9, 9), RGB(0, 0, 255));
  EXPECT_FALSE(DrawEdge(c.dc(), &s, EDGE_RAISED, BF_DIAGONAL | BF_TOP));
}

TEST(Mapping, OriginsAndEnglishUnits) {
  Canvas c(200, 200);
  SetWindowOrgEx(c.dc(), 10, 0, nullptr);
  SetViewportOrgEx(c.dc(), 0, 20, nullptr);
  SetPixel(c.dc(), 15, 5, kRed);
  EXPECT_EQ(c.At(5, 25), kRed);
  SetWindowOrgEx(c.dc(), 0, 0, nullptr);
  SetViewportOrgEx(c.dc(), 0, 150, nullptr);
  EXPECT_EQ(SetMapMode(c.dc(), MM_LOENGLISH), MM_TEXT);
  POINT p[2] = {{100, 100}, {0, 0}};
  LPtoDP(c.dc(), p, 2);
  EXPECT_EQ(p[0].x, 96);  // one inch
  EXPECT_EQ(p[0].y, 150 - 96);  // y grows upwards
  DPtoLP(c.dc(), p, 1);
  EXPECT_EQ(p[0].x, 100);
  EXPECT_EQ(p[0].y, 100);
  RECT r{0, 50, 50, 0};  // half an inch square above the origin
  HBRUSH red = CreateSolidBrush(kRed);
  FillRect(c.dc(), &r, red);
  EXPECT_EQ(c.Count(kRed, RECT{0, 102, 48, 150}), 48 * 48);
  EXPECT_EQ(SetMapMode(c.dc(), 99), 0);
  DeleteObject(red);
}

}  // namespace
